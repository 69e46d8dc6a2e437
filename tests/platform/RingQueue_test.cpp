#include "platform/RingQueue.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <random>

namespace platform {
namespace {

// Pushes, pops and erasures at random, the ring wrapping and growing while
// it holds elements: it must keep the same order as a deque doing the same.
TEST(RingQueueTest, KeepsTheOrderOfADequeThroughWrapsGrowthAndErasures) {
    RingQueue<int> ring;
    std::deque<int> oracle;
    std::mt19937 random(7);
    int next = 0;
    for (int step = 0; step < 20000; ++step) {
        const auto action = random() % 10;
        if (action < 5) {
            ring.push_back(next);
            oracle.push_back(next);
            ++next;
        } else if (action < 9) {
            if (!oracle.empty()) {
                ASSERT_EQ(ring.front(), oracle.front());
                ring.pop_front();
                oracle.pop_front();
            }
        } else {
            const int divisor = static_cast<int>(random() % 5) + 2;
            const size_t removed = ring.EraseIf([&](int v) { return v % divisor == 0; });
            EXPECT_EQ(removed, std::erase_if(oracle, [&](int v) { return v % divisor == 0; }));
        }
        ASSERT_EQ(ring.size(), oracle.size());
        ASSERT_EQ(ring.empty(), oracle.empty());
        for (size_t place = 0; place < oracle.size(); ++place) {
            ASSERT_EQ(ring[place], oracle[place]) << "step " << step << " place " << place;
        }
    }
}

TEST(RingQueueTest, PoppedErasedAndClearedSlotsLetGoOfWhatTheyHeld) {
    RingQueue<std::shared_ptr<int>> ring;
    const auto kept = std::make_shared<int>(1);
    const auto popped = std::make_shared<int>(2);
    const auto erased = std::make_shared<int>(3);
    ring.push_back(popped);
    ring.push_back(kept);
    ring.push_back(erased);
    ring.pop_front();
    EXPECT_EQ(popped.use_count(), 1);
    EXPECT_EQ(ring.EraseIf([&](const std::shared_ptr<int>& p) { return p == erased; }), 1u);
    EXPECT_EQ(erased.use_count(), 1);
    ASSERT_EQ(ring.size(), 1u);
    EXPECT_EQ(ring.front(), kept);
    ring.clear();
    EXPECT_TRUE(ring.empty());
    EXPECT_EQ(kept.use_count(), 1);
    ring.push_back(kept);  // usable again after clear
    EXPECT_EQ(ring.front(), kept);
}

}  // namespace
}  // namespace platform
