#include "platform/console.h"

namespace texte {

// Terminals here speak UTF-8.
void ecrire(std::FILE* flux, std::string_view texte) {
    std::fwrite(texte.data(), 1, texte.size(), flux);
}

}  // namespace texte
