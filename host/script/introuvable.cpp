#include "host/script/introuvable.h"

#include <vector>

#include "host/systeme/systeme.h"
#include "platform/lettres.h"

namespace host {

namespace {

// The extensions Notepad and Excel give a table.
constexpr const char* kExtensions[] = {".csv", ".txt"};

}  // namespace

std::string misnamed_file(const std::string& path) {
    std::vector<std::string> candidates;
    for (const char* extension : kExtensions)
        candidates.push_back(path + extension);
    // essai.csv given, essai.txt there: Notepad's own extension.
    for (const char* given : kExtensions)
        if (texte::ends_with_letters(path, given))
            for (const char* other : kExtensions)
                if (other != given) candidates.push_back(path.substr(0, path.size() - 4) + other);
    for (const std::string& there : candidates) {
        if (!file_exists(there)) continue;
        return "Il y a " + there + " : son nom est en vérité " + file_name(there) +
               " (Windows cache la fin des noms). Donnez --script \"" + there +
               "\", ou renommez le fichier.";
    }
    return "";
}

}  // namespace host
