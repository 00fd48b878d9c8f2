// The words in force, where they come from and what they plant: IOWVIRT,
// the room's table, the PC's file or the copy's iowvirt.txt, read anew at
// every open with no handle open. What a teacher is told of them.
#include <functional>
#include <string>
#include <vector>

#include "platform/citation.h"
#include "platform/decodage.h"
#include "platform/lettres.h"
#include "virtual/garde/fichiers.h"
#include "virtual/mots/fenetre.h"
#include "virtual/mots/mots.h"
#include "virtual/mots/reglages.h"
#include "virtual/mots/salle_mots.h"
#include "virtual/pile/etat.h"

namespace iowvirt {

namespace {

constexpr const char* kWordsVariable = "IOWVIRT";
constexpr const char* kWordsFile = "iowvirt.txt";
// Names another file than the PC's own exercise file (for tests).
constexpr const char* kPcVariable = "IOWVIRT_EXERCICE";
// Seconds since 1970 that the chip sees as the PC's clock, standing still:
// for tests of long absences.
constexpr const char* kNowVariable = "IOWVIRT_NOW";
constexpr std::int64_t kMsPerSecond = 1000;
// IOWVIRT_NOW takes the moments a clock chip of this century can stand at.
constexpr std::int64_t kFirstNow = kFirstMoment, kLastNow = kLastMoment;
constexpr std::size_t kMostNowDigits = 11;
// iowvirt.txt holds a few words; no more of its text is read. Read raw,
// enough bytes for that much text in any form it may be saved in (UTF-16
// takes two bytes or more for a byte of UTF-8).
constexpr std::size_t kMostWordBytes = 4096;
constexpr std::size_t kMostRawBytes = 4 * kMostWordBytes;
// Unknown words told one by one; the rest are counted.
constexpr std::size_t kMostUnknownTold = 3;
// In the teacher's view, which a teacher reads to mend the file.
constexpr std::size_t kMostUnknownShown = 20;

}  // namespace

std::optional<std::int64_t> fixed_now(std::string& wrong) {
    std::string now;
    if (!fichiers::variable(kNowVariable, now)) return std::nullopt;
    const std::int64_t seconds = texte::digits_only(now, kMostNowDigits);
    if (seconds < kFirstNow || seconds > kLastNow) {
        wrong = std::string(kNowVariable) + " vaut \"" + texte::cite(now) +
                "\" : il faut un nombre entier de secondes depuis 1970, de " +
                std::to_string(kFirstNow) + " (an 2000) à " + std::to_string(kLastNow) +
                " ; l'horloge du PC est utilisée.";
        return std::nullopt;
    }
    return seconds * kMsPerSecond;
}

namespace {

// What is wrong with a file, noted in a line for the teacher's view.
std::function<void(const std::string&)> noted(std::string& notes) {
    return [&notes](const std::string& text) { notes += (notes.empty() ? "" : " ; ") + text; };
}

// The words of iowvirt.txt: as Notepad saves it, with or without a mark,
// or in UTF-16; decoded first, then only its first few kilobytes of text,
// cut between words. What is wrong with the file is said; a file saved
// in UTF-16 without its mark only `for_teacher`.
std::string words_file(const std::string& path, const std::function<void(const std::string&)>& say,
                       bool for_teacher) {
    std::string why;
    const auto bytes = fichiers::read(path, kMostRawBytes, why);
    if (!bytes) {
        if (!why.empty()) say("impossible de lire " + texte::cite_path(path) + " (" + why + ")");
        return "";
    }
    std::string raw(bytes->begin(), bytes->end());
    // UTF-16 saved without its mark reads as letters and NULs: no word.
    if (for_teacher && raw.find('\0') != std::string::npos)
        say(texte::cite_path(path) +
            " semble enregistré en UTF-16 sans marque : enregistrez-le de nouveau avec le "
            "Bloc-notes, en UTF-8");
    std::string text = texte::en_utf8(raw);
    if (text.size() > kMostWordBytes) {
        say(texte::cite_path(path) + " dépasse " + std::to_string(kMostWordBytes) +
            " octets de texte : seuls les mots de son début comptent");
        // A word cut by the bound is no word.
        text.resize(kMostWordBytes + 1);
        const std::size_t last_separator = text.find_last_of(kWordSeparators);
        text.resize(last_separator == std::string::npos ? 0 : last_separator);
    }
    return text;
}

// The same, for the teacher's view alone: every word the file's reader
// left aside, with its line.
std::string unknown_for_teacher(const Words& words, const std::string& where) {
    if (words.unknown.empty() && words.out_of_range.empty()) return "";
    std::string text = "mots laissés de côté dans " + texte::cite_path(where) + " :";
    for (std::size_t i = 0; i < words.unknown.size() && i < kMostUnknownShown; ++i)
        text += (i == 0 ? " « " : ", « ") + texte::cite(words.unknown[i], 40, true) + " » (ligne " +
                std::to_string(words.unknown_lines[i]) + ")";
    if (words.unknown.size() > kMostUnknownShown)
        text += " et " + std::to_string(words.unknown.size() - kMostUnknownShown) + " autres";
    for (const std::string& word : words.out_of_range)
        text += " ; « " + texte::cite(word, 40, true) + " » : le nombre va de 0 à " +
                std::to_string(kMostCount);
    return text + " ; mots connus : " + kKnownWords;
}

bool has_words(const std::string& text) {
    const Words words = read_words(text);
    return !words_in_force(words).empty() || !words.unknown.empty();
}

}  // namespace

WordsSource words_source(bool for_teacher) {
    WordsSource found;
    // An empty variable names no file: the PC's own is read, as when unset.
    found.pc = fichiers::pc_words_path();
    std::string named;
    const bool pc_named = fichiers::variable(kPcVariable, named);
    if (pc_named && !named.empty())
        found.pc = named;
    else if (pc_named)
        noted(found.notes)(std::string(kPcVariable) + " est vide : le fichier du PC est lu");
    // What is wrong with the teacher's file is for the teacher's view
    // alone: a student's tools say nothing of it.
    const auto read_pc = [&] {
        if (!found.pc.empty()) found.pc_text = words_file(found.pc, noted(found.notes), true);
    };
    std::string window;
    if (fichiers::variable(kWordsVariable, window) && !window.empty()) {
        found.text = window;
        found.source = kWordsVariable;
        found.from = Planted::window;
        if (for_teacher) found.room = room_words(), read_pc();
        return found;
    }
    if (fichiers::variable(kWordsVariable, window))
        noted(found.notes)(std::string(kWordsVariable) + " est vide : il ne compte pas");
    // The room's table, for every PC of a lab, before the PC's own file.
    found.room = room_words();
    if (found.room.found && has_words(found.room.cell)) {
        found.text = found.room.cell;
        found.source = found.room.table;
        found.from = Planted::room;
        if (for_teacher) read_pc();
        return found;
    }
    read_pc();
    if (has_words(found.pc_text)) {
        found.text = found.pc_text;
        found.source = found.pc;
        found.from = Planted::pc;
        return found;
    }
    found.source = fichiers::library_folder() + kWordsFile;
    found.text = words_file(
        found.source, [&](const std::string& text) { found.told.push_back(text); }, false);
    return found;
}

namespace {

std::string folder_of(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? "" : path.substr(0, separator + 1);
}

// Files in `folder` saved under another name than iowvirt.txt (Notepad
// adds ".txt" when extensions are hidden), which count for nothing.
std::string misnamed(const std::string& folder, const std::string& shown,
                     const std::string& where) {
    std::string text;
    for (const std::string& name : fichiers::names_starting(folder, "iowvirt"))
        if (!texte::same_letters(name, kWordsFile))
            text += " ; " + texte::cite_path(shown + name) + " est " + where + ", mais seul " +
                    kWordsFile + " compte : renommez-le " + kWordsFile;
    return text;
}

// What the PC's file is, for a teacher: a link, its misread words, a
// misnamed file beside it.
std::string pc_file_view(const WordsSource& from) {
    if (from.pc.empty()) return "";
    std::string text;
    const std::string target = fichiers::through_links(from.pc);
    if (target != from.pc)
        text += " ; " + texte::cite_path(from.pc) + " est un lien vers " + texte::cite_path(target);
    const Words words = read_words(from.pc_text);
    const std::string unknown = unknown_for_teacher(words, from.pc);
    if (!unknown.empty()) text += " ; " + unknown;
    const std::string planted = words_in_force(words);
    if ((from.from == Planted::window || from.from == Planted::room) && !planted.empty())
        text +=
            " ; " + texte::cite_path(from.pc) + " plante " + planted + ", sans effet tant que " +
            (from.from == Planted::window ? "IOWVIRT est défini"
                                          : "le tableau de la salle plante des mots pour ce poste");
    // The same folder as the copy's (as in tests) is looked at once, below.
    const std::string folder = folder_of(from.pc);
    if (!has_words(from.pc_text) && folder != fichiers::library_folder())
        text += misnamed(folder, folder, "dans le dossier du PC");
    return text;
}

// The PC's row of its room's table, for a teacher: which PC it is, what
// the row plants when something else wins, what is wrong with the table.
std::string room_view(const WordsSource& from) {
    const RoomWords& room = from.room;
    if (room.table.empty()) return "";
    const std::string table = texte::cite_path(room.table);
    const std::string pc = "« " + texte::cite(room.pc, 40, true) + " »";
    std::string text;
    if (!room.found && room.read)
        text += " ; le poste " + pc + " n'est pas dans le tableau de la salle " + table;
    else if (!has_words(room.cell))
        text += " ; ligne " + std::to_string(room.line) + " du tableau de la salle " + table +
                " : aucun exercice pour le poste " + pc;
    else
        text += " ; poste " + pc + ", ligne " + std::to_string(room.line) + " du tableau " + table;
    const Words words = read_words(room.cell);
    if (from.from == Planted::window && !words_in_force(words).empty())
        text +=
            " : il plante " + words_in_force(words) + ", sans effet tant que IOWVIRT est défini";
    const std::string unknown = unknown_for_teacher(words, room.table);
    if (!unknown.empty()) text += " ; " + unknown;
    if (!room.notes.empty()) text += " ; " + room.notes;
    return text;
}

// The words in force and where they come from, for a teacher; what is
// wrong with the PC's file, and a copy's own file, in force, overruled
// for now, or saved under another name.
std::string setting_of(const std::string& words, const WordsSource& from) {
    // The PC's file in force with no known word still names itself.
    std::string text =
        words.empty() && from.from != Planted::pc
            ? "aucun"
            : (words.empty() ? "aucun" : words) + " (" + texte::cite_path(from.source) + ")";
    if (!from.notes.empty()) text += " ; " + from.notes;
    text += room_view(from);
    text += pc_file_view(from);
    // The copy's own words, read for the teacher alone: a run never needs them.
    const std::string copy = fichiers::library_folder() + kWordsFile;
    std::string unread;
    const std::string own =
        from.from == Planted::copy ? from.text : words_file(copy, noted(unread), true);
    if (!unread.empty()) text += " ; " + unread;
    const Words copy_words = read_words(own);
    if (from.from == Planted::copy && !copy_words.unknown.empty())
        text += " ; " + unknown_for_teacher(copy_words, copy);
    if (from.from != Planted::copy && has_words(own))
        text += " ; " + texte::cite_path(copy) + " est sans effet tant que " +
                (from.from == Planted::pc     ? "le fichier du PC a des mots"
                 : from.from == Planted::room ? "le tableau de la salle a des mots pour ce poste"
                                              : "IOWVIRT est défini") +
                ", puis il comptera pour cette copie : videz-le aussi pour finir l'exercice";
    if (from.from == Planted::copy && !from.pc.empty())
        text += " ; aucun mot pour tout le PC (" + texte::cite_path(from.pc) + ")";
    if (from.from != Planted::copy || !words.empty()) return text;
    return text + misnamed(fichiers::library_folder(), "", "à côté de la bibliothèque");
}

}  // namespace

std::string unknown_told(const Words& words, const std::string& where) {
    const std::string source = texte::cite_path(where);
    std::string lines;
    const auto line = [&](const std::string& text) {
        lines += (lines.empty() ? "" : "\nIOW24 virtuel : ") + text;
    };
    for (const std::string& word : words.out_of_range)
        line("mot « " + texte::cite(word, 40, true) + " » dans " + source +
             " : le nombre va de 0 à " + std::to_string(kMostCount) + " ; mot laissé de côté.");
    const std::vector<std::string>& unknown = words.unknown;
    for (std::size_t i = 0; i < unknown.size() && i < kMostUnknownTold; ++i)
        line("mot inconnu « " + texte::cite(unknown[i], 40, true) + " » dans " + source +
             ", laissé de côté ; mots connus : " + kKnownWords + ".");
    if (unknown.size() > kMostUnknownTold)
        line("et " + std::to_string(unknown.size() - kMostUnknownTold) +
             " autres mots inconnus dans " + source + ", laissés de côté.");
    return lines;
}

std::string teachers_view() {
    const WordsSource from = words_source(true);
    return setting_of(words_in_force(read_words(from.text)), from);
}

bool still_plants(const std::string& origin, std::uint32_t words) {
    // A window's words are not seen from another: they stand while it is
    // open (or, when the system could not tell which it was, for good).
    const std::string window = std::string(kWordsVariable) + " ";
    if (origin == kWordsVariable) return true;
    if (origin.rfind(window, 0) == 0) return fenetre::window_open(origin.substr(window.size()));
    std::string unread;
    const RoomWords room = origin.rfind(kRoomOrigin, 0) == 0 ? room_words() : RoomWords{};
    const Words planted =
        read_words(room.found ? room.cell : words_file(origin, noted(unread), true));
    return board_words_of(planted.frozen, planted.invalid) == words;
}

}  // namespace iowvirt
