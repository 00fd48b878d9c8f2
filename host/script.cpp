#include "host/script.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace host {

namespace {

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ','))
        fields.push_back(trim(field));
    if (!line.empty() && line.back() == ',') fields.push_back("");
    return fields;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

bool number(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && errno != ERANGE;
}

}  // namespace

Script parse_script(const std::string& text, const std::vector<std::string>& pins) {
    Script script;
    std::vector<std::size_t> columns;  // pin index of each column
    std::stringstream lines(text);
    std::string line;
    for (int number_of_line = 1; std::getline(lines, line); ++number_of_line) {
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        const auto where = [&](std::size_t column) {
            return "line " + std::to_string(number_of_line) + ", column " +
                   std::to_string(column + 1);
        };
        const std::vector<std::string> fields = split(line);
        if (columns.empty()) {
            for (std::size_t c = 0; c < fields.size(); ++c) {
                std::size_t pin = 0;
                while (pin < pins.size() && pins[pin] != fields[c])
                    ++pin;
                if (pin == pins.size()) {
                    script.error = where(c) + ": \"" + fields[c] +
                                   "\" is not an input pin of the block (" + joined(pins) + ")";
                    return script;
                }
                for (std::size_t seen : columns) {
                    if (seen == pin) {
                        script.error = where(c) + ": pin \"" + fields[c] + "\" named twice";
                        return script;
                    }
                }
                columns.push_back(pin);
            }
            continue;
        }
        if (fields.size() != columns.size()) {
            script.error = "line " + std::to_string(number_of_line) + ": " +
                           std::to_string(fields.size()) + " values for " +
                           std::to_string(columns.size()) + " columns";
            return script;
        }
        std::vector<double> step(pins.size(), 0.0);
        for (std::size_t c = 0; c < fields.size(); ++c) {
            if (!number(fields[c], step[columns[c]])) {
                script.error =
                    where(c) + " (" + pins[columns[c]] + "): not a number: \"" + fields[c] + "\"";
                return script;
            }
        }
        script.steps.push_back(step);
    }
    if (script.steps.empty())
        script.error = "no step: a header line and at least one row are needed";
    return script;
}

}  // namespace host
