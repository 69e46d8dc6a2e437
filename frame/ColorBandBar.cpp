#include "frame/ColorBandBar.h"

#include <algorithm>

namespace {

int Channel(uint32_t color, int channel) {
    return static_cast<int>((color >> (8 * channel)) & 0xFF);
}

}  // namespace

void CColorBandBar::SetColors(uint32_t foreground, uint32_t background) {
    foreground_ = foreground;
    background_ = background;
    for (int c = 0; c < 3; ++c) {
        steps_[c] = (Channel(foreground, c) - Channel(background, c)) / kPeak;
    }
    colors_[kPeak] = foreground;
    for (int i = kPeak - 1; i >= 0; --i) {
        colors_[i] = StepToward(colors_[i + 1]);
    }
    for (int i = kPeak + 1; i < kBands; ++i) {
        colors_[i] = StepToward(colors_[i - 1]);
    }
}

uint32_t CColorBandBar::StepToward(uint32_t color) const {
    uint32_t result = 0;
    for (int c = 0; c < 3; ++c) {
        const int candidate = Channel(color, c) - steps_[c];
        const int floor = Channel(background_, c);
        const bool keeps = steps_[c] >= 0 ? candidate >= floor : candidate <= floor;
        result |= static_cast<uint32_t>(keeps ? candidate : floor) << (8 * c);
    }
    return result;
}

void CColorBandBar::Rotate() {
    if (direction_ == 1) {
        std::rotate(colors_.rbegin(), colors_.rbegin() + 1, colors_.rend());
    } else {
        std::rotate(colors_.begin(), colors_.begin() + 1, colors_.end());
    }
}

void CColorBandBar::Paint(platform::PanelFrame& frame, const Rect& rect) const {
    FillPanelRect(frame, rect.left, rect.top, rect.width, rect.height, background_);
    const int extent = horizontal_ ? rect.width : rect.height;
    const int band = extent / kBands;
    for (int i = 0; i < kBands; ++i) {
        const int start = i * band;
        const int length = i == kBands - 1 ? extent - start : band;
        if (horizontal_) {
            FillPanelRect(frame, rect.left + start, rect.top, length, rect.height, colors_[i]);
        } else {
            FillPanelRect(frame, rect.left, rect.top + start, rect.width, length, colors_[i]);
        }
    }
}

void FillPanelRect(platform::PanelFrame& frame, int left, int top, int width, int height,
                   uint32_t color) {
    const int x0 = std::max(left, 0);
    const int y0 = std::max(top, 0);
    const int x1 = std::min(left + std::max(width, 0), frame.width);
    const int y1 = std::min(top + std::max(height, 0), frame.height);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            frame.SetColorAt(x, y, color);
        }
    }
}
