// Windows-1252, the code page of the block's texts, for terminals that speak
// UTF-8.
#pragma once

#include <cstddef>

namespace texte {

// Converts into a caller's buffer (no heap: alerts run inside the host's
// step). Stops before a character that would not fit; always ends the result
// with a NUL. Returns its length.
std::size_t cp1252_vers_utf8(const char* texte, char* sortie, std::size_t taille);

// Room for the longest alert line: its caption and text as they are cut
// in UTF-8, the brackets, the line end and the NUL.
inline constexpr std::size_t kLigneAlerteMax = 1040;

// An alert as one line, "[caption] text\n", in UTF-8, into a caller's
// buffer; cut where it would not fit. Returns its length.
std::size_t ligne_d_alerte(const char* texte, const char* titre, char* sortie, std::size_t taille);

// An alert as one line on stderr, "[caption] text", in UTF-8; no heap.
void alerte_sur_console(const char* texte, const char* titre);

}  // namespace texte
