#include <dlfcn.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host/systeme/systeme.h"

namespace host {

const char* const kBlockFile = "librtc_iow24.so";
const char* const kDeviceFile = "libiowkit.so";
const char* const kPathSeparator = "/";
const char* const kWhereToPutTheDevice =
    "Le système ne trouve pas la bibliothèque de l'IOW24 : placez-la dans un dossier de "
    "bibliothèques du système, ou donnez son chemin avec --device.";

std::vector<std::string> arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

void* load_library(const std::string& path, std::string& error) {
    // Global, so that a library loaded later binds to this one's symbols.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (library == nullptr) error = dlerror();
    return library;
}

void* find_function(void* library, const char* name) { return dlsym(library, name); }

void unload_library(void* library) { dlclose(library); }

std::string library_path(void* library) {
    link_map* map = nullptr;
    if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return "?";
    char full[PATH_MAX];
    return realpath(map->l_name, full) != nullptr ? full : map->l_name;
}

std::string file_version(const std::string&) { return ""; }

std::string program_folder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "./";
    const std::string full(path, static_cast<std::size_t>(length));
    return full.substr(0, full.find_last_of('/') + 1);
}

bool file_exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::vector<std::string> environment_names() {
    std::vector<std::string> names;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        names.push_back(text.substr(0, text.find('=')));
    }
    return names;
}

void open_document(const std::string& path) {
    // Started twice removed, so that no child is left for this process to
    // wait for; where no desktop opener is installed, nothing happens.
    const pid_t child = fork();
    if (child == 0) {
        if (fork() == 0) {
            const int nothing = open("/dev/null", O_RDWR);
            dup2(nothing, STDIN_FILENO), dup2(nothing, STDOUT_FILENO), dup2(nothing, STDERR_FILENO);
            execlp("xdg-open", "xdg-open", path.c_str(), static_cast<char*>(nullptr));
        }
        _exit(0);
    }
    if (child > 0) waitpid(child, nullptr, 0);
}

bool is_folder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string standard_output_file() {
    struct stat info {};
    if (fstat(STDOUT_FILENO, &info) != 0 || !S_ISREG(info.st_mode)) return "";
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/fd/1", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "";
}

bool output_is_console() { return isatty(STDOUT_FILENO) == 1; }

std::string appended_output_start() {
    struct stat info {};
    if (fstat(STDOUT_FILENO, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0) return "";
    const int flags = fcntl(STDOUT_FILENO, F_GETFL);
    const bool adding =
        (flags >= 0 && (flags & O_APPEND) != 0) || lseek(STDOUT_FILENO, 0, SEEK_CUR) > 0;
    const int fd = adding ? ::open(standard_output_file().c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0) return "";
    std::string text(kMostFirstLine, '\0');
    const ssize_t n = ::read(fd, text.data(), text.size());
    ::close(fd);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text.substr(0, text.find('\n'));
}

std::string where_to_find(const std::string& path) {
    if (path.empty() || path[0] == '/' || file_exists(path)) return "";
    char here[PATH_MAX];
    if (getcwd(here, sizeof here) == nullptr) return "";
    return std::string("Cherché dans le dossier ") + here +
           " : donnez le chemin complet du fichier, ou lancez rtc_host depuis son dossier.";
}

void end_process(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(status);
}

ClosedStreams keep_standard_streams() {
    std::signal(SIGPIPE, SIG_IGN);
    ClosedStreams closed;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        const int flags = fcntl(fd, F_GETFL);
        // Open for reading only, output refuses every write: as good as closed.
        if (flags != -1 && fd != STDIN_FILENO && (flags & O_ACCMODE) == O_RDONLY) {
            if (fd == STDOUT_FILENO) closed.output = true;
            if (fd == STDERR_FILENO) closed.error = true;
            continue;
        }
        if (flags != -1 || errno != EBADF) continue;
        // Read-only: what is written to it fails, and says so.
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0 && null != fd) {
            dup2(null, fd);
            ::close(null);
        }
        if (fd == STDOUT_FILENO) closed.output = true;
        if (fd == STDERR_FILENO) closed.error = true;
    }
    return closed;
}

bool started_alone() { return false; }

void wait_for_a_key() {}

}  // namespace host
