// The mahjong frame view in an engine window: the shop and recharge pages it
// opens through the hall or the browser, the frame's event table it keeps
// (the exit-request bookkeeping, the seat-board presses), the splitter bar
// it makes itself and the side-panel width that follows the splitter.

#include "mahjong_client/MahjongFrameView.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "frame/HallRecords.h"
#include "frame/panels/SplitterBar.h"
#include "frame/web/BrowserJob.h"
#include "platform/Browser.h"
#include "platform/Profile.h"
#include "tests/mahjong_client/MahjongFrameWindow.h"

namespace {

using namespace mahjong_frame_test;

constexpr char kShopUrl[] = "http://shop.example/props.aspx";
constexpr char kPayUrl[] = "http://pay.example/charge.aspx";

// The hall's window: writes down the pages it is asked to open.
class PageHall : public platform::Window {
public:
    PageHall() {
        platform::RegisterWindowClass(kHallWindowClass);
        Create(kHallWindowClass);
    }
    ~PageHall() override { Destroy(); }
    platform::LResult WindowProc(uint32_t id, platform::WParam, platform::LParam lParam) override {
        if (id != platform::kMsgCopyData) {
            return 0;
        }
        const auto* copy = reinterpret_cast<const platform::CopyDataRecord*>(lParam);
        if (copy->dwData != kHallDataOpenUrl) {
            return 1;
        }
        const auto* data = static_cast<const uint8_t*>(copy->lpData);
        const auto plain = DecipherHallRecord(std::span<const uint8_t>(data, copy->cbData));
        HallUrlRecord record;
        if (plain && ReadRecord(std::span<const uint8_t>(*plain), record)) {
            pages.push_back(FieldText(record.url) + " " + std::to_string(record.flag));
        }
        return 1;
    }
    std::vector<std::string> pages;
};

// A main window that takes the browser jobs back and frees them.
class JobWindow : public platform::Window {
public:
    JobWindow() {
        platform::RegisterWindowClass("MahjongJobWindow");
        Create("MahjongJobWindow");
    }
    ~JobWindow() override { Destroy(); }
    platform::LResult WindowProc(uint32_t id, platform::WParam wParam, platform::LParam) override {
        if (id == kMsgBrowserOpened) {
            urls.push_back(reinterpret_cast<BrowserJob*>(wParam)->url);
            FreeBrowserJob(wParam);
        }
        return 0;
    }
    std::vector<std::string> urls;
};

class MahjongFrameViewTest : public MahjongFrameWindowTest {
protected:
    void SetUp() override {
        MahjongFrameWindowTest::SetUp();
        platform::DefaultBrowser().Clear();
    }
    void WritePages() {
        const std::string ini = app.GetGameIniFile();
        platform::WritePrivateProfileString("ADVERT", "Shop", kShopUrl, ini.c_str());
        platform::WritePrivateProfileString("ADVERT", "Pay", kPayUrl, ini.c_str());
    }
    void LaunchWithHall() {
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kFirstUserId;
        fields.chairNo = 0;
        fields.hallWindow = static_cast<int32_t>(hall.Id());
        app.SetLaunchFields(fields);
    }
    CSplitterBar* Splitter() {
        return dynamic_cast<CSplitterBar*>(view->FindObjectByName(CSplitterBar::kName));
    }
    void PressArrow() {
        CSplitterBar* splitter = Splitter();
        ASSERT_NE(splitter, nullptr);
        splitter->OnEvent(MakeEventRecord(splitter->GetId(), kSplitterArrowPress, 0, 0));
    }

    PageHall hall;
};

TEST_F(MahjongFrameViewTest, OnlineTheShopAndRechargePagesOpenThroughTheHall) {
    WritePages();
    LaunchWithHall();
    Open();
    EXPECT_EQ(Send(kEventOpenPropsShop), 1);
    EXPECT_EQ(Send(kEventOpenRechargePage), 1);
    EXPECT_EQ(hall.pages, (std::vector<std::string>{std::string(kShopUrl) + " 1",
                                                    std::string(kPayUrl) + " 1"}));
    EXPECT_TRUE(platform::DefaultBrowser().Opened().empty());
    // The title bar's shop button keeps the frame's own page.
    EXPECT_EQ(Send(kEventShopButton), 1);
    EXPECT_EQ(view->Count("OpenShop"), 1);
}

TEST_F(MahjongFrameViewTest, OfflineTheyOpenInTheBrowser) {
    WritePages();
    app.SetOfflineMode(true);
    Open();
    JobWindow jobs;
    app.SetMainWindow(jobs.Id());
    EXPECT_EQ(Send(kEventOpenPropsShop), 1);
    ASSERT_TRUE(PumpUntil([&] { return jobs.urls.size() == 1; }, 5000));
    EXPECT_EQ(Send(kEventOpenRechargePage), 1);
    ASSERT_TRUE(PumpUntil([&] { return jobs.urls.size() == 2; }, 5000));
    EXPECT_EQ(jobs.urls, (std::vector<std::string>{kShopUrl, kPayUrl}));
    EXPECT_EQ(platform::DefaultBrowser().Opened(), (std::vector<std::string>{kShopUrl, kPayUrl}));
    EXPECT_TRUE(hall.pages.empty());
    app.SetMainWindow(wnd->Id());
}

TEST_F(MahjongFrameViewTest, WithoutAnAddressNothingOpens) {
    LaunchWithHall();
    Open();
    EXPECT_EQ(Send(kEventOpenPropsShop), 1);
    EXPECT_EQ(Send(kEventOpenRechargePage), 1);
    EXPECT_FALSE(view->OpenPropsShop());
    EXPECT_TRUE(hall.pages.empty());
    EXPECT_TRUE(platform::DefaultBrowser().Opened().empty());
}

TEST_F(MahjongFrameViewTest, AnExitRequestIsCountedAndTimedInTheTableData) {
    Open();
    auto* reason = static_cast<char*>(AllocEventBlock(16));
    std::strcpy(reason, "有事");
    EXPECT_EQ(Send(kEventForceQuitConfirm, EventParam(reason), 16), 1);  // freed by the view
    EXPECT_EQ(app.connection.Count("RequestExit 有事"), 1);
    EXPECT_EQ(app.tableData.GetExitRequestCount(), 1);
    EXPECT_NE(app.tableData.GetExitRequestTick(), 0u);
    EXPECT_EQ(Send(kEventForceQuitConfirm), 1);
    EXPECT_EQ(app.tableData.GetExitRequestCount(), 2);
    EXPECT_EQ(Send(kEventExitAnswer, 777, 1), 1);
    EXPECT_EQ(app.connection.calls.back(), "AnswerExitRequest 777 1");
}

TEST_F(MahjongFrameViewTest, SeatBoardPressesActOnlyWithTheirInputSnapshot) {
    app.SetOfflineMode(true);
    Open();
    EXPECT_EQ(Send(kEventSeatBoardLeftDown, kFirstUserId + 2, 0), 1);
    EXPECT_EQ(Send(kEventSeatBoardRightDown, kFirstUserId + 2, 0), 1);
    EXPECT_EQ(view->Count("ShowPlayerCard"), 0);
    EXPECT_EQ(view->Count("FadeOutPlayerCard"), 0);

    InputState input;
    input.mouseX = 321;
    input.mouseY = 123;
    input.mouseTarget = 9999;
    EXPECT_EQ(Send(kEventSeatBoardLeftDown, kFirstUserId + 2, EventParam(&input)), 1);
    EXPECT_EQ(view->Count("ShowPlayerCard 102 321 123"), 1);
    EXPECT_EQ(Send(kEventSeatBoardRightDown, kFirstUserId + 2, EventParam(&input)), 1);
    EXPECT_EQ(view->Count("FadeOutPlayerCard 102"), 1);
}

TEST_F(MahjongFrameViewTest, TheViewMakesItsOwnSplitterWithoutTheFramesFactories) {
    app.SetFramePanelFactories(FramePanelFactories{});
    Open();
    CSplitterBar* splitter = Splitter();
    ASSERT_NE(splitter, nullptr);
    EXPECT_EQ(splitter->IsExpanded(), 1);
    const IntRect game = view->table.GetViewRect();
    EXPECT_EQ(game.right, kSceneWidth - view->GetVisibleSidePanelWidth() - 4 - 6);
    EXPECT_EQ(view->GetVisibleSidePanelWidth(), view->GetSidePanelWidth());
    // A second build keeps the one splitter.
    view->CreateFrameButtons();
    EXPECT_EQ(Splitter(), splitter);
}

TEST_F(MahjongFrameViewTest, AFoldedSidePanelStaysFoldedAcrossMaximiseAndRestore) {
    Open();
    const int maximisedWidth = view->GetSidePanelWidth();
    PressArrow();
    EXPECT_EQ(view->GetVisibleSidePanelWidth(), 0);
    view->ToggleMaximize();  // restore
    EXPECT_EQ(view->IsMaximized(), 0);
    EXPECT_EQ(view->GetSidePanelWidth(), CGameFrameView::kNormalSidePanelWidth);
    EXPECT_EQ(view->GetVisibleSidePanelWidth(), 0);
    view->ToggleMaximize();  // maximise
    EXPECT_EQ(view->GetSidePanelWidth(), maximisedWidth);
    EXPECT_EQ(view->GetVisibleSidePanelWidth(), 0);
    PressArrow();
    EXPECT_EQ(view->GetVisibleSidePanelWidth(), maximisedWidth);
    // Restored to 800 pixels the panel folds again.
    view->ToggleMaximize();
    EXPECT_EQ(Splitter()->IsCollapsed(), 1);
    EXPECT_EQ(view->GetVisibleSidePanelWidth(), 0);
}

TEST_F(MahjongFrameViewTest, ANarrowScreenFoldsTheSidePanelAtCreation) {
    SetWorkArea(800, 600);
    app.SetFramePanelFactories(FramePanelFactories{});
    Open(new ObservedMahjongFrameView, 800, 600);
    ASSERT_NE(Splitter(), nullptr);
    EXPECT_EQ(Splitter()->IsCollapsed(), 1);
    EXPECT_EQ(view->GetVisibleSidePanelWidth(), 0);
    EXPECT_EQ(view->table.GetViewRect().right, 800 - 4 - 6);
}

}  // namespace
