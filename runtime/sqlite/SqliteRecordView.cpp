#include "runtime/sqlite/SqliteRecordView.h"

#include "runtime/base/RuntimeErrors.h"
#include "runtime/records/JoinText.h"
#include "runtime/records/OrderText.h"
#include "runtime/records/PositionText.h"
#include "runtime/sqlite/Database.h"
#include "runtime/sqlite/FieldBinding.h"
#include "runtime/sqlite/SqliteRecordFile.h"

#include <sqlite3.h>

namespace host::sqlite {

using records::JoinPair;
using records::TextError;
namespace positionText = records::positionText;

namespace {

constexpr const char* positionTag = "V";

bool refuseText(std::string_view what, const TextError& error) {
    setError(errors::badFilter, "Invalid " + std::string(what) + " at position " +
                                    std::to_string(error.position) + ": " + error.message);
    return false;
}

} // namespace

SqliteRecordView::SqliteRecordView(Database& database, SqliteRecordFile& primary)
    : database_(database) {
    members_.push_back({&primary, "p", {}, false, 0, 0});
    std::vector<Term> terms;
    buildTerms({}, terms);
    terms_ = std::move(terms);
}

SqliteRecordView::~SqliteRecordView() = default;

// ---- Fields of the view's files -----------------------------------------------------------

SqliteRecordView::FieldPlace SqliteRecordView::findField(std::string_view label) const {
    for (size_t m = 0; m < members_.size(); ++m) {
        const SharedLayout& layout = members_[m].file->definition().layout();
        int number = layout ? layout->fieldNumber(label) : 0;
        if (number > 0)
            return {static_cast<int>(m), number};
    }
    return {};
}

TypedRef SqliteRecordView::fieldRef(const FieldPlace& place) const {
    if (place.member < 0)
        return {};
    return members_[static_cast<size_t>(place.member)].file->buffer().field(place.field);
}

// The column of a field as the query names it. Column names are known once the file is
// open, so this serves only an open view.
std::string SqliteRecordView::column(const FieldPlace& place) const {
    const Member& member = members_[static_cast<size_t>(place.member)];
    return member.alias + "." + quoted(member.file->schema().column(place.field));
}

std::string SqliteRecordView::columnExpression(const FieldPlace& place) const {
    const Member& member = members_[static_cast<size_t>(place.member)];
    std::string column = this->column(place);
    if (place.member == 0 || member.inner)
        return column;
    // A joined file without a matching record reads as a cleared buffer: blank or zero.
    const FieldType& type = member.file->definition().layout()->field(place.field).type;
    return "ifnull(" + column + ", " + fieldCodec::blankLiteral(type) + ")";
}

TypedRef SqliteRecordView::lookup(std::string_view label) const {
    for (const auto& [bound, variable] : boundLabels_)
        if (equalIgnoringCase(bound, label))
            return variable;
    return fieldRef(findField(label));
}

void SqliteRecordView::bindLabel(std::string label, TypedRef variable) {
    for (auto& [bound, existing] : boundLabels_)
        if (equalIgnoringCase(bound, label)) {
            existing = variable;
            return;
        }
    boundLabels_.emplace_back(std::move(label), variable);
}

int SqliteRecordView::primaryKeyOf(const std::vector<OrderItem>& items) const {
    const TableSchema& schema = members_.front().file->schema();
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

bool SqliteRecordView::buildTerms(std::string_view text, std::vector<Term>& terms) {
    std::vector<OrderItem> items;
    TextError error;
    if (!parseOrderText(text, items, error))
        return refuseText("order", error);
    terms.clear();
    for (const OrderItem& item : items) {
        FieldPlace place = findField(item.label);
        if (place.member < 0) {
            error.position = text.find(item.label) + 1;
            error.message = "no file of the view has the field " + item.label;
            return refuseText("order", error);
        }
        std::string expression = columnExpression(place);
        const FieldType& type = members_[static_cast<size_t>(place.member)]
                                    .file->definition()
                                    .layout()
                                    ->field(place.field)
                                    .type;
        if (item.ignoreCase && type.isText())
            expression += " COLLATE NOCASE";
        terms.push_back({{expression, item.ascending}, place});
    }
    // An order that is exactly a key of the primary file ends as that key's order does,
    // with the placeholders' term, so that SQLite walks the key's index with no sort.
    // Equal order values then come as a file reads them in that key; otherwise in row id
    // order (record order).
    if (int key = primaryKeyOf(items); key > 0) {
        std::string term = members_.front().file->schema().placeholderTerm(key, "p");
        if (!term.empty())
            terms.push_back({{term, true}, {}});
    }
    terms.push_back({{"p._id", true}, {}});
    return true;
}

// ---- Set-up ----------------------------------------------------------------------------------

bool SqliteRecordView::join(RecordFile& other, std::string_view expression, bool inner) {
    if (open_) {
        setError(errors::alreadyOpen);
        return false;
    }
    auto* file = dynamic_cast<SqliteRecordFile*>(&other.threadFile());
    if (!file || &file->database() != &database_)
        return failInDriver("view", "The file " + other.label() + " belongs to another driver");
    std::vector<JoinPair> pairs;
    TextError error;
    if (!parseJoinText(expression, pairs, error))
        return refuseText("join", error);
    if (members_.size() >= 64)
        return failInDriver("view", "A view joins at most 63 files");
    Member member{file, "j" + std::to_string(members_.size()), {}, inner, 0, 0};
    const RecordLayout& layout = *file->definition().layout();
    for (const JoinPair& pair : pairs) {
        // One side names a field of the joined file, the other a field already in the view.
        std::string joined = pair.left, known = pair.right;
        if (layout.fieldNumber(joined) == 0)
            std::swap(joined, known);
        int field = layout.fieldNumber(joined);
        FieldPlace place = findField(known);
        if (field == 0 || place.member < 0) {
            error.position = expression.find(field == 0 ? pair.left : known) + 1;
            error.message = "the equality does not name a field of " + other.label() +
                            " and a field of the view";
            return refuseText("join", error);
        }
        member.on.emplace_back(field, place);
    }
    members_.push_back(std::move(member));
    clearError();
    return true;
}

bool SqliteRecordView::open(int) {
    if (open_) {
        setError(errors::alreadyOpen);
        return false;
    }
    for (const Member& member : members_)
        if (!member.file->isOpen()) {
            setError(errors::fileNotOpen);
            return false;
        }
    // The files' schemas are read at their open, so the columns are settled only now.
    int column = 0;
    imageSize_ = 0;
    for (Member& member : members_) {
        member.firstColumn = column;
        column += 1 + member.file->schema().fieldCount();
        member.imageOffset = imageSize_;
        imageSize_ += member.file->buffer().size();
    }
    termColumn_ = column;
    std::vector<Term> terms;
    if (!buildTerms(orderText_, terms))
        return false;
    terms_ = std::move(terms);
    open_ = true;
    if (!filterText_.empty() && !setFilter(filterText_)) {
        filterText_.clear();
        filter_.clear();
    }
    invalidate();
    forgetPlace();
    clearError();
    return true;
}

bool SqliteRecordView::close() {
    open_ = false;
    invalidate();
    forgetPlace();
    clearError();
    return true;
}

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

bool SqliteRecordView::setOrder(std::string_view text) {
    if (open_) {
        std::vector<Term> terms;
        if (!buildTerms(text, terms))
            return false;
        terms_ = std::move(terms);
    } else {
        std::vector<OrderItem> items;
        TextError error;
        if (!parseOrderText(text, items, error))
            return refuseText("order", error);
    }
    orderText_ = std::string(text);
    invalidate();
    forgetPlace();
    clearError();
    return true;
}

bool SqliteRecordView::setFilter(std::string_view text) {
    if (open_) {
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
                        const TableSchema& schema = members_[m].file->schema();
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
        if (!filter_.set(
                text, [this](std::string_view label) { return lookup(label); }, columnOf))
            return false;
    }
    filterText_ = std::string(text);
    invalidate();
    forgetPlace();
    clearError();
    return true;
}

// ---- Positioning -------------------------------------------------------------------------------

void SqliteRecordView::invalidate() {
    statements_.clear();
    page_.clear();
    pageEnded_ = false;
}

void SqliteRecordView::forgetPlace() {
    place_ = Place::Start;
    anchor_.clear();
    page_.clear();
    pageEnded_ = false;
}

bool SqliteRecordView::setStart() {
    if (!open_) {
        setError(errors::fileNotOpen);
        return false;
    }
    forgetPlace();
    clearError();
    return true;
}

bool SqliteRecordView::setAt(int count) {
    if (!setStart())
        return false;
    int fields = 0;
    for (const Term& term : terms_)
        fields += term.place.member >= 0 ? 1 : 0;
    count = std::min(count, fields);
    if (count <= 0)
        return true;
    for (int i = 0; i < count; ++i) {
        TypedRef field = fieldRef(terms_[static_cast<size_t>(i)].place);
        anchor_.push_back(fieldCodec::valueOf(field.address(), field.type()));
    }
    place_ = Place::At;
    inclusive_ = true;
    return true;
}

bool SqliteRecordView::reset(std::string_view position) {
    if (!setStart())
        return false;
    std::optional<std::vector<SqlValue>> values = positionText::decode(positionTag, position);
    if (!values || values->size() != terms_.size()) {
        setError(errors::recordNotFound);
        return false;
    }
    anchor_ = std::move(*values);
    place_ = Place::At;
    inclusive_ = true;
    return true;
}

std::string SqliteRecordView::position() const {
    if (place_ != Place::At || inclusive_ || anchor_.size() != terms_.size())
        return {};
    return positionText::encode(positionTag, anchor_);
}

// ---- Reading -----------------------------------------------------------------------------------

std::string SqliteRecordView::selectList() const {
    std::string sql;
    for (const Member& member : members_) {
        if (!sql.empty())
            sql += ", ";
        sql += member.alias + "._id";
        for (int n = 1; n <= member.file->schema().fieldCount(); ++n)
            sql += ", " + member.alias + "." + quoted(member.file->schema().column(n));
    }
    for (const Term& term : terms_)
        sql += ", " + term.sql.expression;
    return sql;
}

std::string SqliteRecordView::fromClause() const {
    std::string sql = " FROM " + members_[0].file->schema().quotedTable() + " AS p";
    for (size_t m = 1; m < members_.size(); ++m) {
        const Member& member = members_[m];
        sql += std::string(member.inner ? " JOIN " : " LEFT JOIN ") +
               member.file->schema().quotedTable() + " AS " + member.alias + " ON ";
        for (size_t i = 0; i < member.on.size(); ++i)
            sql += (i > 0 ? " AND " : "") + column({static_cast<int>(m), member.on[i].first}) +
                   " = " + column(member.on[i].second);
    }
    return sql;
}

const Statement* SqliteRecordView::fetchStatement(bool backward, int count, bool inclusive) {
    std::uint64_t key = static_cast<std::uint64_t>(backward) |
                        (static_cast<std::uint64_t>(inclusive) << 1) |
                        (static_cast<std::uint64_t>(count) << 2);
    if (auto found = statements_.find(key); found != statements_.end())
        return &found->second;
    OrderTerms terms;
    for (const Term& term : terms_)
        terms.push_back(term.sql);
    int parameters = static_cast<int>(filter_.parameters().size());
    std::string where;
    if (!filter_.where().empty())
        where = "(" + filter_.where() + ")";
    if (count > 0)
        where += (where.empty() ? "" : " AND ") +
                 keyset::after(terms, count, backward, inclusive, parameters + 1);
    std::string sql = "SELECT " + selectList() + fromClause();
    if (!where.empty())
        sql += " WHERE " + where;
    sql += keyset::orderBy(terms, backward) + " LIMIT " + std::to_string(pageSize_);
    Statement prepared = database_.prepare(sql);
    if (!prepared.isValid())
        return nullptr;
    return &statements_.emplace(key, std::move(prepared)).first->second;
}

bool SqliteRecordView::fetch(bool backward) {
    page_.clear();
    pageBackward_ = backward;
    bool positioned = place_ == Place::At;
    int count = positioned ? static_cast<int>(anchor_.size()) : 0;
    const Statement* query = fetchStatement(backward, count, positioned && inclusive_);
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
    for (int rc = database_.step(statement, members_.front().file->busyMilliseconds(), bindValues);;
         rc = sqlite3_step(statement)) {
        if (rc != SQLITE_ROW) {
            if (rc != SQLITE_DONE) {
                page_.clear();
                return database_.fail(rc);
            }
            break;
        }
        ViewPage::Row& row = page_.append();
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
    pageEnded_ = static_cast<int>(page_.size()) < pageSize_;
    return true;
}

void SqliteRecordView::load(const ViewPage::Row& row) {
    for (size_t m = 0; m < members_.size(); ++m) {
        Record& buffer = members_[m].file->buffer();
        if (row.missing & (std::uint64_t{1} << m))
            buffer.clear(); // a joined file without a matching record
        else
            buffer.setImage(
                std::string_view(row.images).substr(members_[m].imageOffset, buffer.size()));
    }
}

bool SqliteRecordView::read(bool backward) {
    if (!open_) {
        setError(errors::fileNotOpen);
        return false;
    }
    for (;;) {
        if ((backward && place_ == Place::BeforeStart) || (!backward && place_ == Place::PastEnd)) {
            setError(errors::noRecord);
            return false;
        }
        if (page_.isEmpty() || pageBackward_ != backward) {
            // A page that came back short in this direction was the last one.
            bool exhausted = page_.isEmpty() && pageBackward_ == backward && pageEnded_;
            if (!exhausted) {
                if ((place_ != Place::At || inclusive_) && filter_.refresh())
                    statements_.clear();
                if (!fetch(backward))
                    return false;
            }
            if (page_.isEmpty()) {
                place_ = backward ? Place::BeforeStart : Place::PastEnd;
                anchor_.clear();
                pageEnded_ = false;
                setError(errors::noRecord);
                return false;
            }
        }
        const ViewPage::Row& row = page_.take();
        anchor_ = row.orderValues;
        place_ = Place::At;
        inclusive_ = false;
        load(row);
        if (filter_.accepts()) {
            clearError();
            return true;
        }
    }
}

} // namespace host::sqlite
