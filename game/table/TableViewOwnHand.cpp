// The own hand's tiles under the pointer: which program event each own
// tile sends in each table state, hover, lift, click and drag, and the
// concealed-gang checks and marks.
#include <algorithm>
#include <array>

#include "engine/CorvaneCursor.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_tiles/TileEncoding.h"

namespace {

constexpr int kEventTileLookerEnter = 80001117;
constexpr int kEventTileLookerLeave = 80001118;
constexpr int kEventTileEnter = 80001119;
constexpr int kEventTileLeave = 80001120;
constexpr int kCursorArrow = 0;
constexpr int kCursorHand = 1;
constexpr double kHoverAlpha = 0.8;

// The tile's index has `n` tiles among the counts.
bool HasCount(const CRegionalTableView::IndexCounts& counts, int index, int n) {
    return index >= 1 && index < static_cast<int>(counts.size()) &&
           counts[static_cast<size_t>(index)] == n;
}

}  // namespace

void CRegionalTableView::SetTableCursor(int cursor) {
    if (CCorvaneCursor* pointer = GetCursor()) {
        pointer->SetCursorById(cursor);
    }
}

// ---- Events of the own tiles ----

void CRegionalTableView::PostStateEvent(CCardSprite* sprite) {
    if (sprite == nullptr) {
        return;
    }
    if (GetTurnDirection() != 2 * kOwnPosition) {
        sprite->SetClickEvent(kEventCardIdle);
        return;
    }
    switch (GetTableState()) {
        case kStateSwapChoice:
            sprite->SetClickEvent(kEventCardClick);
            break;
        case kStateTingChoice:
            sprite->SetClickEvent(kEventTingTileClick);
            break;
        default:
            CMahjongTableView::PostStateEvent(sprite);
            break;
    }
}

int CRegionalTableView::OnCardSpriteEvent(const EventRecord& record) {
    CCardSprite* sprite = GetEventSprite(record);
    if (sprite == nullptr || sprite->position != kOwnPosition ||
        sprite->state != CCardSprite::kStateInHand || sprite->meldKind != CCardSprite::kMeldNone) {
        return 0;
    }
    switch (record.event) {
        case kEventTileLookerEnter:
            sprite->SetAlpha(kHoverAlpha);
            sprite->Redraw();
            SetTableCursor(kCursorHand);
            PlaySound("SndDe");
            return 1;
        case kEventTileLookerLeave:
            sprite->SetAlpha(1.0);
            sprite->Redraw();
            SetTableCursor(kCursorArrow);
            return 1;
        case kEventTileEnter:
            return OnOwnTileHoverOn(*sprite);
        case kEventTileLeave: {
            // A tile that moved away from a still pointer (or was covered)
            // has been left too.
            const InputState* input = InputStateOf(record);
            if (input == nullptr || HoldsPointer(*sprite, *input, true) ||
                (sprite->hoverRaised == 0 && input->moveX == 0 && input->moveY == 0)) {
                return 0;
            }
            DropHoverLift(*sprite);
            PlaySound("SndDe");
            return 1;
        }
        case kEventCardClick:
            if (GetTableState() == kStateSwapChoice) {
                return OnSwapTileClick(sprite);
            }
            return CMahjongTableView::OnCardSpriteEvent(record);
        case kEventCardGangSelect:
            OnGangTileSelect(*sprite);
            return 1;
        case kEventCardTwoSelect:
        case kEventCardHoverLift:
        case kEventCardDragMove:
        case kEventCardDrop:
            return CMahjongTableView::OnCardSpriteEvent(record);
        default:
            return 1;
    }
}

int CRegionalTableView::OnOwnTileHoverOn(CCardSprite& sprite) {
    if (sprite.hoverRaised != 0) {
        return 0;
    }
    if (GetTableState() == kStateSwapChoice) {
        return 1;
    }
    for (int i = 0; i < kRowSize; ++i) {
        CCardSprite* other = GetHandSprite(kOwnPosition, i);
        if (other != nullptr && other != &sprite && other->hoverRaised != 0 &&
            other->state == CCardSprite::kStateInHand) {
            other->hoverRaised = 0;
            other->Refresh();
        }
    }
    sprite.hoverRaised = 1;
    sprite.Refresh();
    SetTableCursor(kCursorHand);
    PlaySound("SndDe");
    return 1;
}

bool CRegionalTableView::HoldsPointer(CCardSprite& sprite, const InputState& input,
                                      bool stripOnly) {
    const double x = input.mouseX;
    const double y = input.mouseY;
    const double bottom = sprite.GetBottom();
    return sprite.hoverRaised != 0 && x >= sprite.GetLeft() && x < sprite.GetRight() &&
           y >= (stripOnly ? bottom : sprite.GetTop()) && y < bottom + GetPlaceMetric(kLiftMetric);
}

void CRegionalTableView::OnPointerMoved(const EventRecord& record) {
    const InputState* input = InputStateOf(record);
    for (int i = 0; i < kRowSize && input != nullptr; ++i) {
        CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite->hoverRaised != 0 &&
            (record.param1 != 0 || !HoldsPointer(*sprite, *input, false))) {
            DropHoverLift(*sprite);
        }
    }
}

void CRegionalTableView::DropHoverLift(CCardSprite& sprite) {
    sprite.hoverRaised = 0;
    sprite.Refresh();
    SetTableCursor(kCursorArrow);
}

// ---- Concealed gangs ----

void CRegionalTableView::CheckConcealedGang() {
    CMahjongTableView::CheckConcealedGang();
}

CRegionalTableView::IndexCounts CRegionalTableView::CountOwnTileIndices(bool skipWildPeng) {
    IndexCounts counts{};
    CRegionalTableData* data = GetRegionalTableData();
    const int wild1 = data != nullptr ? data->GetWildTile(0) : table_protocol::kNoTile;
    const int wild2 = data != nullptr ? data->GetWildTile(1) : table_protocol::kNoTile;
    const uint32_t rule = GetRuleFlags();
    // After a ready declaration only the drawn tile's face may still make
    // a gang.
    const CCardSprite* drawn = GetHandSprite(kOwnPosition, 0);
    const int drawnIndex = drawn != nullptr ? GetCardIndex(drawn->tile, rule) : kInvalidTileIndex;
    const int scan = static_cast<int>(GetRowCapacity());
    for (int i = 0; i < scan; ++i) {
        const CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite == nullptr || sprite->visible == 0 ||
            sprite->meldKind == CCardSprite::kMeldGang ||
            sprite->meldKind == CCardSprite::kMeldConcealedGang) {
            continue;
        }
        const int index = GetCardIndex(sprite->tile, rule);
        if (m_bBaoJiao != 0 && index != drawnIndex) {
            continue;
        }
        // A peng of the wild face never grows into a gang; no tile is wild
        // unless the rule word says so.
        if (skipWildPeng && sprite->meldKind == CCardSprite::kMeldPeng &&
            IsWildCard(sprite->tile, wild1, wild2, rule) != 0) {
            continue;
        }
        // Only the indices 1-63 are counted (a hidden tile's is negative).
        if (index >= 1 && index < static_cast<int>(counts.size())) {
            ++counts[static_cast<size_t>(index)];
        }
    }
    return counts;
}

int CRegionalTableView::MarkConcealedGangTile() {
    const IndexCounts counts = CountOwnTileIndices(true);
    const int quadruples = static_cast<int>(std::ranges::count(counts, 4));
    if (quadruples != 1) {
        return quadruples;
    }
    const uint32_t rule = GetRuleFlags();
    for (int i = 0; i < static_cast<int>(GetHandSize()); ++i) {
        CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite->active != 0 && sprite->visible != 0 &&
            HasCount(counts, GetCardIndex(sprite->tile, rule), 4)) {
            sprite->raised = 1;
            break;
        }
    }
    return quadruples;
}

void CRegionalTableView::GreyAllButQuadruples() {
    const int size = static_cast<int>(GetHandSize());
    for (int i = 0; i < size; ++i) {
        CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite->active != 0 && sprite->visible != 0) {
            sprite->greyed = 1;
        }
    }
    const IndexCounts counts = CountOwnTileIndices(false);
    const uint32_t rule = GetRuleFlags();
    for (int i = 0; i < size; ++i) {
        CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite->active != 0 && sprite->visible != 0 &&
            HasCount(counts, GetCardIndex(sprite->tile, rule), 4)) {
            sprite->greyed = 0;
        }
    }
}

void CRegionalTableView::ClearHandMarks() {
    CMahjongTableView::ClearHandMarks();
}
