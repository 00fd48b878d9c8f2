// The virtual clock's state file: what a program wrote always loads, a
// record caught in a write never wins, and nothing a crash, a user or
// another program left is trusted.
#include <gtest/gtest.h>

#include "tests/premiere_version.h"
#include "virtual/pile/etat.h"

namespace {

using iowvirt::decode_state;
using iowvirt::encode_record;
using iowvirt::encode_state;
using iowvirt::kRecordSize;
using iowvirt::record_offset;
using iowvirt::SavedState;

constexpr std::int64_t kMonday = 1796634000000;  // 2026-12-07 09:00 UTC, in ms

SavedState at(std::int64_t ms, std::int32_t into, std::uint64_t sequence, std::uint8_t seconds) {
    SavedState state;
    state.chip.registers[0] = seconds;
    state.chip.at_ms = ms;
    state.chip.into_second_ms = into;
    state.lived = {ms, ms, ms, ms, false, true};
    state.sequence = sequence;
    return state;
}

// The file after a save of `state` over `file`, as the device writes it.
std::vector<std::uint8_t> saved(std::vector<std::uint8_t> file, const SavedState& state) {
    const auto record = encode_record(state);
    std::copy(record.begin(), record.end(), file.begin() + record_offset(state.sequence));
    return file;
}

std::string why_refused(const std::vector<std::uint8_t>& file) {
    std::string why;
    return decode_state(file, why) ? "accepted" : why;
}

TEST(StateFile, TheNewerWholeRecordWinsAndATornOneNever) {
    auto file = encode_state(at(kMonday, 250, 7, 0x30));
    file = saved(file, at(kMonday + 1000, 999, 8, 0x31));
    std::string why;
    auto state = decode_state(file, why);
    ASSERT_TRUE(state) << why;
    EXPECT_EQ(state->sequence, 8u);
    EXPECT_EQ(state->chip.registers[0], 0x31);
    EXPECT_EQ(state->chip.into_second_ms, 999);

    state = decode_state(saved(file, at(kMonday + 2000, 0, 9, 0x32)), why);
    ASSERT_TRUE(state) << why;
    EXPECT_EQ(state->chip.registers[0], 0x32);

    // That save caught halfway: the record before it stands.
    auto torn = saved(file, at(kMonday + 2000, 0, 9, 0x32));
    std::fill(torn.begin() + record_offset(9) + 60, torn.begin() + record_offset(9) + kRecordSize,
              0);
    state = decode_state(torn, why);
    ASSERT_TRUE(state) << why;
    EXPECT_EQ(state->chip.registers[0], 0x31);

    torn[record_offset(8) + 40] ^= 0x01;
    EXPECT_EQ(why_refused(torn), "somme de contrôle fausse");
}

TEST(StateFile, EveryRecordStandsAloneSoNoSingleFlippedBitLosesTheTime) {
    // Two whole records of the same time, as after two saves.
    const auto file = saved(encode_state(at(kMonday, 250, 7, 0x30)), at(kMonday, 250, 8, 0x30));
    ASSERT_EQ(file.size(), 2 * kRecordSize);
    for (std::size_t bit = 0; bit < file.size() * 8; ++bit) {
        auto flipped = file;
        flipped[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        std::string why;
        const auto state = decode_state(flipped, why);
        ASSERT_TRUE(state) << "bit " << bit << ": " << why;
        EXPECT_EQ(state->chip.registers[0], 0x30) << "bit " << bit;
        EXPECT_EQ(state->chip.at_ms, kMonday) << "bit " << bit;
        EXPECT_TRUE(iowvirt::is_state_file(flipped)) << "bit " << bit;
    }
    // Another program's file, or a user's, is not the clock's at all.
    for (const std::string text : {"", "init;RD\r\n5;0\r\n", "RTCIOW2"}) {
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        EXPECT_FALSE(iowvirt::is_state_file(bytes)) << text;
    }
}

TEST(StateFile, ARecordCaughtInAWriteIsReadAgainBeforeTheFileIsJudged) {
    const auto whole = encode_state(at(kMonday, 0, 3, 0x42));
    auto torn = whole;
    torn[30] ^= 1;
    torn[kRecordSize + 30] ^= 1;
    int reads = 1;
    const auto again = [&](std::vector<std::uint8_t>& bytes) {
        bytes = ++reads < 3 ? torn : whole;
        return true;
    };
    std::string why;
    auto bytes = torn;
    const auto state = iowvirt::decode_settled(bytes, again, iowvirt::kReadTries, why);
    ASSERT_TRUE(state) << why;
    EXPECT_EQ(state->chip.registers[0], 0x42);
    EXPECT_EQ(reads, 3);
    bytes = torn, reads = 1;
    EXPECT_FALSE(iowvirt::decode_settled(bytes, again, 2, why));
    EXPECT_EQ(why, "somme de contrôle fausse");
}

TEST(StateFile, ValuesNoClockWroteAreImpossible) {
    const std::int64_t kTooEarly = 946684799999, kCenturiesAhead = 10413792000001;
    for (const SavedState& state :
         {at(kMonday, 1000, 1, 0), at(kMonday, -1, 1, 0), at(kTooEarly, 0, 1, 0),
          at(kCenturiesAhead, 0, 1, 0), at(INT64_MIN, 0, 1, 0), at(INT64_MAX, 999, 1, 0)})
        EXPECT_EQ(why_refused(encode_state(state)), "valeurs impossibles") << state.chip.at_ms;
    SavedState flagged = at(kMonday, 0, 1, 0);
    flagged.flags = 1u << 7;
    EXPECT_EQ(why_refused(encode_state(flagged)), "valeurs impossibles");
    EXPECT_EQ(why_refused(encode_state(at(946684800000, 0, 1, 0))), "accepted");
}

// Of two records that both fail, the worse news is told, whichever record
// it is in: impossible values say more than a damaged record.
TEST(StateFile, TheWorseOfTwoFailuresIsTold) {
    for (const std::uint64_t damaged : {1u, 2u}) {
        auto file = encode_state(at(kMonday, 0, damaged, 0));
        file = saved(file, at(kMonday, 1000, damaged + 1, 0));  // into its second past 999
        file[record_offset(damaged) + 30] ^= 1;
        EXPECT_EQ(why_refused(file), "valeurs impossibles") << damaged;
    }
}

TEST(StateFile, OnlyTheFormatsSizeIsTaken) {
    auto file = encode_state(at(kMonday, 0, 1, 0));
    auto longer = file;
    longer.push_back('\n');
    EXPECT_EQ(why_refused(longer), "fichier trop long");
    file.pop_back();
    EXPECT_EQ(why_refused(file), "fichier tronqué");
}

// The first format's one record, 92 bytes, as earlier versions saved it.
TEST(StateFile, AFileOfTheFirstFormatStillGivesItsTime) {
    const std::uint8_t time[7] = {0x45};
    const std::string text = first_version_file(time, kMonday, 100);
    std::vector<std::uint8_t> first(text.begin(), text.end());
    std::string why;
    const auto state = decode_state(first, why);
    ASSERT_TRUE(state) << why;
    EXPECT_EQ(state->chip.registers[0], 0x45);
    EXPECT_EQ(state->chip.at_ms, kMonday);
    EXPECT_EQ(state->chip.into_second_ms, 100);
    // An upgrade to two records cut short after its first write: the old
    // record still gives its time.
    auto upgrading = first;
    upgrading.resize(kRecordSize + 40, 0x5A);
    EXPECT_EQ(why_refused(upgrading), "accepted");
    // Once the second record is written whole, it wins over the old one.
    upgrading = first;
    upgrading.resize(kRecordSize);
    const auto record = encode_record(at(kMonday + 5000, 0, 1, 0x50));
    upgrading.insert(upgrading.end(), record.begin(), record.end());
    ASSERT_TRUE(decode_state(upgrading, why)) << why;
    EXPECT_EQ(decode_state(upgrading, why)->chip.registers[0], 0x50);
    first[20] ^= 1;
    EXPECT_EQ(why_refused(first), "somme de contrôle fausse");
}

// The second format's two records of 104 bytes: the newer gives its time,
// its moment on the PC's clock its lived time. One kept while the PC's
// clock was behind the other's moment leaves that moment the furthest the
// PC's clock was seen at: what it holds counts on from there, not before.
TEST(StateFile, AFileOfTheSecondFormatStillGivesItsTime) {
    const auto file = [](const std::string& first, const std::string& second) {
        const std::string text = first + second;
        return std::vector<std::uint8_t>(text.begin(), text.end());
    };
    std::string why;
    auto state = decode_state(file(second_version_record(0x10, kMonday, 4),
                                   second_version_record(0x11, kMonday + 5000, 5)),
                              why);
    ASSERT_TRUE(state) << why;
    EXPECT_EQ(state->chip.registers[0], 0x11);
    EXPECT_EQ(state->sequence, 5u);
    EXPECT_EQ(state->lived, (iowvirt::LivedTime{kMonday + 5000, kMonday + 5000, kMonday + 5000,
                                                kMonday + 5000, false, true}));

    const std::int64_t kBios = 946684800000;
    state = decode_state(file(second_version_record(0x20, kBios, 8, 1u << 5),
                              second_version_record(0x19, kMonday, 7)),
                         why);
    ASSERT_TRUE(state) << why;
    EXPECT_EQ(state->chip.registers[0], 0x20);
    EXPECT_EQ(state->flags, 0u);
    EXPECT_EQ(state->lived, (iowvirt::LivedTime{kMonday, kBios, kBios, kBios, true, true}));

    // The first record alone, the second one torn by an upgrade cut short.
    auto upgrading = file(second_version_record(0x30, kMonday, 2), std::string(60, 'Z'));
    state = decode_state(upgrading, why);
    ASSERT_TRUE(state) << why;
    EXPECT_EQ(state->chip.registers[0], 0x30);
}

}  // namespace
