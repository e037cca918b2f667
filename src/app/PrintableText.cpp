#include "app/PrintableText.h"

#include <cstdint>

namespace corvel {

namespace {

/// Length of the valid UTF-8 sequence at the start of `text`, 0 when it is not one.
std::size_t utf8Length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    std::uint8_t low = 0x80;  // bounds of the second byte, which exclude overlong forms,
    std::uint8_t high = 0xBF; // surrogates and code points beyond U+10FFFF
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

void appendHex(std::string& out, const char* prefix, unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kDigits[(value >> shift) & 0xF];
}

} // namespace

std::string printableText(std::string_view text, std::size_t maxChars) {
    std::string out;
    out.reserve(text.size() < maxChars ? text.size() : maxChars);
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++chars) {
        if (chars == maxChars) {
            out += "…";
            break;
        }
        const auto byte = static_cast<std::uint8_t>(text[i]);
        const std::size_t length = utf8Length(text.substr(i));
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            appendHex(out, "\\x", byte, 2);
            ++i;
        } else if (length == 2 && byte == 0xC2 && static_cast<std::uint8_t>(text[i + 1]) < 0xA0) {
            appendHex(out, "\\u", static_cast<std::uint8_t>(text[i + 1]), 4); // C1 control
            i += 2;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

} // namespace corvel
