// The room's files on Windows: every path in UTF-16, so that a folder with
// accents on the share is the one reached.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <ctime>

#include "platform/utf16.h"
#include "salle/salle.h"

namespace salle {

namespace {

std::wstring wide(const std::string& path) { return texte::utf16(path); }

}  // namespace

std::string pc_folder() {
    std::string all_accounts;
    if (!variable("ProgramData", all_accounts) || all_accounts.empty()) return "";
    return all_accounts + "\\rtc_iow24\\";
}

std::string computer_name() {
    std::string name;
    return variable("COMPUTERNAME", name) ? name : "";
}

std::string account_name() {
    std::string name;
    return variable("USERNAME", name) ? name : "";
}

std::string program_name() {
    const std::string program = texte::fichier_du_module(nullptr);
    return program.substr(program.find_last_of("\\/") + 1);
}

bool variable(const char* name, std::string& value) { return texte::variable(name, value); }

bool drop_file(const std::string& folder, const std::string& name, const std::string& text) {
    CreateDirectoryW(wide(folder).c_str(), nullptr);
    static std::atomic<unsigned> count{0};
    const std::string path = in_folder(folder, name);
    const std::string temporary =
        path + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(count++);
    HANDLE file = CreateFileW(wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool flushed =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    const bool whole = flushed && MoveFileExW(wide(temporary).c_str(), wide(path).c_str(),
                                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!whole) DeleteFileW(wide(temporary).c_str());
    return whole;
}

std::vector<std::string> file_names(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(wide(in_folder(folder, "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(texte::utf8(found.cFileName));
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void keep_code_loaded() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&keep_code_loaded), &self);
}

}  // namespace salle
