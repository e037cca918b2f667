#include "app/FlowCase.h"

#include "physics/QxFlow.h"
#include "physics/QxWater.h"
#include "physics/Validity.h"
#include "platform/Errors.h"
#include "platform/FloatFaults.h"
#include "units/NumberText.h"

#include <cmath>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace corvel {

const std::array<StandardPipeSize, 20> kStandardPipeSizes = {{
    {750, 1250}, {600, 780}, {500, 540}, {450, 430}, {400, 340}, {350, 260}, {300, 210},
    {250, 150},  {200, 100}, {150, 55},  {125, 38},  {100, 25},  {80, 14},   {65, 7.5},
    {50, 4.8},   {40, 2.5},  {32, 1.6},  {25, 0.8},  {20, 0.5},  {15, 0.25},
}};

namespace {

constexpr long double kPi = 3.14159265358979323846L;

const InputRowInfo& rowInfo(int row) {
    return kInputRows.at(static_cast<std::size_t>(row - 1));
}

} // namespace

FlowCase::FlowCase() {
    SetInputs(kDefaultFlowRate, kDefaultDiameter, kDefaultTemperature, kDefaultRoughness);
}

void FlowCase::SetInputs(double flowRate, double diameter, double temperature, double roughness) {
    FlowRate = flowRate;
    Diameter = diameter;
    Temperature = temperature;
    Roughness = roughness;
    UpdateArea();
    FloatFaultScope scope;
    Velocity = scope.result(static_cast<long double>(FlowRate) / Area);
}

void FlowCase::UpdateArea() {
    FloatFaultScope scope;
    const double area = scope.result(static_cast<long double>(Diameter) * Diameter * kPi / 4);
    Area = area < kMinArea ? kMinArea : area;
}

void FlowCase::UpdateDiameter() {
    if (Area < kMinArea)
        Area = kMinArea;
    FloatFaultScope scope;
    Diameter = scope.result(std::sqrt(4 * static_cast<long double>(Area) / kPi));
}

void FlowCase::NoteEdited(char letter) {
    if (EditOrder.size() != 3)
        EditOrder = "QDV";
    if (letter == EditOrder[1])
        std::swap(EditOrder[0], EditOrder[1]);
    if (letter == EditOrder[2])
        EditOrder = std::string{letter, EditOrder[0], EditOrder[1]};
    const auto bothIn = [this](std::string_view letters) {
        return letters.find(EditOrder[0]) != std::string_view::npos &&
               letters.find(EditOrder[1]) != std::string_view::npos;
    };
    if (bothIn("DQ")) {
        Derived = 0;
    } else if (bothIn("DV")) {
        Derived = 1;
    } else if (bothIn("QV")) {
        Derived = 2;
    } else { // a damaged order starts afresh
        EditOrder = "QDV";
        Derived = 0;
    }
}

std::string FlowCase::QuantityName(char letter) {
    switch (letter) {
    case 'D':
        return "Diameter";
    case 'Q':
        return "Flowrate";
    case 'V':
        return "Velocity";
    default:
        return {};
    }
}

std::string FlowCase::GivenPairText() const {
    if (EditOrder.size() < 2)
        return ", ";
    return QuantityName(EditOrder[0]) + ", " + QuantityName(EditOrder[1]);
}

double& FlowCase::InputValue(int row) {
    switch (row) {
    case kFlowRateRow:
        return FlowRate;
    case kVelocityRow:
        return Velocity;
    case kDiameterRow:
        return Diameter;
    case kTemperatureRow:
        return Temperature;
    case kRoughnessRow:
        return Roughness;
    default:
        throw std::out_of_range("input row " + std::to_string(row));
    }
}

double FlowCase::InputValue(int row) const {
    return const_cast<FlowCase*>(this)->InputValue(row);
}

std::string FlowCase::InputText(int row, double value, const UnitChoices& units) {
    const Quantity quantity = InputQuantity(row);
    if (!units.isDesigned(quantity))
        return units.text(quantity, value);
    const InputRowInfo& info = rowInfo(row);
    return formatText(info.showFormat, {value * info.displayScale});
}

double FlowCase::ReadInputText(int row, std::string_view text, const UnitChoices& units) {
    const double value = readReal(text);
    const Quantity quantity = InputQuantity(row);
    if (!units.isDesigned(quantity)) {
        FloatFaultScope scope;
        return scope.result(units.fromDisplay(quantity, value));
    }
    const double scale = rowInfo(row).baseScale;
    return scale == 1 ? value : value * scale;
}

void FlowCase::ReadInputs(const InputTexts& texts) {
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
        const auto i = static_cast<std::size_t>(row - 1);
        const ShownInput& shown = shown_[i];
        InputValue(row) = !shown.text.empty() && texts[i] == shown.text
                              ? shown.value
                              : ReadInputText(row, texts[i], Units);
    }
}

InputTexts FlowCase::ShowInputs() {
    InputTexts texts;
    for (int row = kFlowRateRow; row <= kRoughnessRow; ++row) {
        const auto i = static_cast<std::size_t>(row - 1);
        const double value = InputValue(row);
        texts[i] = InputText(row, value, Units);
        shown_[i] = {texts[i], value};
    }
    return texts;
}

void FlowCase::ApplyEdit(int row) {
    UpdateArea();
    FloatFaultScope scope;
    const long double q = FlowRate;
    const long double v = Velocity;
    switch (row) {
    case kFlowRateRow:
    case kVelocityRow:
        NoteEdited(row == kFlowRateRow ? 'Q' : 'V');
        if (Derived == 2) {
            Area = scope.result(q / v);
            UpdateDiameter();
        } else if (row == kFlowRateRow) {
            Velocity = scope.result(q / Area);
        } else {
            FlowRate = scope.result(v * Area);
        }
        break;
    case kDiameterRow:
        NoteEdited('D');
        if (Derived == 1) {
            FlowRate = scope.result(v * Area);
            Velocity = scope.result(FlowRate / static_cast<long double>(Area));
        } else {
            Velocity = scope.result(q / Area);
            FlowRate = scope.result(Velocity * static_cast<long double>(Area));
        }
        break;
    default: // temperature and roughness change nothing else
        break;
    }
}

void FlowCase::PickPipeSize() {
    // x = flowrate − 1 l/s must not exceed the limit. Both sides are whole numbers of µl/s held
    // exactly in doubles (up to 2^53), so the comparison is the decimal one; a NaN flowrate
    // stays at the smallest size as before.
    constexpr double kMicroLitresPerCubicMetre = 1e9;
    const double flow = std::round(FlowRate * kMicroLitresPerCubicMetre);
    const auto exceeds = [flow](double limitLps) {
        return flow > std::round((limitLps + 1) * 1e6);
    };
    std::size_t index = kStandardPipeSizes.size() - 1;
    while (exceeds(kStandardPipeSizes[index].flowLimit) && index > 0)
        --index;
    Diameter = kStandardPipeSizes[index].diameterMm * 0.001;
    UpdateArea();
    FloatFaultScope scope;
    Velocity = scope.result(static_cast<long double>(FlowRate) / Area);
    NoteEdited('Q');
    NoteEdited('D');
}

SolveOutcome FlowCase::Solve(const std::function<void()>& publish) {
    try {
        const double T = Temperature;
        // Both property sets carry the same eight fields.
        const auto take = [this](const auto& water) {
            Density = water.density;
            SpecificHeat = water.specificHeat;
            Viscosity = water.viscosity;
            Conductivity = water.conductivity;
            Prandtl = water.prandtl;
            Enthalpy = water.enthalpy;
            VapourPressure = water.vapourPressure;
            Diffusion = water.diffusion;
        };
        if (Water == WaterModel::Simple) {
            take(SimpleWaterProperties(T));
            Boiling = LinePressure < VapourPressure;
        } else {
            const WaterState water = LiquidWater(Water, T, LinePressure);
            take(water);
            Boiling = water.boiling;
        }
        UpdateArea();
        {
            FloatFaultScope scope;
            Velocity = scope.result(static_cast<long double>(FlowRate) / Area);
        }
        Reynolds = ReynoldsNumber(Density, Velocity, Diameter, Viscosity);
        int regime = Regime;
        Friction = FrictionFactor(regime, false, 0, Roughness, Diameter, Reynolds);
        Regime = regime;
        {
            FloatFaultScope scope;
            PressureDrop =
                scope.result(PressureGradient(Density, Friction, Velocity, Diameter) * 0.001L);
        }
        if (publish)
            publish();
        return {true, {}};
    } catch (const std::exception& error) {
        setRecoveryInputs();
        return {false, error.what()};
    } catch (...) {
        setRecoveryInputs();
        return {false, "Unknown error."};
    }
}

std::vector<ValidityNote> FlowCase::Notes() const {
    // A derived flowrate, velocity or diameter is checked against its row's range as the grid
    // would show it, in the designed unit.
    const auto outside = [this](int row) {
        const InputRowInfo& info = rowInfo(row);
        const double shown = InputValue(row) * info.displayScale;
        return !(shown >= info.min && shown <= info.max);
    };
    ValidityCase c;
    c.temperature = Temperature;
    c.reynolds = Reynolds;
    c.relativeRoughness = Diameter > 0 ? Roughness / Diameter : 0;
    c.velocity = Velocity;
    c.boiling = Boiling;
    c.water = Water;
    c.flowRateOutOfRange = Derived == 1 && outside(kFlowRateRow);
    c.velocityOutOfRange = Derived == 0 && outside(kVelocityRow);
    c.diameterOutOfRange = Derived == 2 && outside(kDiameterRow);
    return ValidityNotes(c);
}

void FlowCase::setRecoveryInputs() {
    FlowRate = kDefaultFlowRate;
    Diameter = kDefaultDiameter;
    Temperature = kDefaultTemperature;
    Roughness = kDefaultRoughness;
}

} // namespace corvel
