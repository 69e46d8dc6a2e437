#include "engine/ByteBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Content(CByteBuffer& buffer) {
    return std::string(reinterpret_cast<const char*>(buffer.GetData()),
                       static_cast<size_t>(buffer.GetSize()));
}

TEST(ByteBufferTest, GrowthDoublesAndKeepsTheContent) {
    CByteBuffer buffer;
    EXPECT_EQ(buffer.GetCapacity(), 32);
    const std::string first(31, 'a');
    EXPECT_EQ(buffer.Append(first.data(), 31), 31);
    EXPECT_EQ(buffer.GetCapacity(), 32);
    EXPECT_EQ(buffer.Append("b", 1), 32);  // size + n reaches the capacity
    EXPECT_EQ(buffer.GetCapacity(), 64);

    std::string expected = first + "b";
    for (int i = 0; i < 20; ++i) {
        const std::string piece(17, static_cast<char>('c' + i));
        buffer.Append(piece.data(), 17);
        expected += piece;
    }
    EXPECT_EQ(Content(buffer), expected);
    EXPECT_EQ(buffer.GetCapacity(), 512);
    EXPECT_EQ(buffer.GetData()[buffer.GetSize()], 0);  // new bytes are zeroed
}

TEST(ByteBufferTest, SeekAndGetAtStopAtTheSize) {
    CByteBuffer buffer;
    buffer.Append("abcdef", 6);
    EXPECT_EQ(buffer.GetAt(6), buffer.GetData() + 6);
    EXPECT_EQ(buffer.GetAt(7), nullptr);
    EXPECT_EQ(buffer.GetAt(-1), nullptr);

    buffer.Seek(100);  // stops at the size
    buffer.Append("g", 1);
    EXPECT_EQ(Content(buffer), "abcdefg");

    // Writing after a Seek backwards overwrites, and still counts as appended.
    buffer.Seek(1);
    EXPECT_EQ(buffer.Append("XY", 2), 9);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.GetData()), 7), "aXYdefg");
}

TEST(ByteBufferTest, SkipPastTheSizeThenAppendStaysInside) {
    CByteBuffer buffer;
    buffer.Append("0123456789", 10);
    buffer.Skip(1000);
    const std::vector<char> block(40, 'z');
    EXPECT_EQ(buffer.Append(block.data(), 40), 50);
    EXPECT_EQ(Content(buffer), "0123456789" + std::string(40, 'z'));
    buffer.Seek(0);
    buffer.Skip(-5);
    buffer.Append("!", 1);
    EXPECT_EQ(buffer.GetData()[0], '!');
}

TEST(ByteBufferTest, ClearZeroesAndBadAppendsChangeNothing) {
    CByteBuffer buffer;
    const std::string text(100, 'q');
    buffer.Append(text.data(), 100);
    const int capacity = buffer.GetCapacity();
    buffer.Clear();
    EXPECT_EQ(buffer.GetSize(), 0);
    EXPECT_EQ(buffer.GetCapacity(), capacity);
    EXPECT_EQ(buffer.GetData()[50], 0);
    buffer.Append("r", 1);
    EXPECT_EQ(Content(buffer), "r");

    EXPECT_EQ(buffer.Append("x", -1), -1);
    EXPECT_EQ(buffer.Append(nullptr, 4), -1);
    EXPECT_EQ(buffer.Append("x", 0x7FFFFFFF), -1);
    EXPECT_EQ(Content(buffer), "r");
}

}  // namespace
