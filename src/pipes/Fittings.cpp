#include "pipes/Fittings.h"

#include "pipes/DataTables.h"
#include "platform/FloatFaults.h"

#include <algorithm>
#include <cmath>

namespace corvel {

namespace {

constexpr long double kLbmPerFt3PerKgPerM3 = 0.062427960576144611L; // 1 kg/m³ in lbm/ft³
constexpr long double kMetresPerFoot = 0.3048L;

/// The minimum-velocity conditions the 3-K table states for its two check valves.
double fullOpeningCoefficient(std::string_view name) {
    if (name == "Valve check swing")
        return 35;
    if (name == "Valve check lift")
        return 40;
    return 0;
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithIgnoringCase(std::string_view name, std::string_view start) {
    if (start.size() > name.size())
        return false;
    for (std::size_t i = 0; i < start.size(); ++i)
        if (lowerAscii(name[i]) != lowerAscii(start[i]))
            return false;
    return true;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

/// A count of decimal digits only, from 0 to FittingSet::kMaxCount; false for anything else.
bool readCount(std::string_view digits, int& count) {
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    if (digits.size() > 6) // past kMaxCount, and before int could overflow
        return false;
    count = 0;
    for (char c : digits)
        count = count * 10 + (c - '0');
    return count <= FittingSet::kMaxCount;
}

std::size_t catalogueIndex(const Fitting& fitting) {
    return static_cast<std::size_t>(&fitting - Fittings().data());
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

} // namespace

double Fitting::kFactor(double reynolds, double diameter) const {
    FloatFaultScope scope;
    long double k = 0;
    if (k1 != 0 && std::isgreater(reynolds, 0.0))
        k += k1 / static_cast<long double>(reynolds);
    long double sizeTerm = 1;
    if (kd != 0 && std::isgreater(diameter, 0.0)) {
        // double precision suffices here and costs a fraction of the extended power
        const double inches = diameter / kMetresPerInch;
        sizeTerm += kd / static_cast<long double>(std::pow(inches, 0.3));
    }
    k += kInf * sizeTerm;
    return scope.result(k);
}

double Fitting::fullOpeningVelocity(double density) const {
    if (fullOpeningCoefficient == 0)
        return 0;
    FloatFaultScope scope;
    const long double feetPerSecond =
        fullOpeningCoefficient / std::sqrt(density * kLbmPerFt3PerKgPerM3);
    return scope.result(feetPerSecond * kMetresPerFoot);
}

const std::vector<Fitting>& Fittings() {
    static const std::vector<Fitting> fittings = [] {
        std::vector<Fitting> all;
        for (const Fitting3kRow& row : Fitting3kRows())
            all.push_back(
                {row.name, row.k1, row.kInf, row.kd, false, fullOpeningCoefficient(row.name)});
        for (const FittingSimpleRow& row : FittingSimpleRows())
            all.push_back({row.name, 0, row.k, 0, true, 0});
        return all;
    }();
    return fittings;
}

FittingMatch MatchFitting(std::string_view text) {
    text = trimmed(text);
    FittingMatch match;
    if (text.empty())
        return match;
    for (const Fitting& fitting : Fittings()) {
        if (!startsWithIgnoringCase(fitting.name, text))
            continue;
        if (fitting.name.size() == text.size()) { // the full name
            match.candidates.clear();
            match.fitting = &fitting;
            return match;
        }
        match.candidates.push_back(&fitting);
    }
    if (match.candidates.size() == 1) {
        match.fitting = match.candidates.front();
        match.candidates.clear();
    }
    return match;
}

const Fitting& FindFitting(std::string_view text) {
    const FittingMatch match = MatchFitting(text);
    if (match.fitting)
        return *match.fitting;
    if (match.candidates.empty())
        throw FittingError("Unknown fitting " + quoted(trimmed(text)) + ".");
    std::string names;
    for (const Fitting* candidate : match.candidates)
        names += (names.empty() ? "" : "; ") + std::string(candidate->name);
    throw FittingError("The fitting " + quoted(trimmed(text)) + " could be any of " + names + ".");
}

std::string FittingNames() {
    std::string names;
    for (const Fitting& fitting : Fittings())
        names += (names.empty() ? "" : "; ") + std::string(fitting.name);
    return names;
}

void FittingSet::setCount(const Fitting& fitting, int count) {
    if (count < 0 || count > kMaxCount)
        throw FittingError("The count of " + quoted(fitting.name) +
                           " must be a whole number from 0 to " + std::to_string(kMaxCount) + ".");
    const std::size_t index = catalogueIndex(fitting);
    const auto it = std::lower_bound(
        items_.begin(), items_.end(), index,
        [](const FittingCount& item, std::size_t i) { return catalogueIndex(*item.fitting) < i; });
    const bool held = it != items_.end() && it->fitting == &fitting;
    if (count == 0) {
        if (held)
            items_.erase(it);
    } else if (held) {
        it->count = count;
    } else {
        items_.insert(it, {&fitting, count});
    }
}

void FittingSet::add(const Fitting& fitting, int count) {
    const int held = this->count(fitting);
    if (count < 0 || count > kMaxCount - held)
        throw FittingError("The count of " + quoted(fitting.name) + " would exceed " +
                           std::to_string(kMaxCount) + ".");
    setCount(fitting, held + count);
}

int FittingSet::count(const Fitting& fitting) const {
    for (const FittingCount& item : items_)
        if (item.fitting == &fitting)
            return item.count;
    return 0;
}

int FittingSet::totalCount() const {
    long long total = 0; // at most 42 fittings × 100000
    for (const FittingCount& item : items_)
        total += item.count;
    return static_cast<int>(total);
}

double FittingSet::sumK(double reynolds, double diameter) const {
    FloatFaultScope scope;
    long double sum = otherK;
    for (const FittingCount& item : items_)
        sum += static_cast<long double>(item.count) * item.fitting->kFactor(reynolds, diameter);
    return scope.result(sum);
}

std::string FittingSet::text() const {
    std::string text;
    for (const FittingCount& item : items_) {
        if (!text.empty())
            text += ';';
        text += std::string(item.fitting->name) + "*" + std::to_string(item.count);
    }
    return text;
}

FittingSet FittingSet::parse(std::string_view text) {
    FittingSet set;
    while (true) {
        const std::size_t end = text.find(';');
        const std::string_view item = trimmed(text.substr(0, end));
        if (!item.empty()) {
            std::string_view name = item;
            int count = 1;
            const std::size_t star = item.rfind('*');
            if (star != std::string_view::npos) {
                name = trimmed(item.substr(0, star));
                if (!readCount(trimmed(item.substr(star + 1)), count))
                    throw FittingError("The count in " + quoted(item) +
                                       " must be a whole number from 0 to " +
                                       std::to_string(kMaxCount) + ".");
            }
            if (name.empty())
                throw FittingError("The item " + quoted(item) + " names no fitting.");
            set.add(FindFitting(name), count);
        }
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return set;
}

bool FittingSet::operator==(const FittingSet& other) const {
    if (otherK != other.otherK || items_.size() != other.items_.size())
        return false;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].fitting != other.items_[i].fitting ||
            items_[i].count != other.items_[i].count)
            return false;
    return true;
}

} // namespace corvel
