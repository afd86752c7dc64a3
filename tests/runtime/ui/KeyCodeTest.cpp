#include "runtime/ui/KeyCode.h"

#include <gtest/gtest.h>

using namespace host;

namespace {

TEST(KeyCode, NamesRoundTrip) {
    // The spellings the scripts and window texts use are the ones printed.
    for (const char* name :
         {"Enter",  "Shift+Tab", "Ctrl+'",     "Ctrl+PgDn",          "PgUp",
          "Ins",    "Del",       "Space",      "Backspace",          "F12",
          "A",      "0",         "Alt+X",      "Ctrl+Alt+Shift+Del", "Shift+'",
          "Ctrl+-", "\\",        "MouseLeft2", "MouseRightUp",       "Ctrl+MouseLeft",
          "Key150"}) {
        std::optional<int> code = KeyCode::parse(name);
        ASSERT_TRUE(code) << name;
        EXPECT_EQ(KeyCode::name(*code), name);
    }
    // Every code with a key prints a name that reads back as the same code.
    for (int code = 1; code <= 0x7FF; ++code) {
        if (KeyCode::key(code) == 0)
            continue;
        std::string name = KeyCode::name(code);
        ASSERT_FALSE(name.empty()) << code;
        EXPECT_EQ(KeyCode::parse(name), code) << name;
    }
}

TEST(KeyCode, OtherSpellingsAreUnderstood) {
    EXPECT_EQ(KeyCode::parse("CtrlPgDn"), KeyCode::CtrlPgDn);
    EXPECT_EQ(KeyCode::parse("ShiftTab"), KeyCode::ShiftTab);
    EXPECT_EQ(KeyCode::parse("ctrl+enter"), KeyCode::CtrlEnter);
    EXPECT_EQ(KeyCode::parse("Escape"), KeyCode::Esc);
    EXPECT_EQ(KeyCode::parse("PageDown"), KeyCode::PgDn);
    EXPECT_EQ(KeyCode::parse("Insert"), KeyCode::Ins);
    EXPECT_EQ(KeyCode::parse("delete"), KeyCode::Del);
    EXPECT_EQ(KeyCode::parse("a"), KeyCode::letter('A'));
    EXPECT_EQ(KeyCode::parse("f7"), KeyCode::function(7));
    EXPECT_EQ(KeyCode::parse("AltA"), KeyCode::Alt + 'A');
    for (const char* bad : {"", "Ctrl", "Ctrl+", "Alt+", "Shift+Shift", "F0", "F13", "F01", "Key0",
                            "Key256", "Ctrl++", "+", "Enterprise", "Ctrl+Tab+"})
        EXPECT_FALSE(KeyCode::parse(bad)) << bad;
    EXPECT_EQ(KeyCode::name(0), "");
    EXPECT_EQ(KeyCode::name(-5), "");
    EXPECT_EQ(KeyCode::name(0x800), "");
    EXPECT_EQ(KeyCode::name(KeyCode::Ctrl), ""); // a modifier alone is no key
}

TEST(KeyCode, CharactersTyped) {
    EXPECT_EQ(KeyCode::character(KeyCode::letter('s')), 's');
    EXPECT_EQ(KeyCode::character(KeyCode::Shift + 'S'), 'S');
    EXPECT_EQ(KeyCode::character(KeyCode::digit(4)), '4');
    EXPECT_EQ(KeyCode::character(KeyCode::Shift + '4'), '$');
    EXPECT_EQ(KeyCode::character(KeyCode::Space), ' ');
    EXPECT_EQ(KeyCode::character(KeyCode::Quote), '\'');
    EXPECT_EQ(KeyCode::character(KeyCode::Shift + KeyCode::Quote), '"');
    EXPECT_FALSE(KeyCode::character(KeyCode::CtrlQuote));
    EXPECT_FALSE(KeyCode::character(KeyCode::Alt + 'A'));
    EXPECT_FALSE(KeyCode::character(KeyCode::Down));
    EXPECT_FALSE(KeyCode::character(KeyCode::F1));
    EXPECT_FALSE(KeyCode::character(KeyCode::MouseLeft));
    // Every printable character is typed by exactly the key that gives it back.
    for (char c = ' '; c <= '~'; ++c) {
        int code = KeyCode::forCharacter(c);
        ASSERT_NE(code, 0) << c;
        EXPECT_EQ(KeyCode::character(code), c);
    }
    EXPECT_EQ(KeyCode::forCharacter('\n'), 0);
    EXPECT_EQ(KeyCode::forCharacter('\x80'), 0);
}

TEST(KeyCode, MouseCodes) {
    EXPECT_TRUE(KeyCode::isMouse(KeyCode::MouseLeft2));
    EXPECT_TRUE(KeyCode::isMouse(KeyCode::MouseRightUp));
    EXPECT_TRUE(KeyCode::isMouse(KeyCode::Ctrl + KeyCode::MouseLeft));
    EXPECT_FALSE(KeyCode::isMouse(4));
    EXPECT_FALSE(KeyCode::isMouse(KeyCode::Enter));
    EXPECT_FALSE(KeyCode::isMouse(KeyCode::Backspace));
}

} // namespace
