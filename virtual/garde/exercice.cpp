// Which clock a copy of the virtual IOW24 uses. Every copy on an account
// shares one clock, as the boards of a lab share the PC's time. A copy set
// up with words that change the clock (`frozen`, `invalid`) uses the board
// of that exercise instead, as if the teacher had swapped in a faulty one:
// every copy that plays the same exercise on the account uses the same
// board (the check and the simulator alike, however their paths are
// spelt), so a student's repair is seen by both. It starts from the shared
// clock's time, lasts across launches like any board, and never changes
// the shared clock. Once the words are gone, the boards are removed and
// the copy reads the shared clock again, as if the exercise had never been.
#include "platform/citation.h"
#include "virtual/usb/device.h"

namespace iowvirt {

namespace {

// One board per exercise: named after the shared clock's file and the
// words it was made for.
std::string board_path(const std::string& shared, std::uint32_t words) {
    std::uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a
    for (int byte = 0; byte < 4; ++byte) {
        hash ^= static_cast<std::uint8_t>(words >> (8 * byte));
        hash *= 0x100000001b3u;
    }
    return shared + ".exercice-" + texte::hex_digits(hash, 16);
}

// Every board an exercise may have left beside the shared clock.
void remove_boards(const std::string& shared) {
    for (const std::uint32_t words : {kBoardFrozen, kBoardInvalid, kBoardFrozen | kBoardInvalid})
        fichiers::remove_file(board_path(shared, words));
}

}  // namespace

void Device::load_state() {
    close_state();
    keeping.upgrade_pending = false;
    keeping.sequence = 0;
    board.exercises = 0;
    keeping.spell = false;
    const std::uint32_t words =
        (board.frozen ? kBoardFrozen : 0) | (board.invalid ? kBoardInvalid : 0);
    SavedState kept;
    bool found = false;
    if (!keeping.state_path.empty() && words != 0) {
        found = read_board(words, kept);
    } else if (!keeping.state_path.empty()) {
        remove_boards(keeping.state_path);
        found = read_state(keeping.state_file, keeping.state_path, kept, keeping.upgrade_pending);
    }
    if (found) {
        take_kept(kept);
    } else if (!board.given && !board.fresh) {
        // Never kept (a new account, a new place, a file deleted): a board
        // as delivered, set to the PC's time and running, so that nothing
        // looks wrong that no one planted. `fresh` plays a never-set chip.
        deliver_set();
    }
    keeping.bytes_saved = board.chip.bytes_written();
    keep_exercises();
    // A moment kept ahead of the PC's clock (set back, or a file from
    // another PC): the chip took its kept time as the time now. Kept so,
    // the next launch counts from now, not from a moment still to come.
    if (found && !keeping.state_path.empty() && kept_ahead(kept)) save_state(true);
}

bool Device::read_board(std::uint32_t words, SavedState& kept) {
    std::string shared = keeping.state_path;
    keeping.state_path = board_path(shared, words);
    bool first_version = false;
    if (read_state(keeping.state_file, keeping.state_path, kept, first_version) &&
        (kept.flags & kBoardWords) == words)
        return true;
    // A new board, or one made for other words: the shared clock's time,
    // none of the exercises laid yet. Its records go on from the board's.
    const std::uint64_t board_sequence = keeping.state_file.is_open() ? kept.sequence : 0;
    fichiers::StateFile shared_file;
    kept = SavedState{};
    const bool from_shared = read_state(shared_file, shared, kept, first_version);
    kept.flags = words;
    kept.sequence = board_sequence;
    // A new board: no spell of the shared clock's is its own.
    if (!from_shared) {
        deliver_set();
        kept.chip = board.chip.state();
    }
    return true;
}

}  // namespace iowvirt
