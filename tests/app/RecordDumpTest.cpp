// The stable text form of a data file's records, and the scenario commands around it.
#include "DictionaryFixture.h"

#include "app/scenarios/RecordDump.h"
#include "app/scenarios/ScenarioCommands.h"
#include "runtime/base/Clock.h"
#include "runtime/base/Decimal.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/headless/SessionRunner.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <tuple>

using namespace apptest;

namespace {

using Lines = std::vector<std::string>;
using RecordDumpTest = DictionaryTest;

TEST_F(RecordDumpTest, RecordsReadInTheFirstKeysOrderWithTextsQuotedAndDecimalsPlaced) {
    seed(app::files::item(), [](host::Record& record, host::RecordFile& file) {
        for (int id : {2, 1}) {
            record.clear();
            record.field("ITM:ITEMID").assign(id);
            record.field("ITM:ITEMNUMBER").assign(id == 1 ? "A-1" : "B-2");
            record.field("ITM:DESCRIPTION").assign(id == 1 ? "Bolt 6\" long" : "Nut");
            record.field("ITM:COST").assign(host::Decimal::parse("1.5").value());
            record.field("ITM:LIST").assign(2);
            record.field("ITM:SELL").assign(host::Decimal::parse("-0.25").value());
            ASSERT_TRUE(file.add());
        }
    });
    seed(app::files::invHdr(), [](host::Record& record, host::RecordFile& file) {
        record.field("INH:INVHDRID").assign(1);
        record.field("INH:INVOICENUMBER").assign(7);
        record.field("INH:DATE").assign(host::dayNumber(2024, 3, 5));
        ASSERT_TRUE(file.add());
        record.clear();
        record.field("INH:INVHDRID").assign(2);
        record.field("INH:INVOICENUMBER").assign(8);
        ASSERT_TRUE(file.add());
    });
    EXPECT_EQ(app::RecordDump::Lines(folder, app::files::item()),
              (Lines{"ITM:ITEMID=1 ITM:ITEMNUMBER=\"A-1\" ITM:DESCRIPTION=\"Bolt 6\"\" long\" "
                     "ITM:COST=1.50 ITM:LIST=2.00 ITM:SELL=-0.25 ITM:UOM=\"\" ITM:ICONFILE=\"\"",
                     "ITM:ITEMID=2 ITM:ITEMNUMBER=\"B-2\" ITM:DESCRIPTION=\"Nut\" ITM:COST=1.50 "
                     "ITM:LIST=2.00 ITM:SELL=-0.25 ITM:UOM=\"\" ITM:ICONFILE=\"\""}));
    EXPECT_EQ(app::RecordDump::Lines(folder, app::files::invHdr()),
              (Lines{"INH:CUSTOMERNUMBER=\"\" INH:INVHDRID=1 INH:INVOICENUMBER=7 "
                     "INH:DATE=2024-03-05",
                     "INH:CUSTOMERNUMBER=\"\" INH:INVHDRID=2 INH:INVOICENUMBER=8 INH:DATE=none"}));
    EXPECT_EQ(app::RecordDump::Lines(folder, app::files::customer()), Lines{"(no file)"});
    EXPECT_EQ(app::RecordDump::Lines(folder + "/missing", app::files::customer()).size(), 1u);
}

TEST(ScenarioCommandMistakes, AreReportedWithTheirLinesBeforeAnythingRuns) {
    host::headless::HeadlessSession session;
    host::headless::SessionRunner runner(session);
    app::ScenarioCommands::AddTo(runner, app::ProgramFolder::at("/nonexistent/eip"));
    auto result = runner.run("start program extra\n"
                             "dump file Orders\n"
                             "show menus now\n"
                             "use test procedure for\n"
                             "expect program ended\n");
    EXPECT_FALSE(result.passed);
    EXPECT_EQ(result.failedLine, 1);
    EXPECT_NE(result.failure.find("line 2: dump file: no data file \"Orders\" (there are Item, "
                                  "Config, Customer, InvDet, InvHdr)"),
              std::string::npos)
        << result.failure;
    EXPECT_NE(result.failure.find("line 3:"), std::string::npos);
    EXPECT_NE(result.failure.find("line 4:"), std::string::npos);
    EXPECT_EQ(result.failure.find("line 5:"), std::string::npos);

    auto notStarted = runner.run("expect program ended\n");
    EXPECT_EQ(notStarted.failure, "line 1: the program was never started");
}

// The data files a scenario expects things of, read as another station while the
// program holds a record and has its cursor in the file.
class ScenarioFileExpectations : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temporary.path().empty());
        std::filesystem::create_directories(program.dataFolder());
        ASSERT_TRUE(driver.openFolder(program.dataFolder()));
        testsupport::seed(driver, app::files::customer(),
                          [](host::Record& record, host::RecordFile& file) {
                              for (auto [id, number, name] : {std::tuple{3, "C3", "Carol Jones"},
                                                              {1, "C1", "JOHN SMITH"},
                                                              {2, "C2", "Brown"}}) {
                                  record.clear();
                                  record.field("CUS:CUSTOMERID").assign(id);
                                  record.field("CUS:NUMBER").assign(number);
                                  record.field("CUS:NAME").assign(name);
                                  ASSERT_TRUE(file.add());
                              }
                          });
        app::ScenarioCommands::AddTo(runner, program);
    }

    std::string run(const std::string& script) {
        auto result = runner.run(script);
        return result.passed ? "passed" : result.failure;
    }

    testsupport::TempFolder temporary;
    app::ProgramFolder program = app::ProgramFolder::at(temporary.path());
    host::sqlite::SqliteDriver driver;
    host::headless::HeadlessSession session;
    host::headless::SessionRunner runner{session};
};

TEST_F(ScenarioFileExpectations, CountsAndFieldsInTheFirstKeysOrderWithoutTouchingTheProgramsHold) {
    // The program, another station of its own, holds customer 1 and reads on from it.
    host::Record customer(app::files::customer().layout());
    auto programFile = driver.makeFile(app::files::customer(), customer);
    ASSERT_TRUE(programFile->open());
    ASSERT_TRUE(programFile->set(1));
    programFile->hold();
    ASSERT_TRUE(programFile->next());
    ASSERT_TRUE(programFile->isHeld());

    EXPECT_EQ(run("expect file customer records 3\n"
                  "expect file Customer record 2 CUS:NUMBER=C2 name=Brown\n"
                  "expect file CUSTOMER record 3 NAME=\"Carol Jones\" CUS:FAX=\"\"\n"
                  "expect file Item records 0\n"),
              "passed");
    EXPECT_EQ(run("expect file Customer record 1 NAME=x\n"),
              "line 1: record 1 is held by a station, so its fields cannot be read");
    EXPECT_EQ(app::RecordDump::Lines(program.dataFolder(), app::files::customer()).front(),
              "(held)");

    // The hold is the program's still, and its cursor goes on where it was.
    host::Record other(app::files::customer().layout());
    host::sqlite::SqliteDriver otherDriver;
    ASSERT_TRUE(otherDriver.openFolder(program.dataFolder()));
    auto otherFile = otherDriver.makeFile(app::files::customer(), other);
    ASSERT_TRUE(otherFile->open());
    other.field("CUS:CUSTOMERID").assign(1);
    EXPECT_FALSE(otherFile->get(1));
    EXPECT_EQ(host::errorCode(), host::errors::recordHeld);
    ASSERT_TRUE(programFile->next());
    EXPECT_EQ(customer.field("CUS:CUSTOMERID").integer(), 2);
}

TEST_F(ScenarioFileExpectations, FailuresSayWhatTheFileHolds) {
    EXPECT_EQ(run("expect file Customer records 2\n"),
              "line 1: expected the \"Customer\" file to hold 2 records, but it holds 3");
    EXPECT_EQ(run("expect file Item records 1\n"),
              "line 1: expected the \"Item\" file to hold 1 record, but it was never made");
    EXPECT_EQ(run("expect file Customer record 3 CUS:NUMBER=C3 NAME=\"Carol Smith\"\n"),
              "line 1: expected CUS:NAME of record 3 to be \"Carol Smith\", but it is "
              "\"Carol Jones\"");
    EXPECT_EQ(run("expect file Customer record 4 NAME=x\n"),
              "line 1: expected a record 4 in the \"Customer\" file, but it holds 3 records");

    auto mistakes = runner.run("expect file Customer record 1 CUS:COLOUR=red\n"
                               "expect file Customer records\n"
                               "expect file Orders records 1\n"
                               "expect file Customer record 1\n"
                               "expect file Customer record 1 NAME\n");
    EXPECT_NE(mistakes.failure.find("line 1: expect file: the \"Customer\" file has no field "
                                    "CUS:COLOUR"),
              std::string::npos)
        << mistakes.failure;
    for (const char* line : {"line 2:", "line 3:", "line 4:", "line 5:"})
        EXPECT_NE(mistakes.failure.find(line), std::string::npos) << line;
}

} // namespace
