// Calling convention and symbol visibility of the block's entry points and of
// the IOW24 device library: the only platform knowledge of the block's and
// the device library's headers (the virtual IOW24's control header has its
// own for its exports).
#pragma once

#ifdef _WIN32
// 32-bit Windows hosts and iowkit.dll use the standard-call convention: every
// argument takes a 4-byte slot and the callee pops them. Exported names come
// from the module definition files, not from attributes.
#define APPEL_STD __stdcall
#define EXPORT_BLOC
#define EXPORT_IOWKIT
#else
// Elsewhere the platform's C convention; only what is marked leaves the
// shared library (the build hides everything else).
#define APPEL_STD
#define EXPORT_BLOC __attribute__((visibility("default")))
#define EXPORT_IOWKIT __attribute__((visibility("default")))
#endif
