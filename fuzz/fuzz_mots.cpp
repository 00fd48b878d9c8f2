// libFuzzer target over the words of iowvirt.txt: any bytes, as Notepad,
// another editor or a damaged disk may save them. Every word is taken or
// told as unknown; an unknown word, quoted, is one printable line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/citation.h"
#include "platform/decodage.h"
#include "virtual/mots/mots.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = texte::en_utf8(std::string(reinterpret_cast<const char*>(data), size));
    const iowvirt::Words words = iowvirt::read_words(text);
    require(words.reads_before_silence >= -1 && words.writes_before_stall >= -1);
    for (const std::string& word : words.unknown) {
        require(!word.empty() && word.find_first_of(", \t\r\n#") == std::string::npos);
        const std::string quoted = texte::cite(word);
        for (unsigned char c : quoted)
            require(c >= 0x20 && c != 0x7F);
        require(quoted.find("\xEF\xBB\xBF") == std::string::npos);
    }
    return 0;
}
