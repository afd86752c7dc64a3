#include "runtime/postgres/PgRecordView.h"

#include "runtime/base/RuntimeErrors.h"
#include "runtime/base/Value.h"
#include "runtime/postgres/Connection.h"
#include "runtime/postgres/PgRecordFile.h"
#include "runtime/postgres/PostgresDriver.h"
#include "runtime/records/FieldCodec.h"
#include "runtime/records/OrderText.h"

namespace host::postgres {

namespace fieldCodec = host::records::fieldCodec;
using records::OrderItem;

PgRecordView::PgRecordView(PostgresDriver& driver, PgRecordFile& primary)
    : SqlRecordView(primary, "coalesce"), driver_(driver) {}

PgRecordView::~PgRecordView() = default;

// ---- The view's files ----------------------------------------------------------------------

PgRecordFile& PgRecordView::fileOf(const Member& member) const {
    return static_cast<PgRecordFile&>(*member.file);
}

RecordFile* PgRecordView::joinable(RecordFile& other) const {
    auto* file = dynamic_cast<PgRecordFile*>(&other.threadFile());
    return file && &file->driver() == &driver_ ? file : nullptr;
}

std::string PgRecordView::quotedTable(const Member& member) const {
    return PgSchema(member.file->definition()).quotedTable();
}

std::string PgRecordView::columnName(const Member& member, int field) const {
    return PgSchema(member.file->definition()).column(field);
}

// ---- The order -------------------------------------------------------------------------------

PgRecordView::Term PgRecordView::orderTerm(const OrderItem& item, const FieldPlace& place) const {
    PgSchema schema(members_[static_cast<size_t>(place.member)].file->definition());
    const FieldType& type = schema.definition().layout()->field(place.field).type;
    std::string expression = columnExpression(place);
    bool fold = item.ignoreCase && type.isText();
    if (fold)
        expression = "lower(" + expression + ")";
    return {expression, item.ascending, schema.fieldType(place.field), fold, place};
}

void PgRecordView::endTerms(const std::vector<OrderItem>& items, std::vector<Term>& terms) const {
    // An order that is exactly a key of the primary file ends as that key's order does,
    // so that equal values come as the file reads them and the key's index serves it.
    PgSchema primary(members_.front().file->definition());
    const FileDefinition& definition = primary.definition();
    for (int k = 1; k <= definition.keyCount(); ++k) {
        const KeyDefinition& key = definition.key(k);
        if (key.componentCount() != static_cast<int>(items.size()))
            continue;
        bool same = true;
        for (int c = 1; same && c <= key.componentCount(); ++c) {
            const Term& term = terms[static_cast<size_t>(c - 1)];
            int field = key.component(c).field;
            same = term.place.member == 0 && term.place.field == field &&
                   term.ascending == key.component(c).ascending &&
                   term.ignoreCase == primary.ignoresCase(k, field);
        }
        if (same) {
            PgTerms keyTerms = primary.keyTerms(k, "p");
            for (size_t t = items.size(); t < keyTerms.size(); ++t) {
                const PgTerm& keyTerm = keyTerms[t];
                terms.push_back(
                    {keyTerm.expression, keyTerm.ascending, keyTerm.type, keyTerm.ignoreCase, {}});
            }
            return;
        }
    }
    terms.push_back({"p._id", true, SqlValue::Type::Integer, false, {}});
}

// ---- Set-up ----------------------------------------------------------------------------------

void PgRecordView::setPaging(int pageSize, int, int, int) {
    pageSize_ = pageSize > 0 ? pageSize : 20;
}

bool PgRecordView::applyFilter(std::string_view text) {
    if (clipped(text).empty()) {
        filter_.reset();
    } else {
        ExpressionError error;
        std::optional<Expression> parsed = Expression::parse(
            text, [this](std::string_view label) { return lookup(label); }, &error);
        if (!parsed) {
            setError(errors::badFilter, "Invalid filter at position " +
                                            std::to_string(error.position) + ": " + error.message);
            return false;
        }
        filter_ = std::move(parsed);
    }
    pushedWhere_.clear();
    pushedParameters_.clear();
    if (filter_)
        pushDown(filter_->root());
    return true;
}

void PgRecordView::pushDown(const ExpressionNode& node) {
    using Kind = ExpressionNode::Kind;
    if (node.kind == Kind::And) {
        for (const ExpressionNode& operand : node.operands)
            pushDown(operand);
        return;
    }
    if (node.kind != Kind::Compare || node.operands.size() != 2)
        return;
    const ExpressionNode* field = &node.operands[0];
    const ExpressionNode* constant = &node.operands[1];
    ComparisonOrderings orderings = node.orderings;
    if (field->kind != Kind::Field) {
        std::swap(field, constant);
        orderings = orderings.mirrored();
    }
    if (field->kind != Kind::Field || !constant->isConstant())
        return;
    Value value = constant->evaluate();
    if (value.kind() != Value::Kind::Integer)
        return;
    FieldKind kind = field->field.type().kind;
    bool whole = kind == FieldKind::Byte || kind == FieldKind::Short || kind == FieldKind::UShort ||
                 kind == FieldKind::Long || kind == FieldKind::ULong;
    if (!whole)
        return;
    // The field must be one of the primary file's own (a bound variable is not).
    const Record& buffer = members_.front().file->buffer();
    int number = 0;
    for (int n = 1; n <= buffer.fieldCount() && number == 0; ++n)
        if (buffer.field(n).address() == field->field.address() &&
            buffer.field(n).type() == field->field.type())
            number = n;
    if (number == 0)
        return;
    const char* op = nullptr;
    if (orderings.less && orderings.equal && orderings.greater)
        return; // always true: nothing to narrow
    if (!orderings.less && !orderings.equal && !orderings.greater)
        op = nullptr;
    else if (orderings.less && orderings.equal)
        op = " <= ";
    else if (orderings.greater && orderings.equal)
        op = " >= ";
    else if (orderings.less && orderings.greater)
        op = " <> ";
    else if (orderings.less)
        op = " < ";
    else if (orderings.greater)
        op = " > ";
    else
        op = " = ";
    std::string condition =
        op ? column({0, number}) + op +
                 PgSchema::parameter(static_cast<int>(pushedParameters_.size()) + 1,
                                     SqlValue::Type::Integer)
           : std::string("false");
    if (op)
        pushedParameters_.push_back(SqlValue::ofInteger(value.toInteger()));
    pushedWhere_ += (pushedWhere_.empty() ? "" : " AND ") + condition;
}

// ---- Reading -----------------------------------------------------------------------------------

bool PgRecordView::fetch(bool backward) {
    page_.clear();
    pageBackward_ = backward;
    bool positioned = place_ == Place::At;
    int count = positioned ? static_cast<int>(anchor_.size()) : 0;
    PgTerms terms;
    for (const Term& term : terms_)
        terms.push_back({term.expression, term.ascending, term.type, term.ignoreCase});
    std::string sql = "SELECT " + selectList() + fromClause();
    std::string where = pushedWhere_;
    std::vector<SqlValue> parameters = pushedParameters_;
    if (count > 0) {
        where += (where.empty() ? "" : " AND ") +
                 keysetAfter(terms, count, backward, positioned && inclusive_,
                             static_cast<int>(parameters.size()) + 1);
        parameters.insert(parameters.end(), anchor_.begin(), anchor_.end());
    }
    if (!where.empty())
        sql += " WHERE " + where;
    int limit = single_ ? 1 : pageSize_;
    sql += keysetOrderBy(terms, backward) + " LIMIT " + std::to_string(limit);
    fileOf(members_.front()).applyLockWait();
    bool ok = false;
    Result result = driver_.connection().run(sql, parameters, ok);
    if (!ok) {
        if (!driver_.connection().isConnected())
            driver_.forgetSession();
        return false;
    }
    for (int r = 0; r < result.rows(); ++r) {
        records::ViewPage::Row& row = page_.append();
        row.images.assign(imageSize_, '\0');
        for (size_t m = 0; m < members_.size(); ++m) {
            const Member& member = members_[m];
            if (m > 0 && !member.inner && result.isNull(r, member.firstColumn)) {
                row.missing |= std::uint64_t{1} << m;
                continue;
            }
            const RecordLayout& layout = *member.file->definition().layout();
            PgSchema schema(member.file->definition());
            auto* image = reinterpret_cast<std::byte*>(row.images.data() + member.imageOffset);
            for (int n = 1; n <= layout.fieldCount(); ++n) {
                const FieldInfo& field = layout.field(n);
                fieldCodec::load(result.value(r, member.firstColumn + n, schema.fieldType(n)),
                                 image + field.offset, field.type);
            }
        }
        row.orderValues.resize(terms.size());
        for (size_t t = 0; t < terms.size(); ++t)
            row.orderValues[t] = result.value(r, termColumn_ + static_cast<int>(t), terms[t].type);
    }
    pageEnded_ = static_cast<int>(page_.size()) < limit;
    return true;
}

} // namespace host::postgres
