#include "tools/test_server/RecentRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testserver::RecentRecords;

TEST(RecentRecords, KeepsTheNewestInOrderAndCountsEveryRecord) {
    RecentRecords<std::string> log(3);
    EXPECT_TRUE(log.Kept().empty());
    EXPECT_EQ(log.Last(), nullptr);
    for (const char* record : {"a", "b", "c", "d", "e"}) {
        log.Add(record);
    }
    EXPECT_EQ(log.Kept(), (std::vector<std::string>{"c", "d", "e"}));
    ASSERT_NE(log.Last(), nullptr);
    EXPECT_EQ(*log.Last(), "e");
    EXPECT_EQ(log.Added(), 5u);

    log.Clear();
    EXPECT_TRUE(log.Kept().empty());
    EXPECT_EQ(log.Added(), 0u);
    log.Add("f");
    EXPECT_EQ(log.Kept(), std::vector<std::string>{"f"});
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
