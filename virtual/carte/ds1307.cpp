#include "virtual/carte/ds1307.h"

#include <utility>

namespace iowvirt {

namespace {

// Registers and the bits that hold each field.
constexpr std::uint8_t kSeconds = 0x00, kMinutes = 0x01, kHours = 0x02, kWeekday = 0x03,
                       kDate = 0x04, kMonth = 0x05, kYear = 0x06, kControl = 0x07;
constexpr std::uint8_t kClockHalt = 0x80;  // bit 7 of the seconds register stops the oscillator
constexpr std::uint8_t kSecondsMask = 0x7F, kMinutesMask = 0x7F, kWeekdayMask = 0x07,
                       kDateMask = 0x3F, kMonthMask = 0x1F, kYearMask = 0xFF;
// Bit 6 of the hours register selects 12-hour mode: bit 5 is then PM and
// bits 4-0 count 12, 1, 2 ... 11. In 24-hour mode bits 5-0 count 0-23.
constexpr std::uint8_t kTwelveHour = 0x40, kPm = 0x20;
constexpr std::uint8_t kHours24Mask = 0x3F, kHours12Mask = 0x1F;
constexpr std::uint8_t kPointerMask = 0x3F;
constexpr std::uint8_t kPowerOnControl = 0x03;

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kSecondsPerDay = 86400;
// Years 00-99 with a leap year every fourth: the calendar and the day of the
// week repeat after this many days.
constexpr std::int64_t kCalendarCycleDays = 36525 * 7;

int decode(std::uint8_t bcd) { return (bcd >> 4) * 10 + (bcd & 0x0F); }
std::uint8_t encode(int value) { return static_cast<std::uint8_t>((value / 10) << 4 | value % 10); }

// Adds one to the field under `mask`; past `last` it restarts at `first` and
// reports the carry. Works on any byte, valid BCD or not.
bool increment(std::uint8_t& reg, std::uint8_t mask, int first, int last) {
    const int next = decode(reg & mask) + 1;
    const bool carry = next > last;
    reg = static_cast<std::uint8_t>((reg & ~mask) | (encode(carry ? first : next) & mask));
    return carry;
}

// A field in range and written in valid BCD.
bool field_valid(std::uint8_t reg, std::uint8_t mask, int first, int last) {
    const std::uint8_t field = reg & mask;
    const int value = decode(field);
    return (field & 0x0F) <= 9 && value >= first && value <= last;
}

// One hour on; true when the day is over.
bool next_hour(std::uint8_t& hours) {
    if ((hours & kTwelveHour) == 0) return increment(hours, kHours24Mask, 0, 23);
    // From 11 to 12 the half of the day changes; after 11 PM comes 12 AM of
    // the next day.
    const bool eleven = decode(hours & kHours12Mask) == 11;
    increment(hours, kHours12Mask, 1, 12);
    if (!eleven) return false;
    hours ^= kPm;
    return (hours & kPm) == 0;
}

bool hours_valid(std::uint8_t hours) {
    if ((hours & kTwelveHour) == 0) return field_valid(hours, kHours24Mask, 0, 23);
    return field_valid(hours, kHours12Mask, 1, 12);
}

int days_in_month(int month, int year) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 31;
    if (month == 2 && year % 4 == 0) return 29;
    return kDays[month - 1];
}

}  // namespace

Ds1307::Ds1307(TimeSource source) : source_(std::move(source)) { power_on(); }

void Ds1307::power_on() {
    regs_.fill(0);
    regs_[kSeconds] = kClockHalt;
    regs_[kWeekday] = 0x01;
    regs_[kDate] = 0x01;
    regs_[kMonth] = 0x01;
    regs_[kControl] = kPowerOnControl;
    pointer_ = 0;
    expect_pointer_ = false;
    stopped_ = false;
    second_start_ms_ = source_();
}

void Ds1307::set_time(const std::tm& local) {
    poke(kMinutes, encode(local.tm_min));
    poke(kHours, encode(local.tm_hour));
    poke(kWeekday, encode(local.tm_wday + 1));
    poke(kDate, encode(local.tm_mday));
    poke(kMonth, encode(local.tm_mon + 1));
    poke(kYear, encode(local.tm_year % 100));
    // The seconds last, halt bit clear: the oscillator starts.
    poke(kSeconds, encode(local.tm_sec));
}

void Ds1307::set_time_source(TimeSource source) {
    source_ = std::move(source);
    second_start_ms_ = source_();
}

void Ds1307::set_stopped(bool stopped) {
    catch_up(source_());
    stopped_ = stopped;
}

bool Ds1307::address(std::uint8_t address_byte) {
    if ((address_byte >> 1) != kBusAddress) return false;
    // The chip copies its counters into the registers it serves at every
    // start, so a multi-byte read is consistent.
    catch_up(source_());
    expect_pointer_ = (address_byte & 0x01) == 0;
    return true;
}

void Ds1307::write(std::uint8_t byte) {
    if (expect_pointer_) {
        pointer_ = byte & kPointerMask;
        expect_pointer_ = false;
        return;
    }
    poke(pointer_, byte);
    ++bytes_written_;
    pointer_ = (pointer_ + 1) & kPointerMask;
}

std::uint8_t Ds1307::read() {
    const std::uint8_t byte = regs_[pointer_];
    pointer_ = (pointer_ + 1) & kPointerMask;
    return byte;
}

std::uint8_t Ds1307::peek(std::uint8_t reg) {
    catch_up(source_());
    return regs_[reg & kPointerMask];
}

void Ds1307::poke(std::uint8_t reg, std::uint8_t value) {
    catch_up(source_());
    regs_[reg & kPointerMask] = value;
    // Writing the seconds restarts the one-second divider.
    if ((reg & kPointerMask) == kSeconds) second_start_ms_ = source_();
}

// One reading of the time source gives both the moment and the divider's
// phase, so the phase is always within its second.
ChipState Ds1307::state() {
    const std::int64_t now = source_();
    catch_up(now);
    ChipState kept;
    kept.registers = regs_;
    kept.at_ms = now;
    kept.into_second_ms = static_cast<std::int32_t>(now - second_start_ms_);
    return kept;
}

void Ds1307::restore(const ChipState& kept, bool counted) {
    regs_ = kept.registers;
    pointer_ = 0;
    expect_pointer_ = false;
    const std::int64_t now = source_();
    second_start_ms_ = (counted ? kept.at_ms : now) - kept.into_second_ms;
    catch_up(now);
}

void Ds1307::catch_up(std::int64_t now) {
    if (now < second_start_ms_ || stopped_ || (regs_[kSeconds] & kClockHalt) != 0) {
        second_start_ms_ = now;  // a halted oscillator, or a time source set back
        return;
    }
    const std::int64_t seconds = (now - second_start_ms_) / kMsPerSecond;
    second_start_ms_ += seconds * kMsPerSecond;
    advance(seconds);
}

void Ds1307::advance(std::int64_t seconds) {
    while (seconds > 0) {
        if (seconds >= kSecondsPerDay && time_valid()) {
            std::int64_t days = seconds / kSecondsPerDay;
            seconds -= days * kSecondsPerDay;
            for (; days > 0; --days) {
                if (date_valid()) days %= kCalendarCycleDays;
                if (days > 0) next_day();
            }
        } else {
            tick_second();
            --seconds;
        }
    }
}

void Ds1307::tick_second() {
    if (!increment(regs_[kSeconds], kSecondsMask, 0, 59)) return;
    if (!increment(regs_[kMinutes], kMinutesMask, 0, 59)) return;
    if (!next_hour(regs_[kHours])) return;
    next_day();
}

void Ds1307::next_day() {
    increment(regs_[kWeekday], kWeekdayMask, 1, 7);
    const int month = decode(regs_[kMonth] & kMonthMask);
    const int year = decode(regs_[kYear] & kYearMask);
    if (!increment(regs_[kDate], kDateMask, 1, days_in_month(month, year))) return;
    if (!increment(regs_[kMonth], kMonthMask, 1, 12)) return;
    increment(regs_[kYear], kYearMask, 0, 99);
}

bool Ds1307::time_valid() const {
    return field_valid(regs_[kSeconds], kSecondsMask, 0, 59) &&
           field_valid(regs_[kMinutes], kMinutesMask, 0, 59) && hours_valid(regs_[kHours]);
}

bool Ds1307::date_valid() const {
    const int month = decode(regs_[kMonth] & kMonthMask);
    const int year = decode(regs_[kYear] & kYearMask);
    return field_valid(regs_[kWeekday], kWeekdayMask, 1, 7) &&
           field_valid(regs_[kMonth], kMonthMask, 1, 12) &&
           field_valid(regs_[kYear], kYearMask, 0, 99) &&
           field_valid(regs_[kDate], kDateMask, 1, days_in_month(month, year));
}

}  // namespace iowvirt
