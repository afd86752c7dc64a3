#pragma once

#include "framework/browse/BrowseSortOrder.h"
#include "framework/data/FieldPairList.h"
#include "framework/data/ViewReader.h"
#include "framework/window/ControlledBrowse.h"
#include "runtime/base/TypedRef.h"
#include "runtime/ui/Event.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace host {
class Queue;
class Window;
} // namespace host

namespace framework {

class BrowseQuery;
class CellEditorBase;
class PopupMenu;
class RowEditor;
class RowLocator;
class ThumbStep;
class ToolbarRouter;
class ToolbarTarget;
class WindowController;

// A list of the records of a view, shown one page at a time in an immediate list box.
// The list's queue (LISTQUEUE) holds only the visible rows; every scroll reads just the
// rows that come into view, forward or backward from the view position kept in the
// first or last row, so a page costs the same at the start and at the end of a file of
// millions. The browse keeps the current row in step with the primary file's record
// buffer, enables the buttons that act on the row, runs the update procedure (or
// in-place editing) for insert, change and delete and re-positions afterwards, and
// offers several sort orders, each with its range limit, locator, thumb steps and
// watched fields. Called to select, it hands the chosen record back to its caller.
//
// A procedure sets a browse up in this order: Setup; per sort order DefineSortOrder,
// SetLocator, the range and filter settings of the view reader, WatchField; MapColumn
// for every column; the control numbers and flags (INSERTCONTROL, CHANGECONTROL,
// DELETECONTROL, SELECTCONTROL, HIDESELECT, ASKPROCEDURE, ...); AttachToolbar. The
// window controller then drives it: ArmKeys, ReapplySort on each refresh, DispatchEvent
// for every event, Teardown with the window.
class BrowseList : public ViewReader, public ControlledBrowse {
public:
    // One column's cell editor for in-place editing, kept in ascending column order.
    // An entry without an editor marks a column that must not be edited; FREEUP marks an
    // editor the browse made itself and frees at its teardown.
    struct EditListEntry {
        std::int32_t FIELD = 0;
        std::uint8_t FREEUP = 0;
        CellEditorBase* CONTROL = nullptr;
    };
    // Makes the plain in-place edit manager for a browse that was given none. The
    // in-place editing layer installs it; without one a browse cannot edit in place.
    using EditManagerMaker = RowEditor* (*)();
    static EditManagerMaker MakeEditManager;

    // The navigation requests a form leaves for its browse (the toolbar's numbers).
    static constexpr std::int32_t InsertAnother = 2000;
    // The largest number of rows a page may hold: the page size of a loaded file.
    static constexpr std::int32_t Unlimited = 0x7FFFFFFF;
    // ReadPage directions.
    static constexpr int Backward = 1;
    static constexpr int Forward = 2;
    // Reload modes: refresh the rows in place, or build the page from the view's position.
    static constexpr int RefreshInPlace = 1;
    static constexpr int FromPosition = 2;

    BrowseList();
    ~BrowseList() override;

    // Virtual operations after those of the view reader, in slot order.

    // The list must be reloaded: its page size, range limit or watched fields changed.
    bool CheckRefresh() override;
    void Teardown() override;
    // The view reader's reads; the end of the view puts the watched fields' values back,
    // and a read error closes the window.
    Severity ReadNext() override;
    Severity ReadPrevious() override;
    // Runs the update procedure (or in-place editing) for a request, again while the form
    // leaves a navigation request; the last response.
    virtual std::uint8_t AskUpdate(std::uint8_t request);
    virtual std::uint8_t AskInPlace(std::uint8_t request);
    // Reads ITEMSTOFILL rows forward or backward from the last or first row.
    virtual void ReadPage(int direction);
    // Re-positions after an update procedure returned; the request may become another
    // insert, and the navigation request is acted on.
    virtual void AfterUpdate(std::uint8_t& request, std::uint8_t& response);
    // Positions on the key values in the record buffer and reloads.
    virtual void ResetToBuffer();
    // Positions on the primary file's current record and reloads.
    virtual void ResetToFile();
    // Gives a computed thumb-step table the first and last values of the view.
    virtual void MeasureThumbRange();
    virtual void Reload(int mode);
    bool ReapplySort(std::uint8_t force) override;
    virtual void ScrollToEnd(host::EventKind event);
    virtual void ScrollByRow(host::EventKind event);
    virtual void ScrollByPage(host::EventKind event);
    void ArmKeys() override;
    // Copies the record into the row buffer and keeps the view's position in it.
    virtual void FillRow();
    // Makes sort order `number` current and reloads when needed; true when anything changed.
    virtual bool SelectSort(int number, std::uint8_t force);
    void DispatchEvent() override;
    // An alert key on the list; true when it was handled.
    virtual bool OnKey();
    virtual void RunQuery();
    virtual void OnNewSelection();
    // A scroll event (None: the window's current event).
    virtual void OnScroll(host::EventKind event = host::EventKind::None);
    virtual void OnVcr(std::int32_t request);
    virtual void CopyRowToFields();
    void SyncBuffer() override;
    void RefreshControls() override;

    // Set-up. `viewPosition` is the column of the row queue that keeps each row's view
    // position (a text of up to 1024 characters).
    void Setup(WindowController& window, std::int32_t listControl, host::Queue& listQueue,
               host::TypedRef viewPosition, host::RecordView& view, RelationLink& primary);
    // Appends a sort order following a primary file's key; its number.
    std::size_t DefineSortOrder(int key, ThumbStep* thumb = nullptr);
    std::size_t DefineSortOrder(std::string_view keyLabel, ThumbStep* thumb = nullptr);
    void SetLocator(RowLocator& locator);
    // A field whose change reloads the list (its value is remembered at each load).
    void WatchField(host::TypedRef field);
    void MapColumn(host::TypedRef recordField, host::TypedRef column);
    void AttachToolbar(ToolbarRouter& router);
    // Registers the cell editor of list column `column` (none: the column is not
    // editable), replacing an earlier one; makes sure there is an edit manager.
    void AddEditControl(CellEditorBase* editor, std::int32_t column, bool freeUp = false);
    // Makes the plain edit manager when the procedure gave the browse none (FREEEIP).
    void EnsureEditManager();
    // The entry of `column` in EDITLIST, or null.
    EditListEntry* FindEditControl(std::int32_t column);
    // Puts a column's editor into an editor list kept in column order, freeing the owned
    // editor it replaces.
    static void PlaceEditControl(std::vector<EditListEntry>& list, CellEditorBase* editor,
                                 std::int32_t column, bool freeUp);

    // Makes the current row the list's selected row and tells the window so.
    void ShowCurrentRow();
    // Thumb drag to position p (0..100).
    void OnThumbDrag(int position);
    // Rows in the list now.
    std::size_t RowCount() const;
    BrowseSortOrder& CurrentBrowseOrder();
    host::Window* ListWindow() const;

    std::uint8_t ACTIVEINVISIBLE = 0;
    std::uint8_t ALLOWUNFILLED = 0;
    std::uint8_t ARROWACTION = 0;
    std::uint16_t ASKPROCEDURE = 0;
    std::int32_t BUFFER = 0; // in select mode, the image of the caller's record
    std::int32_t CHANGECONTROL = 0;
    std::int32_t CURRENTCHOICE = 0;
    host::EventKind CURRENTEVENT = host::EventKind::None;
    std::int32_t DELETECONTROL = 0;
    std::vector<EditListEntry> EDITLIST;
    RowEditor* EIP = nullptr;
    std::uint8_t ENTERACTION = 0;
    std::unique_ptr<FieldPairList> FIELDS;
    std::uint8_t FILELOADED = 0;
    std::uint8_t FOCUSLOSSACTION = 0;
    std::uint8_t FREEEIP = 0;
    std::uint8_t HASTHUMB = 0;
    std::uint8_t HIDESELECT = 0;
    std::int32_t INSERTCONTROL = 0;
    std::int32_t ITEMSTOFILL = 0;
    std::int32_t LASTCHOICE = 0;
    std::int32_t LASTITEMS = 0;
    std::int32_t LISTCONTROL = 0;
    host::Queue* LISTQUEUE = nullptr;
    std::uint8_t LOADED = 0;
    std::uint8_t LOADPENDING = 0;
    std::uint8_t RETAINROW = 0;
    std::int32_t PRINTCONTROL = 0;
    std::uint16_t PRINTPROCEDURE = 0;
    std::unique_ptr<PopupMenu> POPUP;
    BrowseQuery* QUERY = nullptr;
    std::int32_t QUERYCONTROL = 0;
    std::int32_t QUERYRESULT = 0;
    std::uint8_t QUERYSHARED = 0;
    std::uint8_t QUICKSCAN = 0;
    std::uint8_t RECORDSTATUS = 0;
    std::int32_t SELECTCONTROL = 0;
    std::uint8_t SELECTWHOLERECORD = 0;
    SortOrderList SORT;
    std::uint8_t STARTATCURRENT = 0;
    std::uint8_t TABACTION = 0;
    ToolbarRouter* TOOLBAR = nullptr;
    std::int32_t TOOLCONTROL = 0;
    std::unique_ptr<ToolbarTarget> TOOLBARITEM;
    host::TypedRef VIEWPOSITION;
    WindowController* WINDOW = nullptr;

    // The filter id under which a query's filter is applied.
    static constexpr std::string_view QueryFilterId = "9 - QBE";

private:
    // Updates the list's scroll bar and thumb.
    void UpdateScrollBar();
    // The thumb from the row position, for a sort order without thumb steps.
    void SetThumbFromRow();
    void SetThumb(int position);
    // After a scroll: the selected row, the locator, the thumb and the record fields.
    void AfterScroll();
    // The locator's key handling; true when it consumed the key and the list reloaded.
    bool LocatorKey();
    // Positions on the buffer with the fixed key components (plus the free element) and
    // reloads, the located record becoming the current row.
    void LocateFromBuffer();
    void OnControlAccepted(std::int32_t control);
    void OnCloseWindow();
    // The index of the row whose position is `target` (1 when empty, 0 when not found).
    std::int32_t FindRow(const std::string& target) const;
    std::string RowPosition(std::size_t row) const;
    // Empties the list and positions the view at its start.
    void StartOver();
    bool HasRows() const { return RowCount() > 0; }
    void Post(host::EventKind kind, std::int32_t control);
    int VisibleItems() const;
};

// What the browse knows of a cell editor: only that it may own and free one.
class CellEditorBase {
public:
    virtual ~CellEditorBase() = default;
};

// What in-place editing does for a browse: edits the current row for a request and
// answers the response. The in-place edit manager implements it; it takes the browse's
// in-place settings (ARROWACTION, ENTERACTION, TABACTION, FOCUSLOSSACTION, EDITLIST,
// FIELDS, LISTCONTROL) afresh at every row, and calls AfterUpdate when the row ends.
class RowEditor {
public:
    virtual ~RowEditor() = default;
    virtual std::uint8_t EditRow(BrowseList& browse, std::uint8_t request) = 0;
};

// What a query by example offers a browse: asking the user, the filter text of the
// criteria, and the saved queries offered in the browse's popup menu.
class BrowseQuery {
public:
    virtual ~BrowseQuery() = default;
    // Asks the user for criteria; true on OK.
    virtual bool Ask(bool showWindow) = 0;
    virtual std::string FilterText() = 0;
    virtual bool HasSavedQueries() = 0;
    // (Re)builds the saved queries' items in the popup menu.
    virtual void AddMenuItems(PopupMenu& popup) = 0;
    // Takes the popup's last choice as a saved query; true when it did.
    virtual bool ChooseFromMenu() = 0;
    // Forgets the name of the saved query in force.
    virtual void ClearSavedName() = 0;
    virtual void Teardown() = 0;
};

} // namespace framework
