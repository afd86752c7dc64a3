#pragma once

#include "framework/data/Severity.h"
#include "runtime/base/TypedRef.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace framework {

// One variable that each record of a constant table fills, and how its value is packed.
struct ConstantItem {
    std::uint8_t ITEMTYPE = 0;
    host::TypedRef DESTINATION;
};

// Unpacks a fixed list of records kept as one packed byte string (the print preview's
// zoom choices, for instance) into variables, one record per ReadRecord().
//
// A source that ends inside a record ends the table: ReadRecord() answers 5 without
// changing any destination, and keeps answering 5 until Reset(). The same holds for an
// item of an unknown type, and for a table without items whose end is found by reading
// (kinds 1 and 4), which could otherwise never move on.
class ConstantTable {
public:
    // How each item is packed (multi-byte numbers little-endian).
    enum ItemType : std::uint8_t {
        ZeroTerminatedText = 1, // bytes up to a zero byte; at most 1024 of them are kept
        LengthPrefixedText = 2, // a length byte, then that many bytes
        UnsignedByte = 3,
        SignedShort = 4,
        UnsignedShort = 5,
        SignedLong = 6, // an unsigned 16-bit low half, then a signed 16-bit high half
    };
    // How the end of the table is found.
    enum Termination : std::uint8_t {
        EndOfSource = 1,     // the read position has passed the end of the source
        CountedByShort = 2,  // the source starts with an unsigned 16-bit record count
        CountedByByte = 3,   // the source starts with a one-byte record count
        TerminatorValue = 4, // a record's first item equals TERMINATORVALUE
    };

    ConstantTable() = default;
    ConstantTable(const ConstantTable&) = delete;
    ConstantTable& operator=(const ConstantTable&) = delete;

    void Setup(std::uint8_t termination);
    void DescribeItem(std::uint8_t itemType, host::TypedRef destination);
    // Keeps a copy of the packed bytes and starts over.
    void SetSource(std::string_view packed);
    // Back to the first record; reads the record count for kinds 2 and 3.
    void Reset();
    // Benign (0) when a record was read into the destinations, Notify (5) at the end.
    Severity ReadRecord();
    void Teardown();

    std::int32_t CHARPNT = 1;    // 1-based position of the next byte to read
    std::uint16_t ITEMS = 0;     // records in the table, for kinds 2 and 3
    std::uint16_t RECORDPNT = 1; // 1-based number of the next record
    std::int32_t SOURCESIZE = 0;
    std::optional<std::string> STR; // the table's own copy of the source
    std::uint8_t TERMINATION = EndOfSource;
    std::string TERMINATORVALUE; // kind 4; at most its first 32 characters count
    std::vector<ConstantItem> DESCRIPTOR;

private:
    bool ended_ = false;
};

} // namespace framework
