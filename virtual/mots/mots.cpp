#include "virtual/mots/mots.h"

#include "platform/lettres.h"

#include <algorithm>
#include <utility>

namespace iowvirt {

namespace {

constexpr const char* kSilentAfter = "silent:";
constexpr const char* kStallAfter = "silent-write:";
// N in "silent:N": no more digits than an int holds.
constexpr std::size_t kMostDigits = 9;

// The words with the line each stands on (a lone CR ends a line too).
std::vector<std::pair<std::string, int>> split(const std::string& text) {
    std::vector<std::pair<std::string, int>> words;
    std::string word;
    bool comment = false;
    int line = 1;
    char before = '\0';
    for (char c : text + "\n") {
        if (c == '\n' || c == '\r') comment = false;
        if (c == '#') comment = true;
        const bool separator = comment || kWordSeparators.find(c) != std::string_view::npos;
        if (!separator) word += c;
        if (separator && !word.empty()) {
            words.emplace_back(word, line);
            word.clear();
        }
        if (c == '\r' || (c == '\n' && before != '\r')) ++line;
        before = c;
    }
    return words;
}

// The whole number after `prefix` in `word`, or -1.
int count_after(const std::string& word, const std::string& prefix) {
    if (word.rfind(prefix, 0) != 0) return -1;
    return static_cast<int>(texte::digits_only(word.substr(prefix.size()), kMostDigits));
}

// A count written in digits only, but more of them than kMostCount has.
bool count_too_large(const std::string& word, const std::string& prefix) {
    if (word.rfind(prefix, 0) != 0) return false;
    const std::string digits = word.substr(prefix.size());
    return digits.size() > kMostDigits && digits.find_first_not_of("0123456789") == digits.npos;
}

bool add_once(std::vector<std::string>& list, const std::string& word) {
    if (std::find(list.begin(), list.end(), word) != list.end()) return false;
    list.push_back(word);
    return true;
}

}  // namespace

Words read_words(const std::string& text) {
    Words w;
    for (const auto& [word, line] : split(text)) {
        const int reads = count_after(word, kSilentAfter);
        const int writes = count_after(word, kStallAfter);
        if (word == "absent") {
            w.absent = true;
        } else if (word == "no-chip") {
            w.no_chip = true;
        } else if (word == "frozen") {
            w.frozen = true;
        } else if (word == "tick") {
            w.tick = true;
        } else if (word == "silent" || reads >= 0) {
            w.reads_before_silence = reads >= 0 ? reads : 0;
        } else if (word == "silent-open") {
            w.open_stalls = true;
        } else if (word == "silent-write" || writes >= 0) {
            w.writes_before_stall = writes >= 0 ? writes : 0;
        } else if (word == "short-read") {
            w.short_read = true;
        } else if (word == "invalid") {
            w.invalid = true;
        } else if (word == "fresh") {
            w.fresh = true;
        } else if (count_too_large(word, kSilentAfter) || count_too_large(word, kStallAfter)) {
            add_once(w.out_of_range, word);
        } else if (add_once(w.unknown, word)) {
            w.unknown_lines.push_back(line);
        }
    }
    return w;
}

std::string words_in_force(const Words& w) {
    std::string text;
    const auto add = [&](bool in_force, const std::string& word) {
        if (in_force) text += (text.empty() ? "" : ", ") + word;
    };
    const auto counted = [](const char* word, int count) {
        return count == 0 ? std::string(word) : std::string(word) + ":" + std::to_string(count);
    };
    add(w.absent, "absent");
    add(w.no_chip, "no-chip");
    add(w.frozen, "frozen");
    add(w.invalid, "invalid");
    add(w.tick, "tick");
    add(w.reads_before_silence >= 0, counted("silent", w.reads_before_silence));
    add(w.open_stalls, "silent-open");
    add(w.writes_before_stall >= 0, counted("silent-write", w.writes_before_stall));
    add(w.short_read, "short-read");
    add(w.fresh, "fresh");
    return text;
}

}  // namespace iowvirt
