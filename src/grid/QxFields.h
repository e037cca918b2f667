#pragma once

// Row definitions of the entry grid and the field objects they turn into. A definition line
// such as "Water Flowrate; %0.4f; l/s; NPE; 0.01; 5000" describes one grid row: caption, value
// format (or "enum"), unit label, editor flag, minimum, maximum and spin step. The rules here
// say how a line is split and parsed, and how a value cell's text is read as a value and
// written from one. Plain C++: the grid holds the texts, these functions compute them.

#include "units/QxConv.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvel {

/// Editor kinds of a row.
enum : std::uint8_t {
    kFieldKindNone = 0,
    kFieldKindPropEditor = 1, ///< "PE": a property-editor button
    kFieldKindChoice = 2,     ///< every enumerated row: a choice list
    kFieldKindSpin = 3,       ///< "Spin": spin buttons
};

/// Handler of a property-editor row: gets the row's value by reference and answers 1 (take the
/// changed value), 2 (only give the focus back to the grid) or anything else (do nothing).
using TPropEditEvent = std::function<int(Variant& value)>;
/// Replacement of the built-in spin step: takes the stored value and returns the new one.
using TSpinEvent = std::function<double(double value)>;

/// The field of a plain row (text, or the header).
class TField {
public:
    TField(std::uint8_t kind, std::string format) : Format(std::move(format)), Kind(kind) {}
    virtual ~TField() = default;

    std::string Format;
    std::uint8_t Kind;
    bool Enabled = true;
    bool Editable = true;
    TPropEditEvent OnPropEdit;
};

/// The field of a numeric row: range, spin step and display rules.
class TNumField : public TField {
public:
    TNumField(std::uint8_t kind, std::string format, double min, double max, double step);

    double Min;
    double Max;
    double Step;
    TSpinEvent OnSpinUp;
    TSpinEvent OnSpinDown;
    /// displayed = Offset + Factor × stored.
    double Factor = 1.0;
    double Offset = 0.0;
    /// FormatDecimals(Format).
    int Decimals;
    /// 0 significant digits, 1 and 3 Format, 2 significant digits for small values.
    std::uint8_t DisplayMode = 1;
    int SigDigits = 5;
};

/// The field of a pair row: the value cell holds two numbers "a/b".
class TDelimNumField : public TNumField {
public:
    using TNumField::TNumField;
};

/// The field of an enumerated row: the value is one of the choices.
class TEnumField : public TField {
public:
    explicit TEnumField(std::vector<std::string> choices)
        : TField(kFieldKindChoice, std::string()), Choices(std::move(choices)) {}

    std::vector<std::string> Choices;
};

/// Receives the texts that the parsing shows the user as error messages.
using FieldMessageSink = std::function<void(const std::string& message)>;

/// Cuts `text` at every `delim` into pieces trimmed of blanks and control characters. An empty
/// text gives no pieces and a trailing delimiter no empty last piece.
std::vector<std::string> SplitDef(char delim, std::string_view text);

/// One parsed definition line: the row's field and the texts of its cells from column 0 on
/// (caption, initial value, unit label, then any further pieces).
struct TRowDef {
    std::unique_ptr<TField> Field;
    std::vector<std::string> Cells;
};

/// Parses one definition line. A numeric line whose minimum, maximum or step cannot be read
/// becomes a text row (format "%S") and sends "Error initialising " + caption to `onError`.
TRowDef ParseRowDef(std::string_view line, char delim, const FieldMessageSink& onError);

/// All rows of a grid built from its definition lines.
struct TRowModel {
    int RowCount = 2;
    /// One field per row (row 0 the header's); empty when there are no lines.
    std::vector<std::unique_ptr<TField>> Fields;
    /// The cell texts of each row.
    std::vector<std::vector<std::string>> Cells;
};

/// Builds the rows from `lines`: no lines give two rows and no fields; otherwise one row per
/// line, line 0 the header with a plain "%S" field.
TRowModel BuildRows(const std::vector<std::string>& lines, char delim,
                    const FieldMessageSink& onError);

/// The value column's text read as a value by the row's field: a number for a numeric row (an
/// integer for an integer format), a choice position (-1 for none) for an enumerated row, text
/// otherwise. Any failure leaves the text as it is.
Variant FieldGetValue(const TField* field, const std::string& cellText);

/// The value column's text written from `value` by the row's field; the empty text (or what
/// was built so far) when it cannot be built.
std::string FieldSetValueText(const TField* field, const Variant& value);

/// The row's minimum (resp. maximum) in displayed measure, 0 for a row that is not numeric.
/// Throws EMathError when the conversion gives no finite number.
double FieldRangeLo(const TField* field);
double FieldRangeHi(const TField* field);

/// Compares two keywords ignoring ASCII letter case.
bool SameKeyword(std::string_view a, std::string_view b);

} // namespace corvel
