#pragma once
// The base of the screens that fill the engine window (the frame's views, the
// table views, the frame UI container): a visual object with a view
// rectangle, a relayout hook, the hook that receives the data other programs
// send to the window, and the lock that code outside the engine frame takes
// before it touches the scene.
//
// Rules:
//  - The view rectangle is all 0 until SetViewRect, which stores it and then
//    calls Relayout exactly once.
//  - Code that runs outside the engine's frame (window message handlers,
//    network notifications) brackets every change of the scene with LockCore
//    and UnlockCore, or holds a ViewCoreLock; both take the core's re-entrant
//    frame lock and do nothing for a view without a core.
//  - Everything else runs on the UI thread, inside a frame or under the lock.

#include <cstdint>

#include "engine/CorvaneVisual.h"
#include "engine/ObjectState.h"
#include "platform/Messages.h"

class GameCore;

// What a copy-data message carries (platform/Messages.h): a caller's number,
// the byte count and the bytes, which belong to the sender and are valid only
// during the call.
using CopyDataRecord = platform::CopyDataRecord;

class CCorvaneView : public CCorvaneVisual {
public:
    CCorvaneView() = default;
    ~CCorvaneView() override = default;

    int GetType() override { return kKindObject; }

    // Views lay out their parts here; empty.
    virtual void Relayout() {}
    // Run once the game's launch data is in; empty.
    virtual void OnEnterRoom() {}
    // Every WM_COPYDATA the engine window receives; empty.
    virtual void OnCopyData(const CopyDataRecord* record);
    // Stores the rectangle, then Relayout.
    virtual void SetViewRect(const IntRect& rect);
    // Copies the rectangle out; answers out.
    virtual IntRect* GetViewRect(IntRect* out);

    // Enter and leave the core's frame lock; nothing without a core. Calls
    // pair up on the same thread.
    void LockCore();
    void UnlockCore();

    // Other names callers use.
    IntRect GetViewRect() {
        IntRect rect;
        GetViewRect(&rect);
        return rect;
    }
    void SetViewRect(int left, int top, int right, int bottom) {
        SetViewRect(IntRect{left, top, right, bottom});
    }
    void OnDataReady() { OnEnterRoom(); }

private:
    IntRect viewRect_{};
};

// Holds a view's core lock for a scope: the core the view had when the scope
// began is the one unlocked at its end.
class ViewCoreLock {
public:
    explicit ViewCoreLock(CCorvaneView& view);
    ~ViewCoreLock();
    ViewCoreLock(const ViewCoreLock&) = delete;
    ViewCoreLock& operator=(const ViewCoreLock&) = delete;

private:
    GameCore* core_;
};
