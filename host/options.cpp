#include "host/options.h"

#include <cstdio>
#include <ctime>

namespace host {

namespace {

constexpr int kMaxSteps = 1000000;
// The wiring check reads the clock twice, this far apart by default.
constexpr int kCheckPeriodMs = 1500;
constexpr int kMaxPeriodMs = 3600000;
// The clock chip keeps the year within one century.
constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2099;

bool whole_number(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9) return false;
    int result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + (c - '0');
    }
    if (result < low || result > high) return false;
    value = result;
    return true;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

int days_in_month(int month, int year) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::optional<Moment> parse_moment(const std::string& text, std::string& why) {
    Moment m{};
    int consumed = -1;
    const int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &m.year, &m.month,
                                   &m.day, &m.hour, &m.minute, &m.second, &consumed);
    if (fields != 6 || consumed != static_cast<int>(text.size()) || text.size() != 19) {
        why = "not a date and time of the form \"YYYY-MM-DD HH:MM:SS\"";
        return std::nullopt;
    }
    if (m.year < kFirstYear || m.year > kLastYear) {
        why = "the clock chip keeps years 2000 to 2099 only";
        return std::nullopt;
    }
    if (m.month < 1 || m.month > 12 || m.day < 1 || m.day > days_in_month(m.month, m.year) ||
        m.hour > 23 || m.minute > 59 || m.second > 59) {
        why = "no such date or time";
        return std::nullopt;
    }
    return m;
}

Moment local_now() {
    const std::time_t now = std::time(nullptr);
    // The host has a single thread: the shared result of localtime is safe.
    const std::tm parts = *std::localtime(&now);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

Parsed parse_arguments(const std::vector<std::string>& arguments) {
    Parsed parsed;
    Options& o = parsed.options;
    auto fail = [&parsed](const std::string& message) {
        parsed.error = message;
        return parsed;
    };
    bool period_given = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        const bool has_value = i + 1 < arguments.size();
        const std::string value = has_value ? arguments[i + 1] : std::string();
        auto needs_value = [&] {
            return a == "--block" || a == "--device" || a == "--set" || a == "--read" ||
                   a == "--period-ms" || a == "--script" || a == "--format";
        };
        if (needs_value()) {
            if (!has_value) return fail(a + " needs a value");
            ++i;
        }
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--block") {
            o.block = value;
        } else if (a == "--device") {
            o.device = value;
        } else if (a == "--set") {
            if (value == "now") {
                o.set_now = true;
            } else {
                std::string why;
                o.set_at = parse_moment(value, why);
                if (!o.set_at) return fail("--set " + quoted(value) + ": " + why);
            }
        } else if (a == "--read") {
            if (!whole_number(value, 1, kMaxSteps, o.read_steps)) {
                return fail("--read takes a number of steps from 1 to 1000000, not " +
                            quoted(value));
            }
        } else if (a == "--period-ms") {
            period_given = true;
            if (!whole_number(value, 0, kMaxPeriodMs, o.period_ms)) {
                return fail("--period-ms takes milliseconds from 0 to 3600000, not " +
                            quoted(value));
            }
        } else if (a == "--script") {
            o.script = value;
        } else if (a == "--format") {
            if (value == "table") {
                o.format = Format::table;
            } else if (value == "csv") {
                o.format = Format::csv;
            } else {
                return fail("--format is table or csv, not " + quoted(value));
            }
        } else if (a == "--check") {
            o.check = true;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--console-alerts") {
            o.console_alerts = true;
        } else {
            return fail("unknown argument " + quoted(a));
        }
    }
    if (!o.script.empty() && (o.set_now || o.set_at || o.read_steps > 0)) {
        return fail("--script runs its own steps; it does not go with --set or --read");
    }
    if (o.check && (!o.script.empty() || o.read_steps > 0)) {
        return fail("--check reads the clock itself; it does not go with --read or --script");
    }
    if (o.check && !period_given) o.period_ms = kCheckPeriodMs;
    // The check's first read; it makes the second one itself, when worth it.
    if (o.check) o.read_steps = 1;
    if (o.script.empty() && !o.set_now && !o.set_at && o.read_steps == 0) o.read_steps = 1;
    return parsed;
}

std::string usage(const std::string& program) {
    return "Usage: " + program + R"( [options]
Loads the clock block as a simulation host does and drives one run.

What to run (default: --read 1):
  --set now | --set "YYYY-MM-DD HH:MM:SS"
                      one step with "init" high: sets the clock chip
  --read N            then N steps with "RD" high: reads the clock chip
  --script FILE.csv   one step per row; the header names the block's input
                      pins (RD,sec,min,heu,dat,moi,ann,init), missing ones are 0
  --period-ms MS      wait between steps (default 1000)
  --check             checks the way to the clock chip, in French: the IOW24,
                      its I2C mode, the chip's answer, that the clock runs,
                      holds a valid time and advances (two reads --period-ms
                      apart, default 1500); writes to the chip only with --set

Libraries:
  --block PATH        the block (default: the one beside this program)
  --device PATH       the device library, loaded before the block so that the
                      block binds to it: the vendor's iowkit for real hardware
                      (default: the virtual IOW24 beside this program)

Output:
  --format table|csv  outputs by pin name (default: table; csv with --script)
  --trace             every report to and from the IOW24, on stderr
  --console-alerts    Windows: the block's message boxes go to stderr instead

Exit status: 0 after the run (the block's alerts tell any device failure),
2 for a bad command line or script, 3 when a library cannot be loaded,
4 when --check finds a fault.
)";
}

}  // namespace host
