#pragma once

#include "app/DataDictionary.h"
#include "app/Globals.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileRegistry.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace benchsupport {

// The program's files on a data folder through the SQLite driver, as the program sets
// them up: the error reporter and the file registry set up and the data dictionary's
// files declared on the driver; undone in the reverse order when it goes.
class ProgramFiles {
public:
    explicit ProgramFiles(const std::string& folder,
                          framework::ErrorReporter& errors = app::GlobalErrors(),
                          framework::FileRegistry& registry = app::GlobalFileRegistry())
        : errors_(errors), registry_(registry) {
        driver.openFolder(folder);
        errors_.Setup();
        registry_.Setup();
        app::DataDictionary::setUp(driver, errors_, registry_);
    }
    ~ProgramFiles() {
        app::DataDictionary::tearDown();
        registry_.Teardown();
        errors_.Teardown();
    }
    ProgramFiles(const ProgramFiles&) = delete;
    ProgramFiles& operator=(const ProgramFiles&) = delete;

    host::sqlite::SqliteDriver driver;

private:
    framework::ErrorReporter& errors_;
    framework::FileRegistry& registry_;
};

// A window made from the definition `text` (its first window); a definition that does not
// parse ends the benchmark.
inline std::unique_ptr<host::Window> windowFrom(const char* text) {
    auto parsed = host::WindowDefinitionParser::parse(text, "bench");
    if (!parsed.ok() || parsed.windows.empty()) {
        std::fprintf(stderr, "window: %s\n", parsed.message().c_str());
        std::exit(1);
    }
    return std::make_unique<host::Window>(
        std::make_shared<const host::WindowDefinition>(parsed.windows[0]));
}

} // namespace benchsupport
