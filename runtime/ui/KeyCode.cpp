#include "runtime/ui/KeyCode.h"

#include <array>
#include <cctype>
#include <charconv>

namespace host {

namespace {

struct NamedKey {
    int key;
    const char* name;
};

// Names of the keys that are not letters, digits, function keys or punctuation; the
// first name of a key is the one printed.
constexpr std::array namedKeys{
    NamedKey{KeyCode::MouseLeft, "MouseLeft"},
    NamedKey{KeyCode::MouseRight, "MouseRight"},
    NamedKey{KeyCode::MouseCenter, "MouseCenter"},
    NamedKey{KeyCode::MouseLeft2, "MouseLeft2"},
    NamedKey{KeyCode::MouseRight2, "MouseRight2"},
    NamedKey{KeyCode::MouseCenter2, "MouseCenter2"},
    NamedKey{KeyCode::MouseLeftUp, "MouseLeftUp"},
    NamedKey{KeyCode::MouseRightUp, "MouseRightUp"},
    NamedKey{KeyCode::MouseCenterUp, "MouseCenterUp"},
    NamedKey{KeyCode::Backspace, "Backspace"},
    NamedKey{KeyCode::Backspace, "BS"},
    NamedKey{KeyCode::Tab, "Tab"},
    NamedKey{KeyCode::Enter, "Enter"},
    NamedKey{KeyCode::Enter, "Return"},
    NamedKey{KeyCode::Esc, "Esc"},
    NamedKey{KeyCode::Esc, "Escape"},
    NamedKey{KeyCode::Space, "Space"},
    NamedKey{KeyCode::PgUp, "PgUp"},
    NamedKey{KeyCode::PgUp, "PageUp"},
    NamedKey{KeyCode::PgDn, "PgDn"},
    NamedKey{KeyCode::PgDn, "PageDown"},
    NamedKey{KeyCode::End, "End"},
    NamedKey{KeyCode::Home, "Home"},
    NamedKey{KeyCode::Left, "Left"},
    NamedKey{KeyCode::Up, "Up"},
    NamedKey{KeyCode::Right, "Right"},
    NamedKey{KeyCode::Down, "Down"},
    NamedKey{KeyCode::Ins, "Ins"},
    NamedKey{KeyCode::Ins, "Insert"},
    NamedKey{KeyCode::Del, "Del"},
    NamedKey{KeyCode::Del, "Delete"},
};

struct PunctuationKey {
    int key;
    char plain;
    char shifted;
};

constexpr std::array punctuationKeys{
    PunctuationKey{KeyCode::Semicolon, ';', ':'},  PunctuationKey{KeyCode::Equals, '=', '+'},
    PunctuationKey{KeyCode::Comma, ',', '<'},      PunctuationKey{KeyCode::Minus, '-', '_'},
    PunctuationKey{KeyCode::Period, '.', '>'},     PunctuationKey{KeyCode::Slash, '/', '?'},
    PunctuationKey{KeyCode::Backquote, '`', '~'},  PunctuationKey{KeyCode::LeftBracket, '[', '{'},
    PunctuationKey{KeyCode::Backslash, '\\', '|'}, PunctuationKey{KeyCode::RightBracket, ']', '}'},
    PunctuationKey{KeyCode::Quote, '\'', '"'},
};

constexpr const char* shiftedDigits = ")!@#$%^&*(";

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool startsWithLetters(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && sameLetters(text.substr(0, prefix.size()), prefix);
}

std::string keyName(int key) {
    for (const NamedKey& named : namedKeys)
        if (named.key == key)
            return named.name;
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    if (key >= KeyCode::F1 && key <= KeyCode::F12)
        return "F" + std::to_string(key - KeyCode::F1 + 1);
    for (const PunctuationKey& punctuation : punctuationKeys)
        if (punctuation.key == key)
            return std::string(1, punctuation.plain);
    return "Key" + std::to_string(key);
}

// A number from 1 to `largest` written with digits only.
std::optional<int> smallNumber(std::string_view digits, int largest) {
    int value = 0;
    if (digits.empty() || digits.size() > 3)
        return std::nullopt;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value < 1 ||
        value > largest)
        return std::nullopt;
    return value;
}

std::optional<int> keyFromName(std::string_view name) {
    for (const NamedKey& named : namedKeys)
        if (sameLetters(name, named.name))
            return named.key;
    if (name.size() == 1) {
        char c = name[0];
        if (std::isalpha(static_cast<unsigned char>(c)))
            return KeyCode::letter(c);
        if (c >= '0' && c <= '9')
            return c;
        for (const PunctuationKey& punctuation : punctuationKeys)
            if (punctuation.plain == c)
                return punctuation.key;
        return std::nullopt;
    }
    if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3 &&
        std::isdigit(static_cast<unsigned char>(name[1])) && name[1] != '0')
        if (std::optional<int> n = smallNumber(name.substr(1), 12))
            return KeyCode::function(*n);
    if (startsWithLetters(name, "Key"))
        return smallNumber(name.substr(3), 255);
    return std::nullopt;
}

} // namespace

std::string KeyCode::name(int code) {
    if (code <= 0 || code > (0xFF | Shift | Ctrl | Alt) || key(code) == 0)
        return {};
    std::string text;
    if (code & Ctrl)
        text += "Ctrl+";
    if (code & Alt)
        text += "Alt+";
    if (code & Shift)
        text += "Shift+";
    return text + keyName(key(code));
}

std::optional<int> KeyCode::parse(std::string_view name) {
    int code = 0;
    for (;;) {
        int modifier = 0;
        std::size_t length = 0;
        if (startsWithLetters(name, "Ctrl"))
            modifier = Ctrl, length = 4;
        else if (startsWithLetters(name, "Alt"))
            modifier = Alt, length = 3;
        else if (startsWithLetters(name, "Shift"))
            modifier = Shift, length = 5;
        // A modifier needs a key after it; "Alt" alone is no key name.
        if (modifier == 0 || name.size() == length)
            break;
        code |= modifier;
        name.remove_prefix(length);
        if (name.front() == '+' && name.size() > 1)
            name.remove_prefix(1);
    }
    std::optional<int> key = keyFromName(name);
    if (!key)
        return std::nullopt;
    return code | *key;
}

std::optional<char> KeyCode::character(int code) {
    if (code & (Ctrl | Alt) || code <= 0 || code > (0xFF | Shift))
        return std::nullopt;
    bool shifted = (code & Shift) != 0;
    int k = key(code);
    if (k == Space)
        return ' ';
    if (k >= 'A' && k <= 'Z')
        return static_cast<char>(shifted ? k : k - 'A' + 'a');
    if (k >= '0' && k <= '9')
        return shifted ? shiftedDigits[k - '0'] : static_cast<char>(k);
    for (const PunctuationKey& punctuation : punctuationKeys)
        if (punctuation.key == k)
            return shifted ? punctuation.shifted : punctuation.plain;
    return std::nullopt;
}

int KeyCode::forCharacter(char c) {
    if (c == ' ')
        return Space;
    if (c >= 'a' && c <= 'z')
        return letter(c);
    if (c >= 'A' && c <= 'Z')
        return Shift + c;
    if (c >= '0' && c <= '9')
        return c;
    for (int n = 0; n < 10; ++n)
        if (shiftedDigits[n] == c)
            return Shift + '0' + n;
    for (const PunctuationKey& punctuation : punctuationKeys) {
        if (punctuation.plain == c)
            return punctuation.key;
        if (punctuation.shifted == c)
            return Shift + punctuation.key;
    }
    return 0;
}

} // namespace host
