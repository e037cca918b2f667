// Parses any bytes as an ini file, looks up every section and key it finds, then edits it and
// checks that the edits read back and leave the text parseable.
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
