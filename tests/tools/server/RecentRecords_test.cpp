#include "tools/test_server/RecentRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testserver::RecentRecords;

TEST(RecentRecords, KeepsTheNewestInOrderAndCountsEveryRecord) {
    RecentRecords<std::string> log(3);
    EXPECT_TRUE(log.Kept().empty());
    for (const char* record : {"a", "b", "c", "d", "e"}) {
        log.Add(record);
    }
    EXPECT_EQ(log.Kept(), (std::vector<std::string>{"c", "d", "e"}));
    EXPECT_EQ(log.Added(), 5u);
}

TEST(RecentRecords, KeepingNoneStillCounts) {
    RecentRecords<int> log(0);
    for (int k = 0; k < 10; ++k) {
        log.Add(k);
    }
    EXPECT_TRUE(log.Kept().empty());
    EXPECT_EQ(log.Added(), 10u);
}

}  // namespace
