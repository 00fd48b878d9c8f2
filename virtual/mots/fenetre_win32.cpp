#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdint>
#include <string>

#include "platform/lettres.h"
#include "virtual/mots/fenetre.h"

namespace iowvirt::fenetre {

namespace {

// A process's creation time, while it runs; empty once it has ended.
std::string started(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) return "";
    FILETIME created{}, exited{}, kernel{}, user{};
    DWORD code = 0;
    const bool running = GetProcessTimes(process, &created, &exited, &kernel, &user) &&
                         GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    if (!running) return "";
    return std::to_string(static_cast<std::uint64_t>(created.dwHighDateTime) << 32 |
                          created.dwLowDateTime);
}

}  // namespace

std::string parent_window() {
    HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (all == INVALID_HANDLE_VALUE) return "";
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (bool more = Process32FirstW(all, &entry); more; more = Process32NextW(all, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    CloseHandle(all);
    const std::string start = parent == 0 ? "" : started(parent);
    return start.empty() ? "" : std::to_string(parent) + " " + start;
}

bool window_open(const std::string& window) {
    const std::size_t blank = window.find(' ');
    if (blank == std::string::npos) return false;
    const std::int64_t pid = texte::digits_only(window.substr(0, blank), 9);
    const std::string start = pid > 0 ? started(static_cast<DWORD>(pid)) : "";
    return !start.empty() && start == window.substr(blank + 1);
}

}  // namespace iowvirt::fenetre
