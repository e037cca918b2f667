#include "physics/QxWater.h"

#include "platform/FloatFaults.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace corvel {

namespace {

/// c0 + c1·T + c2·T² + … by Horner's rule from the highest coefficient.
template <std::size_t N> long double horner(const double (&coeffs)[N], long double T) {
    long double sum = coeffs[N - 1];
    for (std::size_t i = N - 1; i-- > 0;)
        sum = sum * T + coeffs[i];
    return sum;
}

long double intPower(long double base, std::int64_t exponent) {
    std::uint64_t n =
        exponent < 0 ? static_cast<std::uint64_t>(-exponent) : static_cast<std::uint64_t>(exponent);
    long double result = 1.0L;
    long double square = base;
    while (n != 0) {
        if (n & 1U)
            result *= square;
        n >>= 1U;
        if (n != 0)
            square *= square;
    }
    return exponent < 0 ? 1.0L / result : result;
}

long double reciprocalPower(const ReciprocalPowerCoeffs& k, long double T) {
    return Power(k.a + k.b * T, -1.0L / k.c);
}

long double logisticPower(const LogisticPowerCoeffs& k, long double T) {
    return k.a / Power(1.0L + std::exp(k.b - k.c * T), 1.0L / k.d);
}

long double magnus(const MagnusCoeffs& k, long double T) {
    return k.a * std::exp(k.b * T / (T + k.c));
}

constexpr double kDensity[] = {1000.0118, 0.0090785827, -0.0056365427, 0.000013593032};
constexpr double kSpecificHeat[] = {4.2113407, -0.0022883491, 0.000053389636, -0.00000048856259,
                                    0.0000000019154158};
constexpr ReciprocalPowerCoeffs kViscosity{0.013345143, 0.0002569035, 0.57775001};
constexpr LogisticPowerCoeffs kConductivity{703.7, 0.24865794, 0.022435538, 3.8824647};
constexpr MagnusCoeffs kTetens{0.6105, 17.27, 237.3};
constexpr double kDiffusion[] = {22.209153, 0.1391602, 0.00014858064};

constexpr double kMicro = 0.000001;
constexpr double kViscosityAtOrBelowZero = 0.001792;     // kg/(m·s)
constexpr double kConductivityAtOrBelowZero = 0.0007037; // kW/(m·K), 703.7 × 1e-6

} // namespace

long double Power(long double base, long double exponent) {
    if (std::trunc(exponent) == exponent && std::fabs(exponent) <= 2147483647.0L)
        return intPower(base, static_cast<std::int64_t>(exponent));
    if (base == 0.0L)
        return 0.0L;
    return std::exp(exponent * std::log(base));
}

double ReciprocalPowerCurve(const ReciprocalPowerCoeffs& coeffs, double T) {
    FloatFaultScope scope;
    return scope.result(reciprocalPower(coeffs, T));
}

double LogisticPowerCurve(const LogisticPowerCoeffs& coeffs, double T) {
    FloatFaultScope scope;
    return scope.result(logisticPower(coeffs, T));
}

double MagnusCurve(const MagnusCoeffs& coeffs, double T) {
    FloatFaultScope scope;
    return scope.result(magnus(coeffs, T));
}

double WaterDensity(double T) {
    FloatFaultScope scope;
    return scope.result(horner(kDensity, T));
}

double WaterSpecificHeat(double T) {
    FloatFaultScope scope;
    return scope.result(horner(kSpecificHeat, T));
}

// The guards compare quietly so that a NaN temperature takes them without raising a fault.
double WaterViscosity(double T) {
    if (!std::isgreater(T, 0.0))
        return kViscosityAtOrBelowZero;
    FloatFaultScope scope;
    return scope.result(reciprocalPower(kViscosity, T) * kMicro);
}

double WaterConductivity(double T) {
    if (!std::isgreater(T, 0.0))
        return kConductivityAtOrBelowZero;
    FloatFaultScope scope;
    return scope.result(logisticPower(kConductivity, T) * kMicro);
}

double PrandtlFrom(double specificHeat, double viscosity, double conductivity) {
    FloatFaultScope scope;
    const long double cpMu = static_cast<long double>(specificHeat) * viscosity;
    return scope.result(cpMu / conductivity);
}

double EnthalpyFrom(double T, double specificHeat) {
    FloatFaultScope scope;
    return scope.result(static_cast<long double>(T) * specificHeat);
}

double WaterPrandtl(double T) {
    FloatFaultScope scope;
    const double cp = WaterSpecificHeat(T);
    const double mu = WaterViscosity(T);
    return PrandtlFrom(cp, mu, WaterConductivity(T));
}

double WaterEnthalpy(double T) {
    return EnthalpyFrom(T, WaterSpecificHeat(T));
}

double WaterVapourPressure(double T) {
    FloatFaultScope scope;
    return scope.result(magnus(kTetens, T));
}

double WaterDiffusionCoefficient(double T) {
    FloatFaultScope scope;
    return scope.result(horner(kDiffusion, T) * 0.01);
}

} // namespace corvel

namespace corvel {

namespace {

/// One remembered temperature and its properties.
struct CachedWaterSet {
    std::uint64_t temperatureBits;
    bool filled;
    SimpleWaterSet set;
};

// 4096 slots of 80 bytes (320 KiB) hold the 2201 temperatures a batch written to one decimal
// between −20 and 200 °C can name with few collisions. A thread allocates them on its first
// solve, so threads that never solve carry only the pointer; calloc hands a block this large
// over as pages the system zeroes when they are first touched, so a window that solves at a
// few temperatures keeps only those pages.
constexpr int kCacheSlotBits = 12;
using WaterSetCache = std::array<CachedWaterSet, std::size_t{1} << kCacheSlotBits>;
struct FreeCache {
    void operator()(WaterSetCache* cache) const { std::free(cache); }
};
thread_local std::unique_ptr<WaterSetCache, FreeCache> cachedSets;

SimpleWaterSet computeSimpleWater(double T) {
    SimpleWaterSet w;
    w.density = WaterDensity(T);
    w.specificHeat = WaterSpecificHeat(T);
    w.viscosity = WaterViscosity(T);
    w.conductivity = WaterConductivity(T);
    w.prandtl = PrandtlFrom(w.specificHeat, w.viscosity, w.conductivity);
    w.enthalpy = EnthalpyFrom(T, w.specificHeat);
    w.vapourPressure = WaterVapourPressure(T);
    w.diffusion = WaterDiffusionCoefficient(T);
    return w;
}

} // namespace

SimpleWaterSet SimpleWaterProperties(double T) {
    const auto bits = std::bit_cast<std::uint64_t>(T);
    // Fibonacci hashing spreads temperatures that differ in their low bits only.
    const std::size_t slot = (bits * 0x9E3779B97F4A7C15ULL) >> (64 - kCacheSlotBits);
    if (!cachedSets) {
        // Zeroed slots are empty ones; calloc creates the array of plain structs in place.
        cachedSets.reset(static_cast<WaterSetCache*>(std::calloc(1, sizeof(WaterSetCache))));
        if (!cachedSets)
            return computeSimpleWater(T);
    }
    CachedWaterSet& cached = (*cachedSets)[slot];
    if (cached.filled && cached.temperatureBits == bits)
        return cached.set;
    const SimpleWaterSet set = computeSimpleWater(T); // throws before anything is remembered
    cached = {bits, true, set};
    return set;
}

} // namespace corvel
