// The application's data dictionary: the five files as declared, their settings, keys
// and relations, the numbering and validation of invoice lines, and what the invoice
// relations do to lines.
#include "DictionaryFixture.h"

#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "framework/data/ViewReader.h"
#include "runtime/RecordView.h"
#include "runtime/RuntimeErrors.h"

using namespace apptest;
using framework::Severity;

namespace {

struct FileRow {
    framework::FileAccess* access;
    framework::RelationLink* link;
    host::Record* record;
    const char* name;
    std::size_t size;
};

std::vector<FileRow> fileRows() {
    return {{app::ItemAccess, app::ItemLink, &app::ItemRecord, "Item", 314},
            {app::ConfigAccess, app::ConfigLink, &app::ConfigRecord, "Config", 90},
            {app::CustomerAccess, app::CustomerLink, &app::CustomerRecord, "Customer", 135},
            {app::InvDetAccess, app::InvDetLink, &app::InvDetRecord, "InvDet", 39},
            {app::InvHdrAccess, app::InvHdrLink, &app::InvHdrRecord, "InvHdr", 16}};
}

using DataDictionaryTest = DictionaryTest;

TEST_F(DataDictionaryTest, EveryFileIsSetUpWithItsSettingsAndNoneIsOpened) {
    EXPECT_EQ(registry.FILES.size(), 5u);
    for (const FileRow& row : fileRows()) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(row.access, nullptr);
        ASSERT_NE(row.link, nullptr);
        EXPECT_EQ(row.record->size(), row.size);
        EXPECT_EQ(row.access->BUFFER, row.record);
        EXPECT_EQ(row.access->FILENAMEVALUE, row.name);
        EXPECT_TRUE(row.access->CREATE);
        EXPECT_EQ(row.access->LOCKRECOVER, 10);
        EXPECT_TRUE(row.access->LAZYOPEN);
        EXPECT_EQ(row.access->OPENMODE, 66);
        EXPECT_FALSE(row.access->SKIPHELDRECORDS);
        EXPECT_EQ(row.link->ME, row.access);
        EXPECT_TRUE(row.link->USELOGOUT);
        EXPECT_FALSE(row.access->FILE->isOpen());
        EXPECT_EQ(registry.Find(*row.access->FILE), row.access);
    }
    EXPECT_FALSE(app::ConfigAccess->HASAUTOINC);
    EXPECT_TRUE(app::InvHdrAccess->HASAUTOINC);
    for (const host::FileDefinition& definition :
         {app::files::item(), app::files::config(), app::files::customer(), app::files::invDet(),
          app::files::invHdr()}) {
        host::Record record(definition.layout());
        auto file = driver.makeFile(definition, record);
        EXPECT_FALSE(file->open()) << definition.label() << ": no data file is made at set-up";
        EXPECT_EQ(host::errorCode(), host::errors::fileNotFound);
    }
}

TEST_F(DataDictionaryTest, KeysCarryTheirDescriptionsNumberingAndAttributes) {
    struct Expected {
        framework::FileAccess* access;
        std::vector<std::string> descriptions;
        std::vector<int> autoNumbers;
        std::vector<bool> idKeys;
    };
    std::vector<Expected> files = {
        {app::ItemAccess, {"Item Id Key", "Item Number Key"}, {1, 0}, {true, false}},
        {app::CustomerAccess,
         {"Customer Id Key", "Customer Name Key", "Customer Number Key"},
         {1, 0, 0},
         {true, false, false}},
        {app::InvDetAccess, {"Invoice Detail Id Key", "Invoice Header Key"}, {1, 2}, {true, false}},
        {app::InvHdrAccess, {"Invoice Number Key", "Invoice Header Id Key"}, {1, 1}, {false, true}},
    };
    const host::KeyDefinition* nonId = nullptr;
    const host::KeyDefinition* id = nullptr;
    for (const Expected& file : files) {
        ASSERT_EQ(file.access->KEYS.size(), file.descriptions.size());
        for (std::size_t k = 0; k < file.descriptions.size(); ++k) {
            const framework::KeyRecord& key = file.access->KEYS[k];
            EXPECT_EQ(key.KEY, static_cast<int>(k) + 1);
            EXPECT_EQ(key.DESCRIPTION, file.descriptions[k]);
            EXPECT_EQ(key.AUTOINC, file.autoNumbers[k]);
            const host::KeyDefinition& definition = file.access->FILE->key(key.KEY);
            const host::KeyDefinition*& same = file.idKeys[k] ? id : nonId;
            if (!same)
                same = &definition;
            EXPECT_EQ(definition.duplicates, same->duplicates) << key.DESCRIPTION;
            EXPECT_EQ(definition.ignoreCase, same->ignoreCase) << key.DESCRIPTION;
            EXPECT_EQ(definition.primary, same->primary) << key.DESCRIPTION;
            EXPECT_EQ(definition.spare, same->spare) << key.DESCRIPTION;
            if (file.idKeys[k]) {
                EXPECT_EQ(file.access->PRIMARYKEY, k + 1);
            }
        }
    }
    int differences = (id->duplicates != nonId->duplicates) +
                      (id->ignoreCase != nonId->ignoreCase) + (id->primary != nonId->primary) +
                      (id->spare != nonId->spare);
    EXPECT_EQ(differences, 1) << "the Id keys differ from the others by one attribute";
    EXPECT_FALSE(nonId->duplicates) << "an item number is unique";
    EXPECT_EQ(app::CustomerAccess->KEYS[1].FIELDS[0].FIELDNAME, "UPPER(CUS:NAME)");
    EXPECT_EQ(app::InvDetAccess->KEYS[1].FIELDS[1].FIELDNAME, "IND:SEQUENCE");
}

TEST_F(DataDictionaryTest, RelationsAreDeclaredInTheirOrder) {
    ASSERT_EQ(app::InvHdrLink->RELATIONS.size(), 2u);
    const framework::Relation& customer = app::InvHdrLink->RELATIONS[0];
    EXPECT_EQ(customer.FILE, app::CustomerLink);
    EXPECT_EQ(customer.UPDATEMODE, framework::ActionNone);
    EXPECT_EQ(customer.DELETEMODE, framework::ActionNone);
    EXPECT_EQ(customer.HISKEY, 3);
    ASSERT_EQ(customer.FIELDS->LIST->size(), 1u);
    EXPECT_TRUE(
        (*customer.FIELDS->LIST)[0].RIGHT.sameVariable(app::CustomerRecord.field("CUS:NUMBER")));
    const framework::Relation& lines = app::InvHdrLink->RELATIONS[1];
    EXPECT_EQ(lines.FILE, app::InvDetLink);
    EXPECT_EQ(lines.UPDATEMODE, framework::ActionCascade);
    EXPECT_EQ(lines.DELETEMODE, framework::ActionCascade);
    EXPECT_EQ(lines.HISKEY, 2);
    ASSERT_EQ(lines.FIELDS->LIST->size(), 1u);
    EXPECT_TRUE(
        (*lines.FIELDS->LIST)[0].LEFT.sameVariable(app::InvHdrRecord.field("INH:INVHDRID")));

    for (framework::RelationLink* link : {app::CustomerLink, app::InvDetLink}) {
        ASSERT_EQ(link->RELATIONS.size(), 1u);
        EXPECT_EQ(link->RELATIONS[0].FILE, app::InvHdrLink);
        EXPECT_EQ(link->RELATIONS[0].FIELDS, nullptr);
        EXPECT_EQ(link->RELATIONS[0].HISKEY, 0);
    }
    EXPECT_TRUE(app::ItemLink->RELATIONS.empty());
    EXPECT_TRUE(app::ConfigLink->RELATIONS.empty());
}

TEST_F(DataDictionaryTest, TearDownReleasesEverythingAndSetUpCanRunAgain) {
    app::DataDictionary::tearDown();
    EXPECT_EQ(app::InvHdrAccess, nullptr);
    EXPECT_EQ(app::ItemLink, nullptr);
    EXPECT_EQ(app::CustomerFile, nullptr);
    EXPECT_TRUE(registry.FILES.empty());
    EXPECT_FALSE(app::DataDictionary::isSetUp());
    app::DataDictionary::setUp(driver, errors, registry);
    EXPECT_EQ(registry.FILES.size(), 5u);
}

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

    app::InvHdrRecord.field("INH:INVHDRID").assign(3);
    EXPECT_TRUE(lines.RangeChanged());
    lines.Reset();
    std::vector<long long> sequences;
    while (lines.ReadNext() == Severity::Benign)
        sequences.push_back(app::InvDetRecord.field("IND:SEQUENCE").integer());
    EXPECT_EQ(sequences, (std::vector<long long>{10, 20, 30}));
    lines.Close();
    lines.Teardown();
    view.reset();
    app::InvDetLink->Close();
}

} // namespace
