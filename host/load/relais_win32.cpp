// On Windows the block's import table is rebound: its four slots for
// iowkit.dll (imported by ordinal) point at the host's relays, which call
// the device library the user chose.
#include <windows.h>

#include "host/load/imports.h"
#include "host/load/relais.h"
#include "platform/console.h"
#include "platform/texte.h"
#include "platform/utf16.h"

namespace host {

namespace {

constexpr const char* kDeviceDll = "iowkit.dll";
// Ordinals of the device library's functions.
constexpr WORD kOpen = 1, kClose = 2, kRead = 3, kWrite = 4;

// Each function of an IOW24 library: its ordinal, and its name, plain or
// decorated with the byte size of its arguments.
struct Expected {
    WORD ordinal;
    const char* plain;
    const char* decorated;
};
constexpr Expected kFunctions[] = {{kOpen, "IowKitOpenDevice", "IowKitOpenDevice@0"},
                                   {kClose, "IowKitCloseDevice", "IowKitCloseDevice@4"},
                                   {kRead, "IowKitRead", "IowKitRead@16"},
                                   {kWrite, "IowKitWrite", "IowKitWrite@16"}};

// The module a function's code lies in.
HMODULE module_of(FARPROC function) {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(function)), &module);
    return module;
}

// The function at its ordinal, when its name leads to the same code, in
// the library itself: a DLL that only passes the functions on from another
// one (a forwarder, or the block with its own import of iowkit.dll) is not
// the device's library.
FARPROC checked(HMODULE device, const Expected& e, std::string& error) {
    const FARPROC by_ordinal = GetProcAddress(device, MAKEINTRESOURCEA(e.ordinal));
    FARPROC by_name = GetProcAddress(device, e.decorated);
    if (by_name == nullptr) by_name = GetProcAddress(device, e.plain);
    if (by_name == nullptr || by_ordinal == nullptr || by_name != by_ordinal) {
        error = std::string("elle n'a pas la fonction ") + e.plain + " à l'ordinal " +
                std::to_string(e.ordinal) + " : ce n'est pas une bibliothèque de l'IOW24";
        return nullptr;
    }
    const HMODULE home = module_of(by_name);
    if (home != device) {
        error = std::string("elle ne fait que passer ") + e.plain + " à " +
                (home != nullptr ? texte::fichier_du_module(home) : std::string("une autre")) +
                " : donnez plutôt la bibliothèque de l'IOW24 elle-même";
        return nullptr;
    }
    return by_name;
}

// Shown as the block shows its alerts where there is no message box.
int WINAPI console_box(HWND, LPCSTR text, LPCSTR caption, UINT) {
    char line[texte::kLigneAlerteMax];
    texte::ecrire(stderr,
                  std::string_view(line, texte::ligne_d_alerte(text, caption, line, sizeof line)));
    return IDOK;
}

// The virtual IOW24 has said it on stderr already.
int WINAPI no_box(HWND, LPCWSTR, LPCWSTR, UINT) { return IDOK; }

}  // namespace

bool find_device_functions(void* library, DeviceFunctions& f, std::string& error) {
    const auto device = static_cast<HMODULE>(library);
    FARPROC found[4] = {};
    for (std::size_t i = 0; i < 4; ++i)
        if ((found[i] = checked(device, kFunctions[i], error)) == nullptr) return false;
    f.open = reinterpret_cast<decltype(f.open)>(reinterpret_cast<void*>(found[0]));
    f.close = reinterpret_cast<decltype(f.close)>(reinterpret_cast<void*>(found[1]));
    f.read = reinterpret_cast<decltype(f.read)>(reinterpret_cast<void*>(found[2]));
    f.write = reinterpret_cast<decltype(f.write)>(reinterpret_cast<void*>(found[3]));
    return true;
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
