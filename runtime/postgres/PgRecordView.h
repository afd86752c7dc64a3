#pragma once

#include "runtime/expressions/Expression.h"
#include "runtime/postgres/PgSchema.h"
#include "runtime/records/SqlRecordView.h"

#include <optional>
#include <vector>

namespace host::records {
struct OrderItem;
}

namespace host::postgres {

class PostgresDriver;
class PgRecordFile;

// A view as one query over the files' tables (records::SqlRecordView) on the server:
// keyset paging by a row-value comparison, which the server seeks in the order's index;
// texts that ignore case compare lower() in the C collation.
//
// The filter is decided by the program's own expression evaluator on each record read,
// so that it means exactly what it means on every other driver. The server is given only
// the parts it decides exactly alike: comparisons of the primary file's whole-number
// fields with whole-number constants among the filter's AND-conjuncts, which narrow what
// it sends without ever leaving out a record the filter takes.
class PgRecordView final : public records::SqlRecordView {
public:
    PgRecordView(PostgresDriver& driver, PgRecordFile& primary);
    ~PgRecordView() override;

    void setPaging(int pageSize, int pagesBehind, int pagesAhead, int timeoutSeconds) override;

private:
    PgRecordFile& fileOf(const Member& member) const;
    RecordFile* joinable(RecordFile& other) const override;
    std::string quotedTable(const Member& member) const override;
    std::string columnName(const Member& member, int field) const override;
    Term orderTerm(const records::OrderItem& item, const FieldPlace& place) const override;
    void endTerms(const std::vector<records::OrderItem>& items,
                  std::vector<Term>& terms) const override;
    bool applyFilter(std::string_view text) override;
    void clearFilter() override { filter_.reset(); }
    bool accepts() override { return !filter_ || filter_->test(); }
    bool fetch(bool backward) override;

    // Adds the exact conditions of a node (and of its AND-conjuncts) to the pushed-down
    // part of the filter.
    void pushDown(const ExpressionNode& node);

    PostgresDriver& driver_;
    std::optional<Expression> filter_;
    std::string pushedWhere_;                // "" when the server decides nothing
    std::vector<SqlValue> pushedParameters_; // $1... of pushedWhere_
};

} // namespace host::postgres
