// The stand-in host as its process tests start it.
#pragma once

#include <string>
#include <vector>

#ifdef _WIN32
inline const std::string kBlockFile = "rtc_iow24.dll", kDeviceFile = "iowkit.dll";
inline const std::string kSeparator = "\\";
inline const std::string kHost = "rtc_host.exe";
// Without a display the block's message boxes go to the console.
inline const std::vector<std::string> kAlerts{"--console-alerts"};
#else
inline const std::string kBlockFile = "librtc_iow24.so", kDeviceFile = "libiowkit.so";
inline const std::string kSeparator = "/";
inline const std::string kHost = "rtc_host";
inline const std::vector<std::string> kAlerts{};
#endif

// A library's path as the host names it: `folder` with or without its
// trailing separator.
inline std::string library_in(const std::string& folder, const std::string& file) {
    const bool ends = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
    return folder + (ends ? "" : kSeparator) + file;
}
