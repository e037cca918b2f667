#pragma once

// The floor a solve is measured against: the same water correlations, friction iteration and
// pressure gradient as the flow case, written in plain double arithmetic with no fault checks,
// no extended precision and no text. Kept for the benchmarks only; the program never uses it.

#include <algorithm>
#include <cmath>

namespace corvel::bench {

struct FloorResult {
    double density, specificHeat, viscosity, conductivity, prandtl, enthalpy, vapourPressure,
        diffusion, velocity, reynolds, friction, pressureDrop;
    int regime;
};

inline FloorResult SolveFloor(double flowRate, double diameter, double T, double roughness) {
    FloorResult r{};
    r.density = 1000.0118 + T * (0.0090785827 + T * (-0.0056365427 + T * 0.000013593032));
    r.specificHeat =
        4.2113407 +
        T * (-0.0022883491 + T * (0.000053389636 + T * (-0.00000048856259 + T * 1.9154158e-9)));
    r.viscosity =
        T > 0 ? std::pow(0.013345143 + 0.0002569035 * T, -1.0 / 0.57775001) * 1e-6 : 0.001792;
    r.conductivity =
        T > 0
            ? 703.7 / std::pow(1.0 + std::exp(0.24865794 - 0.022435538 * T), 1.0 / 3.8824647) * 1e-6
            : 0.0007037;
    r.prandtl = r.specificHeat * r.viscosity / r.conductivity;
    r.enthalpy = T * r.specificHeat;
    r.vapourPressure = 0.6105 * std::exp(17.27 * T / (T + 237.3));
    r.diffusion = (22.209153 + T * (0.1391602 + T * 0.00014858064)) * 0.01;
    const double area = std::max(M_PI * diameter * diameter / 4, 1e-13);
    r.velocity = flowRate / area;
    r.reynolds = r.density * r.velocity * diameter / r.viscosity;
    const double rr = roughness / diameter;
    if (r.reynolds < 2300) {
        r.regime = 3;
        r.friction = 64 / r.reynolds;
    } else if (roughness == 0) {
        r.regime = 0;
        double x = 7, previous = 0;
        for (int steps = 0; steps <= 20 && std::fabs(x - previous) > 1e-6; ++steps) {
            previous = x;
            x = 2 * std::log10(r.reynolds / x) - 0.8;
        }
        r.friction = 1 / (x * x);
    } else {
        const double s = 1.14 - 2 * std::log10(rr);
        const double rough = 1 / (s * s);
        if (std::sqrt(rough) * r.reynolds * rr > 200) {
            r.regime = 2;
            r.friction = rough;
        } else {
            // The flow case's secant-corrected Newton iteration on Colebrook–White.
            r.regime = 1;
            const double A = rr / 3.71, B = 2.51 / r.reynolds, C = 0.4342944819032518;
            auto residual = [&](double xi) { return xi + 2 * std::log10(A + B * xi); };
            double x = 1 / std::sqrt(rough);
            double R = (A + 2 * C * B * x) / (A + B * x);
            double G = residual(x);
            for (int steps = 1; steps <= 21; ++steps) {
                const double dx = -R * G;
                x += dx;
                const double Gnew = residual(x);
                double d = dx * R * (Gnew - G);
                if (std::fabs(d) < 1e-12)
                    d = d >= 0 ? 1e-12 : -1e-12;
                R -= R * (d - dx * dx) / d;
                G = Gnew;
                if (std::fabs(Gnew) <= 1e-6)
                    break;
            }
            r.friction = 1 / (x * x);
        }
    }
    r.pressureDrop = r.velocity * r.velocity * 0.5 * r.density * r.friction / diameter * 0.001;
    return r;
}

} // namespace corvel::bench
