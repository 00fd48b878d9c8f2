// The exercises a teacher lays on the virtual clock last as a real fault
// lasts: across runs and launches, until the word is removed or the clock
// is set.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

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

// An exercise is a board of its own: it starts from the shared clock's
// time, lasts across launches, and once the word is gone the copy reads
// the shared clock again, as if the exercise had never been.
TEST(Exercises, FrozenStandsStillOnABoardOfItsOwnAndTheSharedClockRunsOn) {
    const std::string state = scratch_folder("fige") + "etat";
    ASSERT_EQ(host(state, kMonday, kSet).status, 0);
    const std::string shared = read_bytes(state);
    // The crystal dies 10 s after the set: the time stops there.
    const std::string stopped = "    10     30     13     31     12     11";
    for (long long later : {10, 12, 3600}) {
        const Finished run = host(state, kMonday + later, kThreeReads, "frozen");
        for (const std::string& line : readings(run))
            EXPECT_EQ(line, stopped) << later << " s later\n" << run.out << run.err;
        EXPECT_EQ(readings(run).size(), 3u);
    }
    EXPECT_EQ(read_bytes(state), shared);
    // The board beside the shared clock, named with the whole 64-bit hash
    // of the copy's folder: two copies never share one by chance.
    std::vector<std::string> beside;
    for (const auto& entry : std::filesystem::directory_iterator(state.substr(0, state.size() - 4)))
        beside.push_back(entry.path().filename().string());
    std::sort(beside.begin(), beside.end());
    ASSERT_EQ(beside.size(), 3u);
    EXPECT_EQ(beside[0], "etat");
    EXPECT_EQ(beside[1].size(), std::string("etat.exercice-").size() + 16) << beside[1];
    EXPECT_EQ(beside[1].find_first_not_of("0123456789ABCDEF", 14), std::string::npos) << beside[1];
    // Beside it, where it was planted: this window.
    EXPECT_EQ(beside[2], beside[1] + ".origine");
    // The word removed: the shared clock, which ran on all along.
    EXPECT_EQ(last_reading(host(state, kMonday + 7200, {"--read", "1"})),
              reading("     0     30     15     31     12     11"));
    // Back again in the same window, still open: the board stood still
    // meanwhile, whatever other launches came between.
    EXPECT_EQ(last_reading(host(state, kMonday + 7300, {"--read", "1"}, "frozen")),
              reading(stopped.c_str()));
}

#ifndef _WIN32
// The exercise boards beside a shared clock.
std::size_t boards_beside(const std::string& state) {
    std::size_t boards = 0;
    for (const auto& entry : std::filesystem::directory_iterator(state.substr(0, state.size() - 4)))
        boards += entry.path().filename().string().find(".exercice-") != std::string::npos;
    return boards;
}

// A window's exercise lasts while the window is open: planted from a shell
// that has ended since, its board goes at the next launch of any copy.
TEST(Exercises, AWindowsExerciseEndsWithTheWindow) {
    const std::string state = scratch_folder("fenetre") + "etat";
    ASSERT_EQ(host(state, kMonday, kSet).status, 0);
    // The shell stands for the window: rtc_host is its child, not its
    // replacement, and it ends afterwards.
    const Finished window =
        run_program("/bin/sh", {"-c", "\"$0\" --read 1; true", own_folder() + kHost},
                    {{"IOWVIRT_STATE", state},
                     {"IOWVIRT_NOW", std::to_string(kMonday + 10)},
                     {"IOWVIRT", "frozen"}});
    EXPECT_EQ(last_reading(window), reading("    10     30     13     31     12     11"));
    EXPECT_EQ(boards_beside(state), 2u);  // the board and where it was planted
    host(state, kMonday + 20, {"--read", "1"});
    EXPECT_EQ(boards_beside(state), 0u);
}

// The window is known by its process's start, not by anything that
// changes while it stays open, such as its size: this test program, the
// window here, grows between two launches and its exercise stands.
TEST(Exercises, AWindowThatGrowsIsStillTheSameWindow) {
    const std::string state = scratch_folder("fenetre-grandit") + "etat";
    ASSERT_EQ(host(state, kMonday, kSet).status, 0);
    const std::string stopped = "    10     30     13     31     12     11";
    EXPECT_EQ(last_reading(host(state, kMonday + 10, {"--read", "1"}, "frozen")),
              reading(stopped.c_str()));
    std::vector<char> grown(256 << 20, 1);
    // A launch without the words looks at whether the window is open.
    host(state, kMonday + 300, {"--read", "1"});
    EXPECT_EQ(boards_beside(state), 2u) << static_cast<int>(grown.back());
    EXPECT_EQ(last_reading(host(state, kMonday + 600, {"--read", "1"}, "frozen")),
              reading(stopped.c_str()));
}
#endif

TEST(Exercises, InvalidValuesStayOnTheirBoardUntilItIsSetAndNeverReachTheSharedClock) {
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
    // An "init" step writes the board: it counts from there, and the word,
    // still there, lays nothing more at the next launch.
    ASSERT_EQ(host(state, kMonday + 3700, kSet, "invalid").status, 0);
    EXPECT_EQ(last_reading(host(state, kMonday + 3702, {"--read", "1"}, "invalid")),
              reading("     2     30     13     31     12     11"));
    // The shared clock was never set by the exercise.
    EXPECT_EQ(last_reading(host(state, kMonday + 3704, {"--read", "1"})),
              reading("    44     31     14     31     12     11"));
    // The repair lasts while the exercise stands in this window, whatever
    // was launched between.
    EXPECT_EQ(last_reading(host(state, kMonday + 3706, {"--read", "1"}, "invalid")),
              reading("     6     30     13     31     12     11"));
    // A window that sets other words ends it: laid again when it comes back.
    host(state, kMonday + 3707, {"--read", "1"}, "tick");
    EXPECT_EQ(last_reading(host(state, kMonday + 3708, {"--read", "1"}, "invalid")),
              reading(impossible.c_str()));
}

// A copy of the virtual IOW24 in a folder of its own, with `words` in an
// iowvirt.txt beside it (none when empty).
std::string copy_with_words(const std::string& name, const std::string& words) {
    const std::string folder = scratch_folder(name);
    write_bytes(folder + kDeviceFile, read_bytes(own_folder() + kDeviceFile));
    if (!words.empty()) write_bytes(folder + "iowvirt.txt", words);
    return folder;
}

Finished through(const std::string& folder, const std::string& state, long long now,
                 std::vector<std::string> arguments, const Environment& more = {}) {
    arguments.insert(arguments.end(), {"--device", folder + kDeviceFile});
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    Environment environment{{"IOWVIRT_STATE", state}, {"IOWVIRT_NOW", std::to_string(now)}};
    environment.insert(environment.end(), more.begin(), more.end());
    return run_program(kHost, arguments, environment);
}

TEST(Exercises, AnExerciseStaysInItsCopy) {
    const std::string state = scratch_folder("deux-copies") + "etat";
    const std::string first = copy_with_words("copie-1", "frozen\n");
    const std::string second = copy_with_words("copie-2", "");
    ASSERT_EQ(through(second, state, kMonday, kSet).status, 0);
    const Finished frozen =
        through(first, state, kMonday + 60, {"--check"}, {{"RTC_HOST_CLOCK", "simulated"}});
    EXPECT_NE(frozen.out.find("DEFAUT   L'horloge avance"), std::string::npos) << frozen.out;
    std::remove((first + "iowvirt.txt").c_str());
    const std::string now = "     0     32     13     31     12     11";
    EXPECT_EQ(last_reading(through(first, state, kMonday + 120, {"--read", "1"})),
              reading(now.c_str()));
    EXPECT_EQ(last_reading(through(second, state, kMonday + 120, {"--read", "1"})),
              reading(now.c_str()));
    // "invalid" read through one copy: the other still reads a valid time,
    // and its check finds no fault.
    write_bytes(first + "iowvirt.txt", "invalid\n");
    EXPECT_EQ(last_reading(through(first, state, kMonday + 130, {"--read", "1"})),
              reading("    60     85     45     45     25    110"));
    const Finished good = through(second, state, kMonday + 140, {"--check"},
                                  {{"RTC_HOST_CLOCK", "simulated"}, {"IOWVIRT", "tick"}});
    EXPECT_EQ(good.status, 0) << good.out;
    EXPECT_NE(good.out.find("Bilan : tout est bon"), std::string::npos) << good.out;
}

// Two exercises at once play on one board of their own: repaired, it stays
// repaired while they are planted; cleared, it goes, and planted again it
// is a new faulty board, not the students' repaired one.
TEST(Exercises, TwoExercisesAtOnceStartAnewOnceCleared) {
    const std::string state = scratch_folder("deux-pannes") + "etat";
    const std::string copy = copy_with_words("deux-pannes-copie", "frozen invalid\n");
    const std::string impossible = "    60     85     45     45     25    110";
    EXPECT_EQ(last_reading(through(copy, state, kMonday, {"--read", "1"})),
              reading(impossible.c_str()));
    ASSERT_EQ(through(copy, state, kMonday + 10, kSet).status, 0);
    EXPECT_EQ(last_reading(through(copy, state, kMonday + 60, {"--read", "1"})),
              reading("     0     30     13     31     12     11"));
    std::remove((copy + "iowvirt.txt").c_str());
    through(copy, state, kMonday + 70, {"--read", "1"});
    write_bytes(copy + "iowvirt.txt", "invalid frozen\n");
    EXPECT_EQ(last_reading(through(copy, state, kMonday + 80, {"--read", "1"})),
              reading(impossible.c_str()));
}

// The guide's answer key, word after word in any order, on a clock set
// once: each word gives the verdict it gives on a freshly set clock.
TEST(Exercises, TheAnswerKeyHoldsInAnyOrder) {
    const std::pair<std::string, std::string> key[] = {
        {"frozen", "DEFAUT   L'horloge avance"},
        {"invalid", "DEFAUT   Heure et date valides"},
        {"tick", "Bilan : tout est bon"},
    };
    std::vector<int> order{0, 1, 2};
    int round = 0;
    do {
        const std::string state = scratch_folder("ordre-" + std::to_string(++round)) + "etat";
        const std::string copy = copy_with_words("ordre-copie-" + std::to_string(round), "");
        ASSERT_EQ(through(copy, state, kMonday, kSet).status, 0);
        long long now = kMonday;
        for (const int i : order) {
            write_bytes(copy + "iowvirt.txt", key[i].first + "\n");
            const Finished run =
                through(copy, state, now += 60, {"--check"}, {{"RTC_HOST_CLOCK", "simulated"}});
            EXPECT_NE(run.out.find(key[i].second), std::string::npos)
                << key[i].first << " in round " << round << "\n"
                << run.out;
        }
    } while (std::next_permutation(order.begin(), order.end()));
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
