#include "platform/tableur.h"

#include <algorithm>

namespace texte {

namespace {

constexpr std::string_view kSeparators = ";\t,";
constexpr char kQuote = '"';

bool blank(char c, char separator) { return c == ' ' || (c == '\t' && separator != '\t'); }

// The error values Excel leaves in a cell whose formula failed, in French and
// in English. They start with '#' as comments do, and are never one.
constexpr std::string_view kExcelErrors[] = {
    "#N/A",          "#VALEUR!", "#DIV/0!",  "#REF!",     "#NOM?",     "#NOMBRE!", "#NUL!",
    "#VALUE!",       "#NAME?",   "#NUM!",    "#NULL!",    "#CHAMP!",   "#CALC!",   "#SPILL!",
    "#PROPAGATION!", "#FIELD!",  "#BLOQUÉ!", "#BLOCKED!", "#CONNECT!", "#INCONNU!"};

}  // namespace

Cells split_cells(std::string_view line, char separator) {
    Cells out;
    std::size_t at = 0;
    for (std::size_t column = 1;; ++column) {
        while (at < line.size() && blank(line[at], separator))
            ++at;
        Cell cell{"", column};
        if (at < line.size() && line[at] == kQuote) {
            for (++at;; ++at) {
                if (at == line.size()) {
                    out.error = "colonne " + std::to_string(column) + " : guillemet sans fin";
                    return out;
                }
                if (line[at] == kQuote && (at + 1 == line.size() || line[at + 1] != kQuote)) break;
                if (line[at] == kQuote) ++at;
                cell.text += line[at];
            }
            ++at;
            while (at < line.size() && blank(line[at], separator))
                ++at;
            if (at < line.size() && line[at] != separator) {
                out.error =
                    "colonne " + std::to_string(column) + " : du texte après les guillemets";
                return out;
            }
        } else {
            const std::size_t end = std::min(line.find(separator, at), line.size());
            std::size_t last = end;
            while (last > at && blank(line[last - 1], separator))
                --last;
            cell.text = line.substr(at, last - at);
            at = end;
        }
        out.cells.push_back(std::move(cell));
        if (at >= line.size()) return out;
        ++at;  // the separator
    }
}

char separator_of_header(std::string_view line) {
    const std::size_t first = line.find_first_of(kSeparators);
    return first == std::string_view::npos ? ';' : line[first];
}

bool blank_line(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

bool excel_error(std::string_view text) {
    return std::find(std::begin(kExcelErrors), std::end(kExcelErrors), text) !=
           std::end(kExcelErrors);
}

bool Lines::next(std::string_view& line) {
    if (at_ >= text_.size()) return false;
    const std::size_t end = std::min(text_.find_first_of("\r\n", at_), text_.size());
    line = text_.substr(at_, end - at_);
    at_ = end + 1;
    if (end + 1 < text_.size() && text_[end] == '\r' && text_[end + 1] == '\n') ++at_;
    ++number_;
    return true;
}

}  // namespace texte
