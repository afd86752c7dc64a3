#include "app/BrowseProcedureWindow.h"

#include "app/Globals.h"
#include "framework/browse/BrowseList.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/window/IniStore.h"
#include "runtime/base/Queue.h"
#include "runtime/files/RecordFile.h"
#include "runtime/files/RecordFileDriver.h"
#include "runtime/files/RecordView.h"
#include "runtime/ui/Window.h"

namespace app {

using framework::ResponseKind;
using framework::Severity;

BrowseProcedureWindow::BrowseProcedureWindow(std::string name, host::Window& window,
                                             host::Queue& rows, const BrowseControls& controls)
    : ProcedureWindow(name), window_(window), rows_(rows), name_(std::move(name)),
      controls_(controls) {}

BrowseProcedureWindow::~BrowseProcedureWindow() = default;

Severity BrowseProcedureWindow::BeginBrowse(framework::RelationLink& link) {
    Severity level = BeginProcedure(controls_.list);
    if (level != Severity::Benign)
        return level;
    RegisterButton(controls_.close, ResponseKind::Cancelled);
    OpenFiles(link);
    return Severity::Benign;
}

Severity BrowseProcedureWindow::OpenList(framework::BrowseList& browse,
                                         framework::FileAccess& access, host::RecordFile& file,
                                         host::TypedRef positionField,
                                         framework::RelationLink& link) {
    view_ = access.DRIVER->makeView(file);
    if (!view_)
        return Severity::Notify; // the driver has said why; nothing to list
    window_.bind("Queue:Browse", rows_);
    browse.Setup(*this, controls_.list, rows_, positionField, *view_, link);
    OpenWindow(window_);
    return Severity::Benign;
}

void BrowseProcedureWindow::AttachButtons(framework::BrowseList& browse) {
    browse.SELECTCONTROL = controls_.select;
    browse.HIDESELECT = 1;
    browse.INSERTCONTROL = controls_.insert;
    browse.CHANGECONTROL = controls_.change;
    browse.DELETECONTROL = controls_.remove;
    query_.Setup(name_, &GlobalIniStore(), &GlobalErrors());
    framework::AttachQuery(browse, query_, controls_.query, controls_.queryResult);
    browse.TOOLCONTROL = controls_.toolbox;
    browse.AttachToolbar(toolbar_);
}

void BrowseProcedureWindow::ResizeWithWindow() {
    resizer_.Setup(window_, 2, true, false);
    AttachResizer(resizer_);
}

void BrowseProcedureWindow::ReleaseView() {
    if (view_) {
        view_->close();
        view_.reset();
    }
}

} // namespace app
