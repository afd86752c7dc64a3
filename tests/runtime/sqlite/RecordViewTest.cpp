#include "DriverFixture.h"

#include "runtime/base/Decimal.h"
#include "runtime/files/RecordView.h"

#include <vector>

using namespace host;
using namespace drivertest;

namespace {

class RecordViewTest : public ::testing::Test {
protected:
    TempFolder folder;
    Station station{folder.path(), true};
    std::unique_ptr<RecordView> view;

    void SetUp() override {
        ASSERT_TRUE(station.customers->open());
        // Ten customers; names repeat in different letter case so that order ties show.
        const char* names[] = {"walker", "Adams",  "Young", "adams",  "Baker",
                               "Carter", "WALKER", "baker", "Xavier", "Evans"};
        const char* cities[] = {"Ogdenville", "Springfield", "Shelbyville"};
        for (int id = 1; id <= 10; ++id)
            ASSERT_TRUE(
                station.addCustomer(id, "C" + std::to_string(id), names[id - 1], cities[id % 3]));
        view = station.driver.makeView(*station.customers);
        ASSERT_TRUE(view);
        ASSERT_TRUE(view->open());
    }
    // Customer ids read with next() (previous()) until the end.
    std::vector<int> readIds(bool backward = false, int limit = 100) {
        std::vector<int> ids;
        while (limit-- > 0 && (backward ? view->previous() : view->next()))
            ids.push_back(station.id());
        return ids;
    }
};

TEST_F(RecordViewTest, ReadsInTheOrderTextAcrossPagesInBothDirections) {
    EXPECT_EQ(readIds(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10})); // record order
    EXPECT_EQ(errorCode(), errors::noRecord);

    view->setPaging(3, 2, 0, 60); // pages smaller than the file
    ASSERT_TRUE(view->setOrder("UPPER(CUS:NAME)"));
    ASSERT_TRUE(view->setStart());
    std::vector<int> byName{2, 4, 5, 8, 6, 10, 1, 7, 9, 3};
    EXPECT_EQ(readIds(), byName);
    EXPECT_FALSE(view->next());
    // Off the end, previous reads the last record; from the start backwards, the last.
    EXPECT_EQ(readIds(true), (std::vector<int>{3, 9, 7, 1, 10, 6, 8, 5, 4, 2}));
    ASSERT_TRUE(view->setStart());
    EXPECT_EQ(readIds(true, 2), (std::vector<int>{3, 9}));

    // Turning round in the middle of a page reads the neighbours, not the page again.
    ASSERT_TRUE(view->setStart());
    EXPECT_EQ(readIds(false, 4), (std::vector<int>{2, 4, 5, 8}));
    EXPECT_EQ(readIds(true, 2), (std::vector<int>{5, 4}));
    EXPECT_EQ(readIds(false, 3), (std::vector<int>{5, 8, 6}));

    // Letter case matters without UPPER (small letters after capitals); "-" reverses.
    ASSERT_TRUE(view->setOrder("-CUS:NAME"));
    EXPECT_EQ(readIds(), (std::vector<int>{1, 8, 4, 3, 9, 7, 10, 6, 5, 2}));
    ASSERT_TRUE(view->setOrder("CUS:CITY, -CUS:CUSTOMERID"));
    EXPECT_EQ(readIds(false, 4), (std::vector<int>{9, 6, 3, 8}));
}

TEST_F(RecordViewTest, PositionsAtLeadingOrderValuesAndAtSavedPositions) {
    ASSERT_TRUE(view->setOrder("UPPER(CUS:NAME), CUS:CUSTOMERID"));
    station.customer.field("CUS:NAME").assign("BAKER");
    ASSERT_TRUE(view->setAt(1));
    EXPECT_EQ(readIds(false, 3), (std::vector<int>{5, 8, 6}));
    ASSERT_TRUE(view->setAt(1));
    station.customer.field("CUS:NAME").assign("baker");
    ASSERT_TRUE(view->setAt(1));
    EXPECT_EQ(readIds(true, 2), (std::vector<int>{8, 5})); // at or before the value
    station.customer.field("CUS:NAME").assign("Baker");
    station.customer.field("CUS:CUSTOMERID").assign(6);
    ASSERT_TRUE(view->setAt(2));
    EXPECT_EQ(readIds(false, 1), (std::vector<int>{8}));
    station.customer.field("CUS:NAME").assign("Zed");
    ASSERT_TRUE(view->setAt(1));
    EXPECT_FALSE(view->next());
    EXPECT_EQ(errorCode(), errors::noRecord);

    EXPECT_FALSE(view->reset("V|t3:abc"));
    EXPECT_EQ(errorCode(), errors::recordNotFound);
}

TEST_F(RecordViewTest, JoinsFillTheJoinedBuffersOrClearThem) {
    Record detail(detailLayout()), item(itemLayout());
    auto details = station.driver.makeFile(detailDefinition(), detail);
    auto items = station.driver.makeFile(itemDefinition(), item);
    ASSERT_TRUE(details->create() && details->open() && items->create() && items->open());
    for (auto [id, number, cost] : std::vector<std::tuple<int, const char*, const char*>>{
             {1, "PEN", "1.25"}, {2, "INK", "7.50"}}) {
        item.clear();
        item.field("ITM:ITEMID").assign(id);
        item.field("ITM:ITEMNUMBER").assign(number);
        item.field("ITM:COST").assign(*Decimal::parse(cost));
        ASSERT_TRUE(items->add());
    }
    for (auto [id, number] :
         std::vector<std::pair<int, const char*>>{{1, "INK"}, {2, "GONE"}, {3, "PEN"}}) {
        detail.clear();
        detail.field("IND:INVDETID").assign(id);
        detail.field("IND:INVHDRID").assign(5);
        detail.field("IND:SEQUENCE").assign(id * 10);
        detail.field("IND:ITEMNUMBER").assign(number);
        ASSERT_TRUE(details->add());
    }
    auto lines = station.driver.makeView(*details);
    ASSERT_TRUE(lines->join(*items, "ITM:ITEMNUMBER = IND:ITEMNUMBER"));
    ASSERT_TRUE(lines->open());
    ASSERT_TRUE(lines->setOrder("IND:INVHDRID,IND:SEQUENCE"));
    std::vector<std::string> costs;
    while (lines->next())
        costs.push_back(item.field("ITM:COST").decimal().toString(2) + " " +
                        clip(item.field("ITM:ITEMNUMBER").text()));
    EXPECT_EQ(costs, (std::vector<std::string>{"7.50 INK", "0.00 ", "1.25 PEN"}));

    // Ordering by the joined file's field, and an inner join that leaves unmatched lines out.
    ASSERT_TRUE(lines->setOrder("-ITM:COST"));
    ASSERT_TRUE(lines->next());
    EXPECT_EQ(detail.field("IND:INVDETID").integer(), 1);
    ASSERT_TRUE(lines->next());
    std::string atPen = lines->position(); // placed by a decimal order value
    ASSERT_TRUE(lines->next());
    ASSERT_TRUE(lines->reset(atPen));
    ASSERT_TRUE(lines->next());
    EXPECT_EQ(detail.field("IND:INVDETID").integer(), 3);
    auto matched = station.driver.makeView(*details);
    ASSERT_TRUE(matched->join(*items, "IND:ITEMNUMBER = ITM:ITEMNUMBER", true));
    ASSERT_TRUE(matched->open());
    int count = 0;
    while (matched->next())
        ++count;
    EXPECT_EQ(count, 2);

    // A view is put together before its files are open; it opens once they are.
    auto laterItems = station.driver.makeFile(itemDefinition(), item);
    auto later = station.driver.makeView(*details);
    ASSERT_TRUE(later->join(*laterItems, "ITM:ITEMNUMBER = IND:ITEMNUMBER"));
    ASSERT_TRUE(later->setOrder("-ITM:COST"));
    EXPECT_FALSE(later->open());
    EXPECT_EQ(errorCode(), errors::fileNotOpen);
    ASSERT_TRUE(laterItems->open());
    ASSERT_TRUE(later->open());
    ASSERT_TRUE(later->next());
    EXPECT_EQ(clip(item.field("ITM:ITEMNUMBER").text()), "INK");
}

TEST_F(RecordViewTest, RefusesTextsItCannotReadNamingThePosition) {
    EXPECT_FALSE(view->setOrder("UPPER(CUS:NAME"));
    EXPECT_EQ(errorCode(), errors::badFilter);
    EXPECT_NE(errorText().find("position 15"), std::string::npos) << errorText();
    EXPECT_FALSE(view->setOrder("CUS:NAME,CUS:NOSUCH"));
    EXPECT_NE(errorText().find("position 10"), std::string::npos) << errorText();
    EXPECT_FALSE(view->setOrder("CUS:NAME CUS:CITY"));
    EXPECT_EQ(view->order(), ""); // the previous order stays
    EXPECT_FALSE(view->setFilter("CUS:NAME = 'open"));
    EXPECT_EQ(errorCode(), errors::badFilter);
    EXPECT_NE(errorText().find("position"), std::string::npos) << errorText();
    EXPECT_FALSE(view->setFilter("NOSUCH:FIELD = 1"));
    EXPECT_EQ(view->filter(), "");
    EXPECT_EQ(readIds().size(), 10u);

    Record item(itemLayout());
    auto items = station.driver.makeFile(itemDefinition(), item);
    auto closedView = station.driver.makeView(*items);
    EXPECT_FALSE(closedView->open());
    EXPECT_EQ(errorCode(), errors::fileNotOpen);
    EXPECT_FALSE(closedView->join(*station.customers, "CUS:NAME ="));
    EXPECT_EQ(errorCode(), errors::badFilter);
    EXPECT_FALSE(closedView->join(*station.customers, "CUS:NAME = CUS:CITY"));
}

TEST_F(RecordViewTest, FiltersTakeOnlyTheRecordsTheyAccept) {
    ASSERT_TRUE(view->setOrder("UPPER(CUS:NAME)"));
    ASSERT_TRUE(view->setFilter("INSTRING('KER',UPPER(CUS:NAME),1,1) <> 0 AND CUS:CUSTOMERID > 1"));
    EXPECT_EQ(readIds(), (std::vector<int>{5, 8, 7}));
    ASSERT_TRUE(view->setFilter("SUB(UPPER(CUS:NAME),1,2) = 'AD'"));
    EXPECT_EQ(readIds(), (std::vector<int>{2, 4}));

    // A bound variable is read each time the view is positioned.
    Variable city(FieldType::text(15));
    view->bindLabel("LOC:CITY", city);
    city.assign("Ogdenville");
    ASSERT_TRUE(view->setFilter("CUS:CITY = LOC:CITY"));
    EXPECT_EQ(readIds(), (std::vector<int>{6, 9, 3}));
    city.assign("Shelbyville");
    ASSERT_TRUE(view->setStart());
    EXPECT_EQ(readIds(), (std::vector<int>{2, 5, 8}));
    ASSERT_TRUE(view->setFilter(""));
    EXPECT_EQ(readIds().size(), 10u);
}

} // namespace
