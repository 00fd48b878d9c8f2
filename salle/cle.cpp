#include "salle/cle.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace salle {

namespace {

// The check's findings, in the order it gives them.
constexpr std::string_view kFindings[] = {"bibliotheque", "iow24",     "i2c",   "horloge",
                                          "marche",       "registres", "avance"};

struct Key {
    std::string_view word;
    std::string_view fault;  // empty: nothing to find
};

// As the guide gives them to teachers.
constexpr Key kKey[] = {
    {"absent", "iow24"},       {"silent-open", "iow24"},
    {"silent-write", "i2c"},   {"no-chip", "horloge"},
    {"short-read", "horloge"}, {"fresh", "marche"},
    {"invalid", "registres"},  {"frozen", "avance"},
    {"silent", "horloge"},     {"tick", ""},
};

std::size_t rank(std::string_view fault) {
    return static_cast<std::size_t>(std::find(std::begin(kFindings), std::end(kFindings), fault) -
                                    std::begin(kFindings));
}

}  // namespace

Expected expected_for(const std::string& words, bool invalid_repaired) {
    Expected expected;
    std::size_t at = 0;
    while (at < words.size()) {
        std::size_t end = words.find(',', at);
        if (end == std::string::npos) end = words.size();
        std::string_view word(words.data() + at, end - at);
        at = end + 1;
        while (!word.empty() && word.front() == ' ')
            word.remove_prefix(1);
        const std::size_t colon = word.find(':');
        // silent:N and silent-write:N fault after N calls: where depends on N.
        if (colon != std::string_view::npos && word.substr(colon + 1) != "0") {
            expected.any_fault = true;
            continue;
        }
        word = word.substr(0, colon);
        // A student who set the clock has repaired `invalid`.
        if (invalid_repaired && word == "invalid") continue;
        for (const Key& key : kKey)
            if (key.word == word && !key.fault.empty() &&
                (expected.fault.empty() || rank(key.fault) < rank(expected.fault)))
                expected.fault = key.fault;
    }
    return expected;
}

bool as_expected(const Expected& expected, const std::string& found) {
    if (expected.any_fault) return !found.empty() || expected.fault.empty();
    return found == expected.fault;
}

}  // namespace salle
