#pragma once

#include "runtime/base/Decimal.h"

#include <cstddef>

namespace host {

// Packed decimal storage: the first half byte holds the sign (0 positive, 0xD
// negative), then one half byte per digit, most significant first. A decimal of
// `digits` digits takes digits / 2 + 1 bytes.

Decimal readPackedDecimal(const std::byte* storage, int digits, int places);

// Stores `value` rounded half away from zero to `places`. A value beyond the
// field's digits is stored as the largest value of its sign that fits (the field
// saturates instead of wrapping) and the call returns false.
bool writePackedDecimal(std::byte* storage, int digits, int places, const Decimal& value);

} // namespace host
