// The application's data files are per-thread: procedures on different logical threads
// (a form on one, a browse on another, the frame on the first) keep their own record
// buffer, current record, hold and auto-numbering placeholder in the one Customer file.
#include "DictionaryFixture.h"

#include "framework/data/FileAccess.h"
#include "framework/data/RelationLink.h"
#include "runtime/base/PerThreadBlocks.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/PerThreadRecordFile.h"
#include "runtime/files/RecordView.h"
#include "runtime/threads/Scheduler.h"

#include <map>
#include <memory>

using namespace apptest;
using framework::Severity;

namespace {

host::TypedRef customer(std::string_view label) {
    return app::CustomerRecord.field(label);
}
std::string customerText(std::string_view label) {
    return host::clip(customer(label).text());
}

class PerThreadFilesTest : public DictionaryTest {
protected:
    void SetUp() override {
        DictionaryTest::SetUp();
        seed(app::files::customer(), [](host::Record& record, host::RecordFile& file) {
            const char* names[] = {"Adams", "Baker", "Clark", "Davis", "Evans"};
            for (int id = 1; id <= 5; ++id) {
                record.clear();
                record.field("CUS:CUSTOMERID").assign(id);
                record.field("CUS:NUMBER").assign("C" + std::to_string(id));
                record.field("CUS:NAME").assign(names[id - 1]);
                ASSERT_TRUE(file.add());
            }
        });
        // Thread 1 stands for the frame: it waits until the test ends.
        scheduler.start([this] { scheduler.waitUntil([] { return false; }); });
    }
    void TearDown() override {
        scheduler.cancelAll();
        host::setCurrentThread(1);
        DictionaryTest::TearDown();
    }

    // Every customer as id -> name, read through a station of its own.
    std::map<long long, std::string> stored() {
        host::Record record(app::files::customer().layout());
        auto file = driver.makeFile(app::files::customer(), record);
        std::map<long long, std::string> out;
        if (!file->open(host::openMode::readOnly | host::openMode::denyNone))
            return out;
        file->set(1);
        while (file->next())
            out[record.field("CUS:CUSTOMERID").integer()] =
                host::clip(record.field("CUS:NAME").text());
        file->close();
        return out;
    }

    // A browse that scrolls the Customer file by name to its end, through a view and
    // through the file itself.
    void browseToTheEnd() {
        ASSERT_EQ(app::CustomerLink->Open(), Severity::Benign);
        auto view = driver.makeView(*app::CustomerFile);
        ASSERT_TRUE(view);
        ASSERT_TRUE(view->setOrder("CUS:NAME"));
        ASSERT_TRUE(view->open());
        ASSERT_TRUE(view->setStart());
        while (view->next()) {
        }
        view->close();
        app::CustomerFile->set(2);
        while (app::CustomerAccess->ReadNext() == Severity::Benign) {
        }
        EXPECT_EQ(customerText("CUS:NAME"), "Evans");
        app::CustomerLink->Close();
    }

    host::Scheduler scheduler;
    int step = 0;
};

TEST_F(PerThreadFilesTest, AFormSavesItsOwnRecordAfterABrowseOnAnotherThreadScrolled) {
    Severity saved = Severity::Fatal;
    scheduler.start([&] { // thread 2: the form changes customer 2
        ASSERT_EQ(app::CustomerLink->Open(), Severity::Benign);
        customer("CUS:CUSTOMERID").assign(2);
        ASSERT_EQ(app::CustomerAccess->ReadByKey(1), Severity::Benign);
        customer("CUS:NAME").assign("Baxter");
        step = 1;
        scheduler.waitUntil([&] { return step == 2; });
        EXPECT_EQ(customerText("CUS:NAME"), "Baxter") << "the form's buffer is its own";
        saved = app::CustomerLink->Update();
        app::CustomerLink->Close();
    });
    scheduler.start([&] { // thread 3: the browse, while the form waits for the user
        scheduler.waitUntil([&] { return step == 1; });
        browseToTheEnd();
        step = 2;
    });
    scheduler.runUntilIdle();
    EXPECT_EQ(step, 2);
    EXPECT_EQ(saved, Severity::Benign);
    EXPECT_EQ(stored(),
              (std::map<long long, std::string>{
                  {1, "Adams"}, {2, "Baxter"}, {3, "Clark"}, {4, "Davis"}, {5, "Evans"}}));
}

TEST_F(PerThreadFilesTest, TwoInsertFormsNumberAndWriteTheirOwnPlaceholders) {
    std::map<int, long long> numbered;
    std::map<int, Severity> inserted;
    int primed = 0;
    auto insertForm = [&](std::string name) {
        return [&, name] {
            int thread = host::currentThread();
            ASSERT_EQ(app::CustomerLink->Open(), Severity::Benign);
            // The placeholders differ in the file's other unique keys (name, number).
            app::CustomerRecord.clear();
            customer("CUS:NAME").assign(name + " (new)");
            customer("CUS:NUMBER").assign(name.substr(0, 4));
            ASSERT_EQ(app::CustomerAccess->PrepareNewRecord(true), Severity::Benign);
            numbered[thread] = customer("CUS:CUSTOMERID").integer();
            ++primed;
            // Both forms are open before either is completed.
            scheduler.waitUntil([&] { return primed == 2; });
            customer("CUS:NAME").assign(name);
            inserted[thread] = app::CustomerAccess->Insert();
            app::CustomerLink->Close();
        };
    };
    int first = scheduler.start(insertForm("Fisher"));
    int second = scheduler.start(insertForm("Grant"));
    scheduler.runUntilIdle();
    ASSERT_EQ(numbered.size(), 2u);
    EXPECT_NE(numbered[first], numbered[second]);
    EXPECT_EQ(inserted[first], Severity::Benign);
    EXPECT_EQ(inserted[second], Severity::Benign);
    std::map<long long, std::string> expected{
        {1, "Adams"}, {2, "Baker"}, {3, "Clark"}, {4, "Davis"}, {5, "Evans"}};
    expected[numbered[first]] = "Fisher";
    expected[numbered[second]] = "Grant";
    EXPECT_EQ(stored(), expected);
}

TEST_F(PerThreadFilesTest, AHoldOfOneThreadIsNotReleasedByAnotherThreadsRead) {
    Severity heldRecordRead = Severity::Benign;
    bool stillHeld = false;
    scheduler.start([&] { // thread 2: holds customer 2 for its change
        ASSERT_EQ(app::CustomerLink->Open(), Severity::Benign);
        ASSERT_EQ(app::CustomerAccess->CheckOpen(), Severity::Benign);
        customer("CUS:CUSTOMERID").assign(2);
        app::CustomerFile->hold();
        ASSERT_EQ(app::CustomerAccess->ReadByKey(1), Severity::Benign);
        step = 1;
        scheduler.waitUntil([&] { return step == 3; });
        stillHeld = app::CustomerFile->isHeld();
        app::CustomerLink->Close();
    });
    scheduler.start([&] { // thread 3: reads, holding a record of its own
        scheduler.waitUntil([&] { return step == 1; });
        ASSERT_EQ(app::CustomerLink->Open(), Severity::Benign);
        ASSERT_EQ(app::CustomerAccess->CheckOpen(), Severity::Benign);
        customer("CUS:CUSTOMERID").assign(4);
        app::CustomerFile->hold();
        EXPECT_EQ(app::CustomerAccess->ReadByKey(1), Severity::Benign);
        customer("CUS:CUSTOMERID").assign(2);
        heldRecordRead = app::CustomerAccess->ReadByKey(1);
        app::CustomerFile->release();
        app::CustomerLink->Close();
        step = 2;
    });
    scheduler.runUntilIdle();
    ASSERT_EQ(step, 2);
    EXPECT_EQ(heldRecordRead, Severity::Notify) << "held by the other thread";
    // Another station still finds customer 2 held.
    host::Record record(app::files::customer().layout());
    auto other = driver.makeFile(app::files::customer(), record);
    ASSERT_TRUE(other->open());
    record.field("CUS:CUSTOMERID").assign(2);
    EXPECT_FALSE(other->get(1));
    EXPECT_EQ(host::errorCode(), host::errors::recordHeld);
    step = 3;
    scheduler.runUntilIdle();
    EXPECT_TRUE(stillHeld);
    // Once the thread has ended, its file is closed and its hold gone.
    EXPECT_TRUE(other->get(1));
    other->close();
}

TEST_F(PerThreadFilesTest, EachThreadStartsWithABlankRecordAndAnEndedThreadsSlotsGo) {
    customer("CUS:NAME").assign("Main"); // the first thread's value
    std::string seenByNew = "?";
    int newThread = scheduler.start([&] {
        seenByNew = customerText("CUS:NAME");
        customer("CUS:NAME").assign("New");
        scheduler.waitUntil([&] { return step == 1; });
    });
    scheduler.runUntilIdle();
    EXPECT_EQ(seenByNew, "");
    EXPECT_EQ(host::PerThreadBlocks::slotsOf(1), 5u) << "the first thread's five records";
    step = 1;
    scheduler.runUntilIdle();
    EXPECT_EQ(host::PerThreadBlocks::slotsOf(newThread), 0u);
    auto& file = dynamic_cast<host::PerThreadRecordFile&>(*app::CustomerFile);
    EXPECT_EQ(file.threadFiles(), 0u) << "no thread used the file";
}

} // namespace
