#include "physics/IapwsTransport.h"

#include "platform/FloatFaults.h"

#include <cmath>
#include <cstddef>

namespace corvel {

namespace {

// IAPWS R12-08, table 1: H0 … H3 of the dilute-gas viscosity μ̄0, equation (11).
constexpr double kViscosityDilute[] = {1.67752, 2.20462, 0.6366564, -0.241605};

// IAPWS R12-08, table 2: Hᵢⱼ of the residual factor μ̄1, equation (12); row i is the power of
// (1/T̄ − 1), column j the power of (ρ̄ − 1).
constexpr double kViscosityResidual[6][7] = {
    {5.20094e-1, 2.22531e-1, -2.81378e-1, 1.61913e-1, -3.25372e-2, 0, 0},
    {8.50895e-2, 9.99115e-1, -9.06851e-1, 2.57399e-1, 0, 0, 0},
    {-1.08374, 1.88797, -7.72479e-1, 0, 0, 0, 0},
    {-2.89555e-1, 1.26613, -4.89837e-1, 0, 6.98452e-2, 0, -4.35673e-3},
    {0, 0, -2.57040e-1, 0, 0, 8.72102e-3, 0},
    {0, 1.20573e-1, 0, 0, 0, 0, -5.93264e-4},
};

// IAPWS R15-11, table 1: L0 … L4 of the dilute-gas conductivity λ̄0, equation (16).
constexpr double kConductivityDilute[] = {2.443221e-3, 1.323095e-2, 6.770357e-3, -3.454586e-3,
                                          4.096266e-4};

// IAPWS R15-11, table 2: Lᵢⱼ of the residual factor λ̄1, equation (17); rows and columns as for
// the viscosity.
constexpr double kConductivityResidual[5][6] = {
    {1.60397357, -0.646013523, 0.111443906, 0.102997357, -0.0504123634, 0.00609859258},
    {2.33771842, -2.78843778, 1.53616167, -0.463045512, 0.0832827019, -0.00719201245},
    {2.19650529, -4.54580785, 3.55777244, -1.40944978, 0.275418278, -0.0205938816},
    {-1.21051378, 1.60812989, -0.621178141, 0.0716373224, 0, 0},
    {-2.7203370, 4.57586331, -3.18369245, 1.1168348, -0.19268305, 0.012913842},
};

/// Σₖ cₖ / T̄ᵏ by Horner's rule in 1/T̄.
template <std::size_t N> long double inversePolynomial(const double (&c)[N], long double Tbar) {
    const long double inverse = 1.0L / Tbar;
    long double sum = c[N - 1];
    for (std::size_t k = N - 1; k-- > 0;)
        sum = sum * inverse + c[k];
    return sum;
}

/// exp(ρ̄ · Σᵢ (1/T̄ − 1)ⁱ Σⱼ cᵢⱼ (ρ̄ − 1)ʲ), the residual factor both releases share.
template <std::size_t I, std::size_t J>
long double residualFactor(const double (&c)[I][J], long double Tbar, long double rhoBar) {
    const long double t = 1.0L / Tbar - 1.0L;
    const long double r = rhoBar - 1.0L;
    long double outer = 0.0L;
    for (std::size_t i = I; i-- > 0;) {
        long double inner = c[i][J - 1];
        for (std::size_t j = J - 1; j-- > 0;)
            inner = inner * r + c[i][j];
        outer = outer * t + inner;
    }
    return std::exp(rhoBar * outer);
}

} // namespace

double IapwsViscosity(double T, double density) {
    FloatFaultScope scope;
    const long double Tbar = T / static_cast<long double>(kIapwsReferenceTemperature);
    const long double rhoBar = density / static_cast<long double>(kIapwsReferenceDensity);
    const long double mu0 = 100.0L * std::sqrt(Tbar) / inversePolynomial(kViscosityDilute, Tbar);
    const long double mu1 = residualFactor(kViscosityResidual, Tbar, rhoBar);
    return scope.result(mu0 * mu1 * 1e-6L);
}

double IapwsConductivity(double T, double density) {
    FloatFaultScope scope;
    const long double Tbar = T / static_cast<long double>(kIapwsReferenceTemperature);
    const long double rhoBar = density / static_cast<long double>(kIapwsReferenceDensity);
    const long double lambda0 = std::sqrt(Tbar) / inversePolynomial(kConductivityDilute, Tbar);
    const long double lambda1 = residualFactor(kConductivityResidual, Tbar, rhoBar);
    return scope.result(lambda0 * lambda1 * 1e-3L);
}

} // namespace corvel
