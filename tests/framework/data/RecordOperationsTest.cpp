// Record operations through FileAccess: reading, auto-numbering with its placeholder,
// inserting with duplicate diagnosis, updating against another station, validation.
#include "DataFixture.h"
#include "tests/support/StationProcess.h"

using namespace datatest;
using framework::FileAccess;
using testsupport::StationProcess;

namespace {

class RecordOperationsTest : public DataTest {
protected:
    TestFile customers{driver, customerDefinition()};
    TestFile lines{driver, lineDefinition()};

    void SetUp() override {
        DataTest::SetUp();
        declare(customers, "Customer", {1});
        declare(lines, "Line", {1, 2});
        customers.access.Open();
        lines.access.Open();
    }
    void TearDown() override {
        customers.access.Close();
        lines.access.Close();
        DataTest::TearDown();
    }
    std::int64_t customerCount() {
        customers.access.CheckOpen(2);
        return customers.file->recordCount();
    }
};

TEST_F(RecordOperationsTest, ReadingRunsOffTheEndOnceAndStaysThere) {
    seedCustomers(2);
    FileAccess& access = customers.access;
    customers.file->set(1);
    EXPECT_EQ(access.ReadNext(), Severity::Benign);
    EXPECT_EQ(access.ReadNext(), Severity::Benign);
    EXPECT_EQ(access.ReadNext(), Severity::Notify);
    EXPECT_TRUE(access.SelectInfo().ATEOF);
    EXPECT_EQ(access.ReadNextQuiet(), Severity::Notify);
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 2) << "the buffer keeps the last record";
    EXPECT_EQ(access.ReadPrevious(), Severity::Benign);
    EXPECT_FALSE(access.SelectInfo().ATEOF);
    EXPECT_TRUE(boxes.shown().empty()) << "the end of the file is not reported";
}

TEST_F(RecordOperationsTest, HeldRecordsAreReportedOrSkipped) {
    seedCustomers(3);
    host::Record otherRecord(customerDefinition().layout());
    auto other = driver.makeFile(customerDefinition(), otherRecord);
    ASSERT_TRUE(other->open());
    other->hold();
    otherRecord.field("CUS:CUSTOMERID").assign(2);
    ASSERT_TRUE(other->get(1));

    FileAccess& access = customers.access;
    customers.file->set(1);
    EXPECT_EQ(access.ReadNext(), Severity::Benign);
    EXPECT_EQ(access.ReadNext(), Severity::Notify);
    EXPECT_EQ(titles(), std::vector<std::string>{"Record not read"});
    EXPECT_EQ(access.ReadNextQuiet(), Severity::Benign) << "reading goes on past it";
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 3);

    access.SKIPHELDRECORDS = true;
    customers.file->set(1);
    std::vector<long long> read;
    while (access.ReadNext() == Severity::Benign)
        read.push_back(customers.number("CUS:CUSTOMERID"));
    EXPECT_EQ(read, (std::vector<long long>{1, 3}));
    EXPECT_EQ(boxes.shown().size(), 1u);
}

// ---- Auto-numbering ------------------------------------------------------------------------

TEST_F(RecordOperationsTest, AutoNumberingCountsOnFromTheHighestNumber) {
    FileAccess& access = customers.access;
    fillCustomer(customers.record, 0, "A", "First");
    EXPECT_EQ(access.ReserveAutoNumber(), Severity::Benign);
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 1) << "an empty file starts at 1";
    EXPECT_TRUE(access.SelectInfo().AUTOINCDONE);
    EXPECT_EQ(access.ReserveAutoNumber(), Severity::Benign);
    EXPECT_EQ(customerCount(), 1) << "one placeholder per thread";
    access.CancelAutoNumber();
    EXPECT_EQ(customerCount(), 0);

    seedCustomers(7);
    fillCustomer(customers.record, 0, "N", "New");
    EXPECT_EQ(access.ReserveAutoNumberQuiet(), Severity::Benign);
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 8);
    EXPECT_EQ(customers.text("CUS:NAME"), "New") << "the buffer keeps what it held";
}

TEST_F(RecordOperationsTest, ASecondComponentIsNumberedWithinItsGroup) {
    seed(lineDefinition(), [](host::Record& record, host::RecordFile& file) {
        for (int seq = 1; seq <= 3; ++seq) {
            fillLine(record, seq, 1, seq);
            file.add();
        }
        fillLine(record, 4, 3, 7);
        file.add();
    });
    FileAccess& access = lines.access;
    fillLine(lines.record, 0, 2, 0, "new");
    EXPECT_EQ(access.ReserveAutoNumber(), Severity::Benign);
    EXPECT_EQ(lines.number("LIN:SEQ"), 1) << "header 2 has no lines of its own";
    EXPECT_EQ(lines.number("LIN:ID"), 5);
    EXPECT_EQ(access.Insert(), Severity::Benign);

    fillLine(lines.record, 0, 1, 0, "more");
    EXPECT_EQ(access.PrepareNewRecord(true), Severity::Benign);
    EXPECT_EQ(lines.number("LIN:SEQ"), 4);
    EXPECT_EQ(lines.number("LIN:ID"), 6);
}

TEST_F(RecordOperationsTest, AnInsertWritesOverThePlaceholderWithoutASecondRecord) {
    seedCustomers(2);
    FileAccess& access = customers.access;
    EXPECT_EQ(access.PrepareNewRecord(), Severity::Benign);
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 3);
    EXPECT_EQ(customerCount(), 3);
    customers.field("CUS:NUMBER").assign("C3");
    customers.field("CUS:NAME").assign("Third");

    // Something else is read in between (a lookup, a browse on the same thread).
    std::int32_t image = access.StoreImage();
    customers.file->set(1);
    access.ReadNext();
    access.RecallImage(image, true);

    EXPECT_EQ(access.Insert(), Severity::Benign);
    EXPECT_FALSE(access.SelectInfo().AUTOINCDONE);
    EXPECT_EQ(customerCount(), 3);
    EXPECT_EQ(numbers(customerDefinition(), 1, "CUS:CUSTOMERID"),
              (std::vector<long long>{1, 2, 3}));
    customers.field("CUS:CUSTOMERID").assign(1);
    access.ReadByKey(1);
    EXPECT_EQ(customers.text("CUS:NAME"), "Name 1") << "the record read between is untouched";
    customers.field("CUS:CUSTOMERID").assign(3);
    access.ReadByKey(1);
    EXPECT_EQ(customers.text("CUS:NAME"), "Third");
}

TEST_F(RecordOperationsTest, PlaceholdersDoNotOutliveTheirInsert) {
    seedCustomers(2);
    FileAccess& access = customers.access;
    access.PrepareNewRecord();
    access.PrepareNewRecord();
    EXPECT_EQ(customerCount(), 3) << "a second new record replaces the first placeholder";
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 3);
    access.Close();
    access.Open();
    EXPECT_EQ(customerCount(), 2) << "closing the file removes the placeholder";
}

TEST_F(RecordOperationsTest, ADuplicateIsReportedWithTheKeyItDuplicates) {
    seedCustomers(2);
    FileAccess& access = customers.access;
    access.PrepareNewRecord();
    customers.field("CUS:NUMBER").assign("c2");
    customers.field("CUS:NAME").assign("Unique name");
    EXPECT_EQ(access.Insert(), Severity::Notify);
    ASSERT_EQ(titles(), std::vector<std::string>{"Duplicate Key Error"});
    EXPECT_EQ(boxes.shown()[0].text,
              "Adding this record creates a duplicate entry for the key: CUS:NUMBERK description");
    EXPECT_TRUE(access.SelectInfo().AUTOINCDONE) << "the placeholder waits for a correction";

    customers.field("CUS:NUMBER").assign("C3");
    EXPECT_EQ(access.Insert(), Severity::Benign);
    EXPECT_EQ(customerCount(), 3);
}

TEST_F(RecordOperationsTest, ADuplicateOnAnInsertThatNumbersItselfIsNoNumberingRace) {
    seedCustomers(2);
    FileAccess& access = customers.access;
    fillCustomer(customers.record, 0, "C9", "Name 1");
    EXPECT_EQ(access.InsertQuiet(), Severity::Notify);
    EXPECT_EQ(access.LastError(), 13);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(access.Insert(), Severity::Notify);
    ASSERT_EQ(titles(), std::vector<std::string>{"Duplicate Key Error"});
    EXPECT_EQ(boxes.shown()[0].text,
              "Adding this record creates a duplicate entry for the key: CUS:NAMEK description");
    EXPECT_EQ(customerCount(), 2);
}

// ---- Validation ----------------------------------------------------------------------------

class RefusingAccess : public FileAccess {
public:
    Severity CheckField(int fieldNo) override {
        checked.push_back(fieldNo);
        return fieldNo == refused ? Severity::Notify : Severity::Benign;
    }
    int refused = 0;
    std::vector<int> checked;
};

class ValidationTest : public DataTest {
protected:
    TestFile customers{driver, customerDefinition(), std::make_unique<RefusingAccess>()};
    RefusingAccess& access = static_cast<RefusingAccess&>(customers.access);

    void SetUp() override {
        DataTest::SetUp();
        declare(customers, "Customer");
        access.Open();
    }
    void TearDown() override {
        access.Close();
        DataTest::TearDown();
    }
};

TEST_F(ValidationTest, ARefusedFieldStopsTheCheckAndTheWrite) {
    int failed = 0;
    access.refused = 3;
    EXPECT_EQ(access.CheckRecord(&failed), Severity::Notify);
    EXPECT_EQ(failed, 3);
    EXPECT_EQ(access.checked, (std::vector<int>{1, 2, 3}));
    fillCustomer(customers.record, 1, "A", "A");
    EXPECT_EQ(access.Insert(), Severity::Notify);
    access.refused = 0;
    EXPECT_EQ(access.Insert(), Severity::Benign);
    access.refused = 2;
    EXPECT_EQ(access.Update(), Severity::User);
    EXPECT_EQ(access.CheckFields(3, 4, &failed), Severity::Benign);
}

// ---- Another station -----------------------------------------------------------------------

// The other station runs in its own process, started before this one opens the folder;
// each letter 'a' or 'b' makes it rewrite customer 2's city, 'q' ends it.
class OtherStationTest : public RecordOperationsTest {
protected:
    std::unique_ptr<StationProcess> other;

    void SetUp() override {
        other = std::make_unique<StationProcess>([folder = folder.path()](StationProcess& self) {
            if (self.hear() != 'g')
                return;
            std::unique_ptr<host::RecordFileDriver> station = testsupport::StoreDriver::make();
            host::RecordFileDriver& driver = *station;
            self.require(driver.openFolder(folder));
            host::Record record(customerDefinition().layout());
            auto file = driver.makeFile(customerDefinition(), record);
            self.require(file->open());
            for (char letter; (letter = self.hear()) == 'a' || letter == 'b';) {
                record.field("CUS:CUSTOMERID").assign(2);
                self.require(file->get(1));
                record.field("CUS:CITY").assign(letter == 'a' ? "Their City" : "Later City");
                self.require(file->put());
                self.say('+');
            }
        });
        RecordOperationsTest::SetUp();
        seedCustomers(3);
        other->say('g');
    }
};

TEST_F(OtherStationTest, AnUpdateAfterTheirChangeIsRefusedAndShowsTheirVersion) {
    FileAccess& access = customers.access;
    access.CheckOpen(2);
    customers.field("CUS:CUSTOMERID").assign(2);
    customers.file->watch();
    ASSERT_EQ(access.ReadByKey(1), Severity::Benign);
    other->say('a');
    ASSERT_EQ(other->hear(), '+');

    customers.field("CUS:CITY").assign("My City");
    EXPECT_EQ(access.Update(), Severity::Notify);
    ASSERT_EQ(titles(), std::vector<std::string>{"Record Was Not Updated"});
    EXPECT_EQ(boxes.shown()[0].text, "This record was changed by another station.");
    EXPECT_EQ(access.LastError(), 6);
    EXPECT_EQ(customers.text("CUS:CITY"), "Their City");

    // Watched again: the next write goes through, unless they change it once more.
    other->say('b');
    ASSERT_EQ(other->hear(), '+');
    customers.field("CUS:CITY").assign("My City");
    EXPECT_EQ(customers.link.Update(true), Severity::Notify);
    EXPECT_EQ(access.LastError(), 7);
    EXPECT_EQ(boxes.shown().back().text,
              "This record was changed by another station. Those changes will now be displayed. "
              "Use the Ditto Button or Ctrl+' to recall your changes.");
    EXPECT_EQ(customers.text("CUS:CITY"), "Later City");
    customers.field("CUS:CITY").assign("My City");
    EXPECT_EQ(access.UpdateQuiet(), Severity::Benign);
    other->say('q');
    EXPECT_EQ(other->wait(), 0);
}

// A file declared per-thread keeps open counts and placeholder marks per logical thread.
class PerThreadTest : public DataTest {
protected:
    static host::FileDefinition perThreadCustomers() {
        host::FileDefinition definition = customerDefinition();
        definition.setPerThread(true);
        return definition;
    }
    TestFile customers{driver, perThreadCustomers()};

    void SetUp() override {
        DataTest::SetUp();
        declare(customers, "Customer", {1});
    }
    void TearDown() override {
        host::setCurrentThread(1);
        DataTest::TearDown();
    }
};

TEST_F(PerThreadTest, EachThreadHasItsOwnCountsAndPlaceholder) {
    FileAccess& access = customers.access;
    access.Open();
    ASSERT_EQ(access.PrepareNewRecord(), Severity::Benign);
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 1);

    host::setCurrentThread(2);
    EXPECT_THROW(access.ReadNext(), host::headless::ProgramHalted)
        << "thread 2 has not opened the file";
    access.Open();
    fillCustomer(customers.record, 0, "T2", "Thread two");
    EXPECT_EQ(access.InsertQuiet(), Severity::Benign) << "numbers its own record";
    EXPECT_EQ(customers.number("CUS:CUSTOMERID"), 2);

    host::setCurrentThread(1);
    EXPECT_TRUE(access.SelectInfo().AUTOINCDONE);
    fillCustomer(customers.record, 1, "T1", "Thread one");
    EXPECT_EQ(access.Insert(), Severity::Benign) << "over its own placeholder";
    EXPECT_EQ(numbers(customerDefinition(), 2, "CUS:CUSTOMERID"), (std::vector<long long>{1, 2}));
    access.Close();
    host::setCurrentThread(2);
    access.Close();
}

} // namespace
