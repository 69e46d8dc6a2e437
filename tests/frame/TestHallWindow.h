#pragma once
// The hall in the test's own process: a window of the hall's class that the
// game can find, post to and watch. Only its existence matters.

#include "frame/GameFrameApp.h"
#include "platform/Messages.h"

class TestHallWindow : public platform::Window {
public:
    TestHallWindow() {
        platform::RegisterWindowClass(kHallWindowClass);
        Create(kHallWindowClass);
    }
    ~TestHallWindow() override { Destroy(); }
};
