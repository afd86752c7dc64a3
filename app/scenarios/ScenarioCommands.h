#pragma once

#include "app/ProgramFolder.h"

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
//   use test procedure for ITEM    puts the test procedure behind a "&Browse" item of
//                                  the frame (by its name, "?BrowseCustomers"); before
//                                  the program starts
//
// Windows without `in window` are the frame when one is open, else the active window.
class ScenarioCommands {
public:
    // `folder` is where the program keeps its settings and data during the run.
    static void AddTo(host::headless::SessionRunner& runner, const ProgramFolder& folder);
};

} // namespace app
