#include "host/valeurs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/bloc.h"
#include "rtc/bcd.h"

namespace host {

namespace {

// What a step with "init" high writes into the chip, pin by pin: the whole
// value, less the century for the year, in packed BCD; what each field can
// hold; and the output the block reads it back on.
struct Field {
    const char* pin;
    int first, last, century;
    const char* what;
    const char* output;
};
constexpr Field kFields[] = {
    {"sec", 0, 59, 0, "des secondes de 0 à 59", "SEC"},
    {"min", 0, 59, 0, "des minutes de 0 à 59", "MIN"},
    {"heu", 0, 23, 0, "une heure de 0 à 23", "HEU"},
    {"dat", 1, 31, 0, "un jour de 1 à 31", "DAT"},
    {"moi", 1, 12, 0, "un mois de 1 à 12", "MOI"},
    {"ann", 2000, 2099, 2000, "une année de 2000 à 2099", "ANN"},
};
constexpr const char* kInit = "init";

// As the script writes it: a decimal comma in the forms of French Excel.
std::string number_text(double value, char separator) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    std::string written = text;
    if (separator != ',')
        for (char& c : written)
            if (c == '.') c = ',';
    return written;
}

std::size_t index_of(const std::vector<std::string>& pins, const char* name) {
    std::size_t i = 0;
    while (i < pins.size() && pins[i] != name)
        ++i;
    return i;
}

// A field the script writes: its pin's index and its column.
struct Written {
    const Field* field;
    std::size_t pin;
    int column;
};

}  // namespace

std::vector<std::string> values_the_clock_cannot_hold(const Script& script,
                                                      const std::vector<std::string>& pins,
                                                      std::size_t most) {
    std::vector<std::string> lines;
    std::size_t found = 0;
    const std::size_t init = index_of(pins, kInit);
    if (init == pins.size() || script.pin_columns.size() != pins.size()) return lines;
    // The fields the script's columns hold, told from left to right, as the
    // teacher reads the line.
    std::vector<Written> written;
    for (const Field& field : kFields) {
        const std::size_t pin = index_of(pins, field.pin);
        if (pin < pins.size() && script.pin_columns[pin] != 0)
            written.push_back({&field, pin, script.pin_columns[pin]});
    }
    std::sort(written.begin(), written.end(),
              [](const Written& a, const Written& b) { return a.column < b.column; });
    for (std::size_t step = 0; step < script.steps.size(); ++step) {
        const std::vector<double>& values = script.steps[step];
        if (!(values[init] > kLogicThreshold)) continue;
        for (const auto& [f, pin, column] : written) {
            const Field& field = *f;
            const double value = values[pin];
            if (value == std::trunc(value) && value >= field.first && value <= field.last) continue;
            if (++found > most) continue;
            const std::uint8_t byte = decimal_vers_bcd(octet_de_broche(value - field.century));
            char held[96];
            std::snprintf(held, sizeof held,
                          "elle recevra l'octet 0x%02X, que le bloc relira comme %s = %g", byte,
                          field.output, bcd_vers_decimal(byte));
            lines.push_back(
                "ligne " + std::to_string(script.step_lines[step]) + ", colonne " +
                std::to_string(column) + " (" + field.pin + ") : l'horloge ne peut pas tenir " +
                number_text(value, script.separator) + " (" + field.what + ") ; " + held + ".");
        }
    }
    if (found > most)
        lines.push_back("et " + std::to_string(found - most) +
                        " autres valeurs que l'horloge ne peut pas tenir.");
    return lines;
}

}  // namespace host
