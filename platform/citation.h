// Text that users and other programs wrote (a script, iowvirt.txt), as a
// message may quote it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace texte {

// `text` safe to quote inside a one-line message: control characters and
// bytes that are not UTF-8 shown escaped (\0, \t, \x1B, \xE9), at most
// `most` characters, then "…" when cut.
// `ascii_only`: every character past ASCII escaped too (\u00A0), for text
// that should be ASCII, where a look-alike would pass for the real thing.
std::string cite(std::string_view text, std::size_t most = 40, bool ascii_only = false);

// A whole number written with digits only, at least one and at most
// `most_digits` of them (18 at the most); -1 otherwise.
std::int64_t digits_only(std::string_view text, std::size_t most_digits);

// `value`'s last `digits` hexadecimal digits, upper case: by hand, as a
// printf would bring a whole formatter into the DLLs.
std::string hex_digits(std::uint64_t value, int digits);

// A path, or a whole message line that holds one, as `cite` shows text but
// never cut: a newline or an escape sequence in a folder's name must not
// start a line of its own or reach the console.
inline std::string cite_path(std::string_view text) { return cite(text, std::string_view::npos); }

// The same letters but for case, in ASCII: names Windows and users spell
// in any case (a library, a pin, a variable, a word).
bool same_letters(std::string_view a, std::string_view b);
// Whether `text` ends with `end`, letters in either case (".CSV", ".csv").
inline bool ends_with_letters(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && same_letters(text.substr(text.size() - end.size()), end);
}

}  // namespace texte
