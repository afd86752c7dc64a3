#include "runtime/base/Queue.h"
#include "runtime/base/RuntimeErrors.h"

#include <gtest/gtest.h>

#include <cstring>

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

// A browse-like row: short texts with long blank tails, a zero-terminated text, numbers,
// and a wide position text.
SharedLayout browseRow() {
    return std::make_shared<RecordLayout>(RecordLayout{
        {"R:NUMBER", FieldType::text(10)},
        {"R:PICTURE", FieldType::cstring(256)},
        {"R:ID", FieldType::longInteger()},
        {"R:POSITION", FieldType::text(1024)},
    });
}

std::string rowImage(const Queue& q, std::size_t row) {
    return std::string(reinterpret_cast<const char*>(q.entry(row)), q.buffer().size());
}

// Rows are kept packed: every row comes back byte for byte whatever its runs (none, at
// either end, the whole row, a run of a byte that is not blank, runs just shorter and
// longer than worth packing), rows written over with longer and shorter contents keep
// their neighbours, and the store sheds what removed and rewritten rows left behind.
TEST(Queue, PackedRowsComeBackByteForByte) {
    Queue q(browseRow());
    std::vector<std::string> images;
    for (int i = 0; i < 300; ++i) {
        q.buffer().clear();
        q.buffer().field(1).assign(std::to_string(i));
        q.buffer().field(2).assign(std::string(static_cast<std::size_t>(i % 40), 'x') + "y");
        q.buffer().field(3).assign(i * 7919);
        std::string position(static_cast<std::size_t>(i * 3 % 1024),
                             static_cast<char>('a' + i % 3));
        if (i % 5 == 0)
            position = std::string(1024, '\x01');
        if (i % 7 == 0)
            position = std::string(7, 'q') + "r" + std::string(9, 'q') + "r";
        q.buffer().field(4).assign(position);
        q.add();
        images.push_back(rowImage(q, q.count()));
        ASSERT_EQ(images.back(),
                  std::string(reinterpret_cast<const char*>(q.buffer().data()), q.buffer().size()));
    }
    EXPECT_LT(q.storedBytes(), 300u * q.buffer().size() / 3);

    // Rewrite every third row longer, remove every fourth, then check them all.
    for (std::size_t row = q.count(); row >= 1; --row) {
        ASSERT_TRUE(q.get(row));
        if (row % 4 == 0) {
            q.remove();
            images.erase(images.begin() + static_cast<std::ptrdiff_t>(row - 1));
        } else if (row % 3 == 0) {
            q.buffer().field(4).assign(std::string(1000, 'z') + "end");
            q.put();
            images[row - 1] =
                std::string(reinterpret_cast<const char*>(q.buffer().data()), q.buffer().size());
        }
    }
    ASSERT_EQ(q.count(), images.size());
    for (std::size_t row = 1; row <= q.count(); ++row) {
        ASSERT_EQ(rowImage(q, row), images[row - 1]) << "row " << row;
        ASSERT_TRUE(q.get(row));
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(q.buffer().data()), q.buffer().size()),
                  images[row - 1]);
    }

    // Rows of random runs, one to twenty bytes long, in every place of the row (its last
    // bytes among them): each comes back as it went in.
    Queue runs(std::make_shared<RecordLayout>(RecordLayout{{"Q:BYTES", FieldType::text(61)}}));
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % below;
    };
    std::vector<std::string> written;
    for (int i = 0; i < 2000; ++i) {
        std::string bytes;
        while (bytes.size() < 61)
            bytes.append(1 + next(20), static_cast<char>('a' + next(3)));
        bytes.resize(61);
        std::memcpy(runs.buffer().data(), bytes.data(), bytes.size());
        runs.add();
        written.push_back(bytes);
    }
    for (std::size_t row = 1; row <= runs.count(); ++row)
        ASSERT_EQ(rowImage(runs, row), written[row - 1]) << "row " << row;

    // Two entries read at once both stay readable.
    TypedRef first = q.entryField(1, 1);
    TypedRef second = q.entryField(2, 1);
    EXPECT_EQ(clip(first.text()), "0");
    EXPECT_EQ(clip(second.text()), "1");
}

} // namespace
