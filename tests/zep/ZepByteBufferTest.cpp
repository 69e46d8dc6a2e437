#include "zep/ZepByteBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

namespace {

std::string Contents(const ZepByteBuffer& buffer) {
    if (buffer.GetSize() == 0) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize());
}

std::string Text(size_t n, char first) {
    std::string text(n, ' ');
    for (size_t i = 0; i < n; ++i) {
        text[i] = static_cast<char>(first + i % 26);
    }
    return text;
}

TEST(ZepByteBufferTest, GrowsInWholeKilobytesKeepingContent) {
    ZepByteBuffer buffer;
    EXPECT_EQ(buffer.GetCapacity(), 0u);
    EXPECT_EQ(buffer.GetData(), nullptr);

    const std::string first = Text(1025, 'a');
    EXPECT_EQ(buffer.Append(first.data(), first.size()), 1025u);
    EXPECT_EQ(buffer.GetCapacity(), 2048u);
    const std::string second = Text(1023, 'A');
    buffer.Append(second.data(), second.size());
    EXPECT_EQ(buffer.GetCapacity(), 2048u);  // exactly full
    buffer.Append("!", 1);
    EXPECT_EQ(buffer.GetCapacity(), 3072u);
    EXPECT_EQ(Contents(buffer), first + second + "!");

    buffer.Clear();
    EXPECT_EQ(buffer.GetSize(), 0u);
    EXPECT_EQ(buffer.GetCapacity(), 3072u);  // never shrinks
    ZepByteBuffer empty;
    empty.Clear();
    EXPECT_EQ(empty.GetCapacity(), 1024u);
}

TEST(ZepByteBufferTest, PrependMovesTheDataUpAlsoAcrossGrowth) {
    ZepByteBuffer buffer;
    buffer.Append("world", 5);
    EXPECT_EQ(buffer.Prepend("hello ", 6), 6u);
    EXPECT_EQ(Contents(buffer), "hello world");

    ZepByteBuffer full;
    const std::string tail = Text(1020, 'a');
    full.Append(tail.data(), tail.size());
    EXPECT_EQ(full.Prepend("0123456789", 10), 10u);
    EXPECT_EQ(full.GetCapacity(), 2048u);
    EXPECT_EQ(Contents(full), "0123456789" + tail);
}

TEST(ZepByteBufferTest, ReadAndConsumeTakeUpToTheSizeAndRefuseAboveTheCapacity) {
    ZepByteBuffer buffer;
    buffer.Append("abcdefgh", 8);
    char out[2048] = {};
    EXPECT_EQ(buffer.Read(out, 3), 3u);
    EXPECT_EQ(std::string(out, 3), "abc");
    EXPECT_EQ(buffer.Consume(2), 2u);
    EXPECT_EQ(Contents(buffer), "fgh");

    EXPECT_EQ(buffer.Read(out, 1025), 0u);  // capacity is 1024
    EXPECT_EQ(buffer.Consume(1025), 0u);
    EXPECT_EQ(buffer.Read(nullptr, 1), 0u);
    EXPECT_EQ(Contents(buffer), "fgh");

    EXPECT_EQ(buffer.Read(out, 1024), 3u);  // more than the size: what there is
    EXPECT_EQ(std::string(out, 3), "fgh");
    buffer.Append("xyz", 3);
    EXPECT_EQ(buffer.Consume(1000), 3u);
    EXPECT_EQ(buffer.GetSize(), 0u);
}

TEST(ZepByteBufferTest, ReserveRoundsUpAndRefusesImpossibleSizes) {
    ZepByteBuffer buffer;
    buffer.Append("keep", 4);
    EXPECT_TRUE(buffer.Reserve(5000));
    EXPECT_EQ(buffer.GetCapacity(), 5120u);
    EXPECT_TRUE(buffer.Reserve(10));
    EXPECT_EQ(buffer.GetCapacity(), 5120u);

    constexpr size_t kHuge = std::numeric_limits<size_t>::max();
    EXPECT_FALSE(buffer.Reserve(kHuge));
    EXPECT_EQ(buffer.Append("x", kHuge), 0u);
    EXPECT_EQ(buffer.Prepend("x", kHuge - 1), 0u);
    EXPECT_EQ(buffer.Append(nullptr, 5), 0u);
    EXPECT_EQ(buffer.GetCapacity(), 5120u);
    EXPECT_EQ(Contents(buffer), "keep");
}

TEST(ZepByteBufferTest, GetDataPastTheSizeIsNullAndMoveEmptiesTheSource) {
    ZepByteBuffer buffer;
    buffer.Append("abc", 3);
    EXPECT_EQ(*buffer.GetData(2), 'c');
    EXPECT_EQ(buffer.GetData(3), buffer.GetData() + 3);
    EXPECT_EQ(buffer.GetData(4), nullptr);
    EXPECT_EQ(buffer.GetData(1000), nullptr);  // inside the block, past the data

    ZepByteBuffer target(std::move(buffer));
    EXPECT_EQ(Contents(target), "abc");
    EXPECT_EQ(buffer.GetCapacity(), 0u);
    EXPECT_EQ(buffer.GetData(), nullptr);
}

}  // namespace

TEST(ZepByteBufferTest, ExtendGivesRoomBehindTheDataOrNothing) {
    ZepByteBuffer buffer;
    buffer.Append("ab", 2);
    uint8_t* room = buffer.Extend(2000);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room, buffer.GetData(2));
    EXPECT_EQ(buffer.GetSize(), 2002u);
    EXPECT_EQ(buffer.GetCapacity(), 2048u);
    std::memset(room, 'c', 2000);
    EXPECT_EQ(Contents(buffer), "ab" + std::string(2000, 'c'));

    EXPECT_EQ(buffer.Extend(0), nullptr);
    EXPECT_EQ(buffer.Extend(std::numeric_limits<size_t>::max() - 1), nullptr);
    EXPECT_EQ(buffer.GetSize(), 2002u);
}
