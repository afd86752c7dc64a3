#include "app/EditHeader.h"

#include "app/BrowseCustomers.h"
#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "app/Globals.h"
#include "app/Main.h"
#include "app/Reports.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/Clock.h"
#include "runtime/base/Queue.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/base/Value.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordFileDriver.h"
#include "runtime/files/RecordView.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/KeyCode.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

namespace app {

using framework::RequestKind;
using framework::ResponseKind;
using framework::Severity;
using host::FieldType;

namespace {

constexpr const char* formWindow = "P48$QUICKWINDOW";

// The customer list, the form's one update procedure, used as a lookup.
constexpr std::uint16_t CustomerLookup = 1;

// The price columns, which " Skip Price Columns" passes over.
constexpr std::int32_t CostColumn = 5;
constexpr std::int32_t SellColumn = 7;

// The list's icons: 1 a line not printed, 2 a printed one.
constexpr int NotPrintedIcon = 1;
constexpr int PrintedIcon = 2;

struct History {
    host::Record record{files::invHdr().layout()};
    bool cleared = false;
};

History& history() {
    static History kept;
    return kept;
}

host::TypedRef headerField(std::string_view label) {
    return InvHdrRecord.field(label);
}

host::TypedRef lineField(std::string_view label) {
    return InvDetRecord.field(label);
}

// A number cell showing nothing or 0 (in any spelling: "0.00", "$0.00").
bool showsZero(const std::string& shown) {
    std::string plain;
    for (char c : shown)
        if (c != ',' && c != '$' && c != ' ')
            plain += c;
    std::optional<host::Decimal> number = host::Decimal::parse(plain);
    return plain.empty() || (number && number->isZero());
}

} // namespace

// ---- The lines list --------------------------------------------------------------------------

std::uint8_t InvoiceLinesBrowse::AskUpdate(std::uint8_t request) {
    if (request == RequestKind::Insert || request == RequestKind::Change ||
        request == RequestKind::Delete)
        ASKPROCEDURE = 0;
    return BrowseList::AskUpdate(request);
}

void InvoiceLinesBrowse::FillRow() {
    std::optional<host::Decimal> amount =
        linePricing::extended(lineField("IND:QUANTITY").integer(), lineField("IND:SELL").decimal());
    // A line whose amount would not fit (written by another program) shows none rather
    // than a wrong one.
    extended_.assign(host::Value(amount ? *amount : host::Decimal(0)));
    // A new line has no item yet, so no description (whatever item was read last).
    if (host::clip(lineField("IND:ITEMNUMBER").text()).empty())
        ItemRecord.field("ITM:DESCRIPTION").assign(host::Value(""));
    BrowseList::FillRow();
    bool printed = host::clip(lineField("IND:PRINT").text()) == "1";
    LISTQUEUE->buffer()
        .field(LinePrintIcon)
        .assign(host::Value(printed ? PrintedIcon : NotPrintedIcon));
}

void InvoiceLinesBrowse::AfterUpdate(std::uint8_t& request, std::uint8_t& response) {
    savedRowOnly_ =
        FILELOADED && request == RequestKind::Change && response == ResponseKind::Completed;
    BrowseList::AfterUpdate(request, response);
    savedRowOnly_ = false;
}

void InvoiceLinesBrowse::ResetToFile() {
    bool rowOnly = savedRowOnly_;
    savedRowOnly_ = false;
    if (rowOnly && RefillSavedRow())
        return;
    BrowseList::ResetToFile();
}

bool InvoiceLinesBrowse::RefillSavedRow() {
    host::Queue& rows = *LISTQUEUE;
    std::size_t row = CURRENTCHOICE > 0 ? static_cast<std::size_t>(CURRENTCHOICE) : 0;
    if (row == 0 || row > rows.count())
        return false;
    // The record buffer holds the line as it was saved.
    std::int64_t sequence = lineField("IND:SEQUENCE").integer();
    auto sequenceOf = [&](std::size_t at) {
        rows.get(at);
        return rows.buffer().field(LineSequence).integer();
    };
    if ((row > 1 && sequenceOf(row - 1) >= sequence) ||
        (row < rows.count() && sequenceOf(row + 1) <= sequence))
        return false;
    rows.get(row);
    std::string position = VIEWPOSITION.text();
    // The item buffer holds the line's item already when its cell was left in this edit
    // (or the list read the row with it): it is read again only for another item.
    host::TypedRef itemNumber = ItemRecord.field("ITM:ITEMNUMBER");
    host::TypedRef linesItem = lineField("IND:ITEMNUMBER");
    if (itemNumber.text() != linesItem.text()) {
        itemNumber.assign(linesItem.value());
        ItemAccess->FetchOrClear(ItemFile->definition().keyNumber("ITM:ITEMNUMBERK"));
    }
    FillRow();
    VIEWPOSITION.assign(host::Value(position));
    rows.put();
    return true;
}

// ---- The lines' edit manager -----------------------------------------------------------------

bool InvoiceLineEditManager::IsColumnEditable() {
    if (COLUMN >= CostColumn && COLUMN <= SellColumn) {
        if (host::Window* window = Window())
            window->update();
        if (skipPriceColumns_.integer() != 0)
            return false;
    }
    return InPlaceEditManager::IsColumnEditable();
}

void InvoiceLineEditManager::FinishRow(std::uint8_t force) {
    // Abandoning a line (Esc, or a "Field Validation" answered No) drops it without
    // looking at its cells.
    host::Window* window = Window();
    if (!window || force == Drop || host::keyCode() == host::KeyCode::Esc || !EQ) {
        InPlaceEditManager::FinishRow(force);
        return;
    }
    for (const framework::BrowseList::EditListEntry& entry : *EQ) {
        auto* editor = static_cast<framework::CellEditor*>(entry.CONTROL);
        if (!editor || editor->FEQ == 0)
            continue;
        // A number is empty when it shows 0, before a spin box's range makes it its
        // lowest value.
        std::string shown = window->property(editor->FEQ, host::Property::Contents).toText();
        window->update(editor->FEQ);
        bool required = window->property(editor->FEQ, host::Property::Required).toInteger() != 0;
        if (!required)
            continue;
        bool empty = editor->USEVAR.type().isText() ? host::clip(editor->USEVAR.text()).empty()
                                                    : showsZero(shown);
        if (!empty)
            continue;
        BlankColumn();
        COLUMN = entry.FIELD;
        SEEKFORWARD = 1;
        NextEditableColumn();
        RefreshColumn();
        unsigned answer = host::showMessage(
            "One or more required Column(s) are empty. End Editing will lose your changes.| "
            "|Do you want to continue Editing?",
            "Field Validation", host::MessageIcon::Exclamation, host::ButtonYes | host::ButtonNo,
            host::ButtonYes);
        if (answer == host::ButtonNo) {
            InPlaceEditManager::FinishRow(Drop);
        } else {
            REPOST = host::EventKind::None;
            AGAIN = 1;
        }
        return;
    }
    if (!HeaderStillThere()) {
        host::showMessage("This invoice has been deleted at another station, so its lines "
                          "cannot be saved.| |The line is dropped; close the invoice.",
                          "Invoice Deleted", host::MessageIcon::Exclamation, host::ButtonOk,
                          host::ButtonOk);
        InPlaceEditManager::FinishRow(Drop);
        return;
    }
    InPlaceEditManager::FinishRow(force);
}

bool InvoiceLineEditManager::HeaderStillThere() {
    // Asked of the file without reading the header, so that the header the form holds (and
    // the version of it that a change of the header is checked against) stays as it is. A
    // new invoice's header is a placeholder, which holds its number too.
    int key = InvHdrFile->definition().keyNumber("INH:INVHDRIDK");
    if (InvHdrFile->wouldDuplicate(key))
        return true;
    if (host::errorCode() == 0)
        return false;
    // The file could not tell (busy, damaged): the header is read as the form reads it, so
    // that the error reporter says why.
    std::uint16_t state = InvHdrAccess->StoreState();
    bool there = InvHdrAccess->ReadByKey(key) == Severity::Benign;
    InvHdrAccess->RecallState(state, true);
    return there;
}

// ---- The form --------------------------------------------------------------------------------

host::SharedLayout InvoiceForm::LineLayout() {
    static const host::SharedLayout layout =
        std::make_shared<const host::RecordLayout>(host::RecordLayout{
            {"SEQUENCE", FieldType::longInteger()},
            {"ITEMNUMBER", FieldType::text(10)},
            {"DESCRIPTION", FieldType::text(30)},
            {"QUANTITY", FieldType::longInteger()},
            {"COST", FieldType::decimal(7, 2)},
            {"LIST", FieldType::decimal(7, 2)},
            {"SELL", FieldType::decimal(7, 2)},
            {"PRINT", FieldType::text(1)},
            {"PRINTICON", FieldType::shortInteger()},
            {"EXTENDED", FieldType::decimal(7, 2)},
            {"INVDETID", FieldType::longInteger()},
            {"INVHDRID", FieldType::longInteger()},
            {"VIEWPOSITION", FieldType::text(1024)},
        });
    return layout;
}

void InvoiceForm::ForgetHistory() {
    history().cleared = false;
}

InvoiceForm::InvoiceForm(host::Window& window, host::Queue& lines)
    : ProcedureWindow("EditHeader"), window_(window), rows_(lines),
      actionMessage_(FieldType::text(40)), skipPriceColumns_(FieldType::byte()),
      showEipMovements_(FieldType::byte()), extendedAmount_(FieldType::decimal(7, 2)),
      lines_(extendedAmount_), editManager_(skipPriceColumns_), itemEditor_(lines),
      quantityEditor_(lines), costEditor_(lines), listEditor_(lines),
      sellEditor_(lines, lineField("IND:LIST")) {}

InvoiceForm::~InvoiceForm() = default;

Severity InvoiceForm::Setup() {
    Severity level = BeginProcedure(InvoiceEntry);
    if (level != Severity::Benign)
        return level;
    RegisterFile(*InvHdrAccess);
    HISTORYKEY = host::KeyCode::CtrlQuote;
    if (!history().cleared) {
        history().record.clear();
        history().cleared = true;
    }
    RegisterHistoryField(InvHdrRecord, history().record);
    RegisterHistoryField(InvoiceEntry, 3);
    RegisterHistoryField(CustomerEntry, 1);
    RegisterHistoryField(DateEntry, 4);
    RegisterButton(CancelButton, ResponseKind::Cancelled);

    OpenFiles(*CustomerLink);
    OpenFiles(*InvDetLink);
    OpenFiles(*ItemLink);
    PRIMARY = InvHdrLink;
    DELETEACTION = 3; // show the invoice; delete it with its lines when OK is pressed
    CANCELACTION = 0;
    OKCONTROL = OkButton;
    if (BeginRequest() != Severity::Benign)
        return Severity::Notify;

    view_ = InvDetAccess->DRIVER->makeView(*InvDetFile);
    if (!view_)
        return Severity::Notify; // the driver has said why
    // Each line's item, so that ITM:DESCRIPTION holds the line's description as the rows
    // are filled.
    view_->join(*ItemFile, "ITM:ITEMNUMBER = IND:ITEMNUMBER");
    window_.bind("Queue:Lines", rows_);
    window_.bind("LOC:SHOWEIPMOVEMENTS", showEipMovements_);
    window_.bind("LOC:SKIPPRICECOLUMNS", skipPriceColumns_);
    window_.bind("GLO:SHOWROWVALIDATION", host::TypedRef(&ShowRowValidation, FieldType::byte()));
    for (const char* label : {"INH:INVOICENUMBER", "INH:CUSTOMERNUMBER", "INH:DATE"})
        window_.bind(label, headerField(label));
    window_.bind("CUS:NAME", CustomerRecord.field("CUS:NAME"));
    // The customer's name beside its number.
    CustomerRecord.field("CUS:NUMBER").assign(headerField("INH:CUSTOMERNUMBER").value());
    CustomerAccess->FetchOrClear(files::customer().keyNumber("CUS:NUMBERK"));

    lines_.Setup(*this, LinesList, rows_, rows_.buffer().field(LineViewPosition), *view_,
                 *InvDetLink);
    lines_.EIP = &editManager_;
    OpenWindow(window_);
    ArrangeResizing();

    // Every line of the invoice is in the list at once.
    lines_.FILELOADED = 1;
    lines_.DefineSortOrder("IND:INVHDRK");
    lines_.AddRangeFromFile(*InvDetLink, *InvHdrLink);
    sequenceLocator_.Setup(0, lineField("IND:SEQUENCE"), true, lines_);
    lines_.SetLocator(sequenceLocator_);
    lines_.WatchField(headerField("INH:CUSTOMERNUMBER"));

    window_.setProperty(LinesList, host::Property::Icon, host::Value("~CheckOff.ico"),
                        NotPrintedIcon);
    window_.setProperty(LinesList, host::Property::Icon, host::Value("~CheckOn.ICO"), PrintedIcon);

    const host::Record& row = rows_.buffer();
    lines_.MapColumn(lineField("IND:SEQUENCE"), row.field(LineSequence));
    lines_.MapColumn(lineField("IND:ITEMNUMBER"), row.field(LineItemNumber));
    lines_.MapColumn(ItemRecord.field("ITM:DESCRIPTION"), row.field(LineDescription));
    lines_.MapColumn(lineField("IND:QUANTITY"), row.field(LineQuantity));
    lines_.MapColumn(lineField("IND:COST"), row.field(LineCost));
    lines_.MapColumn(lineField("IND:LIST"), row.field(LineList));
    lines_.MapColumn(lineField("IND:SELL"), row.field(LineSell));
    lines_.MapColumn(lineField("IND:PRINT"), row.field(LinePrint));
    lines_.MapColumn(extendedAmount_, row.field(LineExtended));
    lines_.MapColumn(lineField("IND:INVDETID"), row.field(LineDetailId));
    lines_.MapColumn(lineField("IND:INVHDRID"), row.field(LineHeaderId));

    // The editors, in the order the columns were registered in from the start: the
    // description and the extended amount are not edited.
    lines_.AddEditControl(&sequenceEditor_, 1, false);
    lines_.AddEditControl(&itemEditor_, 2, false);
    lines_.AddEditControl(&quantityEditor_, 4, false);
    lines_.AddEditControl(&sellEditor_, 7, false);
    lines_.AddEditControl(&listEditor_, 6, false);
    lines_.AddEditControl(&costEditor_, 5, false);
    lines_.AddEditControl(&printEditor_, PrintColumn, false);
    lines_.AddEditControl(nullptr, 3, false);
    lines_.AddEditControl(nullptr, 9, false);

    // Down and Up save the line and go on editing the next (previous) one in the same
    // column.
    lines_.ARROWACTION = 24;
    lines_.INSERTCONTROL = InsertButton;
    lines_.CHANGECONTROL = ChangeButton;
    lines_.DELETECONTROL = DeleteButton;
    lines_.AttachToolbar(toolbar_);
    ArmKeys();
    return Severity::Benign;
}

void InvoiceForm::ArrangeResizing() {
    using Resizer = framework::WindowResizer;
    auto position = [](std::uint8_t horizontal, std::uint8_t vertical) {
        return static_cast<std::uint16_t>(horizontal | (vertical << 8u));
    };
    constexpr std::uint16_t keepSize = Resizer::KeepWidth | Resizer::KeepHeight;
    resizer_.Setup(window_, 2, true, false);
    // The lines grow with the window; the header stays at the top, the options and the
    // buttons under the list.
    resizer_.SetStrategy(LinesList, position(Resizer::NearEdge, Resizer::NearEdge),
                         Resizer::WidthToRightEdge | Resizer::HeightToBottomEdge);
    for (std::int32_t control :
         {OptionsGroup, ShowMovementsCheck, SkipPricesCheck, RowValidationCheck})
        resizer_.SetStrategy(control, position(Resizer::NearEdge, Resizer::FarEdge), keepSize);
    for (std::int32_t control :
         {InsertButton, ChangeButton, DeleteButton, OkButton, CancelButton, PrintButton})
        resizer_.SetStrategy(control, position(Resizer::FarEdge, Resizer::FarEdge), keepSize);
    AttachResizer(resizer_);
}

void InvoiceForm::PrimeNewRecord() {
    headerField("INH:DATE").assign(host::Value(host::today()));
    ProcedureWindow::PrimeNewRecord();
}

std::string InvoiceForm::Title() const {
    switch (REQUEST) {
    case RequestKind::Insert:
        return "Inserting an Invoice";
    case RequestKind::Change:
        return "Editiing an Invoice";
    case RequestKind::Delete:
        return "Deleting Invoice";
    default:
        return window_.title();
    }
}

void InvoiceForm::PumpEvents() {
    actionMessage_.assign(host::Value(Title()));
    window_.setTitle(Title());
    ProcedureWindow::PumpEvents();
}

Severity InvoiceForm::OnAccepted() {
    Severity level = ProcedureWindow::OnAccepted();
    if (level != Severity::Benign)
        return level;
    switch (window_.acceptedControl()) {
    case CustomerEntry:
        return OnCustomerAccepted();
    case LookupButton:
        LookUpCustomer();
        break;
    case PrintButton:
        SyncBuffers();
        InvoiceRpt();
        Refresh(0);
        break;
    default:
        break;
    }
    return Severity::Benign;
}

Severity InvoiceForm::OnCustomerAccepted() {
    // The lines reload in place; the reading puts the watched customer number back as it
    // was at the last load, so the number typed is kept aside meanwhile.
    host::TypedRef number = headerField("INH:CUSTOMERNUMBER");
    host::Value typed = number.value();
    lines_.Reload(framework::BrowseList::RefreshInPlace);
    number.assign(typed);
    bool required = window_.property(CustomerEntry, host::Property::Required).toInteger() != 0;
    if (!host::clip(number.text()).empty() || required) {
        CustomerRecord.field("CUS:NUMBER").assign(number.value());
        Severity found = CustomerAccess->ReadByKey(files::customer().keyNumber("CUS:NUMBERK"));
        if (found != Severity::Benign) {
            if (CallProcedure(CustomerLookup, RequestKind::Select) == ResponseKind::Completed) {
                number.assign(CustomerRecord.field("CUS:NUMBER").value());
            } else {
                window_.select(CustomerEntry);
                return Severity::Notify;
            }
        }
    } else {
        CustomerRecord.clear();
    }
    Refresh(1);
    return Severity::Benign;
}

void InvoiceForm::LookUpCustomer() {
    SyncBuffers();
    CustomerRecord.field("CUS:NUMBER").assign(headerField("INH:CUSTOMERNUMBER").value());
    if (CallProcedure(CustomerLookup, RequestKind::Select) == ResponseKind::Completed)
        headerField("INH:CUSTOMERNUMBER").assign(CustomerRecord.field("CUS:NUMBER").value());
    Refresh(1);
}

Severity InvoiceForm::OnControlEvent() {
    Severity level = ProcedureWindow::OnControlEvent();
    if (window_.eventControl() == LinesList &&
        window_.currentEvent() == host::EventKind::NewSelection &&
        host::keyCode() == host::KeyCode::MouseLeft &&
        window_.property(LinesList, host::Property::MouseColumn).toInteger() == PrintColumn)
        TogglePrint();
    return level;
}

void InvoiceForm::TogglePrint() {
    // The click is used up: the list's own new selection, posted below, is no click.
    host::setKeyCode(0);
    std::int64_t chosen = window_.property(LinesList, host::Property::Selected).toInteger();
    if (chosen < 1 || !rows_.get(static_cast<std::size_t>(chosen)))
        return;
    lines_.CURRENTCHOICE = static_cast<std::int32_t>(chosen);
    lines_.CopyRowToFields();
    if (InvDetAccess->ReadByKey(InvDetFile->definition().keyNumber("IND:INVDETIDK")) ==
        Severity::Benign) {
        host::TypedRef print = lineField("IND:PRINT");
        print.assign(host::Value(host::clip(print.text()) == "1" ? "0" : "1"));
        InvDetAccess->Update();
    }
    lines_.Reload(framework::BrowseList::RefreshInPlace);
    lines_.ShowCurrentRow();
}

std::uint8_t InvoiceForm::CallProcedure(std::uint16_t number, std::uint8_t request) {
    WindowController::CallProcedure(number, request);
    GlobalRequest = request;
    BrowseCustomers();
    return GlobalResponse;
}

Severity InvoiceForm::Teardown() {
    return EndProcedure();
}

void InvoiceForm::Release() {
    sequenceLocator_.Teardown();
    if (view_) {
        view_->close();
        view_.reset();
    }
}

void EditHeader() {
    host::Queue lines(InvoiceForm::LineLayout());
    RunProcedureWindow<InvoiceForm>(formWindow, lines);
    lines.free();
}

} // namespace app
