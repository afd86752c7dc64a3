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

    // A decimal whose shown value would pass 31 digits before the point shows as '#': no
    // decimal could read it back. A real shows its own digits.
    std::string format(const Value& value) const;
    // Reads a plain or scientific number ("1.23e+04", "-5E-3", "42") into a decimal. A
    // number beyond 31 digits before the point or, other than zero, below 1e-31 is
    // rejected; finer digits round half away from zero.
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
