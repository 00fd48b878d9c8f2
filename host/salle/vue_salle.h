// The teacher's view of a room: the benches' reports gathered into
// salle.html, opened in the browser, and salle.csv for Excel, both in the
// room folder.
#pragma once

#include "host/commun/options.h"

namespace host {

inline constexpr int kExitRoom = 7;

// The exit status: 0 once both files are written.
int show_room(const Options& options);

}  // namespace host
