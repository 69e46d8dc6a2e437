// The hover hint attached to a target object: real mouse input shows and
// hides it, the object module's timed actions fade it in.

#include "engine/ui/CorvaneTextButton.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/CorvaneCanvas.h"
#include "tests/engine_ui/ToolkitTestSupport.h"

namespace {

class HintTest : public ToolkitTest {
protected:
    CCorvaneTextButton* MakeHint() { return Register<CCorvaneTextButton>(); }
};

TEST_F(HintTest, EnteringTheTargetPlacesTheHintAboveItAndFadesItIn) {
    RecordingObject* target = Make(400, 300, 40, 20);
    CCorvaneTextButton* hint = MakeHint();
    hint->Attach(target, " 保险箱 ", 120);
    // 8 bytes at half of 12 pixels, plus 3 pixels on each side.
    EXPECT_EQ(hint->GetWidth(), 54.0);
    EXPECT_EQ(hint->GetCanvas()->GetCanvasWidth(), 54);
    EXPECT_EQ(hint->GetCanvas()->GetPixel(0, 0), kHintBorderColour);
    EXPECT_EQ(hint->IsVisible(), 0);

    MoveTo(400, 300);
    Frame();
    EXPECT_EQ(hint->IsVisible(), 1);
    EXPECT_NEAR(hint->GetLeft(), 400.0, 0.5) << "left edge on the target's centre";
    EXPECT_NEAR(hint->GetBottom(), 290.0, 0.5) << "bottom edge on the target's top";
    EXPECT_LT(hint->GetAlpha(), 1.0);
    Frames(8);
    EXPECT_DOUBLE_EQ(hint->GetAlpha(), 1.0);

    MoveTo(600, 500);
    Frame();
    EXPECT_EQ(hint->IsVisible(), 0) << "hidden at once";

    // Shown again: from transparent.
    MoveTo(400, 300);
    Frame();
    EXPECT_LT(hint->GetAlpha(), 1.0);
}

TEST_F(HintTest, HintStaysInsideTheSceneAtItsRightAndTopEdges) {
    RecordingObject* target = Make(795, 5, 10, 10);
    CCorvaneTextButton* hint = MakeHint();
    hint->Attach(target, " 截图 ", 120);
    MoveTo(795, 5);
    Frame();
    ASSERT_EQ(hint->IsVisible(), 1);
    EXPECT_NEAR(hint->GetRight(), 800.0, 0.5);
    EXPECT_NEAR(hint->GetTop(), 0.0, 0.5);
}

TEST_F(HintTest, LongTextWrapsAtTheMaximumWidth) {
    CCorvaneTextButton* shortHint = MakeHint();
    shortHint->SetText("短", 60);
    const double line = shortHint->GetHeight() - 6.0;
    EXPECT_EQ(shortHint->GetWidth(), 12.0 + 6.0);

    // 13 characters of 12 pixels, five to a 60-pixel line.
    const char* text = "这是一段很长很长的提示文字";
    CCorvaneTextButton* hint = MakeHint();
    hint->SetText(text, 60);
    EXPECT_EQ(hint->GetWidth(), 66.0);
    EXPECT_EQ(hint->GetHeight(), 3 * line + 6.0);
    EXPECT_EQ(hint->GetCanvas()->GetCanvasHeight(), static_cast<int>(hint->GetHeight()));
    hint->SetText(text, 60);
    EXPECT_EQ(hint->GetHeight(), 3 * line + 6.0) << "a second layout measures what the first drew";
}

TEST_F(HintTest, TargetGoneBeforeTheShowArrivesShowsNothing) {
    RecordingObject* target = Make(400, 300, 40, 20);
    CCorvaneTextButton* hint = MakeHint();
    hint->Attach(target, "提示", 120);
    MoveTo(400, 300);  // the show is posted for the next frame
    visual->DestroyObject(target, 0);
    Frame();
    EXPECT_EQ(hint->IsVisible(), 0);

    // Nothing to attach to, nothing to draw on.
    hint->Attach(nullptr, "x", 10);
    CCorvaneTextButton unregistered;
    unregistered.SetText("x", 10);
    EXPECT_EQ(unregistered.GetCanvas(), nullptr);
    Frame();
}

}  // namespace
