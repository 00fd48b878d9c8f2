#include "virtual/carte/carte.h"

namespace iowvirt {

namespace {

// The chip's time and date registers, from the seconds on.
enum Register : std::uint8_t { kSeconds, kMinutes, kHours, kWeekday, kDate, kMonth, kYear };

// The chip's own packed BCD: two decimal digits in a byte.
std::uint8_t bcd(int value) { return static_cast<std::uint8_t>((value / 10) << 4 | value % 10); }

}  // namespace

void Board::deliver_set(const std::tm& local) {
    chip.power_on();
    chip.poke(kMinutes, bcd(local.tm_min));
    chip.poke(kHours, bcd(local.tm_hour));
    chip.poke(kWeekday, bcd(local.tm_wday + 1));
    chip.poke(kDate, bcd(local.tm_mday));
    chip.poke(kMonth, bcd(local.tm_mon + 1));
    chip.poke(kYear, bcd(local.tm_year % 100));
    // The seconds last, halt bit clear: the oscillator starts.
    chip.poke(kSeconds, bcd(local.tm_sec));
    given = true;
}

ChipState Board::kept_chip() {
    ChipState kept = chip.state();
    if (ticking) kept.at_ms = pc_now();
    return kept;
}

}  // namespace iowvirt
