#include "engine/SceneGeometry.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>

#include "engine/EngineEvents.h"

namespace {

struct Point {
    int64_t x;
    int64_t y;
};

using Quad = std::array<Point, 4>;

int ClampToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (value <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

// Half of (n + 1) in whole numbers, toward zero.
int64_t HalfRoundedUp(int n) {
    return (static_cast<int64_t>(n) + 1) / 2;
}

int Side(const Point& a, const Point& b, const Point& p) {
    // Coordinates span the whole int range: the products need 128 bits.
    using Wide = __int128;
    const Wide cross =
        static_cast<Wide>(b.x - a.x) * (p.y - a.y) - static_cast<Wide>(b.y - a.y) * (p.x - a.x);
    return (cross > 0) - (cross < 0);
}

bool WithinBox(const Point& a, const Point& b, const Point& p) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

// Crossing or touching, collinear overlaps included.
bool SegmentsMeet(const Point& a, const Point& b, const Point& c, const Point& d) {
    const int s1 = Side(a, b, c);
    const int s2 = Side(a, b, d);
    const int s3 = Side(c, d, a);
    const int s4 = Side(c, d, b);
    if (s1 * s2 < 0 && s3 * s4 < 0) {
        return true;
    }
    return (s1 == 0 && WithinBox(a, b, c)) || (s2 == 0 && WithinBox(a, b, d)) ||
           (s3 == 0 && WithinBox(c, d, a)) || (s4 == 0 && WithinBox(c, d, b));
}

// Inside or on the edge of a convex quad given in either turning order. A
// quad flattened to a line or a point holds nothing: meeting it is a matter
// of its edges.
bool InsideQuad(const Quad& quad, const Point& p) {
    bool anyLeft = false;
    bool anyRight = false;
    for (size_t i = 0; i < quad.size(); ++i) {
        const int side = Side(quad[i], quad[(i + 1) % quad.size()], p);
        anyLeft = anyLeft || side > 0;
        anyRight = anyRight || side < 0;
    }
    return (anyLeft || anyRight) && !(anyLeft && anyRight);
}

bool QuadsMeet(const Quad& a, const Quad& b) {
    for (size_t i = 0; i < a.size(); ++i) {
        for (size_t j = 0; j < b.size(); ++j) {
            if (SegmentsMeet(a[i], a[(i + 1) % a.size()], b[j], b[(j + 1) % b.size()])) {
                return true;
            }
        }
    }
    return InsideQuad(b, a[0]) || InsideQuad(a, b[0]);
}

Quad TurnedBox(const ObjectState& s) {
    const double r = s.angle * kEngineDegreeFactor;
    const double c = std::cos(r);
    const double sn = std::sin(r);
    const double hw = s.width * 0.5;
    const double hh = s.height * 0.5;
    const double offsets[4][2] = {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}};
    Quad quad;
    for (size_t i = 0; i < quad.size(); ++i) {
        const double dx = offsets[i][0];
        const double dy = offsets[i][1];
        quad[i] = Point{RoundToInt(s.x + c * dx + sn * dy), RoundToInt(s.y - sn * dx + c * dy)};
    }
    return quad;
}

}  // namespace

int TruncToInt(double value) {
    return ClampToInt(std::trunc(value));
}

int RoundToInt(double value) {
    return ClampToInt(std::round(value));
}

IntRect ObjectScreenRect(const ObjectState& s) {
    if (s.angle == 0.0) {
        const int left = TruncToInt(s.x - static_cast<double>(HalfRoundedUp(TruncToInt(s.width))));
        const int top = TruncToInt(s.y - static_cast<double>(HalfRoundedUp(TruncToInt(s.height))));
        return IntRect{left, top, TruncToInt(left + s.width), TruncToInt(top + s.height)};
    }
    double r = 0.0;
    if (s.width > 0.0 && s.height > 0.0) {
        r = std::sqrt((s.width * 0.5) * (s.width * 0.5) + (s.height * 0.5) * (s.height * 0.5));
    }
    return IntRect{TruncToInt(s.x - r), TruncToInt(s.y - r), TruncToInt(r + s.x),
                   TruncToInt(r + s.y)};
}

IntRect ObjectRect(const ObjectState& s) {
    IntRect rect = ObjectScreenRect(s);
    if ((s.flags & kObjectHasClipRect) != 0) {
        IntRect clipped;
        rect = IntersectRects(rect, s.clipRect, &clipped) ? clipped : IntRect{};
    }
    return rect;
}

bool ShapeOverlapsRect(const ObjectState& s, const IntRect& rect) {
    if (s.angle == 0.0) {
        return IntersectRects(ObjectRect(s), rect, nullptr);
    }
    const Quad box{Point{rect.left, rect.top}, Point{rect.right, rect.top},
                   Point{rect.right, rect.bottom}, Point{rect.left, rect.bottom}};
    return QuadsMeet(TurnedBox(s), box);
}
