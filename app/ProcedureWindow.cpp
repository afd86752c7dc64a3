#include "app/ProcedureWindow.h"

#include "app/Globals.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/RelationLink.h"

namespace app {

framework::Severity ProcedureWindow::BeginProcedure(std::int32_t firstField) {
    GlobalErrors().TrackProcedure(name_, false);
    REQUEST = GlobalRequest;
    framework::Severity level = WindowController::Setup();
    if (level != framework::Severity::Benign)
        return level;
    FIRSTFIELD = firstField;
    VCRREQUEST = &GlobalVcrRequest;
    ERRORS = &GlobalErrors();
    AttachToolbar(toolbar_);
    GlobalRequest = 0;
    GlobalResponse = 0;
    return framework::Severity::Benign;
}

void ProcedureWindow::OpenFiles(framework::RelationLink& link) {
    link.Open();
    opened_.push_back(&link);
}

framework::Severity ProcedureWindow::EndProcedure() {
    framework::Severity level = WindowController::Teardown();
    if (level != framework::Severity::Benign)
        return level;
    while (!opened_.empty()) {
        opened_.back()->Close();
        opened_.pop_back();
    }
    GlobalErrors().TrackProcedure("", true);
    return level;
}

} // namespace app
