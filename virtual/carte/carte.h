// The board: the clock chip on its I²C bus, and the exercises a teacher
// lays on it. Its moments are on the PC's clock, ticks or not.
#pragma once

#include <cstdint>

#include "virtual/carte/ds1307.h"
#include "virtual/carte/i2c.h"

namespace iowvirt {

std::int64_t system_ms();

struct Board {
    Ds1307 chip{system_ms};
    I2cFunction i2c{chip};
    // The PC's clock, or the moment IOWVIRT_NOW stands for: what the state
    // file's moments are on.
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

    // The chip's state, its moment on the PC's clock: ticks run ahead of it,
    // and a record stamped with them would be taken for one kept while the
    // PC's clock was behind.
    ChipState kept_chip();
};

}  // namespace iowvirt
