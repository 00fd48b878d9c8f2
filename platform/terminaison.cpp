// Windows programs and DLLs link the C++ runtime statically. Its default
// terminate handler names the uncaught exception's type, and for that
// brings in the whole C++ symbol demangler (about 50 KB a binary). This one
// says the same in one line and ends the program as the default does. To a
// console the line goes out in wide characters, as every other line a
// person reads does, whatever the console's code page; elsewhere, in
// UTF-8. No heap: the exception may be an allocation that failed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>

#define RTC_LIGNE "Erreur interne : exception C++ non traitée, arrêt du programme.\n"

namespace {

constexpr char kLine[] = RTC_LIGNE;
constexpr wchar_t kLineWide[] = L"" RTC_LIGNE;

}  // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0, written = 0;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        std::fflush(stderr);
        WriteConsoleW(handle, kLineWide, static_cast<DWORD>(std::size(kLineWide) - 1), &written,
                      nullptr);
    } else {
        std::fputs(kLine, stderr);
    }
    std::abort();
}

}  // namespace __gnu_cxx
