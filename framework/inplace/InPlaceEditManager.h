#pragma once

#include "framework/browse/BrowseList.h"
#include "framework/inplace/CellEditor.h"
#include "framework/window/WindowController.h"

#include <cstdint>
#include <vector>

namespace framework {

class FieldPairList;

// Edits one row of a browse list in place: the row's cells become cell editors laid
// over the list, one column at a time. It opens no window of its own; each row edit is
// one Execute that runs a nested event loop over the browse's window, routes the events
// to the cell editors, moves between columns with Tab, Shift+Tab and clicks, and ends
// the row by saving it through the browse's primary file or abandoning it, as the
// browse's action settings say. A browse works with at most one manager: a procedure's
// own (derived) one, or a plain one the browse makes and frees.
//
// Action settings (TABACTION, ARROWACTION, ENTERACTION, FOCUSLOSSACTION): the low three
// bits choose how the row ends (0 default, 1 save, 2 abandon, else ask "Save Record");
// for the arrows, Enter and focus loss 0 saves, for Tab past the last editable column 0
// asks. Bit 8 moves on to the next (or, for Up, previous) row after a completed row;
// bit 16 keeps the column there (arrows only).
class InPlaceEditManager : public WindowController, public RowEditor {
public:
    // Where an inserted row goes (INSERT).
    static constexpr std::uint8_t InsertBelow = 0;
    static constexpr std::uint8_t InsertInPlace = 9;
    static constexpr std::uint8_t InsertAtEnd = 10;
    // The bits of an action setting.
    static constexpr std::uint8_t HowMask = 7;
    static constexpr std::uint8_t MoveToNextRow = 8;
    static constexpr std::uint8_t KeepColumn = 16;
    // FinishRow's force.
    static constexpr std::uint8_t Ask = 0;
    static constexpr std::uint8_t Save = 2;
    static constexpr std::uint8_t Drop = 4;
    // The text colour of the columns that cannot be edited while a row is edited.
    static constexpr int GreyText = 0x808080;

    InPlaceEditManager();
    ~InPlaceEditManager() override;

    // Makes browses that were given no manager make a plain one of their own.
    static void InstallAsDefault();

    // The browse hands over a row: takes its settings and runs one edit.
    std::uint8_t EditRow(BrowseList& browse, std::uint8_t request) override;

    // Overridden operations of the window controller.
    void PumpEvents() override;
    Severity Setup() override;
    Severity Teardown() override;
    Severity DispatchEvent() override;
    Severity OnControlEvent() override;
    Severity OnNewSelection() override;

    // Virtual operations of its own, in slot order.
    virtual void BlankColumn();
    virtual void InitControls();
    virtual bool IsColumnEditable();
    virtual void RefreshColumn();
    virtual void PerformAction(EditAction action);
    virtual void FinishRow(std::uint8_t force);
    virtual void HandleFocusLoss();

    void AddControl(CellEditor* editor, std::int32_t column, bool freeUp);
    // Moves COLUMN to an editable column in the direction SEEKFORWARD; false when the
    // list has none.
    bool NextEditableColumn();
    void DetachColumn();
    void MoveToClickedColumn();
    void ResumeRow();

    std::uint8_t AGAIN = 0;
    std::uint8_t* ARROW = nullptr;
    std::int32_t COLUMN = 0;
    std::uint8_t* ENTER = nullptr;
    std::vector<BrowseList::EditListEntry>* EQ = nullptr;
    FieldPairList* FIELDS = nullptr;
    std::uint8_t* FOCUSLOSS = nullptr;
    std::uint8_t INSERT = 0;
    std::int32_t LISTCONTROL = 0;
    std::uint8_t LASTCOLUMN = 0;
    host::EventKind REPOST = host::EventKind::None;
    std::int32_t REPOSTFIELD = 0;
    std::uint8_t REQ = 0;
    std::uint8_t SEEKFORWARD = 0;
    std::uint8_t* TAB = nullptr;
    BrowseList* BC = nullptr;

protected:
    // The editor of the entry last looked up (null for a column that is not editable).
    CellEditor* LookedUpEditor() const;
    CellEditor* EditorOf(std::int32_t column);

private:
    // Ends the row as a setting's low bits say (for Tab, 0 asks and a missing setting saves).
    void EndRowBy(const std::uint8_t* setting, bool tab);
    void RequestRow(std::int32_t request);
    BrowseList::EditListEntry* Lookup(std::int32_t column);

    BrowseList::EditListEntry* lookedUp_ = nullptr;
    bool doubleClickCleared_ = false;
};

} // namespace framework
