#include "virtual/pile/regard.h"

#include <chrono>
#include <thread>

namespace iowvirt {

namespace {

std::int64_t steady_us() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

Regard::Regard() : steady_(steady_us) {}

bool Regard::look_due() {
    const std::int64_t now = steady_();
    if (last_look_ != kNever && now - last_look_ < kLookEveryUs) return false;
    last_look_ = now;
    return true;
}

void Regard::record_written() {
    const std::int64_t until = steady_() + kLookEveryUs;
    while (steady_() < until)
        std::this_thread::yield();
}

}  // namespace iowvirt
