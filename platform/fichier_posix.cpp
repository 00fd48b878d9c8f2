#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/descripteur.h"
#include "platform/fichier.h"

namespace texte {

int above_standard(int fd) {
    constexpr int kFirstFree = STDERR_FILENO + 1;
    if (fd < 0 || fd >= kFirstFree) return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, kFirstFree);
    const int error = errno;
    ::close(fd);
    errno = error;
    return moved;
}

namespace {

std::string reason(int error) {
    return error == ENOENT   ? "fichier introuvable"
           : error == EACCES ? "accès refusé"
                             : std::strerror(error);
}

}  // namespace

WholeFile read_whole_file(const std::string& path, std::size_t most, bool regular_only) {
    WholeFile file;
    // Opened without waiting for a writer, when only a regular file will do.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (regular_only ? O_NONBLOCK : 0));
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        file.why = reason(errno);
        if (fd >= 0) ::close(fd);
        return file;
    }
    if (S_ISDIR(info.st_mode))
        file.why = "c'est un dossier, pas un fichier";
    else if (regular_only && !S_ISREG(info.st_mode))
        file.why = "ce n'est pas un fichier ordinaire";
    file.too_large = S_ISREG(info.st_mode) && static_cast<std::uintmax_t>(info.st_size) > most;
    char buffer[65536];
    while (file.why.empty() && !file.too_large) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) file.why = std::strerror(errno);
            break;
        }
        file.too_large = file.text.size() + static_cast<std::size_t>(n) > most;
        file.text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    file.read = file.why.empty() && !file.too_large;
    return file;
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

namespace {

// The temporary beside `path`, written whole and flushed; its name, or
// empty with `why`.
std::string whole_temporary(const std::string& path, const std::string& text, const char* mark,
                            std::string& why) {
    static std::atomic<unsigned> count{0};
    const std::string temporary =
        path + mark + std::to_string(getpid()) + "-" + std::to_string(count++);
    const int fd =
        above_standard(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (fd < 0) {
        why = temporary + " : " + std::strerror(errno);
        return "";
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const bool written = done == text.size() && fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) == 0 && written) return temporary;
    why = temporary + " : " + std::strerror(written ? errno : error);
    ::unlink(temporary.c_str());
    return "";
}

// Its new name made durable with the file.
void sync_folder(const std::string& path) {
    const int dir =
        above_standard(::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir < 0) return;
    fsync(dir);
    ::close(dir);
}

}  // namespace

bool write_whole_file(const std::string& path, const std::string& text, const char* mark) {
    std::string why;
    const std::string temporary = whole_temporary(path, text, mark, why);
    if (temporary.empty()) return false;
    if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

Placed place_whole_file(const std::string& path, const std::string& text, const char* mark,
                        std::string& why) {
    const std::string temporary = whole_temporary(path, text, mark, why);
    if (temporary.empty()) return Placed::failed;
    const Placed placed = rename_if_free(temporary, path);
    if (placed == Placed::failed) why = path + " : " + std::strerror(errno);
    if (placed != Placed::placed) ::unlink(temporary.c_str());
    if (placed == Placed::placed) sync_folder(path);
    return placed;
}

// Linked in only where nothing is; a file system without links takes a
// rename, to a name no file has.
Placed rename_if_free(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return Placed::placed;
    }
    if (errno == EEXIST) return Placed::taken;
    struct stat info {};
    if (lstat(to.c_str(), &info) == 0) return Placed::taken;
    return std::rename(from.c_str(), to.c_str()) == 0 ? Placed::placed : Placed::failed;
}

std::vector<std::string> file_names(const std::string& folder) {
    std::vector<std::string> names;
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) return names;
    while (const dirent* entry = readdir(listing))
        if (entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN) names.push_back(entry->d_name);
    closedir(listing);
    std::sort(names.begin(), names.end());
    return names;
}

bool variable(const char* name, std::string& value) {
    const char* set = std::getenv(name);
    value = set != nullptr ? set : "";
    return set != nullptr;
}

}  // namespace texte
