#include "rtc/bcd.h"

#include <cmath>

namespace {
constexpr std::uint8_t BITS_CHIFFRE = 4;
constexpr std::uint8_t MASQUE_CHIFFRE = 0x0F;

// The signed 16-bit range and the value that stands for anything outside it.
constexpr double PLANCHER_16_BITS = -32768.0;
constexpr double PLAFOND_16_BITS = 32767.0;
constexpr std::int32_t HORS_PLAGE_16_BITS = -32768;
constexpr std::int32_t MASQUE_OCTET = 0xFF;
}  // namespace

std::uint8_t decimal_vers_bcd(std::uint8_t valeur) {
    return static_cast<std::uint8_t>((valeur / 10) << BITS_CHIFFRE | (valeur % 10));
}

double bcd_vers_decimal(std::uint8_t octet) {
    return (octet >> BITS_CHIFFRE) * 10 + (octet & MASQUE_CHIFFRE);
}

std::uint8_t octet_de_broche(double valeur) {
    // The range test comes before any conversion: a double outside the target
    // type, or NaN, must never reach a cast. NaN fails both comparisons.
    const double tronquee = std::trunc(valeur);
    std::int32_t entier = HORS_PLAGE_16_BITS;
    if (tronquee >= PLANCHER_16_BITS && tronquee <= PLAFOND_16_BITS) {
        entier = static_cast<std::int32_t>(tronquee);
    }
    return static_cast<std::uint8_t>(entier & MASQUE_OCTET);
}
