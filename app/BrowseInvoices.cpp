#include "app/BrowseInvoices.h"

#include "app/DataDictionary.h"
#include "app/EditHeader.h"
#include "app/FileDeclarations.h"
#include "app/Globals.h"
#include "app/Main.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/Queue.h"
#include "runtime/files/RecordFile.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

namespace app {

using framework::Severity;
using host::FieldType;

namespace {

constexpr const char* browseWindow = "P38$BROWSEWINDOW";

// Row fields.
enum RowField {
    RowNumber = 1,
    RowDate,
    RowCustomerName,
    RowHeaderId,
    RowCustomerNumber,
    RowViewPosition
};

host::TypedRef headerField(std::string_view label) {
    return InvHdrRecord.field(label);
}

} // namespace

void InvoiceBrowse::FillRow() {
    CustomerRecord.field("CUS:NUMBER").assign(headerField("INH:CUSTOMERNUMBER").value());
    CustomerAccess->FetchOrClear(files::customer().keyNumber("CUS:NUMBERK"));
    customerName_.assign(CustomerRecord.field("CUS:NAME").value());
    BrowseList::FillRow();
}

host::SharedLayout InvoiceBrowseWindow::RowLayout() {
    static const host::SharedLayout layout =
        std::make_shared<const host::RecordLayout>(host::RecordLayout{
            {"INVOICENUMBER", FieldType::longInteger()},
            {"DATE", FieldType::longInteger()},
            {"CUSTOMERNAME", FieldType::text(30)},
            {"INVHDRID", FieldType::longInteger()},
            {"CUSTOMERNUMBER", FieldType::text(4)},
            {"VIEWPOSITION", FieldType::text(1024)},
        });
    return layout;
}

InvoiceBrowseWindow::InvoiceBrowseWindow(host::Window& window, host::Queue& rows)
    : BrowseProcedureWindow("BrowseInvoices", window, rows,
                            {ListControl, CloseButton, SelectButton, InsertButton, ChangeButton,
                             DeleteButton, QueryButton, QueryResult, ToolboxButton}),
      customerName_(FieldType::text(30)), browse_(customerName_) {}

InvoiceBrowseWindow::~InvoiceBrowseWindow() = default;

Severity InvoiceBrowseWindow::Setup() {
    Severity level = BeginBrowse(*InvHdrLink);
    if (level != Severity::Benign)
        return level;
    // The rows fetch their customers' names.
    OpenFiles(*CustomerLink);
    level = OpenList(browse_, *InvHdrAccess, *InvHdrFile, rows_.buffer().field(RowViewPosition),
                     *InvHdrLink);
    if (level != Severity::Benign)
        return level;

    browse_.DefineSortOrder("INH:INVOICENUMBERK");
    numberLocator_.Setup(0, headerField("INH:INVOICENUMBER"), true, browse_);
    browse_.SetLocator(numberLocator_);

    const host::Record& row = rows_.buffer();
    browse_.MapColumn(headerField("INH:INVOICENUMBER"), row.field(RowNumber));
    browse_.MapColumn(headerField("INH:DATE"), row.field(RowDate));
    browse_.MapColumn(customerName_, row.field(RowCustomerName));
    browse_.MapColumn(headerField("INH:INVHDRID"), row.field(RowHeaderId));
    browse_.MapColumn(CustomerRecord.field("CUS:NUMBER"), row.field(RowCustomerNumber));

    // "&Query" offers the columns the browse maps from the file (the customer's name,
    // which the rows fetch, is not among them).
    AttachButtons(browse_);
    browse_.ASKPROCEDURE = 1; // EditHeader
    ResizeWithWindow();
    ArmKeys();
    return Severity::Benign;
}

std::uint8_t InvoiceBrowseWindow::CallProcedure(std::uint16_t number, std::uint8_t request) {
    WindowController::CallProcedure(number, request);
    GlobalRequest = request;
    EditHeader();
    return GlobalResponse;
}

Severity InvoiceBrowseWindow::Teardown() {
    return EndProcedure();
}

void InvoiceBrowseWindow::Release() {
    numberLocator_.Teardown();
    ReleaseView();
}

void BrowseInvoices() {
    host::Queue rows(InvoiceBrowseWindow::RowLayout());
    RunProcedureWindow<InvoiceBrowseWindow>(browseWindow, rows);
    rows.free();
}

} // namespace app
