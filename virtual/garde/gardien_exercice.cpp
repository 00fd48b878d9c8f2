// Which clock a copy of the virtual IOW24 uses. Every copy on an account
// shares one clock, as the boards of a lab share the PC's time. A copy set
// up with words that change the clock (`frozen`, `invalid`) uses the board
// of that exercise instead, as if the teacher had swapped in a faulty one:
// every copy that plays the same exercise on the account uses the same
// board (the check and the simulator alike, however their paths are
// spelt), so a student's repair is seen by both. It starts from the shared
// clock's time, lasts across launches like any board, and never changes
// the shared clock. Once no place plants the words any more, the board is
// removed and the copy reads the shared clock again, as if the exercise had
// never been.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/lettres.h"
#include "virtual/garde/gardien.h"

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

// The exercises a board may be made for.
constexpr std::uint32_t kEveryBoard[] = {kBoardFrozen, kBoardInvalid, kBoardFrozen | kBoardInvalid};

// Beside each board, the places that planted its exercise, one a line: a
// words file's path, or the window's variable with the window it was set in
// (its number and start). The board lasts while one of them still plants
// it.
constexpr const char* kOriginsMark = ".origine";
// A few places; no more of the file is read, nor trusted.
constexpr std::size_t kMostOriginBytes = 16384;
constexpr std::size_t kMostOrigins = 32;

std::vector<std::string> read_origins(const std::string& board) {
    std::string why;
    const auto bytes = fichiers::read(board + kOriginsMark, kMostOriginBytes, why);
    std::vector<std::string> origins;
    if (!bytes || bytes->size() > kMostOriginBytes) return origins;
    std::string line;
    for (const std::uint8_t byte : *bytes) {
        if (byte != '\n') {
            line += static_cast<char>(byte);
            continue;
        }
        const bool fresh = std::find(origins.begin(), origins.end(), line) == origins.end();
        if (!line.empty() && line.find('\0') == std::string::npos && fresh &&
            origins.size() < kMostOrigins)
            origins.push_back(line);
        line.clear();
    }
    return origins;
}

std::string origins_text(const std::vector<std::string>& origins) {
    std::string text;
    for (const std::string& origin : origins)
        text += origin + "\n";
    return text;
}

}  // namespace

// Each exercise's board lasts while some place still plants it: a words
// file that still holds its words, or a window's IOWVIRT while that window
// is open and sets no other words. A student's repair lasts until the teacher clears the
// exercise, whatever other copies are launched meanwhile; once no place
// plants it, the board goes.
void Gardien::keep_planted_boards(const std::string& shared, std::uint32_t words,
                                  const std::string& planted_by, const Plants& plants) {
    // Where this launch's words were planted: a words file's path, or the
    // window's variable with that window.
    const std::string& here = planted_by;
    for (const std::uint32_t each : kEveryBoard) {
        const std::string board_file = board_path(shared, each);
        fichiers::remove_own_temporaries(board_file + kOriginsMark);
        const std::vector<std::string> origins = read_origins(board_file);
        if (origins.empty() && each != words && !fichiers::exists(board_file)) continue;
        std::vector<std::string> kept;
        for (const std::string& origin : origins)
            if (origin == here ? each == words : plants(origin, each)) kept.push_back(origin);
        if (each == words && std::find(kept.begin(), kept.end(), here) == kept.end())
            kept.push_back(here);
        if (kept.empty()) {
            fichiers::remove_file(board_file);
            fichiers::remove_file(board_file + kOriginsMark);
        } else if (kept != origins) {
            fichiers::write_whole(board_file + kOriginsMark, origins_text(kept));
        }
    }
}

bool Gardien::read_board(Board& board, std::uint32_t words, SavedState& kept) {
    std::string shared = keeping.state_path;
    keeping.state_path = board_path(shared, words);
    bool first_version = false;
    if (read_state(board, keeping.state_file, keeping.state_path, kept, first_version) &&
        (kept.flags & kBoardWords) == words)
        return true;
    // A new board, or one made for other words: the shared clock's time,
    // none of the exercises laid yet. Its records go on from the board's.
    const std::uint64_t board_sequence = keeping.state_file.is_open() ? kept.sequence : 0;
    fichiers::StateFile shared_file;
    kept = SavedState{};
    const bool from_shared = read_state(board, shared_file, shared, kept, first_version);
    kept.flags = words;
    kept.sequence = board_sequence;
    // A new board: no spell of the shared clock's is its own.
    if (!from_shared) {
        deliver_set(board);
        kept.chip = board.chip.state();
        kept.lived = keeping.lived;
    }
    return true;
}

}  // namespace iowvirt
