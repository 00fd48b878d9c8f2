// The block's entry points, as the host finds them by name in the library.
#pragma once

#include <cstdint>

#include "platform/appel.h"

extern "C" {
EXPORT_BLOC std::int32_t APPEL_STD NumInputs();
EXPORT_BLOC std::int32_t APPEL_STD NumOutputs();
// The index arrives in a 4-byte slot; only its low 8 bits count. The host's
// buffer holds at least 5 bytes.
EXPORT_BLOC void APPEL_STD GetInputName(std::uint32_t indice, char* nom);
EXPORT_BLOC void APPEL_STD GetOutputName(std::uint32_t indice, char* nom);
// The host's arguments of these three are not used.
EXPORT_BLOC void APPEL_STD CSimStart(void*, void*, void*);
EXPORT_BLOC void APPEL_STD CSimStop(void*, void*, void*);
EXPORT_BLOC void APPEL_STD CConfigure(void*);
// `in`: the 8 input doubles; `out`: the 6 output doubles.
EXPORT_BLOC void APPEL_STD CCalculate(double* in, double* out, void* extra);
}

// The same, as the host holds them once looked up.
using NumPinsFn = std::int32_t(APPEL_STD*)();
using PinNameFn = void(APPEL_STD*)(std::uint32_t, char*);
using SimFn = void(APPEL_STD*)(void*, void*, void*);
using ConfigureFn = void(APPEL_STD*)(void*);
using CalculateFn = void(APPEL_STD*)(double*, double*, void*);
