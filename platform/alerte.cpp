#include "platform/alerte.h"

namespace alerte {

// Provided by the platform's own unit (message box or terminal).
void montrer(const char* texte, const char* titre);

namespace {
Recepteur recepteur_actuel = nullptr;
}  // namespace

void afficher(const char* texte, const char* titre) {
    if (recepteur_actuel != nullptr) {
        recepteur_actuel(texte, titre);
    } else {
        montrer(texte, titre);
    }
}

void rediriger(Recepteur recepteur) { recepteur_actuel = recepteur; }

}  // namespace alerte
