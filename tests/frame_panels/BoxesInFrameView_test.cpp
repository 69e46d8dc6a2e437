// The boxes as the frame view opens them in an engine window on SDL's dummy
// video driver, answered by mouse and keyboard events the display delivers.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/ui/CorvaneEdit.h"
#include "engine/ui/CorvaneStatic.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/panels/ExitRequestBox.h"
#include "frame/panels/ForceQuitBox.h"
#include "frame/panels/SystemInfoBox.h"
#include "frame/view/GameFrameView.h"
#include "platform/Input.h"
#include "platform/Screen.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame_panels/PanelWindow.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 738;
constexpr int32_t kOwnId = 12345;
constexpr int32_t kOtherId = 502;

class BoxesInFrameViewTest : public PanelWindowTest {
protected:
    void SetUp() override {
        platform::SetScreenForTesting({0, 0, kWidth, kHeight + 30}, {0, 0, kWidth, kHeight});
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kOwnId;
        fields.tableNo = 7;
        fields.chairNo = 1;
        app.SetLaunchFields(fields);
        LaunchRecordBuilder launch;
        launch.table.tableNo = 7;
        launch.seats = {MakeLaunchUser(kOwnId, 1, "自己"), MakeLaunchUser(kOtherId, 2, "老王")};
        ASSERT_TRUE(app.InitGameData(launch.Build()));

        view = new ObservedFrameView;
        app.AttachFrameView(view);
        OpenWindow(view, "游戏", {0, 0, kWidth, kHeight});
        receiver = new RecordingObject(&received);
        view->Register(receiver);
        Frames(3);
    }
    void WindowCreated() override { app.SetMainWindow(Id()); }
    void TearDown() override {
        CloseWindow();
        app.DetachFrameView();
        platform::ResetScreenForTesting();
    }

    size_t Received(int event) const {
        size_t n = 0;
        for (const Delivery& d : received) {
            n += d.event == event ? 1 : 0;
        }
        return n;
    }

    TestFrameApp app;
    ObservedFrameView* view = nullptr;
    RecordingObject* receiver = nullptr;
    std::vector<Delivery> received;
};

TEST_F(BoxesInFrameViewTest, AnInfoBoxIsAnsweredByAClick) {
    const EventRecord ok = MakeEventRecord(receiver->GetId(), 80000090, 0, 0);
    const EventRecord no = MakeEventRecord(receiver->GetId(), 80000091, 0, 0);
    view->ShowInfoBox("确定离开吗？", &ok, &no, 0, 0x31, "");
    Frames(3);
    auto* box = NewestOfKind<CSystemInfoBox>(*view);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsVisible());
    // Centred on the window: the frame view's own rectangle stays empty (only
    // its two parts get one), so the box is placed by the scene's size.
    EXPECT_EQ(box->GetX(), kWidth / 2);
    EXPECT_EQ(box->GetY(), kHeight / 2);
    EXPECT_GT(box->GetCancelButton()->GetLeft(), box->GetLeft());
    ClickOn(box->GetCancelButton());
    Frames(2);  // the answered box is destroyed by an engine action
    EXPECT_EQ(Received(80000091), 1u);
    EXPECT_EQ(Received(80000090), 0u);
    EXPECT_EQ(NewestOfKind<CSystemInfoBox>(*view), nullptr);
}

TEST_F(BoxesInFrameViewTest, TheScoreNoticeShowsItsTitleAndNamedButtons) {
    view->ShowNoticeBoxEx("比赛结束", "第一名", 1, 60, 1, 1, "查看成绩", "退出");
    Frames(3);
    auto* box = NewestOfKind<CSystemInfoBox>(*view);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetTitle(), "比赛结束");
    EXPECT_EQ(box->GetText(), "第一名");
    EXPECT_EQ(box->GetSecondsLeft(), 60);
    auto* scores = dynamic_cast<CCorvaneStatic*>(box->GetConfirmButton());
    ASSERT_NE(scores, nullptr);
    EXPECT_EQ(scores->GetCaption(), "查看成绩");
    // Its confirm leaves the game and closes the window with the view.
    ClickOn(scores);
    EXPECT_EQ(app.connection.Count("LeaveGame"), 1);
}

TEST_F(BoxesInFrameViewTest, TheForceQuitReasonIsTypedAndSent) {
    view->ShowForceQuitBox();
    Frames(3);
    auto* box = NewestOfKind<CForceQuitBox>(*view);
    ASSERT_NE(box, nullptr);
    TypeInto(box->GetReasonEdit(), "家里有事");
    EXPECT_EQ(box->GetReason(), "家里有事");
    ClickOn(box->GetConfirmButton());
    Frames(2);  // the answered box is destroyed by an engine action
    EXPECT_EQ(app.connection.Count("RequestExit 家里有事"), 1);
    EXPECT_EQ(NewestOfKind<CForceQuitBox>(*view), nullptr);
}

TEST_F(BoxesInFrameViewTest, AnExitRequestIsAgreedToByAClick) {
    std::vector<uint8_t> requester(UserRecord::kSize, 0);
    std::memcpy(requester.data(), &kOtherId, 4);
    std::memcpy(requester.data() + 20, "老王", 4);
    view->ShowExitRequestBox(requester.data(), requester.size());
    Frames(100);  // it slides in
    auto* box = NewestOfKind<CExitRequestBox>(*view);
    ASSERT_NE(box, nullptr);
    EXPECT_GT(box->GetSecondsLeft(), 25);  // a 30 s countdown
    ClickOn(box->GetConfirmButton());
    EXPECT_EQ(app.connection.calls.back(), "AnswerExitRequest 502 0");
}

}  // namespace
