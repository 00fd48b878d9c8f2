// A program run where a person would read it: in a console, started there
// by a small program of the tests that then reads the screen back.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "tests/host/processus_win32.h"

using namespace child;

namespace {

// Started with no handles named: in the console, it opens its own.
void run_in(HPCON console, const std::string& command_line) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::string room(size, '\0');
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(room.data());
    InitializeProcThreadAttributeList(attributes, 1, 0, &size);
    UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_PSEUDOCONSOLE, console,
                              sizeof console, nullptr, nullptr);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.lpAttributeList = attributes;
    std::wstring command = wide(command_line);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                       EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &startup.StartupInfo,
                       &process)) {
        if (WaitForSingleObject(process.hProcess, kMostMs) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 124);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    DeleteProcThreadAttributeList(attributes);
}

// What the console's own program saw, line by line.
std::vector<std::string> read_back(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    DeleteFileA(path.c_str());
    return lines;
}

}  // namespace

Screen run_on_screen(const std::string& program, const std::vector<std::string>& arguments,
                     const Environment& environment) {
    HANDLE keys_read, keys_written, shown_read, shown_written;
    CreatePipe(&keys_read, &keys_written, nullptr, 0);
    CreatePipe(&shown_read, &shown_written, nullptr, 0);
    HPCON console = nullptr;
    CreatePseudoConsole(COORD{300, 60}, keys_read, shown_written, 0, &console);
    // What the console sends on for a terminal is not read here, but it
    // must flow, or the console would wait.
    std::thread drain([shown_read] {
        char bytes[4096];
        DWORD n = 0;
        while (ReadFile(shown_read, bytes, sizeof bytes, &n, nullptr) && n > 0) {
        }
    });
    std::string command = quoted(own_folder() + program);
    for (const std::string& a : arguments)
        command += " " + quoted(a);
    Environment variables = with_own_state(environment);
    variables.emplace_back("RTC_ECRAN_COMMANDE", command);
    const std::string seen = scratch_folder("ecran") + "ecran.txt";
    const Variables kept = set_variables(variables);
    run_in(console, quoted(own_folder() + "ecran_console.exe") + " " + quoted(seen));
    put_back(kept);
    ClosePseudoConsole(console);
    CloseHandle(shown_written);
    CloseHandle(keys_read);
    CloseHandle(keys_written);
    drain.join();
    CloseHandle(shown_read);
    const std::vector<std::string> lines = read_back(seen);
    Screen screen;
    if (lines.size() < 3) return screen;
    screen.code_page_before = std::stoul(lines[0]);
    screen.code_page_after = std::stoul(lines[1]);
    screen.status = std::stoi(lines[2]);
    screen.lines.assign(lines.begin() + 3, lines.end());
    return screen;
}
