// The block as the stand-in host holds it once loaded: its entry points,
// looked up by name, and its pin names.
#pragma once

#include <string>
#include <vector>

#include "block/rtc_iow24.h"
#include "host/options.h"

namespace host {

struct Block {
    NumPinsFn num_inputs, num_outputs;
    PinNameFn input_name, output_name;
    SimFn start, stop;
    CalculateFn calculate;
    std::vector<std::string> inputs, outputs;
};

using Steps = std::vector<std::vector<double>>;

// One run of the block that checks the way to the clock chip: the start,
// the steps before the last one (setting the clock, with --set), then the
// last step, with "RD" high, and once more `wait_ms` later when the first
// read looks sound. Prints the findings; the exit status.
int check_wiring(const Block& block, Steps steps, int period_ms, Format format);

}  // namespace host
