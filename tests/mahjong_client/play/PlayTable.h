#pragma once
// The ground of the hand-flow tests: the headless table scene of
// PlayScene.h as a GoogleTest fixture.

#include <gtest/gtest.h>

#include "tests/mahjong_client/play/PlayScene.h"

namespace play_test {

class PlayTableTest : public ::testing::Test, protected PlayScene {
protected:
    void SetUp() override { ASSERT_TRUE(Open()); }
    void TearDown() override { Close(); }
    void Launch(bool lookOn) { ASSERT_TRUE(LaunchTable(lookOn)); }
    void StartHand(const HandStart& start) { ASSERT_TRUE(DealHand(start)); }
};

}  // namespace play_test
