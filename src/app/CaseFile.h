#pragma once

// The case file: the four stored inputs of a flow case, kept in section "Store" of an ini file
// as the keys "Q" (flowrate, m³/s), "d" (diameter, m), "t" (temperature, °C) and "k" (roughness,
// m), each a decimal text with at least six decimals and as many more as bring the value back
// exactly. One read checks every value against its input row; one write replaces the file with
// all four keys at once, so that a kill at any moment leaves the old case or the new one.
// Any path will do: the fixed "Corvel.ini" of the File menu is one of them.
//
// A case with a pipe run also has a section "Run": "Length" and "Rise" (m), "Fittings" (their
// text form, "Valve gate standard beta=1*2;…"), "OtherK", "PumpEfficiency" (a fraction) and
// "LinePressure" (kPa absolute), with the same digits rule. Versions that know no pipe run read
// section "Store" only and leave the section alone.

#include "app/FlowCase.h"
#include "pipes/PipeRun.h"

#include "platform/Errors.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvel {

/// The name of the case file of the File menu.
inline constexpr const char* kCaseFileName = "Corvel.ini";

/// The pipe run a case file keeps, in base units, with the line pressure of the case.
struct StoredRun {
    double length = 0;                              ///< m
    double elevationRise = 0;                       ///< m
    double pumpEfficiency = kDefaultPumpEfficiency; ///< fraction
    FittingSet fittings;                            ///< with their other K
    double linePressure = kStandardLinePressure;    ///< kPa absolute

    bool operator==(const StoredRun&) const = default;
};

/// The four inputs a case file keeps, in base units.
struct StoredCase {
    double flowRate = kDefaultFlowRate;       ///< m³/s
    double diameter = kDefaultDiameter;       ///< m
    double temperature = kDefaultTemperature; ///< °C
    double roughness = kDefaultRoughness;     ///< m

    /// The four inputs of `flow` as they stand.
    static StoredCase Of(const FlowCase& flow);
    /// Sets the inputs of `flow`, which derives its area and velocity from them.
    void ApplyTo(FlowCase& flow) const;

    bool operator==(const StoredCase&) const = default;
};

/// `raw` with every value that makes no sense replaced by its default: one that is not finite
/// or lies outside its input row's range. A stored flowrate, diameter or roughness may also be 0
/// (six decimals round what the grid admits down to 0), so their ranges start at 0.
StoredCase ValidStoredCase(const StoredCase& raw);

/// A file opened as a named case that holds no case; the message says why in a sentence.
class NotACaseFile : public Exception {
public:
    using Exception::Exception;
};

/// What opening a named case file found: the case, and the keys that took their default
/// because they were missing or out of their row's range.
struct CaseReading {
    StoredCase stored;
    std::vector<std::string> fellBack; ///< in the order Q, d, t, k, then the run's keys
    /// The pipe run, when the file has a section "Run".
    std::optional<StoredRun> run;
};

/// The largest file taken for a case: a case of four keys is a few hundred bytes, and later
/// sections add a few kilobytes at most.
inline constexpr std::uintmax_t kMaxCaseFileSize = 1024 * 1024;

/// The case in `text`, the whole content of the file at `path` (named in the messages), read
/// as CaseFile::ReadCase does: throws NotACaseFile when the text is no case.
CaseReading ParseCaseText(std::string text, const std::string& path);

/// One case file at a path of the caller's choosing.
class CaseFile {
public:
    explicit CaseFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    /// The stored case, each missing or unreadable key or value out of range taking its
    /// default; empty when there is no file. Throws Exception "Unable to read <file>" when the
    /// file cannot be read or is no regular file (a FIFO or a device is never opened).
    std::optional<StoredCase> Read() const;

    /// The case of a file the user named, read strictly: a file that is missing, unreadable,
    /// larger than kMaxCaseFileSize, holds binary data (a NUL byte or text that is not UTF-8),
    /// has no section "Store", or holds a value that is no number throws NotACaseFile; a key
    /// that is missing or out of range takes its default and is listed. Never writes the file.
    CaseReading ReadCase() const;

    /// The pipe run of the file's section "Run"; none when the file or the section is missing.
    /// A value that is missing, no number or out of its range takes its default, as do fittings
    /// that cannot be read. Throws as Read does.
    std::optional<StoredRun> ReadRun() const;

    /// Writes the four keys of `stored`, and the section "Run" when there is a `run`, in one
    /// replacement of the file, keeping every other line of it. Throws Exception "Unable to
    /// write to <file>" when that fails; the old file is then unchanged.
    void Write(const StoredCase& stored, const std::optional<StoredRun>& run = std::nullopt) const;

private:
    std::string path_;
};

/// The two places a case file of the File menu can be in.
struct CaseFilePlaces {
    /// The program's folder with its trailing separator: where a build tree or a portable copy
    /// keeps its case. Empty for an installed copy, which never keeps a case beside itself.
    std::string programFolder;
    /// The user's data folder with its trailing separator.
    std::string userFolder;
    /// Save may write in the program's folder.
    bool programFolderWritable = false;

    /// The places of a program in `programFolder`, the program folder's writability found out.
    static CaseFilePlaces Find(const std::string& programFolder, bool programInstalled,
                               const std::string& userFolder);

    /// Where Save writes: the program's folder when it is writable, else the user's folder.
    std::string SaveTarget() const;
    /// Where Open reads: the file Save writes when it exists, else the file in the other place
    /// when that one exists, else (no case anywhere) the file Save writes.
    std::string OpenSource() const;
};

} // namespace corvel
