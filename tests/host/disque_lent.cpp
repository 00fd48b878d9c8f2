// A slow disk, for the process tests, preloaded into the program under
// test: fsync of the file named by RTC_TEST_SLOW_FSYNC (or of one made
// beside it under a longer name) takes 400 ms, the first write to the file
// named by RTC_TEST_SLOW_WRITE is held up for 1.5 s, as a program preempted
// or scanned by an antivirus in mid-save, opening the file named by
// RTC_TEST_SLOW_OPEN takes 2 s, the first lock taken on the file named by
// RTC_TEST_SLOW_LOCK waits 1.5 s, as for another program's save, and
// opening any file whose path starts with RTC_TEST_HUNG_OPEN never returns,
// as on a share whose server went away.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <sys/types.h>

#include <atomic>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Whether `fd` is the file the variable `name` names, or one whose name
// starts with it (the temporary a file is made in).
bool names(const char* name, int fd) {
    const char* path = std::getenv(name);
    char link[64], target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (path == nullptr || length <= 0) return false;
    target[length] = '\0';
    return std::strncmp(target, path, std::strlen(path)) == 0;
}

void pause_ms(long ms) {
    const timespec wait{ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&wait, nullptr);
}

template <typename Fn>
Fn next(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

std::atomic<bool> write_held{false}, lock_held{false};

// The hold starts: the file RTC_TEST_HOLD_SIGNAL names is made, for the
// test to start what must come during it.
void hold_first_write(int fd) {
    if (!names("RTC_TEST_SLOW_WRITE", fd) || write_held.exchange(true)) return;
    if (const char* signal = std::getenv("RTC_TEST_HOLD_SIGNAL")) {
        static const auto real_open = next<int (*)(const char*, int, ...)>("open");
        const int made = real_open(signal, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (made >= 0) close(made);
    }
    pause_ms(1500);
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
    static const auto real = next<int (*)(const char*, int, ...)>("open");
    mode_t mode = 0;
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
        va_list rest;
        va_start(rest, flags);
        mode = va_arg(rest, mode_t);
        va_end(rest);
    }
    const char* slow = std::getenv("RTC_TEST_SLOW_OPEN");
    if (slow != nullptr && std::strcmp(path, slow) == 0) pause_ms(2000);
    const char* hung = std::getenv("RTC_TEST_HUNG_OPEN");
    while (hung != nullptr && std::strncmp(path, hung, std::strlen(hung)) == 0)
        pause_ms(1000);
    return real(path, flags, mode);
}

extern "C" int fsync(int fd) {
    static const auto real = next<int (*)(int)>("fsync");
    if (names("RTC_TEST_SLOW_FSYNC", fd)) pause_ms(400);
    return real(fd);
}

extern "C" ssize_t pwrite(int fd, const void* buffer, size_t count, off_t at) {
    static const auto real = next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    hold_first_write(fd);
    return real(fd, buffer, count, at);
}

extern "C" ssize_t pwrite64(int fd, const void* buffer, size_t count, off_t at) {
    static const auto real = next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite64");
    hold_first_write(fd);
    return real(fd, buffer, count, at);
}

extern "C" int flock(int fd, int operation) {
    static const auto real = next<int (*)(int, int)>("flock");
    if ((operation & LOCK_EX) != 0 && names("RTC_TEST_SLOW_LOCK", fd) && !lock_held.exchange(true))
        pause_ms(1500);
    return real(fd, operation);
}
