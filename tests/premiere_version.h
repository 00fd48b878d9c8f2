// State files of the virtual clock's earlier versions, as earlier releases
// saved them.
#pragma once

#include <cstdint>
#include <string>

// CRC-32 (ZIP's) of the first `size` bytes, put after them little-endian.
inline void put_crc32(std::string& record, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint8_t>(record[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc = ~crc;
    for (int i = 0; i < 4; ++i)
        record[size + i] = static_cast<char>(crc >> (8 * i));
}

// The first version: one record of 92 bytes (mark, version 1, 64
// registers, the moment in ms, the divider's phase, CRC-32 of what comes
// before).
inline std::string first_version_file(const std::uint8_t (&time)[7], std::int64_t at_ms,
                                      std::uint32_t into_second_ms) {
    std::string file = std::string("RTCIOW24") + std::string("\x01\0\0\0", 4);
    file.resize(92, '\0');
    for (int i = 0; i < 7; ++i)
        file[12 + i] = static_cast<char>(time[i]);
    const auto put = [&](std::size_t at, std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file[at + i] = static_cast<char>(value >> (8 * i));
    };
    put(76, static_cast<std::uint64_t>(at_ms), 8);
    put(84, into_second_ms, 4);
    put_crc32(file, 88);
    return file;
}

// A record of the virtual clock's second version, as the release before
// this one saved two of them: 104 bytes (mark, version 2, flags, sequence,
// 64 registers, the moment on the PC's clock in ms, the divider's phase,
// CRC-32 of what comes before). Flag 1 << 5: kept while the PC's clock was
// behind the other record's moment.
inline std::string second_version_record(std::uint8_t seconds, std::int64_t at_ms,
                                         std::uint64_t sequence, std::uint32_t flags = 0) {
    std::string record = std::string("RTCIOW24") + std::string("\x02\0\0\0", 4);
    record.resize(104, '\0');
    const auto put = [&](std::size_t at, std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            record[at + i] = static_cast<char>(value >> (8 * i));
    };
    put(12, flags, 4);
    put(16, sequence, 8);
    record[24] = static_cast<char>(seconds);
    put(88, static_cast<std::uint64_t>(at_ms), 8);
    put_crc32(record, 100);
    return record;
}
