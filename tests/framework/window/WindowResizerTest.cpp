#include "framework/window/WindowResizer.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"
#include "tests/support/WindowDefinitions.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

using framework::WindowResizer;
using host::Rect;
using host::Window;
using host::headless::HeadlessSession;

namespace {

using testsupport::define;

// A 400 x 300 form: an entry, a list, a button near the bottom-right corner, and a group
// holding a check box.
const char* const form = R"(
window P9$FORM "Form" at=0,0,400,300 resizable
  prompt 1 "&Name:" at=10,50,80,12
  entry 2 use=LOC:NAME at=100,50,80,12
  list 3 at=10,80,300,200 from=Queue:Rows
  button 4 "&OK" at=340,270,50,20
  group 5 "Flags" at=320,20,70,60
    check 6 "&Active" at=330,40,50,12
  end
end)";

// Runs a window with a resizer on a logical thread; the window stays open until the
// test closes it.
struct ResizedWindow {
    HeadlessSession session;
    WindowResizer resizer;
    Window* window = nullptr;

    explicit ResizedWindow(const char* text, std::uint8_t strategy = 2,
                           std::function<void(Window&)> before = {},
                           std::function<void(WindowResizer&)> adjust = {}) {
        auto definition = define(text);
        session.start([this, definition, strategy, before, adjust] {
            Window w(definition);
            w.open();
            window = &w;
            if (before)
                before(w);
            resizer.Setup(w, strategy, true, false);
            if (adjust)
                adjust(resizer);
            while (w.nextEvent())
                w.endCycle(host::CycleEnd::DefaultAction);
            resizer.Teardown();
            window = nullptr;
        });
    }
    ~ResizedWindow() {
        if (window)
            session.closeWindow(window);
    }
    Rect rect(int control) const { return window->control(control)->rect(); }
    std::map<int, Rect> all() const {
        std::map<int, Rect> out;
        for (const host::Control* c : std::as_const(*window).controls())
            out[c->number()] = c->rect();
        return out;
    }
};

TEST(WindowResizer, EnlargingUnderSetTwoFollowsEachControlKindsRule) {
    ResizedWindow w(form);
    ASSERT_TRUE(w.window);
    EXPECT_EQ(w.window->property(0, host::Property::MinWidth).toInteger(), 400);
    EXPECT_EQ(w.window->property(0, host::Property::MinHeight).toInteger(), 300);
    EXPECT_EQ(w.resizer.ParentOf(6), 5); // the check box lies inside the group

    ASSERT_TRUE(w.session.resize(600, 450));
    // Entry: proportional left, top kept, width scaled, height kept.
    EXPECT_EQ(w.rect(2), (Rect{150, 50, 120, 12}));
    // List: left and top kept, right gap 90 and bottom gap 20 kept.
    EXPECT_EQ(w.rect(3), (Rect{10, 80, 500, 350}));
    // Button: same size, stuck to the nearest edges (right and bottom).
    EXPECT_EQ(w.rect(4), (Rect{540, 420, 50, 20}));
    // Group: left and top kept, right and bottom gaps kept; the check box inside it
    // keeps its size and moves in proportion to the group (scaled 3.8571 and 3.5).
    EXPECT_EQ(w.rect(5), (Rect{320, 20, 270, 210}));
    EXPECT_EQ(w.rect(6), (Rect{358, 90, 50, 12}));
    // Prompt: proportional left, top kept, height kept.
    EXPECT_EQ(w.rect(1), (Rect{15, 50, 120, 12}));
}

TEST(WindowResizer, BackToTheOriginalSizePutsEveryControlBackExactly) {
    ResizedWindow w(form);
    ASSERT_TRUE(w.window);
    auto original = w.all();
    // Awkward ratios that do not divide evenly, and a shrink below the original.
    for (auto [width, height] : {std::pair{613, 457}, {401, 299}}) {
        ASSERT_TRUE(w.session.resize(width, height));
        EXPECT_NE(w.all(), original);
    }
    ASSERT_TRUE(w.session.resize(400, 300));
    EXPECT_EQ(w.all(), original);

    // Without deferred moves the same holds.
    w.resizer.DEFERMOVES = 0;
    ASSERT_TRUE(w.session.resize(733, 511));
    ASSERT_TRUE(w.session.resize(400, 300));
    EXPECT_EQ(w.all(), original);
}

TEST(WindowResizer, SizeEventsWithoutAChangeAndSetThreeMoveNothing) {
    {
        ResizedWindow w(form);
        ASSERT_TRUE(w.session.resize(600, 450));
        auto laidOut = w.all();
        w.window->setProperty(2, host::Property::X, 7); // moved by the program
        ASSERT_TRUE(w.session.resize(600, 450));        // the same size: nothing happens
        EXPECT_EQ(w.rect(2).x, 7);
        w.window->setProperty(2, host::Property::X, laidOut[2].x);
        EXPECT_EQ(w.all(), laidOut);
    }
    {
        ResizedWindow w(form, 3);
        auto original = w.all();
        ASSERT_TRUE(w.session.resize(800, 120));
        EXPECT_EQ(w.all(), original);
    }
}

TEST(WindowResizer, RestoreOriginalAndAReset) {
    ResizedWindow w(form);
    auto original = w.all();
    ASSERT_TRUE(w.session.resize(700, 500));
    w.resizer.RestoreOriginal();
    EXPECT_EQ(w.window->rect().width, 400);
    EXPECT_EQ(w.window->rect().height, 300);
    EXPECT_EQ(w.all(), original);
    // Going back to the size it had before the restore lays it out again.
    ASSERT_TRUE(w.session.resize(700, 500));
    EXPECT_EQ(w.rect(3), (Rect{10, 80, 600, 400}));

    // A second Reset captures the current rectangles as the originals.
    w.resizer.Reset();
    ASSERT_TRUE(w.session.resize(400, 300));
    EXPECT_EQ(w.rect(3), (Rect{10, 80, 300, 200}));
}

TEST(WindowResizer, OverlappingControlsAndEmptyParentsAreLaidOutSafely) {
    // Two panels with the same rectangle would each contain the other, and a box of no
    // size would scale its contents to nothing; neither may hang or collapse anything.
    ResizedWindow w(R"(
window P9$ODD "Odd" at=0,0,200,100 resizable
  panel 1 at=10,10,100,50
  panel 2 at=10,10,100,50
  entry 3 use=LOC:X at=20,20,40,10
  group 5 at=150,20,0,0
    entry 6 use=LOC:Y at=150,20,30,10
  end
end)");
    ASSERT_TRUE(w.window);
    EXPECT_FALSE(w.resizer.ParentOf(1) == 2 && w.resizer.ParentOf(2) == 1);
    ASSERT_TRUE(w.session.resize(400, 200));
    EXPECT_EQ(w.rect(1), (Rect{10, 10, 300, 150}));
    EXPECT_EQ(w.rect(3), (Rect{40, 20, 120, 10}));
    EXPECT_EQ(w.rect(5), (Rect{150, 20, 200, 100}));
    EXPECT_EQ(w.rect(6), (Rect{150, 20, 30, 10})); // not scaled to nothing
    ASSERT_TRUE(w.session.resize(200, 100));
    EXPECT_EQ(w.rect(1), (Rect{10, 10, 100, 50}));
}

TEST(WindowResizer, ExcludedControlsAndChangedStrategies) {
    ResizedWindow w(
        form, 2, [](Window& window) { window.setProperty(2, WindowResizer::ExcludeProperty, 1); },
        [](WindowResizer& r) {
            r.SetStrategy(4, 0x404, WindowResizer::KeepWidth | WindowResizer::KeepHeight);
        });
    EXPECT_EQ(w.resizer.Entry(2), nullptr);
    ASSERT_TRUE(w.session.resize(600, 450));
    EXPECT_EQ(w.rect(2), (Rect{100, 50, 80, 12})); // excluded: untouched
    // Centred on both axes, size kept: the offset from the centre (140, 120) is kept.
    EXPECT_EQ(w.rect(4), (Rect{440, 345, 50, 20}));
}

} // namespace
