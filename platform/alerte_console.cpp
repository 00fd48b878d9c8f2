// Alerts where there is no message box: the caption and the text on stderr,
// in UTF-8, and the block goes on at once.
#include "platform/alerte.h"
#include "platform/texte.h"

namespace alerte {

void montrer(const char* texte, const char* titre) { texte::alerte_sur_console(texte, titre); }

}  // namespace alerte
