#include <windows.h>

#include <cstdint>

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

}  // namespace texte
