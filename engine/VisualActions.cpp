// The timed actions of the visual object: their step functions, the facade
// operations that start them, and the groups and stops.

#include "engine/VisualActions.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string_view>

#include "engine/CorvanePicture.h"
#include "engine/CorvaneVisual.h"
#include "engine/GameCore.h"
#include "engine/MusicModule.h"
#include "engine/ObjectModule.h"

namespace {

// Degrees to radians as the flip turns its card.
constexpr double kFlipDegreeFactor = 0.0174532924;
// A top speed of 0 means no limit.
constexpr double kUnlimitedSpeed = 99999999.0;

// The parameter record of actions that need none.
struct NoActionParams {};

template <class Params>
Params& ParamsOf(void* area) {
    return *ActionParamsIn<Params>(area);
}

// Fills a record from the owner's object module and hands it over; the
// action's handle, or 0.
template <class Params>
uint64_t StartAction(CCorvaneVisual& owner, CCorvaneObject* target, uint32_t interval,
                     ActionStepFunction step, const Params& params, const EventRecord* endEvent) {
    ActionRecord* record = owner.NewActionRecord();
    if (record == nullptr) {
        return 0;
    }
    SetActionTarget(*record, target);
    record->interval = interval;
    StoreActionParams(*record, params);
    record->step = step;
    if (endEvent != nullptr) {
        record->endEvent = *endEvent;
    }
    return owner.SubmitAction(record);
}

// Whether the object with that id is still this one.
bool StillLives(GameCore* core, const CCorvaneObject* object, int id) {
    auto* objects =
        core != nullptr ? dynamic_cast<ObjectModule*>(core->FindModule(kObjectModuleId)) : nullptr;
    return objects != nullptr && objects->FindObjectById(id) == object;
}

// One step from current toward target, landing on it when the step would
// reach or pass it.
int StepToward(int current, int target, int step) {
    const int64_t size = std::abs(static_cast<int64_t>(step));
    if (current < target) {
        return current + size >= target ? target : static_cast<int>(current + size);
    }
    if (current > target) {
        return current - size <= target ? target : static_cast<int>(current - size);
    }
    return current;
}

int AddClamped(int a, int b) {
    return static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(a) + b, INT_MIN, INT_MAX));
}

uint32_t ClampToU32(int64_t value) {
    return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, UINT32_MAX));
}

// The sum of the delays of n frames from `first`, going round the count.
uint32_t DurationOfFrames(const CCorvanePicture& picture, int first, int n) {
    const int count = picture.GetFrameCount();
    if (count <= 0 || n <= 0) {
        return 0;
    }
    const int start = ((first % count) + count) % count;
    const int64_t rounds = n / count;
    int64_t total = rounds * picture.GetTotalDuration();
    for (int i = 0; i < n % count; ++i) {
        total += picture.GetFrameDelay((start + i) % count);
    }
    return ClampToU32(total);
}

}  // namespace

uint32_t AtLeastMinActionInterval(uint32_t interval) {
    return interval < kMinActionInterval ? kMinActionInterval : interval;
}

// --- Steps ---

int FadeActionStep(CCorvaneObject* object, void* area, GameCore*, uint32_t) {
    auto& p = ParamsOf<FadeActionParams>(area);
    double alpha = object->GetAlpha() + p.step;
    if (alpha <= p.lower) {
        alpha = p.lower;
        p.step = std::abs(p.step);
    } else if (alpha > p.upper) {
        alpha = p.upper;
        if (p.step > 0.0) {
            p.step = -p.step;
            if (p.count > 0) {
                --p.count;
            }
        }
    }
    object->SetAlpha(alpha);
    object->Invalidate();
    return p.count == 0 ? 1 : 0;
}

int RotateActionStep(CCorvaneObject* object, void* area, GameCore*, uint32_t) {
    const auto& p = ParamsOf<RotateActionParams>(area);
    object->RotateBy(p.step);
    object->Invalidate();
    const double distance = std::trunc(object->GetAngle() - p.targetAngle);
    if (std::abs(distance) < std::abs(std::trunc(p.step))) {
        object->SetAngle(p.targetAngle);
        object->Invalidate();
        return 1;
    }
    return 0;
}

int AlphaActionStep(CCorvaneObject* object, void* area, GameCore*, uint32_t) {
    const auto& p = ParamsOf<AlphaActionParams>(area);
    const double alpha = object->GetAlpha();
    if ((p.step < 0.0 && alpha <= p.targetAlpha) || (p.step > 0.0 && alpha >= p.targetAlpha)) {
        object->SetAlpha(p.targetAlpha);
        object->Invalidate();
        return 1;
    }
    object->SetAlpha(std::clamp(alpha + p.step, 0.0, 1.0));
    object->Invalidate();
    return 0;
}

int ShowHideActionStep(CCorvaneObject* object, void* area, GameCore*, uint32_t) {
    if (ParamsOf<ShowHideActionParams>(area).show != 0) {
        object->Show();
    } else {
        object->Hide();
    }
    object->Invalidate();
    return 1;
}

int MoveActionStep(CCorvaneObject* object, void* area, GameCore*, uint32_t) {
    auto& p = ParamsOf<MoveActionParams>(area);
    p.speed = std::min(p.speed + p.acceleration, p.topSpeed);
    const double speed = p.speed;
    const double x = object->GetX();
    const double y = object->GetY();
    double nx = x;
    double ny = y;
    if (x == p.x && y == p.y) {
        // there already
    } else if (x == p.x) {
        if (std::abs(std::trunc(y - p.y)) <= speed) {
            ny = p.y;
        } else {
            ny = y + (p.y > y ? speed : -speed);
        }
    } else if (y == p.y && std::abs(std::trunc(x - p.x)) > speed) {
        nx = x + (p.x > x ? speed : -speed);
    } else {
        const double d = std::trunc(std::sqrt((x - p.x) * (x - p.x) + (y - p.y) * (y - p.y)));
        if (speed < d) {
            nx = x + (p.x - x) / d * speed;
            ny = y + (p.y - y) / d * speed;
        } else {
            nx = p.x;
            ny = p.y;
        }
    }
    object->SetPos(nx, ny);
    object->Invalidate();
    return object->GetX() == p.x && object->GetY() == p.y ? 1 : 0;
}

int DelayActionStep(CCorvaneObject*, void* area, GameCore*, uint32_t elapsed) {
    return elapsed >= ParamsOf<DelayActionParams>(area).delay ? 1 : 0;
}

int TimerActionStep(CCorvaneObject*, void* area, GameCore* core, uint32_t) {
    const auto& p = ParamsOf<TimerActionParams>(area);
    return core == nullptr || core->GetTime() - p.startTime > p.duration ? 1 : 0;
}

int DelayedEventActionStep(CCorvaneObject* object, void* area, GameCore* core, uint32_t elapsed) {
    auto& p = ParamsOf<DelayedEventActionParams>(area);
    const int64_t due = elapsed / p.period;
    // A late frame delivers every period it missed.
    while (p.fired < due && (p.count <= 0 || p.fired < p.count) && p.fired < INT_MAX) {
        const EventRecord record = p.record;
        object->OnEvent(record);
        ++p.fired;
        if (!StillLives(core, object, record.target)) {
            return 0;  // destroyed by its handler: the action is cancelled already
        }
    }
    return (p.count > 0 && p.fired >= p.count) || p.fired == INT_MAX ? 1 : 0;
}

int FrameAnimationActionStep(CCorvaneObject* object, void* area, GameCore*, uint32_t elapsed) {
    auto* picture = dynamic_cast<CCorvanePicture*>(object);
    if (picture == nullptr || picture->GetFrameView().IsCurrent() == 0) {
        return 1;
    }
    auto& p = ParamsOf<FrameAnimationActionParams>(area);
    switch (p.mode) {
        case 0:
        case 1:
        case 2: {
            const int before = picture->GetFrame();
            picture->SetFrameByTime(static_cast<int>(std::min<uint32_t>(elapsed, INT_MAX)),
                                    p.startFrame);
            if (picture->GetFrame() != before) {
                picture->Invalidate();
            }
            if (p.total == 0 || elapsed < p.total) {
                return 0;
            }
            const int count = picture->GetFrameCount();
            if (p.mode == 0 && count > 0) {
                // The frame before the start: the end of the last loop.
                picture->SetFrame(((count + p.startFrame - 1) % count + count) % count);
            } else if (p.mode == 2) {
                picture->SetFrame(p.n);
            }
            picture->Invalidate();
            return 1;
        }
        case 3:
            picture->SetFrame(p.n);
            picture->Invalidate();
            return 1;
        case 4:
            // The total counts the steps taken in this mode.
            picture->NextFrame();
            picture->Invalidate();
            ++p.total;
            return static_cast<int64_t>(p.total) >= p.n ? 1 : 0;
        default:
            return 0;
    }
}

int DelayedSoundActionStep(CCorvaneObject*, void* area, GameCore* core, uint32_t) {
    const auto& p = ParamsOf<DelayedSoundActionParams>(area);
    auto* music =
        core != nullptr ? dynamic_cast<MusicModule*>(core->FindModule(kMusicModuleId)) : nullptr;
    if (music != nullptr) {
        const size_t length = strnlen(p.name, sizeof p.name);
        music->PlaySound(std::string_view(p.name, length), p.plays,
                         p.notification.event != 0 ? &p.notification : nullptr);
    }
    return 1;
}

int DelayedDestroyActionStep(CCorvaneObject* object, void*, GameCore* core, uint32_t) {
    if (core != nullptr) {
        core->PostMessage(kObjectModuleId, kMsgDestroyObject, object, 0);
    }
    return 1;
}

int ResizeActionStep(CCorvaneObject* object, void* area, GameCore*, uint32_t) {
    auto& p = ParamsOf<ResizeActionParams>(area);
    // Someone else resized the object when its size is not the stored one:
    // it is only brought back.
    if (object->GetWidth() == p.currentWidth && object->GetHeight() == p.currentHeight) {
        p.currentWidth = StepToward(p.currentWidth, p.targetWidth, p.widthStep);
        p.currentHeight = StepToward(p.currentHeight, p.targetHeight, p.heightStep);
    }
    object->Resize(p.currentWidth, p.currentHeight);
    object->Invalidate();
    return p.currentWidth == p.targetWidth && p.currentHeight == p.targetHeight ? 1 : 0;
}

int FlipActionStep(CCorvaneObject* object, void* area, GameCore*, uint32_t) {
    auto* picture = dynamic_cast<CCorvanePicture*>(object);
    if (picture == nullptr) {
        return 1;
    }
    auto& p = ParamsOf<FlipActionParams>(area);
    if (p.counter == 0) {
        picture->Resize(p.startWidth, picture->GetHeight());
    } else {
        p.counter = std::min(p.counter, p.total);
        const double c = std::cos(p.counter * kFlipDegreeFactor);
        const bool showBack = c < 0.0;
        if (showBack != (p.backShown != 0)) {
            CImageFrameView& view = picture->GetFrameView();
            const FrameRecord shown = view.GetFrameInfo();
            view.SetFrameInfo(p.backFace);
            p.backFace = shown;
            p.backShown = showBack ? 1 : 0;
        }
        picture->Resize(std::abs(c) * p.startWidth, picture->GetHeight());
    }
    picture->Invalidate();
    p.counter = AddClamped(p.counter, p.step);
    return p.counter >= p.total ? 1 : 0;
}

int CallbackActionStep(CCorvaneObject*, void* area, GameCore*, uint32_t) {
    auto& p = ParamsOf<CallbackActionParams>(area);
    if (p.function != nullptr) {
        p.function(p.data);
    }
    return 1;
}

// --- Records, groups and stops ---

ActionRecord* CCorvaneVisual::NewActionRecord() {
    ObjectModule* objects = GetObjectModule();
    return objects != nullptr ? objects->NewActionRecord() : nullptr;
}

uint64_t CCorvaneVisual::SubmitAction(ActionRecord* record) {
    if (record == nullptr || GetCore() == nullptr) {
        return 0;
    }
    const uint64_t serial = record->serial;
    GetCore()->PostMessage(kObjectModuleId, kMsgAddAction, record, 0);
    return serial;
}

uint64_t CCorvaneVisual::BeginGroup() {
    ObjectModule* objects = GetObjectModule();
    GroupRecord* group = objects != nullptr ? objects->NewGroupRecord() : nullptr;
    if (group == nullptr) {
        return 0;
    }
    const uint64_t serial = group->serial;
    GetCore()->PostMessage(kObjectModuleId, kMsgBeginGroup, group, 0);
    return serial;
}

uint64_t CCorvaneVisual::NextGroup() {
    ObjectModule* objects = GetObjectModule();
    GroupRecord* group = objects != nullptr ? objects->NewGroupRecord() : nullptr;
    if (group == nullptr) {
        return 0;
    }
    const uint64_t serial = group->serial;
    GetCore()->PostMessage(kObjectModuleId, kMsgNextGroup, group, 0);
    return serial;
}

void CCorvaneVisual::EndGroup() {
    if (GetCore() != nullptr) {
        GetCore()->PostMessage(kObjectModuleId, kMsgEndGroup, nullptr, 0);
    }
}

void CCorvaneVisual::StopGroupActions(uint64_t group) {
    if (GetCore() != nullptr) {
        GetCore()->PostMessage(kObjectModuleId, kMsgCancelGroup,
                               reinterpret_cast<void*>(static_cast<uintptr_t>(group)), 0);
    }
}

void CCorvaneVisual::StopObjectActions(int id) {
    if (GetCore() != nullptr) {
        GetCore()->PostMessage(kObjectModuleId, kMsgCancelObjectActions, IntToMessageParam(id), 0);
    }
}

void CCorvaneVisual::EndObjectActions(int id) {
    if (ObjectModule* objects = GetObjectModule()) {
        objects->EndObjectActions(id);
    }
}

void CCorvaneVisual::StopAction(uint64_t handle) {
    if (GetCore() != nullptr) {
        GetCore()->PostMessage(kObjectModuleId, kMsgCancelAction,
                               reinterpret_cast<void*>(static_cast<uintptr_t>(handle)), 0);
    }
}

// --- The action operations ---

uint64_t CCorvaneVisual::FadeAction(CCorvaneObject* object, double step, int count,
                                    uint32_t interval, double upper, double lower,
                                    const EventRecord* endEvent) {
    if (object == nullptr) {
        return 0;
    }
    const FadeActionParams params{step, upper, lower, count};
    return StartAction(*this, object, AtLeastMinActionInterval(interval), FadeActionStep, params,
                       endEvent);
}

uint64_t CCorvaneVisual::RotateAction(CCorvaneObject* object, double step, double targetAngle,
                                      uint32_t interval, const EventRecord* endEvent) {
    if (object == nullptr) {
        return 0;
    }
    const RotateActionParams params{step, targetAngle};
    return StartAction(*this, object, AtLeastMinActionInterval(interval), RotateActionStep, params,
                       endEvent);
}

uint64_t CCorvaneVisual::AlphaAction(CCorvaneObject* object, double step, double targetAlpha,
                                     uint32_t interval, const EventRecord* endEvent) {
    if (object == nullptr || step == 0.0) {
        return 0;
    }
    const double alpha = object->GetAlpha();
    if ((alpha < targetAlpha && step < 0.0) || (alpha > targetAlpha && step > 0.0)) {
        return 0;
    }
    // A target outside 0..1 could never be reached.
    const AlphaActionParams params{step, std::clamp(targetAlpha, 0.0, 1.0)};
    return StartAction(*this, object, AtLeastMinActionInterval(interval), AlphaActionStep, params,
                       endEvent);
}

uint64_t CCorvaneVisual::ShowHideAction(CCorvaneObject* object, int show,
                                        const EventRecord* endEvent) {
    if (object == nullptr) {
        return 0;
    }
    const ShowHideActionParams params{static_cast<uint8_t>(show != 0 ? 1 : 0)};
    return StartAction(*this, object, kMinActionInterval, ShowHideActionStep, params, endEvent);
}

uint64_t CCorvaneVisual::MoveAction(CCorvaneObject* object, int x, int y, double speed,
                                    double acceleration, double topSpeed,
                                    const EventRecord* endEvent) {
    if (object == nullptr) {
        return 0;
    }
    const double top = std::abs(std::trunc(topSpeed));
    const MoveActionParams params{std::abs(std::trunc(speed)), std::abs(std::trunc(acceleration)),
                                  top == 0.0 ? kUnlimitedSpeed : top, static_cast<double>(x),
                                  static_cast<double>(y)};
    return StartAction(*this, object, kMinActionInterval, MoveActionStep, params, endEvent);
}

uint64_t CCorvaneVisual::DelayAction(uint32_t delay, const EventRecord* endEvent) {
    return StartAction(*this, nullptr, delay, DelayActionStep, DelayActionParams{delay}, endEvent);
}

uint64_t CCorvaneVisual::TimerAction(uint32_t duration, const EventRecord* endEvent) {
    const TimerActionParams params{GetTime(), duration};
    return StartAction(*this, nullptr, 0, TimerActionStep, params, endEvent);
}

uint64_t CCorvaneVisual::DelayedEventAction(uint32_t period, int count, const EventRecord* record) {
    if (record == nullptr || period == 0) {
        return 0;
    }
    CCorvaneObject* target = FindObjectById(record->target);
    if (target == nullptr) {
        return 0;
    }
    const DelayedEventActionParams params{period, count, 0, *record};
    return StartAction(*this, target, period, DelayedEventActionStep, params, nullptr);
}

uint64_t CCorvaneVisual::FrameAnimationAction(CCorvaneObject* object, int mode, int n,
                                              int startFrame, uint32_t interval,
                                              const EventRecord* endEvent) {
    auto* picture = dynamic_cast<CCorvanePicture*>(object);
    if (picture == nullptr) {
        return 0;
    }
    uint32_t total = 0;
    if (mode == 0) {
        total = n < 0 ? 0 : ClampToU32(static_cast<int64_t>(picture->GetTotalDuration()) * n);
    } else if (mode == 1) {
        total = DurationOfFrames(*picture, picture->GetFrame(), n);
    } else if (mode == 2) {
        total = ClampToU32(n);
    }
    const bool timed = mode >= 0 && mode <= 2;
    const FrameAnimationActionParams params{startFrame, mode, n, total};
    return StartAction(*this, picture, timed ? kMinActionInterval : interval,
                       FrameAnimationActionStep, params, endEvent);
}

uint64_t CCorvaneVisual::DelayedSoundAction(const char* name, int plays,
                                            const EventRecord* notification) {
    if (name == nullptr) {
        return 0;
    }
    const size_t length = std::strlen(name);
    if (length >= kSoundNameBytes) {
        return 0;
    }
    DelayedSoundActionParams params;
    std::memcpy(params.name, name, length);
    params.plays = plays;
    if (notification != nullptr) {
        params.notification = *notification;
    }
    return StartAction(*this, nullptr, 0, DelayedSoundActionStep, params, nullptr);
}

uint64_t CCorvaneVisual::DelayedDestroyAction(CCorvaneObject* object, const EventRecord* endEvent) {
    if (object == nullptr) {
        return 0;
    }
    return StartAction(*this, object, kMinActionInterval, DelayedDestroyActionStep,
                       NoActionParams{}, endEvent);
}

uint64_t CCorvaneVisual::ResizeAction(CCorvaneObject* object, int startWidth, int startHeight,
                                      int targetWidth, int targetHeight, int widthStep,
                                      int heightStep, const EventRecord* endEvent) {
    if (object == nullptr) {
        return 0;
    }
    const ResizeActionParams params{startWidth,   startHeight, targetWidth,
                                    targetHeight, widthStep,   heightStep};
    return StartAction(*this, object, kMinActionInterval, ResizeActionStep, params, endEvent);
}

uint64_t CCorvaneVisual::FlipAction(CCorvaneObject* object, int step, int total,
                                    const FrameRecord& backFace, uint32_t interval,
                                    const EventRecord* endEvent) {
    auto* picture = dynamic_cast<CCorvanePicture*>(object);
    if (picture == nullptr) {
        return 0;
    }
    FlipActionParams params;
    params.step = step;
    params.total = total;
    params.backFace = backFace;
    params.startWidth = static_cast<int>(std::clamp(picture->GetWidth(), 0.0, double{INT_MAX}));
    return StartAction(*this, picture, AtLeastMinActionInterval(interval), FlipActionStep, params,
                       endEvent);
}

uint64_t CCorvaneVisual::CallbackAction(ActionCallback function, const void* data, size_t size) {
    CallbackActionParams params;
    if (function == nullptr || size > sizeof params.data || (data == nullptr && size != 0)) {
        return 0;
    }
    params.function = function;
    if (size != 0) {
        std::memcpy(params.data, data, size);
    }
    return StartAction(*this, nullptr, kMinActionInterval, CallbackActionStep, params, nullptr);
}
