// Two stations on one data folder: first two drivers in this process, then real
// processes (fork), which is where holds, exclusive opens and interrupted transaction
// frames must hold up when a station dies.
#include "DriverFixture.h"
#include "tests/support/StationProcess.h"

#include <chrono>
#include <thread>

using namespace host;
using namespace drivertest;
using testsupport::StationProcess;

namespace {

enum CustomerKey { idKey = 1, nameKey = 2, numberKey = 3 };

class TwoStations : public ::testing::Test {
protected:
    TempFolder folder;
    std::unique_ptr<Station> a, b;

    void SetUp() override {
        fillCustomers(folder.path(), 5);
        a = std::make_unique<Station>(folder.path());
        b = std::make_unique<Station>(folder.path());
        ASSERT_TRUE(a->customers->open());
        ASSERT_TRUE(b->customers->open());
    }
};

// Holds, watches and frames between two stations are the driver contract's; what is left
// here is the SQLite driver's own: wait times, the last writer winning without a watch,
// and frames on files never opened.
TEST_F(TwoStations, HoldsWaitUpToTheirTimeAndWritesWithoutAWatchLastWriterWins) {
    a->customers->hold();
    ASSERT_TRUE(a->read(2));
    b->customers->hold(0);
    EXPECT_FALSE(b->read(2));
    EXPECT_EQ(errorCode(), errors::recordHeld);
    a->customers->release();
    EXPECT_TRUE(b->read(2));
    EXPECT_TRUE(b->customers->isHeld());
    EXPECT_FALSE(a->customers->remove());
    EXPECT_EQ(errorCode(), errors::recordHeld);
    b->customers->close(); // closing lets go of every hold
    EXPECT_TRUE(a->customers->remove());

    ASSERT_TRUE(b->customers->open());
    ASSERT_TRUE(b->read(3));
    ASSERT_TRUE(a->read(3));
    ASSERT_TRUE(b->customers->put());
    EXPECT_TRUE(a->customers->put());
}

TEST_F(TwoStations, OpensExcludeEachOtherByAccessAndSharing) {
    // Exclusive opens are the driver contract's. Deny-write lets readers in and keeps writers out,
    // and the other way round.
    b->customers->close();
    a->customers->close();
    ASSERT_TRUE(a->customers->open(openMode::readWrite | openMode::denyWrite));
    EXPECT_FALSE(b->customers->open(openMode::shared));
    EXPECT_TRUE(b->customers->open(openMode::readOnly | openMode::denyNone));
    b->customers->close();
    a->customers->close();
    ASSERT_TRUE(a->customers->open(openMode::shared));
    EXPECT_FALSE(b->customers->open(openMode::readOnly | openMode::denyWrite));
    EXPECT_FALSE(b->customers->create());
    EXPECT_EQ(errorCode(), errors::accessDenied);
}

TEST_F(TwoStations, FramesNeedOpenFilesAndWaitForAnotherStationsFrame) {
    Record item(itemLayout());
    auto items = a->driver.makeFile(itemDefinition(), item);
    EXPECT_FALSE(items->enlist());
    EXPECT_EQ(errorCode(), errors::fileNotOpen);
    ASSERT_TRUE(items->create() && items->open());
    ASSERT_TRUE(items->enlist() && a->customers->enlist());

    ASSERT_TRUE(a->driver.begin(2));
    EXPECT_FALSE(a->driver.begin(2));
    EXPECT_EQ(errorCode(), errors::driverError);
    ASSERT_TRUE(a->addCustomer(10, "C10", "In Frame"));
    EXPECT_FALSE(b->read(10)); // not visible elsewhere before the commit
    // Another station's frame waits for this one, up to its time-out.
    EXPECT_FALSE(b->driver.begin(0));
    EXPECT_EQ(errorCode(), errors::accessDenied);
    ASSERT_TRUE(a->driver.commit());
    EXPECT_TRUE(b->read(10));
    EXPECT_FALSE(a->driver.commit());
    EXPECT_FALSE(a->driver.rollback());
    EXPECT_EQ(errorCode(), errors::driverError);
}

// ---- Real processes -------------------------------------------------------------------------

class Processes : public ::testing::Test {
protected:
    TempFolder folder;
    void SetUp() override { fillCustomers(folder.path(), 5); }
};

TEST_F(Processes, AHoldDiesWithItsProcess) {
    StationProcess child([&](StationProcess& self) {
        Station station(folder.path());
        self.require(station.customers->open());
        station.customers->hold();
        self.require(station.read(3));
        self.say('h');
        self.hear(); // holds until killed
    });
    ASSERT_EQ(child.hear(), 'h');
    Station parent(folder.path());
    ASSERT_TRUE(parent.customers->open());
    EXPECT_FALSE(parent.read(3));
    EXPECT_EQ(errorCode(), errors::recordHeld);
    // Skipping held records, as SKIPHELDRECORDS reading does.
    parent.customers->set(idKey);
    std::vector<int> read;
    while (parent.customers->next() || errorCode() == errors::recordHeld)
        if (errorCode() == 0)
            read.push_back(parent.id());
    EXPECT_EQ(read, (std::vector<int>{1, 2, 4, 5}));

    child.killNow();
    EXPECT_TRUE(parent.read(3));
    parent.customer.field("CUS:CITY").assign("Free");
    EXPECT_TRUE(parent.customers->put());
}

TEST_F(Processes, AHoldThatWaitsReadsWhatTheHolderWrote) {
    StationProcess child([&](StationProcess& self) {
        Station station(folder.path());
        self.require(station.customers->open());
        station.customers->hold();
        self.require(station.read(3));
        self.say('h');
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        station.customer.field("CUS:NAME").assign("Written While Held");
        self.require(station.customers->put()); // and so released
        self.hear();
    });
    ASSERT_EQ(child.hear(), 'h');
    Station parent(folder.path());
    ASSERT_TRUE(parent.customers->open());
    parent.customers->hold(5);
    ASSERT_TRUE(parent.read(3)) << errorText();
    EXPECT_EQ(parent.name(), "Written While Held");
    EXPECT_TRUE(parent.customers->isHeld());
}

TEST_F(Processes, AChangeByAnotherProcessAnswers89) {
    StationProcess child([&](StationProcess& self) {
        Station station(folder.path());
        self.require(station.customers->open());
        self.hear();
        self.require(station.read(2));
        station.customer.field("CUS:NAME").assign("Other Process");
        self.require(station.customers->put());
        self.say('w');
        self.hear();
    });
    Station parent(folder.path());
    ASSERT_TRUE(parent.customers->open());
    parent.customers->watch();
    ASSERT_TRUE(parent.read(2));
    child.say('g');
    ASSERT_EQ(child.hear(), 'w');
    parent.customer.field("CUS:NAME").assign("This Process");
    EXPECT_FALSE(parent.customers->put());
    EXPECT_EQ(errorCode(), errors::recordChanged);
    parent.customers->watch();
    ASSERT_TRUE(parent.customers->reget());
    EXPECT_EQ(parent.name(), "Other Process");
}

TEST_F(Processes, AnExclusiveOpenElsewhereAnswers5AndRecoverWaitsForIt) {
    StationProcess child([&](StationProcess& self) {
        Station station(folder.path());
        self.require(station.customers->open(openMode::exclusive));
        self.say('x');
        self.hear();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        station.customers->close();
        self.hear();
    });
    ASSERT_EQ(child.hear(), 'x');
    Station parent(folder.path());
    EXPECT_FALSE(parent.customers->open());
    EXPECT_EQ(errorCode(), errors::accessDenied);
    // The lock-recovery time makes the next open wait for the other station to close.
    ASSERT_TRUE(parent.customers->sendOption("Recover=5"));
    auto start = std::chrono::steady_clock::now();
    child.say('c');
    EXPECT_TRUE(parent.customers->open()) << errorText();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));

    // When the station dies with the file open exclusively, the file is free at once.
    parent.customers->close();
    StationProcess crashing([&](StationProcess& self) {
        Station station(folder.path());
        self.require(station.customers->open(openMode::exclusive));
        self.say('x');
        self.hear();
    });
    ASSERT_EQ(crashing.hear(), 'x');
    ASSERT_TRUE(parent.customers->sendOption("Recover=0"));
    EXPECT_FALSE(parent.customers->open());
    crashing.killNow();
    EXPECT_TRUE(parent.customers->open());
}

TEST_F(Processes, AFrameKilledHalfWayLeavesNothing) {
    StationProcess child([&](StationProcess& self) {
        Station station(folder.path());
        Record item(itemLayout());
        auto items = station.driver.makeFile(itemDefinition(), item);
        self.require(items->create() && items->open() && station.customers->open());
        self.require(items->enlist() && station.customers->enlist() && station.driver.begin(2));
        for (int id = 100; id < 150; ++id)
            self.require(station.addCustomer(id, "N" + std::to_string(id), "Half Way"));
        self.require(station.read(1) && station.customers->remove());
        item.field("ITM:ITEMID").assign(1);
        self.require(items->add());
        self.say('m'); // in the middle of the frame
        self.hear();
    });
    ASSERT_EQ(child.hear(), 'm');
    child.killNow();

    Station parent(folder.path());
    ASSERT_TRUE(parent.customers->open());
    EXPECT_EQ(parent.customers->recordCount(), 5);
    EXPECT_TRUE(parent.read(1));
    Record item(itemLayout());
    auto items = parent.driver.makeFile(itemDefinition(), item);
    ASSERT_TRUE(items->open());
    EXPECT_EQ(items->recordCount(), 0);
    // And the data base takes writes again.
    EXPECT_TRUE(parent.addCustomer(100, "N100", "After"));
}

TEST_F(Processes, WritesWaitForAnotherFrameUpToTheLockWaitTime) {
    StationProcess child([&](StationProcess& self) {
        Station station(folder.path());
        self.require(station.customers->open() && station.customers->enlist());
        self.require(station.driver.begin(2) && station.addCustomer(20, "C20", "Framed"));
        self.say('f');
        self.hear();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        self.require(station.driver.commit());
        self.hear();
    });
    ASSERT_EQ(child.hear(), 'f');
    Station parent(folder.path());
    ASSERT_TRUE(parent.customers->open());
    ASSERT_TRUE(parent.customers->sendOption("Recover=0"));
    EXPECT_FALSE(parent.addCustomer(21, "C21", "Waiting"));
    EXPECT_EQ(errorCode(), errors::accessDenied);
    ASSERT_TRUE(parent.customers->sendOption("Recover=5"));
    child.say('c');
    EXPECT_TRUE(parent.addCustomer(21, "C21", "Waiting")) << errorText();
    EXPECT_TRUE(parent.read(20));
}

} // namespace
