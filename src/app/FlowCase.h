#pragma once

// The flow case: five inputs in SI base units, the pipe area that ties flowrate, velocity and
// diameter together, the rule that decides which of the three is derived, and the solve.
// Plain C++: the main window owns one and only moves texts between it and its widgets.

#include "app/InputRows.h"
#include "physics/Validity.h"
#include "physics/WaterProperties.h"
#include "units/UnitChoices.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvel {

/// The value-column texts of the input grid, rows 1 to 5 (index 0 holds row 1).
using InputTexts = std::array<std::string, 5>;

/// A standard pipe: nominal inside diameter [mm] and the highest flowrate it is chosen for [l/s].
struct StandardPipeSize {
    std::int32_t diameterMm;
    double flowLimit;
};

/// The 20 standard sizes in descending order of diameter.
extern const std::array<StandardPipeSize, 20> kStandardPipeSizes;

/// Inputs used at first start and after a failed solve.
inline constexpr double kDefaultFlowRate = 0.024;    // m³/s
inline constexpr double kDefaultDiameter = 0.1;      // m
inline constexpr double kDefaultTemperature = 9;     // °C
inline constexpr double kDefaultRoughness = 0.00003; // m
inline constexpr double kMinArea = 1e-13;            // m², keeps the velocity finite for D = 0

/// The outcome of a solve: "Solved..." or "Error..." with the error's own text.
struct SolveOutcome {
    bool solved;
    std::string message; ///< empty when solved
    const char* statusText() const { return solved ? "Solved..." : "Error..."; }
};

class FlowCase {
public:
    /// The default inputs, with the area and velocity that follow from them.
    FlowCase();

    /// Takes four stored inputs and derives area and velocity from them.
    void SetInputs(double flowRate, double diameter, double temperature, double roughness);

    /// Area = π·D²/4, never below 1e-13 m².
    void UpdateArea();
    /// Diameter from Area (after lifting Area to its floor).
    void UpdateDiameter();

    /// Records that flowrate (`Q`), diameter (`D`) or velocity (`V`) was edited.
    void NoteEdited(char letter);
    static std::string QuantityName(char letter);
    /// The given pair, most recent first, e.g. "Flowrate, Diameter".
    std::string GivenPairText() const;

    /// Reads the five value texts into the case (l/s and mm scaled to m³/s and m). A text that
    /// is still exactly the one ShowInputs last made for its row gives back the value it was
    /// made from, at full precision: reading a rounded text back must not change the case. A
    /// text that is not a number throws EConvertError; the rows before it have been taken.
    void ReadInputs(const InputTexts& texts);
    /// The five value texts in the formats the grid shows them with; the case remembers each
    /// text with the value it shows.
    InputTexts ShowInputs();

    /// The case field shown in input row `row` (1 to 5), in base units.
    double& InputValue(int row);
    double InputValue(int row) const;
    /// The grid text of row `row` for a value in base units, in the unit `units` choose for
    /// the row (the designed unit by default).
    static std::string InputText(int row, double value, const UnitChoices& units = {});
    /// The value in base units of a grid text of row `row` in the unit `units` choose for it;
    /// throws EConvertError.
    static double ReadInputText(int row, std::string_view text, const UnitChoices& units = {});

    /// Recomputes after the user committed `row` (ReadInputs already done): the two most
    /// recently edited of flowrate, velocity and diameter stay, the third follows.
    void ApplyEdit(int row);

    /// Picks the smallest standard pipe whose limit is at least the flowrate less 1 l/s, makes
    /// flowrate and diameter the given pair and derives the velocity. The flowrate is compared
    /// as the decimal number of l/s it is to a micro-litre per second, so a limit is met exactly
    /// by the flowrate typed as that number (26 l/s picks 100 mm although 26 × 0.001 is a hair
    /// above 0.026 in binary).
    void PickPipeSize();

    /// Water properties, velocity, Reynolds number, friction factor, regime and pressure
    /// gradient from the inputs. `publish` runs inside the same error trap, so a failure while
    /// showing the results counts as a failed solve. On any failure the inputs take the
    /// recovery values and the outcome carries the error's text.
    SolveOutcome Solve(const std::function<void()>& publish = {});

    // Inputs, in base units.
    double FlowRate = kDefaultFlowRate;       ///< m³/s
    double Diameter = kDefaultDiameter;       ///< m
    double Temperature = kDefaultTemperature; ///< °C
    double Roughness = kDefaultRoughness;     ///< m
    double Velocity = 0;                      ///< m/s
    double Area = kMinArea;                   ///< m²
    // Results of the last solve.
    double Density = 0;        ///< kg/m³
    double SpecificHeat = 0;   ///< kJ/(kg·K)
    double Viscosity = 0;      ///< kg/(m·s)
    double Conductivity = 0;   ///< kW/(m·K)
    double Prandtl = 0;        ///< -
    double Friction = 0;       ///< Darcy friction factor
    double Reynolds = 0;       ///< -
    double PressureDrop = 0;   ///< kPa/m
    double Enthalpy = 0;       ///< kJ/kg
    double VapourPressure = 0; ///< kPa
    double Diffusion = 0;      ///< cm²/s
    std::int32_t Regime = 0;
    /// Whether the line pressure lies below the saturation pressure at the mean temperature:
    /// the water would boil, and the properties are those of saturated liquid.
    bool Boiling = false;

    /// The units the grid shows the five inputs in; the case itself keeps base units.
    UnitChoices Units;
    /// Which formulas give the water properties.
    WaterModel Water = WaterModel::Simple;
    /// Absolute pressure in the pipe [kPa]; the reference properties are taken at it.
    double LinePressure = kStandardLinePressure;

    /// The notes the last solve earns: where a figure is less reliable than usual.
    std::vector<ValidityNote> Notes() const;

    /// Q, D and V, most recently edited first; the first two are given.
    std::string EditOrder = "QDV";
    /// 0: velocity is derived, 1: flowrate, 2: diameter.
    std::int32_t Derived = 0;

private:
    void setRecoveryInputs();

    /// A text ShowInputs made and the base value it was made from.
    struct ShownInput {
        std::string text;
        double value = 0;
    };
    /// What ShowInputs last made for rows 1 to 5; an empty text matches no grid text.
    std::array<ShownInput, 5> shown_{};
};

} // namespace corvel
