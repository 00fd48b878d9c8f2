// Started in the console that a test reads, as a command prompt: runs the
// command line in RTC_ECRAN_COMMANDE with the console as its standard
// streams, then writes into the file named first the console's output code
// page before and after, the command's exit status and each line of the
// screen up to the cursor, in UTF-8.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const std::wstring& wide) {
    std::string text(wide.size() * 3 + 1, '\0');
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                            static_cast<int>(text.size()), nullptr, nullptr);
    return text.substr(0, static_cast<std::size_t>(length));
}

DWORD run(HANDLE keys, HANDLE screen) {
    wchar_t command[32768];
    if (GetEnvironmentVariableW(L"RTC_ECRAN_COMMANDE", command, 32768) == 0) return 1000;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = keys;
    startup.hStdOutput = screen;
    startup.hStdError = screen;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return 1001;
    DWORD code = 1002;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, 124);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE keys =
        CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    const HANDLE screen =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    const UINT before = GetConsoleOutputCP();
    const DWORD status = run(keys, screen);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(screen, &info)) return 3;
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) return 4;
    std::fprintf(file, "%u\n%u\n%lu\n", before, GetConsoleOutputCP(), status);
    std::wstring row(static_cast<std::size_t>(info.dwSize.X), L' ');
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, row.data(), static_cast<DWORD>(row.size()), COORD{0, y},
                                    &read);
        std::fprintf(file, "%s\n", utf8(row.substr(0, row.find_last_not_of(L' ') + 1)).c_str());
    }
    return std::fclose(file) == 0 ? 0 : 5;
}
