#include "runtime/ui/WindowDefinitionParser.h"
#include "runtime/ui/WindowResources.h"

#include <gtest/gtest.h>

namespace {

using host::ControlKind;
using host::WindowDefinitionParser;

const char* const browseText = R"(# Customer browse
window P33$BROWSEWINDOW "Browse the Customer File" at=0,0,400,220 mdi resizable system \
       icon="CUSTOMER.ICO" timer=100 status=80,-1 font="Segoe UI,9"
  menu "&File" status="File actions"
    item 10 "P&rint Setup..." std=print-setup status="Setup Printer"
    separator
    menu "&More"
      item "E&xit" std=exit name=?Exit key=Alt+X checked
    end
  end
  toolbar
    button 2005 icon="WIZFIRST.gif" tip="Go to the First Page" at=4,2,16,14
  end
  sheet 20 at=4,20,390,180
    tab 21 "by &Name"
      prompt 22 "&Locate:" at=8,40
      entry 23 at=50,40,80,10 use=CUS:NAME picture=@s30 required upper tip="Type a name"
      list 1 at=8,56,380,120 from=Queue:Browse vscroll immediate alert="Insert Delete Ctrl+Enter" \
           format="124L|M~Name~@s30@31L|M~Number~@s4@"
    end
    tab 24 "by N&umber"
    end
  end
  option 30 "Kind" use=LOC:KIND
    radio 31 "Cash" value="C"
    radio 32 "Credit" value="R"
  end
  droplist 40 from="Red|Green|Blue" use=LOC:COLOUR items=5
  spin 41 range=1,100 step=5 use=LOC:PAGE
  spin 43 range=-0.5,99999.99 step=0.1 picture=@n8.2
  check 42 "&Print" use=IND:PRINT value="Y" off="N"
  button "&Insert" name=?Insert default
  button "&Close" cancel disabled hidden
end
)";

TEST(WindowDefinitionParser, ReadsWindowAttributesControlsMenusAndToolbar) {
    auto result = WindowDefinitionParser::parse(browseText, "mirto$mirto001");
    ASSERT_TRUE(result.ok()) << result.message();
    ASSERT_EQ(result.windows.size(), 1u);
    const auto& w = result.windows[0];
    EXPECT_EQ(w.name, "P33$BROWSEWINDOW");
    EXPECT_EQ(w.module, "mirto$mirto001");
    EXPECT_EQ(w.title, "Browse the Customer File");
    EXPECT_EQ(w.at, (host::Rect{0, 0, 400, 220}));
    EXPECT_TRUE(w.mdiChild && w.resizable && w.systemMenu);
    EXPECT_FALSE(w.frame || w.modal);
    EXPECT_EQ(w.icon, "CUSTOMER.ICO");
    EXPECT_EQ(w.timer, 100);
    EXPECT_EQ(w.statusZones, (std::vector<int>{80, -1}));
    EXPECT_EQ(w.font.face, "Segoe UI");
    EXPECT_EQ(w.font.size, 9);

    const auto* file = w.controlNamed("?Exit");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->kind, ControlKind::Item);
    EXPECT_EQ(file->standard, "exit");
    EXPECT_EQ(file->key, "Alt+X");
    EXPECT_TRUE(file->flags.checked);
    const auto* more = w.control(file->parent);
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(more->text, "&More");
    EXPECT_EQ(w.control(more->parent)->text, "&File");
    EXPECT_EQ(w.control(more->parent)->statusText, "File actions");
    EXPECT_EQ(w.control(10)->statusText, "Setup Printer");

    const auto* first = w.control(2005);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->kind, ControlKind::Button);
    EXPECT_EQ(w.control(first->parent)->kind, ControlKind::Toolbar);
    EXPECT_EQ(first->icon, "WIZFIRST.gif");
    EXPECT_EQ(first->tip, "Go to the First Page");

    const auto* list = w.control(1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->kind, ControlKind::List);
    EXPECT_EQ(list->parent, 21);
    EXPECT_EQ(list->from, "Queue:Browse");
    EXPECT_EQ(list->format, "124L|M~Name~@s30@31L|M~Number~@s4@");
    EXPECT_TRUE(list->flags.vscroll && list->flags.immediate);
    EXPECT_EQ(list->alertKeys, (std::vector<std::string>{"Insert", "Delete", "Ctrl+Enter"}));

    const auto* entry = w.control(23);
    EXPECT_EQ(entry->use, "CUS:NAME");
    EXPECT_EQ(entry->picture, "@s30");
    EXPECT_TRUE(entry->flags.required && entry->flags.upper);
    EXPECT_EQ(entry->tip, "Type a name");

    EXPECT_EQ(w.control(32)->value, "R");
    EXPECT_EQ(w.control(32)->parent, 30);
    EXPECT_EQ(w.control(40)->from, "Red|Green|Blue");
    EXPECT_EQ(w.control(40)->items, 5);
    EXPECT_TRUE(w.control(41)->hasRange);
    EXPECT_EQ(w.control(41)->rangeHigh, 100);
    EXPECT_EQ(w.control(41)->step, 5);
    EXPECT_EQ(w.control(43)->rangeLow.toString(), "-0.5");
    EXPECT_EQ(w.control(43)->rangeHigh.toString(), "99999.99");
    EXPECT_EQ(w.control(43)->step.toString(), "0.1");
    EXPECT_EQ(w.control(42)->falseValue, "N");
    // Unnumbered controls take the lowest numbers nobody uses, in the order written:
    // menu &File 2, separator 3, menu &More 4, E&xit 5, toolbar 6, ?Insert 7, &Close 8.
    EXPECT_EQ(more->number, 4);
    EXPECT_EQ(file->number, 5);
    EXPECT_EQ(w.control(first->parent)->number, 6);
    EXPECT_EQ(w.controlNamed("?Insert")->number, 7);
    EXPECT_TRUE(w.controlNamed("?Insert")->flags.isDefault);
    const auto* close = w.control(8);
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->flags.isCancel && close->flags.disabled && close->flags.hidden);
}

TEST(WindowDefinitionParser, QuotesCommentsAndSeveralWindows) {
    auto result = WindowDefinitionParser::parse(R"(
window A "Say ""hi"" # not a comment"   # a comment
  button 1 "x"
end
window B title="Second"
end)");
    ASSERT_TRUE(result.ok()) << result.message();
    ASSERT_EQ(result.windows.size(), 2u);
    EXPECT_EQ(result.windows[0].title, "Say \"hi\" # not a comment");
    EXPECT_EQ(result.windows[1].title, "Second");
    EXPECT_TRUE(result.windows[1].controls.empty());
}

struct BadText {
    const char* text;
    int line;
    const char* fragment;
};

TEST(WindowDefinitionParser, MistakesNameTheirLine) {
    const BadText cases[] = {
        {"window W\n  button 1 \"a\" colour=red\nend", 2, "unknown attribute \"colour\""},
        {"window W\n  entry 1\n  entry 1\nend", 3, "used twice"},
        {"window W\n  item 1 \"x\"\nend", 2, "inside a menu"},
        {"window W\n  tab 1 \"x\"\nend", 2, "inside a sheet"},
        {"window W\n  button 1 \"unterminated\nend", 2, "unterminated"},
        {"window W\n  menu \"m\"\n    button 2\n  end\nend", 3, "inside a menu"},
        {"button 1", 1, "outside a window"},
        {"window W\n  entry 1 at=1,x\nend", 2, "whole numbers"},
        {"window W\n  sheet 1\n  end", 1, "no \"end\""},
        {"window W\n  gadget 3\nend", 2, "unknown statement"},
        {"window W\n  entry 3 shiny\nend", 2, "unknown flag"},
        {"window W\n  spin 3 range=9,1\nend", 2, "low end"},
        {"window W\n  spin 3 range=0.5,0.25\nend", 2, "low end"},
        {"window W\n  spin 3 range=1\nend", 2, "two numbers"},
        {"window W\n  spin 3 range=0,1e3\nend", 2, "two numbers"},
        {"window W\n  spin 3 range=0,2147483648\nend", 2, "two numbers"},
        {"window W\n  spin 3 step=0.00\nend", 2, "positive number"},
        {"window W\n  spin 3 step=-1\nend", 2, "positive number"},
        {"window W\n  progress 3 range=0,0.5\nend", 2, "only a spin box"},
        {"window W\n  toolbar\n  end\n  toolbar\n  end\nend", 4, "only one toolbar"},
        {"window W frame mdi\nend", 1, "both"},
        {"window\nend", 1, "needs a name"},
        {"window W\nend\nwindow w\nend", 3, "defined twice"},
        {"window W\n  entry 1 \\", 2, "past the end"},
        {"window W timer=-4\nend", 1, "timer"},
    };
    for (const auto& c : cases) {
        auto result = WindowDefinitionParser::parse(c.text);
        EXPECT_FALSE(result.ok()) << c.text;
        EXPECT_TRUE(result.windows.empty());
        EXPECT_EQ(result.errorLine, c.line) << c.text << " -> " << result.message();
        EXPECT_NE(result.error.find(c.fragment), std::string::npos) << result.message();
        EXPECT_EQ(result.message().rfind("line " + std::to_string(c.line) + ": ", 0), 0u);
    }
}

TEST(WindowDefinitionParser, NeverCrashesOnArbitraryText) {
    std::string junk;
    for (int i = 0; i < 2000; ++i)
        junk += static_cast<char>((i * 7919) % 127 + 1);
    auto result = WindowDefinitionParser::parse(junk);
    EXPECT_FALSE(result.ok());
    auto empty = WindowDefinitionParser::parse("");
    EXPECT_TRUE(empty.ok());
    EXPECT_TRUE(empty.windows.empty());
}

TEST(WindowResources, LoadsAndReleasesByNameAndModuleIgnoringCase) {
    host::WindowResources resources;
    auto added = resources.add("mirto$mirto001", browseText);
    ASSERT_TRUE(added.ok());
    EXPECT_EQ(resources.load("P33$BROWSEWINDOW", "other"), nullptr);
    auto one = resources.load("p33$browsewindow", "MIRTO$MIRTO001");
    auto two = resources.load("P33$BROWSEWINDOW", "mirto$mirto001");
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one, two);
    EXPECT_EQ(resources.loadCount("P33$BROWSEWINDOW", "mirto$mirto001"), 2);
    resources.release("P33$BROWSEWINDOW", "mirto$mirto001");
    resources.release("P33$BROWSEWINDOW", "mirto$mirto001");
    resources.release("P33$BROWSEWINDOW", "mirto$mirto001");
    EXPECT_EQ(resources.loadCount("P33$BROWSEWINDOW", "mirto$mirto001"), 0);
    EXPECT_EQ(one->title, "Browse the Customer File"); // still usable by its holder

    auto bad = resources.add("broken", "window X\n  entry 1 nonsense\nend");
    EXPECT_FALSE(bad.ok());
    EXPECT_FALSE(resources.contains("X", "broken"));
    auto missing = resources.addFile("m", "/nonexistent/windows.txt");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.message().find("/nonexistent/windows.txt"), std::string::npos);
}

} // namespace
