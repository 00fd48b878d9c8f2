// A run written as CSV: a header naming the block's input pins, then one
// row of input values per step.
#pragma once

#include <string>
#include <vector>

namespace host {

struct Script {
    std::vector<std::vector<double>> steps;  // each as long as the pin list
    std::string error;                       // "ligne N, colonne M : ..." when bad (French)
};

// `pins` are the block's input names in index order. Blank lines and lines
// starting with '#' are skipped; pins the header leaves out are 0.
Script parse_script(const std::string& text, const std::vector<std::string>& pins);

}  // namespace host
