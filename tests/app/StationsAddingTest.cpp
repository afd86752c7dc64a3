// Several stations adding records at once, each in a process of its own, the way the
// forms and the invoice window do: a new record is prepared (its placeholder added),
// the user types, the record is inserted. All the stations' new records are open at the
// same time before any is inserted.
#include "app/DataDictionary.h"
#include "app/FileDeclarations.h"
#include "framework/data/ErrorReporter.h"
#include "framework/data/FileAccess.h"
#include "framework/data/FileRegistry.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/base/Record.h"
#include "runtime/headless/ScriptedMessageBoxes.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "tests/support/FileContents.h"
#include "tests/support/StationProcess.h"
#include "tests/support/StoreDriver.h"
#include "tests/support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

using framework::Severity;
using testsupport::StationProcess;

namespace {

// The shop's data dictionary over a data folder, as one running program has it.
struct Shop {
    explicit Shop(const std::string& folder) {
        host::setCurrentThread(1);
        errors.Setup();
        registry.Setup();
        driver.openFolder(folder);
        app::DataDictionary::setUp(driver, errors, registry);
    }
    ~Shop() {
        app::DataDictionary::tearDown();
        registry.Teardown();
        errors.Teardown();
    }
    host::headless::ScriptedMessageBoxes boxes;
    // The embedded driver, or the server one (testsupport::StoreDriver).
    std::unique_ptr<host::RecordFileDriver> ownedDriver = testsupport::StoreDriver::make();
    host::RecordFileDriver& driver = *ownedDriver;
    framework::ErrorReporter errors;
    framework::FileRegistry registry;
};

// Runs `stations` processes through `rounds` rounds: in each, every station prepares its
// new record (`prepare`, letter 'p'), and once all have, types and inserts it (`insert`,
// letter 'i'). A station that fails says 'x' and stops. Returns the letters heard, up to
// the first round in which a station failed.
std::string runStations(const std::string& folder, int stations, int rounds,
                        const std::function<bool(int station)>& prepare,
                        const std::function<bool(int station, int round)>& insert) {
    std::vector<std::unique_ptr<StationProcess>> children;
    for (int s = 1; s <= stations; ++s)
        children.push_back(std::make_unique<StationProcess>([&, s](StationProcess& self) {
            try {
                Shop shop(folder);
                for (int round = 1; round <= rounds; ++round) {
                    if (!prepare(s)) {
                        self.say('x');
                        return;
                    }
                    self.say('p');
                    self.hear();
                    if (!insert(s, round)) {
                        self.say('x');
                        return;
                    }
                    self.say('i');
                }
            } catch (...) {
                self.say('x');
            }
        }));
    std::string heard;
    for (int round = 1; round <= rounds; ++round) {
        bool failed = false;
        for (auto& child : children) {
            char letter = child->hear();
            heard += letter;
            failed = failed || letter != 'p';
        }
        if (failed)
            return heard; // the stations still waiting are killed
        for (auto& child : children)
            child->say('g');
        for (auto& child : children) {
            char letter = child->hear();
            heard += letter;
            failed = failed || letter != 'i';
        }
        if (failed)
            return heard;
    }
    for (auto& child : children)
        child->wait();
    return heard;
}

std::string expectedLetters(int stations, int rounds) {
    std::string letters;
    for (int round = 0; round < rounds; ++round)
        letters += std::string(static_cast<size_t>(stations), 'p') +
                   std::string(static_cast<size_t>(stations), 'i');
    return letters;
}

class StationsAddingTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::headless::haltByException();
        testsupport::StoreDriver::freshStore();
        // The files are made here (the stations' opens are lazy and would race to make
        // them), and the connection is let go of before the stations start.
        Shop shop(folder);
        testsupport::seed(shop.driver, app::files::item(), [](host::Record&, host::RecordFile&) {});
        testsupport::seed(shop.driver, app::files::invDet(),
                          [](host::Record&, host::RecordFile&) {});
        testsupport::seed(shop.driver, app::files::invHdr(),
                          [](host::Record& record, host::RecordFile& file) {
                              record.clear();
                              record.field("INH:INVHDRID").assign(1);
                              record.field("INH:INVOICENUMBER").assign(101);
                              ASSERT_TRUE(file.add());
                          });
    }
    std::vector<long long> numbers(const host::FileDefinition& definition, int key,
                                   std::string_view label) {
        std::unique_ptr<host::RecordFileDriver> driver = testsupport::StoreDriver::make();
        driver->openFolder(folder);
        return testsupport::numbers(*driver, definition, key, label);
    }

    testsupport::TempFolder temporary;
    const std::string& folder = temporary.path();
};

TEST_F(StationsAddingTest, ItemFormsOpenAtOnceOnFourStationsAllSucceed) {
    const int stations = 4, rounds = 3;
    std::string heard = runStations(
        folder, stations, rounds,
        [](int) {
            app::ItemAccess->Open();
            return app::ItemAccess->PrepareNewRecord(false) == Severity::Benign;
        },
        [](int station, int round) {
            app::ItemRecord.field("ITM:ITEMNUMBER")
                .assign("S" + std::to_string(station) + "-" + std::to_string(round));
            app::ItemRecord.field("ITM:DESCRIPTION")
                .assign("typed at station " + std::to_string(station));
            return app::ItemAccess->Insert() == Severity::Benign;
        });
    EXPECT_EQ(heard, expectedLetters(stations, rounds));
    std::vector<long long> ids = numbers(app::files::item(), 1, "ITM:ITEMID");
    EXPECT_EQ(ids.size(), static_cast<size_t>(stations * rounds));
    EXPECT_EQ(std::set<long long>(ids.begin(), ids.end()).size(), ids.size());
}

TEST_F(StationsAddingTest, InvoiceLinesAddedAtOnceOnThreeStationsAreNumberedInTens) {
    const int stations = 3, rounds = 3;
    std::string heard = runStations(
        folder, stations, rounds,
        [](int) {
            app::InvDetAccess->Open();
            app::InvDetRecord.clear();
            app::InvDetRecord.field("IND:INVHDRID").assign(1);
            return app::InvDetAccess->PrepareNewRecord(true) == Severity::Benign;
        },
        [](int station, int) {
            app::InvDetRecord.field("IND:ITEMNUMBER").assign("S" + std::to_string(station));
            app::InvDetRecord.field("IND:QUANTITY").assign(station);
            return app::InvDetAccess->Insert() == Severity::Benign;
        });
    EXPECT_EQ(heard, expectedLetters(stations, rounds));
    std::vector<long long> sequences = numbers(app::files::invDet(), 2, "IND:SEQUENCE");
    std::vector<long long> tens;
    for (int n = 1; n <= stations * rounds; ++n)
        tens.push_back(10 * n);
    EXPECT_EQ(sequences, tens);
}

} // namespace
