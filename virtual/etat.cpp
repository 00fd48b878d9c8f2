#include "virtual/etat.h"

#include <cstring>

namespace iowvirt {

namespace {

// Layout, little-endian: mark, version, 64 registers, the moment of the
// chip's time source they stand at (ms), how far into its second the
// divider was (ms), CRC-32 of everything before it.
constexpr char kMark[8] = {'R', 'T', 'C', 'I', 'O', 'W', '2', '4'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kVersionAt = 8, kRegistersAt = 12, kMomentAt = 76, kIntoSecondAt = 84,
                      kChecksumAt = 88, kSize = kStateFileSize;
constexpr std::int32_t kMsPerSecond = 1000;

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put(std::vector<std::uint8_t>& out, std::size_t at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t get(const std::vector<std::uint8_t>& in, std::size_t at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<std::uint64_t>(in[at + i]) << (8 * i);
    return value;
}

}  // namespace

std::vector<std::uint8_t> encode_state(const ChipState& state) {
    std::vector<std::uint8_t> out(kSize);
    std::memcpy(out.data(), kMark, sizeof kMark);
    put(out, kVersionAt, kVersion, 4);
    std::memcpy(out.data() + kRegistersAt, state.registers.data(), state.registers.size());
    put(out, kMomentAt, static_cast<std::uint64_t>(state.at_ms), 8);
    put(out, kIntoSecondAt, static_cast<std::uint32_t>(state.into_second_ms), 4);
    put(out, kChecksumAt, crc32(out.data(), kChecksumAt), 4);
    return out;
}

std::optional<ChipState> decode_state(const std::vector<std::uint8_t>& in, std::string& why) {
    if (in.empty()) {
        why = "fichier vide";
    } else if (in.size() < sizeof kMark || std::memcmp(in.data(), kMark, sizeof kMark) != 0) {
        why = "pas un fichier d'horloge virtuelle";
    } else if (in.size() < kRegistersAt || get(in, kVersionAt, 4) != kVersion) {
        why = in.size() < kRegistersAt ? "fichier tronqué" : "version inconnue";
    } else if (in.size() != kSize) {
        why = in.size() < kSize ? "fichier tronqué" : "fichier trop long";
    } else if (get(in, kChecksumAt, 4) != crc32(in.data(), kChecksumAt)) {
        why = "somme de contrôle fausse";
    } else {
        ChipState state;
        std::memcpy(state.registers.data(), in.data() + kRegistersAt, state.registers.size());
        state.at_ms = static_cast<std::int64_t>(get(in, kMomentAt, 8));
        state.into_second_ms = static_cast<std::int32_t>(get(in, kIntoSecondAt, 4));
        if (state.into_second_ms >= 0 && state.into_second_ms < kMsPerSecond) return state;
        why = "valeurs impossibles";
    }
    return std::nullopt;
}

}  // namespace iowvirt
