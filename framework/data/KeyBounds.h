#pragma once

#include "runtime/base/TypedRef.h"

namespace framework::keyBounds {

// The values that sort first and last in a key: used to position a file at the start
// or the end of a group of records that share their leading key values.
void setLowest(const host::TypedRef& field);
void setHighest(const host::TypedRef& field);

} // namespace framework::keyBounds
