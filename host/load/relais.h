// The host stands between the block and the device library: the block's
// four device calls go through it to the library the user chose, and can
// be traced on the way.
#pragma once

#include <string>

#include "host/load/journal.h"
#include "iow/iowkit.h"

namespace host {

struct DeviceFunctions {
    IOWKIT_HANDLE(APPEL_STD* open)();
    void(APPEL_STD* close)(IOWKIT_HANDLE);
    std::uint32_t(APPEL_STD* read)(IOWKIT_HANDLE, std::uint32_t, char*, std::uint32_t);
    std::uint32_t(APPEL_STD* write)(IOWKIT_HANDLE, std::uint32_t, char*, std::uint32_t);
};

// The four functions of a loaded device library, found as the block finds
// them on this platform.
bool find_device_functions(void* device, DeviceFunctions& functions, std::string& error);

// From now on the block's device calls reach `functions`, each report
// written and read shown on stderr when `trace` is set.
bool route_device_calls(void* block, const DeviceFunctions& functions, bool trace,
                        std::string& error);

// The block's message boxes as lines on stderr (Windows); elsewhere the
// block writes its alerts there itself.
bool route_alerts_to_console(void* block, std::string& error);
// The virtual IOW24's message boxes left out (Windows): it says the same on
// stderr. A device library that shows none is left as it is.
void keep_device_boxes_on_console(void* device);

// What the routed calls do; the platform binds the block to these.
IOWKIT_HANDLE APPEL_STD relay_open();
void APPEL_STD relay_close(IOWKIT_HANDLE handle);
std::uint32_t APPEL_STD relay_read(IOWKIT_HANDLE handle, std::uint32_t pipe, char* buffer,
                                   std::uint32_t length);
std::uint32_t APPEL_STD relay_write(IOWKIT_HANDLE handle, std::uint32_t pipe, char* buffer,
                                    std::uint32_t length);
void set_relay(const DeviceFunctions& functions, bool trace);
// From now on every routed call is also added to `journal` (none: null).
void keep_journal(Journal* journal);

}  // namespace host
