#include "framework/window/ConstantTable.h"

#include <gtest/gtest.h>

using namespace framework;
using host::FieldType;
using host::Variable;

namespace {

std::string lengthPrefixed(const std::string& text) {
    return char(text.size()) + text;
}
std::string littleEndian16(int value) {
    return {char(value & 0xFF), char((static_cast<unsigned>(value) >> 8) & 0xFF)};
}

// The print preview's zoom choices: a count byte, then (menu text, status text, percentage).
std::string zoomTable() {
    struct Choice {
        const char* menu;
        const char* status;
        int percent;
    };
    const Choice choices[] = {
        {"Tile pages", "Zoom: Tile Pages", -2}, {"Page Width", "Zoom: Page Width", -1},
        {"50% Zoom", "Zoom: 50%", 50},          {"75% Zoom", "Zoom: 75%", 75},
        {"100% Zoom", "Zoom: 100%", 100},       {"200% Zoom", "Zoom: 200%", 200},
        {"300% Zoom", "Zoom: 300%", 300}};
    std::string table(1, char(7));
    for (const Choice& c : choices)
        table += lengthPrefixed(c.menu) + lengthPrefixed(c.status) + littleEndian16(c.percent);
    return table;
}

TEST(ConstantTable, UnpacksTheZoomTable) {
    Variable menu(FieldType::cstring(21)), status(FieldType::cstring(31));
    Variable percent(FieldType::shortInteger());
    ConstantTable table;
    table.Setup(ConstantTable::CountedByByte);
    table.DescribeItem(ConstantTable::LengthPrefixedText, menu);
    table.DescribeItem(ConstantTable::LengthPrefixedText, status);
    table.DescribeItem(ConstantTable::SignedShort, percent);
    table.SetSource(zoomTable());
    EXPECT_EQ(table.ITEMS, 7);
    EXPECT_EQ(table.CHARPNT, 2);

    std::vector<std::string> read;
    while (table.ReadRecord() == Severity::Benign)
        read.push_back(menu.value().toText() + "/" + status.value().toText() + "/" +
                       percent.value().toText());
    EXPECT_EQ(read,
              (std::vector<std::string>{"Tile pages/Zoom: Tile Pages/-2",
                                        "Page Width/Zoom: Page Width/-1", "50% Zoom/Zoom: 50%/50",
                                        "75% Zoom/Zoom: 75%/75", "100% Zoom/Zoom: 100%/100",
                                        "200% Zoom/Zoom: 200%/200", "300% Zoom/Zoom: 300%/300"}));
    EXPECT_EQ(table.ReadRecord(), Severity::Notify); // after the end it stays ended
    EXPECT_EQ(table.CHARPNT, table.SOURCESIZE + 1);

    table.Reset();
    ASSERT_EQ(table.ReadRecord(), Severity::Benign);
    EXPECT_EQ(menu.value().toText(), "Tile pages");
    table.Teardown();
    EXPECT_EQ(table.ReadRecord(), Severity::Notify);
}

TEST(ConstantTable, ReadsEveryItemTypeLittleEndian) {
    Variable text(FieldType::cstring(2000)), byte(FieldType::byte());
    Variable signedShort(FieldType::longInteger()), unsignedShort(FieldType::longInteger());
    Variable signedLong(FieldType::longInteger()), asText(FieldType::cstring(20));
    ConstantTable table;
    table.Setup(ConstantTable::EndOfSource);
    table.DescribeItem(ConstantTable::ZeroTerminatedText, text);
    table.DescribeItem(ConstantTable::UnsignedByte, byte);
    table.DescribeItem(ConstantTable::SignedShort, signedShort);
    table.DescribeItem(ConstantTable::UnsignedShort, unsignedShort);
    table.DescribeItem(ConstantTable::SignedLong, signedLong);
    table.DescribeItem(ConstantTable::SignedLong, asText); // numbers arrive as text

    std::string record = std::string("abc\0", 4) + "\xFE" + "\xFF\xFF" + "\xFF\xFF" +
                         std::string("\x01\x00\xFF\xFF", 4) + std::string("\x00\x00\x01\x00", 4);
    std::string longText(1500, 'x');
    table.SetSource(record + longText + '\0' + record.substr(4));
    ASSERT_EQ(table.ReadRecord(), Severity::Benign);
    EXPECT_EQ(text.value().toText(), "abc");
    EXPECT_EQ(byte.value().toInteger(), 254);
    EXPECT_EQ(signedShort.value().toInteger(), -1);
    EXPECT_EQ(unsignedShort.value().toInteger(), 65535);
    EXPECT_EQ(signedLong.value().toInteger(), -65535);
    EXPECT_EQ(asText.value().toText(), "65536");

    // A zero-terminated text keeps 1024 characters and the reading stays in step.
    ASSERT_EQ(table.ReadRecord(), Severity::Benign);
    EXPECT_EQ(text.value().toText(), std::string(1024, 'x'));
    EXPECT_EQ(signedLong.value().toInteger(), -65535);
    EXPECT_EQ(table.ReadRecord(), Severity::Notify); // kind 1: past the end of the source
}

TEST(ConstantTable, CountsAndTerminatorsEndTheTable) {
    Variable first(FieldType::cstring(10)), second(FieldType::shortInteger());
    ConstantTable table;
    table.Setup(ConstantTable::CountedByByte);
    table.DescribeItem(ConstantTable::LengthPrefixedText, first);
    table.SetSource(std::string(1, '\0') + lengthPrefixed("never"));
    EXPECT_EQ(table.ReadRecord(), Severity::Notify); // count byte 0

    table.Setup(ConstantTable::CountedByShort);
    table.DescribeItem(ConstantTable::LengthPrefixedText, first);
    table.SetSource(littleEndian16(2) + lengthPrefixed("a") + lengthPrefixed("b") +
                    lengthPrefixed("c"));
    EXPECT_EQ(table.ReadRecord(), Severity::Benign);
    EXPECT_EQ(table.ReadRecord(), Severity::Benign);
    EXPECT_EQ(table.ReadRecord(), Severity::Notify);
    EXPECT_EQ(first.value().toText(), "b");

    table.Setup(ConstantTable::TerminatorValue);
    table.TERMINATORVALUE = "END";
    table.DescribeItem(ConstantTable::LengthPrefixedText, first);
    table.DescribeItem(ConstantTable::SignedShort, second);
    table.SetSource(lengthPrefixed("one") + littleEndian16(1) + lengthPrefixed("END") +
                    littleEndian16(99) + lengthPrefixed("two") + littleEndian16(2));
    EXPECT_EQ(table.ReadRecord(), Severity::Benign);
    EXPECT_EQ(table.ReadRecord(), Severity::Notify);
    EXPECT_EQ(first.value().toText(), "END");
    EXPECT_EQ(second.value().toInteger(), 1); // the terminating record's later items are unread
    EXPECT_EQ(table.ReadRecord(), Severity::Notify);
    EXPECT_EQ(first.value().toText(), "END");
}

TEST(ConstantTable, ASourceEndingInsideARecordEndsTheTable) {
    Variable name(FieldType::cstring(10)), number(FieldType::longInteger());
    ConstantTable table;
    table.Setup(ConstantTable::CountedByByte);
    table.DescribeItem(ConstantTable::LengthPrefixedText, name);
    table.DescribeItem(ConstantTable::SignedLong, number);
    std::string whole =
        std::string(1, char(3)) + lengthPrefixed("one") + std::string("\x01\x00\x00\x00", 4);
    // Every cut of the second record: the first reads, the cut one changes nothing.
    for (std::string tail : {"", "\x05", "\x03tw", "\x03two\x02\x00\x00"}) {
        table.SetSource(whole + tail);
        ASSERT_EQ(table.ReadRecord(), Severity::Benign);
        std::int32_t charPnt = table.CHARPNT;
        EXPECT_EQ(table.ReadRecord(), Severity::Notify) << tail;
        EXPECT_EQ(table.ReadRecord(), Severity::Notify);
        EXPECT_EQ(name.value().toText(), "one");
        EXPECT_EQ(number.value().toInteger(), 1);
        EXPECT_EQ(table.CHARPNT, charPnt);
    }
    // A count of two bytes with only one present reads as no records.
    table.Setup(ConstantTable::CountedByShort);
    table.DescribeItem(ConstantTable::UnsignedByte, number);
    table.SetSource("\x05");
    EXPECT_EQ(table.ITEMS, 0);
    EXPECT_EQ(table.ReadRecord(), Severity::Notify);

    // An unknown item type, or no items at all, cannot be read.
    table.Setup(ConstantTable::EndOfSource);
    table.DescribeItem(9, number);
    table.SetSource("abc");
    EXPECT_EQ(table.ReadRecord(), Severity::Notify);
    table.Setup(ConstantTable::EndOfSource);
    table.SetSource("abc");
    EXPECT_EQ(table.ReadRecord(), Severity::Notify);
}

} // namespace
