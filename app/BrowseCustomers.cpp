#include "app/BrowseCustomers.h"

#include "app/DataDictionary.h"
#include "app/EditCustomers.h"
#include "app/Globals.h"
#include "app/Main.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/Queue.h"
#include "runtime/files/RecordFile.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

#include <string>

namespace app {

using framework::Severity;
using host::FieldType;

namespace {

constexpr const char* browseWindow = "P33$BROWSEWINDOW";

// Row fields.
enum RowField { RowName = 1, RowNumber, RowPhone, RowContact, RowCustomerId, RowViewPosition };

} // namespace

bool CustomerBrowse::ReapplySort(std::uint8_t force) {
    host::Window* window = ListWindow();
    const host::Control* sheet = window ? window->control(CustomerBrowseWindow::Sheet) : nullptr;
    bool byNumber = sheet && sheet->selectedRow() == 2;
    // The title says how the list is sorted, so that it never contradicts the tab (and
    // two lists open side by side can be told apart).
    std::string title = byNumber ? "List of Customers by Number" : "List of Customers by Name";
    if (window && window->title() != title)
        window->setTitle(title);
    return SelectSort(byNumber ? ByNumber : ByName, force);
}

host::SharedLayout CustomerBrowseWindow::RowLayout() {
    static const host::SharedLayout layout =
        std::make_shared<const host::RecordLayout>(host::RecordLayout{
            {"NAME", FieldType::text(30)},
            {"NUMBER", FieldType::text(4)},
            {"PHONE", FieldType::text(10)},
            {"CONTACT", FieldType::text(20)},
            {"CUSTOMERID", FieldType::longInteger()},
            {"VIEWPOSITION", FieldType::text(1024)},
        });
    return layout;
}

CustomerBrowseWindow::CustomerBrowseWindow(host::Window& window, host::Queue& rows)
    : BrowseProcedureWindow("BrowseCustomers", window, rows,
                            {ListControl, CloseButton, SelectButton, InsertButton, ChangeButton,
                             DeleteButton, QueryButton, QueryResult, ToolboxButton}) {}

CustomerBrowseWindow::~CustomerBrowseWindow() = default;

Severity CustomerBrowseWindow::Setup() {
    Severity level = BeginBrowse(*CustomerLink);
    if (level == Severity::Benign)
        level = OpenList(browse_, *CustomerAccess, *CustomerFile,
                         rows_.buffer().field(RowViewPosition), *CustomerLink);
    if (level != Severity::Benign)
        return level;

    browse_.DefineSortOrder("CUS:NUMBERK");
    numberLocator_.Setup(0, CustomerRecord.field("CUS:NUMBER"), true, browse_);
    browse_.SetLocator(numberLocator_);
    browse_.DefineSortOrder("CUS:NAMEK");
    nameLocator_.Setup(0, CustomerRecord.field("CUS:NAME"), true, browse_);
    browse_.SetLocator(nameLocator_);

    const host::Record& row = rows_.buffer();
    browse_.MapColumn(CustomerRecord.field("CUS:NAME"), row.field(RowName));
    browse_.MapColumn(CustomerRecord.field("CUS:NUMBER"), row.field(RowNumber));
    browse_.MapColumn(CustomerRecord.field("CUS:PHONE"), row.field(RowPhone));
    browse_.MapColumn(CustomerRecord.field("CUS:CONTACT"), row.field(RowContact));
    browse_.MapColumn(CustomerRecord.field("CUS:CUSTOMERID"), row.field(RowCustomerId));

    AttachButtons(browse_);
    browse_.ASKPROCEDURE = 1; // EditCustomers
    ResizeWithWindow();
    ArmKeys();
    return Severity::Benign;
}

std::uint8_t CustomerBrowseWindow::CallProcedure(std::uint16_t number, std::uint8_t request) {
    WindowController::CallProcedure(number, request);
    // The list has one update procedure, the customer form.
    GlobalRequest = request;
    EditCustomers();
    return GlobalResponse;
}

Severity CustomerBrowseWindow::Teardown() {
    return EndProcedure();
}

void CustomerBrowseWindow::Release() {
    numberLocator_.Teardown();
    nameLocator_.Teardown();
    ReleaseView();
}

void BrowseCustomers() {
    host::Queue rows(CustomerBrowseWindow::RowLayout());
    RunProcedureWindow<CustomerBrowseWindow>(browseWindow, rows);
    rows.free();
}

} // namespace app
