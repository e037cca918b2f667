#pragma once

// Builds a version resource (VS_VERSIONINFO) in the published binary layout: the fixed file
// information record, string tables keyed by language and code page, and the translation table.

#include "platform/FileVersionInfo.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace corvel {

struct VersionStringTable {
    std::uint16_t language;
    std::uint16_t codePage;
    std::vector<std::pair<std::string, std::string>> entries; ///< name, UTF-8 text
};

struct VersionResourceContent {
    VS_FIXEDFILEINFO fixed{};
    std::vector<VersionStringTable> tables;
    /// Language and code page pairs, in order; empty leaves out VarFileInfo.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
};

/// A fixed record with the signature and structure version filled in, file and product version
/// both `major.minor.release.build`, flag mask 0x3F and no flags, an application file.
VS_FIXEDFILEINFO MakeFixedFileInfo(std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                                   std::uint16_t build);

/// The resource bytes. Throws std::length_error when it would exceed 65535 bytes.
std::vector<std::uint8_t> BuildVersionResource(const VersionResourceContent& content);

} // namespace corvel
