// How far a call moves the stack pointer on 32-bit x86: pushes the arguments,
// calls, and measures. A standard-call function removes its own arguments,
// so the drift is 0; a C-convention one leaves them, 4 bytes each.
#pragma once

#include <cstdint>

#if defined(__i386__)
extern "C" std::int32_t __cdecl stack_drift(const void* function, std::int32_t count,
                                            const std::uint32_t* arguments);
#endif
