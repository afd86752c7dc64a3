#pragma once

#include "runtime/base/FieldType.h"

#include <cstddef>
#include <string_view>

namespace host {

// Writes text into the bytes of a text field as its kind keeps it: Text padded with
// blanks, CText ended by a zero byte, PText after a length byte (at most 255); cut to what
// the field holds. The number of characters written; none for a field of another kind.
std::size_t writeFieldText(std::byte* data, const FieldType& type, std::string_view text);

} // namespace host
