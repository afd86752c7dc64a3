#include "runtime/base/MessageBox.h"
#include "runtime/ui/Desktop.h"

#include <gtest/gtest.h>

namespace {

TEST(DesktopThreads, ADialogOfACancelledThreadIsNoLongerPending) {
    host::Desktop desktop;
    bool returned = false;
    desktop.startThread([&] {
        desktop.messageBox(
            {"Question", "Go on?", host::MessageIcon::Question, host::ButtonYes, host::ButtonYes});
        returned = true;
    });
    desktop.startThread([&] { desktop.popupMenu("One|Two"); });
    desktop.runUntilIdle();
    ASSERT_EQ(desktop.pendingDialogs().size(), 2u);
    desktop.scheduler().cancelAll();
    EXPECT_TRUE(desktop.pendingDialogs().empty());
    EXPECT_EQ(desktop.dialog(1), nullptr);
    EXPECT_FALSE(returned);
}

} // namespace
