#pragma once

#include "framework/inplace/CellEditor.h"
#include "runtime/base/Decimal.h"

#include <optional>
#include <string>

namespace host {
class Queue;
}

namespace app {

// The cell editors of the invoice form's lines, when a line is edited in place. They
// price the line as it is typed: the list price is the cost times ListPriceFactor, a
// sell price of 0 takes the list price, and the extended amount is the quantity times
// the sell price, all exact to the cent. The Item, Qty and Cost cells are required: a
// cell left empty asks "Field Validation", whose No abandons the line.

// A line's list price is its cost times this factor.
inline const host::Decimal ListPriceFactor = host::Decimal::fromUnits(180, 2);

// The lines list's row, in order.
enum InvoiceLineField {
    LineSequence = 1,
    LineItemNumber,
    LineDescription,
    LineQuantity,
    LineCost,
    LineList,
    LineSell,
    LinePrint,
    LinePrintIcon,
    LineExtended,
    LineDetailId,
    LineHeaderId,
    LineViewPosition
};

// The line's arithmetic, on the row: each amount is rounded to 2 places as a price field
// keeps it. Empty when the amount does not fit a price column (99,999.99); the user is
// then told, and the cell keeps the value typed.
namespace linePricing {
std::optional<host::Decimal> listPrice(const host::Decimal& cost);
std::optional<host::Decimal> extended(long long quantity, const host::Decimal& sell);
} // namespace linePricing

// What the line editors share: the row they edit, and the questions they ask.
class LineEditorBase {
public:
    explicit LineEditorBase(host::Queue& rows) : rows_(rows) {}

protected:
    host::TypedRef RowField(InvoiceLineField field) const;
    // "Field Validation": true when the user answers Yes (go on editing the line).
    static bool AskToGoOn();
    // The extended amount from the row's quantity and sell price; false when it would not
    // fit its column, and then the user is told when `tell` (as the cell is left).
    bool PriceExtended(bool tell);
    // Tells the user that `what` (an amount) does not fit its column.
    static void TellTooLarge(const std::string& what, const host::Decimal& amount);

    host::Queue& rows_;
};

// Item: typed in upper case, each keystroke completes the number to the lowest item
// number that begins with what was typed (the caret stays after the typed characters).
// Leaving the cell fetches the item; a number that is no item's opens the item list to
// pick one, and cancelling that leaves the cell blank with the editor in it.
class LineItemEditor : public framework::EntryEditor, LineEditorBase {
public:
    using LineEditorBase::LineEditorBase;
    void BeginEdit(std::int32_t column, std::int32_t listControl, host::TypedRef variable) override;
    framework::EditAction HandleEvent(host::EventKind event) override;

private:
    void Complete();
    framework::EditAction Leave(framework::EditAction action);
};

// A spin box whose Down and Up arrows spin the value rather than leave the line.
class LineSpinEditor : public framework::SpinEditor, protected LineEditorBase {
public:
    LineSpinEditor(host::Queue& rows, const char* picture, const char* low, const char* high,
                   const char* step, bool required = false)
        : LineEditorBase(rows), picture_(picture), low_(low), high_(high), step_(step),
          required_(required) {}
    void BeginEdit(std::int32_t column, std::int32_t listControl, host::TypedRef variable) override;
    void ArmEditKeys() override;

protected:
    // The action of the kind; a value the user typed below the lowest (a negative price)
    // is refused with a message, and the editor stays.
    framework::EditAction KindAction(host::EventKind event);
    // Copies every control of the line into the row.
    void CopyControls();
    // The cell showed 0 (or nothing) when the user last left it.
    bool ShownEmpty() const { return shownEmpty_; }

private:
    const char* picture_;
    const char* low_;
    const char* high_;
    const char* step_;
    bool required_;
    bool shownEmpty_ = false;
};

// Qty: 1 to 99, required; a quantity of 0 becomes 1 and the extended amount follows.
class LineQuantityEditor : public LineSpinEditor {
public:
    explicit LineQuantityEditor(host::Queue& rows)
        : LineSpinEditor(rows, "@n5", "1", "99", "1", true) {}
    framework::EditAction HandleEvent(host::EventKind event) override;
};

// Cost: from 0 by steps of 0.10, required; a cost gives the list price, the sell price
// when it has none, and the extended amount.
class LineCostEditor : public LineSpinEditor {
public:
    explicit LineCostEditor(host::Queue& rows)
        : LineSpinEditor(rows, "@n-7.2", "0", "99999.99", "0.1", true) {}
    framework::EditAction HandleEvent(host::EventKind event) override;
};

// List: from 0 by steps of 0.10; the extended amount does not follow it.
class LineListEditor : public LineSpinEditor {
public:
    explicit LineListEditor(host::Queue& rows)
        : LineSpinEditor(rows, "@n8.2", "0", "99999.99", "0.1") {}
    framework::EditAction HandleEvent(host::EventKind event) override;
};

// Sell: from 0 by steps of 0.10; a sell price of 0 takes the list price the line had when
// it was chosen, and the extended amount follows.
class LineSellEditor : public LineSpinEditor {
public:
    LineSellEditor(host::Queue& rows, host::TypedRef recordList)
        : LineSpinEditor(rows, "@n8.2", "0", "99999.99", "0.1"), recordList_(recordList) {}
    framework::EditAction HandleEvent(host::EventKind event) override;

private:
    host::TypedRef recordList_;
};

// Print?: a check box without text, "1" ticked and "0" not.
class LinePrintEditor : public framework::CheckEditor {
public:
    void BeginEdit(std::int32_t column, std::int32_t listControl, host::TypedRef variable) override;
};

} // namespace app
