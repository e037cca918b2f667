#pragma once

// The published tables of data/tables, one row per CSV line, generated into the program at build
// time (the columns and units are those of the CSV: lengths in millimetres). PipeTables and
// Fittings build their models from these; the rows keep the CSV's own order.

#include <span>
#include <string_view>

namespace corvel {

/// pipe_sizes.csv: one standard pipe or tube size.
struct PipeSizeRow {
    std::string_view standard; ///< e.g. "ASME B36.10M"
    std::string_view series;   ///< e.g. "40", "L", "SDR11"
    std::string_view nominal;  ///< e.g. "1-1/4", "28x1.2", "110"
    int dn;                    ///< DN (0 where the size has none)
    double outsideDiameterMm;
    double wallMm;
    double insideDiameterMm; ///< outside diameter − 2 × wall, rounded to 0.01 mm
};

/// fittings_3k.csv: Darby's 3-K constants of one fitting.
struct Fitting3kRow {
    std::string_view name;
    double k1;
    double kInf;
    double kd;
};

/// fittings_simple.csv: a size-independent resistance coefficient.
struct FittingSimpleRow {
    std::string_view name;
    double k;
};

/// roughness.csv: absolute roughness of one material, new or clean pipe.
struct RoughnessRow {
    std::string_view material;
    double typicalMm;
    double lowMm;
    double highMm;
    std::string_view source;
};

std::span<const PipeSizeRow> PipeSizeRows();
std::span<const Fitting3kRow> Fitting3kRows();
std::span<const FittingSimpleRow> FittingSimpleRows();
std::span<const RoughnessRow> RoughnessRows();

} // namespace corvel
