// The block as the stand-in host holds it once loaded: its entry points,
// looked up by name, and its pin names.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "block/rtc_iow24.h"
#include "host/commun/options.h"

namespace host {

struct Block {
    NumPinsFn num_inputs, num_outputs;
    PinNameFn input_name, output_name;
    SimFn start, stop;
    CalculateFn calculate;
    std::vector<std::string> inputs, outputs;
};

using Steps = std::vector<std::vector<double>>;

// Called with a step's index and inputs just before the step is made:
// "--set now" takes the PC's time there, not when the steps were built,
// since opening the IOW24 may take a while (a box waiting for a click).
using BeforeStep = std::function<void(std::size_t, std::vector<double>&)>;

// The block's logic level: an input above it is high.
inline constexpr double kLogicThreshold = 2.5;
// An input above the threshold is high, as the block reads it (NaN is not).
inline bool is_high(double value) { return value > kLogicThreshold; }

// The two inputs that make a step do something.
inline constexpr const char* kInitPin = "init";
inline constexpr const char* kReadPin = "RD";

// Where the pin named `name` is among the block's `pins`: pins.size() when
// it is not.
inline std::size_t pin_index(const std::vector<std::string>& pins, const char* name) {
    std::size_t i = 0;
    while (i < pins.size() && pins[i] != name)
        ++i;
    return i;
}

}  // namespace host
