#include "runtime/sqlite/SqliteRecordView.h"

#include "runtime/base/RuntimeErrors.h"
#include "runtime/records/OrderText.h"
#include "runtime/sqlite/Database.h"
#include "runtime/sqlite/FieldBinding.h"
#include "runtime/sqlite/SqliteRecordFile.h"

#include <sqlite3.h>

namespace host::sqlite {

namespace {

// Whether a key of the file that ignores letter case begins with the field.
bool leadsCaselessKey(const SqliteRecordFile& file, int field) {
    const FileDefinition& definition = file.definition();
    for (int k = 1; k <= definition.keyCount(); ++k)
        if (definition.key(k).componentCount() > 0 &&
            definition.key(k).component(1).field == field && file.schema().ignoresCase(k, field))
            return true;
    return false;
}

} // namespace

SqliteRecordView::SqliteRecordView(Database& database, SqliteRecordFile& primary)
    : SqlRecordView(primary, "ifnull"), database_(database) {}

SqliteRecordView::~SqliteRecordView() = default;

// ---- The view's files ----------------------------------------------------------------------

SqliteRecordFile& SqliteRecordView::fileOf(const Member& member) const {
    return static_cast<SqliteRecordFile&>(*member.file);
}

RecordFile* SqliteRecordView::joinable(RecordFile& other) const {
    auto* file = dynamic_cast<SqliteRecordFile*>(&other.threadFile());
    return file && &file->database() == &database_ ? file : nullptr;
}

std::string SqliteRecordView::quotedTable(const Member& member) const {
    return fileOf(member).schema().quotedTable();
}

std::string SqliteRecordView::columnName(const Member& member, int field) const {
    return fileOf(member).schema().column(field);
}

// ---- The order -------------------------------------------------------------------------------

SqliteRecordView::Term SqliteRecordView::orderTerm(const OrderItem& item,
                                                   const FieldPlace& place) const {
    std::string expression = columnExpression(place);
    const FieldType& type = members_[static_cast<size_t>(place.member)]
                                .file->definition()
                                .layout()
                                ->field(place.field)
                                .type;
    if (item.ignoreCase && type.isText())
        expression += " COLLATE NOCASE";
    Term term;
    term.expression = std::move(expression);
    term.ascending = item.ascending;
    term.place = place;
    return term;
}

int SqliteRecordView::primaryKeyOf(const std::vector<OrderItem>& items) const {
    const TableSchema& schema = fileOf(members_.front()).schema();
    const FileDefinition& definition = schema.definition();
    for (int k = 1; k <= definition.keyCount(); ++k) {
        const KeyDefinition& key = definition.key(k);
        if (key.componentCount() != static_cast<int>(items.size()))
            continue;
        bool same = true;
        for (int c = 1; same && c <= key.componentCount(); ++c) {
            const OrderItem& item = items[static_cast<size_t>(c - 1)];
            FieldPlace place = findField(item.label);
            int field = key.component(c).field;
            bool ignoresCase = item.ignoreCase && definition.layout()->field(field).type.isText();
            same = place.member == 0 && place.field == field &&
                   item.ascending == key.component(c).ascending &&
                   ignoresCase == schema.ignoresCase(k, field);
        }
        if (same)
            return k;
    }
    return 0;
}

void SqliteRecordView::endTerms(const std::vector<OrderItem>& items,
                                std::vector<Term>& terms) const {
    // An order that is exactly a key of the primary file ends as that key's order does,
    // with the placeholders' term, so that SQLite walks the key's index with no sort.
    // Equal order values then come as a file reads them in that key; otherwise in row id
    // order (record order).
    if (int key = primaryKeyOf(items); key > 0) {
        std::string term = fileOf(members_.front()).schema().placeholderTerm(key, "p");
        if (!term.empty()) {
            terms.emplace_back();
            terms.back().expression = term;
        }
    }
    terms.emplace_back();
    terms.back().expression = "p._id";
}

// ---- Set-up ----------------------------------------------------------------------------------

void SqliteRecordView::setPaging(int pageSize, int pagesBehind, int pagesAhead,
                                 int timeoutSeconds) {
    int size = pageSize > 0 ? pageSize : 20;
    if (size != pageSize_)
        invalidate();
    pageSize_ = size;
    pagesBehind_ = pagesBehind;
    pagesAhead_ = pagesAhead;
    timeoutSeconds_ = timeoutSeconds;
}

bool SqliteRecordView::applyFilter(std::string_view text) {
    auto columnOf = [this](const TypedRef& ref) -> std::optional<SqlColumn> {
        for (size_t m = 0; m < members_.size(); ++m) {
            const Record& buffer = members_[m].file->buffer();
            const std::byte* start = buffer.data();
            if (ref.address() < start || ref.address() >= start + buffer.size())
                continue;
            for (int n = 1; n <= buffer.fieldCount(); ++n)
                if (buffer.field(n).address() == ref.address() &&
                    buffer.field(n).type() == ref.type()) {
                    SqlColumn column{columnExpression({static_cast<int>(m), n}), ref.type()};
                    const TableSchema& schema = fileOf(members_[m]).schema();
                    if (m == 0 && schema.isSearchReady() && schema.searches(n)) {
                        column.searchIndex = quoted(schema.searchTable());
                        column.searchPending = quoted(schema.searchPendingTable());
                        column.rowId = members_[m].alias + "._id";
                    }
                    return column;
                }
        }
        return std::nullopt;
    };
    return filter_.set(
        text, [this](std::string_view label) { return lookup(label); }, columnOf);
}

void SqliteRecordView::refreshFilter() {
    // The filter's variables changed since its statements were made: make them again.
    if (filter_.refresh())
        statements_.clear();
}

void SqliteRecordView::invalidate() {
    statements_.clear();
    page_.clear();
    pageEnded_ = false;
}

// ---- Reading -----------------------------------------------------------------------------------

std::string SqliteRecordView::joinCondition(const Member& member, int field,
                                            const std::string& joined,
                                            const std::string& known) const {
    std::string equal = joined + " = " + known;
    // A field whose key ignores letter case is indexed without regard to it, and SQLite
    // looks such an index up only for an equality that ignores case too: that one finds
    // the candidates, the exact one keeps the join's meaning.
    if (leadsCaselessKey(fileOf(member), field))
        return joined + " COLLATE NOCASE = " + known + " AND " + equal;
    return equal;
}

const Statement* SqliteRecordView::fetchStatement(bool backward, int count, bool inclusive,
                                                  Reach reach) {
    std::uint64_t key =
        static_cast<std::uint64_t>(backward) | (static_cast<std::uint64_t>(inclusive) << 1) |
        (static_cast<std::uint64_t>(reach) << 2) | (static_cast<std::uint64_t>(count) << 4);
    if (auto found = statements_.find(key); found != statements_.end())
        return &found->second;
    OrderTerms terms;
    for (const Term& term : terms_)
        terms.push_back({term.expression, term.ascending});
    int parameters = static_cast<int>(filter_.parameters().size());
    std::string where;
    if (!filter_.where().empty())
        where = "(" + filter_.where() + ")";
    if (reach == Reach::Exact) {
        for (int i = 0; i < count; ++i)
            where += (where.empty() ? "" : " AND ") + terms[static_cast<size_t>(i)].expression +
                     " = ?" + std::to_string(parameters + 1 + i);
    } else if (count > 0) {
        where += (where.empty() ? "" : " AND ") +
                 keyset::after(terms, count, backward, inclusive, parameters + 1);
    }
    std::string sql = "SELECT " + selectList() + fromClause();
    if (!where.empty())
        sql += " WHERE " + where;
    if (reach != Reach::Exact)
        sql += keyset::orderBy(terms, backward);
    sql += " LIMIT " + std::to_string(reach == Reach::Page ? pageSize_ : 1);
    Statement prepared = database_.prepare(sql);
    if (!prepared.isValid())
        return nullptr;
    return &statements_.emplace(key, std::move(prepared)).first->second;
}

bool SqliteRecordView::fetch(bool backward) {
    bool positioned = place_ == Place::At;
    int count = positioned ? static_cast<int>(anchor_.size()) : 0;
    bool inclusive = positioned && inclusive_;
    if (single_ && inclusive && count == static_cast<int>(terms_.size())) {
        // The record at the position is found by its order values, its row id among them,
        // with no seek through the records before it; only when it is gone (or changed its
        // place) does the view look for the first one after the position.
        if (!fetch(backward, count, inclusive, Reach::Exact))
            return false;
        if (!page_.isEmpty())
            return true;
    }
    return fetch(backward, count, inclusive, single_ ? Reach::One : Reach::Page);
}

bool SqliteRecordView::fetch(bool backward, int count, bool inclusive, Reach reach) {
    page_.clear();
    pageBackward_ = backward;
    const Statement* query = fetchStatement(backward, count, inclusive, reach);
    if (!query)
        return false;
    StatementUse use(*query);
    sqlite3_stmt* statement = query->get();
    auto bindValues = [&] {
        int parameter = 1;
        for (const SqlValue& value : filter_.parameters())
            columnValue::bind(value, statement, parameter++);
        for (int i = 0; i < count; ++i)
            columnValue::bind(anchor_[static_cast<size_t>(i)], statement, parameter++);
    };
    bindValues();
    size_t terms = terms_.size();
    // The page waits the primary file's time for a busy data base.
    for (int rc =
             database_.step(statement, fileOf(members_.front()).busyMilliseconds(), bindValues);
         ; rc = sqlite3_step(statement)) {
        if (rc != SQLITE_ROW) {
            if (rc != SQLITE_DONE) {
                page_.clear();
                return database_.fail(rc);
            }
            break;
        }
        records::ViewPage::Row& row = page_.append();
        row.images.resize(imageSize_);
        for (size_t m = 0; m < members_.size(); ++m) {
            const Member& member = members_[m];
            if (m > 0 && !member.inner &&
                sqlite3_column_type(statement, member.firstColumn) == SQLITE_NULL) {
                row.missing |= std::uint64_t{1} << m;
                continue;
            }
            auto* image = reinterpret_cast<std::byte*>(row.images.data() + member.imageOffset);
            const RecordLayout& layout = *member.file->definition().layout();
            for (int n = 1; n <= layout.fieldCount(); ++n) {
                const FieldInfo& field = layout.field(n);
                fieldBinding::load(statement, member.firstColumn + n, image + field.offset,
                                   field.type);
            }
        }
        row.orderValues.resize(terms);
        for (size_t t = 0; t < terms; ++t)
            columnValue::readInto(row.orderValues[t], statement, termColumn_ + static_cast<int>(t));
    }
    pageEnded_ = static_cast<int>(page_.size()) < (reach == Reach::Page ? pageSize_ : 1);
    return true;
}

} // namespace host::sqlite
