// The stable text form of a data file's records, and the scenario commands around it.
#include "DictionaryFixture.h"

#include "app/scenarios/RecordDump.h"
#include "app/scenarios/ScenarioCommands.h"
#include "runtime/base/Clock.h"
#include "runtime/base/Decimal.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/headless/SessionRunner.h"

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

TEST(RecordDumpNames, FilesAreNamedByDisplayNameOrLabelInAnyCase) {
    EXPECT_EQ(app::RecordDump::Declaration("invdet")->label(), "INVDET");
    EXPECT_EQ(app::RecordDump::Declaration("CUSTOMER")->label(), "CUSTOMER");
    EXPECT_FALSE(app::RecordDump::Declaration("Orders"));
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

} // namespace
