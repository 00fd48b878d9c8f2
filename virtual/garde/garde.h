// Where the board is kept between launches: the state file, its records'
// numbering, and what this launch saved.
#pragma once

#include <cstdint>
#include <string>

#include "virtual/garde/fichiers.h"

namespace iowvirt {

struct Keeping {
    // The file that keeps the chip's registers; empty: in memory only.
    std::string state_path;
    fichiers::StateFile state_file;
    std::uint64_t sequence = 0;     // of the newest record in the file
    bool spell = false;             // the newest record was kept in a spell (kSpell)
    std::uint64_t bytes_saved = 0;  // the chip's bytes written at the last save
    bool upgrade_pending = false;   // the file is of the first version
};

}  // namespace iowvirt
