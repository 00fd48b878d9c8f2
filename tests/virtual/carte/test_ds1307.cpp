// The virtual clock chip: what it keeps, how it counts, and that no byte
// written into it can make it misbehave.
#include <gtest/gtest.h>

#include "virtual/carte/ds1307.h"

namespace {

using iowvirt::Ds1307;

class Chip : public ::testing::Test {
  protected:
    std::int64_t now = 5'000'000;
    Ds1307 chip{[this] { return now; }};

    void set(std::array<std::uint8_t, 7> bytes) {
        for (std::uint8_t r = 0; r < 7; ++r)
            chip.poke(r, bytes[r]);
    }
    std::array<std::uint8_t, 7> get() {
        std::array<std::uint8_t, 7> bytes{};
        for (std::uint8_t r = 0; r < 7; ++r)
            bytes[r] = chip.peek(r);
        return bytes;
    }
    void seconds(std::int64_t s) { now += s * 1000; }
};

using Regs = std::array<std::uint8_t, 7>;

TEST_F(Chip, PowersUpHaltedOnTheFirstOfJanuary2000) {
    EXPECT_EQ(get(), (Regs{0x80, 0x00, 0x00, 0x01, 0x01, 0x01, 0x00}));
    seconds(10);
    EXPECT_EQ(chip.peek(0), 0x80);
}

TEST_F(Chip, CarriesFromSecondsToYears) {
    set({0x59, 0x59, 0x23, 0x07, 0x31, 0x12, 0x99});
    seconds(1);
    EXPECT_EQ(get(), (Regs{0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x00}));
}

TEST_F(Chip, KnowsMonthLengthsAndLeapYears) {
    struct Case {
        std::uint8_t date, month, year, next_date, next_month;
    };
    for (const Case c : {Case{0x28, 0x02, 0x23, 0x01, 0x03}, Case{0x28, 0x02, 0x24, 0x29, 0x02},
                         Case{0x29, 0x02, 0x24, 0x01, 0x03}, Case{0x30, 0x04, 0x24, 0x01, 0x05},
                         Case{0x30, 0x05, 0x24, 0x31, 0x05}, Case{0x28, 0x02, 0x00, 0x29, 0x02}}) {
        set({0x59, 0x59, 0x23, 0x01, c.date, c.month, c.year});
        seconds(1);
        EXPECT_EQ(chip.peek(4), c.next_date) << std::hex << int(c.date) << "/" << int(c.month);
        EXPECT_EQ(chip.peek(5), c.next_month);
    }
}

TEST_F(Chip, CountsOnlyWholeSecondsFromTheLastWriteOfTheSeconds) {
    set({0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x00});
    now += 999;
    EXPECT_EQ(chip.peek(0), 0x00);
    now += 1;
    EXPECT_EQ(chip.peek(0), 0x01);
    now += 1500;
    EXPECT_EQ(chip.peek(0), 0x02);
    now += 500;
    EXPECT_EQ(chip.peek(0), 0x03);
    // 700 ms into a second, writing the seconds starts a whole new one.
    now += 700;
    chip.poke(0, 0x10);
    now += 500;
    EXPECT_EQ(chip.peek(0), 0x10);
    now += 500;
    EXPECT_EQ(chip.peek(0), 0x11);
}

TEST_F(Chip, TheHaltBitStopsTheClockAndClearingItRestartsIt) {
    set({0x80 | 0x30, 0x00, 0x00, 0x01, 0x01, 0x01, 0x00});
    seconds(100);
    EXPECT_EQ(chip.peek(0), 0xB0);
    chip.poke(0, 0x30);
    seconds(5);
    EXPECT_EQ(chip.peek(0), 0x35);
}

TEST_F(Chip, LongAbsencesAreCountedExactly) {
    // 2011-03-08 13:30:45, then 400 days, 3 hours and 20 seconds later.
    set({0x45, 0x30, 0x13, 0x02, 0x08, 0x03, 0x11});
    seconds(400LL * 86400 + 3 * 3600 + 20);
    EXPECT_EQ(get(), (Regs{0x05, 0x31, 0x16, 0x03, 0x11, 0x04, 0x12}));
    // A century and a half later: 100 years of 36525 days, then 50 years
    // with 13 leap years.
    set({0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x00});
    seconds((36525LL + 50 * 365 + 13) * 86400);
    EXPECT_EQ(chip.peek(5), 0x01);
    EXPECT_EQ(chip.peek(6), 0x50);
}

// Hours in 12-hour mode: bit 6 set, bit 5 PM, then 12, 1 ... 11 in BCD.
TEST_F(Chip, CountsTwelveHourTimesThroughNoonAndMidnight) {
    struct Case {
        const char* what;
        std::uint8_t hours, next_hours;
        bool next_day;
    };
    for (const Case c :
         {Case{"11:59:59 AM", 0x51, 0x72, false}, Case{"12:59:59 PM", 0x72, 0x61, false},
          Case{"11:59:59 PM", 0x71, 0x52, true}, Case{"12:59:59 AM", 0x52, 0x41, false},
          Case{"11:59:59 PM, bit 7 set", 0xF1, 0xD2, true}}) {
        set({0x59, 0x59, c.hours, 0x02, 0x08, 0x03, 0x11});
        seconds(1);
        const std::uint8_t weekday = c.next_day ? 0x03 : 0x02, date = c.next_day ? 0x09 : 0x08;
        EXPECT_EQ(get(), (Regs{0x00, 0x00, c.next_hours, weekday, date, 0x03, 0x11})) << c.what;
    }
}

TEST_F(Chip, LongAbsencesAreCountedExactlyInTwelveHourMode) {
    // 10:00:00 AM, then 14 hours: 12 AM of the next day.
    set({0x00, 0x00, 0x50, 0x02, 0x08, 0x03, 0x11});
    seconds(14 * 3600);
    EXPECT_EQ(get(), (Regs{0x00, 0x00, 0x52, 0x03, 0x09, 0x03, 0x11}));
    // 2011-03-08 1:30:45 PM, then 400 days, 3 hours and 20 seconds later.
    set({0x45, 0x30, 0x61, 0x02, 0x08, 0x03, 0x11});
    seconds(400LL * 86400 + 3 * 3600 + 20);
    EXPECT_EQ(get(), (Regs{0x05, 0x31, 0x64, 0x03, 0x11, 0x04, 0x12}));
}

TEST_F(Chip, WritingTheHoursSwitchesBetweenModes) {
    set({0x59, 0x59, 0x12, 0x02, 0x08, 0x03, 0x11});  // 12:59:59 in 24-hour mode
    seconds(1);
    EXPECT_EQ(chip.peek(2), 0x13);
    chip.poke(2, 0x72);  // 12 PM in 12-hour mode
    seconds(3600);
    EXPECT_EQ(chip.peek(2), 0x61);
    chip.poke(2, 0x23);  // back to 24-hour mode, 23 h
    seconds(3600);
    EXPECT_EQ(get(), (Regs{0x00, 0x00, 0x00, 0x03, 0x09, 0x03, 0x11}));
}

TEST_F(Chip, KeepsExactlyTheBytesWrittenValidOrNot) {
    set({0x7F, 0xFF, 0x3F, 0x00, 0x00, 0x00, 0xFF});
    EXPECT_EQ(get(), (Regs{0x7F, 0xFF, 0x3F, 0x00, 0x00, 0x00, 0xFF}));
}

TEST_F(Chip, CountingFromAnyBytesNeverFailsAndEndsInValidTime) {
    for (int byte = 0; byte < 256; byte += 5) {
        const auto b = static_cast<std::uint8_t>(byte & 0x7F);  // running
        set({b, static_cast<std::uint8_t>(byte), static_cast<std::uint8_t>(byte),
             static_cast<std::uint8_t>(byte), static_cast<std::uint8_t>(byte),
             static_cast<std::uint8_t>(byte), static_cast<std::uint8_t>(byte)});
        seconds(3LL * 86400 + 61);
        const Regs r = get();
        EXPECT_LT(r[0] & 0x7F, 0x60) << byte;
        EXPECT_LT(r[1] & 0x7F, 0x60) << byte;
    }
}

TEST_F(Chip, APointerWriteThenBytesFillConsecutiveRegistersAndWrapAt0x3F) {
    ASSERT_TRUE(chip.address(0xD0));
    chip.write(0x3E);
    chip.write(0xAA);
    chip.write(0xBB);
    chip.write(0xCC);
    EXPECT_EQ(chip.peek(0x3E), 0xAA);
    EXPECT_EQ(chip.peek(0x3F), 0xBB);
    EXPECT_EQ(chip.peek(0x00), 0xCC);
    ASSERT_TRUE(chip.address(0xD0));
    chip.write(0x3F);
    ASSERT_TRUE(chip.address(0xD1));
    EXPECT_EQ(chip.read(), 0xBB);
    EXPECT_EQ(chip.read(), 0xCC);
}

TEST_F(Chip, AnswersOnlyItsOwnAddress) {
    EXPECT_TRUE(chip.address(0xD0));
    EXPECT_TRUE(chip.address(0xD1));
    EXPECT_FALSE(chip.address(0xA0));
    EXPECT_FALSE(chip.address(0xD2));
}

// What the battery keeps: the registers and how far into its second the
// divider was, so that a chip taken back loses no part of a second.
TEST_F(Chip, AKeptStateCarriesTheDividersPhase) {
    set({0x00, 0x30, 0x13, 0x06, 0x31, 0x12, 0x11});
    now += 900;
    const iowvirt::ChipState kept = chip.state();
    EXPECT_EQ(kept.at_ms, now);
    EXPECT_EQ(kept.into_second_ms, 900);

    Ds1307 later{[this] { return now; }};
    now += 100;
    later.restore(kept);
    EXPECT_EQ(later.peek(0x00), 0x01);
    // Not counted: the second goes on from its phase, no later.
    now += 50;
    Ds1307 stood{[this] { return now; }};
    stood.restore(kept, false);
    EXPECT_EQ(stood.peek(0x00), 0x00);
    now += 100;
    EXPECT_EQ(stood.peek(0x00), 0x01);
}

// A time source that moves between two readings must not give a phase of a
// whole second, which no file may hold.
TEST_F(Chip, AKeptStateTakesItsMomentAndPhaseFromOneReading) {
    std::int64_t moving = 5'000'000;
    Ds1307 hurried{[&] { return moving++; }};
    hurried.poke(0x00, 0x00);
    moving += 998;
    const iowvirt::ChipState kept = hurried.state();
    EXPECT_GE(kept.into_second_ms, 0);
    EXPECT_LT(kept.into_second_ms, 1000);
    EXPECT_EQ(kept.into_second_ms, 999);
}

TEST_F(Chip, AStoppedOscillatorKeepsTheRegistersThenGoesOnFromThem) {
    set({0x58, 0x59, 0x23, 0x06, 0x31, 0x12, 0x11});
    chip.set_stopped(true);
    seconds(3600);
    EXPECT_EQ(get(), (Regs{0x58, 0x59, 0x23, 0x06, 0x31, 0x12, 0x11}));
    chip.set_stopped(false);
    seconds(2);
    EXPECT_EQ(get(), (Regs{0x00, 0x00, 0x00, 0x07, 0x01, 0x01, 0x12}));
}

}  // namespace
