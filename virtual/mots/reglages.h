// How the device is set up: by the control interface (tests), or by the
// words of IOWVIRT or iowvirt.txt, read again at each open with no handle
// open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "virtual/mots/mots.h"
#include "virtual/mots/salle_mots.h"

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

// Where the words come from, first found first: IOWVIRT (the window's
// own), the room's table, the PC's file (the teacher's, for every account
// and copy), the copy's own iowvirt.txt. What the teacher is told of them
// besides.
struct WordsSource {
    std::string text;
    std::string source;  // IOWVIRT, or a file's path
    Planted from = Planted::copy;
    RoomWords room;       // the PC's row of its room's table, when read
    std::string pc;       // the PC's file looked at, empty when none
    std::string pc_text;  // its words, when read
    std::string notes;    // for the teacher: the variables, what is wrong with the PC's file
    // What is wrong with the copy's own file, for whoever runs it.
    std::vector<std::string> told;
};

// Read anew. `for_teacher`: the PC's file and the room's table are read
// even where a window's words win, for the teacher's view; a run never
// needs them then.
WordsSource words_source(bool for_teacher = false);

// The words in force and where they come from, read anew, for a teacher:
// "frozen (C:\\...\\iowvirt.txt)", "aucun", with what is wrong around them.
std::string teachers_view();

// Whether `origin` (a words file, the room's table, or a window's
// variable) still plants the board of `words`.
bool still_plants(const std::string& origin, std::uint32_t words);

// The moment IOWVIRT_NOW stands for, in milliseconds since 1970, for tests
// of long absences; none when it is not set, or not such a moment (then
// `wrong` says so, and the PC's clock is used: a moment near 1970 would be
// written into the state file).
std::optional<std::int64_t> fixed_now(std::string& wrong);

// The unknown words of `words` read in `where`, a few one by one and the
// rest counted, a line each: a file of noise must not flood the console.
// Shown in ASCII: a no-break space or a look-alike letter must not pass
// for a known word. Empty when there are none.
std::string unknown_told(const Words& words, const std::string& where);

}  // namespace iowvirt
