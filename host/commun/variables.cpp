#include "host/commun/variables.h"

#include <string_view>

#include "platform/lettres.h"

namespace host {

namespace {

// The ones set by hand.
constexpr const char* kVariables[] = {"IOWVIRT", "IOWVIRT_STATE"};

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

}  // namespace host
