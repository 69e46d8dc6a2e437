// The table's side-panel bars on their own in the engine window: the round
// history list, the user list's header, the chat box's slices and the input
// bar's geometry, phrase list and quick-silver menu.

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/CorvaneCanvas.h"
#include "engine/GameCore.h"
#include "engine/ui/CorvaneEdit.h"
#include "engine/ui/CorvaneScrollBar.h"
#include "engine/ui/CorvaneTextList.h"
#include "engine/ui/RichText.h"
#include "frame/panels/PopupMenu.h"
#include "frame/panels/ScoreTable.h"
#include "mahjong_client/panels/RoundHistoryList.h"
#include "mahjong_client/panels/SystemChatBox.h"
#include "mahjong_client/panels/SystemInputBar.h"
#include "mahjong_client/panels/SystemUserListBar.h"
#include "tests/frame_panels/BarWindow.h"
#include "tests/mahjong_client/panels/RecordingCanvas.h"

namespace bars_test {
namespace {

using recording_canvas::Lines;
using recording_canvas::Log;
using recording_canvas::Recording;

bool Has(const Log& log, const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
}

// --- the round history list ---

// Tabs 24 high, a title row of 20, rows of 18, columns of 40.
class HistoryListTest : public BarWindowTest {
protected:
    void OpenList() {
        Open();
        side->SetIntSetting(50007, 24);
        side->SetIntSetting(50008, 20);
        side->SetIntSetting(50009, 18);
        side->SetIntSetting(50010, 40);
        side->SetIntSetting(50011, 10);
        bar = AddBar<CRoundHistoryList>(600, 120, 300, 200, new Recording<CRoundHistoryList>(&log));
        Frame();
    }
    // The table drawn afresh.
    Log Redraw() {
        log.clear();
        bar->DrawScoreTable();
        return log;
    }
    // Hand h gives chair c the result h × 10 + c.
    void PlayHands(int hands) {
        for (int h = 1; h <= hands; ++h) {
            std::array<int32_t, kSeatCount> values{};
            for (int c = 0; c < kSeatCount; ++c) {
                values[static_cast<size_t>(c)] = h * 10 + c;
            }
            app.AddHistory(values);
        }
    }
    Log log;
    CRoundHistoryList* bar = nullptr;
};

TEST_F(HistoryListTest, ItStillAnswersToTheAdvertBarsName) {
    OpenList();
    EXPECT_EQ(side->FindObjectByName("AdvertBar"), bar);
}

TEST_F(HistoryListTest, BeforeTheFirstRoundTwoColumnsAndNoRoundHeaders) {
    OpenList();
    const Log drawn = Redraw();
    // Widened to the bar: the rows' lines run its whole width.
    EXPECT_EQ(bar->GetScoreCanvas()->GetCanvasWidth(), 300);
    EXPECT_EQ(bar->GetScoreCanvas()->GetCanvasHeight(), 4 * 18 + 20);
    EXPECT_EQ(
        Lines(drawn, "line "),
        (Log{"line 110,20,110,92", "line 110,20,110,92", "line 150,20,150,92", "line 0,20,300,20",
             "line 0,38,300,38", "line 0,56,300,56", "line 0,74,300,74", "line 0,92,300,92"}));
    EXPECT_EQ(Lines(drawn, "text "), (Log{"text 9,5 用户名", "text 9,27 甲", "text 9,45 乙"}));
    EXPECT_EQ(Lines(drawn, "centred "),
              (Log{"centred 130,8 总银子", "centred 130,29 0", "centred 130,47 0"}));
    EXPECT_EQ(Lines(drawn, "font "), (Log{"font 12 600 宋体", "font 12 400 宋体"}));
}

TEST_F(HistoryListTest, AScoreRoomHeadsTheTotalWithScore) {
    launch.room.options = 0;
    OpenList();
    EXPECT_TRUE(Has(Redraw(), "centred 130,8 总积分"));
}

TEST_F(HistoryListTest, After35RoundsThe30NewestFromTheRing) {
    OpenList();
    PlayHands(35);
    const Log drawn = Redraw();
    EXPECT_EQ(bar->GetScoreCanvas()->GetCanvasWidth(), 31 * 40 + 110);
    Log headers;
    Log firstRow;
    Log secondRow;
    for (int i = 0; i < 30; ++i) {
        const int n = 35 - i;
        const std::string x = std::to_string(130 + (i + 1) * 40);
        headers.push_back("centred " + x + ",8 第" + std::to_string(n) + "局");
        firstRow.push_back("centred " + x + ",29 " + std::to_string(n * 10));
        secondRow.push_back("centred " + x + ",47 " + std::to_string(n * 10 + 1));
    }
    const Log centred = Lines(drawn, "centred ");
    ASSERT_EQ(centred.size(), 1u + 30u + 2u * 31u);
    EXPECT_EQ(Log(centred.begin() + 1, centred.begin() + 31), headers);
    EXPECT_EQ(centred[31], "centred 130,29 " + std::to_string(app.GetHistoryTotal(0)));
    EXPECT_EQ(Log(centred.begin() + 32, centred.begin() + 62), firstRow);
    EXPECT_EQ(Log(centred.begin() + 63, centred.end()), secondRow);
    // 31 column lines after the name column's, the last at 110 + 30 × 40.
    const Log lines = Lines(drawn, "line ");
    EXPECT_TRUE(Has(lines, "line 1310,20,1310,92"));
    EXPECT_FALSE(Has(lines, "line 1350,20,1350,92"));
}

TEST_F(HistoryListTest, PresentSeatsArePackedAndTheEmptyRowStaysAtTheBottom) {
    launch.seats = {MakeLaunchUser(kOwnId, 0, "甲"), MakeLaunchUser(102, 2, "丙"),
                    MakeLaunchUser(103, 3, "丁")};
    OpenList();
    const Log drawn = Redraw();
    EXPECT_EQ(Lines(drawn, "text "),
              (Log{"text 9,5 用户名", "text 9,27 甲", "text 9,45 丙", "text 9,63 丁"}));
    EXPECT_TRUE(Has(drawn, "line 0,92,300,92"));
}

TEST_F(HistoryListTest, MoreThanEightSeatsDrawAndPlaceEightRows) {
    app.playerCount = 12;
    launch.seats.clear();
    for (int chair = 0; chair < 8; ++chair) {
        launch.seats.push_back(MakeLaunchUser(kOwnId + chair, chair, "p" + std::to_string(chair)));
    }
    OpenList();
    const Log drawn = Redraw();
    const int height = 8 * 18 + 20;
    CCorvaneCanvas* canvas = bar->GetScoreCanvas();
    EXPECT_EQ(canvas->GetCanvasHeight(), height);
    EXPECT_TRUE(Has(drawn, "line 0,164,300,164"));
    EXPECT_FALSE(Has(drawn, "line 0,182,300,182"));
    EXPECT_EQ(Lines(drawn, "text ").size(), 1u + 8u);
    // The layout counts the same eight rows: the table hangs from the tabs.
    bar->Layout();
    EXPECT_NEAR(canvas->GetTop(), bar->GetTop() + 24, 0.5);
    EXPECT_NEAR(bar->GetScrollBar()->GetTop(), canvas->GetBottom(), 0.5);
}

TEST(HistoryTable, ANegativeRoundCountDrawsAsNoRoundPlayed) {
    Log log;
    recording_canvas::RecordingCanvas canvas(&log);
    ASSERT_EQ(canvas.Create(1, 1, 0xff00ff, nullptr), 1);
    ScoreTableGeometry geometry;
    geometry.headerHeight = 20;
    geometry.rowHeight = 18;
    geometry.columnWidth = 40;
    ScoreTableModel model;
    model.hands = -3;
    model.rows.resize(1);
    CCorvaneVisual visual;
    DrawScoreTableOn(canvas, nullptr, geometry, model, 100, visual);
    EXPECT_EQ(canvas.GetCanvasWidth(), 2 * 40 + 110);
    EXPECT_EQ(Lines(log, "centred ").size(), 2u);  // the total's title and value
}

// --- the user list's header ---

class UserListHeaderTest : public BarWindowTest {
protected:
    void SetUp() override {
        BarWindowTest::SetUp();
        AddImage("SystemUserListBar", 300, 24, 0x404040);
        AddImage("UserListBlock", 300, 20, 0x808080);
        AddImage("SystemDivide", 2, 20, 0xffffff);
    }
    // A list with the columns (width, title), then its header drawn afresh.
    Log HeaderWith(std::vector<std::pair<int, const char*>> columns) {
        Open();
        list = new Recording<CSystemUserListBar>(&log);
        side->Register(list);
        int type = 0;
        for (const auto& [width, title] : columns) {
            list->AddColumn(type++, width, title, 0, 0, 0);
        }
        list->Build();
        list->SetSize(300, 120);
        list->SetPos(400, 200);
        list->Relayout();
        log.clear();
        list->DrawHeader();
        return log;
    }
    Log log;
    CSystemUserListBar* list = nullptr;
};

TEST_F(UserListHeaderTest, BoldTitlesDividedAfterTheFirstColumn) {
    const Log drawn = HeaderWith({{138, "用户名"}, {60, "银子"}, {60, "积分"}});
    EXPECT_TRUE(Has(drawn, "font 12 600 宋体"));
    EXPECT_EQ(Lines(drawn, "text "),
              (Log{"text 3,3 用户名", "text 142,3 银子", "text 202,3 积分"}));
    // The background at its own size first, a divider before each later title.
    const Log images = Lines(drawn, "image ");
    ASSERT_GE(images.size(), 3u);
    EXPECT_EQ(images[0], "image 300,24 at 0,0 size -1,-1");
    EXPECT_EQ(images[1], "image 2,20 at 138,2 size -1,-1");
    EXPECT_EQ(images[2], "image 2,20 at 198,2 size -1,-1");
}

TEST_F(UserListHeaderTest, WithNoColumnsOnlyTheBackgroundIsDrawn) {
    const Log drawn = HeaderWith({});
    EXPECT_TRUE(Lines(drawn, "text ").empty());
    const Log images = Lines(drawn, "image ");
    ASSERT_FALSE(images.empty());
    EXPECT_EQ(images[0], "image 300,24 at 0,0 size -1,-1");
    for (const std::string& image : images) {
        EXPECT_EQ(image.find("image 2,20"), std::string::npos) << image;
    }
}

TEST_F(UserListHeaderTest, AfterAZeroWidthFirstColumnTheSecondIsDrawnAsAFirst) {
    const Log drawn = HeaderWith({{0, "甲"}, {60, "乙"}, {60, "丙"}});
    EXPECT_EQ(Lines(drawn, "text "), (Log{"text 3,3 甲", "text 3,3 乙", "text 64,3 丙"}));
    const Log dividers = Lines(drawn, "image 2,20");
    EXPECT_EQ(dividers, (Log{"image 2,20 at 60,2 size -1,-1"}));
}

TEST_F(UserListHeaderTest, TheStripIsStretchedAcrossItsCanvasAndTheCornerWaitsForItsImage) {
    const Log without = HeaderWith({{138, "用户名"}});
    // Header canvas and strip cleared; no corner image, no corner clear.
    const Log clears = Lines(without, "clear ");
    ASSERT_EQ(clears.size(), 2u);
    // The strip's picture spans the strip canvas's width at its own height.
    const std::string stripSize = clears[1].substr(6, clears[1].find(',') - 6);
    const Log images = Lines(without, "image 300,24");
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[1], "image 300,24 at 0,0 size " + stripSize + ",24");
}

TEST_F(UserListHeaderTest, ACornerImageIsDrawnInTheCorner) {
    AddImage("滚动角", 16, 16, 0x00ff00);
    const Log drawn = HeaderWith({{138, "用户名"}});
    EXPECT_EQ(Lines(drawn, "clear").size(), 3u);
    EXPECT_TRUE(Has(drawn, "image 16,16 at 0,0 size -1,-1"));
}

// --- the chat box ---

class TableChatBoxTest : public BarWindowTest {
protected:
    void SetUp() override {
        BarWindowTest::SetUp();
        AddImage("SystemChatBox3", 40, 8, 0x505050);
    }
    CSystemChatBox* OpenBox(int height) {
        Open();
        return AddBar<CSystemChatBox>(400, 250, 380, height);
    }
    // The colour of each row of the background at x.
    static std::vector<uint32_t> Column(CCorvaneCanvas& canvas, int x, int height) {
        std::vector<uint32_t> colours;
        for (int y = 0; y < height; ++y) {
            colours.push_back(canvas.GetPixel(x, y));
        }
        return colours;
    }
};

constexpr uint32_t kTopSlice = 0x303030;
constexpr uint32_t kMiddleSlice = 0x404040;
constexpr uint32_t kBottomSlice = 0x505050;

TEST_F(TableChatBoxTest, TopMiddleRepeatedAndBottomAcrossTheWholeWidth) {
    CSystemChatBox* box = OpenBox(100);
    CCorvaneRichText* view = box->GetView();
    CCorvaneCanvas* base = view->GetBaseCanvas();
    ASSERT_NE(base, nullptr);
    for (int x : {0, 200, 379}) {
        const std::vector<uint32_t> colours = Column(*base, x, 100);
        EXPECT_EQ(colours[0], kTopSlice);
        EXPECT_EQ(colours[9], kTopSlice);
        EXPECT_EQ(colours[10], kMiddleSlice);
        EXPECT_EQ(colours[91], kMiddleSlice);
        EXPECT_EQ(colours[92], kBottomSlice);
        EXPECT_EQ(colours[99], kBottomSlice);
    }
    EXPECT_EQ(view->GetViewWidth(), 380 - 12);
    EXPECT_EQ(view->GetViewHeight(), 100 - 7);
}

TEST_F(TableChatBoxTest, ABoxShorterThanBothEndsHasNoMiddleAndTheBottomOverTheTop) {
    CSystemChatBox* box = OpenBox(15);
    CCorvaneCanvas* base = box->GetView()->GetBaseCanvas();
    const std::vector<uint32_t> colours = Column(*base, 100, 15);
    EXPECT_EQ(std::count(colours.begin(), colours.end(), kMiddleSlice), 0);
    EXPECT_EQ(colours[0], kTopSlice);
    EXPECT_EQ(colours[6], kTopSlice);
    EXPECT_EQ(colours[7], kBottomSlice);
    EXPECT_EQ(colours[14], kBottomSlice);
}

// --- the input bar ---

class TableInputBarTest : public BarWindowTest {
protected:
    // 400 wide at x 200..600, y 530..590.
    void OpenBar() {
        Open();
        bar = AddBar<CSystemInputBar>(400, 560, 400, 60);
        Frame();
    }
    int ObjectCount() {
        return dynamic_cast<ObjectModule*>(wnd->GetCore()->FindModule(kObjectModuleId))
            ->GetObjectCount();
    }
    CSystemInputBar* bar = nullptr;
};

TEST_F(TableInputBarTest, WithoutButtonsTheFrameIsTheBarLess40And25In) {
    OpenBar();
    CCorvaneCanvas* frame = bar->GetInputFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetCanvasWidth(), 400 - 40);
    EXPECT_NEAR(frame->GetLeft(), 200 + 25, 0.5);
    // Three quarters of the frame's 24 below top + 31.
    EXPECT_NEAR(frame->GetY(), 530 + 18 + 31, 0.5);
    CCorvaneEdit* edit = bar->GetEditBox();
    EXPECT_EQ(static_cast<int>(edit->GetHeight()), 20);
    // The quick-chat button 5 inside the frame, the send button at the end.
    EXPECT_EQ(static_cast<int>(edit->GetWidth()), 360 - 80 - 15);
    EXPECT_NEAR(bar->GetQuickChatButton()->GetRight(), frame->GetRight() - 5, 0.5);
    EXPECT_NEAR(bar->GetSendButton()->GetRight(), 600, 0.5);
}

TEST_F(TableInputBarTest, ButtonsSit2BelowTheTop) {
    OpenBar();
    CCorvaneButton* face = AddSystemButton(*bar, "btnFace", "系统栏表情按钮", 19840396);
    bar->Layout();
    EXPECT_NEAR(face->GetTop(), 530 + 2, 0.5);
    EXPECT_NEAR(face->GetLeft(), 200 + 20 - 60, 0.5);
    // The row ends above the frame's row (its top at 530 + 49 - 12): the
    // frame keeps the whole of its own row, and the edit box its room.
    EXPECT_EQ(bar->GetInputFrame()->GetCanvasWidth(), 400 - 40);
    EXPECT_EQ(static_cast<int>(bar->GetEditBox()->GetWidth()), 360 - 80 - 15);
    EXPECT_TRUE(bar->GetEditBox()->IsVisible());
}

TEST_F(TableInputBarTest, ABarNarrowerThanItsImageDrawsItOnceUncut) {
    Open();
    Log log;
    auto* narrow = AddBar<CSystemInputBar>(400, 560, 250, 60, new Recording<CSystemInputBar>(&log));
    log.clear();
    narrow->Layout();
    const Log images = Lines(log, "image 300,60");
    EXPECT_EQ(images, (Log{"image 300,60 at 0,0 size -1,-1"}));
    log.clear();
    narrow->SetSize(500, 60);
    narrow->Layout();
    EXPECT_EQ(Lines(log, "image "),
              (Log{"image 150,60 at 0,0 size 150,60", "image 2,60 at 150,0 size 200,60",
                   "image 150,60 at 350,0 size 150,60", "image 100,24 at 0,0 size 100,24",
                   "image 2,24 at 100,0 size 260,24", "image 100,24 at 360,0 size 100,24"}));
}

TEST_F(TableInputBarTest, ManyButtonsOnANarrowBarHideTheFrameAndTheEditBox) {
    AddImage("btnTall", 120, 50, 0x0000c0);  // reaches down into the frame's row
    OpenBar();
    for (int i = 0; i < 5; ++i) {
        AddSystemButton(*bar, "btnTall", ("b" + std::to_string(i)).c_str(), 19840396);
    }
    // The row reaches 20 + 5 × 130 = 670: no room on a 400-wide bar.
    bar->Layout();
    EXPECT_FALSE(bar->GetInputFrame()->IsVisible());
    EXPECT_FALSE(bar->GetEditBox()->IsVisible());
    EXPECT_GE(bar->GetInputFrame()->GetCanvasWidth(), 1);
    EXPECT_GE(bar->GetEditBox()->GetWidth(), 1.0);
    // Room again once the bar is wide enough.
    bar->SetSize(1000, 60);
    bar->Layout();
    EXPECT_TRUE(bar->GetInputFrame()->IsVisible());
    EXPECT_TRUE(bar->GetEditBox()->IsVisible());
    EXPECT_EQ(bar->GetInputFrame()->GetCanvasWidth(), 1000 - 670 - 20);
}

TEST_F(TableInputBarTest, ThePhraseListIsMadeOnceAndOpens8AboveItsButton) {
    OpenBar();
    EXPECT_EQ(bar->GetPhraseList(), nullptr);
    bar->AddQuickPhrase("快点吧，我等到花儿都谢了。");
    CCorvaneTextList* list = bar->GetPhraseList();
    ASSERT_NE(list, nullptr);
    bar->AddQuickPhrase("大家好，很高兴见到各位！");
    EXPECT_EQ(bar->GetPhraseList(), list);
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(static_cast<int>(list->GetItem(0)->GetWidth()), 208);
    EXPECT_FALSE(list->IsVisible());

    bar->TogglePopupList();
    ASSERT_TRUE(list->IsVisible());
    CCorvaneButton* button = bar->GetQuickChatButton();
    EXPECT_NEAR(list->GetRight(), button->GetRight(), 1.0);
    EXPECT_NEAR(list->GetBottom(), button->GetTop() - 8, 1.0);
    bar->ToggleQuickChatList();
    EXPECT_FALSE(list->IsVisible());
}

TEST_F(TableInputBarTest, AChosenPhraseOutlivesTheListGrowingAndNobodyFreesIt) {
    OpenBar();
    bar->AddQuickPhrase("晕，打错牌啦!");
    bar->AddQuickPhrase("再来一局");
    bar->ToggleQuickChatList();
    CCorvaneTextList* list = bar->GetPhraseList();
    ClickOn(*list->GetItem(0));
    const auto chosen = side->Of(kEventQuickPhrase);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].text, "晕，打错牌啦!");
    EXPECT_EQ(chosen[0].param2, list->GetId());
    for (int i = 0; i < 200; ++i) {
        bar->AddQuickPhrase("再来一局");
    }
    // The same copy, still whole, and still the item's.
    EXPECT_STREQ(EventParamPointer<const char>(chosen[0].param1), "晕，打错牌啦!");
    EXPECT_EQ(list->GetItem(0)->GetNotify().param1, chosen[0].param1);
}

class TableQuickSilverTest : public TableInputBarTest {
protected:
    void OpenMenu() {
        OpenBar();
        safeBoxButton = AddQuickSilverMenu(*bar);
        ASSERT_NE(bar->GetQuickSilverMenu(), nullptr);
    }
    CCorvaneButton* safeBoxButton = nullptr;
};

TEST_F(TableQuickSilverTest, TheMenuWearsTheTablesColoursAndIcons) {
    AddImage("快速设银图标", 16, 16, 0x00ff00);
    AddImage("保险箱图标", 18, 18, 0x0000ff);
    OpenMenu();
    CPopupMenu* menu = bar->GetQuickSilverMenu();
    ASSERT_EQ(menu->GetItemCount(), 8);
    EXPECT_EQ(menu->GetItem(0)->GetCaption(), "100 两");
    EXPECT_EQ(menu->GetItem(6)->GetCaption(), "快速设银");
    EXPECT_EQ(menu->GetItem(7)->GetCaption(), "保 险 箱");
    for (int i = 0; i < 8; ++i) {
        CPopupMenuItem* item = menu->GetMenuItem(i);
        EXPECT_EQ(item->GetNormalBack(), 0xe6edd4u);
        EXPECT_EQ(item->GetHoverBack(), 0xcbd6c0u);
        EXPECT_EQ(item->GetPressedBack(), 0xcbd6c0u);
        EXPECT_EQ(item->GetSeparatorUpper(), 0xdae3d0u);
        EXPECT_EQ(item->GetSeparatorLower(), 0xe9efddu);
    }
    EXPECT_EQ(menu->GetMenuItem(6)->GetIconFrame().width, 16);
    EXPECT_EQ(menu->GetMenuItem(7)->GetIconFrame().width, 18);
    EXPECT_EQ(menu->GetMenuItem(5)->GetIconFrame().record, nullptr);
}

TEST_F(TableQuickSilverTest, EachOpeningReplacesTheMenuAndLeavesNoChildBehind) {
    OpenMenu();
    const int first = bar->GetQuickSilverMenu()->GetId();
    const int objects = ObjectCount();
    bar->ShowQuickSilverMenu(100, 20);
    bar->ShowQuickSilverMenu(100, 20);
    // Old menus go at the next steps of the engine's actions.
    RunMs(100);
    EXPECT_EQ(ObjectCount(), objects);
    EXPECT_EQ(side->FindObjectById(first), nullptr);
    EXPECT_NE(bar->GetQuickSilverMenu()->GetId(), first);
}

TEST_F(TableQuickSilverTest, AnAmountChosenReachesTheBarsOwnHandler) {
    OpenMenu();
    CPopupMenu* menu = bar->GetQuickSilverMenu();
    ClickOn(*safeBoxButton);
    ASSERT_TRUE(menu->IsVisible());
    ClickOn(*menu->GetItem(0));  // 100: 4900 into the safe box
    EXPECT_FALSE(menu->IsVisible());
    EXPECT_EQ(app.transfers.sent, std::vector<std::string>{"200042 4900"});
    // The side panel saw none of the menu's events.
    for (int event : {80000079, 80000080, 80000081, 80010000}) {
        EXPECT_TRUE(side->Of(event).empty()) << event;
    }
}

}  // namespace
}  // namespace bars_test
