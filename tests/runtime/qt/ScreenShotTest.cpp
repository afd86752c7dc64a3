// A scenario run without a display can still be looked at.
#include "QtTestSession.h"

#include "runtime/headless/HeadlessSession.h"
#include "runtime/qt/ScreenShot.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using host::Window;

TEST(ScreenShot, AHeadlessSessionsScreenIsDrawnAndItsDisplayKept) {
    host::qt::test::ensureApplication();
    host::headless::HeadlessSession session;
    EXPECT_TRUE(host::qt::ScreenShot::take(session.desktop()).isNull()); // nothing open
    auto frame = host::qt::test::define(R"(
window FRAME "Example EIP Application" frame at=0,0,300,200 status=-1
  menu "&File"
    item "E&xit" std=exit
  end
end)");
    auto child = host::qt::test::define(R"(
window CHILD "Customers" mdi at=10,10,120,60
  button 1 "&Close"
end)");
    auto run = [](std::shared_ptr<const host::WindowDefinition> definition) {
        Window w(definition);
        w.open();
        while (w.nextEvent())
            w.endCycle(host::CycleEnd::DefaultAction);
    };
    session.start([&] { run(frame); });
    session.start([&] { run(child); });

    QTemporaryDir dir;
    QString path = dir.filePath("screen.png");
    ASSERT_TRUE(host::qt::ScreenShot::save(session.desktop(), path));
    QImage screen(path);
    ASSERT_FALSE(screen.isNull());
    EXPECT_GT(screen.width(), 300);
    // The session goes on headless: its display is its own again.
    EXPECT_EQ(session.desktop().display(), &session.display());
    EXPECT_TRUE(session.closeWindow());
    EXPECT_EQ(session.windowTitles(), (std::vector<std::string>{"Example EIP Application"}));
}

} // namespace
