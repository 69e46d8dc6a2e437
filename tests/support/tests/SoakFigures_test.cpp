// What a long run measures: the resident sizes' warm-up, end and growth per
// hand, a log read as it is written, and the server's closing count.

#include "tests/support/SoakFigures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/platform/TempFolder.h"
#include "tests/support/ChildProcess.h"

namespace {

using test_support::HandsDone;
using test_support::LogFollower;
using test_support::ParseHandsDone;
using test_support::ResidentSeries;

TEST(ResidentSeries, GrowthIsTheSlopeFromTheWarmUpOn) {
    ResidentSeries series(test_support::WarmUpHands(40));
    EXPECT_EQ(test_support::WarmUpHands(40), 2);
    EXPECT_EQ(test_support::WarmUpHands(10000), 500);
    EXPECT_EQ(series.AfterWarmUp(), std::nullopt);
    EXPECT_EQ(series.GrowthPerHand(), 0.0);
    // The first hand fills caches: far below the rest, and left out.
    series.Add(1, 1000);
    for (int hand = 2; hand <= 40; ++hand) {
        // 3 KB a hand, with a wobble that the fit evens out.
        series.Add(hand, 50000 + 3 * static_cast<uint64_t>(hand) + (hand % 2 == 0 ? 4 : 0));
    }
    EXPECT_EQ(series.AfterWarmUp(), 50010u);
    EXPECT_EQ(series.AtEnd(), 50124u);
    EXPECT_NEAR(series.GrowthPerHand(), 3.0, 0.01);
}

TEST(ResidentSeries, AShortRunIsFittedWholeAndAFlatOneDoesNotGrow) {
    ResidentSeries shortRun(5);
    shortRun.Add(1, 100);
    shortRun.Add(2, 110);
    EXPECT_EQ(shortRun.AfterWarmUp(), 110u);
    EXPECT_DOUBLE_EQ(shortRun.GrowthPerHand(), 10.0);

    ResidentSeries flat(2);
    for (int hand = 1; hand <= 10; ++hand) {
        flat.Add(hand, 7000);
    }
    EXPECT_DOUBLE_EQ(flat.GrowthPerHand(), 0.0);
    // Samples of one hand only give no slope.
    ResidentSeries oneHand(1);
    oneHand.Add(3, 10);
    oneHand.Add(3, 20);
    EXPECT_DOUBLE_EQ(oneHand.GrowthPerHand(), 0.0);
}

TEST(LogFollower, HandsOutWholeLinesOnceAsTheyAreWritten) {
    TempFolder folder;
    const std::string file = folder / "server.log";
    LogFollower log(file);
    EXPECT_TRUE(log.NewLines().empty()) << "no file yet";
    std::ofstream out(file, std::ios::binary);
    out << "listening on 127.0.0.1:5000\n12 notify 2110" << std::flush;
    EXPECT_EQ(log.NewLines(), std::vector<std::string>{"listening on 127.0.0.1:5000"});
    EXPECT_TRUE(log.NewLines().empty());
    out << "80 620 00\n13 in 201160 16 00\n" << std::flush;
    EXPECT_EQ(log.NewLines(),
              (std::vector<std::string>{"12 notify 211080 620 00", "13 in 201160 16 00"}));
    out.close();
    // A file written again from its start is read again from there.
    std::ofstream(file, std::ios::binary) << "a\n";
    EXPECT_EQ(log.NewLines(), std::vector<std::string>{"a"});
}

TEST(HandsDoneLine, IsReadOnlyWhenWhole) {
    const std::optional<HandsDone> done = ParseHandsDone("123 hands done 40, protocol errors 0");
    ASSERT_TRUE(done.has_value());
    EXPECT_EQ(done->hands, 40);
    EXPECT_EQ(done->protocolErrors, 0);
    EXPECT_EQ(ParseHandsDone("hands done 3, protocol errors 12")->protocolErrors, 12);
    EXPECT_EQ(ParseHandsDone("hands done 3"), std::nullopt);
    EXPECT_EQ(ParseHandsDone("hands done x, protocol errors 1"), std::nullopt);
    EXPECT_EQ(ParseHandsDone("hands done -1, protocol errors 1"), std::nullopt);
    EXPECT_EQ(ParseHandsDone("hands done 3, protocol errors 99999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseHandsDone("12 notify 211080 620 00"), std::nullopt);
}

TEST(OwnResidentSize, IsRead) {
    const std::optional<uint64_t> size = test_support::OwnResidentKilobytes();
    ASSERT_TRUE(size.has_value());
    EXPECT_GT(*size, 0u);
}

}  // namespace
