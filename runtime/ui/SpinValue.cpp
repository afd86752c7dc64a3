#include "runtime/ui/SpinValue.h"

#include "runtime/pictures/NumberPicture.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/ControlText.h"

#include <algorithm>

namespace host {

namespace {
// Places of a value without its trailing zeros.
int significantPlaces(const Decimal& value) {
    Decimal::Units units = value.units();
    int places = value.places();
    while (places > 0 && units % 10 == 0) {
        units /= 10;
        --places;
    }
    return places;
}

Decimal cutToPlaces(const Decimal& value, int places) {
    if (value.places() <= places)
        return value;
    Decimal::Units units = value.units();
    for (int p = value.places(); p > places; --p)
        units /= 10; // toward zero
    return Decimal::fromUnits(units, places);
}
} // namespace

int spinPlaces(const Control& spin) {
    // A number picture's places count too: a price shown "@n8.2" that steps by 0.1 goes
    // from 11.25 to 11.35, never losing the cents it had.
    int shown = 0;
    std::string_view picture = spin.picture();
    if (picture.size() > 2 && picture[0] == '@' && (picture[1] == 'n' || picture[1] == 'N'))
        if (auto number = NumberPicture::parse(picture.substr(2)))
            shown = number->places();
    return std::max({significantPlaces(spin.step()), significantPlaces(spin.rangeLow()),
                     significantPlaces(spin.rangeHigh()), shown});
}

std::optional<Decimal> spinShownValue(const Control& spin) {
    if (spin.picture().empty()) {
        if (spin.contents().find_first_not_of(' ') == std::string::npos)
            return Decimal();
        return Decimal::parse(spin.contents());
    }
    auto value = readFromControl(spin.contents(), spin.picture());
    if (!value)
        return std::nullopt;
    return value->toDecimal();
}

Decimal fitToSpin(const Control& spin, const Decimal& value) {
    // Written out rather than std::clamp: a program may set the ends the wrong way round.
    Decimal cut = cutToPlaces(value, spinPlaces(spin));
    if (cut > spin.rangeHigh())
        cut = spin.rangeHigh();
    if (cut < spin.rangeLow())
        cut = spin.rangeLow();
    return cut;
}

std::string spinText(const Control& spin, const Value& value) {
    int places = spinPlaces(spin);
    if (!spin.picture().empty() || value.isText() || places == 0)
        return formatForControl(value, spin.picture());
    return value.toDecimal().toString(places);
}

Value spinPropertyValue(const Decimal& value) {
    if (significantPlaces(value) == 0)
        return Value(value.toInteger());
    return Value(value);
}

} // namespace host
