#pragma once

#include "app/BrowseProcedureWindow.h"
#include "framework/browse/BrowseList.h"
#include "framework/browse/TypedLocator.h"
#include "runtime/base/RecordLayout.h"

#include <cstdint>

namespace host {
class Queue;
class Window;
} // namespace host

namespace app {

// The customer list ("P33$BROWSEWINDOW", "List of Customers by Name"), a child window of
// the frame that the "&Customers" item starts on a thread of its own. The "by Name" tab
// lists the customers by name, "by Number" by number (and the title then reads "List of
// Customers by Number"); typing on the list finds a customer by what the tab lists by. "&Insert",
// "&Change" and "&Delete" run the customer form (EditCustomers) on the same thread, and the list
// then stands on the customer saved.
//
// It also picks a customer for another procedure: started with GlobalRequest = 4
// (select), it shows "&Select", and "&Select" (or a double click) ends it with
// GlobalResponse = 1 and the chosen customer in the Customer record buffer; "Close"
// ends it with 2 and the buffer as the caller had it.
void BrowseCustomers();

// The list of customers, sorted as the window's tab says.
class CustomerBrowse : public framework::BrowseList {
public:
    // The sort orders, in the order they are defined.
    static constexpr int ByNumber = 1;
    static constexpr int ByName = 2;

    bool ReapplySort(std::uint8_t force) override;
};

// The list's window controller.
class CustomerBrowseWindow : public BrowseProcedureWindow {
public:
    static constexpr std::int32_t Sheet = 1;
    static constexpr std::int32_t ByNumberTab = 2; // the sheet's second tab
    static constexpr std::int32_t ListControl = 4;
    static constexpr std::int32_t InsertButton = 5;
    static constexpr std::int32_t ChangeButton = 6;
    static constexpr std::int32_t DeleteButton = 7;
    static constexpr std::int32_t SelectButton = 8;
    static constexpr std::int32_t CloseButton = 9;
    static constexpr std::int32_t QueryButton = 10;
    static constexpr std::int32_t ToolboxButton = 11;
    static constexpr std::int32_t QueryResult = 12;

    CustomerBrowseWindow(host::Window& window, host::Queue& rows);
    ~CustomerBrowseWindow() override;

    framework::Severity Setup() override;
    framework::Severity Teardown() override;
    // Runs the customer form for `request`; its response.
    std::uint8_t CallProcedure(std::uint16_t number, std::uint8_t request) override;

    CustomerBrowse& Browse() { return browse_; }
    // Tears the locators down and closes the view, once the window has gone.
    void Release();

    // The row of the list: name, number, phone, contact, the customer's id, and the
    // view position the browse keeps per row.
    static host::SharedLayout RowLayout();

private:
    CustomerBrowse browse_;
    framework::TypedLocator numberLocator_;
    framework::TypedLocator nameLocator_;
};

} // namespace app
