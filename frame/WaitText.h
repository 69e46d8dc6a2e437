#pragma once
// Shows the application's wait text while a request runs on the UI thread,
// and hides it when it goes out of scope.

#include "frame/GameFrameApp.h"

class WaitTextScope {
public:
    WaitTextScope(CGameFrameApp& app, const char* text) : app_(app) {
        app_.PostToCommThread(text, true);
    }
    ~WaitTextScope() { app_.PostToCommThread({}, false); }
    WaitTextScope(const WaitTextScope&) = delete;
    WaitTextScope& operator=(const WaitTextScope&) = delete;

private:
    CGameFrameApp& app_;
};
