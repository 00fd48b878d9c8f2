#include "host/script.h"

#include <cerrno>
#include <cstdlib>

namespace host {

namespace {

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The parts of `text` between separators; "a,,b," is four, the last empty.
std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + 1)
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

std::vector<std::string> fields_of(const std::string& line) {
    std::vector<std::string> fields = split(line, ',');
    for (std::string& field : fields)
        field = trim(field);
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
    std::vector<std::string> lines = split(text, '\n');
    if (lines.back().empty()) lines.pop_back();  // the end of the last line
    for (int number_of_line = 1; number_of_line <= static_cast<int>(lines.size());
         ++number_of_line) {
        const std::string line = trim(lines[number_of_line - 1]);
        if (line.empty() || line[0] == '#') continue;
        const auto where = [&](std::size_t column) {
            return "ligne " + std::to_string(number_of_line) + ", colonne " +
                   std::to_string(column + 1);
        };
        const std::vector<std::string> fields = fields_of(line);
        if (columns.empty()) {
            for (std::size_t c = 0; c < fields.size(); ++c) {
                std::size_t pin = 0;
                while (pin < pins.size() && pins[pin] != fields[c])
                    ++pin;
                if (pin == pins.size()) {
                    script.error = where(c) + " : \"" + fields[c] +
                                   "\" n'est pas une entrée du bloc (" + joined(pins) + ")";
                    return script;
                }
                for (std::size_t seen : columns) {
                    if (seen == pin) {
                        script.error =
                            where(c) + " : l'entrée \"" + fields[c] + "\" est nommée deux fois";
                        return script;
                    }
                }
                columns.push_back(pin);
            }
            continue;
        }
        if (fields.size() != columns.size()) {
            script.error = "ligne " + std::to_string(number_of_line) + " : " +
                           std::to_string(fields.size()) + " valeurs pour " +
                           std::to_string(columns.size()) + " colonnes";
            return script;
        }
        std::vector<double> step(pins.size(), 0.0);
        for (std::size_t c = 0; c < fields.size(); ++c) {
            if (!number(fields[c], step[columns[c]])) {
                script.error = where(c) + " (" + pins[columns[c]] + ") : pas un nombre : \"" +
                               fields[c] + "\"";
                return script;
            }
        }
        script.steps.push_back(step);
    }
    if (script.steps.empty())
        script.error = "aucun pas : il faut une ligne d'en-tête et au moins une ligne de valeurs";
    return script;
}

}  // namespace host
