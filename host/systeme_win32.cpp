#include <windows.h>

#include <cstdio>

#include "host/systeme.h"

namespace host {

const char* const kBlockFile = "rtc_iow24.dll";
const char* const kDeviceFile = "iowkit.dll";
const char* const kWhereToPutTheDevice =
    "Windows ne trouve pas l'iowkit.dll de Code Mercenaries : installez le logiciel de "
    "l'IOW24, qui la place dans le dossier système (C:\\Windows\\SysWOW64 sur un Windows "
    "64 bits, C:\\Windows\\System32 sur un Windows 32 bits), ou copiez-la à côté de "
    "rtc_host.exe.";

void* load_library(const std::string& path, std::string& error) {
    // Once a DLL named iowkit.dll is loaded, the block's import of that name
    // binds to it instead of searching the path.
    HMODULE library = LoadLibraryA(path.c_str());
    if (library == nullptr) {
        char message[512] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       GetLastError(), 0, message, sizeof message, nullptr);
        error = message[0] ? message : "erreur " + std::to_string(GetLastError());
        while (!error.empty() && (error.back() == '\n' || error.back() == '\r'))
            error.pop_back();
    }
    return library;
}

void* find_function(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void unload_library(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string library_path(void* library) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(library), path, MAX_PATH);
    return std::string(path, length);
}

std::string program_folder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

bool file_exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void end_process(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    // No DLL is told: the device library may be inside the stuck call.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    ExitProcess(static_cast<UINT>(status));
}

void use_utf8_console() { SetConsoleOutputCP(CP_UTF8); }

}  // namespace host
