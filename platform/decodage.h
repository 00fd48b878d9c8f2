// Text files as Windows programs save them (Excel, Notepad), made UTF-8
// for the parsers: byte-order marks, UTF-16 either way, and the "ANSI"
// Windows-1252 of French Excel's CSV.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace texte {

// The UTF-8 byte-order mark that Notepad and Excel's "CSV UTF-8" begin with.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A UTF-8 byte-order mark is dropped; UTF-16 with its mark (Notepad's and
// Excel's "Unicode"), either byte order, becomes UTF-8; text that is not
// UTF-8 is taken as Windows-1252. UTF-8 is left as it is.
std::string en_utf8(std::string_view bytes);

// Length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t utf8_length(std::string_view text);

}  // namespace texte
