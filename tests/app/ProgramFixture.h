#pragma once

#include "app/Program.h"
#include "app/ProgramFolder.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/sqlite/SqliteDriver.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace apptest {

// The program run on a headless session over a fresh folder for its settings and data.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "eip-program-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folderPath = pattern;
        folder = app::ProgramFolder::at(folderPath);
        session = std::make_unique<host::headless::HeadlessSession>();
        app::Program::useDriver([] { return std::make_unique<host::sqlite::SqliteDriver>(); });
    }
    void TearDown() override {
        session.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folderPath, ignored);
    }

    // Starts the program; returns its logical thread.
    int startProgram(int builtFor = host::runtimeInterfaceVersion) {
        app::ProgramFolder where = folder;
        return session->start([where, builtFor] { app::Program::run(where, builtFor); });
    }
    host::Window* frame() const { return session->window("Example EIP Application"); }

    std::string folderPath;
    app::ProgramFolder folder;
    std::unique_ptr<host::headless::HeadlessSession> session;
};

} // namespace apptest
