// A library under the device library's name that has none of its four
// functions itself: dlsym finds them in the library it depends on, the
// virtual IOW24, and the host must not take them for its own.
#include "iow/iowkit.h"

extern "C" IOWKIT_HANDLE iowkit_dependant_open() { return IowKitOpenDevice(); }
