#pragma once

#include "runtime/records/SqlRecordView.h"
#include "runtime/sqlite/ColumnValue.h"
#include "runtime/sqlite/OrderTerm.h"
#include "runtime/sqlite/Statement.h"
#include "runtime/sqlite/ViewFilter.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace host::records {
struct OrderItem;
}

namespace host::sqlite {

using records::OrderItem;

class Database;
class SqliteRecordFile;

// A view as one SQL query over the files' tables (records::SqlRecordView), in SQLite's
// dialect: texts that ignore case compare with NOCASE, and an order that is exactly a key
// of the primary file ends as the key's index does, so that SQLite walks it with no sort.
// Its filter is translated to SQL where it can be (ViewFilter). Each page's statement is
// prepared once and kept.
class SqliteRecordView final : public records::SqlRecordView {
public:
    SqliteRecordView(Database& database, SqliteRecordFile& primary);
    ~SqliteRecordView() override;

    void setPaging(int pageSize, int pagesBehind, int pagesAhead, int timeoutSeconds) override;

private:
    SqliteRecordFile& fileOf(const Member& member) const;
    RecordFile* joinable(RecordFile& other) const override;
    std::string quotedTable(const Member& member) const override;
    std::string columnName(const Member& member, int field) const override;
    Term orderTerm(const OrderItem& item, const FieldPlace& place) const override;
    void endTerms(const std::vector<OrderItem>& items, std::vector<Term>& terms) const override;
    bool applyFilter(std::string_view text) override;
    void clearFilter() override { filter_.clear(); }
    bool accepts() override { return filter_.accepts(); }
    bool fetch(bool backward) override;
    void refreshFilter() override;
    void invalidate() override;

    // The key of the primary file whose components the order items are, exactly; 0: none.
    int primaryKeyOf(const std::vector<OrderItem>& items) const;
    std::string joinCondition(const Member& member, int field, const std::string& joined,
                              const std::string& known) const override;
    // What a fetch reads: a page from the position, the one record there or after it, or
    // only the record whose order values are the position's.
    enum class Reach { Page, One, Exact };
    const Statement* fetchStatement(bool backward, int count, bool inclusive, Reach reach);
    bool fetch(bool backward, int count, bool inclusive, Reach reach);

    Database& database_;
    int pagesBehind_ = 2;
    int pagesAhead_ = 0;
    int timeoutSeconds_ = 60;
    ViewFilter filter_;
    std::unordered_map<std::uint64_t, Statement> statements_;
};

} // namespace host::sqlite
