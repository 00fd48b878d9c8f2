#include <windows.h>

#include "host/systeme.h"

namespace host {

const char* const kBlockFile = "rtc_iow24.dll";
const char* const kDeviceFile = "iowkit.dll";

void* load_library(const std::string& path, std::string& error) {
    // Once a DLL named iowkit.dll is loaded, the block's import of that name
    // binds to it instead of searching the path.
    HMODULE library = LoadLibraryA(path.c_str());
    if (library == nullptr) {
        char message[512] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       GetLastError(), 0, message, sizeof message, nullptr);
        error = message[0] ? message : "error " + std::to_string(GetLastError());
        while (!error.empty() && (error.back() == '\n' || error.back() == '\r'))
            error.pop_back();
    }
    return library;
}

void* find_function(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void unload_library(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string program_folder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

bool file_exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void sleep_ms(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

void use_utf8_console() { SetConsoleOutputCP(CP_UTF8); }

}  // namespace host
