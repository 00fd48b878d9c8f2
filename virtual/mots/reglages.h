// How the device is set up: by the control interface (tests), or by the
// words of IOWVIRT or iowvirt.txt, read again at each open with no handle
// open.
#pragma once

#include <string>

namespace iowvirt {

// Where the words in force were planted: a window's IOWVIRT, the room's
// table (its row for this PC), the PC's exercise file, or the copy's own
// iowvirt.txt.
enum class Planted { window, room, pc, copy };

struct Setup {
    // Once the control interface has reset it, only that sets it up.
    bool controlled = false;
    bool configured = false;
    std::string applied_words;
    Planted planted = Planted::copy;
    // The words file's path, or IOWVIRT followed by the window it was set
    // in (its process's number and start) when the system can tell, or
    // SALLE followed by the room table's path.
    std::string planted_by;
    // The words in force as a teacher would write them, and the room
    // table's cell for this PC as read: what a bench reports.
    std::string in_force;
    std::string room_cell;
};

}  // namespace iowvirt
