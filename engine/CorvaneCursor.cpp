#include "engine/CorvaneCursor.h"

#include "engine/EngineCursors.h"
#include "engine/EngineLog.h"
#include "platform/Cursors.h"

CCorvaneCursor::CCorvaneCursor() {
    SetName(kCursorObjectName);
}

platform::CursorHandle CCorvaneCursor::StoreCursor(int cursorId, platform::CursorHandle cursor) {
    if (cursor == 0) {
        return 0;
    }
    cursors_.emplace(cursorId, cursor);
    return cursor;
}

platform::CursorHandle CCorvaneCursor::LoadCursorFile(const char* path, int cursorId) {
    if (path == nullptr || cursors_.count(cursorId) != 0) {
        return 0;
    }
    return StoreCursor(cursorId, LoadCursorFileOrLog(path));
}

platform::CursorHandle CCorvaneCursor::LoadCursorResource(int resourceId, int cursorId) {
    if (cursors_.count(cursorId) != 0) {
        return 0;
    }
    const platform::CursorHandle cursor = platform::LoadCursorResource(resourceId);
    if (cursor == 0) {
        EngineLog("cursor %d: no cursor resource %d", cursorId, resourceId);
    }
    return StoreCursor(cursorId, cursor);
}

platform::CursorHandle CCorvaneCursor::LoadSystemCursor(int systemCursor, int cursorId) {
    if (cursors_.count(cursorId) != 0) {
        return 0;
    }
    return StoreCursor(cursorId, platform::SystemCursor(systemCursor));
}

platform::CursorHandle CCorvaneCursor::GetCursor(int cursorId) {
    auto it = cursors_.find(cursorId);
    return it != cursors_.end() ? it->second : 0;
}

void CCorvaneCursor::ApplyCursor() {
    if (current_ != 0) {
        platform::SetCursor(current_);
    }
}

void CCorvaneCursor::SetCursorHandle(platform::CursorHandle cursor) {
    if (cursor == 0) {
        return;
    }
    current_ = cursor;
    ApplyCursor();
}

void CCorvaneCursor::SetCursorById(int cursorId) {
    SetCursorHandle(GetCursor(cursorId));
}

void CCorvaneCursor::SetSystemCursor(int systemCursor) {
    SetCursorHandle(platform::SystemCursor(systemCursor));
}

void CCorvaneCursor::SetResourceCursor(int resourceId) {
    SetCursorHandle(platform::LoadCursorResource(resourceId));
}

int CCorvaneCursor::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventHandCursor:
            if (GetCursor(kHandCursorId) != 0) {
                SetCursorById(kHandCursorId);
            } else {
                SetSystemCursor(platform::kCursorHand);
            }
            return 1;
        case kEventArrowCursor:
            if (GetCursor(kNormalCursorId) != 0) {
                SetCursorById(kNormalCursorId);
            } else {
                SetSystemCursor(platform::kCursorArrow);
            }
            return 1;
        case kEventApplyCursor:
            ApplyCursor();
            return 1;
        default:
            return 0;
    }
}
