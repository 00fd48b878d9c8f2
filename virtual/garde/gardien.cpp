// How the virtual clock chip keeps its registers between launches, as on
// its battery: taken back from its state file at every open with no handle
// open, the file kept open meanwhile, a record rewritten in place after
// each transaction that wrote registers, and the file flushed at the last
// close. A program that only reads writes at most the second it showed and
// where it saw the PC's clock, never over another program's newer record.
#include <algorithm>
#include <limits>
#include <string>

#include "platform/citation.h"
#include "virtual/garde/dire.h"
#include "virtual/garde/gardien.h"

namespace iowvirt {

namespace {

constexpr const char* kStateVariable = "IOWVIRT_STATE";
static_assert(fichiers::StateFile::kRecordsSize == kStateFileSize);
// Time and date registers 0x00-0x06 that hold no valid time or date:
// digits above 9, fields out of range.
constexpr std::uint8_t kNoValidTime[] = {0x5A, 0x7F, 0x3F, 0x00, 0x3F, 0x1F, 0xAA};
constexpr const char* kMemoryOnly =
    "l'horloge ne garde son heure que tant que ce programme tourne.";
constexpr std::int64_t kMsPerSecond = 1000;

// The lived moment at which the chip kept in `chip` begins its next second.
std::int64_t next_second(const ChipState& chip) {
    return chip.at_ms - chip.into_second_ms + kMsPerSecond;
}

}  // namespace

void Gardien::choose_state_path(const Board& board) {
    std::string chosen;
    const bool named = fichiers::variable(kStateVariable, chosen);
    keeping.state_path = board.fresh ? "" : named ? chosen : fichiers::default_state_path();
    if (board.fresh || !keeping.state_path.empty()) return;
    tell_once(named ? std::string(kStateVariable) +
                          " est vide : aucun fichier où garder l'heure ; " + kMemoryOnly
                    : "aucun dossier où garder l'heure (" + fichiers::default_state_needs() +
                          ") ; " + kMemoryOnly);
}

TimeSource Gardien::lived_clock(Board& board) {
    return [this, &board] { return keeping.lived.at(board.pc_now()); };
}

void Gardien::new_clock(Board& board) {
    keeping.lived = LivedTime{};
    board.chip.set_time_source(lived_clock(board));
}

void Gardien::before_time_read(Board& board) {
    take_newer_setting(board);
    keep_shown(board);
}

void Gardien::transaction_over(Board& board) {
    if (board.chip.bytes_written() != keeping.bytes_saved) registers_written(board);
}

void Gardien::handle_closed(Board& board) {
    if (board.chip.bytes_written() != keeping.bytes_saved) save_state(board);
}

// Each launch looks for its place again: a save that failed in one is
// tried again in the next.
void Gardien::load(Board& board, const std::string& planted_by, const Plants& plants) {
    choose_state_path(board);
    close();
    keeping.upgrade_pending = false;
    keeping.new_chip_to_keep = false;
    keeping.sequence = 0;
    board.exercises = 0;
    const std::uint32_t words = board_words_of(board.frozen, board.invalid);
    SavedState kept;
    bool found = false;
    if (!keeping.state_path.empty())
        keep_planted_boards(keeping.state_path, words, planted_by, plants);
    if (!keeping.state_path.empty() && words != 0) {
        found = read_board(board, words, kept);
    } else if (!keeping.state_path.empty()) {
        found = read_state(board, keeping.state_file, keeping.state_path, kept,
                           keeping.upgrade_pending);
    }
    if (found) {
        take_kept(board, kept);
    } else if (!board.given && !board.fresh) {
        // Never kept (a new account, a new place, a file deleted): a board
        // as delivered, set to the PC's time and running, so that nothing
        // looks wrong that no one planted. `fresh` plays a never-set chip.
        deliver_set(board);
    }
    keeping.bytes_saved = board.chip.bytes_written();
    keep_exercises(board);
    // A damaged file was put aside: the new chip lasts, halted, until set.
    if (keeping.new_chip_to_keep) save_state(board);
    keeping.new_chip_to_keep = false;
    // A launch that finds the PC's clock further behind than the file saw
    // it, or right again after a spell behind, keeps that, so that no
    // program counts the jump as time.
    if (found && (keeping.lived.last_pc < keeping.kept_pc ||
                  (kept.lived.last_pc < kept.lived.high_pc && !keeping.lived.behind())))
        save_state(board, true);
}

bool Gardien::read_state(Board& board, fichiers::StateFile& file, std::string& path,
                         SavedState& kept, bool& first_version) {
    path = fichiers::through_links(path);
    fichiers::remove_own_temporaries(path);
    std::vector<std::uint8_t> bytes;
    std::string why;
    switch (file.open(path, kStateFileSize, bytes, why)) {
        case fichiers::StateFile::Found::nothing:
            return false;
        case fichiers::StateFile::Found::not_regular:
            tell_once(texte::cite_path(path) +
                      " n'est pas un fichier ordinaire : il est laissé tel quel ; " + kMemoryOnly);
            path.clear();
            return false;
        case fichiers::StateFile::Found::unreadable:
            tell_once("impossible de lire " + texte::cite_path(path) + " (" + why + ") ; " +
                      kMemoryOnly);
            path.clear();
            return false;
        case fichiers::StateFile::Found::regular:
            break;
    }
    const auto again = [&file](std::vector<std::uint8_t>& b) {
        return file.read_again(kStateFileSize, b);
    };
    if (const auto state = decode_settled(bytes, again, kReadTries, why)) {
        kept = *state;
        first_version = is_earlier_version(bytes);
        return true;
    }
    file.close();
    // Some other program's file, or a user's: never moved, never written.
    if (!is_state_file(bytes)) {
        tell_once(texte::cite_path(path) +
                  " n'est pas un fichier de l'horloge virtuelle : il est laissé " + "tel quel ; " +
                  kMemoryOnly);
        path.clear();
        return false;
    }
    // Ours, but damaged: never trusted, never overwritten; put aside, and a
    // new chip.
    const auto aside =
        fichiers::put_aside(path, path + ".illisible-" + std::to_string(fichiers::now_seconds()));
    board.chip.power_on();
    board.given = true;  // a new chip, as the message says, kept as such
    keeping.new_chip_to_keep = aside.has_value();
    alert_once("le fichier de l'horloge " + texte::cite_path(path) + " est illisible (" + why +
               ") ; " +
               (aside ? "il est gardé sous " + texte::cite_path(*aside)
                      : std::string("il n'a pas pu être mis de côté")) +
               ", et l'horloge repart neuve.");
    if (!aside) path.clear();
    return false;
}

// `frozen` stops the oscillator for as long as the word stands, across
// launches; once it is gone the clock goes on from where it stood.
// `invalid` lays values no clock can hold, once while the word stands; they
// stay, not counting, until the clock is written.
void Gardien::keep_exercises(Board& board) {
    std::uint32_t wanted = board.exercises;
    wanted = board.frozen ? wanted | kStoodStill : wanted & ~kStoodStill;
    if (board.invalid && (board.exercises & kInvalidLaid) == 0) {
        for (std::uint8_t reg = 0; reg < sizeof kNoValidTime; ++reg)
            board.chip.poke(reg, kNoValidTime[reg]);
        wanted |= kInvalidLaid | kInvalidStanding;
    }
    if (!board.invalid) wanted &= ~kInvalidLaid;
    board.chip.set_stopped((wanted & (kStoodStill | kInvalidStanding)) != 0);
    if (wanted == board.exercises) return;
    board.exercises = wanted;
    save_state(board);
}

// A program that has the clock open sees a setting another program made,
// at its next read of the time, as two programs on one board would: the
// file's stamp tells, in one system call, when there may be one. Reads in
// a fast loop look once every few microseconds, and the program that wrote
// waits that long before it goes on.
void Gardien::take_newer_setting(Board& board) {
    if (!regard.look_due()) return;
    if (!keeping.state_file.is_open()) return take_first_setting(board);
    if (!keeping.state_file.changed()) return;
    // Marked before the read: a write after it is seen at the next look. A
    // record caught in the middle of a write is looked at again then.
    keeping.state_file.mark();
    std::vector<std::uint8_t> bytes;
    std::string why;
    const auto newest =
        keeping.state_file.read_records(bytes) ? decode_state(bytes, why) : std::nullopt;
    if (!newest) return keeping.state_file.forget_mark();
    if (newest->sequence > keeping.sequence) take_setting(board, *newest);
}

// Opened where no file was yet (a new account): the file another program
// made since, looked for with one system call while there is none.
void Gardien::take_first_setting(Board& board) {
    if (keeping.state_path.empty() || !fichiers::exists(keeping.state_path)) return;
    SavedState kept;
    bool first_version = false;
    if (!read_state(board, keeping.state_file, keeping.state_path, kept, first_version)) return;
    keeping.upgrade_pending = first_version;
    if (kept.sequence > keeping.sequence) take_setting(board, kept);
}

void Gardien::take_setting(Board& board, const SavedState& kept) {
    take_kept(board, kept);
    board.chip.set_stopped((kept.flags & (kStoodStill | kInvalidStanding)) != 0);
    keeping.bytes_saved = board.chip.bytes_written();
}

void Gardien::take_kept(Board& board, const SavedState& kept) {
    keeping.lived = kept.lived;
    board.chip.restore(kept.chip, (kept.flags & (kStoodStill | kInvalidStanding)) == 0);
    keeping.sequence = kept.sequence;
    keeping.shown_until = next_second(kept.chip);
    keeping.kept_pc = kept.lived.last_pc;
    board.exercises = kept.flags;
    board.given = true;
}

void Gardien::deliver_set(Board& board) {
    const std::int64_t seconds = board.pc_now() / kMsPerSecond;
    board.deliver_set(fichiers::local_time(seconds));
}

void Gardien::registers_written(Board& board) {
    board.given = true;
    keeping.lived.set_made();
    if ((board.exercises & kInvalidStanding) != 0) {
        board.exercises &= ~kInvalidStanding;
        board.chip.set_stopped((board.exercises & kStoodStill) != 0);
    }
    save_state(board);
}

// A read that shows a second the file does not hold yet keeps it, so that
// no program launched later, the PC's clock set back meanwhile, shows an
// earlier time; and so does one that finds the PC's clock a second or more
// from where the file last saw it, so that every program counts from there.
// At most once a second while the PC's clock runs on.
void Gardien::keep_shown(Board& board) {
    if (!keeping.state_file.is_open() || board.ticking) return;
    const std::int64_t lived = keeping.lived.at(board.pc_now());
    const std::int64_t pc = keeping.lived.last_pc;
    if (lived < keeping.shown_until && pc >= keeping.kept_pc && pc < keeping.kept_pc + kMsPerSecond)
        return;
    save_state(board, true);
}

void Gardien::save_state(Board& board, bool shown) {
    keeping.bytes_saved = board.chip.bytes_written();
    if (keeping.state_path.empty() || (shown && !keeping.state_file.is_open())) return;
    std::string why;
    SavedState state{board.kept_chip(keeping.lived.at(board.pc_now())), keeping.lived,
                     board.exercises, keeping.sequence + 1};
    keeping.shown_until = next_second(state.chip);
    keeping.kept_pc = state.lived.last_pc;
    if (!keeping.state_file.is_open() && make_state_file(state, why)) {
        regard.record_written();
        return;
    }
    const Written written =
        keeping.state_file.is_open() ? write_record(state, shown, why) : Written::failed;
    if (written == Written::saved) regard.record_written();
    if (written != Written::failed) return;
    if (shown) {
        // A file this program may only read: what it shows is its own.
        keeping.shown_until = std::numeric_limits<std::int64_t>::max();
        keeping.kept_pc = std::numeric_limits<std::int64_t>::min();
        return;
    }
    tell_once("impossible d'écrire " + texte::cite_path(keeping.state_path) + " (" + why + ") ; " +
              kMemoryOnly);
    keeping.state_file.close();
    keeping.state_path.clear();
}

bool Gardien::make_state_file(const SavedState& state, std::string& why) {
    std::vector<std::uint8_t> found;
    const auto made =
        keeping.state_file.create(keeping.state_path, encode_state(state), found, why);
    if (made == fichiers::StateFile::Made::made) {
        ++keeping.sequence;
        return true;
    }
    // Another program made the file meanwhile: this save goes after its
    // records, as any save does, unless it is no file of the clock's.
    if (made == fichiers::StateFile::Made::taken && !is_state_file(found)) {
        keeping.state_file.close();
        why = texte::cite_path(keeping.state_path) + " n'est pas un fichier de l'horloge";
    }
    return false;
}

Gardien::Written Gardien::write_record(SavedState& state, bool shown, std::string& why) {
    // Numbered after the newest record any program wrote, so that the
    // latest save wins, however many others made since this one opened; no
    // other save comes between the look and the write. What a read showed
    // never goes over another program's newer record.
    const fichiers::SaveLock held(keeping.state_file);
    const std::optional<SavedState> newest = newest_record();
    const std::uint64_t newest_sequence = newest ? newest->sequence : 0;
    if (shown && newest_sequence > keeping.sequence) return Written::left;
    // A setting made while another program saw the PC's clock further on
    // than it reads now was made behind.
    if (!shown && newest && newest->lived.high_pc > keeping.lived.high_pc &&
        newest->lived.high_pc > keeping.lived.last_pc) {
        keeping.lived.high_pc = newest->lived.high_pc;
        keeping.lived.high_stale = true;
        state.lived = keeping.lived;
    }
    keeping.sequence = std::max(keeping.sequence, newest_sequence) + 1;
    state.sequence = keeping.sequence;
    bool saved = false;
    if (keeping.upgrade_pending) {
        // A file of an earlier version becomes two records of this one: the
        // second first, which stands alone, then the first over the old
        // record.
        const auto record = encode_record(state);
        saved = keeping.state_file.rewrite(kRecordSize, record, why) &&
                keeping.state_file.rewrite(0, record, why);
        keeping.upgrade_pending = !saved;
    } else {
        saved =
            keeping.state_file.rewrite(record_offset(keeping.sequence), encode_record(state), why);
    }
    return saved ? Written::saved : Written::failed;
}

std::optional<SavedState> Gardien::newest_record() {
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (!keeping.state_file.read_records(bytes)) return std::nullopt;
    return decode_state(bytes, why);
}

}  // namespace iowvirt
