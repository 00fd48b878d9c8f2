// On ELF systems the program itself defines the device library's four
// functions and exports them: the dynamic linker binds the block's calls to
// the program before any library, and the program forwards them.
#include <dlfcn.h>
#include <link.h>

#include <string>

#include "host/load/relais.h"

extern "C" {
IOWKIT_HANDLE IowKitOpenDevice(void) { return host::relay_open(); }
void IowKitCloseDevice(IOWKIT_HANDLE iowHandle) { host::relay_close(iowHandle); }
std::uint32_t IowKitRead(IOWKIT_HANDLE iowHandle, std::uint32_t numPipe, char* buffer,
                         std::uint32_t length) {
    return host::relay_read(iowHandle, numPipe, buffer, length);
}
std::uint32_t IowKitWrite(IOWKIT_HANDLE iowHandle, std::uint32_t numPipe, char* buffer,
                          std::uint32_t length) {
    return host::relay_write(iowHandle, numPipe, buffer, length);
}
}

namespace host {

namespace {

// A function of the library itself: dlsym also finds those of the
// libraries it depends on, as the block's own iowkit.
void* own_function(void* library, const char* name) {
    void* function = dlsym(library, name);
    link_map* map = nullptr;
    Dl_info info{};
    if (function == nullptr || dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 ||
        dladdr(function, &info) == 0 || info.dli_fname == nullptr || map == nullptr)
        return nullptr;
    return std::string(info.dli_fname) == map->l_name ? function : nullptr;
}

}  // namespace

bool find_device_functions(void* device, DeviceFunctions& f, std::string& error) {
    f.open = reinterpret_cast<decltype(f.open)>(own_function(device, "IowKitOpenDevice"));
    f.close = reinterpret_cast<decltype(f.close)>(own_function(device, "IowKitCloseDevice"));
    f.read = reinterpret_cast<decltype(f.read)>(own_function(device, "IowKitRead"));
    f.write = reinterpret_cast<decltype(f.write)>(own_function(device, "IowKitWrite"));
    if (f.open && f.close && f.read && f.write) return true;
    error =
        "elle n'a pas elle-même IowKitOpenDevice, IowKitCloseDevice, IowKitRead et IowKitWrite : "
        "ce n'est pas une bibliothèque de l'IOW24";
    return false;
}

bool route_device_calls(void* block, const DeviceFunctions& functions, bool trace,
                        std::string& error) {
    // The block must have bound to the program's functions, not to a library's.
    using Write = decltype(functions.write);
    if (reinterpret_cast<Write>(dlsym(RTLD_DEFAULT, "IowKitWrite")) != &IowKitWrite) {
        error = "les appels du bloc à l'IOW24 ne peuvent pas passer par ce programme";
        return false;
    }
    (void)block;
    set_relay(functions, trace);
    return true;
}

bool route_alerts_to_console(void*, std::string&) { return true; }

void keep_device_boxes_on_console(void*) {}

}  // namespace host
