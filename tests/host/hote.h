// The stand-in host as its process tests start it.
#pragma once

#include <string>
#include <vector>

#ifdef _WIN32
inline const std::string kHost = "rtc_host.exe";
// Without a display the block's message boxes go to the console.
inline const std::vector<std::string> kAlerts{"--console-alerts"};
#else
inline const std::string kHost = "rtc_host";
inline const std::vector<std::string> kAlerts{};
#endif
