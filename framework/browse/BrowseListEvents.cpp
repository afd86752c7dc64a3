// The browse list's reactions to the user: the window's events, keys and mouse on the
// list, the popup items, the insert, change and delete requests and the re-positioning
// after them, the toolbar's navigation requests, select mode and the query hook.
#include "framework/browse/BrowseList.h"

#include "framework/browse/RowLocator.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "framework/window/PopupMenu.h"
#include "framework/window/ToolbarButton.h"
#include "framework/window/WindowController.h"
#include "runtime/base/Queue.h"
#include "runtime/base/Record.h"
#include "runtime/base/Value.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"

#include <algorithm>

namespace framework {

namespace {

// A right click reaches the list as the button's press or as its release, depending on
// the display; either opens the popup menu.
bool isRightClick(int key) {
    return key == host::KeyCode::MouseRight || key == host::KeyCode::MouseRightUp;
}

bool isScroll(host::EventKind kind) {
    switch (kind) {
    case host::EventKind::ScrollUp:
    case host::EventKind::ScrollDown:
    case host::EventKind::PageUp:
    case host::EventKind::PageDown:
    case host::EventKind::ScrollTop:
    case host::EventKind::ScrollBottom:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---- Events ----------------------------------------------------------------------------------

void BrowseList::DispatchEvent() {
    host::Window* window = ListWindow();
    if (!window || !LISTQUEUE)
        return;
    host::EventKind kind = window->currentEvent();
    std::int32_t control = window->eventControl();
    if (control != 0 && control == LISTCONTROL) {
        if (isScroll(kind))
            OnScroll();
        else if (kind == host::EventKind::ScrollDrag)
            OnThumbDrag(static_cast<int>(
                window->property(LISTCONTROL, host::Property::ThumbPosition).toInteger()));
        else if (kind == host::EventKind::AlertKey)
            OnKey();
        else if (kind == host::EventKind::NewSelection)
            OnNewSelection();
        else if (kind == host::EventKind::Locate)
            RunQuery();
    }
    if (kind == host::EventKind::NewSelection && control != 0 && control == QUERYCONTROL && QUERY &&
        QUERY->ChooseFromMenu())
        RunQuery();
    if (kind == host::EventKind::Accepted && control != 0)
        OnControlAccepted(control);
    if (kind == host::EventKind::CloseWindow && SELECTING)
        OnCloseWindow();
}

void BrowseList::OnControlAccepted(std::int32_t control) {
    if (control == DELETECONTROL) {
        WINDOW->SyncBuffers();
        AskUpdate(RequestKind::Delete);
    } else if (control == CHANGECONTROL) {
        WINDOW->SyncBuffers();
        AskUpdate(RequestKind::Change);
    } else if (control == INSERTCONTROL) {
        WINDOW->SyncBuffers();
        AskUpdate(RequestKind::Insert);
    } else if (control == SELECTCONTROL) {
        WINDOW->RESPONSE = ResponseKind::Completed;
        Post(host::EventKind::CloseWindow, 0);
    } else if (control == PRINTCONTROL) {
        SyncBuffer();
        WINDOW->CallProcedure(PRINTPROCEDURE, RequestKind::Print);
        CopyRowToFields();
    } else if (control == QUERYCONTROL) {
        if (QUERY)
            QUERY->ClearSavedName();
        RunQuery();
    } else if (control == TOOLCONTROL) {
        POPUP->OpenToolbox("Browse Actions");
    } else if (SORT.count() > 0) {
        RowLocator* locator = CurrentBrowseOrder().LOCATOR;
        if (locator && locator->CONTROL == control && locator->OnControlAccepted()) {
            ResetFrom(std::max(FixedKeyComponents(), 1));
            ListWindow()->select(LISTCONTROL);
            Reload(FromPosition);
            locator->AfterLocate();
            RefreshControls();
            ShowCurrentRow();
        }
    }
}

// In select mode the caller gets the chosen record, or its own record back unchanged.
void BrowseList::OnCloseWindow() {
    if (!PRIMARY || !PRIMARY->ME)
        return;
    if (WINDOW->RESPONSE == ResponseKind::Completed) {
        // The chosen record changes the caller's current record: the file's state, which
        // the caller had when this list took the file over, is not put back when the list
        // lets go of the file.
        PRIMARY->ME->CheckOpen(3);
        PRIMARY->ME->RecallImage(BUFFER, false);
        if (SELECTWHOLERECORD)
            SyncBuffer();
        else
            CopyRowToFields();
    } else if (BUFFER != 0) {
        PRIMARY->ME->RecallImage(BUFFER, true);
    }
}

// ---- Keys and mouse --------------------------------------------------------------------------

bool BrowseList::LocatorKey() {
    RowLocator* locator = SORT.count() > 0 ? CurrentBrowseOrder().LOCATOR : nullptr;
    if (locator && locator->OnKey()) {
        ResetFrom(std::max(FixedKeyComponents(), 1));
        Reload(FromPosition);
        return true;
    }
    return HasRows();
}

bool BrowseList::OnKey() {
    int key = host::keyCode();
    bool handled = false;
    auto press = [this](std::int32_t button) {
        if (button != 0)
            Post(host::EventKind::Accepted, button);
    };
    // A click acts on the row under the mouse, which becomes the current row first.
    if (isRightClick(key) || key == host::KeyCode::MouseLeft2) {
        host::Window* window = ListWindow();
        int row = window ? static_cast<int>(
                               window->property(LISTCONTROL, host::Property::MouseRow).toInteger())
                         : 0;
        if (row >= 1 && static_cast<std::size_t>(row) <= RowCount()) {
            CURRENTCHOICE = row;
            CopyRowToFields();
        }
    }
    if (isRightClick(key)) {
        handled = true;
    } else if (HasRows()) {
        handled = true;
        if (key == host::KeyCode::Ins) {
            press(INSERTCONTROL);
        } else if (key == host::KeyCode::Del) {
            press(DELETECONTROL);
        } else if (key == host::KeyCode::CtrlEnter ||
                   (key == host::KeyCode::MouseLeft2 && !SELECTING)) {
            press(CHANGECONTROL);
            CopyRowToFields();
        } else if (key == host::KeyCode::MouseLeft2) {
            press(SELECTCONTROL);
        } else {
            handled = LocatorKey();
        }
    } else {
        handled = LocatorKey();
        if (key == host::KeyCode::Ins) {
            press(INSERTCONTROL);
            handled = true;
        }
    }
    if (handled) {
        RefreshControls();
        ShowCurrentRow();
    }
    return handled;
}

void BrowseList::OnNewSelection() {
    host::Window* window = ListWindow();
    if (HasRows() && window) {
        int selected =
            static_cast<int>(window->property(LISTCONTROL, host::Property::Selected).toInteger());
        if (selected >= 1 && static_cast<std::size_t>(selected) <= RowCount())
            CURRENTCHOICE = LASTCHOICE = selected;
    }
    CopyRowToFields();
    if (isRightClick(host::keyCode())) {
        // The chosen item acts by pressing its button; the click is spent.
        host::setKeyCode(0);
        POPUP->OpenMenu();
    } else {
        WINDOW->Refresh(0);
    }
}

void BrowseList::ArmKeys() {
    host::Window* window = ListWindow();
    if (!window)
        return;
    window->alert(LISTCONTROL, host::KeyCode::MouseLeft2);
    window->alert(LISTCONTROL, host::KeyCode::MouseRight);
    window->alert(LISTCONTROL, host::KeyCode::MouseRightUp);
    if (INSERTCONTROL != 0)
        window->alert(LISTCONTROL, host::KeyCode::Ins);
    if (CHANGECONTROL != 0)
        window->alert(LISTCONTROL, host::KeyCode::CtrlEnter);
    if (DELETECONTROL != 0)
        window->alert(LISTCONTROL, host::KeyCode::Del);
    // The browse shows the scroll bar itself, only when the list is full.
    HASTHUMB = window->property(LISTCONTROL, host::Property::VScroll).toInteger() != 0 ? 1 : 0;
    window->setProperty(LISTCONTROL, host::Property::VScroll, host::Value(0));
    for (auto& entry : SORT)
        if (RowLocator* locator = static_cast<BrowseSortOrder&>(*entry).LOCATOR)
            locator->ArmKeys(LISTCONTROL);
    if (POPUP->EntryCount() > 0)
        return; // armed before: the items are there
    auto button = [this](std::string_view text, std::string_view name, std::int32_t control) {
        if (control != 0)
            POPUP->AppendButtonEntry(text, name, static_cast<std::int16_t>(control));
    };
    button("!&Insert", "&Insert", INSERTCONTROL);
    button("!&Change", "&Change", CHANGECONTROL);
    button("!&Delete", "&Delete", DELETECONTROL);
    button("!&Print", "&Print", PRINTCONTROL);
    if (QUERYCONTROL != 0) {
        if (QUERY && QUERY->HasSavedQueries())
            QUERY->AddMenuItems(*POPUP);
        if (window->isEnabled(QUERYCONTROL)) {
            std::string last;
            if (const PopupMenu::Item* item = POPUP->EntryAt(POPUP->EntryCount()))
                last = item->NAME;
            POPUP->PlaceEntryAfter(last, "Separator2", "-", 1);
            button("!&Query", "&Query", QUERYCONTROL);
        }
    }
    if (SELECTING)
        button("!&Select", "&Select", SELECTCONTROL);
    if (TOOLCONTROL != 0) {
        POPUP->AppendEntry("-");
        std::string toolbox = POPUP->AppendButtonEntry("!&Toolbox", "&Toolbox",
                                                       static_cast<std::int16_t>(TOOLCONTROL));
        POPUP->ShowEntryOnToolbox(toolbox, false);
    }
}

// ---- Update requests -------------------------------------------------------------------------

std::uint8_t BrowseList::AskUpdate(std::uint8_t request) {
    std::int32_t none = 0;
    std::int32_t& navigation = WINDOW->VCRREQUEST ? *WINDOW->VCRREQUEST : none;
    std::uint8_t response = ResponseKind::None;
    do {
        navigation = 0;
        if (isRightClick(host::keyCode()))
            host::setKeyCode(0);
        if (ASKPROCEDURE != 0) {
            if (request == RequestKind::Insert)
                ResetToRange(false);
            response = WINDOW->CallProcedure(ASKPROCEDURE, request);
            AfterUpdate(request, response);
        } else {
            response = AskInPlace(request);
        }
    } while (navigation != 0);
    return response;
}

std::uint8_t BrowseList::AskInPlace(std::uint8_t request) {
    // Editing in place needs an edit manager; a browse without one cannot edit its rows.
    EnsureEditManager();
    return EIP ? EIP->EditRow(*this, request) : ResponseKind::Cancelled;
}

void BrowseList::AfterUpdate(std::uint8_t& request, std::uint8_t& response) {
    if (response == ResponseKind::Completed) {
        if (request == RequestKind::Delete) {
            if (HasRows() && LISTQUEUE->get(static_cast<std::size_t>(CURRENTCHOICE)))
                LISTQUEUE->remove();
            Reload(RefreshInPlace);
        } else {
            ResetToFile();
        }
    } else {
        Reload(RefreshInPlace);
    }
    std::int32_t navigation = WINDOW->VCRREQUEST ? *WINDOW->VCRREQUEST : 0;
    if (navigation == InsertAnother ||
        (navigation == ToolbarButton::NextRecord && request == RequestKind::Insert)) {
        request = RequestKind::Insert;
        PRIMARY->ME->BUFFER->clear();
    } else {
        OnVcr(navigation);
    }
    if (!WINDOW->VCRREQUEST || *WINDOW->VCRREQUEST == 0) {
        MeasureThumbRange();
        RefreshControls();
        ShowCurrentRow();
        if (host::Window* window = ListWindow())
            window->select(LISTCONTROL);
    }
}

void BrowseList::OnVcr(std::int32_t request) {
    host::EventKind event;
    switch (request) {
    case ToolbarButton::NextRecord:
        event = host::EventKind::ScrollDown;
        break;
    case ToolbarButton::PriorRecord:
        event = host::EventKind::ScrollUp;
        break;
    case ToolbarButton::NextPage:
        event = host::EventKind::PageDown;
        break;
    case ToolbarButton::PriorPage:
        event = host::EventKind::PageUp;
        break;
    case ToolbarButton::FirstPage:
        event = host::EventKind::ScrollTop;
        break;
    case ToolbarButton::LastPage:
        event = host::EventKind::ScrollBottom;
        break;
    default:
        return;
    }
    OnScroll(event);
    WINDOW->Refresh(0);
    WINDOW->SyncBuffers();
}

// ---- Query by example ------------------------------------------------------------------------

void BrowseList::RunQuery() {
    if (!QUERY)
        return;
    if (QUERY->Ask(true)) {
        std::string filter = QUERY->FilterText();
        if (QUERYSHARED) {
            std::size_t current = SORT.currentNumber();
            for (std::size_t n = 1; n <= SORT.count(); ++n) {
                SORT.select(n);
                PutFilterWithId(filter, QueryFilterId);
            }
            SORT.select(current);
        } else {
            PutFilterWithId(filter, QueryFilterId);
        }
        if (QUERYRESULT != 0)
            if (host::Window* window = ListWindow()) {
                // A prompt shows its text, a display or an entry its contents.
                window->setProperty(QUERYRESULT, host::Property::Text, host::Value(filter));
                window->setProperty(QUERYRESULT, host::Property::Contents, host::Value(filter));
                window->display(QUERYRESULT);
            }
        ReapplySort(1);
        // The user goes on in the rows the query found, not on the button that asked.
        if (host::Window* window = ListWindow())
            window->select(LISTCONTROL);
    }
    if (QUERY->HasSavedQueries() && POPUP)
        QUERY->AddMenuItems(*POPUP);
}

} // namespace framework
