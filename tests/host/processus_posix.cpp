#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/host/processus.h"

std::string own_folder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string full(path, length > 0 ? static_cast<std::size_t>(length) : 0);
    return full.substr(0, full.find_last_of('/') + 1);
}

namespace {

constexpr unsigned kMostSeconds = 120;

std::string slurp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

struct Started {
    pid_t child;
    std::string out_path, err_path;
    int terminal = -1;  // the terminal's side that reads what the child shows
};

namespace {

// A terminal for the child's stdout (its other side kept here), when the
// environment asks for one.
int terminal_for(const Environment& environment) {
    for (const auto& pair : environment) {
        if (pair.first != kStdoutTerminal) continue;
        const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) return master;
    }
    return -1;
}

// What the child showed on its terminal, its line ends as written.
std::string shown(int terminal) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    close(terminal);
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

}  // namespace

Started* start_program(const std::string& program, const std::vector<std::string>& arguments,
                       const Environment& environment) {
    const std::string path =
        program.find_first_of("/\\") == std::string::npos ? own_folder() + program : program;
    char out_path[] = "/tmp/rtc-out-XXXXXX";
    char err_path[] = "/tmp/rtc-err-XXXXXX";
    const int out = mkstemp(out_path);
    const int err = mkstemp(err_path);
    const int terminal = terminal_for(environment);
    const pid_t child = fork();
    if (child == 0) {
        // A program that hangs is killed, never waited for.
        alarm(kMostSeconds);
        dup2(terminal >= 0 ? open(ptsname(terminal), O_RDWR | O_NOCTTY) : out, 1);
        dup2(err, 2);
        for (const auto& [name, value] : environment) {
            if (value == kUnset)
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
            if (name == kStdoutTo || name == kStderrTo) {
                const int stream = name == kStdoutTo ? 1 : 2;
                int ends[2];
                if (value == kClosed) {
                    close(stream);
                } else if (value == kReadOnly) {
                    dup2(open("/dev/null", O_RDONLY), stream);
                } else if (value == kReaderGone && pipe(ends) == 0) {
                    close(ends[0]);
                    dup2(ends[1], stream);
                    signal(SIGPIPE, SIG_DFL);
                } else {
                    // Created or emptied, as the shell does for "> res.csv".
                    dup2(open(value.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), stream);
                }
            }
            // Root keeps the power to pass over permissions through exec
            // unless its bounding set loses it.
            if (name == kFilePermissions)
                for (int power : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
                    prctl(PR_CAPBSET_DROP, power, 0, 0, 0);
            if (name == kStdoutAddTo)
                dup2(open(value.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644), 1);
            if (name == kPrivateEtc) {
                const std::string layers = "lowerdir=" + value + ":/etc";
                if (unshare(CLONE_NEWNS) != 0 ||
                    mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                    mount("overlay", "/etc", "overlay", MS_RDONLY, layers.c_str()) != 0)
                    _exit(kNoPrivateEtc);
            }
            if (name == kFileSizeLimit) {
                // A write past the limit fails (EFBIG) instead of killing.
                signal(SIGXFSZ, SIG_IGN);
                const rlim_t most = std::strtoul(value.c_str(), nullptr, 10);
                const rlimit limit{most, most};
                setrlimit(RLIMIT_FSIZE, &limit);
            }
        }
        std::vector<char*> argv{const_cast<char*>(path.c_str())};
        for (const auto& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    close(out);
    close(err);
    return new Started{child, out_path, err_path, terminal};
}

Finished finish_program(Started* started) {
    int status = 0;
    waitpid(started->child, &status, 0);
    Finished finished{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                      slurp(started->out_path), slurp(started->err_path)};
    if (started->terminal >= 0) finished.out = shown(started->terminal);
    unlink(started->out_path.c_str());
    unlink(started->err_path.c_str());
    delete started;
    return finished;
}

Finished run_killed(const std::string& program, const std::vector<std::string>& arguments,
                    const Environment& environment, std::chrono::microseconds after) {
    Started* started = start_program(program, arguments, with_own_state(environment));
    // Not a wait for the program's time: the moment of a kill, at random.
    usleep(static_cast<useconds_t>(after.count()));
    kill(started->child, SIGKILL);
    return finish_program(started);
}

std::string temp_folder() { return "/tmp/"; }

unsigned long own_number() { return static_cast<unsigned long>(getpid()); }
