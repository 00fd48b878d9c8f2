// A device library whose close never returns, as a driver stuck in the
// USB stack: the device opens and takes every report, and
// IowKitCloseDevice hangs. The host must bound it like any other call.
#include <chrono>
#include <thread>

#include "iow/iowkit.h"

extern "C" {

IOWKIT_HANDLE APPEL_STD IowKitOpenDevice(void) { return reinterpret_cast<IOWKIT_HANDLE>(1); }
void APPEL_STD IowKitCloseDevice(IOWKIT_HANDLE) {
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}
std::uint32_t APPEL_STD IowKitRead(IOWKIT_HANDLE, std::uint32_t, char*, std::uint32_t) { return 0; }
std::uint32_t APPEL_STD IowKitWrite(IOWKIT_HANDLE, std::uint32_t, char*, std::uint32_t length) {
    return length;
}

}  // extern "C"
