#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <ctime>

#include "virtual/fichiers.h"

namespace iowvirt::fichiers {

namespace {

constexpr const char* kStateFile = "rtc_iow24\\horloge-virtuelle.bin";
// Another process may hold the file a moment (reading it, or renaming its
// own over it): a rename is tried again this often, this far apart.
constexpr int kRenameTries = 50;
constexpr DWORD kRenamePauseMs = 2;

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string system_message(DWORD code) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
    std::string message = text[0] ? text : "erreur " + std::to_string(code);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message;
}

bool make_folders(const std::string& folder) {
    for (std::size_t at = 3; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '\\' && folder[at] != '/') continue;
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    }
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::string default_state_path() {
    const char* local = std::getenv("LOCALAPPDATA");
    if (local == nullptr || local[0] == '\0') return "";
    return std::string(local) + "\\" + kStateFile;
}

std::string library_folder() {
    HMODULE self = nullptr;
    char path[MAX_PATH] = {};
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&library_folder), &self) ||
        GetModuleFileNameA(self, path, MAX_PATH) == 0)
        return ".\\";
    return folder_of(path) + "\\";
}

std::optional<std::vector<std::uint8_t>> read(const std::string& path, std::string& why) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
            why = system_message(code);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    CloseHandle(file);
    return bytes;
}

bool write_whole(const std::string& path, const std::vector<std::uint8_t>& bytes,
                 std::string& why) {
    static std::atomic<unsigned> count{0};
    const std::string folder = folder_of(path);
    if (!make_folders(folder)) {
        why = "dossier " + folder + " : " + system_message(GetLastError());
        return false;
    }
    const std::string temporary =
        path + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(count++);
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = temporary + " : " + system_message(GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool whole =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file);
    CloseHandle(file);
    bool moved = false;
    for (int i = 0; whole && !moved && i < kRenameTries; ++i) {
        moved = MoveFileExA(temporary.c_str(), path.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        if (!moved) Sleep(kRenamePauseMs);
    }
    if (!moved) {
        why = path + " : " + system_message(GetLastError());
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

bool move(const std::string& path, const std::string& aside) {
    return MoveFileExA(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::int64_t now_seconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace iowvirt::fichiers
