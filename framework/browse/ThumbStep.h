#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace framework {

// Maps a browse list's scroll-bar thumb (positions 1 to 100) to values of the free key
// component of one sort order, and back, through a table of 100 ascending steps: the
// fixed name table, the fixed alphabet table, or a table computed from the first and last
// key values in the view. The record processor uses the same mapping for its progress.
class ThumbStep {
public:
    // CONTROLS bits: which characters make up the key, and how it sorts.
    enum Control : std::uint8_t {
        Letters = 1,
        Punctuation = 2,
        Digits = 4,
        CaseSensitive = 8, // lower-case letters are kept and values are not upper-cased
        Descending = 16,
    };
    enum LookupMode : std::uint8_t {
        NameTable = 1,     // 100 steps of 3 characters, made for surnames
        AlphabetTable = 2, // 100 steps of 2 characters, four per letter
        ComputedTable = 3, // 100 steps of 4 characters between the view's limits
    };

    static constexpr std::size_t Steps = 100;
    static constexpr std::size_t RootLength = 40;
    static const std::string_view NameSteps;
    static const std::string_view AlphabetSteps;
    // The characters of CONTROLS value Punctuation; only membership matters.
    static const std::string_view PunctuationSet;

    ThumbStep() = default;
    ThumbStep(const ThumbStep&) = delete;
    ThumbStep& operator=(const ThumbStep&) = delete;
    virtual ~ThumbStep() = default;

    // Virtual operations, in slot order.

    // The thumb position, 1 to 100, of a key value.
    virtual std::uint8_t ValueToPosition(std::string_view value);
    // The key value of a thumb position: ROOT followed by that position's step.
    virtual std::string PositionToValue(int position);
    // Frees the computed table and SORTCHARS.
    virtual void Teardown();
    // Computes the table from the first and last key values of the view (computed mode).
    virtual void FixLimits(std::string_view first, std::string_view last);
    // True when the table is computed, so the owner must hand it the view's limits.
    virtual bool WantsLimits();

    void Setup(std::uint8_t controls, std::uint8_t lookupMode);
    // Reads 4 characters as a number in base LEN(SORTCHARS), each digit being the
    // character's place in SORTCHARS (0 for one outside it). With up to 255 characters
    // the number reaches 255^4 - 1, beyond a signed 32-bit integer, hence 64 bits.
    std::int64_t EncodeStep(std::string_view text) const;
    // The inverse of EncodeStep: 4 characters of SORTCHARS.
    std::string DecodeStep(std::int64_t number) const;

    std::uint8_t CONTROLS = 0;
    std::uint8_t LOOKUPMODE = 0;
    std::string_view REF;                            // the step table: 100 entries of TESTLEN
    std::string ROOT = std::string(RootLength, ' '); // common prefix of the limits
    std::string SORTCHARS;                           // the key's characters, in code order
    std::uint8_t TESTLEN = 0;

private:
    bool has(Control bit) const { return (CONTROLS & bit) != 0; }
    // Entry k (1-based) of the table; empty when there is no such entry.
    std::string_view entry(std::size_t k) const;
    // The thumb position of k entries at or below a value: counted from the other end
    // for a descending key, and never below 1.
    std::uint8_t finishPosition(std::size_t k) const;

    std::string computed_; // the computed table's own text, which REF refers to
};

} // namespace framework
