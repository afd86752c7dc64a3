#include "framework/browse/ThumbStep.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using framework::ThumbStep;

namespace {

// Every entry of a table, in order, strictly above the one before it.
void expectAscending(const ThumbStep& steps) {
    for (std::size_t k = 1; k < ThumbStep::Steps; ++k)
        EXPECT_LT(steps.REF.substr((k - 1) * steps.TESTLEN, steps.TESTLEN),
                  steps.REF.substr(k * steps.TESTLEN, steps.TESTLEN))
            << "entry " << k;
}

std::string padded(std::string_view root) {
    std::string text(root);
    text.resize(ThumbStep::RootLength, ' ');
    return text;
}

// A thumb step over the view ANDERSON .. ANDREWS.
void setupAnders(ThumbStep& steps, std::uint8_t controls) {
    steps.Setup(controls, ThumbStep::ComputedTable);
    if (controls & ThumbStep::Descending)
        steps.FixLimits("ANDREWS", "ANDERSON");
    else
        steps.FixLimits("ANDERSON", "ANDREWS");
}

} // namespace

TEST(ThumbStepFixedTables, NameTableFindsTheStepAValueFallsInto) {
    ThumbStep steps;
    steps.Setup(ThumbStep::Letters, ThumbStep::NameTable);
    ASSERT_EQ(steps.REF.size(), 300u);
    EXPECT_EQ(steps.TESTLEN, 3);
    EXPECT_FALSE(steps.WantsLimits());
    expectAscending(steps);

    EXPECT_EQ(steps.ValueToPosition("SMITH"), 84); // not below SKI, below SNA
    EXPECT_EQ(steps.ValueToPosition("smith"), 84);
    EXPECT_EQ(steps.ValueToPosition("SKI"), 84);
    EXPECT_EQ(steps.ValueToPosition("AARDVARK"), 1);
    EXPECT_EQ(steps.ValueToPosition(""), 1);
    EXPECT_EQ(steps.ValueToPosition("ZWICKY"), 100);
    EXPECT_EQ(steps.PositionToValue(84), "SKI");
    EXPECT_EQ(steps.PositionToValue(1), "   ");
    EXPECT_EQ(steps.PositionToValue(0), "   ");
    EXPECT_EQ(steps.PositionToValue(100), "YOR");
}

TEST(ThumbStepFixedTables, AlphabetTableFindsTheStepAValueFallsInto) {
    ThumbStep steps;
    steps.Setup(ThumbStep::Letters, ThumbStep::AlphabetTable);
    ASSERT_EQ(steps.REF.size(), 200u);
    EXPECT_EQ(steps.TESTLEN, 2);
    expectAscending(steps);

    EXPECT_EQ(steps.ValueToPosition("QU"), 66); // not below QN, below "R "
    EXPECT_EQ(steps.ValueToPosition("R"), 67);
    EXPECT_EQ(steps.ValueToPosition("ZULU"), 100);
    EXPECT_EQ(steps.PositionToValue(67), "R ");
    EXPECT_EQ(steps.PositionToValue(66), "QN");
}

TEST(ThumbStepFixedTables, CaseSensitiveKeysKeepLowerCase) {
    ThumbStep steps;
    steps.Setup(ThumbStep::Letters | ThumbStep::CaseSensitive, ThumbStep::NameTable);
    EXPECT_EQ(steps.ValueToPosition("SMITH"), 84);
    // A small letter sorts above every capital of the table.
    EXPECT_EQ(steps.ValueToPosition("smith"), 100);
}

TEST(ThumbStepFixedTables, DescendingKeysCountFromTheOtherEnd) {
    ThumbStep steps;
    steps.Setup(ThumbStep::Letters | ThumbStep::Descending, ThumbStep::NameTable);
    EXPECT_EQ(steps.ValueToPosition("SMITH"), 16);
    EXPECT_EQ(steps.PositionToValue(16), "SKI");
    EXPECT_EQ(steps.ValueToPosition("ZWICKY"), 1); // 0 becomes 1
    EXPECT_EQ(steps.PositionToValue(100), "   ");  // position 0 becomes entry 1
    EXPECT_EQ(steps.PositionToValue(99), "   ");
    EXPECT_EQ(steps.PositionToValue(98), "ALB");
}

TEST(ThumbStepFixedTables, PositionsBeyondTheThumbStayOnTheTable) {
    ThumbStep ascending;
    ascending.Setup(ThumbStep::Letters, ThumbStep::NameTable);
    EXPECT_EQ(ascending.PositionToValue(150), "YOR");
    EXPECT_EQ(ascending.PositionToValue(-3), "   ");
    ThumbStep descending;
    descending.Setup(ThumbStep::Letters | ThumbStep::Descending, ThumbStep::NameTable);
    EXPECT_EQ(descending.PositionToValue(101), "   ");
    EXPECT_EQ(descending.PositionToValue(-3), "YOR");
}

TEST(ThumbStepCharacters, SortCharsFollowControlsInCodeOrder) {
    ThumbStep steps;
    steps.Setup(ThumbStep::Letters, ThumbStep::ComputedTable);
    EXPECT_TRUE(steps.WantsLimits());
    EXPECT_EQ(steps.TESTLEN, 4);
    // A to Z, Š Œ Ž Ÿ, À to Þ without ×: capitals only.
    EXPECT_EQ(steps.SORTCHARS.size(), 60u);
    EXPECT_EQ(steps.SORTCHARS.substr(0, 26), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_NE(steps.SORTCHARS.find('\xC9'), std::string::npos); // É
    EXPECT_EQ(steps.SORTCHARS.find('\xE9'), std::string::npos); // é
    EXPECT_EQ(steps.SORTCHARS.find('\xD7'), std::string::npos); // ×

    steps.Setup(ThumbStep::Letters | ThumbStep::Digits, ThumbStep::ComputedTable);
    EXPECT_EQ(steps.SORTCHARS.substr(0, 11), "0123456789A");

    steps.Setup(ThumbStep::Letters | ThumbStep::CaseSensitive, ThumbStep::ComputedTable);
    EXPECT_NE(steps.SORTCHARS.find('a'), std::string::npos);
    EXPECT_NE(steps.SORTCHARS.find('\xE9'), std::string::npos);

    steps.Setup(ThumbStep::Punctuation, ThumbStep::ComputedTable);
    EXPECT_EQ(steps.SORTCHARS.size(), 30u); // the per cent sign once
    EXPECT_EQ(steps.SORTCHARS.front(), ' ');
    EXPECT_NE(steps.SORTCHARS.find('\xA3'), std::string::npos); // £
    EXPECT_EQ(ThumbStep::PunctuationSet.size(), 31u);
}

TEST(ThumbStepCharacters, EncodeStepReadsABaseOfTheCharacterSet) {
    ThumbStep steps;
    steps.Setup(ThumbStep::Letters, ThumbStep::ComputedTable);
    EXPECT_EQ(steps.EncodeStep("AAAB"), 1);
    EXPECT_EQ(steps.EncodeStep("BAAA"), 60 * 60 * 60);
    EXPECT_EQ(steps.EncodeStep("aaab"), 1);                        // upper-cased
    EXPECT_EQ(steps.EncodeStep("?A1B"), steps.EncodeStep("AAAB")); // outside: lowest
    EXPECT_EQ(steps.DecodeStep(steps.EncodeStep("ERSO")), "ERSO");
    EXPECT_EQ(steps.DecodeStep(0), "AAAA");
    EXPECT_EQ(steps.DecodeStep(-5), "AAAA");

    steps.Setup(ThumbStep::Letters | ThumbStep::CaseSensitive, ThumbStep::ComputedTable);
    EXPECT_GT(steps.EncodeStep("aaaa"), steps.EncodeStep("ZZZZ"));
    EXPECT_EQ(steps.DecodeStep(steps.EncodeStep("M\xE9\xFFz")), "M\xE9\xFFz");

    // Every character class: the highest step is still exact.
    steps.Setup(31, ThumbStep::ComputedTable);
    std::string top(4, steps.SORTCHARS.back());
    auto base = static_cast<std::int64_t>(steps.SORTCHARS.size());
    EXPECT_EQ(steps.EncodeStep(top), base * base * base * base - 1);
    EXPECT_EQ(steps.DecodeStep(steps.EncodeStep(top)), top);
}

TEST(ThumbStepCharacters, AnEmptyCharacterSetEncodesEverythingAsZero) {
    ThumbStep steps;
    steps.Setup(ThumbStep::Descending, ThumbStep::ComputedTable);
    EXPECT_TRUE(steps.SORTCHARS.empty());
    EXPECT_EQ(steps.EncodeStep("ABCD"), 0);
    EXPECT_EQ(steps.DecodeStep(7), "    ");
    steps.FixLimits("ANDREWS", "ANDERSON");
    EXPECT_EQ(steps.PositionToValue(50), "AND    ");
    EXPECT_GE(steps.ValueToPosition("ANDERSON"), 1);
}

TEST(ThumbStepComputed, TableRunsInEqualStepsBetweenTheLimits) {
    ThumbStep steps;
    setupAnders(steps, ThumbStep::Letters);
    EXPECT_EQ(steps.ROOT, padded("AND"));
    std::int64_t lo = steps.EncodeStep("ERSO");
    std::int64_t step = (steps.EncodeStep("REWS") - lo) / 100;
    ASSERT_GT(step, 0);
    for (std::size_t k = 1; k <= ThumbStep::Steps; ++k)
        EXPECT_EQ(steps.REF.substr((k - 1) * 4, 4),
                  steps.DecodeStep(lo + static_cast<std::int64_t>(k - 1) * step));
    EXPECT_EQ(steps.REF.substr(0, 4), "ERSO");
    expectAscending(steps);

    EXPECT_EQ(steps.ValueToPosition("ANDERSON"), 1);
    EXPECT_EQ(steps.ValueToPosition("ANDREWS"), 100);
    EXPECT_EQ(steps.ValueToPosition("andrews"), 100);
    EXPECT_EQ(steps.PositionToValue(1), "ANDERSO");
}

TEST(ThumbStepComputed, DescendingKeysFillTheTableFromTheEnd) {
    ThumbStep steps;
    setupAnders(steps, ThumbStep::Letters | ThumbStep::Descending);
    EXPECT_EQ(steps.ROOT, padded("AND"));
    EXPECT_EQ(steps.REF.substr(99 * 4, 4), "REWS");
    expectAscending(steps);
    EXPECT_EQ(steps.ValueToPosition("ANDREWS"), 1);
    EXPECT_EQ(steps.ValueToPosition("ANDERSON"), 100);
    EXPECT_EQ(steps.ValueToPosition("ANDA"), 100); // below every entry
    EXPECT_EQ(steps.PositionToValue(100), "AND" + std::string(steps.REF.substr(0, 4)));
}

TEST(ThumbStepComputed, LowerCaseLimitsOfACaseInsensitiveKey) {
    ThumbStep steps;
    steps.Setup(ThumbStep::Letters, ThumbStep::ComputedTable);
    steps.FixLimits("anderson", "andrews");
    EXPECT_EQ(steps.REF.substr(0, 4), "ERSO");
    EXPECT_EQ(steps.ValueToPosition("ANDREWS"), 100);
    EXPECT_EQ(steps.ValueToPosition("andrews"), 100);
}

TEST(ThumbStepComputed, ARootEndingInBlanksLeavesTheStepsAfterIt) {
    ThumbStep steps;
    steps.Setup(ThumbStep::Letters | ThumbStep::Punctuation, ThumbStep::ComputedTable);
    steps.FixLimits("JOHN ADAMS", "JOHN ZORN");
    EXPECT_EQ(steps.ROOT, padded("JOHN"));
    EXPECT_EQ(steps.ValueToPosition("JOHN ADAMS"), 1);
    EXPECT_EQ(steps.ValueToPosition("JOHN ZORN"), 100);
    EXPECT_EQ(steps.PositionToValue(1), "JOHN ADA");
}

TEST(ThumbStepComputed, ARootLongerThanItsFieldIsCutAndTheStepsFollowIt) {
    ThumbStep steps;
    steps.Setup(ThumbStep::Letters, ThumbStep::ComputedTable);
    std::string shared(42, 'K');
    steps.FixLimits(shared + "BB", shared + "ZZ");
    EXPECT_EQ(steps.ROOT, std::string(40, 'K'));
    EXPECT_EQ(steps.ValueToPosition(shared + "BB"), 1);
    EXPECT_EQ(steps.ValueToPosition(shared + "ZZ"), 100);
    EXPECT_EQ(steps.PositionToValue(1), shared + "BB");
}

TEST(ThumbStepComputed, ValuesOutsideTheRootGoToTheEnds) {
    ThumbStep steps;
    setupAnders(steps, ThumbStep::Letters);
    EXPECT_EQ(steps.ValueToPosition("ADAMS"), 1);
    EXPECT_EQ(steps.ValueToPosition("BAKER"), 100);
    EXPECT_EQ(steps.ValueToPosition("an"), 1);
    ThumbStep descending;
    setupAnders(descending, ThumbStep::Letters | ThumbStep::Descending);
    EXPECT_EQ(descending.ValueToPosition("ADAMS"), 100);
    EXPECT_EQ(descending.ValueToPosition("BAKER"), 1);
}

TEST(ThumbStepComputed, TeardownFreesTheTable) {
    ThumbStep steps;
    setupAnders(steps, ThumbStep::Letters);
    steps.Teardown();
    EXPECT_TRUE(steps.SORTCHARS.empty());
    EXPECT_TRUE(steps.REF.empty());
    EXPECT_EQ(steps.ValueToPosition("ANDREWS"), 1);
    EXPECT_EQ(steps.PositionToValue(50), "AND");
}

TEST(ThumbStepRoundTrip, EveryPositionComesBackFromItsValue) {
    struct Case {
        std::uint8_t controls;
        std::uint8_t mode;
    };
    const Case cases[] = {
        {ThumbStep::Letters, ThumbStep::NameTable},
        {ThumbStep::Letters, ThumbStep::AlphabetTable},
        {ThumbStep::Letters, ThumbStep::ComputedTable},
        {ThumbStep::Letters | ThumbStep::Descending, ThumbStep::NameTable},
        {ThumbStep::Letters | ThumbStep::Descending, ThumbStep::ComputedTable},
        {ThumbStep::Letters | ThumbStep::CaseSensitive, ThumbStep::ComputedTable},
    };
    for (const Case& c : cases) {
        ThumbStep steps;
        steps.Setup(c.controls, c.mode);
        if (c.controls & ThumbStep::Descending)
            steps.FixLimits("ANDREWS", "ANDERSON");
        else
            steps.FixLimits("ANDERSON", "ANDREWS");
        // A descending key's last position gives entry 1, which is position 99.
        int last = (c.controls & ThumbStep::Descending) ? 99 : 100;
        for (int p = 1; p <= last; ++p)
            EXPECT_EQ(steps.ValueToPosition(steps.PositionToValue(p)), p)
                << "controls " << int(c.controls) << " mode " << int(c.mode);
    }
}
