#include "framework/window/WindowController.h"

#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "framework/window/ControlledBrowse.h"
#include "framework/window/FileDrop.h"
#include "framework/window/TextTranslator.h"
#include "framework/window/ToolbarButton.h"
#include "framework/window/ToolbarRouter.h"
#include "framework/window/WindowResizer.h"
#include "runtime/base/MessageBox.h"
#include "runtime/base/Record.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"

#include <algorithm>

namespace framework {

namespace {

using host::EventKind;

constexpr unsigned yesNoCancel = host::ButtonYes | host::ButtonNo | host::ButtonCancel;

bool isInsertOrChange(std::uint8_t request) {
    return request == RequestKind::Insert || request == RequestKind::Change;
}

} // namespace

WindowController::WindowController() = default;

WindowController::~WindowController() = default;

// --- Set-up by the procedures

void WindowController::RegisterBrowse(ControlledBrowse& browse) {
    if (!BROWSES)
        BROWSES = std::make_unique<std::vector<ControlledBrowse*>>();
    BROWSES->push_back(&browse);
    if (REQUEST == RequestKind::Select)
        browse.SELECTING = 1;
}

void WindowController::RegisterButton(std::int32_t control, std::uint8_t action) {
    if (!BUTTONS)
        BUTTONS = std::make_unique<std::vector<ButtonEntry>>();
    BUTTONS->push_back({control, action});
}

void WindowController::RegisterFile(FileAccess& file) {
    if (!FILES)
        FILES = std::make_unique<std::vector<FileEntry>>();
    FILES->push_back({&file, 0});
}

void WindowController::RegisterHistoryField(host::Record& record, host::Record& savedCopy) {
    if (!HISTORY)
        HISTORY = std::make_unique<std::vector<HistoryEntry>>();
    historyBuffer_.FRECORD = &record;
    historyBuffer_.SRECORD = &savedCopy;
}

void WindowController::RegisterHistoryField(std::int32_t control, std::int32_t fieldNo) {
    if (!HISTORY)
        HISTORY = std::make_unique<std::vector<HistoryEntry>>();
    historyBuffer_.CONTROL = control;
    historyBuffer_.FIELDNO = fieldNo;
    auto at = std::upper_bound(
        HISTORY->begin(), HISTORY->end(), control,
        [](std::int32_t c, const HistoryEntry& entry) { return c < entry.CONTROL; });
    HISTORY->insert(at, historyBuffer_);
}

void WindowController::RegisterFileDrop(FileDrop& drop) {
    if (!FILEDROPS)
        FILEDROPS = std::make_unique<std::vector<FileDrop*>>();
    FILEDROPS->push_back(&drop);
}

void WindowController::AttachToolbar(ToolbarRouter& router) {
    TOOLBAR = &router;
    router.Setup(*this);
}

void WindowController::AttachResizer(WindowResizer& resizer) {
    RESIZE = &resizer;
}

void WindowController::OpenWindow(host::Window& window) {
    window_ = &window;
    window.open();
    OPENED = 1;
}

void WindowController::UseWindow(host::Window& window) {
    window_ = &window;
}

// --- Running

std::uint8_t WindowController::Execute() {
    if (Setup() == Severity::Benign)
        PumpEvents();
    Teardown();
    return RESPONSE != ResponseKind::None ? RESPONSE : ResponseKind::Cancelled;
}

Severity WindowController::Setup() {
    ORIGINALREQUEST = REQUEST;
    BROWSES = std::make_unique<std::vector<ControlledBrowse*>>();
    BUTTONS = std::make_unique<std::vector<ButtonEntry>>();
    FILEDROPS = std::make_unique<std::vector<FileDrop*>>();
    // The host's views resolve the field labels of their filters themselves, so the
    // window needs no binding scope of its own for them.
    // A right click that opened a popup menu must not reach the new window.
    int key = host::keyCode();
    if (key == host::KeyCode::MouseRight || key == host::KeyCode::MouseRightUp)
        host::setKeyCode(0);
    INSERTACTION = 2;
    DELETEACTION = 2;
    CHANGEACTION = 1;
    CANCELACTION = 3;
    AUTOTOOLBAR = 1;
    AUTOREFRESH = 1;
    return Severity::Benign;
}

void WindowController::PumpEvents() {
    if (DEAD)
        return;
    LASTINSERTEDPOSITION.clear();
    if (!window_)
        return;
    while (window_->nextEvent()) {
        Severity level = DispatchEvent();
        host::CycleEnd end = host::CycleEnd::DefaultAction;
        if (level == Severity::Fatal)
            end = host::CycleEnd::Leave;
        else if (level == Severity::Notify)
            end = host::CycleEnd::Consumed;
        window_->endCycle(end);
    }
}

Severity WindowController::Teardown() {
    if (DEAD || !BROWSES)
        return Severity::Notify;
    for (ControlledBrowse* browse : *BROWSES)
        browse->Teardown();
    BROWSES.reset();
    if (FILEDROPS)
        for (FileDrop* drop : *FILEDROPS)
            drop->Teardown();
    FILEDROPS.reset();
    BUTTONS.reset();
    HISTORY.reset();
    if (FILES)
        for (FileEntry& entry : *FILES)
            entry.MANAGER->RecallImage(entry.SAVED, false);
    FILES.reset();
    if (PRIMARY && PRIMARY->ME)
        PRIMARY->ME->RecallImage(SAVED, false);
    if (TOOLBAR) {
        ReleaseToolbar();
        TOOLBAR->Teardown();
    }
    if (RESIZE)
        RESIZE->Teardown();
    DEAD = 1;
    return Severity::Benign;
}

// --- Events

Severity WindowController::DispatchEvent() {
    if (!window_)
        return Severity::Benign;
    int control = window_->eventControl();
    if (control == 0) {
        Severity level = OnWindowEvent();
        if (level != Severity::Benign)
            return level;
    }
    Severity level = Severity::Benign;
    switch (window_->currentEvent()) {
    case EventKind::Accepted:
        level = OnAccepted();
        break;
    case EventKind::Rejected:
        level = OnRejected();
        break;
    case EventKind::Selected:
        level = OnSelected();
        break;
    case EventKind::NewSelection:
        level = OnNewSelection();
        break;
    case EventKind::AlertKey:
        if (HISTORYKEY != 0 && host::keyCode() == HISTORYKEY)
            RecallField(window_->focus());
        break;
    default:
        break;
    }
    if (level != Severity::Benign)
        return level;
    if (control != 0)
        level = OnControlEvent();
    if (BROWSES)
        for (ControlledBrowse* browse : std::vector<ControlledBrowse*>(*BROWSES))
            browse->DispatchEvent();
    if (FILEDROPS)
        for (FileDrop* drop : std::vector<FileDrop*>(*FILEDROPS))
            drop->DispatchEvent();
    if (AUTOREFRESH && BROWSES)
        for (ControlledBrowse* browse : std::vector<ControlledBrowse*>(*BROWSES))
            if (browse->CheckRefresh())
                Refresh(0);
    return level;
}

Severity WindowController::OnWindowEvent() {
    switch (window_->currentEvent()) {
    case EventKind::OpenWindow:
        if (!(INITED & WindowPrepared))
            PrepareWindow();
        SelectFirstField();
        break;
    case EventKind::LoseFocus:
        if (RESETONGAINFOCUS)
            FORCEDRESET = 1;
        break;
    case EventKind::GainFocus:
        if (INITED & WindowPrepared)
            Refresh(0);
        else
            PrepareWindow();
        break;
    case EventKind::Sized:
        if (!(INITED & FirstSizeSeen))
            INITED |= FirstSizeSeen;
        else
            Refresh(0);
        break;
    case EventKind::Completed:
        return OnCompleted();
    case EventKind::CloseWindow:
    case EventKind::CloseDown:
        return OnCloseRequest();
    default:
        break;
    }
    return Severity::Benign;
}

void WindowController::PrepareWindow() {
    if (TRANSLATOR && window_)
        TRANSLATOR->TranslateWindow(*window_);
    Refresh(0);
    INITED |= WindowPrepared;
}

void WindowController::Refresh(std::uint8_t force) {
    if (window_ && window_->isAcceptAllInProgress())
        return;
    force = force || FORCEDRESET;
    FORCEDRESET = 0;
    if (BROWSES) {
        for (ControlledBrowse* browse : *BROWSES)
            browse->ReapplySort(force);
        for (ControlledBrowse* browse : *BROWSES)
            browse->RefreshControls();
    }
    if (FILEDROPS)
        for (FileDrop* drop : *FILEDROPS)
            drop->Reset(force);
    ShowHistoryButton();
    if (window_)
        window_->display();
}

// A form recalls previous values through the toolbar's history button too. The lists
// switch that button off whenever they show their buttons, so a window whose router has
// no list to serve (a form) switches it on again for as long as it is the one in use.
void WindowController::ShowHistoryButton() {
    if (!window_ || !TOOLBAR || !HISTORY || HISTORY->empty() ||
        (TOOLBAR->LIST && !TOOLBAR->LIST->empty()))
        return;
    host::Window* toolbar = window_->frame() ? window_->frame() : window_;
    if (toolbar->control(ToolbarButton::History))
        toolbar->enable(ToolbarButton::History);
}

// With the window that the toolbar served gone, its buttons act on nothing: they wait
// disabled until the next window in use shows its own (a list's on its refresh, a form's
// history button).
void WindowController::ReleaseToolbar() {
    if (!window_)
        return;
    host::Window* toolbar = window_->frame() ? window_->frame() : window_;
    if (toolbar->control(ToolbarButton::Insert))
        toolbar->disable(ToolbarButton::Insert, ToolbarButton::Help);
}

Severity WindowController::OnAccepted() {
    std::int32_t accepted = window_->acceptedControl();
    if (TOOLBAR) {
        TOOLBAR->OnAccepted(*this);
        if (accepted == ToolbarButton::History)
            RecallField(window_->focus());
    }
    if (BUTTONS) {
        for (const ButtonEntry& button : *BUTTONS) {
            if (button.CONTROL == accepted) {
                Finish(button.ACTION);
                return Severity::Notify;
            }
        }
    }
    if (OKCONTROL != 0 && accepted == OKCONTROL)
        ConfirmOk();
    return Severity::Benign;
}

void WindowController::ConfirmOk() {
    if (!window_)
        return;
    if (isInsertOrChange(ORIGINALREQUEST))
        window_->select(0); // the runtime posts Completed once every control has passed
    else
        window_->post(EventKind::Completed);
}

Severity WindowController::OnNewSelection() {
    int control = window_->eventControl();
    if (window_->property(control, host::Property::Type).toInteger() ==
        static_cast<int>(host::ControlKind::Sheet)) {
        Refresh(0);
        if (AUTOTOOLBAR && TOOLBAR)
            TOOLBAR->FocusTarget(0);
    }
    return Severity::Benign;
}

Severity WindowController::OnRejected() {
    int control = window_->eventControl();
    host::beep();
    window_->display(control);
    window_->select(control);
    return Severity::Benign;
}

Severity WindowController::OnControlEvent() {
    return Severity::Benign;
}

Severity WindowController::OnSelected() {
    return Severity::Benign;
}

void WindowController::Finish(std::uint8_t response) {
    RESPONSE = response;
    PostToWindow(EventKind::CloseWindow);
    if (response == ResponseKind::Cancelled && TOOLBAR && VCRREQUEST)
        *VCRREQUEST = 0;
}

std::uint8_t WindowController::CallProcedure(std::uint16_t, std::uint8_t) {
    return ResponseKind::Cancelled;
}

void WindowController::ArmKeys() {
    if (BROWSES)
        for (ControlledBrowse* browse : *BROWSES)
            browse->ArmKeys();
    if (HISTORY && window_ && HISTORYKEY != 0)
        for (const HistoryEntry& entry : *HISTORY)
            window_->alert(entry.CONTROL, HISTORYKEY);
}

void WindowController::SyncBuffers() {
    if (BROWSES)
        for (ControlledBrowse* browse : *BROWSES)
            browse->SyncBuffer();
}

// --- History

void WindowController::StoreHistory() {
    if (!HISTORY)
        return;
    const host::Record* previous = nullptr;
    for (const HistoryEntry& entry : *HISTORY) {
        if (entry.FRECORD == previous)
            continue;
        previous = entry.FRECORD;
        if (entry.FRECORD && entry.SRECORD)
            *entry.SRECORD = *entry.FRECORD;
    }
}

void WindowController::RecallField(std::int32_t control) {
    if (!HISTORY)
        return;
    for (const HistoryEntry& entry : *HISTORY) {
        if (entry.CONTROL != control)
            continue;
        if (entry.FRECORD && entry.SRECORD)
            entry.FRECORD->field(entry.FIELDNO).assign(entry.SRECORD->field(entry.FIELDNO));
        if (window_)
            window_->display(control);
        return;
    }
}

// --- The form logic

void WindowController::PrimeNewRecord() {}

Severity WindowController::BeginRequest() {
    Severity result = Severity::Benign;
    FileAccess* primary = PRIMARY ? PRIMARY->ME : nullptr;
    if (primary) {
        primary->CheckOpen(3);
        PRIMARY->SaveLinkValues();
    }
    if (FILES)
        for (FileEntry& entry : *FILES)
            entry.SAVED = entry.MANAGER->StoreImage();
    if (REQUEST == RequestKind::Insert && INSERTACTION != 0) {
        RESPONSE = ResponseKind::Completed;
        PrimeNewRecord();
        if (RESPONSE == ResponseKind::Cancelled)
            result = Severity::Fatal;
        else
            RESPONSE = ResponseKind::Cancelled;
    } else if (REQUEST == RequestKind::Delete && (DELETEACTION == 2 || DELETEACTION == 4)) {
        bool deleted = PRIMARY && PRIMARY->Delete(DELETEACTION == 2) == Severity::Benign;
        RESPONSE = deleted ? ResponseKind::Completed : ResponseKind::Cancelled;
        result = Severity::Fatal;
    }
    if (primary)
        SAVED = primary->StoreImage();
    return result;
}

bool WindowController::PrimaryChanged() const {
    return PRIMARY && PRIMARY->ME && !PRIMARY->ME->ImageUnchanged(SAVED);
}

Severity WindowController::OnCompleted() {
    StoreHistory();
    switch (REQUEST) {
    case RequestKind::Insert:
        return CompleteInsert();
    case RequestKind::Change:
        return CompleteChange();
    case RequestKind::Delete:
        return CompleteDelete();
    default:
        return Severity::Benign;
    }
}

Severity WindowController::CompleteInsert() {
    if (!PRIMARY || !PRIMARY->ME)
        return Severity::Benign;
    if (PRIMARY->ME->Insert() != Severity::Benign) {
        // The file layer has shown why; the form stays open with the values entered.
        SelectFirstField();
        return Severity::Notify;
    }
    switch (INSERTACTION) {
    case 2:
        Finish(ResponseKind::Completed);
        return Severity::Benign;
    case 4: {
        ErrorReporter* errors = Reporter();
        if (errors && errors->Report(RecordAddedMessage) == Severity::Benign)
            return StartAnotherInsert();
        Finish(ResponseKind::Completed);
        return Severity::Benign;
    }
    case 3:
        return StartAnotherInsert();
    default:
        return Severity::Benign;
    }
}

Severity WindowController::StartAnotherInsert() {
    FileAccess& primary = *PRIMARY->ME;
    LASTINSERTEDPOSITION = primary.CurrentPosition();
    if (FILES) {
        for (FileEntry& entry : *FILES) {
            entry.MANAGER->RecallImage(entry.SAVED, true);
            entry.SAVED = entry.MANAGER->StoreImage();
        }
    }
    primary.RecallImage(SAVED, true);
    primary.CheckOpen(3);
    if (primary.ReserveAutoNumber() != Severity::Benign) {
        // The caller still gets the records inserted so far (LASTINSERTEDPOSITION).
        PostToWindow(EventKind::CloseWindow);
    } else {
        PrimeNewRecord();
        RESPONSE = ResponseKind::Cancelled;
    }
    SAVED = primary.StoreImage();
    ShowFormAgain();
    return Severity::Notify;
}

unsigned WindowController::AskYesNoCancel(std::uint16_t message) {
    ErrorReporter* errors = Reporter();
    return errors ? errors->AskUser(message, yesNoCancel, host::ButtonCancel) : host::ButtonCancel;
}

bool WindowController::RetryAfterFailure(std::uint16_t message) {
    unsigned answer = AskYesNoCancel(message);
    if (answer == host::ButtonYes)
        return true;
    if (answer == host::ButtonNo)
        PostToWindow(EventKind::CloseWindow);
    else
        ShowFormAgain();
    return false;
}

void WindowController::ShowFormAgain() {
    if (window_)
        window_->display();
    SelectFirstField();
}

Severity WindowController::CompleteChange() {
    if (!PRIMARY || !PRIMARY->ME)
        return Severity::Benign;
    while (true) {
        RESPONSE = ResponseKind::Cancelled;
        host::setBusyCursor(true);
        bool changed = PrimaryChanged();
        Severity result = changed ? PRIMARY->Update(HISTORYKEY != 0) : Severity::Benign;
        host::setBusyCursor(false);
        if (result == Severity::User) {
            if (RetryAfterFailure(UpdateErrorMessage))
                continue;
            return Severity::Benign;
        }
        if (result != Severity::Benign) {
            ShowFormAgain();
            return Severity::Benign;
        }
        bool noRequestPending = !VCRREQUEST || *VCRREQUEST == 0;
        if (changed || (TOOLBAR && noRequestPending))
            RESPONSE = ResponseKind::Completed;
        PostToWindow(EventKind::CloseWindow);
        return Severity::Benign;
    }
}

Severity WindowController::CompleteDelete() {
    if (!PRIMARY)
        return Severity::Benign;
    while (true) {
        RESPONSE = ResponseKind::Cancelled;
        host::setBusyCursor(true);
        Severity result = PRIMARY->Delete(DELETEACTION == 2);
        host::setBusyCursor(false);
        if (result == Severity::Benign) {
            Finish(ResponseKind::Completed);
            return Severity::Benign;
        }
        if (RetryAfterFailure(DeleteErrorMessage))
            continue;
        return Severity::Benign;
    }
}

Severity WindowController::OnCloseRequest() {
    if (RESPONSE == ResponseKind::Completed || !PRIMARY)
        return Severity::Benign;
    if (CANCELACTION != 0 && isInsertOrChange(REQUEST) && PrimaryChanged()) {
        bool save = CANCELACTION & 1;
        bool ask = CANCELACTION & 2;
        auto saveAsOk = [this] {
            // As if OK were pressed; a window without an OK button saves at once
            // rather than keep refusing to close.
            if (OKCONTROL != 0)
                PostToWindow(EventKind::Accepted, OKCONTROL);
            else
                ConfirmOk();
        };
        if (save && ask) {
            unsigned answer = AskYesNoCancel(SaveRecordMessage);
            if (answer == host::ButtonYes) {
                saveAsOk();
                return Severity::Notify;
            }
            if (answer != host::ButtonNo) {
                SelectFirstField();
                return Severity::Notify;
            }
        } else if (save) {
            saveAsOk();
            return Severity::Notify;
        } else {
            ErrorReporter* errors = Reporter();
            if (errors && errors->Report(ChangesLostMessage) == Severity::Cancel) {
                SelectFirstField();
                return Severity::Notify;
            }
        }
    }
    if (ORIGINALREQUEST == RequestKind::Insert && RESPONSE == ResponseKind::Cancelled) {
        if (PRIMARY->CancelAutoNumber() != Severity::Benign) {
            SelectFirstField();
            return Severity::Notify;
        }
    }
    if (!LASTINSERTEDPOSITION.empty()) {
        RESPONSE = ResponseKind::Completed;
        if (PRIMARY->ME)
            PRIMARY->ME->Reget(LASTINSERTEDPOSITION);
    }
    return Severity::Benign;
}

// --- Helpers

void WindowController::SelectFirstField() {
    // Selecting no control would start validating every control instead.
    if (window_ && FIRSTFIELD != 0)
        window_->select(FIRSTFIELD);
}

void WindowController::PostToWindow(host::EventKind kind, std::int32_t control) {
    if (window_)
        window_->post(kind, control);
}

ErrorReporter* WindowController::Reporter() const {
    if (ERRORS)
        return ERRORS;
    return PRIMARY && PRIMARY->ME ? PRIMARY->ME->ERRORS : nullptr;
}

} // namespace framework
