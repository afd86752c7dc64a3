#pragma once

#include "runtime/base/Decimal.h"
#include "runtime/base/Value.h"

#include <optional>
#include <string>

namespace host {

class Control;

// The value of a spin box. A spin box counts in exact decimals: its step and its range
// may have places ("0.1", "99999.99"), and it counts in the finest places among the
// three, so that 0.1 added ten times to 0.00 gives exactly 1.00. A spin box whose step and
// range are whole numbers counts in whole numbers, as it always has.

// The decimal places a spin box counts in: the most places of its step, low end and high
// end, trailing zeros not counted ("1.0" is whole).
int spinPlaces(const Control& spin);
// The number the spin box's text stands for: read through its picture, or as a plain
// number when it has none (blank text reads as zero); nullopt when the text does not read
// as a number.
std::optional<Decimal> spinShownValue(const Control& spin);
// A value as the spin box keeps it: cut toward zero to its places (a whole-number spin
// box takes 2.7 as 2), then held inside its range (a value beyond an end becomes that
// end).
Decimal fitToSpin(const Control& spin, const Decimal& value);
// What the spin box shows for a value: the value through its picture ("@n8.2" shows 1 as
// "1.00"); without a picture, a decimal spin box shows the number with its places and a
// whole-number one the value's own text.
std::string spinText(const Control& spin, const Value& value);
// A value as a property gives it: a whole number as an integer, as before, else the
// decimal ("0.1").
Value spinPropertyValue(const Decimal& value);

} // namespace host
