#include "host/script/introuvable.h"

#include <string_view>

#include "host/systeme/systeme.h"
#include "platform/lettres.h"

namespace host {

namespace {

// The virtual IOW24's variables that a teacher or a student sets by hand.
constexpr const char* kVariables[] = {"IOWVIRT", "IOWVIRT_STATE"};

// The extensions Notepad and Excel give a table.
constexpr const char* kExtensions[] = {".csv", ".txt"};

}  // namespace

std::vector<std::string> spaced_variables(const std::vector<std::string>& names) {
    std::vector<std::string> said;
    for (const std::string& name : names) {
        const std::size_t first = name.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        const std::string_view core =
            std::string_view(name).substr(first, name.find_last_not_of(" \t") - first + 1);
        if (core.size() == name.size()) continue;
        for (const char* variable : kVariables)
            if (texte::same_letters(core, variable))
                said.push_back("la variable \"" + name +
                               "\" a des espaces dans son nom : elle ne compte pas. Écrivez " +
                               "set " + variable + "=..., sans espace autour du signe =.");
    }
    return said;
}

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
