// The wiring check's report to the room this PC names, dropped in its
// postes folder for the teacher's view: nothing is printed of it.
#pragma once

#include <string>
#include <vector>

#include "host/check/constats.h"

namespace host {

struct CheckedBench {
    bool virtual_device = false;
    // The virtual IOW24's own facts (iowvirt_bench): its exercise in force
    // and where it comes from; empty for another library.
    std::string facts;
    std::string block_version, library_version;
};

// Within a bounded wait: a share that is down or slow never holds a bench.
void report_check(const std::vector<Finding>& findings, const CheckedBench& bench);

}  // namespace host
