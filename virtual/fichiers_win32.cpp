#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>

#include "platform/utf16.h"
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

// Every path reaches the system in UTF-16: a user name outside the ANSI
// code page must not become another folder.
std::wstring wide(const std::string& path) { return texte::utf16(path); }

bool make_folders(const std::string& folder) {
    for (std::size_t at = 3; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '\\' && folder[at] != '/') continue;
        CreateDirectoryW(wide(folder.substr(0, at)).c_str(), nullptr);
    }
    const DWORD attributes = GetFileAttributesW(wide(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::string default_state_path() {
    std::string local;
    if (!texte::variable("LOCALAPPDATA", local) || local.empty()) return "";
    return local + "\\" + kStateFile;
}

std::string library_folder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&library_folder), &self))
        return ".\\";
    const std::string path = texte::fichier_du_module(self);
    return path.empty() ? ".\\" : folder_of(path) + "\\";
}

std::optional<std::vector<std::uint8_t>> read(const std::string& path, std::size_t most,
                                              std::string& why) {
    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
            why = texte::message_systeme(code);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    DWORD n = 0;
    while (bytes.size() <= most &&
           ReadFile(file, buffer,
                    static_cast<DWORD>(std::min(sizeof buffer, most + 1 - bytes.size())), &n,
                    nullptr) &&
           n > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    CloseHandle(file);
    return bytes;
}

bool write_whole(const std::string& path, const std::vector<std::uint8_t>& bytes,
                 std::string& why) {
    static std::atomic<unsigned> count{0};
    const std::string folder = folder_of(path);
    if (!make_folders(folder)) {
        why = "dossier " + folder + " : " + texte::message_systeme(GetLastError());
        return false;
    }
    const std::string temporary =
        path + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(count++);
    HANDLE file = CreateFileW(wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        why = temporary + " : " + texte::message_systeme(GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool whole =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file);
    CloseHandle(file);
    bool moved = false;
    for (int i = 0; whole && !moved && i < kRenameTries; ++i) {
        moved = MoveFileExW(wide(temporary).c_str(), wide(path).c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        if (!moved) Sleep(kRenamePauseMs);
    }
    if (!moved) {
        why = path + " : " + texte::message_systeme(GetLastError());
        DeleteFileW(wide(temporary).c_str());
        return false;
    }
    return true;
}

bool move(const std::string& path, const std::string& aside) {
    return MoveFileExW(wide(path).c_str(), wide(aside).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool variable(const char* name, std::string& value) { return texte::variable(name, value); }

std::int64_t now_seconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace iowvirt::fichiers
