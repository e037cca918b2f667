#include "report/ReportComposer.h"

#include <string>

namespace corvel {

namespace {

std::string tableLine(const ReportRow& row) {
    return row.caption + '\t' + row.value + '\t' + row.units;
}

} // namespace

std::vector<ReportParagraph> ComposeReportParagraphs(const ReportContent& content) {
    std::vector<ReportParagraph> paragraphs;
    paragraphs.reserve(content.inputs.size() + content.results.size() + content.notes.size() + 11);
    auto append = [&paragraphs](ReportStyle style, std::string text) {
        paragraphs.push_back({style, std::move(text)});
    };
    append(ReportStyle::Plain, {});
    append(ReportStyle::Title, kReportTitle);
    append(ReportStyle::Plain, {});
    append(ReportStyle::Heading, "Input");
    for (const ReportRow& row : content.inputs)
        append(ReportStyle::Plain, tableLine(row));
    append(ReportStyle::Plain, {});
    append(ReportStyle::Heading, "Results");
    for (const ReportRow& row : content.results)
        append(ReportStyle::Plain, tableLine(row));
    if (!content.waterLine.empty())
        append(ReportStyle::Plain, content.waterLine);
    if (!content.notes.empty()) {
        append(ReportStyle::Plain, {});
        append(ReportStyle::Heading, "Notes");
        for (std::size_t i = 0; i < content.notes.size(); ++i)
            append(ReportStyle::Plain, std::to_string(i + 1) + ". " + content.notes[i]);
    }
    append(ReportStyle::Plain, {});
    append(ReportStyle::Closing, content.closingLine);
    return paragraphs;
}

} // namespace corvel
