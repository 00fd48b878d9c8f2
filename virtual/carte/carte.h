// The board: the clock chip on its I²C bus, and the exercises a teacher
// lays on it.
#pragma once

#include <cstdint>
#include <ctime>

#include "virtual/carte/ds1307.h"
#include "virtual/carte/i2c.h"

namespace iowvirt {

// The PC's clock, in milliseconds since 1970.
std::int64_t system_ms();

struct Board {
    Ds1307 chip{system_ms};
    I2cFunction i2c{chip};
    // The PC's clock, or the moment IOWVIRT_NOW stands for.
    TimeSource pc_now = system_ms;
    // IOWVIRT=tick: the chip's time moves one second at each pointer set to
    // the seconds register.
    bool ticking = false;
    std::int64_t tick_ms = 0;
    // Exercises the words ask for, and those the chip is left in (kept in
    // its state file with it).
    bool frozen = false;
    bool invalid = false;
    bool fresh = false;  // a new chip, nothing kept in a file
    std::uint32_t exercises = 0;
    // Whether the chip holds a time it was given (kept, set, or delivered);
    // false for a chip just powered on in this process.
    bool given = false;

    // The chip's state, its moment at `lived` (the time it has lived on
    // the PC's clock): ticks are no time lived.
    ChipState kept_chip(std::int64_t lived);
    // As a board comes from the maker, set and running: at `local`, the
    // PC's time of day and date, in 24-hour mode.
    void deliver_set(const std::tm& local);
};

}  // namespace iowvirt
