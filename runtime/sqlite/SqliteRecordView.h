#pragma once

#include "runtime/files/RecordView.h"
#include "runtime/sqlite/ColumnValue.h"
#include "runtime/sqlite/OrderTerm.h"
#include "runtime/sqlite/Statement.h"
#include "runtime/sqlite/ViewFilter.h"
#include "runtime/sqlite/ViewPage.h"

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace host::records {
struct OrderItem;
}

namespace host::sqlite {

using records::OrderItem;

class Database;
class SqliteRecordFile;
// A view as one SQL query over the files' tables: the primary file as "p", joined files
// as "j1", "j2", ... A page is fetched with LIMIT from the order values of the record
// next to it (keyset paging), and records are handed out of the fetched page one by
// one, so a page costs one indexed seek wherever it lies in the file.
class SqliteRecordView final : public RecordView {
public:
    SqliteRecordView(Database& database, SqliteRecordFile& primary);
    ~SqliteRecordView() override;

    bool join(RecordFile& other, std::string_view expression, bool inner = false) override;
    bool open(int mode = 0x42) override;
    bool close() override;
    bool isOpen() const override { return open_; }
    void setPaging(int pageSize, int pagesBehind, int pagesAhead, int timeoutSeconds) override;
    int pageSize() const override { return pageSize_; }
    bool setOrder(std::string_view text) override;
    bool setFilter(std::string_view text) override;
    std::string order() const override { return orderText_; }
    std::string filter() const override { return filterText_; }
    void bindLabel(std::string label, TypedRef variable) override;
    bool setStart() override;
    bool setAt(int count) override;
    bool reset(std::string_view position) override;
    bool next() override { return read(false); }
    bool previous() override { return read(true); }
    bool readAt(std::string_view position) override;
    std::string position() const override;

private:
    enum class Place { Start, BeforeStart, PastEnd, At };
    // A field of one of the view's files.
    struct FieldPlace {
        int member = -1;
        int field = 0;
    };
    struct Member {
        SqliteRecordFile* file = nullptr;
        std::string alias;
        // The join: pairs of (field of this file, field of an earlier file of the view).
        std::vector<std::pair<int, FieldPlace>> on;
        bool inner = false;
        int firstColumn = 0;    // result column of its _id; field n follows at firstColumn + n
        size_t imageOffset = 0; // where its record image lies in a page row
    };
    struct Term {
        OrderTerm sql;
        FieldPlace place; // member -1: the primary file's row id or placeholders' term
    };

    FieldPlace findField(std::string_view label) const;
    TypedRef fieldRef(const FieldPlace& place) const;
    std::string columnExpression(const FieldPlace& place) const;
    TypedRef lookup(std::string_view label) const;
    bool buildTerms(std::string_view text, std::vector<Term>& terms);
    // The key of the primary file whose components the order items are, exactly; 0: none.
    int primaryKeyOf(const std::vector<OrderItem>& items) const;
    void forgetPlace();
    void invalidate();
    // What a fetch reads: a page from the position, the one record there or after it, or
    // only the record whose order values are the position's.
    enum class Reach { Page, One, Exact };
    const Statement* fetchStatement(bool backward, int count, bool inclusive, Reach reach);
    bool fetch(bool backward);
    bool fetch(bool backward, int count, bool inclusive, Reach reach);
    bool read(bool backward);
    void load(const ViewPage::Row& row);
    std::string selectList() const;
    std::string fromClause() const;
    std::string column(const FieldPlace& place) const;

    Database& database_;
    std::vector<Member> members_;
    std::vector<std::pair<std::string, TypedRef>> boundLabels_;
    bool open_ = false;
    int pageSize_ = 20;
    int pagesBehind_ = 2;
    int pagesAhead_ = 0;
    int timeoutSeconds_ = 60;

    std::string orderText_;
    std::vector<Term> terms_;
    int termColumn_ = 0; // result column of the first term's value
    std::string filterText_;
    ViewFilter filter_;

    std::unordered_map<std::uint64_t, Statement> statements_;
    Place place_ = Place::Start;
    std::vector<SqlValue> anchor_;
    bool inclusive_ = false;
    ViewPage page_;
    size_t imageSize_ = 0;
    bool pageBackward_ = false;
    bool pageEnded_ = false;
    bool single_ = false; // fetch one record, not a page (readAt)
};

} // namespace host::sqlite
