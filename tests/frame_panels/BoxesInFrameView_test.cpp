// The boxes as the frame view opens them in an engine window on SDL's dummy
// video driver, answered by mouse and keyboard events the display delivers.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/CorvaneWnd.h"
#include "engine/ResourceModule.h"
#include "engine/ui/CorvaneEdit.h"
#include "engine/ui/CorvaneStatic.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/panels/ExitRequestBox.h"
#include "frame/panels/ForceQuitBox.h"
#include "frame/panels/SystemInfoBox.h"
#include "frame/view/GameFrameView.h"
#include "platform/Input.h"
#include "platform/Screen.h"
#include "platform/SdlEvents.h"
#include "platform/SdlWindow.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/frame/FrameDoubles.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 738;
constexpr int32_t kOwnId = 12345;
constexpr int32_t kOtherId = 502;

class BoxesInFrameViewTest : public ::testing::Test {
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

        auto clock = time.MakeClock();
        clock->Reset(5000);
        wnd = std::make_unique<CCorvaneWnd>(std::move(clock));
        ASSERT_EQ(wnd->Create("游戏", platform::kStyleVisible, 0, {0, 0, kWidth, kHeight}, 0), 1);
        app.SetMainWindow(wnd->Id());
        view = new ObservedFrameView;
        app.AttachFrameView(view);
        ASSERT_EQ(wnd->Initialize(view, new ResourceModule), 1);
        Deliver();
        receiver = new RecordingObject(&received);
        view->Register(receiver);
        view->SetViewRect(0, 0, kWidth, kHeight);  // as the frame window does
        Frames();
    }
    void TearDown() override {
        wnd.reset();
        app.DetachFrameView();
        platform::ResetScreenForTesting();
    }

    void Deliver() {
        platform::Message m;
        while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
            platform::DispatchMessage(m);
        }
    }
    void Frames(int count = 3) {
        for (int i = 0; i < count; ++i) {
            time.AdvanceMs(11);
            wnd->RunFrame();
            Deliver();
        }
    }
    // A press and release at the part's centre, as the display sends them.
    void Click(CCorvaneObject* part) {
        ASSERT_NE(part, nullptr);
        const int x = static_cast<int>(part->GetX());
        const int y = static_cast<int>(part->GetY());
        ASSERT_TRUE(platform::SynthesizeMouseMove(wnd->Id(), x, y));
        Deliver();
        Frames(1);
        ASSERT_TRUE(
            platform::SynthesizeMouseButton(wnd->Id(), platform::MouseButton::Left, true, x, y));
        ASSERT_TRUE(
            platform::SynthesizeMouseButton(wnd->Id(), platform::MouseButton::Left, false, x, y));
        Deliver();
        Frames();
    }
    size_t Received(int event) const {
        size_t n = 0;
        for (const Delivery& d : received) {
            n += d.event == event ? 1 : 0;
        }
        return n;
    }

    TestFrameApp app;
    ManualTime time;
    std::unique_ptr<CCorvaneWnd> wnd;
    ObservedFrameView* view = nullptr;
    RecordingObject* receiver = nullptr;
    std::vector<Delivery> received;
};

TEST_F(BoxesInFrameViewTest, AnInfoBoxIsAnsweredByAClick) {
    const EventRecord ok = MakeEventRecord(receiver->GetId(), 80000090, 0, 0);
    const EventRecord no = MakeEventRecord(receiver->GetId(), 80000091, 0, 0);
    view->ShowInfoBox("确定离开吗？", &ok, &no, 0, 0x31, "");
    Frames();
    auto* box = NewestOfKind<CSystemInfoBox>(*view);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsVisible());
    EXPECT_EQ(box->GetX(), kWidth / 2);
    Click(box->GetCancelButton());
    EXPECT_EQ(Received(80000091), 1u);
    EXPECT_EQ(Received(80000090), 0u);
    EXPECT_EQ(NewestOfKind<CSystemInfoBox>(*view), nullptr);
}

TEST_F(BoxesInFrameViewTest, TheScoreNoticeShowsItsTitleAndNamedButtons) {
    view->ShowNoticeBoxEx("比赛结束", "第一名", 1, 60, 1, 1, "查看成绩", "退出");
    Frames();
    auto* box = NewestOfKind<CSystemInfoBox>(*view);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetTitle(), "比赛结束");
    EXPECT_EQ(box->GetText(), "第一名");
    EXPECT_EQ(box->GetSecondsLeft(), 60);
    auto* scores = dynamic_cast<CCorvaneStatic*>(box->GetConfirmButton());
    ASSERT_NE(scores, nullptr);
    EXPECT_EQ(scores->GetCaption(), "查看成绩");
    // Its confirm leaves the game and closes the window with the view.
    Click(scores);
    EXPECT_EQ(app.connection.Count("LeaveGame"), 1);
}

TEST_F(BoxesInFrameViewTest, TheForceQuitReasonIsTypedAndSent) {
    view->ShowForceQuitBox();
    Frames();
    auto* box = NewestOfKind<CForceQuitBox>(*view);
    ASSERT_NE(box, nullptr);
    Click(box->GetReasonEdit());
    ASSERT_TRUE(platform::SynthesizeText(wnd->Id(), "家里有事"));
    Deliver();
    Frames();
    EXPECT_EQ(box->GetReason(), "家里有事");
    Click(box->GetConfirmButton());
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
    Click(box->GetConfirmButton());
    EXPECT_EQ(app.connection.calls.back(), "AnswerExitRequest 502 0");
}

}  // namespace
