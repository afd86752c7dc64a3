// The frame's date and time texts and its timer.
#include "app/MainFrame.h"
#include "runtime/base/Clock.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowResources.h"

#include <gtest/gtest.h>

namespace {

TEST(MainFrameTexts, TheDateShowsTheDayNameAndTheLongDateAndTheTimeIsTwentyFourHour) {
    // Ordinary days and midnight are in the frame and midnight scenarios; these are the ends.
    EXPECT_EQ(app::MainFrame::DateText(host::dayNumber(1801, 1, 1)), "Thursday, January 1, 1801");
    // A day number below zero still finds its day name (the remainder made positive).
    EXPECT_TRUE(app::MainFrame::DateText(-1).starts_with("Saturday, "));
    EXPECT_EQ(app::MainFrame::TimeText(9 * 360000 + 5 * 6000 + 3 * 100 + 99), "09:05:03");
}

// Frames whose definitions set other timers.
constexpr const char* frames = R"(
window TIMER0 "No timer" frame status=100,100,100,-1
end
window TIMER1 "Fast timer" frame status=100,100,100,-1 timer=1
end
window TIMER100 "Second timer" frame status=100,100,100,-1 timer=100
end
window TIMER101 "Slow timer" frame status=100,100,100,-1 timer=101
end
)";

TEST(MainFrameTimer, ATimerFromOneToAHundredStaysAndAnyOtherTicksOnceASecond) {
    auto& resources = host::WindowResources::program();
    ASSERT_TRUE(resources.add("test$frames", frames).ok());
    struct Row {
        const char* window;
        int timer;
    };
    for (const Row& row :
         {Row{"TIMER0", 100}, Row{"TIMER1", 1}, Row{"TIMER100", 100}, Row{"TIMER101", 100}}) {
        SCOPED_TRACE(row.window);
        host::headless::HeadlessSession session;
        std::string name = row.window;
        session.start([name, &resources] {
            auto definition = resources.load(name, "test$frames");
            host::Window window(definition);
            app::MainFrame frame(window);
            frame.Execute();
            resources.release(name, "test$frames");
        });
        host::Window* frame = session.activeWindow();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->timer(), row.timer);
        EXPECT_EQ(session.statusBar(3), "Friday, March 15, 2024");
        session.advanceClock(row.timer);
        EXPECT_EQ(session.statusBar(4), app::MainFrame::TimeText(9 * 360000 + row.timer));
        session.closeWindow(frame);
        EXPECT_TRUE(session.desktop().windows().empty());
    }
}

} // namespace
