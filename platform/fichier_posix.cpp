#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
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

}  // namespace texte
