#pragma once
// The scene object that owns the game's mouse cursors. It is registered under
// the name "object_cursor"; the input module asks it to set the cursor
// whenever the window wants one, and widgets ask it for the hand cursor when
// the mouse enters them and for the normal cursor when it leaves.
//
// Rules:
//  - Cursors sit in a table by cursor id (kNormalCursorId 0, kHandCursorId 1,
//    any other int the game chooses). An id keeps its first cursor: loading
//    another under it answers null and changes nothing.
//  - The current cursor is null until one is set; ApplyCursor sets it as the
//    system cursor and does nothing while it is null.
//  - OnEvent handles kEventHandCursor, kEventArrowCursor and
//    kEventApplyCursor (answering 1) and answers 0 to every other event,
//    which no other handler sees.
//  - Cursor handles are not destroyed with the object.

#include <map>

#include "engine/CorvaneVisual.h"
#include "engine/CursorInterface.h"
#include "engine/EventRecord.h"
#include "platform/Input.h"

class CCorvaneCursor : public CCorvaneVisual {
public:
    // Named "object_cursor".
    CCorvaneCursor();
    ~CCorvaneCursor() override = default;

    int OnEvent(const EventRecord& record) override;

    // Each Load answers the new cursor, or null when the id already has one
    // or the cursor cannot be loaded.
    // A cursor file (.cur, .ico or .ani) by path. (The facade's one-argument
    // form, which makes the file the input cursor, stays reachable.)
    using CCorvaneVisual::LoadCursorFile;
    virtual platform::CursorHandle LoadCursorFile(const char* path, int cursorId);
    // A cursor of the program's own resources by resource id.
    virtual platform::CursorHandle LoadCursorResource(int resourceId, int cursorId);
    // A system cursor by its id (platform::kCursorArrow, ...).
    virtual platform::CursorHandle LoadSystemCursor(int systemCursor, int cursorId);
    // The cursor of the id, or null.
    virtual platform::CursorHandle GetCursor(int cursorId);
    // Sets the current cursor as the system cursor unless it is null.
    virtual void ApplyCursor();
    // Null is ignored; else it becomes current and is applied.
    virtual void SetCursorHandle(platform::CursorHandle cursor);
    // Ignored for an id without a cursor; else its cursor becomes current.
    virtual void SetCursorById(int cursorId);
    // The system cursor becomes current when it exists.
    virtual void SetSystemCursor(int systemCursor);
    // The program's resource cursor becomes current when it loads.
    virtual void SetResourceCursor(int resourceId);

    platform::CursorHandle GetCurrentCursor() const { return current_; }

private:
    // Stores a loaded cursor under a free id; the cursor, or null.
    platform::CursorHandle StoreCursor(int cursorId, platform::CursorHandle cursor);

    std::map<int, platform::CursorHandle> cursors_;
    platform::CursorHandle current_ = 0;
};
