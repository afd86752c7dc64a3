// The record processor's progress and the report driver's timed batches, run on the
// headless desktop over a customer file, with a clock that each record moves on.
#include "tests/framework/data/DataFixture.h"

#include "framework/browse/ThumbStep.h"
#include "framework/query/QueryBuilder.h"
#include "framework/report/PreviewWindow.h"
#include "framework/report/RecordProcessor.h"
#include "framework/report/ReportDriver.h"
#include "framework/window/ResponseKind.h"
#include "runtime/files/RecordView.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/report/Report.h"
#include "runtime/report/ReportDefinition.h"
#include "runtime/ui/Window.h"
#include "tests/support/WindowDefinitions.h"

using namespace datatest;
using framework::RecordProcessor;
using framework::ReportDriver;
using framework::ResponseKind;
using host::headless::HeadlessSession;

namespace {

constexpr std::string_view progressWindow = R"(
window T$PROGRESSWINDOW "Progress..." at=0,0,120,50 timer=100
  progress 1 at=4,4,112,10 use=LOC:PROGRESS range=0,100
  label 2 "Working" at=4,16,112,10
  label 3 "" at=4,26,112,10
  button 4 "Cancel" at=40,36,40,12
  button 5 "Query" at=84,36,30,12
end
)";

constexpr std::string_view names = R"(
report T$NAMES "Names" page=1000,1000 body=0,0,1000,1000
  detail 8 at=0,0,1000,100
    text use=CUS:NAME at=0,0,1000,100
  end
end
)";

// Each record handled moves the session's clock on by `cost` hundredths.
class TimedProcessor : public RecordProcessor {
public:
    framework::Severity HandleRecord() override {
        ++handled;
        if (session)
            session->setClock(session->today(), session->clock() + cost);
        if (report)
            report->print(8);
        return answer;
    }
    HeadlessSession* session = nullptr;
    host::Report* report = nullptr;
    int cost = 0;
    int handled = 0;
    framework::Severity answer = Severity::Benign;
};

class TestReport : public ReportDriver {
public:
    TestReport(TestFile& file, host::RecordView& view, TimedProcessor& processor,
               host::Report* report, framework::PreviewWindow* preview)
        : file_(file), view_(view), processor_(processor), report_(report), preview_(preview) {}

    Severity Setup() override {
        Severity level = ReportDriver::Setup();
        if (level != Severity::Benign)
            return level;
        window = std::make_unique<host::Window>(testsupport::define(progressWindow));
        window->bind("LOC:PROGRESS", progress);
        OpenWindow(*window);
        processor_.InitCounted(view_, file_.link, 3, progress, 0);
        RegisterButton(4, ResponseKind::Cancelled);
        Attach(processor_, report_, preview_);
        if (startingBatch)
            RECORDSPERCYCLE = startingBatch;
        if (processor_.QUERY) {
            QUERYCONTROL = 5;
            DEFEROPENREPORT = 1; // the user may ask for criteria before the first record
        }
        return Severity::Benign;
    }

    std::unique_ptr<host::Window> window;
    host::Variable progress{host::FieldType::byte()};
    int startingBatch = 0;

private:
    TestFile& file_;
    host::RecordView& view_;
    TimedProcessor& processor_;
    host::Report* report_;
    framework::PreviewWindow* preview_;
};

class ReportDriverTest : public DataTest {
protected:
    TestFile customers{driver, customerDefinition()};
    std::unique_ptr<host::RecordView> view;
    TimedProcessor processor;
    HeadlessSession session;
    std::uint8_t response = 0;

    void SetUp() override {
        DataTest::SetUp();
        declare(customers, "Customer");
        processor.session = &session;
    }
    void seedCustomers(int count) {
        seed(customerDefinition(), [count](host::Record& record, host::RecordFile& file) {
            for (int id = 1; id <= count; ++id) {
                fillCustomer(record, id, "C" + std::to_string(id),
                             std::string(1, static_cast<char>('A' + (id - 1) % 26)) + "name" +
                                 std::to_string(id));
                file.add();
            }
        });
    }
    void TearDown() override {
        view.reset();
        DataTest::TearDown();
    }
    // Starts the report; it has read its first record when this returns.
    TestReport& start(host::Report* report = nullptr, framework::PreviewWindow* preview = nullptr,
                      int startingBatch = 0) {
        customers.link.Open();
        view = driver.makeView(*customers.file);
        procedure = std::make_unique<TestReport>(customers, *view, processor, report, preview);
        procedure->ERRORS = &errors;
        procedure->startingBatch = startingBatch;
        session.start([this] { response = procedure->Execute(); });
        return *procedure;
    }
    // Runs one timer event of the progress window.
    void tick() { session.advanceClock(100 - session.clock() % 100 + 0); }

    std::unique_ptr<TestReport> procedure;
};

TEST_F(ReportDriverTest, BatchesAdaptToTheTimeSlice) {
    struct Case {
        int startingBatch;
        int costPerRecord;
        int batchAfter;
        int handledInTheEvent;
    };
    // A batch of 120 hundredths keeps its size; 160 halves it; 70 doubles it; 40 doubles
    // it and goes on in the same timer event up to the new size; one record a batch is
    // never halved.
    const Case cases[] = {
        {1, 120, 1, 1}, {4, 40, 2, 4}, {1, 70, 2, 1}, {1, 40, 2, 2}, {1, 200, 1, 1},
    };
    seedCustomers(20);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.startingBatch << " records of " << c.costPerRecord);
        processor.cost = c.costPerRecord;
        processor.handled = 0;
        TestReport& report = start(nullptr, nullptr, c.startingBatch);
        ASSERT_EQ(processor.RECORDSPROCESSED, 1) << "the first record is read on opening";
        session.advanceClock(100);
        EXPECT_EQ(report.RECORDSPERCYCLE, c.batchAfter);
        EXPECT_EQ(processor.handled, c.handledInTheEvent);
        ASSERT_TRUE(session.press("Cancel", report.window.get()));
        EXPECT_EQ(response, ResponseKind::Cancelled);
        customers.link.Close();
    }
}

TEST_F(ReportDriverTest, ProgressFollowsRecordsAndStopsAtAHundred) {
    seedCustomers(4);
    TestReport& report = start();
    EXPECT_EQ(processor.RECORDSTOPROCESS, 4);
    EXPECT_EQ(session.text("3", report.window.get()), "25% Complete");
    processor.RECORDSTOPROCESS = 2; // as if records were added while the report runs
    EXPECT_EQ(processor.ReadNextCounted(true), Severity::Benign);
    EXPECT_EQ(processor.ReadNextCounted(true), Severity::Benign);
    EXPECT_EQ(report.progress.value().toInteger(), 100);
    EXPECT_EQ(session.text("3", report.window.get()), "100% Complete");

    // A file that cannot count its records: bytes read against its size.
    processor.Reset();
    std::int32_t recordSize = static_cast<std::int32_t>(customers.record.size());
    processor.RECORDSTOPROCESS = 0;
    processor.FILESIZE = recordSize * 8;
    processor.ReadNextCounted(true);
    processor.ReadNextCounted(true);
    EXPECT_EQ(report.progress.value().toInteger(), 25);
    session.press("Cancel", report.window.get());
}

TEST_F(ReportDriverTest, SteppedProgressFollowsTheKeyValue) {
    seedCustomers(26);
    customers.link.Open();
    view = driver.makeView(*customers.file);
    framework::ThumbStep steps;
    steps.Setup(framework::ThumbStep::Letters | framework::ThumbStep::Digits,
                framework::ThumbStep::ComputedTable);
    host::Variable progress{host::FieldType::byte()};
    processor.session = nullptr;
    processor.InitStepped(*view, customers.link, 3, progress, steps, customers.field("CUS:NAME"));
    processor.DeclareSortOrder("CUS:NAMEK");
    processor.Reset();
    std::vector<long long> seen;
    while (processor.ReadNextCounted(true) == Severity::Benign)
        seen.push_back(progress.value().toInteger());
    ASSERT_EQ(seen.size(), 26u);
    EXPECT_LT(seen.front(), 10);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
    processor.Teardown();
    customers.link.Close();
}

TEST_F(ReportDriverTest, AnEmptyViewSaysNoRecordsOnceAndShowsNoPreview) {
    seedCustomers(0);
    auto definition = host::ReportDefinitionParser::parse(names);
    host::Report report(std::make_shared<const host::ReportDefinition>(definition.reports[0]));
    framework::PreviewWindow preview;
    session.answerNextMessage(host::ButtonOk);
    start(&report, &preview);
    session.advanceClock(300);
    std::vector<std::string> shown;
    for (const host::MessageBoxRequest& box : session.messagesShown())
        shown.push_back(box.title);
    EXPECT_EQ(shown, (std::vector<std::string>{"No Records"}));
    EXPECT_EQ(response, ResponseKind::Cancelled);
    EXPECT_EQ(session.window("Report Preview"), nullptr);
    EXPECT_FALSE(report.isOpen());
}

TEST_F(ReportDriverTest, OneRecordIsPreviewedAndPrintedWhenTheUserSaysSo) {
    seedCustomers(1);
    auto definition = host::ReportDefinitionParser::parse(names);
    host::Report report(std::make_shared<const host::ReportDefinition>(definition.reports[0]));
    report.bind("CUS:NAME", customers.field("CUS:NAME"));
    processor.report = &report;
    framework::PreviewWindow preview;
    start(&report, &preview);
    session.advanceClock(100);
    host::Window* shown = session.window("Report Preview");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(preview.PAGESTOPRINT, "1-1");
    EXPECT_FALSE(session.isEnabled("15", shown)) << "the page controls of a one-page report";
    EXPECT_FALSE(session.isEnabled("&Next Page(s)", shown));
    EXPECT_EQ(session.statusBar(2), "Page 1 of 1");
    ASSERT_TRUE(session.chooseMenu("E&xit"));
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(processor.handled, 1);
    EXPECT_TRUE(titles().empty());
}

TEST_F(ReportDriverTest, TheQueryButtonLimitsTheReportToTheMatchingRecords) {
    seedCustomers(30); // of the names, only Aname1 and Aname27 begin with an A
    framework::QueryBuilder query;
    query.Setup("ReportDriverTest");
    query.AddItem("CUS:NAME", "Name", "S30");
    query.SetFieldText(1, framework::QueryBuilder::MiddleField, "A*");
    processor.QUERY = &query;
    TestReport& report = start();
    ASSERT_TRUE(session.press("Query", report.window.get()));
    session.advanceClock(1000);
    EXPECT_EQ(response, ResponseKind::Completed);
    EXPECT_EQ(processor.handled, 2);
    EXPECT_EQ(processor.RECORDSPROCESSED, 2);
}

TEST_F(ReportDriverTest, ARecordNeverDoneCanStillBeCancelled) {
    seedCustomers(3);
    processor.answer = Severity::Notify;
    TestReport& report = start();
    session.advanceClock(1000);
    EXPECT_EQ(processor.RECORDSPROCESSED, 1);
    EXPECT_GE(processor.handled, 5);
    ASSERT_TRUE(session.press("Cancel", report.window.get()));
    EXPECT_EQ(response, ResponseKind::Cancelled);
}

} // namespace
