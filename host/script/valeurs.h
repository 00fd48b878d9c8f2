// The values of a script that the clock chip cannot hold: a simulator
// writes them as they are, and the chip keeps what it gets. Said before the
// run, where the teacher tries a script out.
#pragma once

#include <string>
#include <vector>

#include "host/script/script.h"

namespace host {

// One French line per value on a step with "init" high that the clock
// cannot hold once truncated as the block does (a pin the header leaves
// out counting as 0), and per day the month does not have, at most
// `most`, then a line that counts the rest: "ligne 3, colonne 8 (ann) : ...".
std::vector<std::string> values_the_clock_cannot_hold(const Script& script,
                                                      const std::vector<std::string>& pins,
                                                      std::size_t most = 20);

}  // namespace host
