#pragma once
// How the engine reaches the scene's cursor object, the one object that owns
// the game's mouse cursors.
//
// The contract a cursor object keeps:
//  - it is registered under the name kCursorObjectName, at most one at a
//    time (the first found by name is the one used);
//  - its OnEvent answers kEventApplyCursor by setting its current cursor
//    through platform::SetCursor (nothing when it has none), and
//    kEventHandCursor / kEventArrowCursor by making the hand or the normal
//    cursor current; it answers 1 to these three.
// The input module hands it kEventApplyCursor straight to OnEvent whenever
// the window asks for its cursor; widgets send it the other two.

#include "engine/CorvaneObject.h"
#include "engine/EngineEvents.h"
#include "engine/EventRecord.h"
#include "engine/ObjectModule.h"

inline constexpr char kCursorObjectName[] = "object_cursor";

// Cursor ids of the cursor object's table.
inline constexpr int kNormalCursorId = 0;
inline constexpr int kHandCursorId = 1;

// The scene's cursor object, or null.
inline CCorvaneObject* FindCursorObject(ObjectModule& objects) {
    return objects.FindObjectByName(kCursorObjectName);
}

// Has the cursor object set the cursor (kEventApplyCursor, at once); false
// when the scene has none.
inline bool ApplyCursorThroughObject(ObjectModule& objects) {
    CCorvaneObject* cursor = FindCursorObject(objects);
    if (cursor == nullptr) {
        return false;
    }
    cursor->OnEvent(MakeEventRecord(cursor->GetId(), kEventApplyCursor, 0, 0));
    return true;
}
