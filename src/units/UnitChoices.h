#pragma once

// The unit each shown quantity is displayed in: a choice from the quantity's category of the unit
// catalogue, with the designed units (l/s, m/s, mm, °C, mm, kg/m³, …) as the default. A quantity
// shown in its designed unit keeps the designed label, format and arithmetic exactly, so the
// default display never changes; any other unit uses the catalogue's label, format and
// conversion. Plain C++: the window, the report and corvel-solve share it.

#include "units/QxConv.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvel {

/// The quantities whose unit the user chooses.
enum class Quantity : int {
    Flow,
    Velocity,
    Diameter,
    Temperature,
    Roughness,
    Density,
    HeatCapacity,
    DynamicViscosity,
    Conductivity,
    Enthalpy,
    SaturationPressure,
    PressureDropRate,
    // The pipe run's quantities, after the flow case's twelve so that stored choices keep
    // their keys and indexes.
    RunLength,    ///< pipe length and elevation rise
    RunPressure,  ///< the run's losses, static pressure and total pressure drop
    RunHead,      ///< total head, a column of the water
    Power,        ///< pump and shaft power
    LinePressure, ///< absolute pressure in the pipe
};

inline constexpr int kQuantityCount = 17;
/// The quantities of the flow case itself, the first of the table: those corvel-solve names.
inline constexpr int kCaseQuantityCount = 12;

/// What a quantity is and how the flow case keeps it.
struct QuantityInfo {
    std::string_view key; ///< "flow", "heat_capacity", …: settings key and corvel-solve name
    UnitCategory category;
    /// The catalogue's base value of a case value: the case keeps m³/s where the "Water Flow"
    /// table starts from l/s, kPa/m where "Pressure Rate" starts from Pa/m.
    double catalogueScale;
    int designedUnit; ///< the catalogue unit the designed display shows
    std::string_view designedLabel;
    std::string_view designedFormat;
    double designedScale;     ///< designed display value = case value × designedScale
    double designedReadScale; ///< case value = designed display value × designedReadScale
    int usUnit;               ///< the unit of the "US customary" preset
};

/// The flow case's quantities (the first kCaseQuantityCount of the table), as corvel-solve
/// lists them.
std::span<const QuantityInfo, kCaseQuantityCount> Quantities();
/// The whole table of quantities, indexed by Quantity.
const std::array<QuantityInfo, kQuantityCount>& AllQuantities();
const QuantityInfo& QuantityOf(Quantity quantity);

/// The quantity with settings key `key`; none when there is no such quantity.
std::optional<Quantity> FindQuantity(std::string_view key);

/// The unit of `category` whose catalogue key is `key` (as the catalogue spells it); -1 when
/// none has it.
int FindUnitByKey(UnitCategory category, std::string_view key);

/// The keys of every unit of a category, comma separated (for messages and help texts).
std::string UnitKeyList(UnitCategory category);

/// One unit per quantity.
class UnitChoices {
public:
    /// Every quantity in its designed unit ("SI (as designed)").
    UnitChoices();

    static UnitChoices Designed();
    static UnitChoices UsCustomary();

    /// The catalogue index of the unit `quantity` is shown in.
    int unit(Quantity quantity) const { return units_[index(quantity)]; }
    /// Chooses a unit; an index outside the category's table counts as the designed unit.
    void setUnit(Quantity quantity, int unit);
    bool isDesigned(Quantity quantity) const;
    /// True when every quantity shows its designed unit.
    bool allDesigned() const;

    std::string label(Quantity quantity) const;
    /// The format pattern values of `quantity` are shown with.
    std::string format(Quantity quantity) const;

    /// A case value in the chosen unit.
    double toDisplay(Quantity quantity, double caseValue) const;
    /// The case value of a value in the chosen unit.
    double fromDisplay(Quantity quantity, double display) const;
    /// A case value as the text shown for it.
    std::string text(Quantity quantity, double caseValue) const;

    /// (settings key, catalogue unit index) for every quantity, in table order.
    std::vector<std::pair<std::string, int>> entries() const;

    bool operator==(const UnitChoices&) const = default;

private:
    static std::size_t index(Quantity quantity) { return static_cast<std::size_t>(quantity); }
    std::array<int, kQuantityCount> units_{};
};

} // namespace corvel
