// The record-file driver's contract, run against every driver: the embedded SQLite one and
// the one on a PostgreSQL server. Each case starts on an empty store.
#include "Backends.h"

#include "runtime/base/Value.h"
#include "runtime/files/RecordView.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace host;

namespace conformance {
namespace {

class DriverContract : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        store = GetParam() == "sqlite" ? makeSqliteStore() : makePostgresStore();
        std::string why;
        if (!store->available(why)) {
            if (std::getenv("EIP_REQUIRE_POSTGRES"))
                FAIL() << why;
            GTEST_SKIP() << why;
        }
        a.emplace(*store);
        ASSERT_TRUE(a->openFiles(true)) << errorText() << " " << lastError().driverText;
    }

    // Another station on the same store, its files open.
    Station& other() {
        if (!b) {
            b.emplace(*store);
            EXPECT_TRUE(b->openFiles(false)) << errorText() << " " << lastError().driverText;
        }
        return *b;
    }

    // The names of the whole file read in a key's order.
    std::vector<std::string> readAll(Station& s, int key, bool backward) {
        std::vector<std::string> names;
        EXPECT_TRUE(s.customers->set(key));
        while (backward ? s.customers->previous() : s.customers->next())
            names.push_back(s.name());
        EXPECT_EQ(errorCode(), errors::noRecord);
        return names;
    }

    std::unique_ptr<Store> store;
    std::optional<Station> a;
    std::optional<Station> b;
};

TEST_P(DriverContract, KeyOrderFoldsOnlyAsciiLettersAndKeepsRecordOrderForTies) {
    std::vector<std::string> names = {"beta",   "Alpha", "alpha",     "_under",    "Zed",
                                      "zeta",   "ALPHA", "",          "a b",       "~tilde",
                                      "[brack", "Omega", "\xe9t\xe9", "\xc9T\xc9", "Beta "};
    for (size_t i = 0; i < names.size(); ++i)
        ASSERT_TRUE(a->addCustomer(static_cast<int>(i) + 1, std::to_string(i), names[i]))
            << errorText() << " " << lastError().driverText;
    // Letters fold to lower case only from A to Z: "[" and "_" sort before the letters,
    // "~" after them, and accented bytes keep their own order. Equal values come in
    // record order forward and reversed backward; trailing blanks are not kept.
    std::vector<std::string> expected = {"",      "[brack", "_under", "a b",       "Alpha",
                                         "alpha", "ALPHA",  "beta",   "Beta",      "Omega",
                                         "Zed",   "zeta",   "~tilde", "\xc9T\xc9", "\xe9t\xe9"};
    EXPECT_EQ(readAll(*a, 2, false), expected);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(readAll(*a, 2, true), expected);
    // Record order: as added.
    std::vector<std::string> added(names.begin(), names.end());
    added.back() = "Beta";
    EXPECT_EQ(readAll(*a, 0, false), added);
    a->customer.field("CUS:NAME").assign(std::string("alpha"));
    ASSERT_TRUE(a->customers->get(2));
    EXPECT_EQ(a->id(), 2) << "get finds the first record added with the value";
    a->customer.field("CUS:NAME").assign(std::string("ALPHA"));
    ASSERT_TRUE(a->customers->setAt(2));
    ASSERT_TRUE(a->customers->previous());
    EXPECT_EQ(a->id(), 7) << "previous from a value reads the last record added with it";
}

TEST_P(DriverContract, ReadsOnFromAnyPositionInEitherDirection) {
    for (int id = 1; id <= 9; ++id)
        ASSERT_TRUE(a->addCustomer(id * 10, std::to_string(100 - id), "N" + std::to_string(id)));
    RecordFile& f = *a->customers;
    a->customer.field("CUS:CUSTOMERID").assign(45);
    ASSERT_TRUE(f.setAt(1));
    ASSERT_TRUE(f.next());
    EXPECT_EQ(a->id(), 50);
    a->customer.field("CUS:CUSTOMERID").assign(45);
    ASSERT_TRUE(f.setAt(1));
    ASSERT_TRUE(f.previous());
    EXPECT_EQ(a->id(), 40);
    std::string at40 = f.position();
    ASSERT_TRUE(f.next());
    EXPECT_EQ(a->id(), 50);
    // Off the end and back.
    while (f.next()) {
    }
    EXPECT_EQ(errorCode(), errors::noRecord);
    EXPECT_FALSE(f.next());
    ASSERT_TRUE(f.previous());
    EXPECT_EQ(a->id(), 90);
    // A position taken in key 1 placed in key 3 (descending numbers there read 90 first).
    ASSERT_TRUE(f.reset(3, at40));
    ASSERT_TRUE(f.next());
    EXPECT_EQ(a->id(), 40);
    ASSERT_TRUE(f.next());
    EXPECT_EQ(a->id(), 30) << "key 3 orders by number, which falls as the id rises";
    ASSERT_TRUE(f.reset(1, at40));
    ASSERT_TRUE(f.previous());
    EXPECT_EQ(a->id(), 40);
    ASSERT_TRUE(f.previous());
    EXPECT_EQ(a->id(), 30);
    ASSERT_TRUE(f.getAt(at40));
    EXPECT_EQ(a->name(), "N4");
    // A get leaves next/previous where they were.
    a->customer.field("CUS:CUSTOMERID").assign(80);
    ASSERT_TRUE(f.get(1));
    ASSERT_TRUE(f.previous());
    EXPECT_EQ(a->id(), 20);
    a->customer.field("CUS:CUSTOMERID").assign(81);
    EXPECT_FALSE(f.get(1));
    EXPECT_EQ(errorCode(), errors::recordNotFound);
    // A deleted record's position reads on from where it was.
    ASSERT_TRUE(f.getAt(at40));
    ASSERT_TRUE(f.remove());
    ASSERT_TRUE(f.reset(1, at40));
    ASSERT_TRUE(f.next());
    EXPECT_EQ(a->id(), 50);
    EXPECT_FALSE(f.getAt(at40));
    EXPECT_EQ(errorCode(), errors::recordNotFound);
    EXPECT_EQ(f.recordCount(), 8);
}

TEST_P(DriverContract, DuplicateKeysAreRefusedAndTheFrameGoesOn) {
    ASSERT_TRUE(a->addCustomer(1, "A1", "One"));
    ASSERT_TRUE(a->addCustomer(2, "A2", "Two"));
    EXPECT_FALSE(a->addCustomer(1, "A3", "Again"));
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    a->customer.field("CUS:NUMBER").assign(std::string("A1"));
    EXPECT_TRUE(a->customers->wouldDuplicate(3));
    EXPECT_FALSE(a->customers->wouldDuplicate(2)) << "a key with duplicates never clashes";
    // Item numbers ignore case.
    a->item.clear();
    a->item.field("ITM:ITEMID").assign(1);
    a->item.field("ITM:ITEMNUMBER").assign(std::string("ab-1"));
    ASSERT_TRUE(a->items->add());
    a->item.field("ITM:ITEMID").assign(2);
    a->item.field("ITM:ITEMNUMBER").assign(std::string("AB-1"));
    EXPECT_FALSE(a->items->add());
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    // Inside a frame a refused write leaves the frame's other writes standing.
    ASSERT_TRUE(a->customers->enlist());
    ASSERT_TRUE(a->driver->begin(5));
    ASSERT_TRUE(a->addCustomer(3, "A3", "Three"));
    a->customer.field("CUS:CUSTOMERID").assign(2);
    ASSERT_TRUE(a->customers->get(1));
    a->customer.field("CUS:NUMBER").assign(std::string("A1"));
    EXPECT_FALSE(a->customers->put());
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    a->customer.field("CUS:NUMBER").assign(std::string("B2"));
    EXPECT_TRUE(a->customers->put()) << errorText() << " " << lastError().driverText;
    ASSERT_TRUE(a->driver->commit()) << errorText() << " " << lastError().driverText;
    EXPECT_EQ(a->customers->recordCount(), 3);
    a->customer.field("CUS:NUMBER").assign(std::string("B2"));
    EXPECT_TRUE(a->customers->get(3));
}

TEST_P(DriverContract, HeldRecordsAreRefusedToOtherStationsAndSkippedByReads) {
    for (int id = 1; id <= 3; ++id)
        ASSERT_TRUE(a->addCustomer(id, std::to_string(id), "N" + std::to_string(id)));
    a->customer.field("CUS:CUSTOMERID").assign(2);
    a->customers->hold();
    ASSERT_TRUE(a->customers->get(1));
    EXPECT_TRUE(a->customers->isHeld());

    Station& s = other();
    s.customer.field("CUS:CUSTOMERID").assign(2);
    EXPECT_FALSE(s.customers->get(1));
    EXPECT_EQ(errorCode(), errors::recordHeld);
    // Reading on meets the held record and steps over it.
    ASSERT_TRUE(s.customers->set(1));
    ASSERT_TRUE(s.customers->next());
    EXPECT_FALSE(s.customers->next());
    EXPECT_EQ(errorCode(), errors::recordHeld);
    ASSERT_TRUE(s.customers->next());
    EXPECT_EQ(s.id(), 3);
    // A second file of the first station's own driver is a station too.
    Record buffer{testsupport::customerLayout()};
    std::unique_ptr<RecordFile> second = a->driver->makeFile(customerDefinition(), buffer);
    ASSERT_TRUE(second->open());
    buffer.field("CUS:CUSTOMERID").assign(2);
    EXPECT_FALSE(second->get(1));
    EXPECT_EQ(errorCode(), errors::recordHeld);
    second->hold();
    EXPECT_FALSE(second->get(1));
    EXPECT_EQ(errorCode(), errors::recordHeld);

    // The holder writes it, which lets it go.
    a->customer.field("CUS:NAME").assign(std::string("Changed"));
    ASSERT_TRUE(a->customers->put());
    EXPECT_FALSE(a->customers->isHeld());
    s.customer.field("CUS:CUSTOMERID").assign(2);
    s.customers->hold();
    ASSERT_TRUE(s.customers->get(1)) << errorText();
    EXPECT_EQ(s.name(), "Changed");
    a->customer.field("CUS:CUSTOMERID").assign(2);
    EXPECT_FALSE(a->customers->get(1));
    EXPECT_EQ(errorCode(), errors::recordHeld);
    // A write of a record read before the other station held it is refused too.
    a->customer.field("CUS:CUSTOMERID").assign(3);
    ASSERT_TRUE(a->customers->get(1));
    s.customer.field("CUS:CUSTOMERID").assign(3);
    s.customers->hold();
    ASSERT_TRUE(s.customers->get(1));
    EXPECT_FALSE(a->customers->put());
    EXPECT_EQ(errorCode(), errors::recordHeld);
    EXPECT_FALSE(a->customers->remove());
    EXPECT_EQ(errorCode(), errors::recordHeld);
    // Closing releases the file's hold.
    ASSERT_TRUE(s.customers->close());
    EXPECT_TRUE(a->customers->put());
    a->customer.field("CUS:CUSTOMERID").assign(2);
    EXPECT_TRUE(a->customers->get(1));
}

TEST_P(DriverContract, WatchedWriteFailsWhenAnotherStationChangedTheRecord) {
    ASSERT_TRUE(a->addCustomer(1, "1", "Before"));
    a->customer.field("CUS:CUSTOMERID").assign(1);
    a->customers->watch();
    ASSERT_TRUE(a->customers->get(1));
    EXPECT_TRUE(a->customers->isWatched());

    Station& s = other();
    s.customer.field("CUS:CUSTOMERID").assign(1);
    ASSERT_TRUE(s.customers->get(1));
    s.customer.field("CUS:NAME").assign(std::string("Theirs"));
    ASSERT_TRUE(s.customers->put());

    a->customer.field("CUS:NAME").assign(std::string("Mine"));
    EXPECT_FALSE(a->customers->put());
    EXPECT_EQ(errorCode(), errors::recordChanged);
    EXPECT_FALSE(a->customers->remove());
    EXPECT_EQ(errorCode(), errors::recordChanged);
    a->customers->watch();
    ASSERT_TRUE(a->customers->reget());
    EXPECT_EQ(a->name(), "Theirs");
    a->customer.field("CUS:NAME").assign(std::string("Mine"));
    ASSERT_TRUE(a->customers->put());
    // A watch goes on across the file's own writes.
    a->customer.field("CUS:NAME").assign(std::string("Mine again"));
    ASSERT_TRUE(a->customers->put());
    ASSERT_TRUE(s.customers->get(1));
    EXPECT_EQ(s.name(), "Mine again");
    // A record removed elsewhere.
    ASSERT_TRUE(s.customers->remove());
    EXPECT_FALSE(a->customers->put());
    EXPECT_EQ(errorCode(), errors::recordChanged);
}

TEST_P(DriverContract, FramesCommitOrRollBackEveryFileTogether) {
    ASSERT_TRUE(a->customers->enlist());
    ASSERT_TRUE(a->items->enlist());
    ASSERT_TRUE(a->driver->begin(5));
    EXPECT_TRUE(a->driver->inTransaction());
    EXPECT_FALSE(a->driver->begin(5));
    ASSERT_TRUE(a->addCustomer(1, "1", "Framed"));
    a->item.clear();
    a->item.field("ITM:ITEMID").assign(1);
    a->item.field("ITM:ITEMNUMBER").assign(std::string("X1"));
    ASSERT_TRUE(a->items->add());
    EXPECT_EQ(a->customers->recordCount(), 1) << "the frame reads its own writes";
    EXPECT_EQ(other().customers->recordCount(), 0) << "others see nothing before the commit";
    ASSERT_TRUE(a->driver->rollback());
    EXPECT_FALSE(a->driver->inTransaction());
    EXPECT_EQ(a->customers->recordCount(), 0);
    EXPECT_EQ(a->items->recordCount(), 0);

    ASSERT_TRUE(a->customers->enlist());
    ASSERT_TRUE(a->items->enlist());
    ASSERT_TRUE(a->driver->begin(5));
    ASSERT_TRUE(a->addCustomer(1, "1", "Framed"));
    ASSERT_TRUE(a->items->add());
    ASSERT_TRUE(a->driver->commit());
    EXPECT_FALSE(a->customers->isEnlisted());
    EXPECT_EQ(other().customers->recordCount(), 1);
    EXPECT_EQ(other().items->recordCount(), 1);
}

TEST_P(DriverContract, ViewsFilterAndPageFromBothEnds) {
    struct Row {
        int id;
        std::string city;
        std::string name;
    };
    std::vector<Row> rows;
    for (int id = 1; id <= 45; ++id) {
        std::string city = id % 3 == 0 ? "Shelbyville" : "Springfield";
        std::string name =
            std::string(1, static_cast<char>(id % 2 ? 'a' + id % 7 : 'A' + id % 7)) + "name";
        rows.push_back({id, city, name});
        ASSERT_TRUE(a->addCustomer(id, std::to_string(id), name, city));
    }
    // Expected: Springfield only, names ignoring case descending, ties in record order.
    std::vector<int> expected;
    std::vector<Row> kept;
    for (const Row& r : rows)
        if (r.city == "Springfield")
            kept.push_back(r);
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Row& x, const Row& y) { return lower(x.name) > lower(y.name); });
    for (const Row& r : kept)
        expected.push_back(r.id);

    std::unique_ptr<RecordView> view = a->driver->makeView(*a->customers);
    ASSERT_TRUE(view);
    view->setPaging(4, 1, 1, 10);
    ASSERT_TRUE(view->open());
    ASSERT_TRUE(view->setOrder("-UPPER(CUS:NAME)"));
    ASSERT_TRUE(view->setFilter("CUS:CITY = 'Springfield'"));
    std::vector<int> forward, backward;
    ASSERT_TRUE(view->setStart());
    while (view->next())
        forward.push_back(a->id());
    EXPECT_EQ(errorCode(), errors::noRecord);
    EXPECT_EQ(forward, expected);
    ASSERT_TRUE(view->setStart());
    while (view->previous())
        backward.push_back(a->id());
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, expected);

    // A position in the middle, read on both ways across page boundaries.
    ASSERT_TRUE(view->setStart());
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(view->next());
    std::string middle = view->position();
    ASSERT_TRUE(view->reset(middle));
    ASSERT_TRUE(view->next());
    EXPECT_EQ(a->id(), expected[9]);
    ASSERT_TRUE(view->previous());
    EXPECT_EQ(a->id(), expected[8]);
    // One record read again at its position; the view reads on from it both ways, and a
    // record gone from the position gives way to the next one.
    ASSERT_TRUE(view->readAt(middle));
    EXPECT_EQ(a->id(), expected[9]);
    EXPECT_EQ(view->position(), middle);
    std::vector<int> rest;
    while (view->next())
        rest.push_back(a->id());
    EXPECT_EQ(rest, std::vector<int>(expected.begin() + 10, expected.end()));
    ASSERT_TRUE(view->readAt(middle) && view->previous());
    EXPECT_EQ(a->id(), expected[8]);
    a->customer.field("CUS:CUSTOMERID").assign(expected[9]);
    ASSERT_TRUE(a->customers->get(1) && a->customers->remove());
    ASSERT_TRUE(view->readAt(middle));
    EXPECT_EQ(a->id(), expected[10]);
    ASSERT_TRUE(view->next());
    EXPECT_EQ(a->id(), expected[11]);
    expected.erase(expected.begin() + 9);
    // Positioned at leading order values.
    a->customer.field("CUS:NAME").assign(std::string("DNAME"));
    ASSERT_TRUE(view->setAt(1));
    ASSERT_TRUE(view->next());
    EXPECT_EQ(lower(a->name()), "dname");
    // Comparisons of whole numbers, either way round, narrow the same records.
    ASSERT_TRUE(view->setFilter("CUS:CITY = 'Springfield' AND CUS:CUSTOMERID > 3 AND 40 >= "
                                "CUS:CUSTOMERID AND NOT CUS:CUSTOMERID = 10"));
    std::vector<int> narrowed, expectedNarrowed;
    for (int id : expected)
        if (id > 3 && id <= 40 && id != 10)
            expectedNarrowed.push_back(id);
    while (view->next())
        narrowed.push_back(a->id());
    EXPECT_EQ(narrowed, expectedNarrowed);
    // A bad text keeps the setting it had.
    EXPECT_FALSE(view->setFilter("CUS:CITY = "));
    EXPECT_EQ(errorCode(), errors::badFilter);
    EXPECT_FALSE(view->setOrder("CUS:NOSUCH"));
    EXPECT_EQ(errorCode(), errors::badFilter);
}

TEST_P(DriverContract, ViewsJoinFilesAndClearTheMissingOnes) {
    ASSERT_TRUE(a->addCustomer(1, "X1", "One"));
    ASSERT_TRUE(a->addCustomer(2, "X2", "Two"));
    a->item.clear();
    a->item.field("ITM:ITEMID").assign(7);
    a->item.field("ITM:ITEMNUMBER").assign(std::string("X2"));
    a->item.field("ITM:DESCRIPTION").assign(std::string("Widget"));
    ASSERT_TRUE(a->items->add());
    std::unique_ptr<RecordView> view = a->driver->makeView(*a->customers);
    ASSERT_TRUE(view->join(*a->items, "ITM:ITEMNUMBER = CUS:NUMBER"));
    ASSERT_TRUE(view->open());
    ASSERT_TRUE(view->setOrder("-CUS:CUSTOMERID"));
    ASSERT_TRUE(view->next());
    EXPECT_EQ(a->id(), 2);
    EXPECT_EQ(clip(a->item.field("ITM:DESCRIPTION").text()), "Widget");
    ASSERT_TRUE(view->next());
    EXPECT_EQ(a->id(), 1);
    EXPECT_EQ(clip(a->item.field("ITM:DESCRIPTION").text()), "");
    EXPECT_EQ(a->item.field("ITM:ITEMID").integer(), 0);
    EXPECT_FALSE(view->next());
    // The item's number key ignores case; the join does not.
    ASSERT_TRUE(view->close());
    ASSERT_TRUE(a->addCustomer(3, "x2", "Three"));
    ASSERT_TRUE(view->open() && view->setOrder("-CUS:CUSTOMERID"));
    ASSERT_TRUE(view->next());
    EXPECT_EQ(a->id(), 3);
    EXPECT_EQ(a->item.field("ITM:ITEMID").integer(), 0);
    ASSERT_TRUE(view->setFilter("ITM:ITEMID = 0"));
    ASSERT_TRUE(view->next());
    EXPECT_EQ(a->id(), 3);
    ASSERT_TRUE(view->next());
    EXPECT_EQ(a->id(), 1);
    EXPECT_FALSE(view->next());
}

TEST_P(DriverContract, PlaceholdersClaimOnlyTheirKeysAndCount) {
    a->customer.clear();
    a->customer.field("CUS:CUSTOMERID").assign(5);
    ASSERT_TRUE(a->customers->addPlaceholder({1}));
    // Its blank number neither clashes with nor keeps out another record's.
    ASSERT_TRUE(a->addCustomer(6, "", "Blank number"));
    a->customer.clear();
    a->customer.field("CUS:CUSTOMERID").assign(5);
    EXPECT_FALSE(a->customers->addPlaceholder({1}));
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    EXPECT_EQ(a->customers->recordCount(), 2);
    // Written over, it becomes an ordinary record: its blank number now clashes.
    a->customer.field("CUS:CUSTOMERID").assign(5);
    ASSERT_TRUE(a->customers->get(1));
    a->customer.field("CUS:NAME").assign(std::string("Filled"));
    EXPECT_FALSE(a->customers->put());
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    a->customer.field("CUS:NUMBER").assign(std::string("N5"));
    EXPECT_TRUE(a->customers->put());
    // In key 3 the record claiming the blank value comes before placeholders leaving it.
    a->customer.clear();
    a->customer.field("CUS:CUSTOMERID").assign(7);
    ASSERT_TRUE(a->customers->addPlaceholder({1}));
    std::vector<int> ids;
    ASSERT_TRUE(a->customers->set(3));
    while (a->customers->next())
        ids.push_back(a->id());
    EXPECT_EQ(ids, (std::vector<int>{6, 7, 5}));
}

TEST_P(DriverContract, OptionsSetTheFilesOwnWaitAndRefuseWhatTheyDoNotKnow) {
    EXPECT_TRUE(a->customers->sendOption(" recover = 7 ")) << errorText();
    EXPECT_EQ(a->customers->lockWaitSeconds(), 7);
    // Another file on the same connection keeps its own wait.
    EXPECT_NE(a->items->lockWaitSeconds(), 7);
    for (const char* refused : {"Recover=soon", "Recover=-1", "QUICKSCAN=maybe", "Color=red"}) {
        EXPECT_FALSE(a->customers->sendOption(refused)) << refused;
        EXPECT_EQ(errorCode(), errors::driverError) << refused;
        EXPECT_EQ(lastError().driverCode, "option") << refused;
    }
    EXPECT_EQ(a->customers->lockWaitSeconds(), 7);
    EXPECT_TRUE(a->customers->sendOption("QuickScan=ON"));
}

TEST_P(DriverContract, ExclusiveOpenKeepsOtherStationsOut) {
    ASSERT_TRUE(a->customers->close());
    ASSERT_TRUE(a->customers->open(openMode::exclusive));
    Station& s = b.emplace(*store);
    EXPECT_FALSE(s.customers->open());
    EXPECT_EQ(errorCode(), errors::accessDenied);
    EXPECT_FALSE(s.customers->create());
    ASSERT_TRUE(a->customers->close());
    EXPECT_TRUE(s.customers->open()) << errorText();
    EXPECT_FALSE(a->customers->open(openMode::exclusive));
    EXPECT_EQ(errorCode(), errors::accessDenied);
    EXPECT_FALSE(s.customers->open());
    EXPECT_EQ(errorCode(), errors::alreadyOpen);
}

TEST_P(DriverContract, FileOpenedAloneAddsManyAtOnceAndReadsThemBackInOrder) {
    ASSERT_TRUE(a->customers->close());
    ASSERT_TRUE(a->customers->open(openMode::exclusive));
    RecordFile& f = *a->customers;
    // More records than one read fetches ahead, so that reads cross its batches.
    std::vector<std::string> images, names;
    for (int id = 1; id <= 1200; ++id) {
        char name[8];
        std::snprintf(name, sizeof name, "N%04d", id);
        a->customer.clear();
        a->customer.field("CUS:CUSTOMERID").assign(id);
        a->customer.field("CUS:NUMBER").assign(std::to_string(id));
        a->customer.field("CUS:NAME").assign(std::string(name));
        images.emplace_back(reinterpret_cast<const char*>(a->customer.data()), a->customer.size());
        names.emplace_back(name);
    }
    ASSERT_TRUE(f.enlist());
    ASSERT_TRUE(a->driver->begin(30));
    ASSERT_TRUE(f.addAll(images)) << errorText() << " " << lastError().driverText;
    ASSERT_TRUE(a->driver->commit());
    EXPECT_EQ(a->id(), 1200) << "the last record added is current";
    EXPECT_EQ(f.recordCount(), 1200);
    EXPECT_EQ(readAll(*a, 1, false), names);
    std::vector<std::string> reversed(names.rbegin(), names.rend());
    EXPECT_EQ(readAll(*a, 2, true), reversed);
    // A record changed while reading on is read as changed, not as it was read ahead.
    ASSERT_TRUE(f.set(1));
    for (int n = 0; n < 10; ++n)
        ASSERT_TRUE(f.next());
    a->customer.field("CUS:CUSTOMERID").assign(11);
    ASSERT_TRUE(f.get(1));
    a->customer.field("CUS:NAME").assign(std::string("Changed"));
    ASSERT_TRUE(f.put()) << errorText();
    ASSERT_TRUE(f.next());
    EXPECT_EQ(a->id(), 11);
    EXPECT_EQ(a->name(), "Changed");
    a->customer.field("CUS:CUSTOMERID").assign(12);
    ASSERT_TRUE(f.get(1));
    ASSERT_TRUE(f.remove());
    ASSERT_TRUE(f.next());
    EXPECT_EQ(a->id(), 13) << "a record removed while reading on is not read";
    // A batch holding a duplicate is refused; the frame rolled back leaves the file as it
    // was.
    ASSERT_TRUE(f.enlist());
    ASSERT_TRUE(a->driver->begin(30));
    std::vector<std::string> again = {images[0]};
    a->customer.clear();
    a->customer.field("CUS:CUSTOMERID").assign(5000);
    again.insert(again.begin(), std::string(reinterpret_cast<const char*>(a->customer.data()),
                                            a->customer.size()));
    EXPECT_FALSE(f.addAll(again));
    EXPECT_EQ(errorCode(), errors::duplicateKey);
    ASSERT_TRUE(a->driver->rollback());
    EXPECT_EQ(f.recordCount(), 1199);
}

INSTANTIATE_TEST_SUITE_P(Drivers, DriverContract, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

} // namespace
} // namespace conformance
