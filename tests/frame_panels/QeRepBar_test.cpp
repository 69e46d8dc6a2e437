#include "frame/panels/QeRepBar.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(QeRepBarTest, EachFormatHasItsBarThatKeepsTheLimitAndLoadsNothing) {
    for (ReplayFormat format : {ReplayFormat::First, ReplayFormat::Second}) {
        std::unique_ptr<CReplayBarSeam> made(MakeQeRepBar(format));
        auto* bar = dynamic_cast<CQeRepBar*>(made.get());
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->GetFormat(), format);
        EXPECT_EQ(format == ReplayFormat::First, dynamic_cast<CQeRepBarV1*>(bar) != nullptr);
        EXPECT_EQ(bar->GetLimitValue(), 10000);
        bar->SetLimitValue(5000);
        EXPECT_EQ(bar->GetLimitValue(), 5000);
        // No replay format exists: nothing is opened, nothing is shown.
        EXPECT_EQ(bar->LoadReplay("game.rep"), 0);
        EXPECT_EQ(bar->LoadReplay(nullptr), 0);
        EXPECT_EQ(bar->GetPeer(), nullptr);
        EXPECT_EQ(bar->GetChildCount(), 0u);
    }
}

}  // namespace
