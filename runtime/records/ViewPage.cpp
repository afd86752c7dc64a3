#include "runtime/records/ViewPage.h"

namespace host::records {

ViewPage::Row& ViewPage::append() {
    if (count_ == rows_.size())
        rows_.emplace_back();
    Row& row = rows_[count_++];
    row.missing = 0;
    return row;
}

} // namespace host::records
