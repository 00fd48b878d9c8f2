#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/lettres.h"
#include "virtual/garde/fichiers.h"
#include "virtual/garde/occupe.h"

namespace iowvirt::fichiers {

namespace {

constexpr const char* kStateFile = "rtc_iow24/horloge-virtuelle.bin";
// Temporaries are named after the state file, its program and a count.
// Names tried for a file put aside before giving up.
constexpr int kAsideTries = 1000;

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

bool make_folders(const std::string& folder) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool write_all(int fd, std::size_t at, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(at + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool read_from_start(int fd, std::size_t most, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::uint8_t buffer[4096];
    for (ssize_t n; bytes.size() <= most;) {
        n = ::pread(fd, buffer, std::min(sizeof buffer, most + 1 - bytes.size()),
                    static_cast<off_t>(bytes.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return true;
}

// Digits only, none too many for a process number.
bool whole_number(const std::string& text, long& value) {
    value = static_cast<long>(texte::digits_only(text, 9));
    return value >= 0;
}

// A program may have closed its standard input, output or error: a file
// opened then would take its place, and every line printed would land in
// it. Every descriptor here is moved above them.
int above_standard(int fd) {
    constexpr int kFirstFree = STDERR_FILENO + 1;
    if (fd < 0 || fd >= kFirstFree) return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, kFirstFree);
    const int error = errno;
    ::close(fd);
    errno = error;
    return moved;
}

int open_file(const char* path, int flags, mode_t mode = 0) {
    return above_standard(::open(path, flags, mode));
}

void sync_folder(const std::string& folder) {
    const int dir = open_file(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    fsync(dir);
    ::close(dir);
}

}  // namespace

std::string default_state_path() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::string(state) + "/" + kStateFile;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/state/" + kStateFile;
    return "";
}

std::string default_state_needs() { return "ni XDG_STATE_HOME ni HOME en chemin absolu"; }

std::string pc_words_path() { return "/etc/rtc_iow24/iowvirt.txt"; }

std::string library_folder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&library_folder), &info) == 0 || info.dli_fname == nullptr)
        return "./";
    return folder_of(info.dli_fname) + "/";
}

std::optional<std::vector<std::uint8_t>> read(const std::string& path, std::size_t most,
                                              std::string& why) {
    // Work on the disk, however slow, is no IOW24 time.
    const Busy reading;
    // Not blocking: a pipe at the path must not hold the device's open.
    const int fd = open_file(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno != ENOENT) why = std::strerror(errno);
        return std::nullopt;
    }
    struct stat info {};
    std::vector<std::uint8_t> bytes;
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const bool read = regular && read_from_start(fd, most, bytes);
    if (!read) why = regular ? std::strerror(errno) : "pas un fichier ordinaire";
    ::close(fd);
    if (!read) return std::nullopt;
    return bytes;
}

StateFile::Found StateFile::open(const std::string& path, std::size_t most,
                                 std::vector<std::uint8_t>& bytes, std::string& why) {
    const Busy opening;
    close();
    const int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    int fd = open_file(path.c_str(), O_RDWR | flags);
    // A file the user may read but not write still gives its time.
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        read_only_ = std::strerror(errno);
        fd = open_file(path.c_str(), O_RDONLY | flags);
    }
    if (fd < 0) {
        if (errno == ENOENT) return Found::nothing;
        why = std::strerror(errno);
        return errno == EISDIR || errno == ENXIO ? Found::not_regular : Found::unreadable;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Found::not_regular;
    }
    handle_ = fd;
    mark();
    if (!read_from_start(fd, most, bytes)) {
        why = std::strerror(errno);
        close();
        return Found::unreadable;
    }
    return Found::regular;
}

bool StateFile::read_again(std::size_t most, std::vector<std::uint8_t>& bytes) {
    const Busy reading;
    return is_open() && read_from_start(static_cast<int>(handle_), most, bytes);
}

StateFile::Made StateFile::create(const std::string& path, const std::vector<std::uint8_t>& bytes,
                                  std::vector<std::uint8_t>& found, std::string& why) {
    const Busy making;
    static std::atomic<unsigned> count{0};
    close();
    const std::string folder = folder_of(path);
    if (!make_folders(folder)) {
        why = "dossier " + folder + " : " + std::strerror(errno);
        return Made::failed;
    }
    const std::string temporary =
        path + kTemporaryMark + std::to_string(getpid()) + "-" + std::to_string(count++);
    const int fd = open_file(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        why = temporary + " : " + std::strerror(errno);
        return Made::failed;
    }
    // Made once per place: this one flush costs nothing a step would see.
    bool made = write_all(fd, 0, bytes) && fsync(fd) == 0;
    int error = errno;
    ::close(fd);
    // Linked in only where nothing is: a file another program made
    // meanwhile is kept, and taken as it is. A file system without links
    // takes a rename.
    bool taken = false;
    if (made && ::link(temporary.c_str(), path.c_str()) != 0) {
        taken = errno == EEXIST;
        if (!taken) {
            made = std::rename(temporary.c_str(), path.c_str()) == 0;
            error = errno;
        }
    }
    ::unlink(temporary.c_str());
    if (made && !taken) sync_folder(folder);
    std::string unused;
    if (!made || open(path, kRecordsSize, found, unused) != Found::regular) {
        why = path + " : " + std::strerror(made ? errno : error);
        close();
        return Made::failed;
    }
    if (taken) return Made::taken;
    dirty_ = true;
    return Made::made;
}

bool StateFile::rewrite(std::size_t at, const std::vector<std::uint8_t>& bytes, std::string& why) {
    const Busy writing;
    if (!read_only_.empty()) {
        why = read_only_;
        return false;
    }
    if (is_open() && write_all(static_cast<int>(handle_), at, bytes)) {
        mark();  // its own writes are no other program's
        return dirty_ = true;
    }
    why = std::strerror(is_open() ? errno : EBADF);
    return false;
}

bool StateFile::read_records(std::vector<std::uint8_t>& bytes) {
    const Busy reading;
    bytes.resize(kRecordsSize);
    ssize_t n;
    while ((n = ::pread(static_cast<int>(handle_), bytes.data(), bytes.size(), 0)) < 0 &&
           errno == EINTR) {
    }
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return is_open() && n >= 0;
}

void StateFile::stamp(std::int64_t (&out)[2]) {
    struct stat info {};
    if (!is_open() || fstat(static_cast<int>(handle_), &info) != 0) return;
    out[0] = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    out[1] = static_cast<std::int64_t>(info.st_size);
}

bool StateFile::recent(std::int64_t modified) {
    // Coarser than any file system's tick.
    constexpr std::int64_t kTickNs = 100'000'000;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return modified >=
           static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec - kTickNs;
}

void StateFile::lock_for_save() {
    if (!is_open() || !read_only_.empty()) return;
    // Another program's save may be held up on a slow disk.
    const Busy waiting;
    while (::flock(static_cast<int>(handle_), LOCK_EX) != 0 && errno == EINTR) {
    }
}

void StateFile::unlock() {
    if (is_open()) ::flock(static_cast<int>(handle_), LOCK_UN);
}

void StateFile::close() {
    read_only_.clear();
    if (!is_open()) return;
    const Busy flushing;
    // Only what this program wrote is flushed: a reader costs the disk
    // nothing.
    if (dirty_) fsync(static_cast<int>(handle_));
    dirty_ = false;
    ::close(static_cast<int>(handle_));
    handle_ = kNone;
}

std::string through_links(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    if (char* target = realpath(path.c_str(), nullptr)) {
        const std::string resolved = target;
        std::free(target);
        return resolved;
    }
    // A link to a file not made yet: it is made where the link leads.
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return path;
    target.resize(static_cast<std::size_t>(length));
    return target[0] == '/' ? target : folder_of(path) + "/" + target;
}

void remove_own_temporaries(const std::string& path) {
    const Busy cleaning;
    const std::string folder = folder_of(path);
    const std::string start = name_of(path) + kTemporaryMark;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind(start, 0) != 0) continue;
        const std::string rest = name.substr(start.size());
        const std::size_t dash = rest.find('-');
        long pid = 0, number = 0;
        if (dash == std::string::npos || !whole_number(rest.substr(0, dash), pid) ||
            !whole_number(rest.substr(dash + 1), number))
            continue;
        // Another program's temporary while it runs is its own business.
        const bool gone =
            pid == getpid() || (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
        if (gone) ::unlink((folder + "/" + name).c_str());
    }
    closedir(dir);
}

bool exists(const std::string& path) {
    const Busy looking;
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void remove_file(const std::string& path) { ::unlink(path.c_str()); }

std::optional<std::string> put_aside(const std::string& path, const std::string& aside) {
    for (int i = 1; i <= kAsideTries; ++i) {
        const std::string name = i == 1 ? aside : aside + "-" + std::to_string(i);
        if (::link(path.c_str(), name.c_str()) == 0) {
            ::unlink(path.c_str());
            return name;
        }
        if (errno == EEXIST) continue;
        // No links here: a rename, to a name no file has.
        struct stat info {};
        if (lstat(name.c_str(), &info) == 0) continue;
        if (std::rename(path.c_str(), name.c_str()) == 0) return name;
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace iowvirt::fichiers
