// The room's files on Linux.
#include <dlfcn.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool drop_file(const std::string& folder, const std::string& name, const std::string& text) {
    mkdir(folder.c_str(), 0777);
    return texte::write_whole_file(in_folder(folder, name), text, ".tmp-");
}

void keep_code_loaded() {
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&keep_code_loaded), &self) == 0 || self.dli_fname == nullptr)
        return;
    // A reference never given back: the library stays until the process ends.
    dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

}  // namespace salle
