// Windows-1252, the code page of the block's texts and of the files French
// Windows programs save in their "ANSI" form.
#pragma once

#include <cstdint>

namespace texte {

// Code points of 0x80-0x9F in Windows-1252; 0 where the code page has a hole.
inline constexpr char16_t kCp1252From80To9F[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The code point of one Windows-1252 byte; U+FFFD for a hole.
inline char32_t cp1252_point(std::uint8_t byte) {
    if (byte < 0x80 || byte > 0x9F) return byte;
    const char32_t point = kCp1252From80To9F[byte - 0x80];
    return point == 0 ? 0xFFFD : point;
}

}  // namespace texte
