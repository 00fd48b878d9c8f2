#include "platform/decodage.h"

#include <cstdint>

#include "platform/cp1252.h"

namespace texte {

namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

void append_utf8(std::string& out, std::uint32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | point >> 6);
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | point >> 12);
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | point >> 18);
        out += static_cast<char>(0x80 | (point >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

std::string from_utf16(std::string_view bytes, bool little_endian) {
    std::string out;
    const auto unit = [&](std::size_t at) {
        const auto a = static_cast<std::uint8_t>(bytes[at]);
        const auto b = static_cast<std::uint8_t>(bytes[at + 1]);
        return static_cast<std::uint32_t>(little_endian ? a | b << 8 : a << 8 | b);
    };
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        std::uint32_t point = unit(at);
        const bool high = point >= 0xD800 && point <= 0xDBFF;
        const std::uint32_t next = at + 3 < bytes.size() ? unit(at + 2) : 0;
        if (high && next >= 0xDC00 && next <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (next - 0xDC00);
            at += 2;
        } else if (point >= 0xD800 && point <= 0xDFFF) {
            point = 0xFFFD;  // a lone half of a pair
        }
        append_utf8(out, point);
    }
    if (bytes.size() % 2 != 0) append_utf8(out, 0xFFFD);
    return out;
}

std::string from_cp1252(std::string_view bytes) {
    std::string out;
    for (const char c : bytes)
        append_utf8(out, cp1252_point(static_cast<std::uint8_t>(c)));
    return out;
}

}  // namespace

// Length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t utf8_length(std::string_view text) {
    const auto lead = static_cast<std::uint8_t>(text[0]);
    std::size_t length = 0;
    std::uint32_t point = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, point = lead & 0x1F;
    if (lead >= 0xE0 && lead <= 0xEF) length = 3, point = lead & 0x0F;
    if (lead >= 0xF0 && lead <= 0xF4) length = 4, point = lead & 0x07;
    if (length == 0 || text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(text[i]);
        if ((next & 0xC0) != 0x80) return 0;
        point = point << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and points past U+10FFFF are not UTF-8.
    const bool overlong = (length == 3 && point < 0x800) || (length == 4 && point < 0x10000);
    if (overlong || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) return 0;
    return length;
}

bool all_utf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8_length(text.substr(at));
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string en_utf8(std::string_view bytes) {
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        return std::string(bytes.substr(kUtf8Mark.size()));
    if (bytes.substr(0, 2) == kUtf16LeMark) return from_utf16(bytes.substr(2), true);
    if (bytes.substr(0, 2) == kUtf16BeMark) return from_utf16(bytes.substr(2), false);
    // French Excel's "CSV (séparateur : point-virgule)" is Windows-1252.
    if (!all_utf8(bytes)) return from_cp1252(bytes);
    return std::string(bytes);
}

}  // namespace texte
