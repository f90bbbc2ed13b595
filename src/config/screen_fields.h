#pragma once

#include "config/screen_info.h"

#include <QString>

#include <climits>
#include <optional>
#include <span>
#include <variant>

// Every value of a ScreenInfo by name: the one table that ties a field to its key in SysConfig.ini,
// its type and the values it may take. The configuration store, the command-line tool and any
// window that shows fields by name use it.
namespace pelvoro {

enum class ScreenFieldType { Int, Bool, Text };

using ScreenFieldValue = std::variant<int, bool, QString>;

struct ScreenField {
    using IntRef = int &(*)(ScreenInfo &);
    using BoolRef = bool &(*)(ScreenInfo &);
    using TextRef = QString &(*)(ScreenInfo &);

    const char *name;       // the member's name, "ClockX"; Areas and ClockParts have one entry per element
    int element;            // slot or part index for Areas and ClockParts, -1 for a scalar field
    const char16_t *iniKey; // key in the screen's section, nullptr for the fields never stored
    std::variant<IntRef, BoolRef, TextRef> ref;
    int minValue = INT_MIN; // Int fields: the values the field can take
    int maxValue = INT_MAX;

    ScreenFieldType Type() const { return ScreenFieldType(ref.index()); }
    bool IsScalar() const { return element < 0; }
    bool IsStored() const { return iniKey != nullptr; }
    QString Name() const { return QString::fromLatin1(name); }
    QString Key() const { return iniKey ? QString::fromUtf16(iniKey) : QString(); }
};

// All fields: the stored ones in the order the store writes their keys, then the ones that last
// only for a run of the station.
std::span<const ScreenField> ScreenFields();

// A scalar field by its member name (exact, case-sensitive); nullptr for an unknown name or an
// array field.
const ScreenField *FindScalarField(const QString &name);

ScreenFieldValue GetField(const ScreenInfo &screen, const ScreenField &field);
// `value` must hold the field's type.
void SetField(ScreenInfo &screen, const ScreenField &field, const ScreenFieldValue &value);

// Parses a value given as text for `field`, as an operator would type it: whole decimal numbers in
// the field's range, booleans as 1/0 or true/false, texts that GBK can hold on one line, a card type
// of the two known ones, a dotted IPv4 address. Returns nullopt and a reason otherwise.
std::optional<ScreenFieldValue> ParseFieldText(const ScreenField &field, const QString &text, QString *error);

} // namespace pelvoro
