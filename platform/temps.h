// The PC's clock as programs read it: seconds since 1970, and the local
// time of day and date at a moment, on each platform.
#pragma once

#include <cstdint>
#include <ctime>

namespace temps {

std::int64_t now_seconds();
std::tm local_time(std::int64_t seconds);

}  // namespace temps
