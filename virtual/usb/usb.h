// The IOW24 as the USB side sees it: plugged or not, its handles, the
// replies waiting to be read, and a log of every call.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <set>

#include "virtual/carte/i2c.h"
#include "virtual/usb/iowvirt.h"

namespace iowvirt {

inline constexpr std::chrono::milliseconds kDefaultReadTimeout{1000};

struct Usb {
    bool plugged = true;
    bool open_fails = false;
    std::uintptr_t next_handle;
    std::set<std::uintptr_t> open_handles;
    std::set<std::uintptr_t> unplugged_handles;  // opened before an unplug
    std::deque<Report> replies;
    std::chrono::milliseconds read_timeout = kDefaultReadTimeout;
    std::deque<LogEntry> log;
    Calls calls;
    Calls null_handle_calls;
    int stale_uses = 0;
};

}  // namespace iowvirt
