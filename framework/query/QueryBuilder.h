#pragma once

#include "framework/browse/BrowseList.h"
#include "runtime/base/Queue.h"
#include "runtime/base/RecordLayout.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace framework {

class ErrorReporter;
class IniStore;
class PopupMenu;

// Query by example: one entry per queryable field holding what the user typed for it (a
// value or pattern, and optionally a lower and an upper bound), turned into the text of a
// filter in the host's expression language. A browse applies the text under the filter id
// "9 - QBE"; a record processor as its standard filter.
//
// What a value may hold (the MIDDLE of an entry):
//   Smith        equal                       >=100, <5, <>, ~=3   compared so
//   Smith*       begins with Smith           *toy                 contains toy
//   ^smith*      the same without regard to letter case
// A bound (LOW, HIGH) is exclusive; a non-empty MIDDLE makes both bounds inclusive, and
// so does "=" in front of the bound itself ("=10").
//
// Queries are saved by name in the INI store, one sector per query ("Query$name$$owner")
// with a list "Query" of the fields' NAME and MIDDLE; the bounds are not kept. "tsMRU"
// holds the query last chosen from the popup menu and is never listed.
class QueryBuilder : public BrowseQuery {
public:
    // The fields of an entry of the field list, by number.
    enum Field {
        NameField = 1,
        TitleField,
        PictureField,
        LowField,
        MiddleField,
        HighField,
        ForceField
    };
    static constexpr std::size_t valueLimit = 1000;
    static constexpr std::size_t filterLimit = 5000;
    static constexpr std::string_view mruName = "tsMRU";
    static constexpr std::string_view emptyItemName = "tsQBEEmpty";
    static constexpr std::string_view clearItemName = "tsQBEClear";

    QueryBuilder();
    ~QueryBuilder() override;

    // `owner` tells this list's saved queries from other lists' (never empty); without an
    // INI store nothing is saved or listed, and saved queries are not offered in the menu.
    void Setup(std::string_view owner, IniStore* ini = nullptr, ErrorReporter* errors = nullptr);
    void Teardown() override;

    // Appends a field: its label as the filter names it ("CUS:NAME"), the title shown to
    // the user and its display picture without "@" ("S30", "N10.2", "D2"; empty: none).
    // `forceEditPicture` compares a non-text field by its raw value only.
    void AddItem(std::string_view name, std::string_view title, std::string_view picture = {},
                 bool forceEditPicture = false);

    // The filter text for the entries as they stand; empty when none holds a criterion.
    std::string BuildFilter();
    // The first value that could not be read through its field's picture in the last
    // BuildFilter (its title), empty when every value could.
    const std::string& LastFault() const { return FAULT; }

    // Saved queries.
    void ListSavedQueries(host::Queue& result) const;
    std::vector<std::string> SavedQueryNames() const;
    // False, writing nothing, for a name the INI file cannot hold.
    bool SaveQuery(std::string_view name);
    void RestoreQuery(std::string_view name);
    void ClearQuery();
    static bool IsStorableName(std::string_view name);

    // The browse's hook.
    bool Ask(bool showWindow) override;
    std::string FilterText() override { return BuildFilter(); }
    bool HasSavedQueries() override;
    void AddMenuItems(PopupMenu& popup) override;
    bool ChooseFromMenu() override;
    void ClearSavedName() override { CHOSEN.clear(); }

    // Field list access by position (1-based).
    std::size_t FieldCount() const { return QFIELDS->count(); }
    std::string FieldText(std::size_t entry, Field field) const;
    void SetFieldText(std::size_t entry, Field field, std::string_view text);
    // The position of the field named `name` (letter case ignored), 0 when none.
    std::size_t FindField(std::string_view name) const;
    bool IsTextField(std::size_t entry) const;

    static host::SharedLayout FieldLayout();

    std::string OWNER;
    IniStore* INI = nullptr;
    ErrorReporter* ERRORS = nullptr;
    std::uint8_t MENUCHOICES = 0; // saved queries are offered in the popup menu
    std::string CHOSEN;           // the saved query last chosen
    std::int32_t CONTROL = 0;     // the control the menu's query items post to
    std::unique_ptr<host::Queue> QFIELDS;
    // Popup item names of the query items, with the saved query each names.
    struct MenuItem {
        std::string QUERY;
        std::string ITEM;
    };
    std::vector<MenuItem> ITEMS;

protected:
    // Asks the user for criteria through a window; true on OK. Here there is no window:
    // the caller filled the entries.
    virtual bool AskWindow() { return true; }

private:
    struct Criterion;
    bool TakeCriterion(std::size_t entry, const std::string& name, bool second, Criterion& c);
    void Refine(std::size_t entry, const std::string& name, Criterion& c);
    bool RawValue(Criterion& c);

    PopupMenu* POPUP = nullptr;
    bool PENDING = false; // a menu choice is waiting to be applied without the window
    std::string FAULT;
};

// Gives `browse` query by example over its visible columns in one call: every column of
// the list that shows a field of the primary file becomes a field of `query` (its title
// and picture from the list's format), and the browse runs the query from `queryControl`
// (its popup item and toolbox button) and shows the filter in force in `resultControl`
// (0: none). The query applies to every sort order.
void AttachQuery(BrowseList& browse, QueryBuilder& query, std::int32_t queryControl,
                 std::int32_t resultControl = 0);

} // namespace framework
