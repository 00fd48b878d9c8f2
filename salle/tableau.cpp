#include "salle/tableau.h"

#include "platform/citation.h"
#include "platform/decodage.h"
#include "platform/lettres.h"
#include "platform/tableur.h"

namespace salle {

namespace {

constexpr const char* kPcColumn = "poste";
constexpr const char* kExerciseColumn = "exercice";
constexpr const char* kCommentColumn = "commentaire";
constexpr char kNotes = '#';
// A row per PC: a room has a few dozen at most.
constexpr std::size_t kMostRows = 1000;

struct Columns {
    std::size_t pc = 0, exercise = 0, comment = 0;  // from 1; 0: none
};

std::string quoted(const std::string& text) { return "« " + texte::cite(text, 40) + " »"; }

std::string cell(const std::vector<texte::Cell>& cells, std::size_t column) {
    for (const texte::Cell& c : cells)
        if (c.column == column) return c.text;
    return "";
}

bool header(const std::vector<texte::Cell>& cells, Columns& columns, RoomTable& table, int line) {
    for (const texte::Cell& c : cells) {
        if (texte::same_letters(c.text, kPcColumn))
            columns.pc = c.column;
        else if (texte::same_letters(c.text, kExerciseColumn))
            columns.exercise = c.column;
        else if (texte::same_letters(c.text, kCommentColumn))
            columns.comment = c.column;
        else if (!c.text.empty() && c.text[0] != kNotes)
            table.warnings.push_back("ligne " + std::to_string(line) + ", colonne " +
                                     std::to_string(c.column) + " : " + quoted(c.text) +
                                     " n'est pas une colonne du tableau (poste, exercice, "
                                     "commentaire) ; une colonne de notes commence par #");
    }
    return columns.pc != 0 && columns.exercise != 0;
}

}  // namespace

RoomTable read_room_table(std::string_view bytes) {
    RoomTable table;
    const std::string text = texte::en_utf8(bytes);
    texte::Lines lines(text);
    std::string_view line;
    Columns columns;
    bool header_read = false;
    char separator = ';';
    while (lines.next(line)) {
        if (texte::blank_line(line)) continue;
        const std::string where = "ligne " + std::to_string(lines.number());
        if (!header_read) separator = texte::separator_of_header(line);
        const texte::Cells split = texte::split_cells(line, separator);
        if (!split.error.empty()) {
            table.warnings.push_back(where + ", " + split.error + " : ligne laissée de côté");
            continue;
        }
        if (!header_read) {
            // Lines of notes above the header, as a teacher may write; but
            // a header may begin with a notes column.
            Columns named;
            RoomTable unused;
            const bool names_columns = header(split.cells, named, unused, lines.number());
            if (!names_columns && line.find_first_not_of(" \t") == line.find(kNotes)) continue;
            header_read = header(split.cells, columns, table, lines.number());
            if (!header_read) {
                table.error = where +
                              " : l'en-tête doit nommer les colonnes poste et exercice "
                              "(poste;exercice;commentaire)";
                return table;
            }
            continue;
        }
        RoomRow row{cell(split.cells, columns.pc), cell(split.cells, columns.exercise),
                    columns.comment == 0 ? "" : cell(split.cells, columns.comment), lines.number()};
        if (row.pc.empty() && row.exercise.empty()) continue;
        if (row.pc.empty()) {
            table.warnings.push_back(where + " : un exercice sans nom de poste, laissé de côté");
            continue;
        }
        if (const RoomRow* first = row_of(table, row.pc)) {
            table.warnings.push_back(where + " : le poste " + quoted(row.pc) +
                                     " est déjà à la ligne " + std::to_string(first->line) +
                                     " ; seule celle-là compte");
            continue;
        }
        if (table.rows.size() == kMostRows) {
            table.warnings.push_back(where + " : plus de " + std::to_string(kMostRows) +
                                     " postes ; la suite est laissée de côté");
            break;
        }
        table.rows.push_back(std::move(row));
    }
    if (!header_read) table.error = "aucune ligne d'en-tête (poste;exercice;commentaire)";
    return table;
}

const RoomRow* row_of(const RoomTable& table, const std::string& pc) {
    for (const RoomRow& row : table.rows)
        if (texte::same_letters(row.pc, pc)) return &row;
    return nullptr;
}

}  // namespace salle
