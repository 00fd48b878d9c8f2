// A run written as a table: a header naming the block's input pins, then
// one row of input values per step. Written by hand, or saved by Excel:
// commas, or semicolons with decimal commas as French Excel writes them,
// or tabs as a copy of Excel's cells gives them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace host {

// A script has at most this many steps, as --read.
inline constexpr std::size_t kMostScriptSteps = 1000000;

struct Script {
    std::vector<std::vector<double>> steps;  // each as long as the pin list
    std::string error;                       // "ligne N, colonne M : ..." when bad (French)
    char separator = ',';                    // found in the header: ',' ';' or '\t'; one
                                             // column: ';', its commas being decimal
    std::vector<int> step_lines;             // the line of each step, from 1
    std::vector<int> pin_columns;            // the column of each pin, from 1; 0: absent
    std::vector<int> short_lines;            // rows with fewer cells than the header names
};

// `pins` are the block's input names in index order, matched in any case. A
// UTF-8 byte-order mark is skipped; lines end with LF, CRLF or a lone CR.
// Skipped: blank lines, comments (a line starting with '#', unless the
// first column holds notes, and never an Excel error value such as #N/A),
// and rows with nothing but blanks and notes (a row cleared in Excel). A
// header cell starting with '#' names a notes column, whose cells are never
// read. Pins the header leaves out are 0, and so are blank cells and cells
// missing at the end of a row. Empty header cells name no pin: the cells
// under them must be blank. Fields may be quoted as Excel quotes them. With
// ';' or a tab, a value may use a decimal comma. Values are decimal
// numbers; a number too close to 0 for a double is 0.
Script parse_script(const std::string& text, const std::vector<std::string>& pins);

}  // namespace host
