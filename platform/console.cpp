#include <cstdarg>
#include <string>

#include "platform/console.h"

namespace texte {

void ecrire_format(std::FILE* flux, const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    if (length > 0) {
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<std::size_t>(length));
        ecrire(flux, text);
    }
    va_end(again);
}

}  // namespace texte
