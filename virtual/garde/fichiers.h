// What the virtual IOW24 needs of the file system, on each platform: where
// a user's own state lives, the folder it was loaded from, bounded reads,
// and the state file kept open while the device is.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "platform/fichier.h"
#include "platform/temps.h"

namespace iowvirt::fichiers {

// The state file in the user's own application data; empty when the
// platform names no such folder.
std::string default_state_path();
// What that folder is made from, when it is missing.
std::string default_state_needs();

// The exercise file a teacher writes once per PC, for every account and
// every copy of the library: %ProgramData%\rtc_iow24\iowvirt.txt on Windows,
// /etc/rtc_iow24/iowvirt.txt elsewhere; empty when the platform names none.
std::string pc_words_path();

// The folder of the virtual IOW24's library, with a trailing separator.
std::string library_folder();

// The file's first bytes, at most `most` + 1 of them, so that a caller
// sees a file too long without reading it all; nothing when it does not
// exist. `why` when it cannot be read.
std::optional<std::vector<std::uint8_t>> read(const std::string& path, std::size_t most,
                                              std::string& why);

// The state file, open from the first open of the device to its last
// close: read once, then rewritten in place, cheaply; it reaches the disk
// when closed. Only a regular file, or a link to one, is ever opened; the
// writes go through the link.
class StateFile {
  public:
    // The two records of a state file.
    static constexpr std::size_t kRecordsSize = 256;
    enum class Found { nothing, regular, not_regular, unreadable };

    StateFile() = default;
    StateFile(const StateFile&) = delete;
    StateFile& operator=(const StateFile&) = delete;
    ~StateFile() { close(); }

    // Opens `path` and reads at most `most` + 1 bytes from its start. Never
    // waits on a pipe or a device: anything but a regular file is left
    // alone. `why` for `unreadable`. A file that may be read but not written
    // is opened all the same; writing to it then fails with the reason.
    // Never takes standard input, output or error's place, even when the
    // program left them closed.
    Found open(const std::string& path, std::size_t most, std::vector<std::uint8_t>& bytes,
               std::string& why);
    // The same bytes again, as another program may have been writing them.
    bool read_again(std::size_t most, std::vector<std::uint8_t>& bytes);
    // Where there is no file: makes the missing folders, then the file,
    // whole (written beside it, then linked in), and opens it. When another
    // program made it first, that file is opened as it is, unwritten, and
    // its bytes read as `open` reads them, so that the caller numbers its
    // record after the other program's.
    enum class Made { made, taken, failed };
    Made create(const std::string& path, const std::vector<std::uint8_t>& bytes,
                std::vector<std::uint8_t>& found, std::string& why);
    bool rewrite(std::size_t at, const std::vector<std::uint8_t>& bytes, std::string& why);
    // The records as they are now, in one read: what a save looks at
    // before it numbers its own.
    bool read_records(std::vector<std::uint8_t>& bytes);
    // Held by a save from its look at the records to its write, so that no
    // other program's save comes between; readers never take it, and are
    // never held up. Waits while another program holds it.
    void lock_for_save();
    void unlock();
    // Whether another program may have written the file since it was
    // opened, or since the last `mark`: its modification time or size
    // changed. One system call, no read. A file's time moves on in steps of
    // the system's tick: a write in the same tick as the mark leaves it as
    // it was, so a mark taken that close to the file's time says yes until
    // a later one.
    bool changed() {
        std::int64_t now[2] = {stamp_[0], stamp_[1]};
        stamp(now);
        return racy_ || now[0] != stamp_[0] || now[1] != stamp_[1];
    }
    void mark() {
        stamp(stamp_);
        racy_ = recent(stamp_[0]);
    }
    // The next `changed` says yes.
    void forget_mark() { racy_ = true; }
    // Flushes to the disk, then closes.
    void close();
    bool is_open() const { return handle_ != kNone; }

  private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;
    // Why it could only be opened for reading (a read-only file, folder or
    // disk, another account's file); empty when it may be written.
    std::string read_only_;
    bool dirty_ = false;              // written since opened
    std::int64_t stamp_[2] = {0, 0};  // modification time and size at the last mark
    bool racy_ = false;               // the mark was taken within a tick of that time
    // The file's modification time and size now, on each platform.
    void stamp(std::int64_t (&out)[2]);
    // Whether a modification time is so close to now that another write
    // may still come with the same one.
    static bool recent(std::int64_t modified);
};

// A save's hold on the state file, for as long as it lives.
class SaveLock {
  public:
    explicit SaveLock(StateFile& file) : file_(file) { file_.lock_for_save(); }
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;
    ~SaveLock() { file_.unlock(); }

  private:
    StateFile& file_;
};

// The file a link at `path` leads to, so that it is the one read, written
// and put aside; `path` itself when it is no link, or leads nowhere.
std::string through_links(const std::string& path);

// Removes what a program killed while making the state file at `path`
// left beside it: this file's own temporaries, whose program is gone.
void remove_own_temporaries(const std::string& path);

// Whether a regular file (or a link to one) is at `path`: one system call.
bool exists(const std::string& path);

// Writes a small file of the virtual IOW24's own whole, or not at all:
// beside it first, then renamed over it. File work, no USB traffic.
bool write_whole(const std::string& path, const std::string& text);

// Removes a file of the virtual IOW24's own; nothing when there is none.
void remove_file(const std::string& path);

// Renames `path` to a name that starts with `aside` and that no file has;
// the name taken, or nothing when it cannot.
std::optional<std::string> put_aside(const std::string& path, const std::string& aside);

// The names of the files in `folder` that begin with `start`, letters in
// either case.
std::vector<std::string> names_starting(const std::string& folder, const std::string& start);

using texte::variable;

// What the temporaries beside a file of the virtual IOW24's own are named
// with, after the file's name.
inline constexpr const char* kTemporaryMark = ".tmp-";

// Seconds since 1970 on the PC's clock, for names; the PC's local time of
// day and date at `seconds` since 1970.
using temps::local_time;
using temps::now_seconds;

}  // namespace iowvirt::fichiers
