// Reads any bytes as a named case file: either it is refused as no case, or every value it
// gives lies within its row's range and the keys that fell back are among Q, d, t and k, in
// that order, each once, followed by the keys of section "Run" only when it has a run, whose
// values also lie within their ranges.
#include "app/CaseFile.h"
#include "app/SolvePipeRun.h"

#include <cmath>
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
        bool runKeys = false;
        for (const std::string& key : reading.fellBack) {
            if (key.starts_with("Run/")) {
                runKeys = true;
                continue;
            }
            const std::size_t at =
                key.size() == 1 && !runKeys ? order.find(key[0], next) : std::string::npos;
            if (at == std::string::npos)
                std::abort();
            next = at + 1;
        }
        if (runKeys && !reading.run)
            std::abort(); // run keys fell back without a run
        if (const auto& run = reading.run) {
            const bool inRange = corvel::kPipeLengthRange.contains(run->length) &&
                                 corvel::kElevationRiseRange.contains(run->elevationRise) &&
                                 corvel::kPumpEfficiencyRange.contains(run->pumpEfficiency) &&
                                 run->linePressure >= 1 && run->linePressure <= 100000 &&
                                 run->fittings.otherK >= 0 &&
                                 run->fittings.otherK <= corvel::kMaxFittingsK;
            if (!inRange)
                std::abort();
            corvel::FittingSet again = corvel::FittingSet::parse(run->fittings.text());
            again.otherK = run->fittings.otherK; // not part of the text
            if (!(again == run->fittings))
                std::abort(); // the fittings' text does not read back
        }
    } catch (const corvel::NotACaseFile&) {
    }
    return 0;
}
