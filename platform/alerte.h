// The user alert: a modal box with a text, a caption and a single OK button.
// Texts and captions are Windows-1252 byte strings.
#pragma once

#include <cstddef>

namespace alerte {

// Shows the alert and returns once the user has acknowledged it.
void afficher(const char* texte, const char* titre);

// Where alerts go instead of the platform's box: tools and tests that run
// unattended. A null receiver restores the platform's presentation.
using Recepteur = void (*)(const char* texte, const char* titre);
void rediriger(Recepteur recepteur);

// Windows-1252 to UTF-8, for consoles and terminals, into a caller's buffer
// (no heap: alerts run inside the host's step). Stops before a character that
// would not fit; always ends the result with a NUL. Returns its length.
std::size_t cp1252_vers_utf8(const char* texte, char* sortie, std::size_t taille);

}  // namespace alerte
