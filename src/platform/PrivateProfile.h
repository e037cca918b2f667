#pragma once

// The private-profile file functions: a sectioned key-value text file in the classic
// initialisation-file layout, read and written without any cache.
//
// Layout as read:
//   - lines end in LF, CR LF or a lone CR; a UTF-8 byte-order mark at the start is skipped;
//   - "[name]" (blanks allowed around it) opens a section; a "[" line without "]" is no header;
//   - "key=value" holds a value; a line without "=", a blank key and lines starting with ";" or
//     "#" hold none;
//   - section and key names are matched without regard to (ASCII) case and without surrounding
//     blanks; values come back without surrounding blanks and without one pair of matching
//     quotes ('…' or "…") around them;
//   - of duplicate sections, and of duplicate keys within a section, the first wins.
// A write changes only the lines it must: every other line, comment and line end is kept byte for
// byte; lines a write adds end as the file's first line does. Writes replace the file atomically
// (temporary file, flush, rename) under an advisory lock on its folder, so writers in several
// processes lose no key, and a kill at any moment leaves the old file or the new one whole. A
// write first removes the temporary files ("<name>.XXXXXX") that killed writers left.
// Only regular files are read or written: a FIFO or a device is refused before it is opened.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvel {

/// The parsed text of a profile file, and the edits a write makes to it.
class ProfileText {
public:
    explicit ProfileText(std::string text = {});

    /// The value of `key` in `section`; false when either is absent.
    bool find(std::string_view section, std::string_view key, std::string& value) const;
    /// Section names in file order (each name once, as first written).
    std::vector<std::string> sectionNames() const;
    /// Key names of the first section called `section`, in file order; empty when absent.
    std::vector<std::string> keyNames(std::string_view section) const;

    /// Sets `key` in `section`, adding the key (and the section) when absent. Returns false,
    /// changing nothing, for a name or value that the layout cannot hold (blank names, line
    /// breaks or NUL anywhere, "]" in a section name, "=" in a key name, a key starting with
    /// ";", "#" or "[").
    bool setValue(std::string_view section, std::string_view key, std::string_view value);
    /// Removes `key` from the first section called `section`; true when the text changed.
    bool removeKey(std::string_view section, std::string_view key);
    /// Removes every section called `section` with all its lines; true when the text changed.
    bool removeSection(std::string_view section);

    /// The file text with the edits applied.
    const std::string& text() const { return text_; }

private:
    struct Line {
        std::size_t begin; // offset of the first byte of the line
        std::size_t end;   // offset after the line's content, before its line end
        std::size_t next;  // offset of the next line
        enum class Kind { Other, Section, Key } kind;
        std::string name;                         // trimmed section or key name
        std::size_t valueBegin = 0, valueEnd = 0; // raw value, after "=" (Key lines)
    };

    void parse();
    /// Index of the header line of the first section called `section`, or npos.
    std::size_t findSection(std::string_view section) const;
    /// One past the last line belonging to the section whose header is at `header`.
    std::size_t sectionEnd(std::size_t header) const;
    std::size_t findKey(std::size_t header, std::string_view key) const;
    /// The line of `key` in `section`, npos when either is missing.
    std::size_t findKey(std::string_view section, std::string_view key) const;
    std::string lineBreak() const;
    void replace(std::size_t begin, std::size_t end, std::string_view with);

    std::string text_;
    std::size_t bodyStart_ = 0; // after a byte-order mark
    std::vector<Line> lines_;
};

/// What reading a profile file found.
enum class ProfileFileRead {
    Read,    ///< the text was read
    Missing, ///< there is no file at the path
    Refused, ///< the file cannot be read, or is no regular file
};

/// Reads the file at `fileName` whole into `text` (empty unless Read).
ProfileFileRead ReadProfileFile(const std::string& fileName, std::string& text);

/// Reads the file at `fileName` (an absent one as empty), lets `edit` change its text, and
/// replaces the file once with the result. Returns false, leaving the old file unchanged, when
/// the file cannot be read or written or `edit` returns false. A text that `edit` left as it was
/// is not written.
bool UpdateProfileFile(const std::string& fileName, const std::function<bool(ProfileText&)>& edit);

// The stand-ins for the system's profile functions. Text arguments are zero-terminated.

/// Copies the value of `keyName` in `appName` into `returnedString` (at most `size` − 1
/// characters, zero-terminated) and returns the count copied; copies `defaultValue` when the file,
/// section or key is absent. With `keyName` null, copies the key names of the section instead, and
/// with `appName` null the section names, each ended by a zero byte and the list by a second one;
/// a list that does not fit is cut at a whole name and the result is `size` − 2.
std::uint32_t GetPrivateProfileStringA(const char* appName, const char* keyName,
                                       const char* defaultValue, char* returnedString,
                                       std::uint32_t size, const char* fileName);

/// Writes `value` as `keyName` of section `appName`. A null `value` removes the key, a null
/// `keyName` the section; all three null only flushes. Returns false when the file could not be
/// written (the old file is then unchanged) or the names or value cannot be stored.
bool WritePrivateProfileStringA(const char* appName, const char* keyName, const char* value,
                                const char* fileName);

} // namespace corvel
