// Records with equal key values: files and views read them in one order, the order in
// which they were added reading forward and its reverse reading backward, whatever the
// directions of the key's fields, across the pages of a view too.
#include "DriverFixture.h"

#include "runtime/files/RecordView.h"

#include <vector>

using namespace host;
using namespace drivertest;

namespace {

// Customers with two keys that allow duplicates on the city: ascending and descending.
FileDefinition cityDefinition() {
    FileDefinition definition("CUSTOMER", "CUS", customerLayout());
    definition.setNameOnDisk("CityCustomer");
    definition.addKey("CUS:CUSTOMERIDK", {"CUS:CUSTOMERID"}, false, false, true);
    int city = customerLayout()->fieldNumber("CUS:CITY");
    definition.addKey(KeyDefinition{"CUS:CITYK", {{city, true}}, true});
    definition.addKey(KeyDefinition{"CUS:CITYDESCK", {{city, false}}, true});
    return definition;
}

enum CityKey { ascendingKey = 2, descendingKey = 3 };

class TieOrderTest : public ::testing::Test {
protected:
    TempFolder folder;
    Station station{folder.path()};
    Record& record = station.customer;
    std::unique_ptr<RecordFile> file;

    void SetUp() override {
        file = station.driver.makeFile(cityDefinition(), record);
        ASSERT_TRUE(file->create());
        ASSERT_TRUE(file->open());
        // Added out of id order, so that record order and id order differ.
        const char* cities[] = {"B", "A", "C", "A", "B", "C", "A", "B", "C"};
        int ids[] = {5, 2, 9, 4, 1, 6, 7, 3, 8};
        for (int n = 0; n < 9; ++n) {
            record.clear();
            record.field("CUS:CUSTOMERID").assign(ids[n]);
            record.field("CUS:CITY").assign(cities[n]);
            ASSERT_TRUE(file->add());
        }
    }
    int id() const { return static_cast<int>(record.field("CUS:CUSTOMERID").integer()); }
    std::vector<int> readFile(int key, bool backward) {
        std::vector<int> ids;
        EXPECT_TRUE(file->set(key));
        while (backward ? file->previous() : file->next())
            ids.push_back(id());
        return ids;
    }
    std::vector<int> readView(RecordView& view, bool backward, int limit = 100) {
        std::vector<int> ids;
        while (limit-- > 0 && (backward ? view.previous() : view.next()))
            ids.push_back(id());
        return ids;
    }
};

TEST_F(TieOrderTest, FilesAndPagedViewsReadEqualValuesInRecordOrderBothWays) {
    // Record order within each city: A 2 4 7, B 5 1 3, C 9 6 8.
    const std::vector<int> ascending{2, 4, 7, 5, 1, 3, 9, 6, 8};
    const std::vector<int> descending{9, 6, 8, 5, 1, 3, 2, 4, 7};
    auto reversed = [](std::vector<int> ids) { return std::vector<int>(ids.rbegin(), ids.rend()); };

    EXPECT_EQ(readFile(ascendingKey, false), ascending);
    EXPECT_EQ(readFile(ascendingKey, true), reversed(ascending));
    EXPECT_EQ(readFile(descendingKey, false), descending);
    EXPECT_EQ(readFile(descendingKey, true), reversed(descending));

    // Views read the same order, with pages of two records splitting every group.
    std::unique_ptr<RecordView> view = station.driver.makeView(*file);
    ASSERT_TRUE(view->open());
    view->setPaging(2, 2, 0, 60);
    for (auto [order, expected] :
         {std::pair{"CUS:CITY", ascending}, std::pair{"-CUS:CITY", descending},
          std::pair{"-UPPER(CUS:CITY)", descending}}) {
        SCOPED_TRACE(order);
        ASSERT_TRUE(view->setOrder(order));
        EXPECT_EQ(readView(*view, false), expected);
        ASSERT_TRUE(view->setStart());
        EXPECT_EQ(readView(*view, true), reversed(expected));
        // Turning round inside a group, across a page boundary.
        ASSERT_TRUE(view->setStart());
        EXPECT_EQ(readView(*view, false, 5),
                  std::vector<int>(expected.begin(), expected.begin() + 5));
        EXPECT_EQ(readView(*view, true, 3),
                  (std::vector<int>{expected[3], expected[2], expected[1]}));
        EXPECT_EQ(readView(*view, false, 3),
                  (std::vector<int>{expected[2], expected[3], expected[4]}));
        // A saved position inside a group reads on from that record in both directions.
        ASSERT_TRUE(view->setStart());
        readView(*view, false, 4);
        std::string fourth = view->position();
        ASSERT_TRUE(view->reset(fourth));
        EXPECT_EQ(readView(*view, false, 2), (std::vector<int>{expected[3], expected[4]}));
        ASSERT_TRUE(view->reset(fourth));
        EXPECT_EQ(readView(*view, true, 2), (std::vector<int>{expected[3], expected[2]}));
    }
}

} // namespace
