// The inline object driven through real frames: pictures, animations and
// buttons, their looks, the click notice with its text, and input turned off.

#include "engine/ui/CorvaneInlineObject.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/CorvanePicture.h"
#include "engine/CursorInterface.h"
#include "tests/engine_ui/ToolkitTestSupport.h"

namespace {

class LayingOutObject : public CCorvaneInlineObject {
public:
    void OnLayout(int viewWidth, int viewHeight) override {
        laidOut.push_back({viewWidth, viewHeight});
    }
    std::vector<std::pair<int, int>> laidOut;
};

// A 40 x 20 button centred on (100, 100); its face is opaque on x 80..99.
class InlineObjectTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        owner->onEvent = [this](const EventRecord& r) {
            if (r.event == kEventInlineClick) {
                clickTexts.emplace_back(EventParamPointer<const char>(r.param1));
                clickSenders.push_back(static_cast<int>(r.param2));
            }
        };
        cursor = Make(10, 10);
        cursor->SetName(kCursorObjectName);
    }

    CCorvaneInlineObject* MakeInlineButton(const char* text) {
        AddFace("inline_btn");
        auto* object = Register<CCorvaneInlineObject>();
        EXPECT_EQ(object->MakeButton("inline_btn", owner->GetId(), 0, 0), object->GetId());
        object->SetText(text);
        object->SetPos(100, 100);
        object->ShowObject(0);
        Frame();
        return object;
    }
    static int Look(CCorvaneInlineObject* object) { return object->GetPicture()->GetFrame(); }

    std::vector<std::string> clickTexts;
    std::vector<int> clickSenders;
    RecordingObject* cursor = nullptr;
};

TEST_F(InlineObjectTest, MakePictureTakesTheFrameSizeAndNamesTheObject) {
    const FrameRecord face = AddFace("inline_pic");
    auto* object = Register<LayingOutObject>();
    EXPECT_EQ(std::string(object->GetTypeName()), kInlineUnknownName);
    EXPECT_EQ(object->GetPeerId(), object->GetId()) << "no picture yet";

    EXPECT_EQ(object->MakePicture(face, 0, 0), object->GetId());
    EXPECT_EQ(std::string(object->GetTypeName()), kInlinePictureName);
    CCorvanePicture* first = object->GetPicture();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(object->GetPeerId(), first->GetId());
    EXPECT_EQ(object->GetWidthInt(), 40);
    EXPECT_EQ(object->GetHeightInt(), 20);

    // Made again: the new picture replaces the old one on the screen.
    const int firstId = first->GetId();
    object->MakePicture(face, 30, 10);
    EXPECT_EQ(visual->FindObjectById(firstId), nullptr);
    EXPECT_EQ(object->GetWidthInt(), 30);
    EXPECT_EQ(object->GetHeightInt(), 10);

    object->SetClipRect(IntRect{1, 2, 3, 4});
    IntRect clip;
    object->GetPicture()->GetClipRect(&clip);
    EXPECT_EQ(clip, (IntRect{1, 2, 3, 4}));

    object->SetTypeName("[x]");
    EXPECT_EQ(std::string(object->GetTypeName()), "[x]");
    visual->SendEvent(MakeEventRecord(object->GetId(), kEventInlineLayout, 320, 240));
    EXPECT_EQ(object->laidOut, (std::vector<std::pair<int, int>>{{320, 240}}));
}

TEST_F(InlineObjectTest, AnimationLoopsThroughItsFrames) {
    AddFace("inline_anim", 3);  // 100 ms a frame
    auto* object = Register<CCorvaneInlineObject>();
    object->MakeAnimation("inline_anim", 0, 0);
    EXPECT_EQ(std::string(object->GetTypeName()), kInlineAnimationName);
    object->SetPos(200, 200);
    object->ShowObject(0);
    std::vector<int> seen;
    for (int i = 0; i < 14; ++i) {
        Frame();
        if (seen.empty() || seen.back() != Look(object)) {
            seen.push_back(Look(object));
        }
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 0})) << "round and round";
}

TEST_F(InlineObjectTest, AClickPostsTheTextWhichOutlivesTheObject) {
    CCorvaneInlineObject* object = MakeInlineButton("go:1");
    EXPECT_EQ(std::string(object->GetTypeName()), kInlineButtonName);
    MoveTo(90, 100);
    Frame();
    EXPECT_EQ(Look(object), 1);
    EXPECT_EQ(Of(kEventHandCursor).size(), 1u);
    Press(90, 100);
    Frame();
    EXPECT_EQ(Look(object), 2);
    Release(90, 100);
    Frame();
    EXPECT_EQ(Look(object), 1);
    EXPECT_TRUE(clickTexts.empty()) << "posted: it arrives on a later frame";
    Frame();
    EXPECT_EQ(clickTexts, (std::vector<std::string>{"go:1"}));
    EXPECT_EQ(clickSenders, std::vector<int>{object->GetId()}) << "the sender names itself";

    // The object dies between its click and the delivery: the target still
    // reads the text.
    Press(90, 100);
    Release(90, 100);
    Frame();
    visual->DestroyObject(object, 0);
    Frame();
    EXPECT_EQ(clickTexts, (std::vector<std::string>{"go:1", "go:1"}));
    EXPECT_EQ(Of(kEventArrowCursor).size(), 0u) << "the mouse never left";
}

TEST_F(InlineObjectTest, DisabledButtonShowsLookThreeAndIgnoresTheMouse) {
    CCorvaneInlineObject* object = MakeInlineButton("off");
    MoveTo(90, 100);
    Frame();
    object->SetInputEnabled(0);
    EXPECT_EQ(Look(object), 3);
    Frames(5);  // the input module finds nothing under the mouse any more
    EXPECT_EQ(Look(object), 3) << "the leave that follows keeps look 3";
    EXPECT_EQ(Of(kEventArrowCursor).size(), 1u) << "but brings the arrow back";

    ClickAt(90, 100);
    Frame();
    EXPECT_TRUE(clickTexts.empty());
    EXPECT_EQ(Look(object), 3);

    object->SetInputEnabled(1);
    EXPECT_EQ(Look(object), 1);
    ClickAt(90, 100);
    Frame();
    EXPECT_EQ(clickTexts, (std::vector<std::string>{"off"}));
}

}  // namespace
