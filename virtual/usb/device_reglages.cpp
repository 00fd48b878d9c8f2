// The device set up from the words in force, read at every open with no
// handle open.
#include <limits>
#include <string>

#include "virtual/mots/fenetre.h"
#include "virtual/mots/reglages.h"
#include "virtual/usb/device.h"

namespace iowvirt {

void Device::configure() {
    if (setup.controlled) return;
    const WordsSource from = words_source();
    for (const std::string& text : from.told)
        tell(text);
    Words words = read_words(from.text);
    // The PC's file and the room's table are the answer to the students'
    // exercise: what could be read of them is played, and no word of them
    // is told where they look.
    if (from.from == Planted::pc || from.from == Planted::room)
        words.unknown.clear(), words.out_of_range.clear();
    setup.planted = from.from;
    setup.planted_by = (from.from == Planted::room ? kRoomOrigin : "") + from.source;
    setup.in_force = words_in_force(words);
    setup.room_cell = from.room.found ? from.room.cell : "";
    // A window's words are planted in that window: named by its process.
    if (const std::string window = from.from == Planted::window ? fenetre::parent_window() : "";
        !window.empty())
        setup.planted_by += " " + window;
    if (!setup.configured || from.text != setup.applied_words) apply_words(words, from.source);
    setup.configured = true;
    setup.applied_words = from.text;
    garde.load(board, setup.planted_by, still_plants);
    report_opening();
}

void Device::apply_words(const Words& words, const std::string& source) {
    std::string wrong;
    const std::optional<std::int64_t> fixed = fixed_now(wrong);
    if (!wrong.empty()) tell(wrong);
    const TimeSource clock = fixed ? TimeSource([at = *fixed] { return at; }) : system_ms;
    board.pc_now = clock;
    garde.new_clock(board);
    usb.plugged = !words.absent;
    board.i2c.set_chip_connected(!words.no_chip);
    board.frozen = words.frozen;
    board.invalid = words.invalid;
    faults.silent_after = words.reads_before_silence;
    faults.open_stalls = words.open_stalls;
    faults.writes_before_stall = words.writes_before_stall;
    faults.short_read = words.short_read ? Fault{0, std::numeric_limits<int>::max()} : Fault{};
    faults.short_read_bytes = kReportSize - 1;
    board.ticking = words.tick;
    if (board.ticking) {
        board.tick_ms = clock();
        board.chip.set_time_source([this] { return board.tick_ms; });
    }
    // One box for them all: the exercise the teacher meant does not happen.
    if (const std::string unknown = unknown_told(words, source); !unknown.empty())
        alert_once(unknown);
    board.fresh = words.fresh;
    // A new chip, as on the first launch: only a file brings back its time.
    if (board.fresh) {
        board.chip.power_on();
        board.exercises = 0;
    }
}

}  // namespace iowvirt
