// The IOW24's I2C special-mode function and the bus behind it, one clock
// chip on it: turns each 8-byte report written to pipe 1 into bus traffic
// and into the report the IOW24 sends back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "virtual/carte/ds1307.h"

namespace iowvirt {

using Report = std::array<std::uint8_t, 8>;

// Special-mode report IDs and the bits of their byte 1.
inline constexpr std::uint8_t kReportMode = 0x01;
inline constexpr std::uint8_t kReportWrite = 0x02;
inline constexpr std::uint8_t kReportRead = 0x03;
inline constexpr std::uint8_t kModeEnable = 0x01;
inline constexpr std::uint8_t kFlagStart = 0x80;
inline constexpr std::uint8_t kFlagStop = 0x40;
inline constexpr std::uint8_t kFlagReserved = 0x38;
inline constexpr std::uint8_t kCountMask = 0x07;
inline constexpr std::uint8_t kStatusFailed = 0x80;
inline constexpr std::uint8_t kMaxData = 6;

class I2cFunction {
  public:
    explicit I2cFunction(Ds1307& chip) : chip_(chip) {}

    // The reply to `request`, or nothing for reports that get none (the mode
    // switch, unknown IDs). With `bus_fault` an I2C transfer fails whatever
    // its content, as when a wire is loose.
    std::optional<Report> handle(const Report& request, bool bus_fault);

    // I2C mode off and the bus released, as after a power-up.
    void reset();

    // A clock chip that is not wired to the bus answers no address.
    void set_chip_connected(bool connected) { chip_connected_ = connected; }

    static bool is_transfer(const Report& request);

  private:
    Report write(const Report& request, bool bus_fault);
    Report read(const Report& request, bool bus_fault);
    bool acknowledges(std::uint8_t address_byte);
    static Report failed(std::uint8_t report_id);

    Ds1307& chip_;
    bool enabled_ = false;
    bool in_transaction_ = false;  // a write without stop left the bus open
    bool chip_connected_ = true;
};

}  // namespace iowvirt
