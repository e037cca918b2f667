// Parses any bytes as an ini file, looks up every section and key it finds, checks that the kind
// of line ends (LF, CR LF, lone CR) makes no difference, then edits it and checks that the edits
// read back and leave the text parseable.
#include "platform/PrivateProfile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using corvel::ProfileText;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ProfileText profile(text);
    std::string value;
    const auto sections = profile.sectionNames();
    for (const std::string& section : sections)
        for (const std::string& key : profile.keyNames(section))
            if (!profile.find(section, key, value))
                std::abort(); // a listed key must be found
    profile.find("Store", "Q", value);

    // The same text with every line end an LF holds the same sections, keys and values.
    std::string unified;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue; // the LF that follows ends the line
        unified += text[i] == '\r' ? '\n' : text[i];
    }
    const ProfileText plain(unified);
    if (plain.sectionNames() != sections)
        std::abort();
    for (const std::string& section : sections) {
        const auto keys = profile.keyNames(section);
        if (plain.keyNames(section) != keys)
            std::abort();
        for (const std::string& key : keys) {
            std::string plainValue;
            if (!profile.find(section, key, value) || !plain.find(section, key, plainValue) ||
                plainValue != value)
                std::abort();
        }
    }

    const std::string section = sections.empty() ? "Store" : sections.front();
    if (profile.setValue(section, "fuzzkey", "fuzz value")) {
        if (!ProfileText(profile.text()).find(section, "FUZZKEY", value) || value != "fuzz value")
            std::abort(); // a written value must read back
    }
    if (profile.setValue("Fresh", "k", "1")) {
        if (!ProfileText(profile.text()).find("fresh", "K", value) || value != "1")
            std::abort();
    }
    profile.removeKey(section, "fuzzkey");
    profile.removeSection(section);
    if (ProfileText(profile.text()).find(section, "fuzzkey", value))
        std::abort(); // a removed section must be gone
    return 0;
}
