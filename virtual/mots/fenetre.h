// The window a program was started from: where a window's IOWVIRT was set,
// and whether it is still open, so that an exercise planted there lasts as
// long as the window does.
#pragma once

#include <string>

namespace iowvirt::fenetre {

// The parent process, as its number and start, so that a number used
// again is no longer it; empty when the platform cannot tell.
std::string parent_window();
// Whether the window `parent_window` named is still open.
bool window_open(const std::string& window);

}  // namespace iowvirt::fenetre
