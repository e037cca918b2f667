// Feeds arbitrary bytes to the fittings text reader and the name lookups. FittingError is the
// documented outcome for text that names no fitting or has a bad count; anything else (a crash,
// a hang, a sanitizer report or a broken invariant) is a finding.

#include "pipes/Fittings.h"
#include "pipes/PipeTables.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const corvel::FittingMatch match = corvel::MatchFitting(text);
    check(!(match.fitting && !match.candidates.empty()));
    check(match.candidates.size() != 1);
    corvel::FindPipeTable(text);

    try {
        const corvel::FittingSet set = corvel::FittingSet::parse(text);
        long long total = 0;
        for (const corvel::FittingCount& item : set.items()) {
            check(item.count >= 1 && item.count <= corvel::FittingSet::kMaxCount);
            total += item.count;
        }
        check(total == set.totalCount());
        // The canonical text reads back to the same set.
        check(corvel::FittingSet::parse(set.text()) == set);
        for (double reynolds : {0.0, 1.0, 2300.0, 1e8}) {
            const double k = set.sumK(reynolds, 0.1);
            check(std::isfinite(k) && k >= 0);
        }
    } catch (const corvel::FittingError&) {
    }
    return 0;
}
