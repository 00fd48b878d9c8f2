// The user alert: a modal box with a text, a caption and a single OK button.
// Texts and captions are Windows-1252 byte strings.
#pragma once

namespace alerte {

// Shows the alert and returns once the user has acknowledged it.
void afficher(const char* texte, const char* titre);

// Where alerts go instead of the platform's box: tools and tests that run
// unattended. A null receiver restores the platform's presentation.
using Recepteur = void (*)(const char* texte, const char* titre);
void rediriger(Recepteur recepteur);

}  // namespace alerte
