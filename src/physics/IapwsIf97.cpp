#include "physics/IapwsIf97.h"

#include "platform/Errors.h"
#include "platform/FloatFaults.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace corvel {

namespace {

/// One term nᵢ (7.1 − π)^Iᵢ (τ − 1.222)^Jᵢ of the region 1 Gibbs free energy.
struct GibbsTerm {
    int I;
    int J;
    double n;
};

// IAPWS R7-97(2012), table 2: coefficients and exponents of equation (7).
constexpr GibbsTerm kRegion1[] = {
    {0, -2, 0.14632971213167},        {0, -1, -0.84548187169114},
    {0, 0, -0.37563603672040e1},      {0, 1, 0.33855169168385e1},
    {0, 2, -0.95791963387872},        {0, 3, 0.15772038513228},
    {0, 4, -0.16616417199501e-1},     {0, 5, 0.81214629983568e-3},
    {1, -9, 0.28319080123804e-3},     {1, -7, -0.60706301565874e-3},
    {1, -1, -0.18990068218419e-1},    {1, 0, -0.32529748770505e-1},
    {1, 1, -0.21841717175414e-1},     {1, 3, -0.52838357969930e-4},
    {2, -3, -0.47184321073267e-3},    {2, 0, -0.30001780793026e-3},
    {2, 1, 0.47661393906987e-4},      {2, 3, -0.44141845330846e-5},
    {2, 17, -0.72694996297594e-15},   {3, -4, -0.31679644845054e-4},
    {3, 0, -0.28270797985312e-5},     {3, 6, -0.85205128120103e-9},
    {4, -5, -0.22425281908000e-5},    {4, -2, -0.65171222895601e-6},
    {4, 10, -0.14341729937924e-12},   {5, -8, -0.40516996860117e-6},
    {8, -11, -0.12734301741641e-8},   {8, -6, -0.17424871230634e-9},
    {21, -29, -0.68762131295531e-18}, {23, -31, 0.14478307828521e-19},
    {29, -38, 0.26335781662795e-22},  {30, -39, -0.11947622640071e-22},
    {31, -40, 0.18228094581404e-23},  {32, -41, -0.93537087292458e-25},
};

constexpr double kRegion1Pressure = 16.53;   // MPa, p* of region 1
constexpr double kRegion1Temperature = 1386; // K, T* of region 1

// IAPWS R7-97(2012), table 34: coefficients n1 … n10 of the saturation-line equation (29).
constexpr double kN1 = 0.11670521452767e4;
constexpr double kN2 = -0.72421316703206e6;
constexpr double kN3 = -0.17073846940092e2;
constexpr double kN4 = 0.12020824702470e5;
constexpr double kN5 = -0.32325550322333e7;
constexpr double kN6 = 0.14915108613530e2;
constexpr double kN7 = -0.48232657361591e4;
constexpr double kN8 = 0.40511340542057e6;
constexpr double kN9 = -0.23855557567849;
constexpr double kN10 = 0.65017534844798e3;

// Ranges of the exponents in table 2, widened by the two derivatives.
constexpr int kMaxI = 32;
constexpr int kMinJ = -41 - 2;
constexpr int kMaxJ = 17;

/// One term's coefficient times the exponent factors of each derivative, formed once at compile
/// time; exact in extended precision (53 + 11 bits).
struct TermFactors {
    long double n, nI, nII, nJ, nJJ, nIJ;
};

constexpr auto kFactors = [] {
    constexpr std::size_t count = sizeof kRegion1 / sizeof kRegion1[0];
    std::array<TermFactors, count> factors{};
    for (std::size_t k = 0; k < count; ++k) {
        const long double n = kRegion1[k].n;
        const int I = kRegion1[k].I, J = kRegion1[k].J;
        factors[k] = {n, n * I, n * I * (I - 1), n * J, n * J * (J - 1), n * I * J};
    }
    return factors;
}();

/// γ and its derivatives by π and τ (γπ, γππ, γπτ only when `full`).
struct GibbsDerivatives {
    long double g = 0, gPi = 0, gPiPi = 0, gTau = 0, gTauTau = 0, gPiTau = 0;
};

GibbsDerivatives region1Gibbs(long double pi, long double tau, bool full) {
    // Every power the terms need, by repeated multiplication: one division in all, where raising
    // each term's bases separately would take 34 (the negative powers) and many more products.
    const long double x = 7.1L - pi;
    const long double y = tau - 1.222L;
    long double xPower[kMaxI + 1];
    xPower[0] = 1;
    for (int i = 1; i <= kMaxI; ++i)
        xPower[i] = xPower[i - 1] * x;
    long double yPowerTable[kMaxJ - kMinJ + 1];
    long double* const yPower = yPowerTable - kMinJ; // yPower[j] = y^j for kMinJ ≤ j ≤ kMaxJ
    yPower[0] = 1;
    for (int j = 1; j <= kMaxJ; ++j)
        yPower[j] = yPower[j - 1] * y;
    const long double yInverse = 1 / y;
    for (int j = -1; j >= kMinJ; --j)
        yPower[j] = yPower[j + 1] * yInverse;

    GibbsDerivatives d;
    for (std::size_t k = 0; k < kFactors.size(); ++k) {
        const GibbsTerm& t = kRegion1[k];
        const TermFactors& f = kFactors[k];
        const long double x0 = xPower[t.I];
        const long double y1 = yPower[t.J - 1];
        d.gTau += f.nJ * x0 * y1;
        if (!full)
            continue;
        // x^(I−1) and x^(I−2) only where the factor I or I·(I−1) keeps them; x may be 0.
        const long double x1 = t.I >= 1 ? xPower[t.I - 1] : 0.0L;
        const long double x2 = t.I >= 2 ? xPower[t.I - 2] : 0.0L;
        const long double y0 = yPower[t.J];
        d.g += f.n * x0 * y0;
        d.gPi -= f.nI * x1 * y0;
        d.gPiPi += f.nII * x2 * y0;
        d.gTauTau += f.nJJ * x0 * yPower[t.J - 2];
        d.gPiTau -= f.nIJ * x1 * y1;
    }
    return d;
}

} // namespace

If97Region1State If97Region1(double T, double p) {
    FloatFaultScope scope;
    const long double pi = p / static_cast<long double>(kRegion1Pressure);
    const long double tau = kRegion1Temperature / static_cast<long double>(T);
    const GibbsDerivatives d = region1Gibbs(pi, tau, true);
    const long double RT = static_cast<long double>(kIf97GasConstant) * T; // kJ/kg
    // v = π·γπ·RT/p; π/p = 1/p* keeps p = 0 finite. RT/p in kJ/(kg·MPa) is 1e-3 m³/kg.
    const long double v = RT * d.gPi / kRegion1Pressure * 1e-3L;
    const long double tauGTau = tau * d.gTau;
    const long double cpOverR = -tau * tau * d.gTauTau;
    const long double slope = d.gPi - tau * d.gPiTau;
    // w² = RT·γπ² / ((γπ − τγπτ)²/(τ²γττ) − γππ), RT in J/kg
    const long double w2 = RT * 1e3L * d.gPi * d.gPi / (slope * slope / -cpOverR - d.gPiPi);
    If97Region1State s;
    s.specificVolume = scope.result(v);
    s.enthalpy = scope.result(RT * tauGTau);
    s.internalEnergy = scope.result(RT * (tauGTau - pi * d.gPi));
    s.entropy = scope.result(kIf97GasConstant * (tauGTau - d.g));
    s.isobaricHeatCapacity = scope.result(kIf97GasConstant * cpOverR);
    s.speedOfSound = scope.result(std::sqrt(w2));
    return s;
}

double If97Region1Enthalpy(double T, double p) {
    FloatFaultScope scope;
    const long double tau = kRegion1Temperature / static_cast<long double>(T);
    const GibbsDerivatives d =
        region1Gibbs(p / static_cast<long double>(kRegion1Pressure), tau, false);
    // the same products in the same order as If97Region1, so both give the same enthalpy
    const long double RT = static_cast<long double>(kIf97GasConstant) * T;
    return scope.result(RT * (tau * d.gTau));
}

double If97SaturationPressure(double T) {
    // Above the critical point there is no saturation line; the equation would still give a
    // number (44.7 MPa at 700 K).
    if (T > kIf97CriticalTemperature)
        throw EInvalidOp();
    FloatFaultScope scope;
    const long double theta = T + kN9 / (T - static_cast<long double>(kN10));
    const long double A = (theta + kN1) * theta + kN2;
    const long double B = (kN3 * theta + kN4) * theta + kN5;
    const long double C = (kN6 * theta + kN7) * theta + kN8;
    const long double root = 2 * C / (-B + std::sqrt(B * B - 4 * A * C));
    const long double squared = root * root;
    return scope.result(squared * squared);
}

double If97SaturationTemperature(double p) {
    FloatFaultScope scope;
    const long double beta = std::sqrt(std::sqrt(static_cast<long double>(p)));
    const long double E = (beta + kN3) * beta + kN6;
    const long double F = (kN1 * beta + kN4) * beta + kN7;
    const long double G = (kN2 * beta + kN5) * beta + kN8;
    const long double D = 2 * G / (-F - std::sqrt(F * F - 4 * E * G));
    const long double sum = kN10 + D;
    return scope.result((sum - std::sqrt(sum * sum - 4 * (kN9 + kN10 * D))) / 2);
}

} // namespace corvel
