#include "host/script/niveaux.h"

#include <algorithm>

#include "host/commun/bloc.h"
#include "host/script/table.h"

namespace host {

namespace {

// The inputs a step with "init" high writes into the clock.
constexpr const char* kClockInputs[] = {"sec", "min", "heu", "dat", "moi", "ann"};
// Lines named in a warning; past them, a count.
constexpr std::size_t kMostLines = 10;
constexpr std::size_t kMostValues = 3;

bool low_but_set(double value) { return value > 0 && !is_high(value); }

// "ligne 3" or "lignes 3, 5, 9 et 4 autres".
std::string lines_text(const std::vector<int>& lines) {
    std::string text = lines.size() == 1 ? "ligne " : "lignes ";
    for (std::size_t i = 0; i < lines.size() && i < kMostLines; ++i)
        text += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
    if (lines.size() > kMostLines)
        text += " et " + std::to_string(lines.size() - kMostLines) + " autres";
    return text;
}

// "init vaut 1" or "init vaut 1 ou 2", as the script writes numbers.
std::string values_text(const char* pin, std::vector<double> values, char separator) {
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    std::string text = std::string(pin) + " vaut ";
    for (std::size_t i = 0; i < values.size() && i < kMostValues; ++i)
        text += (i == 0                   ? ""
                 : i + 1 == values.size() ? " ou "
                                          : ", ") +
                format_value(values[i], separator != ',');
    return values.size() > kMostValues ? text + "..." : text;
}

void low_level(const Script& script, std::size_t pin, const char* name,
               std::vector<std::string>& said) {
    std::vector<int> lines;
    std::vector<double> values;
    for (std::size_t step = 0; step < script.steps.size(); ++step) {
        if (!low_but_set(script.steps[step][pin])) continue;
        lines.push_back(script.step_lines[step]);
        values.push_back(script.steps[step][pin]);
    }
    if (lines.empty()) return;
    said.push_back(lines_text(lines) + ", colonne " + std::to_string(script.pin_columns[pin]) +
                   " : " + values_text(name, values, script.separator) +
                   " : ce n'est pas un niveau haut (il faut plus de 2,5 ; écrivez 5)");
}

}  // namespace

std::vector<std::string> levels_that_mislead(const Script& script,
                                             const std::vector<std::string>& pins) {
    std::vector<std::string> said;
    const std::size_t init = pin_index(pins, kInitPin), rd = pin_index(pins, kReadPin);
    if (init == pins.size() || rd == pins.size() || script.pin_columns.size() != pins.size())
        return said;
    low_level(script, init, kInitPin, said);
    low_level(script, rd, kReadPin, said);
    std::vector<int> unwritten, both;
    bool any_high = false, any_read = false;
    for (std::size_t step = 0; step < script.steps.size(); ++step) {
        const std::vector<double>& in = script.steps[step];
        const int line = script.step_lines[step];
        any_high = any_high || is_high(in[init]) || is_high(in[rd]);
        any_read = any_read || (is_high(in[rd]) && !is_high(in[init]));
        if (is_high(in[init]) && is_high(in[rd])) both.push_back(line);
        // A low "init" is told above; these rows have none at all.
        const bool values =
            std::any_of(std::begin(kClockInputs), std::end(kClockInputs), [&](const char* name) {
                const std::size_t pin = pin_index(pins, name);
                return pin < pins.size() && in[pin] != 0;
            });
        if (values && !(in[init] > 0)) unwritten.push_back(line);
    }
    if (!unwritten.empty())
        said.push_back(lines_text(unwritten) +
                       " : des valeurs sous sec à ann, mais init n'y est pas haut : ces pas ne "
                       "les écrivent pas dans l'horloge (écrivez 5 sous init pour l'écrire)");
    if (!both.empty())
        said.push_back(lines_text(both) +
                       " : init et RD sont hauts ensemble : le pas écrit l'horloge et ne la lit "
                       "pas ; ses sorties restent vides");
    if (any_high && !any_read)
        said.push_back(
            "aucun pas ne lit l'horloge (RD haut et init bas) : les colonnes des sorties "
            "resteront vides");
    if (!script.short_lines.empty())
        said.push_back(lines_text(script.short_lines) +
                       " : moins de valeurs que de colonnes ; les cellules qui manquent valent 0");
    return said;
}

std::string nothing_high(const Script& script, const std::vector<std::string>& pins) {
    const std::size_t init = pin_index(pins, kInitPin), rd = pin_index(pins, kReadPin);
    if (init == pins.size() || rd == pins.size()) return "";
    for (const std::vector<double>& values : script.steps)
        if (is_high(values[init]) || is_high(values[rd])) return "";
    return "aucun pas ne met \"init\" ni \"RD\" au niveau haut : la simulation ne fera rien. "
           "Une entrée est haute au-dessus de 2,5 (des volts) : écrivez 5 pour haut, 0 pour "
           "bas.";
}

}  // namespace host
