#include "framework/window/PopupMenu.h"
#include "framework/window/TextTranslator.h"
#include "runtime/base/CurrentThread.h"
#include "runtime/headless/HeadlessSession.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/MenuText.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"
#include "tests/support/WindowDefinitions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using framework::PopupMenu;
using host::EventKind;
using host::Window;
using host::headless::HeadlessSession;

namespace {

std::vector<std::string> names(const PopupMenu& menu) {
    std::vector<std::string> out;
    for (std::size_t i = 1; i <= menu.EntryCount(); ++i)
        out.push_back(menu.EntryAt(i)->NAME);
    return out;
}

std::vector<int> depths(const PopupMenu& menu) {
    std::vector<int> out;
    for (std::size_t i = 1; i <= menu.EntryCount(); ++i)
        out.push_back(menu.EntryAt(i)->DEPTH);
    return out;
}

TEST(PopupMenu, NamesAreDerivedFromTextsAndMadeUnique) {
    PopupMenu menu;
    menu.Setup();
    EXPECT_EQ(menu.AppendEntry("&Insert"), "Insert");
    EXPECT_EQ(menu.AppendEntry("&Insert"), "Insert1");
    EXPECT_EQ(menu.AppendEntry("-"), "Separator");
    EXPECT_EQ(menu.AppendEntry("-"), "Separator1");
    EXPECT_EQ(menu.AppendEntry("~+Sort by &Name  "), "SortbyName");
    const PopupMenu::Item* sort = menu.EntryAt(menu.LocateEntry("SortbyName"));
    ASSERT_NE(sort, nullptr);
    EXPECT_EQ(sort->DISABLED, 1);
    EXPECT_EQ(sort->CHECK, 1);
    EXPECT_EQ(sort->TEXT, "Sort by &Name  ");
    EXPECT_EQ(menu.EntryAt(3)->TEXT, "-"); // a separator keeps its "-"

    EXPECT_EQ(menu.PlaceEntryAfter("Insert", "Change_2", "-&Change"), "Change_2");
    EXPECT_EQ(names(menu), (std::vector<std::string>{"Insert", "Change_2", "Insert1", "Separator",
                                                     "Separator1", "SortbyName"}));
    EXPECT_EQ(menu.EntryAt(2)->CHECK, 2);
    EXPECT_EQ(menu.PlaceEntryAfter("Nowhere", "Last", "Last"), "Last"); // at the end
    EXPECT_EQ(menu.LocateEntry("Last"), menu.EntryCount());

    // Enabling and checking leave separators alone.
    menu.EnableEntry("Separator", false);
    menu.CheckEntry("Separator", true);
    EXPECT_EQ(menu.EntryAt(4)->DISABLED, 0);
    EXPECT_EQ(menu.EntryAt(4)->CHECK, 0);
    menu.EnableEntry("SortbyName", true);
    menu.CheckEntry("SortbyName", false);
    sort = menu.EntryAt(menu.LocateEntry("SortbyName"));
    EXPECT_EQ(sort->DISABLED, 2);
    EXPECT_EQ(sort->CHECK, 2);

    menu.RemoveEntry("Insert1");
    EXPECT_EQ(menu.LocateEntry("Insert1"), 0u);
    EXPECT_EQ(menu.AppendEntry("Insert"), "Insert1"); // the freed name is used again
    menu.Teardown();
    EXPECT_EQ(menu.EntryCount(), 0u);
}

TEST(PopupMenu, NestedMenusComposeAndMapChoicesToItems) {
    PopupMenu menu;
    menu.Setup();
    menu.AppendEntry("Old");
    menu.ParseEntriesAfter("", "A|B{C|-|D}E"); // no item given: the menu starts over
    EXPECT_EQ(names(menu), (std::vector<std::string>{"A", "B", "C", "Separator", "D", "E"}));
    EXPECT_EQ(depths(menu), (std::vector<int>{1, 1, 2, 2, 2, 1}));
    EXPECT_EQ(menu.ComposeMenuText(), "|A|B{C|-|D}E");

    // Choice numbers count neither separators nor submenu headers (checked item by item
    // against the runtime's reading below).
    EXPECT_EQ(menu.ChoiceToEntry(2), menu.LocateEntry("C"));
    EXPECT_EQ(menu.ChoiceToEntry(5), 0u);
    EXPECT_EQ(menu.ChoiceToEntry(0), 0u);

    // A submenu two levels deep, then back to the top: every level is closed, and the
    // runtime reads the same items in the same order.
    menu.AppendSubmenu("E", "Sub", "X{Y|Z}");
    EXPECT_EQ(depths(menu), (std::vector<int>{1, 1, 2, 2, 2, 1, 1, 2, 3, 3}));
    menu.PlaceEntryAfter("Z", "Top", "Top", 1);
    std::string text = menu.ComposeMenuText();
    EXPECT_EQ(text, "|A|B{C|-|D}E|Sub{X{Y|Z}}Top");
    host::MenuText parsed = host::MenuText::parse(text);
    ASSERT_EQ(parsed.entries().size(), 5u);
    EXPECT_EQ(parsed.entries().back().text, "Top");
    for (int n = 1; n <= parsed.selectableCount(); ++n)
        EXPECT_EQ(parsed.selectable(n)->text, menu.EntryAt(menu.ChoiceToEntry(n))->TEXT) << n;

    // Marks, icons and texts that hold the menu syntax's own characters.
    menu.ParseEntriesAfter("", "Plain");
    menu.AppendEntry("~+A|B");
    menu.GiveEntryIcon("Plain", "find.ico");
    EXPECT_EQ(menu.ComposeMenuText(), "|[1(~find.ico)]Plain|~+[]A\\|B");
    EXPECT_EQ(host::MenuText::parse(menu.ComposeMenuText()).selectableCount(), 2);
}

const char* const ownerWindow = R"(
window P5$BROWSE "Browse" at=0,0,300,200
  list 1 at=5,5,200,150 from=Queue:Rows
  button 10 "&Insert" at=210,5,50,14 icon=wizins.gif
  button 11 "&Change" at=210,25,50,14 disabled
  button 12 at=210,45,50,14
  button 13 "&Delete" at=210,65,50,14
end)";

using testsupport::define;

// A browse-like window whose thread owns a popup menu. The test asks the thread to do
// things (open the menu, open the toolbox) by posting user events to it; every event the
// window receives is logged.
struct Owner {
    HeadlessSession session;
    PopupMenu menu;
    std::vector<std::string> log;
    std::string lastChoice;
    Window* window = nullptr;
    int thread = 0;

    static constexpr EventKind openMenu = host::userEvent(1);
    static constexpr EventKind openToolbox = host::userEvent(2);

    Owner() {
        auto definition = define(ownerWindow);
        thread = session.start([this, definition] {
            Window w(definition);
            w.open();
            window = &w;
            menu.Setup();
            while (w.nextEvent()) {
                if (w.currentEvent() == openMenu)
                    lastChoice = menu.OpenMenu();
                else if (w.currentEvent() == openToolbox)
                    menu.OpenToolbox("Browse Actions");
                else if (w.currentEvent() == EventKind::Accepted)
                    log.push_back("Accepted " + std::to_string(w.eventControl()));
                else if (host::isUserEvent(w.currentEvent()))
                    log.push_back("User " + std::to_string(w.eventControl()));
            }
            menu.Teardown();
            window = nullptr;
        });
    }
    ~Owner() {
        if (window)
            session.closeWindow(window);
    }
    void ask(EventKind what) {
        window->post(what);
        session.run();
    }
    // Opens the menu and answers it with choice `n` (0 = none).
    void choose(int n) {
        ask(openMenu);
        EXPECT_TRUE(session.answerPopup(n));
    }
};

TEST(PopupMenu, MimickedButtonsShowTheButtonAndPressIt) {
    Owner owner;
    ASSERT_TRUE(owner.window);
    PopupMenu& menu = owner.menu;
    EXPECT_EQ(menu.AppendButtonEntry("!&Insert", "&Insert", 10), "Insert");
    EXPECT_EQ(menu.AppendButtonEntry("!&Change", "&Change", 11), "Change");
    EXPECT_EQ(menu.AppendButtonEntry("!&Print", "&Print", 12), "Print"); // no caption
    menu.AppendEntry("-");
    EXPECT_EQ(menu.AppendEventEntry("Custom", 1024 + 7, 1), "Custom");
    // Adding an entry again reuses it.
    EXPECT_EQ(menu.AppendButtonEntry("!&Insert", "&Insert", 10), "Insert");
    EXPECT_EQ(menu.EntryCount(), 5u);

    // The menu shows each button's text, icon and state ("Change" is disabled: "~"); the
    // user picks "Insert", then the custom entry, then nothing.
    owner.choose(1);
    ASSERT_FALSE(owner.session.display().dialogsShown().empty());
    EXPECT_EQ(owner.session.display().dialogsShown().back().menuText,
              "|[1(~wizins.gif)]&Insert|~[]&Change|[]&Print|-|[]Custom");
    EXPECT_EQ(owner.lastChoice, "Insert");
    EXPECT_EQ(menu.EntryAt(1)->TEXT, "!&Insert"); // the stored item is not changed
    owner.choose(4);
    owner.choose(0);
    EXPECT_EQ(owner.lastChoice, "");
    EXPECT_EQ(owner.log, (std::vector<std::string>{"Accepted 10", "User 1"}));
}

TEST(PopupMenu, TheToolboxRunsOnItsOwnThreadAndPostsToTheOwner) {
    Owner owner;
    ASSERT_TRUE(owner.window);
    PopupMenu& menu = owner.menu;
    menu.AppendEntry("Saved query"); // not on the toolbox
    menu.AppendButtonEntry("!&Insert", "&Insert", 10);
    menu.AppendButtonEntry("!&Change", "&Change", 11);
    menu.AppendButtonEntry("!&Delete", "&Delete", 13);
    menu.AppendEntry("-");
    menu.AppendButtonEntry("!&Toolbox", "&Toolbox", 1);
    menu.ShowEntryOnToolbox("Toolbox", false);

    owner.ask(Owner::openToolbox);
    EXPECT_EQ(menu.INTOOLBOX, 1);
    Window* toolbox = owner.session.window("Browse Actions");
    ASSERT_NE(toolbox, nullptr);
    EXPECT_NE(toolbox->thread(), owner.thread);
    // One button per toolbox item; the first shows the mimicked icon.
    ASSERT_EQ(toolbox->controls().size(), 3u);
    EXPECT_EQ(toolbox->control(1)->icon(), "~wizins.gif");
    EXPECT_EQ(toolbox->control(3)->text(), "&Delete");
    EXPECT_FALSE(toolbox->isEnabled(2)); // Change is disabled in the owner

    // The third button is Delete, although "Saved query" comes first in the menu.
    EXPECT_TRUE(owner.session.press(3, toolbox));
    EXPECT_EQ(owner.log, (std::vector<std::string>{"Accepted 13"}));
    EXPECT_EQ(menu.LastChoiceName(), "Delete");

    // The owner enables Change; the toolbox follows at its next timer tick.
    owner.window->enable(11);
    owner.session.advanceClock(PopupMenu::toolboxRefreshInterval + 1);
    EXPECT_TRUE(toolbox->isEnabled(2));
    EXPECT_TRUE(owner.session.press(2, toolbox));
    EXPECT_EQ(owner.log.back(), "Accepted 11");

    // The popup still works from the owner's thread while the toolbox is open.
    owner.choose(2);
    EXPECT_EQ(owner.lastChoice, "Insert");

    // Closing the toolbox ends its thread.
    EXPECT_TRUE(owner.session.closeWindow(toolbox));
    EXPECT_EQ(owner.session.window("Browse Actions"), nullptr);
    EXPECT_EQ(menu.INTOOLBOX, 0);
    EXPECT_EQ(owner.session.desktop().scheduler().aliveCount(), 1u);
}

TEST(PopupMenu, TearingDownTheMenuClosesItsToolbox) {
    Owner owner;
    ASSERT_TRUE(owner.window);
    owner.menu.AppendButtonEntry("!&Insert", "&Insert", 10);
    owner.ask(Owner::openToolbox);
    ASSERT_NE(owner.session.window("Browse Actions"), nullptr);
    owner.ask(Owner::openToolbox); // already open: no second toolbox
    EXPECT_EQ(owner.session.windowTitles().size(), 2u);
    // The owner's window closes and its thread tears the menu down.
    owner.session.closeWindow(owner.window);
    EXPECT_EQ(owner.session.window("Browse Actions"), nullptr);
    EXPECT_EQ(owner.session.desktop().scheduler().aliveCount(), 0u);
}

struct Shouting : framework::TextTranslator {
    void TranslateWindow(host::Window&) override {}
    std::string TranslateText(std::string_view text) override { return host::upper(text); }
};

TEST(PopupMenu, ATranslatorTranslatesEachItemText) {
    PopupMenu menu;
    menu.Setup();
    Shouting translator;
    menu.UseTranslator(&translator);
    menu.AppendEntry("&Insert");
    menu.AppendEntry("-");
    menu.AppendEntry("Change");
    EXPECT_EQ(menu.ComposeMenuText(), "|&INSERT|-|CHANGE");
}

} // namespace
