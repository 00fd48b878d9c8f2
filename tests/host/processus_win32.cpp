#include <windows.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "tests/host/processus.h"
#include "tests/host/processus_win32.h"

std::string own_folder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

std::string temp_folder() {
    char path[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, path);
    return std::string(path, length);
}

unsigned long own_number() { return GetCurrentProcessId(); }

namespace child {

std::wstring wide(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        length);
    return result;
}

// The child's text, with its console line ends made plain.
std::string slurp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream stream;
    stream << file.rdbuf();
    std::string text;
    for (char c : stream.str()) {
        if (c != '\r') text += c;
    }
    return text;
}

// As the C runtime splits a command line: backslashes count only before a
// quote, where each is doubled ("C:\dossier\" ends in one backslash).
std::string quoted(const std::string& argument) {
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '"') text.append(backslashes + 1, '\\');
        backslashes = c == '\\' ? backslashes + 1 : 0;
        text += c;
    }
    return text.append(backslashes, '\\') + "\"";
}

HANDLE inheritable_file(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// As cmd opens a file for ">>": made where none is, then its end.
HANDLE added_to_file(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    SetFilePointer(file, 0, nullptr, FILE_END);
    return file;
}

Variables set_variables(const Environment& environment) {
    Variables before;
    for (const auto& [name, value] : environment) {
        wchar_t kept[32768];
        const DWORD length = GetEnvironmentVariableW(wide(name).c_str(), kept, 32768);
        before.emplace_back(wide(name), length > 0 && length < 32768
                                            ? std::optional<std::wstring>(kept)
                                            : std::nullopt);
        SetEnvironmentVariableW(wide(name).c_str(),
                                value == kUnset ? nullptr : wide(value).c_str());
    }
    return before;
}

void put_back(const Variables& before) {
    for (auto it = before.rbegin(); it != before.rend(); ++it)
        SetEnvironmentVariableW(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
}

}  // namespace child

using namespace child;

struct Started {
    bool started = false;
    PROCESS_INFORMATION child{};
    std::string out_path, err_path;
};

Started* start_program(const std::string& program, const std::vector<std::string>& arguments,
                       const Environment& environment) {
    static int count = 0;
    const std::string path =
        program.find_first_of("/\\") == std::string::npos ? own_folder() + program : program;
    std::string command = quoted(path);
    for (const auto& a : arguments)
        command += " " + quoted(a);
    const std::string stem = temp_folder() + "rtc-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(count++);
    // Standard output sent to a file of the test's, as "> res.csv" does;
    // the test reads it itself.
    std::string out_file;
    for (const auto& [name, value] : environment)
        if (name == kStdoutTo && value != kClosed && value != kReadOnly) out_file = value;
    const std::string out_path = out_file.empty() ? stem + ".out" : out_file,
                      err_path = stem + ".err";
    HANDLE out = inheritable_file(out_path);
    HANDLE err = inheritable_file(err_path);

    const Variables before = set_variables(environment);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    // A stream left closed, as a scheduled task may start a program, or
    // one that refuses every write.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_only = CreateFileA((stem + ".lecture").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE added = nullptr;
    for (const auto& [name, value] : environment)
        if (name == kStdoutAddTo) startup.hStdOutput = added = added_to_file(value);
    for (const auto& [name, value] : environment) {
        if (value != kClosed && value != kReadOnly) continue;
        const HANDLE given = value == kClosed ? nullptr : read_only;
        if (name == kStdoutTo) startup.hStdOutput = given;
        if (name == kStderrTo) startup.hStdError = given;
    }
    DWORD flags = 0;
    for (const auto& pair : environment)
        flags |= pair.first == kNewConsole ? CREATE_NEW_CONSOLE
                 : pair.first == kNoWindow ? CREATE_NO_WINDOW
                 : pair.first == kDetached ? DETACHED_PROCESS
                                           : 0;
    auto* started = new Started;
    started->started = CreateProcessA(path.c_str(), command.data(), nullptr, nullptr, TRUE, flags,
                                      nullptr, nullptr, &startup, &started->child) != 0;
    put_back(before);
    CloseHandle(out);
    CloseHandle(err);
    CloseHandle(read_only);
    if (added != nullptr) CloseHandle(added);
    DeleteFileA((stem + ".lecture").c_str());
    started->out_path = out_file.empty() ? out_path : "";
    started->err_path = err_path;
    return started;
}

Finished finish_program(Started* started) {
    Finished finished;
    if (started->started) {
        // A program that hangs is ended, never waited for.
        if (WaitForSingleObject(started->child.hProcess, kMostMs) == WAIT_TIMEOUT)
            TerminateProcess(started->child.hProcess, 124);
        DWORD code = 0;
        GetExitCodeProcess(started->child.hProcess, &code);
        finished.status = static_cast<int>(code);
        CloseHandle(started->child.hThread);
        CloseHandle(started->child.hProcess);
    }
    if (!started->out_path.empty()) {
        finished.out = slurp(started->out_path);
        DeleteFileA(started->out_path.c_str());
    }
    finished.err = slurp(started->err_path);
    DeleteFileA(started->err_path.c_str());
    delete started;
    return finished;
}
