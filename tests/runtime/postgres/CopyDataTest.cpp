#include "../conformance/Backends.h"

#include "runtime/base/Value.h"
#include "tools/DataCopy.h"

#include <cstdlib>

using namespace host;
using conformance::Station;

namespace {

// A data folder copied to the server and back gives the same records in every key's
// order (the copy tool checks that itself), and a store that holds records is never
// copied over.
TEST(CopyDataTest, FolderToServerAndBackKeepsEveryKeysOrder) {
    conformance::PostgresStore server;
    std::string why;
    if (!server.available(why)) {
        if (std::getenv("EIP_REQUIRE_POSTGRES"))
            FAIL() << why;
        GTEST_SKIP() << why;
    }
    std::unique_ptr<conformance::Store> folder = conformance::makeSqliteStore();
    std::unique_ptr<conformance::Store> back = conformance::makeSqliteStore();
    {
        Station s(*folder);
        ASSERT_TRUE(s.openFiles(true));
        const char* names[] = {"beta", "Alpha", "alpha", "_x", "[y", "ALPHA", "zed", "\xe9t\xe9"};
        int id = 0;
        for (const char* name : names) {
            ++id;
            ASSERT_TRUE(s.addCustomer(id * 7 % 11, std::to_string(100 - id), name));
        }
        for (int n = 1; n <= 30; ++n) {
            s.item.clear();
            s.item.field("ITM:ITEMID").assign(n);
            s.item.field("ITM:ITEMNUMBER")
                .assign(std::string(n % 2 ? "ab-" : "AC-") + std::to_string(n));
            s.item.field("ITM:DESCRIPTION").assign(std::string(n % 3 ? "Nut" : "Bolt"));
            s.item.field("ITM:COST").assign(Value(n * 1.25));
            ASSERT_TRUE(s.items->add());
        }
    }
    std::vector<FileDefinition> files = {conformance::customerDefinition(),
                                         conformance::itemDefinition()};
    std::vector<std::string> lines;
    auto note = [&](const std::string& line) { lines.push_back(line); };
    std::string error;
    {
        auto from = folder->makeDriver();
        auto to = server.makeDriver();
        ASSERT_TRUE(tools::DataCopy::copy(*from, *to, files, error, note, 4)) << error;
        EXPECT_FALSE(tools::DataCopy::copy(*from, *to, files, error)) << "the copy holds records";
        EXPECT_NE(error.find("CUSTOMER"), std::string::npos) << error;
    }
    {
        auto from = server.makeDriver();
        auto to = back->makeDriver();
        ASSERT_TRUE(tools::DataCopy::copy(*from, *to, files, error, note)) << error;
    }
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "CUSTOMER: 8 records copied, counts and key order checked");
    EXPECT_EQ(lines[3], "ITEM: 30 records copied, counts and key order checked");
    EXPECT_TRUE(tools::DataCopy::namesServer("host=shop dbname=shop"));
    EXPECT_FALSE(tools::DataCopy::namesServer("/srv/shop/data"));
}

} // namespace
