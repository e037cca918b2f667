#include "app/CsvReader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace corvel {
namespace {

using Error = CsvReader::RecordError;

struct ReadRecord {
    std::size_t line;
    std::vector<std::string> cells;
    Error error = Error::None;
    bool operator==(const ReadRecord&) const = default;
};

void PrintTo(const ReadRecord& record, std::ostream* os) {
    *os << "line " << record.line << " error " << static_cast<int>(record.error) << " [";
    for (const std::string& cell : record.cells)
        *os << '<' << cell << '>';
    *os << ']';
}

std::vector<ReadRecord> readAll(const std::string& text, std::size_t maxRecords = 3,
                                std::size_t maxBytes = CsvReader::kMaxRecordBytes) {
    std::istringstream in(text);
    CsvReader reader(in, maxBytes);
    CsvReader::Chunk chunk;
    std::vector<ReadRecord> records;
    while (reader.read(chunk, maxRecords)) {
        EXPECT_LE(chunk.size(), maxRecords);
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            const CsvReader::Record& record = chunk.record(i);
            ReadRecord read{record.line, {}, record.error};
            for (std::size_t c = 0; c < record.cellCount; ++c)
                read.cells.emplace_back(chunk.cell(record, c));
            EXPECT_EQ(chunk.cell(record, record.cellCount), "");
            records.push_back(read);
        }
    }
    EXPECT_FALSE(reader.failed());
    return records;
}

TEST(CsvReader, ReadsRecordsAsRfc4180WritesThem) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<ReadRecord> expected;
    };
    const Case cases[] = {
        {"quoted cells with CR LF line ends",
         "\"flow_lps\",\"diameter_mm\"\r\n\"24\",\"100\"\r\n",
         {{1, {"flow_lps", "diameter_mm"}}, {2, {"24", "100"}}}},
        {"LF line ends, last line unterminated", "a,b\n1,2", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
        {"lone CR line ends", "a\r1\r2\r", {{1, {"a"}}, {2, {"1"}}, {3, {"2"}}}},
        {"mixed line ends", "a\r\n1\r2\n3", {{1, {"a"}}, {2, {"1"}}, {3, {"2"}}, {4, {"3"}}}},
        {"blanks around cells, quoted or not", " a , \" b \" ,\t\"c\"\t\n", {{1, {"a", "b", "c"}}}},
        {"commas, quotes and line breaks inside quotes",
         "\"1,5\",\"say \"\"hi\"\"\",\"two\r\nlines\",\"cr\ronly\"\nnext\n",
         {{1, {"1,5", "say \"hi\"", "two\r\nlines", "cr\ronly"}}, {4, {"next"}}}},
        {"blank lines are skipped but counted", "a\n\n  \n\t\r\n1\n", {{1, {"a"}}, {5, {"1"}}}},
        {"empty cells", ",,\n\"\"\n", {{1, {"", "", ""}}, {2, {""}}}},
        {"a quote inside a cell's text is a character", "a\"b,c\"\n", {{1, {"a\"b", "c\""}}}},
        {"byte order mark", "\xEF\xBB\xBF\"a\"\n1\n", {{1, {"a"}}, {2, {"1"}}}},
        {"unterminated quote runs to the end",
         "a\n\"1\n2,3\n",
         {{1, {"a"}}, {2, {"1\n2,3\n"}, Error::UnterminatedQuote}}},
        {"text after a closing quote",
         "\"1\"x,2\n3\n",
         {{1, {"1x", "2"}, Error::TextAfterQuote}, {2, {"3"}}}},
        {"empty input", "", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(readAll(c.text), c.expected) << c.name;
}

TEST(CsvReader, ChunkBoundariesDoNotChangeTheRecords) {
    const std::string text = "a,\"b\"\r\n1,2\r3,\"4\n5\"\n\n6,7\n";
    const auto whole = readAll(text, 100);
    ASSERT_EQ(whole.size(), 4u);
    EXPECT_EQ(readAll(text, 1), whole);
    EXPECT_EQ(whole[3], (ReadRecord{6, {"6", "7"}}));
}

TEST(CsvReader, TooLongRecordFailsAndTheNextOneIsRead) {
    // The limit counts the bytes of the record as written, quotes and inner line breaks too.
    const auto records = readAll("1234567890\n12345678901\n\"12,\n\"\"4567890\"\n9\n", 3, 10);
    const std::vector<ReadRecord> expected = {
        {1, {"1234567890"}}, {2, {}, Error::TooLong}, {3, {}, Error::TooLong}, {5, {"9"}}};
    EXPECT_EQ(records, expected);
}

TEST(CsvReader, LongLineIsSkippedWithoutBeingKept) {
    // A line far over the limit: the chunk's memory stays near the limit.
    std::string text = "a\n" + std::string(6 * CsvReader::kMaxRecordBytes, 'x') + "\n1\n";
    std::istringstream in(std::move(text));
    CsvReader reader(in);
    CsvReader::Chunk chunk;
    ASSERT_TRUE(reader.read(chunk, 10));
    ASSERT_EQ(chunk.size(), 3u);
    EXPECT_EQ(chunk.record(1).error, Error::TooLong);
    EXPECT_EQ(chunk.record(1).cellCount, 0u);
    EXPECT_EQ(chunk.cell(chunk.record(2), 0), "1");
    EXPECT_EQ(chunk.record(2).line, 3u);
    EXPECT_LE(chunk.textCapacity(), 2 * CsvReader::kMaxRecordBytes);
}

TEST(CsvReader, WrittenCellsReadBack) {
    const std::vector<std::string> cells = {"plain", "1,5",  "say \"hi\"", "two\r\nlines",
                                            "",      "cr\r", "\"",         "é"};
    std::string line;
    for (const std::string& cell : cells) {
        appendCsvCell(line, cell);
        line += ',';
    }
    line.back() = '\n';
    const auto records = readAll(line);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].cells, cells);
}

} // namespace
} // namespace corvel
