#pragma once
// The named numbers of the engine's scene: object flags, the link flags that
// say which changes of a parent a child follows, the object kinds answered by
// GetType, and the engine's event ids. Shared by the object model, the input
// module, the toolkit and the game.
//
// Rules:
//  - Engine event ids start at 19840325; the program's own event and object
//    ids start at 80000000.
//  - Ids 19840325 to 19840353 are input events: binding one turns on the
//    object's input.

#include <cstdint>

// Object flags (ObjectState::flags).
inline constexpr uint32_t kObjectTakesInput = 0x1;
inline constexpr uint32_t kObjectHasClipRect = 0x2;
inline constexpr uint32_t kObjectPixelHitTest = 0x4;
inline constexpr uint32_t kObjectTopmost = 0x40;
inline constexpr uint32_t kObjectHasPeer = 0x80;
inline constexpr uint32_t kObjectFocusable = 0x100;
inline constexpr uint32_t kObjectHasFocus = 0x200;
inline constexpr uint32_t kObjectClipMoves = 0x400;
inline constexpr uint32_t kObjectDisabled = 0x1000;
inline constexpr uint32_t kObjectClipsCursor = 0x8000;

// Child link flags: what the child follows.
inline constexpr uint32_t kLinkOwned = 0x1;
inline constexpr uint32_t kLinkRotation = 0x2;
inline constexpr uint32_t kLinkAlpha = 0x8;
inline constexpr uint32_t kLinkInput = 0x10;
inline constexpr uint32_t kLinkInvalidate = 0x20;
inline constexpr uint32_t kLinkScale = 0x40;
inline constexpr uint32_t kLinkSize = 0x80;
inline constexpr uint32_t kLinkHideWithMemory = 0x1000;
inline constexpr uint32_t kLinkHiddenByParent = 0x2000;
inline constexpr uint32_t kLinkClipRect = 0x4000;
inline constexpr uint32_t kLinkZ = 0x8000;
inline constexpr uint32_t kLinkPosition = 0x10000;
inline constexpr uint32_t kLinkForwardEvents = 0x20000;
inline constexpr uint32_t kLinkBindings = 0x40000;
inline constexpr uint32_t kLinkShow = 0x80000;
inline constexpr uint32_t kLinkHide = 0x100000;
// Owned decorations: everything but input, hide with memory and bindings.
inline constexpr uint32_t kLinkDecoration = 0x1BC0EB;

// Object kinds (GetType).
inline constexpr int kKindObject = 1;
inline constexpr int kKindPicture = 2;
inline constexpr int kKindCanvas = 3;
inline constexpr int kKindControl = 4;
inline constexpr int kKindComboEdit = 5;
inline constexpr int kKindCheckBox = 6;
inline constexpr int kKindButton = 8;

// Geometry limits.
inline constexpr double kMaxObjectZ = 999989.0;
inline constexpr uint32_t kMaxObjectLayer = 1000000;
inline constexpr uint32_t kTopmostLayer = 1000100;
inline constexpr double kNewObjectPos = -100000.0;
// Degrees to radians as the engine turns objects (slightly below pi / 180).
inline constexpr double kEngineDegreeFactor = 0.0174532777777778;

// Input events.
inline constexpr int kEventMouseEnter = 19840325;
inline constexpr int kEventMouseLeave = 19840326;
inline constexpr int kEventMouseMove = 19840327;
inline constexpr int kEventLButtonDown = 19840328;
inline constexpr int kEventLButtonUp = 19840329;
inline constexpr int kEventClick = 19840330;
inline constexpr int kEventDrag = 19840331;
inline constexpr int kEventRButtonDown = 19840332;
inline constexpr int kEventRButtonUp = 19840333;
inline constexpr int kEventRightClick = 19840334;
inline constexpr int kEventRightDrag = 19840335;
inline constexpr int kEventPressEnd = 19840336;
inline constexpr int kEventDoubleClick = 19840337;
inline constexpr int kEventHover = 19840338;
inline constexpr int kEventHoverEnd = 19840339;
inline constexpr int kEventMButton = 19840340;
inline constexpr int kEventWheelForward = 19840342;
inline constexpr int kEventWheelBackward = 19840343;
inline constexpr int kEventKeyDown = 19840345;
inline constexpr int kEventKeyUp = 19840346;
inline constexpr int kEventChar = 19840347;
inline constexpr int kEventFirstClick = 19840348;
inline constexpr int kEventWindowLostFocus = 19840349;
inline constexpr int kEventMouseEnterWindow = 19840350;
inline constexpr int kEventMouseLeaveWindow = 19840351;
inline constexpr int kEventFocusGained = 19840352;
inline constexpr int kEventFocusLost = 19840353;
inline constexpr int kFirstInputEvent = kEventMouseEnter;
inline constexpr int kLastInputEvent = kEventFocusLost;

// Other engine events.
inline constexpr int kEventInputEnabled = 19840355;
inline constexpr int kEventInputDisabled = 19840356;
inline constexpr int kEventHandCursor = 19840357;
inline constexpr int kEventArrowCursor = 19840358;
inline constexpr int kEventApplyCursor = 19840360;
inline constexpr int kEventScrollChanged = 19840362;
inline constexpr int kEventScrollRight = 19840363;
inline constexpr int kEventScrollLeft = 19840364;
inline constexpr int kEventScrollUp = 19840365;
inline constexpr int kEventScrollDown = 19840366;
inline constexpr int kEventDragMove = 19840372;
inline constexpr int kEventProgressChanged = 19840374;
inline constexpr int kEventShow = 19840375;
inline constexpr int kEventHide = 19840376;
inline constexpr int kEventSettings = 19840388;   // param1: a heap block freed by the receiver
inline constexpr int kEventHeapBlock = 19840389;  // param1: a heap block freed by the receiver
inline constexpr int kEventPanelOk = 19840392;
inline constexpr int kEventPanelCancel = 19840393;
inline constexpr int kEventPanelCountdown = 19840394;

// The program's own event and object ids start here.
inline constexpr int kFirstProgramId = 80000000;

inline constexpr bool IsInputEvent(int id) {
    return id >= kFirstInputEvent && id <= kLastInputEvent;
}
