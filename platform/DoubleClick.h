#pragma once
// Which button presses complete a double click, by the rule of the original
// platform rather than the display's own click counter.
//
// Rules:
//  - A press completes a double click when the press before it was of the
//    same button on the same window, came fewer than GetDoubleClickTime()
//    milliseconds earlier, and lies in the kDoubleClickBox x kDoubleClickBox
//    box centred on it (at most 2 pixels off each way).
//  - The press that completes a double click starts no new pair; every
//    other press is the first of a possible pair.
//  - Times are milliseconds of one clock that may wrap.
//  - One rule object serves one stream of presses; it is not locked.

#include <cstdint>

#include "platform/Messages.h"

namespace platform {

inline constexpr uint32_t kDefaultDoubleClickTimeMs = 500;
inline constexpr int kDoubleClickBox = 4;

// The longest time between the two presses of a double click, in ms.
uint32_t GetDoubleClickTime();

class DoubleClickRule {
public:
    // Notes a press of `button` at (x, y) of the window (client pixels);
    // whether it completes a double click.
    bool Press(WindowId window, int button, uint32_t timeMs, int x, int y);
    // The next press starts a new pair.
    void Forget() { pending_ = false; }

private:
    bool pending_ = false;
    WindowId window_ = 0;
    int button_ = 0;
    uint32_t time_ = 0;
    int x_ = 0;
    int y_ = 0;
};

}  // namespace platform
