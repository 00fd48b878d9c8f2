// The clock chip keeps every field in packed BCD: tens digit in the high
// nibble, units in the low nibble.
#pragma once

#include <cstdint>

// ((v / 10) * 16 + v % 10) modulo 256: packed BCD for 0-99; above that the
// high digit runs past 9 and wraps (100 -> 0xA0, 160 -> 0x00, 255 -> 0x95).
std::uint8_t decimal_vers_bcd(std::uint8_t valeur);

// High nibble times ten plus low nibble, no digit checked (0xFF -> 165).
double bcd_vers_decimal(std::uint8_t octet);

// A pin value as the byte the clock gets: truncated toward zero into a
// signed 16-bit integer (-32768 for anything outside that range, NaN and the
// infinities included), of which the low 8 bits are kept.
std::uint8_t octet_de_broche(double valeur);
