// Control of the virtual IOW24, for tests alone (built into iowkit_essais,
// never shipped): the device itself is reached, like the real one, only
// through the four device-library functions. What the shipped library
// exports besides them is in exports.h.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "virtual/carte/ds1307.h"
#include "virtual/carte/i2c.h"
#include "virtual/usb/exports.h"

namespace iowvirt {

enum class Direction { written, read };

// One call of IowKitWrite or IowKitRead: the report as written, or the
// buffer as the read left it, and the byte count returned.
struct LogEntry {
    Direction direction;
    std::uint32_t pipe;
    Report bytes;
    std::uint32_t result;
};

// How many times each of the four functions was called.
struct Calls {
    int open = 0;
    int close = 0;
    int write = 0;
    int read = 0;
    bool operator==(const Calls&) const = default;
};

// A program that loads the device library can set it up without code, with
// words in the environment variable IOWVIRT or, when it is not set, in a
// file iowvirt.txt beside the library (words separated by commas, blanks or
// line ends; "#" starts a comment), read at each open with no handle open:
// "absent" (no IOW24 plugged in), "no-chip" (the clock chip does not
// answer), "frozen" (the chip's oscillator stands still, its halt bit clear,
// as with a dead crystal), "tick" (the chip's time moves one second each
// time a reader sets the register pointer to the seconds, as a step with
// "RD" high does first, not with the PC's clock: runs without waits see it
// go on one second a step),
// "invalid" (the time and date registers hold no valid time or date, as
// after a power failure without battery, or noise), "silent" (from the
// first read on, no read returns: the IOW24 stopped answering; "silent:N"
// after N good reads), "silent-open" (opening the IOW24 never returns),
// "silent-write:N" (after N good writes, no write returns), "short-read" (every read brings back 7
// bytes of its reply), "fresh" (a new chip, and nothing kept in a file). A word it does not know is
// told on stderr. Example: IOWVIRT=frozen.
//
// The clock chip keeps its 64 registers between launches, as on its
// battery, in a state file: IOWVIRT_STATE, or the user's own application
// data (%LOCALAPPDATA%\rtc_iow24\horloge-virtuelle.bin on Windows;
// $XDG_STATE_HOME/rtc_iow24/ or ~/.local/state/rtc_iow24/ elsewhere). It is
// taken back at each open with no handle open; the file stays open while
// the device is, its older record is rewritten in place after each
// transaction that wrote registers, and it is flushed to the disk at the
// last close. A program that wrote no register leaves it as it found it. A
// file of the clock's that is not whole is put aside and the chip starts
// new; a file that is not the clock's is never touched. A copy set up with
// "frozen" or "invalid" keeps a board of its own beside that file, and
// never changes the shared clock. IOWVIRT_NOW (seconds since 1970) stands
// for the PC's clock, standing still: for tests of long absences.
//
// The device as when first plugged in: clock chip at power-up (halted,
// 2000-01-01), system clock as time source, one-second read wait, no fault
// armed, no handle open, empty log. From then on IOWVIRT and iowvirt.txt are
// not looked at, and nothing is kept in a file: the test sets it up.
IOWVIRT_API void reset();
// The device as it ships, as when first plugged in: from its next open on,
// set up from IOWVIRT or iowvirt.txt, its chip kept in its state file.
IOWVIRT_API void as_shipped();

// Faults. Counted faults hit the next calls of their kind, then clear.
IOWVIRT_API void set_open_fails(bool fails);
// After `skip` good ones, the next `count` I2C transfers fail on the bus:
// nothing reaches the chip and the reply has its status bit set.
IOWVIRT_API void fail_next_transfers(int count, int skip = 0);
// After `skip` good ones, the next `count` writes return `bytes` (< 8) and
// the report is lost.
IOWVIRT_API void short_next_writes(int count, std::uint32_t bytes = 7, int skip = 0);
// After `skip` good ones, the next `count` reads return 0, leave the buffer
// untouched and lose the reply they would have brought.
IOWVIRT_API void fail_next_reads(int count, int skip = 0);
// After `skip` good ones, the next `count` reads bring back only the first
// `bytes` (< 8) of their reply and return that count.
IOWVIRT_API void short_next_reads(int count, std::uint32_t bytes = 7, int skip = 0);
// After `skip` good ones, every read waits for a reply that never comes
// and does not return, as the vendor's library does when the IOW24 stops
// answering; a reset ends the wait (the read then returns 0). Negative:
// reads return again.
IOWVIRT_API void silence_reads(int skip = 0);
// The same for opening, and for writes after `skip` good ones: the call
// never returns until a reset or the end of the stall (false, negative).
IOWVIRT_API void stall_opens(bool stalls);
IOWVIRT_API void stall_writes(int skip = 0);
// Unplugging kills every open handle and drops pending replies; the chip
// keeps its time on its battery. After a replug the device must be opened
// anew, and its I2C mode is off.
IOWVIRT_API void unplug();
IOWVIRT_API void replug();
// After `skip` good writes, the next write finds the device unplugged.
IOWVIRT_API void unplug_on_write(int skip = 0);

// A clock chip off the bus, as with a loose wire: no transfer is
// acknowledged, while the chip keeps its time.
IOWVIRT_API void set_chip_connected(bool connected);

// The clock chip's registers, brought up to date with its time source.
IOWVIRT_API std::uint8_t get_register(std::uint8_t reg);
IOWVIRT_API void set_register(std::uint8_t reg, std::uint8_t value);
IOWVIRT_API void set_time_source(TimeSource source);
// How long a read waits for a reply before it returns 0.
IOWVIRT_API void set_read_timeout(std::chrono::milliseconds timeout);

// Every report written and read, oldest first (the most recent 65536).
IOWVIRT_API std::vector<LogEntry> log();
// Forgets the log and the counts of calls.
IOWVIRT_API void clear_log();
// Every call of the four functions, and those made with the null handle
// (which reach no device: writes and reads return 0, closing does nothing).
IOWVIRT_API Calls calls();
IOWVIRT_API Calls null_handle_calls();
// Calls made with a handle that had been closed.
IOWVIRT_API int stale_handle_uses();
IOWVIRT_API std::size_t pending_replies();
IOWVIRT_API std::size_t open_handle_count();

}  // namespace iowvirt
