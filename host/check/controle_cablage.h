// The wiring check as the program runs it.
#pragma once

#include <functional>
#include <vector>

#include "host/check/constats.h"
#include "host/commun/bloc.h"
#include "host/commun/options.h"

namespace host {

struct CheckOptions {
    int period_ms;   // between reads
    int timeout_ms;  // of each device call
    Format format;
    Bench bench;
    BeforeStep before_step;
    // Given the findings once they are printed: the report to the room.
    std::function<void(const std::vector<Finding>&)> reported;
};

// One run of the block that checks the way to the clock chip: the start,
// the steps before the last one (setting the clock, with --set), then the
// last step, with "RD" high, and again every `period_ms` until the seconds
// change, when the first read looks sound. Prints the findings; the exit
// status. A device call that stalls is a finding too, and ends the process.
int check_wiring(const Block& block, Steps steps, const CheckOptions& options);

}  // namespace host
