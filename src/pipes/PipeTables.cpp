#include "pipes/PipeTables.h"

#include "pipes/DataTables.h"

#include <algorithm>

namespace corvel {

PipeTable::PipeTable(std::string_view standard, std::string_view series)
    : name_(std::string(standard) + " " + std::string(series)), standard_(standard),
      series_(series) {}

void PipeTable::sortByInside() {
    byInside_.clear();
    for (const PipeSize& size : sizes_)
        byInside_.push_back(&size);
    std::stable_sort(byInside_.begin(), byInside_.end(), [](const PipeSize* a, const PipeSize* b) {
        return a->insideDiameter < b->insideDiameter;
    });
}

const PipeSize* PipeTable::smallestWithInside(double insideDiameter) const {
    const auto it =
        std::lower_bound(byInside_.begin(), byInside_.end(), insideDiameter,
                         [](const PipeSize* size, double d) { return size->insideDiameter < d; });
    return it == byInside_.end() ? nullptr : *it;
}

const std::vector<PipeTable>& PipeTables() {
    static const std::vector<PipeTable> tables = [] {
        std::vector<PipeTable> built;
        for (const PipeSizeRow& row : PipeSizeRows()) {
            if (built.empty() || built.back().standard() != row.standard ||
                built.back().series() != row.series)
                built.emplace_back(row.standard, row.series);
            // mm scaled by 0.001, as the grid reads a typed diameter
            built.back().add({row.nominal, row.dn, row.outsideDiameterMm * 0.001,
                              row.wallMm * 0.001, row.insideDiameterMm * 0.001});
        }
        for (PipeTable& table : built)
            table.sortByInside(); // the vector no longer moves: the pointers stay valid
        return built;
    }();
    return tables;
}

const PipeTable* FindPipeTable(std::string_view name) {
    for (const PipeTable& table : PipeTables())
        if (table.name() == name)
            return &table;
    return nullptr;
}

std::string PipeTableNames() {
    std::string names;
    for (const PipeTable& table : PipeTables()) {
        if (!names.empty())
            names += ", ";
        names += table.name();
    }
    return names;
}

} // namespace corvel
