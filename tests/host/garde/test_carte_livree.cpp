// A board never kept (a new account) is delivered set at the PC's local
// time and running; an exercise planted on such an account shows its own
// fault, not a never-set chip's.
#include <gtest/gtest.h>

#include "tests/host/horloge_gardee.h"

namespace {

Finished on_new_account(long long now, std::vector<std::string> arguments,
                        Environment environment = {}) {
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    environment.emplace_back("IOWVIRT_NOW", std::to_string(now));
    return run_program(kHost, arguments, environment);
}

// The delivered time, whatever the month and the time zone: January is
// month 1, and a PC in France an hour ahead of UTC in winter, two in
// summer.
TEST(DeliveredBoard, ReadsThePcsLocalTimeAndDateOnTheFirstLaunch) {
    struct Case {
        long long now;
        std::string zone;
        const char* reading;
    };
    const Case cases[] = {
        {epoch(2027, 1, 15, 10, 20, 30), "UTC0", "    30     20     10     15      1     27"},
        {epoch(2026, 12, 31, 23, 30, 0), "UTC0", "     0     30     23     31     12     26"},
#ifndef _WIN32
        // Wine takes its time zone from the machine, once for all its programs.
        {epoch(2027, 1, 15, 10, 20, 30), "CET-1CEST,M3.5.0,M10.5.0/3",
         "    30     20     11     15      1     27"},
        {epoch(2027, 7, 14, 23, 30, 0), "CET-1CEST,M3.5.0,M10.5.0/3",
         "     0     30      1     15      7     27"},
#endif
    };
    for (const Case& c : cases) {
        const Finished run = on_new_account(c.now, {"--read", "1"}, {{"TZ", c.zone}});
        EXPECT_EQ(last_reading(run), reading(c.reading)) << c.zone << "\n" << run.out << run.err;
    }
}

// `frozen` on a board never kept: a clock that stands still, with its halt
// bit clear, as a dead crystal shows; never a chip that was never set.
TEST(DeliveredBoard, AFrozenExerciseOnANewAccountIsAClockThatStandsStill) {
    const Finished check =
        on_new_account(kMonday, {"--check"},
                       {{"IOWVIRT", "frozen"}, {"RTC_HOST_CLOCK", "simulated"}, {"TZ", "UTC0"}});
    EXPECT_EQ(check.status, 4);
    EXPECT_NE(check.out.find("OK       Horloge en marche"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("OK       Heure et date valides : 09:00:00 le 07/12/2026"),
              std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("DEFAUT   L'horloge avance"), std::string::npos) << check.out;
}

}  // namespace
