#include "host/systeme/horloge.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace host {

namespace {

constexpr const char* kClockVariable = "RTC_HOST_CLOCK";
constexpr const char* kSimulated = "simulated";

bool simulated() {
    static const bool chosen = [] {
        const char* value = std::getenv(kClockVariable);
        return value != nullptr && std::strcmp(value, kSimulated) == 0;
    }();
    return chosen;
}

std::int64_t simulated_ms = 0;

}  // namespace

bool clock_simulated() { return simulated(); }

std::int64_t now_ms() {
    if (simulated()) return simulated_ms;
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void wait_ms(int milliseconds) {
    if (milliseconds <= 0) return;
    if (simulated()) {
        simulated_ms += milliseconds;
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace host
