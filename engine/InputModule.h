#pragma once
// The engine module that turns the host window's mouse and keyboard messages
// into engine events of scene objects (module id 1005). It keeps the mouse
// position and buttons, the object under the mouse (the mouse target), the
// keyboard focus, an input target that hears a copy of all raw input, an
// optional modal object that confines the mouse, and the cursor.
//
// Rules:
//  - Window coordinates come in as client pixels; the snapshot's mouse
//    position is in scene pixels (client + the scene's left and top), the
//    coordinates of object hit tests.
//  - An object hears an input event only through its bindings: each bound
//    record goes to the object module as message 1020 (with a copy of the
//    current InputState in param2 when the binding's param2 is 0) and is
//    delivered on that module's next tick, in posting order. The record
//    comes back with 1044 and returns to the pools then.
//  - Records come back in the order they were sent, so a returned record
//    proves that every record sent before it was delivered or dropped: those
//    still missing (returns lost to a queue overflow) are reclaimed then.
//  - While input is disabled (message 1046) every mouse and keyboard
//    operation does nothing, except OnKillFocus and the first-click event.
//  - Object roles are ids, never pointers; stale ids are dropped (the focus
//    in Tick, the modal object when asked) or reach nobody.
//  - A dialog or panel lent the keyboard gives it back when it closes: the
//    control that had it is given it again before the next key or in the
//    next Tick, unless the keyboard is with another shown control by then.
//  - Everything runs on the UI thread, between frames or inside one.

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "engine/EventRecord.h"
#include "engine/MemPool.h"
#include "engine/ModuleBase.h"
#include "platform/Input.h"

class CCorvaneObject;
class ObjectModule;

// Messages of the input module (1044, the record's return, is in
// ObjectModule.h).
inline constexpr int kMsgEnableInput = 1045;
inline constexpr int kMsgDisableInput = 1046;

// InputState::stateFlags.
inline constexpr uint32_t kInputLeftHeld = 0x10;
inline constexpr uint32_t kInputRightHeld = 0x20;
inline constexpr uint32_t kInputMiddleHeld = 0x80000;
inline constexpr uint32_t kInputHoverShown = 0x10000;
inline constexpr uint32_t kInputKeyHeld = 0x100000;

inline constexpr uint32_t kDefaultHoverDelay = 500;
inline constexpr uint32_t kDoubleClickTime = 500;
inline constexpr uint32_t kInputModuleInterval = 100;

class InputModule : public ModuleBase {
public:
    InputModule();
    ~InputModule() override;

    int Init() override;
    int Uninit() override;
    int Tick() override;
    int GetModuleID() const override { return kInputModuleId; }
    const char* GetModuleName() const override { return "InputModule"; }
    int HandleMessage(int id, void* p, int n) override;
    uint32_t GetMaxQueue() const override { return 1024; }

    // Window messages (client coordinates; flags is the message's key-state
    // or key-flags word).
    virtual void OnMouseMove(int x, int y, uint32_t flags);
    virtual void OnMouseWheel(int x, int y, int delta, uint32_t flags);
    virtual void OnLButtonDown(int x, int y, uint32_t flags);
    virtual void OnLButtonUp(int x, int y, uint32_t flags);
    virtual void OnLButtonDblClk(int x, int y, uint32_t flags);
    virtual void OnRButtonDown(int x, int y, uint32_t flags);
    virtual void OnRButtonUp(int x, int y, uint32_t flags);
    virtual void OnMButtonDown(int x, int y, uint32_t flags);
    virtual void OnMButtonUp(int x, int y, uint32_t flags);
    virtual void OnKeyDown(int key, int repeat, uint32_t flags);
    virtual void OnKeyUp(int key, int repeat, uint32_t flags);
    // One byte of typed GBK text per call.
    virtual void OnChar(int code, int repeat, uint32_t flags);
    virtual void OnKillFocus();

    // Whether the client point lies on the object; false for id 0 or an
    // unknown object.
    virtual bool IsPointInObject(int x, int y, int id);
    // Whether the modal object (if any) lets the object become the mouse
    // target; a modal object that is gone, hidden or disabled is dropped.
    virtual bool CanBecomeMouseTarget(int id);
    // Picks the object under the client point and sends enter, leave and
    // move events as the mouse target changes.
    virtual void UpdateMouseTarget(int x, int y);
    // Stores the client point as the mouse position; sends the hover end
    // when a hover was shown and the mouse moved.
    virtual void SetMousePos(int x, int y);
    // Returns a record that came back with 1044, and its state copy, to the
    // pools; records not sent by this module are ignored.
    virtual void FreeEventRecord(EventRecord* record);
    // Replays the last mouse position as a move (none before the first).
    virtual void RefreshMouseTarget();
    virtual void ClearMouseTarget();
    // Sets the cursor: through the cursor object when the scene has one,
    // else the stored handle. Nothing while the system cursor is hidden.
    virtual void ApplyCursor();
    virtual void SetHoverDelay(uint32_t ms) { hoverDelay_ = ms; }
    virtual void SetModalTarget(int id) { modal_ = id; }
    // The previous input target.
    virtual int SetInputTarget(int id);
    // Focus goes to the object or its nearest focusable ancestor (0: none);
    // the previous focus id, or 0 when nothing changed.
    virtual int SetFocusObject(int id);
    // The dialog or panel that opens borrows the keyboard: the control that
    // has it, or had it until the left press that opened the panel moved it
    // to nothing, gets it back once the panel is hidden, disabled or gone.
    virtual void LendKeyboard(int panelId);
    // A null handle is ignored.
    virtual void SetCursorHandle(platform::CursorHandle cursor);
    virtual void ShowSystemCursor(int on);
    virtual void BindInputTargetEvent(int eventId, const EventRecord& record);
    virtual void UnbindInputTargetEvent(int eventId);
    // Input events (19840325..19840353) go out through the object's bindings:
    // 1 when it has at least one. Other ids go to the object as they are: 1.
    // 0 for id 0, an unknown object or no object module.
    virtual int SendInputEvent(int eventId, int objectId);

    InputState* GetInputState(InputState* out) const;
    int GetInputTarget() const { return inputTarget_; }
    int GetModalTarget() const { return modal_; }
    bool IsInputEnabled() const { return inputEnabled_; }
    bool IsSystemCursorShown() const { return systemCursorShown_; }
    bool IsMouseInWindow() const { return mouseInWindow_; }
    platform::CursorHandle GetCursorHandle() const { return cursor_; }
    // Records sent and not yet returned.
    size_t RecordsInFlight() const { return inFlight_.size(); }
    // Shift, Control and Alt as they were when a record still in flight was
    // sent (its receiver handles it at a later frame); none for any other
    // record.
    std::optional<platform::HeldModifiers> ModifiersOf(const EventRecord* record) const;

private:
    struct SentRecord;

    ObjectModule* Objects() const;
    uint32_t Now() const;
    void PostRecord(const EventRecord& binding, bool attachState);
    void ReleaseRecord(SentRecord* sent);
    void ReleaseAllRecords();
    bool ButtonHeld() const {
        return (state_.stateFlags & (kInputLeftHeld | kInputRightHeld)) != 0;
    }
    void SendToBoth(int eventId, int first, int second);
    void SendHoverIfRested(uint32_t now);
    void FollowObjectsUnderMouse();
    void DropStaleFocus();
    void TrackMouseInWindow();
    void RaiseCursorCount();
    void LowerCursorCount();
    void SendCharacter(uint8_t first, uint8_t second);
    bool IsShown(int id);
    void ReturnLentKeyboard();

    uint8_t pendingLead_ = 0;
    CMemPool statePool_;
    CMemPool recordPool_;
    std::deque<SentRecord*> inFlight_;  // sending order
    InputState state_;
    int inputTarget_ = 0;
    uint32_t hoverDelay_ = kDefaultHoverDelay;
    uint32_t restTime_ = 0;
    bool hasLastPress_ = false;
    uint32_t lastPressTime_ = 0;
    int lastPressX_ = 0;
    int lastPressY_ = 0;
    uint32_t doubleClickTime_ = kDoubleClickTime;
    bool hasPreviousTick_ = false;
    uint32_t previousTick_ = 0;
    platform::CursorHandle cursor_;
    bool systemCursorShown_ = true;
    bool mouseInWindow_ = false;
    bool firstClickSeen_ = false;
    bool inputEnabled_ = true;
    int modal_ = 0;
    // The focus the last left press moved to nothing (0: it moved none).
    int pressedAway_ = 0;
    struct Loan {
        int panel;
        int owner;
    };
    std::vector<Loan> loans_;
    // The last client point, replayed by RefreshMouseTarget.
    bool mouseKnown_ = false;
    int clientX_ = 0;
    int clientY_ = 0;
};
