#pragma once

#include "runtime/base/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace host {

// What an entry, spin or display shows for a value, through the control's picture,
// without the padding blanks the picture adds (no picture: the value's text without
// trailing blanks).
std::string formatForControl(const Value& value, std::string_view picture);
// The value a text typed into a control stands for, read through its picture; nullopt
// when the text does not fit the picture.
std::optional<Value> readFromControl(std::string_view text, std::string_view picture);

} // namespace host
