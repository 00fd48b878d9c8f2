// What the shipped virtual IOW24 exports besides the device library's four
// functions: the C functions rtc_host calls, which it finds by name, so
// that it can tell the virtual IOW24 from the vendor's library and ask it
// what only a teacher reads.
#pragma once

#if defined(_WIN32) && defined(IOWVIRT_BUILD)
#define IOWVIRT_API __declspec(dllexport)
#elif defined(_WIN32)
#define IOWVIRT_API __declspec(dllimport)
#else
#define IOWVIRT_API __attribute__((visibility("default")))
#endif

// "rtc_iow24 VERSION": present only in the virtual IOW24, so that a program
// can tell it from the vendor's library.
extern "C" IOWVIRT_API const char* iowvirt_identity();
// The exercise words in force and where they come from, in French, read
// anew without opening the device; valid until the next call.
extern "C" IOWVIRT_API const char* iowvirt_setting();
// What the device reports to its room with the wiring check's verdict, as
// of its last opening: the exercise in force, its source, whether it was
// repaired, the library's version; "name=value" lines, valid until the
// next call.
extern "C" IOWVIRT_API const char* iowvirt_bench();
// Nonzero while the device is at work that is no USB traffic (its state
// file, a box waiting for the user): no call is then late. Any thread, at
// any time, even inside another call.
extern "C" IOWVIRT_API int iowvirt_busy();
