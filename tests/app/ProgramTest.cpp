// The program's start-up and shut-down around Main: the order of the steps, the shared
// objects and globals, and the runs that end early (a runtime that does not fit, a
// fatal error).
#include "ProgramFixture.h"

#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "app/FrameProcedures.h"
#include "app/Globals.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/headless/ScriptedMessageBoxes.h"
#include "runtime/settings/IniFile.h"

#include <fstream>
#include <iterator>
#include <vector>

using namespace apptest;

namespace {

TEST_F(ProgramTest, StartsAndShutsDownLeavingNoStateBehind) {
    app::GlobalRequest = 3;
    app::GlobalVcrRequest = 2008;
    app::ShowRowValidation = 1;
    int thread = startProgram();
    ASSERT_NE(frame(), nullptr);
    EXPECT_EQ(app::ShowRowValidation, 0) << "the invoice lines ask nothing at start";
    EXPECT_EQ(app::GlobalRequest, 0);
    EXPECT_EQ(app::GlobalVcrRequest, 0);
    EXPECT_TRUE(app::DataDictionary::isSetUp());
    EXPECT_EQ(app::GlobalFileRegistry().FILES.size(), 5u);
    auto& names = app::GlobalErrors().PROCNAMES;
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].NAME, "Main");
    EXPECT_EQ(names[0].THREAD, thread);

    ASSERT_TRUE(session->chooseMenu("&File|E&xit"));
    EXPECT_FALSE(session->desktop().scheduler().isAlive(thread));
    EXPECT_EQ(app::Program::Steps().back(), "program ended");
    EXPECT_EQ(app::GlobalResponse, 2) << "the frame's response: cancelled";
    EXPECT_EQ(app::ItemAccess, nullptr);
    EXPECT_EQ(app::InvHdrLink, nullptr);
    EXPECT_TRUE(app::GlobalFileRegistry().FILES.empty());
    EXPECT_TRUE(app::GlobalErrors().PROCNAMES.empty());
    EXPECT_EQ(app::Program::Driver(), nullptr);
}

TEST_F(ProgramTest, ARunThatOnlyOpensTheFrameOpensNoDataFileAndWritesItsSettings) {
    startProgram();
    ASSERT_TRUE(session->closeWindow(frame()));
    // The INI store wrote its sector registry back at the end.
    EXPECT_EQ(host::IniFile::readEntry(folder.iniFile(), "__Dont_Touch_Me__", "Sectors"), "0");
}

TEST_F(ProgramTest, ARuntimeOfAnotherVersionEndsTheProgramBeforeAnyWork) {
    int thread = startProgram(host::runtimeInterfaceVersion + 1);
    EXPECT_FALSE(session->desktop().scheduler().isAlive(thread));
    EXPECT_TRUE(session->desktop().windows().empty());
    ASSERT_FALSE(app::Program::Steps().empty());
    EXPECT_EQ(app::Program::Steps().back(), "runtime version does not fit");
    EXPECT_FALSE(app::DataDictionary::isSetUp());
    EXPECT_FALSE(std::filesystem::exists(folder.iniFile()));
}

TEST_F(ProgramTest, AFatalErrorEndsTheProgramWithoutItsShutDown) {
    app::FrameProcedures::assign("?BrowseItems", [] {
        app::GlobalErrors().NoteFile("Item");
        app::GlobalErrors().Report(10); // "File Creation Error", fatal
    });
    int thread = startProgram();
    bool halted = false;
    try {
        session->chooseMenu("&Browse|&Items");
        session->answerMessage(host::ButtonOk);
    } catch (const host::headless::ProgramHalted& error) {
        halted = true;
        EXPECT_EQ(error.exitCode, 0);
        EXPECT_EQ(std::string(error.what()), "File Creation Error");
    }
    app::FrameProcedures::reset();
    EXPECT_TRUE(halted);
    EXPECT_FALSE(session->desktop().scheduler().isAlive(thread));
    EXPECT_EQ(app::Program::Steps().back(), "Main entered");
    EXPECT_FALSE(std::filesystem::exists(folder.iniFile())) << "the settings are not written";
    EXPECT_FALSE(app::DataDictionary::isSetUp()) << "the storage is released all the same";
    EXPECT_EQ(app::Program::Driver(), nullptr);
}

TEST_F(ProgramTest, TheProgramRunsAgainInTheSameProcess) {
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        startProgram();
        ASSERT_NE(frame(), nullptr);
        ASSERT_TRUE(session->closeWindow(frame()));
        EXPECT_EQ(app::Program::Steps().back(), "program ended");
    }
}

TEST_F(ProgramTest, ADamagedDataBaseIsReportedAtStartAndTheProgramGoesOn) {
    std::string dataBase = folder.dataFolder() + "/data.sqlite";
    std::string damaged = "This is a letter, not the shop's records.\n";
    std::ofstream(dataBase, std::ios::binary) << damaged;
    app::FrameProcedures::assign("?BrowseCustomers", [] {
        app::CustomerAccess->Open();
        app::CustomerAccess->ReadNext();
    });
    session->answerNextMessage(host::ButtonOk);
    int thread = startProgram();
    std::vector<host::MessageBoxRequest> shown = session->messagesShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "File Load Error");
    EXPECT_EQ(shown[0].text, dataBase + " File Load Error.  Error: file is not a database (26).");
    ASSERT_NE(frame(), nullptr) << "the frame opens all the same";
    EXPECT_TRUE(session->desktop().scheduler().isAlive(thread));

    // A file used later says why it cannot be opened, and nothing is created over the
    // data base.
    bool halted = false;
    try {
        session->chooseMenu("&Browse|&Customers");
        session->answerMessage(host::ButtonOk);
    } catch (const host::headless::ProgramHalted& error) {
        halted = true;
        EXPECT_EQ(std::string(error.what()), "File Access Error");
    }
    EXPECT_TRUE(halted);
    shown = session->messagesShown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, "File (Customer) could not be opened.  Error: file is not a database "
                             "(26).  Press OK to end this application");
    std::ifstream in(dataBase, std::ios::binary);
    std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after, damaged);
}

} // namespace
