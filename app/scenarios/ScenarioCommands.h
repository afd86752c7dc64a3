#pragma once

#include "app/ProgramFolder.h"

#include <functional>
#include <string>

namespace host {
class Desktop;
}

namespace host::headless {
class SessionRunner;
}

namespace app {

// The invoicing program's own commands for session scripts, added to the standard ones
// (docs/scenarios.md):
//
//   start program                  runs the program from its entry (start-up, Main) on
//                                  the session's first logical thread
//   expect program ended           the program has returned and shut down
//   show start-up                  prints the steps of the program's start-up and
//                                  shut-down so far
//   show menus [in window TITLE]   prints the menu bar as the user finds it: every menu
//                                  and item with its status text, key and state
//   show toolbar [in window TITLE] prints the toolbar's buttons with their tool tips,
//                                  images and state
//   dump file NAME                 prints the records of a data file ("Customer")
//   expect file NAME records N     the data file holds N records
//   expect file NAME record N FIELD=VALUE...
//                                  the file's N-th record in dump file's order has
//                                  these values
//   copy file SOURCE to PATH       copies a file kept beside the scenario into the
//                                  program's folder
//   screenshot FILE                writes a PNG of the screen, when the runner can draw
//                                  one
//   use test procedure for ITEM    puts the test procedure behind a "&Browse" item of
//                                  the frame (by its name, "?BrowseCustomers"); before
//                                  the program starts
//
// Windows without `in window` are the frame when one is open, else the active window.
class ScenarioCommands {
public:
    // Draws what the desktop shows right now into a PNG file; false with `whyNot` set when
    // it cannot. The scenario runner gives one when it has a display that can draw.
    using ScreenPicture =
        std::function<bool(host::Desktop& desktop, const std::string& file, std::string& whyNot)>;

    // Makes PDF files writable (the runner installs its page output); false with `whyNot`
    // set when it cannot.
    using PdfPrinting = std::function<bool(std::string& whyNot)>;

    // `folder` is where the program keeps its settings and data during the run. Without
    // `picture`, `screenshot` only says that screenshots need the Qt display; without
    // `pdf`, `print to pdf` fails for the same reason. `scenarioFolder` is the folder of
    // the scenario file, where `copy file` finds what it copies.
    static void AddTo(host::headless::SessionRunner& runner, const ProgramFolder& folder,
                      ScreenPicture picture = {}, PdfPrinting pdf = {},
                      const std::string& scenarioFolder = {});
};

} // namespace app
