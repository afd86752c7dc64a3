#include "runtime/records/SqlRecordView.h"

#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/RecordFile.h"
#include "runtime/records/DriverSupport.h"
#include "runtime/records/FieldCodec.h"
#include "runtime/records/JoinText.h"
#include "runtime/records/OrderText.h"
#include "runtime/records/PositionText.h"

#include <algorithm>

namespace host::records {

namespace {

constexpr const char* positionTag = "V";

bool refuseText(std::string_view what, const TextError& error) {
    setError(errors::badFilter, "Invalid " + std::string(what) + " at position " +
                                    std::to_string(error.position) + ": " + error.message);
    return false;
}

} // namespace

SqlRecordView::SqlRecordView(RecordFile& primary, std::string ifNull) : ifNull_(std::move(ifNull)) {
    members_.push_back({&primary, "p", {}, false, 0, 0});
    // With no order the view reads in record order.
    terms_.push_back({"p._id", true, SqlValue::Type::Integer, false, {}});
}

SqlRecordView::~SqlRecordView() = default;

// ---- Fields of the view's files -----------------------------------------------------------

SqlRecordView::FieldPlace SqlRecordView::findField(std::string_view label) const {
    for (size_t m = 0; m < members_.size(); ++m) {
        const SharedLayout& layout = members_[m].file->definition().layout();
        int number = layout ? layout->fieldNumber(label) : 0;
        if (number > 0)
            return {static_cast<int>(m), number};
    }
    return {};
}

TypedRef SqlRecordView::fieldRef(const FieldPlace& place) const {
    if (place.member < 0)
        return {};
    return members_[static_cast<size_t>(place.member)].file->buffer().field(place.field);
}

std::string SqlRecordView::column(const FieldPlace& place) const {
    const Member& member = members_[static_cast<size_t>(place.member)];
    return member.alias + "." + quoted(columnName(member, place.field));
}

std::string SqlRecordView::columnExpression(const FieldPlace& place) const {
    const Member& member = members_[static_cast<size_t>(place.member)];
    std::string column = this->column(place);
    if (place.member == 0 || member.inner)
        return column;
    // A joined file without a matching record reads as a cleared buffer: blank or zero.
    const FieldType& type = member.file->definition().layout()->field(place.field).type;
    return ifNull_ + "(" + column + ", " + fieldCodec::blankLiteral(type) + ")";
}

TypedRef SqlRecordView::lookup(std::string_view label) const {
    for (const auto& [bound, variable] : boundLabels_)
        if (equalIgnoringCase(bound, label))
            return variable;
    return fieldRef(findField(label));
}

void SqlRecordView::bindLabel(std::string label, TypedRef variable) {
    for (auto& [bound, existing] : boundLabels_)
        if (equalIgnoringCase(bound, label)) {
            existing = variable;
            return;
        }
    boundLabels_.emplace_back(std::move(label), variable);
}

bool SqlRecordView::buildTerms(std::string_view text, std::vector<Term>& terms) {
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
        terms.push_back(orderTerm(item, place));
    }
    endTerms(items, terms);
    return true;
}

// ---- Set-up ----------------------------------------------------------------------------------

bool SqlRecordView::join(RecordFile& other, std::string_view expression, bool inner) {
    if (open_) {
        setError(errors::alreadyOpen);
        return false;
    }
    RecordFile* file = joinable(other);
    if (!file)
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

bool SqlRecordView::open(int) {
    if (open_) {
        setError(errors::alreadyOpen);
        return false;
    }
    for (const Member& member : members_)
        if (!member.file->isOpen()) {
            setError(errors::fileNotOpen);
            return false;
        }
    // The files' tables are looked at by their open, so the columns are settled only now.
    int column = 0;
    imageSize_ = 0;
    for (Member& member : members_) {
        member.firstColumn = column;
        column += 1 + member.file->fieldCount();
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
        clearFilter();
    }
    invalidate();
    forgetPlace();
    clearError();
    return true;
}

bool SqlRecordView::close() {
    open_ = false;
    invalidate();
    forgetPlace();
    clearError();
    return true;
}

bool SqlRecordView::setOrder(std::string_view text) {
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

bool SqlRecordView::setFilter(std::string_view text) {
    if (open_ && !applyFilter(text))
        return false;
    filterText_ = std::string(text);
    invalidate();
    forgetPlace();
    clearError();
    return true;
}

// ---- The query -------------------------------------------------------------------------------

std::string SqlRecordView::selectList() const {
    std::string sql;
    for (const Member& member : members_) {
        if (!sql.empty())
            sql += ", ";
        sql += member.alias + "._id";
        for (int n = 1; n <= member.file->fieldCount(); ++n)
            sql += ", " + member.alias + "." + quoted(columnName(member, n));
    }
    for (const Term& term : terms_)
        sql += ", " + term.expression;
    return sql;
}

std::string SqlRecordView::joinCondition(const Member&, int, const std::string& joined,
                                         const std::string& known) const {
    return joined + " = " + known;
}

std::string SqlRecordView::fromClause() const {
    std::string sql = " FROM " + quotedTable(members_[0]) + " AS p";
    for (size_t m = 1; m < members_.size(); ++m) {
        const Member& member = members_[m];
        sql += std::string(member.inner ? " JOIN " : " LEFT JOIN ") + quotedTable(member) + " AS " +
               member.alias + " ON ";
        for (size_t i = 0; i < member.on.size(); ++i) {
            auto [field, known] = member.on[i];
            sql +=
                (i > 0 ? " AND " : "") +
                joinCondition(member, field, column({static_cast<int>(m), field}), column(known));
        }
    }
    return sql;
}

// ---- Positioning -------------------------------------------------------------------------------

void SqlRecordView::forgetPlace() {
    place_ = Place::Start;
    anchor_.clear();
    page_.clear();
    pageEnded_ = false;
}

bool SqlRecordView::setStart() {
    if (!open_) {
        setError(errors::fileNotOpen);
        return false;
    }
    forgetPlace();
    clearError();
    return true;
}

bool SqlRecordView::setAt(int count) {
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

bool SqlRecordView::reset(std::string_view position) {
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

bool SqlRecordView::readAt(std::string_view position) {
    if (!reset(position))
        return false;
    single_ = true;
    bool found = read(false);
    single_ = false;
    return found;
}

std::string SqlRecordView::position() const {
    if (place_ != Place::At || inclusive_ || anchor_.size() != terms_.size())
        return {};
    return positionText::encode(positionTag, anchor_);
}

// ---- Reading -----------------------------------------------------------------------------------

void SqlRecordView::load(const ViewPage::Row& row) {
    for (size_t m = 0; m < members_.size(); ++m) {
        Record& buffer = members_[m].file->buffer();
        if (row.missing & (std::uint64_t{1} << m))
            buffer.clear(); // a joined file without a matching record
        else
            buffer.setImage(
                std::string_view(row.images).substr(members_[m].imageOffset, buffer.size()));
    }
}

bool SqlRecordView::read(bool backward) {
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
                if (place_ != Place::At || inclusive_)
                    refreshFilter();
                if (!fetch(backward))
                    return false;
            }
            if (page_.isEmpty()) {
                place_ = backward ? Place::BeforeStart : Place::PastEnd;
                anchor_.clear();
                page_.clear();
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
        if (accepts()) {
            clearError();
            return true;
        }
    }
}

} // namespace host::records
