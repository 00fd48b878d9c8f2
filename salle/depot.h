// A bench's report dropped in the room's `postes` folder without holding
// up the bench: a share that is down or slow costs at most a bounded wait.
#pragma once

#include <string>

#include "salle/rapport.h"

namespace salle {

// How long a bench waits for its report to reach the share.
inline constexpr int kReportWaitMs = 2000;

// Writes `report` whole in `room`'s postes folder, waiting at most
// `wait_ms`; false when it failed or was given up (the write may still end
// later, in the background).
bool drop_report(const std::string& room, const Report& report, int wait_ms = kReportWaitMs);

}  // namespace salle
