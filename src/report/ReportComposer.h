#pragma once

// The results report as text: which paragraphs it has, in which order and in which style.
// Plain C++ without a window, so the composition is tested on its own; the report window
// turns the paragraphs into formatted text.

#include <string>
#include <vector>

namespace corvel {

/// One row of a report table: its name as shown, the value text as shown, and the units.
struct ReportRow {
    std::string caption;
    std::string value;
    std::string units;
};

/// What a report is made of: the input rows and result rows in the order they are listed, and
/// the closing line (the calculator's signature; empty gives an empty closing line).
struct ReportContent {
    std::vector<ReportRow> inputs;
    std::vector<ReportRow> results;
    std::string closingLine;
    /// A line after the results naming the water properties used, e.g. "Water properties:
    /// IAPWS reference"; empty leaves it out.
    std::string waterLine;
    /// Notes on the results' reliability, each a complete sentence or more; listed numbered
    /// under "Notes" after the results, and left out entirely when there are none.
    std::vector<std::string> notes;
};

/// How a paragraph is set.
enum class ReportStyle {
    Plain,   ///< the report font as chosen
    Title,   ///< bold and underlined
    Heading, ///< bold
    Closing, ///< italic
};

/// One line of the report. Table rows hold caption, value and units joined by tab characters.
struct ReportParagraph {
    ReportStyle style = ReportStyle::Plain;
    std::string text;

    bool operator==(const ReportParagraph&) const = default;
};

/// The positions [pt] of the three tab stops the table columns start at. They are minimums:
/// where the report font needs more room, the window moves them further right.
inline constexpr double kReportTabStops[] = {100, 160, 200};

/// The title of every report.
inline constexpr const char* kReportTitle = "Corvel Report";

/// The report's paragraphs: a blank line, the title, a blank line, "Input" and one line per
/// input row, a blank line, "Results" and one line per result row, a blank line and the
/// closing line. Five inputs and thirteen results make 26 lines. A water line follows the
/// results; notes come after them as a blank line, "Notes" and one line "1. ..." per note.
std::vector<ReportParagraph> ComposeReportParagraphs(const ReportContent& content);

} // namespace corvel
