#include "app/InvoiceLineEditors.h"

#include "app/BrowseItems.h"
#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "app/Globals.h"
#include "framework/data/FileAccess.h"
#include "framework/window/RequestKind.h"
#include "framework/window/ResponseKind.h"
#include "runtime/base/MessageBox.h"
#include "runtime/base/Queue.h"
#include "runtime/base/Record.h"
#include "runtime/base/Value.h"
#include "runtime/files/RecordFile.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"

#include <optional>

namespace app {

using framework::EditAction;

namespace {

// Prices and amounts are kept as decimals of 7 digits, 2 places.
constexpr int PriceDigits = 7;
constexpr int PricePlaces = 2;

bool isLeaving(EditAction action) {
    return action != EditAction::None && action != EditAction::Abandon;
}

std::optional<host::Decimal> asPrice(const host::Decimal& amount) {
    host::Decimal rounded = amount.rounded(PricePlaces);
    if (!rounded.fits(PriceDigits, PricePlaces))
        return std::nullopt;
    return rounded;
}

host::TypedRef itemField(std::string_view label) {
    return ItemRecord.field(label);
}

// The number the user sees in a spin box, read as typed (thousands separators and a
// currency sign left out).
std::optional<host::Decimal> shownNumber(host::Window& window, std::int32_t control) {
    std::string text = window.property(control, host::Property::Contents).toText();
    std::string plain;
    for (char c : text)
        if (c != ',' && c != '$' && c != ' ')
            plain += c;
    if (plain.empty())
        return host::Decimal(0);
    return host::Decimal::parse(plain);
}

} // namespace

namespace linePricing {

std::optional<host::Decimal> listPrice(const host::Decimal& cost) {
    return asPrice(cost * ListPriceFactor);
}

std::optional<host::Decimal> extended(long long quantity, const host::Decimal& sell) {
    return asPrice(host::Decimal(quantity) * sell);
}

} // namespace linePricing

// ---- Shared ------------------------------------------------------------------------------------

host::TypedRef LineEditorBase::RowField(InvoiceLineField field) const {
    return rows_.buffer().field(static_cast<int>(field));
}

bool LineEditorBase::AskToGoOn() {
    unsigned answer = host::showMessage(
        "One or more required Column(s) are empty. End Editing will lose your changes.| |Do "
        "you want to continue Editing?",
        "Field Validation", host::MessageIcon::Exclamation, host::ButtonYes | host::ButtonNo,
        host::ButtonYes);
    return answer != host::ButtonNo;
}

void LineEditorBase::TellTooLarge(const std::string& what, const host::Decimal& amount) {
    host::showMessage("The " + what + " would be " + amount.toString(PricePlaces) +
                          ", more than the 99,999.99 a line can hold.| |Change the quantity "
                          "or the prices.",
                      "Amount Too Large", host::MessageIcon::Exclamation, host::ButtonOk,
                      host::ButtonOk);
}

bool LineEditorBase::PriceExtended(bool tell) {
    long long quantity = RowField(LineQuantity).integer();
    host::Decimal sell = RowField(LineSell).decimal();
    std::optional<host::Decimal> amount = linePricing::extended(quantity, sell);
    if (!amount) {
        if (tell)
            TellTooLarge("extended amount", host::Decimal(quantity) * sell);
        return false;
    }
    RowField(LineExtended).assign(host::Value(*amount));
    return true;
}

// ---- Item --------------------------------------------------------------------------------------

void LineItemEditor::BeginEdit(std::int32_t column, std::int32_t listControl,
                               host::TypedRef variable) {
    framework::EntryEditor::BeginEdit(column, listControl, variable);
    host::Window* window = EditWindow();
    if (!window || FEQ == 0)
        return;
    window->setProperty(FEQ, host::Property::Picture, host::Value("@s10"));
    window->setProperty(FEQ, host::Property::Upper, host::Value(1));
    window->setProperty(FEQ, host::Property::Required, host::Value(1));
    window->setProperty(FEQ, host::Property::Immediate, host::Value(1));
}

EditAction LineItemEditor::HandleEvent(host::EventKind event) {
    EditAction action = framework::EntryEditor::HandleEvent(event);
    host::Window* window = EditWindow();
    if (!window || FEQ == 0)
        return action;
    if (event == host::EventKind::NewSelection)
        Complete();
    window->update(FEQ);
    if (isLeaving(action))
        action = Leave(action);
    return action;
}

void LineItemEditor::Complete() {
    host::Window& window = *EditWindow();
    window.update(FEQ);
    int typed = static_cast<int>(window.property(FEQ, host::Property::Caret).toInteger()) - 1;
    std::string text = USEVAR.text();
    if (typed > static_cast<int>(text.size()))
        typed = static_cast<int>(text.size());
    if (typed <= 0) {
        USEVAR.assign(host::Value(""));
        typed = 0;
    } else {
        std::string start = text.substr(0, static_cast<std::size_t>(typed));
        itemField("ITM:ITEMNUMBER").assign(host::Value(start));
        bool completed = false;
        if (ItemFile->setAt(ItemFile->definition().keyNumber("ITM:ITEMNUMBERK")) &&
            ItemAccess->ReadNextQuiet() == framework::Severity::Benign) {
            std::string found = host::clip(itemField("ITM:ITEMNUMBER").text());
            completed = found.size() >= start.size() &&
                        host::upper(found.substr(0, start.size())) == host::upper(start);
            if (completed)
                USEVAR.assign(host::Value(found));
        }
        if (!completed)
            USEVAR.assign(host::Value(start));
    }
    window.display(FEQ);
    window.setProperty(FEQ, host::Property::Caret, host::Value(typed + 1));
}

EditAction LineItemEditor::Leave(EditAction action) {
    host::Window& window = *EditWindow();
    if (host::clip(USEVAR.text()).empty()) {
        rows_.put();
        return AskToGoOn() ? EditAction::None : EditAction::Abandon;
    }
    itemField("ITM:ITEMNUMBER").assign(USEVAR.value());
    if (ItemAccess->FetchOrClear(ItemFile->definition().keyNumber("ITM:ITEMNUMBERK")) !=
        framework::Severity::Benign) {
        // No such item: the item list picks one; without a choice the cell is blank and
        // the editor stays in it.
        GlobalRequest = framework::RequestKind::Select;
        BrowseItems();
        if (GlobalResponse != framework::ResponseKind::Completed) {
            ItemRecord.clear();
            action = EditAction::None;
        }
    }
    USEVAR.assign(itemField("ITM:ITEMNUMBER").value());
    RowField(LineDescription).assign(itemField("ITM:DESCRIPTION").value());
    rows_.put();
    window.display(FEQ);
    window.display(LISTBOXFEQ);
    return action;
}

// ---- Spin boxes --------------------------------------------------------------------------------

void LineSpinEditor::BeginEdit(std::int32_t column, std::int32_t listControl,
                               host::TypedRef variable) {
    SpinEditor::BeginEdit(column, listControl, variable);
    host::Window* window = EditWindow();
    if (!window || FEQ == 0)
        return;
    window->setProperty(FEQ, host::Property::Picture, host::Value(picture_));
    window->setProperty(FEQ, host::Property::RangeLow, host::Value(*host::Decimal::parse(low_)));
    window->setProperty(FEQ, host::Property::RangeHigh, host::Value(*host::Decimal::parse(high_)));
    SetStep(host::Value(*host::Decimal::parse(step_)));
    if (required_)
        window->setProperty(FEQ, host::Property::Required, host::Value(1));
}

void LineSpinEditor::ArmEditKeys() {
    SpinEditor::ArmEditKeys();
    if (host::Window* window = EditWindow(); window && FEQ != 0) {
        window->clearAlert(FEQ, host::KeyCode::Down);
        window->clearAlert(FEQ, host::KeyCode::Up);
    }
}

void LineSpinEditor::CopyControls() {
    if (host::Window* window = EditWindow())
        window->update();
}

EditAction LineSpinEditor::KindAction(host::EventKind event) {
    EditAction action = SpinEditor::HandleEvent(event);
    host::Window* window = EditWindow();
    if (!window || FEQ == 0 || !isLeaving(action))
        return action;
    // What the user typed is taken only when it is a number the cell can show and not
    // below its lowest value: never cut to fit without a word.
    std::optional<host::Decimal> shown = shownNumber(*window, FEQ);
    host::Decimal low = *host::Decimal::parse(low_);
    // A required cell left at 0 is empty, which the editors ask about.
    shownEmpty_ = shown && shown->isZero();
    bool refused = false;
    if (shown && *shown < low && !(required_ && shownEmpty_)) {
        host::showMessage("The value cannot be less than " + low.toString() + ".",
                          "Value Not Allowed", host::MessageIcon::Exclamation, host::ButtonOk,
                          host::ButtonOk);
        refused = true;
    } else if (!shown || !window->update(FEQ)) {
        host::showMessage(
            "\"" + host::clip(window->property(FEQ, host::Property::Contents).toText()) +
                "\" is not a value this column can hold.",
            "Value Not Allowed", host::MessageIcon::Exclamation, host::ButtonOk, host::ButtonOk);
        refused = true;
    }
    if (refused) {
        window->display(FEQ);
        window->select(FEQ);
        return EditAction::None;
    }
    return action;
}

EditAction LineQuantityEditor::HandleEvent(host::EventKind event) {
    EditAction action = KindAction(event);
    host::Window* window = EditWindow();
    if (!window || FEQ == 0)
        return action;
    if (isLeaving(action) && ShownEmpty())
        action = AskToGoOn() ? EditAction::None : EditAction::Abandon;
    // Taking the focus changes nothing: a new line's quantity shows 0 until the user
    // leaves the cell, so that leaving it empty can be asked about.
    if (event == host::EventKind::Selected)
        return action;
    CopyControls();
    if (USEVAR.integer() == 0)
        USEVAR.assign(host::Value(1));
    if (!PriceExtended(isLeaving(action)) && isLeaving(action))
        action = EditAction::None;
    window->display();
    return action;
}

EditAction LineCostEditor::HandleEvent(host::EventKind event) {
    EditAction action = KindAction(event);
    host::Window* window = EditWindow();
    if (!window || FEQ == 0)
        return action;
    if (isLeaving(action) && ShownEmpty())
        action = AskToGoOn() ? EditAction::None : EditAction::Abandon;
    bool priced = true;
    host::Decimal cost = RowField(LineCost).decimal();
    if (!cost.isZero()) {
        CopyControls();
        cost = RowField(LineCost).decimal();
        if (std::optional<host::Decimal> list = linePricing::listPrice(cost)) {
            RowField(LineList).assign(host::Value(*list));
        } else {
            if (isLeaving(action))
                TellTooLarge("list price", cost * ListPriceFactor);
            priced = false;
        }
        window->display();
        if (RowField(LineSell).decimal().isZero()) {
            CopyControls();
            RowField(LineSell).assign(RowField(LineList).value());
            window->display();
        }
    }
    CopyControls();
    priced = PriceExtended(isLeaving(action)) && priced;
    window->display();
    if (!priced && isLeaving(action))
        action = EditAction::None;
    return action;
}

EditAction LineListEditor::HandleEvent(host::EventKind event) {
    return KindAction(event);
}

EditAction LineSellEditor::HandleEvent(host::EventKind event) {
    EditAction action = KindAction(event);
    host::Window* window = EditWindow();
    if (!window || FEQ == 0)
        return action;
    CopyControls();
    if (RowField(LineSell).decimal().isZero()) {
        RowField(LineSell).assign(recordList_.value());
        window->display();
    }
    CopyControls();
    if (!PriceExtended(isLeaving(action)) && isLeaving(action))
        action = EditAction::None;
    window->display();
    return action;
}

// ---- Print? ------------------------------------------------------------------------------------

void LinePrintEditor::BeginEdit(std::int32_t column, std::int32_t listControl,
                                host::TypedRef variable) {
    CheckEditor::BeginEdit(column, listControl, variable);
    host::Window* window = EditWindow();
    if (!window || FEQ == 0)
        return;
    window->setProperty(FEQ, host::Property::Text, host::Value(""));
    window->setProperty(FEQ, host::Property::Transparent, host::Value(1));
    // The check box shows the line's flag: "1" ticked, "0" not.
    window->setProperty(FEQ, host::Property::Checked,
                        host::Value(host::clip(USEVAR.text()) == "1" ? 1 : 0));
}

} // namespace app
