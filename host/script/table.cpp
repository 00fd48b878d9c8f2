#include "host/script/table.h"

#include <cmath>
#include <cstdio>

namespace host {

namespace {
constexpr int kValueWidth = 6;
constexpr int kStepWidth = 4;
constexpr std::size_t kActionWidth = 8;  // "écriture"

// Characters on screen: UTF-8 continuation bytes take no column.
std::size_t columns(const std::string& text) {
    std::size_t count = 0;
    for (char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

std::string padded(const std::string& text, std::size_t width) {
    const std::size_t used = columns(text);
    return used >= width ? text : std::string(width - used, ' ') + text;
}

std::string left(const std::string& text, std::size_t width) {
    const std::size_t used = columns(text);
    return used >= width ? text : text + std::string(width - used, ' ');
}
}  // namespace

std::string format_value(double value, bool decimal_comma) {
    char text[32];
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        std::snprintf(text, sizeof text, "%.15g", value);
    }
    std::string shown = text;
    if (decimal_comma) {
        for (char& c : shown)
            if (c == '.') c = ',';
    }
    return shown;
}

std::string header_line(Format format, const std::vector<std::string>& outputs) {
    const bool csv = format != Format::table;
    std::string line = csv ? mark_of(format) + std::string("pas")
                           : padded("pas", kStepWidth) + "  " + left("action", kActionWidth);
    for (const auto& name : outputs) {
        line += csv ? separator_of(format) : ' ';
        line += csv ? name : padded(name, kValueWidth);
    }
    return line;
}

std::string step_line(Format format, int step, const std::string& action,
                      const std::vector<double>& values) {
    const bool csv = format != Format::table;
    std::string line =
        csv ? std::to_string(step)
            : padded(std::to_string(step), kStepWidth) + "  " + left(action, kActionWidth);
    for (double value : values) {
        const bool driven = !std::isnan(value);
        if (csv) {
            line += separator_of(format);
            if (driven) line += format_value(value, format == Format::excel);
        } else {
            line += ' ' + padded(driven ? format_value(value) : "-", kValueWidth);
        }
    }
    return line;
}

}  // namespace host
