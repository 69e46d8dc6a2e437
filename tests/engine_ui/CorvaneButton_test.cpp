// The image button driven through real frames: mouse and key messages reach
// it through the input module, its looks are the face's frames and what it
// draws lands in the back buffer.

#include "engine/ui/CorvaneButton.h"

#include <gtest/gtest.h>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/CursorInterface.h"
#include "tests/engine_ui/ToolkitTestSupport.h"

namespace {

constexpr int kPressed = 80000001;

// A 40 x 20 button centred on (100, 100): its face is opaque on x 80..99
// and transparent on x 100..119.
class ButtonTest : public ToolkitTest {
protected:
    CCorvaneButton* MakeButton(uint32_t flags = 0) {
        const FrameRecord face = AddFace("btn_test");
        const EventRecord notify = MakeEventRecord(owner->GetId(), kPressed, 0, 0);
        CCorvaneButton* button = Register<CCorvaneButton>();
        button->Create(face, &notify, flags, kObjectPixelHitTest);
        button->SetSound(1, "SndTouchButton");
        button->SetSound(2, "SndHitButton");
        button->SetPos(100, 100);
        button->Show();
        button->Invalidate();
        Frame();
        return button;
    }
    uint32_t Output(int x, int y) const { return PixelOf(paint->GetOutputPixels(), kWidth, x, y); }
};

TEST_F(ButtonTest, LooksFollowTheMouseAndAClickOnTheFaceNotifiesTheOwner) {
    CCorvaneButton* button = MakeButton();
    EXPECT_EQ(button->GetType(), kKindButton);
    EXPECT_EQ(button->GetWidth(), 40.0) << "the face is the peer";
    EXPECT_EQ(button->GetFrame(), kButtonLookNormal);
    const uint32_t normal = Output(85, 100);

    MoveTo(90, 100);
    Frame();
    EXPECT_EQ(button->GetFrame(), kButtonLookHover);
    EXPECT_NE(Output(85, 100), normal) << "the hover frame is drawn";
    Press(90, 100);
    Frame();
    EXPECT_EQ(button->GetFrame(), kButtonLookPressed);
    EXPECT_EQ(OwnerEvents(), Ids{}) << "nothing before the release";
    Release(90, 100);
    Frame();
    EXPECT_EQ(button->GetFrame(), kButtonLookHover);
    EXPECT_EQ(OwnerEvents(), Ids{kPressed});

    MoveTo(300, 300);
    Frame();
    EXPECT_EQ(button->GetFrame(), kButtonLookNormal);
    EXPECT_EQ(Output(85, 100), normal);
    EXPECT_EQ(Sounds(), (Names{"SndTouchButton", "SndHitButton"}))
        << "the leave sound is empty; the click plays nothing";

    // The transparent half of a pixel-exact face is not the button.
    ClickAt(110, 100);
    EXPECT_EQ(OwnerEvents(), Ids{kPressed});
    EXPECT_EQ(button->GetFrame(), kButtonLookNormal);
}

TEST_F(ButtonTest, ReleaseOffTheFaceSendsNothingAndNotifyOnPressSendsOnTheDown) {
    CCorvaneButton* button = MakeButton();
    MoveTo(90, 100);
    Press(90, 100);
    MoveTo(300, 300);
    Release(300, 300);
    Frame();
    EXPECT_EQ(OwnerEvents(), Ids{});
    EXPECT_EQ(button->GetFrame(), kButtonLookNormal) << "as the leave after the release left it";

    button->SetNotifyOnPress();
    EXPECT_EQ(button->GetBehaviourFlags(), kButtonNotifyOnPress);
    MoveTo(90, 100);
    Press(90, 100);
    Frame();
    EXPECT_EQ(OwnerEvents(), Ids{kPressed});
    Release(90, 100);
    Frame();
    EXPECT_EQ(OwnerEvents(), Ids{kPressed}) << "the release sends nothing more";

    button->ClearNotifyOnPress();
    ClickAt(90, 100);
    EXPECT_EQ(OwnerEvents(), (Ids{kPressed, kPressed}));
}

TEST_F(ButtonTest, ASilencedButtonKeepsItsLooksAndSendsNothing) {
    CCorvaneButton* button = MakeButton();
    button->SetNoNotify();
    EXPECT_EQ(button->GetBehaviourFlags() & kButtonNotifyOnPress, 0u)
        << "silencing is not notifying on the press";
    MoveTo(90, 100);
    Press(90, 100);
    Frame();
    EXPECT_EQ(button->GetFrame(), kButtonLookPressed);
    Release(90, 100);
    Frame();
    EXPECT_EQ(button->GetFrame(), kButtonLookHover);
    button->SetNotifyOnPress();
    ClickAt(90, 100);
    EXPECT_EQ(OwnerEvents(), Ids{}) << "neither on the click nor on the press";

    button->SendNotify();
    EXPECT_EQ(OwnerEvents(), Ids{kPressed}) << "an explicit send still goes out";

    button->ClearNoNotify();
    ClickAt(90, 100);
    EXPECT_EQ(OwnerEvents(), (Ids{kPressed, kPressed}));
}

TEST_F(ButtonTest, DisabledButtonShowsLookThreeAndIgnoresTheMouse) {
    CCorvaneButton* button = MakeButton();
    MoveTo(90, 100);
    Frame();
    music->played.clear();
    button->SetInputEnabled(0);
    EXPECT_EQ(button->GetFrame(), kButtonLookDisabled);
    EXPECT_EQ(button->GetFace()->IsInputEnabled(), 0);
    for (int event : {kEventMouseEnter, kEventMouseLeave, kEventLButtonDown, kEventClick}) {
        Deliver(button, event, 90, 100);
    }
    EXPECT_EQ(button->GetFrame(), kButtonLookDisabled);
    EXPECT_EQ(OwnerEvents(), Ids{});
    EXPECT_TRUE(music->played.empty());

    // Enabled again under the mouse: hover; elsewhere: normal.
    button->SetInputEnabled(1);
    EXPECT_EQ(button->GetFrame(), kButtonLookHover);
    MoveTo(300, 300);
    Frame();
    button->SetInputEnabled(0);
    button->SetInputEnabled(1);
    EXPECT_EQ(button->GetFrame(), kButtonLookNormal);
}

TEST_F(ButtonTest, LatchedButtonKeepsItsPressedLookUntilReleased) {
    CCorvaneButton* button = MakeButton();
    button->SetLatched(1);
    EXPECT_EQ(button->IsLatched(), 1);
    EXPECT_EQ(button->GetFrame(), kButtonLookPressed);
    MoveTo(90, 100);
    Frame();
    MoveTo(300, 300);
    Frame();
    EXPECT_EQ(button->GetFrame(), kButtonLookPressed) << "enter and leave change nothing";
    EXPECT_TRUE(music->played.empty());

    // A click still shows hover; unlatching under the mouse keeps hover.
    ClickAt(90, 100);
    EXPECT_EQ(button->GetFrame(), kButtonLookHover);
    EXPECT_EQ(OwnerEvents(), Ids{kPressed});
    button->SetLatched(1);
    button->SetLatched(0);
    EXPECT_EQ(button->GetFrame(), kButtonLookHover);
    MoveTo(300, 300);
    Frame();
    button->SetLatched(1);
    button->SetLatched(0);
    EXPECT_EQ(button->GetFrame(), kButtonLookNormal);
}

TEST_F(ButtonTest, EnterClicksAFocusableButtonWhereverTheMouseIs) {
    CCorvaneButton* button = MakeButton(kButtonKeyboard);
    MoveTo(300, 300);
    visual->SetFocus(button->GetId());
    input->OnKeyDown(32, 1, 0);
    Frame();
    EXPECT_EQ(OwnerEvents(), Ids{}) << "only Enter clicks";
    input->OnKeyDown(platform::kKeyReturn, 1, 0);
    Frame();
    EXPECT_EQ(OwnerEvents(), Ids{kPressed});
    EXPECT_EQ(button->GetFrame(), kButtonLookHover);
}

TEST_F(ButtonTest, HandCursorGoesThroughTheCursorObjectWhenThereIsOne) {
    CCorvaneButton* button = MakeButton();
    button->SetHandCursorFlag(1);
    MoveTo(90, 100);
    Frame();
    EXPECT_EQ(input->GetCursorHandle(), platform::SystemCursor(platform::kCursorHand));

    Make(10, 10)->SetName(kCursorObjectName);
    log.clear();
    MoveTo(300, 300);
    Frame();
    EXPECT_EQ(Of(kEventArrowCursor).size(), 1u);
    EXPECT_EQ(input->GetCursorHandle(), platform::SystemCursor(platform::kCursorHand))
        << "the cursor object switches, not the input module";
}

TEST_F(ButtonTest, CaptionCanvasLiesOverTheFaceAndDiesWithTheButton) {
    CCorvaneButton* button = MakeButton();
    CCorvaneCanvas* caption = button->GetCaptionCanvas();
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(button->GetCaptionCanvas(), caption);
    EXPECT_EQ(caption->GetCanvasWidth(), 40);
    EXPECT_EQ(caption->GetCanvasHeight(), 20);
    EXPECT_DOUBLE_EQ(caption->GetZ(), button->GetFace()->GetZ() + 0.01);
    EXPECT_EQ(caption->IsVisible(), 1) << "the face was already shown";

    button->DrawCaption("OK", 0x00FFFF, 12);
    EXPECT_GT(CountPixels(*caption, 0x00FFFF), 0) << "the caption is drawn in its colour";

    // The caption takes no input: the face under it still clicks.
    ClickAt(90, 100);
    EXPECT_EQ(OwnerEvents(), Ids{kPressed});

    const int captionId = caption->GetId();
    const int faceId = button->GetFace()->GetId();
    visual->DestroyObject(button, 0);
    EXPECT_EQ(visual->FindObjectById(captionId), nullptr);
    EXPECT_EQ(visual->FindObjectById(faceId), nullptr);
    Frame();
}

TEST_F(ButtonTest, BadInputAndMissingPartsAreHarmless) {
    CCorvaneButton* bare = Register<CCorvaneButton>();  // never created: no face
    EXPECT_EQ(bare->GetCaptionCanvas(), nullptr);
    bare->OnMouseEnter();
    bare->SetLatched(0);
    bare->SetInputEnabled(0);

    CCorvaneButton* button = MakeButton(kButtonKeyboard);
    button->SetSound(4, "SndBeyond");
    button->SetSound(-1, "SndBefore");
    // A click or key event without the input snapshot cannot be judged.
    button->OnEvent(MakeEventRecord(button->GetId(), kEventClick, 0, 0));
    button->OnEvent(MakeEventRecord(button->GetId(), kEventKeyDown, 0, 0));
    EXPECT_EQ(OwnerEvents(), Ids{});

    // A face destroyed on its own is forgotten.
    visual->DestroyObject(button->GetFace(), 0);
    EXPECT_EQ(button->GetFace(), nullptr);
    button->SetFrame(2);
    EXPECT_EQ(button->GetCaptionCanvas(), nullptr);
    Deliver(button, kEventClick, 90, 100);
    EXPECT_EQ(OwnerEvents(), Ids{});
    Frame();
}

}  // namespace
