#pragma once

#include "framework/browse/ThumbStep.h"
#include "framework/report/PreviewWindow.h"
#include "framework/report/RecordProcessor.h"
#include "framework/report/ReportDriver.h"
#include "runtime/base/Queue.h"
#include "runtime/base/TypedRef.h"

#include <memory>
#include <string>

namespace host {
class RecordView;
class Report;
class Window;
} // namespace host

namespace app {

// The inventory report ("P83$REPORT"): every item on a line, in item-number order, with
// its picture; the progress follows the item numbers. The item list's "&Print" runs it.
// The pages are shown in the print preview, which prints the pages the user chooses.
void PrintInventory();

// The invoice report ("P88$REPORT"): the invoice in the InvHdr record buffer, with its
// customer from the Customer buffer, its lines in item-number order, and the subtotal,
// tax (the Config record's rate) and amount due at the foot of the last page; each page
// before it says "Continued next page...". The invoice form's "Print Invoices" runs it.
// An invoice without lines, or a shop whose settings are not entered yet, is told in a
// message and opens no window.
void InvoiceRpt();

// What the two report procedures share: the progress window, its progress byte, the
// report and the preview, opened files that teardown closes, and the procedure's name
// for the error reporter.
class ReportProcedure : public framework::ReportDriver {
public:
    ReportProcedure(std::string name, host::Window& window, host::Report& report);
    ~ReportProcedure() override;

    framework::Severity Teardown() override;

protected:
    // The common start: the name told, the request taken, the base set-up, the globals
    // cleared. A level other than 0 ends the set-up.
    framework::Severity Begin();
    // Opens the progress window bound to the progress byte.
    void OpenProgressWindow();
    // The common end of the set-up: Cancel registered, the processor, report and preview
    // attached, control 2 emptied, quick scanning on, the preview's settings, the keys.
    void Finish(framework::RecordProcessor& processor, framework::RelationLink& primary,
                std::int16_t zoom);

    host::Window& window_;
    host::Report& report_;
    framework::PreviewWindow preview_;
    host::Variable progress_;
    std::unique_ptr<host::RecordView> view_;
    bool filesOpened_ = false;
    std::vector<framework::RelationLink*> opened_;

private:
    std::string name_;
};

// The inventory report's processor: prints each item with its picture.
class InventoryProcessor : public framework::RecordProcessor {
public:
    explicit InventoryProcessor(host::Report& report) : report_(report) {}
    framework::Severity HandleRecord() override;

private:
    host::Report& report_;
};

class InventoryReport : public ReportProcedure {
public:
    InventoryReport(host::Window& window, host::Report& report);
    framework::Severity Setup() override;
    framework::Severity StartReport() override;

private:
    InventoryProcessor processor_;
    framework::ThumbStep steps_;
};

// The invoice report's processor: its one Config record prints the whole invoice.
class InvoiceProcessor : public framework::RecordProcessor {
public:
    explicit InvoiceProcessor(host::Report& report);
    framework::Severity HandleRecord() override;

    // The invoice's lines, in item-number order.
    host::Queue LINES;
    host::Variable SUBTOTAL;
    host::Variable TAX;
    host::Variable AMOUNTDUE;
    host::Variable TOTALLINE1;
    host::Variable TOTALLINE2;
    host::Variable TOTALLINE3;

private:
    host::Report& report_;
};

class InvoiceReport : public ReportProcedure {
public:
    // Told instead of running the report when it would show nothing useful: an invoice
    // without lines, or a shop whose settings (name, tax rate) are not entered yet.
    static constexpr std::uint16_t NoLinesMessage = 62;
    static constexpr std::uint16_t NoShopSettingsMessage = 63;

    InvoiceReport(host::Window& window, host::Report& report);
    framework::Severity Setup() override;

private:
    // Whether the invoice in the InvHdr buffer has a line, and whether the Config record
    // exists; each leaves its file's buffer as the report reads it again anyway.
    static bool HasLines();
    static bool HasShopSettings();

    InvoiceProcessor processor_;
};

} // namespace app
