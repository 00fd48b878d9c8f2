// A loaded Windows module's import table: which address each imported
// function is bound to, and rebinding one of them. Lets a host or a test see
// where the block's calls go, and catch its message boxes without a display.
#pragma once

#include <windows.h>

#include <cstdint>

namespace imports {

// The slot through which `module` calls `function` of `dll` (case-blind DLL
// name), by name or, with a name of null, by `ordinal`; null if there is none.
void** find_slot(HMODULE module, const char* dll, const char* function, std::uint16_t ordinal = 0);

// Points a slot at `replacement`; returns what it held, or null.
void* rebind(void** slot, void* replacement);
void* rebind(HMODULE module, const char* dll, const char* function, void* replacement);

}  // namespace imports
