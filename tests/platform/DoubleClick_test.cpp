#include "platform/DoubleClick.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using platform::DoubleClickRule;

constexpr platform::WindowId kWindow = 7;
constexpr int kLeft = 1;

TEST(DoubleClickRule, TheSecondPressMustComeWithinTheDoubleClickTime) {
    EXPECT_EQ(platform::GetDoubleClickTime(), 500u);
    DoubleClickRule rule;
    EXPECT_FALSE(rule.Press(kWindow, kLeft, 1000, 10, 10));
    EXPECT_TRUE(rule.Press(kWindow, kLeft, 1499, 10, 10));

    EXPECT_FALSE(rule.Press(kWindow, kLeft, 2000, 10, 10));
    EXPECT_FALSE(rule.Press(kWindow, kLeft, 2500, 10, 10)) << "500 ms is too late";
    EXPECT_TRUE(rule.Press(kWindow, kLeft, 2600, 10, 10)) << "the late press began a new pair";

    // The clock may wrap between the two presses.
    EXPECT_FALSE(rule.Press(kWindow, kLeft, 0xFFFFFF00u, 10, 10));
    EXPECT_TRUE(rule.Press(kWindow, kLeft, 0x40, 10, 10));
}

TEST(DoubleClickRule, TheBoxReachesTwoPixelsEachWayAndForgettingEndsThePair) {
    DoubleClickRule rule;
    for (const auto& [dx, dy, pairs] : {std::tuple{2, -2, true}, std::tuple{-2, 2, true},
                                        std::tuple{3, 0, false}, std::tuple{0, -3, false}}) {
        EXPECT_FALSE(rule.Press(kWindow, kLeft, 100, 40, 40));
        EXPECT_EQ(rule.Press(kWindow, kLeft, 200, 40 + dx, 40 + dy), pairs) << dx << ", " << dy;
        rule.Forget();
    }
    EXPECT_FALSE(rule.Press(kWindow, kLeft, 100, 40, 40));
    rule.Forget();
    EXPECT_FALSE(rule.Press(kWindow, kLeft, 150, 40, 40));
}

}  // namespace
