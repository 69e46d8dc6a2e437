#pragma once
// The abstract frame that a drawable object shows: what the object's pixel
// hit test and the paint module ask of it. The image frame view derives from
// it; tests use their own.
//
// Rules:
//  - HitTest takes frame pixels (0, 0 at the frame's top-left corner) and
//    answers 1 for a hit, 0 otherwise, also for points outside the frame.
//  - IsCurrent answers 0 when the frame no longer shows the current version
//    of its picture; a frame that cannot go stale keeps the base answer 1.

class Drawable {
public:
    virtual ~Drawable() = default;

    virtual int IsHidden() const = 0;
    virtual int HitTest(int x, int y) const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual int IsCurrent() const { return 1; }
};
