#include "tests/e2e/support/ScreenReading.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "tools/skin/SkinColours.h"

namespace e2e {

namespace {

constexpr uint32_t kColourKey = 0xff00ff;
constexpr int kNothing = -1;
constexpr int kBackSides = 1000;
constexpr int kBackEnds = 1001;
// A run of fill shorter than this is a sliver between two lines, not a tile.
constexpr int kShortestRun = 3;
constexpr double kWholeLine = 0.9;

// The key a pixel's colour has: a face frame, a back, or nothing.
class Classifier {
public:
    int Class(uint32_t colour) {
        if (!regional_skin::IsTileKeyColour(colour)) {
            return kNothing;
        }
        const auto known = cache_.find(colour);
        if (known != cache_.end()) {
            return known->second;
        }
        // Tile colours are told without the skin's plain pictures.
        static const regional_skin::Skin kTilesOnly;
        const regional_skin::Seen seen = regional_skin::ClassifyColour(kTilesOnly, colour);
        int key = kNothing;
        switch (seen.kind) {
            case regional_skin::Seen::Kind::Face:
                key = seen.frame;
                break;
            case regional_skin::Seen::Kind::BackSides:
                key = kBackSides;
                break;
            case regional_skin::Seen::Kind::BackEnds:
                key = kBackEnds;
                break;
            default:
                break;
        }
        cache_.emplace(colour, key);
        return key;
    }

private:
    std::unordered_map<uint32_t, int> cache_;
};

struct Component {
    int key = kNothing;
    Box box;
    size_t pixels = 0;
};

// The 4-connected pieces of equal key.
std::vector<Component> Components(const std::vector<int>& keys, int width, int height) {
    std::vector<Component> components;
    std::vector<uint8_t> seen(keys.size(), 0);
    std::vector<size_t> stack;
    for (size_t start = 0; start < keys.size(); ++start) {
        if (keys[start] == kNothing || seen[start] != 0) {
            continue;
        }
        const int key = keys[start];
        int left = width;
        int top = height;
        int right = -1;
        int bottom = -1;
        size_t pixels = 0;
        seen[start] = 1;
        stack.push_back(start);
        while (!stack.empty()) {
            const size_t at = stack.back();
            stack.pop_back();
            ++pixels;
            const int x = static_cast<int>(at % static_cast<size_t>(width));
            const int y = static_cast<int>(at / static_cast<size_t>(width));
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            auto visit = [&](int nx, int ny) {
                if (nx < 0 || ny < 0 || nx >= width || ny >= height) {
                    return;
                }
                const size_t next =
                    static_cast<size_t>(ny) * static_cast<size_t>(width) + static_cast<size_t>(nx);
                if (seen[next] == 0 && keys[next] == key) {
                    seen[next] = 1;
                    stack.push_back(next);
                }
            };
            visit(x - 1, y);
            visit(x + 1, y);
            visit(x, y - 1);
            visit(x, y + 1);
        }
        components.push_back({key, {left, top, right - left + 1, bottom - top + 1}, pixels});
    }
    return components;
}

// The share of a line of the box (a row or a column) in the key.
double LineShare(const std::vector<int>& keys, int width, int key, int x0, int y0, int dx, int dy,
                 int count) {
    int hits = 0;
    for (int i = 0; i < count; ++i) {
        const int x = x0 + dx * i;
        const int y = y0 + dy * i;
        hits +=
            keys[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] ==
                    key
                ? 1
                : 0;
    }
    return count > 0 ? static_cast<double>(hits) / count : 0.0;
}

// Lines, not a fill: a whole line across and one down, and nothing of the
// key inside them.
bool Framed(const std::vector<int>& keys, int width, const Component& c) {
    const Box& b = c.box;
    const size_t ring = 2 * static_cast<size_t>(b.width + b.height) - 4;
    if (b.width < 3 || b.height < 3 || c.pixels > ring) {
        return false;
    }
    const bool across =
        LineShare(keys, width, c.key, b.left, b.top, 1, 0, b.width) >= kWholeLine ||
        LineShare(keys, width, c.key, b.left, b.Bottom() - 1, 1, 0, b.width) >= kWholeLine;
    const bool down =
        LineShare(keys, width, c.key, b.left, b.top, 0, 1, b.height) >= kWholeLine ||
        LineShare(keys, width, c.key, b.Right() - 1, b.top, 0, 1, b.height) >= kWholeLine;
    return across && down;
}

// The runs of the key along the bar's middle line.
int TilesAlong(const std::vector<int>& keys, int width, const Component& c, bool upright) {
    const Box& b = c.box;
    const int length = upright ? b.height : b.width;
    int tiles = 0;
    int run = 0;
    for (int i = 0; i <= length; ++i) {
        const int x = upright ? b.CentreX() : b.left + i;
        const int y = upright ? b.top + i : b.CentreY();
        const bool fill =
            i < length &&
            keys[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] ==
                c.key;
        if (fill) {
            ++run;
        } else {
            tiles += run >= kShortestRun ? 1 : 0;
            run = 0;
        }
    }
    return tiles;
}

}  // namespace

ScreenReading ReadScreen(const Screen& screen) {
    ScreenReading reading;
    Classifier classifier;
    std::vector<int> keys(screen.pixels.size(), kNothing);
    for (size_t i = 0; i < screen.pixels.size(); ++i) {
        const uint32_t rgb = screen.pixels[i] & 0xffffff;
        reading.colourKeyPixels += rgb == kColourKey ? 1 : 0;
        // The skin's colours are 0x00BBGGRR.
        keys[i] = classifier.Class(((rgb & 0xff) << 16) | (rgb & 0xff00) | (rgb >> 16));
    }
    for (const Component& c : Components(keys, screen.width, screen.height)) {
        if (c.key == kBackSides || c.key == kBackEnds) {
            const bool upright = c.box.height > c.box.width;
            reading.bars.push_back({c.box, upright, TilesAlong(keys, screen.width, c, upright)});
        } else {
            reading.faces.push_back({c.box, c.key, Framed(keys, screen.width, c)});
        }
    }
    return reading;
}

std::vector<FaceRegion> LargestFaceRow(const std::vector<FaceRegion>& faces) {
    int biggest = 0;
    for (const FaceRegion& face : faces) {
        biggest = std::max(biggest, face.box.width * face.box.height);
    }
    auto sameSize = [](const Box& a, const Box& b) {
        return std::abs(a.width - b.width) <= 1 && std::abs(a.height - b.height) <= 1;
    };
    std::vector<FaceRegion> best;
    for (const FaceRegion& first : faces) {
        if (first.box.width * first.box.height < biggest * 9 / 10) {
            continue;
        }
        std::vector<FaceRegion> row;
        for (const FaceRegion& other : faces) {
            // In one row: the same size, and half of the height shared (a
            // raised tile still counts).
            const int shared = std::min(first.box.Bottom(), other.box.Bottom()) -
                               std::max(first.box.top, other.box.top);
            if (sameSize(first.box, other.box) && shared * 2 >= first.box.height) {
                row.push_back(other);
            }
        }
        if (row.size() > best.size()) {
            best = std::move(row);
        }
    }
    std::sort(best.begin(), best.end(),
              [](const FaceRegion& a, const FaceRegion& b) { return a.box.left < b.box.left; });
    return best;
}

}  // namespace e2e
