// Tables as Excel and Notepad save them, line by line: lines ended any way
// an editor ends them, cells split on the separator the header uses,
// quoted as Excel quotes them, and the error values Excel leaves in a
// cell whose formula failed. Shared by the host's scripts and the room's
// exercise table.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace texte {

struct Cell {
    std::string text;
    std::size_t column;  // from 1
};

// One line's cells, or the reason it cannot be split (French).
struct Cells {
    std::vector<Cell> cells;
    std::string error;
};

// Splits one line as Excel writes it: a cell is plain text up to the
// separator, or quoted, with "" for a quote inside. Blanks around a cell
// are not its text.
Cells split_cells(std::string_view line, char separator);

// The separators a header may use; the first of them it holds is the
// one. A header of one column has none, as French Excel saves a
// one-column sheet: ';'.
char separator_of_header(std::string_view line);

bool blank_line(std::string_view line);

// Whether a cell holds an error value Excel writes for a failed formula
// (#N/A, #VALEUR!...), in French or in English.
bool excel_error(std::string_view text);

// Lines ended by LF, CRLF or a lone CR, as editors and older exports write them.
class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {}
    bool next(std::string_view& line);
    int number() const { return number_; }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
    int number_ = 0;
};

}  // namespace texte
