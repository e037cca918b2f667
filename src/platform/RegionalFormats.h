#pragma once

// The user's regional date and time formats, behind one replaceable object: plain C++ code
// (the ini store) formats and reads dates through it, and start-up installs the one that follows
// the user's regional settings (QtRegionalFormats). The built-in one uses ISO 8601 texts.

#include <memory>
#include <string>
#include <string_view>

namespace corvel {

/// A date and time as days since 1899-12-30 00:00; the fraction is the time of day.
using TDateTime = double;

/// Days and fraction from a calendar date and time; throws EConvertError for a date or time that
/// does not exist.
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int millisecond = 0);

struct DateTimeParts {
    int year, month, day, hour, minute, second, millisecond;
};
/// The calendar date and time of `value` (rounded to the millisecond).
DateTimeParts DecodeDateTime(TDateTime value);

class RegionalFormats {
public:
    virtual ~RegionalFormats() = default;
    /// The date of `value` in the short date format ("2024-03-01").
    virtual std::string shortDate(TDateTime value) const;
    /// The time of day of `value` in the long time format ("14:05:09").
    virtual std::string longTime(TDateTime value) const;
    /// Each reader throws EConvertError for a text that is not in its format.
    virtual TDateTime readDate(std::string_view text) const;
    virtual TDateTime readTime(std::string_view text) const;
    /// A date, optionally followed by a blank and a time.
    virtual TDateTime readDateTime(std::string_view text) const;
};

/// The formats in force.
const RegionalFormats& Regional();
/// Installs `formats`; null restores the built-in ISO formats.
void SetRegionalFormats(std::shared_ptr<const RegionalFormats> formats);

} // namespace corvel
