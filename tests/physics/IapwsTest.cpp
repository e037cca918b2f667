#include "physics/IapwsIf97.h"
#include "physics/IapwsTransport.h"
#include "physics/QxWater.h"
#include "physics/Validity.h"
#include "physics/WaterProperties.h"

#include "TestSupport.h"
#include "platform/Errors.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <limits>
#include <sstream>
#include <string>

namespace corvel {
namespace {

using test::NearRel;

/// Passes when `actual`, rounded to the digits `printed` shows, reads as `printed`: within half
/// a unit of its last digit. "0.100215168e-2" allows 5e-12, "889.735100" allows 5e-7.
::testing::AssertionResult MatchesPrinted(double actual, const char* printed) {
    const char* point = std::strchr(printed, '.');
    const char* exponent = std::strpbrk(printed, "eE");
    const int decimals =
        point == nullptr
            ? 0
            : static_cast<int>((exponent ? exponent : printed + std::strlen(printed)) - point - 1);
    const int power = exponent ? std::atoi(exponent + 1) : 0;
    const double expected = std::strtod(printed, nullptr);
    // the 1e-15 relative slack absorbs the binary rounding of the printed figure itself
    const double halfUnit = 0.5 * std::pow(10.0, power - decimals) + 1e-15 * std::fabs(expected);
    if (std::fabs(actual - expected) <= halfUnit)
        return ::testing::AssertionSuccess();
    std::ostringstream text;
    text << std::setprecision(17) << "actual " << actual << " does not read as " << printed;
    return ::testing::AssertionFailure() << text.str();
}

TEST(MatchesPrinted, AllowsHalfAUnitOfTheLastPrintedDigit) {
    EXPECT_TRUE(MatchesPrinted(889.7351004, "889.735100"));
    EXPECT_FALSE(MatchesPrinted(889.7351006, "889.735100"));
    EXPECT_TRUE(MatchesPrinted(0.1002151684e-2, "0.100215168e-2"));
    EXPECT_FALSE(MatchesPrinted(0.1002151686e-2, "0.100215168e-2"));
}

// IAPWS R7-97(2012), table 5: region 1 at three states, every figure printed there.
struct Region1Check {
    double T, p; // K, MPa
    const char *v, *h, *u, *s, *cp, *w;
};
constexpr Region1Check kRegion1Checks[] = {
    {300, 3, "0.100215168e-2", "0.115331273e3", "0.112324818e3", "0.392294792", "0.417301218e1",
     "0.150773921e4"},
    {300, 80, "0.971180894e-3", "0.184142828e3", "0.106448356e3", "0.368563852", "0.401008987e1",
     "0.163469054e4"},
    {500, 3, "0.120241800e-2", "0.975542239e3", "0.971934985e3", "0.258041912e1", "0.465580682e1",
     "0.124071337e4"},
};

TEST(If97Region1, ReproducesEveryFigureOfTheReleaseVerificationTable) {
    for (const Region1Check& c : kRegion1Checks) {
        SCOPED_TRACE(testing::Message() << c.T << " K, " << c.p << " MPa");
        const If97Region1State s = If97Region1(c.T, c.p);
        EXPECT_TRUE(MatchesPrinted(s.specificVolume, c.v));
        EXPECT_TRUE(MatchesPrinted(s.enthalpy, c.h));
        EXPECT_TRUE(MatchesPrinted(s.internalEnergy, c.u));
        EXPECT_TRUE(MatchesPrinted(s.entropy, c.s));
        EXPECT_TRUE(MatchesPrinted(s.isobaricHeatCapacity, c.cp));
        EXPECT_TRUE(MatchesPrinted(s.speedOfSound, c.w));
    }
}

TEST(If97Region1, EnthalpyAloneIsExactlyTheFullStateEnthalpy) {
    // IapwsWater's zero at 0 °C rests on the two paths summing identically.
    for (double T : {253.15, 273.15, 300.0, 473.15})
        for (double p : {0.0, 0.101325, 3.0, 80.0})
            EXPECT_EQ(If97Region1Enthalpy(T, p), If97Region1(T, p).enthalpy) << T << " K " << p;
}

TEST(If97Region1, ZeroPressureStaysFinite) {
    const If97Region1State s = If97Region1(293.15, 0);
    EXPECT_GT(s.specificVolume, 1e-3);
    EXPECT_LT(s.specificVolume, 1.01e-3);
}

TEST(If97Region1, NonPositiveTemperatureFaultsInsteadOfReturningInfinity) {
    EXPECT_THROW(If97Region1(0, 1), EMathError);
    EXPECT_THROW(If97Region1(std::numeric_limits<double>::quiet_NaN(), 1), EInvalidOp);
}

// IAPWS R7-97(2012), tables 35 and 36: the saturation line both ways.
struct SaturationCheck {
    double argument;
    const char* printed;
};
constexpr SaturationCheck kSaturationPressureChecks[] = {
    {300, "0.353658941e-2"}, {500, "0.263889776e1"}, {600, "0.123443146e2"}};
constexpr SaturationCheck kSaturationTemperatureChecks[] = {
    {0.1, "0.372755919e3"}, {1, "0.453035632e3"}, {10, "0.584149488e3"}};

TEST(If97Region4, SaturationPressureReproducesTheReleaseVerificationTable) {
    for (const SaturationCheck& c : kSaturationPressureChecks)
        EXPECT_TRUE(MatchesPrinted(If97SaturationPressure(c.argument), c.printed)) << c.argument;
}

TEST(If97Region4, SaturationTemperatureReproducesTheReleaseVerificationTable) {
    for (const SaturationCheck& c : kSaturationTemperatureChecks)
        EXPECT_TRUE(MatchesPrinted(If97SaturationTemperature(c.argument), c.printed)) << c.argument;
}

TEST(If97Region4, SaturationTemperatureInvertsSaturationPressure) {
    for (double T = 273.15; T < 640; T += 7.3)
        EXPECT_TRUE(NearRel(If97SaturationTemperature(If97SaturationPressure(T)), T, 1e-6)) << T;
}

TEST(If97Region4, SaturationLineEndsAtTheCriticalPoint) {
    EXPECT_TRUE(
        NearRel(If97SaturationPressure(kIf97CriticalTemperature), kIf97CriticalPressure, 1e-9));
    EXPECT_THROW(If97SaturationPressure(647.1), EInvalidOp);
    EXPECT_THROW(IapwsWater(374, 30000), EInvalidOp); // no liquid above 373.946 °C
}

// IAPWS R12-08, table 4: μ in µPa·s with μ̄2 = 1; the liquid rows first, the vapour rows check
// the dilute-gas part.
struct TransportCheck {
    double T, density; // K, kg/m³
    const char* printed;
};
constexpr TransportCheck kViscosityChecks[] = {
    {298.15, 998, "889.735100"},  {298.15, 1200, "1437.649467"}, {373.15, 1000, "307.883622"},
    {433.15, 1000, "217.685358"}, {433.15, 1, "14.538324"},      {873.15, 1, "32.619287"},
    {873.15, 100, "35.802262"},   {873.15, 600, "77.430195"},    {1173.15, 1, "44.217245"},
    {1173.15, 100, "47.640433"},  {1173.15, 400, "64.154608"},
};

TEST(IapwsViscosity, ReproducesTheReleaseVerificationTable) {
    for (const TransportCheck& c : kViscosityChecks)
        EXPECT_TRUE(MatchesPrinted(IapwsViscosity(c.T, c.density) * 1e6, c.printed))
            << c.T << " K, " << c.density << " kg/m³";
}

// IAPWS R15-11, table of sample points for λ̄0·λ̄1 (λ̄2 = 0), in mW/(m·K).
constexpr TransportCheck kConductivityChecks[] = {
    {298.15, 0, "18.4341883"},
    {298.15, 998, "607.712868"},
    {298.15, 1200, "799.038144"},
    {873.15, 0, "79.1034659"},
};

TEST(IapwsConductivity, ReproducesTheReleaseVerificationTable) {
    for (const TransportCheck& c : kConductivityChecks)
        EXPECT_TRUE(MatchesPrinted(IapwsConductivity(c.T, c.density) * 1e3, c.printed))
            << c.T << " K, " << c.density << " kg/m³";
}

TEST(IapwsWater, GivesRegion1AndTransportValuesInTheFlowCaseUnits) {
    // 300 K and 3 MPa, the first state of the region 1 verification table
    const WaterState w = IapwsWater(26.85, 3000);
    EXPECT_TRUE(NearRel(w.density, 1 / 0.100215168e-2, 1e-8));
    EXPECT_TRUE(NearRel(w.specificHeat, 4.17301218, 1e-8));
    EXPECT_TRUE(NearRel(w.viscosity, IapwsViscosity(300, w.density)));
    EXPECT_TRUE(NearRel(w.conductivity, IapwsConductivity(300, w.density) * 1e-3));
    EXPECT_TRUE(NearRel(w.vapourPressure, 3.53658941, 1e-8));
    EXPECT_TRUE(NearRel(w.pressure, 3000));
    EXPECT_FALSE(w.boiling);
    EXPECT_FALSE(w.extrapolated);
    // The same orders of magnitude as the simple correlations, whose units the results list
    // scales: viscosity about 0.00085 kg/(m·s), conductivity about 0.00061 kW/(m·K).
    const WaterState simple = SimpleWater(26.85, 3000);
    EXPECT_TRUE(NearRel(w.viscosity, simple.viscosity, 0.02));
    EXPECT_TRUE(NearRel(w.conductivity, simple.conductivity, 0.02));
    EXPECT_TRUE(NearRel(w.prandtl, w.specificHeat * w.viscosity / w.conductivity));
    EXPECT_EQ(w.diffusion, WaterDiffusionCoefficient(26.85));
}

TEST(IapwsWater, EnthalpyIsZeroAtZeroCelsiusAtEveryPressure) {
    for (double p : {1.0, 101.325, 1000.0, 50000.0})
        EXPECT_EQ(IapwsWater(0, p).enthalpy, 0.0) << p;
}

TEST(IapwsWater, EnthalpyRisesByTheIntegralOfTheHeatCapacity) {
    // h(T) − h(0 °C) against a trapezoidal integral of cp over 0.5 K steps at 1 MPa
    double integral = 0;
    for (double T = 0; T < 150; T += 0.5)
        integral +=
            0.25 * (IapwsWater(T, 1000).specificHeat + IapwsWater(T + 0.5, 1000).specificHeat);
    EXPECT_TRUE(NearRel(IapwsWater(150, 1000).enthalpy, integral, 1e-5));
}

TEST(IapwsWater, LinePressureBelowSaturationGivesSaturatedLiquidAndSaysSo) {
    const double saturation = If97SaturationPressure(393.15) * 1000; // 120 °C, about 198.7 kPa
    const WaterState boiling = IapwsWater(120, 101.325);
    const WaterState saturated = IapwsWater(120, saturation);
    EXPECT_TRUE(boiling.boiling);
    EXPECT_FALSE(saturated.boiling); // exactly at the saturation pressure the water is liquid
    EXPECT_EQ(boiling.pressure, saturation);
    EXPECT_EQ(boiling.density, saturated.density);
    EXPECT_EQ(boiling.viscosity, saturated.viscosity);
    EXPECT_EQ(boiling.enthalpy, saturated.enthalpy);
    EXPECT_FALSE(IapwsWater(120, 300).boiling);
}

TEST(IapwsWater, ZeroOrNegativeLinePressureBoilsInsteadOfFaulting) {
    for (double p : {0.0, -0.0, -50.0}) {
        const WaterState w = IapwsWater(20, p);
        EXPECT_TRUE(w.boiling) << p;
        EXPECT_TRUE(NearRel(w.density, 998.2, 1e-3)) << p;
    }
}

TEST(IapwsWater, NaNOrInfiniteInputsFaultInsteadOfLeaving) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_THROW(IapwsWater(20, nan), EInvalidOp);
    EXPECT_THROW(IapwsWater(20, inf), EOverflow);
    EXPECT_THROW(IapwsWater(nan, 101.325), EInvalidOp);
    EXPECT_THROW(SimpleWater(20, nan), EInvalidOp);
    EXPECT_THROW(SimpleWater(20, -inf), EOverflow);
}

TEST(IapwsWater, BelowZeroIsExtrapolatedSmoothlyIntoSupercooledLiquid) {
    EXPECT_FALSE(IapwsWater(0, 101.325).extrapolated);
    EXPECT_TRUE(IapwsWater(-0.1, 101.325).extrapolated);
    EXPECT_FALSE(IapwsWater(200, 2000).extrapolated);
    EXPECT_FALSE(IapwsWater(20, 100000).extrapolated); // 100 MPa, region 1's upper pressure
    EXPECT_TRUE(IapwsWater(20, 100001).extrapolated);
    double previousViscosity = 0;
    for (double T = 0; T >= -20; T -= 2) {
        const WaterState w = IapwsWater(T, 101.325);
        EXPECT_GT(w.viscosity, previousViscosity) << T; // viscosity climbs steeply as it cools
        if (T < 0) {
            EXPECT_LT(w.enthalpy, 0.0) << T;
        }
        EXPECT_GT(w.density, 990) << T; // measured: 993.5 kg/m³ at −20 °C
        EXPECT_LT(w.density, 1000) << T;
        previousViscosity = w.viscosity;
    }
    // measured viscosity of supercooled water at −20 °C is about 4.3 mPa·s
    EXPECT_TRUE(NearRel(IapwsWater(-20, 101.325).viscosity, 0.0043, 0.05));
}

TEST(IapwsWater, AgreesWithTheSimpleCorrelationsAt20CelsiusAndOneAtmosphere) {
    // Within the simple fits' known deviations there: density 0.02 %, heat capacity 0.04 %,
    // viscosity 0.2 %, conductivity 0.9 %, Prandtl number 1.1 %, saturation pressure 0.1 %.
    const WaterState simple = SimpleWater(20, kStandardLinePressure);
    const WaterState iapws = IapwsWater(20, kStandardLinePressure);
    EXPECT_TRUE(NearRel(simple.density, iapws.density, 2e-4));
    EXPECT_TRUE(NearRel(simple.specificHeat, iapws.specificHeat, 4e-4));
    EXPECT_TRUE(NearRel(simple.viscosity, iapws.viscosity, 2e-3));
    EXPECT_TRUE(NearRel(simple.conductivity, iapws.conductivity, 9e-3));
    EXPECT_TRUE(NearRel(simple.prandtl, iapws.prandtl, 1.1e-2));
    EXPECT_TRUE(NearRel(simple.vapourPressure, iapws.vapourPressure, 1e-3));
    EXPECT_TRUE(NearRel(simple.enthalpy, iapws.enthalpy, 4e-3));
    // and against handbook values for water at 20 °C and 1 atm
    EXPECT_TRUE(NearRel(iapws.density, 998.21, 1e-5));
    EXPECT_TRUE(NearRel(iapws.viscosity, 1.0016e-3, 1e-3));
    EXPECT_TRUE(NearRel(iapws.conductivity, 0.598e-3, 2e-3));
    EXPECT_TRUE(NearRel(iapws.vapourPressure, 2.339, 1e-3));
}

TEST(SimpleDeviations, EveryQuotedDeviationIsWhatTheTwoChoicesGive) {
    for (const SimpleDeviation& d : kSimpleDeviations) {
        const WaterState simple = SimpleWater(d.temperature, kStandardLinePressure);
        const WaterState iapws = IapwsWater(d.temperature, kStandardLinePressure);
        const double percent = (simple.*d.value / iapws.*d.value - 1) * 100;
        EXPECT_LE(std::fabs(percent - d.percent), 0.5 * std::pow(10.0, -d.decimals))
            << d.property << " at " << d.temperature << " °C deviates by " << percent << " %";
    }
}

TEST(SimpleWater, IsExactlyTheSimpleCorrelations) {
    for (double T : {-20.0, 0.0, 9.0, 100.0, 200.0}) {
        const WaterState w = LiquidWater(WaterModel::Simple, T, kStandardLinePressure);
        EXPECT_EQ(w.density, WaterDensity(T));
        EXPECT_EQ(w.specificHeat, WaterSpecificHeat(T));
        EXPECT_EQ(w.viscosity, WaterViscosity(T));
        EXPECT_EQ(w.conductivity, WaterConductivity(T));
        EXPECT_EQ(w.prandtl, WaterPrandtl(T));
        EXPECT_EQ(w.enthalpy, WaterEnthalpy(T));
        EXPECT_EQ(w.vapourPressure, WaterVapourPressure(T));
        EXPECT_EQ(w.diffusion, WaterDiffusionCoefficient(T));
        EXPECT_EQ(w.boiling, WaterVapourPressure(T) > kStandardLinePressure) << T;
        EXPECT_EQ(w.extrapolated, T <= 0 || T > 100) << T;
    }
}

TEST(LiquidWater, TheIapwsChoiceGivesIapwsWater) {
    const WaterState a = LiquidWater(WaterModel::Iapws, 55, 400);
    const WaterState b = IapwsWater(55, 400);
    EXPECT_EQ(a.density, b.density);
    EXPECT_EQ(a.viscosity, b.viscosity);
}

} // namespace
} // namespace corvel
