#pragma once

#include "app/InvoiceLineEditors.h"
#include "app/ProcedureWindow.h"
#include "framework/browse/BrowseList.h"
#include "framework/browse/RowLocator.h"
#include "framework/inplace/InPlaceEditManager.h"
#include "framework/window/WindowResizer.h"
#include "runtime/base/Record.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/base/TypedRef.h"

#include <cstdint>
#include <memory>
#include <string>

namespace host {
class Queue;
class RecordView;
class Window;
} // namespace host

namespace app {

// The invoice form ("P48$QUICKWINDOW"): one invoice's header (number, customer, date)
// and its lines, which are inserted, changed and deleted in the list itself, cell by
// cell. The invoice list runs it for an insert, a change or a delete (the request in
// GlobalRequest, the invoice in the InvHdr record buffer) and finds the outcome in
// GlobalResponse.
//
// A new invoice is dated today. A customer number that is no customer's opens the
// customer list to pick one; the lookup button does so at any time. Each line is written
// as soon as it is completed; the header when OK is pressed. Cancelling a new invoice
// takes its lines with it, and deleting an invoice deletes its lines, in one transaction
// frame. A click on a line's Print? icon flips its print flag and writes the line at once.
void EditHeader();

// The lines of the invoice: edited in place always, each row priced as it is filled.
class InvoiceLinesBrowse : public framework::BrowseList {
public:
    explicit InvoiceLinesBrowse(host::TypedRef extendedAmount) : extended_(extendedAmount) {}
    std::uint8_t AskUpdate(std::uint8_t request) override;
    void FillRow() override;
    // After a line changed in place, only its row is filled again, as long as it keeps
    // its place among its neighbours: an invoice of many lines is not read again whole
    // for every line saved.
    void AfterUpdate(std::uint8_t& request, std::uint8_t& response) override;
    void ResetToFile() override;

private:
    // Fills the current row again from the line just saved; false when the line's
    // sequence no longer falls between its neighbours' (the list must be read again).
    bool RefillSavedRow();

    host::TypedRef extended_;
    bool savedRowOnly_ = false;
};

// The lines' edit manager: the price columns are passed over while " Skip Price Columns"
// is ticked, and a line whose required cells (Item, Qty, Cost) are not all filled asks
// "Field Validation" before it is saved.
class InvoiceLineEditManager : public framework::InPlaceEditManager {
public:
    explicit InvoiceLineEditManager(host::TypedRef skipPriceColumns)
        : skipPriceColumns_(skipPriceColumns) {}
    bool IsColumnEditable() override;
    // A line is saved only while its invoice is still in the file (another station may have
    // deleted it): a line without its invoice would stay behind for good.
    void FinishRow(std::uint8_t force) override;

private:
    bool HeaderStillThere();

    host::TypedRef skipPriceColumns_;
};

// The form's window controller.
class InvoiceForm : public ProcedureWindow {
public:
    static constexpr std::int32_t InvoiceEntry = 1;
    static constexpr std::int32_t CustomerEntry = 2;
    static constexpr std::int32_t LookupButton = 3;
    static constexpr std::int32_t CustomerName = 4;
    static constexpr std::int32_t DateEntry = 5;
    static constexpr std::int32_t LinesList = 6;
    static constexpr std::int32_t InsertButton = 7;
    static constexpr std::int32_t ChangeButton = 8;
    static constexpr std::int32_t DeleteButton = 9;
    static constexpr std::int32_t OkButton = 13;
    static constexpr std::int32_t CancelButton = 14;
    static constexpr std::int32_t PrintButton = 15;
    static constexpr std::int32_t OptionsGroup = 16;
    static constexpr std::int32_t ShowMovementsCheck = 17;
    static constexpr std::int32_t SkipPricesCheck = 18;
    static constexpr std::int32_t RowValidationCheck = 19;

    // The list column of the print flag.
    static constexpr std::int32_t PrintColumn = 8;

    InvoiceForm(host::Window& window, host::Queue& lines);
    ~InvoiceForm() override;

    framework::Severity Setup() override;
    framework::Severity Teardown() override;
    void PumpEvents() override;
    void PrimeNewRecord() override;
    framework::Severity OnAccepted() override;
    framework::Severity OnControlEvent() override;
    // The customer list as a lookup; its response.
    std::uint8_t CallProcedure(std::uint16_t number, std::uint8_t request) override;
    // The window's title for the request.
    std::string Title() const;

    InvoiceLinesBrowse& Lines() { return lines_; }
    // Closes the lines view and tears the locator down, once the window has gone.
    void Release();

    // The row of the lines list (InvoiceLineField).
    static host::SharedLayout LineLayout();
    // Ctrl+' recalls from one copy of the InvHdr record that every invoice form shares,
    // cleared on the first form; ForgetHistory clears it again at the next.
    static void ForgetHistory();

private:
    framework::Severity OnCustomerAccepted();
    void LookUpCustomer();
    // A click on a line's Print? cell, outside editing: flips the line's flag and writes
    // the line at once.
    void TogglePrint();
    void ArrangeResizing();

    host::Window& window_;
    host::Queue& rows_;
    host::Variable actionMessage_;
    host::Variable skipPriceColumns_;
    host::Variable showEipMovements_;
    host::Variable extendedAmount_;
    InvoiceLinesBrowse lines_;
    InvoiceLineEditManager editManager_;
    framework::EntryEditor sequenceEditor_;
    LineItemEditor itemEditor_;
    LineQuantityEditor quantityEditor_;
    LineCostEditor costEditor_;
    LineListEditor listEditor_;
    LineSellEditor sellEditor_;
    LinePrintEditor printEditor_;
    framework::RowLocator sequenceLocator_;
    std::unique_ptr<host::RecordView> view_;
    framework::WindowResizer resizer_;
};

} // namespace app
