#include "framework/report/ReportDriver.h"

#include "framework/data/ErrorReporter.h"
#include "framework/report/PreviewWindow.h"
#include "framework/report/RecordProcessor.h"
#include "runtime/base/Clock.h"
#include "runtime/base/Decimal.h"
#include "runtime/base/MessageBox.h"
#include "runtime/base/Queue.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/report/Report.h"
#include "runtime/ui/Window.h"

#include <algorithm>

namespace framework {

using host::EventKind;

namespace {

host::SharedLayout pageQueueLayout() {
    static const host::SharedLayout layout = std::make_shared<const host::RecordLayout>(
        host::RecordLayout{{"FILENAME", host::FieldType::text(128)}});
    return layout;
}

} // namespace

ReportDriver::ReportDriver() = default;
ReportDriver::~ReportDriver() = default;

void ReportDriver::AddReportMessages(ErrorReporter& errors) {
    bool present =
        std::any_of(errors.ERRORS.begin(), errors.ERRORS.end(),
                    [](const ErrorEntry& entry) { return entry.ID == ReportProblemMessage; });
    if (!present)
        errors.ERRORS.push_back({ReportProblemMessage, "%Message", "Report Problem",
                                 static_cast<std::uint8_t>(Severity::Notify)});
}

void ReportDriver::TellProblem(ErrorReporter* errors, const std::string& text) {
    if (text.empty())
        return;
    if (errors) {
        AddReportMessages(*errors);
        errors->RaiseWithText(ReportProblemMessage, text);
    } else {
        host::showMessage(text, "Report Problem", host::MessageIcon::Exclamation);
    }
}

void ReportDriver::Attach(RecordProcessor& process, host::Report* report, PreviewWindow* preview) {
    PROCESS = &process;
    REPORT = report;
    PREVIEW = preview;
    if (PREVIEW) {
        PREVIEWQUEUE = std::make_unique<host::Queue>(pageQueueLayout());
        PREVIEW->Prepare(*PREVIEWQUEUE);
    }
    PROCESS->PROGRESSWINDOW = Window();
    RECORDSPERCYCLE = 1;
    TIMESLICE = 100;
}

void ReportDriver::PumpEvents() {
    if (DEFERWINDOW != 0 && Window()) {
        STARTTIME = host::clockNow();
        Window()->setProperty(0, host::Property::Hidden, host::Value(1));
    }
    WindowController::PumpEvents();
}

Severity ReportDriver::Teardown() {
    if (DEAD || !PROCESS)
        return Severity::Notify;
    if (REPORT && REPORT->isOpen()) {
        // A report the loop never closed (the window went away another way).
        REPORT->discard();
        REPORT->close();
    }
    PREVIEWQUEUE.reset();
    if (PREVIEW)
        PREVIEW->Teardown();
    PROCESS->Teardown();
    return WindowController::Teardown();
}

void ReportDriver::PrepareWindow() {
    WindowController::PrepareWindow();
    if (!DEFEROPENREPORT)
        StartReport();
}

Severity ReportDriver::OnAccepted() {
    if (QUERYCONTROL != 0 && Window() && Window()->acceptedControl() == QUERYCONTROL && PROCESS)
        PROCESS->ApplyQuery();
    return WindowController::OnAccepted();
}

Severity ReportDriver::OnCloseRequest() {
    if (!Window() || Window()->currentEvent() != EventKind::CloseWindow)
        return WindowController::OnCloseRequest();
    if (Window() && !KEEPVISIBLE)
        Window()->setProperty(0, host::Property::Hidden, host::Value(1));
    EndReport();
    if (REPORT && REPORT->isOpen()) {
        if (RESPONSE != ResponseKind::Completed && PREVIEW)
            REPORT->discard();
        host::Report::CloseResult closed = REPORT->close();
        TellProblem(ERRORS, closed.message);
    }
    return Severity::Benign;
}

Severity ReportDriver::OnWindowEvent() {
    if (!Window() || Window()->currentEvent() != EventKind::Timer)
        return WindowController::OnWindowEvent();
    if (DEFEROPENREPORT)
        StartReport();
    if (OPENFAILED)
        return Severity::Fatal;
    return ProcessBatch();
}

Severity ReportDriver::ProcessBatch() {
    std::int32_t startCount = PROCESS->RECORDSPROCESSED;
    int startTime = host::clockNow();
    if (DEFERWINDOW != 0 && startTime - STARTTIME > DEFERWINDOW * 100) {
        Window()->setProperty(0, host::Property::Hidden, host::Value(0));
        DEFERWINDOW = 0;
    }
    for (;;) {
        while (PROCESS->RECORDSPROCESSED - startCount < RECORDSPERCYCLE) {
            Severity handled = PROCESS->HandleRecord();
            if (handled == Severity::Fatal) {
                Window()->setTimer(0);
                PostToWindow(EventKind::CloseWindow);
                return Severity::Notify;
            }
            if (handled == Severity::Notify)
                return Severity::Notify;
            if (NextRecord() != Severity::Benign) {
                Window()->setTimer(0);
                return Severity::Notify;
            }
        }
        // A clock that wrapped at midnight gives a negative time: a fast batch.
        int elapsed = host::clockNow() - startTime;
        if (elapsed * 5 < TIMESLICE * 4)
            RECORDSPERCYCLE *= 2;
        if (elapsed * 2 < TIMESLICE)
            continue;
        if (elapsed * 2 > TIMESLICE * 3 && RECORDSPERCYCLE > 1)
            RECORDSPERCYCLE = static_cast<std::int32_t>(
                (host::Decimal(RECORDSPERCYCLE) * *host::Decimal::parse("0.5")).toInteger());
        break;
    }
    return WindowController::OnWindowEvent();
}

Severity ReportDriver::StartReport() {
    PROCESS->Reset();
    Severity level = NextRecord();
    DEFEROPENREPORT = 0;
    if (level != Severity::Benign) {
        OnNoRecords();
        return level;
    }
    OPENFAILED = 0;
    if (REPORT) {
        REPORT->open();
        if (PREVIEW)
            REPORT->setPreviewQueue(PREVIEWQUEUE.get());
        std::vector<std::string> missing = REPORT->unboundNames();
        if (!missing.empty()) {
            std::string names;
            for (const std::string& name : missing)
                names += (names.empty() ? "" : ", ") + name;
            TellProblem(ERRORS, "The report " + REPORT->definition().name +
                                    " names fields that do not exist: " + names +
                                    ". They print blank.");
        }
    }
    return level;
}

Severity ReportDriver::NextRecord() {
    Severity level = PROCESS->ReadNextCounted(true);
    if (level == Severity::Notify) {
        if (PROCESS->RECORDSPROCESSED != 0) {
            RESPONSE = ResponseKind::Completed;
            PostToWindow(EventKind::CloseWindow);
            return Severity::Notify;
        }
        level = Severity::Fatal;
    }
    if (level == Severity::Fatal) {
        RESPONSE = ResponseKind::Cancelled;
        PostToWindow(EventKind::CloseWindow);
        return Severity::Fatal;
    }
    return Severity::Benign;
}

void ReportDriver::EndReport() {
    if (!PREVIEW || RESPONSE != ResponseKind::Completed || !REPORT || !REPORT->isOpen())
        return;
    REPORT->endPage();
    if (!REPORT->problems().empty())
        TellProblem(ERRORS, REPORT->problems());
    if (SKIPPREVIEW) {
        REPORT->setFlush(true);
    } else {
        bool print = PREVIEW->ShowPages(ZOOM, 1, 1, 1);
        REPORT->setFlush(print);
    }
    if (PREVIEW->IMAGEQUEUE)
        PREVIEW->IMAGEQUEUE->free();
}

void ReportDriver::OnNoRecords() {
    if (ErrorReporter* errors = Reporter())
        errors->Raise(22);
    else
        host::showMessage("There are no records available to process.", "No Records");
    OPENFAILED = 1;
}

} // namespace framework
