#include "framework/window/IniStore.h"
#include "runtime/settings/IniFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace framework;

namespace {

class IniStoreTest : public ::testing::Test {
protected:
    std::string fileText() const {
        std::ifstream in(file);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    testsupport::TempFolder folder;
    std::string file = folder.path() + "/mirto.INI";
};

host::SharedLayout twoFields() {
    return std::make_shared<host::RecordLayout>(host::RecordLayout{
        {"L:A", host::FieldType::text(10)},
        {"L:B", host::FieldType::longInteger()},
    });
}

TEST_F(IniStoreTest, ListsRoundTripAndShorterListsHideTheirSurplus) {
    IniStore store;
    store.Setup(file);
    host::Queue queue(twoFields());
    auto& row = queue.buffer();
    for (int i = 1; i <= 3; ++i) {
        row.field(1).assign("item" + std::to_string(i));
        row.field(2).assign(i * 10);
        queue.add();
    }
    store.WriteList("Queries", "L", queue, row.field(1), row.field(2));
    EXPECT_EQ(store.ReadEntry("Queries", "L"), "3");
    EXPECT_EQ(store.ReadEntry("Queries", "L_2"), "item2,20");

    host::Queue back(twoFields());
    store.ReadList("Queries", "L", back, back.buffer().field(1), back.buffer().field(2));
    ASSERT_EQ(back.count(), 3u);
    back.get(3);
    EXPECT_EQ(host::clip(back.buffer().field(1).text()), "item3");
    EXPECT_EQ(back.buffer().field(2).integer(), 30);

    queue.get(3);
    queue.remove();
    queue.get(2);
    queue.remove();
    store.WriteList("Queries", "L", queue, row.field(1), row.field(2));
    EXPECT_EQ(store.ReadEntry("Queries", "L_3"), "item3,30"); // left in the file
    host::Queue shorter(twoFields());
    store.ReadList("Queries", "L", shorter, shorter.buffer().field(1), shorter.buffer().field(2));
    EXPECT_EQ(shorter.count(), 1u);
    store.Teardown();
}

TEST_F(IniStoreTest, MissingEntriesReadAsDefaultsAndFieldsSplitAtCommas) {
    IniStore store;
    store.Setup(file);
    EXPECT_EQ(store.ReadEntry("Nowhere", "Nothing"), "");
    EXPECT_EQ(store.ReadEntryOrMarker("Nowhere", "Nothing"), "---Unknown---");
    store.WriteEntry("S", "V", host::Value("a,b,c"));
    store.WriteEntry("S", "N", host::Value(42));
    EXPECT_EQ(store.ReadEntry("S", "N"), "42");
    EXPECT_EQ(store.ReadField("S", "V", 1), "a");
    EXPECT_EQ(store.ReadField("S", "V", 3), "c");
    EXPECT_EQ(store.ReadField("S", "V", 4), ""); // not the first field again
    store.Teardown();
}

TEST_F(IniStoreTest, SectorRegistryPersistsOnceAndMatchesByParts) {
    {
        IniStore store;
        store.Setup(file);
        store.RegisterSector(IniStore::JoinSectorName("QBE", "BrowseCustomers", "Query"));
        store.RegisterSector("QBE$BrowseCustomers$$Query");
        store.RegisterSector("QBE$BrowseItems$$Query");
        ASSERT_EQ(store.Sectors()->count(), 2u);
        store.Teardown();
    }
    // The registry reaches the file at tear-down, as a list of its own.
    std::string text = fileText();
    EXPECT_NE(text.find("[__Dont_Touch_Me__]"), std::string::npos);
    EXPECT_NE(text.find("Sectors_2=QBE,BrowseItems,Query"), std::string::npos);

    IniStore again;
    again.Setup(file);
    host::Queue found(IniStore::SectorLayout());
    again.ListSectors("QBE", "", "Query", found);
    EXPECT_EQ(found.count(), 2u);
    again.ListSectors("", "BrowseItems", "", found);
    ASSERT_EQ(found.count(), 1u);
    found.get(1);
    EXPECT_EQ(found.buffer().field(2).text(), "BrowseItems");
    again.Teardown();
}

} // namespace
