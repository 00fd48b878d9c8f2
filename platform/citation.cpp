#include "platform/citation.h"

#include "platform/decodage.h"
#include "platform/lettres.h"

#include <cctype>
#include <cstdint>

namespace texte {

namespace {

std::string escaped(std::uint8_t byte) {
    switch (byte) {
        case 0:
            return "\\0";
        case '\t':
            return "\\t";
        case '\r':
            return "\\r";
        case '\n':
            return "\\n";
        default:
            break;
    }
    return "\\x" + hex_digits(byte, 2);
}

// "\u00A0" for the code point of a well-formed sequence of `length` > 1.
std::string code_point(std::string_view sequence) {
    static constexpr std::uint8_t kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
    std::uint32_t point = static_cast<std::uint8_t>(sequence[0]) & kLeadBits[sequence.size()];
    for (std::size_t i = 1; i < sequence.size(); ++i)
        point = point << 6 | (static_cast<std::uint8_t>(sequence[i]) & 0x3F);
    return point > 0xFFFF ? "\\U" + hex_digits(point, 8) : "\\u" + hex_digits(point, 4);
}

}  // namespace

std::string cite(std::string_view text, std::size_t most, bool ascii_only) {
    std::string shown;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (characters == most) return shown + "\u2026";
        const std::size_t length = utf8_length(text.substr(at));
        const auto byte = static_cast<std::uint8_t>(text[at]);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            shown += escaped(byte);
            at += 1;
        } else if (text.substr(at, length) == kUtf8Mark) {
            shown += "\\uFEFF";  // invisible, yet it makes a name look right and fail
            at += length;
        } else if (ascii_only && length > 1) {
            shown += code_point(text.substr(at, length));
            at += length;
        } else {
            shown.append(text.substr(at, length));
            at += length;
        }
        ++characters;
    }
    return shown;
}

}  // namespace texte
