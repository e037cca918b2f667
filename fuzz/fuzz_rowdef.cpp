// Feeds arbitrary bytes to the definition-line parsing as the lines of one grid. The first byte
// picks the delimiter; the rest is cut into lines at newlines. The message box is replaced by a
// recorder: a bad line may show "Error initialising " + its caption once, nothing else.

#include "grid/QxFields.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace corvel;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const char delim = static_cast<char>(data[0]);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(
            text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }

    std::vector<std::string> messages;
    const TRowModel model =
        BuildRows(lines, delim, [&messages](const std::string& m) { messages.push_back(m); });

    check(model.RowCount == static_cast<int>(lines.size()));
    check(model.Fields.size() == lines.size() && model.Cells.size() == lines.size());
    check(messages.size() < lines.size() || lines.empty());
    for (const std::string& message : messages)
        check(message.rfind("Error initialising ", 0) == 0);

    for (std::size_t row = 1; row < model.Fields.size(); ++row) {
        const TField* field = model.Fields[row].get();
        check(field != nullptr);
        check(model.Cells[row].size() >= 4);
        // Reading the initial value and writing it back never throws.
        const Variant value = FieldGetValue(field, model.Cells[row][1]);
        const std::string written = FieldSetValueText(field, value);
        (void)FieldGetValue(field, written);
        (void)FieldSetValueText(field, Variant(std::string(text.substr(0, 64))));
        (void)FieldSetValueText(field, Variant(1e300));
        (void)FieldSetValueText(field, Variant(std::int32_t{-7}));
        if (const auto* number = dynamic_cast<const TNumField*>(field)) {
            check(FieldRangeLo(field) == number->Min);
            check(FieldRangeHi(field) == number->Max);
        }
    }
    return 0;
}
