// The advert bar with its score table, the match bar and the activity bar.

#include <gtest/gtest.h>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneScrollBar.h"
#include "engine/ui/CorvaneStatic.h"
#include "frame/panels/ActivityBar.h"
#include "frame/panels/AdvertBar.h"
#include "frame/panels/MatchListBar.h"
#include "frame/panels/OperateBar.h"
#include "frame/panels/ScoreTable.h"
#include "frame/web/WebHtmlCtrl.h"
#include "frame/web/WebPageDlg.h"
#include "tests/frame/web/WebTestSupport.h"
#include "tests/frame_panels/BarWindow.h"

namespace bars_test {
namespace {

// --- the score table ---

ScoreTableModel Model(int hands, int players) {
    ScoreTableModel model;
    model.seatCount = 4;
    model.hands = hands;
    for (int k = 0; k < players; ++k) {
        ScoreTableModel::Row row;
        row.name = "p" + std::to_string(k);
        for (int slot = 0; slot < ScoreTableModel::kRing; ++slot) {
            row.ring[static_cast<size_t>(slot)] = slot;
        }
        model.rows.push_back(row);
    }
    return model;
}

TEST(ScoreTable, ColumnsAreTwoBeforeTheFirstHandAndAtMost31) {
    EXPECT_EQ(Model(0, 4).Columns(), 2);
    EXPECT_EQ(Model(1, 4).Columns(), 2);
    EXPECT_EQ(Model(5, 4).Columns(), 6);
    EXPECT_EQ(Model(30, 4).Columns(), 31);
    EXPECT_EQ(Model(35, 4).Columns(), 31);
}

TEST(ScoreTable, RowsAreAtLeastFour) {
    ScoreTableGeometry g;
    g.headerHeight = 20;
    g.rowHeight = 18;
    EXPECT_EQ(g.TableHeight(2), 4 * 18 + 20);
    EXPECT_EQ(g.TableHeight(6), 6 * 18 + 20);
}

class AdvertBarTest : public BarWindowTest {
protected:
    void OpenAdvert() {
        Open();
        side->SetIntSetting(50007, 24);
        side->SetIntSetting(50008, 20);
        side->SetIntSetting(50009, 18);
        side->SetIntSetting(50010, 40);
        side->SetIntSetting(50011, 10);
        bar = AddBar<CAdvertBar>(600, 120, 300, 200);
        Frame();
    }
    webtest::FakeBackendScope web;
    CAdvertBar* bar = nullptr;
};

TEST_F(AdvertBarTest, TheScoreTabIsActiveAtStartAndTheTabsSwitchByClicks) {
    OpenAdvert();
    ASSERT_NE(bar->GetScoreTab(), nullptr);
    EXPECT_EQ(bar->GetAdvertTab()->GetCaption(), "广告");
    EXPECT_EQ(bar->GetScoreTab()->GetCaption(), "成绩");
    EXPECT_TRUE(bar->IsScoreTabActive());
    EXPECT_TRUE(bar->GetScoreCanvas()->IsVisible());
    EXPECT_TRUE(bar->GetScrollBar()->IsVisible());

    bar->Navigate("http://ads.example/a.html");
    ASSERT_NE(bar->GetBrowser(), nullptr);
    EXPECT_FALSE(bar->IsWebPageShowing());

    ClickOn(*bar->GetAdvertTab());
    EXPECT_FALSE(bar->IsScoreTabActive());
    EXPECT_FALSE(bar->GetScoreCanvas()->IsVisible());
    EXPECT_TRUE(bar->IsWebPageShowing());
    const auto* page = web->Find(bar->GetBrowser()->Page().Id());
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->visible);
    ASSERT_FALSE(page->navigations.empty());

    ClickOn(*bar->GetScoreTab());
    EXPECT_TRUE(bar->IsScoreTabActive());
    EXPECT_TRUE(bar->GetScoreCanvas()->IsVisible());
    EXPECT_FALSE(web->Find(bar->GetBrowser()->Page().Id())->visible);
}

TEST_F(AdvertBarTest, TabsAndTableFollowTheLayoutSettings) {
    OpenAdvert();
    // T = 4 × 18 + 20 = 92 (even): the tabs end 24 below the bar's top.
    EXPECT_NEAR(bar->GetAdvertTab()->GetBottom(), bar->GetTop() + 24, 0.5);
    EXPECT_NEAR(bar->GetAdvertTab()->GetLeft(), bar->GetLeft() + 1, 0.5);
    EXPECT_NEAR(bar->GetScoreTab()->GetLeft(), bar->GetAdvertTab()->GetRight() + 1, 1.0);
    CCorvaneCanvas* canvas = bar->GetScoreCanvas();
    EXPECT_EQ(canvas->GetCanvasHeight(), 92);
    // Before the first hand: two columns, widened to the bar.
    EXPECT_EQ(canvas->GetCanvasWidth(), 300);
    EXPECT_NEAR(canvas->GetTop(), bar->GetTop() + 24, 0.5);
}

TEST_F(AdvertBarTest, Event80000054RedrawsTheTableForTheNewHands) {
    OpenAdvert();
    for (int hand = 0; hand < 35; ++hand) {
        app.AddHistory({1, -1, 0, 0, 0, 0, 0, 0});
    }
    side->SendEvent(MakeEventRecord(bar->GetId(), 80000054, 0, 0));
    // 31 columns of 40 and the name column.
    EXPECT_EQ(bar->GetScoreCanvas()->GetCanvasWidth(), 31 * 40 + 110);
}

TEST_F(AdvertBarTest, OfflineTheAdvertPageIsTheShopsAndNothingWithoutOne) {
    OpenAdvert();
    app.SetOfflineMode(true);
    bar->LoadAdvertPage();
    EXPECT_EQ(bar->GetBrowser(), nullptr);  // no "Shop" in the settings
}

// --- the match bar ---

class MatchBarTest : public BarWindowTest {};

TEST_F(MatchBarTest, TheClockCountsTheSecondsOnceStartedAndStops) {
    Open();
    auto* bar = AddBar<CMatchListBar>(600, 100, 300, 180);
    bar->StartElapsedClock();
    EXPECT_EQ(bar->ClockText(), "00:00");
    RunMs(5050);
    EXPECT_EQ(bar->ClockText(), "00:05");
    bar->StopElapsedClock();
    RunMs(2000);
    EXPECT_EQ(bar->GetElapsedSeconds(), 5);
}

TEST_F(MatchBarTest, ResumingTakesTheSecondsSinceTheStartOnlyWhenNegative) {
    Open();
    auto* bar = AddBar<CMatchListBar>(600, 100, 300, 180);
    app.SetSecondsToStart(30);
    bar->ResumeElapsedClock();
    RunMs(1100);
    EXPECT_EQ(bar->GetElapsedSeconds(), 0);
    app.SetSecondsToStart(-125);
    bar->ResumeElapsedClock();
    EXPECT_EQ(bar->ClockText(), "02:05");
    RunMs(1050);
    EXPECT_EQ(bar->ClockText(), "02:06");
    bar->StopElapsedClock();
}

TEST_F(MatchBarTest, RowsFitTheBarAndAPortraitPressAsksForTheOwnInformation) {
    Open();
    auto* bar = AddBar<CMatchListBar>(600, 150, 300, 220);
    // 220 - 6 - 40 - 18 - 20 - 6 = 130 high: six rows of 20.
    EXPECT_EQ(bar->GetVisibleRows(), 6);
    bar->OnEvent(MakeEventRecord(bar->GetId(), kEventPortraitPress, 0, 0));
    const auto asked = side->Of(kEventAskUserInfo);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].param1, kOwnId);
}

// --- the activity bar ---

class ActivityBarTest : public BarWindowTest {
protected:
    webtest::FakeBackendScope web;
};

TEST_F(ActivityBarTest, EachActiveEntryGetsAButtonThatOpensItsSignedPage) {
    AddImage("btn_签到2", 60, 40, 0x00c000);
    AddImage("btn_抽奖2", 60, 40, 0xc00000);
    Open();
    app.BuildSidePanelButtons();
    app.GetActiveButtons() = {0, 5};
    app.GetWebLinks()[5] = WebLinkEntry{500, 420, "http://act.example/draw?x=1"};
    auto* bar = AddBar<CActivityBar>(600, 300, 300, 52);
    ASSERT_EQ(bar->GetButtonCount(), 2);
    auto* second = dynamic_cast<CCorvaneButton*>(side->FindObjectById(bar->GetButtonId(1)));
    ASSERT_NE(second, nullptr);
    // One row: the second button right of the first.
    auto* first = side->FindObjectById(bar->GetButtonId(0));
    EXPECT_NEAR(first->GetY(), second->GetY(), 0.5);
    EXPECT_GT(second->GetLeft(), first->GetRight());

    ClickOn(*second);
    CWebPageDlg* page = bar->GetPageWindow();
    EXPECT_EQ(page->Title(), "抽奖");
    EXPECT_EQ(page->Width(), 500);
    EXPECT_EQ(page->Height(), 420);
    EXPECT_EQ(page->Address().rfind("http://act.example/draw?x=1", 0), 0u);
}

TEST(ActivityBar, ThePageTitleDropsThePrefixAndTheFinalTwo) {
    EXPECT_EQ(CActivityBar::PageTitle("btn_签到2"), "签到");
    EXPECT_EQ(CActivityBar::PageTitle("btn_x"), "x");
    EXPECT_EQ(CActivityBar::PageTitle("2"), "");
}

TEST_F(BarWindowTest, TheOperateBarNamesItselfAndHasNothingToPlace) {
    Open();
    auto* bar = AddBar<COperateBar>(400, 20, 300, 30);
    EXPECT_EQ(side->FindObjectByName("OpereateBar"), bar);
}

}  // namespace
}  // namespace bars_test
