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

#include "platform/fichier.h"

namespace texte {

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

bool write_whole_file(const std::string& path, const std::string& text, const char* mark) {
    static std::atomic<unsigned> count{0};
    const std::string temporary =
        path + mark + std::to_string(getpid()) + "-" + std::to_string(count++);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const bool written = done == text.size() && fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
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
