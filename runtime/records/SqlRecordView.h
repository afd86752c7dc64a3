#pragma once

#include "runtime/files/RecordView.h"
#include "runtime/records/SqlValue.h"
#include "runtime/records/ViewPage.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace host::records {

struct OrderItem;

// What the SQL drivers' views do alike. A view is one query over the files' tables: the
// primary file as "p", joined files as "j1", "j2", ... A page is fetched with LIMIT from
// the order values of the record next to it (keyset paging), and its records are handed
// out one by one, so a page costs one indexed seek wherever it lies in the file. Here:
// the view's files and their joins, the names its order and filter use, the order's
// terms, the place reading goes on from and the reading out of a fetched page. A driver
// adds its SQL (how a column is named, how an order term compares, how a page is
// fetched) and its filter.
class SqlRecordView : public RecordView {
public:
    ~SqlRecordView() override;

    bool join(RecordFile& other, std::string_view expression, bool inner = false) override;
    bool open(int mode = 0x42) override;
    bool close() override;
    bool isOpen() const override { return open_; }
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

protected:
    // `ifNull`: the driver's SQL function that gives its second argument for a null first.
    SqlRecordView(RecordFile& primary, std::string ifNull);

    enum class Place { Start, BeforeStart, PastEnd, At };
    // A field of one of the view's files.
    struct FieldPlace {
        int member = -1;
        int field = 0;
    };
    struct Member {
        RecordFile* file = nullptr; // the driver's own file
        std::string alias;
        // The join: pairs of (field of this file, field of an earlier file of the view).
        std::vector<std::pair<int, FieldPlace>> on;
        bool inner = false;
        int firstColumn = 0;    // result column of its _id; field n follows at firstColumn + n
        size_t imageOffset = 0; // where its record image lies in a page row
    };
    // A term of the order: its SQL expression and direction, the type its values come
    // back as and whether a text compares folded, and the field it orders by.
    struct Term {
        std::string expression;
        bool ascending = true;
        SqlValue::Type type = SqlValue::Type::Integer;
        bool ignoreCase = false;
        FieldPlace place; // member -1: the primary file's row id or placeholders' term
    };

    // ---- What the driver adds ----
    // The driver's own file for `other` (its thread's file), or null when `other` belongs
    // to another driver or data base.
    virtual RecordFile* joinable(RecordFile& other) const = 0;
    // A member's table, quoted, and the column of its field n, unquoted.
    virtual std::string quotedTable(const Member& member) const = 0;
    virtual std::string columnName(const Member& member, int field) const = 0;
    // The order term of an item of an order text, on the field it names.
    virtual Term orderTerm(const OrderItem& item, const FieldPlace& place) const = 0;
    // Ends an order's terms so that no two records compare equal: with the row id, or as
    // the primary file's key that the items are exactly reads.
    virtual void endTerms(const std::vector<OrderItem>& items, std::vector<Term>& terms) const = 0;
    // Sets the filter of an open view (an empty text: none); false, with the error set,
    // when the text is not one.
    virtual bool applyFilter(std::string_view text) = 0;
    virtual void clearFilter() = 0;
    // Whether the buffers, loaded with a row of the page, pass the filter.
    virtual bool accepts() = 0;
    // Fetches the page after (before) the place into page_, with the rows' images at
    // their members' offsets; false, with the error set, when the query fails.
    virtual bool fetch(bool backward) = 0;
    // The condition that joins a member's field (its column `joined`) to a field of an
    // earlier file (`known`): an equality, which a driver may help find its index.
    virtual std::string joinCondition(const Member& member, int field, const std::string& joined,
                                      const std::string& known) const;
    // Before a page is fetched from a place set by the program (not one reading left).
    virtual void refreshFilter() {}
    // Drops what the driver prepared for the view's order, filter and page size.
    virtual void invalidate() {}

    // ---- Shared ----
    FieldPlace findField(std::string_view label) const;
    TypedRef fieldRef(const FieldPlace& place) const;
    TypedRef lookup(std::string_view label) const;
    // The column of a field as the query names it. Column names are known once the file
    // is open, so this serves only an open view.
    std::string column(const FieldPlace& place) const;
    // The same, reading a joined file without a matching record as a cleared buffer.
    std::string columnExpression(const FieldPlace& place) const;
    // "<every member's _id and columns>, <the order terms>" and " FROM ... JOIN ...".
    std::string selectList() const;
    std::string fromClause() const;
    bool buildTerms(std::string_view text, std::vector<Term>& terms);
    void forgetPlace();
    bool read(bool backward);
    void load(const ViewPage::Row& row);

    std::vector<Member> members_;
    bool open_ = false;
    int pageSize_ = 20;
    std::vector<Term> terms_;
    int termColumn_ = 0; // result column of the first term's value
    Place place_ = Place::Start;
    std::vector<SqlValue> anchor_;
    bool inclusive_ = false;
    ViewPage page_;
    size_t imageSize_ = 0;
    bool pageBackward_ = false;
    bool pageEnded_ = false;
    bool single_ = false; // fetch the one record at the place, not a page (readAt)

private:
    std::string ifNull_;
    std::vector<std::pair<std::string, TypedRef>> boundLabels_;
    std::string orderText_;
    std::string filterText_;
};

} // namespace host::records
