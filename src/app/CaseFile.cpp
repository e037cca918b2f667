#include "app/CaseFile.h"

#include "app/SolvePipeRun.h"
#include "platform/Errors.h"
#include "platform/PrivateProfile.h"
#include "units/NumberText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace corvel {

namespace {

constexpr const char* kSection = "Store";
constexpr const char* kRunSection = "Run";
constexpr const char* kFittingsKey = "Fittings";

/// The keys of the file with the input row each value belongs to.
struct StoredKey {
    const char* key;
    int row;
    double StoredCase::*field;
    double fallback;
};

constexpr std::array<StoredKey, 4> kStoredKeys = {{
    {"Q", kFlowRateRow, &StoredCase::flowRate, kDefaultFlowRate},
    {"d", kDiameterRow, &StoredCase::diameter, kDefaultDiameter},
    {"t", kTemperatureRow, &StoredCase::temperature, kDefaultTemperature},
    {"k", kRoughnessRow, &StoredCase::roughness, kDefaultRoughness},
}};

/// The run's numeric keys with the range each value must lie in.
struct RunKey {
    const char* key;
    double StoredRun::*field;
    InputRange range;
    double fallback;
};

constexpr std::array<RunKey, 5> kRunKeys = {{
    {"Length", &StoredRun::length, kPipeLengthRange, 0},
    {"Rise", &StoredRun::elevationRise, kElevationRiseRange, 0},
    {"PumpEfficiency", &StoredRun::pumpEfficiency, kPumpEfficiencyRange, kDefaultPumpEfficiency},
    {"LinePressure",
     &StoredRun::linePressure,
     {kRunInputRows[kLinePressureRow - kPipeLengthRow].min,
      kRunInputRows[kLinePressureRow - kPipeLengthRow].max},
     kStandardLinePressure},
    {"OtherK", nullptr, {0, kMaxFittingsK}, 0},
}};

double& runValue(StoredRun& run, const RunKey& key) {
    return key.field ? run.*key.field : run.fittings.otherK;
}

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

/// Section names match without regard to case, as every read of the file does.
bool hasSection(const ProfileText& profile, std::string_view section) {
    const std::vector<std::string> sections = profile.sectionNames();
    return std::any_of(sections.begin(), sections.end(),
                       [section](const auto& name) { return sameName(name, section); });
}

/// The run of section "Run"; none without the section. A value that is missing, no number, out
/// of its range, or fittings that cannot be read take the default and are listed in `fellBack`.
std::optional<StoredRun> readRun(const ProfileText& profile, std::vector<std::string>* fellBack) {
    if (!hasSection(profile, kRunSection))
        return std::nullopt;
    StoredRun run;
    const auto fallBack = [fellBack](const char* key) {
        if (fellBack)
            fellBack->push_back(std::string(kRunSection) + "/" + key);
    };
    std::string text;
    if (profile.find(kRunSection, kFittingsKey, text)) {
        try {
            run.fittings = FittingSet::parse(text);
        } catch (const Exception&) {
            fallBack(kFittingsKey);
        }
    }
    for (const RunKey& key : kRunKeys) {
        if (!profile.find(kRunSection, key.key, text)) {
            fallBack(key.key);
            continue;
        }
        double value = key.fallback;
        try {
            value = readReal(text);
        } catch (const EConvertError&) {
            value = NAN;
        }
        if (std::isfinite(value) && key.range.contains(value)) {
            runValue(run, key) = value;
        } else {
            fallBack(key.key);
        }
    }
    return run;
}

bool withinRow(double value, int row) {
    const InputRowInfo& info = kInputRows[static_cast<std::size_t>(row - 1)];
    const double lowest = std::min(0.0, info.min * info.baseScale);
    const double highest = info.max * info.baseScale;
    return std::isfinite(value) && value >= lowest && value <= highest;
}

bool exists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

bool writableFolder(const std::string& folder) {
    struct stat status {};
    return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           ::access(folder.c_str(), W_OK) == 0;
}

} // namespace

StoredCase StoredCase::Of(const FlowCase& flow) {
    return {flow.FlowRate, flow.Diameter, flow.Temperature, flow.Roughness};
}

void StoredCase::ApplyTo(FlowCase& flow) const {
    flow.SetInputs(flowRate, diameter, temperature, roughness);
}

namespace {

/// The stored case's text; none when there is no file. Throws Exception when it cannot be read.
std::optional<ProfileText> ReadStoredProfile(const std::string& path) {
    std::string text;
    switch (ReadProfileFile(path, text)) {
    case ProfileFileRead::Missing:
        return std::nullopt;
    case ProfileFileRead::Refused:
        throw Exception("Unable to read " + path);
    case ProfileFileRead::Read:
        break;
    }
    return ProfileText(std::move(text));
}

} // namespace

StoredCase ValidStoredCase(const StoredCase& raw) {
    StoredCase valid = raw;
    for (const StoredKey& key : kStoredKeys)
        if (!withinRow(valid.*key.field, key.row))
            valid.*key.field = key.fallback;
    return valid;
}

std::optional<StoredCase> CaseFile::Read() const {
    const std::optional<ProfileText> profile = ReadStoredProfile(path_);
    if (!profile)
        return std::nullopt;
    StoredCase stored;
    for (const StoredKey& key : kStoredKeys) {
        std::string value;
        if (!profile->find(kSection, key.key, value))
            continue;
        try {
            stored.*key.field = readReal(value);
        } catch (const EConvertError&) {
            // an unreadable text keeps the default
        }
    }
    return ValidStoredCase(stored);
}

namespace {

/// Whether `text` is well-formed UTF-8 without NUL bytes: what a text file written by hand or
/// by this program is.
bool plainText(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0)
            return false;
        if (byte < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = byte >= 0xF0 && byte <= 0xF4   ? 4
                                   : byte >= 0xE0                 ? 3
                                   : byte >= 0xC2 && byte <= 0xDF ? 2
                                                                  : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

} // namespace

CaseReading CaseFile::ReadCase() const {
    const std::string notACase = path_ + " is not a Corvel case: ";
    struct stat status {};
    if (::stat(path_.c_str(), &status) != 0)
        throw NotACaseFile(path_ + " does not exist.");
    if (S_ISREG(status.st_mode) && static_cast<std::uintmax_t>(status.st_size) > kMaxCaseFileSize)
        throw NotACaseFile(notACase + "it is larger than 1 MiB.");
    std::string text;
    switch (ReadProfileFile(path_, text)) {
    case ProfileFileRead::Missing:
        throw NotACaseFile(path_ + " does not exist.");
    case ProfileFileRead::Refused:
        throw NotACaseFile("Unable to read " + path_ + ".");
    case ProfileFileRead::Read:
        break;
    }
    return ParseCaseText(std::move(text), path_);
}

CaseReading ParseCaseText(std::string text, const std::string& path) {
    const std::string notACase = path + " is not a Corvel case: ";
    // The size again: the file may have grown between the two looks.
    if (text.size() > kMaxCaseFileSize)
        throw NotACaseFile(notACase + "it is larger than 1 MiB.");
    if (!plainText(text))
        throw NotACaseFile(notACase + "it holds binary data.");
    const ProfileText profile(std::move(text));
    if (!hasSection(profile, kSection))
        throw NotACaseFile(notACase + "it has no [Store] section.");
    CaseReading reading;
    for (const StoredKey& key : kStoredKeys) {
        std::string value;
        if (!profile.find(kSection, key.key, value)) {
            reading.fellBack.emplace_back(key.key);
            continue;
        }
        double number = 0;
        try {
            number = readReal(value);
        } catch (const EConvertError&) {
            throw NotACaseFile(notACase + "the value of " + key.key + " is not a number.");
        }
        if (withinRow(number, key.row)) {
            reading.stored.*key.field = number;
        } else {
            reading.stored.*key.field = key.fallback;
            reading.fellBack.emplace_back(key.key);
        }
    }
    reading.run = readRun(profile, &reading.fellBack);
    return reading;
}

std::optional<StoredRun> CaseFile::ReadRun() const {
    const std::optional<ProfileText> profile = ReadStoredProfile(path_);
    if (!profile)
        return std::nullopt;
    return readRun(*profile, nullptr);
}

void CaseFile::Write(const StoredCase& stored, const std::optional<StoredRun>& run) const {
    const bool written = UpdateProfileFile(path_, [&](ProfileText& profile) {
        for (const StoredKey& key : kStoredKeys)
            // Six decimals at least, as the file has always had, and more where a value needs
            // them to come back exactly (a roughness of 0.0003 mm would otherwise return as 0).
            if (!profile.setValue(kSection, key.key, exactFixedText(stored.*key.field, 6)))
                return false;
        if (!run)
            return true;
        StoredRun written = *run;
        if (!profile.setValue(kRunSection, kFittingsKey, written.fittings.text()))
            return false;
        for (const RunKey& key : kRunKeys)
            if (!profile.setValue(kRunSection, key.key, exactFixedText(runValue(written, key), 6)))
                return false;
        return true;
    });
    if (!written)
        throw Exception("Unable to write to " + path_);
}

CaseFilePlaces CaseFilePlaces::Find(const std::string& programFolder, bool programInstalled,
                                    const std::string& userFolder) {
    if (programInstalled)
        return {{}, userFolder, false};
    return {programFolder, userFolder, !programFolder.empty() && writableFolder(programFolder)};
}

std::string CaseFilePlaces::SaveTarget() const {
    const bool besideProgram = !programFolder.empty() && programFolderWritable;
    return (besideProgram ? programFolder : userFolder) + kCaseFileName;
}

std::string CaseFilePlaces::OpenSource() const {
    const std::string saved = SaveTarget();
    if (exists(saved))
        return saved;
    for (const std::string* folder : {&programFolder, &userFolder}) {
        if (folder->empty())
            continue;
        const std::string other = *folder + kCaseFileName;
        if (exists(other))
            return other;
    }
    return saved;
}

} // namespace corvel
