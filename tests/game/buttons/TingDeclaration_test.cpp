// The ready-hand declaration on the regional table: the ting data of a
// reply, the Ting button's choice and its cancel, the throw with the
// declaration, the 400009 record, and every chair's 400010.
#include <gtest/gtest.h>

#include "engine/CorvanePicture.h"
#include "frame/FrameFunctions.h"
#include "tests/game/play/RegionalPlayScene.h"

namespace play_test {
namespace {

constexpr size_t kTingBytes = tp::kTingInfoBytes;

// Ting data: the flags, the candidates (the rest -1) and a table whose
// bytes count up.
std::vector<uint8_t> TingData(int32_t flags, const std::vector<int32_t>& candidates) {
    std::vector<uint8_t> bytes(kTingBytes);
    PutWord(bytes, 0, flags);
    for (size_t i = 0; i < 32; ++i) {
        PutWord(bytes, 1 + i, i < candidates.size() ? candidates[i] : -1);
    }
    for (size_t i = 132; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i);
    }
    return bytes;
}

// A 400010 of `size` bytes: the thrower, and the tile at word 21.
std::vector<uint8_t> TingThrowNotice(int32_t chair, int32_t tile, size_t size = 88) {
    std::vector<uint8_t> bytes(88);
    PutWord(bytes, 1, chair);
    PutWord(bytes, 21, tile);
    bytes.resize(size);
    return bytes;
}

int32_t WordOf(const std::vector<uint8_t>& bytes, size_t index) {
    return static_cast<int32_t>(bytes[4 * index] | bytes[4 * index + 1] << 8 |
                                bytes[4 * index + 2] << 16 |
                                static_cast<uint32_t>(bytes[4 * index + 3]) << 24);
}

class TingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scene.Open());
        ASSERT_TRUE(scene.StoreHandStart(HandStart{}));
        std::fill(std::begin(g_TingCandidates), std::end(g_TingCandidates), -1);
    }

    // The own turn with the drawn tile 41 and the ting data offered.
    void OfferTing(const std::vector<int32_t>& candidates) {
        scene.FillOwnRow({0, 9, 40, 50}, 41);
        scene.view->MoveTurnIndicator(scene.view->GetTurnDirection(), 6);
        scene.view->RefreshOperationButtons();
        scene.view->CRegionalTableView::ApplyTingInfo(TingData(tp::kOptionTing, candidates));
    }
    CCardSprite* At(int index) { return scene.view->GetHandSprite(3, index); }
    bool On(int kind) {
        CCorvaneButton* button = scene.view->GetOperationButtonOfKind(kind);
        return button != nullptr && button->IsInputEnabled() != 0;
    }
    bool TingShows(const char* image) {
        CCorvaneButton* ting = scene.view->GetTingButton();
        return ting != nullptr && ting->GetFace() != nullptr &&
               ting->GetFace()->GetFrameInfo().record ==
                   scene.view->GetResourceFrame(image, 0).record;
    }
    std::vector<int> Greyed() {
        std::vector<int> greyed;
        for (int i = 0; i <= 4; ++i) {
            greyed.push_back(At(i) != nullptr ? At(i)->greyed : -1);
        }
        return greyed;
    }

    RegionalPlayScene scene;
};

TEST_F(TingTest, TingDataOffersTheButtonAndKeepsTheCandidatesAndTable) {
    OfferTing({9, 50});
    EXPECT_TRUE(On(kOpTing));
    EXPECT_EQ(g_TingCandidates[0], 9);
    EXPECT_EQ(g_TingCandidates[1], 50);
    EXPECT_EQ(g_TingCandidates[2], -1);
    EXPECT_EQ(scene.view->GetOffer(kOpTing).tiles[1], 50);
    EXPECT_EQ(scene.view->GetOffer(kOpTing).tile, 41);
    EXPECT_EQ(g_TingTable[0], 132);
    EXPECT_EQ(g_TingTable[8191], static_cast<uint8_t>(kTingBytes - 1));
    // Without the flag the button is withdrawn and the candidates stay.
    scene.view->CRegionalTableView::ApplyTingInfo(TingData(tp::kOptionGang, {40}));
    EXPECT_FALSE(On(kOpTing));
    EXPECT_EQ(g_TingCandidates[0], 9);
}

TEST_F(TingTest, TingDataCutShortOffersNothing) {
    OfferTing({9});
    std::vector<uint8_t> cut = TingData(tp::kOptionTing, {40});
    cut.resize(32);
    scene.view->CRegionalTableView::ApplyTingInfo(cut);
    EXPECT_FALSE(On(kOpTing));
    EXPECT_EQ(g_TingCandidates[0], 9);
    scene.view->CRegionalTableView::ApplyTingInfo({});
    EXPECT_FALSE(On(kOpTing));
}

TEST_F(TingTest, TheChoiceLeavesOnlyTheNamedTilesBright) {
    OfferTing({9});
    scene.view->SetOperationButton(kOpHu, 1);
    scene.view->OnTingButton();
    EXPECT_EQ(scene.view->GetTableState(), CRegionalTableView::kStateTingChoice);
    EXPECT_EQ(scene.view->m_bTingIdle, 0);
    EXPECT_TRUE(TingShows("btn_Xiao_big"));
    EXPECT_FALSE(On(kOpHu));
    // Tile 0 has the face of tile 9 but is not named.
    EXPECT_EQ(Greyed(), (std::vector<int>{1, 1, 0, 1, 1}));
    scene.view->PostStateEvent(At(2));
    EXPECT_EQ(At(2)->GetClickEvent(), kEventTingTileClick);
}

TEST_F(TingTest, WithNoCandidateNoTileCanBeChosen) {
    OfferTing({});
    scene.view->OnTingButton();
    EXPECT_EQ(Greyed(), (std::vector<int>{1, 1, 1, 1, 1}));
    scene.view->OnTingTileClick(At(2));
    EXPECT_EQ(At(2)->raised, 0);
    EXPECT_TRUE(scene.view->tingThrows.empty());
}

TEST_F(TingTest, ASecondClickRestoresExactlyTheOffersBefore) {
    OfferTing({9});
    scene.view->SetOperationButton(kOpHu, 1);
    scene.view->SetOperationButton(kOpGuo, 1);
    scene.view->SetOperationButton(kOpGang, 0);
    scene.view->OnTingButton();
    scene.view->OnTingButton();
    EXPECT_TRUE(On(kOpHu));
    EXPECT_TRUE(On(kOpGuo));
    EXPECT_FALSE(On(kOpGang));
    EXPECT_TRUE(On(kOpTing));
    EXPECT_TRUE(TingShows("Btn_Ting"));
    EXPECT_EQ(scene.view->m_bTingIdle, 1);
    EXPECT_EQ(scene.view->GetTableState(), 0);
    EXPECT_EQ(Greyed(), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST_F(TingTest, TheButtonActsOnlyOnTheOwnTurnWhenOffered) {
    OfferTing({9});
    scene.view->MoveTurnIndicator(6, 4);
    scene.view->OnTingButton();
    EXPECT_EQ(scene.view->GetTableState(), 0);
    scene.view->MoveTurnIndicator(4, 6);
    scene.view->SetOperationButton(kOpTing, 0);
    scene.view->OnTingButton();
    EXPECT_EQ(scene.view->GetTableState(), 0);
    EXPECT_EQ(Greyed(), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST_F(TingTest, ChoosingACandidateThrowsItWithTheDeclaration) {
    OfferTing({9});
    scene.view->OnTingButton();
    scene.view->OnTingTileClick(At(2));
    ASSERT_EQ(scene.view->tingThrows, std::vector<int>{9});
    EXPECT_EQ(g_bBaoJiao[0], 1);
    EXPECT_EQ(scene.view->m_bBaoJiao, 1);
    ASSERT_NE(scene.view->GetBaoJiaoBadge(3), nullptr);
    EXPECT_NE(scene.view->GetBaoJiaoBadge(3)->IsVisible(), 0);
    EXPECT_EQ(scene.view->GetTableState(), 0);
    EXPECT_EQ(scene.view->GetTurnDirection(), 4);
    EXPECT_EQ(scene.view->GetClockSeconds(), kDiscardSeconds);
    for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
        EXPECT_FALSE(On(kind)) << kind;
    }
    const CCardSprite* thrown = scene.view->GetLastThrown(3);
    ASSERT_NE(thrown, nullptr);
    EXPECT_EQ(thrown->tile, 9);
    EXPECT_EQ(thrown->state, CCardSprite::kStateJustThrown);
    EXPECT_EQ(thrown->lifeTime, 3000u);
    // The drawn tile joined the row; index 0 stays free for the next draw
    // and the rest is locked.
    const std::vector<int32_t> row = scene.RowTiles(3);
    EXPECT_EQ(row[0], -1);
    EXPECT_EQ(std::count(row.begin(), row.end(), 41), 1);
    EXPECT_EQ(std::count(row.begin(), row.end(), 9), 0);
    for (int i = 1; i <= 4; ++i) {
        ASSERT_NE(At(i), nullptr) << i;
        EXPECT_EQ(At(i)->greyed, 1) << i;
        EXPECT_EQ(At(i)->raised, 0) << i;
    }
    // The client's own 400010 echo is an ordinary throw already shown.
    EXPECT_TRUE(scene.view->OnTingThrowNotify(TingThrowNotice(0, 9)));
    const std::vector<int32_t> after = scene.RowTiles(3);
    EXPECT_EQ(std::count(after.begin(), after.end(), 41), 1);
}

TEST_F(TingTest, ARefusedDeclarationKeepsTheChoiceOpen) {
    OfferTing({9, 40});
    scene.view->tingThrowResult = 0;
    scene.view->OnTingButton();
    scene.view->OnTingTileClick(At(2));
    EXPECT_EQ(scene.view->tingThrows, std::vector<int>{9});
    EXPECT_EQ(scene.view->GetTableState(), CRegionalTableView::kStateTingChoice);
    EXPECT_EQ(Greyed(), (std::vector<int>{1, 1, 0, 0, 1}));
    EXPECT_EQ(g_bBaoJiao[0], 0);
    EXPECT_EQ(scene.view->m_bBaoJiao, 0);
    EXPECT_EQ(scene.RowTiles(3)[2], 9);
    // A second raised tile sends nothing; lowering the first and choosing
    // the other sends again.
    scene.view->OnTingTileClick(At(3));
    EXPECT_EQ(scene.view->tingThrows.size(), 1u);
    scene.view->tingThrowResult = 1;
    scene.view->OnTingTileClick(At(2));
    EXPECT_EQ(scene.view->tingThrows, (std::vector<int>{9, 40}));
    EXPECT_EQ(g_bBaoJiao[0], 1);
}

TEST_F(TingTest, TheDeclarationRecordCarriesTheHeadTheMachineAndTheTile) {
    const std::vector<uint8_t> record = tp::WriteTableRecord(scene.view->BuildTingThrowRecord(77));
    ASSERT_EQ(record.size(), 360u);
    EXPECT_EQ(WordOf(record, 3), 0);  // own chair
    EXPECT_EQ(WordOf(record, 4), 0);
    EXPECT_EQ(WordOf(record, 5), WordOf(record, 2));
    EXPECT_EQ(WordOf(record, 6), 0);
    EXPECT_EQ(WordOf(record, 7), WordOf(record, 0));
    const std::string machine = GetMachineUniqueID();
    ASSERT_FALSE(machine.empty());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&record[32])), machine.substr(0, 31));
    EXPECT_EQ(record[63], 0);
    EXPECT_EQ(WordOf(record, 20), 1);
    EXPECT_EQ(WordOf(record, 25), 1);
    EXPECT_EQ(WordOf(record, 26), 77);
    // 104 + 4 bytes are sent: everything behind the tile is zero.
    for (size_t i = 108; i < record.size(); ++i) {
        ASSERT_EQ(record[i], 0) << i;
    }
    for (size_t word : {16u, 17u, 18u, 19u, 21u, 22u, 23u, 24u}) {
        EXPECT_EQ(WordOf(record, word), 0) << word;
    }
}

TEST_F(TingTest, AnotherChairsDeclarationShowsItsBadge) {
    EXPECT_TRUE(scene.view->OnTingThrowNotify(TingThrowNotice(1, 40)));
    EXPECT_EQ(g_bBaoJiao[1], 1);
    const int position = scene.view->ChairToPosition(1);
    ASSERT_GE(position, 0);
    EXPECT_NE(scene.view->GetBaoJiaoBadge(position)->IsVisible(), 0);
    EXPECT_EQ(scene.view->GetBaoJiaoBadge(3)->IsVisible(), 0);
}

TEST_F(TingTest, ADeclarationNoticeOutsideTheTableOrCutShortIsDropped) {
    for (const auto& notice : {TingThrowNotice(4, 40), TingThrowNotice(-1, 40),
                               TingThrowNotice(1, 40, 87), TingThrowNotice(1, 40, 0)}) {
        EXPECT_FALSE(scene.view->OnTingThrowNotify(notice));
    }
    for (int chair = 0; chair < 4; ++chair) {
        EXPECT_EQ(g_bBaoJiao[chair], 0) << chair;
        EXPECT_EQ(scene.view->GetBaoJiaoBadge(chair)->IsVisible(), 0) << chair;
        EXPECT_EQ(scene.view->GetLastThrown(chair), nullptr) << chair;
    }
}

}  // namespace
}  // namespace play_test
