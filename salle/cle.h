// The answer key of the room's exercises: for the words the virtual IOW24
// plays, the finding the wiring check reports first, in the order one
// repairs (the library, the IOW24 on the USB, its I²C mode, the clock's
// answer, the clock running, valid registers, the clock advancing).
#pragma once

#include <string>

namespace salle {

struct Expected {
    // The id of the first faulty finding ("iow24", "avance"...); empty
    // when the check should find everything good.
    std::string fault;
    // A word whose fault comes after a count of calls (silent:N,
    // silent-write:N): any fault is as expected.
    bool any_fault = false;
};

// `words`: as the virtual IOW24 gives those in force, "frozen, silent:3".
// `invalid_repaired`: the clock has been set since `invalid` was laid.
Expected expected_for(const std::string& words, bool invalid_repaired = false);

// Whether a check's first fault (empty: none) is what the key expects.
bool as_expected(const Expected& expected, const std::string& found);

}  // namespace salle
