// Scripts that run but cannot do what their author meant. Students think of
// "init" and "RD" as booleans and write 1, while the block takes a level
// above 2.5 volts as high; a step with both high writes and does not read.
// Each is a warning said before the run, never an error: a teacher may mean
// it.
#pragma once

#include <string>
#include <vector>

#include "host/script/script.h"

namespace host {

// One French line per kind, naming the lines it concerns: "init" or "RD" at
// a level that is not high, clock values on rows that no step writes, rows
// with both high, no step that reads, rows with cells missing at the end.
std::vector<std::string> levels_that_mislead(const Script& script,
                                             const std::vector<std::string>& pins);

// A French sentence when no step drives "init" or "RD" high, so that the
// run would do nothing; empty otherwise.
std::string nothing_high(const Script& script, const std::vector<std::string>& pins);

}  // namespace host
