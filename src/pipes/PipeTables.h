#pragma once

// Standard pipe and tube sizes, grouped into tables by standard and series (e.g. "ASME B36.10M
// 40", "ASTM B88 L", "ISO 4427-2 PE100 SDR11"), from the published pipe_sizes.csv. Lengths in
// metres; a size's inside diameter is the table's (outside diameter − 2 × wall, rounded to
// 0.01 mm), scaled by 0.001 as the input grid scales a typed millimetre value.

#include <string>
#include <string_view>
#include <vector>

namespace corvel {

struct PipeSize {
    std::string_view nominal; ///< as the standard writes it: "1-1/4", "28x1.2", "110"
    int dn;                   ///< DN, 0 where the size has none
    double outsideDiameter;   ///< m
    double wall;              ///< m
    double insideDiameter;    ///< m
};

class PipeTable {
public:
    PipeTable(std::string_view standard, std::string_view series);
    // byInsideDiameter() points into the table's own sizes: a copy would point into the original.
    PipeTable(const PipeTable&) = delete;
    PipeTable& operator=(const PipeTable&) = delete;
    PipeTable(PipeTable&&) = default;
    PipeTable& operator=(PipeTable&&) = default;

    /// Standard and series joined by a space, e.g. "ASME B36.10M 40".
    const std::string& name() const { return name_; }
    std::string_view standard() const { return standard_; }
    std::string_view series() const { return series_; }
    /// The sizes in the published order (outside diameter rising).
    const std::vector<PipeSize>& sizes() const { return sizes_; }
    /// The sizes by rising inside diameter (the published order where two share it). Differs
    /// from sizes() where a thicker wall follows at one outside diameter (EN 1057 28x1.2, 28x1.5).
    const std::vector<const PipeSize*>& byInsideDiameter() const { return byInside_; }

    /// The size with the smallest inside diameter that is at least `insideDiameter` [m];
    /// nullptr when every size is smaller.
    const PipeSize* smallestWithInside(double insideDiameter) const;

private:
    friend const std::vector<PipeTable>& PipeTables();
    void add(const PipeSize& size) { sizes_.push_back(size); }
    void sortByInside();

    std::string name_;
    std::string_view standard_;
    std::string_view series_;
    std::vector<PipeSize> sizes_;
    std::vector<const PipeSize*> byInside_;
};

/// Every table, in the order of the published file.
const std::vector<PipeTable>& PipeTables();
/// The table named `name` (exactly, e.g. "ASTM B88 L"); nullptr for an unknown name.
const PipeTable* FindPipeTable(std::string_view name);
/// The names of all tables, comma-separated, for messages that list the known ones.
std::string PipeTableNames();

} // namespace corvel
