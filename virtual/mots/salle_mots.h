// This PC's row of its room's table of exercises (exercices.csv in the
// room folder that salle.txt names), as the teacher plants it for every PC
// of a lab at once.
#pragma once

#include <string>

namespace iowvirt {

struct RoomWords {
    std::string table;   // the table's path; empty when the PC is in no room
    std::string pc;      // this PC's name in the room
    bool read = false;   // the table could be read
    bool found = false;  // the table has a row for the PC
    std::string cell;    // that row's exercise, as typed
    int line = 0;
    // For the teacher's view alone: the table's warnings, or why it could
    // not be read.
    std::string notes;
};

// Read anew at each call; nothing when the PC names no room.
RoomWords room_words();

// The origin a board keeps for words planted by the room's table.
inline constexpr const char* kRoomOrigin = "SALLE ";

}  // namespace iowvirt
