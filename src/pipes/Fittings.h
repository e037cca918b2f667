#pragma once

// Resistance coefficients K of pipe fittings and valves (a fitting loses K·ρV²/2 of pressure).
//
// The 3-K method (Darby; Silverberg and Darby, Chem. Eng. 106(7), 1999):
//     K = K1/Re + K∞·(1 + Kd/Dn^0.3)
// with Re the pipe Reynolds number and Dn the pipe size in inches; the constants of 34 fittings
// come from the published fittings_3k.csv. The method is written for the nominal size; here Dn is
// the inside diameter in inches, which for schedule pipe lies within a few per cent of the
// nominal size and moves Dn^0.3 by about 1 %, and which also serves a diameter no standard holds.
// The entrances and the exit of fittings_simple.csv (Crane TP 410) have a K that depends on
// neither: they are held with K1 = Kd = 0, so the same formula gives their K.

#include "platform/Errors.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvel {

inline constexpr double kMetresPerInch = 0.0254;

struct Fitting {
    std::string_view name;
    double k1;            ///< laminar constant K1 [-]
    double kInf;          ///< K∞ (Darby's K_i) [-]
    double kd;            ///< size constant Kd [in^0.3]
    bool sizeIndependent; ///< from the table of entrances and exits: K = K∞ always
    /// Check valves open fully only at velocity ≥ c/√ρ ft/s (ρ in lbm/ft³); c here, 0 otherwise.
    double fullOpeningCoefficient;

    /// K at pipe Reynolds number `reynolds` [-] in a pipe of inside diameter `diameter` [m].
    /// Without flow (Re ≤ 0) the K1/Re term is left out, and without a diameter (≤ 0) the size
    /// term: the loss K·ρV²/2 is 0 or meaningless then, and the sum stays finite.
    double kFactor(double reynolds, double diameter) const;
    /// The lowest velocity [m/s] at which a check valve is fully open and its K∞ holds, for water
    /// of `density` [kg/m³]; 0 for every fitting that is not a check valve.
    double fullOpeningVelocity(double density) const;
};

/// A fitting name that is unknown or ambiguous, or a fittings text that cannot be read.
class FittingError : public Exception {
public:
    using Exception::Exception;
};

/// Every fitting: the 34 of the 3-K table, then the 8 entrances and exits, in published order.
const std::vector<Fitting>& Fittings();

/// The result of looking a fitting up by name.
struct FittingMatch {
    const Fitting* fitting = nullptr;       ///< the fitting found, or nullptr
    std::vector<const Fitting*> candidates; ///< every fitting the text starts, when ambiguous
};

/// Looks a fitting up by its full name or by the start of exactly one name, ignoring the case of
/// ASCII letters and blanks around the text. A full name wins over a longer name it starts.
FittingMatch MatchFitting(std::string_view text);
/// As MatchFitting; an unknown or ambiguous text throws FittingError saying which.
const Fitting& FindFitting(std::string_view text);
/// All fitting names, separated by "; ", for messages that list the known ones.
std::string FittingNames();

struct FittingCount {
    const Fitting* fitting;
    int count;
};

/// The fittings of a pipe run: a count per fitting plus a fixed "other K" for anything the tables
/// lack. Counts are whole numbers from 0 to kMaxCount; a fitting with count 0 is not held.
class FittingSet {
public:
    static constexpr int kMaxCount = 100000;

    /// Adds `count` of `fitting` to what the set holds; throws FittingError past kMaxCount.
    void add(const Fitting& fitting, int count);
    /// Sets the count of `fitting`; 0 removes it. Throws FittingError outside 0 to kMaxCount.
    void setCount(const Fitting& fitting, int count);
    int count(const Fitting& fitting) const;
    /// The fittings held, in the catalogue's order.
    const std::vector<FittingCount>& items() const { return items_; }
    /// The number of fittings held (the sum of the counts).
    int totalCount() const;
    /// True when the set holds no fitting and no other K.
    bool empty() const { return items_.empty() && otherK == 0; }

    /// Σ count·K + other K at pipe Reynolds number `reynolds` in a pipe of `diameter` [m].
    double sumK(double reynolds, double diameter) const;

    /// The text form: full names each followed by "*count", joined by ";", e.g.
    /// "Elbow 90 deg threaded standard r/D=1*4;Valve gate standard beta=1*2". Other K is not
    /// part of it. parse(text()) gives the same fittings.
    std::string text() const;
    /// Reads the text form. Items are separated by ";"; an item is a fitting name (or the start
    /// of exactly one) followed by "*count", or the name alone for a count of 1; blanks around
    /// names and counts and empty items are ignored, and a fitting named twice adds up. Anything
    /// else throws FittingError with a sentence that names the item at fault.
    static FittingSet parse(std::string_view text);

    double otherK = 0; ///< a further fixed K, added as it is [-]

    bool operator==(const FittingSet& other) const;

private:
    std::vector<FittingCount> items_;
};

} // namespace corvel
