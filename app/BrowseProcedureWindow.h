#pragma once

#include "app/ProcedureWindow.h"
#include "framework/query/QueryForm.h"
#include "framework/window/WindowResizer.h"
#include "runtime/base/TypedRef.h"

#include <cstdint>
#include <memory>
#include <string>

namespace framework {
class BrowseList;
class FileAccess;
class RelationLink;
} // namespace framework

namespace host {
class Queue;
class RecordFile;
class RecordView;
class Window;
} // namespace host

namespace app {

// The controls every list window of the program has, by their numbers on its window.
struct BrowseControls {
    std::int32_t list = 0;
    std::int32_t close = 0;
    std::int32_t select = 0;
    std::int32_t insert = 0;
    std::int32_t change = 0;
    std::int32_t remove = 0;
    std::int32_t query = 0;
    std::int32_t queryResult = 0;
    std::int32_t toolbox = 0;
};

// The window controller of a procedure that lists one file's records: the start, the
// buttons and the end every list procedure shares. The list's rows are the queue
// "Queue:Browse" of the window, read through a view of the file that the procedure owns;
// "&Query" filters the list by what is typed per column, the queries saved by name kept
// in the settings file under the procedure's name.
class BrowseProcedureWindow : public ProcedureWindow {
public:
    BrowseProcedureWindow(std::string name, host::Window& window, host::Queue& rows,
                          const BrowseControls& controls);
    ~BrowseProcedureWindow() override;

protected:
    // The common procedure start with the focus on the list, "Close" answering Cancelled,
    // and the listed file opened with its related files. A level other than 0 ends the
    // set-up.
    framework::Severity BeginBrowse(framework::RelationLink& link);
    // Makes the view over `file`, sets `browse` up on the list, its rows and the view,
    // and opens the window. Notify when the driver makes no view (it has said why).
    framework::Severity OpenList(framework::BrowseList& browse, framework::FileAccess& access,
                                 host::RecordFile& file, host::TypedRef positionField,
                                 framework::RelationLink& link);
    // Gives the list its "&Select", "&Insert", "&Change" and "&Delete" buttons (select
    // hidden unless the procedure was started to select), "&Query" and the toolbox.
    void AttachButtons(framework::BrowseList& browse);
    // The list grows with the window, and the browse then reads the rows that now fit.
    void ResizeWithWindow();
    // Closes the view, once the window has gone.
    void ReleaseView();

    host::Window& window_;
    host::Queue& rows_;
    framework::QueryForm query_;
    framework::WindowResizer resizer_;

private:
    std::string name_;
    BrowseControls controls_;
    std::unique_ptr<host::RecordView> view_;
};

} // namespace app
