#include "framework/inplace/CellEditor.h"

#include "runtime/base/CurrentThread.h"
#include "runtime/base/Value.h"
#include "runtime/ui/ControlKind.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"

#include <charconv>

namespace framework {

namespace {

// The longest path the file dialog is given.
constexpr std::size_t MaxPath = 260;

} // namespace

CellEditor::~CellEditor() = default;

void CellEditor::CreateControl(int kind) {
    window_ = host::desktop().topWindowOf(host::currentThread());
    FEQ = window_ ? window_->createControl(static_cast<host::ControlKind>(kind)) : 0;
}

void CellEditor::MakeControl() {
    CreateControl(static_cast<int>(host::ControlKind::Entry));
}

void CellEditor::BeginEdit(std::int32_t column, std::int32_t listControl, host::TypedRef variable) {
    LISTBOXFEQ = listControl;
    MakeControl();
    USEVAR = variable;
    if (!window_ || FEQ == 0)
        return;
    window_->setProperty(FEQ, host::Property::Picture,
                         window_->property(listControl, host::Property::ColumnPicture, column));
    window_->setUse(FEQ, USEVAR);
    if (READONLY)
        MakeReadOnly(true);
    ArmEditKeys();
}

void CellEditor::EndEdit() {
    if (FEQ != 0 && window_)
        window_->destroyControl(FEQ);
    FEQ = 0;
    USEVAR = host::TypedRef();
}

void CellEditor::ArmEditKeys() {
    if (!window_)
        return;
    int position = 0;
    for (int key : {host::KeyCode::Tab, host::KeyCode::ShiftTab, host::KeyCode::Enter,
                    host::KeyCode::Esc, host::KeyCode::Down, host::KeyCode::Up})
        window_->alert(FEQ, key, ++position);
}

void CellEditor::MakeReadOnly(bool flag) {
    READONLY = flag ? 1 : 0;
    if (window_ && FEQ != 0)
        window_->setProperty(FEQ, host::Property::ReadOnly, host::Value(flag ? 1 : 0));
}

EditAction CellEditor::HandleEvent(host::EventKind event) {
    if (event != host::EventKind::AlertKey)
        return EditAction::None;
    switch (host::keyCode()) {
    case host::KeyCode::Enter:
        return EditAction::Complete;
    case host::KeyCode::Esc:
        return EditAction::Abandon;
    case host::KeyCode::Tab:
        return EditAction::NextField;
    case host::KeyCode::ShiftTab:
        return EditAction::PreviousField;
    case host::KeyCode::Down:
        return EditAction::NextRow;
    case host::KeyCode::Up:
        return EditAction::PreviousRow;
    default:
        return EditAction::None;
    }
}

// ---- Check box -------------------------------------------------------------------------------

void CheckEditor::MakeControl() {
    CreateControl(static_cast<int>(host::ControlKind::Check));
}

// ---- Spin box --------------------------------------------------------------------------------

void SpinEditor::MakeControl() {
    CreateControl(static_cast<int>(host::ControlKind::Spin));
    SetRange(-2147483647LL, 2147483647LL);
    SetStep(host::Value(1));
}

void SpinEditor::SetStep(const host::Value& step) {
    if (host::Window* window = EditWindow(); window && FEQ != 0)
        window->setProperty(FEQ, host::Property::Step, step);
}

void SpinEditor::SetRange(long long low, long long high) {
    if (host::Window* window = EditWindow(); window && FEQ != 0) {
        window->setProperty(FEQ, host::Property::RangeLow, host::Value(low));
        window->setProperty(FEQ, host::Property::RangeHigh, host::Value(high));
    }
}

// ---- Drop-down list --------------------------------------------------------------------------

void DropListEditor::MakeControl() {
    CreateControl(static_cast<int>(host::ControlKind::DropList));
}

void DropListEditor::ArmEditKeys() {
    host::Window* window = EditWindow();
    if (!window)
        return;
    // Up and Down stay the list's own: they move through its items.
    int position = 0;
    for (int key :
         {host::KeyCode::Tab, host::KeyCode::ShiftTab, host::KeyCode::Enter, host::KeyCode::Esc})
        window->alert(FEQ, key, ++position);
}

void DropListEditor::MakeReadOnly(bool flag) {
    CellEditor::MakeReadOnly(flag);
    if (READONLY)
        if (host::Window* window = EditWindow(); window && FEQ != 0)
            window->setProperty(FEQ, host::Property::DropCount, host::Value(0));
}

EditAction DropListEditor::HandleEvent(host::EventKind event) {
    if (event == host::EventKind::Accepted)
        return EditAction::NextField;
    return CellEditor::HandleEvent(event);
}

// ---- File name -------------------------------------------------------------------------------

void FileEditor::MakeControl() {
    // A combo that drops no list shows an ellipsis button instead of its drop arrow.
    CreateControl(static_cast<int>(host::ControlKind::Combo));
    if (host::Window* window = EditWindow(); window && FEQ != 0)
        window->setProperty(FEQ, host::Property::DropCount, host::Value(0));
}

EditAction FileEditor::HandleEvent(host::EventKind event) {
    host::Window* window = EditWindow();
    if (event != host::EventKind::DroppingDown || READONLY || !window)
        return CellEditor::HandleEvent(event);
    // What the user typed so far is the name the dialog starts from.
    window->update(FEQ);
    host::FileDialogRequest request;
    request.title = TITLE;
    request.fileName = host::clip(USEVAR.text());
    if (request.fileName.size() > MaxPath)
        request.fileName.resize(MaxPath);
    request.masks = FILEPATTERN;
    int flags = 0;
    std::from_chars(FILEMASK.data(), FILEMASK.data() + FILEMASK.size(), flags);
    request.flags = flags;
    // A cancelled dialog keeps the name the cell had: the user's data is never blanked
    // by closing a dialog.
    if (host::fileDialog(request)) {
        USEVAR.assign(host::Value(request.fileName));
        window->display(FEQ);
    }
    return EditAction::Handled;
}

} // namespace framework
