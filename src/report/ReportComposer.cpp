#include "report/ReportComposer.h"

namespace corvel {

namespace {

std::string tableLine(const ReportRow& row) {
    return row.caption + '\t' + row.value + '\t' + row.units;
}

} // namespace

std::vector<ReportParagraph> ComposeReportParagraphs(const ReportContent& content) {
    std::vector<ReportParagraph> paragraphs;
    paragraphs.reserve(content.inputs.size() + content.results.size() + 8);
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
    append(ReportStyle::Plain, {});
    append(ReportStyle::Closing, content.closingLine);
    return paragraphs;
}

} // namespace corvel
