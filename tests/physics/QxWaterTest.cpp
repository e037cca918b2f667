#include "physics/QxWater.h"

#include "TestSupport.h"
#include "platform/Errors.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace corvel {
namespace {

using test::NearRel;

struct WaterReference {
    double T;
    double density, specificHeat, viscosity, conductivity, prandtl, enthalpy, vapourPressure,
        diffusion;
};

// Evaluated independently from the correlations' decimal constants in 40-digit arithmetic.
constexpr WaterReference kReferences[] = {
    {0.0, 1000.0118, 4.2113407, 0.001792, 0.0007037, 10.72434636123348, 0.0, 0.6105, 0.22209153},
    {0.1, 1000.012651506436, 4.211112398497989, 0.0017512297523602161, 0.00056914490416098769,
     12.957377407523428, 0.4211112398497989, 0.61495736211283893, 0.222230705058064},
    {9.0, 999.646856605928, 4.1947265235309538, 0.0013325388641582945, 0.00058506906884670727,
     9.5538055500676917, 37.752538711778584, 1.1474965975861773, 0.2347362983184},
    {20.0, 998.04749883, 4.183327538208, 0.00099989041316453793, 0.00060322883307487404,
     6.9341332364035058, 83.66655076416, 2.3371328027197216, 0.25051789256},
    {100.0, 958.14726327, 4.21938114, 0.00027414190978466134, 0.0006809592234210697,
     1.6986467971133315, 421.938114, 102.16551230596534, 0.376109794},
    {200.0, 885.11006454, 5.04542088, 0.00011424810552424347, 0.00070110803618210875,
     0.82216969049651154, 1009.084176, 1644.1698503793591, 0.559844186},
    {-20.0, 997.46686701, 4.282678503648, 0.001792, 0.0007037, 10.906010911662947, -85.65357007296,
     0.12455790402607154, 0.19485381256},
};

void PrintTo(const WaterReference& reference, std::ostream* out) {
    *out << reference.T << " C";
}

class WaterReferenceTest : public ::testing::TestWithParam<WaterReference> {};

TEST_P(WaterReferenceTest, EveryPropertyMatchesTheIndependentEvaluation) {
    const WaterReference& r = GetParam();
    EXPECT_TRUE(NearRel(WaterDensity(r.T), r.density));
    EXPECT_TRUE(NearRel(WaterSpecificHeat(r.T), r.specificHeat));
    EXPECT_TRUE(NearRel(WaterViscosity(r.T), r.viscosity));
    EXPECT_TRUE(NearRel(WaterConductivity(r.T), r.conductivity));
    EXPECT_TRUE(NearRel(WaterPrandtl(r.T), r.prandtl));
    EXPECT_TRUE(NearRel(WaterEnthalpy(r.T), r.enthalpy));
    EXPECT_TRUE(NearRel(WaterVapourPressure(r.T), r.vapourPressure));
    EXPECT_TRUE(NearRel(WaterDiffusionCoefficient(r.T), r.diffusion));
}

/// Test names such as "At9C", "At0_1C" and "AtMinus20C".
std::string temperatureName(const ::testing::TestParamInfo<WaterReference>& info) {
    std::string text = std::to_string(info.param.T);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    for (char& c : text)
        if (c == '.')
            c = '_';
    if (text.front() == '-')
        text = "Minus" + text.substr(1);
    return "At" + text + "C";
}

INSTANTIATE_TEST_SUITE_P(Temperatures, WaterReferenceTest, ::testing::ValuesIn(kReferences),
                         temperatureName);

TEST(QxWater, ZeroAndBelowTakeTheGuardedViscosityAndConductivity) {
    for (double T : {0.0, -0.0, -5.0, -20.0}) {
        EXPECT_EQ(WaterViscosity(T), 0.001792) << T;
        EXPECT_EQ(WaterConductivity(T), 0.0007037) << T;
    }
    EXPECT_EQ(WaterEnthalpy(0), 0.0);
}

TEST(QxWater, PrandtlJumpsJustAboveZero) {
    EXPECT_TRUE(NearRel(WaterPrandtl(0), 10.7243, 1e-5));
    EXPECT_TRUE(NearRel(WaterPrandtl(0.1), 12.96, 1e-3));
}

TEST(QxWater, NanTemperatureTakesTheGuardsAndNeverLeaksNan) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(WaterViscosity(nan), 0.001792);
    EXPECT_EQ(WaterConductivity(nan), 0.0007037);
    EXPECT_THROW(WaterDensity(nan), EInvalidOp);
    EXPECT_THROW(WaterPrandtl(nan), EInvalidOp);
}

TEST(QxWater, VapourPressureAtMinus237Point3DividesByZero) {
    EXPECT_THROW(WaterVapourPressure(-237.3), EZeroDivide);
    // The fault leaves no flag behind to be blamed on the next calculation.
    EXPECT_TRUE(NearRel(WaterVapourPressure(9), 1.1474965975861773));
}

TEST(QxWater, OverflowIsAnErrorNotInfinity) {
    EXPECT_THROW(WaterDensity(1e300), EOverflow);
    EXPECT_THROW(MagnusCurve({1, 1e6, 0}, 1), EOverflow);
}

TEST(QxWater, NegativeBaseWithNonWholePowerIsInvalid) {
    // (a + b·T) < 0 for T below −51.9 °C; the curve is only reached above 0 °C in use.
    EXPECT_THROW(ReciprocalPowerCurve({0.013345143, 0.0002569035, 0.57775001}, -100), EInvalidOp);
}

TEST(QxWater, PowerRule) {
    struct Case {
        long double base, exponent, expected;
    };
    const Case cases[] = {
        {2, 10, 1024}, {2, -2, 0.25}, {-3, 3, -27}, {5, 0, 1},      {0, 0.5, 0},
        {0, -0.5, 0},  {4, 0.5, 2},   {0, 3, 0},    {1.5, 2, 2.25},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(NearRel(static_cast<double>(Power(c.base, c.exponent)),
                            static_cast<double>(c.expected), 1e-15))
            << static_cast<double>(c.base) << "^" << static_cast<double>(c.exponent);
}

TEST(QxWater, GenericCurvesFollowTheirForms) {
    EXPECT_TRUE(NearRel(ReciprocalPowerCurve({4, 0, 0.5}, 0), 1.0 / 16));
    EXPECT_TRUE(NearRel(LogisticPowerCurve({10, 0, 0, 1}, 0), 5));
    EXPECT_TRUE(NearRel(MagnusCurve({2, 1, 1}, 1), 2 * std::exp(0.5)));
}

} // namespace
} // namespace corvel

namespace corvel {
namespace {

/// The eight properties by their own functions, with a bit-for-bit comparison.
void expectSetIsEachFunction(const SimpleWaterSet& set, double T) {
    const auto same = [](double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    };
    EXPECT_TRUE(same(set.density, WaterDensity(T))) << T;
    EXPECT_TRUE(same(set.specificHeat, WaterSpecificHeat(T))) << T;
    EXPECT_TRUE(same(set.viscosity, WaterViscosity(T))) << T;
    EXPECT_TRUE(same(set.conductivity, WaterConductivity(T))) << T;
    EXPECT_TRUE(same(set.prandtl, WaterPrandtl(T))) << T;
    EXPECT_TRUE(same(set.enthalpy, WaterEnthalpy(T))) << T;
    EXPECT_TRUE(same(set.vapourPressure, WaterVapourPressure(T))) << T;
    EXPECT_TRUE(same(set.diffusion, WaterDiffusionCoefficient(T))) << T;
}

TEST(SimpleWaterProperties, RememberedSetsAreTheFunctionsBitForBit) {
    // Every tenth of a degree over the range twice (the second pass reads remembered sets,
    // some of them from slots that another temperature took in between), then raw values.
    for (int pass = 0; pass < 2; ++pass)
        for (int tenths = -300; tenths <= 3000; ++tenths)
            expectSetIsEachFunction(SimpleWaterProperties(tenths / 10.0), tenths / 10.0);
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> anyT(-60, 400);
    for (int i = 0; i < 20000; ++i) {
        const double T = anyT(rng);
        expectSetIsEachFunction(SimpleWaterProperties(T), T);
        expectSetIsEachFunction(SimpleWaterProperties(T), T);
    }
}

TEST(SimpleWaterProperties, FaultsAreThrownEveryTimeAndNotRemembered) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_THROW(SimpleWaterProperties(-237.3), EZeroDivide);
        EXPECT_THROW(SimpleWaterProperties(1e300), EOverflow);
        EXPECT_THROW(SimpleWaterProperties(std::numeric_limits<double>::quiet_NaN()), EInvalidOp);
    }
    expectSetIsEachFunction(SimpleWaterProperties(9), 9);
}

TEST(SimpleWaterProperties, EachThreadRemembersItsOwnSets) {
    std::vector<std::thread> threads;
    for (int k = 0; k < 4; ++k)
        threads.emplace_back([k] {
            for (int tenths = -200; tenths <= 2000; tenths += 3)
                for (int pass = 0; pass < 2; ++pass) {
                    const double T = tenths / 10.0 + k * 0.05;
                    const SimpleWaterSet set = SimpleWaterProperties(T);
                    if (set.density != WaterDensity(T) || set.prandtl != WaterPrandtl(T))
                        ADD_FAILURE() << T;
                }
        });
    for (std::thread& thread : threads)
        thread.join();
}

} // namespace
} // namespace corvel
