#include <windows.h>

#include <fstream>
#include <sstream>

#include "tests/host/processus.h"

std::string own_folder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

namespace {

constexpr DWORD kMostMs = 120000;

std::string temp_folder() {
    char path[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, path);
    return std::string(path, length);
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

// One argument as the child's command-line parser reads it back.
std::string quoted(const std::string& argument) {
    std::string text = "\"";
    for (char c : argument) {
        if (c == '"') text += '\\';
        text += c;
    }
    return text + "\"";
}

HANDLE inheritable_file(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

Finished run_program(const std::string& program, const std::vector<std::string>& arguments,
                     const std::vector<std::pair<std::string, std::string>>& environment) {
    const std::string path = own_folder() + program;
    std::string command = quoted(path);
    for (const auto& a : arguments)
        command += " " + quoted(a);
    const std::string stem = temp_folder() + "rtc-" + std::to_string(GetCurrentProcessId());
    const std::string out_path = stem + ".out", err_path = stem + ".err";
    HANDLE out = inheritable_file(out_path);
    HANDLE err = inheritable_file(err_path);

    // The child inherits the environment as it is when it starts.
    for (const auto& [name, value] : environment)
        SetEnvironmentVariableA(name.c_str(), value.c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION child{};
    Finished finished;
    if (CreateProcessA(path.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &child)) {
        // A program that hangs is ended, never waited for.
        if (WaitForSingleObject(child.hProcess, kMostMs) == WAIT_TIMEOUT)
            TerminateProcess(child.hProcess, 124);
        DWORD code = 0;
        GetExitCodeProcess(child.hProcess, &code);
        finished.status = static_cast<int>(code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    for (const auto& pair : environment)
        SetEnvironmentVariableA(pair.first.c_str(), nullptr);
    CloseHandle(out);
    CloseHandle(err);
    finished.out = slurp(out_path);
    finished.err = slurp(err_path);
    DeleteFileA(out_path.c_str());
    DeleteFileA(err_path.c_str());
    return finished;
}

std::string scratch_file(const std::string& name, const std::string& content) {
    const std::string path =
        temp_folder() + "rtc-host-test-" + std::to_string(GetCurrentProcessId()) + "-" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}
