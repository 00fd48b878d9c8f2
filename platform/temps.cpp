#include "platform/temps.h"

namespace temps {

std::int64_t now_seconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::tm local_time(std::int64_t seconds) {
    const std::time_t at = static_cast<std::time_t>(seconds);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &at);
#else
    localtime_r(&at, &local);
#endif
    return local;
}

}  // namespace temps
