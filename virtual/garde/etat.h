// The file in which the virtual clock chip keeps its registers between
// launches, as a real chip keeps them on its battery. It holds two records,
// each with a format mark, a version, a sequence number, the chip's state
// and a checksum; a save rewrites the older one in place. A record caught
// in the middle of a write fails its checksum and the other one stands, so
// a reader never takes part of a write, and a file that is not whole or not
// ours is never trusted.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "virtual/carte/ds1307.h"

namespace iowvirt {

inline constexpr std::size_t kRecordSize = 104;

// Moments a chip of this century can stand at, in seconds since 1970: from
// 2000-01-01 to three centuries ahead. Anything else is no clock's.
inline constexpr std::int64_t kFirstMoment = 946684800, kLastMoment = 10413792000;
// The size of a state file: a reader needs no byte past it.
inline constexpr std::size_t kStateFileSize = 2 * kRecordSize;

// Exercises the chip is left in, kept with it.
// The oscillator has stood still since the record's moment (`frozen`).
inline constexpr std::uint32_t kStoodStill = 1u << 0;
// `invalid` was laid on the registers while the word stood.
inline constexpr std::uint32_t kInvalidLaid = 1u << 1;
// The registers still hold those values and do not count, until the
// clock is written.
inline constexpr std::uint32_t kInvalidStanding = 1u << 2;
// A board of an exercise's own: the words it was made for.
inline constexpr std::uint32_t kBoardFrozen = 1u << 3;
inline constexpr std::uint32_t kBoardInvalid = 1u << 4;
inline constexpr std::uint32_t kBoardWords = kBoardFrozen | kBoardInvalid;
inline constexpr std::uint32_t board_words_of(bool frozen, bool invalid) {
    return (frozen ? kBoardFrozen : 0) | (invalid ? kBoardInvalid : 0);
}
// Kept by a launch that found the PC's clock behind the record before it
// (a PC clock slow for a while, a dead CMOS battery, a file from a PC that
// was ahead): it stands only while the PC's clock stays behind that
// record's moment, and that record is kept whole meanwhile.
inline constexpr std::uint32_t kSpell = 1u << 5;
inline constexpr std::uint32_t kKnownFlags =
    kStoodStill | kInvalidLaid | kInvalidStanding | kBoardWords | kSpell;

struct SavedState {
    ChipState chip;
    std::uint32_t flags = 0;
    std::uint64_t sequence = 0;  // the newer record has the higher one
};

// Where the record of a save with this sequence number goes.
std::size_t record_offset(std::uint64_t sequence);
std::vector<std::uint8_t> encode_record(const SavedState& state);
// A whole new file: the state in both records.
std::vector<std::uint8_t> encode_state(const SavedState& state);

// Whether the bytes begin as a state file does, in either record: a file
// that does not is some other program's or a user's, never to be touched.
bool is_state_file(const std::vector<std::uint8_t>& bytes);
// The one-record file of the first version (92 bytes, or more when an
// upgrade was cut short).
bool is_first_version(const std::vector<std::uint8_t>& bytes);

// The newer whole record, each judged on its own, or nothing and why not
// (in French). Also takes the one-record file of the first version.
std::optional<SavedState> decode_state(const std::vector<std::uint8_t>& bytes, std::string& why);

// The record the chip counts from at `now_ms` on the PC's clock: the newer
// one, but the one before it once the PC's clock is past that one's moment
// again when the newer was kept in a spell (`kSpell`), as if the spell had
// never been. Numbered as the newer, so that saves still go after it.
SavedState counted_from(const std::vector<std::uint8_t>& bytes, const SavedState& newer,
                        std::int64_t now_ms);

// A record caught in the middle of another program's write fails its
// checksum; the file is read this many times before it is judged.
inline constexpr int kReadTries = 3;

// `decode_state` of `bytes`, read again with `again` while they do not
// decode (a record may be caught in another program's write), up to
// `tries` reads in all; `bytes` are the last read.
std::optional<SavedState> decode_settled(
    std::vector<std::uint8_t>& bytes, const std::function<bool(std::vector<std::uint8_t>&)>& again,
    int tries, std::string& why);

}  // namespace iowvirt
