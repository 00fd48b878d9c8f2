// The faults a test arms on the virtual IOW24, or the words play: each for
// the calls of one kind.
#pragma once

#include <cstdint>

namespace iowvirt {

// A fault armed for the calls of one kind: `skip` good ones, then `count` bad.
struct Fault {
    int skip = 0;
    int count = 0;
    bool strikes();
};

struct Faults {
    Fault bus_fault;
    Fault short_write;
    std::uint32_t short_write_bytes = 0;
    Fault failed_read;
    Fault short_read;
    std::uint32_t short_read_bytes = 0;
    int silent_after = -1;  // reads still answered before silence; -1: never silent
    bool open_stalls = false;
    int writes_before_stall = -1;  // writes still taken before they stall; -1: never
    Fault unplug_on_write;
};

}  // namespace iowvirt
