// The regional table's six operation buttons: their places, their pictures
// when offered and withdrawn, the looker-on, the Gang button's two modes
// and its gang on a thrown tile, and Guo in a declared ready hand.
#include <gtest/gtest.h>

#include "engine/CorvanePicture.h"
#include "engine/PaintModule.h"
#include "mahjong_tiles/TileEncoding.h"
#include "tests/game/play/RegionalPlayScene.h"

namespace play_test {
namespace {

// Tile ids of one face: 0, 9, 18, 27 the ones of a suit; 1, 10, 19, 28 the
// twos.
constexpr std::array<int32_t, 4> kOnes = {0, 9, 18, 27};
constexpr std::array<int32_t, 4> kTwos = {1, 10, 19, 28};
constexpr int kChiRuleWord = 28;

class OperationButtonsTest : public ::testing::Test {
protected:
    explicit OperationButtonsTest(bool lookOn = false) : scene(0, lookOn) {}

    void SetUp() override {
        ASSERT_TRUE(scene.Open());
        StoreHandStart(0);
    }

    void StoreHandStart(int32_t chiRule) {
        std::vector<uint8_t> bytes = HandStart{}.Build();
        PutWord(bytes, kChiRuleWord, chiRule);
        ASSERT_TRUE(scene.Data()->StoreHandStart(bytes));
    }

    CCorvaneButton* Button(int kind) { return scene.view->GetOperationButtonOfKind(kind); }
    bool On(int kind) {
        CCorvaneButton* button = Button(kind);
        return button != nullptr && button->IsInputEnabled() != 0;
    }
    // Whether the button's face shows the skin picture of that name.
    bool Shows(int kind, const char* image) {
        CCorvaneButton* button = Button(kind);
        if (button == nullptr || button->GetFace() == nullptr) {
            return false;
        }
        return button->GetFace()->GetFrameInfo().record ==
               scene.view->GetResourceFrame(image, 0).record;
    }
    CCardSprite* At(int index) { return scene.view->GetHandSprite(3, index); }
    void OwnTurn() { scene.view->MoveTurnIndicator(scene.view->GetTurnDirection(), 6); }

    RegionalPlayScene scene;
};

struct Point {
    double x, y;
};

Point Centre(CCorvaneObject* part) {
    return part != nullptr ? Point{part->GetX(), part->GetY()} : Point{-1, -1};
}

TEST_F(OperationButtonsTest, TheRowFollowsTheChiRuleAndTheSceneHeight) {
    PaintModule* paint = scene.view->GetPaintModule();
    ASSERT_NE(paint, nullptr);
    const auto layout = [&](int chiRule, int sceneHeight) {
        StoreHandStart(chiRule);
        paint->SetBufferSize(1024, sceneHeight);
        scene.view->LayoutOperationButtons();
        std::array<Point, 7> at{};
        for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
            at[static_cast<size_t>(kind)] = Centre(Button(kind));
        }
        return at;
    };
    const int bw = static_cast<int>(Button(kOpGuo)->GetWidth());
    const int bh = static_cast<int>(Button(kOpGuo)->GetHeight());
    ASSERT_EQ(bw, 60);
    const auto big = layout(0, 601);
    // Five wide, in a 1024 x 768 view: x0 = 30 + (512 - 300 - 10) / 2 + 10 + 512.
    const int x0 = 653;
    // The row's height: above the own row by the hand margin.
    const double y = big[kOpGuo].y;
    EXPECT_LT(y, 768 - 35 - bh / 2 - 15 + 1);
    EXPECT_EQ(big[kOpGuo].x, x0 - 10);
    EXPECT_EQ(big[kOpHu].x, x0 + bw);
    EXPECT_EQ(big[kOpGang].x, x0 + 2 * bw);
    EXPECT_EQ(big[kOpPeng].x, x0 + 3 * bw);
    EXPECT_EQ(big[kOpTing].x, x0 + 4 * bw);
    for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
        if (kind != kOpChi) {
            EXPECT_EQ(big[static_cast<size_t>(kind)].y, y) << kind;
        }
    }
    // A scene below 601 pixels: ten pixels left and ten lower.
    const auto small = layout(0, 600);
    for (int kind : {kOpGuo, kOpHu, kOpGang, kOpPeng, kOpTing}) {
        EXPECT_EQ(small[static_cast<size_t>(kind)].x, big[static_cast<size_t>(kind)].x - 10);
        EXPECT_EQ(small[static_cast<size_t>(kind)].y, big[static_cast<size_t>(kind)].y + 10);
    }
    // With the chi rule the row is six wide; Chi and Ting share the fifth
    // place.
    const auto withChi = layout(1, 601);
    EXPECT_EQ(withChi[kOpGuo].x, big[kOpGuo].x - bw / 2);
    EXPECT_EQ(withChi[kOpChi].x, withChi[kOpGuo].x + 10 + 4 * bw);
    EXPECT_EQ(withChi[kOpTing].x, withChi[kOpChi].x);
    EXPECT_EQ(withChi[kOpChi].y, y);
}

TEST_F(OperationButtonsTest, TheBadgesSitAtTheirFixedPoints) {
    scene.view->LayoutOperationButtons();
    const std::array<Point, 4> expected = {{{20, 204}, {342, 20}, {1004, 564}, {342, 748}}};
    const std::array<double, 4> angles = {270.0, 0.0, 90.0, 0.0};
    for (int position = 0; position < 4; ++position) {
        CCorvanePicture* badge = scene.view->GetBaoJiaoBadge(position);
        ASSERT_NE(badge, nullptr);
        EXPECT_EQ(badge->GetX(), expected[static_cast<size_t>(position)].x) << position;
        EXPECT_EQ(badge->GetY(), expected[static_cast<size_t>(position)].y) << position;
        EXPECT_EQ(badge->GetAngle(), angles[static_cast<size_t>(position)]) << position;
    }
}

TEST_F(OperationButtonsTest, ShowingTheRowShowsChiOnlyWithTheChiRule) {
    scene.view->ShowOperationButtons(1);
    for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
        EXPECT_EQ(Button(kind)->IsVisible() != 0, kind != kOpChi) << kind;
    }
    StoreHandStart(1);
    scene.view->ShowOperationButtons(1);
    EXPECT_NE(Button(kOpChi)->IsVisible(), 0);
    scene.view->ShowOperationButtons(0);
    for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
        EXPECT_EQ(Button(kind)->IsVisible(), 0) << kind;
    }
}

TEST_F(OperationButtonsTest, EnablingKeepsThePictureAndDisablingRestoresTheIdleOne) {
    scene.FillOwnRow({kOnes[0], kOnes[1], kOnes[2], kOnes[3], kTwos[0], kTwos[1], kTwos[2]},
                     kTwos[3]);
    OwnTurn();
    scene.view->ShowOperationButtons(1);
    scene.view->SetOperationButton(kOpGang, 1);
    scene.view->OnGangButton();  // two fours: the choice opens
    ASSERT_TRUE(Shows(kOpGang, "btn_Xiao_big"));
    scene.view->SetOperationButton(kOpGang, 1);
    EXPECT_TRUE(Shows(kOpGang, "btn_Xiao_big"));
    scene.view->SetOperationButton(kOpGang, 0);
    EXPECT_TRUE(Shows(kOpGang, "btn_Gang_big"));
    scene.view->SetOperationButton(kOpGang, 1);
    EXPECT_TRUE(Shows(kOpGang, "btn_Gang_big"));
    EXPECT_TRUE(On(kOpGang));
    // Every kind 1-6 follows its switch; other kinds change nothing.
    scene.view->SetAllOperationButtons(1);
    for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
        EXPECT_TRUE(On(kind)) << kind;
    }
    scene.view->SetOperationButton(7, 0);
    scene.view->SetOperationButton(0, 0);
    scene.view->SetAllOperationButtons(0);
    for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
        EXPECT_FALSE(On(kind)) << kind;
    }
    EXPECT_EQ(scene.view->m_bTingIdle, 1);
}

TEST_F(OperationButtonsTest, RefreshingDisablesTheRowAndChecksTheTurnChairsGangs) {
    scene.FillOwnRow({kOnes[0], kOnes[1], kOnes[2], 40, 41}, kOnes[3]);
    scene.view->SetAllOperationButtons(1);
    const int checks = scene.view->gangChecks;
    scene.view->RefreshOperationButtons();
    EXPECT_EQ(scene.view->gangChecks, checks + 1);  // the own chair is on turn
    for (int kind : {kOpPeng, kOpHu, kOpGuo, kOpTing}) {
        EXPECT_FALSE(On(kind)) << kind;
    }
    EXPECT_NE(Button(kOpGuo)->IsVisible(), 0);
    HandStart other;
    other.turnChair = 2;
    ASSERT_TRUE(scene.StoreHandStart(other));
    scene.view->RefreshOperationButtons();
    EXPECT_EQ(scene.view->gangChecks, checks + 1);
}

class LookerOnButtonsTest : public OperationButtonsTest {
protected:
    LookerOnButtonsTest() : OperationButtonsTest(true) {}
};

TEST_F(LookerOnButtonsTest, ALookerOnNeverSeesNorChangesTheRow) {
    std::array<bool, 7> before{};
    for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
        ASSERT_NE(Button(kind), nullptr);
        before[static_cast<size_t>(kind)] = On(kind);
    }
    for (int enable : {1, 0}) {
        scene.view->SetAllOperationButtons(enable);
        scene.view->ShowOperationButtons(1);
        scene.view->RefreshOperationButtons();
        for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
            EXPECT_EQ(Button(kind)->IsVisible(), 0) << kind;
            EXPECT_EQ(On(kind), before[static_cast<size_t>(kind)]) << kind;
        }
    }
    EXPECT_EQ(scene.view->OnGangButton(), 0);
    EXPECT_EQ(scene.view->OnGuoButton(), 0);
    EXPECT_TRUE(scene.view->gangQueries.empty());
    EXPECT_TRUE(scene.view->submits.empty());
}

// ---- Gang on the own turn ----

class OwnGangTest : public OperationButtonsTest {
protected:
    void Offer(const std::vector<int32_t>& row, int32_t drawn) {
        scene.FillOwnRow(row, drawn);
        OwnTurn();
        scene.view->ShowOperationButtons(1);
        scene.view->SetOperationButton(kOpGang, 1);
    }
    std::vector<std::pair<std::string, int32_t>>& Submits() { return scene.view->submits; }
};

TEST_F(OwnGangTest, WithoutAFourOrARaisedTileNothingIsSent) {
    Offer({kOnes[0], kOnes[1], kOnes[2], 40}, 41);
    EXPECT_EQ(scene.view->OnGangButton(), 0);
    EXPECT_TRUE(Submits().empty());
    EXPECT_EQ(scene.view->GetTableState(), 0);
}

TEST_F(OwnGangTest, OneFourIsSentAsAConcealedGang) {
    Offer({kOnes[0], kOnes[1], kOnes[2], 40}, kOnes[3]);
    EXPECT_EQ(scene.view->OnGangButton(), 1);
    ASSERT_EQ(Submits().size(), 1u);
    EXPECT_EQ(Submits()[0].first, "concealed gang");
    EXPECT_EQ(GetCardIndex(Submits()[0].second), GetCardIndex(kOnes[0]));
}

TEST_F(OwnGangTest, AFourOfAPengIsSentAsAnAddedGang) {
    Offer({kOnes[0], kOnes[1], kOnes[2], 40}, kOnes[3]);
    for (int i = 1; i <= 3; ++i) {
        At(i)->meldKind = CCardSprite::kMeldPeng;
    }
    EXPECT_EQ(scene.view->OnGangButton(), 1);
    ASSERT_EQ(Submits().size(), 1u);
    EXPECT_EQ(Submits()[0], std::make_pair(std::string("added gang"), kOnes[3]));
}

TEST_F(OwnGangTest, TheButtonTakesNoClickWhenNotOffered) {
    Offer({kOnes[0], kOnes[1], kOnes[2], 40}, kOnes[3]);
    scene.view->SetOperationButton(kOpGang, 0);
    EXPECT_EQ(scene.view->OnGangButton(), 0);
    EXPECT_TRUE(Submits().empty());
}

// Index 0 the drawn two; 1-4 the ones, 5-7 the other twos, 8 tile 40.
const std::vector<int32_t> kTwoFours = {kOnes[0], kOnes[1], kOnes[2], kOnes[3],
                                        kTwos[0], kTwos[1], kTwos[2], 40};

TEST_F(OwnGangTest, TwoFoursOpenAChoiceThatASecondClickCancels) {
    Offer(kTwoFours, kTwos[3]);
    scene.view->OnGangButton();
    EXPECT_TRUE(Submits().empty());
    EXPECT_EQ(scene.view->GetTableState(), 2);
    EXPECT_TRUE(Shows(kOpGang, "btn_Xiao_big"));
    EXPECT_EQ(At(8)->greyed, 1);  // tile 40 makes no gang
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7}) {
        EXPECT_EQ(At(i)->greyed, 0) << i;
    }
    scene.view->OnGangButton();
    EXPECT_EQ(scene.view->GetTableState(), 0);
    EXPECT_TRUE(Shows(kOpGang, "btn_Gang_big"));
    EXPECT_EQ(At(8)->greyed, 0);
    EXPECT_TRUE(Submits().empty());
}

TEST_F(OwnGangTest, ChoosingATileAmongTwoFoursSendsItsGang) {
    Offer(kTwoFours, kTwos[3]);
    // Three ones lie in a peng: a one chosen is an added gang.
    for (int i = 1; i <= 3; ++i) {
        At(i)->meldKind = CCardSprite::kMeldPeng;
    }
    scene.view->OnGangButton();
    ASSERT_EQ(scene.view->GetTableState(), 2);
    // A greyed tile is refused.
    const auto select = [&](CCardSprite* sprite) {
        scene.view->PostStateEvent(sprite);
        EXPECT_EQ(sprite->GetClickEvent(), kEventCardGangSelect);
        const EventRecord record =
            MakeEventRecord(scene.view->GetId(), kEventCardGangSelect, sprite->poolIndex, 0);
        return scene.view->OnCardSpriteEvent(record);
    };
    select(At(8));
    EXPECT_TRUE(Submits().empty());
    // The chosen tile is the only one raised, and the choice is not
    // cancelled (both fours stay offered).
    At(6)->raised = 1;
    select(At(4));
    ASSERT_EQ(Submits().size(), 1u);
    EXPECT_EQ(Submits()[0], std::make_pair(std::string("added gang"), kOnes[3]));
    EXPECT_EQ(At(6)->raised, 0);
    Submits().clear();
    select(At(5));
    ASSERT_EQ(Submits().size(), 1u);
    EXPECT_EQ(Submits()[0], std::make_pair(std::string("concealed gang"), kTwos[0]));
}

// ---- Gang on a thrown tile ----

class ThrownTileGangTest : public OperationButtonsTest {
protected:
    void SetUp() override {
        OperationButtonsTest::SetUp();
        scene.FillOwnRow({5, 14, 23, 40}, -1);
        scene.view->MoveTurnIndicator(scene.view->GetTurnDirection(), 4);
        OperationOffer& gang = scene.view->GetOffer(kOpGang);
        gang.chair = 1;
        gang.tile = 32;
        gang.offered = 1;
        scene.view->ShowOperationButtons(1);
        scene.view->SetAllOperationButtons(1);
        scene.view->SetClockSeconds(8);
    }
    void Reply(int chair, int32_t options) {
        std::vector<uint8_t> reply(tp::GangQueryReply::kSize);
        PutWord(reply, 4 + static_cast<size_t>(chair), options);
        scene.view->gangQueryReplies.push_back(reply);
    }
};

TEST_F(ThrownTileGangTest, NoOtherClaimSendsTheDiscardGang) {
    Reply(2, tp::kOptionPeng);
    scene.view->OnGangButton();
    ASSERT_EQ(scene.view->gangQueries.size(), 1u);
    EXPECT_EQ(scene.view->gangQueries[0], std::make_pair(1, 32));
    ASSERT_EQ(scene.view->submits.size(), 1u);
    EXPECT_EQ(scene.view->submits[0].first, "discard gang");
    EXPECT_FALSE(On(kOpGuo));
}

TEST_F(ThrownTileGangTest, AChairThatMayWinHoldsTheGang) {
    Reply(2, tp::kOptionHu);
    scene.view->OnGangButton();
    EXPECT_TRUE(scene.view->submits.empty());
    EXPECT_EQ(scene.view->GetTableState(), 2);
    EXPECT_EQ(scene.view->GetOperationHeld(), 1);
    EXPECT_EQ(scene.view->GetClockSeconds(), 7);
    for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
        EXPECT_FALSE(On(kind)) << kind;
    }
}

TEST_F(ThrownTileGangTest, AnotherSeatThatMayWinHoldsTheGangToo) {
    scene.view->GetOffer(kOpGang).anotherMayWin = 1;
    Reply(0, 0);
    scene.view->OnGangButton();
    EXPECT_TRUE(scene.view->submits.empty());
    EXPECT_EQ(scene.view->GetOperationHeld(), 1);
}

TEST_F(ThrownTileGangTest, AHoldWithNoTimeLeftRunsOutAtOnce) {
    scene.view->SetClockSeconds(1);
    Reply(3, tp::kOptionHu);
    scene.view->OnGangButton();
    // The time-out carries the held gang out at once.
    EXPECT_EQ(scene.view->GetClockSeconds(), 0);
    ASSERT_EQ(scene.view->submits.size(), 1u);
    EXPECT_EQ(scene.view->submits[0].first, "discard gang");
}

TEST_F(ThrownTileGangTest, ARefusedQueryStopsWithTheRowDisabled) {
    scene.view->OnGangButton();
    EXPECT_EQ(scene.view->gangQueries.size(), 1u);
    EXPECT_TRUE(scene.view->submits.empty());
    EXPECT_EQ(scene.view->GetOperationHeld(), 0);
    EXPECT_FALSE(On(kOpGang));
}

// ---- Guo ----

TEST_F(OperationButtonsTest, GuoOnAGangInAReadyHandThrowsTheDrawnTile) {
    scene.FillOwnRow({kOnes[0], kOnes[1], kOnes[2], 40}, kOnes[3]);
    OwnTurn();
    g_bBaoJiao[0] = 1;
    scene.view->OfferGangInTing(tp::kOptionGang);
    EXPECT_TRUE(On(kOpGang));
    scene.view->OnGuoButton();
    EXPECT_EQ(scene.view->discards, std::vector<int>{kOnes[3]});
    for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
        EXPECT_FALSE(On(kind)) << kind;
    }
}

TEST_F(OperationButtonsTest, GuoWithoutADeclarationOrAGangThrowsNothing) {
    scene.FillOwnRow({kOnes[0], kOnes[1], kOnes[2], 40}, kOnes[3]);
    OwnTurn();
    scene.view->OfferGangInTing(tp::kOptionGang);
    scene.view->OnGuoButton();  // not declared
    g_bBaoJiao[0] = 1;
    scene.view->OfferGangInTing(0);
    EXPECT_FALSE(On(kOpGang));
    scene.view->OnGuoButton();  // no gang offered
    EXPECT_TRUE(scene.view->discards.empty());
    EXPECT_EQ(scene.RowTiles(3)[0], kOnes[3]);
}

}  // namespace
}  // namespace play_test
