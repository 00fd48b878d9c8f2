// Names and numbers as users and Windows write them: letters in either
// case, numbers in digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace texte {

// The same letters but for case, in ASCII: names Windows and users spell
// in any case (a library, a pin, a variable, a word).
bool same_letters(std::string_view a, std::string_view b);
// Whether `text` ends with `end`, letters in either case (".CSV", ".csv").
inline bool ends_with_letters(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && same_letters(text.substr(text.size() - end.size()), end);
}

// A whole number written with digits only, at least one and at most
// `most_digits` of them (18 at the most); -1 otherwise.
std::int64_t digits_only(std::string_view text, std::size_t most_digits);

// `value`'s last `digits` hexadecimal digits, upper case: by hand, as a
// printf would bring a whole formatter into the DLLs.
std::string hex_digits(std::uint64_t value, int digits);

}  // namespace texte
