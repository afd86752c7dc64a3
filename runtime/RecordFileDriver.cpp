#include "runtime/RecordFileDriver.h"

namespace host {

RecordFileDriver::~RecordFileDriver() = default;

} // namespace host
