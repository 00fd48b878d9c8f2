// The words that set the virtual IOW24 up without code, as a teacher
// writes them in IOWVIRT or iowvirt.txt: separated by commas, blanks or
// line ends, "#" starting a comment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace iowvirt {

inline constexpr const char* kKnownWords =
    "absent, no-chip, frozen, invalid, tick, silent, silent:N, silent-open, silent-write, "
    "silent-write:N, short-read, fresh";

struct Words {
    bool absent = false;
    bool no_chip = false;
    bool frozen = false;
    bool invalid = false;
    bool tick = false;
    bool short_read = false;
    bool fresh = false;
    bool open_stalls = false;
    int reads_before_silence = -1;          // -1: never silent
    int writes_before_stall = -1;           // -1: never
    std::vector<std::string> unknown;       // each once, in the order first written
    std::vector<int> unknown_lines;         // the line each was first written on
    std::vector<std::string> out_of_range;  // silent:N, silent-write:N with N too large
};

// What separates words: commas, blanks and line ends ("#" starts a comment).
inline constexpr std::string_view kWordSeparators = " ,\t\r\n";

// The most N of "silent:N" and "silent-write:N".
inline constexpr int kMostCount = 999999999;

Words read_words(const std::string& text);

// The known words of `words`, as a teacher would write them: "frozen,
// silent:3"; empty when none.
std::string words_in_force(const Words& words);

}  // namespace iowvirt
