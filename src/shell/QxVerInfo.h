#pragma once

// Reads the version resource of an executable: the fixed file version, the file flags and the
// text entries of the resource's first translation.

#include "platform/Errors.h"
#include "platform/FileVersionInfo.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace corvel {

/// The file has no version data: "No Version Info Available."
class ENoVerInfoError : public Exception {
public:
    using Exception::Exception;
};

/// The version data cannot be read ("Cannot obtain version info.") or has no translation table
/// ("No language info.").
class EVerInfoError : public Exception {
public:
    using Exception::Exception;
};

/// The fixed file information record is missing or short: "No fixed file info"
class eNoFixeVerInfo : public Exception {
public:
    using Exception::Exception;
};

/// The names of the text entries, by the index InfoString takes.
inline constexpr std::array<const char*, 10> kVersionInfoNames = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

class TVerInfoRes {
public:
    /// Loads the version data of `fileName`; throws ENoVerInfoError, EVerInfoError or
    /// eNoFixeVerInfo when the file lacks it.
    explicit TVerInfoRes(const std::string& fileName);

    /// The fixed file version as "major.minor.release.build".
    std::string VersionText() const;
    /// The text entry `index` of kVersionInfoNames for the first translation, as UTF-8; empty
    /// when it is absent or the index is out of range.
    std::string InfoString(int index) const;
    /// The ProductName entry.
    std::string ProductText() const { return InfoString(7); }
    /// "Pre-release", "Private build", "Special build", "Debug": the flags set in the record.
    const std::vector<std::string>& Flags() const { return FFlags; }
    const VS_FIXEDFILEINFO& FixedFileInfo() const { return FFixed; }
    const std::string& FileName() const { return FFileName; }

private:
    std::uint32_t FHandle = 0;
    std::uint32_t FSize = 0;
    mutable std::vector<unsigned char> FData;   // queries convert texts into its spare room
    std::uint16_t FLanguage = 0, FCodePage = 0; // the first translation entry
    VS_FIXEDFILEINFO FFixed{};
    std::vector<std::string> FFlags;
    std::string FFileName;
};

/// The file version text of `fileName` (exceptions as for TVerInfoRes).
std::string FileVersionText(const std::string& fileName);
/// ProductName, a blank and the file version of `fileName`.
std::string ProductCaption(const std::string& fileName);

} // namespace corvel
