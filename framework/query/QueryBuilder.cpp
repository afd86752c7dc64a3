#include "framework/query/QueryBuilder.h"

#include "framework/data/ErrorReporter.h"
#include "framework/data/FieldPairList.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "framework/window/IniStore.h"
#include "framework/window/PopupMenu.h"
#include "runtime/base/Record.h"
#include "runtime/base/Value.h"
#include "runtime/pictures/Picture.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Event.h"
#include "runtime/ui/Window.h"

#include <algorithm>

namespace framework {

namespace {

constexpr std::uint16_t unsupportedColumn = 41;
constexpr std::string_view queryFamily = "Query";
constexpr std::string_view queryList = "Query";

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool containsUpper(std::string_view name) {
    return name.find("UPPER(") != std::string_view::npos;
}

std::string quoted(std::string_view value) {
    std::string text = "'";
    for (char c : value) {
        text += c;
        if (c == '\'')
            text += '\'';
    }
    return text + "'";
}

// The operator made of the leading operator characters of `value` (removed from it) and
// the operator text: "<", ">" and "~" each once in order of first occurrence, then "="
// when there is one and not both "<" and ">". "Contains" and "Begins" add nothing and
// put their "*" back on the value.
std::string canonical(std::string_view operatorText, std::string& value) {
    std::size_t cut = value.find_first_not_of("=<>~");
    if (cut == std::string::npos)
        cut = value.size();
    std::string prefix = value.substr(0, cut);
    value.erase(0, cut);
    if (operatorText == "Contains")
        value = "*" + value;
    else if (operatorText == "Begins")
        value += "*";
    else if (operatorText == "NOT =")
        prefix += "<>";
    else
        prefix += operatorText;
    std::string result;
    for (char c : prefix)
        if ((c == '<' || c == '>' || c == '~') && result.find(c) == std::string::npos)
            result += c;
    bool less = prefix.find('<') != std::string::npos;
    bool greater = prefix.find('>') != std::string::npos;
    if (prefix.find('=') != std::string::npos && !(less && greater))
        result += '=';
    return result;
}

// A plain number as the expression language reads one: digits with at most one point,
// an optional sign.
bool isPlainNumber(std::string_view text) {
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        ++at;
    bool digits = false, point = false;
    for (; at < text.size(); ++at) {
        char c = text[at];
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

} // namespace

struct QueryBuilder::Criterion {
    std::string value;
    std::string op;
    std::string picture; // forgotten (empty) once the value is raw
    bool caseless = false;
    bool more = false;
    bool fault = false;
};

host::SharedLayout QueryBuilder::FieldLayout() {
    static const host::SharedLayout layout =
        std::make_shared<const host::RecordLayout>(host::RecordLayout{
            {"NAME", host::FieldType::cstring(100)},
            {"TITLE", host::FieldType::text(100)},
            {"PICTURE", host::FieldType::text(40)},
            {"LOW", host::FieldType::text(500)},
            {"MIDDLE", host::FieldType::text(500)},
            {"HIGH", host::FieldType::text(500)},
            {"FORCEEDITPICTURE", host::FieldType::byte()},
        });
    return layout;
}

QueryBuilder::QueryBuilder() : QFIELDS(std::make_unique<host::Queue>(FieldLayout())) {}

QueryBuilder::~QueryBuilder() = default;

void QueryBuilder::Setup(std::string_view owner, IniStore* ini, ErrorReporter* errors) {
    OWNER = std::string(owner);
    INI = ini;
    ERRORS = errors;
    MENUCHOICES = ini ? 1 : 0;
    QFIELDS->free();
    ITEMS.clear();
    CHOSEN.clear();
}

void QueryBuilder::Teardown() {
    QFIELDS->free();
    ITEMS.clear();
    POPUP = nullptr;
}

void QueryBuilder::AddItem(std::string_view name, std::string_view title, std::string_view picture,
                           bool forceEditPicture) {
    host::Record& entry = QFIELDS->buffer();
    entry.clear();
    entry.field(NameField).assign(host::Value(name));
    entry.field(TitleField).assign(host::Value(title));
    std::string shown(picture);
    if (startsWith(shown, "@"))
        shown.erase(0, 1);
    // The picture's kind letter in capitals, so that S marks a text field.
    if (!shown.empty() && shown[0] >= 'a' && shown[0] <= 'z')
        shown[0] = static_cast<char>(shown[0] - 'a' + 'A');
    entry.field(PictureField).assign(host::Value(shown));
    entry.field(ForceField).assign(host::Value(forceEditPicture ? 1 : 0));
    QFIELDS->add();
}

std::string QueryBuilder::FieldText(std::size_t entry, Field field) const {
    return host::clip(QFIELDS->entryField(entry, field).text());
}

void QueryBuilder::SetFieldText(std::size_t entry, Field field, std::string_view text) {
    if (!QFIELDS->get(entry))
        return;
    QFIELDS->buffer().field(field).assign(host::Value(text));
    QFIELDS->put();
}

std::size_t QueryBuilder::FindField(std::string_view name) const {
    for (std::size_t n = 1; n <= QFIELDS->count(); ++n)
        if (host::equalIgnoringCase(FieldText(n, NameField), host::clip(name)))
            return n;
    return 0;
}

bool QueryBuilder::IsTextField(std::size_t entry) const {
    return startsWith(FieldText(entry, PictureField), "S");
}

// ---- Building the filter -----------------------------------------------------------------------

void QueryBuilder::Refine(std::size_t entry, const std::string& name, Criterion& c) {
    if (!FieldText(entry, MiddleField).empty())
        c.op += "=";
    c.op = canonical(c.op, c.value);
    if (startsWith(c.value, "^")) {
        c.caseless = true;
        c.value = host::upper(c.value.substr(1));
    }
    if (containsUpper(name)) {
        c.caseless = true;
        c.value = host::upper(c.value);
    }
    if (QFIELDS->entryField(entry, ForceField).integer() != 0 && !IsTextField(entry)) {
        c.caseless = false;
        c.picture.clear();
    }
}

// The value read back from its display form through the picture; a value the picture
// cannot read stays as typed and is noted as a fault.
bool QueryBuilder::RawValue(Criterion& c) {
    if (c.picture.empty() || startsWith(c.picture, "S"))
        return true;
    if (!c.value.empty()) {
        std::optional<host::Value> raw = host::deformatPicture(c.value, "@" + c.picture);
        if (raw && host::Picture::parse("@" + c.picture))
            c.value = raw->toText();
        else
            c.fault = true;
    }
    c.caseless = false;
    c.picture.clear();
    return !c.fault;
}

bool QueryBuilder::TakeCriterion(std::size_t entry, const std::string& name, bool second,
                                 Criterion& c) {
    std::string low = FieldText(entry, LowField);
    std::string high = FieldText(entry, HighField);
    c = Criterion{};
    c.picture = FieldText(entry, PictureField);
    if (!low.empty() && !second) {
        c.op = ">";
        c.value = low;
        c.more = !high.empty();
        Refine(entry, name, c);
        RawValue(c);
    } else if (!high.empty()) {
        c.op = "<";
        c.value = high;
        Refine(entry, name, c);
        RawValue(c);
        c.more = false;
    } else {
        c.value = FieldText(entry, MiddleField);
        Refine(entry, name, c);
        if (startsWith(c.value, "*")) {
            c.op = "Contains";
            c.value.erase(0, 1);
        } else if (!c.value.empty() && c.value.back() == '*') {
            c.op = "Begins";
            c.value.pop_back();
        }
        if (startsWith(c.value, "^")) {
            c.caseless = true;
            c.value = host::upper(c.value.substr(1));
        }
        if (!c.picture.empty() && QFIELDS->entryField(entry, ForceField).integer() == 0 &&
            c.op != "Contains" && c.op != "Begins")
            RawValue(c);
    }
    return true;
}

std::string QueryBuilder::BuildFilter() {
    std::string filter;
    FAULT.clear();
    for (std::size_t entry = 1; entry <= QFIELDS->count(); ++entry) {
        std::string name = FieldText(entry, NameField);
        bool text = IsTextField(entry);
        Criterion c;
        bool second = false;
        do {
            TakeCriterion(entry, name, second, c);
            second = true;
            if (c.value.empty() && c.op.empty())
                continue;
            // "*" alone asks for anything: no criterion.
            if (c.op == "Contains" && c.value.empty())
                continue;
            if ((c.op == "Contains" || c.op == "Begins") && !c.picture.empty() &&
                !startsWith(c.picture, "S")) {
                name = "FORMAT(" + name + ",@" + c.picture + ")";
                c.caseless = true;
                c.value = host::upper(c.value);
            }
            if (c.op == "<>" && c.value.empty() && !text)
                c.value = "0";
            if (c.caseless) {
                c.value = host::upper(c.value);
                if (startsWith(c.value, "^"))
                    c.value.erase(0, 1);
                if (!containsUpper(name))
                    name = "UPPER(" + name + ")";
            }
            if (!filter.empty())
                filter += " AND ";
            if (c.op == "Contains") {
                filter += "INSTRING(" + quoted(c.value) + "," + name + ",1,1) <> 0";
            } else if (c.op == "Begins") {
                filter += "SUB(" + name + ",1," + std::to_string(c.value.size()) +
                          ") = " + quoted(c.value);
            } else {
                std::string value = c.value;
                // A value that is no number is quoted for a field that is no text, so that
                // the filter still reads; the fault is noted for the one who asked.
                if (!text && !isPlainNumber(value)) {
                    if (value.empty())
                        value = "0";
                    else {
                        c.fault = true;
                        value = quoted(value);
                    }
                } else if (text) {
                    value = quoted(value);
                }
                filter += "(" + name + " " + c.op + " " + value + ")";
            }
            if (c.fault && FAULT.empty())
                FAULT = FieldText(entry, TitleField);
        } while (c.more);
    }
    return filter;
}

// ---- Saved queries -----------------------------------------------------------------------------

bool QueryBuilder::IsStorableName(std::string_view name) {
    if (name.empty() || host::clip(name).size() != name.size() || name.front() == ' ' ||
        name.size() > 100)
        return false;
    for (char c : name)
        if (c == ']' || c == '[' || c == '=' || c == '$' || c == ',' || c == '\n' || c == '\r' ||
            c == ';' || c == '#' || c == '"')
            return false;
    return true;
}

void QueryBuilder::ListSavedQueries(host::Queue& result) const {
    if (!INI)
        return;
    result.free();
    INI->ListSectors(queryFamily, "", OWNER, result);
    result.sort({{2}});
    for (std::size_t n = result.count(); n >= 1; --n)
        if (result.get(n) && host::clip(result.buffer().field(2).text()) == mruName)
            result.remove();
}

std::vector<std::string> QueryBuilder::SavedQueryNames() const {
    std::vector<std::string> names;
    if (!INI)
        return names;
    host::Queue sectors(IniStore::SectorLayout());
    ListSavedQueries(sectors);
    for (std::size_t n = 1; n <= sectors.count(); ++n)
        names.push_back(host::clip(sectors.entryField(n, 2).text()));
    return names;
}

bool QueryBuilder::HasSavedQueries() {
    return !SavedQueryNames().empty();
}

bool QueryBuilder::SaveQuery(std::string_view name) {
    if (!INI || OWNER.empty() || !IsStorableName(name))
        return false;
    // A value holding a comma would not read back whole.
    for (std::size_t n = 1; n <= QFIELDS->count(); ++n)
        if (FieldText(n, MiddleField).find(',') != std::string::npos)
            return false;
    std::string sector = IniStore::JoinSectorName(queryFamily, name, OWNER);
    INI->RegisterSector(sector);
    host::Record& entry = QFIELDS->buffer();
    INI->WriteList(sector, queryList, *QFIELDS, entry.field(NameField), entry.field(MiddleField));
    return true;
}

void QueryBuilder::ClearQuery() {
    for (std::size_t n = 1; n <= QFIELDS->count(); ++n) {
        if (!QFIELDS->get(n))
            continue;
        for (Field field : {LowField, MiddleField, HighField})
            QFIELDS->buffer().field(field).clear();
        QFIELDS->put();
    }
}

void QueryBuilder::RestoreQuery(std::string_view name) {
    ClearQuery();
    if (!INI)
        return;
    host::Queue saved(FieldLayout());
    std::string sector = IniStore::JoinSectorName(queryFamily, name, OWNER);
    INI->ReadList(sector, queryList, saved, saved.buffer().field(NameField),
                  saved.buffer().field(MiddleField));
    if (saved.count() == 0) {
        ClearQuery();
        return;
    }
    for (std::size_t n = 1; n <= saved.count(); ++n) {
        std::string label = host::clip(saved.entryField(n, NameField).text());
        std::string value = host::clip(saved.entryField(n, MiddleField).text());
        std::string upperLabel = host::upper(label);
        std::size_t found = FindField(upperLabel);
        if (!found && !startsWith(upperLabel, "UPPER("))
            found = FindField("UPPER(" + upperLabel + ")");
        if (!found && startsWith(upperLabel, "UPPER(") && upperLabel.back() == ')') {
            found = FindField(upperLabel.substr(6, upperLabel.size() - 7));
            if (found) {
                std::string picture = FieldText(found, PictureField);
                if ((picture.empty() || picture[0] == 'S' || picture[0] == 's') &&
                    !(value.size() > 0 && value[0] == '^') &&
                    !(value.size() > 1 && value[1] == '^'))
                    value = "^" + value;
            }
        }
        if (found) {
            SetFieldText(found, MiddleField, value);
        } else if (ERRORS) {
            ERRORS->NoteField(label);
            ERRORS->Raise(unsupportedColumn);
        }
    }
}

// ---- The popup menu ----------------------------------------------------------------------------

void QueryBuilder::AddMenuItems(PopupMenu& popup) {
    POPUP = &popup;
    for (const MenuItem& item : ITEMS)
        popup.RemoveEntry(item.ITEM);
    ITEMS.clear();
    if (!MENUCHOICES)
        return;
    std::vector<std::string> names = SavedQueryNames();
    auto postsChoice = [&](const std::string& itemName) {
        std::size_t at = popup.LocateEntry(itemName);
        if (at != 0 && popup.POPUPITEMS) {
            PopupMenu::Item& item = (*popup.POPUPITEMS)[at - 1];
            item.EVENT = static_cast<std::uint16_t>(host::EventKind::NewSelection);
            item.CONTROLID = static_cast<std::int16_t>(CONTROL);
        }
    };
    if (!names.empty() && popup.LocateEntry("View") == 0) {
        // Before the query button's own item when it is there, else at the end.
        std::string after;
        std::size_t before = popup.LocateEntry("Separator2");
        std::size_t position = before != 0 ? before - 1 : popup.EntryCount();
        if (const PopupMenu::Item* item = popup.EntryAt(position))
            after = item->NAME;
        std::string separator = popup.PlaceEntryAfter(after, "Separator1", "-", 1);
        popup.PlaceEntryAfter(separator, "View", "View", 1);
    }
    if (popup.LocateEntry("View") == 0)
        return;
    std::string last = "View";
    if (names.empty()) {
        last = popup.PlaceEntryAfter(last, emptyItemName, "Empty", 2);
        ITEMS.push_back({"", last});
        postsChoice(last);
    }
    for (const std::string& name : names) {
        last = popup.PlaceEntryAfter(last, name, name, 2);
        ITEMS.push_back({name, last});
        postsChoice(last);
    }
    last = popup.PlaceEntryAfter(last, "ClearSeparator", "-", 2);
    ITEMS.push_back({"", last});
    last = popup.PlaceEntryAfter(last, clearItemName, "C&lear", 2);
    ITEMS.push_back({"", last});
    postsChoice(last);
}

bool QueryBuilder::ChooseFromMenu() {
    if (!MENUCHOICES)
        return false;
    std::string choice = POPUP ? POPUP->LastChoiceName() : std::string();
    auto at = std::find_if(ITEMS.begin(), ITEMS.end(),
                           [&](const MenuItem& item) { return item.ITEM == choice; });
    if (at == ITEMS.end() || at->QUERY.empty()) {
        ClearQuery();
        CHOSEN.clear();
    } else {
        CHOSEN = at->QUERY;
        RestoreQuery(CHOSEN);
    }
    SaveQuery(mruName);
    PENDING = true;
    return true;
}

bool QueryBuilder::Ask(bool showWindow) {
    if (PENDING) {
        // A saved query chosen from the menu applies as it is.
        PENDING = false;
        return true;
    }
    if (!showWindow)
        return true;
    return AskWindow();
}

// ---- Attaching to a browse ---------------------------------------------------------------------

void AttachQuery(BrowseList& browse, QueryBuilder& query, std::int32_t queryControl,
                 std::int32_t resultControl) {
    browse.QUERY = &query;
    browse.QUERYCONTROL = queryControl;
    browse.QUERYRESULT = resultControl;
    browse.QUERYSHARED = 1;
    query.CONTROL = queryControl;
    host::Window* window = browse.ListWindow();
    const host::Control* list = window ? window->control(browse.LISTCONTROL) : nullptr;
    const host::ListFormat* format = list ? list->format() : nullptr;
    host::Record* record =
        browse.PRIMARY && browse.PRIMARY->ME ? browse.PRIMARY->ME->BUFFER : nullptr;
    if (!format || !record || !browse.FIELDS || !browse.LISTQUEUE)
        return;
    const host::Record& row = browse.LISTQUEUE->buffer();
    for (const host::ListColumn& column : format->columns()) {
        if (column.field < 1 || column.field > row.fieldCount())
            continue;
        host::TypedRef shown = row.field(column.field);
        for (const FieldPair& pair : browse.FIELDS->LIST) {
            if (!pair.RIGHT.sameVariable(shown))
                continue;
            for (int n = 1; n <= record->fieldCount(); ++n)
                if (record->field(n).sameVariable(pair.LEFT) &&
                    query.FindField(record->layout()->field(n).label) == 0)
                    query.AddItem(record->layout()->field(n).label, column.header, column.picture);
        }
    }
}

} // namespace framework
