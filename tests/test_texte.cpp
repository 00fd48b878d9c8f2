// Alerts away from Windows are shown in UTF-8; the block's texts are
// Windows-1252 bytes.
#include <cstring>

#include "platform/texte.h"
#include "tests/support.h"

namespace {

std::string utf8(const char* text, std::size_t size = 64) {
    char buffer[64];
    texte::cp1252_vers_utf8(text, buffer, size);
    return buffer;
}

TEST(AlertText, LatinLettersAndSymbolsBecomeTheirUtf8Forms) {
    EXPECT_EQ(utf8("IOW24 d\xE9tect\xE9 : liaison I\xB2"
                   "C"),
              "IOW24 d\u00e9tect\u00e9 : liaison I\u00b2C");
    EXPECT_EQ(utf8("\x80 \x9C \xFF"), "\u20ac \u0153 \u00ff");
    EXPECT_EQ(utf8("plain ASCII"), "plain ASCII");
}

TEST(AlertText, UnassignedBytesBecomeTheReplacementCharacter) {
    EXPECT_EQ(utf8("\x81\x8D\x8F\x90\x9D"), "\ufffd\ufffd\ufffd\ufffd\ufffd");
}

TEST(AlertText, ALongTextIsCutBeforeACharacterThatWouldNotFit) {
    EXPECT_EQ(utf8("abc\xE9", 5), "abc");  // 'é' needs two bytes, one is left
    EXPECT_EQ(utf8("abc\xE9", 6), "abc\u00e9");
    char one[1] = {'x'};
    texte::cp1252_vers_utf8("abc", one, 1);
    EXPECT_EQ(one[0], '\0');
}

}  // namespace
