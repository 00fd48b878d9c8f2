// The virtual clock's battery against a model of the true time: seeded
// random sequences of a PC's clock right, behind (an hour slow, the BIOS
// date) or ahead, and of programs that launch, set, read and exit in any
// order on one state file. Each program is a device of its own, driven by
// its reports, as a process with the device library loaded; the PC's clock
// is injected. Every property is checked at every read; a failing seed is
// shrunk to its shortest failing sequence, which is printed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "tests/virtual/pile/modele_pile.h"

namespace {

using namespace pile_modele;

// A short run here; RTC_PILE_SEQUENCES asks for a long one, RTC_PILE_SEED
// for the seeds from one on.
int asked(const char* variable, int otherwise) {
    const char* value = std::getenv(variable);
    return value != nullptr ? std::atoi(value) : otherwise;
}

TEST(BatteryModel, EveryPropertyHoldsAtEveryReadOfRandomSequences) {
    const int first = asked("RTC_PILE_SEED", 1);
    const int count = asked("RTC_PILE_SEQUENCES", 2000);
    for (int seed = first; seed < first + count; ++seed) {
        const std::vector<Op> ops = random_sequence(static_cast<unsigned>(seed));
        const std::string failure = run_sequence(ops);
        if (failure.empty()) continue;
        const std::vector<Op> shortest = shrink(ops);
        FAIL() << "seed " << seed << ": " << failure << "\nshortest failing sequence:\n"
               << describe(shortest) << "fails with: " << run_sequence(shortest);
    }
}

// The sequences a tester found by hand, as fixed cases.
TEST(BatteryModel, TheSequencesFoundByHandHold) {
    const std::int64_t kMinute = 60'000, kHour = 3'600'000;
    const std::vector<std::pair<const char*, std::vector<Op>>> cases = {
        {"a reading never goes back across launches",
         {launch(), set(0, kNoon), advance(10 * kMinute), read(0), quit(0), pc_behind(5 * kMinute),
          launch(), read(0)}},
        {"nor when the PC's clock is at its BIOS date an hour on",
         {launch(), set(0, kNoon), advance(50 * kMinute), read(0), quit(0), advance(10 * kMinute),
          pc_bios(), launch(), read(0)}},
        {"a setting made at the BIOS date never becomes 2053",
         {launch(), set(0, kNoon), quit(0), pc_bios(), launch(), advance(5 * kMinute),
          set(0, kNoon + 300), quit(0), advance(5 * kMinute), pc_right(), launch(), read(0)}},
        {"the newest setting of two programs wins in both",
         {launch(), launch(), set(0, kNoon), read(1), set(1, kNoon + kHour / 1000), read(0),
          advance(kMinute), read(0), read(1)}},
        {"a halted clock stays halted across launches",
         {launch(), set(0, kNoon, true), quit(0), advance(kHour), launch(), read(0)}},
    };
    for (const auto& [what, ops] : cases)
        EXPECT_EQ(run_sequence(ops), "") << what << "\n" << describe(ops);
}

std::string time_of_day(std::int64_t seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld",
                  static_cast<long long>(seconds / 3600 % 24),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

// The README's table of what each spell of a wrong PC's clock costs, as the
// model reads it: the rows are runs of the real device.
TEST(BatteryModel, TheReadmesTableIsWhatTheClockReads) {
    const std::int64_t kMinute = 60'000, kHour = 60 * kMinute;
    const std::vector<std::pair<std::string, std::vector<Op>>> rows = {
        {"an hour slow for a while: a read at T+10 min, then right again and a read at T+20 min",
         {launch(), set(0, kNoon), pc_behind(kHour), advance(10 * kMinute), read(0), pc_right(),
          advance(10 * kMinute), read(0)}},
        {"set back an hour for good after a read at T+10 min: reads at T+20 min and T+80 min",
         {launch(), set(0, kNoon), advance(10 * kMinute), read(0), pc_behind(kHour),
          advance(10 * kMinute), read(0), advance(kHour), read(0)}},
        {"at its BIOS date (2000) from T+5 min, set to 12:05:00 then, right again at T+10 min",
         {launch(), set(0, kNoon), advance(5 * kMinute), pc_bios(), set(0, kNoon + 300),
          advance(5 * kMinute), pc_right(), read(0), advance(kMinute), read(0)}},
        {"an hour ahead for a while: a read at T+10 min, then right again and a read at T+20 min",
         {launch(), set(0, kNoon), pc_ahead(kHour), advance(10 * kMinute), read(0), pc_right(),
          advance(10 * kMinute), read(0)}},
        {"a year ahead when set, then right: reads at the first launch and 10 min later",
         {pc_ahead(365 * 24 * kHour), launch(), set(0, kNoon), quit(0), pc_right(), launch(),
          read(0), advance(10 * kMinute), read(0)}},
    };
    std::string table = "| the PC's clock | what the clock reads |\n|---|---|\n";
    for (const auto& [what, ops] : rows) {
        std::vector<std::int64_t> readings;
        EXPECT_EQ(run_sequence(ops, &readings), "") << what;
        std::string read;
        for (const std::int64_t seconds : readings)
            read += (read.empty() ? "" : ", then ") + time_of_day(seconds);
        table += "| " + what + " | " + read + " |\n";
    }
    std::ifstream file(std::string(SOURCE_DIR) + "/README.md", std::ios::binary);
    std::stringstream readme;
    readme << file.rdbuf();
    const std::string text = readme.str();
    const std::string begin = "<!-- battery table: begin -->\n",
                      end = "<!-- battery table: end -->";
    const std::size_t from = text.find(begin), to = text.find(end);
    ASSERT_TRUE(from != std::string::npos && to != std::string::npos);
    EXPECT_EQ(text.substr(from + begin.size(), to - from - begin.size()), table)
        << "the README's table, as the clock reads it:\n"
        << table;
}

}  // namespace
