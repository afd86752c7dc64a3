// Relation links: tree opening, and the delete and update actions applied to related
// records inside one transaction frame.
#include "DataFixture.h"

using namespace datatest;
using framework::ActionCascade;
using framework::ActionClear;
using framework::ActionNone;
using framework::ActionRestrict;

namespace {

class RelationLinkTest : public DataTest {
protected:
    TestFile customers{driver, customerDefinition()};
    TestFile headers{driver, headerDefinition()};
    TestFile lines{driver, lineDefinition()};

    void SetUp() override {
        DataTest::SetUp();
        seed(customerDefinition(), [](host::Record& record, host::RecordFile& file) {
            fillCustomer(record, 1, "C1", "Name 1");
            file.add();
        });
        seed(headerDefinition(), [](host::Record& record, host::RecordFile& file) {
            for (int id = 1; id <= 2; ++id) {
                record.clear();
                record.field("HDR:ID").assign(id);
                record.field("HDR:CUST").assign("C1");
                file.add();
            }
        });
        seed(lineDefinition(), [](host::Record& record, host::RecordFile& file) {
            int id = 0;
            for (int seq = 1; seq <= 3; ++seq) {
                fillLine(record, ++id, 1, seq);
                file.add();
            }
            for (int seq = 1; seq <= 2; ++seq) {
                fillLine(record, ++id, 2, seq);
                file.add();
            }
        });
    }
    void TearDown() override {
        EXPECT_FALSE(driver.inTransaction()) << "no frame is left running";
        DataTest::TearDown();
    }

    // Declares the three files; the header's lines follow the given actions.
    void relate(std::uint8_t updateMode, std::uint8_t deleteMode) {
        declare(customers, "Customer");
        declare(headers, "Header", {1});
        declare(lines, "Line", {1, 2});
        headers.link.DeclareRelation(customers.link, ActionNone, ActionNone, "CUS:NUMBERK");
        headers.link.AddLinkFields(headers.field("HDR:CUST"), customers.field("CUS:NUMBER"));
        headers.link.DeclareRelation(lines.link, updateMode, deleteMode, "LIN:HDRK");
        headers.link.AddLinkFields(headers.field("HDR:ID"), lines.field("LIN:HDRID"));
        lines.link.DeclareRelation(headers.link);
        customers.link.DeclareRelation(headers.link);
    }
    // Reads header `id` as a form does before changing or deleting it.
    void readHeader(int id) {
        headers.access.Open();
        headers.field("HDR:ID").assign(id);
        ASSERT_EQ(headers.access.ReadByKey(1), Severity::Benign);
        headers.link.SaveLinkValues();
    }
    std::vector<long long> lineHeaders() { return numbers(lineDefinition(), 1, "LIN:HDRID"); }
    std::vector<long long> headerIds() { return numbers(headerDefinition(), 1, "HDR:ID"); }
    std::uint16_t opened(TestFile& file) { return file.access.SelectInfo().OPENED; }
};

TEST_F(RelationLinkTest, ATreeOpenCountsEachRelatedFileOnce) {
    relate(ActionCascade, ActionCascade);
    EXPECT_EQ(headers.link.Open(), Severity::Benign);
    EXPECT_EQ(opened(headers), 1);
    EXPECT_EQ(opened(customers), 1);
    EXPECT_EQ(opened(lines), 1) << "the relation back to the header is not followed again";
    EXPECT_TRUE(headers.access.IsReallyOpen()) << "the top file is opened for real";
    EXPECT_FALSE(lines.access.IsReallyOpen());
    headers.link.Close();
    EXPECT_EQ(opened(headers) + opened(customers) + opened(lines), 0);
}

TEST_F(RelationLinkTest, AFailedTreeOpenGivesBackOnlyWhatItTook) {
    relate(ActionCascade, ActionCascade);
    // A table where "File Access Error" is a notice, so that the failure comes back.
    std::string table = {1, 0, 23, 0, 5, 1, 'E', 1, 'x'};
    errors.LoadMessages(table);
    lines.access.Open(); // an outer procedure has the lines open
    headers.file->setNameOnDisk("MISSING");
    headers.access.CREATE = false;
    EXPECT_EQ(headers.link.Open(), Severity::Notify);
    EXPECT_EQ(opened(headers), 0);
    EXPECT_EQ(opened(customers), 0);
    EXPECT_EQ(opened(lines), 1) << "the outer procedure's open stands";
    lines.access.Close();
}

TEST_F(RelationLinkTest, QuickScanFollowsTheRelationsOfTheScope) {
    auto wrap = [](TestFile& file) {
        auto* wrapped = new FailingFile(std::move(file.file), 0);
        file.file.reset(wrapped);
        return wrapped;
    };
    FailingFile* customerFile = wrap(customers);
    FailingFile* headerFile = wrap(headers);
    FailingFile* lineFile = wrap(lines);
    relate(ActionCascade, ActionCascade);
    using Options = std::vector<std::string>;

    lines.link.SwitchQuickScan(true, 0);
    EXPECT_EQ(lineFile->options, Options{"QUICKSCAN=on"});
    EXPECT_TRUE(headerFile->options.empty()) << "scope 0: this file only";

    lines.link.SwitchQuickScan(true, 1); // relations without a key: the lines' header
    EXPECT_EQ(headerFile->options, Options{"QUICKSCAN=on"});
    EXPECT_TRUE(customerFile->options.empty()) << "the header's relations all have keys";

    headers.link.SwitchQuickScan(false, 2); // relations with a key: customers and lines
    EXPECT_EQ(customerFile->options, Options{"QUICKSCAN=off"});
    EXPECT_EQ(lineFile->options, (Options{"QUICKSCAN=on", "QUICKSCAN=on", "QUICKSCAN=off"}));
    EXPECT_EQ(headerFile->options.size(), 2u) << "the walk does not come back to the header";
}

// ---- Delete --------------------------------------------------------------------------------

TEST_F(RelationLinkTest, ACascadeDeleteIsAllOrNothing) {
    lines.file = std::make_unique<FailingFile>(std::move(lines.file), 2);
    relate(ActionCascade, ActionCascade);
    readHeader(1);
    EXPECT_EQ(headers.link.Delete(false), Severity::Notify);
    ASSERT_EQ(titles(), std::vector<std::string>{"Record was not deleted"});
    EXPECT_TRUE(boxes.shown()[0].text.ends_with("when deleting a record from the Line file."));
    EXPECT_EQ(lineHeaders(), (std::vector<long long>{1, 1, 1, 2, 2})) << "no line went";
    EXPECT_EQ(headerIds(), (std::vector<long long>{1, 2}));
    EXPECT_EQ(headers.number("HDR:ID"), 1);
    headers.access.Close();
}

TEST_F(RelationLinkTest, AFailingLineUndoesTheFrameEvenWhenTheLinesUseNoFrames) {
    lines.file = std::make_unique<FailingFile>(std::move(lines.file), 3);
    relate(ActionCascade, ActionCascade);
    lines.link.USELOGOUT = false;
    readHeader(1);
    EXPECT_EQ(headers.link.Delete(false), Severity::Notify);
    EXPECT_EQ(lineHeaders(), (std::vector<long long>{1, 1, 1, 2, 2}));
    EXPECT_FALSE(driver.inTransaction());
    // The next change can frame itself again.
    readHeader(2);
    EXPECT_EQ(headers.link.Delete(false), Severity::Benign);
    EXPECT_EQ(lineHeaders(), (std::vector<long long>{1, 1, 1}));
    headers.access.Close();
    headers.access.Close();
}

TEST_F(RelationLinkTest, RestrictRefusesADeleteWhileLinesExist) {
    relate(ActionNone, ActionRestrict);
    readHeader(1);
    EXPECT_EQ(headers.link.Delete(false), Severity::Notify);
    ASSERT_EQ(titles(), std::vector<std::string>{"Referential Integrity Delete Error"});
    EXPECT_EQ(boxes.shown()[0].text,
              "This record is referenced from the file Line. This record cannot be deleted "
              "while these references exist.");
    EXPECT_EQ(headerIds(), (std::vector<long long>{1, 2}));
    EXPECT_EQ(lineHeaders().size(), 5u);
    EXPECT_EQ(lines.access.LastError(), 30);
    headers.access.Close();
}

TEST_F(RelationLinkTest, DeleteAsksFirstAndOffersToTryAgain) {
    headers.file = std::make_unique<FailingFile>(std::move(headers.file), 1);
    relate(ActionNone, ActionClear);
    readHeader(2);
    boxes.answer(host::ButtonNo);
    EXPECT_EQ(headers.link.Delete(true), Severity::Notify);
    EXPECT_EQ(headerIds(), (std::vector<long long>{1, 2}));

    boxes.answer(host::ButtonYes); // Confirm Delete
    boxes.answer(host::ButtonOk);  // Record was not deleted
    boxes.answer(host::ButtonYes); // Record Delete Error: try again
    EXPECT_EQ(headers.link.Delete(true), Severity::Benign);
    EXPECT_EQ(titles(),
              (std::vector<std::string>{"Confirm Delete", "Confirm Delete",
                                        "Record was not deleted", "Record Delete Error"}));
    EXPECT_EQ(headerIds(), (std::vector<long long>{1}));
    EXPECT_EQ(lineHeaders(), (std::vector<long long>{1, 1, 1, 0, 0}))
        << "the clear action blanked the deleted header's lines";
    headers.access.Close();
}

TEST_F(RelationLinkTest, CancellingANewHeaderRemovesItsPlaceholderAndItsLines) {
    relate(ActionCascade, ActionCascade);
    headers.access.Open();
    lines.access.Open();
    ASSERT_EQ(headers.access.PrepareNewRecord(), Severity::Benign);
    EXPECT_EQ(headers.number("HDR:ID"), 3);
    fillLine(lines.record, 0, 3, 1);
    lines.access.PrepareNewRecord(true);
    ASSERT_EQ(lines.access.Insert(), Severity::Benign);
    EXPECT_EQ(headers.link.CancelAutoNumber(), Severity::Benign);
    EXPECT_FALSE(headers.access.SelectInfo().AUTOINCDONE);
    EXPECT_EQ(headerIds(), (std::vector<long long>{1, 2}));
    EXPECT_EQ(lineHeaders(), (std::vector<long long>{1, 1, 1, 2, 2}));
    EXPECT_EQ(headers.link.CancelAutoNumber(), Severity::Benign) << "nothing left to cancel";
    headers.access.Close();
    lines.access.Close();
}

// ---- Update --------------------------------------------------------------------------------

TEST_F(RelationLinkTest, ClearBlanksTheLinesOfARenumberedHeader) {
    relate(ActionClear, ActionNone);
    readHeader(1);
    headers.field("HDR:ID").assign(7);
    EXPECT_EQ(headers.link.Update(), Severity::Benign);
    EXPECT_EQ(lineHeaders(), (std::vector<long long>{0, 0, 0, 2, 2}));
    EXPECT_EQ(headerIds(), (std::vector<long long>{2, 7}));
    headers.access.Close();
}

TEST_F(RelationLinkTest, RestrictRefusesARenumberingAndPutsTheOldValueBack) {
    relate(ActionRestrict, ActionNone);
    headers.access.Open();
    headers.access.CheckOpen(2);
    headers.field("HDR:ID").assign(1);
    headers.file->watch();
    ASSERT_EQ(headers.access.ReadByKey(1), Severity::Benign);
    headers.link.SaveLinkValues();
    headers.field("HDR:ID").assign(9);
    headers.field("HDR:NOTE").assign("changed");
    EXPECT_EQ(headers.link.Update(), Severity::Notify);
    ASSERT_EQ(titles(), std::vector<std::string>{"Referential Integrity Update Error"});
    EXPECT_EQ(headers.number("HDR:ID"), 1);
    EXPECT_EQ(headers.text("HDR:NOTE"), "changed") << "the user's other changes stay";
    EXPECT_EQ(headerIds(), (std::vector<long long>{1, 2}));

    // The record was written and rolled back inside the frame: saving again is no
    // conflict with another station.
    EXPECT_EQ(headers.link.Update(), Severity::Benign);
    EXPECT_EQ(boxes.shown().size(), 1u);
    headers.access.Close();
}

TEST_F(RelationLinkTest, UnchangedLinksLeaveTheOtherFilesAlone) {
    relate(ActionCascade, ActionCascade);
    // Another station holds a line: touching the lines would fail.
    host::Record otherRecord(lineDefinition().layout());
    auto other = driver.makeFile(lineDefinition(), otherRecord);
    ASSERT_TRUE(other->open());
    other->hold();
    otherRecord.field("LIN:ID").assign(1);
    ASSERT_TRUE(other->get(1));
    readHeader(1);
    headers.field("HDR:NOTE").assign("note");
    EXPECT_EQ(headers.link.Update(), Severity::Benign);
    EXPECT_TRUE(boxes.shown().empty());
    headers.access.Close();
}

} // namespace
