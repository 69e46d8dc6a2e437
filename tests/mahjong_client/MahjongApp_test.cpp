// The mahjong application's getters and its lost-connection step.

#include "mahjong_client/MahjongApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "frame/view/GameFrameView.h"
#include "mahjong_client/panels/TableSystemBar.h"
#include "tests/mahjong_client/CoreFixture.h"

namespace {

using namespace core_test;

// A frame view with the recording table as MainGame and the notices it was
// asked to show.
class NoticeFrameView : public CGameFrameView {
public:
    explicit NoticeFrameView(CCorvaneView* table) { SetMainGame(table); }
    void ShowNoticeBox(const char* text, int seconds, int style, const char* image) override {
        notices.push_back(std::string(text) + " " + std::to_string(seconds) + " " +
                          std::to_string(style) + (image == nullptr ? " -" : " image"));
    }
    std::vector<std::string> notices;
};

// The recording table with its resets counted.
class ResetCountingView : public RecordingTableView {
public:
    void ClearTable() override { calls.push_back("ClearTable"); }
    void OnGameStart() override { calls.push_back("OnGameStart"); }
};

class MahjongAppTest : public ::testing::Test {
protected:
    void SetUp() override { app.Launch(); }
    void TearDown() override { app.DetachFrameView(); }
    CoreApp app;
    ResetCountingView table;
    NoticeFrameView frame{&table};
};

TEST_F(MahjongAppTest, GettersFindTheMahjongPartsOrNone) {
    EXPECT_EQ(CMahjongApp::CurrentMahjongApp(), &app);
    EXPECT_EQ(app.GetMahjongTableData(), &app.tableData);
    EXPECT_EQ(app.GetMahjongTableView(), nullptr);  // no frame view yet
    app.AttachFrameView(&frame);
    EXPECT_EQ(app.GetMahjongTableView(), &table);
    CMahjongApp& base = app;
    EXPECT_EQ(base.CMahjongApp::GetRejectKanPaiAsk(), 0);
    EXPECT_EQ(base.GetSoundEffect(), 0);
}

TEST_F(MahjongAppTest, TheSidePanelIsTheTables) {
    const FramePanelFactories& factories = app.GetFramePanelFactories();
    ASSERT_TRUE(factories.systemBars);
    std::unique_ptr<CCorvaneView> bars(factories.systemBars());
    EXPECT_NE(dynamic_cast<CTableSystemBar*>(bars.get()), nullptr);
}

TEST_F(MahjongAppTest, ALostConnectionResetsTheTableAndAsksForTheHall) {
    app.AttachFrameView(&frame);
    app.OnConnectionLost();
    EXPECT_EQ(table.calls, (std::vector<std::string>{"ClearTable", "OnGameStart"}));
    EXPECT_TRUE(app.IsRelaunchOnExit());
    EXPECT_EQ(frame.notices,
              std::vector<std::string>{std::string(CMahjongApp::kConnectionLostText) + " 10 0 -"});
}

TEST_F(MahjongAppTest, OfflineALostConnectionChangesNothing) {
    app.AttachFrameView(&frame);
    app.SetOfflineMode(true);
    app.OnConnectionLost();
    EXPECT_TRUE(table.calls.empty());
    EXPECT_FALSE(app.IsRelaunchOnExit());
    EXPECT_TRUE(frame.notices.empty());
}

}  // namespace
