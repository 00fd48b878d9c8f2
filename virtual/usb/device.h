// The virtual IOW24's state behind the device library's four functions and
// the control interface: handles, pending replies, armed faults and the log.
// Every member is used with `mutex` held.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "iow/iowkit.h"
#include "salle/rapport.h"
#include "virtual/carte/carte.h"
#include "virtual/garde/dire.h"
#include "virtual/garde/gardien.h"
#include "virtual/mots/mots.h"
#include "virtual/mots/reglages.h"
#include "virtual/pile/etat.h"
#include "virtual/usb/iowvirt.h"
#include "virtual/usb/pannes.h"
#include "virtual/usb/usb.h"

namespace iowvirt {

inline constexpr std::uint32_t kSpecialModePipe = 1;
inline constexpr std::uint32_t kReportSize = 8;

enum class HandleState { null, open, unplugged, stale };

// The device behind the four functions: its parts, each of one job, and the
// calls that go through them.
struct Device {
    std::mutex mutex;
    std::condition_variable reply_ready;
    Usb usb;
    Faults faults;
    Board board;
    Gardien garde;
    Setup setup;

    Device();
    void power_up();  // as when first plugged in
    IOWKIT_HANDLE open(std::unique_lock<std::mutex>& lock);
    void close(IOWKIT_HANDLE handle);
    // Whole 8-byte reports on pipe 1; both log the call.
    std::uint32_t write(std::unique_lock<std::mutex>& lock, IOWKIT_HANDLE handle,
                        std::uint32_t pipe, const char* buffer, std::uint32_t length);
    std::uint32_t read(std::unique_lock<std::mutex>& lock, IOWKIT_HANDLE handle, std::uint32_t pipe,
                       char* buffer, std::uint32_t length);
    void unplug();
    // What a bench reports of the device to its room: the exercise in
    // force and where it comes from, whether it has been repaired, the
    // library's version.
    salle::Report bench_facts();

  private:
    void configure();
    // A report of this opening in the room's postes folder, when the PC
    // names a room.
    void report_opening();
    void apply_words(const Words& words, const std::string& source);
    // Counts a call of one function, apart as well when on the null handle.
    void count(int Calls::*function, IOWKIT_HANDLE handle);
    HandleState state_of(IOWKIT_HANDLE handle);
    std::uint32_t deliver(IOWKIT_HANDLE handle, const char* buffer);
    std::uint32_t collect(std::unique_lock<std::mutex>& lock, IOWKIT_HANDLE handle, char* buffer);
    void record(Direction direction, std::uint32_t pipe, const char* buffer, std::uint32_t result);
};

// The one device, set up from IOWVIRT when first used.
Device& device();

}  // namespace iowvirt
