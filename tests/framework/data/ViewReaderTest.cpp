// The view reader: order and filter texts as it writes them, range limits from a related
// file's record, named filters, and reading through AcceptRecord.
#include "DataFixture.h"

#include "framework/data/ViewReader.h"
#include "runtime/files/RecordView.h"

using namespace datatest;
using framework::ActionCascade;
using framework::RecordJudgement;
using framework::ViewReader;

namespace {

class JudgingReader : public ViewReader {
public:
    RecordJudgement AcceptRecord() override { return judgement; }
    RecordJudgement judgement = RecordJudgement::Take;
};

class ViewReaderTest : public DataTest {
protected:
    TestFile customers{driver, customerDefinition()};
    TestFile headers{driver, headerDefinition()};
    TestFile lines{driver, lineDefinition()};
    std::unique_ptr<host::RecordView> view;
    JudgingReader reader;

    void SetUp() override {
        DataTest::SetUp();
        seed(customerDefinition(), [](host::Record& record, host::RecordFile& file) {
            fillCustomer(record, 1, "C1", "Name 1");
            file.add();
            fillCustomer(record, 2, "O'K", "Name 2");
            file.add();
        });
        seed(lineDefinition(), [](host::Record& record, host::RecordFile& file) {
            int id = 0;
            for (int header = 1; header <= 2; ++header)
                for (int seq = 1; seq <= 3; ++seq) {
                    ++id;
                    fillLine(record, id, header, seq * 10, "L" + std::to_string(id));
                    file.add();
                }
        });
        seed(headerDefinition(), [](host::Record& record, host::RecordFile& file) {
            record.clear();
            record.field("HDR:ID").assign(1);
            file.add();
        });
        declare(customers, "Customer");
        declare(headers, "Header");
        declare(lines, "Line", {1, 2});
        headers.link.DeclareRelation(lines.link, ActionCascade, ActionCascade, "LIN:HDRK");
        headers.link.AddLinkFields(headers.field("HDR:ID"), lines.field("LIN:HDRID"));
        headers.link.DeclareRelation(customers.link, 0, 0, "CUS:NUMBERK");
        headers.link.AddLinkFields(headers.field("HDR:CUST"), customers.field("CUS:NUMBER"));
        lines.link.DeclareRelation(headers.link);
        ASSERT_EQ(lines.link.Open(), Severity::Benign);
        view = driver.makeView(*lines.file);
        reader.Setup(*view, lines.link);
    }
    void TearDown() override {
        reader.Close();
        reader.Teardown();
        view.reset();
        lines.link.Close();
        DataTest::TearDown();
    }
    std::vector<long long> readAll() {
        std::vector<long long> read;
        while (reader.ReadNext() == Severity::Benign)
            read.push_back(lines.number("LIN:ID"));
        return read;
    }
};

TEST_F(ViewReaderTest, SetupOpensEveryFileOfTheView) {
    auto joined = driver.makeView(*lines.file);
    ASSERT_TRUE(joined->join(*headers.file, "HDR:ID = LIN:HDRID"));
    EXPECT_FALSE(headers.access.IsReallyOpen());
    ViewReader lineReader;
    lineReader.Setup(*joined, lines.link, nullptr, {headers.file.get()});
    EXPECT_TRUE(lines.access.IsReallyOpen());
    EXPECT_TRUE(headers.access.IsReallyOpen());
    EXPECT_FALSE(customers.access.IsReallyOpen());

    lineReader.DeclareSortOrder("LIN:HDRK");
    lineReader.Reset();
    ASSERT_EQ(lineReader.ReadNext(), Severity::Benign);
    EXPECT_EQ(headers.number("HDR:ID"), 1) << "the joined header is read with its line";

    // A new line within the range of a header that is itself a file of the view.
    lineReader.AddRangeFromFile(lines.link, headers.link);
    lineReader.ResetToRange();
    EXPECT_EQ(headers.number("HDR:ID"), 0) << "the view's files are cleared";
    EXPECT_EQ(lines.number("LIN:HDRID"), 1) << "but the new line still belongs to header 1";
    EXPECT_EQ(lines.number("LIN:SEQ"), 31);
    lines.access.CancelAutoNumber();
    lineReader.Close();
    lineReader.Teardown();
    joined.reset();
    headers.access.Close();
}

TEST_F(ViewReaderTest, FilterTextsAreWrittenFromTheRangeAndTheFilters) {
    reader.DeclareSortOrder("LIN:HDRK");
    reader.Open();
    EXPECT_EQ(view->order(), "LIN:HDRID,LIN:SEQ");
    EXPECT_EQ(view->filter(), "") << "no range and no filter";

    reader.PutFilter("LIN:SEQ > 10");
    reader.PushFilter();
    EXPECT_EQ(view->filter(), "(LIN:SEQ > 10)");

    headers.field("HDR:ID").assign(2);
    reader.AddRangeFromFile(lines.link, headers.link);
    reader.PushFilter();
    EXPECT_EQ(view->filter(), "LIN:HDRID = 2 AND (LIN:SEQ > 10)");
    EXPECT_EQ(reader.FixedKeyComponents(), 2);
    EXPECT_EQ(reader.FreeComponentName(), "LIN:SEQ");
    reader.Reset();
    EXPECT_EQ(readAll(), (std::vector<long long>{5, 6}));

    reader.PutFilterWithId("LIN:SEQ < 30", "9 Query");
    reader.PushFilter();
    EXPECT_EQ(view->filter(), "LIN:HDRID = 2 AND (LIN:SEQ < 30) AND (LIN:SEQ > 10)");
    reader.PutFilterWithId("", "5 Standard");
    reader.PushFilter();
    EXPECT_EQ(view->filter(), "LIN:HDRID = 2 AND (LIN:SEQ < 30)");
    reader.PutFilterWithId("", "9 Query");
    reader.PushFilter();
    EXPECT_EQ(view->filter(), "LIN:HDRID = 2");
}

TEST_F(ViewReaderTest, ARangeFollowsTheRelatedRecord) {
    reader.DeclareSortOrder("LIN:HDRK");
    headers.field("HDR:ID").assign(1);
    reader.AddRangeFromFile(lines.link, headers.link);
    reader.Reset();
    EXPECT_EQ(readAll(), (std::vector<long long>{1, 2, 3}));
    EXPECT_FALSE(reader.RangeChanged());

    headers.field("HDR:ID").assign(2);
    EXPECT_TRUE(reader.RangeChanged());
    EXPECT_EQ(view->filter(), "LIN:HDRID = 2");
    EXPECT_FALSE(reader.RangeChanged());
    reader.Reset();
    EXPECT_EQ(readAll(), (std::vector<long long>{4, 5, 6}));
}

TEST_F(ViewReaderTest, ReadingPositionsAtTheBufferValues) {
    reader.DeclareSortOrder("LIN:HDRK");
    lines.field("LIN:HDRID").assign(2);
    lines.field("LIN:SEQ").assign(20);
    reader.ResetFrom(2);
    EXPECT_EQ(readAll(), (std::vector<long long>{5, 6}));
    lines.field("LIN:HDRID").assign(2);
    reader.ResetFrom(1);
    ASSERT_EQ(reader.ReadNext(), Severity::Benign);
    EXPECT_EQ(lines.number("LIN:ID"), 4);
    EXPECT_EQ(reader.ReadPrevious(), Severity::Benign);
    EXPECT_EQ(lines.number("LIN:ID"), 3);
}

TEST_F(ViewReaderTest, AcceptRecordSkipsOrEndsTheReading) {
    reader.DeclareSortOrder("LIN:IDK");
    reader.Reset();
    reader.judgement = RecordJudgement::Filtered;
    EXPECT_EQ(reader.ReadNext(), Severity::Notify) << "every record skipped: the end";
    reader.Reset();
    reader.judgement = RecordJudgement::OutOfRange;
    EXPECT_EQ(reader.ReadNext(), Severity::Notify);
    reader.judgement = RecordJudgement::Take;
    EXPECT_EQ(reader.ReadNext(), Severity::Benign);
    EXPECT_EQ(lines.number("LIN:ID"), 2);
}

TEST_F(ViewReaderTest, SortOrdersAreSelectedByNumber) {
    EXPECT_EQ(reader.DeclareSortOrder("LIN:IDK"), 1u);
    EXPECT_EQ(reader.DeclareSortOrder("LIN:HDRK"), 2u);
    EXPECT_TRUE(reader.SelectSortOrder(0));
    EXPECT_EQ(reader.ORDER->currentNumber(), 1u);
    EXPECT_FALSE(reader.SelectSortOrder(1));
    EXPECT_TRUE(reader.SelectSortOrder(2));
    reader.PutOrderText("-LIN:SEQ,LIN:ID");
    reader.Reset();
    EXPECT_EQ(readAll(), (std::vector<long long>{3, 6, 2, 5, 1, 4}));
}

TEST_F(ViewReaderTest, ARefusedFilterIsReportedAndReadingGoesOnWithout) {
    reader.DeclareSortOrder("LIN:IDK");
    reader.PutFilter("LIN:NOSUCHFIELD = 1");
    reader.Reset();
    ASSERT_EQ(titles(), std::vector<std::string>{"View Open Error"});
    EXPECT_EQ(readAll().size(), 6u);
}

TEST_F(ViewReaderTest, TextLimitsAreQuotedAndFollowTheKeysLetterCase) {
    auto customerView = driver.makeView(*customers.file);
    customers.access.Open();
    ViewReader byNumber;
    byNumber.Setup(*customerView, customers.link);
    byNumber.DeclareSortOrder("CUS:NUMBERK");
    headers.field("HDR:CUST").assign("o'k");
    byNumber.AddRangeFromFile(customers.link, headers.link);
    byNumber.Reset();
    EXPECT_EQ(customerView->order(), "UPPER(CUS:NUMBER)");
    EXPECT_EQ(customerView->filter(), "UPPER(CUS:NUMBER) = UPPER('o''k')");
    ASSERT_EQ(byNumber.ReadNext(), Severity::Benign);
    EXPECT_EQ(customers.text("CUS:NAME"), "Name 2");
    EXPECT_EQ(byNumber.ReadNext(), Severity::Notify);
    byNumber.Close();
    byNumber.Teardown();
    customerView.reset();
    customers.access.Close();
}

} // namespace
