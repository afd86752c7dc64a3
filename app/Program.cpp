#include "app/Program.h"

#include "app/DataDictionary.h"
#include "app/Globals.h"
#include "app/Main.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileRegistry.h"
#include "framework/window/IniStore.h"
#include "runtime/base/MessageBox.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/RecordFileDriver.h"
#include "runtime/ui/WindowResources.h"

#include <memory>
#include <optional>

namespace app {

namespace {

using Phase = host::ModuleTable::Phase;

// The pop-up edit windows of in-place editing, loaded once for the whole run.
constexpr const char* editWindows[] = {"$MULTIWINDOW", "$TXTWINDOW"};

struct State {
    ProgramFolder folder;
    Program::DriverMaker makeDriver;
    std::unique_ptr<host::RecordFileDriver> driver;
    // Why the data folder could not be opened, kept until the error reporter can say so.
    std::optional<host::RuntimeError> folderError;
    std::vector<std::string> steps;
    std::vector<std::string> loadedEditWindows;
};

State& state() {
    static State s;
    return s;
}

void step(std::string text) {
    state().steps.push_back(std::move(text));
}

// Tells the user, as a notice, that the data folder could not be opened and why (a
// damaged data base, a folder that cannot be read): the frame, the settings and the
// program's other work go on without it.
void reportFolderError(framework::ErrorReporter& errors) {
    State& s = state();
    if (!s.folderError)
        return;
    host::restoreError(*s.folderError);
    errors.NoteFile(s.driver->dataLocation());
    errors.Raise(19); // "File Load Error", level 5
    host::clearError();
}

void classBinding(Phase phase) {
    if (phase == Phase::Start) {
        DataDictionary::bindClasses();
        step("class binding started");
    }
}

void applicationGlobals(Phase phase) {
    if (phase != Phase::Start)
        return;
    host::clearError();
    State& s = state();
    s.driver = s.makeDriver ? s.makeDriver() : nullptr;
    if (!s.driver)
        host::halt(1, "The program was started without a record-file driver.");
    // A folder that cannot be opened is told once the error reporter is set up; the
    // files then say again why they cannot be opened when first used.
    s.folderError.reset();
    if (!s.driver->openFolder(s.folder.dataFolder()))
        s.folderError = host::lastError();
    DataDictionary::bindFiles(*s.driver);
    GlobalErrors();
    GlobalIniStore();
    GlobalRequest = 0;
    GlobalResponse = 0;
    GlobalVcrRequest = 0;
    ShowRowValidation = 0;
    step("application globals started");
}

void fileRegistry(Phase phase) {
    if (phase == Phase::Start) {
        GlobalFileRegistry().Setup();
        step("file registry started");
    } else {
        GlobalFileRegistry().Teardown();
        step("file registry closed down");
    }
}

void popupEditWindows(Phase phase) {
    State& s = state();
    auto& resources = host::WindowResources::program();
    if (phase == Phase::Start) {
        for (const char* name : editWindows)
            if (resources.load(name, WindowModule))
                s.loadedEditWindows.push_back(name);
        step("edit windows started");
    } else {
        for (const std::string& name : s.loadedEditWindows)
            resources.release(name, WindowModule);
        s.loadedEditWindows.clear();
        step("edit windows closed down");
    }
}

// Frees what the modules made, also when a halt or the end of the logical thread cut
// the run short: the host files go before their driver.
struct Storage {
    ~Storage() {
        DataDictionary::setObserver({});
        DataDictionary::release();
        state().driver.reset();
    }
};

} // namespace

void Program::useDriver(DriverMaker maker) {
    state().makeDriver = std::move(maker);
}

host::ModuleTable Program::Modules() {
    return host::ModuleTable({{"class binding", classBinding},
                              {"application globals", applicationGlobals},
                              {"file registry", fileRegistry},
                              {"edit windows", popupEditWindows}});
}

void Program::run(const ProgramFolder& folder, int builtFor) {
    State& s = state();
    s.folder = folder;
    s.steps.clear();
    Storage storage;
    host::ModuleTable modules = Modules();
    modules.start();
    if (!host::runtimeFits(builtFor)) {
        step("runtime version does not fit");
        return;
    }
    step("runtime version checked");
    MainRoutine();
    modules.closeDown();
    step("program ended");
}

void Program::MainRoutine() {
    step("program started");
    framework::ErrorReporter& errors = GlobalErrors();
    errors.Setup();
    step("error reporter set up");
    framework::IniStore& settings = GlobalIniStore();
    // The store keeps file names of at most 259 characters; a settings file deeper than
    // that is named relative to the current folder, which the program's entry sets to
    // its own folder.
    std::string iniFile = state().folder.iniFile();
    if (iniFile.size() > 259)
        iniFile = ProgramFolder::iniFileName;
    settings.Setup(iniFile);
    step("INI store set up on " + std::string(ProgramFolder::iniFileName));

    DataDictionary::setObserver([](std::string_view text) { step(std::string(text)); });
    DataDictionary::setUpFiles(errors, GlobalFileRegistry());
    reportFolderError(errors);

    step("Main entered");
    Main();
    step("Main returned");

    settings.Closing();
    settings.Teardown();
    step("INI store torn down");
    DataDictionary::shutDownFiles();
    DataDictionary::setObserver({});
    errors.Teardown();
    step("error reporter torn down");
}

const std::vector<std::string>& Program::Steps() {
    return state().steps;
}

host::RecordFileDriver* Program::Driver() {
    return state().driver.get();
}

const ProgramFolder& Program::Folder() {
    return state().folder;
}

} // namespace app
