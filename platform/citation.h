// Text that users and other programs wrote (a script, iowvirt.txt), as a
// message may quote it, and as the parsers may read it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace texte {

// `text` safe to quote inside a one-line message: control characters and
// bytes that are not UTF-8 shown escaped (\0, \t, \x1B, \xE9), at most
// `most` characters, then "…" when cut.
std::string cite(std::string_view text, std::size_t most = 40);

// What Windows editors put before a text: a UTF-8 byte-order mark is
// dropped; UTF-16 with its mark (Notepad's and Excel's "Unicode") becomes
// UTF-8. Anything else is left as it is.
std::string sans_marque(std::string_view bytes);

}  // namespace texte
