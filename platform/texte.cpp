#include "platform/texte.h"

#include <cstdint>
#include <cstdio>

namespace texte {

namespace {

// Code points of 0x80-0x9F in Windows-1252; 0 where the code page has a hole.
constexpr char16_t plage_80_9F[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Encodes one code point of the Basic Multilingual Plane; returns its length.
std::size_t encoder_utf8(char32_t point, char (&octets)[3]) {
    if (point < 0x80) {
        octets[0] = static_cast<char>(point);
        return 1;
    }
    if (point < 0x800) {
        octets[0] = static_cast<char>(0xC0 | (point >> 6));
        octets[1] = static_cast<char>(0x80 | (point & 0x3F));
        return 2;
    }
    octets[0] = static_cast<char>(0xE0 | (point >> 12));
    octets[1] = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    octets[2] = static_cast<char>(0x80 | (point & 0x3F));
    return 3;
}
}  // namespace

std::size_t cp1252_vers_utf8(const char* texte, char* sortie, std::size_t taille) {
    if (taille == 0) return 0;
    std::size_t longueur = 0;
    for (const char* p = texte; *p != '\0'; ++p) {
        const auto octet = static_cast<std::uint8_t>(*p);
        char32_t point = octet;
        if (octet >= 0x80 && octet <= 0x9F) {
            point = plage_80_9F[octet - 0x80];
            if (point == 0) point = 0xFFFD;
        }
        char octets[3];
        const std::size_t n = encoder_utf8(point, octets);
        if (longueur + n >= taille) break;
        for (std::size_t i = 0; i < n; ++i)
            sortie[longueur++] = octets[i];
    }
    sortie[longueur] = '\0';
    return longueur;
}

void alerte_sur_console(const char* texte, const char* titre) {
    char titre_utf8[256];
    char texte_utf8[768];
    cp1252_vers_utf8(titre, titre_utf8, sizeof titre_utf8);
    cp1252_vers_utf8(texte, texte_utf8, sizeof texte_utf8);
    // No printf: in the Windows DLL it would bring in a whole formatter.
    std::fputs("[", stderr);
    std::fputs(titre_utf8, stderr);
    std::fputs("] ", stderr);
    std::fputs(texte_utf8, stderr);
    std::fputs("\n", stderr);
    std::fflush(stderr);
}

}  // namespace texte
