// A disk slow to flush, for the process tests: fsync of the file named by
// RTC_TEST_SLOW_FSYNC takes 400 ms. Preloaded into the program under test.
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int fsync(int fd) {
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    const char* slow = std::getenv("RTC_TEST_SLOW_FSYNC");
    char link[64], target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (slow != nullptr && length > 0) {
        target[length] = '\0';
        if (std::strcmp(target, slow) == 0) {
            const timespec flush{0, 400000000};
            nanosleep(&flush, nullptr);
        }
    }
    return real(fd);
}
