#include "PictureChecks.h"
#include "runtime/pictures/Picture.h"
#include "tests/support/ScientificShownValue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

using namespace host;
using namespace picturetest;
using testsupport::shownValue;

namespace {

// Decimals of 1 to 38 digits with at most 31 of them before the point, from a fixed
// sequence, and the edges of the decimal's range.
std::vector<Decimal> sampleValues() {
    std::vector<Decimal> values;
    for (const char* edge :
         {"0", "1", "-1", "0.95", "9.5", "99.5", "-0.05", "1234567",
          "0.0000000000000000000000000000001", "-0.0000000000000000000000000000005",
          "9999999999999999999999999999999", "-9999999999999999999999999999998",
          "9999999999999999999999999999994.9", "1000000000000000000000000000000",
          "4999999999999999999999999999999.5"})
        values.push_back(dec(edge));
    unsigned long long state = 0x2545F4914F6CDD1Dull;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 3000; ++i) {
        int digits = 1 + static_cast<int>(next() % 38);
        Decimal::Units units = 1 + static_cast<int>(next() % 9);
        for (int d = 1; d < digits; ++d) {
            // Runs of nines and zeros find the carries of rounding.
            unsigned pick = next() % 12;
            units = units * 10 + (pick >= 10 ? (pick == 10 ? 9 : 0) : pick);
        }
        int lowest = digits > Decimal::maxDigits ? digits - Decimal::maxDigits : 0;
        int places = lowest + static_cast<int>(next() % (32 - lowest));
        values.push_back(Decimal::fromUnits(next() % 2 ? -units : units, places));
    }
    return values;
}

TEST(ScientificPicture, ReadsExponentForms) {
    const std::string tinyOne = "0." + std::string(40, '0') + "1e+41";
    const std::string longOne = "1" + std::string(39, '0') + "e-39";
    struct Case {
        std::string typed;
        const char* value;
    };
    for (const Case& c : std::vector<Case>{
             {"1.23e+04", "12300"},
             {"1.23E4", "12300"},
             {"-5e-3", "-0.005"},
             {"+5E-03", "0.005"},
             {".5e1", "5"},
             {"5.e-1", "0.5"},
             {"  7e2  ", "700"},
             {"", "0"},
             {"0e99", "0"},
             {"1e30", "1000000000000000000000000000000"},
             {"-9.999999999999999999999999999999E+30", "-9999999999999999999999999999999"},
             {"1e-31", "0.0000000000000000000000000000001"},
             {"100e-33", "0.0000000000000000000000000000001"},
             {tinyOne, "1"},
             {longOne, "1"},
             // Digits beyond 31 places, or beyond the 32 significant digits the widest
             // picture shows, round half away from zero.
             {"1.5e-31", "0.0000000000000000000000000000002"},
             {"-2.00000000000000000000000000000005e0", "-2.0000000000000000000000000000001"},
             {"1.234567890123456789012345678901234e5", "123456.78901234567890123456789012"},
         })
        EXPECT_EQ(read("@e40.31", c.typed), c.value) << c.typed;
}

TEST(ScientificPicture, RefusesWhatADecimalCannotHoldInsteadOfReadingZero) {
    for (const char* typed : {"1e31", "-1E+31", "9.99999999999999999999999999999999999e30", "1e-32",
                              "0.99e-31", "1.5e-60", "1e-40", "1e99", "1e999999999999999999999",
                              "1e", "e5", "1e+", "1e 5", "1e5x", "--1", "1,5e3", "inf"})
        EXPECT_EQ(read("@e40.5", typed), "rejected") << typed;
    EXPECT_EQ(read("@e40.5", std::string("1e5\0", 4)), "rejected");
    EXPECT_EQ(read("@e5.2", "1"), "rejected"); // 1.00e+00 is wider than the picture
}

TEST(ScientificPicture, ShowsOnlyWhatReadsBack) {
    // Rounded to one digit this would be 1e+31, one digit more than a decimal holds.
    Decimal nearLimit = dec("9999999999999999999999999999998");
    EXPECT_EQ(show("@E9.0", nearLimit), "#########");
    EXPECT_EQ(read("@E9.0", "9999999999999999999999999999998"), "rejected");
    EXPECT_EQ(show("@e40.31", nearLimit), "   9.9999999999999999999999999999980e+30");
    EXPECT_EQ(read("@e40.31", show("@e40.31", nearLimit)), "9999999999999999999999999999998");
    // A product beyond 31 digits.
    EXPECT_EQ(show("@e10.2", Decimal(10'000'000'000'000'000) * Decimal(10'000'000'000'000'000)),
              "##########");
    // A product with 35 digits rounds once, not first to 31 places and then again.
    Decimal::Units units = 14;
    for (int i = 0; i < 33; ++i)
        units = units * 10 + 9; // 14 followed by 33 nines
    EXPECT_EQ(show("@e10.0", Decimal::fromUnits(units, 31)), "     1e+03");
}

TEST(ScientificPicture, ReadsBackWhatItShowsAsRoundedToTheShownDigits) {
    const std::vector<Decimal> values = sampleValues();
    int checked = 0;
    for (int places : {0, 1, 2, 3, 5, 9, 15, 30, 31}) {
        // The widest decimal needs places + 7 characters ("-9.99e-31"); the narrower
        // picture overflows for some.
        for (int width : {places + 7, places + 5}) {
            if (width < 1)
                continue;
            std::string picture = "@e" + std::to_string(width) + "." + std::to_string(places);
            auto p = Picture::parse(picture);
            ASSERT_TRUE(p) << picture;
            for (const Decimal& value : values) {
                std::string shown = p->format(value);
                ASSERT_EQ(static_cast<int>(shown.size()), width) << picture;
                auto expected = shownValue(value, places);
                if (!expected) {
                    EXPECT_EQ(shown, std::string(static_cast<size_t>(width), '#'))
                        << picture << " " << value.toString();
                    EXPECT_FALSE(p->deformat(value.toString())) << picture << value.toString();
                    continue;
                }
                if (shown.front() == '#') {
                    EXPECT_LT(width, places + 7) << picture << " " << value.toString();
                    continue;
                }
                auto back = p->deformat(shown);
                ASSERT_TRUE(back) << picture << " " << value.toString() << " [" << shown << "]";
                EXPECT_EQ(back->toDecimal(), *expected)
                    << picture << " " << value.toString() << " [" << shown << "]";
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 20000);
    EXPECT_EQ(read("@e12.3b", show("@e12.3b", 0)), "0");
}

TEST(ScientificPicture, ReadsBackTheShownDigitsOfReals) {
    for (const char* picture : {"@e10.2", "@e6.0", "@e40.31", "@e12.5"}) {
        auto p = Picture::parse(picture);
        ASSERT_TRUE(p);
        for (double real : {0.1, -2.5e-5, 123456.789, 6.02214076e23, 9.95e30, 1e-31, 3.3e-29,
                            1.5e-40, 1e300, -4.9e-324, 1.7976931348623157e308}) {
            std::string shown = p->format(real);
            if (shown.front() == '#')
                continue;
            auto back = p->deformat(shown);
            size_t e = shown.find('e');
            ASSERT_NE(e, std::string::npos) << picture << " " << real << " [" << shown << "]";
            int exponent = std::atoi(shown.c_str() + e + 1);
            bool inRange = exponent >= -31 && exponent <= 30;
            EXPECT_EQ(back.has_value(), inRange) << picture << " " << real << " [" << shown << "]";
            if (inRange && exponent - p->places() >= -31) { // every shown digit is kept
                EXPECT_EQ(p->format(*back), shown) << picture << " " << real;
            }
        }
    }
}

} // namespace
