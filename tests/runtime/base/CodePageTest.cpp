#include "runtime/base/CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, AccentedLettersOfTheCodePageAreLetters) {
    for (char c : {'A', 'z', '\xC9' /* É */, '\xE9' /* é */, '\x8A' /* Š */, '\x9F' /* Ÿ */,
                   '\xDF' /* ß */, '\xFF' /* ÿ */, '\xB5' /* µ */})
        EXPECT_TRUE(host::isLetter(c)) << int(static_cast<unsigned char>(c));
    for (char c :
         {'1', ' ', '@', '[', '\xD7' /* × */, '\xF7' /* ÷ */, '\xA3' /* £ */, '\x80' /* € */, '\0'})
        EXPECT_FALSE(host::isLetter(c)) << int(static_cast<unsigned char>(c));
}

TEST(CodePage, UpperCaseLettersAreTheCapitals) {
    for (char c : {'A', 'Z', '\xC0', '\xDE', '\x8A', '\x8C', '\x8E', '\x9F'})
        EXPECT_TRUE(host::isUpperLetter(c)) << int(static_cast<unsigned char>(c));
    for (char c : {'a', '\xE9', '\xDF', '\xFF', '\xD7', '1', '\x9A'})
        EXPECT_FALSE(host::isUpperLetter(c)) << int(static_cast<unsigned char>(c));
}
