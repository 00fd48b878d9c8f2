// The outputs of each step, under the block's own pin names.
#pragma once

#include <string>
#include <vector>

#include "host/options.h"

namespace host {

std::string format_value(double value);
std::string header_line(Format format, const std::vector<std::string>& outputs);
// `action`: what the step asked of the block ("set", "read" or "-").
std::string step_line(Format format, int step, const std::string& action,
                      const std::vector<double>& values);

}  // namespace host
