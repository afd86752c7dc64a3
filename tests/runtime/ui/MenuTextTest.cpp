#include "runtime/ui/MenuText.h"

#include <gtest/gtest.h>

using namespace host;

namespace {

std::vector<std::string> selectableTexts(const MenuText& menu) {
    std::vector<std::string> texts;
    for (int n = 1; n <= menu.selectableCount(); ++n)
        texts.push_back(menu.selectable(n)->text);
    return texts;
}

void expectRoundTrip(const MenuText& menu) {
    MenuText again = MenuText::parse(menu.toText());
    EXPECT_EQ(again.entries(), menu.entries()) << menu.toText();
    EXPECT_EQ(again.toText(), menu.toText());
}

TEST(MenuText, NumberingSkipsSeparatorsAndSubmenus) {
    // A browse popup with saved queries under "View".
    MenuText menu = MenuText::parse(
        "&Insert|&Change|&Delete|&Print|-|View{Big spenders|Late payers}|-|C&lear|&Select");
    EXPECT_EQ(selectableTexts(menu),
              (std::vector<std::string>{"&Insert", "&Change", "&Delete", "&Print", "Big spenders",
                                        "Late payers", "C&lear", "&Select"}));
    EXPECT_EQ(menu.selectable(0), nullptr);
    EXPECT_EQ(menu.selectable(9), nullptr);
    EXPECT_EQ(menu.numberOf("Latepayers"), 6);
    EXPECT_EQ(menu.numberOf("View"), 0);       // a submenu is not chosen
    EXPECT_EQ(menu.numberOf("Separator1"), 0); // nor is a separator
    EXPECT_EQ(menu.numberOf("Missing"), 0);
    const MenuEntry* view = menu.find("View");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->kind, MenuEntry::Kind::Submenu);
    EXPECT_EQ(view->entries.size(), 2u);

    // Nested submenus: only the leaves count, in menu order.
    MenuText nested = MenuText::parse("A{B{C|D}E}F|~G");
    EXPECT_EQ(selectableTexts(nested), (std::vector<std::string>{"C", "D", "E", "F", "G"}));
    std::vector<MenuLine> lines = nested.lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[2].entry->text, "C");
    EXPECT_EQ(lines[2].depth, 3);
    EXPECT_EQ(lines[4].entry->text, "E");
    EXPECT_EQ(lines[4].depth, 2);
    EXPECT_EQ(lines[6].number, 5); // a disabled item still takes its number
}

TEST(MenuText, MarksIconsAndSeparators) {
    MenuText menu =
        MenuText::parse("~&Insert|+Checked|-Zoom 50%|~+Both|-|[1(~wizins.ico)]Add|[]Plain");
    const auto& e = menu.entries();
    ASSERT_EQ(e.size(), 7u);
    EXPECT_TRUE(e[0].disabled);
    EXPECT_EQ(e[0].text, "&Insert");
    EXPECT_EQ(e[1].check, MenuCheck::Checked);
    EXPECT_EQ(e[2].check, MenuCheck::Unchecked); // "-" before a text is a check mark
    EXPECT_EQ(e[2].text, "Zoom 50%");
    EXPECT_TRUE(e[3].disabled);
    EXPECT_EQ(e[3].check, MenuCheck::Checked);
    EXPECT_EQ(e[4].kind, MenuEntry::Kind::Separator);
    EXPECT_EQ(e[5].icon, "wizins.ico");
    EXPECT_EQ(e[5].text, "Add");
    EXPECT_EQ(e[6].icon, "");
    EXPECT_EQ(e[6].text, "Plain");
    EXPECT_EQ(menu.selectableCount(), 6);
    // With an icon anywhere every entry but separators gets its block.
    EXPECT_EQ(menu.toText(),
              "~[]&Insert|+[]Checked|-[]Zoom 50%|~+[]Both|-|[1(~wizins.ico)]Add|[]Plain");
    expectRoundTrip(menu);
}

TEST(MenuText, OddTextStillGivesAMenu) {
    // Empty pieces are skipped; a stray "}" is ignored; an open "{" closes at the end.
    EXPECT_EQ(selectableTexts(MenuText::parse("|a||b|")), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(selectableTexts(MenuText::parse("a}}|b{c")), (std::vector<std::string>{"a", "c"}));
    // A submenu with nothing in it is an ordinary entry.
    MenuText empty = MenuText::parse("View{}|x");
    EXPECT_EQ(empty.entries()[0].kind, MenuEntry::Kind::Item);
    EXPECT_EQ(empty.numberOf("View"), 1);
    // A brace with no title before it only makes its entries deeper than the one before.
    EXPECT_EQ(MenuText::parse("{a|b}").selectableCount(), 2);
    EXPECT_EQ(selectableTexts(MenuText::parse("x|{a|b}c")),
              (std::vector<std::string>{"a", "b", "c"}));
    // What is not an icon block is text.
    EXPECT_EQ(MenuText::parse("[abc]x").entries()[0].text, "[abc]x");
    EXPECT_EQ(MenuText::parse("[1(~a.ico]x").entries()[0].icon, "");
    EXPECT_TRUE(MenuText::parse("").isEmpty());
    // Deep nesting stops at the deepest level.
    std::string deep;
    for (int i = 0; i < 100; ++i)
        deep += "x{";
    int deepest = 0;
    for (const MenuLine& line : MenuText::parse(deep).lines())
        deepest = std::max(deepest, line.depth);
    EXPECT_EQ(deepest, MenuText::DeepestLevel);
}

TEST(MenuText, TextsWithMenuCharactersStayOneEntry) {
    // A user-named saved query must not split the menu or shift the numbering.
    MenuText menu;
    menu.append({.text = "View"});
    for (const char* name : {"A|B", "{x}", "-", "+5%", "~tilde", "[draft]", "back\\slash", ""})
        menu.append({.text = name}, 2);
    menu.append({.text = "C&lear"});
    EXPECT_EQ(menu.selectableCount(), 9);
    EXPECT_EQ(menu.selectable(9)->text, "C&lear");
    EXPECT_EQ(menu.selectable(1)->text, "A|B");
    MenuText parsed = MenuText::parse(menu.toText());
    EXPECT_EQ(selectableTexts(parsed),
              (std::vector<std::string>{"A|B", "{x}", "-", "+5%", "~tilde", "[draft]",
                                        "back\\slash", "", "C&lear"}));
    EXPECT_EQ(MenuText::escaped("a|b"), "a\\|b");
    // A backslash before an ordinary character is kept as it is.
    EXPECT_EQ(MenuText::parse("C:\\temp|[1(~C:\\icons\\x.ico)]y").entries()[0].text, "C:\\temp");
    EXPECT_EQ(MenuText::parse("[1(~C:\\icons\\x.ico)]y").entries()[0].icon, "C:\\icons\\x.ico");
}

TEST(MenuText, AppendBuildsSubmenusByDepth) {
    MenuText menu;
    menu.append({.text = "A"});
    menu.append({.text = "B"}, 2);
    menu.append({.text = "C", .check = MenuCheck::Checked}, 3);
    menu.append({.text = "D"}, 1); // back two levels at once
    menu.append({.text = "E"}, 5); // at most one level below the last entry
    EXPECT_EQ(menu.toText(), "A{B{+C}}D{E}");
    expectRoundTrip(menu);
    std::vector<MenuLine> lines = menu.lines();
    EXPECT_EQ(lines.back().depth, 2);
    EXPECT_EQ(selectableTexts(menu), (std::vector<std::string>{"C", "E"}));
}

TEST(MenuText, NumbersMatchTheFlatItemList) {
    // A popup keeps its items as a flat list with depths; a choice number counts the
    // items that are neither separators nor followed by a deeper item. Any list of
    // depths must give the same numbers through the tree and through its text.
    unsigned seed = 12345;
    auto next = [&](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<int> depths;
        std::vector<bool> separators;
        MenuText menu;
        int count = 1 + static_cast<int>(next(12));
        for (int i = 0; i < count; ++i) {
            depths.push_back(1 + static_cast<int>(next(4)));
            separators.push_back(next(5) == 0);
            std::string text = separators.back() ? "-" : "e" + std::to_string(i);
            menu.append(
                {.kind = separators.back() ? MenuEntry::Kind::Separator : MenuEntry::Kind::Item,
                 .text = text},
                depths.back());
        }
        std::vector<std::string> expected;
        for (int i = 0; i < count; ++i) {
            bool header = i + 1 < count && depths[i + 1] > depths[i];
            if (!separators[i] && !header)
                expected.push_back("e" + std::to_string(i));
        }
        EXPECT_EQ(selectableTexts(menu), expected) << menu.toText();
        EXPECT_EQ(selectableTexts(MenuText::parse(menu.toText())), expected) << menu.toText();
    }
}

TEST(MenuText, NamesAreDerivedAndUnique) {
    MenuText menu = MenuText::parse("&Insert|&Insert|-|-|~Print it!|Insert1");
    std::vector<std::string> names;
    for (const MenuEntry& entry : menu.entries())
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Insert", "Insert1", "Separator", "Separator1",
                                               "Printit", "Insert11"}));
    EXPECT_EQ(MenuText::entryName("C&lear_2 "), "Clear_2");
    EXPECT_EQ(MenuText::displayText("C&lear"), "Clear");
    EXPECT_EQ(MenuText::displayText("Salt && Pepper"), "Salt & Pepper");
}

TEST(MenuText, RoundTrips) {
    for (const char* text : {"a|b|c", "--|~|+|[]", "A{B{C|D}E}F", "~+x|-|-y|[1(~i.ico)]z{[]w}",
                             "\\|x|\\-|q\\{r\\}", "+[2(~a\\)b.ico)]t"})
        expectRoundTrip(MenuText::parse(text));
}

} // namespace
