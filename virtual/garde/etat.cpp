#include "virtual/garde/etat.h"

#include <array>
#include <cstring>

namespace iowvirt {

namespace {

// A record, little-endian: mark, version, exercise flags, sequence number,
// 64 registers, the moment of the chip's time source they stand at (ms),
// how far into its second the divider was (ms), CRC-32 of everything
// before it.
constexpr char kMark[8] = {'R', 'T', 'C', 'I', 'O', 'W', '2', '4'};
constexpr std::uint32_t kVersion = 2;
constexpr std::size_t kVersionAt = 8, kFlagsAt = 12, kSequenceAt = 16, kRegistersAt = 24,
                      kMomentAt = 88, kIntoSecondAt = 96, kChecksumAt = 100;
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

bool sane(const SavedState& state) {
    return state.chip.at_ms >= kFirstMomentMs && state.chip.at_ms <= kLastMomentMs &&
           state.chip.into_second_ms >= 0 && state.chip.into_second_ms < kMsPerSecond &&
           (state.flags & ~kKnownFlags) == 0;
}

// How one record stands on its own: each carries its mark, its version and
// its checksum, so a damaged one never costs the other.
enum class Record { whole, foreign, unknown_version, damaged, impossible };

Record judge(const std::uint8_t* in) {
    if (std::memcmp(in, kMark, sizeof kMark) != 0) return Record::foreign;
    // A later version may keep its checksum elsewhere.
    if (get(in, kVersionAt, 4) != kVersion) return Record::unknown_version;
    if (get(in, kChecksumAt, 4) != crc32(in, kChecksumAt)) return Record::damaged;
    return Record::whole;
}

std::optional<SavedState> record_at(const std::uint8_t* in, Record& judged) {
    judged = judge(in);
    if (judged != Record::whole) return std::nullopt;
    SavedState state;
    state.flags = static_cast<std::uint32_t>(get(in, kFlagsAt, 4));
    state.sequence = get(in, kSequenceAt, 8);
    std::memcpy(state.chip.registers.data(), in + kRegistersAt, state.chip.registers.size());
    state.chip.at_ms = static_cast<std::int64_t>(get(in, kMomentAt, 8));
    state.chip.into_second_ms = static_cast<std::int32_t>(get(in, kIntoSecondAt, 4));
    if (sane(state)) return state;
    judged = Record::impossible;
    return std::nullopt;
}

// Why neither record stands: the worst news the two tell.
std::string why_neither(Record first, Record second) {
    const auto either = [&](Record r) { return first == r || second == r; };
    if (either(Record::impossible)) return "valeurs impossibles";
    if (either(Record::damaged)) return "somme de contrôle fausse";
    if (either(Record::unknown_version)) return "version inconnue";
    return "pas un fichier d'horloge virtuelle";
}

std::optional<SavedState> first_version(const std::uint8_t* in) {
    if (get(in, kFirstChecksumAt, 4) != crc32(in, kFirstChecksumAt)) return std::nullopt;
    SavedState state;
    std::memcpy(state.chip.registers.data(), in + kFirstRegistersAt, state.chip.registers.size());
    state.chip.at_ms = static_cast<std::int64_t>(get(in, kFirstMomentAt, 8));
    state.chip.into_second_ms = static_cast<std::int32_t>(get(in, kFirstIntoSecondAt, 4));
    return state;
}

}  // namespace

std::size_t record_offset(std::uint64_t sequence) { return (sequence % 2) * kRecordSize; }

std::vector<std::uint8_t> encode_record(const SavedState& state) {
    std::vector<std::uint8_t> out(kRecordSize);
    std::memcpy(out.data(), kMark, sizeof kMark);
    put(out.data(), kVersionAt, kVersion, 4);
    put(out.data(), kFlagsAt, state.flags, 4);
    put(out.data(), kSequenceAt, state.sequence, 8);
    std::memcpy(out.data() + kRegistersAt, state.chip.registers.data(),
                state.chip.registers.size());
    put(out.data(), kMomentAt, static_cast<std::uint64_t>(state.chip.at_ms), 8);
    put(out.data(), kIntoSecondAt, static_cast<std::uint32_t>(state.chip.into_second_ms), 4);
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
    return marked(0) || (in.size() == kStateFileSize && marked(kRecordSize));
}

bool is_first_version(const std::vector<std::uint8_t>& in) {
    return in.size() >= kFirstSize && in.size() < kStateFileSize &&
           get(in.data(), kVersionAt, 4) == kFirstVersion;
}

std::optional<SavedState> decode_state(const std::vector<std::uint8_t>& in, std::string& why) {
    std::optional<SavedState> state;
    if (in.empty()) {
        why = "fichier vide";
    } else if (!is_state_file(in)) {
        why = "pas un fichier d'horloge virtuelle";
    } else if (is_first_version(in)) {
        // 92 bytes; longer when an upgrade to two records was cut short.
        state = first_version(in.data());
        if (!state) why = "somme de contrôle fausse";
        if (state && !sane(*state)) {
            why = "valeurs impossibles";
            state.reset();
        }
    } else if (in.size() != kStateFileSize) {
        why = in.size() < kStateFileSize ? "fichier tronqué" : "fichier trop long";
    } else {
        Record first_judged, second_judged;
        const auto first = record_at(in.data(), first_judged);
        const auto second = record_at(in.data() + kRecordSize, second_judged);
        state = !second || (first && first->sequence > second->sequence) ? first : second;
        if (!state) why = why_neither(first_judged, second_judged);
    }
    return state;
}

SavedState counted_from(const std::vector<std::uint8_t>& bytes, const SavedState& newer,
                        std::int64_t now_ms) {
    if ((newer.flags & kSpell) == 0 || bytes.size() != kStateFileSize) return newer;
    Record judged;
    const auto before = record_at(bytes.data() + record_offset(newer.sequence + 1), judged);
    if (!before || before->sequence + 1 != newer.sequence || now_ms < before->chip.at_ms)
        return newer;
    SavedState chosen = *before;
    chosen.sequence = newer.sequence;
    return chosen;
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
