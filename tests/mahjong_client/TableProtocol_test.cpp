#include "mahjong_client/TableProtocol.h"

#include <gtest/gtest.h>

namespace {

using namespace table_protocol;

TEST(TableProtocol, OperationRecordIsSixtyFourBytes) {
    OperationRecord record;
    record.head.chair = 2;
    record.tile = 17;
    const std::vector<uint8_t> bytes = WriteTableRecord(record);
    ASSERT_EQ(bytes.size(), 64u);
    EXPECT_EQ(WordAt(bytes, 3), 2);
    EXPECT_EQ(WordAt(bytes, 5), 17);
}

}  // namespace
