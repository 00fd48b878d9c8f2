// The board's keeper: where the board is kept between launches and how, as
// on its battery. At each open with no handle open it takes the kept chip
// back from its state file, then lays the exercises on it; it saves a
// record after each transaction that wrote registers, keeps the second a
// read showed, takes another program's newer setting before a read of the
// time, and counts the PC's clock spells through the time the chip has
// lived. The device calls it and gives it the board at each call; it holds
// only what it keeps.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "virtual/carte/carte.h"
#include "virtual/garde/garde.h"
#include "virtual/pile/etat.h"
#include "virtual/pile/regard.h"

namespace iowvirt {

class Gardien {
  public:
    // Whether `origin` (a words file, the room's table, a window's variable)
    // still plants the board of `words`.
    using Plants = std::function<bool(const std::string& origin, std::uint32_t words)>;

    // The chip's time source becomes the time it has lived on the board's
    // PC clock, counted anew: what another clock was seen at says nothing
    // of this one.
    void new_clock(Board& board);
    // Tests: nothing kept in any file.
    void keep_in_memory() { keeping.state_path.clear(); }
    // Tests: the PC's steady clock, one for every program they run.
    void look_with(Regard::Steady steady) { regard = Regard(std::move(steady)); }
    // At an open with no handle open: this launch's place, the kept chip
    // back from it (or a board as delivered), the exercises laid on it.
    // `planted_by`: where this launch's words were planted.
    void load(Board& board, const std::string& planted_by, const Plants& plants);
    // Before a read of the time: another program's newer setting, then
    // what this read shows, kept when it is a second the file lacks.
    void before_time_read(Board& board);
    // A transaction is over: kept when it wrote registers.
    void transaction_over(Board& board);
    // A handle is closed: what was written and not saved yet is kept.
    void handle_closed(Board& board);
    // The last handle is closed, or the device unplugged or reset: the file
    // reaches the disk and is let go.
    void close() { keeping.state_file.close(); }

  private:
    Keeping keeping;
    Regard regard;

    void choose_state_path(const Board& board);
    TimeSource lived_clock(Board& board);
    // The kept chip from `path`, opened as `file`; `path` cleared when it
    // is no place to keep it.
    bool read_state(Board& board, fichiers::StateFile& file, std::string& path, SavedState& kept,
                    bool& first_version);
    // An exercise's own board, made from the shared clock when it has none
    // for these words yet; the shared clock left as it is.
    bool read_board(Board& board, std::uint32_t words, SavedState& kept);
    // The boards beside the shared clock that some place still plants
    // kept, with this launch's place for `words`; the others removed.
    void keep_planted_boards(const std::string& shared, std::uint32_t words,
                             const std::string& planted_by, const Plants& plants);
    void keep_exercises(Board& board);
    // The board as delivered, at the PC's time.
    void deliver_set(Board& board);
    // `shown`: what a read showed, kept only in a file already open, and
    // not over a record another program saved since.
    void save_state(Board& board, bool shown = false);
    // Where there is no file yet: makes it with `state`; false when another
    // program made it first, or it could not be made (`why`).
    bool make_state_file(const SavedState& state, std::string& why);
    // `state` as the file's next record, numbered after the newest; `left`
    // when what a read showed would go over another program's newer record.
    enum class Written { saved, failed, left };
    Written write_record(SavedState& state, bool shown, std::string& why);
    void keep_shown(Board& board);
    std::optional<SavedState> newest_record();
    // Another program's newer setting, taken before a read of the time.
    void take_newer_setting(Board& board);
    void take_first_setting(Board& board);
    // Another program's newer record, as the chip stands in it.
    void take_setting(Board& board, const SavedState& kept);
    // The chip, its exercises and the file's numbering, from a record.
    void take_kept(Board& board, const SavedState& kept);
    // A transaction that wrote registers is over.
    void registers_written(Board& board);
};

}  // namespace iowvirt
