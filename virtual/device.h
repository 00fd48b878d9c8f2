// The virtual IOW24's state behind the device library's four functions and
// the control interface: handles, pending replies, armed faults and the log.
// Every member is used with `mutex` held.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "iow/iowkit.h"
#include "virtual/etat.h"
#include "virtual/fichiers.h"
#include "virtual/iowvirt.h"
#include "virtual/mots.h"

namespace iowvirt {

inline constexpr std::uint32_t kSpecialModePipe = 1;
inline constexpr std::uint32_t kReportSize = 8;
inline constexpr std::chrono::milliseconds kDefaultReadTimeout{1000};

std::int64_t system_ms();

// Told on stderr, in the user's language. `tell_once` says a text only the
// first time in a launch. `alert_once` also shows it in a box, for a
// teacher in a simulator, where stderr is not seen.
void tell(const std::string& text);
void tell_once(const std::string& text);
void alert_once(const std::string& text);

// A fault armed for the calls of one kind: `skip` good ones, then `count` bad.
struct Fault {
    int skip = 0;
    int count = 0;
    bool strikes();
};

enum class HandleState { null, open, unplugged, stale };

struct Device {
    std::mutex mutex;
    std::condition_variable reply_ready;
    Ds1307 chip{system_ms};
    I2cFunction i2c{chip};
    bool plugged = true;
    bool open_fails = false;
    std::uintptr_t next_handle;
    std::set<std::uintptr_t> open_handles;
    std::set<std::uintptr_t> unplugged_handles;  // opened before an unplug
    std::deque<Report> replies;
    Fault bus_fault;
    Fault short_write;
    std::uint32_t short_write_bytes = 0;
    Fault failed_read;
    Fault short_read;
    std::uint32_t short_read_bytes = 0;
    int silent_after = -1;  // reads still answered before silence; -1: never silent
    bool open_stalls = false;
    int writes_before_stall = -1;  // writes still taken before they stall; -1: never
    Fault unplug_on_write;
    std::chrono::milliseconds read_timeout = kDefaultReadTimeout;
    // The PC's clock, or the moment IOWVIRT_NOW stands for: what the state
    // file's moments are on, ticks or not.
    TimeSource pc_now = system_ms;
    // IOWVIRT=tick: the chip's time moves one second at each pointer set to
    // the seconds register.
    bool ticking = false;
    std::int64_t tick_ms = 0;
    std::deque<LogEntry> log;
    Calls calls;
    Calls null_handle_calls;
    int stale_uses = 0;

    // Set up from IOWVIRT or iowvirt.txt at each open with no handle open;
    // once the control interface has reset it, only that sets it up.
    bool controlled = false;
    bool configured = false;
    std::string applied_words;
    std::string setting;  // the words in force and where from, in French
    // Exercises the words ask for, and those the chip is left in (kept in
    // its state file with it).
    bool frozen = false;
    bool invalid = false;
    bool fresh = false;  // a new chip, nothing kept in a file
    std::uint32_t exercises = 0;
    // The file that keeps the chip's registers; empty: in memory only.
    std::string state_path;
    fichiers::StateFile state_file;
    std::uint64_t sequence = 0;     // of the newest record in the file
    bool spell = false;             // the newest record was kept in a spell (kSpell)
    std::uint64_t bytes_saved = 0;  // the chip's bytes written at the last save
    bool upgrade_pending = false;   // the file is of the first version

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

  private:
    void configure();
    void apply_words(const Words& words, const std::string& source);
    void choose_state_path();
    // The kept chip back from its file, then the exercises laid on it.
    void load_state();
    // The kept chip from `path`, opened as `file`; `path` cleared when it
    // is no place to keep it.
    bool read_state(fichiers::StateFile& file, std::string& path, SavedState& kept,
                    bool& first_version);
    // An exercise's own board, made from the shared clock when it has none
    // for these words yet; the shared clock left as it is.
    bool read_board(std::uint32_t words, SavedState& kept);
    // Whether the state just taken back was kept at a moment still ahead of
    // the PC's clock.
    bool kept_ahead(const SavedState& kept);
    void keep_exercises();
    // `reanchor`: the kept time taken as now, by a launch that found the
    // PC's clock behind it; kept as a spell record, and not over a record
    // another program saved since.
    void save_state(bool reanchor = false);
    // The chip's state, its moment on the PC's clock.
    ChipState kept_chip();
    std::uint64_t newest_sequence();
    // A transaction that wrote registers is over.
    void registers_written();
    void close_state();
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
