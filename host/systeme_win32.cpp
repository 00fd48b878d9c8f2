#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdint>
#include <cstdio>

#include "host/systeme.h"
#include "platform/utf16.h"

namespace host {

const char* const kBlockFile = "rtc_iow24.dll";
const char* const kDeviceFile = "iowkit.dll";
const char* const kWhereToPutTheDevice =
    "Windows ne trouve pas l'iowkit.dll de Code Mercenaries : installez le logiciel de "
    "l'IOW24, qui la place dans le dossier système (C:\\Windows\\SysWOW64 sur un Windows "
    "64 bits, C:\\Windows\\System32 sur un Windows 32 bits), ou copiez-la à côté de "
    "rtc_host.exe.";

namespace {

std::string module_file(void* module) {
    const std::string path = texte::fichier_du_module(module);
    return path.empty() ? "?" : path;
}

}  // namespace

std::vector<std::string> arguments(int argc, char** argv) {
    // The ANSI arguments lose every character outside the code page: the
    // wide command line has them all.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i)
        result.push_back(texte::utf8(wide[i]));
    LocalFree(wide);
    return result;
}

void* load_library(const std::string& path, std::string& error) {
    // Once a DLL named iowkit.dll is loaded, the block's import of that name
    // binds to it instead of searching the path.
    HMODULE library = LoadLibraryW(texte::utf16(path).c_str());
    if (library == nullptr) error = texte::message_systeme(GetLastError());
    return library;
}

void* find_function(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void unload_library(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string library_path(void* library) { return module_file(library); }

std::string program_folder() {
    const std::string full = module_file(nullptr);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

bool read_file(const std::string& path, std::size_t most, std::string& text, std::string& why) {
    const HANDLE file =
        CreateFileW(texte::utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        why = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? "fichier introuvable"
              : error == ERROR_ACCESS_DENIED                                 ? "accès refusé"
                                             : texte::message_systeme(error);
        return false;
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && static_cast<std::uint64_t>(size.QuadPart) > most)
        why = too_large(most);
    char buffer[65536];
    for (DWORD n = 0; why.empty();) {
        if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr))
            why = texte::message_systeme(GetLastError());
        if (!why.empty() || n == 0) break;
        if (text.size() + n > most) why = too_large(most);
        text.append(buffer, n);
    }
    CloseHandle(file);
    return why.empty();
}

bool file_exists(const std::string& path) {
    return GetFileAttributesW(texte::utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES;
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
