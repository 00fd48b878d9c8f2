// A script not found under the name given, while a file under a name
// Windows hides the end of is there: Notepad saves essai.csv as
// essai.csv.txt, Excel as essai.csv.csv, and Explorer hides the last
// extension, so the user sees the name they meant.
#pragma once

#include <string>
#include <vector>

namespace host {

// A French sentence naming the file that is there instead, or empty.
std::string misnamed_file(const std::string& path);

// French sentences for the virtual IOW24's variables set with blanks around
// their name ("set IOWVIRT = no-chip" names "IOWVIRT "), which count for
// nothing; `names` are the environment's.
std::vector<std::string> spaced_variables(const std::vector<std::string>& names);

}  // namespace host
