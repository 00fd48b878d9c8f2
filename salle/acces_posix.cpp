// The room's files on Linux.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>

#include "salle/salle.h"

namespace salle {

std::string pc_folder() { return "/etc/rtc_iow24/"; }

std::string computer_name() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

std::string account_name() {
    const passwd* entry = getpwuid(geteuid());
    if (entry != nullptr && entry->pw_name != nullptr) return entry->pw_name;
    std::string name;
    return variable("USER", name) ? name : std::to_string(geteuid());
}

std::string program_name() {
    char path[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    const std::string program(path, static_cast<std::size_t>(length));
    return program.substr(program.find_last_of('/') + 1);
}

bool variable(const char* name, std::string& value) {
    const char* set = std::getenv(name);
    if (set == nullptr) return false;
    value = set;
    return true;
}

bool drop_file(const std::string& folder, const std::string& name, const std::string& text) {
    mkdir(folder.c_str(), 0777);
    static std::atomic<unsigned> count{0};
    const std::string path = in_folder(folder, name);
    const std::string temporary =
        path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(count++);
    const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file < 0) return false;
    const bool written = write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const bool whole = written && fsync(file) == 0 && close(file) == 0 &&
                       rename(temporary.c_str(), path.c_str()) == 0;
    if (!written) close(file);
    if (!whole) unlink(temporary.c_str());
    return whole;
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

void keep_code_loaded() {
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&keep_code_loaded), &self) == 0 || self.dli_fname == nullptr)
        return;
    // A reference never given back: the library stays until the process ends.
    dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

}  // namespace salle
