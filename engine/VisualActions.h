#pragma once
// The step functions of the visual object's timed actions. The facade
// (CCorvaneVisual's action operations) fills an action record with one of
// them, its parameter record (ActionRecord.h) and its interval; the object
// module calls the step on its ticks with (target, parameters, core, ms
// since the first step) and ends the action when the step answers nonzero.
//
// Rules:
//  - A step never outlives its target: the object module cancels an object's
//    actions before the object dies, and a step that hands control to other
//    code (a delivered event) checks that its target still lives before it
//    touches it again.
//  - Steps that need a picture are only made for pictures.
//  - Every step that changes its target invalidates it.

#include <cstdint>

class CCorvaneObject;
class GameCore;

// Intervals below this many ms become it where the action asks for it.
uint32_t AtLeastMinActionInterval(uint32_t interval);

int FadeActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
int RotateActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
int AlphaActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
int ShowHideActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
int MoveActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
int DelayActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
int TimerActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
int DelayedEventActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
int FrameAnimationActionStep(CCorvaneObject* object, void* params, GameCore* core,
                             uint32_t elapsed);
int DelayedSoundActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
int DelayedDestroyActionStep(CCorvaneObject* object, void* params, GameCore* core,
                             uint32_t elapsed);
int ResizeActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
int FlipActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
int CallbackActionStep(CCorvaneObject* object, void* params, GameCore* core, uint32_t elapsed);
