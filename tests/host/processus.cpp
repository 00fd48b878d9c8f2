// What every platform's runner shares: each child with a virtual clock of
// its own unless the test shares one.
#include <string>

#include "tests/host/processus.h"

Environment with_own_state(const Environment& environment) {
    static int count = 0;
    for (const auto& pair : environment)
        if (pair.first == "IOWVIRT_STATE") return environment;
    Environment own = environment;
    own.emplace_back("IOWVIRT_STATE", scratch_folder("etats") + "etat-" + std::to_string(count++));
    return own;
}
