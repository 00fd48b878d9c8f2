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
// cut between words.
std::string words_file(const std::string& path) {
    std::string why;
    const auto bytes = fichiers::read(path, kMostRawBytes, why);
    if (!bytes) {
        if (!why.empty()) tell("impossible de lire " + texte::cite_path(path) + " (" + why + ").");
        return "";
    }
    std::string text = texte::en_utf8(std::string(bytes->begin(), bytes->end()));
    if (text.size() > kMostWordBytes) {
        tell(texte::cite_path(path) + " dépasse " + std::to_string(kMostWordBytes) +
             " octets de texte : seuls les mots de son début comptent.");
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

// The words in force and where they come from, as the check shows them to
// a teacher; a file saved under another name (Notepad adds ".txt" when
// extensions are hidden) is pointed out, as it counts for nothing.
std::string setting_of(const std::string& words, const std::string& source, bool from_file) {
    std::string text = words.empty() ? "aucun" : words + " (" + texte::cite_path(source) + ")";
    if (!from_file || !words.empty()) return text;
    const std::string folder = fichiers::library_folder();
    for (const std::string& name : fichiers::names_starting(folder, "iowvirt"))
        if (!texte::same_letters(name, kWordsFile))
            text += " ; " + texte::cite_path(name) + " est à côté de la bibliothèque, mais seul " +
                    kWordsFile + " compte : renommez-le " + kWordsFile;
    return text;
}

// The words' text in force, and where it comes from: IOWVIRT, or else
// iowvirt.txt beside the library.
std::string words_text(std::string& source, bool& from_file) {
    std::string text;
    source = kWordsVariable;
    from_file = !fichiers::variable(kWordsVariable, text);
    if (from_file) {
        source = fichiers::library_folder() + kWordsFile;
        text = words_file(source);
    }
    return text;
}

}  // namespace

std::string Device::teachers_view() {
    std::string source;
    bool from_file = false;
    // Read first: the arguments below are taken in no set order.
    const std::string text = words_text(source, from_file);
    return setting_of(words_in_force(read_words(text)), source, from_file);
}

void Device::configure() {
    if (setup.controlled) return;
    std::string source;
    bool from_file = false;
    const std::string text = words_text(source, from_file);
    const Words words = read_words(text);
    if (!setup.configured || text != setup.applied_words) apply_words(words, source);
    setup.configured = true;
    setup.applied_words = text;
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
