#pragma once

#include "runtime/records/SqlValue.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host::records {

// The records of one fetched page of a view, waiting to be handed out one by one. Each
// row keeps the record images of the view's files side by side (decoded once from the
// query, copied into the buffers when the row is read), which files had no matching
// record, and the row's order values, which place the next page. Rows are reused from
// page to page so that paging allocates little.
class ViewPage {
public:
    struct Row {
        std::string images;
        std::uint64_t missing = 0; // bit m: file m of the view had no matching record
        std::vector<SqlValue> orderValues;
    };

    void clear() { count_ = next_ = 0; }
    bool isEmpty() const { return next_ >= count_; }
    std::size_t size() const { return count_; }
    // A fresh row at the end of the page (its contents are those of an earlier page).
    Row& append();
    // The next row to hand out.
    const Row& take() { return rows_[next_++]; }

private:
    std::vector<Row> rows_;
    std::size_t count_ = 0;
    std::size_t next_ = 0;
};

} // namespace host::records
