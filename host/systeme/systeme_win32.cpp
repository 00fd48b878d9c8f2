#include <windows.h>
// After windows.h, which it needs.
#include <conio.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "host/systeme/systeme.h"
#include "platform/utf16.h"

namespace host {

const char* const kBlockFile = "rtc_iow24.dll";
const char* const kDeviceFile = "iowkit.dll";
const char* const kPathSeparator = "\\";
const char* const kWhereToPutTheDevice =
    "Windows ne trouve pas la vraie iowkit.dll : installez le logiciel de l'IOW24, qui la "
    "place dans le dossier système (C:\\Windows\\SysWOW64 sur un Windows 64 bits, "
    "C:\\Windows\\System32 sur un Windows 32 bits), ou copiez-la à côté de rtc_host.exe. "
    "Pour essayer sans matériel : « Verifier le cablage virtuel.cmd ».";

namespace {

std::string module_file(void* module) {
    const std::string path = texte::fichier_du_module(module);
    return path.empty() ? "?" : path;
}

// Machines a PE file says it is built for, in its file header.
constexpr std::uint16_t kMachineX64 = 0x8664, kMachineArm64 = 0xAA64;
constexpr std::size_t kPeOffsetAt = 0x3C, kHeaderBytes = 4096;

// Whether the file is a 64-bit Windows library, from its headers.
bool sixty_four_bits(const std::string& path) {
    std::string head;
    HANDLE file = CreateFileW(texte::utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[kHeaderBytes];
    DWORD n = 0;
    if (ReadFile(file, buffer, sizeof buffer, &n, nullptr)) head.assign(buffer, n);
    CloseHandle(file);
    if (head.size() < kPeOffsetAt + 4 || head.compare(0, 2, "MZ") != 0) return false;
    const auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(head[at]); };
    const std::size_t pe = byte(kPeOffsetAt) | byte(kPeOffsetAt + 1) << 8 |
                           static_cast<std::size_t>(byte(kPeOffsetAt + 2)) << 16;
    if (pe + 6 > head.size() || head.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return false;
    const std::uint16_t machine = static_cast<std::uint16_t>(byte(pe + 4) | byte(pe + 5) << 8);
    return machine == kMachineX64 || machine == kMachineArm64;
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
    if (library != nullptr) return library;
    const DWORD code = GetLastError();
    const std::string name = file_name(path);
    // Whatever the system said of it (an ARM64 library is no x64 one), a
    // 64-bit library is told as such.
    if (sixty_four_bits(path)) {
        const bool vowel =
            !name.empty() && std::string("aeiouyAEIOUY").find(name[0]) != std::string::npos;
        error =
            "c'est une bibliothèque 64 bits, et rtc_host, le bloc et les simulateurs qui le "
            "chargent sont des programmes 32 bits : il faut la version 32 bits " +
            std::string(vowel ? "d'" : "de ") + name;
    } else {
        error = texte::message_systeme(code, name);
    }
    return nullptr;
}

void* find_function(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void unload_library(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string library_path(void* library) { return module_file(library); }

std::string file_version(const std::string& path) {
    const std::wstring file = texte::utf16(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return "";
    std::vector<char> info(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(file.c_str(), 0, size, info.data()) ||
        !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        fixed == nullptr || length < sizeof *fixed)
        return "";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionLS));
}

std::string program_folder() {
    const std::string full = module_file(nullptr);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

std::string where_to_find(const std::string& path) {
    const bool absolute =
        path.size() >= 2 && (path[1] == ':' || (path[0] == '\\' && path[1] == '\\'));
    if (absolute || path.empty() || file_exists(path)) return "";
    wchar_t here[MAX_PATH];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, here);
    if (length == 0 || length >= MAX_PATH) return "";
    return "Cherché dans le dossier " + texte::utf8(here) +
           " ; Excel enregistre d'habitude dans Documents : donnez le chemin complet du fichier "
           "(par exemple --script \"%USERPROFILE%\\Documents\\essai.csv\").";
}

bool file_exists(const std::string& path) {
    return GetFileAttributesW(texte::utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> environment_names() {
    std::vector<std::string> names;
    wchar_t* block = GetEnvironmentStringsW();
    if (block == nullptr) return names;
    for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
        // "=C:=C:\..." entries keep each drive's folder: their name starts with '='.
        const std::wstring text = entry;
        names.push_back(texte::utf8(text.substr(0, text.find(L'=', 1))));
    }
    FreeEnvironmentStringsW(block);
    return names;
}

void open_document(const std::string& path) {
    ShellExecuteW(nullptr, L"open", texte::utf16(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool is_folder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(texte::utf16(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string standard_output_file() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE ||
        GetFileType(output) != FILE_TYPE_DISK)
        return "";
    wchar_t path[MAX_PATH * 4];
    const DWORD length =
        GetFinalPathNameByHandleW(output, path, MAX_PATH * 4, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= MAX_PATH * 4) return "";
    return texte::utf8(std::wstring(path, length));
}

bool output_is_console() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::string appended_output_start() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    LARGE_INTEGER size{}, at{}, none{};
    // ">>" in cmd opens the file and moves to its end before the program
    // starts.
    if (output == nullptr || output == INVALID_HANDLE_VALUE ||
        GetFileType(output) != FILE_TYPE_DISK || !GetFileSizeEx(output, &size) ||
        size.QuadPart == 0 || !SetFilePointerEx(output, none, &at, FILE_CURRENT) ||
        at.QuadPart == 0)
        return "";
    const HANDLE file = CreateFileW(texte::utf16(standard_output_file()).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string text(kMostFirstLine, '\0');
    DWORD n = 0;
    if (!ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &n, nullptr)) n = 0;
    CloseHandle(file);
    text.resize(n);
    return text.substr(0, text.find('\n'));
}

void end_process(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    // No DLL is told: the device library may be inside the stuck call.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    ExitProcess(static_cast<UINT>(status));
}

// Files are handles here, never the C runtime's descriptors 0-2: no file
// can take a closed stream's place. A stream with no handle, or one that
// refuses a write of nothing (a handle for reading only, one closed under
// the program), fails every write: it counts as closed.
ClosedStreams keep_standard_streams() {
    const auto closed = [](DWORD which) {
        const HANDLE handle = GetStdHandle(which);
        DWORD written = 0;
        return handle == nullptr || handle == INVALID_HANDLE_VALUE ||
               !WriteFile(handle, "", 0, &written, nullptr);
    };
    return {closed(STD_OUTPUT_HANDLE), closed(STD_ERROR_HANDLE)};
}

bool started_alone() {
    DWORD processes[2];
    DWORD mode = 0;
    ConsoleSeen seen;
    seen.processes = static_cast<int>(GetConsoleProcessList(processes, 2));
    seen.window = GetConsoleWindow() != nullptr;
    seen.keyboard = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
    return waits_for_a_key(seen);
}

void wait_for_a_key() { _getch(); }

}  // namespace host
