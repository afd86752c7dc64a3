#pragma once

#include "app/BrowseProcedureWindow.h"
#include "framework/browse/BrowseList.h"
#include "framework/browse/TypedLocator.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/base/TypedRef.h"

#include <cstdint>

namespace host {
class Queue;
class Window;
} // namespace host

namespace app {

// The invoice list ("P38$BROWSEWINDOW", "Invoices on File"), a child window of the frame
// that the "&Invoices" item starts on a thread of its own. It lists the invoices by
// number (seven digits with leading zeros), each with its date (blank when it has none)
// and the current name of the customer it is billed to; typing digits on the list finds
// an invoice by its number. "&Insert", "&Change" and "&Delete" run the invoice form
// (EditHeader) on the same thread.
void BrowseInvoices();

// The list of invoices: each row fetches the name of the invoice's customer as it is
// filled, so that a renamed customer shows under the new name, and an invoice whose
// customer is gone shows none.
class InvoiceBrowse : public framework::BrowseList {
public:
    explicit InvoiceBrowse(host::TypedRef customerName) : customerName_(customerName) {}
    void FillRow() override;

private:
    host::TypedRef customerName_;
};

// The list's window controller.
class InvoiceBrowseWindow : public BrowseProcedureWindow {
public:
    static constexpr std::int32_t Sheet = 1;
    static constexpr std::int32_t ListControl = 3;
    static constexpr std::int32_t InsertButton = 4;
    static constexpr std::int32_t ChangeButton = 5;
    static constexpr std::int32_t DeleteButton = 6;
    static constexpr std::int32_t SelectButton = 7;
    static constexpr std::int32_t CloseButton = 8;
    static constexpr std::int32_t QueryResult = 9;
    static constexpr std::int32_t QueryButton = 10;
    static constexpr std::int32_t ToolboxButton = 11;

    InvoiceBrowseWindow(host::Window& window, host::Queue& rows);
    ~InvoiceBrowseWindow() override;

    framework::Severity Setup() override;
    framework::Severity Teardown() override;
    // Runs the invoice form for `request`, whatever the number; its response.
    std::uint8_t CallProcedure(std::uint16_t number, std::uint8_t request) override;

    InvoiceBrowse& Browse() { return browse_; }
    // Tears the locator down and closes the view, once the window has gone.
    void Release();

    // The row of the list: invoice number, date, customer name, the invoice's id, the
    // customer's number, and the view position the browse keeps per row.
    static host::SharedLayout RowLayout();

private:
    host::Variable customerName_;
    InvoiceBrowse browse_;
    framework::TypedLocator numberLocator_;
};

} // namespace app
