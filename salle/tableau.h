// The teacher's table of a room's exercises, exercices.csv: a header
// `poste;exercice;commentaire`, then one row per PC, saved by Excel or
// Notepad in any of their forms. A blank exercise plants nothing; a column
// whose name starts with '#' holds notes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace salle {

struct RoomRow {
    std::string pc;
    std::string exercise;  // the words, as typed
    std::string comment;
    int line = 0;
};

struct RoomTable {
    std::vector<RoomRow> rows;
    // What a teacher should mend (French): a row with no PC's name, a PC
    // named twice, an unknown column. The table is read all the same.
    std::vector<std::string> warnings;
    // Why nothing of it can be read: no header, a quote with no end.
    std::string error;
};

RoomTable read_room_table(std::string_view bytes);

// The row of the PC named `pc`, in any case (Windows names PCs in
// capitals, a teacher may not); null when the table has none.
const RoomRow* row_of(const RoomTable& table, const std::string& pc);

}  // namespace salle
