#pragma once

#include "framework/window/WindowController.h"

#include <cstdint>
#include <memory>

namespace host {
class Queue;
class Report;
} // namespace host

namespace framework {

class ErrorReporter;
class PreviewWindow;
class RecordProcessor;

// The window controller of a report's small progress window. It never loops by itself:
// on every timer event of the window it hands a batch of records to the processor's
// HandleRecord and gives control back, so that the window stays responsive and its
// Cancel button works. The batch, RECORDSPERCYCLE, doubles while a batch takes less than
// 80% of TIMESLICE (hundredths of a second) and halves, never below 1, when it takes more
// than 150%; a batch done within half the slice goes on in the same timer event. When the
// records end, the pages go to the preview (or straight to the printer).
class ReportDriver : public WindowController {
public:
    ReportDriver();
    ~ReportDriver() override;

    // Overridden, in slot order.
    void PumpEvents() override;
    Severity Teardown() override;
    void PrepareWindow() override;
    Severity OnAccepted() override;
    Severity OnCloseRequest() override;
    Severity OnWindowEvent() override;
    // Own operations.
    virtual void EndReport();
    virtual Severity NextRecord();
    virtual Severity StartReport();
    virtual void OnNoRecords();

    void Attach(RecordProcessor& process, host::Report* report, PreviewWindow* preview);

    // The messages the reports add to the reporter's table ("Report Problem": a page that
    // could not be written or read, a printer that refused the job).
    static constexpr std::uint16_t ReportProblemMessage = 60;
    static void AddReportMessages(ErrorReporter& errors);
    // Reports a problem through `errors` (or the message box when there is none).
    static void TellProblem(ErrorReporter* errors, const std::string& text);

    std::uint8_t DEFEROPENREPORT = 0;
    std::uint16_t DEFERWINDOW = 0;
    std::uint8_t KEEPVISIBLE = 0;
    std::uint8_t OPENFAILED = 0;
    PreviewWindow* PREVIEW = nullptr;
    std::unique_ptr<host::Queue> PREVIEWQUEUE;
    RecordProcessor* PROCESS = nullptr;
    std::int32_t RECORDSPERCYCLE = 1;
    std::int32_t QUERYCONTROL = 0;
    host::Report* REPORT = nullptr;
    std::uint8_t SKIPPREVIEW = 0;
    std::int32_t STARTTIME = 0;
    std::uint16_t TIMESLICE = 100;
    std::uint8_t WAITCURSOR = 0;
    std::int16_t ZOOM = 0;

private:
    // One timer event's work; the level goes back to the loop.
    Severity ProcessBatch();
};

} // namespace framework
