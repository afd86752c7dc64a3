#pragma once

#include "framework/browse/BrowseList.h"
#include "runtime/base/TypedRef.h"
#include "runtime/ui/Event.h"

#include <cstdint>
#include <string>

namespace host {
class Value;
class Window;
} // namespace host

namespace framework {

// What the user wants after an event on a cell editor's control.
enum class EditAction : std::uint8_t {
    None = 0,
    NextField = 1,     // Tab
    PreviousField = 2, // Shift+Tab
    Complete = 3,      // Enter: end the row
    Abandon = 4,       // Esc: drop the row's changes
    NextRow = 5,       // Down arrow
    PreviousRow = 6,   // Up arrow
    Handled = 7,       // the editor acted itself (the file editor's button): no movement
};

// The small control that edits one list column while a row is edited in place. The
// edit manager has it make its control on the browse's window, bind the control to the
// column's row variable and lay it over the cell, and asks it after every event on the
// control what to do next. The base is the plain entry editor; the other kinds derive
// from it, and applications derive per-column editors from those to set pictures,
// ranges, items and validation (override BeginEdit and call the base first).
class CellEditor : public CellEditorBase {
public:
    CellEditor() = default;
    ~CellEditor() override;
    CellEditor(const CellEditor&) = delete;
    CellEditor& operator=(const CellEditor&) = delete;

    // Virtual operations, in slot order.

    // Creates the editing control on the current window and stores its number in FEQ.
    virtual void MakeControl();
    // Prepares the editor for list column `column` of `listControl`, editing `variable`.
    virtual void BeginEdit(std::int32_t column, std::int32_t listControl, host::TypedRef variable);
    // Destroys the control and lets go of the variable.
    virtual void EndEdit();
    // Arms the keys that end or move the edit.
    virtual void ArmEditKeys();
    virtual void MakeReadOnly(bool flag);
    virtual EditAction HandleEvent(host::EventKind event);

    std::int32_t FEQ = 0;
    host::TypedRef USEVAR;
    std::int32_t LISTBOXFEQ = 0;
    std::uint8_t READONLY = 0;

protected:
    // The window the control lives on (the browse's, since editing opens no window).
    host::Window* EditWindow() const { return window_; }
    // Creates a control of `kind` on the current window and makes it FEQ.
    void CreateControl(int kind);

private:
    host::Window* window_ = nullptr;
};

// The plain entry editor is the base kind.
using EntryEditor = CellEditor;

class CheckEditor : public CellEditor {
public:
    void MakeControl() override;
};

// A spin box over the full signed 32-bit range (but its lowest value), step 1.
// Applications narrow the range and set the step after the base BeginEdit.
class SpinEditor : public CellEditor {
public:
    void MakeControl() override;
    // Sets the step by which the arrows move the value (every step goes through here).
    void SetStep(const host::Value& step);
    void SetRange(long long low, long long high);
};

// A drop-down list: the arrow keys move through its items, and choosing an item moves
// to the next field.
class DropListEditor : public CellEditor {
public:
    void MakeControl() override;
    void ArmEditKeys() override;
    void MakeReadOnly(bool flag) override;
    EditAction HandleEvent(host::EventKind event) override;
};

// A file name: an entry with an ellipsis button that opens the file dialog.
class FileEditor : public CellEditor {
public:
    void MakeControl() override;
    EditAction HandleEvent(host::EventKind event) override;

    std::string TITLE;       // the dialog's title
    std::string FILEPATTERN; // pairs of description and mask, "|" between all of them
    std::string FILEMASK;    // the dialog's option flags as a decimal number
};

} // namespace framework
