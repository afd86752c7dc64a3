#include "framework/data/BufferedPairList.h"
#include "framework/data/FieldPairList.h"

#include <gtest/gtest.h>

using namespace framework;
using host::FieldType;
using host::Variable;

namespace {

TEST(FieldPairList, CopiesConvertAndBlanksFollowTheType) {
    Variable name(FieldType::text(10)), nameColumn(FieldType::cstring(31));
    Variable number(FieldType::longInteger()), numberColumn(FieldType::cstring(12));
    FieldPairList fields;
    fields.Setup();
    EXPECT_TRUE(fields.SameLeftRight()); // empty
    fields.PairUp(name, nameColumn);
    fields.PairUp(number, numberColumn);

    name.assign("Smith");
    number.assign(42);
    EXPECT_FALSE(fields.SameLeftRight());
    fields.LeftToRight();
    EXPECT_EQ(nameColumn.value().toText(), "Smith     "); // the host's assignment
    EXPECT_EQ(numberColumn.value().toText(), "42");       // a number arrives as its text
    EXPECT_TRUE(fields.SameLeftRight());

    numberColumn.assign("0043");
    EXPECT_FALSE(fields.SameLeftRight());
    fields.RightToLeft();
    EXPECT_EQ(number.value().toInteger(), 43);

    fields.BlankLeft();
    EXPECT_EQ(name.value().toText(), std::string(10, ' '));
    EXPECT_EQ(number.value().toInteger(), 0);
    fields.BlankRight();
    EXPECT_EQ(nameColumn.value().toText(), "");
    EXPECT_TRUE(fields.SameLeftRight()); // blank text equals empty text, 0 equals ""

    fields.Teardown();
    fields.Teardown();
    EXPECT_TRUE(fields.SameLeftRight());
}

TEST(FieldPairList, PrivateCopiesRememberWatchedValues) {
    std::vector<Variable> watched(40, Variable(FieldType::shortInteger()));
    FieldPairList resets;
    resets.Setup();
    for (std::size_t i = 0; i < watched.size(); ++i) {
        watched[i].assign(static_cast<int>(i));
        resets.PairWithCopy(watched[i]); // the copies must survive the list growing
    }
    EXPECT_TRUE(resets.SameLeftRight());

    watched[0].assign(99);
    EXPECT_FALSE(resets.SameLeftRight());
    resets.RightToLeft();
    EXPECT_EQ(watched[0].value().toInteger(), 0);
    watched[39].assign(-1);
    resets.LeftToRight();
    EXPECT_EQ(resets.LIST[39].RIGHT.value().toInteger(), -1);
    EXPECT_TRUE(resets.SameLeftRight());
}

TEST(BufferedPairList, BufferRemembersAndRestores) {
    Variable a(FieldType::cstring(11)), b(FieldType::shortInteger());
    a.assign("00042");
    b.assign(7);
    BufferedPairList links;
    links.Setup();
    links.PairUp(a, b);
    EXPECT_EQ(b.value().toInteger(), 7); // PairUp leaves the right side alone

    links.LeftToBuffer();                // stored in the right side's type
    EXPECT_TRUE(links.SameLeftBuffer()); // "00042" and 42 compare as numbers
    a.assign("51");
    EXPECT_FALSE(links.SameLeftBuffer());
    links.BufferToLeft();
    EXPECT_EQ(a.value().toText(), "42");
    EXPECT_TRUE(links.SameLeftBuffer());

    EXPECT_FALSE(links.SameRightBuffer());
    links.RightToBuffer();
    EXPECT_TRUE(links.SameRightBuffer());
    b.assign(8);
    EXPECT_FALSE(links.SameRightBuffer());
    links.BufferToRight();
    EXPECT_EQ(b.value().toInteger(), 7);

    links.Teardown();
    links.Teardown();
    EXPECT_TRUE(links.SameLeftBuffer() && links.SameRightBuffer() && links.SameLeftRight());
}

} // namespace
