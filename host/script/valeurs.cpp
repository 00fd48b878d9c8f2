#include "host/script/valeurs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/commun/bloc.h"
#include "host/commun/options.h"
#include "host/commun/protocole.h"
#include "host/script/table.h"
#include "rtc/bcd.h"

namespace host {

namespace {

// What a step with "init" high writes into the chip, pin by pin: the value
// less the century for the year, truncated, in packed BCD; what each field
// can hold; the output the block reads it back on; and the bit of its
// register that is no digit but a setting of the chip.
struct Field {
    const char* pin;
    int first, last, century;
    const char* what;
    const char* output;
    std::uint8_t setting;
    const char* setting_does;
};
constexpr Field kFields[] = {
    {"sec", 0, 59, 0, "des secondes de 0 à 59", "SEC", kClockHalt,
     "dont le bit 7 arrête l'oscillateur : l'horloge restera arrêtée"},
    {"min", 0, 59, 0, "des minutes de 0 à 59", "MIN", 0, ""},
    {"heu", 0, 23, 0, "une heure de 0 à 23", "HEU", kTwelveHour,
     "dont le bit 6 met l'horloge en mode 12 heures"},
    {"dat", 1, 31, 0, "un jour de 1 à 31", "DAT", 0, ""},
    {"moi", 1, 12, 0, "un mois de 1 à 12", "MOI", 0, ""},
    {"ann", 2000, 2099, 2000, "une année de 2000 à 2099", "ANN", 0, ""},
};
enum FieldIndex { kSec, kMin, kHeu, kDat, kMoi, kAnn, kFieldCount };
constexpr const char* kMonths[12] = {"janvier",   "février", "mars",     "avril",
                                     "mai",       "juin",    "juillet",  "août",
                                     "septembre", "octobre", "novembre", "décembre"};

// A field of the clock: its pin's index and its column (0: left out of
// the header, so 0 at every step).
struct Written {
    const Field* field;
    std::size_t pin;
    int column;
};

// What the block does with a pin's value: the century off, truncated.
double as_written(const Field& field, double value) {
    return std::trunc(value - field.century) + field.century;
}

bool held(const Field& field, double value) {
    const double whole = as_written(field, value);
    return whole >= field.first && whole <= field.last;
}

std::string place(int line, const Written& w) {
    std::string where = "ligne " + std::to_string(line);
    if (w.column == 0) return where + " (" + w.field->pin + ", absente de l'en-tête : 0)";
    return where + ", colonne " + std::to_string(w.column) + " (" + w.field->pin + ")";
}

std::string not_held(const Written& w, double value, char separator) {
    const Field& field = *w.field;
    const std::uint8_t byte = decimal_vers_bcd(octet_de_broche(value - field.century));
    char gets[96];
    std::snprintf(gets, sizeof gets,
                  "elle recevra l'octet 0x%02X, que le bloc relira comme %s = %g", byte,
                  field.output, bcd_vers_decimal(byte));
    std::string line = "l'horloge ne peut pas tenir " + format_value(value, separator != ',') +
                       " (" + field.what + ") ; " + gets;
    if ((byte & field.setting) != 0) line += std::string(", et ") + field.setting_does;
    return line + ".";
}

std::string no_such_day(int day, int month, int year) {
    char date[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%04d", day, month, year);
    return std::string("le ") + date + " n'existe pas : " + kMonths[month - 1] + " " +
           std::to_string(year) + " n'a que " + std::to_string(days_in_month(month, year)) +
           " jours ; l'horloge recevra ce jour tel quel.";
}

}  // namespace

std::vector<std::string> values_the_clock_cannot_hold(const Script& script,
                                                      const std::vector<std::string>& pins,
                                                      std::size_t most) {
    std::vector<std::string> lines;
    std::size_t found = 0;
    const std::size_t init = pin_index(pins, kInitPin);
    if (init == pins.size() || script.pin_columns.size() != pins.size()) return lines;
    // Told from left to right, as the teacher reads the line; the fields
    // the header leaves out after them.
    std::vector<Written> written;
    std::size_t field_pin[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i) {
        field_pin[i] = pin_index(pins, kFields[i].pin);
        if (field_pin[i] == pins.size()) return lines;  // not this block's pins
        written.push_back({&kFields[i], field_pin[i], script.pin_columns[field_pin[i]]});
    }
    std::stable_sort(written.begin(), written.end(), [](const Written& a, const Written& b) {
        return (a.column == 0 ? 1 << 30 : a.column) < (b.column == 0 ? 1 << 30 : b.column);
    });
    const auto tell = [&](std::string line) {
        if (++found <= most) lines.push_back(std::move(line));
    };
    for (std::size_t step = 0; step < script.steps.size(); ++step) {
        const std::vector<double>& values = script.steps[step];
        if (!is_high(values[init])) continue;
        const auto value_of = [&](FieldIndex i) { return values[field_pin[i]]; };
        const auto whole = [&](FieldIndex i) {
            return static_cast<int>(as_written(kFields[i], value_of(i)));
        };
        const bool date_held = held(kFields[kDat], value_of(kDat)) &&
                               held(kFields[kMoi], value_of(kMoi)) &&
                               held(kFields[kAnn], value_of(kAnn));
        const int line = script.step_lines[step];
        for (const Written& w : written) {
            const double value = values[w.pin];
            if (!held(*w.field, value)) {
                tell(place(line, w) + " : " + not_held(w, value, script.separator));
            } else if (w.field == &kFields[kDat] && date_held &&
                       whole(kDat) > days_in_month(whole(kMoi), whole(kAnn))) {
                tell(place(line, w) + " : " + no_such_day(whole(kDat), whole(kMoi), whole(kAnn)));
            }
        }
    }
    if (found > most)
        lines.push_back("et " + std::to_string(found - most) +
                        " autres valeurs que l'horloge ne peut pas tenir.");
    return lines;
}

}  // namespace host
