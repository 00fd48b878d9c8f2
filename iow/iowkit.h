// The four functions of the IOW24 device library (iowkit.dll on Windows,
// imported by ordinal 1-4). Whatever library provides them - the vendor's,
// the virtual IOW24, or another backend - is chosen at link time.
#pragma once

#include <cstdint>

#include "platform/appel.h"

extern "C" {

// Opaque, pointer-sized; null means no device.
typedef void* IOWKIT_HANDLE;

EXPORT_IOWKIT IOWKIT_HANDLE APPEL_STD IowKitOpenDevice(void);
EXPORT_IOWKIT void APPEL_STD IowKitCloseDevice(IOWKIT_HANDLE iowHandle);
// Both return the number of bytes moved; a report is 8 bytes on pipe 1.
EXPORT_IOWKIT std::uint32_t APPEL_STD IowKitRead(IOWKIT_HANDLE iowHandle, std::uint32_t numPipe,
                                                 char* buffer, std::uint32_t length);
EXPORT_IOWKIT std::uint32_t APPEL_STD IowKitWrite(IOWKIT_HANDLE iowHandle, std::uint32_t numPipe,
                                                  char* buffer, std::uint32_t length);
}
