// What the virtual IOW24's files share on every platform, above the
// platform's own calls.
#include <string_view>

#include "platform/lettres.h"
#include "virtual/garde/fichiers.h"
#include "virtual/garde/occupe.h"

namespace iowvirt::fichiers {

bool write_whole(const std::string& path, const std::string& text) {
    const Busy writing;
    return texte::write_whole_file(path, text, kTemporaryMark);
}

std::vector<std::string> names_starting(const std::string& folder, const std::string& start) {
    std::vector<std::string> names;
    for (const std::string& name : texte::file_names(folder))
        if (texte::same_letters(std::string_view(name).substr(0, start.size()), start))
            names.push_back(name);
    return names;
}

}  // namespace iowvirt::fichiers
