#pragma once

// Dates and times in the user's regional formats (the system locale), for the plain C++ code
// that formats and reads them through Regional().

#include "platform/RegionalFormats.h"

namespace corvel {

/// Short date format (with the year always in four digits, so that a date read back keeps its
/// century) and long time format of the system locale.
class QtRegionalFormats : public RegionalFormats {
public:
    std::string shortDate(TDateTime value) const override;
    std::string longTime(TDateTime value) const override;
    TDateTime readDate(std::string_view text) const override;
    TDateTime readTime(std::string_view text) const override;
    TDateTime readDateTime(std::string_view text) const override;
};

} // namespace corvel
