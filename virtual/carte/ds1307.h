// A DS1307-style real-time clock chip at bus address 0x68: 64 registers
// (time and date in packed BCD at 0x00-0x06, control at 0x07, battery-backed
// RAM above), a register pointer that advances after every byte and wraps at
// 0x3F, and a clock that counts seconds up to years from a time source, in
// 24-hour or 12-hour mode as the hours register says.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>

namespace iowvirt {

// Milliseconds on any monotonic or wall-clock scale.
using TimeSource = std::function<std::int64_t()>;

// What the chip keeps on its battery, at a moment of its time source: its
// registers, and how far into the current second its divider was.
struct ChipState {
    std::array<std::uint8_t, 64> registers{};
    std::int64_t at_ms = 0;
    std::int32_t into_second_ms = 0;
};

class Ds1307 {
  public:
    static constexpr std::uint8_t kBusAddress = 0x68;
    static constexpr std::size_t kRegisterCount = 64;

    explicit Ds1307(TimeSource source);

    // A fresh chip on first power-up: oscillator halted, 2000-01-01 00:00:00.
    void power_on();
    // The time and date at `local`, in 24-hour mode, the oscillator
    // running: as a board is set before it is delivered.
    void set_time(const std::tm& local);
    void set_time_source(TimeSource source);
    // An oscillator that stands still with its halt bit clear, as with a
    // dead crystal: the registers keep what they hold.
    void set_stopped(bool stopped);

    // Bus side. `address` is called with the address byte after a start
    // condition and answers whether the chip acknowledges it.
    bool address(std::uint8_t address_byte);
    void write(std::uint8_t byte);
    std::uint8_t read();

    // Direct access for tests and tools, with the clock brought up to date.
    std::uint8_t peek(std::uint8_t reg);
    void poke(std::uint8_t reg, std::uint8_t value);

    // The registers as they stand now, and the chip taken back to a kept
    // state: a running clock then counts the time elapsed since, by its
    // time source, unless `counted` is false (it stood still meanwhile); a
    // halted one stays as it was. The register pointer is lost, as on a
    // power-down.
    ChipState state();
    void restore(const ChipState& state, bool counted = true);
    // Bytes written to the registers over the bus so far.
    std::uint64_t bytes_written() const { return bytes_written_; }

  private:
    void catch_up(std::int64_t now);
    void advance(std::int64_t seconds);
    void tick_second();
    void next_day();
    bool time_valid() const;
    bool date_valid() const;

    TimeSource source_;
    std::array<std::uint8_t, kRegisterCount> regs_{};
    std::uint8_t pointer_ = 0;
    bool expect_pointer_ = false;
    bool stopped_ = false;
    std::int64_t second_start_ms_ = 0;  // when the current second began
    std::uint64_t bytes_written_ = 0;
};

}  // namespace iowvirt
