// How a program sets the virtual IOW24 up without code, and how its clock
// chip keeps time between launches. Read at every open with no handle
// open: the words of IOWVIRT, or else of iowvirt.txt beside the library;
// then the chip's registers from its state file.
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "virtual/device.h"
#include "virtual/etat.h"
#include "virtual/fichiers.h"

namespace iowvirt {

namespace {

constexpr const char* kWordsVariable = "IOWVIRT";
constexpr const char* kWordsFile = "iowvirt.txt";
constexpr const char* kStateVariable = "IOWVIRT_STATE";
// Seconds since 1970 that the chip sees as the PC's clock, standing still:
// for tests of long absences.
constexpr const char* kNowVariable = "IOWVIRT_NOW";
constexpr const char* kKnownWords =
    "absent, no-chip, frozen, invalid, tick, silent, silent:N, short-read, fresh";
constexpr std::int64_t kMsPerSecond = 1000;
// Time and date registers 0x00-0x06 that hold no valid time or date, with
// the clock running: digits above 9, fields out of range.
constexpr std::uint8_t kNoValidTime[] = {0x5A, 0x7F, 0x3F, 0x00, 0x3F, 0x1F, 0xAA};

// Told on stderr, in the user's language: the device has no other voice.
void tell(const std::string& text) {
    std::fputs(("IOW24 virtuel : " + text + "\n").c_str(), stderr);
    std::fflush(stderr);
}

// Words separated by commas, blanks or line ends; "#" starts a comment.
std::vector<std::string> words_of(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool comment = false;
    for (char c : text + "\n") {
        if (c == '\n' || c == '\r') comment = false;
        if (c == '#') comment = true;
        const bool separator =
            comment || c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (!separator) word += c;
        if (separator && !word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

// A whole number of at most nine digits, or -1.
long number_of(const std::string& text) {
    if (text.empty() || text.size() > 9) return -1;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

TimeSource pc_clock() {
    const char* now = std::getenv(kNowVariable);
    if (now == nullptr) return system_ms;
    const std::int64_t fixed = std::strtoll(now, nullptr, 10) * kMsPerSecond;
    return [fixed] { return fixed; };
}

}  // namespace

void Device::configure() {
    if (controlled) return;
    std::string source = kWordsVariable, text;
    if (const char* variable = std::getenv(kWordsVariable); variable != nullptr) {
        text = variable;
    } else {
        source = fichiers::library_folder() + kWordsFile;
        std::string why;
        if (const auto bytes = fichiers::read(source, why))
            text.assign(bytes->begin(), bytes->end());
    }
    const bool changed = !configured || text != applied_words;
    const bool poison = changed && apply_words(words_of(text), source);
    configured = true;
    applied_words = text;
    if (!state_path.empty()) load_state();
    if (poison) {
        for (std::uint8_t reg = 0; reg < sizeof kNoValidTime; ++reg)
            chip.poke(reg, kNoValidTime[reg]);
        save_state();
    }
}

bool Device::apply_words(const std::vector<std::string>& words, const std::string& source) {
    plugged = true;
    i2c.set_chip_connected(true);
    silent_after = -1;
    short_read = Fault{};
    ticking = false;
    chip.set_time_source(pc_clock());
    bool fresh = false, invalid = false;
    for (const std::string& word : words) {
        const long after = word.rfind("silent:", 0) == 0 ? number_of(word.substr(7)) : -1;
        if (word == "absent") {
            plugged = false;
        } else if (word == "no-chip") {
            i2c.set_chip_connected(false);
        } else if (word == "frozen") {
            const std::int64_t start = pc_clock()();
            chip.set_time_source([start] { return start; });
        } else if (word == "tick") {
            ticking = true;
            tick_ms = pc_clock()();
            chip.set_time_source([this] { return tick_ms; });
        } else if (word == "silent" || after >= 0) {
            silent_after = word == "silent" ? 0 : static_cast<int>(after);
        } else if (word == "short-read") {
            short_read = Fault{0, std::numeric_limits<int>::max()};
            short_read_bytes = kReportSize - 1;
        } else if (word == "invalid") {
            invalid = true;
        } else if (word == "fresh") {
            fresh = true;
        } else {
            tell("mot inconnu \u00ab " + word + " \u00bb dans " + source +
                 ", laissé de côté ; mots connus : " + kKnownWords + ".");
        }
    }
    const char* chosen = std::getenv(kStateVariable);
    state_path = fresh ? "" : chosen != nullptr ? chosen : fichiers::default_state_path();
    // A new chip, as on the first launch: only a file brings back its time.
    if (fresh) chip.power_on();
    return invalid;
}

void Device::load_state() {
    std::string why;
    const auto bytes = fichiers::read(state_path, why);
    if (!bytes) {
        if (!why.empty()) {
            tell("impossible de lire " + state_path + " (" + why +
                 ") ; l'horloge ne garde son heure que tant que ce programme tourne.");
            state_path.clear();
        }
        return;
    }
    if (const auto state = decode_state(*bytes, why)) {
        chip.restore(*state);
        bytes_saved = chip.bytes_written();
        return;
    }
    // Never trusted, never overwritten: put aside, and a new chip.
    const std::string aside = state_path + ".illisible-" + std::to_string(fichiers::now_seconds());
    const bool kept = fichiers::move(state_path, aside);
    chip.power_on();
    tell("le fichier de l'horloge " + state_path + " est illisible (" + why + ") ; " +
         (kept ? "il est gardé sous " + aside : std::string("il n'a pas pu être mis de côté")) +
         ", et l'horloge repart neuve.");
    if (!kept) state_path.clear();
}

void Device::save_state() {
    bytes_saved = chip.bytes_written();
    if (state_path.empty()) return;
    std::string why;
    if (!fichiers::write_whole(state_path, encode_state(chip.state()), why)) {
        tell("impossible d'écrire " + why +
             " ; l'horloge ne garde son heure que tant que ce programme tourne.");
        state_path.clear();
    }
}

}  // namespace iowvirt
