// The program's start-up in this process, offline (no hall, no server): the
// main window with its dialog bar, the frame view with the eleven packs of
// the test skin and its two children, the generated table, and the debug
// commands on the real table view.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/ui/CorvaneButton.h"
#include "game/app/MainFrame.h"
#include "game/app/RegionalFrameView.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/table/PlayerBoardSmall.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/panels/TableSystemBar.h"
#include "platform/Dialogs.h"
#include "platform/Messages.h"
#include "platform/Screen.h"
#include "platform/Sync.h"
#include "tests/game/support/ProgramFolder.h"

namespace {

CRegionalMahjongApp& App() {
    return *CRegionalMahjongApp::Instance();
}

// Runs the thread's messages for ms, or until a quit message is taken
// (answers whether one was).
bool RunMessages(uint32_t ms) {
    const uint32_t end = platform::GetTickCount32() + ms;
    platform::Message message;
    while (int32_t(end - platform::GetTickCount32()) > 0) {
        while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
            if (message.id == platform::kMsgQuit) {
                return true;
            }
            platform::DispatchMessage(message);
        }
        platform::SleepMs(5);
    }
    return false;
}

class OfflineStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Ok()) << folder.Error();
        platform::SetScreenForTesting({0, 0, 1024, 768}, {0, 0, 1024, 740});
        platform::SetMessageBoxSink([](const platform::MessageBoxRequest&) { return 1; });
        App().SetOfflineMode(true);
        started = App().InitInstance();
        ASSERT_TRUE(started);
        RunMessages(300);  // the game entered, the first frames drawn
    }
    void TearDown() override {
        if (started) {
            App().ExitInstance();
        }
        App().ResetForTesting();
        platform::SetMessageBoxSink({});
        platform::SetScreenForTesting({}, {});
    }
    CRegionalTableView* View() { return App().GetRegionalTableView(); }

    game_test::ProgramFolder folder;
    bool started = false;
};

TEST_F(OfflineStartTest, TheMainWindowCarriesItsDialogBarAndTheRegionalViews) {
    auto* frame = dynamic_cast<CMainFrame*>(App().GetMainFrame());
    ASSERT_NE(frame, nullptr);
    EXPECT_STREQ(frame->GetRuntimeClassName(), "CMainFrame");
    EXPECT_EQ(App().GetMainWindow(), frame->Id());
    CDialogBar* bar = frame->GetDialogBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsCreated());
    EXPECT_EQ(bar->TemplateId(), 141);
    EXPECT_EQ(bar->ControlId(), 141);
    EXPECT_EQ(bar->Style(), 0x2830u);
    EXPECT_EQ(bar->Height(), 0);

    auto* view = dynamic_cast<CRegionalFrameView*>(App().GetFrameView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(frame->GetRootObject(), view);
    EXPECT_NE(dynamic_cast<CTableSystemBar*>(view->GetSubSystem()), nullptr);
    EXPECT_NE(View(), nullptr);
    EXPECT_EQ(view->GetSidePanelWidth(), CGameFrameView::kNormalSidePanelWidth);
    // Every pack of the program folder opened: the skin's pictures are there.
    EXPECT_EQ(view->RegisterResourcePacks(), 11);
}

TEST_F(OfflineStartTest, TheOfflineTableHasFourPlayersLookersOnAndAHistory) {
    EXPECT_EQ(App().GetGameID(), CRegionalMahjongApp::kOfflineGameId);
    EXPECT_EQ(App().GetServerHost(), "127.0.0.1");
    EXPECT_EQ(App().GetMyChairNo(), 0);
    EXPECT_EQ(App().GetTablePlayerCount(), 4);
    EXPECT_EQ(App().GetNoticeHost(), "127.0.0.1");
    EXPECT_EQ(App().GetAdvertHost(), "127.0.0.1");
    for (int chair = 0; chair < 4; ++chair) {
        const UserRecord& seat = App().GetSeat(chair);
        EXPECT_EQ(seat.userId, 10 + chair);
        EXPECT_EQ(seat.chairNo, chair);
        EXPECT_EQ(seat.games, seat.wins + seat.losses + seat.draws);
        EXPECT_LT(seat.wins, 1000);
        EXPECT_GE(seat.wins, 0);
        const UserRecord* looker = App().FindUser(20 + chair);
        ASSERT_NE(looker, nullptr) << chair;
        EXPECT_EQ(looker->chairNo, chair);
        EXPECT_TRUE(App().IsUserLookingOn(20 + chair));
    }
    EXPECT_EQ(App().GetChairUserName(0), "游戏玩家【甲】");
    EXPECT_EQ(App().GetChairUserName(3), "游戏玩家【丁】");
    EXPECT_EQ(App().GetHandCounter(), 100);
    const int newest = (App().GetHandCounter() - 1) % CGameFrameApp::kHistoryHands;
    for (int chair = 0; chair < 4; ++chair) {
        EXPECT_EQ(App().GetHistory(chair, newest), 1010000 + chair);
    }
}

TEST_F(OfflineStartTest, TheBoardsAndTheStartButtonAreShown) {
    ASSERT_NE(View(), nullptr);
    for (int position = 0; position < 4; ++position) {
        CSeatBoard* board = View()->GetSeatBoard(position);
        ASSERT_NE(board, nullptr) << position;
        EXPECT_TRUE(board->IsVisible()) << position;
    }
    ASSERT_NE(View()->GetStartButton(), nullptr);
    EXPECT_TRUE(View()->GetStartButton()->IsVisible());
}

TEST_F(OfflineStartTest, DebugCommandsActOnTheTable) {
    ASSERT_NE(View(), nullptr);
    EXPECT_EQ(App().HandleDebugCommand("/ShowChat"), 1);
    for (int position = 0; position < 4; ++position) {
        CPlayerBoardSmall* board = View()->GetPlayerBoard(position);
        ASSERT_NE(board, nullptr) << position;
        EXPECT_EQ(board->GetBubbleText(), "...") << position;
    }
    const int autoPlay = View()->IsAutoPlay();
    EXPECT_EQ(App().HandleDebugCommand("/AutoPlay"), 1);
    EXPECT_EQ(View()->IsAutoPlay(), autoPlay == 0 ? 1 : 0);
    EXPECT_EQ(App().HandleDebugCommand("/AutoPlay"), 1);
    EXPECT_EQ(View()->IsAutoPlay(), autoPlay == 0 ? 0 : 1);

    EXPECT_EQ(App().HandleDebugCommand("/FreshCard"), 1);
    EXPECT_EQ(App().HandleDebugCommand("/ShowGameWin"), 1);
    ASSERT_NE(View()->GetResultDlg(), nullptr);

    CCorvaneObject* slogan = View()->FindObjectByName("bit_slogan");
    ASSERT_NE(slogan, nullptr);
    slogan->Show();
    EXPECT_EQ(App().HandleDebugCommand("/StartPlay"), 1);
    EXPECT_FALSE(View()->GetStartButton()->IsVisible());
    EXPECT_FALSE(slogan->IsVisible());

    // The quit goes to the main window's thread and ends the loop.
    EXPECT_EQ(App().HandleDebugCommand("/QuitGame"), 1);
    EXPECT_TRUE(RunMessages(500)) << "no quit message";
}

}  // namespace
