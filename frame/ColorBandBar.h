#pragma once
// The animated bar of the wait dialog: six bands whose colours form a
// gradient around one bright band and move one band per tick.
//
// Rules:
//  - SetColors puts the foreground on the peak band (3) and steps each
//    channel by (fg - bg) / 3 (truncated) away from it on both sides,
//    never past the background's value.
//  - A tick rotates the six colours one place: towards higher indices in
//    direction 1, lower ones in direction 0.
//  - Painting fills the rectangle with the background, then the bands:
//    each width / 6 (or height / 6) wide, the last to the far edge.
//  - Colours are 0x00BBGGRR.

#include <array>
#include <cstdint>

#include "platform/PanelWindow.h"

class CColorBandBar {
public:
    static constexpr int kBands = 6;
    static constexpr int kPeak = 3;
    static constexpr uint32_t kDefaultBackground = 0xFFFFFF;

    struct Rect {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
    };

    CColorBandBar() { SetColors(0, kDefaultBackground); }

    void SetColors(uint32_t foreground, uint32_t background);
    // One timer tick: the colours move one band.
    void Rotate();
    void Paint(platform::PanelFrame& frame, const Rect& rect) const;

    void SetHorizontal(bool horizontal) { horizontal_ = horizontal; }
    void SetDirection(int direction) { direction_ = direction; }
    const std::array<uint32_t, kBands>& Colors() const { return colors_; }
    uint32_t Background() const { return background_; }

private:
    uint32_t StepToward(uint32_t color) const;

    std::array<uint32_t, kBands> colors_{};
    uint32_t foreground_ = 0;
    uint32_t background_ = kDefaultBackground;
    bool horizontal_ = true;
    int direction_ = 1;
    std::array<int, 3> steps_{};  // red, green, blue
};

// Fills the part of the rectangle inside the frame with the colour.
void FillPanelRect(platform::PanelFrame& frame, int left, int top, int width, int height,
                   uint32_t color);
