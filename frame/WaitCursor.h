#pragma once
// Shows the wait cursor while the UI thread blocks; the arrow comes back
// when it goes out of scope.

#include "platform/Input.h"

class WaitCursor {
public:
    WaitCursor() { platform::SetCursor(platform::SystemCursor(platform::kCursorWait)); }
    ~WaitCursor() { platform::SetCursor(platform::SystemCursor(platform::kCursorArrow)); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
