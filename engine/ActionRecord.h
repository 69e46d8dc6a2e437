#pragma once
// Timed actions and action groups as the object module keeps them, and the
// parameter record of each kind of action.
//
// Rules:
//  - Records come zeroed from ObjectModule::NewActionRecord and
//    NewGroupRecord, each with a fresh 64-bit serial (the handle), and are
//    handed over with messages 1023 (action), 1024 (begin group) and 1025
//    (next group); the module returns them to its pools when they end.
//  - A record with a target names it with SetActionTarget, which keeps the
//    target's id beside the pointer: the module never asks an object that may
//    have died for its id.
//  - The step function answers nonzero when the action is finished.
//  - Each kind of action keeps its own parameter record in the parameter
//    area; every such record is trivially copyable and fits the area.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include "engine/EventRecord.h"
#include "engine/ImageRecord.h"

class CCorvaneObject;
class GameCore;
struct GroupRecord;

// One step: (target object or null, parameter area, core, ms since the first
// step) -> nonzero when done.
using ActionStepFunction = int (*)(CCorvaneObject* object, void* params, GameCore* core,
                                   uint32_t elapsedMs);

// Room for the largest parameter record (the flip action's holds a frame
// state with a pointer).
inline constexpr size_t kActionParamBytes = 128;

struct ActionRecord {
    uint64_t serial = 0;
    GroupRecord* group = nullptr;
    CCorvaneObject* object = nullptr;
    int objectId = 0;  // the target's id when the record was filled
    int waiting = 0;   // nonzero while its group may not run yet
    int cancelled = 0;
    int started = 0;  // set by the first step
    uint32_t startTime = 0;
    uint32_t lastRun = 0;
    uint32_t interval = 0;
    alignas(8) unsigned char params[kActionParamBytes] = {};
    ActionStepFunction step = nullptr;
    EventRecord endEvent;  // delivered when the action ends, if its event id is nonzero
    ActionRecord* next = nullptr;
};

struct GroupRecord {
    uint64_t serial = 0;
    GroupRecord* parent = nullptr;
    GroupRecord* previous = nullptr;  // the group this one follows
    GroupRecord* next = nullptr;      // the group that follows this one
    GroupRecord* firstChild = nullptr;
    GroupRecord* nextSibling = nullptr;
    int pending = 0;  // actions and child groups not yet finished
};

static_assert(std::is_trivially_copyable_v<ActionRecord>);
static_assert(std::is_trivially_copyable_v<GroupRecord>);

// Names the action's target; the object's id is read now, while it lives.
void SetActionTarget(ActionRecord& record, CCorvaneObject* object);

// Copies a parameter record into the area and returns it in place.
template <class Params>
Params* StoreActionParams(ActionRecord& record, const Params& params) {
    static_assert(std::is_trivially_copyable_v<Params>);
    static_assert(sizeof(Params) <= kActionParamBytes && alignof(Params) <= 8);
    return new (record.params) Params(params);
}

// The parameter record in an area a step function was given.
template <class Params>
Params* ActionParamsIn(void* area) {
    static_assert(sizeof(Params) <= kActionParamBytes && alignof(Params) <= 8);
    return std::launder(static_cast<Params*>(area));
}

// Parameter records of the actions of the visual object.

struct FadeActionParams {
    double step = 0.0;
    double upper = 0.0;
    double lower = 0.0;
    int count = 0;
};

struct RotateActionParams {
    double step = 0.0;
    double targetAngle = 0.0;
};

struct AlphaActionParams {
    double step = 0.0;
    double targetAlpha = 0.0;
};

struct ShowHideActionParams {
    uint8_t show = 0;
};

struct MoveActionParams {
    double speed = 0.0;
    double acceleration = 0.0;
    double topSpeed = 0.0;
    double x = 0.0;
    double y = 0.0;
};

struct DelayActionParams {
    uint32_t delay = 0;
};

struct TimerActionParams {
    uint32_t startTime = 0;
    uint32_t duration = 0;
};

struct DelayedEventActionParams {
    uint32_t period = 0;
    int count = 0;
    int fired = 0;
    EventRecord record;
};

struct FrameAnimationActionParams {
    int startFrame = 0;
    int mode = 0;
    int n = 0;
    uint32_t total = 0;
};

inline constexpr size_t kSoundNameBytes = 32;

struct DelayedSoundActionParams {
    char name[kSoundNameBytes] = {};
    int plays = 0;
    EventRecord notification;
};

struct ResizeActionParams {
    int currentWidth = 0;
    int currentHeight = 0;
    int targetWidth = 0;
    int targetHeight = 0;
    int widthStep = 0;
    int heightStep = 0;
};

// A card turning about its vertical axis; angles in whole degrees.
struct FlipActionParams {
    int step = 0;
    int total = 0;
    int backShown = 0;  // nonzero while the picture shows backFace's side
    FrameState backFace;
    int startWidth = 0;
    int counter = 0;
};

using ActionCallback = void (*)(void* data);

// The function, then as much of the caller's data as fits.
struct CallbackActionParams {
    ActionCallback function = nullptr;
    unsigned char data[kActionParamBytes - sizeof(ActionCallback)] = {};
};

// Every kind's record fits the area and may be copied as bytes.
template <class... Params>
inline constexpr bool kFitActionArea = ((sizeof(Params) <= kActionParamBytes &&
                                         alignof(Params) <= 8 &&
                                         std::is_trivially_copyable_v<Params>)&&...);
static_assert(
    kFitActionArea<FadeActionParams, RotateActionParams, AlphaActionParams, ShowHideActionParams,
                   MoveActionParams, DelayActionParams, TimerActionParams, DelayedEventActionParams,
                   FrameAnimationActionParams, DelayedSoundActionParams, ResizeActionParams,
                   FlipActionParams, CallbackActionParams>);
static_assert(sizeof(CallbackActionParams) == kActionParamBytes);
