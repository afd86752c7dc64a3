#pragma once

#include "runtime/expressions/Expression.h"
#include "runtime/files/RecordView.h"
#include "runtime/postgres/PgSchema.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace host::postgres {

class PostgresDriver;
class PgRecordFile;

// A view as one query over the files' tables: the primary file as "p", joined files as
// "j1", "j2", ... A page is fetched with LIMIT after the order values of the record next
// to it (keyset paging by a row-value comparison, which the server seeks in the order's
// index), and handed out record by record.
//
// The filter is decided by the program's own expression evaluator on each record read,
// so that it means exactly what it means on every other driver. The server is given only
// the parts it decides exactly alike: comparisons of the primary file's whole-number
// fields with whole-number constants among the filter's AND-conjuncts, which narrow what
// it sends without ever leaving out a record the filter takes.
class PgRecordView final : public RecordView {
public:
    PgRecordView(PostgresDriver& driver, PgRecordFile& primary);
    ~PgRecordView() override;

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
    struct FieldPlace {
        int member = -1;
        int field = 0;
    };
    struct Member {
        PgRecordFile* file = nullptr;
        std::string alias;
        std::vector<std::pair<int, FieldPlace>> on;
        bool inner = false;
        int firstColumn = 0; // result column of its _id; field n follows at firstColumn + n
    };
    struct Term {
        PgTerm sql;
        FieldPlace place; // member -1: the primary file's row id or placeholders' term
    };
    struct Row {
        std::vector<std::string> images;
        std::uint64_t missing = 0;
        std::vector<SqlValue> orderValues;
    };

    FieldPlace findField(std::string_view label) const;
    TypedRef fieldRef(const FieldPlace& place) const;
    std::string column(const FieldPlace& place) const;
    std::string columnExpression(const FieldPlace& place) const;
    TypedRef lookup(std::string_view label) const;
    bool buildTerms(std::string_view text, std::vector<Term>& terms);
    void forgetPlace();
    // Adds the exact conditions of a node (and of its AND-conjuncts) to the pushed-down
    // part of the filter.
    void pushDown(const ExpressionNode& node);
    bool fetch(bool backward);
    bool read(bool backward);
    void load(const Row& row);

    PostgresDriver& driver_;
    std::vector<Member> members_;
    std::vector<std::pair<std::string, TypedRef>> boundLabels_;
    bool open_ = false;
    int pageSize_ = 20;
    std::string orderText_;
    std::vector<Term> terms_;
    int termColumn_ = 0;
    std::string filterText_;
    std::optional<Expression> filter_;
    std::string pushedWhere_;                // "" when the server decides nothing
    std::vector<SqlValue> pushedParameters_; // $1... of pushedWhere_

    Place place_ = Place::Start;
    std::vector<SqlValue> anchor_;
    bool inclusive_ = false;
    std::vector<Row> page_;
    size_t nextRow_ = 0;
    bool pageBackward_ = false;
    bool pageEnded_ = false;
    bool single_ = false; // fetch one record, not a page (readAt)
};

} // namespace host::postgres
