#include "app/Reports.h"

#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "app/Globals.h"
#include "app/ItemPictures.h"
#include "app/Main.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "framework/window/ResponseKind.h"
#include "runtime/base/Clock.h"
#include "runtime/base/Decimal.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/base/Value.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordFileDriver.h"
#include "runtime/files/RecordView.h"
#include "runtime/pictures/Picture.h"
#include "runtime/report/Report.h"
#include "runtime/report/ReportResources.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

#include <algorithm>

namespace app {

using framework::ResponseKind;
using framework::Severity;
using host::FieldType;

namespace {

constexpr std::int32_t ProgressText = 3;
constexpr std::int32_t CancelButton = 4;
constexpr int DetailBand = 8;

host::TypedRef field(host::Record& record, std::string_view label) {
    return record.field(label);
}

host::SharedLayout lineLayout() {
    static const host::SharedLayout layout =
        std::make_shared<const host::RecordLayout>(host::RecordLayout{
            {"IPQ:ITEMNUMBER", FieldType::text(10)},
            {"IPQ:QUANTITY", FieldType::longInteger()},
            {"IPQ:SEQUENCE", FieldType::longInteger()},
            {"IPQ:SELL", FieldType::decimal(7, 2)},
            {"IPQ:EXTENDED", FieldType::decimal(7, 2)},
        });
    return layout;
}

// Runs one report procedure: loads its progress window and report, runs the driver and
// answers its response in GlobalResponse.
template <typename Procedure> void runReport(const char* windowName, const char* reportName) {
    auto definition = host::WindowResources::program().load(windowName, WindowModule);
    auto reportDefinition = host::ReportResources::program().load(reportName, WindowModule);
    if (!definition || !reportDefinition) {
        if (definition)
            host::WindowResources::program().release(windowName, WindowModule);
        GlobalResponse = ResponseKind::Cancelled;
        return;
    }
    {
        host::Window window(definition);
        host::Report report(reportDefinition);
        Procedure procedure(window, report);
        GlobalResponse = procedure.Execute();
    }
    host::WindowResources::program().release(windowName, WindowModule);
}

// The invoice report's own messages, added to the reporter's table on first use.
void addInvoiceMessages(framework::ErrorReporter& errors) {
    if (std::any_of(errors.ERRORS.begin(), errors.ERRORS.end(),
                    [](const auto& entry) { return entry.ID == InvoiceReport::NoLinesMessage; }))
        return;
    errors.ERRORS.push_back({InvoiceReport::NoLinesMessage,
                             "Invoice %Message has no lines yet, so there is nothing to print.",
                             "Nothing to Print", static_cast<std::uint8_t>(Severity::Notify)});
    errors.ERRORS.push_back(
        {InvoiceReport::NoShopSettingsMessage,
         "The invoice prints the shop's name and tax rate, which are not entered yet. Enter "
         "them with Shop Settings... in the File menu, then print the invoice again.",
         "No Shop Settings", static_cast<std::uint8_t>(Severity::Notify)});
}

} // namespace

// --- Shared

ReportProcedure::ReportProcedure(std::string name, host::Window& window, host::Report& report)
    : window_(window), report_(report), progress_(FieldType::byte()), name_(std::move(name)) {}

ReportProcedure::~ReportProcedure() = default;

Severity ReportProcedure::Begin() {
    GlobalErrors().TrackProcedure(name_, false);
    REQUEST = GlobalRequest;
    Severity level = ReportDriver::Setup();
    if (level != Severity::Benign)
        return level;
    FIRSTFIELD = 1;
    VCRREQUEST = &GlobalVcrRequest;
    ERRORS = &GlobalErrors();
    GlobalRequest = 0;
    GlobalResponse = 0;
    return Severity::Benign;
}

void ReportProcedure::OpenProgressWindow() {
    window_.bind("LOC:PROGRESS", progress_);
    OpenWindow(window_);
}

void ReportProcedure::Finish(framework::RecordProcessor& processor,
                             framework::RelationLink& primary, std::int16_t zoom) {
    RegisterButton(CancelButton, ResponseKind::Cancelled);
    Attach(processor, &report_, &preview_);
    window_.setProperty(2, host::Property::Text, host::Value(""));
    primary.SwitchQuickScan(true);
    ZOOM = zoom;
    preview_.ALLOWUSERZOOM = 1;
    preview_.MAXIMIZE = 1;
    preview_.ERRORS = &GlobalErrors();
    ArmKeys();
}

Severity ReportProcedure::Teardown() {
    Severity level = ReportDriver::Teardown();
    if (level != Severity::Benign)
        return level;
    if (view_) {
        view_->close();
        view_.reset();
    }
    if (filesOpened_) {
        while (!opened_.empty()) {
            opened_.back()->Close();
            opened_.pop_back();
        }
    }
    GlobalErrors().TrackProcedure("", true);
    return level;
}

// --- The inventory

Severity InventoryProcessor::HandleRecord() {
    // The item's picture prints beside it (nothing when it has none).
    report_.setText(12,
                    ItemPictures::shownFile(host::clip(ItemRecord.field("ITM:ICONFILE").text())));
    Severity level = RecordProcessor::HandleRecord();
    report_.print(DetailBand);
    return level;
}

InventoryReport::InventoryReport(host::Window& window, host::Report& report)
    : ReportProcedure("PrintInventory", window, report), processor_(report) {}

Severity InventoryReport::Setup() {
    Severity level = Begin();
    if (level != Severity::Benign)
        return level;
    ItemLink->Open();
    opened_.push_back(ItemLink);
    filesOpened_ = true;
    OpenProgressWindow();
    view_ = ItemAccess->DRIVER->makeView(*ItemFile);
    if (!view_)
        return Severity::Notify;
    steps_.Setup(framework::ThumbStep::Letters | framework::ThumbStep::Digits,
                 framework::ThumbStep::ComputedTable);
    processor_.InitStepped(*view_, *ItemLink, ProgressText, progress_, steps_,
                           field(ItemRecord, "ITM:ITEMNUMBER"));
    processor_.DeclareSortOrder("ITM:ITEMNUMBERK");
    for (const char* label :
         {"ITM:ITEMNUMBER", "ITM:DESCRIPTION", "ITM:COST", "ITM:LIST", "ITM:SELL", "ITM:UOM"})
        report_.bind(label, field(ItemRecord, label));
    Finish(processor_, *ItemLink, -1);
    return Severity::Benign;
}

Severity InventoryReport::StartReport() {
    Severity level = ReportDriver::StartReport();
    if (level == Severity::Benign) {
        report_.setText(7, host::formatPicture(host::Value(host::today()), "@d18"));
        report_.setText(4, host::formatPicture(host::Value(host::clockNow()), "@t8"));
        report_.showPageNumber(20);
    }
    return level;
}

void PrintInventory() {
    runReport<InventoryReport>("P83$PROGRESSWINDOW", "P83$REPORT");
}

// --- The invoice

InvoiceProcessor::InvoiceProcessor(host::Report& report)
    : LINES(lineLayout()), SUBTOTAL(FieldType::decimal(7, 2)), TAX(FieldType::decimal(7, 2)),
      AMOUNTDUE(FieldType::decimal(7, 2)), TOTALLINE1(FieldType::text(25)),
      TOTALLINE2(FieldType::text(25)), TOTALLINE3(FieldType::text(25)), report_(report) {}

Severity InvoiceProcessor::HandleRecord() {
    Severity level = RecordProcessor::HandleRecord();
    // Gather the invoice's lines, ordered by item number.
    host::TypedRef invoice = InvHdrRecord.field("INH:INVHDRID");
    InvDetRecord.field("IND:INVHDRID").assign(invoice);
    InvDetRecord.field("IND:SEQUENCE").assign(host::Value(0));
    host::Record& line = LINES.buffer();
    if (InvDetFile->setAt(files::invDet().keyNumber("IND:INVHDRK"))) {
        while (InvDetAccess->ReadNext() == Severity::Benign &&
               InvDetRecord.field("IND:INVHDRID").integer() == invoice.integer()) {
            for (const char* name : {"ITEMNUMBER", "QUANTITY", "SEQUENCE", "SELL"})
                line.field(std::string("IPQ:") + name)
                    .assign(InvDetRecord.field(std::string("IND:") + name));
            line.field("IPQ:EXTENDED")
                .assign(host::Value(host::Decimal(InvDetRecord.field("IND:QUANTITY").integer()) *
                                    InvDetRecord.field("IND:SELL").decimal()));
            LINES.add(std::vector<host::QueueKey>{{1, false}});
        }
    }
    // Print them, the running totals at the foot.
    host::Decimal rate = ConfigRecord.field("CON:TAXRATE").decimal();
    std::size_t count = LINES.count();
    for (std::size_t i = 1; i <= count; ++i) {
        LINES.get(i);
        ItemRecord.field("ITM:ITEMNUMBER").assign(line.field("IPQ:ITEMNUMBER"));
        ItemAccess->FetchOrClear(files::item().keyNumber("ITM:ITEMNUMBERK"));
        SUBTOTAL.assign(
            host::Value(SUBTOTAL.value().toDecimal() + line.field("IPQ:EXTENDED").decimal()));
        TAX.assign(host::Value(SUBTOTAL.value().toDecimal() * rate));
        AMOUNTDUE.assign(host::Value(SUBTOTAL.value().toDecimal() + TAX.value().toDecimal()));
        if (i < count) {
            TOTALLINE1.assign(host::Value("Continued next page..."));
        } else {
            TOTALLINE1.assign(
                host::Value("     SubTotal: " + host::formatPicture(SUBTOTAL.value(), "@n-10.2")));
            TOTALLINE2.assign(
                host::Value("          Tax: " + host::formatPicture(TAX.value(), "@n-10.2")));
            TOTALLINE3.assign(
                host::Value("   Amount Due: " + host::formatPicture(AMOUNTDUE.value(), "@n-10.2")));
        }
        report_.print(DetailBand);
    }
    LINES.free();
    return level;
}

InvoiceReport::InvoiceReport(host::Window& window, host::Report& report)
    : ReportProcedure("InvoiceRpt", window, report), processor_(report) {}

Severity InvoiceReport::Setup() {
    Severity level = Begin();
    if (level != Severity::Benign)
        return level;
    for (framework::RelationLink* link : {ConfigLink, CustomerLink, InvDetLink, ItemLink}) {
        link->Open();
        opened_.push_back(link);
    }
    InvHdrAccess->CheckOpen();
    filesOpened_ = true;
    // An empty report would close again without a word: say why there is nothing to print.
    bool hasLines = HasLines();
    if (!hasLines || !HasShopSettings()) {
        framework::ErrorReporter& errors = GlobalErrors();
        addInvoiceMessages(errors);
        if (!hasLines)
            errors.RaiseWithText(
                NoLinesMessage,
                host::formatPicture(InvHdrRecord.field("INH:INVOICENUMBER").value(), "@n07"));
        else
            errors.Raise(NoShopSettingsMessage);
        return Severity::Notify;
    }
    OpenProgressWindow();
    view_ = ConfigAccess->DRIVER->makeView(*ConfigFile);
    if (!view_)
        return Severity::Notify;
    processor_.InitCounted(*view_, *ConfigLink, ProgressText, progress_, 0);
    for (const char* label : {"INH:INVOICENUMBER", "INH:DATE"})
        report_.bind(label, field(InvHdrRecord, label));
    for (const char* label : {"CUS:NAME", "CUS:ADDRESS", "CUS:CITY", "CUS:STATE", "CUS:ZIP"})
        report_.bind(label, field(CustomerRecord, label));
    report_.bind("ITM:DESCRIPTION", field(ItemRecord, "ITM:DESCRIPTION"));
    host::Record& line = processor_.LINES.buffer();
    for (const char* label : {"IPQ:ITEMNUMBER", "IPQ:QUANTITY", "IPQ:SELL", "IPQ:EXTENDED"})
        report_.bind(label, line.field(label));
    report_.bind("LOC:TOTALLINE1", processor_.TOTALLINE1);
    report_.bind("LOC:TOTALLINE2", processor_.TOTALLINE2);
    report_.bind("LOC:TOTALLINE3", processor_.TOTALLINE3);
    Finish(processor_, *ConfigLink, 100);
    return Severity::Benign;
}

bool InvoiceReport::HasLines() {
    host::TypedRef invoice = InvHdrRecord.field("INH:INVHDRID");
    InvDetRecord.field("IND:INVHDRID").assign(invoice);
    InvDetRecord.field("IND:SEQUENCE").assign(host::Value(0));
    return InvDetFile->setAt(files::invDet().keyNumber("IND:INVHDRK")) &&
           InvDetAccess->ReadNextQuiet() == Severity::Benign &&
           InvDetRecord.field("IND:INVHDRID").integer() == invoice.integer();
}

bool InvoiceReport::HasShopSettings() {
    return ConfigFile->set(0) && ConfigAccess->ReadNextQuiet() == Severity::Benign;
}

void InvoiceRpt() {
    runReport<InvoiceReport>("P88$PROGRESSWINDOW", "P88$REPORT");
}

} // namespace app
