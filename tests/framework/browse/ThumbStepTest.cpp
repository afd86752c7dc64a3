#include "framework/browse/ThumbStep.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using framework::ThumbStep;

namespace {

constexpr std::uint8_t Letters = ThumbStep::Letters;
constexpr std::uint8_t Descending = ThumbStep::Descending;

std::string_view entry(const ThumbStep& steps, std::size_t k) {
    return steps.REF.substr((k - 1) * steps.TESTLEN, steps.TESTLEN);
}

void expectAscending(const ThumbStep& steps) {
    for (std::size_t k = 1; k < ThumbStep::Steps; ++k)
        EXPECT_LT(entry(steps, k), entry(steps, k + 1)) << "entry " << k;
}

// A computed table over a view from first to last, in the key's own order.
void setupComputed(ThumbStep& steps, std::uint8_t controls, std::string_view first,
                   std::string_view last) {
    steps.Setup(controls, ThumbStep::ComputedTable);
    steps.FixLimits(first, last);
}

std::string rootOf(const ThumbStep& steps) {
    return steps.ROOT.substr(0, steps.ROOT.find_last_not_of(' ') + 1);
}

} // namespace

TEST(ThumbStepFixedTables, ValuesFallIntoTheNameAndAlphabetSteps) {
    ThumbStep names;
    names.Setup(Letters, ThumbStep::NameTable);
    ASSERT_EQ(names.REF.size(), 300u);
    expectAscending(names);
    EXPECT_EQ(names.ValueToPosition("SMITH"), 84); // not below SKI, below SNA
    EXPECT_EQ(names.ValueToPosition("ZWICKY"), 100);
    EXPECT_EQ(names.PositionToValue(1), "   ");
    EXPECT_EQ(names.PositionToValue(0), "   ");
    EXPECT_EQ(names.PositionToValue(150), "YOR");

    ThumbStep alphabet;
    alphabet.Setup(Letters, ThumbStep::AlphabetTable);
    ASSERT_EQ(alphabet.REF.size(), 200u);
    expectAscending(alphabet);
    EXPECT_EQ(alphabet.ValueToPosition("QU"), 66); // not below QN, below "R "
    EXPECT_EQ(alphabet.PositionToValue(67), "R ");
    EXPECT_FALSE(alphabet.WantsLimits());
}

TEST(ThumbStepFixedTables, CaseSensitiveAndDescendingKeys) {
    ThumbStep exact;
    exact.Setup(Letters | ThumbStep::CaseSensitive, ThumbStep::NameTable);
    EXPECT_EQ(exact.ValueToPosition("SMITH"), 84);
    EXPECT_EQ(exact.ValueToPosition("smith"), 100); // small letters sort above capitals

    ThumbStep down;
    down.Setup(Letters | Descending, ThumbStep::NameTable);
    EXPECT_EQ(down.ValueToPosition("SMITH"), 16);
    EXPECT_EQ(down.ValueToPosition("ZWICKY"), 1);
    EXPECT_EQ(down.PositionToValue(100), "   "); // position 0 becomes entry 1
    EXPECT_EQ(down.PositionToValue(98), "ALB");
    // Positions beyond the thumb stay on the table.
    EXPECT_EQ(down.PositionToValue(101), "   ");
    EXPECT_EQ(down.PositionToValue(-3), "YOR");
}

TEST(ThumbStepCharacters, SortCharsFollowControlsInCodeOrder) {
    ThumbStep steps;
    steps.Setup(Letters, ThumbStep::ComputedTable);
    // A to Z, Š Œ Ž Ÿ, then À to Þ without ×: capitals only.
    EXPECT_EQ(steps.SORTCHARS.size(), 60u);
    EXPECT_EQ(steps.SORTCHARS.substr(0, 26), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_NE(steps.SORTCHARS.find('\xC9'), std::string::npos); // É
    EXPECT_EQ(steps.SORTCHARS.find('\xE9'), std::string::npos); // é

    steps.Setup(Letters | ThumbStep::Digits, ThumbStep::ComputedTable);
    EXPECT_EQ(steps.SORTCHARS.substr(0, 11), "0123456789A");
    steps.Setup(Letters | ThumbStep::CaseSensitive, ThumbStep::ComputedTable);
    EXPECT_NE(steps.SORTCHARS.find('\xE9'), std::string::npos);
    steps.Setup(ThumbStep::Punctuation, ThumbStep::ComputedTable);
    EXPECT_EQ(steps.SORTCHARS.size(), 30u);                     // the per cent sign once
    EXPECT_NE(steps.SORTCHARS.find('\xA3'), std::string::npos); // £
}

TEST(ThumbStepCharacters, EncodeStepReadsABaseOfTheCharacterSet) {
    ThumbStep steps;
    steps.Setup(Letters, ThumbStep::ComputedTable);
    EXPECT_EQ(steps.EncodeStep("BAAB"), 60 * 60 * 60 + 1);
    EXPECT_EQ(steps.EncodeStep("baab"), steps.EncodeStep("BAAB"));
    EXPECT_EQ(steps.EncodeStep("?A1B"), steps.EncodeStep("AAAB")); // outside: lowest
    EXPECT_EQ(steps.DecodeStep(steps.EncodeStep("ERSO")), "ERSO");
    EXPECT_EQ(steps.DecodeStep(-5), "AAAA");

    steps.Setup(Letters | ThumbStep::CaseSensitive, ThumbStep::ComputedTable);
    EXPECT_GT(steps.EncodeStep("aaaa"), steps.EncodeStep("ZZZZ"));

    // Every character class at once: the highest step is still exact.
    steps.Setup(31, ThumbStep::ComputedTable);
    std::string top(4, steps.SORTCHARS.back());
    auto base = static_cast<std::int64_t>(steps.SORTCHARS.size());
    EXPECT_EQ(steps.EncodeStep(top), base * base * base * base - 1);
    EXPECT_EQ(steps.DecodeStep(steps.EncodeStep(top)), top);
}

TEST(ThumbStepCharacters, AnEmptyCharacterSetEncodesEverythingAsZero) {
    ThumbStep steps;
    setupComputed(steps, Descending, "ANDREWS", "ANDERSON");
    EXPECT_EQ(steps.EncodeStep("ABCD"), 0);
    EXPECT_EQ(steps.DecodeStep(7), "    ");
    EXPECT_EQ(steps.PositionToValue(50), "AND    ");
}

TEST(ThumbStepComputed, TableRunsInEqualStepsBetweenTheLimits) {
    ThumbStep steps;
    setupComputed(steps, Letters, "ANDERSON", "ANDREWS");
    EXPECT_TRUE(steps.WantsLimits());
    EXPECT_EQ(rootOf(steps), "AND");
    std::int64_t lo = steps.EncodeStep("ERSO");
    std::int64_t step = (steps.EncodeStep("REWS") - lo) / 100;
    for (std::size_t k = 1; k <= ThumbStep::Steps; ++k)
        EXPECT_EQ(entry(steps, k), steps.DecodeStep(lo + static_cast<std::int64_t>(k - 1) * step));
    expectAscending(steps);
    EXPECT_EQ(steps.ValueToPosition("ANDERSON"), 1);
    EXPECT_EQ(steps.ValueToPosition("andrews"), 100);

    ThumbStep down;
    setupComputed(down, Letters | Descending, "ANDREWS", "ANDERSON");
    EXPECT_EQ(entry(down, 100), "REWS");
    expectAscending(down);
    EXPECT_EQ(down.ValueToPosition("ANDREWS"), 1);
    EXPECT_EQ(down.ValueToPosition("ANDA"), 100); // below every entry
    // Values outside the root go to the ends.
    EXPECT_EQ(steps.ValueToPosition("ADAMS"), 1);
    EXPECT_EQ(steps.ValueToPosition("BAKER"), 100);
    EXPECT_EQ(down.ValueToPosition("ADAMS"), 100);
    EXPECT_EQ(down.ValueToPosition("BAKER"), 1);
    // Torn down, the table is gone and every value is at the start.
    steps.Teardown();
    EXPECT_TRUE(steps.SORTCHARS.empty() && steps.REF.empty());
    EXPECT_EQ(steps.ValueToPosition("ANDREWS"), 1);
}

TEST(ThumbStepComputed, TheStepsStartRightAfterWhatTheRootHolds) {
    ThumbStep blank; // a root cannot end in a blank
    setupComputed(blank, Letters | ThumbStep::Punctuation, "JOHN ADAMS", "JOHN ZORN");
    EXPECT_EQ(rootOf(blank), "JOHN");
    EXPECT_EQ(blank.ValueToPosition("JOHN ZORN"), 100);
    EXPECT_EQ(blank.PositionToValue(1), "JOHN ADA");

    ThumbStep cut; // a root holds at most 40 characters
    std::string shared(42, 'K');
    setupComputed(cut, Letters, shared + "BB", shared + "ZZ");
    EXPECT_EQ(cut.ROOT, std::string(40, 'K'));
    EXPECT_EQ(cut.ValueToPosition(shared + "BB"), 1);
    EXPECT_EQ(cut.ValueToPosition(shared + "ZZ"), 100);
    EXPECT_EQ(cut.PositionToValue(1), shared + "BB");
}

TEST(ThumbStepRoundTrip, EveryPositionComesBackFromItsValue) {
    const std::pair<std::uint8_t, std::uint8_t> cases[] = {
        {Letters, ThumbStep::NameTable},
        {Letters, ThumbStep::AlphabetTable},
        {Letters, ThumbStep::ComputedTable},
        {Letters | Descending, ThumbStep::NameTable},
        {Letters | Descending, ThumbStep::ComputedTable},
        {Letters | ThumbStep::CaseSensitive, ThumbStep::ComputedTable},
    };
    for (auto [controls, mode] : cases) {
        bool down = (controls & Descending) != 0;
        ThumbStep steps;
        steps.Setup(controls, mode);
        steps.FixLimits(down ? "ANDREWS" : "ANDERSON", down ? "ANDERSON" : "ANDREWS");
        // A descending key's last position gives entry 1, which is position 99.
        for (int p = 1; p <= (down ? 99 : 100); ++p)
            EXPECT_EQ(steps.ValueToPosition(steps.PositionToValue(p)), p)
                << "controls " << int(controls) << " mode " << int(mode);
    }
}
