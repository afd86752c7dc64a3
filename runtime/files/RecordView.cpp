#include "runtime/files/RecordView.h"

namespace host {

RecordView::~RecordView() = default;

bool RecordView::readAt(std::string_view position) {
    return reset(position) && next();
}

} // namespace host
