#include "host/script/script.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "platform/citation.h"
#include "platform/decodage.h"
#include "platform/lettres.h"
#include "platform/tableur.h"

namespace host {

namespace {

using texte::Cell;
using texte::Cells;

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::string quoted(const std::string& text) { return "\"" + texte::cite(text) + "\""; }

enum class Reading { good, not_a_number, out_of_range };

std::size_t digits_at(const std::string& text, std::size_t at) {
    std::size_t count = 0;
    while (at + count < text.size() && text[at + count] >= '0' && text[at + count] <= '9')
        ++count;
    return count;
}

// The length of a blank that separates thousands at `at`: a space, a
// no-break space (U+00A0) or a narrow one (U+202F); 0 for none.
std::size_t thousands_separator(const std::string& text, std::size_t at) {
    for (const std::string_view blank : {" ", "\xC2\xA0", "\xE2\x80\xAF"})
        if (text.compare(at, blank.size(), blank) == 0) return blank.size();
    return 0;
}

// A decimal number: sign, digits with one decimal mark, exponent. No
// hexadecimal, no "inf" or "nan": not what a teacher writes in a table.
Reading number(const std::string& text, bool decimal_comma, double& value) {
    if (text.empty()) {  // a blank cell, as an absent column
        value = 0.0;
        return Reading::good;
    }
    std::string plain;
    std::size_t at = 0, digits = 0;
    const auto take_digits = [&] {
        std::size_t count = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++count)
            plain += text[at];
        return count;
    };
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) plain += text[at++];
    digits += take_digits();
    // Thousands as French Excel groups them: "2 011", the blank a space or
    // a no-break one, after a first group of at most three digits, and
    // three digits in every group after it.
    if (digits >= 1 && digits <= 3) {
        for (std::size_t blank; (blank = thousands_separator(text, at)) > 0;) {
            if (digits_at(text, at + blank) != 3) return Reading::not_a_number;
            at += blank;
            digits += take_digits();
        }
    }
    if (at < text.size() && (text[at] == '.' || (decimal_comma && text[at] == ','))) {
        plain += '.';
        ++at;
        digits += take_digits();
    }
    if (digits == 0) return Reading::not_a_number;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        plain += text[at++];
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) plain += text[at++];
        if (take_digits() == 0) return Reading::not_a_number;
    }
    if (at != text.size()) return Reading::not_a_number;
    value = std::strtod(plain.c_str(), nullptr);
    if (!std::isfinite(value)) return Reading::out_of_range;
    if (std::fpclassify(value) == FP_SUBNORMAL) value = 0.0;
    return Reading::good;
}

// A column whose header cell is empty: Excel saves every column it once
// used, even when cleared.
constexpr std::size_t kUnnamed = static_cast<std::size_t>(-1);
// A column whose header cell starts with '#': the teacher's notes.
constexpr std::size_t kNotes = static_cast<std::size_t>(-2);
constexpr char kComment = '#';

// The pin a header cell names, in any case: the block's inputs differ by
// more than case. `pins.size()` when none.
std::size_t pin_named(const std::string& name, const std::vector<std::string>& pins) {
    std::size_t found = pins.size();
    for (std::size_t pin = 0; pin < pins.size(); ++pin) {
        if (pins[pin] == name) return pin;
        if (found == pins.size() && texte::same_letters(pins[pin], name)) found = pin;
    }
    return found;
}

constexpr const char* kDecimalCommaHint =
    " ; pour écrire des virgules décimales (45,9), séparez les colonnes par des "
    "points-virgules, comme Excel en français enregistre un CSV";

// A row with nothing to read: blank but for the notes, as Excel leaves a row
// whose contents were cleared, or a row of notes alone.
bool nothing_to_read(const std::vector<Cell>& fields, const std::vector<std::size_t>& columns) {
    for (const Cell& f : fields)
        if (!f.text.empty() && (f.column > columns.size() || columns[f.column - 1] != kNotes))
            return false;
    return true;
}

// The number of values up to the last one that is not blank.
std::size_t last_filled(const std::vector<Cell>& fields) {
    std::size_t count = 0;
    for (const Cell& f : fields)
        if (!f.text.empty()) count = f.column;
    return count;
}

constexpr const char* kNotesHint = " ; le nom d'une colonne de notes commence par # (#remarque)";

// Every header cell that names no input, in one message.
std::string unknown_columns(const std::vector<Cell>& unknown, int line,
                            const std::vector<std::string>& pins) {
    std::string text = "ligne " + std::to_string(line);
    if (unknown.size() == 1) {
        text += ", colonne " + std::to_string(unknown[0].column) + " : " + quoted(unknown[0].text) +
                " n'est pas une entrée du bloc (";
    } else {
        text += " : ";
        for (std::size_t i = 0; i < unknown.size(); ++i)
            text += (i == 0 ? "" : ", ") + quoted(unknown[i].text) + " (colonne " +
                    std::to_string(unknown[i].column) + ")";
        text += " ne sont pas des entrées du bloc (";
    }
    return text + joined(pins) + ")" + kNotesHint;
}

template <typename At>
bool read_header(const std::vector<Cell>& fields, const std::vector<std::string>& pins,
                 std::vector<std::size_t>& columns, int line, const At& at, std::string& error) {
    std::vector<Cell> unknown;
    for (const Cell& f : fields) {
        if (f.text.empty() || f.text[0] == kComment) {
            columns.push_back(f.text.empty() ? kUnnamed : kNotes);
            continue;
        }
        const std::size_t pin = pin_named(f.text, pins);
        if (pin == pins.size()) {
            unknown.push_back(f);
            columns.push_back(kUnnamed);
            continue;
        }
        for (std::size_t seen : columns) {
            if (seen == pin) {
                error = at(f) + " : l'entrée " + quoted(pins[pin]) + " est nommée deux fois";
                return false;
            }
        }
        columns.push_back(pin);
    }
    if (!unknown.empty()) error = unknown_columns(unknown, line, pins);
    return unknown.empty();
}

// A line that starts with '#' is a comment; but not an Excel error value,
// nor, before the header, a header whose first column is a notes column,
// nor a row under such a header (a note that starts with '#').
bool comment(std::string_view line, const std::vector<Cell>& fields, bool header_read,
             const std::vector<std::size_t>& columns, const std::vector<std::string>& pins) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == line.npos || line[first] != kComment) return false;
    if (!fields.empty() && texte::excel_error(fields[0].text)) return false;
    if (header_read) return columns.empty() || columns[0] != kNotes;
    for (std::size_t i = 1; i < fields.size(); ++i)
        if (pin_named(fields[i].text, pins) != pins.size()) return false;
    return true;
}

// One cell of a step's row into `step`: the error, or nothing.
std::string read_cell(const Cell& f, std::size_t pin, const std::string& at,
                      const std::vector<std::string>& pins, char separator,
                      std::vector<double>& step) {
    if (pin == kNotes || f.text.empty()) return "";
    if (texte::excel_error(f.text))
        return at + " : Excel y a écrit l'erreur " + f.text +
               " : la formule de cette cellule a échoué ; corrigez-la dans Excel, puis "
               "enregistrez de nouveau";
    if (pin == kUnnamed)
        return at + " : " + quoted(f.text) +
               " est sous une colonne sans nom ; nommez la colonne d'une entrée du bloc, ou "
               "effacez ses valeurs";
    switch (number(f.text, separator != ',', step[pin])) {
        case Reading::good:
            return "";
        case Reading::not_a_number: {
            const bool comma = separator == ',' && f.text.find(',') != std::string::npos;
            return at + " (" + pins[pin] + ") : pas un nombre : " + quoted(f.text) +
                   (comma ? kDecimalCommaHint : "");
        }
        default:
            return at + " (" + pins[pin] + ") : nombre hors limites : " + quoted(f.text) +
                   " (un nombre va de -1.7976931348623157e308 à 1.7976931348623157e308)";
    }
}

// A row of values below the header: a step, or the error.
std::string read_step(const std::vector<Cell>& fields, const std::vector<std::size_t>& columns,
                      const std::vector<std::string>& pins, int line, Script& script) {
    const std::string where = "ligne " + std::to_string(line);
    std::vector<double> step(pins.size(), 0.0);
    for (const Cell& f : fields) {
        if (f.column > columns.size()) {
            if (f.text.empty()) continue;
            return where + " : " + std::to_string(last_filled(fields)) + " valeurs pour " +
                   std::to_string(columns.size()) + " colonnes" +
                   (script.separator == ',' ? kDecimalCommaHint : "");
        }
        const std::string at = where + ", colonne " + std::to_string(f.column);
        const std::string error =
            read_cell(f, columns[f.column - 1], at, pins, script.separator, step);
        if (!error.empty()) return error;
    }
    script.steps.push_back(std::move(step));
    script.step_lines.push_back(line);
    return "";
}

// The header's columns, and where each pin is: false with the error.
bool take_header(const std::vector<Cell>& fields, const std::vector<std::string>& pins, int line,
                 std::vector<std::size_t>& columns, Script& script) {
    const auto at = [&](const Cell& f) {
        return "ligne " + std::to_string(line) + ", colonne " + std::to_string(f.column);
    };
    if (!read_header(fields, pins, columns, line, at, script.error)) return false;
    script.pin_columns.assign(pins.size(), 0);
    for (std::size_t column = 0; column < columns.size(); ++column)
        if (columns[column] < pins.size())
            script.pin_columns[columns[column]] = static_cast<int>(column + 1);
    return true;
}

}  // namespace

Script parse_script(const std::string& text, const std::vector<std::string>& pins) {
    Script script;
    const std::string plain = texte::en_utf8(text);
    texte::Lines lines(plain);
    // The pin index of each column; kUnnamed: none; kNotes: the teacher's.
    std::vector<std::size_t> columns;
    bool header_read = false;
    std::size_t named = 0;  // columns up to the header's last name
    std::string_view line;
    while (lines.next(line) && script.error.empty()) {
        if (texte::blank_line(line)) continue;
        const std::string where = "ligne " + std::to_string(lines.number());
        const char separator = header_read ? script.separator : texte::separator_of_header(line);
        const Cells split_line = texte::split_cells(line, separator);
        if (!split_line.error.empty()) {
            script.error = where + ", " + split_line.error;
            break;
        }
        const std::vector<Cell>& fields = split_line.cells;
        if (comment(line, fields, header_read, columns, pins)) continue;
        // A row Excel left after its contents were cleared: no step.
        if (nothing_to_read(fields, columns)) continue;
        if (!header_read) {
            header_read = true;
            script.separator = separator;
            take_header(fields, pins, lines.number(), columns, script);
            named = last_filled(fields);
            continue;
        }
        if (script.steps.size() == kMostScriptSteps) {
            script.error = where + " : plus de " + std::to_string(kMostScriptSteps) +
                           " pas ; un script en fait au plus autant";
            break;
        }
        // Cells missing at the end, as typed by hand, are blank ones.
        if (fields.size() < named) script.short_lines.push_back(lines.number());
        script.error = read_step(fields, columns, pins, lines.number(), script);
    }
    if (script.error.empty() && script.steps.empty())
        script.error = "aucun pas : il faut une ligne d'en-tête et au moins une ligne de valeurs";
    return script;
}

}  // namespace host
