#pragma once

// A CSV reader for batch files of any size: records are read in chunks into buffers that are
// reused, so a long file costs no allocation per record and memory stays bounded.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace corvel {

/// Appends `cell` to `line` as one CSV cell, in double quotes (inner quotes doubled) when it
/// holds a comma, a quote or a line break. CsvReader reads it back as is unless it has blanks
/// at either end, which the reader drops.
void appendCsvCell(std::string& line, std::string_view cell);

/// Reads CSV text: cells separated by ",", records ended by CR LF, LF or a lone CR. A cell in
/// double quotes may hold commas, line breaks and doubled quotes. Blanks (spaces and tabs)
/// around a cell are dropped, inside its quotes too; blank lines are skipped. A UTF-8 byte order
/// mark at the start is skipped.
class CsvReader {
public:
    /// Records longer than this fail; the reader skips the rest without keeping it.
    static constexpr std::size_t kMaxRecordBytes = std::size_t{1} << 20;

    enum class RecordError {
        None,
        UnterminatedQuote, ///< the input ended inside a quoted cell
        TextAfterQuote,    ///< a quoted cell goes on after its closing quote
        TooLong,           ///< the record is longer than the limit; it holds no cells
    };

    struct Record {
        std::size_t line;      ///< input line the record starts on, from 1
        std::size_t firstCell; ///< index of its first cell in the chunk
        std::size_t cellCount;
        RecordError error;
    };

    /// The records of one read(); their cells stay valid until the next read into the chunk.
    class Chunk {
    public:
        std::size_t size() const { return records_.size(); }
        const Record& record(std::size_t i) const { return records_[i]; }
        /// Cell `i` of `record`; an empty text past its last cell.
        std::string_view cell(const Record& record, std::size_t i) const;
        /// Bytes the chunk holds for cell texts.
        std::size_t textCapacity() const { return text_.capacity(); }

    private:
        friend class CsvReader;
        std::string text_;                  ///< the cells' texts, one after the other
        std::vector<std::size_t> cellEnds_; ///< where each cell ends in text_
        std::vector<Record> records_;
    };

    explicit CsvReader(std::istream& in, std::size_t maxRecordBytes = kMaxRecordBytes);

    /// Replaces the chunk's records with the next ones: up to `maxRecords`, fewer when their
    /// texts fill about 4 MiB. Returns false when no record was left.
    bool read(Chunk& chunk, std::size_t maxRecords);

    /// Whether reading the stream failed (as opposed to reaching its end).
    bool failed() const { return failed_; }

private:
    /// Reads one record into the chunk; false at the end of the input. A blank line is read as
    /// a record without cells, which read() drops.
    bool readRecord(Chunk& chunk);
    bool fill();
    /// Ends a line at `c` ('\r' or '\n'), taking the LF of a CR LF too.
    void takeLineEnd(char c);

    std::istream& in_;
    std::size_t maxRecordBytes_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::size_t line_ = 1;
    bool started_ = false;
    bool atEnd_ = false;
    bool failed_ = false;
};

} // namespace corvel
