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
#include "virtual/garde/garde.h"
#include "virtual/mots/mots.h"
#include "virtual/mots/reglages.h"
#include "virtual/pile/etat.h"
#include "virtual/usb/iowvirt.h"
#include "virtual/usb/pannes.h"
#include "virtual/usb/usb.h"

namespace iowvirt {

inline constexpr std::uint32_t kSpecialModePipe = 1;
inline constexpr std::uint32_t kReportSize = 8;

// Told on stderr, in the user's language. `tell_once` says a text only the
// first time in a launch. `alert_once` also shows it in a box, for a
// teacher in a simulator, where stderr is not seen.
void tell(const std::string& text);
void tell_once(const std::string& text);
void alert_once(const std::string& text);

enum class HandleState { null, open, unplugged, stale };

// The device behind the four functions: its parts, each of one job, and the
// calls that go through them.
struct Device {
    std::mutex mutex;
    std::condition_variable reply_ready;
    Usb usb;
    Faults faults;
    Board board;
    Keeping keeping;
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
    // The boards beside the shared clock that some place still plants
    // kept, with this launch's place for `words`; the others removed.
    void keep_planted_boards(const std::string& shared, std::uint32_t words);
    // The chip's time source: the time it has lived, on the PC's clock.
    TimeSource lived_clock();
    void keep_exercises();
    // The board as delivered, at the PC's time.
    void deliver_set();
    // `shown`: what a read showed, kept only in a file already open, and
    // not over a record another program saved since.
    void save_state(bool shown = false);
    // Where there is no file yet: makes it with `state`; false when another
    // program made it first, or it could not be made (`why`).
    bool make_state_file(const SavedState& state, std::string& why);
    // `state` as the file's next record, numbered after the newest; `left`
    // when what a read showed would go over another program's newer record.
    enum class Written { saved, failed, left };
    Written write_record(SavedState& state, bool shown, std::string& why);
    void keep_shown();
    std::optional<SavedState> newest_record();
    // Another program's newer setting, taken before a read of the time.
    void take_newer_setting();
    void take_first_setting();
    // Another program's newer record, as the chip stands in it.
    void take_setting(const SavedState& kept);
    // The chip, its exercises and the file's numbering, from a record.
    void take_kept(const SavedState& kept);
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
