// How a program sets the virtual IOW24 up without code. Read at every open
// with no handle open: the words of IOWVIRT, or else of iowvirt.txt beside
// the library.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "platform/citation.h"
#include "platform/decodage.h"
#include "virtual/garde/fichiers.h"
#include "virtual/mots/mots.h"
#include "virtual/usb/device.h"

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
// IOWVIRT_NOW takes the moments a clock chip of this century can stand at:
// from 2000-01-01 to three centuries ahead.
constexpr std::int64_t kFirstNow = 946684800, kLastNow = 10413792000;
constexpr std::size_t kMostNowDigits = 11;
// iowvirt.txt holds a few words; no more of its text is read. Read raw,
// enough bytes for that much text in any form it may be saved in (UTF-16
// takes two bytes or more for a byte of UTF-8).
constexpr std::size_t kMostWordBytes = 4096;
constexpr std::size_t kMostRawBytes = 4 * kMostWordBytes;
constexpr const char* kWordSeparators = " ,\t\r\n";
// Unknown words told one by one; the rest are counted.
constexpr std::size_t kMostUnknownTold = 3;

// The PC's clock, or the moment IOWVIRT_NOW stands for. A value that is not
// such a moment is told and the real clock is used: a moment near 1970
// would be written into the state file.
TimeSource pc_clock() {
    std::string now;
    if (!fichiers::variable(kNowVariable, now)) return system_ms;
    const std::int64_t seconds = whole_number(now, kMostNowDigits);
    if (seconds < kFirstNow || seconds > kLastNow) {
        tell(std::string(kNowVariable) + " vaut \"" + texte::cite(now) +
             "\" : il faut un nombre entier de secondes depuis 1970, de " +
             std::to_string(kFirstNow) + " (an 2000) à " + std::to_string(kLastNow) +
             " ; l'horloge du PC est utilisée.");
        return system_ms;
    }
    const std::int64_t fixed = seconds * kMsPerSecond;
    return [fixed] { return fixed; };
}

// The words of iowvirt.txt: as Notepad saves it, with or without a mark,
// or in UTF-16; decoded first, then only its first few kilobytes of text,
// cut between words. What is wrong with the file goes to `problems`, or is
// told on stderr when there is none to take it.
std::string words_file(const std::string& path, std::string* problems = nullptr) {
    const auto say = [&](const std::string& text) {
        if (problems == nullptr) return tell(text);
        *problems += (problems->empty() ? "" : " ; ") + text;
    };
    std::string why;
    const auto bytes = fichiers::read(path, kMostRawBytes, why);
    if (!bytes) {
        if (!why.empty()) say("impossible de lire " + texte::cite_path(path) + " (" + why + ")");
        return "";
    }
    std::string text = texte::en_utf8(std::string(bytes->begin(), bytes->end()));
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

// A few unknown words one by one, the rest counted: a file of noise must
// not flood the console. Shown in ASCII: a no-break space or a look-alike
// letter must not pass for a known word.
void tell_unknown(const Words& words, const std::string& where) {
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
    // One box for them all: the exercise the teacher meant does not happen.
    if (!lines.empty()) alert_once(lines);
}

bool has_words(const std::string& text) {
    const Words words = read_words(text);
    return !words_in_force(words).empty() || !words.unknown.empty();
}

// Where the words come from, first found first: IOWVIRT (the window's
// own), the PC's file (the teacher's, for every account and copy), the
// copy's own iowvirt.txt. What the teacher is told of them besides.
struct WordsSource {
    std::string text;
    std::string source;  // IOWVIRT, or a file's path
    bool beside_copy = false;
    std::string pc;     // the PC's file looked at, empty when none
    std::string notes;  // what is wrong with the PC's file
};

WordsSource words_source() {
    WordsSource found;
    found.source = kWordsVariable;
    if (fichiers::variable(kWordsVariable, found.text)) return found;
    std::string pc = fichiers::pc_words_path();
    if (fichiers::variable(kPcVariable, pc) && pc.empty())
        found.notes = std::string(kPcVariable) + " est vide : il ne nomme aucun fichier";
    const std::string copy = fichiers::library_folder() + kWordsFile;
    found.pc = pc;
    if (!pc.empty()) {
        found.text = words_file(pc, &found.notes);
        if (has_words(found.text)) {
            found.source = pc;
            return found;
        }
    }
    found.text = words_file(copy);
    found.source = copy;
    found.beside_copy = true;
    return found;
}

// The words in force and where they come from, for a teacher; what is
// wrong with the PC's file, and a file beside the copy saved under another
// name (Notepad adds ".txt" when extensions are hidden), which counts for
// nothing.
std::string setting_of(const std::string& words, const WordsSource& from) {
    std::string text = words.empty() ? "aucun" : words + " (" + texte::cite_path(from.source) + ")";
    if (!from.notes.empty()) text += " ; " + from.notes;
    // The copy's own words, read for the teacher alone: a run never needs them.
    const std::string copy = fichiers::library_folder() + kWordsFile;
    if (from.source == from.pc) {
        std::string unread;
        const bool overruled = has_words(words_file(copy, &unread));
        if (!unread.empty()) text += " ; " + unread;
        if (overruled)
            text += " ; " + texte::cite_path(copy) + " est sans effet : le fichier du PC l'emporte";
    }
    if (from.beside_copy && !from.pc.empty())
        text += " ; aucun mot pour tout le PC (" + texte::cite_path(from.pc) + ")";
    if (!from.beside_copy || !words.empty()) return text;
    const std::string folder = fichiers::library_folder();
    for (const std::string& name : fichiers::names_starting(folder, "iowvirt"))
        if (!texte::same_letters(name, kWordsFile))
            text += " ; " + texte::cite_path(name) + " est à côté de la bibliothèque, mais seul " +
                    kWordsFile + " compte : renommez-le " + kWordsFile;
    return text;
}

}  // namespace

std::string Device::teachers_view() {
    const WordsSource from = words_source();
    return setting_of(words_in_force(read_words(from.text)), from);
}

void Device::configure() {
    if (setup.controlled) return;
    const WordsSource from = words_source();
    const Words words = read_words(from.text);
    if (!setup.configured || from.text != setup.applied_words) apply_words(words, from.source);
    setup.configured = true;
    setup.applied_words = from.text;
    // Each run looks for its place again: a save that failed in one run
    // is tried again in the next.
    choose_state_path();
    load_state();
}

void Device::apply_words(const Words& words, const std::string& source) {
    const TimeSource clock = pc_clock();
    board.pc_now = clock;
    board.chip.set_time_source(clock);
    usb.plugged = !words.absent;
    board.i2c.set_chip_connected(!words.no_chip);
    board.frozen = words.frozen;
    board.invalid = words.invalid;
    faults.silent_after = words.reads_before_silence;
    faults.open_stalls = words.open_stalls;
    faults.writes_before_stall = words.writes_before_stall;
    faults.short_read = words.short_read ? Fault{0, std::numeric_limits<int>::max()} : Fault{};
    faults.short_read_bytes = kReportSize - 1;
    board.ticking = words.tick;
    if (board.ticking) {
        board.tick_ms = clock();
        board.chip.set_time_source([this] { return board.tick_ms; });
    }
    tell_unknown(words, source);
    board.fresh = words.fresh;
    // A new chip, as on the first launch: only a file brings back its time.
    if (board.fresh) {
        board.chip.power_on();
        board.exercises = 0;
    }
}

}  // namespace iowvirt
