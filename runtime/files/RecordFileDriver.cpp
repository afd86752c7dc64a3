#include "runtime/files/RecordFileDriver.h"

namespace host {

RecordFileDriver::~RecordFileDriver() = default;

} // namespace host
