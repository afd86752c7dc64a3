#include "runtime/RecordView.h"

namespace host {

RecordView::~RecordView() = default;

} // namespace host
