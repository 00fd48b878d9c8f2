// The exercises a teacher lays on the virtual clock last as a real fault
// lasts: across runs and launches, until the word is removed or the clock
// is set.
#include <gtest/gtest.h>

#include "tests/host/horloge_gardee.h"

namespace {

// Every reading line of a run's table.
std::vector<std::string> readings(const Finished& run) {
    std::vector<std::string> lines;
    std::istringstream out(run.out);
    for (std::string line; std::getline(out, line);)
        if (line.find("  lecture  ") != std::string::npos) lines.push_back(line.substr(15));
    return lines;
}

const std::vector<std::string> kSet = {"--set", "2011-12-31 13:30:00", "--period-ms", "0"};
const std::vector<std::string> kThreeReads = {"--read", "3", "--period-ms", "0"};

TEST(Exercises, FrozenStandsStillAcrossLaunchesAndTheClockGoesOnFromThereOnceRemoved) {
    const std::string state = scratch_folder("fige") + "etat";
    ASSERT_EQ(host(state, kMonday, kSet).status, 0);
    // The crystal dies 10 s after the set: the time stops there.
    const std::string stopped = "    10     30     13     31     12     11";
    for (long long later : {10, 12, 3600}) {
        const Finished run = host(state, kMonday + later, kThreeReads, "frozen");
        for (const std::string& line : readings(run))
            EXPECT_EQ(line, stopped) << later << " s later\n" << run.out << run.err;
        EXPECT_EQ(readings(run).size(), 3u);
    }
    // The word removed: on from where it stood, the frozen hour not caught up.
    EXPECT_EQ(last_reading(host(state, kMonday + 7200, {"--read", "1"})), reading(stopped.c_str()));
    EXPECT_EQ(last_reading(host(state, kMonday + 7205, {"--read", "1"})),
              reading("    15     30     13     31     12     11"));
}

TEST(Exercises, InvalidValuesStayAtEveryReadAndEveryLaunchUntilTheClockIsSet) {
    const std::string state = scratch_folder("invalide") + "etat";
    ASSERT_EQ(host(state, kMonday, kSet).status, 0);
    const std::string impossible = "    60     85     45     45     25    110";
    // Each read a second later (tick): the chip does not count out of them.
    for (long long later : {5, 3600}) {
        const Finished run = host(state, kMonday + later, kThreeReads, "invalid,tick");
        ASSERT_EQ(readings(run).size(), 3u) << run.out;
        for (const std::string& line : readings(run))
            EXPECT_EQ(line, impossible) << later << " s later\n" << run.err;
    }
    // An "init" step writes the clock: it counts from there, and the word,
    // still there, lays nothing more at the next launch.
    ASSERT_EQ(host(state, kMonday + 3700, kSet, "invalid").status, 0);
    EXPECT_EQ(last_reading(host(state, kMonday + 3702, {"--read", "1"}, "invalid")),
              reading("     2     30     13     31     12     11"));
    EXPECT_EQ(last_reading(host(state, kMonday + 3704, {"--read", "1"})),
              reading("     4     30     13     31     12     11"));
    // Laid again once the word comes back after being removed.
    EXPECT_EQ(last_reading(host(state, kMonday + 3706, {"--read", "1"}, "invalid")),
              reading(impossible.c_str()));
}

TEST(Exercises, TickLeavesTheKeptClockAsItWasSet) {
    const std::string state = scratch_folder("tic") + "etat";
    ASSERT_EQ(host(state, kMonday, kSet).status, 0);
    const Finished ticked = host(state, kMonday + 1, {"--read", "5", "--period-ms", "0"}, "tick");
    EXPECT_EQ(last_reading(ticked), "   5  lecture       6     30     13     31     12     11");
    // The seconds a reader ticked are not kept: the PC's time counts again.
    EXPECT_EQ(last_reading(host(state, kMonday + 2, {"--read", "1"})),
              reading("     2     30     13     31     12     11"));
}

}  // namespace
