// The room: a folder on the school's share that every PC of a lab names
// once, in salle.txt beside the PC's exercise file. In it the teacher's
// table of exercises (exercices.csv) and, in `postes`, what each bench
// last reported. No server: the PCs only read the table and drop their
// reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fichier.h"
#include "platform/temps.h"

namespace salle {

inline constexpr const char* kRoomFile = "salle.txt";
inline constexpr const char* kTableFile = "exercices.csv";
inline constexpr const char* kReportsFolder = "postes";
// For tests: the room folder itself, and the PC's name.
inline constexpr const char* kRoomVariable = "IOWVIRT_SALLE";
inline constexpr const char* kPcVariable = "IOWVIRT_POSTE";
// As IOWVIRT_SALLE: this PC belongs to no room, whatever salle.txt says.
inline constexpr const char* kNoRoom = "aucune";
// salle.txt holds one path; the table one row per PC of a room.
inline constexpr std::size_t kMostRoomFileBytes = 4096;
inline constexpr std::size_t kMostTableBytes = 256 * 1024;

// The folder a salle.txt names: its first line that is neither blank nor
// a comment ('#'), without the blanks and quotes around it, in any form
// Notepad saves. Empty when none.
std::string room_folder_named(std::string_view bytes);

// The whole regular file, when it has at most `most` bytes, read while
// another program (Excel) holds it open; nothing otherwise, and never a
// wait on a pipe that anyone who can write in the room may have left.
std::optional<std::string> read_file(const std::string& path, std::size_t most);

// The room folder of this PC: IOWVIRT_SALLE, or what salle.txt names.
// Empty when the PC belongs to no room, or IOWVIRT_SALLE says so.
std::string room_folder();

// This PC's name in the room: IOWVIRT_POSTE, or the computer's name.
std::string pc_name();

// No PC's clock that is right reads before this release was made
// (2026-12-01 00:00:00 UTC, seconds since 1970): a report's time from one
// that does, a dead CMOS battery's BIOS date, is told as doubtful.
inline constexpr std::int64_t kReleasedSeconds = 1'796'083'200;

// `name` in `folder`, joined by the separator the folder already uses.
std::string in_folder(const std::string& folder, const std::string& name);

// A moment's local time as "AAAA-MM-JJ HH:MM:SS", and its day's midnight.
std::string local_text(std::int64_t seconds);
std::int64_t local_midnight(std::int64_t seconds);

// --- the file system, on each platform ---

// The folder of the PC's own settings, with a trailing separator:
// %ProgramData%\rtc_iow24\ on Windows, /etc/rtc_iow24/ elsewhere.
std::string pc_folder();
std::string computer_name();
std::string account_name();
// The name of the program's file ("simulateur.exe").
std::string program_name();
using texte::file_names;
using texte::variable;
// Writes `text` as `name` in `folder` whole or not at all: beside it first,
// then renamed over it. Makes the folder when it is missing.
bool drop_file(const std::string& folder, const std::string& name, const std::string& text);
// Seconds since 1970 on the PC's clock, and the local time then.
using temps::local_time;
using temps::now_seconds;
// Keeps the code that runs this in memory for the process's life: a
// report given up on may still be writing when its library is unloaded.
void keep_code_loaded();

}  // namespace salle
