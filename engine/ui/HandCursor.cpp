#include "engine/ui/HandCursor.h"

#include "engine/CorvaneVisual.h"
#include "engine/CursorInterface.h"
#include "engine/EngineEvents.h"
#include "platform/Input.h"

namespace {

void SwitchCursor(CCorvaneVisual& owner, int cursorObjectEvent, int systemCursorId) {
    if (CCorvaneObject* cursor = owner.FindObjectByName(kCursorObjectName)) {
        owner.SendEvent(MakeEventRecord(cursor->GetId(), cursorObjectEvent, 0, 0));
        return;
    }
    owner.SetInputCursor(platform::SystemCursor(systemCursorId));
}

}  // namespace

void ShowHandCursor(CCorvaneVisual& owner) {
    SwitchCursor(owner, kEventHandCursor, platform::kCursorHand);
}

void ShowArrowCursor(CCorvaneVisual& owner) {
    SwitchCursor(owner, kEventArrowCursor, platform::kCursorArrow);
}
