// The outputs of each step, under the block's own pin names.
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "host/commun/options.h"

namespace host {

// What an output holds until the block drives it: printed as "-" in the
// table and as an empty field in CSV. The block's readings are 0-165.
inline constexpr double kNotDriven = std::numeric_limits<double>::quiet_NaN();

// `decimal_comma`: 45,9 rather than 45.9, as French Excel reads numbers.
std::string format_value(double value, bool decimal_comma = false);
std::string header_line(Format format, const std::vector<std::string>& outputs);
// `action`: what the step asked of the block, in French ("écriture",
// "lecture" or "-"); the table only.
std::string step_line(Format format, int step, const std::string& action,
                      const std::vector<double>& values);

}  // namespace host
