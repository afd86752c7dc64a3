#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host {

// Key codes: the number of a key or mouse button in the low byte, plus the modifier
// values Shift 0x100, Ctrl 0x200 and Alt 0x400. So Ctrl+' (the recall key of the update
// forms) is 0x200 + 222 = 734, and Shift+Tab is 0x100 + 9. Mouse buttons are keys too:
// a right click gives 2 when pressed and 130 when released, a left double click 5.
//
// Every code has a name such as "Enter", "Shift+Tab", "Ctrl+'" or "MouseLeft2", which
// scripted test sessions use: the constants below without their modifiers, single
// letters, digits and punctuation characters, "F1" to "F12", and "Key" with a number
// for the rest.
class KeyCode {
public:
    static constexpr int Shift = 0x100;
    static constexpr int Ctrl = 0x200;
    static constexpr int Alt = 0x400;

    static constexpr int MouseLeft = 1;
    static constexpr int MouseRight = 2;
    static constexpr int MouseCenter = 3;
    static constexpr int MouseLeft2 = 5; // double clicks
    static constexpr int MouseRight2 = 6;
    static constexpr int MouseCenter2 = 7;
    static constexpr int MouseLeftUp = 129; // button released
    static constexpr int MouseRightUp = 130;
    static constexpr int MouseCenterUp = 131;

    static constexpr int Backspace = 8;
    static constexpr int Tab = 9;
    static constexpr int Enter = 13;
    static constexpr int Esc = 27;
    static constexpr int Space = 32;
    static constexpr int PgUp = 33;
    static constexpr int PgDn = 34;
    static constexpr int End = 35;
    static constexpr int Home = 36;
    static constexpr int Left = 37;
    static constexpr int Up = 38;
    static constexpr int Right = 39;
    static constexpr int Down = 40;
    static constexpr int Ins = 45;
    static constexpr int Del = 46;
    static constexpr int F1 = 112; // F1 to F12 are 112 to 123
    static constexpr int F12 = 123;
    // The punctuation keys of the main block.
    static constexpr int Semicolon = 186;
    static constexpr int Equals = 187;
    static constexpr int Comma = 188;
    static constexpr int Minus = 189;
    static constexpr int Period = 190;
    static constexpr int Slash = 191;
    static constexpr int Backquote = 192;
    static constexpr int LeftBracket = 219;
    static constexpr int Backslash = 220;
    static constexpr int RightBracket = 221;
    static constexpr int Quote = 222;

    static constexpr int ShiftTab = Shift + Tab;
    static constexpr int CtrlEnter = Ctrl + Enter;
    static constexpr int CtrlQuote = Ctrl + Quote; // 734, "Ctrl+'"
    static constexpr int CtrlPgUp = Ctrl + PgUp;
    static constexpr int CtrlPgDn = Ctrl + PgDn;
    static constexpr int CtrlHome = Ctrl + Home;
    static constexpr int CtrlEnd = Ctrl + End;

    static constexpr int letter(char c) {
        return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : (c >= 'A' && c <= 'Z' ? c : 0);
    }
    static constexpr int digit(int n) { return n >= 0 && n <= 9 ? '0' + n : 0; }
    static constexpr int function(int n) { return n >= 1 && n <= 12 ? F1 + n - 1 : 0; }

    static constexpr int key(int code) { return code & 0xFF; } // without modifiers
    static constexpr int modifiers(int code) { return code & (Shift | Ctrl | Alt); }
    static constexpr bool isMouse(int code) {
        int k = key(code);
        return (k >= MouseLeft && k <= MouseCenter2 && k != 4) ||
               (k >= MouseLeftUp && k <= MouseCenterUp);
    }

    // "Ctrl+Shift+Tab": modifiers in the order Ctrl, Alt, Shift, then the key's name.
    // Keys without a name of their own print as "Key" and their number ("Key150").
    // Empty for 0 and for numbers that are not key codes.
    static std::string name(int code);
    // Reads a name, ignoring letter case. Modifiers may be joined with '+' or written
    // straight before the key ("CtrlPgDn"); common spellings are understood ("Escape",
    // "PageDown", "Insert", "Return").
    static std::optional<int> parse(std::string_view name);

    // The character a key types on a US layout (Shift gives capitals and the upper
    // symbols); none for keys that type nothing and for Ctrl and Alt combinations.
    static std::optional<char> character(int code);
    // The key code that types `c`; 0 when no key does.
    static int forCharacter(char c);
};

} // namespace host
