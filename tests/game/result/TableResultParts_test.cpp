// The regional table's deposit panel and end-of-hand score facts, on the
// program's application object with the table view in an engine window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneView.h"
#include "frame/LaunchRecordBuilder.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalTableData.h"
#include "game/result/GameResultDlg.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/panels/DigitDisplay.h"
#include "tests/frame_panels/PanelWindow.h"
#include "tests/game/result/ResultRecordBytes.h"

namespace {

using R = table_protocol::GameResultRecord;

constexpr uint32_t kSmallBack = 0x102030;
constexpr uint32_t kBigBack = 0x203040;
constexpr uint32_t kDepositSmall = 0x304050;
constexpr uint32_t kDepositBig = 0x405060;
constexpr uint32_t kJokerSmall = 0x506070;
constexpr uint32_t kJokerBig = 0x607080;

uint32_t TileColour(int frame) {
    return 0x000100u * 40u + static_cast<uint32_t>(frame * 5 + 20);
}

class TableResultPartsTest : public PanelWindowTest {
protected:
    void SetUp() override {
        AddImage("gameinfo_bk_small", 120, 40, kSmallBack);
        AddImage("gameinfo_bk_big", 160, 80, kBigBack);
        AddImage("info_deposite_small", 40, 12, kDepositSmall);
        AddImage("info_deposite_big", 56, 16, kDepositBig);
        AddImage("info_joker_small", 40, 12, kJokerSmall);
        AddImage("info_joker_big", 56, 16, kJokerBig);
        std::vector<uint32_t> faces;
        for (int f = 0; f < 42; ++f) {
            faces.push_back(TileColour(f));
        }
        AddFramed("800_middle3", 26, 36, faces);
        app = CRegionalMahjongApp::Instance();
        LaunchFields fields;
        fields.userId = 501;
        fields.chairNo = 1;
        app->SetLaunchFields(fields);
    }
    void TearDown() override {
        PanelWindowTest::TearDown();
        StoreHandStart(table_protocol::HandStartRecord{});
        ASSERT_TRUE(app->GetTableData()->StoreGameResult(table_protocol::WriteTableRecord(R{})));
        if (seated) {
            LaunchRecordBuilder alone;
            alone.seats = {MakeLaunchUser(501, 1, "")};
            EXPECT_TRUE(app->InitGameData(alone.Build()));
        }
        app->SetLaunchFields(LaunchFields{});
        app->ResetForTesting();
    }

    void StoreHandStart(const table_protocol::HandStartRecord& start) {
        ASSERT_TRUE(app->GetTableData()->StoreHandStart(table_protocol::WriteTableRecord(start)));
    }
    void Open(int width, int height) {
        auto* root = new CCorvaneView;
        OpenWindow(root, "table", {0, 0, width, height});
        if (HasFatalFailure()) {
            return;
        }
        table = new CRegionalTableView;
        root->Register(table);
        table->SetName("MainGame");  // as the frame view names it
        table->SetViewRect(IntRect{0, 0, width, height - 100});
        Frame();
    }
    // The panel's pixel at (x, y) of the panel.
    uint32_t PanelPixel(int x, int y) { return table->GetDepositPanel()->GetPixel(x, y); }

    CRegionalMahjongApp* app = nullptr;
    CRegionalTableView* table = nullptr;
    bool seated = false;
};

TEST_F(TableResultPartsTest, TheSmallPanelShowsTheStakeWithoutAWildTile) {
    table_protocol::HandStartRecord start;
    start.baseSilver = 300;
    start.wildIndicator = -1;
    StoreHandStart(start);
    Open(800, 600);
    ASSERT_TRUE(table->IsSmallDepositPanel());
    table->ShowDepositPanel(1);
    Frame();
    CCorvaneCanvas* panel = table->GetDepositPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetCanvasWidth(), 120);
    EXPECT_EQ(panel->GetCanvasHeight(), 40);
    EXPECT_EQ(PanelPixel(0, 0), kSmallBack);
    EXPECT_EQ(PanelPixel(1, 15), kDepositSmall);  // the lower place
    EXPECT_EQ(PanelPixel(1, 3), kSmallBack);
    EXPECT_EQ(PanelPixel(3, 20), kDepositSmall);
    EXPECT_EQ(table->GetDepositWildFrame(), -1);
    EXPECT_EQ(table->GetDepositDigits()->FormatText(), "300两");
    // Above and right of the centre square, 4 pixels clear of it.
    const IntRect centre = table->GetCentreSquare();
    EXPECT_DOUBLE_EQ(panel->GetLeft(), centre.right + 4);
    EXPECT_DOUBLE_EQ(panel->GetBottom(), centre.top - 4);
    EXPECT_DOUBLE_EQ(table->GetDepositDigits()->GetLeft(), panel->GetLeft() + 60);
}

TEST_F(TableResultPartsTest, TheBigPanelShowsTheJokerAndTheWildTilesFace) {
    table_protocol::HandStartRecord start;
    start.baseSilver = 1200;
    start.wildIndicator = 5;  // a character tile: frame 5 of the sheet
    StoreHandStart(start);
    Open(800, 601);
    ASSERT_FALSE(table->IsSmallDepositPanel());
    table->ShowDepositPanel(1);
    Frame();
    CCorvaneCanvas* panel = table->GetDepositPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetCanvasWidth(), 160);
    EXPECT_EQ(PanelPixel(7, 7), kDepositBig);
    EXPECT_EQ(PanelPixel(5, 50), kJokerBig);
    EXPECT_EQ(PanelPixel(5, 28), kBigBack);
    const int frame = table->GetDepositWildFrame();
    EXPECT_GE(frame, 0);
    EXPECT_EQ(table->GetDepositDigits()->FormatText(), "1200两");
    // The wild tile's canvas shows that frame's face beside the joker.
    CCorvaneCanvas* wild = nullptr;
    for (int id = 1; id < 4000 && wild == nullptr; ++id) {
        CCorvaneCanvas* canvas = table->FindCanvasById(id);
        if (canvas != nullptr && canvas != panel && canvas->IsVisible() != 0 &&
            canvas->GetCanvasWidth() == 26 && canvas->GetCanvasHeight() == 36) {
            wild = canvas;
        }
    }
    ASSERT_NE(wild, nullptr);
    EXPECT_EQ(wild->GetPixel(10, 10), TileColour(frame));
    EXPECT_DOUBLE_EQ(wild->GetX(), panel->GetLeft() + 95);
    EXPECT_DOUBLE_EQ(wild->GetY(), panel->GetY() + 20);

    // The next hand without one hides the tile again.
    start.wildIndicator = -1;
    StoreHandStart(start);
    table->ShowDepositPanel(1);
    Frame();
    EXPECT_EQ(wild->IsVisible(), 0);
    EXPECT_EQ(PanelPixel(5, 28), kDepositBig);
}

TEST_F(TableResultPartsTest, ScoreFactsComeFromTheStoredResultAndTheSeats) {
    LaunchRecordBuilder launch;
    launch.room.options = RoomInfo::kOptionSilverRoom;
    launch.seats = {MakeLaunchUser(500, 0, "东家"), MakeLaunchUser(501, 1, "自己"),
                    MakeLaunchUser(502, 2, "西家"), MakeLaunchUser(503, 3, "北家")};
    ASSERT_TRUE(app->InitGameData(launch.Build()));
    seated = true;
    ResultRecordBytes result;
    result.Set(&R::silverChange, 0, -50).Set(&R::silverChange, 1, 1200).Set(&R::scoreChange, 3, 7);
    ASSERT_TRUE(app->GetTableData()->StoreGameResult(result.Span()));
    Open(800, 600);
    const score_text::HandScoreFacts facts = table->CollectHandScoreFacts();
    EXPECT_TRUE(facts.silverRoom);
    EXPECT_EQ(facts.ownChair, app->GetMyChairNo());
    EXPECT_EQ(facts.seatCount, 4);
    EXPECT_EQ(facts.names[2], "西家");
    EXPECT_EQ(facts.silverChange[0], -50);
    EXPECT_EQ(facts.silverChange[1], 1200);
    EXPECT_EQ(facts.scoreChange[3], 7);
    const std::vector<std::string> lines = score_text::HandScoreLines(facts);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "<c=2302755>-50 两\r\n"), lines.end());

    std::string out = "old";
    EXPECT_EQ(&CRegionalTableView::FormatChineseNumber(out, 20), &out);
    EXPECT_EQ(out, "二十");
}

TEST_F(TableResultPartsTest, TheResultDialogsCloseButtonHidesItOnTheTable) {
    Open(800, 600);
    CGameResultDlg* dialog = table->GetResultDlg();
    ASSERT_NE(dialog, nullptr);
    ResultRecordBytes result;
    result.Winner(2, 0);
    table->ShowResult(result.Span());
    Frame();
    ASSERT_EQ(dialog->IsVisible(), 1);
    EXPECT_EQ(dialog->GetSelectedChair(), 2);
    // The close button reports to the dialog, which tells "MainGame".
    dialog->OnEvent(MakeEventRecord(dialog->GetId(), kEventResultClose, 0, 0));
    Frames(2);
    EXPECT_EQ(dialog->IsVisible(), 0);
}

}  // namespace
