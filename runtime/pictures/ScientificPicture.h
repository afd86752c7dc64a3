#pragma once

#include "runtime/base/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace host {

// A scientific picture: "@e" followed by size, '.', places and an optional 'b'. It shows
// a number right-aligned in `size` characters as a mantissa with `places` decimals and a
// signed exponent of at least two digits: "@e10.2" shows 12345 as "  1.23e+04".
class ScientificPicture {
public:
    static std::optional<ScientificPicture> parse(std::string_view body);

    std::string format(const Value& value) const;
    // Reads a plain or scientific number ("1.23e+04", "-5E-3", "42"); exponents beyond
    // what a decimal holds are rejected.
    std::optional<Value> deformat(std::string_view text) const;

    int width() const { return width_; }
    int places() const { return places_; }
    bool isBlankWhenZero() const { return blankWhenZero_; }

private:
    std::string fit(std::string text) const;

    int width_ = 0;
    int places_ = 0;
    bool blankWhenZero_ = false;
};

} // namespace host
