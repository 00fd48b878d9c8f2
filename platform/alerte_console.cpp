// Alerts where there is no message box: the caption and the text on stderr,
// in UTF-8, and the block goes on at once.
#include <cstdio>

#include "platform/alerte.h"
#include "platform/texte.h"

namespace alerte {

void montrer(const char* texte, const char* titre) {
    char titre_utf8[256];
    char texte_utf8[768];
    texte::cp1252_vers_utf8(titre, titre_utf8, sizeof titre_utf8);
    texte::cp1252_vers_utf8(texte, texte_utf8, sizeof texte_utf8);
    std::fprintf(stderr, "[%s] %s\n", titre_utf8, texte_utf8);
    std::fflush(stderr);
}

}  // namespace alerte
