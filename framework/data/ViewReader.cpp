#include "framework/data/ViewReader.h"

#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordView.h"

#include <algorithm>

namespace framework {

namespace {

constexpr std::size_t filterIdLength = 30;
// The filter text is built in a work area of 5000 bytes.
constexpr std::size_t filterTextLength = 4999;
constexpr int viewAccessMode = 34;

bool isUpperForm(std::string_view name) {
    return name.size() >= 6 && name.substr(0, 6) == "UPPER(";
}

} // namespace

ViewReader::~ViewReader() = default;

// ---- Set-up --------------------------------------------------------------------------------

void ViewReader::Setup(host::RecordView& view, RelationLink& primary, SortOrderList* orders,
                       std::vector<host::RecordFile*> joinedFiles) {
    VIEW = &view;
    PRIMARY = &primary;
    if (orders) {
        ORDER = orders;
        DISPOSEORDER = false;
    } else {
        ownOrders_ = std::make_unique<SortOrderList>();
        ORDER = ownOrders_.get();
        DISPOSEORDER = true;
    }
    PAGESIZE = 20;
    PAGESBEHIND = 2;
    PAGESAHEAD = 0;
    TIMEOUT = 60;
    OPENED = false;
    FILES.clear();
    FILES.push_back(primary.ME->FILE);
    for (host::RecordFile* file : joinedFiles)
        if (file && std::find(FILES.begin(), FILES.end(), file) == FILES.end())
            FILES.push_back(file);
    FileRegistry* registry = primary.ME->REGISTRY;
    for (host::RecordFile* file : FILES) {
        FileAccess* access = registry ? registry->Find(*file) : nullptr;
        if (access && access->CheckOpen(2) != Severity::Benign)
            break;
    }
}

std::vector<std::string> ViewReader::ComponentNames(int key) const {
    std::vector<std::string> names;
    const FileAccess& access = *PRIMARY->ME;
    if (const KeyRecord* record = access.FindKey(key)) {
        for (const KeyRecord::Component& component : record->FIELDS)
            names.push_back(component.FIELDNAME);
        return names;
    }
    // A key the file access was not told about: named from the file's definition.
    const host::RecordFile& file = *access.FILE;
    if (key < 1 || key > file.keyCount())
        return names;
    const host::KeyDefinition& definition = file.key(key);
    for (const host::KeyComponent& component : definition.components) {
        std::string label = file.fieldLabel(component.field);
        bool text = access.BUFFER->field(component.field).type().isText();
        names.push_back(definition.ignoreCase && text ? "UPPER(" + label + ")" : label);
    }
    return names;
}

std::string ViewReader::KeyOrderText(int key, int first) const {
    if (first < 1)
        first = 1;
    std::vector<std::string> names = ComponentNames(key);
    const host::RecordFile& file = *PRIMARY->ME->FILE;
    std::string text;
    for (std::size_t c = static_cast<std::size_t>(first); c <= names.size(); ++c) {
        if (!text.empty())
            text += ",";
        if (!file.key(key).component(static_cast<int>(c)).ascending)
            text += "-";
        text += names[c - 1];
    }
    return text;
}

std::size_t ViewReader::DeclareSortOrder(int key) {
    SortOrder& order = ORDER->append();
    order.MAINKEY = key;
    order.LIMITTYPE = 0;
    order.RANGELIST.Setup();
    const host::RecordFile& file = *PRIMARY->ME->FILE;
    if (key >= 1 && key <= file.keyCount() && file.key(key).componentCount() > 0)
        order.FREEELEMENT = PRIMARY->ME->BUFFER->field(file.key(key).component(1).field);
    order.ORDER = KeyOrderText(key, 1);
    return ORDER->count();
}

std::size_t ViewReader::DeclareSortOrder(std::string_view keyLabel) {
    return DeclareSortOrder(PRIMARY->ME->FILE->definition().keyNumber(keyLabel));
}

void ViewReader::AddRangeFromFile(RelationLink& own, RelationLink& related) {
    SortOrder& order = ORDER->current();
    order.LIMITTYPE = 4;
    order.RANGELIST.Setup();
    // The linking pairs of the relation between the two files, declared on either side:
    // the range pairs take this file's field on the left.
    Relation* relation = own.FindRelation(related);
    if (relation && relation->FIELDS && !relation->FIELDS->LIST->empty()) {
        for (const BufferedPair& pair : *relation->FIELDS->LIST)
            order.RANGELIST.PairUp(pair.LEFT, pair.RIGHT);
    } else if ((relation = related.FindRelation(own)) && relation->FIELDS) {
        for (const BufferedPair& pair : *relation->FIELDS->LIST)
            order.RANGELIST.PairUp(pair.RIGHT, pair.LEFT);
    }
    const host::RecordFile& file = *PRIMARY->ME->FILE;
    std::size_t fixed = order.RANGELIST.LIST->size();
    order.FREEELEMENT = {};
    if (order.MAINKEY >= 1 && order.MAINKEY <= file.keyCount()) {
        const host::KeyDefinition& key = file.key(order.MAINKEY);
        if (fixed < static_cast<std::size_t>(key.componentCount()))
            order.FREEELEMENT =
                PRIMARY->ME->BUFFER->field(key.component(static_cast<int>(fixed) + 1).field);
    }
    order.ORDER = KeyOrderText(order.MAINKEY, 1);
}

void ViewReader::Teardown() {
    if (ORDER) {
        for (auto& order : *ORDER) {
            order->FILTER.reset();
            order->ORDER.clear();
            order->FREEELEMENT = {};
            order->RANGELIST.Teardown();
        }
        if (DISPOSEORDER)
            ownOrders_.reset();
    }
    ORDER = nullptr;
}

// ---- Order and filter texts ----------------------------------------------------------------

std::string ViewReader::Literal(const host::Value& value, bool isText,
                                std::string_view componentName) {
    if (!isText)
        return value.toText();
    std::string literal = "'";
    std::string text = value.toText();
    for (char c : host::clipped(text)) {
        literal += c;
        if (c == '\'')
            literal += '\'';
    }
    literal += "'";
    return isUpperForm(componentName) ? "UPPER(" + literal + ")" : literal;
}

void ViewReader::RaiseViewError() {
    PRIMARY->ME->RaiseError(40);
}

void ViewReader::PushOrder() {
    if (!VIEW->setOrder(ORDER->current().ORDER))
        RaiseViewError();
}

void ViewReader::PushFilter() {
    SortOrder& order = ORDER->current();
    std::string text;
    if (order.LIMITTYPE == 4) {
        std::vector<std::string> names = ComponentNames(order.MAINKEY);
        std::size_t pair = 0;
        for (const BufferedPair& range : *order.RANGELIST.LIST) {
            if (pair >= names.size())
                break;
            if (pair > 0)
                text += " AND ";
            text += names[pair] + " = " +
                    Literal(range.RIGHT.value(), range.RIGHT.type().isText(), names[pair]);
            ++pair;
        }
        // The filter is built with these limit values.
        order.RANGELIST.RightToBuffer();
    }
    if (order.FILTER) {
        for (const SortOrder::Filter& filter : *order.FILTER)
            text += (text.empty() ? "(" : " AND (") + filter.FILTER + ")";
    }
    if (text.size() > filterTextLength)
        text.resize(filterTextLength);
    if (!VIEW->setFilter(text))
        RaiseViewError();
}

bool ViewReader::RangeChanged() {
    SortOrder& order = ORDER->current();
    if (order.LIMITTYPE != 4 || order.RANGELIST.SameRightBuffer())
        return false;
    order.RANGELIST.RightToBuffer();
    PushFilter();
    return true;
}

void ViewReader::PutFilter(std::string_view text) {
    PutFilterWithId(text, "5 Standard");
}

void ViewReader::PutFilterWithId(std::string_view text, std::string_view id) {
    SortOrder& order = ORDER->current();
    if (!order.FILTER)
        order.FILTER = std::make_unique<std::vector<SortOrder::Filter>>();
    std::string key(id.substr(0, filterIdLength));
    std::vector<SortOrder::Filter>& filters = *order.FILTER;
    auto at = std::find_if(filters.begin(), filters.end(),
                           [&](const SortOrder::Filter& filter) { return filter.ID == key; });
    if (text.empty()) {
        if (at != filters.end())
            filters.erase(at);
        return;
    }
    if (at == filters.end()) {
        // Descending order of id.
        at = std::find_if(filters.begin(), filters.end(),
                          [&](const SortOrder::Filter& filter) { return filter.ID < key; });
        at = filters.insert(at, SortOrder::Filter{key, {}});
    }
    at->FILTER = std::string(text);
}

void ViewReader::PutOrderText(std::string_view text) {
    ORDER->current().ORDER = std::string(text);
}

bool ViewReader::SelectSortOrder(int n) {
    std::size_t number = n <= 0 ? 1 : static_cast<std::size_t>(n);
    if (number == ORDER->currentNumber() || number > ORDER->count())
        return false;
    ORDER->select(number);
    return true;
}

std::string ViewReader::FreeComponentName() {
    int component = FixedKeyComponents();
    if (component == 0)
        return {};
    std::vector<std::string> names = ComponentNames(ORDER->current().MAINKEY);
    return static_cast<std::size_t>(component) <= names.size()
               ? names[static_cast<std::size_t>(component) - 1]
               : std::string();
}

int ViewReader::FixedKeyComponents() {
    const SortOrder& order = ORDER->current();
    const host::RecordFile& file = *PRIMARY->ME->FILE;
    if (order.MAINKEY < 1 || order.MAINKEY > file.keyCount())
        return 0;
    int fixed = static_cast<int>(order.RANGELIST.LIST->size()) + 1;
    return fixed > file.key(order.MAINKEY).componentCount() ? 0 : fixed;
}

// ---- Opening and reading -------------------------------------------------------------------

void ViewReader::Open() {
    if (OPENED)
        return;
    if (!VIEW->open(viewAccessMode))
        RaiseViewError();
    VIEW->setPaging(PAGESIZE, PAGESBEHIND, PAGESAHEAD, TIMEOUT);
    OPENED = true;
    PushOrder();
    PushFilter();
}

void ViewReader::Close() {
    if (OPENED)
        VIEW->close();
    OPENED = false;
}

void ViewReader::ResetFrom(int n) {
    Open();
    bool positioned = n == 0 ? VIEW->setStart() : VIEW->setAt(n);
    if (!positioned)
        RaiseViewError();
}

void ViewReader::Reset() {
    ResetFrom(0);
}

Severity ViewReader::Read(bool backward) {
    for (;;) {
        if (!(backward ? VIEW->previous() : VIEW->next())) {
            if (host::errorCode() == host::errors::noRecord)
                return Severity::Notify;
            PRIMARY->ME->RaiseError(1);
            return Severity::Fatal;
        }
        switch (AcceptRecord()) {
        case RecordJudgement::Take:
            return Severity::Benign;
        case RecordJudgement::OutOfRange:
            return Severity::Notify;
        default:
            break;
        }
    }
}

Severity ViewReader::ReadNext() {
    return Read(false);
}

Severity ViewReader::ReadPrevious() {
    return Read(true);
}

RecordJudgement ViewReader::AcceptRecord() {
    return RecordJudgement::Take;
}

void ViewReader::ResetToRange(bool keepOtherBuffers) {
    SortOrder& order = ORDER->current();
    // The limit values are taken first: the related file may be one of the view's files,
    // whose buffers are cleared next.
    std::vector<host::Value> limits;
    if (order.LIMITTYPE != 0)
        for (const BufferedPair& range : *order.RANGELIST.LIST)
            limits.push_back(range.RIGHT.value());
    if (!keepOtherBuffers)
        for (host::RecordFile* file : FILES)
            file->buffer().clear();
    const host::RecordFile& file = *PRIMARY->ME->FILE;
    if (!limits.empty() && order.MAINKEY >= 1 && order.MAINKEY <= file.keyCount()) {
        const host::KeyDefinition& key = file.key(order.MAINKEY);
        for (std::size_t c = 0; c < limits.size() && c < key.components.size(); ++c)
            PRIMARY->ME->BUFFER->field(key.components[c].field).assign(limits[c]);
    }
    PRIMARY->ME->PrepareNewRecord(true);
}

} // namespace framework
