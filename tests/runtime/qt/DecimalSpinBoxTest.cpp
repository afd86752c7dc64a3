// A spin box of prices on the screen: the arrows, Up and Down and the wheel step it by
// its decimal step, it shows its picture's format, and the arrow of an end it has
// reached greys.
#include "QtTestSession.h"

#include "runtime/base/FieldType.h"
#include "runtime/base/TypedRef.h"
#include "runtime/qt/SpinBox.h"
#include "runtime/ui/Window.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

using host::Window;
using host::qt::SpinBox;
using host::qt::test::QtTestSession;

// Lets a test see which arrows the box offers.
struct SpinBoxArrows : SpinBox {
    static StepEnabled of(const SpinBox& box) { return (box.*&SpinBoxArrows::stepEnabled)(); }
};

void wheel(QWidget* over, int delta) {
    QPointF at(over->width() / 2.0, over->height() / 2.0);
    QWheelEvent event(at, over->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &event);
}

TEST(DecimalSpinBox, StepsByItsDecimalStepAndGreysTheArrowAtAnEnd) {
    QtTestSession session;
    auto definition = host::qt::test::define(R"(
window P "Prices" at=0,0,160,40
  spin 1 at=8,8,60,10 use=PRICE picture=@n8.2 range=0,0.4 step=0.1
end)");
    host::Variable price(host::FieldType::decimal(7, 2));
    std::vector<std::string> log;
    session.start([&] {
        Window w(definition);
        w.bind("PRICE", price);
        w.open();
        while (w.nextEvent()) {
            log.push_back(std::string(host::eventName(w.currentEvent())));
            w.endCycle(host::CycleEnd::DefaultAction);
        }
    });
    auto* spin = session.widgetAs<SpinBox>(1);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->text(), "0.00");
    EXPECT_EQ(SpinBoxArrows::of(*spin), QAbstractSpinBox::StepUpEnabled);

    QTest::keyClick(spin, Qt::Key_Up);
    session.settle();
    spin->stepUp(); // the arrow button
    session.settle();
    wheel(spin, 120);
    session.settle();
    EXPECT_EQ(spin->text(), "0.30");
    EXPECT_EQ(price.value().toDecimal().toString(), "0.3");

    wheel(spin, 120);
    session.settle();
    EXPECT_EQ(spin->text(), "0.40");
    EXPECT_EQ(SpinBoxArrows::of(*spin), QAbstractSpinBox::StepDownEnabled);
    std::size_t events = log.size();
    wheel(spin, 120); // the up arrow is grey: nothing happens
    session.settle();
    EXPECT_EQ(log.size(), events);
    QTest::keyClick(spin, Qt::Key_Down);
    session.settle();
    EXPECT_EQ(spin->text(), "0.30");
}

} // namespace
