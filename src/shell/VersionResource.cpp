#include "shell/VersionResource.h"

#include <cstring>
#include <stdexcept>

namespace corvel {

namespace {

/// UTF-8 to UTF-16 units; a malformed byte becomes U+FFFD.
std::u16string utf16Text(const std::string& text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra;
        std::uint32_t code;
        if (c < 0x80) {
            extra = 0;
            code = c;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            code = c & 0x07;
        } else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k <= extra; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                break;
            code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += k;
        if (k <= extra || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
            out += u'\uFFFD';
        } else if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

class Writer {
public:
    std::size_t begin(const std::u16string& key, std::uint16_t valueLength, std::uint16_t type) {
        pad();
        const std::size_t at = bytes.size();
        word(0); // length, set by end()
        word(valueLength);
        word(type);
        for (char16_t unit : key)
            word(unit);
        word(0);
        pad();
        return at;
    }
    void end(std::size_t at) {
        const std::size_t length = bytes.size() - at;
        if (length > 0xFFFF)
            throw std::length_error("The version resource is too large.");
        bytes[at] = static_cast<std::uint8_t>(length & 0xFF);
        bytes[at + 1] = static_cast<std::uint8_t>(length >> 8);
    }
    void word(std::uint16_t value) {
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void dword(std::uint32_t value) {
        word(static_cast<std::uint16_t>(value & 0xFFFF));
        word(static_cast<std::uint16_t>(value >> 16));
    }
    void pad() {
        while (bytes.size() % 4 != 0)
            bytes.push_back(0);
    }
    std::vector<std::uint8_t> bytes;
};

std::u16string hexKey(std::uint16_t language, std::uint16_t codePage) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::u16string key;
    for (std::uint16_t value : {language, codePage})
        for (int shift = 12; shift >= 0; shift -= 4)
            key += static_cast<char16_t>(digits[value >> shift & 15]);
    return key;
}

} // namespace

VS_FIXEDFILEINFO MakeFixedFileInfo(std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                                   std::uint16_t build) {
    VS_FIXEDFILEINFO info{};
    info.dwSignature = 0xFEEF04BD;
    info.dwStrucVersion = 0x00010000;
    info.dwFileVersionMS = info.dwProductVersionMS =
        static_cast<std::uint32_t>(major) << 16 | minor;
    info.dwFileVersionLS = info.dwProductVersionLS =
        static_cast<std::uint32_t>(release) << 16 | build;
    info.dwFileFlagsMask = 0x3F;
    info.dwFileType = 1; // an application
    return info;
}

std::vector<std::uint8_t> BuildVersionResource(const VersionResourceContent& content) {
    Writer w;
    const std::size_t root = w.begin(u"VS_VERSION_INFO", sizeof(VS_FIXEDFILEINFO), 0);
    const VS_FIXEDFILEINFO& f = content.fixed;
    for (std::uint32_t value :
         {f.dwSignature, f.dwStrucVersion, f.dwFileVersionMS, f.dwFileVersionLS,
          f.dwProductVersionMS, f.dwProductVersionLS, f.dwFileFlagsMask, f.dwFileFlags, f.dwFileOS,
          f.dwFileType, f.dwFileSubtype, f.dwFileDateMS, f.dwFileDateLS})
        w.dword(value);

    if (!content.tables.empty()) {
        const std::size_t info = w.begin(u"StringFileInfo", 0, 1);
        for (const VersionStringTable& table : content.tables) {
            const std::size_t at = w.begin(hexKey(table.language, table.codePage), 0, 1);
            for (const auto& [name, text] : table.entries) {
                const std::u16string value = utf16Text(text);
                const std::size_t entry =
                    w.begin(utf16Text(name), static_cast<std::uint16_t>(value.size() + 1), 1);
                for (char16_t unit : value)
                    w.word(unit);
                w.word(0);
                w.end(entry);
            }
            w.end(at);
        }
        w.end(info);
    }
    if (!content.translations.empty()) {
        const std::size_t info = w.begin(u"VarFileInfo", 0, 1);
        const std::size_t var =
            w.begin(u"Translation", static_cast<std::uint16_t>(4 * content.translations.size()), 0);
        for (const auto& [language, codePage] : content.translations) {
            w.word(language);
            w.word(codePage);
        }
        w.end(var);
        w.end(info);
    }
    w.end(root);
    return w.bytes;
}

} // namespace corvel
