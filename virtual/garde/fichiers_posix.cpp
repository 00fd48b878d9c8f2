#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/descripteur.h"
#include "virtual/garde/fichiers.h"
#include "virtual/garde/fichiers_plateforme.h"
#include "virtual/garde/occupe.h"

namespace iowvirt::fichiers {

namespace {

constexpr const char* kStateFile = "rtc_iow24/horloge-virtuelle.bin";

}  // namespace

std::string in_folder(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

bool make_folders(const std::string& folder, std::string& why) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            why = "dossier " + folder + " : " + std::strerror(errno);
            return false;
        }
    }
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
    why = "dossier " + folder + " : " + std::strerror(errno);
    return false;
}

namespace {

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

int open_file(const char* path, int flags, mode_t mode = 0) {
    return texte::above_standard(::open(path, flags, mode));
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
    const Busy looking;
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

bool program_gone(long pid) {
    return pid == getpid() || (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

bool exists(const std::string& path) {
    const Busy looking;
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void remove_file(const std::string& path) {
    const Busy removing;
    ::unlink(path.c_str());
}

}  // namespace iowvirt::fichiers
