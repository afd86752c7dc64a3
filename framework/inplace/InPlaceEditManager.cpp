#include "framework/inplace/InPlaceEditManager.h"

#include "framework/data/ErrorReporter.h"
#include "framework/data/FieldPairList.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "framework/window/ToolbarButton.h"
#include "runtime/base/MessageBox.h"
#include "runtime/base/Queue.h"
#include "runtime/base/Value.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"

namespace framework {

namespace {

int intProperty(host::Window& window, int control, host::Property property, int index = 0) {
    return static_cast<int>(window.property(control, property, index).toInteger());
}

} // namespace

InPlaceEditManager::InPlaceEditManager() = default;
InPlaceEditManager::~InPlaceEditManager() = default;

void InPlaceEditManager::InstallAsDefault() {
    BrowseList::MakeEditManager = []() -> RowEditor* { return new InPlaceEditManager(); };
}

std::uint8_t InPlaceEditManager::EditRow(BrowseList& browse, std::uint8_t request) {
    ARROW = &browse.ARROWACTION;
    ENTER = &browse.ENTERACTION;
    FOCUSLOSS = &browse.FOCUSLOSSACTION;
    TAB = &browse.TABACTION;
    BC = &browse;
    EQ = &browse.EDITLIST;
    FIELDS = browse.FIELDS.get();
    LISTCONTROL = browse.LISTCONTROL;
    ERRORS = browse.WINDOW ? browse.WINDOW->ERRORS : nullptr;
    VCRREQUEST = browse.WINDOW ? browse.WINDOW->VCRREQUEST : nullptr;
    REQ = request;
    return Execute();
}

void InPlaceEditManager::AddControl(CellEditor* editor, std::int32_t column, bool freeUp) {
    if (EQ)
        BrowseList::PlaceEditControl(*EQ, editor, column, freeUp);
}

// ---- Starting and ending a row ---------------------------------------------------------------

Severity InPlaceEditManager::Setup() {
    DEAD = 0;
    RESPONSE = ResponseKind::None;
    host::Window* window = BC ? BC->ListWindow() : nullptr;
    if (!window || !BC->LISTQUEUE || !FIELDS || !EQ) {
        RESPONSE = ResponseKind::Cancelled;
        return Severity::Fatal;
    }
    UseWindow(*window);
    host::Queue& rows = *BC->LISTQUEUE;
    BC->CURRENTCHOICE = intProperty(*window, LISTCONTROL, host::Property::Selected);
    RelationLink& primary = *BC->PRIMARY;
    if (REQ == RequestKind::Insert) {
        if (rows.count() > 0) {
            if (INSERT == InsertAtEnd) {
                BC->ScrollToEnd(host::EventKind::ScrollBottom);
                BC->CURRENTCHOICE = intProperty(*window, LISTCONTROL, host::Property::Selected);
            }
            BC->ResetToRange(false);
            primary.SaveLinkValues();
            bool onLastRow = static_cast<std::size_t>(BC->CURRENTCHOICE) >= rows.count();
            if (INSERT != InsertInPlace)
                ++BC->CURRENTCHOICE;
            // A full page makes room: the top row goes when the new row is to come below
            // the last one, else the bottom row.
            if (static_cast<std::int64_t>(rows.count()) >= BC->LASTITEMS) {
                if (onLastRow) {
                    rows.get(1);
                    --BC->CURRENTCHOICE;
                } else {
                    rows.get(rows.count());
                }
                rows.remove();
            }
        } else {
            BC->ResetToRange(false);
            primary.SaveLinkValues();
            BC->CURRENTCHOICE = 1;
        }
        BC->FillRow();
        rows.add(static_cast<std::size_t>(BC->CURRENTCHOICE));
        window->display(LISTCONTROL);
        window->setProperty(LISTCONTROL, host::Property::Selected, host::Value(BC->CURRENTCHOICE));
        COLUMN = 1;
    } else if (REQ == RequestKind::Delete) {
        RESPONSE = primary.Delete(true) == Severity::Benign ? ResponseKind::Completed
                                                            : ResponseKind::Cancelled;
        return Severity::Fatal;
    } else {
        primary.SaveLinkValues();
        // A double click starts where the user clicked.
        if (host::keyCode() == host::KeyCode::MouseLeft2)
            COLUMN = intProperty(*window, LISTCONTROL, host::Property::MouseColumn);
    }
    rows.get(static_cast<std::size_t>(BC->CURRENTCHOICE));
    doubleClickCleared_ = window->isAlerted(LISTCONTROL, host::KeyCode::MouseLeft2);
    window->clearAlert(LISTCONTROL, host::KeyCode::MouseLeft2);
    if (COLUMN <= 0)
        COLUMN = 1;
    LASTCOLUMN = 0;
    REPOST = host::EventKind::None;
    REPOSTFIELD = 0;
    SEEKFORWARD = 0;
    InitControls();
    RefreshColumn();
    return Severity::Benign;
}

void InPlaceEditManager::InitControls() {
    host::Window& window = *Window();
    int columns = intProperty(window, LISTCONTROL, host::Property::ColumnCount);
    for (std::int32_t column = 1; column <= columns; ++column) {
        BrowseList::EditListEntry* entry = Lookup(column);
        if (!entry) {
            AddControl(new CellEditor(), column, true);
            entry = Lookup(column);
        }
        if (CellEditor* editor = static_cast<CellEditor*>(entry->CONTROL)) {
            host::TypedRef variable;
            if (static_cast<std::size_t>(column) <= FIELDS->LIST.size())
                variable = FIELDS->LIST[static_cast<std::size_t>(column) - 1].RIGHT;
            editor->BeginEdit(column, LISTCONTROL, variable);
            // Every editor of the row is made now; only the one over the current column
            // shows (RefreshColumn), the others wait hidden.
            if (editor->FEQ != 0)
                window.hide(editor->FEQ);
        } else {
            window.setProperty(LISTCONTROL, host::Property::ColumnTextColour, host::Value(GreyText),
                               column);
        }
    }
}

// The row loop runs inside the browse window's own loop: ending it must not close the
// window, so the last event is consumed rather than left with the runtime.
void InPlaceEditManager::PumpEvents() {
    host::Window* window = Window();
    if (DEAD || !window)
        return;
    while (window->nextEvent()) {
        Severity level = DispatchEvent();
        if (level == Severity::Fatal) {
            window->endCycle(host::CycleEnd::Consumed);
            return;
        }
        window->endCycle(level == Severity::Notify ? host::CycleEnd::Consumed
                                                   : host::CycleEnd::DefaultAction);
    }
}

Severity InPlaceEditManager::Teardown() {
    if (BC)
        BC->AfterUpdate(REQ, RESPONSE);
    if (host::Window* window = Window()) {
        DetachColumn();
        if (EQ)
            for (BrowseList::EditListEntry& entry : *EQ) {
                if (entry.CONTROL)
                    static_cast<CellEditor*>(entry.CONTROL)->EndEdit();
                else
                    window->setProperty(LISTCONTROL, host::Property::ColumnTextColour,
                                        host::Value(-1), entry.FIELD);
            }
        if (doubleClickCleared_)
            window->alert(LISTCONTROL, host::KeyCode::MouseLeft2);
        doubleClickCleared_ = false;
        if (REPOST != host::EventKind::None) {
            window->post(REPOST, REPOSTFIELD);
            REPOST = host::EventKind::None;
        }
    }
    return WindowController::Teardown();
}

// ---- Columns -----------------------------------------------------------------------------------

BrowseList::EditListEntry* InPlaceEditManager::Lookup(std::int32_t column) {
    lookedUp_ = BC ? BC->FindEditControl(column) : nullptr;
    return lookedUp_;
}

CellEditor* InPlaceEditManager::LookedUpEditor() const {
    return lookedUp_ ? static_cast<CellEditor*>(lookedUp_->CONTROL) : nullptr;
}

CellEditor* InPlaceEditManager::EditorOf(std::int32_t column) {
    BrowseList::EditListEntry* entry = BC ? BC->FindEditControl(column) : nullptr;
    return entry ? static_cast<CellEditor*>(entry->CONTROL) : nullptr;
}

bool InPlaceEditManager::IsColumnEditable() {
    return LookedUpEditor() != nullptr;
}

bool InPlaceEditManager::NextEditableColumn() {
    if (!EQ || EQ->empty())
        return false;
    std::int32_t highest = EQ->back().FIELD;
    bool reversed = false;
    while (true) {
        if (Lookup(COLUMN) && IsColumnEditable()) {
            SEEKFORWARD = 0;
            return true;
        }
        if (SEEKFORWARD) {
            if (COLUMN >= highest) {
                // A list without an editable column ends the search at the other end.
                if (reversed)
                    break;
                reversed = true;
                SEEKFORWARD = 0;
            } else {
                ++COLUMN;
            }
        } else if (COLUMN <= 1) {
            if (reversed)
                break;
            reversed = true;
            SEEKFORWARD = 1;
        } else {
            --COLUMN;
        }
    }
    SEEKFORWARD = 0;
    return false;
}

void InPlaceEditManager::RefreshColumn() {
    host::setKeyCode(0);
    host::Window* window = Window();
    if (!window || !NextEditableColumn())
        return;
    if (COLUMN != LASTCOLUMN) {
        CellEditor* editor = EditorOf(COLUMN);
        window->setProperty(LISTCONTROL, host::Property::ColumnEditor, host::Value(editor->FEQ),
                            COLUMN);
        window->show(editor->FEQ);
        window->select(editor->FEQ);
        LASTCOLUMN = static_cast<std::uint8_t>(COLUMN);
    }
}

void InPlaceEditManager::BlankColumn() {
    if (LASTCOLUMN == 0)
        return;
    if (CellEditor* editor = EditorOf(LASTCOLUMN); editor && editor->FEQ != 0)
        Window()->update(editor->FEQ);
    BC->LISTQUEUE->put();
    DetachColumn();
}

void InPlaceEditManager::DetachColumn() {
    if (LASTCOLUMN == 0)
        return;
    if (host::Window* window = Window()) {
        if (CellEditor* editor = EditorOf(LASTCOLUMN); editor && editor->FEQ != 0)
            window->hide(editor->FEQ);
        window->setProperty(LISTCONTROL, host::Property::ColumnEditor, host::Value(0), LASTCOLUMN);
    }
    LASTCOLUMN = 0;
}

void InPlaceEditManager::MoveToClickedColumn() {
    if (host::keyCode() != host::KeyCode::MouseLeft)
        return;
    BlankColumn();
    COLUMN = intProperty(*Window(), LISTCONTROL, host::Property::MouseColumn);
    if (COLUMN <= 0)
        COLUMN = 1;
    RefreshColumn();
}

// ---- Events ----------------------------------------------------------------------------------

Severity InPlaceEditManager::DispatchEvent() {
    host::Window* window = Window();
    if (!window)
        return Severity::Fatal;
    switch (window->currentEvent()) {
    case host::EventKind::Sizing:
    case host::EventKind::Maximizing:
    case host::EventKind::Iconizing:
        return Severity::Notify;
    case host::EventKind::CloseWindow:
    case host::EventKind::CloseDown:
    case host::EventKind::Sized:
        // The row ends first; the event is delivered again once the edit is over.
        HandleFocusLoss();
        REPOST = window->currentEvent();
        REPOSTFIELD = 0;
        return Severity::Fatal;
    default:
        break;
    }
    AGAIN = 1;
    Severity level = WindowController::DispatchEvent();
    if (level == Severity::Benign)
        return AGAIN ? Severity::Benign : Severity::Fatal;
    return level;
}

Severity InPlaceEditManager::OnControlEvent() {
    host::Window& window = *Window();
    std::int32_t control = window.eventControl();
    host::EventKind event = window.currentEvent();
    if (control == LISTCONTROL)
        return Severity::Benign;
    if (EQ)
        for (BrowseList::EditListEntry& entry : *EQ)
            if (auto* editor = static_cast<CellEditor*>(entry.CONTROL);
                editor && editor->FEQ != 0 && editor->FEQ == control) {
                PerformAction(editor->HandleEvent(event));
                return Severity::Benign;
            }
    // Another control ends the row; a button that merely took the focus does not.
    const host::Control* other = window.control(control);
    bool buttonSelected =
        event == host::EventKind::Selected && other && other->kind() == host::ControlKind::Button;
    if (!buttonSelected) {
        REPOST = event;
        REPOSTFIELD = control;
        HandleFocusLoss();
    }
    return Severity::Benign;
}

Severity InPlaceEditManager::OnNewSelection() {
    host::Window& window = *Window();
    if (window.eventControl() != LISTCONTROL)
        return Severity::Benign;
    int chosen = intProperty(window, LISTCONTROL, host::Property::Selected);
    if (chosen == BC->CURRENTCHOICE) {
        MoveToClickedColumn();
        return Severity::Benign;
    }
    HandleFocusLoss();
    if (AGAIN) {
        window.setProperty(LISTCONTROL, host::Property::Selected, host::Value(BC->CURRENTCHOICE));
        return Severity::Benign;
    }
    // The list is refreshed in place and keeps the row the user chose.
    BC->CURRENTCHOICE = chosen;
    RESPONSE = ResponseKind::Cancelled;
    return Severity::Fatal;
}

// ---- Actions -----------------------------------------------------------------------------------

void InPlaceEditManager::RequestRow(std::int32_t request) {
    if (VCRREQUEST)
        *VCRREQUEST = request;
}

void InPlaceEditManager::EndRowBy(const std::uint8_t* setting, bool tab) {
    std::uint8_t how = setting ? static_cast<std::uint8_t>(*setting & HowMask) : (tab ? 1 : 0);
    if (how == 1 || (how == 0 && !tab))
        FinishRow(Save);
    else if (how == 2)
        FinishRow(Drop);
    else
        FinishRow(Ask);
}

void InPlaceEditManager::PerformAction(EditAction action) {
    switch (action) {
    case EditAction::NextField: {
        BlankColumn();
        std::int32_t was = COLUMN;
        ++COLUMN;
        SEEKFORWARD = 1;
        NextEditableColumn();
        if (COLUMN != was) {
            RefreshColumn();
        } else {
            EndRowBy(TAB, true);
            if (TAB && (*TAB & MoveToNextRow) && !AGAIN)
                RequestRow(ToolbarButton::NextRecord);
        }
        break;
    }
    case EditAction::PreviousField:
        if (COLUMN > 1) {
            BlankColumn();
            --COLUMN;
            RefreshColumn();
        }
        break;
    case EditAction::Complete:
        EndRowBy(ENTER, false);
        if (ENTER && (*ENTER & MoveToNextRow) && !AGAIN)
            RequestRow(ToolbarButton::NextRecord);
        break;
    case EditAction::Abandon:
        FinishRow(Drop);
        break;
    case EditAction::NextRow:
    case EditAction::PreviousRow: {
        std::int32_t was = COLUMN;
        EndRowBy(ARROW, false);
        if (ARROW && (*ARROW & MoveToNextRow) && !AGAIN)
            RequestRow(action == EditAction::NextRow ? ToolbarButton::NextRecord
                                                     : ToolbarButton::PriorRecord);
        if (ARROW && (*ARROW & KeepColumn) && !AGAIN)
            COLUMN = was;
        break;
    }
    default:
        break;
    }
}

void InPlaceEditManager::HandleFocusLoss() {
    EndRowBy(FOCUSLOSS, false);
}

void InPlaceEditManager::FinishRow(std::uint8_t force) {
    AGAIN = 0;
    BlankColumn();
    unsigned answer = host::ButtonNo;
    if (FIELDS && FIELDS->SameLeftRight())
        answer = host::ButtonNo; // nothing to save
    else if (force == Ask)
        answer = ERRORS ? ERRORS->AskUser(SaveRecordMessage,
                                          host::ButtonYes | host::ButtonNo | host::ButtonCancel,
                                          host::ButtonYes)
                        : host::ButtonYes;
    else
        answer = force == Save ? host::ButtonYes : host::ButtonNo;
    RESPONSE = ResponseKind::Cancelled;
    host::Queue& rows = *BC->LISTQUEUE;
    FileAccess& file = *BC->PRIMARY->ME;
    if (answer == host::ButtonCancel) {
        AGAIN = 1;
    } else if (answer == host::ButtonYes) {
        std::int32_t image = file.StoreImage();
        BC->CopyRowToFields();
        Severity result = REQ == RequestKind::Insert ? file.Insert() : BC->PRIMARY->Update();
        if (result != Severity::Benign)
            AGAIN = 1;
        else
            RESPONSE = ResponseKind::Completed;
        file.RecallImage(image, AGAIN != 0);
    } else if (REQ == RequestKind::Insert) {
        // The new row goes, and so does the number auto-numbering may have reserved.
        if (rows.get(static_cast<std::size_t>(BC->CURRENTCHOICE)))
            rows.remove();
        if (BC->CURRENTCHOICE != 0 && INSERT != InsertInPlace)
            --BC->CURRENTCHOICE;
        file.CancelAutoNumber(nullptr);
    }
    ResumeRow();
}

void InPlaceEditManager::ResumeRow() {
    COLUMN = 1;
    if (AGAIN)
        RefreshColumn();
}

} // namespace framework
