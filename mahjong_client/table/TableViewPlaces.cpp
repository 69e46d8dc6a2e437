// Where the table's parts lie, for placing signs and bubbles between them:
// the rows as they lie now and all the room they can take, the wall's sides,
// an object's rectangle, and the search for a free place of a box near a
// seat's board.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/CorvaneObject.h"
#include "frame/view/GameFrameView.h"
#include "mahjong_client/table/MahjongTableView.h"

namespace {

struct Box {
    double left, top, right, bottom;
};

bool Meets(const Box& box, const IntRect& rect) {
    return !rect.IsEmpty() && box.left < rect.right && rect.left < box.right &&
           box.top < rect.bottom && rect.top < box.bottom;
}

// From the box's centre to the rectangle: 0 inside it.
double Distance(double x, double y, const IntRect& rect) {
    return std::hypot(std::max({rect.left - x, 0.0, x - rect.right}),
                      std::max({rect.top - y, 0.0, y - rect.bottom}));
}

}  // namespace

IntRect CMahjongTableView::GetRowExtent(int position) {
    IntRect extent;
    if (position < 0 || position >= kPositions) {
        return extent;
    }
    for (const int index : rows_[position]) {
        CCardSprite* sprite = GetCardSprite(index);
        TablePoint centre;
        TablePoint size;
        if (sprite != nullptr && GetSpritePlace(*sprite, centre, size)) {
            const IntRect tile{centre.x - size.x / 2, centre.y - size.y / 2,
                               centre.x + (size.x + 1) / 2, centre.y + (size.y + 1) / 2};
            extent = extent.IsEmpty() ? tile : UnionRects(extent, tile);
        }
    }
    return extent;
}

IntRect CMahjongTableView::GetRowRoom(int position) {
    const TableGeometry& g = geometry_;
    if (position < 0 || position >= kPositions || g.width <= 0 || g.height <= 0) {
        return {};
    }
    const auto& m = placeMetrics_;
    const bool alongX = position == 1 || position == kOwnPosition;
    const TablePoint standing = RowTileSize(position, false);
    const TablePoint meld = RowTileSize(position, true);
    const int standingAlong = alongX ? standing.x : standing.y;
    const int meldAlong = alongX ? meld.x : meld.y;
    // The row is longest either as a whole hand of standing tiles with the
    // drawn one apart, or as four gangs and the tiles left standing.
    constexpr int kGangs = 4;
    const int hand = static_cast<int>(GetHandTileLimit());
    const int standingRow = hand * standingAlong + m[6];
    const int gangRow = 4 * kGangs * meldAlong + (kGangs - 1) * m[19] + m[6] +
                        (hand - 3 * kGangs) * standingAlong + m[6];
    const int length = std::max(standingRow, gangRow);
    // Across: the thicker of the two, and room for an own tile raised.
    const int across = std::max(alongX ? standing.y : standing.x, alongX ? meld.y : meld.x) +
                       (position == kOwnPosition ? m[17] : 0);
    IntRect room;
    switch (position) {
        case kOwnPosition:
            room = {g.centreX - length / 2, g.ownBottom - across, g.centreX - length / 2 + length,
                    g.ownBottom};
            break;
        case 1:
            room = {g.centreX + length / 2 - length, g.topRowTop, g.centreX + length / 2,
                    g.topRowTop + across};
            break;
        case 0:
            room = {g.leftRowLeft, g.centreY - length / 2, g.leftRowLeft + across,
                    g.centreY - length / 2 + length};
            break;
        default:
            room = {g.rightRowRight - across, g.centreY + length / 2 - length, g.rightRowRight,
                    g.centreY + length / 2};
            break;
    }
    // Tiles laid open at the end of a hand may lie wider than a hand's row.
    const IntRect now = GetRowExtent(position);
    return now.IsEmpty() ? room : UnionRects(room, now);
}

std::array<IntRect, CMahjongTableView::kPositions> CMahjongTableView::GetWallSides() const {
    const IntRect in = GetWallInside();
    if (in.IsEmpty()) {
        return {};
    }
    const int t = placeMetrics_[18];
    return {{{in.left - t, in.top - t, in.right + t, in.top},
             {in.left - t, in.bottom, in.right + t, in.bottom + t},
             {in.left - t, in.top, in.left, in.bottom},
             {in.right, in.top, in.right + t, in.bottom}}};
}

IntRect CMahjongTableView::GetAutoPlaySignBox() {
    const FrameRecord sign = GetSkinFrame(kAutoPlaySignPicture);
    if (geometry_.width <= 0 || sign.width <= 0 || sign.height <= 0) {
        return {};
    }
    const TablePoint centre = GetAutoPlaySignPlace(sign.width);
    return {centre.x - (sign.width + 1) / 2, centre.y - (sign.height + 1) / 2,
            centre.x + (sign.width + 1) / 2, centre.y + (sign.height + 1) / 2};
}

IntRect CMahjongTableView::ObjectBox(CCorvaneObject* object) {
    if (object == nullptr) {
        return {};
    }
    const bool across = std::lround(object->GetAngle() / 90.0) % 2 != 0;
    const double w = across ? object->GetHeight() : object->GetWidth();
    const double h = across ? object->GetWidth() : object->GetHeight();
    return {static_cast<int>(std::floor(object->GetX() - w / 2)),
            static_cast<int>(std::floor(object->GetY() - h / 2)),
            static_cast<int>(std::ceil(object->GetX() + w / 2)),
            static_cast<int>(std::ceil(object->GetY() + h / 2))};
}

bool CMahjongTableView::FindFreePlace(TablePoint size, std::span<const IntRect> keepOff,
                                      TablePoint wanted, int position, TablePoint& place) {
    const IntRect area = GetViewRect();
    std::array<IntRect, kPositions> boards{};
    for (int p = 0; p < kPositions; ++p) {
        boards[p] = ObjectBox(GetSeatBoard(p));
    }
    if (position < 0 || position >= kPositions || boards[position].IsEmpty()) {
        return false;
    }
    const double halfW = size.x / 2.0;
    const double halfH = size.y / 2.0;
    // The nearest free centre is the wanted point itself or lies where the
    // box touches the area's edge or a rectangle's: try those lines.
    std::vector<int> xs{wanted.x, static_cast<int>(std::ceil(area.left + halfW)),
                        static_cast<int>(std::floor(area.right - halfW))};
    std::vector<int> ys{wanted.y, static_cast<int>(std::ceil(area.top + halfH)),
                        static_cast<int>(std::floor(area.bottom - halfH))};
    for (const IntRect& rect : keepOff) {
        xs.insert(xs.end(), {static_cast<int>(std::floor(rect.left - halfW)),
                             static_cast<int>(std::ceil(rect.right + halfW))});
        ys.insert(ys.end(), {static_cast<int>(std::floor(rect.top - halfH)),
                             static_cast<int>(std::ceil(rect.bottom + halfH))});
    }
    std::pair<double, double> best{std::numeric_limits<double>::infinity(), 0.0};
    for (const int x : xs) {
        for (const int y : ys) {
            const Box box{x - halfW, y - halfH, x + halfW, y + halfH};
            if (box.left < area.left || box.top < area.top || box.right > area.right ||
                box.bottom > area.bottom ||
                std::any_of(keepOff.begin(), keepOff.end(),
                            [&](const IntRect& rect) { return Meets(box, rect); })) {
                continue;
            }
            const double own = Distance(x, y, boards[position]);
            bool nearest = true;
            for (int p = 0; p < kPositions; ++p) {
                nearest = nearest &&
                          (p == position || boards[p].IsEmpty() || own < Distance(x, y, boards[p]));
            }
            const std::pair<double, double> rank{std::hypot(x - wanted.x, y - wanted.y), own};
            if (nearest && rank < best) {
                best = rank;
                place = {x, y};
            }
        }
    }
    return best.first != std::numeric_limits<double>::infinity();
}
