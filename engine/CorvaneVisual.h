#pragma once
// The visual object: the root object plus a facade over the engine. Every
// visual object (the cursor object, the control and view bases and through
// them every control, dialog, panel and view) reaches the five modules, the
// core's settings and clock, creates, finds and destroys engine objects,
// plays sounds, steers input and starts timed actions through its own
// virtual operations, without holding a module pointer.
//
// Rules:
//  - Each operation finds the module it needs in the object's core by id
//    (1001 resources, 1002 objects, 1003 paint, 1004 music, 1005 input) on
//    every call; a module that is not loaded, or an object without a core,
//    makes the operation do nothing and answer none or 0.
//  - Objects made through the facade are registered with this object as
//    their owner, so they take its event target.
//  - Actions, groups and their stopping travel to the object module as
//    posted messages, so they take effect on its next tick, in call order.
//    Action and group handles are 64-bit serials; 0 means none was made.
//  - The facade keeps no state of its own. The system note and the system
//    board are scene objects found again by name, so each exists once.
//  - Everything runs on the UI thread, inside a frame or under the core lock.
//
// Derived classes that replace GetResourceFrame bring the by-value form back
// with a using-declaration.

#include <cstddef>
#include <cstdint>

#include "engine/ActionRecord.h"
#include "engine/CorvaneObject.h"
#include "engine/EventRecord.h"
#include "engine/ImageRecord.h"
#include "engine/ObjectState.h"
#include "platform/Input.h"

class CCorvaneCanvas;
class CCorvanePicture;
class CCorvaneVisual;
class InputModule;
class MusicModule;
class ObjectModule;
class PaintModule;
class ResourceModule;

// Names of the system objects.
inline constexpr char kSystemNoteName[] = "object_systemnote";
inline constexpr char kSystemBoardName[] = "object-systemboard";

// Integer settings the facade reads.
inline constexpr int kSettingPanelTextColor = 8;
inline constexpr int kSettingPanelBackground = 9;
inline constexpr int kSettingPanelBorder = 10;
inline constexpr int kSettingsEventTarget = 16;
inline constexpr int kSettingsEventId = 17;

// The shortest step interval of timed actions, in milliseconds.
inline constexpr uint32_t kMinActionInterval = 30;

// The parts of an engine message panel (the toolkit's message panel) that
// the facade lays out and fills.
struct MessagePanelParts {
    CCorvaneObject* panel = nullptr;  // the panel itself, registered
    CCorvaneCanvas* canvas = nullptr;
    CCorvaneObject* okButton = nullptr;      // null without an OK notification
    CCorvaneObject* cancelButton = nullptr;  // null without a cancel notification
    CCorvaneObject* countdown = nullptr;     // null without seconds
};

// Makes a message panel, registers it with the owner and creates it with the
// size, the notifications (null: no such button) and the countdown seconds
// (0: none). False when no panel could be made. The toolkit installs it: the
// panel class lives above the engine.
using MessagePanelMaker = bool (*)(CCorvaneVisual& owner, int width, int height,
                                   const EventRecord* okNotify, const EventRecord* cancelNotify,
                                   int seconds, MessagePanelParts& parts);

class CCorvaneVisual : public CCorvaneObject {
public:
    CCorvaneVisual() = default;
    ~CCorvaneVisual() override = default;

    // The message panel maker of the process (null: none installed, and the
    // message box and the system details only reach the engine log).
    static void SetMessagePanelMaker(MessagePanelMaker maker);
    static MessagePanelMaker GetMessagePanelMaker();

    // --- Modules ---
    virtual ObjectModule* GetObjectModule();
    virtual PaintModule* GetPaintModule();
    virtual ResourceModule* GetResourceModule();
    virtual MusicModule* GetMusicModule();
    virtual InputModule* GetInputModule();

    // --- System pop-ups ---
    // A message box of the text (lines end at line feeds) with an OK button
    // when okNotify is given, a cancel button when cancelNotify is given and
    // a countdown of `seconds` (0: none), faded in at the buffer's centre.
    virtual void ShowMessageBox(const char* text, const EventRecord* okNotify,
                                const EventRecord* cancelNotify, int seconds);
    // A panel with the object count, live actions, pool counters and frame
    // rate; it stays until destroyed.
    virtual void ShowSystemDetails();
    // Shows (refreshed once a second) or hides the small statistics note.
    virtual void ShowSystemNote(int on);
    // The draggable board with the text, faded in at the buffer's centre;
    // with seconds of 1 or more it hides itself when the time is up.
    virtual void ShowSystemBoard(const char* text, int seconds);
    // Sends {setting 16, setting 17, param1, param2} when both settings are
    // nonzero. A heap block in param1 of a heap-block event (19840388,
    // 19840389) that cannot be delivered is freed here.
    virtual void SendSettingsEvent(intptr_t param1, intptr_t param2);
    virtual void CloseSystemBoard();
    virtual CCorvaneObject* GetSystemBoard();

    // --- Paint module, scene and clock ---
    virtual int GetBufferWidth();
    virtual int GetBufferHeight();
    virtual IntRect* GetSceneViewRect(IntRect* out);
    // The core's time in ms; 0 without a core.
    virtual uint32_t GetTime();

    // --- Settings ---
    virtual void SetIntSetting(int id, int value);
    // -2 without a core; -1 for an id without an entry.
    virtual int GetIntSetting(int id);
    virtual void SetStringSetting(int id, const char* text);
    virtual const char* GetStringSetting(int id);

    // --- Resources and pictures ---
    // The first word of the file's resource key; 0 when it does not open.
    virtual uint32_t AddResourceFile(const char* path, const char* alias);
    // How many resources were added (0 when none or without the module).
    virtual int AddResourceFolder(const char* path);
    virtual int AddResourcePack(const char* path);
    // A copy of the pack image of `size` bytes is kept.
    virtual int AddResourcePackFromMemory(const void* block, size_t size);
    // The frame state of frame `frame` of the named picture (zeroed when the
    // picture is missing; missing pictures and frames out of range are
    // logged). Answers out.
    virtual FrameRecord* GetResourceFrame(FrameRecord* out, const char* name, int frame);
    // Drops the picture from the paint module's cache and, with alsoResource,
    // its resource too.
    virtual void RemoveImage(const char* name, int alsoResource);
    // Frame 0's picture written as a pps file (mode 6); 1 when written.
    virtual int SaveFrameAsPps(const char* name, const char* path);
    // The bytes of the named resource (ending in a 0 byte), or null.
    virtual const uint8_t* GetResourceData(const char* name);
    // Draws into the background layer with the top-left corner at (x, y); a
    // width or height of 0 or less means the buffer's. 1 when drawn.
    virtual int DrawImageToBackground(const FrameRecord& state, int x, int y, int width, int height,
                                      double angle);
    // The pixel written (0xFFRRGGBB), 0 without a paint module.
    virtual uint32_t FillBackground(uint32_t color);
    virtual void InvalidateAll();

    // --- Input ---
    virtual void BindInputTargetEvent(int eventId, const EventRecord& record);
    virtual void UnbindInputTargetEvent(int eventId);
    // The previous input target.
    virtual int SetInputTarget(int id);
    virtual void SetModalObject(int id);
    virtual void RefreshMouse();

    // --- Objects ---
    virtual CCorvaneObject* CreateObject();
    virtual CCorvanePicture* CreatePicture(const FrameRecord& image);
    virtual CCorvaneCanvas* CreateCanvas(int width, int height, uint32_t colorKey);
    // A blurred shadow canvas just behind the object, linked to it as an
    // owned decoration; null when the object shows no picture frame.
    virtual CCorvaneCanvas* CreateShadow(CCorvaneObject* object);
    virtual CCorvaneObject* FindObjectByName(const char* name);
    virtual CCorvaneObject* FindObjectById(int id);
    // The registered canvas or picture with that id; null for id 0, for an
    // id that is gone and for an object of another kind.
    CCorvaneCanvas* FindCanvasById(int id);
    CCorvanePicture* FindPictureById(int id);
    // Deferred: hidden now, destroyed on a later frame. Otherwise destroyed
    // before the call returns.
    virtual void DestroyObject(CCorvaneObject* object, int deferred);

    // --- Sound ---
    // The stream handle (0 for MIDI or when nothing plays).
    virtual uint32_t PlaySound(const char* name, int plays, const EventRecord* notification);
    virtual int StopSound(uint32_t handle);
    virtual int ResumeSound(uint32_t handle, int restart);
    virtual int PauseSound(uint32_t handle);
    virtual void UnloadSound(const char* name);
    virtual void StopAllSounds();
    virtual void SetSoundOff(int flag);

    // --- Groups and stopping (VisualActions.cpp) ---
    // Actions started after it belong to the new group; its handle.
    virtual uint64_t BeginGroup();
    // Actions started after it run when the previous group has finished.
    virtual uint64_t NextGroup();
    virtual void EndGroup();
    // The group, the groups that follow it and all they contain.
    virtual void StopGroupActions(uint64_t group);
    virtual void StopObjectActions(int id);
    // Unlike the stops above, at once: none of the object's actions started
    // so far takes another step, even one still on its way to the object
    // module. What a new layout of the object calls, so that nothing moves
    // it from its new place.
    virtual void EndObjectActions(int id);
    virtual void StopAction(uint64_t handle);

    // --- More input ---
    virtual void SetInputCursor(platform::CursorHandle cursor);
    // Loads a cursor file (.cur, .ico, .ani) and makes it the input cursor;
    // the cursor, or 0 (logged, the cursor unchanged) when it does not load.
    virtual platform::CursorHandle LoadCursorFile(const char* path);
    virtual void ShowSystemCursor(int on);
    // The previous focus id (0 when nothing changed).
    virtual int SetFocus(int id);
    // Zeroed without an input module.
    virtual InputState* GetInputState(InputState* out);
    // The dialog or panel that opens borrows the keyboard until it closes
    // (InputModule::LendKeyboard).
    void LendKeyboard(int id);
    virtual uint32_t GetMinActionInterval() { return kMinActionInterval; }

    // --- Timed actions (VisualActions.cpp) ---
    // Each answers the action's handle, or 0 when nothing was started. An
    // end event pointer may be null (no end event); the record is copied.
    // The alpha swings between the bounds; ends on reaching the upper bound
    // for the count-th time (count 0: after one step; negative: never).
    virtual uint64_t FadeAction(CCorvaneObject* object, double step, int count, uint32_t interval,
                                double upper, double lower, const EventRecord* endEvent);
    virtual uint64_t RotateAction(CCorvaneObject* object, double step, double targetAngle,
                                  uint32_t interval, const EventRecord* endEvent);
    // 0 for a step of 0 or one pointing away from the target.
    virtual uint64_t AlphaAction(CCorvaneObject* object, double step, double targetAlpha,
                                 uint32_t interval, const EventRecord* endEvent);
    virtual uint64_t ShowHideAction(CCorvaneObject* object, int show, const EventRecord* endEvent);
    // Speeds in pixels per step (whole numbers); a top speed of 0 is none.
    virtual uint64_t MoveAction(CCorvaneObject* object, int x, int y, double speed,
                                double acceleration, double topSpeed, const EventRecord* endEvent);
    // Delivers the end event once, delay ms after the call.
    virtual uint64_t DelayAction(uint32_t delay, const EventRecord* endEvent);
    // Ends when the core's clock has passed the duration since the call.
    virtual uint64_t TimerAction(uint32_t duration, const EventRecord* endEvent);
    // The record to its target's OnEvent every period, count times (0 or
    // less: for ever). 0 for a null record, a period of 0 or an unknown
    // target.
    virtual uint64_t DelayedEventAction(uint32_t period, int count, const EventRecord* record);
    // Mode 0: n loops of all frames from startFrame (-1: endless); 1: n
    // frames' worth of delays; 2: n ms; 3: shows frame n once; 4: n steps of
    // one frame each. 0 unless the object is a picture.
    virtual uint64_t FrameAnimationAction(CCorvaneObject* picture, int mode, int n, int startFrame,
                                          uint32_t interval, const EventRecord* endEvent);
    // Plays the sound on the object module's next tick. 0 for a missing name
    // or one of 32 bytes or more.
    virtual uint64_t DelayedSoundAction(const char* name, int plays,
                                        const EventRecord* notification);
    virtual uint64_t DelayedDestroyAction(CCorvaneObject* object, const EventRecord* endEvent);
    virtual uint64_t ResizeAction(CCorvaneObject* object, int startWidth, int startHeight,
                                  int targetWidth, int targetHeight, int widthStep, int heightStep,
                                  const EventRecord* endEvent);
    // Turns a picture over about its vertical axis by `step` degrees a step
    // up to `total`, showing backFace while it faces away.
    virtual uint64_t FlipAction(CCorvaneObject* picture, int step, int total,
                                const FrameRecord& backFace, uint32_t interval,
                                const EventRecord* endEvent);
    // Calls the function once with a copy of `size` bytes of data; 0 for a
    // null function or more data than the action can hold.
    virtual uint64_t CallbackAction(ActionCallback function, const void* data, size_t size);

    // --- Other names callers use ---
    int GetImageWidth() { return GetBufferWidth(); }
    int GetImageHeight() { return GetBufferHeight(); }
    FrameRecord GetResourceFrame(const char* name, int frame) {
        FrameRecord state;
        GetResourceFrame(&state, name, frame);
        return state;
    }
    // The frame of a skin image; its width and height are 0 when the image is
    // missing, so layouts fall back to their own sizes.
    FrameRecord GetSkinFrame(const char* name, int frame = 0);
    int DrawImage(const FrameRecord& state, int x, int y, int width, int height) {
        return DrawImageToBackground(state, x, y, width, height, 0.0);
    }
    uint64_t PostEventAfter(uint32_t delay, const EventRecord& record) {
        return DelayAction(delay, &record);
    }
    // Shows (1) or hides (0) the object on the object module's next tick.
    uint64_t BlinkAction(CCorvaneObject* object, int show, const EventRecord* endEvent) {
        return ShowHideAction(object, show, endEvent);
    }

    // For actions of other kinds: a zeroed record with a fresh serial (null
    // without an object module), and its hand-over (message 1023), which
    // answers the handle. A record taken must be submitted.
    ActionRecord* NewActionRecord();
    uint64_t SubmitAction(ActionRecord* record);

private:
    // The system board, made on first use.
    CCorvaneCanvas* EnsureSystemBoard();
};
