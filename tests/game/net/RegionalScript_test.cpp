// The test server's regional script against a bare connection: the frame's
// answers it keeps, the regional answers, and the scripted hand in the
// order and with the fields the client is told, with and without the own
// turn.

#include "tools/test_server/RegionalScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/net/FrameRequests.h"
#include "game/net/RegionalConnection.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/zep/SocketTestSupport.h"
#include "zep/ZepSocketUtils.h"

namespace {

namespace tp = table_protocol;
using testserver::RegionalScript;

constexpr uint32_t kWaitMs = 10000;

RegionalScript::Options QuickOptions(bool ownTurn) {
    RegionalScript::Options options;
    options.ownTurn = ownTurn;
    options.startAfterMs = 10;
    options.dealMs = 10;
    options.swapWaitMs = 300;
    options.swapDiceMs = 10;
    options.stepMs = 10;
    options.claimMs = 10;
    options.ownActionMs = kWaitMs;
    return options;
}

class RegionalScriptTest : public ::testing::Test {
protected:
    void Start(bool ownTurn) {
        ZepRegisterSocketWindowClass();
        script = std::make_unique<RegionalScript>(server, QuickOptions(ownTurn));
        ASSERT_TRUE(server.Start());
        connection.SetupTransform();
        connection.SetNotifyThread(owner.Id());
        int proxyFailed = 0;
        ASSERT_EQ(connection.ConnectServer("", "127.0.0.1", server.Port(), proxyFailed), 1);
        ASSERT_TRUE(server.WaitForClients(1, kWaitMs));
    }
    // A waited request's result code (0 when it failed).
    uint32_t Ask(uint32_t id, std::span<const uint8_t> body,
                 std::vector<uint8_t>* reply = nullptr) {
        std::string text;
        uint32_t result = 0;
        std::vector<uint8_t> bytes;
        if (connection.ProcessRequest(text, id, body, result, bytes, 1) == 0) {
            return 0;
        }
        if (reply != nullptr) {
            *reply = bytes;
        }
        return result;
    }
    // The notifications that came, in order.
    std::vector<zeptest::Delivered> Received() { return owner.Received(); }
    std::vector<uint32_t> Ids() {
        std::vector<uint32_t> ids;
        for (const auto& delivered : Received()) {
            ids.push_back(delivered.code);
        }
        return ids;
    }
    std::vector<uint8_t> Body(size_t index) {
        const std::string data = Received().at(index).data;
        return {data.begin(), data.end()};
    }

    zeptest::OwnerThread owner;
    testserver::TestGameServer server;
    std::unique_ptr<RegionalScript> script;
    CRegionalConnection connection;
};

const std::vector<uint32_t> kHandIds = {
    211011, 201160, 211011, 201160, 211011, 201160, 211040, 229480, 229480, 229480, 222168,
    222170, 229160, 222170, 229160, 222170, 229185, 222170, 229195, 229160, 222170, 211080,
};

TEST_F(RegionalScriptTest, ItAnswersTheRegionalRequestsAndPlaysTheHandAfterTheEntry) {
    Start(false);
    // The frame's and the service's answers stay.
    EXPECT_EQ(Ask(frame_requests::kEnterGame, {}), frame_requests::kResultEntered);
    EXPECT_EQ(Ask(214010, std::vector<uint8_t>(16)), tp::kResultDone);
    // The own choice of three before the swap dice.
    tp::SwapThreeRequest choice;
    choice.chairTiles = {};
    choice.chairTiles[0] = 0;
    choice.chairTiles[1] = 1;
    choice.chairTiles[2] = 2;
    EXPECT_EQ(Ask(tp::kSwapThree, tp::WriteTableRecord(choice)), tp::kResultDone);
    std::vector<uint8_t> draw;
    EXPECT_EQ(Ask(tp::kOwnDraw, std::vector<uint8_t>(96), &draw), tp::kResultDone);
    EXPECT_EQ(draw.size(), 32u);
    EXPECT_EQ(tp::WordAt(draw, 1), RegionalScript::kOwnDrawTile);
    EXPECT_EQ(Ask(tp::kDiscard, std::vector<uint8_t>(64)), tp::kResultDone);

    ASSERT_TRUE(script->WaitForHandEnd(kWaitMs));
    ASSERT_TRUE(owner.WaitFor(kHandIds.size()));
    EXPECT_EQ(Ids(), kHandIds);

    tp::HandStartRecord start;
    ASSERT_TRUE(tp::ReadTableRecord(Body(6), start));
    EXPECT_EQ(start.banker, 3);
    EXPECT_EQ(start.startFlags & tp::kStartSwapPhase, tp::kStartSwapPhase);
    EXPECT_EQ(start.wildTiles[0], RegionalScript::kWildTile);
    EXPECT_EQ(start.wildIndicator, RegionalScript::kWildTile);
    EXPECT_EQ(start.reactionTime, RegionalScript::kClockSeconds);
    EXPECT_EQ(start.discardTime, RegionalScript::kClockSeconds);
    EXPECT_EQ(start.dice, (tp::Words<4>{4, 0, 0, 0}));
    std::vector<int32_t> own(start.ownTiles.begin(), start.ownTiles.begin() + 13);
    EXPECT_EQ(own, RegionalScript::OwnTiles());
    EXPECT_EQ(start.ownTiles[13], -1);

    tp::SwapDiceNotice dice;
    ASSERT_TRUE(tp::ReadTableRecord(Body(10), dice));
    EXPECT_EQ(dice.die, 4);
    EXPECT_EQ((std::vector<int32_t>(dice.given.begin(), dice.given.begin() + 3)),
              (std::vector<int32_t>{0, 1, 2}))
        << "the own choice is the own chair's part";
    const auto received = RegionalScript::OwnReceivedTiles();
    EXPECT_EQ((std::vector<int32_t>(dice.received.begin(), dice.received.begin() + 3)),
              (std::vector<int32_t>(received.begin(), received.end())));

    // Nobody asks the own seat to act: every option word is 0.
    for (size_t i : {11u, 13u, 15u, 17u, 20u}) {
        tp::CardThrownNotice thrown;
        ASSERT_TRUE(tp::ReadTableRecord(Body(i), thrown));
        EXPECT_EQ(thrown.chairOptions, tp::Words<8>{}) << i;
    }
    tp::CardThrownNotice third;
    ASSERT_TRUE(tp::ReadTableRecord(Body(15), third));
    EXPECT_EQ(third.thrower, 1);
    tp::OperationRecord peng;
    ASSERT_TRUE(tp::ReadTableRecord(Body(16), peng));
    EXPECT_EQ(peng.head.chair, 3);
    EXPECT_EQ(peng.offerChair, 1);
    EXPECT_EQ(peng.tile, third.tile);
    tp::OperationRecord gang;
    ASSERT_TRUE(tp::ReadTableRecord(Body(18), gang));
    EXPECT_EQ(gang.head.chair, 2);
    EXPECT_EQ(gang.offerChair, 3);
    tp::GameResultRecord result;
    ASSERT_TRUE(tp::ReadTableRecord(Body(21), result));
    EXPECT_EQ(result.winner, 1);
    EXPECT_EQ(result.discarder, 2);
}

TEST_F(RegionalScriptTest, TheOwnTurnWaitsForTheDrawAndTheThrowAndChair3PengsTheOwnTile) {
    Start(true);
    EXPECT_EQ(Ask(frame_requests::kEnterGame, {}), frame_requests::kResultEntered);
    // After chair 1's throw the script waits for the own draw and throw.
    ASSERT_TRUE(owner.WaitFor(16));
    EXPECT_EQ(Ids().back(), 222170u);
    EXPECT_FALSE(owner.WaitFor(17, 300));
    EXPECT_EQ(Ask(tp::kOwnDraw, std::vector<uint8_t>(96)), tp::kResultDone);
    tp::OperationRecord thrown;
    thrown.tile = RegionalScript::kOwnDrawTile;
    EXPECT_EQ(Ask(tp::kDiscard, tp::WriteTableRecord(thrown)), tp::kResultDone);
    ASSERT_TRUE(script->WaitForHandEnd(kWaitMs));
    ASSERT_TRUE(owner.WaitFor(kHandIds.size()));
    tp::OperationRecord peng;
    ASSERT_TRUE(tp::ReadTableRecord(Body(16), peng));
    EXPECT_EQ(peng.head.chair, 3);
    EXPECT_EQ(peng.offerChair, RegionalScript::kOwnChair);
    EXPECT_EQ(peng.tile, RegionalScript::kOwnDrawTile);
}

TEST_F(RegionalScriptTest, AStartRequestIsEchoedAndTheSilentOnesAreRecorded) {
    Start(false);
    tp::SeatStartedNotice started;
    started.head = {5001, 3, 4, 0};
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    connection.ProcessRequest(text, frame_requests::kStartGame, tp::WriteTableRecord(started),
                              result, reply, 0);
    connection.ProcessRequest(text, tp::kSeatBoardInfo, std::vector<uint8_t>(20), result, reply, 0);
    ASSERT_TRUE(owner.WaitFor(1));
    EXPECT_EQ(Received()[0].code, static_cast<uint32_t>(tp::kSeatStarted));
    EXPECT_EQ(Body(0), tp::WriteTableRecord(started));
    EXPECT_TRUE(script->Frame().WaitForCount(tp::kSeatBoardInfo, 1, kWaitMs));
}

}  // namespace
