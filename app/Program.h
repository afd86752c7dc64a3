#pragma once

#include "app/ProgramFolder.h"
#include "runtime/base/RuntimeVersion.h"
#include "runtime/ui/ModuleTable.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace host {
class RecordFileDriver;
}

namespace app {

// The program's title: its frame's, and the title of the message that ends it.
inline constexpr const char* ProgramTitle = "Example EIP Application";

// The program: what exists before the first window opens, in which order it comes into
// being, and how it goes away again.
//
// run is the program's entry. It runs as the first logical thread of the host runtime
// (on the desktop, or in a headless session) and reads no command line and no
// environment variables; `folder` says where the settings file and the data folder are.
// The record-file driver is the one the executable chose with `useDriver`.
//  1. The runtime's modules start, in order: class binding (the ten data objects),
//     application globals (the five record buffers cleared, the files bound to the
//     record-file driver on the data folder, the shared objects made, the request
//     globals 0), the file registry (set up), the in-place editing's pop-up windows
//     ("$MULTIWINDOW", "$TXTWINDOW", loaded when the program has them).
//  2. The runtime is checked to be the version the program was built for; when it is
//     not, the program ends at once.
//  3. The main routine: the error reporter, the INI store on "mirto.INI", the data
//     dictionary file by file (Item, Config, Customer, InvDet, InvHdr) are set up; Main
//     runs until the frame closes; then the INI store's closing hook and tear-down (the
//     sector registry is written), the data dictionary's tear-down in the same order
//     as its set-up, and the error reporter's tear-down.
//  4. The runtime's modules close down (the pop-up windows released, the file registry
//     torn down).
// No data file is opened by any of this: each opens on its first use.
//
// A fatal error ends the program from inside the error reporter (through the host's
// halt); the shut-down steps are then not run.
class Program {
public:
    // Makes the record-file driver the program keeps its data files with. The executable
    // chooses it (the program itself knows only the driver interface) before `run`.
    using DriverMaker = std::function<std::unique_ptr<host::RecordFileDriver>()>;
    static void useDriver(DriverMaker maker);

    // `builtFor` is the runtime version the program was compiled against (the caller's
    // own copy of the number).
    static void run(const ProgramFolder& folder, int builtFor = host::runtimeInterfaceVersion);

    // The program's four modules.
    static host::ModuleTable Modules();
    // The steps of the last run, in order ("error reporter set up", "Item set up",
    // "Main entered", ...), for following the start-up and shut-down.
    static const std::vector<std::string>& Steps();
    // The record-file driver of the running program's data folder (null when none runs).
    static host::RecordFileDriver* Driver();
    // The folder of the running (or last) run.
    static const ProgramFolder& Folder();

private:
    static void MainRoutine();
};

} // namespace app
