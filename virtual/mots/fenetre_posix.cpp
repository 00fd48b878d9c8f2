#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "platform/lettres.h"
#include "virtual/mots/fenetre.h"

namespace iowvirt::fenetre {

namespace {

constexpr std::size_t kMostStatBytes = 4096;

// A process's start, in clock ticks since boot: the 22nd field of its stat
// line, counted after its name, which may hold anything; empty when gone.
std::string started(long pid) {
    const int fd = ::open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "";
    std::string line(kMostStatBytes, '\0');
    const ssize_t n = ::read(fd, line.data(), line.size());
    ::close(fd);
    line.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    std::size_t at = line.rfind(')');
    // The blank before each of fields 3 to 22.
    for (int field = 3; field <= 22 && at != std::string::npos; ++field)
        at = line.find(' ', at + 1);
    if (at == std::string::npos) return "";
    return line.substr(at + 1, line.find(' ', at + 1) - at - 1);
}

}  // namespace

std::string parent_window() {
    const long parent = static_cast<long>(getppid());
    const std::string start = started(parent);
    return start.empty() ? "" : std::to_string(parent) + " " + start;
}

bool window_open(const std::string& window) {
    const std::size_t blank = window.find(' ');
    if (blank == std::string::npos) return false;
    const long pid = static_cast<long>(texte::digits_only(window.substr(0, blank), 9));
    const std::string start = pid > 0 ? started(pid) : "";
    return !start.empty() && start == window.substr(blank + 1);
}

}  // namespace iowvirt::fenetre
