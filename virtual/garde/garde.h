// Where the board is kept between launches: the state file, its records'
// numbering, and what this launch saved.
#pragma once

#include <cstdint>
#include <string>

#include "virtual/garde/fichiers.h"
#include "virtual/pile/vecu.h"

namespace iowvirt {

struct Keeping {
    // The file that keeps the chip's registers; empty: in memory only.
    std::string state_path;
    fichiers::StateFile state_file;
    std::uint64_t sequence = 0;  // of the newest record in the file
    // The time the chip has lived, on the PC's clock: its time source.
    LivedTime lived;
    // The lived moment from which a read shows a second the file does not
    // hold yet: kept then, so that no later launch shows an earlier time.
    std::int64_t shown_until = 0;
    // The PC's clock at the file's newest record: a read that finds it
    // further behind keeps that too, so that the next launch counts from
    // there.
    std::int64_t kept_pc = 0;
    std::uint64_t bytes_saved = 0;  // the chip's bytes written at the last save
    bool upgrade_pending = false;   // the file is of an earlier version
    bool new_chip_to_keep = false;  // a damaged file was put aside: the new chip is kept
};

}  // namespace iowvirt
