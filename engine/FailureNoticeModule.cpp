#include "engine/FailureNoticeModule.h"

int FailureNoticeModule::Tick() {
    DrainMessages();
    return 1;
}

int FailureNoticeModule::HandleMessage(int, void*, int) {
    return 0;
}
