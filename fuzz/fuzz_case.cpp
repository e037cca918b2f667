// Reads any bytes as a named case file: either it is refused as no case, or every value it
// gives lies within its row's range and the keys that fell back are among Q, d, t and k, in
// that order, each once.
#include "app/CaseFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const corvel::CaseReading reading =
            corvel::ParseCaseText(std::string(reinterpret_cast<const char*>(data), size), "f");
        if (!(corvel::ValidStoredCase(reading.stored) == reading.stored))
            std::abort(); // a value out of range got through
        const std::string order = "Qdtk";
        std::size_t next = 0;
        for (const std::string& key : reading.fellBack) {
            const std::size_t at = key.size() == 1 ? order.find(key[0], next) : std::string::npos;
            if (at == std::string::npos)
                std::abort();
            next = at + 1;
        }
    } catch (const corvel::NotACaseFile&) {
    }
    return 0;
}
