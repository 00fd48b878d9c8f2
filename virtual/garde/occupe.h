// Work of the virtual IOW24 that is no USB traffic: making, flushing and
// locking its state file, a box waiting for the user. A program that bounds
// the device's calls, as rtc_host's watchdog does, asks whether such work is
// under way (iowvirt_busy), so that a slow disk or a user reading a box is
// never taken for an IOW24 that stopped answering.
#pragma once

namespace iowvirt {

// Marks the work for as long as it lives; any thread.
class Busy {
  public:
    Busy();
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    ~Busy();
};

bool busy();

}  // namespace iowvirt
