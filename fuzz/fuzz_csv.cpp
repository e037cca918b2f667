// Reads any bytes as a CSV batch file: the records must not depend on how they are chunked,
// cells written back must read back the same, and the batch command's messages and status
// cells must never carry a control character.
#include "app/CsvReader.h"
#include "app/SolveCommand.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using corvel::CsvReader;

namespace {

struct Record {
    std::size_t line;
    CsvReader::RecordError error;
    std::vector<std::string> cells;
    bool operator==(const Record&) const = default;
};

std::vector<Record> readAll(const std::string& text, std::size_t maxRecords, std::size_t maxBytes) {
    std::istringstream in(text);
    CsvReader reader(in, maxBytes);
    CsvReader::Chunk chunk;
    std::vector<Record> records;
    std::size_t lastLine = 0;
    while (reader.read(chunk, maxRecords)) {
        if (chunk.size() == 0 || chunk.size() > maxRecords)
            std::abort();
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            const CsvReader::Record& r = chunk.record(i);
            if (r.line <= lastLine)
                std::abort(); // records start on ever later lines
            lastLine = r.line;
            if (r.error == CsvReader::RecordError::TooLong && r.cellCount != 0)
                std::abort(); // a record over the limit keeps nothing
            Record record{r.line, r.error, {}};
            for (std::size_t c = 0; c < r.cellCount; ++c) {
                const std::string_view cell = chunk.cell(r, c);
                if (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t' ||
                                      cell.back() == ' ' || cell.back() == '\t'))
                    std::abort(); // cells are trimmed
                record.cells.emplace_back(cell);
            }
            if (!chunk.cell(r, r.cellCount).empty())
                std::abort();
            records.push_back(std::move(record));
        }
    }
    if (reader.failed())
        std::abort();
    return records;
}

bool hasControl(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F)
            return true;
        if (byte == 0xC2 && i + 1 < text.size() &&
            static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) < 0xA0)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t maxRecords = 1 + data[0] % 8;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const auto records = readAll(text, maxRecords, 64);
    if (readAll(text, 1000, 64) != records)
        std::abort(); // chunking changes nothing

    // Cells written back read back the same (a lone empty cell would make a blank line). The
    // blank first line keeps a first cell that starts with a byte order mark from losing it.
    std::string written = "\n";
    std::vector<Record> expected;
    for (const Record& record : records) {
        if (record.error != CsvReader::RecordError::None ||
            (record.cells.size() == 1 && record.cells[0].empty()))
            continue;
        for (std::size_t c = 0; c < record.cells.size(); ++c) {
            if (c > 0)
                written += ',';
            corvel::appendCsvCell(written, record.cells[c]);
        }
        written += "\r\n";
        expected.push_back(record);
    }
    const auto reread = readAll(written, 1000, CsvReader::kMaxRecordBytes);
    if (reread.size() != expected.size())
        std::abort();
    for (std::size_t i = 0; i < reread.size(); ++i)
        if (reread[i].cells != expected[i].cells || reread[i].error != CsvReader::RecordError::None)
            std::abort();

    // The whole batch command: messages and statuses are printable.
    std::istringstream in(text);
    std::ostringstream out, err;
    const int code = corvel::RunSolveCommand({"--batch"}, in, out, err);
    if (code < 0 || code > 2)
        std::abort();
    const std::string message = err.str();
    if (!message.empty() && (message.back() != '\n' ||
                             hasControl(std::string_view(message).substr(0, message.size() - 1))))
        std::abort();
    std::istringstream result(out.str());
    CsvReader resultReader(result);
    CsvReader::Chunk chunk;
    // Every row has as many cells as the header names, and its status is printable.
    std::size_t columns = 0;
    std::size_t status = 0;
    bool header = true;
    while (resultReader.read(chunk, 100))
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            const CsvReader::Record& r = chunk.record(i);
            if (header) {
                header = false;
                columns = r.cellCount;
                while (status < columns && chunk.cell(r, status) != "status")
                    ++status;
                if (status == columns)
                    std::abort();
                continue;
            }
            if (r.error != CsvReader::RecordError::None || r.cellCount != columns ||
                hasControl(chunk.cell(r, status)))
                std::abort();
        }
    return 0;
}
