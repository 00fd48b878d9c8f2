// How a program sets the virtual IOW24 up without code. Read at every open
// with no handle open: the words of IOWVIRT, or else of iowvirt.txt beside
// the library.
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "platform/citation.h"
#include "virtual/device.h"
#include "virtual/fichiers.h"
#include "virtual/mots.h"

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
        if (!why.empty()) tell("impossible de lire " + path + " (" + why + ").");
        return "";
    }
    std::string text = texte::sans_marque(std::string(bytes->begin(), bytes->end()));
    if (text.size() > kMostWordBytes) {
        tell(path + " dépasse " + std::to_string(kMostWordBytes) +
             " octets de texte : seuls les mots de son début comptent.");
        // A word cut by the bound is no word.
        text.resize(kMostWordBytes + 1);
        const std::size_t last_separator = text.find_last_of(kWordSeparators);
        text.resize(last_separator == std::string::npos ? 0 : last_separator);
    }
    return text;
}

// A few unknown words one by one, the rest counted: a file of noise must
// not flood the console.
void tell_unknown(const std::vector<std::string>& unknown, const std::string& source) {
    std::string lines;
    for (std::size_t i = 0; i < unknown.size() && i < kMostUnknownTold; ++i) {
        lines += (i > 0 ? "\nIOW24 virtuel : " : "") + std::string("mot inconnu \u00ab ") +
                 texte::cite(unknown[i]) + " \u00bb dans " + source +
                 ", laissé de côté ; mots connus : " + kKnownWords + ".";
    }
    if (unknown.size() > kMostUnknownTold) {
        lines += "\nIOW24 virtuel : et " + std::to_string(unknown.size() - kMostUnknownTold) +
                 " autres mots inconnus dans " + source + ", laissés de côté.";
    }
    // One box for them all: the exercise the teacher meant does not happen.
    if (!lines.empty()) alert_once(lines);
}

}  // namespace

void Device::configure() {
    if (controlled) return;
    std::string source = kWordsVariable, text;
    if (!fichiers::variable(kWordsVariable, text)) {
        source = fichiers::library_folder() + kWordsFile;
        text = words_file(source);
    }
    if (!configured || text != applied_words) apply_words(read_words(text), source);
    configured = true;
    applied_words = text;
    // Each run looks for its place again: a save that failed in one run
    // is tried again in the next.
    choose_state_path();
    load_state();
}

void Device::apply_words(const Words& words, const std::string& source) {
    const TimeSource clock = pc_clock();
    chip.set_time_source(clock);
    plugged = !words.absent;
    i2c.set_chip_connected(!words.no_chip);
    frozen = words.frozen;
    invalid = words.invalid;
    silent_after = words.reads_before_silence;
    open_stalls = words.open_stalls;
    writes_before_stall = words.writes_before_stall;
    short_read = words.short_read ? Fault{0, std::numeric_limits<int>::max()} : Fault{};
    short_read_bytes = kReportSize - 1;
    ticking = words.tick;
    if (ticking) {
        tick_ms = clock();
        chip.set_time_source([this] { return tick_ms; });
    }
    tell_unknown(words.unknown, source);
    fresh = words.fresh;
    // A new chip, as on the first launch: only a file brings back its time.
    if (fresh) {
        chip.power_on();
        exercises = 0;
    }
}

}  // namespace iowvirt
