// The text-input area handed to the input method: kept for reading back,
// given to the display for a window it shows (SDL's dummy video driver).

#include "platform/TextInputArea.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "platform/Messages.h"
#include "platform/SdlWindow.h"

using namespace platform;

namespace {

class PlainWindow : public Window {
public:
    ~PlainWindow() override { Destroy(); }
    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        return DefaultWindowProc(*this, id, wParam, lParam);
    }
};

TEST(TextInputAreaTest, ThePlacementIsKeptForWindowsOnAndOffTheDisplay) {
    RegisterWindowClass("TextInputAreaTest");
    PlainWindow shown;
    PlainWindow hidden;
    ASSERT_TRUE(shown.Create("TextInputAreaTest"));
    ASSERT_TRUE(hidden.Create("TextInputAreaTest"));
    TopLevelOptions options;
    options.clientRect = ScreenRect{10, 10, 330, 250};
    auto top = std::make_unique<TopLevelWindow>(shown.Id(), options);

    SetTextInputArea(shown.Id(), PixelRect{40, 60, 41, 74});
    EXPECT_EQ(LastTextInputArea(), (TextInputPlacement{shown.Id(), PixelRect{40, 60, 41, 74}}));

    // Without a window on the display only the record changes.
    SetTextInputArea(hidden.Id(), PixelRect{5, 6, 7, 8});
    EXPECT_EQ(LastTextInputArea(), (TextInputPlacement{hidden.Id(), PixelRect{5, 6, 7, 8}}));

    // Empty and inverted sides become one pixel; far coordinates are held.
    SetTextInputArea(shown.Id(), PixelRect{40, 60, 40, 50});
    EXPECT_EQ(LastTextInputArea()->area, (PixelRect{40, 60, 41, 61}));
    SetTextInputArea(shown.Id(), PixelRect{INT_MIN, INT_MAX, INT_MAX, INT_MIN});
    EXPECT_EQ(LastTextInputArea()->area, (PixelRect{-(1 << 20), 1 << 20, 1 << 20, (1 << 20) + 1}));
    top.reset();
}

}  // namespace
