#include "runtime/base/Queue.h"
#include "runtime/base/RuntimeErrors.h"

#include <gtest/gtest.h>

using namespace host;

namespace {

SharedLayout nameAndNumber() {
    return std::make_shared<RecordLayout>(RecordLayout{
        {"Q:NAME", FieldType::text(10)},
        {"Q:NUMBER", FieldType::longInteger()},
    });
}

void addRow(Queue& q, const char* name, int number) {
    q.buffer().field(1).assign(name);
    q.buffer().field(2).assign(number);
    q.add();
}

std::string names(Queue& q) {
    std::string all;
    for (std::size_t i = 1; i <= q.count(); ++i) {
        q.get(i);
        all += clip(q.buffer().field(1).text()) + ",";
    }
    return all;
}

TEST(Queue, AddGetPutRemoveKeepPositions) {
    Queue q(nameAndNumber());
    addRow(q, "b", 2);
    addRow(q, "c", 3);
    q.buffer().field(1).assign("a");
    q.add(1);
    EXPECT_EQ(q.position(), 1u);
    EXPECT_EQ(names(q), "a,b,c,");

    ASSERT_TRUE(q.get(2));
    q.buffer().field(2).assign(20);
    ASSERT_TRUE(q.put());
    EXPECT_EQ(q.entryField(2, 2).integer(), 20);

    ASSERT_TRUE(q.remove());
    EXPECT_EQ(q.count(), 2u);
    EXPECT_EQ(names(q), "a,c,");

    EXPECT_FALSE(q.get(3));
    EXPECT_EQ(errorCode(), errors::entryNotFound);
    EXPECT_TRUE(q.get(1));
    EXPECT_EQ(errorCode(), 0);

    q.free();
    EXPECT_EQ(q.count(), 0u);
    EXPECT_FALSE(q.put());
}

TEST(Queue, SortsOnSeveralFieldsAndAddsInKeyOrder) {
    Queue q(nameAndNumber());
    addRow(q, "b", 1);
    addRow(q, "a", 2);
    addRow(q, "b", 3);
    addRow(q, "a", 1);
    q.sort({{1, false}, {2, true}});
    EXPECT_EQ(names(q), "a,a,b,b,");
    EXPECT_EQ(q.entryField(1, 2).integer(), 2);
    EXPECT_EQ(q.entryField(3, 2).integer(), 3);

    q.sort({{2, false}});
    q.buffer().field(1).assign("z");
    q.buffer().field(2).assign(2);
    q.add(std::vector<QueueKey>{{2, false}});
    EXPECT_EQ(q.position(), 4u); // after the equal entries with number 2
    EXPECT_EQ(q.entryField(4, 1).text().substr(0, 1), "z");

    q.buffer().field(2).assign(3);
    ASSERT_TRUE(q.get(std::vector<QueueKey>{{2, false}}));
    EXPECT_EQ(clip(q.buffer().field(1).text()), "b");
    q.buffer().field(2).assign(99);
    EXPECT_FALSE(q.get(std::vector<QueueKey>{{2, false}}));
    EXPECT_EQ(errorCode(), errors::entryNotFound);
}

} // namespace
