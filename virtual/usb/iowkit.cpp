// The device library's four functions, served by the virtual IOW24.
#include "iow/iowkit.h"
#include "salle/rapport.h"
#include "virtual/garde/occupe.h"
#include "virtual/usb/device.h"
#include "virtual/usb/exports.h"

using iowvirt::device;

extern "C" {

IOWKIT_HANDLE APPEL_STD IowKitOpenDevice(void) {
    std::unique_lock lock(device().mutex);
    return device().open(lock);
}

void APPEL_STD IowKitCloseDevice(IOWKIT_HANDLE iowHandle) {
    std::lock_guard lock(device().mutex);
    device().close(iowHandle);
}

std::uint32_t APPEL_STD IowKitWrite(IOWKIT_HANDLE iowHandle, std::uint32_t numPipe, char* buffer,
                                    std::uint32_t length) {
    std::unique_lock lock(device().mutex);
    return device().write(lock, iowHandle, numPipe, buffer, length);
}

std::uint32_t APPEL_STD IowKitRead(IOWKIT_HANDLE iowHandle, std::uint32_t numPipe, char* buffer,
                                   std::uint32_t length) {
    std::unique_lock lock(device().mutex);
    return device().read(lock, iowHandle, numPipe, buffer, length);
}

}  // extern "C"

// Tells a program which device library it loaded: this one is the virtual
// IOW24, not the vendor's.
extern "C" IOWVIRT_API const char* iowvirt_identity() { return "rtc_iow24 " RTC_VERSION; }

extern "C" IOWVIRT_API int iowvirt_busy() { return iowvirt::busy() ? 1 : 0; }

// The exercise words in force and where they come from, in French
// ("frozen (C:\\...\\iowvirt.txt)", "aucun"), read anew without opening the
// device, for the teacher's `rtc_host --exercice`; valid until the next call.
// What the device reports to its room with the check's verdict: one
// "name=value" a line; valid until the next call.
extern "C" IOWVIRT_API const char* iowvirt_bench() {
    std::lock_guard lock(device().mutex);
    static std::string kept;
    kept = salle::facts_text(device().bench_facts());
    return kept.c_str();
}

extern "C" IOWVIRT_API const char* iowvirt_setting() {
    std::lock_guard lock(device().mutex);
    static std::string kept;
    kept = iowvirt::teachers_view();
    return kept.c_str();
}
