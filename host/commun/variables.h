// The virtual IOW24's variables as a teacher or a student sets them by hand
// in a command prompt.
#pragma once

#include <string>
#include <vector>

namespace host {

// French sentences for the virtual IOW24's variables set with blanks around
// their name ("set IOWVIRT = no-chip" names "IOWVIRT "), which count for
// nothing; `names` are the environment's.
std::vector<std::string> spaced_variables(const std::vector<std::string>& names);

}  // namespace host
