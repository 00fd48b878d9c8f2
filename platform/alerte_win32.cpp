// Alerts on Windows: the user interface library's modal message box, with no
// owner window, an OK button and no icon.
#include <windows.h>

namespace alerte {

void montrer(const char* texte, const char* titre) { MessageBoxA(nullptr, texte, titre, MB_OK); }

}  // namespace alerte
