// Runs a program of this build as its own process and collects what it
// printed and how it ended.
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

struct Finished {
    int status = -1;
    std::string out;
    std::string err;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// In an environment: the child's stdout goes to this file instead.
inline const std::string kStdoutTo = "RTC_TEST_STDOUT";
// In an environment: the child's stdout is added to this file, as the
// shell's ">>" and cmd's do.
inline const std::string kStdoutAddTo = "RTC_TEST_STDOUT_ADD";
// In an environment: the child's stdout is a terminal, what it shows there
// being its `out` (POSIX).
inline const std::string kStdoutTerminal = "RTC_TEST_STDOUT_TERMINAL";
// In an environment: the child's stderr goes to this file instead (POSIX).
inline const std::string kStderrTo = "RTC_TEST_STDERR";
// As the value of kStdoutTo or kStderrTo: the child starts with that
// stream closed (on Windows, with no handle for it).
inline const std::string kClosed = "\x01closed";
// As the value of kStdoutTo or kStderrTo: the stream is open for reading
// only, so that every write to it fails.
inline const std::string kReadOnly = "\x01read-only";
// As the value of kStdoutTo: a pipe whose reader has gone, as after
// `| head -1` has read its line (POSIX).
inline const std::string kReaderGone = "\x01reader-gone";
// In an environment: the child is held to files' permissions as any user
// is, even when run by root (POSIX).
inline const std::string kFilePermissions = "RTC_TEST_FILE_PERMISSIONS";
// In an environment: no file the child writes may grow past this many
// bytes (POSIX).
inline const std::string kFileSizeLimit = "RTC_TEST_FILE_SIZE_LIMIT";
// In an environment: the child has a console of its own, as a program
// double-clicked in Explorer (Windows).
inline const std::string kNewConsole = "RTC_TEST_NEW_CONSOLE";
// In an environment: the child is started as a program starts one hidden,
// with a console that has no window (Windows).
inline const std::string kNoWindow = "RTC_TEST_NO_WINDOW";
// In an environment: the child is started with no console at all (Windows).
inline const std::string kDetached = "RTC_TEST_DETACHED";
// In an environment: the child sees this folder's files over /etc's, in a
// mount namespace of its own, so that a file at the PC's own place is read
// and the machine's /etc is never touched (POSIX, root). A child that
// cannot have one ends with kNoPrivateEtc.
inline const std::string kPrivateEtc = "RTC_TEST_PRIVATE_ETC";
inline constexpr int kNoPrivateEtc = 99;
// As a value in an environment: the variable is not set for the child.
inline const std::string kUnset = "\x01unset";

// `program` is a file name in the test program's own folder, or a path; `environment`
// adds variables for the child only. Unless it names one, the child's
// virtual IOW24 keeps its clock in a state file of its own, new and never
// shared, and reads no PC's exercise file (IOWVIRT_EXERCICE names one
// that is not there): no test touches the user's real files, nor sees
// another's.
Finished run_program(const std::string& program, const std::vector<std::string>& arguments,
                     const Environment& environment = {});

// A run of `program` killed `after` its start, whatever it was doing
// (POSIX).
Finished run_killed(const std::string& program, const std::vector<std::string>& arguments,
                    const Environment& environment, std::chrono::microseconds after);

// Several runs of `program` at the same time, one per argument list.
std::vector<Finished> run_together(const std::string& program,
                                   const std::vector<std::vector<std::string>>& runs,
                                   const Environment& environment = {});

// Runs of `program` at the same time, each with its arguments and the
// variables of its own.
using Run = std::pair<std::vector<std::string>, Environment>;
std::vector<Finished> run_together(const std::string& program, const std::vector<Run>& runs);

// A run in a console with no window, as a pseudo console gives one
// (Windows): what its screen shows afterwards, line by line as the
// console's screen buffer holds it, and the console's output code page
// before and after.
struct Screen {
    int status = -1;
    std::vector<std::string> lines;
    unsigned code_page_before = 0, code_page_after = 0;
};
Screen run_on_screen(const std::string& program, const std::vector<std::string>& arguments,
                     const Environment& environment = {});

// The folder of the test program and of the build's programs, with a
// trailing separator.
std::string own_folder();

// `environment` with a new state file for the virtual IOW24, unless it
// names one (IOWVIRT_STATE).
Environment with_own_state(const Environment& environment);

// A folder of its own in the scratch folder, with a trailing separator.
std::string scratch_folder(const std::string& name);

// A file in a scratch folder, and its path as the child sees it.
std::string scratch_file(const std::string& name, const std::string& content);
