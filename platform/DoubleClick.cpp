#include "platform/DoubleClick.h"

#include <cstdlib>

namespace platform {

uint32_t GetDoubleClickTime() {
    return kDefaultDoubleClickTimeMs;
}

bool DoubleClickRule::Press(WindowId window, int button, uint32_t timeMs, int x, int y) {
    constexpr int kReach = kDoubleClickBox / 2;
    const bool completes = pending_ && window == window_ && button == button_ &&
                           timeMs - time_ < GetDoubleClickTime() &&
                           std::abs(static_cast<int64_t>(x) - x_) <= kReach &&
                           std::abs(static_cast<int64_t>(y) - y_) <= kReach;
    if (completes) {
        pending_ = false;
        return true;
    }
    pending_ = true;
    window_ = window;
    button_ = button;
    time_ = timeMs;
    x_ = x;
    y_ = y;
    return false;
}

}  // namespace platform
