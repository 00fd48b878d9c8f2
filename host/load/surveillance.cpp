#include "host/load/surveillance.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "host/load/trace.h"

namespace host {

namespace {

using Clock = std::chrono::steady_clock;
// How often a call in progress is looked at for the device's own work.
constexpr std::chrono::milliseconds kBusyLook{50};
constexpr const char* kClose = "IowKitCloseDevice";

// Shared by the host's thread and the watchdog's, under `mutex`.
struct Watch {
    std::mutex mutex;
    std::condition_variable changed;
    std::thread thread;
    bool running = false;
    std::function<void(const Stall&)> on_stall;
    bool in_call = false;
    bool closes_bounded = true;
    int (*busy)() = nullptr;
    Clock::time_point deadline;
    bool fired = false;
    Stall place{"", "", 0, false, {}, 0};
};

Watch& watch() {
    static Watch w;
    return w;
}

void watchdog() {
    Watch& w = watch();
    std::unique_lock lock(w.mutex);
    while (w.running) {
        if (!w.in_call) {
            w.changed.wait(lock);
            continue;
        }
        // Time the device spends on its own work starts the bound anew from
        // the last moment it was seen at it: looked at often enough that a
        // call ending such work just before its bound is not cut short.
        const auto bound = std::chrono::milliseconds(w.place.timeout_ms);
        const auto look = std::min(w.deadline, Clock::now() + std::min(bound, kBusyLook));
        w.changed.wait_until(lock, look);
        if (!w.running || !w.in_call) continue;
        if (w.busy != nullptr && w.busy() != 0) {
            w.deadline = Clock::now() + bound;
            continue;
        }
        if (Clock::now() >= w.deadline) {
            w.fired = true;
            const Stall stall = w.place;
            lock.unlock();
            w.on_stall(stall);
            return;
        }
    }
}

}  // namespace

std::string describe(const Stall& s) {
    // What happened first, in words; the function names last, for those
    // who want them.
    std::string text = "aucune réponse en " + std::to_string(s.timeout_ms) + " ms";
    if (s.step > 0)
        text += ", au pas " + std::to_string(s.step);
    else
        text += std::strcmp(s.entry_point, "CSimStop") == 0 ? ", à la fin de la simulation"
                                                            : ", au début de la simulation";
    text += s.sent ? " ; dernier rapport envoyé à l'IOW24 : " + hex(s.last_report.data())
                   : " ; aucun rapport envoyé à l'IOW24";
    return text + " (appel : " + s.function + ", dans " + s.entry_point + ")";
}

void start_watchdog(int timeout_ms, std::function<void(const Stall&)> on_stall) {
    Watch& w = watch();
    std::lock_guard lock(w.mutex);
    w.place.timeout_ms = timeout_ms;
    w.on_stall = std::move(on_stall);
    w.running = true;
    w.thread = std::thread(watchdog);
}

void stop_watchdog() {
    Watch& w = watch();
    {
        std::lock_guard lock(w.mutex);
        if (!w.running) return;
        w.running = false;
        w.changed.notify_all();
    }
    w.thread.join();
}

void entering(const char* entry_point, int step) {
    Watch& w = watch();
    std::lock_guard lock(w.mutex);
    w.place.entry_point = entry_point;
    w.place.step = step;
}

void bound_closes(bool bounded) {
    Watch& w = watch();
    std::lock_guard lock(w.mutex);
    w.closes_bounded = bounded;
}

void not_counted_while(int (*busy)()) {
    Watch& w = watch();
    std::lock_guard lock(w.mutex);
    w.busy = busy;
}

void device_call_begins(const char* function) {
    Watch& w = watch();
    std::lock_guard lock(w.mutex);
    w.place.function = function;
    w.in_call = w.closes_bounded || std::strcmp(function, kClose) != 0;
    w.deadline = Clock::now() + std::chrono::milliseconds(w.place.timeout_ms);
    w.changed.notify_all();
}

void device_call_ends() {
    Watch& w = watch();
    std::unique_lock lock(w.mutex);
    // Too late: the watchdog is ending the process with what it saw.
    while (w.fired)
        w.changed.wait(lock);
    w.in_call = false;
    w.changed.notify_all();
}

void report_sent(const char* report) {
    Watch& w = watch();
    std::lock_guard lock(w.mutex);
    w.place.sent = true;
    for (std::size_t i = 0; i < w.place.last_report.size(); ++i)
        w.place.last_report[i] = static_cast<std::uint8_t>(report[i]);
}

}  // namespace host
