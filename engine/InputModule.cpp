#include "engine/InputModule.h"

#include <algorithm>
#include <climits>
#include <new>
#include <optional>

#include "engine/CorvaneObject.h"
#include "engine/CursorInterface.h"
#include "engine/EngineEvents.h"
#include "engine/GameCore.h"
#include "engine/ObjectModule.h"

namespace {

constexpr size_t kPoolUnits = 64;
// Bound on the calls that bring the cursor's display count across 0.
constexpr int kMaxCursorCountSteps = 1024;

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// GBK: a lead byte 0x81..0xFE, then a trail byte 0x40..0xFE other than 0x7F.
bool IsGbkLeadByte(uint8_t b) {
    return b >= 0x81 && b <= 0xFE;
}
bool IsGbkTrailByte(uint8_t b) {
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

bool IsDisabled(CCorvaneObject& object) {
    return (object.GetFlags() & kObjectDisabled) != 0;
}

}  // namespace

// One record handed to the object module, with the state copy it carries.
struct InputModule::SentRecord {
    EventRecord record;                 // what 1020 and 1044 point at
    InputState* state;                  // attached copy, or null
    platform::HeldModifiers modifiers;  // when it was sent
};

InputModule::InputModule() : cursor_(platform::SystemCursor(platform::kCursorArrow)) {}

InputModule::~InputModule() {
    ReleaseAllRecords();
}

int InputModule::Init() {
    const bool ok = statePool_.Init(sizeof(InputState), kPoolUnits) &&
                    recordPool_.Init(sizeof(SentRecord), kPoolUnits);
    SetInterval(kInputModuleInterval);
    return ok ? 1 : 0;
}

int InputModule::Uninit() {
    ReleaseAllRecords();
    return 1;
}

void InputModule::ReleaseAllRecords() {
    inFlight_.clear();
    for (CMemPool* pool : {&statePool_, &recordPool_}) {
        pool->Reset();
        pool->Destroy();
    }
}

int InputModule::HandleMessage(int id, void* p, int) {
    switch (id) {
        case kMsgReturnInputRecord:
            FreeEventRecord(static_cast<EventRecord*>(p));
            return 1;
        case kMsgEnableInput:
            inputEnabled_ = true;
            return 1;
        case kMsgDisableInput:
            inputEnabled_ = false;
            return 1;
        default:
            return 0;
    }
}

ObjectModule* InputModule::Objects() const {
    return dynamic_cast<ObjectModule*>(FindModule(kObjectModuleId));
}

uint32_t InputModule::Now() const {
    return GetCore() != nullptr ? GetCore()->GetTime() : GetLastTickTime();
}

// --- Sending ---------------------------------------------------------------

int InputModule::SendInputEvent(int eventId, int objectId) {
    ObjectModule* objects = Objects();
    if (objectId == 0 || objects == nullptr) {
        return 0;
    }
    CCorvaneObject* object = objects->FindObjectById(objectId);
    if (object == nullptr) {
        return 0;
    }
    if (!IsInputEvent(eventId)) {
        PostRecord(MakeEventRecord(objectId, eventId, 0, 0), false);
        return 1;
    }
    int index = 0;
    int sent = 0;
    while (const EventRecord* binding = object->FindNextEventBinding(eventId, &index)) {
        PostRecord(*binding, binding->param2 == 0);
        sent = 1;
    }
    return sent;
}

void InputModule::PostRecord(const EventRecord& binding, bool attachState) {
    void* unit = recordPool_.Alloc(sizeof(SentRecord));
    if (unit == nullptr) {
        return;
    }
    auto* sent = new (unit) SentRecord{binding, nullptr, platform::CurrentModifiers()};
    if (attachState) {
        if (void* copy = statePool_.Alloc(sizeof(InputState))) {
            sent->state = new (copy) InputState(state_);
            sent->record.param2 = EventParam(sent->state);
        }
    }
    inFlight_.push_back(sent);
    PostMessage(kObjectModuleId, kMsgDeliverInputEvent, &sent->record, 0);
}

std::optional<platform::HeldModifiers> InputModule::ModifiersOf(const EventRecord* record) const {
    auto it = std::find_if(inFlight_.begin(), inFlight_.end(),
                           [record](const SentRecord* sent) { return &sent->record == record; });
    return it != inFlight_.end() ? std::optional((*it)->modifiers) : std::nullopt;
}

void InputModule::FreeEventRecord(EventRecord* record) {
    auto it = std::find_if(inFlight_.begin(), inFlight_.end(),
                           [record](const SentRecord* sent) { return &sent->record == record; });
    if (it == inFlight_.end()) {
        return;
    }
    // Records come back in sending order: any still missing before this one
    // lost its return (a dropped queue) and is reclaimed now.
    const auto count = static_cast<size_t>(it - inFlight_.begin()) + 1;
    for (size_t i = 0; i < count; ++i) {
        ReleaseRecord(inFlight_.front());
        inFlight_.pop_front();
    }
}

void InputModule::ReleaseRecord(SentRecord* sent) {
    if (sent->state != nullptr) {
        statePool_.Free(sent->state);
    }
    recordPool_.Free(sent);
}

void InputModule::SendToBoth(int eventId, int first, int second) {
    SendInputEvent(eventId, first);
    SendInputEvent(eventId, second);
}

// --- Mouse -----------------------------------------------------------------

void InputModule::SetMousePos(int x, int y) {
    mouseKnown_ = true;
    clientX_ = x;
    clientY_ = y;
    IntRect scene;
    if (ObjectModule* objects = Objects()) {
        scene = objects->GetSceneRect();
    }
    const int sceneX = ClampToInt(static_cast<int64_t>(x) + scene.left);
    const int sceneY = ClampToInt(static_cast<int64_t>(y) + scene.top);
    state_.moveX = ClampToInt(static_cast<int64_t>(sceneX) - state_.mouseX);
    state_.moveY = ClampToInt(static_cast<int64_t>(sceneY) - state_.mouseY);
    state_.mouseX = sceneX;
    state_.mouseY = sceneY;
    restTime_ = 0;
    const bool moved = state_.moveX != 0 || state_.moveY != 0;
    if (moved && (state_.stateFlags & kInputHoverShown) != 0) {
        SendToBoth(kEventHoverEnd, inputTarget_, state_.mouseTarget);
        state_.stateFlags &= ~kInputHoverShown;
    }
}

void InputModule::OnMouseMove(int x, int y, uint32_t) {
    if (!inputEnabled_) {
        return;
    }
    SetMousePos(x, y);
    const bool moved = state_.moveX != 0 || state_.moveY != 0;
    if ((state_.stateFlags & kInputLeftHeld) != 0) {
        if (moved) {
            SendToBoth(kEventDrag, inputTarget_, state_.mouseTarget);
        }
    } else if ((state_.stateFlags & kInputRightHeld) != 0 && moved) {
        SendToBoth(kEventRightDrag, inputTarget_, state_.mouseTarget);
    } else {
        SendInputEvent(kEventMouseMove, inputTarget_);
        UpdateMouseTarget(x, y);
    }
}

void InputModule::UpdateMouseTarget(int x, int y) {
    ObjectModule* objects = Objects();
    if (objects == nullptr) {
        return;
    }
    CCorvaneObject* top = objects->HitTest(x, y);
    const int topId = top != nullptr ? top->GetId() : 0;
    int& target = state_.mouseTarget;
    if (topId == 0) {
        if (target != 0) {
            SendInputEvent(kEventMouseLeave, target);
        }
        target = 0;
        return;
    }
    if (topId == target) {
        SendInputEvent(kEventMouseMove, target);
        return;
    }
    // A new object under a held button waits for the release.
    if (ButtonHeld()) {
        return;
    }
    SendInputEvent(kEventMouseLeave, target);
    hasLastPress_ = false;  // no double click across objects
    if (CanBecomeMouseTarget(topId)) {
        target = topId;
        SendInputEvent(kEventMouseEnter, target);
        SendInputEvent(kEventMouseMove, target);
    } else {
        // Kept out by the modal object: the old target was left, nothing is
        // entered, and the next move over it does not leave again.
        target = 0;
    }
}

bool InputModule::CanBecomeMouseTarget(int id) {
    if (modal_ == 0) {
        return true;
    }
    ObjectModule* objects = Objects();
    CCorvaneObject* modal = objects != nullptr ? objects->FindObjectById(modal_) : nullptr;
    if (modal != nullptr && modal->IsVisible() && !IsDisabled(*modal)) {
        return modal->IsOrContains(id) != 0;
    }
    modal_ = 0;
    return true;
}

bool InputModule::IsPointInObject(int x, int y, int id) {
    ObjectModule* objects = Objects();
    if (id == 0 || objects == nullptr) {
        return false;
    }
    CCorvaneObject* object = objects->FindObjectById(id);
    if (object == nullptr) {
        return false;
    }
    const IntRect scene = objects->GetSceneRect();
    return object->HitTest(ClampToInt(static_cast<int64_t>(x) + scene.left),
                           ClampToInt(static_cast<int64_t>(y) + scene.top)) > 0;
}

void InputModule::RefreshMouseTarget() {
    if (mouseKnown_) {
        OnMouseMove(clientX_, clientY_, 0);
    }
}

void InputModule::ClearMouseTarget() {
    SendInputEvent(kEventMouseLeave, state_.mouseTarget);
    state_.mouseTarget = 0;
}

void InputModule::OnMouseWheel(int x, int y, int delta, uint32_t) {
    if (!inputEnabled_) {
        return;
    }
    SetMousePos(x, y);
    if (delta < 0) {
        SendToBoth(kEventWheelBackward, inputTarget_, state_.focus);
    } else if (delta > 0) {
        SendToBoth(kEventWheelForward, inputTarget_, state_.focus);
    }
}

void InputModule::OnLButtonDown(int x, int y, uint32_t) {
    if (!firstClickSeen_) {
        SendToBoth(kEventFirstClick, inputTarget_, state_.mouseTarget);
        firstClickSeen_ = true;
    }
    if (!inputEnabled_) {
        return;
    }
    SetMousePos(x, y);
    // Objects may have moved under the still mouse since the last tick: the
    // press goes to what lies under it now.
    FollowObjectsUnderMouse();
    state_.stateFlags = (state_.stateFlags & ~kInputHoverShown) | kInputLeftHeld;

    const uint32_t now = Now();
    const bool doubleClick = hasLastPress_ && now - lastPressTime_ < doubleClickTime_ &&
                             state_.mouseX == lastPressX_ && state_.mouseY == lastPressY_;
    if (doubleClick) {
        hasLastPress_ = false;
        // A receiver without a double-click binding hears a plain press.
        for (int receiver : {inputTarget_, state_.mouseTarget}) {
            if (SendInputEvent(kEventDoubleClick, receiver) == 0) {
                SendInputEvent(kEventLButtonDown, receiver);
            }
        }
    } else {
        hasLastPress_ = true;
        lastPressTime_ = now;
        lastPressX_ = state_.mouseX;
        lastPressY_ = state_.mouseY;
        SendToBoth(kEventLButtonDown, inputTarget_, state_.mouseTarget);
    }
    const int before = state_.focus;
    SetFocusObject(state_.mouseTarget);
    pressedAway_ = state_.focus == 0 ? before : 0;
}

void InputModule::OnLButtonUp(int x, int y, uint32_t) {
    if (!inputEnabled_) {
        return;
    }
    SetMousePos(x, y);
    state_.stateFlags &= ~(kInputLeftHeld | kInputHoverShown);
    SendInputEvent(kEventLButtonUp, inputTarget_);
    SendInputEvent(kEventPressEnd, inputTarget_);
    SendInputEvent(kEventLButtonUp, state_.mouseTarget);
    if (IsPointInObject(x, y, state_.mouseTarget)) {
        SendInputEvent(kEventClick, state_.mouseTarget);
        SendInputEvent(kEventPressEnd, state_.mouseTarget);
    }
    // A target change held back during the drag happens now.
    UpdateMouseTarget(x, y);
}

void InputModule::OnLButtonDblClk(int x, int y, uint32_t) {
    if (!inputEnabled_) {
        return;
    }
    SetMousePos(x, y);
    state_.stateFlags &= ~(kInputLeftHeld | kInputHoverShown);
    for (int receiver : {inputTarget_, state_.mouseTarget}) {
        SendInputEvent(kEventDoubleClick, receiver);
        SendInputEvent(kEventLButtonDown, receiver);
    }
}

void InputModule::OnRButtonDown(int x, int y, uint32_t) {
    if (!inputEnabled_) {
        return;
    }
    SetMousePos(x, y);
    FollowObjectsUnderMouse();
    state_.stateFlags = (state_.stateFlags & ~kInputHoverShown) | kInputRightHeld;
    SendToBoth(kEventRButtonDown, inputTarget_, state_.mouseTarget);
}

void InputModule::OnRButtonUp(int x, int y, uint32_t) {
    if (!inputEnabled_) {
        return;
    }
    SetMousePos(x, y);
    state_.stateFlags &= ~(kInputRightHeld | kInputHoverShown);
    SendInputEvent(kEventRButtonUp, inputTarget_);
    SendInputEvent(kEventPressEnd, inputTarget_);
    SendInputEvent(kEventRButtonUp, state_.mouseTarget);
    if (IsPointInObject(x, y, state_.mouseTarget)) {
        SendInputEvent(kEventRightClick, state_.mouseTarget);
        SendInputEvent(kEventPressEnd, state_.mouseTarget);
    }
}

void InputModule::OnMButtonDown(int x, int y, uint32_t) {
    if (!inputEnabled_) {
        return;
    }
    SetMousePos(x, y);
    state_.stateFlags = (state_.stateFlags & ~kInputHoverShown) | kInputMiddleHeld;
    SendToBoth(kEventMButton, inputTarget_, state_.mouseTarget);
}

void InputModule::OnMButtonUp(int x, int y, uint32_t) {
    if (!inputEnabled_) {
        return;
    }
    SetMousePos(x, y);
    state_.stateFlags &= ~(kInputMiddleHeld | kInputHoverShown);
    SendToBoth(kEventMButton, inputTarget_, state_.mouseTarget);
}

// --- Keyboard and focus ----------------------------------------------------

void InputModule::OnKeyDown(int key, int repeat, uint32_t flags) {
    if (!inputEnabled_) {
        return;
    }
    ReturnLentKeyboard();
    state_.keyFlags = flags;
    state_.stateFlags |= kInputKeyHeld;
    state_.lastKeyDown = key;
    if (state_.lastKeyUp == key) {
        state_.lastKeyUp = 0;
    }
    state_.repeat = repeat;
    SendToBoth(kEventKeyDown, inputTarget_, state_.focus);
}

void InputModule::OnKeyUp(int key, int repeat, uint32_t flags) {
    if (!inputEnabled_) {
        return;
    }
    state_.keyFlags = flags;
    state_.stateFlags &= ~kInputKeyHeld;
    state_.lastKeyUp = key;
    if (state_.lastKeyDown == key) {
        state_.lastKeyDown = 0;
    }
    state_.repeat = repeat;
    SendToBoth(kEventKeyUp, inputTarget_, state_.focus);
}

void InputModule::OnChar(int code, int, uint32_t) {
    if (!inputEnabled_ || code < 0 || code > 0xFF) {
        return;
    }
    ReturnLentKeyboard();
    const auto byte = static_cast<uint8_t>(code);
    if (pendingLead_ != 0) {
        const uint8_t lead = pendingLead_;
        pendingLead_ = 0;
        if (IsGbkTrailByte(byte)) {
            SendCharacter(lead, byte);
            return;
        }
        // A lead byte without its trail is dropped; this byte stands alone.
    }
    if (IsGbkLeadByte(byte)) {
        pendingLead_ = byte;
        return;
    }
    // Control characters, DEL and bytes that start no GBK character are not
    // text.
    if (byte < 32 || byte >= 127) {
        return;
    }
    SendCharacter(byte, 0);
}

void InputModule::SendCharacter(uint8_t first, uint8_t second) {
    state_.character[0] = first;
    state_.character[1] = second;
    state_.character[2] = 0;
    state_.character[3] = 0;
    SendToBoth(kEventChar, inputTarget_, state_.focus);
}

void InputModule::OnKillFocus() {
    SendToBoth(kEventWindowLostFocus, inputTarget_, state_.mouseTarget);
    if ((state_.stateFlags & kInputLeftHeld) != 0) {
        SendInputEvent(kEventLButtonUp, state_.mouseTarget);
    }
    if ((state_.stateFlags & kInputRightHeld) != 0) {
        SendInputEvent(kEventRButtonUp, state_.mouseTarget);
    }
    ClearMouseTarget();  // the one leave event
    SetFocusObject(0);
    RaiseCursorCount();
    systemCursorShown_ = true;
    state_ = InputState{};
    firstClickSeen_ = false;
    pendingLead_ = 0;
}

int InputModule::SetFocusObject(int id) {
    ObjectModule* objects = Objects();
    if (objects == nullptr) {
        return 0;
    }
    const int next = objects->FindFocusTarget(id);
    const int old = state_.focus;
    if (next == old) {
        return 0;
    }
    if (CCorvaneObject* previous = objects->FindObjectById(old)) {
        previous->ClearFlags(kObjectHasFocus);
        SendInputEvent(kEventFocusLost, old);
    }
    if (CCorvaneObject* gaining = objects->FindObjectById(next)) {
        gaining->AddFlags(kObjectHasFocus);
        SendInputEvent(kEventFocusGained, next);
    }
    state_.focus = next;
    return old;
}

bool InputModule::IsShown(int id) {
    ObjectModule* objects = Objects();
    CCorvaneObject* object = objects != nullptr ? objects->FindObjectById(id) : nullptr;
    return object != nullptr && object->IsVisible() && !IsDisabled(*object);
}

void InputModule::LendKeyboard(int panelId) {
    ReturnLentKeyboard();
    const int owner = state_.focus != 0 ? state_.focus : pressedAway_;
    const bool lent = std::any_of(loans_.begin(), loans_.end(),
                                  [panelId](const Loan& loan) { return loan.panel == panelId; });
    if (panelId != 0 && owner != 0 && owner != panelId && !lent) {
        loans_.push_back(Loan{panelId, owner});
    }
}

void InputModule::ReturnLentKeyboard() {
    for (auto it = loans_.begin(); it != loans_.end();) {
        if (IsShown(it->panel)) {
            ++it;
            continue;
        }
        const int owner = it->owner;
        it = loans_.erase(it);
        // A keyboard the player gave a shown control meanwhile stays there.
        if (!IsShown(state_.focus) && IsShown(owner)) {
            SetFocusObject(owner);
        }
    }
}

int InputModule::SetInputTarget(int id) {
    const int previous = inputTarget_;
    inputTarget_ = id;
    return previous;
}

void InputModule::BindInputTargetEvent(int eventId, const EventRecord& record) {
    ObjectModule* objects = Objects();
    if (CCorvaneObject* target = objects ? objects->FindObjectById(inputTarget_) : nullptr) {
        target->AddEventBinding(eventId, record);
    }
}

void InputModule::UnbindInputTargetEvent(int eventId) {
    ObjectModule* objects = Objects();
    if (CCorvaneObject* target = objects ? objects->FindObjectById(inputTarget_) : nullptr) {
        target->UnbindEvent(eventId);
    }
}

InputState* InputModule::GetInputState(InputState* out) const {
    if (out != nullptr) {
        *out = state_;
    }
    return out;
}

// --- Cursor ----------------------------------------------------------------

void InputModule::ApplyCursor() {
    if (!systemCursorShown_) {
        return;
    }
    ObjectModule* objects = Objects();
    if (objects != nullptr && ApplyCursorThroughObject(*objects)) {
        return;
    }
    platform::SetCursor(cursor_);
}

void InputModule::SetCursorHandle(platform::CursorHandle cursor) {
    // A cursor that failed to load must not leave the mouse invisible.
    if (cursor == 0) {
        return;
    }
    if (cursor != cursor_) {
        cursor_ = cursor;
        ShowSystemCursor(1);
    }
    ApplyCursor();
}

void InputModule::ShowSystemCursor(int on) {
    const bool show = on != 0;
    if (show == systemCursorShown_) {
        return;
    }
    systemCursorShown_ = show;
    if (show) {
        RaiseCursorCount();
    } else {
        LowerCursorCount();
    }
}

void InputModule::RaiseCursorCount() {
    for (int i = 0; i < kMaxCursorCountSteps; ++i) {
        if (platform::ShowCursor(true) >= 0) {
            return;
        }
    }
}

void InputModule::LowerCursorCount() {
    for (int i = 0; i < kMaxCursorCountSteps; ++i) {
        if (platform::ShowCursor(false) < 0) {
            return;
        }
    }
}

// --- Tick ------------------------------------------------------------------

int InputModule::Tick() {
    DrainMessages();
    const uint32_t now = GetLastTickTime();
    SendHoverIfRested(now);
    previousTick_ = now;
    hasPreviousTick_ = true;
    FollowObjectsUnderMouse();
    ReturnLentKeyboard();
    DropStaleFocus();
    TrackMouseInWindow();
    return 1;
}

void InputModule::SendHoverIfRested(uint32_t now) {
    if (!hasPreviousTick_) {
        return;
    }
    const uint32_t since = now - previousTick_;
    restTime_ = restTime_ > UINT32_MAX - since ? UINT32_MAX : restTime_ + since;
    if (restTime_ >= hoverDelay_ && (state_.stateFlags & kInputHoverShown) == 0) {
        SendToBoth(kEventHover, inputTarget_, state_.mouseTarget);
        state_.stateFlags |= kInputHoverShown;
    }
}

// Objects that moved, appeared or vanished under a still mouse change the
// mouse target as a move would.
void InputModule::FollowObjectsUnderMouse() {
    ObjectModule* objects = Objects();
    if (objects == nullptr || !mouseKnown_ || (state_.stateFlags & kInputLeftHeld) != 0) {
        return;
    }
    CCorvaneObject* under = objects->HitTest(clientX_, clientY_);
    const int underId = under != nullptr ? under->GetId() : 0;
    if (underId == state_.mouseTarget) {
        return;
    }
    if (state_.mouseTarget == 0) {
        if (!under->IsVisible() || IsDisabled(*under) || !under->IsInputEnabled()) {
            return;
        }
        // One the modal object keeps out would be refused on every tick.
        if (!CanBecomeMouseTarget(underId)) {
            return;
        }
    }
    RefreshMouseTarget();
}

void InputModule::DropStaleFocus() {
    if (state_.focus == 0) {
        return;
    }
    ObjectModule* objects = Objects();
    CCorvaneObject* focus = objects != nullptr ? objects->FindObjectById(state_.focus) : nullptr;
    if (focus == nullptr || !focus->IsVisible() || IsDisabled(*focus)) {
        SetFocusObject(0);
    }
}

void InputModule::TrackMouseInWindow() {
    const platform::WindowId window = GetCore() != nullptr ? GetCore()->GetWindowHandle() : 0;
    std::optional<platform::ScreenRect> rect;
    if (window != 0) {
        rect = platform::GetWindowRect(window);
    }
    const platform::ScreenPoint cursor = platform::GetCursorPos();
    const bool inside = rect.has_value() && rect->left <= cursor.x && cursor.x < rect->right &&
                        rect->top <= cursor.y && cursor.y < rect->bottom;
    if (inside == mouseInWindow_) {
        return;
    }
    mouseInWindow_ = inside;
    if (inside) {
        ApplyCursor();
        SendInputEvent(kEventMouseEnterWindow, inputTarget_);
    } else {
        SendToBoth(kEventMouseLeaveWindow, inputTarget_, state_.mouseTarget);
    }
}
