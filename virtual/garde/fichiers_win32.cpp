#include <windows.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "platform/utf16.h"
#include "virtual/garde/fichiers.h"
#include "virtual/garde/fichiers_plateforme.h"
#include "virtual/garde/occupe.h"

namespace iowvirt::fichiers {

namespace {

constexpr const char* kStateFile = "rtc_iow24\\horloge-virtuelle.bin";

// Every path reaches the system in UTF-16: a user name outside the ANSI
// code page must not become another folder.
std::wstring wide(const std::string& path) { return texte::utf16(path); }

}  // namespace

std::string in_folder(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

bool make_folders(const std::string& folder, std::string& why) {
    for (std::size_t at = 3; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '\\' && folder[at] != '/') continue;
        CreateDirectoryW(wide(folder.substr(0, at)).c_str(), nullptr);
    }
    const DWORD attributes = GetFileAttributesW(wide(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return true;
    why = "dossier " + folder + " : " + texte::message_systeme(GetLastError());
    return false;
}

namespace {

// At most `most` + 1 bytes from the file's start, wherever its pointer is.
bool read_from_start(HANDLE file, std::size_t most, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::uint8_t buffer[4096];
    while (bytes.size() <= most) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(bytes.size());
        DWORD n = 0;
        if (!ReadFile(file, buffer,
                      static_cast<DWORD>(std::min(sizeof buffer, most + 1 - bytes.size())), &n,
                      &at))
            return GetLastError() == ERROR_HANDLE_EOF;
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return true;
}

}  // namespace

std::string default_state_path() {
    std::string local;
    if (!texte::variable("LOCALAPPDATA", local) || local.empty()) return "";
    return local + "\\" + kStateFile;
}

std::string default_state_needs() { return "LOCALAPPDATA n'est pas défini"; }

std::string pc_words_path() {
    std::string all_accounts;
    if (!texte::variable("ProgramData", all_accounts) || all_accounts.empty()) return "";
    return all_accounts + "\\rtc_iow24\\iowvirt.txt";
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
    // Work on the disk, however slow, is no IOW24 time.
    const Busy reading;
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
    const bool regular = GetFileType(file) == FILE_TYPE_DISK;
    const bool read = regular && read_from_start(file, most, bytes);
    if (!read) why = regular ? texte::message_systeme(GetLastError()) : "pas un fichier ordinaire";
    CloseHandle(file);
    if (!read) return std::nullopt;
    return bytes;
}

StateFile::Found StateFile::open(const std::string& path, std::size_t most,
                                 std::vector<std::uint8_t>& bytes, std::string& why) {
    const Busy opening;
    close();
    constexpr DWORD kShared = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShared, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    // A file the user may read but not write still gives its time.
    if (file == INVALID_HANDLE_VALUE &&
        (GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_WRITE_PROTECT)) {
        read_only_ = texte::message_systeme(GetLastError());
        file = CreateFileW(wide(path).c_str(), GENERIC_READ, kShared, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return Found::nothing;
        const DWORD attributes = GetFileAttributesW(wide(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return Found::not_regular;
        why = texte::message_systeme(code);
        return Found::unreadable;
    }
    // A console, a pipe or a device name such as NUL is not a file.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return Found::not_regular;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    mark();
    if (!read_again(most, bytes)) {
        why = texte::message_systeme(GetLastError());
        close();
        return Found::unreadable;
    }
    return Found::regular;
}

bool StateFile::read_again(std::size_t most, std::vector<std::uint8_t>& bytes) {
    const Busy reading;
    return is_open() && read_from_start(reinterpret_cast<HANDLE>(handle_), most, bytes);
}

bool StateFile::rewrite(std::size_t at, const std::vector<std::uint8_t>& bytes, std::string& why) {
    const Busy writing;
    if (!read_only_.empty()) {
        why = read_only_;
        return false;
    }
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    DWORD written = 0;
    if (is_open() &&
        WriteFile(reinterpret_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(bytes.size()),
                  &written, &where) &&
        written == bytes.size()) {
        mark();  // its own writes are no other program's
        return dirty_ = true;
    }
    why = texte::message_systeme(is_open() ? GetLastError() : ERROR_INVALID_HANDLE);
    return false;
}

bool StateFile::read_records(std::vector<std::uint8_t>& bytes) {
    const Busy reading;
    bytes.resize(kRecordsSize);
    OVERLAPPED at{};
    DWORD n = 0;
    const bool read = is_open() && ReadFile(reinterpret_cast<HANDLE>(handle_), bytes.data(),
                                            static_cast<DWORD>(bytes.size()), &n, &at);
    bytes.resize(read ? n : 0);
    return read;
}

namespace {
// A byte far past the records: locking it holds up no read of them.
constexpr DWORD kSaveLockOffset = 0x7FFFFFF0;
}  // namespace

void StateFile::stamp(std::int64_t (&out)[2]) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!is_open() || !GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle_), &info)) return;
    out[0] = static_cast<std::int64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 |
             info.ftLastWriteTime.dwLowDateTime;
    out[1] = static_cast<std::int64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
}

bool StateFile::recent(std::int64_t modified) {
    // Coarser than any file system's tick, in 100 ns units.
    constexpr std::int64_t kTick = 1'000'000;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return modified >=
           (static_cast<std::int64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime) - kTick;
}

void StateFile::lock_for_save() {
    if (!is_open() || !read_only_.empty()) return;
    // Another program's save may be held up on a slow disk.
    const Busy waiting;
    OVERLAPPED at{};
    at.Offset = kSaveLockOffset;
    LockFileEx(reinterpret_cast<HANDLE>(handle_), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at);
}

void StateFile::unlock() {
    if (!is_open()) return;
    OVERLAPPED at{};
    at.Offset = kSaveLockOffset;
    UnlockFileEx(reinterpret_cast<HANDLE>(handle_), 0, 1, 0, &at);
}

void StateFile::close() {
    read_only_.clear();
    if (!is_open()) return;
    const Busy flushing;
    // Only what this program wrote is flushed: a reader costs the disk
    // nothing.
    if (dirty_) FlushFileBuffers(reinterpret_cast<HANDLE>(handle_));
    dirty_ = false;
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = kNone;
}

std::string through_links(const std::string& path) {
    // Windows opens through links itself, and a rename moves the link.
    return path;
}

// A temporary another program still writes is held without sharing for
// deletion: removing it fails while that program runs.
bool program_gone(long) { return true; }

bool exists(const std::string& path) {
    const Busy looking;
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void remove_file(const std::string& path) {
    const Busy removing;
    DeleteFileW(wide(path).c_str());
}

}  // namespace iowvirt::fichiers
