// A device library that is not the virtual IOW24, standing for the
// vendor's with no IOW24 plugged in: the four functions, nothing else.
#include "iow/iowkit.h"

extern "C" {

IOWKIT_HANDLE APPEL_STD IowKitOpenDevice(void) { return nullptr; }
void APPEL_STD IowKitCloseDevice(IOWKIT_HANDLE) {}
std::uint32_t APPEL_STD IowKitRead(IOWKIT_HANDLE, std::uint32_t, char*, std::uint32_t) { return 0; }
std::uint32_t APPEL_STD IowKitWrite(IOWKIT_HANDLE, std::uint32_t, char*, std::uint32_t) {
    return 0;
}

}  // extern "C"
