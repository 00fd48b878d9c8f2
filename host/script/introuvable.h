// A script not found under the name given, while a file under a name
// Windows hides the end of is there: Notepad saves essai.csv as
// essai.csv.txt, Excel as essai.csv.csv, and Explorer hides the last
// extension, so the user sees the name they meant.
#pragma once

#include <string>

namespace host {

// A French sentence naming the file that is there instead, or empty.
std::string misnamed_file(const std::string& path);

}  // namespace host
