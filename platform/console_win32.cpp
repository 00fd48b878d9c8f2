#include <windows.h>

#include <io.h>

#include <string>

#include "platform/console.h"
#include "platform/utf16.h"

namespace texte {

void ecrire(std::FILE* flux, std::string_view texte) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(flux)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
        std::fwrite(texte.data(), 1, texte.size(), flux);
        return;
    }
    // What the C runtime holds goes first, so that the lines keep their order.
    std::fflush(flux);
    const std::wstring wide = utf16(texte);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

}  // namespace texte
