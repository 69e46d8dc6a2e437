#pragma once
// The frame that the object module hands to the paint module with message
// 1033: the rectangles to redraw and the objects to draw into them.
//
// Rules:
//  - Rectangles are in window coordinates; draw records are in drawing order
//    (later ones over earlier ones) and their x and y are window coordinates
//    too.
//  - Draw records are units of the pool the header names; the header and the
//    rectangle array come from AllocFrameDrawRecord.
//  - The receiver of 1033 owns the frame and releases it with
//    FreeFrameDrawRecord once drawn.

#include <cstddef>

#include "engine/ObjectState.h"

class CMemPool;
class Drawable;

// The message that carries the frame to the paint module (p: the frame).
inline constexpr int kMsgDrawFrame = 1033;

struct DrawRecord {
    ObjectState state;
    Drawable* drawable = nullptr;
    DrawRecord* next = nullptr;
};

struct FrameDrawRecord {
    int centreX = 0;
    int centreY = 0;
    CMemPool* pool = nullptr;  // where the draw records go back
    IntRect* rects = nullptr;
    int rectCount = 0;
    DrawRecord* first = nullptr;
};

// A header with a zeroed array of rectCount rectangles (none for 0); null
// when memory runs out.
FrameDrawRecord* AllocFrameDrawRecord(int rectCount);
// Returns every draw record to the pool, then frees the array and the header.
void FreeFrameDrawRecord(FrameDrawRecord* frame);
