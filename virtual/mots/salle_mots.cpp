#include "virtual/mots/salle_mots.h"

#include "platform/citation.h"
#include "salle/salle.h"
#include "salle/tableau.h"
#include "virtual/garde/occupe.h"

namespace iowvirt {

RoomWords room_words() {
    RoomWords room;
    // A share, however slow, is no IOW24 time.
    const Busy on_the_share;
    const std::string folder = salle::room_folder();
    if (folder.empty()) return room;
    room.table = salle::in_folder(folder, salle::kTableFile);
    room.pc = salle::pc_name();
    const auto bytes = salle::read_file(room.table, salle::kMostTableBytes);
    if (!bytes) {
        room.notes = "le tableau de la salle " + texte::cite_path(room.table) +
                     " ne peut pas être lu (absent, illisible, ou plus de " +
                     std::to_string(salle::kMostTableBytes / 1024) + " Ko)";
        return room;
    }
    const salle::RoomTable table = salle::read_room_table(*bytes);
    room.read = table.error.empty();
    const auto note = [&](const std::string& text) {
        room.notes += (room.notes.empty() ? "" : " ; ") + text;
    };
    if (!table.error.empty()) note(texte::cite_path(room.table) + ", " + table.error);
    for (const std::string& warning : table.warnings)
        note(texte::cite_path(room.table) + ", " + warning);
    if (const salle::RoomRow* row = salle::row_of(table, room.pc)) {
        room.found = true;
        room.cell = row->exercise;
        room.line = row->line;
    }
    return room;
}

}  // namespace iowvirt
