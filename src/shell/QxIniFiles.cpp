#include "shell/QxIniFiles.h"

#include "platform/PrivateProfile.h"
#include "units/NumberText.h"

#include <cmath>

namespace corvel {

namespace {

constexpr std::uint32_t kValueBufferSize = 2048;
constexpr std::uint32_t kListBufferSize = 16384;

std::string trimControls(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return text.substr(begin, end - begin);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/// Reads "$" hexadecimal (optionally signed, at most 32 bits) or plain decimal integer text.
std::int32_t readIntegerText(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.front() != '$')
        return readInteger(text);
    digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 8)
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    std::uint32_t value = 0;
    for (char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    // $FFFFFFFF reads as -1: the 32 bits are taken as they are
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::vector<std::string> splitList(const char* buffer, std::uint32_t count) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < count && buffer[at] != '\0') {
        std::string name(buffer + at);
        at += name.size() + 1;
        names.push_back(std::move(name));
    }
    return names;
}

} // namespace

// ---- typed operations ----

std::int32_t TCustomIniFile::GetInteger(const std::string& section, const std::string& key,
                                        std::int32_t defaultValue) {
    std::string text = GetString(section, key, "");
    if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    try {
        return readIntegerText(text);
    } catch (const EConvertError&) {
        return defaultValue;
    }
}

void TCustomIniFile::PutInteger(const std::string& section, const std::string& key,
                                std::int32_t value) {
    PutString(section, key, std::to_string(value));
}

bool TCustomIniFile::GetBool(const std::string& section, const std::string& key,
                             bool defaultValue) {
    return GetInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::PutBool(const std::string& section, const std::string& key, bool value) {
    PutString(section, key, value ? "1" : "0");
}

std::size_t TCustomIniFile::GetBinary(const std::string& section, const std::string& key,
                                      TMemoryStream& stream) {
    const std::string text = GetString(section, key, "");
    if (text.empty() || text.size() % 2 != 0)
        return 0;
    std::vector<std::uint8_t> bytes(text.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = hexDigit(text[2 * i]), low = hexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return 0;
        bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    const std::size_t start = std::min(stream.Position, stream.Bytes.size());
    stream.Bytes.resize(start + bytes.size());
    std::copy(bytes.begin(), bytes.end(),
              stream.Bytes.begin() + static_cast<std::ptrdiff_t>(start));
    stream.Position = start;
    return stream.Bytes.size() - start;
}

void TCustomIniFile::PutBinary(const std::string& section, const std::string& key,
                               const TMemoryStream& stream) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = stream.Position; i < stream.Bytes.size(); ++i) {
        text += digits[stream.Bytes[i] >> 4];
        text += digits[stream.Bytes[i] & 15];
    }
    PutString(section, key, text);
}

TDateTime TCustomIniFile::GetDate(const std::string& section, const std::string& key,
                                  TDateTime defaultValue) {
    const std::string text = GetString(section, key, "");
    if (text.empty())
        return defaultValue;
    try {
        return Regional().readDate(text);
    } catch (const EConvertError&) {
        return defaultValue;
    }
}

TDateTime TCustomIniFile::GetDateTime(const std::string& section, const std::string& key,
                                      TDateTime defaultValue) {
    const std::string text = GetString(section, key, "");
    if (text.empty())
        return defaultValue;
    try {
        return Regional().readDateTime(text);
    } catch (const EConvertError&) {
        return defaultValue;
    }
}

double TCustomIniFile::GetFloat(const std::string& section, const std::string& key,
                                double defaultValue) {
    const std::string text = GetString(section, key, "");
    if (text.empty())
        return defaultValue;
    try {
        return readReal(text);
    } catch (const EConvertError&) {
        return defaultValue;
    }
}

TDateTime TCustomIniFile::GetTime(const std::string& section, const std::string& key,
                                  TDateTime defaultValue) {
    const std::string text = GetString(section, key, "");
    if (text.empty())
        return defaultValue;
    try {
        return Regional().readTime(text);
    } catch (const EConvertError&) {
        return defaultValue;
    }
}

void TCustomIniFile::PutDate(const std::string& section, const std::string& key, TDateTime value) {
    PutString(section, key, Regional().shortDate(value));
}

void TCustomIniFile::PutDateTime(const std::string& section, const std::string& key,
                                 TDateTime value) {
    std::string text = Regional().shortDate(value);
    const DateTimeParts parts = DecodeDateTime(value);
    if (parts.hour != 0 || parts.minute != 0 || parts.second != 0 || parts.millisecond != 0)
        text += " " + Regional().longTime(value);
    PutString(section, key, text);
}

void TCustomIniFile::PutFloat(const std::string& section, const std::string& key, double value) {
    if (std::isnan(value))
        PutString(section, key, "NAN");
    else if (std::isinf(value))
        PutString(section, key, value > 0 ? "INF" : "-INF");
    else
        PutString(section, key, formatText("%.15g", {value}));
}

void TCustomIniFile::PutTime(const std::string& section, const std::string& key, TDateTime value) {
    PutString(section, key, Regional().longTime(value));
}

bool TCustomIniFile::HasSection(const std::string& section) {
    TStrings keys;
    ListKeys(section, keys);
    return !keys.empty();
}

// ---- the file-backed store ----

TIniFile::~TIniFile() {
    try {
        Flush();
    } catch (...) {
        // a destructor must not throw; the data is already on disk
    }
}

std::string TIniFile::GetString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) {
    if (trimControls(section).empty() || trimControls(key).empty())
        return defaultValue;
    char buffer[kValueBufferSize];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                             kValueBufferSize, FileName().c_str());
    return buffer;
}

void TIniFile::PutString(const std::string& section, const std::string& key,
                         const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                    FileName().c_str()))
        throw EIniFileException("Unable to write to " + FileName());
}

void TIniFile::ListKeys(const std::string& section, TStrings& list) {
    if (trimControls(section).empty())
        return;
    list.clear();
    std::vector<char> buffer(kListBufferSize);
    const std::uint32_t count = GetPrivateProfileStringA(
        section.c_str(), nullptr, "", buffer.data(), kListBufferSize, FileName().c_str());
    list = splitList(buffer.data(), count);
}

void TIniFile::ListSections(TStrings& list) {
    list.clear();
    std::vector<char> buffer(kListBufferSize);
    const std::uint32_t count = GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(),
                                                         kListBufferSize, FileName().c_str());
    list = splitList(buffer.data(), count);
}

void TIniFile::ListPairs(const std::string& section, TStrings& list) {
    TStrings keys;
    ListKeys(section, keys);
    list.clear();
    for (const std::string& key : keys)
        list.push_back(key + "=" + GetString(section, key, ""));
}

void TIniFile::RemoveSection(const std::string& section) {
    if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, FileName().c_str()))
        throw EIniFileException("Unable to write to " + FileName());
}

void TIniFile::RemoveKey(const std::string& section, const std::string& key) {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, FileName().c_str());
}

void TIniFile::Flush() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName().c_str());
}

} // namespace corvel
