// How the device is set up: by the control interface (tests), or by the
// words of IOWVIRT or iowvirt.txt, read again at each open with no handle
// open.
#pragma once

#include <string>

namespace iowvirt {

struct Setup {
    // Once the control interface has reset it, only that sets it up.
    bool controlled = false;
    bool configured = false;
    std::string applied_words;
};

}  // namespace iowvirt
