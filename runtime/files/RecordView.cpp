#include "runtime/files/RecordView.h"

namespace host {

RecordView::~RecordView() = default;

} // namespace host
