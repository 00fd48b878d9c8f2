// On Windows the block's import table is rebound: its four slots for
// iowkit.dll (imported by ordinal) point at the host's relays, which call
// the device library the user chose.
#include <windows.h>

#include "host/imports.h"
#include "host/relais.h"
#include "platform/texte.h"

namespace host {

namespace {

constexpr const char* kDeviceDll = "iowkit.dll";
// Ordinals of the device library's functions.
constexpr WORD kOpen = 1, kClose = 2, kRead = 3, kWrite = 4;

template <typename Fn>
bool by_ordinal(HMODULE device, WORD ordinal, Fn& function) {
    function = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(device, MAKEINTRESOURCEA(ordinal))));
    return function != nullptr;
}

// Shown as the block shows its alerts where there is no message box.
int WINAPI console_box(HWND, LPCSTR text, LPCSTR caption, UINT) {
    texte::alerte_sur_console(text, caption);
    return IDOK;
}

// The virtual IOW24 has said it on stderr already.
int WINAPI no_box(HWND, LPCWSTR, LPCWSTR, UINT) { return IDOK; }

}  // namespace

bool find_device_functions(void* library, DeviceFunctions& f, std::string& error) {
    const auto device = static_cast<HMODULE>(library);
    if (by_ordinal(device, kOpen, f.open) && by_ordinal(device, kClose, f.close) &&
        by_ordinal(device, kRead, f.read) && by_ordinal(device, kWrite, f.write)) {
        return true;
    }
    error = "il lui manque les fonctions de l'IOW24 aux ordinaux 1 à 4";
    return false;
}

bool route_device_calls(void* library, const DeviceFunctions& functions, bool trace,
                        std::string& error) {
    const auto block = static_cast<HMODULE>(library);
    set_relay(functions, trace);
    const struct {
        WORD ordinal;
        void* relay;
    } routes[] = {{kOpen, reinterpret_cast<void*>(relay_open)},
                  {kClose, reinterpret_cast<void*>(relay_close)},
                  {kRead, reinterpret_cast<void*>(relay_read)},
                  {kWrite, reinterpret_cast<void*>(relay_write)}};
    for (const auto& route : routes) {
        void** slot = imports::find_slot(block, kDeviceDll, nullptr, route.ordinal);
        if (imports::rebind(slot, route.relay) == nullptr) {
            error = "le bloc n'importe pas l'ordinal " + std::to_string(route.ordinal) +
                    " d'iowkit.dll";
            return false;
        }
    }
    return true;
}

bool route_alerts_to_console(void* library, std::string& error) {
    if (imports::rebind(static_cast<HMODULE>(library), "user32.dll", "MessageBoxA",
                        reinterpret_cast<void*>(console_box)) != nullptr) {
        return true;
    }
    error = "le bloc n'importe pas MessageBoxA de user32.dll";
    return false;
}

void keep_device_boxes_on_console(void* device) {
    imports::rebind(static_cast<HMODULE>(device), "user32.dll", "MessageBoxW",
                    reinterpret_cast<void*>(no_box));
}

}  // namespace host
