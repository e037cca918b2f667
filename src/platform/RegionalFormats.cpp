#include "platform/RegionalFormats.h"

#include "platform/Errors.h"

#include <cmath>

namespace corvel {

namespace {

// Days from 1970-01-01 to 1899-12-30, the day 0 of TDateTime.
constexpr long long kEpochShift = 25569;
constexpr double kMillisecondsPerDay = 86400000.0;

// Proleptic Gregorian calendar arithmetic on days since 1970-01-01 (Howard Hinnant's algorithms).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

[[noreturn]] void badDate(std::string_view text) {
    throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
}

/// Reads `count` fields of digits separated by `separator`.
bool readFields(std::string_view text, char separator, int count, int* fields) {
    for (int i = 0; i < count; ++i) {
        const std::size_t end = i + 1 < count ? text.find(separator) : text.size();
        if (end == std::string_view::npos || end == 0 || end > 6)
            return false;
        int value = 0;
        for (char c : text.substr(0, end)) {
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + (c - '0');
        }
        fields[i] = value;
        text.remove_prefix(i + 1 < count ? end + 1 : end);
    }
    return true;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

/// `value` as decimal digits, with leading zeros up to `width` digits.
std::string padded(int value, int width) {
    std::string digits = std::to_string(value);
    if (digits.size() < static_cast<std::size_t>(width))
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return digits;
}

std::shared_ptr<const RegionalFormats>& current() {
    static std::shared_ptr<const RegionalFormats> formats = std::make_shared<RegionalFormats>();
    return formats;
}

} // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59 || millisecond < 0 || millisecond > 999)
        throw EConvertError("Invalid argument to date encode");
    const double days = static_cast<double>(
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
        kEpochShift);
    const double time = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
    return days + time / kMillisecondsPerDay;
}

DateTimeParts DecodeDateTime(TDateTime value) {
    DateTimeParts parts{};
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        throw EConvertError("Invalid date and time value");
    const double whole = std::floor(value);
    auto milliseconds = static_cast<long long>(std::llround((value - whole) * kMillisecondsPerDay));
    long long days = static_cast<long long>(whole);
    if (milliseconds >= static_cast<long long>(kMillisecondsPerDay)) {
        milliseconds = 0;
        ++days;
    }
    civilFromDays(days - kEpochShift, parts.year, parts.month, parts.day);
    parts.millisecond = static_cast<int>(milliseconds % 1000);
    parts.second = static_cast<int>(milliseconds / 1000 % 60);
    parts.minute = static_cast<int>(milliseconds / 60000 % 60);
    parts.hour = static_cast<int>(milliseconds / 3600000);
    return parts;
}

std::string RegionalFormats::shortDate(TDateTime value) const {
    const DateTimeParts p = DecodeDateTime(value);
    return padded(p.year, 4) + "-" + padded(p.month, 2) + "-" + padded(p.day, 2);
}

std::string RegionalFormats::longTime(TDateTime value) const {
    const DateTimeParts p = DecodeDateTime(value);
    return padded(p.hour, 2) + ":" + padded(p.minute, 2) + ":" + padded(p.second, 2);
}

TDateTime RegionalFormats::readDate(std::string_view text) const {
    int f[3];
    if (!readFields(trimmed(text), '-', 3, f))
        badDate(text);
    return EncodeDateTime(f[0], f[1], f[2]);
}

TDateTime RegionalFormats::readTime(std::string_view text) const {
    int f[3] = {0, 0, 0};
    const std::string_view t = trimmed(text);
    if (!readFields(t, ':', 3, f) && !readFields(t, ':', 2, f))
        badDate(text);
    return EncodeDateTime(1899, 12, 30, f[0], f[1], f[2]);
}

TDateTime RegionalFormats::readDateTime(std::string_view text) const {
    const std::string_view t = trimmed(text);
    const std::size_t blank = t.find(' ');
    if (blank == std::string_view::npos)
        return readDate(t);
    return readDate(t.substr(0, blank)) + readTime(t.substr(blank + 1));
}

const RegionalFormats& Regional() {
    return *current();
}

void SetRegionalFormats(std::shared_ptr<const RegionalFormats> formats) {
    current() = formats ? std::move(formats) : std::make_shared<RegionalFormats>();
}

} // namespace corvel
