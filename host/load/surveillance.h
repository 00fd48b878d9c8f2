// The watchdog: every call of the block into the device library runs under
// a time bound. A device library that never returns (a board that stopped
// answering, with the vendor's library waiting for its reply without end)
// would otherwise hang the host, and tell its user nothing. The block's own
// message boxes are not timed: a user takes the time the user takes; nor is
// what a device library says is no USB traffic.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace host {

// Where a device call stalled.
struct Stall {
    const char* function;                     // "IowKitRead" ...
    const char* entry_point;                  // the block's entry point that made the call
    int step;                                 // the step of the run, 0 outside CCalculate
    bool sent;                                // whether a report was sent before
    std::array<std::uint8_t, 8> last_report;  // the last report sent to the IOW24
    int timeout_ms;
};

// "aucune réponse en 500 ms, au pas 2 ; dernier rapport envoyé à l'IOW24 :
// 03 03 D1 00 00 00 00 00 (appel : IowKitRead, dans CCalculate)"
std::string describe(const Stall& stall);

// From now on, a device call that has not returned `timeout_ms` after it
// began calls `on_stall` from the watchdog's thread; `on_stall` ends the
// process (the stuck call cannot be unwound).
void start_watchdog(int timeout_ms, std::function<void(const Stall&)> on_stall);
// Whether IowKitCloseDevice is bound too (by default, it is).
void bound_closes(bool bounded);
// A device library's word that it is at work that is no USB traffic (the
// virtual IOW24's file, a box waiting for the user): while `busy` answers
// nonzero, no call is late. Null: every call is bound.
void not_counted_while(int (*busy)());
void stop_watchdog();

// What the host is calling in the block; the relays name the device calls.
void entering(const char* entry_point, int step);
void device_call_begins(const char* function);
// Never returns once the watchdog has found the call stalled.
void device_call_ends();
void report_sent(const char* report);

}  // namespace host
