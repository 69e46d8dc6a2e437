#pragma once
// The receiver of the engine's failure notices (module id 1010).
//
// It keeps notices from piling up and leaves the reporting to their senders:
//  - every synchronous notice is answered 0, so the sender's own fallback
//    (a log line, a message box) still runs;
//  - posted notices are taken off the posted list each frame and dropped on
//    the module's tick without looking at p, which may be a plain number or
//    a text that no longer exists.

#include "engine/ModuleBase.h"

class FailureNoticeModule : public ModuleBase {
public:
    int Init() override { return 1; }
    int Uninit() override { return 1; }
    int Tick() override;
    int GetModuleID() const override { return kFailureNoticeModuleId; }
    const char* GetModuleName() const override { return "FailureNoticeModule"; }
    int HandleMessage(int id, void* p, int n) override;
};
