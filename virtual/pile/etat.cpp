#include "virtual/pile/etat.h"

#include <array>
#include <cstring>

namespace iowvirt {

namespace {

// A record, little-endian: mark, version, exercise flags, sequence number,
// 64 registers, the moment of lived time they stand at (ms), how far into
// its second the divider was (ms), the PC's clock then, the furthest moment
// the PC's clock was seen at and the lived time then (ms), CRC-32 of
// everything before it.
constexpr char kMark[8] = {'R', 'T', 'C', 'I', 'O', 'W', '2', '4'};
constexpr std::uint32_t kVersion = 3;
constexpr std::size_t kVersionAt = 8, kFlagsAt = 12, kSequenceAt = 16, kRegistersAt = 24,
                      kMomentAt = 88, kIntoSecondAt = 96, kLastPcAt = 100, kHighPcAt = 108,
                      kHighLivedAt = 116, kChecksumAt = 124;
// The second version: records of 104 bytes, their moments on the PC's
// clock; one kept while the PC's clock was behind the other's moment was
// marked so.
constexpr std::uint32_t kSecondVersion = 2;
constexpr std::size_t kSecondSize = 104, kSecondChecksumAt = 100;
constexpr std::uint32_t kSecondSpell = 1u << 5;
// The first version: one record of 92 bytes, with no flags nor sequence.
constexpr std::uint32_t kFirstVersion = 1;
constexpr std::size_t kFirstSize = 92, kFirstRegistersAt = 12, kFirstMomentAt = 76,
                      kFirstIntoSecondAt = 84, kFirstChecksumAt = 88;
constexpr std::int32_t kMsPerSecond = 1000;
// Moments a chip of this century can have been kept at.
constexpr std::int64_t kFirstMomentMs = kFirstMoment * 1000, kLastMomentMs = kLastMoment * 1000;

// CRC-32 (the polynomial of ZIP and PNG), a byte at a time from a table:
// every save reads the file's records again, so their check stays cheap.
constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t byte = 0; byte < table.size(); ++byte) {
        std::uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        table[byte] = crc;
    }
    return table;
}();

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        crc = (crc >> 8) ^ kCrcTable[(crc ^ data[i]) & 0xFFu];
    return ~crc;
}

void put(std::uint8_t* out, std::size_t at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t get(const std::uint8_t* in, std::size_t at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<std::uint64_t>(in[at + i]) << (8 * i);
    return value;
}

bool in_range(std::int64_t ms) { return ms >= kFirstMomentMs && ms <= kLastMomentMs; }

bool sane(const SavedState& state) {
    const LivedTime& lived = state.lived;
    return in_range(state.chip.at_ms) && in_range(lived.last_pc) && in_range(lived.high_pc) &&
           in_range(lived.high_lived) && lived.last_pc <= lived.high_pc &&
           state.chip.into_second_ms >= 0 && state.chip.into_second_ms < kMsPerSecond &&
           (state.flags & ~kKnownFlags) == 0;
}

// How one record stands on its own: each carries its mark, its version and
// its checksum, so a damaged one never costs the other.
enum class Record { whole, foreign, unknown_version, damaged, impossible };

Record judge(const std::uint8_t* in, std::uint32_t version, std::size_t checksum_at) {
    if (std::memcmp(in, kMark, sizeof kMark) != 0) return Record::foreign;
    // A later version may keep its checksum elsewhere.
    if (get(in, kVersionAt, 4) != version) return Record::unknown_version;
    if (get(in, checksum_at, 4) != crc32(in, checksum_at)) return Record::damaged;
    return Record::whole;
}

// Why neither record stands: the worst news the two tell.
std::string why_neither(Record first, Record second) {
    const auto either = [&](Record r) { return first == r || second == r; };
    if (either(Record::impossible)) return "valeurs impossibles";
    if (either(Record::damaged)) return "somme de contrôle fausse";
    if (either(Record::unknown_version)) return "version inconnue";
    return "pas un fichier d'horloge virtuelle";
}

std::optional<SavedState> judged_sane(const SavedState& state, Record& judged) {
    if (sane(state)) return state;
    judged = Record::impossible;
    return std::nullopt;
}

// What a record of either version holds in common.
SavedState common_part(const std::uint8_t* in) {
    SavedState state;
    state.flags = static_cast<std::uint32_t>(get(in, kFlagsAt, 4));
    state.sequence = get(in, kSequenceAt, 8);
    std::memcpy(state.chip.registers.data(), in + kRegistersAt, state.chip.registers.size());
    state.chip.at_ms = static_cast<std::int64_t>(get(in, kMomentAt, 8));
    state.chip.into_second_ms = static_cast<std::int32_t>(get(in, kIntoSecondAt, 4));
    return state;
}

std::optional<SavedState> record_at(const std::uint8_t* in, Record& judged) {
    judged = judge(in, kVersion, kChecksumAt);
    if (judged != Record::whole) return std::nullopt;
    SavedState state = common_part(in);
    state.lived.last_pc = static_cast<std::int64_t>(get(in, kLastPcAt, 8));
    state.lived.high_pc = static_cast<std::int64_t>(get(in, kHighPcAt, 8));
    state.lived.high_lived = static_cast<std::int64_t>(get(in, kHighLivedAt, 8));
    state.lived.last_lived = state.chip.at_ms;
    state.lived.high_stale = (state.flags & kHighStale) != 0;
    state.lived.known = true;
    state.flags &= ~kHighStale;
    return judged_sane(state, judged);
}

// A record of the second version: its moments on the PC's clock, lived
// time and the PC's clock one.
std::optional<SavedState> second_version_at(const std::uint8_t* in, Record& judged) {
    judged = judge(in, kSecondVersion, kSecondChecksumAt);
    if (judged != Record::whole) return std::nullopt;
    SavedState state = common_part(in);
    const std::int64_t at = state.chip.at_ms;
    // Marked stale while the other record is not looked at yet.
    const bool spell = (state.flags & kSecondSpell) != 0;
    state.flags &= ~kSecondSpell;
    state.lived = LivedTime{at, at, at, at, spell, true};
    return judged_sane(state, judged);
}

// The newer of two records that stand, or the one that does.
std::optional<SavedState> newer(const std::optional<SavedState>& first,
                                const std::optional<SavedState>& second) {
    return !second || (first && first->sequence > second->sequence) ? first : second;
}

// The second version's newer record. One kept while the PC's clock was
// behind the other's moment leaves that moment the furthest seen, and
// what was set then counts on only once it is passed.
std::optional<SavedState> second_version(const std::vector<std::uint8_t>& in, std::string& why) {
    Record first_judged, second_judged = Record::foreign;
    const auto first = second_version_at(in.data(), first_judged);
    const auto second = in.size() >= 2 * kSecondSize
                            ? second_version_at(in.data() + kSecondSize, second_judged)
                            : std::nullopt;
    auto state = newer(first, second);
    if (!state) {
        why = why_neither(first_judged, second_judged);
        return state;
    }
    const auto& other = first && state->sequence == first->sequence ? second : first;
    const bool behind = other && other->chip.at_ms > state->chip.at_ms;
    state->lived.high_stale = state->lived.high_stale && behind;
    if (state->lived.high_stale) state->lived.high_pc = other->chip.at_ms;
    return state;
}

std::optional<SavedState> first_version(const std::uint8_t* in) {
    if (get(in, kFirstChecksumAt, 4) != crc32(in, kFirstChecksumAt)) return std::nullopt;
    SavedState state;
    std::memcpy(state.chip.registers.data(), in + kFirstRegistersAt, state.chip.registers.size());
    state.chip.at_ms = static_cast<std::int64_t>(get(in, kFirstMomentAt, 8));
    state.chip.into_second_ms = static_cast<std::int32_t>(get(in, kFirstIntoSecondAt, 4));
    const std::int64_t at = state.chip.at_ms;
    state.lived = LivedTime{at, at, at, at, false, true};
    return state;
}

std::uint32_t version_of(const std::vector<std::uint8_t>& in) {
    return in.size() >= kVersionAt + 4 ? static_cast<std::uint32_t>(get(in.data(), kVersionAt, 4))
                                       : 0;
}

}  // namespace

std::size_t record_offset(std::uint64_t sequence) { return (sequence % 2) * kRecordSize; }

std::vector<std::uint8_t> encode_record(const SavedState& state) {
    std::vector<std::uint8_t> out(kRecordSize);
    std::memcpy(out.data(), kMark, sizeof kMark);
    put(out.data(), kVersionAt, kVersion, 4);
    put(out.data(), kFlagsAt, state.flags | (state.lived.high_stale ? kHighStale : 0), 4);
    put(out.data(), kSequenceAt, state.sequence, 8);
    std::memcpy(out.data() + kRegistersAt, state.chip.registers.data(),
                state.chip.registers.size());
    put(out.data(), kMomentAt, static_cast<std::uint64_t>(state.chip.at_ms), 8);
    put(out.data(), kIntoSecondAt, static_cast<std::uint32_t>(state.chip.into_second_ms), 4);
    put(out.data(), kLastPcAt, static_cast<std::uint64_t>(state.lived.last_pc), 8);
    put(out.data(), kHighPcAt, static_cast<std::uint64_t>(state.lived.high_pc), 8);
    put(out.data(), kHighLivedAt, static_cast<std::uint64_t>(state.lived.high_lived), 8);
    put(out.data(), kChecksumAt, crc32(out.data(), kChecksumAt), 4);
    return out;
}

std::vector<std::uint8_t> encode_state(const SavedState& state) {
    const std::vector<std::uint8_t> record = encode_record(state);
    std::vector<std::uint8_t> out(record);
    out.insert(out.end(), record.begin(), record.end());
    return out;
}

bool is_state_file(const std::vector<std::uint8_t>& in) {
    const auto marked = [&](std::size_t at) {
        return in.size() >= at + sizeof kMark &&
               std::memcmp(in.data() + at, kMark, sizeof kMark) == 0;
    };
    return marked(0) || (in.size() == kStateFileSize && marked(kRecordSize)) ||
           (in.size() == 2 * kSecondSize && marked(kSecondSize));
}

// A file whose first record is of an earlier version, and that is not yet
// two records of this one: an upgrade cut short leaves it longer, its
// first record still whole.
bool is_earlier_version(const std::vector<std::uint8_t>& in) {
    const std::uint32_t version = version_of(in);
    return ((version == kFirstVersion && in.size() >= kFirstSize) ||
            (version == kSecondVersion && in.size() >= kSecondSize) ||
            (in.size() == 2 * kSecondSize &&
             get(in.data(), kSecondSize + kVersionAt, 4) == kSecondVersion)) &&
           in.size() < kStateFileSize;
}

std::optional<SavedState> decode_state(const std::vector<std::uint8_t>& in, std::string& why) {
    std::optional<SavedState> state;
    if (in.empty()) {
        why = "fichier vide";
    } else if (!is_state_file(in)) {
        why = "pas un fichier d'horloge virtuelle";
    } else if (is_earlier_version(in) && version_of(in) == kFirstVersion) {
        // 92 bytes; longer when an upgrade was cut short.
        state = first_version(in.data());
        if (!state) why = "somme de contrôle fausse";
        if (state && !sane(*state)) {
            why = "valeurs impossibles";
            state.reset();
        }
    } else if (is_earlier_version(in)) {
        state = second_version(in, why);
    } else if (in.size() != kStateFileSize) {
        why = in.size() < kStateFileSize ? "fichier tronqué" : "fichier trop long";
    } else {
        Record first_judged, second_judged;
        const auto first = record_at(in.data(), first_judged);
        const auto second = record_at(in.data() + kRecordSize, second_judged);
        state = newer(first, second);
        if (!state) why = why_neither(first_judged, second_judged);
    }
    return state;
}

std::optional<SavedState> decode_settled(
    std::vector<std::uint8_t>& bytes, const std::function<bool(std::vector<std::uint8_t>&)>& again,
    int tries, std::string& why) {
    for (int read = 1;; ++read) {
        why.clear();
        if (auto state = decode_state(bytes, why)) return state;
        if (read >= tries || !again(bytes)) return std::nullopt;
    }
}

}  // namespace iowvirt
