// What the stand-in host needs of the operating system: loading libraries
// and finding functions in them, as a simulation host does; its arguments,
// files and standard streams; its console; ending the process.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/fichier.h"

namespace host {

// File names of the block and of the device library on this platform.
extern const char* const kBlockFile;
extern const char* const kDeviceFile;
// The separator of folders in the paths this platform shows.
extern const char* const kPathSeparator;
// What to do when the system finds no device library by its name alone.
extern const char* const kWhereToPutTheDevice;

// The names of the environment's variables, in UTF-8.
std::vector<std::string> environment_names();

// The program's arguments, in UTF-8, after its name.
std::vector<std::string> arguments(int argc, char** argv);

// Loads a library by path; null and a reason on failure. The device
// library is loaded so that the block loaded after it binds to it.
void* load_library(const std::string& path, std::string& error);
void* find_function(void* library, const char* name);
void unload_library(void* library);
// The full path of the file a library was loaded from.
std::string library_path(void* library);
// The file version a library's version resource gives ("1.5.0.0"); empty
// when it has none, or the platform keeps none.
std::string file_version(const std::string& path);

// The last part of a path, after its folders (either separator).
inline std::string file_name(const std::string& path) {
    return path.substr(path.find_last_of("/\\") + 1);
}

// The folder the program was started from, with a trailing separator.
std::string program_folder();
bool file_exists(const std::string& path);
// Opens a document as a double-click would (a page in the default
// browser), without waiting for the program that shows it.
void open_document(const std::string& path);
bool is_folder(const std::string& path);
// The file standard output was sent to ("> res.csv"); empty for a console,
// a pipe, or when the platform cannot tell.
std::string standard_output_file();
// Whether standard output is a console or a terminal a person reads.
bool output_is_console();
// No more of a results file is read for its first line.
inline constexpr std::size_t kMostFirstLine = 64 * 1024;
// The first line of that file when standard output adds to it (">>
// res.csv") and it already holds something; empty otherwise.
std::string appended_output_start();
inline std::string too_large(std::size_t most) {
    return "il dépasse " + std::to_string(most / 1000000) + " Mo, plus qu'aucun script ne demande";
}
// A whole file of at most `most` bytes, refused before it is read when
// larger; false and why, in French, when it cannot be read. A pipe is read
// too (a script given as /dev/stdin).
inline bool read_file(const std::string& path, std::size_t most, std::string& text,
                      std::string& why) {
    texte::WholeFile file = texte::read_whole_file(path, most, false);
    text = std::move(file.text);
    why = file.too_large ? too_large(most) : file.why;
    return file.read;
}
// For a script not found: where it was looked for, and where Excel saves;
// empty when the path is absolute or the file is there.
std::string where_to_find(const std::string& path);

// Ends the process at once, whatever its other threads are doing: a thread
// stuck in a device call cannot be unwound. Flushes stdout and stderr first.
[[noreturn]] void end_process(int status);

// Which of standard output and error were closed when the program started
// (a scheduled task, a launcher with no console). Each is then opened on
// the null device, so that no file the program or a library opens takes
// its place, and so that writes to it fail. A reader that goes away (a
// pipe into `head`) makes writes fail too, rather than end the program
// before it closes the device.
struct ClosedStreams {
    bool output = false;
    bool error = false;
};
ClosedStreams keep_standard_streams();

// Whether the program has a console of its own, shown to a person, which
// closes as it ends: on Windows, started from Explorer by a double-click.
// Then a key is waited for, so that what it said can be read. A console
// with no window (a program started hidden, a scheduled task), none at all,
// or an input that is not its keyboard is no one's to wait for.
bool started_alone();
struct ConsoleSeen {
    int processes = 0;      // attached to the console, this one included
    bool window = false;    // the console has a window
    bool keyboard = false;  // standard input is the console
};
inline bool waits_for_a_key(const ConsoleSeen& seen) {
    return seen.processes == 1 && seen.window && seen.keyboard;
}
void wait_for_a_key();

}  // namespace host
