#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "engine/ui/CorvaneEdit.h"
#include "engine/ui/CorvaneStatic.h"
#include "engine/ui/RichText.h"
#include "frame/GameFrameApp.h"
#include "frame/panels/ExitRequestBox.h"
#include "frame/panels/ForceQuitBox.h"
#include "frame/panels/SystemInfoBox.h"
#include "platform/Browser.h"
#include "platform/Sync.h"
#include "tests/engine_ui/ToolkitTestSupport.h"

namespace {

constexpr int kConfirmEvent = 80000090;
constexpr int kCancelEvent = 80000091;

// A two-frame skin: a grey border with a transparent cross (frame 0) and a
// plain centre (frame 1).
picture_bytes::Bytes SkinPicture() {
    constexpr int kSide = 30;
    std::vector<picture_bytes::GifFrame> frames;
    for (int f = 0; f < 2; ++f) {
        picture_bytes::Bytes indices;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const bool cross = f == 0 && (x == kSide / 2 || y == kSide / 2) && x > 4 && y > 4 &&
                                   x < kSide - 5 && y < kSide - 5;
                indices.push_back(cross ? 0 : static_cast<uint8_t>(f + 1));
            }
        }
        frames.push_back(picture_bytes::Frame(indices, 10, 0));
    }
    return picture_bytes::Gif(kSide, kSide, kFacePalette, frames);
}

class NoticeBoxTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        confirm = MakeEventRecord(owner->GetId(), kConfirmEvent, 11, 12);
        cancel = MakeEventRecord(owner->GetId(), kCancelEvent, 21, 22);
    }

    void AddSkin() {
        AddPicture(std::string(CSystemInfoBox::kSkinItem) + ".gif", SkinPicture());
        AddFace(CSystemInfoBox::kConfirmImage);
        AddFace(CSystemInfoBox::kCancelImage);
    }

    template <class Box = CSystemInfoBox>
    Box* Open(int seconds, int style, const char* text = "有一条消息") {
        auto* box = Register<Box>();
        box->ShowBox(text, &confirm, &cancel, seconds, style, nullptr, nullptr, nullptr);
        Place(box);
        Frame();  // the countdown counts from this frame
        return box;
    }

    // Where the frame view puts a box it opened.
    void Place(CCorvaneObject* box) {
        box->EnableDrag(1);
        box->SetPos(400, 300);
        box->Invalidate();
    }

    // The centre of a part, where a user clicks it.
    void ClickOn(CCorvaneObject* part) {
        ASSERT_NE(part, nullptr);
        const int x = static_cast<int>(part->GetX());
        const int y = static_cast<int>(part->GetY());
        MoveTo(x, y);
        Frame();
        Press(x, y);
        Release(x, y);
        Frame();
    }

    // Engine time in 10 ms frames.
    void RunMs(int ms) {
        for (; ms >= 10; ms -= 10) {
            Frame(10);
        }
        if (ms > 0) {
            Frame(ms);
        }
    }

    size_t Answers() const { return Of(kConfirmEvent).size() + Of(kCancelEvent).size(); }

    EventRecord confirm;
    EventRecord cancel;
};

TEST_F(NoticeBoxTest, ATenSecondBoxAnswersAfterElevenSecondsOfEngineTime) {
    AddSkin();
    CSystemInfoBox* box = Open(10, 1);
    const int id = box->GetId();
    RunMs(1000);
    EXPECT_EQ(box->GetSecondsLeft(), 9);
    // The engine steps actions in 10 ms frames: 10.99 s is the last frame
    // before 11 s.
    RunMs(10990 - 1000);
    EXPECT_EQ(Answers(), 0u);
    EXPECT_EQ(box->GetSecondsLeft(), 0);
    EXPECT_TRUE(box->IsVisible());
    RunMs(10);
    ASSERT_EQ(Of(kConfirmEvent).size(), 1u);
    EXPECT_EQ(Of(kConfirmEvent)[0].param1, 11);
    EXPECT_EQ(Of(kCancelEvent).size(), 0u);
    // Destroyed after the answering event returned, its actions gone.
    Frames(2);
    EXPECT_EQ(objects->FindObjectById(id), nullptr);
    RunMs(3000);
    EXPECT_EQ(Answers(), 1u);
}

TEST_F(NoticeBoxTest, StyleBitFourMakesAnExpiredCountdownCancel) {
    AddSkin();
    Open(2, 5);
    RunMs(3000);
    EXPECT_EQ(Of(kCancelEvent).size(), 1u);
    EXPECT_EQ(Of(kConfirmEvent).size(), 0u);
}

TEST_F(NoticeBoxTest, ADoubleClickDeliversOneRecord) {
    AddSkin();
    CSystemInfoBox* box = Open(0, 1);
    CCorvaneObject* button = box->GetCancelButton();
    ASSERT_NE(button, nullptr);
    const int x = static_cast<int>(button->GetX());
    const int y = static_cast<int>(button->GetY());
    MoveTo(x, y);
    Frame();
    Press(x, y);
    Release(x, y);
    Press(x, y);
    Release(x, y);
    Frame();
    Frames(3);
    EXPECT_EQ(Of(kCancelEvent).size(), 1u);
    EXPECT_EQ(Answers(), 1u);
}

TEST_F(NoticeBoxTest, AClickRacingTheCountdownDeliversOneRecord) {
    AddSkin();
    CSystemInfoBox* box = Open(1, 1);
    CCorvaneObject* button = box->GetConfirmButton();
    ASSERT_NE(button, nullptr);
    const int x = static_cast<int>(button->GetX());
    const int y = static_cast<int>(button->GetY());
    MoveTo(x, y);
    RunMs(2000 - 10);
    EXPECT_EQ(Answers(), 0u);
    // The click and the expiring tick fall into the same frame.
    Press(x, y);
    Release(x, y);
    Frame(10);
    Frames(3);
    EXPECT_EQ(Answers(), 1u);
}

TEST_F(NoticeBoxTest, WithoutStyleBitOneOnlyConfirmShows) {
    AddSkin();
    CSystemInfoBox* box = Open(0, 0x30);
    EXPECT_NE(box->GetConfirmButton(), nullptr);
    EXPECT_EQ(box->GetCancelButton(), nullptr);
    EXPECT_EQ(box->GetWidth(), CSystemInfoBox::kBoxWidth);
    // The text starts 45 px below the top, the button is centred.
    EXPECT_EQ(box->GetTextBox()->GetTop(), box->GetTop() + CSystemInfoBox::kTextTop);
    EXPECT_EQ(box->GetConfirmButton()->GetX(), box->GetX());
    EXPECT_LE(box->GetConfirmButton()->GetBottom(), box->GetBottom());
}

TEST_F(NoticeBoxTest, TwoButtonsAreCentredTwentyFourPixelsApart) {
    AddSkin();
    CSystemInfoBox* box = Open(0, 1);
    CCorvaneObject* ok = box->GetConfirmButton();
    CCorvaneObject* no = box->GetCancelButton();
    EXPECT_EQ(no->GetLeft() - ok->GetRight(), CSystemInfoBox::kButtonGap);
    EXPECT_DOUBLE_EQ((ok->GetLeft() + no->GetRight()) / 2, box->GetX());
}

TEST_F(NoticeBoxTest, ABoxWithoutItsSkinStillAnswersThroughCaptionedButtons) {
    CSystemInfoBox* box = Open(0, 1);
    auto* ok = dynamic_cast<CCorvaneStatic*>(box->GetConfirmButton());
    auto* no = dynamic_cast<CCorvaneStatic*>(box->GetCancelButton());
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(no, nullptr);
    EXPECT_EQ(ok->GetCaption(), "确定");
    EXPECT_EQ(no->GetCaption(), "取消");
    ClickOn(ok);
    Frames(2);
    EXPECT_EQ(Of(kConfirmEvent).size(), 1u);

    // Named images that are missing show their names.
    auto* named = Register<CSystemInfoBox>();
    named->ShowBox("成绩", &confirm, &cancel, 60, 1, nullptr, "查看成绩", "退出");
    Place(named);
    Frame();
    EXPECT_EQ(dynamic_cast<CCorvaneStatic*>(named->GetConfirmButton())->GetCaption(), "查看成绩");
    EXPECT_EQ(dynamic_cast<CCorvaneStatic*>(named->GetCancelButton())->GetCaption(), "退出");
    ClickOn(named->GetCancelButton());
    Frames(2);
    EXPECT_EQ(Of(kCancelEvent).size(), 1u);
}

TEST_F(NoticeBoxTest, CaptionsReplaceTheButtonFaces) {
    AddSkin();
    CSystemInfoBox* box = Open(0, 1);
    box->SetButtonCaptions("好的", "");
    auto* ok = dynamic_cast<CCorvaneStatic*>(box->GetConfirmButton());
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetCaption(), "好的");
    EXPECT_EQ(dynamic_cast<CCorvaneStatic*>(box->GetCancelButton()), nullptr);
    ClickOn(ok);
    Frames(2);
    EXPECT_EQ(Of(kConfirmEvent).size(), 1u);
}

TEST_F(NoticeBoxTest, ARecordWhoseTargetIsGoneIsDropped) {
    AddSkin();
    CSystemInfoBox* box = Open(0, 1);
    const int id = box->GetId();
    visual->DestroyObject(owner, 0);
    ClickOn(box->GetConfirmButton());
    Frames(2);
    EXPECT_EQ(Answers(), 0u);
    EXPECT_EQ(objects->FindObjectById(id), nullptr);
}

TEST_F(NoticeBoxTest, TheExitRequestShowsTheNameAndRefusesWhenItExpires) {
    AddSkin();
    AddFace("同意");
    AddFace("face", 1, 32, 40);
    auto* box = Register<CExitRequestBox>();
    box->ShowExitRequest("老王", "老王", "face", confirm, cancel, 3);
    Place(box);
    Frame();
    EXPECT_EQ(box->GetText(), "<c=255>老王<c=0> 请求退出!");
    EXPECT_EQ(box->GetStyle(), 0x15);
    ASSERT_NE(box->GetPicture(), nullptr);
    EXPECT_LT(box->GetPicture()->GetRight(), box->GetTextBox()->GetLeft());
    EXPECT_EQ(dynamic_cast<CCorvaneStatic*>(box->GetConfirmButton()), nullptr);  // its image
    EXPECT_EQ(dynamic_cast<CCorvaneStatic*>(box->GetCancelButton())->GetCaption(), "拒绝");
    RunMs(4000);
    EXPECT_EQ(Of(kCancelEvent).size(), 1u);
    EXPECT_EQ(Of(kConfirmEvent).size(), 0u);
}

// --- the force-quit box ---

class ForceQuitBoxTest : public NoticeBoxTest {
protected:
    CForceQuitBox* OpenForceQuit() {
        auto* box = Register<CForceQuitBox>();
        EXPECT_EQ(box->GetKind(), 3);
        box->ShowForceQuit("强退", confirm, cancel, 3);
        box->SetReasonLimit(60);
        Place(box);
        Frame();
        return box;
    }
};

TEST_F(ForceQuitBoxTest, AReasonPastSixtyBytesIsRefusedAndTheConfirmHandsOverACopy) {
    AddSkin();
    std::vector<std::string> reasons;
    owner->onEvent = [&](const EventRecord& r) {
        if (r.event == kConfirmEvent) {
            auto* reason = EventParamPointer<char>(r.param1);
            ASSERT_NE(reason, nullptr);
            reasons.emplace_back(reason, strnlen(reason, static_cast<size_t>(r.param2)));
            FreeEventBlock(reason);  // the receiver's; a second free would show under ASan
        }
    };
    CForceQuitBox* box = OpenForceQuit();
    CCorvaneEdit* edit = box->GetReasonEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetMaxLength(), 60);
    EXPECT_GT(edit->GetTop(), box->GetTextBox()->GetBottom() - 1);
    EXPECT_LT(edit->GetBottom(), box->GetConfirmButton()->GetTop());
    const std::string full = std::string(58, 'a') + "我";
    edit->InsertText(std::string(58, 'a').c_str());
    edit->InsertText("我们");  // 62 bytes: what passes 60 is refused
    EXPECT_EQ(box->GetReason(), full);
    edit->InsertText("x");
    EXPECT_EQ(box->GetReason(), full);

    ClickOn(box->GetConfirmButton());
    Frames(2);
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_EQ(reasons[0], full);
}

TEST_F(ForceQuitBoxTest, AReasonWhoseReceiverIsGoneIsFreedByTheBox) {
    AddSkin();
    CForceQuitBox* box = OpenForceQuit();
    box->GetReasonEdit()->InsertText("有事");
    visual->DestroyObject(owner, 0);
    ClickOn(box->GetConfirmButton());
    Frames(2);  // LeakSanitizer sees a copy nobody freed
    EXPECT_EQ(Answers(), 0u);
}

TEST_F(ForceQuitBoxTest, CancelCarriesItsRecordAsGiven) {
    CForceQuitBox* box = OpenForceQuit();
    ClickOn(box->GetCancelButton());
    Frames(2);
    ASSERT_EQ(Of(kCancelEvent).size(), 1u);
    EXPECT_EQ(Of(kCancelEvent)[0].param1, 21);
    EXPECT_EQ(Of(kCancelEvent)[0].param2, 22);
}

// --- the link page ---

// Records what the browser is asked to open; the opener runs on a worker.
class LockedBrowser : public platform::BrowserBackend {
public:
    bool Open(const std::string& target) override {
        std::lock_guard lock(mutex_);
        opened_.push_back(target);
        return true;
    }
    std::vector<std::string> Opened() {
        std::lock_guard lock(mutex_);
        return opened_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> opened_;
};

class SigningApp : public CGameFrameApp {
public:
    SigningApp() : CGameFrameApp("pvbn", 21265, 13, 1) {}
    int GetPlayerCount() override { return 4; }
    std::string AddSignToUrl(const std::string& url, int flag) override {
        return url + "?signed=" + std::to_string(flag);
    }
};

TEST_F(NoticeBoxTest, ConfirmOpensTheLinkPageSignedWithItsNumber) {
    SigningApp app;
    LockedBrowser browser;
    platform::SetBrowserBackend(&browser);
    AddSkin();
    CSystemInfoBox* box = Open(0, 1);
    box->SetLinkPage("http://web.example/result.htm", 4);
    ClickOn(box->GetConfirmButton());
    Frames(2);
    EXPECT_EQ(Of(kConfirmEvent).size(), 1u);
    for (int i = 0; i < 500 && browser.Opened().empty(); ++i) {
        platform::SleepMs(10);
    }
    platform::SetBrowserBackend(nullptr);
    EXPECT_EQ(browser.Opened(), std::vector<std::string>{"http://web.example/result.htm?signed=4"});

    // Cancel opens nothing.
    LockedBrowser quiet;
    platform::SetBrowserBackend(&quiet);
    CSystemInfoBox* other = Open(0, 1);
    other->SetLinkPage("http://web.example/result.htm", 4);
    ClickOn(other->GetCancelButton());
    Frames(2);
    platform::SleepMs(50);
    platform::SetBrowserBackend(nullptr);
    EXPECT_TRUE(quiet.Opened().empty());
}

}  // namespace
