// Windows speaks UTF-16 at its wide API; inside, every string is UTF-8.
// The platform files convert at the seam, so that any folder and any user
// name, in any script, reach the system exactly.
#pragma once

#include <string>
#include <string_view>

namespace texte {

std::wstring utf16(std::string_view utf8);
std::string utf8(std::wstring_view utf16);

// The system's text for an error code, in UTF-8, without its line end;
// its placeholders (%1 ...) stand for `subject`, "ce fichier" without one.
std::string message_systeme(unsigned long code, const std::string& subject = "");

// The full path of a loaded module (null: the program), however long the
// folders above it; empty when the system cannot tell.
std::string fichier_du_module(void* module);

}  // namespace texte
