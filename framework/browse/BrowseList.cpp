#include "framework/browse/BrowseList.h"

#include "framework/browse/RowLocator.h"
#include "framework/browse/ThumbStep.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "framework/window/PopupMenu.h"
#include "framework/window/ToolbarRouter.h"
#include "framework/window/ToolbarTarget.h"
#include "framework/window/WindowController.h"
#include "runtime/base/Queue.h"
#include "runtime/base/Value.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordView.h"
#include "runtime/ui/Window.h"

#include <algorithm>

namespace framework {

BrowseList::EditManagerMaker BrowseList::MakeEditManager = nullptr;

BrowseList::BrowseList() : SORT([] { return std::make_unique<BrowseSortOrder>(); }) {}

BrowseList::~BrowseList() {
    for (EditListEntry& entry : EDITLIST)
        if (entry.FREEUP)
            delete entry.CONTROL;
    if (FREEEIP)
        delete EIP;
}

// ---- Set-up --------------------------------------------------------------------------------

void BrowseList::Setup(WindowController& window, std::int32_t listControl, host::Queue& listQueue,
                       host::TypedRef viewPosition, host::RecordView& view, RelationLink& primary) {
    WINDOW = &window;
    LISTCONTROL = listControl;
    LISTQUEUE = &listQueue;
    VIEWPOSITION = viewPosition;
    SORT.clear();
    FIELDS = std::make_unique<FieldPairList>();
    FIELDS->Setup();
    POPUP = std::make_unique<PopupMenu>();
    POPUP->Setup();
    RETAINROW = 1;
    ViewReader::Setup(view, primary, &SORT);
    window.RegisterBrowse(*this);
    if (SELECTING && PRIMARY && PRIMARY->ME) {
        PRIMARY->ME->CheckOpen(2);
        BUFFER = PRIMARY->ME->StoreImage();
    }
}

std::size_t BrowseList::DefineSortOrder(int key, ThumbStep* thumb) {
    std::size_t number = DeclareSortOrder(key);
    BrowseSortOrder& order = CurrentBrowseOrder();
    order.THUMB = thumb;
    order.RESETS = std::make_unique<FieldPairList>();
    order.RESETS->Setup();
    return number;
}

std::size_t BrowseList::DefineSortOrder(std::string_view keyLabel, ThumbStep* thumb) {
    return DefineSortOrder(PRIMARY->ME->FILE->definition().keyNumber(keyLabel), thumb);
}

void BrowseList::SetLocator(RowLocator& locator) {
    CurrentBrowseOrder().LOCATOR = &locator;
}

void BrowseList::WatchField(host::TypedRef field) {
    BrowseSortOrder& order = CurrentBrowseOrder();
    if (!order.RESETS) {
        order.RESETS = std::make_unique<FieldPairList>();
        order.RESETS->Setup();
    }
    order.RESETS->PairWithCopy(field);
}

void BrowseList::MapColumn(host::TypedRef recordField, host::TypedRef column) {
    FIELDS->PairUp(recordField, column);
}

void BrowseList::AttachToolbar(ToolbarRouter& router) {
    TOOLBAR = &router;
    TOOLBARITEM = std::make_unique<ToolbarTarget>();
    TOOLBARITEM->BROWSE = this;
    router.EnlistTarget(*TOOLBARITEM, LISTCONTROL);
    TOOLBARITEM->INSERTBUTTON = INSERTCONTROL;
    TOOLBARITEM->CHANGEBUTTON = CHANGECONTROL;
    TOOLBARITEM->DELETEBUTTON = DELETECONTROL;
    TOOLBARITEM->SELECTBUTTON = SELECTCONTROL;
    router.FocusTarget(LISTCONTROL);
}

void BrowseList::AddEditControl(CellEditorBase* editor, std::int32_t column, bool freeUp) {
    EnsureEditManager();
    PlaceEditControl(EDITLIST, editor, column, freeUp);
}

void BrowseList::PlaceEditControl(std::vector<EditListEntry>& list, CellEditorBase* editor,
                                  std::int32_t column, bool freeUp) {
    auto at = std::find_if(list.begin(), list.end(),
                           [column](const EditListEntry& e) { return e.FIELD >= column; });
    if (at == list.end() || at->FIELD != column)
        at = list.insert(at, EditListEntry{column, 0, nullptr});
    else if (at->FREEUP && at->CONTROL != editor)
        delete at->CONTROL;
    at->CONTROL = editor;
    at->FREEUP = freeUp ? 1 : 0;
}

BrowseList::EditListEntry* BrowseList::FindEditControl(std::int32_t column) {
    for (EditListEntry& entry : EDITLIST)
        if (entry.FIELD == column)
            return &entry;
    return nullptr;
}

void BrowseList::EnsureEditManager() {
    if (!EIP && MakeEditManager) {
        EIP = MakeEditManager();
        FREEEIP = EIP ? 1 : 0;
    }
}

void BrowseList::Teardown() {
    for (auto& entry : SORT) {
        auto& order = static_cast<BrowseSortOrder&>(*entry);
        if (order.THUMB)
            order.THUMB->Teardown();
        if (order.LOCATOR)
            order.LOCATOR->Teardown();
        if (order.RESETS)
            order.RESETS->Teardown();
        order.RESETS.reset();
    }
    Close();
    ViewReader::Teardown();
    SORT.clear();
    if (FIELDS)
        FIELDS->Teardown();
    FIELDS.reset();
    if (POPUP)
        POPUP->Teardown();
    POPUP.reset();
    TOOLBARITEM.reset();
    if (QUERY)
        QUERY->Teardown();
    if (FREEEIP)
        delete EIP;
    EIP = nullptr;
    FREEEIP = 0;
    for (EditListEntry& entry : EDITLIST)
        if (entry.FREEUP)
            delete entry.CONTROL;
    EDITLIST.clear();
    // A select window torn down before it closed leaves the caller's record as it was.
    if (BUFFER != 0 && PRIMARY && PRIMARY->ME)
        PRIMARY->ME->RecallImage(BUFFER, true);
}

BrowseSortOrder& BrowseList::CurrentBrowseOrder() {
    return static_cast<BrowseSortOrder&>(SORT.current());
}

host::Window* BrowseList::ListWindow() const {
    return WINDOW ? WINDOW->Window() : nullptr;
}

std::size_t BrowseList::RowCount() const {
    return LISTQUEUE ? LISTQUEUE->count() : 0;
}

int BrowseList::VisibleItems() const {
    host::Window* window = ListWindow();
    return window
               ? static_cast<int>(window->property(LISTCONTROL, host::Property::Items).toInteger())
               : 0;
}

void BrowseList::Post(host::EventKind kind, std::int32_t control) {
    if (host::Window* window = ListWindow())
        window->post(kind, control);
}

// ---- Sort orders -----------------------------------------------------------------------------

bool BrowseList::CheckRefresh() {
    bool refresh = false;
    int visible = VisibleItems();
    if (visible != LASTITEMS) {
        if (FILELOADED) {
            LASTITEMS = Unlimited;
        } else {
            LASTITEMS = visible;
            refresh = true;
        }
    }
    if (!refresh && SORT.count() > 0) {
        BrowseSortOrder& order = CurrentBrowseOrder();
        refresh = RangeChanged() || (order.RESETS && !order.RESETS->SameLeftRight());
    }
    if (refresh)
        LOADPENDING = 1;
    return refresh;
}

bool BrowseList::SelectSort(int number, std::uint8_t force) {
    bool changed = false;
    if (SelectSortOrder(number)) {
        if (RowLocator* locator = CurrentBrowseOrder().LOCATOR)
            locator->Clear();
        changed = true;
    }
    if (CheckRefresh() || changed || force || !LOADED || LOADPENDING) {
        BrowseSortOrder& order = CurrentBrowseOrder();
        if (order.RESETS)
            order.RESETS->LeftToRight();
        PushOrder();
        PushFilter();
        if ((SELECTING || STARTATCURRENT) && !LOADED) {
            ResetFrom(FixedKeyComponents());
            Reload(FromPosition);
        } else if (HasRows()) {
            Open();
            std::size_t row =
                CURRENTCHOICE >= 1 && static_cast<std::size_t>(CURRENTCHOICE) <= RowCount()
                    ? static_cast<std::size_t>(CURRENTCHOICE)
                    : 1;
            VIEW->reset(RowPosition(row));
            Reload(FromPosition);
        } else {
            Reload(RefreshInPlace);
        }
        if (!LOADPENDING) {
            ShowCurrentRow();
            MeasureThumbRange();
            changed = true;
        }
    }
    CopyRowToFields();
    return changed;
}

bool BrowseList::ReapplySort(std::uint8_t force) {
    return SelectSort(static_cast<int>(SORT.currentNumber()), force);
}

// ---- Keeping the record in step ------------------------------------------------------------

void BrowseList::CopyRowToFields() {
    if (!FIELDS)
        return;
    if (HasRows()) {
        std::size_t row =
            CURRENTCHOICE >= 1 && static_cast<std::size_t>(CURRENTCHOICE) <= RowCount()
                ? static_cast<std::size_t>(CURRENTCHOICE)
                : 1;
        LISTQUEUE->get(row);
        FIELDS->RightToLeft();
    } else {
        FIELDS->BlankLeft();
    }
}

void BrowseList::SyncBuffer() {
    host::Window* window = ListWindow();
    if (!HasRows() || !window)
        return;
    int selected =
        static_cast<int>(window->property(LISTCONTROL, host::Property::Selected).toInteger());
    if (selected >= 1 && static_cast<std::size_t>(selected) <= RowCount())
        CURRENTCHOICE = selected;
    std::string position = RowPosition(static_cast<std::size_t>(CURRENTCHOICE));
    Open();
    // The view fills the buffers of every file it joins; the primary file's record is
    // then read again by its primary key under watch, so that it becomes the file's
    // current record and a change made by another station meanwhile is detected on save.
    bool read = VIEW->readAt(position) && host::clip(VIEW->position()) == position;
    FileAccess& file = *PRIMARY->ME;
    if (read && file.PRIMARYKEY != 0 && file.CheckOpen(2) == Severity::Benign) {
        file.FILE->watch();
        if (file.FILE->get(file.PRIMARYKEY))
            return;
    }
    // The row's record is gone: the buffer keeps what the row showed.
    CopyRowToFields();
}

void BrowseList::RefreshControls() {
    host::Window* window = ListWindow();
    if (!window)
        return;
    if (SORT.count() > 0)
        if (RowLocator* locator = CurrentBrowseOrder().LOCATOR)
            locator->Display();
    bool rows = HasRows();
    for (std::int32_t control : {CHANGECONTROL, DELETECONTROL, PRINTCONTROL}) {
        if (control == 0)
            continue;
        if (rows)
            window->enable(control);
        else
            window->disable(control);
    }
    if (SELECTCONTROL != 0) {
        if (SELECTING) {
            if (rows && WINDOW->REQUEST == RequestKind::Select) {
                window->enable(SELECTCONTROL);
                window->setProperty(SELECTCONTROL, host::Property::IsDefault, host::Value(1));
            } else {
                window->disable(SELECTCONTROL);
            }
        } else if (HIDESELECT) {
            window->disable(SELECTCONTROL);
            window->hide(SELECTCONTROL);
        }
    }
    UpdateScrollBar();
    if (TOOLBAR)
        TOOLBAR->ShowButtons();
    window->display(LISTCONTROL);
    window->setProperty(LISTCONTROL, host::Property::Selected, host::Value(CURRENTCHOICE));
}

} // namespace framework
