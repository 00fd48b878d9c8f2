#include "platform/lettres.h"

#include <cctype>

namespace texte {

bool same_letters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::int64_t digits_only(std::string_view text, std::size_t most_digits) {
    if (text.empty() || text.size() > most_digits) return -1;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string hex_digits(std::uint64_t value, int digits) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (int i = digits - 1; i >= 0; --i)
        text += kHex[value >> (4 * i) & 0xF];
    return text;
}

}  // namespace texte
