// Runs of the real program against a virtual clock that keeps its state
// in a file, with the PC's clock injected (IOWVIRT_NOW).
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/host/hote.h"
#include "tests/host/processus.h"

// Seconds since 1970 of a UTC date and time (proleptic Gregorian).
inline long long epoch(int y, int m, int d, int hh, int mm, int ss) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return (era * 146097 + doe - 719468) * 86400 + hh * 3600 + mm * 60 + ss;
}

inline const long long kMonday = epoch(2026, 12, 7, 9, 0, 0);

inline std::string read_bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

inline void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The rtc_host of the build with the virtual IOW24 at `state`, the PC's
// clock standing at `now`.
inline Finished host(const std::string& state, long long now, std::vector<std::string> arguments,
                     const std::string& iowvirt = "") {
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    Environment environment{{"IOWVIRT_STATE", state}, {"IOWVIRT_NOW", std::to_string(now)}};
    if (!iowvirt.empty()) environment.emplace_back("IOWVIRT", iowvirt);
    return run_program(kHost, arguments, environment);
}

// The outputs of the last line of a run's table.
inline std::string last_reading(const Finished& run) {
    std::string out = run.out;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out.substr(out.find_last_of('\n') + 1);
}

inline std::string reading(const char* values) { return std::string("   1  lecture  ") + values; }
