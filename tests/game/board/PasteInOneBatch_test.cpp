// Control-V handed to the program's window in one batch, as a paste macro, a
// remote desktop or a fast hand gives it (Control's release read before the
// paste key's message is handled): the side panel's input box still pastes.

#include <gtest/gtest.h>

#include <string>

#include "engine/ui/CorvaneEdit.h"
#include "frame/panels/InputBar.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/widgets/RegionalChatWidgets.h"
#include "platform/Clipboard.h"
#include "platform/Input.h"
#include "platform/SdlEvents.h"
#include "tests/engine_ui/EditBoxText.h"
#include "tests/game/support/GameWindow.h"

namespace {

class PasteInOneBatchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(window.Open()) << window.Error(); }

    CCorvaneEdit* Edit() {
        auto* side = dynamic_cast<CRegionalSystemBar*>(window.App().GetSubSystemView());
        auto* input = side != nullptr ? dynamic_cast<CInputBar*>(side->FindObjectByName("InputBar"))
                                      : nullptr;
        return input != nullptr ? input->GetEditBox() : nullptr;
    }
    game_test::GameWindow window;
};

TEST_F(PasteInOneBatchTest, ControlVReleasedBeforeItsMessagesAreHandledStillPastes) {
    CCorvaneEdit* edit = Edit();
    ASSERT_NE(edit, nullptr);
    edit->TakeFocus();
    window.Run(50);
    ASSERT_TRUE(platform::SetClipboardText("一起来"));
    const platform::WindowId wnd = window.App().GetMainWindow();
    ASSERT_TRUE(platform::SynthesizeKey(wnd, platform::kKeyControl, true));
    ASSERT_TRUE(platform::SynthesizeKey(wnd, 'V', true));
    ASSERT_TRUE(platform::SynthesizeKey(wnd, 'V', false));
    ASSERT_TRUE(platform::SynthesizeKey(wnd, platform::kKeyControl, false));
    EXPECT_TRUE(window.RunUntil(
        [&] { return EditBoxText(*edit).find("一起来") != std::string::npos; }, 2000))
        << "the box holds \"" << EditBoxText(*edit) << "\"";
    EXPECT_FALSE(platform::IsKeyDown(platform::kKeyControl));
}

}  // namespace
