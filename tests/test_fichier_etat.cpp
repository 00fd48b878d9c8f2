// The virtual clock's state file: what a program wrote always loads, a
// record caught in a write never wins, and nothing a crash, a user or
// another program left is trusted.
#include <gtest/gtest.h>

#include "virtual/etat.h"

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
    std::vector<std::uint8_t> first = {'R', 'T', 'C', 'I', 'O', 'W', '2', '4', 1, 0, 0, 0};
    first.resize(92);
    first[12] = 0x45;  // seconds register
    for (int i = 0; i < 8; ++i)
        first[76 + i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(kMonday) >> (8 * i));
    first[84] = 100;
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < 88; ++i) {
        crc ^= first[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc = ~crc;
    for (int i = 0; i < 4; ++i)
        first[88 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    std::string why;
    const auto state = decode_state(first, why);
    ASSERT_TRUE(state) << why;
    EXPECT_EQ(state->chip.registers[0], 0x45);
    EXPECT_EQ(state->chip.at_ms, kMonday);
    EXPECT_EQ(state->chip.into_second_ms, 100);
    first[20] ^= 1;
    EXPECT_EQ(why_refused(first), "somme de contrôle fausse");
}

}  // namespace
