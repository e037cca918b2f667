// The help page's section on trust quotes the deviations and sources the notes are built on:
// a change of either must reach the page.

#include "physics/Validity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace corvel {
namespace {

std::string helpPage() {
    std::ifstream file(CORVEL_HELP_PAGE);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

/// "+27 %", "−2.6 %": the sign as a typesetter writes it, the decimals the table keeps.
std::string percentText(const SimpleDeviation& d) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.*f", d.decimals, std::fabs(d.percent));
    return std::string(d.percent < 0 ? "−" : "+") + digits + " %";
}

TEST(HelpPageTrustTest, DeviationTableQuotesEveryMeasuredDeviation) {
    const std::string page = helpPage();
    ASSERT_NE(page.find("How far to trust the figures"), std::string::npos);
    for (const SimpleDeviation& d : kSimpleDeviations) {
        const std::string row = "<tr><td>" + std::to_string(static_cast<int>(d.temperature)) +
                                " °C</td><td>" + std::string(d.property) + "</td><td>" +
                                percentText(d) + "</td></tr>";
        EXPECT_NE(page.find(row), std::string::npos) << row;
    }
}

TEST(HelpPageTrustTest, SourcesTableNamesEveryFormulaAndItsSource) {
    const std::string page = helpPage();
    for (const CorrelationValidity& c : kCorrelationValidity) {
        const std::string start = "<tr><td>" + std::string(c.name) + "</td>";
        const std::size_t at = page.find(start);
        ASSERT_NE(at, std::string::npos) << c.name;
        const std::size_t end = page.find("</tr>", at);
        EXPECT_NE(page.substr(at, end - at).find(std::string(c.source)), std::string::npos)
            << c.name;
    }
    EXPECT_NE(page.find("critical enhancement"), std::string::npos);
}

} // namespace
} // namespace corvel
