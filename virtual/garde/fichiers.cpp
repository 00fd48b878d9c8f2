// What the virtual IOW24's files share on every platform, above the
// platform's own calls.
#include <string_view>

#include "platform/lettres.h"
#include "virtual/garde/fichiers.h"
#include "virtual/garde/fichiers_plateforme.h"
#include "virtual/garde/occupe.h"

namespace iowvirt::fichiers {

namespace {

// Names tried for a file put aside before giving up.
constexpr int kAsideTries = 1000;
// A process number has no more digits than this.
constexpr std::size_t kMostPidDigits = 9;

}  // namespace

StateFile::Made StateFile::create(const std::string& path, const std::vector<std::uint8_t>& bytes,
                                  std::vector<std::uint8_t>& found, std::string& why) {
    const Busy making;
    close();
    if (!make_folders(folder_of(path), why)) return Made::failed;
    // Moved in only where nothing is: a file another program made meanwhile
    // is kept, and taken as it is. Made once per place: its flush costs
    // nothing a step would see.
    const texte::Placed placed =
        texte::place_whole_file(path, std::string(bytes.begin(), bytes.end()), kTemporaryMark, why);
    if (placed == texte::Placed::failed) return Made::failed;
    if (open(path, kRecordsSize, found, why) != Found::regular) {
        why = path + " : " + (why.empty() ? "introuvable une fois fait" : why);
        close();
        return Made::failed;
    }
    if (placed == texte::Placed::taken) return Made::taken;
    dirty_ = true;
    return Made::made;
}

std::optional<std::string> put_aside(const std::string& path, const std::string& aside) {
    const Busy moving;
    for (int i = 1; i <= kAsideTries; ++i) {
        const std::string name = i == 1 ? aside : aside + "-" + std::to_string(i);
        const texte::Placed moved = texte::rename_if_free(path, name);
        if (moved == texte::Placed::placed) return name;
        if (moved == texte::Placed::failed) return std::nullopt;
    }
    return std::nullopt;
}

// Temporaries are named after their file, their program and a count.
void remove_own_temporaries(const std::string& path) {
    const Busy cleaning;
    const std::string folder = folder_of(path);
    const std::string start = name_of(path) + kTemporaryMark;
    for (const std::string& name : texte::file_names(folder)) {
        if (name.rfind(start, 0) != 0) continue;
        const std::string rest = name.substr(start.size());
        const std::size_t dash = rest.find('-');
        if (dash == std::string::npos) continue;
        const std::int64_t pid = texte::digits_only(rest.substr(0, dash), kMostPidDigits);
        const std::int64_t number = texte::digits_only(rest.substr(dash + 1), kMostPidDigits);
        // Another program's temporary while it runs is its own business.
        if (pid >= 0 && number >= 0 && program_gone(static_cast<long>(pid)))
            remove_file(in_folder(folder, name));
    }
}

bool write_whole(const std::string& path, const std::string& text) {
    const Busy writing;
    return texte::write_whole_file(path, text, kTemporaryMark);
}

std::vector<std::string> names_starting(const std::string& folder, const std::string& start) {
    const Busy listing;
    std::vector<std::string> names;
    for (const std::string& name : texte::file_names(folder))
        if (texte::same_letters(std::string_view(name).substr(0, start.size()), start))
            names.push_back(name);
    return names;
}

}  // namespace iowvirt::fichiers
