#pragma once
// Panel windows: small top-level windows without caption, focus or input,
// kept above the others, whose pixels a thread other than the display's
// paints (a waiting panel that must move while the UI thread blocks).
//
// Rules:
//  - Any thread makes a panel and publishes finished frames, its position
//    and its visibility; each call only stores them. The display's thread
//    (SdlWindow.h, TakeDisplay) owns the panel's window on the screen and
//    shows the newest frame at its next look at the display: in its message
//    loop, and about every 30 ms while it blocks in a wait (Sync.h,
//    BlockingSleep.h). Frames published in between are skipped.
//  - A panel with no frame yet stays hidden; its window takes the size of
//    the frame shown.
//  - The mouse and keys never reach a panel: its window takes no focus and
//    its input is dropped.
//  - Without a display (no thread took it, or SDL video cannot start) a
//    panel keeps its newest frame, which tests read back.
//  - A panel is destroyed by the thread that made it; its window goes at the
//    display thread's next look, or when the display is given back.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/Cursor.h"

namespace platform {

namespace detail {
struct PanelState;  // platform-internal
}

// One finished picture of a panel: 32-bit pixels (blue, green, red, an
// unused byte), rows from the top, width * 4 bytes apart.
struct PanelFrame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    // A frame of the size filled with the colour (0x00BBGGRR); empty for a
    // size of 0 or less, or larger than kMaxPanelSide.
    static PanelFrame Filled(int width, int height, uint32_t color);
    bool IsValid() const;
    // The colour at a point as 0x00BBGGRR; 0 outside.
    uint32_t ColorAt(int x, int y) const;
    void SetColorAt(int x, int y, uint32_t color);
};

inline constexpr int kMaxPanelSide = 4096;

class PanelWindow {
public:
    // `title` (GBK) names the window to the window system; it is never shown.
    explicit PanelWindow(std::string_view title);
    ~PanelWindow();
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    // Keeps the frame as the newest; false, nothing kept, when its pixels do
    // not hold exactly width x height of a size up to kMaxPanelSide.
    bool Publish(PanelFrame frame);
    // The top-left corner on the screen.
    void MoveTo(ScreenPoint topLeft);
    void Show(bool show);

    // What was published last (an empty frame before the first).
    PanelFrame NewestFrame() const;
    ScreenPoint Position() const;
    bool IsVisible() const;
    // How many different frames the display's thread has put on the screen.
    int PresentedFrames() const;
    // On the display's thread: the colour its window shows at a point,
    // 0x00BBGGRR; 0 without a window.
    uint32_t ShownColorAt(int x, int y) const;

private:
    std::shared_ptr<detail::PanelState> state_;
};

}  // namespace platform
