// The regional table's peng and gang claims: the records they send, what
// each result leaves on the table, and the replacement tile of a gang.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Input.h"
#include "tests/game/claims/ClaimsScene.h"
#include "zep/ZepWire.h"

namespace claims_test {
namespace {

constexpr int kThrower = 1;
constexpr int32_t kThrown = 40;  // 49, 58 and 67 are the other tiles of its face

// The document's example record of a request id: its words as bytes.
std::vector<uint8_t> DocumentVector(uint32_t id) {
    std::ifstream in(std::filesystem::path(PVBN_SOURCE_DIR) / "docs" / "table-protocol.md");
    std::string line;
    const std::string prefix = std::to_string(id) + " ";
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) != 0 || line.find(':') == std::string::npos) {
            continue;
        }
        std::vector<uint8_t> bytes(std::stoul(line.substr(prefix.size())), 0);
        std::stringstream words(line.substr(line.find(':') + 1));
        std::string token;
        size_t at = 0;
        while (words >> token) {
            if (token.front() == '"') {
                const std::string text = token.substr(1, token.size() - 2);
                std::copy(text.begin(), text.end(), bytes.begin() + static_cast<long>(at));
                at += 32;
                continue;
            }
            ZepWireWriter(std::span(bytes).subspan(at, 4)).WriteI32(std::stoi(token));
            at += 4;
        }
        return bytes;
    }
    ADD_FAILURE() << "no example record for " << id;
    return {};
}

class ClaimsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scene.OpenWithHand()); }

    ClaimsView& View() { return scene.View(); }

    // Chair 1 threw 40; the own hand holds its face's other three.
    void OfferThrownTile() {
        scene.FillOwnRow({49, 58, 67, 80, 90});
        for (int kind : {kOpPeng, kOpGang}) {
            OperationOffer& offer = View().GetOffer(kind);
            offer.chair = kThrower;
            offer.tile = kThrown;
            offer.tiles.fill(-1);
            offer.tiles[0] = 49;
            offer.tiles[1] = 58;
            if (kind == kOpGang) {
                offer.tiles[2] = 67;
            }
            offer.offered = 1;
        }
        View().MoveTurnIndicator(View().GetTurnDirection(), 2 * View().ChairToPosition(kThrower));
    }

    ClaimsScene scene;
};

TEST_F(ClaimsTest, EveryRequestIsTheDocumentsExampleRecord) {
    OfferThrownTile();
    ASSERT_EQ(View().SubmitPeng(), 1);
    scene.Frames(300);
    // A fresh scene state for each request: the sent body is all that counts.
    OfferThrownTile();
    View().SubmitDiscardGang();
    View().ClearTable();
    scene.FillOwnRow({40, 49, 58, 67});
    View().SubmitConcealedGang(40);
    View().ClearTable();
    MeldRecord peng{7001, 41, 3, 0, kThrower, 40, 49, 58, -1};
    scene.FillOwnRow({80, 90}, 67);
    View().PlaceMeld(3, kOpPeng, peng, 1);
    View().SubmitAddedGang(67);
    View().CatchCard();

    for (uint32_t id :
         {tp::kPengClaim, tp::kDiscardGang, tp::kConcealedGang, tp::kAddedGang, tp::kOwnDraw}) {
        const auto sent = scene.Connection().SentOf(id);
        ASSERT_EQ(sent.size(), 1u) << id;
        EXPECT_EQ(sent[0].body, DocumentVector(id)) << id;
    }
    tp::TingThrowRecord ting;
    ting.head = {7001, 41, 3, 0};
    ting.tableNo = 3;
    ting.chair = 0;
    ting.userId = 7001;
    const std::string machine = "00e04c6a1b2c";
    std::copy(machine.begin(), machine.end(), ting.machineId.begin());
    ting.tile = 40;
    std::vector<uint8_t> built = tp::WriteTableRecord(ting);
    ASSERT_EQ(built.size(), 360u);
    built.resize(tp::TingThrowRecord::SentBytes(ting.count));
    EXPECT_EQ(built, DocumentVector(tp::kTingThrow));
}

TEST_F(ClaimsTest, AGrantedPengLaysTheMeldAndStartsTheOwnTurn) {
    OfferThrownTile();
    std::vector<uint8_t> ting(tp::kTingInfoBytes, 0);
    ZepWireWriter(std::span(ting).subspan(0, 4)).WriteI32(tp::kOptionTing);
    scene.Connection().Queue(tp::kPengClaim, {1, tp::kResultDone, ting});
    View().SetClockSeconds(5);
    ASSERT_EQ(View().SubmitPeng(), 1);
    EXPECT_EQ(View().tingInfos.size(), 1u);
    EXPECT_EQ(View().GetTableState(), 0);
    EXPECT_EQ(View().GetOperationHeld(), 0);
    EXPECT_EQ(View().GetClockSeconds(), kReactionSeconds);
    EXPECT_EQ(View().GetTurnDirection(), 6);
    EXPECT_EQ(View().GetMeldCount(3), 1);
    EXPECT_EQ(View().gangChecks, 1);
    // The row's last concealed tile lies at index 0, so the player throws.
    ASSERT_NE(scene.Own(0), nullptr);
    EXPECT_NE(View().IsHandDrawn(3), 0);

    // Without the ting flag the reply is not handed on.
    View().ClearTable();
    OfferThrownTile();
    ASSERT_EQ(View().SubmitPeng(), 1);
    EXPECT_EQ(View().tingInfos.size(), 1u);
    // The peng shows no wait cursor.
    EXPECT_EQ(scene.Connection().cursorsDuringRequests.back(), platform::GetCursor());
}

TEST_F(ClaimsTest, HeldAndRefusedClaims) {
    OfferThrownTile();
    const auto before = scene.RowTiles(3);
    for (uint32_t refused : {tp::kResultNotCarriedOut, 229999u}) {
        scene.Connection().Queue(tp::kPengClaim, {1, refused, {}});
        scene.Connection().Queue(tp::kDiscardGang, {1, refused, {}});
        EXPECT_EQ(View().SubmitPeng(), 0);
        EXPECT_EQ(View().SubmitDiscardGang(), 0);
        EXPECT_EQ(View().GetOperationHeld(), 0);
        EXPECT_EQ(View().GetTableState(), 0);
        EXPECT_EQ(scene.RowTiles(3), before);
    }
    // No answer at all counts as not carried out.
    scene.Connection().Queue(tp::kPengClaim, {0, 0, {}});
    EXPECT_EQ(View().SubmitPeng(), 0);
    EXPECT_EQ(View().GetOperationHeld(), 0);

    scene.Connection().Queue(tp::kPengClaim, {1, tp::kResultHeld, {}});
    EXPECT_EQ(View().SubmitPeng(), 0);
    EXPECT_EQ(View().GetOperationHeld(), 1);
    EXPECT_EQ(View().GetTableState(), 1);

    scene.Connection().Queue(tp::kDiscardGang, {1, tp::kResultHeld, {}});
    EXPECT_EQ(View().SubmitDiscardGang(), 0);
    EXPECT_EQ(View().GetOperationHeld(), 1);
    EXPECT_EQ(View().GetTableState(), 2);
    EXPECT_EQ(scene.RowTiles(3), before);
    scene.Frames(400);
    EXPECT_EQ(View().GetPendingRecordCount(), 0u);
    EXPECT_EQ(scene.RowTiles(3), before);
}

TEST_F(ClaimsTest, AHeldAddedGangKeepsTheChoiceAndTheNextSkipsTheQuery) {
    MeldRecord peng{7001, 41, 3, 0, kThrower, 40, 49, 58, -1};
    scene.FillOwnRow({80, 90}, 67);
    View().PlaceMeld(3, kOpPeng, peng, 1);
    View().GetOffer(kOpHu).offered = 1;
    View().SetOperationButton(kOpHu, 1);
    scene.Connection().Queue(tp::kAddedGang, {1, tp::kResultHeld, {}});
    EXPECT_EQ(View().SubmitAddedGang(67), 0);
    EXPECT_EQ(View().gangQueries, std::vector<int>{tp::kGangOwn});
    EXPECT_FALSE(View().IsOperationButtonOn(kOpHu));
    EXPECT_EQ(View().GetClockSeconds(), kDiscardSeconds);
    EXPECT_EQ(View().GetOperationHeld(), 1);
    EXPECT_EQ(View().GetTableState(), 2);
    EXPECT_EQ(View().GetOffer(kOpGang).tile, 67);
    EXPECT_EQ(View().GetOffer(kOpGang).chair, 0);

    scene.Connection().Queue(tp::kAddedGang, {1, tp::kResultDone, ClaimsScene::Reply(76, 12, 0)});
    EXPECT_EQ(View().SubmitAddedGang(67), 1);
    EXPECT_EQ(View().gangQueries.size(), 1u);  // skipped while held
    EXPECT_EQ(View().GetOperationHeld(), 0);
    EXPECT_EQ(View().GetTableState(), 0);
    EXPECT_EQ(View().GetClockSeconds(), kReactionSeconds);
    EXPECT_FALSE(View().IsOperationButtonOn(kOpGang));

    // A failed query sends no gang.
    View().gangQueryAnswer = 0;
    EXPECT_EQ(View().SubmitAddedGang(67), 0);
    EXPECT_EQ(scene.Connection().SentOf(tp::kAddedGang).size(), 2u);
}

TEST_F(ClaimsTest, AGangTakesItsReplacementTwoHundredMillisecondsLater) {
    OfferThrownTile();
    scene.Connection().Queue(tp::kDiscardGang,
                             {1, tp::kResultDone, ClaimsScene::Reply(76, 5, tp::kOptionHu)});
    platform::RecordingInputBackend input;
    platform::SetInputBackend(&input);
    input.SetCursor(platform::SystemCursor(platform::kCursorHand));
    ASSERT_EQ(View().SubmitDiscardGang(), 1);
    EXPECT_EQ(scene.Connection().cursorsDuringRequests.back(),
              platform::SystemCursor(platform::kCursorWait));
    EXPECT_EQ(input.CurrentCursor(), platform::SystemCursor(platform::kCursorHand));
    platform::SetInputBackend(nullptr);

    EXPECT_EQ(View().GetTableState(), 0);
    EXPECT_EQ(View().GetTurnDirection(), 6);
    EXPECT_EQ(View().GetClockSeconds(), kReactionSeconds);
    EXPECT_EQ(View().GetMeldCount(3), 1);
    const auto afterGang = scene.RowTiles(3);
    ASSERT_NE(View().GetWallSprite(5), nullptr);
    scene.Frames(180);
    EXPECT_EQ(scene.RowTiles(3), afterGang);
    EXPECT_TRUE(View().offeredOptions.empty());
    scene.Frames(60);
    EXPECT_EQ(View().GetWallSprite(5), nullptr);
    ASSERT_NE(scene.Own(0), nullptr);
    EXPECT_EQ(View().FindRowIndex(3, 76) >= 0, true);
    EXPECT_EQ(View().offeredOptions, std::vector<int>{tp::kOptionHu});
    EXPECT_TRUE(View().IsOperationButtonOn(kOpHu));
    EXPECT_TRUE(View().tingInfos.empty());
}

TEST_F(ClaimsTest, TheReplacementReadsTheReplyByItsForm) {
    // 8352 bytes with ting data: the candidates reach the ting handling.
    scene.FillOwnRow({40, 49, 58, 67, 80});
    scene.Connection().Queue(
        tp::kConcealedGang,
        {1, tp::kResultDone,
         ClaimsScene::Reply(76, 6, tp::kOptionTing, tp::kOperationReplyBytes, {80, 76})});
    ASSERT_EQ(View().SubmitConcealedGang(40), 1);
    scene.Frames(250);
    ASSERT_EQ(View().tingInfos.size(), 1u);
    tp::TingInfo ting;
    ASSERT_TRUE(tp::ReadTableRecord(View().tingInfos[0], ting));
    EXPECT_EQ(ting.options, tp::kOptionTing);
    EXPECT_EQ(ting.candidates[0], 80);
    EXPECT_EQ(ting.candidates[1], 76);
    EXPECT_EQ(ting.candidates[2], -1);
    EXPECT_EQ(ting.table[0], 0x5a5a);

    // A 0x40 reply of 32 bytes: the candidates behind it read zero.
    View().ClearTable();
    View().BuildWall();
    scene.FillOwnRow({40, 49, 58, 67, 80});
    scene.Connection().Queue(tp::kConcealedGang,
                             {1, tp::kResultDone, ClaimsScene::Reply(76, 7, tp::kOptionTing)});
    ASSERT_EQ(View().SubmitConcealedGang(40), 1);
    scene.Frames(250);
    ASSERT_EQ(View().tingInfos.size(), 2u);
    ASSERT_TRUE(tp::ReadTableRecord(View().tingInfos[1], ting));
    EXPECT_EQ(ting.candidates[0], 0);
    EXPECT_EQ(ting.table[0], 0);
}

TEST_F(ClaimsTest, TheServersReplacementReachesTheHandWhateverItsWallIndex) {
    for (int32_t wallIndex : {200, -1, 3}) {
        View().ClearTable();
        View().BuildWall();
        if (wallIndex == 3) {
            View().ReleaseWallTile(3);  // the wall sprite is gone
        }
        scene.FillOwnRow({40, 49, 58, 67, 80});
        scene.Connection().Queue(tp::kConcealedGang,
                                 {1, tp::kResultDone, ClaimsScene::Reply(76, wallIndex, 0)});
        const int wall = View().GetWallCount();
        ASSERT_EQ(View().SubmitConcealedGang(40), 1);
        scene.Frames(250);
        EXPECT_GE(View().FindRowIndex(3, 76), 0) << wallIndex;
        EXPECT_EQ(View().GetWallCount(), wall) << wallIndex;
    }
    // A tile id the table does not know is not drawn.
    View().ClearTable();
    View().BuildWall();
    scene.FillOwnRow({40, 49, 58, 67, 80});
    scene.Connection().Queue(tp::kConcealedGang,
                             {1, tp::kResultDone, ClaimsScene::Reply(300, 4, 0)});
    ASSERT_EQ(View().SubmitConcealedGang(40), 1);
    const auto row = scene.RowTiles(3);
    scene.Frames(250);
    EXPECT_EQ(scene.RowTiles(3), row);
    EXPECT_NE(View().GetWallSprite(4), nullptr);
}

TEST_F(ClaimsTest, ARefusedConcealedGangReoffersWithoutSending) {
    for (uint32_t refused : {tp::kResultNotCarriedOut, tp::kResultHeld}) {
        View().ClearTable();
        View().ShowOperationButtons(1);
        scene.Connection().sent.clear();
        scene.FillOwnRow({40, 49, 58, 67, 80}, 81);
        View().MoveTurnIndicator(View().GetTurnDirection(), 6);
        View().SetClockSeconds(9);
        scene.Connection().Queue(tp::kConcealedGang, {1, refused, {}});
        EXPECT_EQ(View().SubmitConcealedGang(40), 0);
        EXPECT_EQ(scene.Connection().SentOf(tp::kConcealedGang).size(), 1u) << refused;
        const int index = View().FindRowIndex(3, 40);
        ASSERT_GE(index, 0);
        EXPECT_EQ(scene.Own(index)->raised, 1);
        EXPECT_TRUE(View().IsOperationButtonOn(kOpGang));
        EXPECT_EQ(View().GetClockSeconds(), 9);
        EXPECT_EQ(View().GetMeldCount(3), 0);
    }
    // Granted, the clock keeps three more seconds.
    scene.Connection().Queue(tp::kConcealedGang,
                             {1, tp::kResultDone, ClaimsScene::Reply(76, 8, 0)});
    EXPECT_EQ(View().SubmitConcealedGang(40), 1);
    EXPECT_EQ(View().GetClockSeconds(), 12);
    EXPECT_FALSE(View().IsOperationButtonOn(kOpGang));
}

TEST_F(ClaimsTest, AReadyHandThrowsAReplacementWithoutAGangAfterTwoSeconds) {
    g_bBaoJiao[0] = 1;
    scene.FillOwnRow({40, 49, 58, 67, 80});
    scene.Connection().Queue(tp::kConcealedGang,
                             {1, tp::kResultDone, ClaimsScene::Reply(76, 9, 0)});
    ASSERT_EQ(View().SubmitConcealedGang(40), 1);
    scene.Frames(250);
    EXPECT_EQ(View().GetClockSeconds(), 2);
    EXPECT_EQ(View().GetOffer(kOpGang).offered, 0);
    EXPECT_EQ(View().gangChecks, 0);  // only the gang the reply names

    View().ClearTable();
    View().BuildWall();
    View().ShowOperationButtons(1);
    g_bBaoJiao[0] = 1;
    scene.FillOwnRow({40, 49, 58, 67, 80});
    scene.Connection().Queue(tp::kConcealedGang,
                             {1, tp::kResultDone, ClaimsScene::Reply(76, 9, tp::kOptionGang)});
    ASSERT_EQ(View().SubmitConcealedGang(40), 1);
    View().SetClockSeconds(7);
    scene.Frames(250);
    EXPECT_EQ(View().GetOffer(kOpGang).offered, 1);
    EXPECT_TRUE(View().IsOperationButtonOn(kOpGang));
    EXPECT_EQ(View().GetClockSeconds(), 7);
}

TEST(ClaimsLookerOn, ALookerOnSendsNoDiscardGang) {
    ClaimsScene scene(true);
    ASSERT_TRUE(scene.OpenWithHand());
    EXPECT_EQ(scene.View().SubmitDiscardGang(), 0);
    EXPECT_TRUE(scene.Connection().sent.empty());
}

}  // namespace
}  // namespace claims_test
