#include "app/CsvReader.h"

#include <algorithm>
#include <istream>

namespace corvel {

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;
/// A chunk stops taking records once their texts hold this much.
constexpr std::size_t kChunkTextBytes = 4 * 1024 * 1024;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

void appendCsvCell(std::string& line, std::string_view cell) {
    // One pass over the (short) cell beats a search for any of four characters.
    const auto special = [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; };
    if (std::none_of(cell.begin(), cell.end(), special)) {
        line += cell;
        return;
    }
    line += '"';
    for (char c : cell) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

std::string_view CsvReader::Chunk::cell(const Record& record, std::size_t i) const {
    if (i >= record.cellCount)
        return {};
    const std::size_t index = record.firstCell + i;
    const std::size_t start = index == 0 ? 0 : cellEnds_[index - 1];
    return std::string_view(text_).substr(start, cellEnds_[index] - start);
}

CsvReader::CsvReader(std::istream& in, std::size_t maxRecordBytes)
    : in_(in), maxRecordBytes_(maxRecordBytes), buffer_(kBufferBytes) {}

bool CsvReader::fill() {
    while (!atEnd_) {
        in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        pos_ = 0;
        end_ = static_cast<std::size_t>(in_.gcount());
        if (in_.bad())
            failed_ = true;
        if (end_ == 0) {
            atEnd_ = true;
            break;
        }
        if (!started_) {
            started_ = true;
            if (std::string_view(buffer_.data(), end_).starts_with("\xEF\xBB\xBF"))
                pos_ = 3; // UTF-8 byte order mark
        }
        if (pos_ < end_)
            return true;
    }
    return false;
}

void CsvReader::takeLineEnd(char c) {
    ++line_;
    if (c == '\r' && (pos_ < end_ || fill()) && buffer_[pos_] == '\n')
        ++pos_;
}

bool CsvReader::read(Chunk& chunk, std::size_t maxRecords) {
    chunk.text_.clear();
    chunk.cellEnds_.clear();
    chunk.records_.clear();
    while (chunk.records_.size() < maxRecords && chunk.text_.size() < kChunkTextBytes &&
           readRecord(chunk)) {
    }
    return !chunk.records_.empty();
}

bool CsvReader::readRecord(Chunk& chunk) {
    if (pos_ == end_ && !fill())
        return false;
    std::string& text = chunk.text_;
    std::vector<std::size_t>& cellEnds = chunk.cellEnds_;
    Record record{line_, cellEnds.size(), 0, RecordError::None};
    const std::size_t textStart = text.size();
    std::size_t cellStart = textStart;
    std::size_t bytes = 0; // bytes of the record so far, as read
    bool keeping = true;   // false once the record is too long: its text is dropped
    bool quoteSeen = false;

    enum class State { CellStart, Unquoted, Quoted, QuoteInQuoted, AfterQuote };
    State state = State::CellStart;

    const auto count = [&](std::size_t n) {
        bytes += n;
        if (keeping && bytes > maxRecordBytes_) {
            keeping = false;
            record.error = RecordError::TooLong;
            text.resize(textStart);
            cellEnds.resize(record.firstCell);
            record.cellCount = 0;
        }
    };
    const auto append = [&](const char* first, std::size_t n) {
        count(n);
        if (keeping)
            text.append(first, n);
    };
    // Ends the cell begun at cellStart, dropping blanks at both of its ends.
    const auto endCell = [&] {
        if (!keeping)
            return;
        while (text.size() > cellStart && isBlank(text.back()))
            text.pop_back();
        std::size_t first = cellStart;
        while (first < text.size() && isBlank(text[first]))
            ++first;
        text.erase(cellStart, first - cellStart);
        cellEnds.push_back(text.size());
        ++record.cellCount;
        cellStart = text.size();
    };

    for (;;) {
        if (pos_ == end_ && !fill()) {
            if (state == State::Quoted && record.error == RecordError::None)
                record.error = RecordError::UnterminatedQuote;
            endCell();
            break;
        }
        const char c = buffer_[pos_];
        if (state == State::Unquoted || state == State::Quoted) {
            // Take the run of plain characters at once.
            std::size_t run = pos_;
            if (state == State::Unquoted)
                while (run < end_ && buffer_[run] != ',' && !isLineEnd(buffer_[run]))
                    ++run;
            else
                while (run < end_ && buffer_[run] != '"' && !isLineEnd(buffer_[run]))
                    ++run;
            if (run > pos_) {
                append(buffer_.data() + pos_, run - pos_);
                pos_ = run;
                continue;
            }
        }
        ++pos_;
        if (state == State::Quoted) {
            if (c == '"') {
                count(1);
                state = State::QuoteInQuoted;
            } else { // a line break inside the quotes is part of the cell
                append(&c, 1);
                ++line_;
                if (c == '\r' && (pos_ < end_ || fill()) && buffer_[pos_] == '\n')
                    append(&buffer_[pos_++], 1);
            }
            continue;
        }
        if (state == State::QuoteInQuoted) {
            if (c == '"') { // a doubled quote stands for one
                append(&c, 1);
                state = State::Quoted;
                continue;
            }
            state = State::AfterQuote;
        }
        if (c == ',') {
            count(1);
            endCell();
            state = State::CellStart;
            continue;
        }
        if (isLineEnd(c)) {
            takeLineEnd(c);
            endCell();
            break;
        }
        switch (state) {
        case State::CellStart:
            count(1);
            if (c == '"') {
                quoteSeen = true;
                state = State::Quoted;
            } else if (!isBlank(c)) {
                if (keeping)
                    text += c;
                state = State::Unquoted;
            }
            break;
        case State::AfterQuote:
            if (isBlank(c)) {
                count(1);
                break;
            }
            if (record.error == RecordError::None)
                record.error = RecordError::TextAfterQuote;
            append(&c, 1);
            state = State::Unquoted;
            break;
        default: // Unquoted: a quote inside a cell's text is an ordinary character
            append(&c, 1);
            break;
        }
    }
    if (record.error == RecordError::None && !quoteSeen && record.cellCount == 1 &&
        cellEnds.back() == textStart) {
        cellEnds.pop_back(); // a blank line
        return true;
    }
    chunk.records_.push_back(record);
    return true;
}

} // namespace corvel
