// The virtual IOW24's own voice: told on stderr, in the user's language.
#pragma once

#include <string>

namespace iowvirt {

// `tell_once` says a text only the first time in a launch. `alert_once`
// also shows it in a box, for a teacher in a simulator, where stderr is not
// seen.
void tell(const std::string& text);
void tell_once(const std::string& text);
void alert_once(const std::string& text);

}  // namespace iowvirt
