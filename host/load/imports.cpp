#include "host/load/imports.h"

#include <cstring>

namespace imports {

namespace {

template <typename T>
T* at(HMODULE module, DWORD rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

bool matches(HMODULE module, const IMAGE_THUNK_DATA& name, const char* function,
             std::uint16_t ordinal) {
    if (IMAGE_SNAP_BY_ORDINAL(name.u1.Ordinal)) {
        return function == nullptr && IMAGE_ORDINAL(name.u1.Ordinal) == ordinal;
    }
    if (function == nullptr) return false;
    const auto* by_name =
        at<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(name.u1.AddressOfData));
    return std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) == 0;
}

}  // namespace

void** find_slot(HMODULE module, const char* dll, const char* function, std::uint16_t ordinal) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = at<IMAGE_NT_HEADERS>(module, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& table =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (table.VirtualAddress == 0) return nullptr;
    for (auto* entry = at<IMAGE_IMPORT_DESCRIPTOR>(module, table.VirtualAddress); entry->Name != 0;
         ++entry) {
        if (_stricmp(at<char>(module, entry->Name), dll) != 0) continue;
        auto* names = at<IMAGE_THUNK_DATA>(module, entry->OriginalFirstThunk);
        auto* slots = at<IMAGE_THUNK_DATA>(module, entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (matches(module, *names, function, ordinal)) {
                return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

void* rebind(HMODULE module, const char* dll, const char* function, void* replacement) {
    return rebind(find_slot(module, dll, function), replacement);
}

void* rebind(void** slot, void* replacement) {
    if (slot == nullptr) return nullptr;
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return nullptr;
    void* previous = *slot;
    *slot = replacement;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return previous;
}

}  // namespace imports
