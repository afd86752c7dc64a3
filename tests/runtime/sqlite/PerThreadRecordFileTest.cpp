// A per-thread file on the SQLite driver: one driver file per logical thread behind one
// host file, with the name on disk and the driver options shared by all of them.
#include "DriverFixture.h"

#include "runtime/base/CurrentThread.h"
#include "runtime/files/PerThreadRecordFile.h"
#include "runtime/files/RecordView.h"

namespace {

using namespace drivertest;

class PerThreadRecordFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::setCurrentThread(1);
        ASSERT_TRUE(driver.openFolder(folder.path()));
        definition.setPerThread(true);
    }
    void TearDown() override { host::setCurrentThread(1); }

    TempFolder folder;
    host::sqlite::SqliteDriver driver;
    host::FileDefinition definition = customerDefinition();
    host::Record record{definition.layout()};
};

TEST_F(PerThreadRecordFileTest, NameAndOptionsReachEveryThreadsFileAndViewsUseTheCurrentOne) {
    auto file = host::makeRecordFile(driver, definition, record);
    auto& perThread = dynamic_cast<host::PerThreadRecordFile&>(*file);
    ASSERT_TRUE(file->setNameOnDisk("CLIENTS"));
    ASSERT_TRUE(file->sendOption("Recover=7"));
    EXPECT_FALSE(file->sendOption("Nonsense=1"));
    ASSERT_TRUE(file->create());
    ASSERT_TRUE(file->open());
    record.clear();
    record.field("CUS:CUSTOMERID").assign(1);
    record.field("CUS:NAME").assign("Adams");
    ASSERT_TRUE(file->add());

    host::setCurrentThread(2);
    EXPECT_FALSE(file->isOpen()) << "thread 2 has a file of its own";
    EXPECT_EQ(file->lockWaitSeconds(), 7);
    EXPECT_EQ(file->threadFile().nameOnDisk(), "CLIENTS");
    ASSERT_TRUE(file->open());
    EXPECT_FALSE(file->setNameOnDisk("OTHER")) << "while any thread's file is open";
    EXPECT_EQ(host::errorCode(), host::errors::alreadyOpen);
    auto view = driver.makeView(*file);
    ASSERT_TRUE(view);
    ASSERT_TRUE(view->open());
    ASSERT_TRUE(view->setStart());
    EXPECT_TRUE(view->next());
    EXPECT_EQ(host::clip(record.field("CUS:NAME").text()), "Adams");
    view->close();
    EXPECT_EQ(perThread.threadFiles(), 2u);
    file->close();
    host::setCurrentThread(1);
    file->close();
}

} // namespace
