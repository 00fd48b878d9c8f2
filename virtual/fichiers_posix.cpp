#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "virtual/fichiers.h"

namespace iowvirt::fichiers {

namespace {

constexpr const char* kStateFile = "rtc_iow24/horloge-virtuelle.bin";

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool make_folders(const std::string& folder) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool write_all(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string default_state_path() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::string(state) + "/" + kStateFile;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/state/" + kStateFile;
    return "";
}

std::string library_folder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&library_folder), &info) == 0 || info.dli_fname == nullptr)
        return "./";
    return folder_of(info.dli_fname) + "/";
}

std::optional<std::vector<std::uint8_t>> read(const std::string& path, std::size_t most,
                                              std::string& why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) why = std::strerror(errno);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    for (ssize_t n;
         bytes.size() <= most &&
         (n = ::read(fd, buffer, std::min(sizeof buffer, most + 1 - bytes.size()))) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = std::strerror(errno);
            ::close(fd);
            return std::nullopt;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    return bytes;
}

bool write_whole(const std::string& path, const std::vector<std::uint8_t>& bytes,
                 std::string& why) {
    static std::atomic<unsigned> count{0};
    const std::string folder = folder_of(path);
    if (!make_folders(folder)) {
        why = "dossier " + folder + " : " + std::strerror(errno);
        return false;
    }
    const std::string temporary =
        path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(count++);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        why = temporary + " : " + std::strerror(errno);
        return false;
    }
    const bool written = write_all(fd, bytes) && fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        why = path + " : " + std::strerror(written ? errno : error);
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        ::close(dir);
    }
    return true;
}

bool move(const std::string& path, const std::string& aside) {
    return std::rename(path.c_str(), aside.c_str()) == 0;
}

bool variable(const char* name, std::string& value) {
    const char* set = std::getenv(name);
    value = set != nullptr ? set : "";
    return set != nullptr;
}

std::int64_t now_seconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace iowvirt::fichiers
