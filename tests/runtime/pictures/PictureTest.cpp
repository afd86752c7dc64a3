#include "runtime/pictures/Picture.h"
#include "PictureChecks.h"
#include "runtime/base/Clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace host;
using namespace picturetest;

namespace host {
void PrintTo(const Value& value, std::ostream* out) {
    *out << '"' << value.toText() << '"';
}
} // namespace host

namespace {

const int dec7 = dayNumber(2026, 12, 7);                   // a Monday
const int tenToSix = ((17 * 60 + 42) * 60 + 9) * 100 + 35; // 17:42:09.35

TEST(Picture, RequiredExamples) {
    EXPECT_EQ(show("@n07", 42), "0000042");
    EXPECT_EQ(show("@n-10.2", dec("6.25")), "      6.25");
    EXPECT_EQ(show("@n$9.2", 54), "   $54.00");
    EXPECT_EQ(show("@d2b", 0), std::string(10, ' '));
    EXPECT_EQ(show("@d4", dec7), "December 7, 2026");
    EXPECT_EQ(show("@t4", tenToSix), "17:42:09");
    // The invoice report's totals: a 15-character prefix and the number in 10.
    EXPECT_EQ("   Amount Due: " + formatPicture(dec("6.75"), "n-10.2"),
              "   Amount Due:       6.75");
}

TEST(Picture, NumberForms) {
    struct Case {
        const char* picture;
        Value value;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"@n12", 1234567, "   1,234,567"},
        {"@n_12", 1234567, "     1234567"},
        {"@n12_", 1234567, "   1 234 567"},
        {"@n_4", 1230, "1230"},
        {"@n8.2", dec("1234.5"), "1,234.50"},
        {"@n8.2", dec("99999.99"), "99999.99"}, // groups left out rather than overflow
        {"@n-10.2", dec("-1234.5"), " -1,234.50"},
        {"@n10.2-", dec("-6.25"), "     6.25-"},
        {"@n10.2-", dec("6.25"), "     6.25 "},
        {"@n(10.2)", dec("-6.25"), "    (6.25)"},
        {"@n-$10.2", -54, "   -$54.00"},
        {"@n$-10.2", -54, "   $-54.00"},
        {"@n8.2", -5, "   -5.00"}, // no sign in the picture still shows the minus
        {"@n-07", -42, "-000042"},
        {"@n*8.2", dec("6.25"), "****6.25"},
        {"@n12.'2", dec("1234.5"), "    1.234,50"},
        {"@n6v2", dec("12.34"), "  1234"},
        {"@n9.2~ kr~", dec("12.5"), " 12.50 kr"},
        {"@n10.2b", 0, "          "},
        {"@n10.2", 0, "      0.00"},
        {"@n8.2", dec("2.345"), "    2.35"}, // half away from zero
        {"@n8.2", dec("-2.345"), "   -2.35"},
        {"@n8.2", dec("-0.001"), "    0.00"}, // no negative zero
        {"@n8.2", 2.675, "    2.68"},         // a real rounds by its decimal form
        {"@n5", 123456, "#####"},
        {"@n-7.2", dec("-1234.5"), "#######"},
        {"@n40", 1e300, std::string(40, '#')},
        {"@n5", "abc", "    0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(show(c.picture, c.value), c.shown) << c.picture << " " << c.value.toText();
    // Money never passes through binary floating point.
    EXPECT_EQ(show("@n_32.2", dec("12345678901234567890123456.78")),
              "   12345678901234567890123456.78");
}

TEST(Picture, NumberInput) {
    EXPECT_EQ(read("@n$10.2", " $1,234.50 "), "1234.5");
    EXPECT_EQ(read("@n(10.2)", "(6.25)"), "-6.25");
    EXPECT_EQ(read("@n10.2-", "6.25-"), "-6.25");
    EXPECT_EQ(read("@n-10.2", "-6.25"), "-6.25");
    EXPECT_EQ(read("@n8.2", "12.345"), "12.35");
    EXPECT_EQ(read("@n8.2", ""), "0");
    EXPECT_EQ(read("@n12.'2", "1.234,50"), "1234.5");
    EXPECT_EQ(read("@n6v2", "1234"), "12.34");
    EXPECT_EQ(read("@n6v2", "1.5"), "1.5");
    EXPECT_EQ(read("@n*8.2", "***6.25"), "6.25");
    EXPECT_EQ(read("@n12_", "1 234 567"), "1234567");
    EXPECT_EQ(read("@n_32", "1234567890123456789012345"), "1234567890123456789012345");
    for (const char* bad :
         {"12a", "--5", "1,23", "12,3456", "(5", "-(5)", "1.2.3", "$", "5 5", "#####", "€5", "1e5"})
        EXPECT_EQ(read("@n$10.2", bad), "rejected") << bad;
    EXPECT_EQ(read("@n5", "123456"), "rejected"); // the picture cannot show it
    EXPECT_EQ(read("@n3.2", "1"), "rejected");
    EXPECT_EQ(Picture::parse("@n5")->deformat("42")->kind(), Value::Kind::Integer);
    EXPECT_EQ(Picture::parse("@n5.1")->deformat("42")->kind(), Value::Kind::Decimal);
}

TEST(Picture, DateForms) {
    struct Case {
        const char* picture;
        const char* shown;
    };
    for (const Case& c : std::vector<Case>{{"@d1", "12/07/26"},
                                           {"@d2", "12/07/2026"},
                                           {"@d3", "Dec 07, 2026"},
                                           {"@d4", "December 7, 2026"},
                                           {"@d5", "07/12/26"},
                                           {"@d6", "07/12/2026"},
                                           {"@d17", "12/07/2026"},
                                           {"@d18", "Monday, December 7, 2026"},
                                           {"@d6.", "07.12.2026"},
                                           {"@d2-", "12-07-2026"},
                                           {"@d02_", "12 07 2026"},
                                           {"D18", "Monday, December 7, 2026"}})
        EXPECT_EQ(show(c.picture, dec7), c.shown) << c.picture;
    EXPECT_EQ(show("@d1", 0), "00/00/00");
    EXPECT_EQ(show("@d4", 0), std::string(18, ' '));
    EXPECT_EQ(show("@d2", -5), "##########");
    EXPECT_EQ(show("@d2", 2147483647), "##########");
    EXPECT_EQ(show("@d2", 4), "01/01/1801");
}

TEST(Picture, DateInput) {
    const std::string day = std::to_string(dec7);
    for (const char* typed :
         {"12/7/26", "12/07/2026", "12-7-2026", "120726", "12072026", "Dec 7, 2026",
          "7 december 2026", "Monday, December 7, 2026", "DEC 07 26"})
        EXPECT_EQ(read("@d2", typed), day) << typed;
    EXPECT_EQ(read("@d6", "07/12/2026"), day);
    EXPECT_EQ(read("@d6.", "07.12.2026"), day);
    EXPECT_EQ(read("@d2", ""), "0");
    EXPECT_EQ(read("@d1", "00/00/00"), "0");
    EXPECT_EQ(read("@d1", "1/1/50"), std::to_string(dayNumber(1950, 1, 1)));
    EXPECT_EQ(read("@d1", "1/1/49"), std::to_string(dayNumber(2049, 1, 1)));
    for (const char* bad :
         {"02/30/2026", "13/01/2026", "0/1/2026", "1/1/1700", "abc", "12/07", "12/07/2026/1",
          "Dec Jan 7 2026", "12/07/20261", "12:07:2026", "Funday, Dec 7, 2026", "1234567"})
        EXPECT_EQ(read("@d2", bad), "rejected") << bad;
    EXPECT_EQ(read("@d2", "02/29/2024"), std::to_string(dayNumber(2024, 2, 29)));
    EXPECT_EQ(read("@d2", "02/29/2025"), "rejected");
}

TEST(Picture, TimeForms) {
    struct Case {
        const char* picture;
        int value;
        const char* shown;
    };
    const int noon = 12 * 360000;
    for (const Case& c : std::vector<Case>{{"@t1", tenToSix, "17:42"},
                                           {"@t2", tenToSix, "1742"},
                                           {"@t3", tenToSix, "05:42PM"},
                                           {"@t4", tenToSix, "17:42:09"},
                                           {"@t5", tenToSix, "174209"},
                                           {"@t6", tenToSix, "05:42:09PM"},
                                           {"@t7", tenToSix, "5:42 PM"},
                                           {"@t8", tenToSix, "5:42:09 PM"},
                                           {"T8", 0, "12:00:00 AM"},
                                           {"@t3", noon, "12:00PM"},
                                           {"@t4.", tenToSix, "17.42.09"},
                                           {"@t4", 0, "00:00:00"},
                                           {"@t4b", 0, "        "},
                                           {"@t4", 8640000, "########"},
                                           {"@t1", -1, "#####"}})
        EXPECT_EQ(show(c.picture, c.value), c.shown) << c.picture;
}

TEST(Picture, TimeInput) {
    EXPECT_EQ(read("@t4", "17:42:09"), std::to_string(tenToSix - 35));
    EXPECT_EQ(read("@t4", "17:42:09.35"), std::to_string(tenToSix));
    EXPECT_EQ(read("@t4", "17:42:09.5"), std::to_string(tenToSix + 15));
    EXPECT_EQ(read("@t1", "5:42 pm"), std::to_string(tenToSix - 935));
    EXPECT_EQ(read("@t3", "05:42PM"), std::to_string(tenToSix - 935));
    EXPECT_EQ(read("@t1", "1742"), std::to_string(tenToSix - 935));
    EXPECT_EQ(read("@t4", "174209"), std::to_string(tenToSix - 35));
    EXPECT_EQ(read("@t8", "12:00:00 AM"), "0");
    EXPECT_EQ(read("@t8", "12:30 p"), std::to_string((12 * 60 + 30) * 6000));
    EXPECT_EQ(read("@t4", ""), "0");
    for (const char* bad : {"24:00", "17:60", "17:42:60", "13 PM", "0 AM", "PM 5", "5 PM PM",
                            "5:42 XM", "17420", "1:2:3:4:5", "123:00", "17;42"})
        EXPECT_EQ(read("@t4", bad), "rejected") << bad;
}

TEST(Picture, Patterns) {
    const char* phone = "@p(###) ###-####p";
    EXPECT_EQ(show(phone, "5551234567"), "(555) 123-4567");
    EXPECT_EQ(show(phone, 5551234567LL), "(555) 123-4567");
    EXPECT_EQ(show(phone, "      "), "              "); // a closed pattern blanks zero
    EXPECT_EQ(show("@p###-####", ""), "000-0000");
    EXPECT_EQ(show("@p<#:##p", 930), " 9:30");
    EXPECT_EQ(show(phone, "55512345678"), "##############");
    EXPECT_EQ(show(phone, -5), "##############");
    EXPECT_EQ(show("@p p", "1"), " "); // no digit positions: the pattern as it stands

    EXPECT_EQ(read(phone, "(555) 123-4567"), "5551234567");
    EXPECT_EQ(read(phone, "555-123-4567"), "5551234567");
    EXPECT_EQ(read(phone, "5551234567"), "5551234567");
    EXPECT_EQ(read(phone, "555 1234"), "0005551234");
    EXPECT_EQ(read(phone, "(000) 000-0000"), "");
    EXPECT_EQ(read(phone, ""), "");
    EXPECT_EQ(read("@p<#:##p", " 9:30"), "930");
    EXPECT_EQ(read("@p###-####", ""), "0000000");
    for (const char* bad : {"555.123.4567", "55512345678", "(555) abc-4567", "#"})
        EXPECT_EQ(read(phone, bad), "rejected") << bad;
}

TEST(Picture, TextAndScientificShown) {
    EXPECT_EQ(show("@s5", "abcdefg"), "abcde");
    EXPECT_EQ(show("S5", "ab"), "ab   ");
    EXPECT_EQ(show("@s6", dec("12.50")), "12.5  ");
    EXPECT_EQ(read("@s3", "abcdef"), "abc");
    EXPECT_EQ(show("@e10.2", 12345), "  1.23e+04");
    EXPECT_EQ(show("@e10.2", dec("-0.000996")), " -9.96e-04");
    EXPECT_EQ(show("@e10.2", dec("9.999")), "  1.00e+01");
    EXPECT_EQ(show("@e10.2", 0), "  0.00e+00");
    EXPECT_EQ(show("@e10.2", 1e300), " 1.00e+300");
    EXPECT_EQ(show("@e5.2", 12345), "#####");
}

TEST(Picture, RoundTripsEveryKind) {
    struct Case {
        const char* picture;
        std::vector<Value> values;
    };
    const std::vector<Case> cases = {
        {"@n-10.2", {dec("0"), dec("6.25"), dec("-1234.5"), dec("99999.99")}},
        {"@n$9.2", {dec("54"), dec("-3.1"), dec("0.01")}},
        {"@n13.'2-", {dec("-1234567.89"), dec("1")}},
        {"@n07", {42, 0, -42}},
        {"@n_4", {9999, 1}},
        {"@n6v2b", {dec("12.34"), 0}},
        {"@e12.4", {dec("12345"), dec("-0.0001234")}},
        {"@d1", {dec7, 0}},
        {"@d3", {dec7, dayNumber(1801, 1, 1)}},
        {"@d4", {dec7, dayNumber(9999, 12, 31)}},
        {"@d5b", {dec7, 0}},
        {"@d18", {dec7, dayNumber(2024, 2, 29)}},
        {"@t3", {tenToSix - 935, 0}},
        {"@t6", {tenToSix - 35, 12 * 360000}},
        {"@t8", {tenToSix - 35, 8639900}},
        {"@p(###) ###-####p", {"5551234567", ""}},
        {"@p<#:##p", {"930", "1230"}},
        {"@s10", {"Smith", ""}},
    };
    for (const Case& c : cases) {
        auto p = Picture::parse(c.picture);
        ASSERT_TRUE(p) << c.picture;
        for (const Value& v : c.values) {
            std::string shown = p->format(v);
            EXPECT_LE(static_cast<int>(shown.size()), p->width()) << c.picture;
            auto back = p->deformat(shown);
            ASSERT_TRUE(back) << c.picture << " " << shown;
            EXPECT_EQ(*back, v) << c.picture << " " << shown;
        }
    }
}

TEST(Picture, ParsesTokens) {
    struct Case {
        const char* text;
        char kind;
        int width;
        bool numeric;
    };
    for (const Case& c : std::vector<Case>{{"@s30", 's', 30, false},
                                           {"S255", 's', 255, false},
                                           {"@n-10.2", 'n', 10, true},
                                           {"N10.2", 'n', 10, true},
                                           {"@n$9.2", 'n', 9, true},
                                           {"@e12.3", 'e', 12, true},
                                           {"@d2b", 'd', 10, true},
                                           {"D18", 'd', 29, true},
                                           {"T8", 't', 11, true},
                                           {"@p(###) ###-####P", 'p', 14, false},
                                           {"@p p", 'p', 1, false}}) {
        auto p = Picture::parse(c.text);
        ASSERT_TRUE(p) << c.text;
        EXPECT_EQ(p->kind(), c.kind);
        EXPECT_EQ(p->width(), c.width) << c.text;
        EXPECT_EQ(p->isNumeric(), c.numeric) << c.text;
    }
    EXPECT_EQ(Picture::parse("@n8.2")->alignment(), Picture::Alignment::Right);
    EXPECT_EQ(Picture::parse("@d2")->alignment(), Picture::Alignment::Left);
    EXPECT_EQ(Picture::parse("n-10.2")->text(), "@n-10.2");
    EXPECT_EQ(Picture::parse("@n10.2b")->places(), 2);
    EXPECT_TRUE(Picture::parse("@d2b")->isBlankWhenZero());
    for (const char* bad :
         {"",        "@",      "@x5",      "@s",      "@s0",     "@s70000",  "@s30x",
          "@n",      "@n.2",   "@n10.2--", "@n(10.2", "@n10.2)", "@n-10.2-", "@n100",
          "@n10.32", "@n$$10", "@n~~10",   "@n~1~10", "@n12..2", "@n10.2bb", "@d",
          "@d7",     "@d19",   "@d2x",     "@t",      "@t9",     "@t4bx",    "@p",
          "@pp",     "@p#pz",  "@e10",     "@e.2",    "@e0.2",   "@n10v"})
        EXPECT_FALSE(Picture::parse(bad)) << bad;
}

TEST(Picture, ConvenienceFunctionsAndInvalidPictures) {
    EXPECT_EQ(formatPicture(dec("12.5"), "@n8.2"), "   12.50");
    EXPECT_EQ(formatPicture(dec("12.5"), "@q8"), "12.5");
    EXPECT_EQ(deformatPicture("1,234.5", "@n8.2")->toText(), "1234.5");
    EXPECT_EQ(deformatPicture("1,234.5", "@q8")->toText(), "1,234.5");
    EXPECT_FALSE(deformatPicture("x", "@n8.2"));
}

TEST(Picture, TheConvenienceFunctionsNeverMixUpPicturesTheyKeep) {
    // More pictures than are kept parsed, in turns, valid and invalid ones among them: each
    // value comes out under its own picture however the kept ones are replaced.
    std::vector<std::string> pictures;
    for (int width = 6; width <= 26; ++width)
        pictures.push_back("@n" + std::to_string(width) + ".2");
    pictures.push_back("@q8");
    for (int round = 0; round < 3; ++round)
        for (const std::string& picture : pictures) {
            std::optional<Picture> parsed = Picture::parse(picture);
            std::string expected = parsed ? parsed->format(dec("12.5")) : "12.5";
            EXPECT_EQ(formatPicture(dec("12.5"), picture), expected) << picture;
            std::optional<Value> read = deformatPicture(expected, picture);
            ASSERT_TRUE(read) << picture;
            EXPECT_EQ(read->toText(), parsed ? "12.5" : expected) << picture;
        }
}

TEST(Picture, HostileInputNeverBreaksAPicture) {
    const std::string nul("\0\0\xff", 3);
    const std::vector<std::string> texts = {"",
                                            " ",
                                            nul,
                                            std::string(5000, '9'),
                                            std::string(5000, ','),
                                            "-(-)-",
                                            "~~~",
                                            "1e-99",
                                            "9999999999999999999999999999999999999.9",
                                            "99/99/99999",
                                            "Sep Sep",
                                            "p.m.",
                                            "(((((("};
    for (const char* picture : {"@n-10.2", "@n$9.2", "@n_32.31", "@n6v2", "@e99.31", "@d18", "@d1",
                                "@t8", "@t2", "@p(###) ###-####p", "@p<<<#p", "@s3"}) {
        auto p = Picture::parse(picture);
        ASSERT_TRUE(p) << picture;
        for (const std::string& text : texts) {
            auto value = p->deformat(text);
            std::string shown = p->format(value ? *value : Value(text));
            EXPECT_LE(static_cast<int>(shown.size()), p->width()) << picture << " " << text;
        }
    }
}

// Typed numbers reach Decimal::parse with any number of places.
TEST(Picture, ManyPlacesAreDroppedNotOverflowed) {
    std::string tiny = "0." + std::string(200, '0') + "1";
    EXPECT_EQ(Decimal::parse(tiny)->toString(), "0");
    EXPECT_EQ(read("@n_4", tiny), "0");
    EXPECT_EQ(Decimal::fromUnits(5, 120).toString(), "0");
}

} // namespace
