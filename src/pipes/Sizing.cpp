#include "pipes/Sizing.h"

#include "physics/QxFlow.h"
#include "physics/QxWater.h"
#include "platform/FloatFaults.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <optional>
#include <utility>

namespace corvel {

namespace {

constexpr long double kPi = 3.14159265358979323846L;
constexpr double kMinArea = 1e-13;      // m², the flow case's floor for the area
constexpr double kRoughCriterion = 200; // √f·Re·e/D above which the factor is fully rough
constexpr double kJumpTolerance = 1e-6; // a relative step across the final bracket this large
                                        // is a jump of the relation, not the root's slope
constexpr double kTableMargin = 1e-8;   // sizes this close below the exact diameter are tried

/// The two ends of Brent's final bracket, each with its residual (residual ≤ 0 meets the limit).
struct BracketEnds {
    double u1, f1;
    double u2, f2;
};

/// Brent's method (zeroin) for F(u) = 0 on [a, b] with F(a)·F(b) ≤ 0, until the bracket is
/// narrower than about `tol`. Returns the final bracket, whose ends have residuals of opposite
/// signs (or one of them is 0), so it holds the sign change also when F jumps across it.
template <class Residual>
BracketEnds brent(double a, double fa, double b, double fb, double tol, Residual&& F) {
    double c = a, fc = fa;
    double d = b - a, e = d;
    for (int iteration = 0; iteration < 200; ++iteration) {
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol1 = 2 * DBL_EPSILON * std::fabs(b) + 0.5 * tol;
        const double xm = 0.5 * (c - b);
        if (std::fabs(xm) <= tol1 || fb == 0)
            break;
        if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
            // inverse quadratic interpolation, or the secant when only two points are known
            const double s = fb / fa;
            double p, q;
            if (a == c) {
                p = 2 * xm * s;
                q = 1 - s;
            } else {
                const double qa = fa / fc, r = fb / fc;
                p = s * (2 * xm * qa * (qa - r) - (b - a) * (r - 1));
                q = (qa - 1) * (r - 1) * (s - 1);
            }
            if (p > 0)
                q = -q;
            p = std::fabs(p);
            if (2 * p < std::min(3 * xm * q - std::fabs(tol1 * q), std::fabs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = xm;
                e = d;
            }
        } else {
            d = xm;
            e = d;
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tol1 ? d : (xm > 0 ? tol1 : -tol1);
        fb = F(b);
        if ((fb > 0 && fc > 0) || (fb < 0 && fc < 0)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
    }
    return {b, fb, c, fc};
}

/// One search: the quantity limited, along a flowrate or a diameter with the other held.
class Search {
public:
    Search(const SizingProblem& problem, bool alongFlow, double held)
        : problem_(problem),
          model_(problem.water, problem.temperature, problem.linePressure, problem.roughness),
          alongFlow_(alongFlow), held_(held),
          logLimit_(problem.limit > 0 ? std::log(problem.limit) : 0) {}

    /// The forward solve at `x`; the last few are kept, since the search asks for the ends of
    /// its brackets again.
    FlowPoint pointAt(double x) {
        for (const FlowPoint& p : recent_)
            if ((alongFlow_ ? p.flowRate : p.diameter) == x && p.area != 0)
                return p;
        ++evaluations;
        const FlowPoint p = alongFlow_ ? model_.at(x, held_) : model_.at(held_, x);
        recent_[next_++ % recent_.size()] = p;
        return p;
    }

    double measure(const FlowPoint& point) const {
        if (problem_.limitKind == SizingLimitKind::kPressureGradient)
            return point.gradient;
        return SolvePipeRun(model_.state(point), problem_.run).totalPressureDrop;
    }

    /// The size of what is measured, for telling a jump from rounding: a total may be a small
    /// difference of large parts, whose changes scale with the parts.
    double magnitude(const FlowPoint& point) const {
        if (problem_.limitKind == SizingLimitKind::kPressureGradient)
            return point.gradient;
        const PipeRunResult r = SolvePipeRun(model_.state(point), problem_.run);
        return std::fabs(r.frictionLoss) + r.fittingsLoss + std::fabs(r.staticPressure);
    }

    /// Positive where the limit is exceeded, ≤ 0 where it is met. A gradient is compared in
    /// logarithms, where it is nearly linear in the logarithm of flowrate or diameter.
    double residual(double measured) const {
        if (problem_.limitKind != SizingLimitKind::kPressureGradient)
            return measured - problem_.limit;
        if (!(measured > 0))
            return -DBL_MAX;
        const double r = std::log(measured) - logLimit_;
        // Logarithms of neighbouring values can be equal: the sign still says meet or miss.
        return measured > problem_.limit && r <= 0 ? DBL_MIN : r;
    }

    bool roughAt(double x) { return pointAt(x).regime == kRegimeRough; }

    /// Where the friction factor switches between Colebrook–White and fully rough inside
    /// [lo, hi], near the estimate x0: the last point of the lower regime and the first of the
    /// upper, adjacent doubles (or nearly). None when there is no such switch near x0.
    std::optional<std::pair<double, double>> roughSwitch(double x0, double lo, double hi) {
        if (!(x0 > lo && x0 < hi))
            return std::nullopt;
        const int regimeBelow = alongFlow_ ? kRegimeTransition : kRegimeRough;
        const int regimeAbove = alongFlow_ ? kRegimeRough : kRegimeTransition;
        double a = 0, b = 0;
        bool bracketed = false;
        // The estimate is good to a few rounding errors; wider brackets only in case it is not.
        for (double gap = 1e-14; gap < 0.1 && !bracketed; gap *= 1000) {
            a = std::max(lo, x0 * (1 - gap));
            b = std::min(hi, x0 * (1 + gap));
            bracketed = pointAt(a).regime == regimeBelow && pointAt(b).regime == regimeAbove;
        }
        if (!bracketed)
            return std::nullopt;
        const bool roughIsAbove = alongFlow_;
        for (;;) {
            const double mid = a + (b - a) / 2;
            if (mid <= a || mid >= b)
                break;
            (roughAt(mid) == roughIsAbove ? b : a) = mid;
        }
        return std::make_pair(a, b);
    }

    /// Looks for the crossing of the limit in [lo, hi], where the relation is monotonic but may
    /// jump; fills `answer` and returns true when the limit lies between the ends' values.
    bool solvePiece(double lo, double hi, SizingAnswer& answer) {
        const FlowPoint pLo = pointAt(lo), pHi = pointAt(hi);
        const double mLo = measure(pLo), mHi = measure(pHi);
        const double rLo = residual(mLo), rHi = residual(mHi);
        if ((rLo > 0 && rHi > 0) || (rLo < 0 && rHi < 0) || std::isnan(rLo) || std::isnan(rHi))
            return false;
        const double uLo = std::log(lo), uHi = std::log(hi);
        // The ends map back to themselves exactly; inner points stay inside the piece.
        const auto toX = [&](double u) {
            return u == uLo ? lo : u == uHi ? hi : std::clamp(std::exp(u), lo, hi);
        };
        const BracketEnds ends = brent(uLo, rLo, uHi, rHi, kSizingTolerance, [&](double u) {
            return residual(measure(pointAt(toX(u))));
        });
        const bool firstMeets = ends.f1 <= 0;
        const double meet = toX(firstMeets ? ends.u1 : ends.u2);
        answer.status = SizingStatus::kFound;
        answer.value = meet;
        answer.point = pointAt(meet);
        answer.achieved = measure(answer.point);
        // A residual of exactly 0 is a root; otherwise the bracket is narrow, and a step across
        // it larger than the root's own slope allows is a jump of the relation.
        if ((firstMeets ? ends.f1 : ends.f2) != 0) {
            const FlowPoint otherPoint = pointAt(toX(firstMeets ? ends.u2 : ends.u1));
            const double other = measure(otherPoint);
            const double scale = std::max(
                {std::fabs(problem_.limit), magnitude(answer.point), magnitude(otherPoint)});
            answer.inJump = std::fabs(other - answer.achieved) > kJumpTolerance * scale;
        }
        return true;
    }

    const PipeFlowModel& model() const { return model_; }
    int evaluations = 0;

private:
    const SizingProblem& problem_;
    PipeFlowModel model_;
    bool alongFlow_;
    double held_;
    double logLimit_;
    std::array<FlowPoint, 8> recent_{}; // area 0 marks an empty entry
    std::size_t next_ = 0;
};

SizingAnswer notFound(SizingStatus status, int evaluations) {
    SizingAnswer answer;
    answer.status = status;
    answer.evaluations = evaluations;
    return answer;
}

bool limitUsable(const SizingProblem& problem) {
    if (std::isnan(problem.limit))
        return false;
    // A gradient is positive for every flow in range.
    return problem.limitKind != SizingLimitKind::kPressureGradient || problem.limit > 0;
}

} // namespace

PipeFlowModel::PipeFlowModel(double temperature, double roughness)
    : density_(WaterDensity(temperature)), viscosity_(WaterViscosity(temperature)),
      roughness_(roughness) {}

PipeFlowModel::PipeFlowModel(WaterModel water, double temperature, double linePressure,
                             double roughness)
    : PipeFlowModel(temperature, roughness) {
    if (water != WaterModel::Simple) {
        const WaterState state = LiquidWater(water, temperature, linePressure);
        density_ = state.density;
        viscosity_ = state.viscosity;
    }
}

FlowPoint PipeFlowModel::at(double flowRate, double diameter) const {
    FlowPoint p;
    p.flowRate = flowRate;
    p.diameter = diameter;
    {
        FloatFaultScope scope;
        const double area = scope.result(static_cast<long double>(diameter) * diameter * kPi / 4);
        p.area = area < kMinArea ? kMinArea : area;
        p.velocity = scope.result(static_cast<long double>(flowRate) / p.area);
    }
    p.reynolds = ReynoldsNumber(density_, p.velocity, diameter, viscosity_);
    p.regime = kRegimeBadData;
    p.friction = FrictionFactor(p.regime, false, 0, roughness_, diameter, p.reynolds);
    p.gradient = PressureGradient(density_, p.friction, p.velocity, diameter);
    return p;
}

FlowState PipeFlowModel::state(const FlowPoint& point) const {
    return {density_,       point.velocity, point.friction,
            point.diameter, point.flowRate, point.reynolds};
}

const char* SizingAnswer::failureText() const {
    switch (status) {
    case SizingStatus::kNoFlowrateInRange:
        return kNoFlowrateInRangeText;
    case SizingStatus::kNoDiameterInRange:
        return kNoDiameterInRangeText;
    case SizingStatus::kNoSizeInTable:
        return kNoSizeInTableText;
    case SizingStatus::kFound:
        break;
    }
    return "";
}

SizingAnswer FindFlowRate(const SizingProblem& problem, double diameter) {
    if (!limitUsable(problem) || !kSizingDiameterRange.contains(diameter))
        return notFound(SizingStatus::kNoFlowrateInRange, 0);
    Search search(problem, true, diameter);
    const double lo = kSizingFlowRateRange.min, hi = kSizingFlowRateRange.max;
    std::optional<std::pair<double, double>> split;
    if (problem.roughness > 0) {
        // The switch lies at Re = 200/(√f_rough·e/D); below 2300 there is no Colebrook stretch.
        FloatFaultScope scope;
        const double rr = scope.result(static_cast<long double>(problem.roughness) / diameter);
        const long double reSwitch =
            kRoughCriterion / (std::sqrt(static_cast<long double>(RoughFrictionFactor(rr))) * rr);
        if (reSwitch > kTurbulentReynolds) {
            // Q = V·A with V = Re·μ/(ρ·D)
            const PipeFlowModel& m = search.model();
            const double area = m.at(1, diameter).area;
            const double q0 =
                scope.result(reSwitch * m.viscosity() /
                             (static_cast<long double>(m.density()) * diameter) * area);
            split = search.roughSwitch(q0, lo, hi);
        }
    }
    SizingAnswer answer;
    // Where the gradient takes the limit twice, the larger flowrate (fully rough) is the answer.
    const bool found = split ? search.solvePiece(split->second, hi, answer) ||
                                   search.solvePiece(lo, split->first, answer)
                             : search.solvePiece(lo, hi, answer);
    if (!found)
        return notFound(SizingStatus::kNoFlowrateInRange, search.evaluations);
    answer.evaluations = search.evaluations;
    return answer;
}

SizingAnswer FindDiameter(const SizingProblem& problem, double flowRate) {
    const double lo = std::max(kSizingDiameterRange.min, problem.roughness);
    const double hi = kSizingDiameterRange.max;
    if (!limitUsable(problem) || !(flowRate > 0) || !(lo < hi))
        return notFound(SizingStatus::kNoDiameterInRange, 0);
    Search search(problem, false, flowRate);
    std::optional<std::pair<double, double>> split;
    if (problem.roughness > 0) {
        // √f_rough·Re·e/D = 200 with Re = 4ρQ/(πμD): D² = √f_rough·4ρQe/(200πμ), where f_rough
        // depends on e/D only through a logarithm, so substitutions settle D quickly.
        FloatFaultScope scope;
        const PipeFlowModel& m = search.model();
        const long double k = 4.0L * m.density() * flowRate * problem.roughness /
                              (kRoughCriterion * kPi * m.viscosity());
        long double d = 0.1L; // m, any start: the substitutions converge from far off
        for (int i = 0; i < 40; ++i) {
            const double rr = static_cast<double>(problem.roughness / std::max<long double>(d, lo));
            const long double previous = d;
            d = std::sqrt(std::sqrt(static_cast<long double>(RoughFrictionFactor(rr))) * k);
            if (std::fabs(d - previous) <= 1e-16L * d)
                break;
        }
        const double rr = static_cast<double>(problem.roughness / d);
        const long double reSwitch =
            kRoughCriterion / (std::sqrt(static_cast<long double>(RoughFrictionFactor(rr))) * rr);
        if (reSwitch > kTurbulentReynolds) // else laminar flow turns fully rough at once
            split = search.roughSwitch(scope.result(d), lo, hi);
    }
    SizingAnswer answer;
    // Where the gradient takes the limit twice, the smaller diameter (fully rough) is the answer.
    const bool found = split ? search.solvePiece(lo, split->first, answer) ||
                                   search.solvePiece(split->second, hi, answer)
                             : search.solvePiece(lo, hi, answer);
    if (!found)
        return notFound(SizingStatus::kNoDiameterInRange, search.evaluations);
    answer.evaluations = search.evaluations;
    return answer;
}

SizingAnswer FindTableSize(const SizingProblem& problem, double flowRate, const PipeTable& table,
                           const SizingAnswer& exact) {
    if (!limitUsable(problem) || !(flowRate > 0))
        return notFound(SizingStatus::kNoSizeInTable, 0);
    Search search(problem, false, flowRate);
    const double lo = std::max(kSizingDiameterRange.min, problem.roughness);
    // Every diameter below the exact one exceeds the limit; start just under it, since the
    // exact one is the meeting end of a bracket 1e-10 wide and a size may sit inside that.
    const double start = exact.found() ? std::max(lo, exact.value * (1 - kTableMargin)) : lo;
    for (const PipeSize* size : table.byInsideDiameter()) {
        const double d = size->insideDiameter;
        if (d < start)
            continue;
        if (d > kSizingDiameterRange.max)
            break;
        const FlowPoint point = search.pointAt(d);
        const double measured = search.measure(point);
        if (measured <= problem.limit) {
            SizingAnswer answer;
            answer.value = d;
            answer.point = point;
            answer.achieved = measured;
            answer.size = size;
            answer.evaluations = search.evaluations + exact.evaluations;
            return answer;
        }
    }
    return notFound(SizingStatus::kNoSizeInTable, search.evaluations + exact.evaluations);
}

SizingAnswer FindTableSize(const SizingProblem& problem, double flowRate, const PipeTable& table) {
    return FindTableSize(problem, flowRate, table, FindDiameter(problem, flowRate));
}

} // namespace corvel
