#include "platform/texte.h"

#include "platform/cp1252.h"

#include <cstdint>
#include <cstdio>

namespace texte {

namespace {

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
        const char32_t point = cp1252_point(static_cast<std::uint8_t>(*p));
        char octets[3];
        const std::size_t n = encoder_utf8(point, octets);
        if (longueur + n >= taille) break;
        for (std::size_t i = 0; i < n; ++i)
            sortie[longueur++] = octets[i];
    }
    sortie[longueur] = '\0';
    return longueur;
}

std::size_t ligne_d_alerte(const char* texte, const char* titre, char* sortie, std::size_t taille) {
    char titre_utf8[256];
    char texte_utf8[768];
    cp1252_vers_utf8(titre, titre_utf8, sizeof titre_utf8);
    cp1252_vers_utf8(texte, texte_utf8, sizeof texte_utf8);
    std::size_t longueur = 0;
    const char* const morceaux[] = {"[", titre_utf8, "] ", texte_utf8, "\n"};
    for (const char* morceau : morceaux)
        for (const char* p = morceau; *p != '\0' && longueur + 1 < taille; ++p)
            sortie[longueur++] = *p;
    if (taille > 0) sortie[longueur] = '\0';
    return longueur;
}

void alerte_sur_console(const char* texte, const char* titre) {
    char ligne[kLigneAlerteMax];
    ligne_d_alerte(texte, titre, ligne, sizeof ligne);
    // No printf: in the Windows DLL it would bring in a whole formatter.
    std::fputs(ligne, stderr);
    std::fflush(stderr);
}

}  // namespace texte
