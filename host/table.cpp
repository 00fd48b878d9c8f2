#include "host/table.h"

#include <cmath>
#include <cstdio>

namespace host {

namespace {
constexpr int kValueWidth = 6;

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}
}  // namespace

std::string format_value(double value) {
    char text[32];
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        std::snprintf(text, sizeof text, "%g", value);
    }
    return text;
}

std::string header_line(Format format, const std::vector<std::string>& outputs) {
    std::string line = format == Format::csv ? "step" : "step  action";
    for (const auto& name : outputs) {
        line += format == Format::csv ? ',' : ' ';
        line += format == Format::csv ? name : padded(name, kValueWidth);
    }
    return line;
}

std::string step_line(Format format, int step, const std::string& action,
                      const std::vector<double>& values) {
    std::string line = format == Format::csv
                           ? std::to_string(step)
                           : padded(std::to_string(step), 4) + "  " + action +
                                 std::string(action.size() < 6 ? 6 - action.size() : 0, ' ');
    for (double value : values) {
        const bool driven = !std::isnan(value);
        if (format == Format::csv) {
            line += ',';
            if (driven) line += format_value(value);
        } else {
            line += ' ' + padded(driven ? format_value(value) : "-", kValueWidth);
        }
    }
    return line;
}

}  // namespace host
