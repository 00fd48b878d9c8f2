// Text for the person at the keyboard or for a program, on a standard
// stream, in UTF-8. A Windows console is given wide characters, so that
// « é », « ² » and « » » show right whatever its code page, and its code page
// is left as the user had it; a file or a pipe is given the UTF-8 bytes.
#pragma once

#include <cstdio>
#include <string_view>

namespace texte {

void ecrire(std::FILE* flux, std::string_view texte);

// As printf, into `ecrire`.
void ecrire_format(std::FILE* flux, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace texte
