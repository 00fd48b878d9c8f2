// The IOW24's special-mode reports and the clock chip's registers as the
// host sees them on the way between the block and the device library. The
// host keeps its own description: an error in the block's shows up in the
// trace and the check instead of being repeated there.
#pragma once

#include <cstdint>

namespace host {

// Report IDs and the bits of byte 1.
inline constexpr std::uint8_t kModeSwitch = 0x01;
inline constexpr std::uint8_t kI2cWrite = 0x02;
inline constexpr std::uint8_t kI2cRead = 0x03;
inline constexpr std::uint8_t kModeOn = 0x01;
inline constexpr std::uint8_t kStart = 0x80;
inline constexpr std::uint8_t kStop = 0x40;
inline constexpr std::uint8_t kCountMask = 0x07;
inline constexpr std::uint8_t kFailed = 0x80;  // status bit of a reply
inline constexpr std::uint32_t kReportSize = 8;

// The clock chip: device address byte for writing, first registers of the
// time and of the date, and the bits that are no digits.
inline constexpr std::uint8_t kChipWrite = 0xD0;
inline constexpr std::uint8_t kTimeRegister = 0x00;
inline constexpr std::uint8_t kDateRegister = 0x04;
inline constexpr std::uint8_t kClockHalt = 0x80;   // seconds, bit 7: the oscillator stops
inline constexpr std::uint8_t kTwelveHour = 0x40;  // hours, bit 6: 12-hour mode
inline constexpr std::uint8_t kPm = 0x20;          // hours, bit 5 in 12-hour mode

}  // namespace host
