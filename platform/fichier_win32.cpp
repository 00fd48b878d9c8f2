#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/fichier.h"
#include "platform/utf16.h"

namespace texte {

WholeFile read_whole_file(const std::string& path, std::size_t most, bool regular_only) {
    WholeFile file;
    const std::wstring wide = utf16(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        file.why = "c'est un dossier, pas un fichier";
        return file;
    }
    const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        file.why = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                       ? "fichier introuvable"
                   : error == ERROR_ACCESS_DENIED ? "accès refusé"
                                                  : message_systeme(error);
        return file;
    }
    if (regular_only && GetFileType(handle) != FILE_TYPE_DISK)
        file.why = "ce n'est pas un fichier ordinaire";
    LARGE_INTEGER size{};
    file.too_large =
        GetFileSizeEx(handle, &size) && static_cast<std::uint64_t>(size.QuadPart) > most;
    char buffer[65536];
    for (DWORD n = 0; file.why.empty() && !file.too_large;) {
        if (!ReadFile(handle, buffer, sizeof buffer, &n, nullptr))
            file.why = message_systeme(GetLastError());
        if (!file.why.empty() || n == 0) break;
        file.too_large = file.text.size() + n > most;
        file.text.append(buffer, n);
    }
    CloseHandle(handle);
    file.read = file.why.empty() && !file.too_large;
    return file;
}

namespace {

// Not shared for deleting: a program cleaning up temporaries leaves it
// alone while this one writes and moves it.
HANDLE new_temporary(const std::string& temporary) {
    return CreateFileW(utf16(temporary).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Moves the file held as `file` to `path` while it is still held, so that
// no other program's clean-up of temporaries takes it between its last
// write and its move; flushed then, the move with it. Where a file is
// already, it stays unless `replace`.
bool move_held(HANDLE file, const std::string& path, bool replace) {
    const std::wstring relative = utf16(path);
    const DWORD length = GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
    std::wstring target(length, L'\0');
    if (length == 0 || GetFullPathNameW(relative.c_str(), length, target.data(), nullptr) >= length)
        return false;
    target.resize(std::wcslen(target.c_str()));
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, target.data(), info->FileNameLength);
    return SetFileInformationByHandle(file, FileRenameInfo, info,
                                      static_cast<DWORD>(buffer.size())) != 0 &&
           FlushFileBuffers(file) != 0;
}

bool exists_already(DWORD code) {
    return code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS;
}

Placed write_held(const std::string& path, const std::string& text, const char* mark, bool replace,
                  std::string& why) {
    static std::atomic<unsigned> count{0};
    const std::string temporary =
        path + mark + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(count++);
    HANDLE file = new_temporary(temporary);
    if (file == INVALID_HANDLE_VALUE) {
        why = temporary + " : " + message_systeme(GetLastError());
        return Placed::failed;
    }
    DWORD written = 0;
    const bool whole =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size() && FlushFileBuffers(file);
    Placed placed = Placed::failed;
    if (whole && move_held(file, path, replace))
        placed = Placed::placed;
    else if (whole && exists_already(GetLastError()))
        placed = Placed::taken;
    if (placed == Placed::failed) why = path + " : " + message_systeme(GetLastError());
    CloseHandle(file);
    if (placed != Placed::placed) DeleteFileW(utf16(temporary).c_str());
    return placed;
}

}  // namespace

bool write_whole_file(const std::string& path, const std::string& text, const char* mark) {
    std::string why;
    return write_held(path, text, mark, true, why) == Placed::placed;
}

Placed place_whole_file(const std::string& path, const std::string& text, const char* mark,
                        std::string& why) {
    return write_held(path, text, mark, false, why);
}

Placed rename_if_free(const std::string& from, const std::string& to) {
    if (MoveFileExW(utf16(from).c_str(), utf16(to).c_str(), 0)) return Placed::placed;
    return exists_already(GetLastError()) ? Placed::taken : Placed::failed;
}

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string name_of(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

std::vector<std::string> file_names(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const bool ends = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    HANDLE search = FindFirstFileW(utf16(folder + (ends ? "*" : "\\*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(utf8(found.cFileName));
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool variable(const char* name, std::string& value) {
    const std::wstring wide_name = utf16(name);
    SetLastError(ERROR_SUCCESS);
    const DWORD needed = GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
    if (needed == 0) {
        value.clear();
        // Set but empty is still set.
        return GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    }
    std::vector<wchar_t> buffer(needed);
    const DWORD length = GetEnvironmentVariableW(wide_name.c_str(), buffer.data(), needed);
    value = utf8(std::wstring_view(buffer.data(), length));
    return true;
}

}  // namespace texte
