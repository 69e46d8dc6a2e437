// The input module hands key events to the controls at the next frame; a
// control that asks for Shift or Control while it handles one hears them as
// they were when the event's message came, not as they are at the frame.

#include <gtest/gtest.h>

#include <string>

#include "engine/ui/CorvaneEdit.h"
#include "platform/Clipboard.h"
#include "platform/Input.h"
#include "tests/engine_ui/EditBoxText.h"
#include "tests/engine_ui/RichTextTestSupport.h"

namespace {

class KeysOfTheirMessageTest : public RichTextTest {
protected:
    ~KeysOfTheirMessageTest() override { backend.SetKeyDown(platform::kKeyControl, false); }

    CCorvaneEdit* MakeEdit() {
        auto* edit = Register<CCorvaneEdit>();
        edit->Create(200, 20, kRichSingleLine);
        edit->SetPos(200, 110);
        edit->Show();
        edit->TakeFocus();
        Frame();
        return edit;
    }
};

TEST_F(KeysOfTheirMessageTest, ControlReleasedBeforeTheFrameStillPastes) {
    CCorvaneEdit* edit = MakeEdit();
    ASSERT_TRUE(platform::SetClipboardText("粘贴"));
    backend.SetKeyDown(platform::kKeyControl, true);
    input->OnKeyDown(platform::kKeyControl, 1, 0);
    input->OnKeyDown('V', 1, 0);
    input->OnKeyUp('V', 1, 0);
    backend.SetKeyDown(platform::kKeyControl, false);
    input->OnKeyUp(platform::kKeyControl, 1, 0);
    Frame();
    EXPECT_EQ(EditBoxText(*edit), "粘贴");
    // Outside the events' handling the keyboard is as it is now.
    EXPECT_FALSE(platform::IsKeyDown(platform::kKeyControl));
}

TEST_F(KeysOfTheirMessageTest, ControlPressedAfterTheKeyBeforeTheFrameDoesNotPaste) {
    CCorvaneEdit* edit = MakeEdit();
    ASSERT_TRUE(platform::SetClipboardText("粘贴"));
    input->OnKeyDown('V', 1, 0);
    input->OnChar('v', 1, 0);
    input->OnKeyUp('V', 1, 0);
    backend.SetKeyDown(platform::kKeyControl, true);
    input->OnKeyDown(platform::kKeyControl, 1, 0);
    Frame();
    EXPECT_EQ(EditBoxText(*edit), "v");
}

}  // namespace
