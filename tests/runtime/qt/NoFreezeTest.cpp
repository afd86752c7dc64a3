// One window's logical thread waits for a record that another station holds; meanwhile
// the other windows go on answering the user and repainting.
#include "QtTestSession.h"

#include "runtime/base/Record.h"
#include "runtime/base/RuntimeErrors.h"
#include "runtime/files/FileDefinition.h"
#include "runtime/files/RecordFile.h"
#include "runtime/sqlite/SqliteDriver.h"
#include "runtime/ui/Property.h"
#include "tests/support/ShopLayouts.h"
#include "tests/support/StationProcess.h"
#include "tests/support/TempFolder.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using host::EventKind;
using host::Window;
using host::qt::test::define;
using host::qt::test::QtTestSession;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

long long millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration_cast<milliseconds>(to - from).count();
}

// A station on the folder with the customer file.
struct Shop {
    explicit Shop(const std::string& folder) {
        driver.openFolder(folder);
        host::FileDefinition definition("CUSTOMER", "CUS", testsupport::customerLayout());
        definition.setNameOnDisk("Customer");
        definition.addKey("CUS:CUSTOMERIDK", {"CUS:CUSTOMERID"}, false, false, true);
        customers = driver.makeFile(definition, customer);
    }
    bool read(int id) {
        customer.clear();
        customer.field("CUS:CUSTOMERID").assign(id);
        return customers->get(1);
    }
    host::sqlite::SqliteDriver driver;
    host::Record customer{testsupport::customerLayout()};
    std::unique_ptr<host::RecordFile> customers;
};

// Records when a widget painted, with the text it showed then.
class PaintLog : public QObject {
public:
    std::vector<std::pair<Clock::time_point, QString>> paints;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            if (auto* label = qobject_cast<QLabel*>(watched))
                paints.emplace_back(Clock::now(), label->text());
        return QObject::eventFilter(watched, event);
    }
};

const char* const ordersText = R"(
window ORDERS "Orders" at=0,0,200,60
  prompt 1 "Reading customer 3"
end)";

const char* const counterText = R"(
window COUNTER "Counter" at=210,0,200,60
  prompt 1 "Clicks: 0" at=8,8,120,10
  button 2 "&Count" at=8,24,60,14
end)";

TEST(NoFreeze, AnotherWindowAnswersAndRepaintsWhileOneWaitsForARecordHeldElsewhere) {
    constexpr auto heldFor = milliseconds(3000);
    testsupport::TempFolder folder;
    {
        Shop setup(folder.path());
        ASSERT_TRUE(setup.customers->create());
        ASSERT_TRUE(setup.customers->open());
        setup.customer.clear();
        setup.customer.field("CUS:CUSTOMERID").assign(3);
        setup.customer.field("CUS:NAME").assign("Held Elsewhere");
        ASSERT_TRUE(setup.customers->add());
    }
    testsupport::StationProcess other([&](testsupport::StationProcess& self) {
        Shop station(folder.path());
        self.require(station.customers->open());
        station.customers->hold();
        self.require(station.read(3));
        self.say('h');
        std::this_thread::sleep_for(heldFor);
        station.customers->release();
        self.hear(); // stays until the test ends
    });
    ASSERT_EQ(other.hear(), 'h');
    Shop shop(folder.path());
    ASSERT_TRUE(shop.customers->open());

    QtTestSession session;
    bool waiting = true;
    bool got = false;
    long long waited = 0;
    session.start([&] {
        Window w(define(ordersText));
        w.open();
        auto start = Clock::now();
        shop.customers->hold(10);
        got = shop.read(3);
        waited = millisecondsBetween(start, Clock::now());
        waiting = false;
        while (w.nextEvent())
            w.endCycle(host::CycleEnd::DefaultAction);
    });
    ASSERT_TRUE(waiting) << "the wait must still be going on";

    std::vector<Clock::time_point> answers;
    session.start([&] {
        Window w(define(counterText));
        w.open();
        while (w.nextEvent()) {
            if (w.currentEvent() == EventKind::Accepted && w.eventControl() == 2) {
                answers.push_back(Clock::now());
                w.setProperty(1, host::Property::Text, "Clicks: " + std::to_string(answers.size()));
            }
            w.endCycle(host::CycleEnd::DefaultAction);
        }
    });
    Window* counter = session.desktop().windowNamed("COUNTER");
    ASSERT_NE(counter, nullptr);
    auto* button = session.widgetAs<QPushButton>(2, counter);
    auto* label = session.widgetAs<QLabel>(1, counter);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(label, nullptr);
    PaintLog paintLog;
    label->installEventFilter(&paintLog);

    // Click the other window's button over and over while the wait goes on; each time,
    // Qt's loop runs as in the program until the click was answered and the new count
    // painted. Without the cooperative wait, the loop stands still for the whole wait.
    std::vector<long long> answerLatencies, paintLatencies;
    auto testStart = Clock::now();
    while (waiting && Clock::now() - testStart < milliseconds(10000)) {
        std::size_t answered = answers.size();
        QString expected = QString("Clicks: %1").arg(answered + 1);
        auto sent = Clock::now();
        QTest::mouseClick(button, Qt::LeftButton);
        auto painted = [&] {
            return std::any_of(paintLog.paints.begin(), paintLog.paints.end(),
                               [&](const auto& p) { return p.second == expected; });
        };
        while ((answers.size() == answered || !painted()) &&
               Clock::now() - sent < milliseconds(5000)) {
            QApplication::processEvents(QEventLoop::AllEvents);
            std::this_thread::sleep_for(milliseconds(1));
        }
        ASSERT_GT(answers.size(), answered) << "the click was never answered";
        ASSERT_TRUE(painted()) << "the new count was never painted";
        answerLatencies.push_back(millisecondsBetween(sent, answers[answered]));
        auto paint = std::find_if(paintLog.paints.begin(), paintLog.paints.end(),
                                  [&](const auto& p) { return p.second == expected; });
        paintLatencies.push_back(millisecondsBetween(sent, paint->first));
        paintLog.paints.clear();
        QTest::qWait(20); // the user's next click
    }
    session.settle();
    label->removeEventFilter(&paintLog);

    EXPECT_TRUE(got) << host::errorCode();
    EXPECT_GE(waited, 2000) << "the record was held elsewhere for 3 seconds";
    ASSERT_GE(paintLatencies.size(), 10u) << "clicks answered during the wait";
    auto median = [](std::vector<long long> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    long long worstAnswer = *std::max_element(answerLatencies.begin(), answerLatencies.end());
    long long worstPaint = *std::max_element(paintLatencies.begin(), paintLatencies.end());
    std::printf("waited %lld ms; %zu clicks: answered median %lld ms, worst %lld ms; "
                "repainted median %lld ms, worst %lld ms\n",
                waited, paintLatencies.size(), median(answerLatencies), worstAnswer,
                median(paintLatencies), worstPaint);
    // Generous for a loaded machine: the user would notice neither.
    EXPECT_LT(median(paintLatencies), 100);
    EXPECT_LT(worstPaint, 500);
    EXPECT_LT(worstAnswer, 500);
    other.say('q');
}

} // namespace
