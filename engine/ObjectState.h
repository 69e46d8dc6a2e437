#pragma once
// The value that describes one scene object's shape and look, copied whole by
// GetState and SetState, by the object module's entry copy and into every
// draw record of a frame.
//
// Rules:
//  - Coordinates are scene pixels with y growing downward; x and y are the
//    object's centre.
//  - clipRect means something only while flag 0x2 is set.
//  - Plain data: trivially copyable, compared field by field.

#include <cstdint>
#include <type_traits>

// A rectangle of whole pixels; a point is inside when left <= x < right and
// top <= y < bottom.
struct IntRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return left >= right || top >= bottom; }
    bool Contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
    bool operator==(const IntRect&) const = default;
};

// The overlap of two rectangles; false (and out untouched) when they do not
// overlap or either is empty.
inline bool IntersectRects(const IntRect& a, const IntRect& b, IntRect* out) {
    IntRect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
              a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (r.IsEmpty()) {
        return false;
    }
    if (out != nullptr) {
        *out = r;
    }
    return true;
}

// The smallest rectangle holding both.
inline IntRect UnionRects(const IntRect& a, const IntRect& b) {
    return IntRect{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                   a.right > b.right ? a.right : b.right,
                   a.bottom > b.bottom ? a.bottom : b.bottom};
}

struct ObjectState {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double angle = 0.0;  // degrees; a positive angle turns counter-clockwise on screen
    double alpha = 0.0;
    double width = 0.0;
    double height = 0.0;
    uint32_t flags = 0;
    uint32_t layer = 0;
    int visible = 0;
    IntRect clipRect;
};

static_assert(std::is_trivially_copyable_v<ObjectState>);
