// The application's data dictionary: the numbering and validation of invoice lines, and
// what the invoice relations do to lines.
#include "DictionaryFixture.h"

#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "framework/data/ViewReader.h"
#include "runtime/files/RecordView.h"

using namespace apptest;
using framework::Severity;

namespace {

// ---- Invoice lines -------------------------------------------------------------------------

class InvoiceLinesTest : public DictionaryTest {
protected:
    void SetUp() override {
        DictionaryTest::SetUp();
        app::InvDetAccess->Open();
    }
    void TearDown() override {
        app::InvDetAccess->Close();
        DictionaryTest::TearDown();
    }
    // The sequence a new line of `header` gets.
    long long nextSequence(int header) {
        app::InvDetRecord.clear();
        app::InvDetRecord.field("IND:INVHDRID").assign(header);
        EXPECT_EQ(app::InvDetAccess->PrepareNewRecord(true), Severity::Benign);
        long long sequence = app::InvDetRecord.field("IND:SEQUENCE").integer();
        app::InvDetAccess->CancelAutoNumber();
        return sequence;
    }
};

TEST_F(InvoiceLinesTest, LinesAreNumberedInTensWithinTheirInvoice) {
    seedInvoices(2, {10, 20});
    seed(app::files::invDet(), [](host::Record& record, host::RecordFile& file) {
        record.clear();
        record.field("IND:INVDETID").assign(50);
        record.field("IND:INVHDRID").assign(3);
        record.field("IND:SEQUENCE").assign(25);
        file.add();
    });
    EXPECT_EQ(nextSequence(4), 10) << "the first line of an invoice";
    EXPECT_EQ(nextSequence(1), 30) << "after 10 and 20";
    EXPECT_EQ(nextSequence(3), 30) << "after 25";
    EXPECT_EQ(numbers(app::files::invDet(), 1, "IND:INVDETID").size(), 5u)
        << "no placeholder is left behind";

    app::InvDetRecord.clear();
    app::InvDetRecord.field("IND:INVHDRID").assign(1);
    app::InvDetAccess->PrepareNewRecord(true);
    EXPECT_EQ(app::InvDetRecord.field("IND:INVDETID").integer(), 51);
    EXPECT_EQ(app::InvDetAccess->Insert(), Severity::Benign);
    EXPECT_EQ(numbers(app::files::invDet(), 2, "IND:SEQUENCE"),
              (std::vector<long long>{10, 20, 30, 10, 20, 25}));
}

TEST_F(InvoiceLinesTest, ALineTypedOntoAnotherLinesSequenceNamesTheInvoiceHeaderKey) {
    seedInvoices(1, {10, 20});
    app::InvDetRecord.clear();
    app::InvDetRecord.field("IND:INVHDRID").assign(1);
    ASSERT_EQ(app::InvDetAccess->PrepareNewRecord(true), Severity::Benign);
    EXPECT_EQ(app::InvDetRecord.field("IND:SEQUENCE").integer(), 30);
    app::InvDetRecord.field("IND:SEQUENCE").assign(20);
    EXPECT_EQ(app::InvDetAccess->Insert(), Severity::Notify);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Duplicate Key Error");
    EXPECT_TRUE(boxes.shown()[0].text.ends_with(": Invoice Header Key")) << boxes.shown()[0].text;
    // Corrected, the line goes in over its placeholder.
    app::InvDetRecord.field("IND:SEQUENCE").assign(15);
    EXPECT_EQ(app::InvDetAccess->Insert(), Severity::Benign);
    EXPECT_EQ(numbers(app::files::invDet(), 2, "IND:SEQUENCE"),
              (std::vector<long long>{10, 15, 20}));
}

TEST_F(InvoiceLinesTest, ValidationAsksTheUserOnlyWithShowRowValidation) {
    int failed = 0;
    EXPECT_EQ(app::InvDetAccess->CheckRecord(&failed), Severity::Benign);
    EXPECT_TRUE(boxes.shown().empty());

    app::ShowRowValidation = 1;
    boxes.answer(host::ButtonCancel);
    EXPECT_EQ(app::InvDetAccess->CheckRecord(&failed), Severity{2});
    ASSERT_EQ(boxes.shown().size(), 1u);
    const host::MessageBoxRequest& box = boxes.shown()[0];
    EXPECT_EQ(box.text, "Press OK To Simulate Record:OK or CANCEL to simulate Record:Filtered");
    EXPECT_EQ(box.title, "EIP Message Screen");
    EXPECT_EQ(box.icon, host::MessageIcon::Information);
    EXPECT_EQ(box.buttons, host::ButtonOk | host::ButtonCancel);
    EXPECT_EQ(box.defaultButton, host::ButtonCancel);

    boxes.answer(host::ButtonOk);
    EXPECT_EQ(app::InvDetAccess->CheckRecord(&failed), Severity::Benign);
    boxes.answer(host::ButtonCancel);
    app::InvDetRecord.clear();
    EXPECT_EQ(app::InvDetAccess->Insert(), Severity::Notify) << "a filtered line is not added";
}

// ---- Invoice relations ---------------------------------------------------------------------

class InvoiceRelationsTest : public DictionaryTest {
protected:
    void SetUp() override {
        DictionaryTest::SetUp();
        seedInvoices(3, {10, 20, 30});
        seed(app::files::customer(), [](host::Record& record, host::RecordFile& file) {
            record.clear();
            record.field("CUS:CUSTOMERID").assign(1);
            record.field("CUS:NUMBER").assign("C1");
            record.field("CUS:NAME").assign("First");
            file.add();
        });
    }
    void readHeader(int id) {
        app::InvHdrLink->Open();
        app::InvHdrRecord.field("INH:INVHDRID").assign(id);
        ASSERT_EQ(app::InvHdrAccess->ReadByKey(2), Severity::Benign);
        app::InvHdrLink->SaveLinkValues();
    }
    std::vector<long long> lineHeaders() {
        return numbers(app::files::invDet(), 1, "IND:INVHDRID");
    }
};

TEST_F(InvoiceRelationsTest, ATreeOpenFromInvHdrOpensEachRelatedFileOnce) {
    EXPECT_EQ(app::InvHdrLink->Open(), Severity::Benign);
    EXPECT_EQ(app::InvHdrAccess->SelectInfo().OPENED, 1);
    EXPECT_EQ(app::CustomerAccess->SelectInfo().OPENED, 1);
    EXPECT_EQ(app::InvDetAccess->SelectInfo().OPENED, 1);
    EXPECT_EQ(app::ItemAccess->SelectInfo().OPENED, 0);
    app::InvHdrLink->Close();
    EXPECT_EQ(app::InvDetAccess->SelectInfo().OPENED, 0);
    EXPECT_FALSE(app::InvHdrFile->isOpen());
}

TEST_F(InvoiceRelationsTest, DeletingAnInvoiceDeletesExactlyItsLines) {
    readHeader(2);
    boxes.answer(host::ButtonYes);
    EXPECT_EQ(app::InvHdrLink->Delete(), Severity::Benign);
    EXPECT_EQ(numbers(app::files::invHdr(), 2, "INH:INVHDRID"), (std::vector<long long>{1, 3}));
    EXPECT_EQ(lineHeaders(), (std::vector<long long>{1, 1, 1, 3, 3, 3}));
    app::InvHdrLink->Close();
}

TEST_F(InvoiceRelationsTest, RenumberingAnInvoiceRewritesExactlyItsLines) {
    readHeader(2);
    app::InvHdrRecord.field("INH:INVHDRID").assign(9);
    EXPECT_EQ(app::InvHdrLink->Update(), Severity::Benign);
    EXPECT_EQ(lineHeaders(), (std::vector<long long>{1, 1, 1, 9, 9, 9, 3, 3, 3}));
    EXPECT_EQ(numbers(app::files::invDet(), 2, "IND:SEQUENCE"),
              (std::vector<long long>{10, 20, 30, 10, 20, 30, 10, 20, 30}));
    EXPECT_EQ(app::InvHdrRecord.field("INH:INVHDRID").integer(), 9);
    app::InvHdrLink->Close();
}

TEST_F(InvoiceRelationsTest, DeletingACustomerLeavesItsInvoices) {
    app::CustomerLink->Open();
    app::CustomerRecord.field("CUS:CUSTOMERID").assign(1);
    ASSERT_EQ(app::CustomerAccess->ReadByKey(1), Severity::Benign);
    EXPECT_EQ(app::CustomerLink->Delete(false), Severity::Benign);
    EXPECT_TRUE(numbers(app::files::customer(), 1, "CUS:CUSTOMERID").empty());
    EXPECT_EQ(numbers(app::files::invHdr(), 2, "INH:INVHDRID").size(), 3u);
    app::CustomerLink->Close();
}

TEST_F(InvoiceRelationsTest, TheLinesOfAnInvoiceAreReadThroughTheirRange) {
    app::InvDetLink->Open();
    auto view = driver.makeView(*app::InvDetFile);
    framework::ViewReader lines;
    lines.Setup(*view, *app::InvDetLink);
    lines.DeclareSortOrder("IND:INVHDRK");
    app::InvHdrRecord.field("INH:INVHDRID").assign(5);
    lines.AddRangeFromFile(*app::InvDetLink, *app::InvHdrLink);
    lines.PutFilter("IND:QUANTITY = 0");
    lines.Reset();
    EXPECT_EQ(view->order(), "IND:INVHDRID,IND:SEQUENCE");
    EXPECT_EQ(view->filter(), "IND:INVHDRID = 5 AND (IND:QUANTITY = 0)");
    EXPECT_EQ(lines.ReadNext(), Severity::Notify);
    lines.Close();
    lines.Teardown();
    view.reset();
    app::InvDetLink->Close();
}

} // namespace
