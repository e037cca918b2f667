#include "grid/QxFields.h"

#include "platform/Errors.h"
#include "units/NumberText.h"

#include <cmath>
#include <limits>

namespace corvel {

namespace {

bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string trimmed(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlankOrControl(text[first]))
        ++first;
    while (last > first && isBlankOrControl(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

/// A number that the conversions may produce only from a factor of 0 or an overflow.
double finite(double value) {
    if (!std::isfinite(value))
        throw EInvalidOp();
    return value;
}

double toStored(const TNumField& field, double displayed) {
    return finite(static_cast<double>(ConvertFromUnit(displayed, field.Factor, field.Offset)));
}

double toDisplayed(const TNumField& field, double stored) {
    return finite(static_cast<double>(ConvertToUnit(stored, field.Factor, field.Offset)));
}

/// The nearest whole number, ties to even (the default rounding mode).
double roundHalfEven(double value) {
    return std::nearbyint(value);
}

/// The initial text of a value cell: the row's format applied to zero.
std::string initialValueText(const std::string& format, const TField& field) {
    try {
        if (IsPairFormat(format))
            return formatText(format, {0.0, 0.0});
        if (IsIntegerFormat(format))
            return formatText(format, {0});
        if (IsRealFormat(format))
            return formatText(format, {0.0});
    } catch (const Exception&) {
        // A pattern that does not fit a zero (for example "%S/%S") starts the cell empty.
        return {};
    }
    if (const auto* choices = dynamic_cast<const TEnumField*>(&field);
        choices && !choices->Choices.empty())
        return choices->Choices.front();
    return {};
}

std::string realText(const TNumField& field, double displayed) {
    switch (field.DisplayMode) {
    case 0:
        return formatText(SignificantFormat(field.SigDigits, 12, displayed), {displayed});
    case 2:
        if (std::pow(10.0, 2 - field.Decimals) > displayed)
            return formatText(SignificantFormat(field.SigDigits, 12, displayed), {displayed});
        return formatText(field.Format, {displayed});
    default:
        return formatText(field.Format, {displayed});
    }
}

} // namespace

TNumField::TNumField(std::uint8_t kind, std::string format, double min, double max, double step)
    : TField(kind, std::move(format)), Min(min), Max(max), Step(step),
      Decimals(FormatDecimals(Format)) {}

bool SameKeyword(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::vector<std::string> SplitDef(char delim, std::string_view text) {
    std::vector<std::string> pieces;
    while (!text.empty()) {
        const std::size_t at = text.find(delim);
        if (at == std::string_view::npos) {
            pieces.push_back(trimmed(text));
            break;
        }
        pieces.push_back(trimmed(text.substr(0, at)));
        text.remove_prefix(at + 1);
    }
    return pieces;
}

TRowDef ParseRowDef(std::string_view line, char delim, const FieldMessageSink& onError) {
    std::vector<std::string> pieces = SplitDef(delim, line);
    if (pieces.size() < 4)
        pieces.resize(6);

    std::uint8_t kind = kFieldKindNone;
    if (SameKeyword(pieces[3], "PE"))
        kind = kFieldKindPropEditor;
    else if (SameKeyword(pieces[3], "Spin"))
        kind = kFieldKindSpin;

    const std::string format = pieces[1];
    std::unique_ptr<TField> field;
    try {
        if (IsIntegerFormat(format) || IsRealFormat(format)) {
            if (pieces.size() < 7)
                pieces.resize(8);
            const double step = pieces[6].empty() ? 1.0 : readReal(pieces[6]);
            const double min = readReal(pieces[4]);
            const double max = readReal(pieces[5]);
            if (IsPairFormat(format))
                field = std::make_unique<TDelimNumField>(kind, format, min, max, step);
            else
                field = std::make_unique<TNumField>(kind, format, min, max, step);
        } else if (SameKeyword(format, "enum")) {
            field = std::make_unique<TEnumField>(
                std::vector<std::string>(pieces.begin() + 3, pieces.end()));
        } else {
            field = std::make_unique<TField>(kind, format);
        }
    } catch (const Exception&) {
        field = std::make_unique<TField>(kind, "%S");
        if (onError)
            onError("Error initialising " + pieces[0]);
    }

    pieces[1] = initialValueText(format, *field);
    return {std::move(field), std::move(pieces)};
}

TRowModel BuildRows(const std::vector<std::string>& lines, char delim,
                    const FieldMessageSink& onError) {
    TRowModel model;
    if (lines.empty())
        return model;
    model.RowCount = static_cast<int>(lines.size());
    model.Cells.push_back(SplitDef(delim, lines.front()));
    model.Fields.push_back(std::make_unique<TField>(kFieldKindNone, "%S"));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        TRowDef row = ParseRowDef(lines[i], delim, onError);
        model.Fields.push_back(std::move(row.Field));
        model.Cells.push_back(std::move(row.Cells));
    }
    return model;
}

Variant FieldGetValue(const TField* field, const std::string& cellText) {
    Variant result = cellText;
    try {
        if (const auto* pair = dynamic_cast<const TDelimNumField*>(field)) {
            const std::string text = cellText.empty() ? std::string("0.0/0.0") : cellText;
            double a = 0, b = 0;
            if (SplitPair(text, a, b))
                result = formatText(pair->Format, {toStored(*pair, a), toStored(*pair, b)});
            else
                result = formatText("%0.04g", {toStored(*pair, a)});
        } else if (const auto* number = dynamic_cast<const TNumField*>(field)) {
            const double value = toStored(*number, readReal(CleanNumberText(cellText)));
            if (IsIntegerFormat(number->Format)) {
                const double whole = roundHalfEven(value);
                if (whole < std::numeric_limits<std::int32_t>::min() ||
                    whole > std::numeric_limits<std::int32_t>::max())
                    return result;
                result = static_cast<std::int32_t>(whole);
            } else {
                result = value;
            }
        } else if (const auto* choices = dynamic_cast<const TEnumField*>(field)) {
            std::int32_t position = -1;
            for (std::size_t i = 0; i < choices->Choices.size(); ++i) {
                if (choices->Choices[i] == cellText) {
                    position = static_cast<std::int32_t>(i);
                    break;
                }
            }
            result = position;
        }
    } catch (const Exception&) {
        // The text as it stands is the value.
    }
    return result;
}

std::string FieldSetValueText(const TField* field, const Variant& value) {
    std::string text;
    try {
        if (const auto* pair = dynamic_cast<const TDelimNumField*>(field)) {
            double a = 0, b = 0;
            if (SplitPair(VariantText(value), a, b)) {
                text = formatText(pair->Format, {toDisplayed(*pair, a), toDisplayed(*pair, b)});
            } else {
                // One number: the part of the pattern before its "/" shows it alone.
                const std::string head = pair->Format.substr(0, pair->Format.find('/'));
                text = formatText(head, {toDisplayed(*pair, a)});
            }
        } else if (const auto* number = dynamic_cast<const TNumField*>(field)) {
            const double displayed = toDisplayed(*number, VariantReal(value));
            if (IsIntegerFormat(number->Format)) {
                const double whole = roundHalfEven(displayed);
                // 2^63: the first whole number beyond a 64-bit integer
                if (std::fabs(whole) >= 9223372036854775808.0)
                    throw EInvalidOp();
                text = formatText(number->Format, {static_cast<long long>(whole)});
            } else if (IsRealFormat(number->Format)) {
                text = realText(*number, displayed);
            }
        } else if (const auto* choices = dynamic_cast<const TEnumField*>(field)) {
            long long position = -1;
            if (const auto* integer = std::get_if<std::int32_t>(&value))
                position = *integer;
            else if (const auto* real = std::get_if<double>(&value))
                position = std::fabs(*real) < 2147483648.0 // within a 32-bit integer
                               ? static_cast<long long>(roundHalfEven(*real))
                               : -1;
            else
                position = readInteger(std::get<std::string>(value));
            if (position >= 0 && position < static_cast<long long>(choices->Choices.size()))
                text = choices->Choices[static_cast<std::size_t>(position)];
        } else if (field != nullptr) {
            if (IsTextFormat(field->Format) || std::holds_alternative<std::string>(value)) {
                const std::string valueText = VariantText(value);
                text = formatText(field->Format, {valueText});
            } else if (const auto* integer = std::get_if<std::int32_t>(&value)) {
                text = formatText(field->Format, {*integer});
            } else {
                text = formatText(field->Format, {std::get<double>(value)});
            }
        } else {
            text = VariantText(value);
        }
    } catch (const Exception&) {
        // The cell gets what was built so far.
    }
    return text;
}

double FieldRangeLo(const TField* field) {
    if (const auto* number = dynamic_cast<const TNumField*>(field))
        return toDisplayed(*number, number->Min);
    return 0;
}

double FieldRangeHi(const TField* field) {
    if (const auto* number = dynamic_cast<const TNumField*>(field))
        return toDisplayed(*number, number->Max);
    return 0;
}

} // namespace corvel
