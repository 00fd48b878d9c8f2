// The file in which the virtual clock chip keeps its registers between
// launches, as a real chip keeps them on its battery. It holds two records,
// each with a format mark, a version, a sequence number, the chip's state,
// the time it has lived and a checksum; a save rewrites the older one in place. A record caught
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
#include "virtual/pile/vecu.h"

namespace iowvirt {

inline constexpr std::size_t kRecordSize = 128;

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
// The lived time's `high_stale`.
inline constexpr std::uint32_t kHighStale = 1u << 6;
inline constexpr std::uint32_t kKnownFlags =
    kStoodStill | kInvalidLaid | kInvalidStanding | kBoardWords | kHighStale;

// The chip's moments (`chip.at_ms`) are on its lived time.
struct SavedState {
    ChipState chip;
    LivedTime lived;
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
// A file of an earlier version (the first: one record of 92 bytes; the
// second: two records of 104, their moments on the PC's clock), or more
// when an upgrade to this version was cut short: its next save rewrites it.
bool is_earlier_version(const std::vector<std::uint8_t>& bytes);

// The newer whole record, each judged on its own, or nothing and why not
// (in French). Also takes the files of earlier versions.
std::optional<SavedState> decode_state(const std::vector<std::uint8_t>& bytes, std::string& why);

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
