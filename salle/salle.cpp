#include "salle/salle.h"

#include <ctime>

#include "platform/decodage.h"
#include "platform/fichier.h"
#include "platform/tableur.h"

namespace salle {

std::optional<std::string> read_file(const std::string& path, std::size_t most) {
    texte::WholeFile file = texte::read_whole_file(path, most, true);
    if (!file.read) return std::nullopt;
    return std::move(file.text);
}

std::string room_folder_named(std::string_view bytes) {
    const std::string text = texte::en_utf8(bytes);
    texte::Lines lines(text);
    std::string_view line;
    while (lines.next(line)) {
        const std::size_t first = line.find_first_not_of(" \t\"");
        if (first == std::string_view::npos || line[first] == '#') continue;
        const std::size_t last = line.find_last_not_of(" \t\"");
        return std::string(line.substr(first, last - first + 1));
    }
    return "";
}

std::string room_folder() {
    std::string folder;
    if (variable(kRoomVariable, folder) && !folder.empty()) return folder == kNoRoom ? "" : folder;
    const std::string pc = pc_folder();
    if (pc.empty()) return "";
    const auto bytes = read_file(pc + kRoomFile, kMostRoomFileBytes);
    return bytes ? room_folder_named(*bytes) : "";
}

std::string pc_name() {
    std::string name;
    if (variable(kPcVariable, name) && !name.empty()) return name;
    return computer_name();
}

std::string in_folder(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    if (last == '/' || last == '\\') return folder + name;
    // A share's path keeps its own separators: \\serveur\salle, or Z:\salle.
    const bool backslash = folder.find('\\') != std::string::npos;
    return folder + (backslash ? "\\" : "/") + name;
}

std::string local_text(std::int64_t seconds) {
    const std::tm local = local_time(seconds);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::int64_t local_midnight(std::int64_t seconds) {
    std::tm local = local_time(seconds);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

}  // namespace salle
