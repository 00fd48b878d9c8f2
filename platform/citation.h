// Text that users and other programs wrote (a script, iowvirt.txt), as a
// message may quote it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace texte {

// `text` safe to quote inside a one-line message: control characters and
// bytes that are not UTF-8 shown escaped (\0, \t, \x1B, \xE9), at most
// `most` characters, then "…" when cut.
// `ascii_only`: every character past ASCII escaped too (\u00A0), for text
// that should be ASCII, where a look-alike would pass for the real thing.
std::string cite(std::string_view text, std::size_t most = 40, bool ascii_only = false);

// A path, or a whole message line that holds one, as `cite` shows text but
// never cut: a newline or an escape sequence in a folder's name must not
// start a line of its own or reach the console.
inline std::string cite_path(std::string_view text) { return cite(text, std::string_view::npos); }

}  // namespace texte
