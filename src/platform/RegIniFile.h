#pragma once

// The per-user settings store: a key such as "Software\Kestrone\corvel" opened as a sectioned
// store. Sections are subkeys, value names are matched without regard to case. Each read or
// write opens the store and closes it again; nothing is held between calls.
//
// On Windows the key is the registry key of that name under the current user's hive; elsewhere
// it is the native settings file of organisation and application named by the first two parts
// after "Software" (~/.config/Kestrone/corvel.conf), the further parts and the section being
// groups in it.
//
// Between BeginUpdate and EndUpdate the store is opened once and the writes are gathered, to be
// written together in one replacement of the settings file (one flush): a window that writes a
// dozen values when it closes does not replace the file a dozen times, and a kill in between
// leaves all of them old or all of them new.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvel {

struct RegIniUpdate;

class TRegIniFile {
public:
    explicit TRegIniFile(std::string keyName);
    /// Ends an update still open, dropping a failure to write it.
    ~TRegIniFile();
    TRegIniFile(TRegIniFile&&) noexcept;
    TRegIniFile& operator=(TRegIniFile&&) = delete;

    const std::string& FileName() const { return FileName_; }

    /// A text value; any other kind of value, or none, gives the default.
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& defaultValue) const;
    /// A 32-bit integer; a text holding a whole number reads as that number, any other text
    /// the default.
    std::int32_t ReadInteger(const std::string& section, const std::string& name,
                             std::int32_t defaultValue) const;
    /// Read as an integer; non-zero is true.
    bool ReadBool(const std::string& section, const std::string& name, bool defaultValue) const;
    /// Eight bytes of binary data; a value of another size or one that is not finite gives the
    /// default.
    double ReadFloat(const std::string& section, const std::string& name,
                     double defaultValue) const;

    /// Writers throw Exception "Failed to set data for 'name'" when the store cannot be written
    /// (inside an update, EndUpdate does).
    void WriteString(const std::string& section, const std::string& name, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& name, std::int32_t value);
    /// Written as the text "1" or "0".
    void WriteBool(const std::string& section, const std::string& name, bool value);
    void WriteFloat(const std::string& section, const std::string& name, double value);

    bool ValueExists(const std::string& section, const std::string& name) const;
    /// The value names of `section`.
    std::vector<std::string> ReadSection(const std::string& section) const;
    void DeleteKey(const std::string& section, const std::string& name);

    /// Gathers the writes from here on; reads see them. Nothing when an update is already open.
    void BeginUpdate();
    /// Writes what the update gathered in one replacement of the store. Throws Exception
    /// "Failed to set data for 'name'", naming the update's first value, when the store cannot
    /// be written. Nothing when no update is open.
    void EndUpdate();

private:
    std::string FileName_;
    std::unique_ptr<RegIniUpdate> update_;
};

} // namespace corvel
