#include "app/PrintableText.h"

#include <gtest/gtest.h>

#include <string>

namespace corvel {
namespace {

TEST(PrintableText, ControlCharactersAndBrokenUtf8AreEscaped) {
    struct Case {
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"diameter_mm", "diameter_mm"},
        {"diameter_mm\r", "diameter_mm\\x0D"},
        {"\x1B[31mred", "\\x1B[31mred"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"tab\there\nnext\x7F", "tab\\x09here\\x0Anext\\x7F"},
        {"\xC2\x9B"
         "31m",
         "\\u009B31m"}, // C1 control sequence introducer as UTF-8
        {"\x9B"
         "31m",
         "\\x9B31m"},                                 // ... and as a lone byte
        {"°C é ✓ 𝄞", "°C é ✓ 𝄞"},                     // printable UTF-8 stays
        {"\xC3", "\\xC3"},                            // truncated sequence
        {"\xC0\xAF", "\\xC0\\xAF"},                   // overlong form
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},          // surrogate
        {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"}, // beyond U+10FFFF
    };
    for (const Case& c : cases)
        EXPECT_EQ(printableText(c.text), c.shown) << c.shown;
}

TEST(PrintableText, LongTextIsCutAfterTheLimitInCharacters) {
    EXPECT_EQ(printableText(std::string(kMaxShownChars, 'x')), std::string(kMaxShownChars, 'x'));
    EXPECT_EQ(printableText(std::string(kMaxShownChars + 1, 'x')),
              std::string(kMaxShownChars, 'x') + "…");
    // Characters, not bytes: a multi-byte character is never split.
    EXPECT_EQ(printableText("ééé", 2), "éé…");
    EXPECT_EQ(printableText("\x01\x02\x03", 2), "\\x01\\x02…");
    EXPECT_EQ(printableText(std::string(5000, 'y'), std::string::npos), std::string(5000, 'y'));
}

} // namespace
} // namespace corvel
