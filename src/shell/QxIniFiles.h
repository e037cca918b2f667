#pragma once

// A sectioned key-value store over a text file in the classic initialisation-file layout.
// TCustomIniFile writes the typed operations once on top of two text primitives; TIniFile keeps
// the data in a named file through the private-profile functions, with no cache of its own.

#include "platform/Errors.h"
#include "platform/RegionalFormats.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvel {

class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

/// A growable block of bytes with a read/write position.
struct TMemoryStream {
    std::vector<std::uint8_t> Bytes;
    std::size_t Position = 0;
};

using TStrings = std::vector<std::string>;

class TCustomIniFile {
public:
    explicit TCustomIniFile(std::string fileName) : FileName_(std::move(fileName)) {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const std::string& FileName() const { return FileName_; }

    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue) = 0;
    /// Throws EIniFileException "Unable to write to <file>" when the value cannot be written.
    virtual void PutString(const std::string& section, const std::string& key,
                           const std::string& value) = 0;

    /// Decimal, "$1F" or (from three characters on) "0x1F" hexadecimal; the default otherwise.
    virtual std::int32_t GetInteger(const std::string& section, const std::string& key,
                                    std::int32_t defaultValue);
    virtual void PutInteger(const std::string& section, const std::string& key, std::int32_t value);
    /// Any non-zero integer is true; a value that is no integer gives the default.
    virtual bool GetBool(const std::string& section, const std::string& key, bool defaultValue);
    virtual void PutBool(const std::string& section, const std::string& key, bool value);
    /// Decodes a text of hexadecimal digit pairs into `stream` at its position (the stream ends
    /// after them) and returns the count of bytes from there to the end. An empty value, or one
    /// that is not made of whole hexadecimal digit pairs, returns 0 and leaves the stream alone.
    virtual std::size_t GetBinary(const std::string& section, const std::string& key,
                                  TMemoryStream& stream);
    /// Dates, times and reals: an empty or unreadable text gives the default.
    virtual TDateTime GetDate(const std::string& section, const std::string& key,
                              TDateTime defaultValue);
    virtual TDateTime GetDateTime(const std::string& section, const std::string& key,
                                  TDateTime defaultValue);
    virtual double GetFloat(const std::string& section, const std::string& key,
                            double defaultValue);
    virtual TDateTime GetTime(const std::string& section, const std::string& key,
                              TDateTime defaultValue);
    /// Writes the bytes from the stream's position to its end as upper-case hexadecimal pairs.
    virtual void PutBinary(const std::string& section, const std::string& key,
                           const TMemoryStream& stream);
    virtual void PutDate(const std::string& section, const std::string& key, TDateTime value);
    /// The short date, followed by the long time when the time of day is not zero.
    virtual void PutDateTime(const std::string& section, const std::string& key, TDateTime value);
    /// The shortest general form with up to 15 significant digits and "." as decimal separator.
    virtual void PutFloat(const std::string& section, const std::string& key, double value);
    virtual void PutTime(const std::string& section, const std::string& key, TDateTime value);

    /// Replaces `list` by the key names of `section`; a blank section name leaves it untouched.
    virtual void ListKeys(const std::string& section, TStrings& list) = 0;
    virtual void ListSections(TStrings& list) = 0;
    /// Replaces `list` by "key=value" for every key of `section`.
    virtual void ListPairs(const std::string& section, TStrings& list) = 0;
    virtual void RemoveSection(const std::string& section) = 0;
    /// Removes one key; a failure is ignored.
    virtual void RemoveKey(const std::string& section, const std::string& key) = 0;
    virtual void Flush() = 0;

    /// True when `section` holds at least one key.
    bool HasSection(const std::string& section);

private:
    std::string FileName_;
};

class TIniFile : public TCustomIniFile {
public:
    using TCustomIniFile::TCustomIniFile;
    /// Flushes the file.
    ~TIniFile() override;

    /// Trims both names of characters 0 to 32; a blank name returns the default without reading
    /// the file. Values are at most 2047 characters long.
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) override;
    void PutString(const std::string& section, const std::string& key,
                   const std::string& value) override;
    void ListKeys(const std::string& section, TStrings& list) override;
    void ListSections(TStrings& list) override;
    void ListPairs(const std::string& section, TStrings& list) override;
    void RemoveSection(const std::string& section) override;
    void RemoveKey(const std::string& section, const std::string& key) override;
    void Flush() override;
};

} // namespace corvel
