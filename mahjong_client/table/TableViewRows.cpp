// The hand rows, the discards and the last-thrown places.
#include <algorithm>

#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "mahjong_tiles/TileEncoding.h"
#include "zep/ZepLog.h"

namespace {

bool ValidPosition(int position) {
    return position >= 0 && position < CMahjongTableView::kPositions;
}

}  // namespace

// ---- Row bookkeeping ----

void CMahjongTableView::DetachSprite(int poolIndex) {
    if (poolIndex < 0) {
        return;
    }
    std::replace(wall_.begin(), wall_.end(), poolIndex, -1);
    for (int p = 0; p < kPositions; ++p) {
        auto& row = rows_[p];
        const auto at = std::find(row.begin(), row.end(), poolIndex);
        if (at != row.end()) {
            // The row closes up behind a tile taken from among its tiles.
            if (at == row.begin()) {
                *at = -1;
            } else {
                std::copy(at + 1, row.end(), at);
                row.back() = -1;
            }
            RenumberRow(p);
        }
        std::replace(discards_[p].begin(), discards_[p].end(), poolIndex, -1);
        if (lastThrown_[p] == poolIndex) {
            lastThrown_[p] = -1;
        }
    }
}

CCardSprite* CMahjongTableView::GetHandSprite(int position, int index) {
    if (!ValidPosition(position) || index < 0 || index >= kRowSize) {
        return nullptr;
    }
    return GetCardSprite(rows_[position][index]);
}

void CMahjongTableView::RenumberRow(int position) {
    for (int i = 0; i < kRowSize; ++i) {
        if (CCardSprite* sprite = GetCardSprite(rows_[position][i])) {
            sprite->handIndex = i;
            sprite->position = position;
        }
    }
}

bool CMahjongTableView::InsertRowEntry(int position, int index, int poolIndex) {
    auto& row = rows_[position];
    if (row[kRowSize - 1] >= 0) {
        return false;
    }
    int last = 0;
    for (int i = 1; i < kRowSize; ++i) {
        if (row[i] >= 0) {
            last = i;
        }
    }
    const int at = std::clamp(index, 1, last + 1);
    for (int i = kRowSize - 1; i > at; --i) {
        row[i] = row[i - 1];
    }
    row[at] = poolIndex;
    RenumberRow(position);
    return true;
}

CCardSprite* CMahjongTableView::PutHandTile(int position, int index, int tileId) {
    if (!ValidPosition(position) || index < 0 || index >= kRowSize || rows_[position][index] >= 0) {
        return nullptr;
    }
    CCardSprite* sprite = GetFreeCardObject();
    if (sprite == nullptr) {
        return nullptr;
    }
    sprite->Reset();
    sprite->TakePlace(CCardSprite::kKindHand, CCardSprite::kStateInHand, position, 1);
    sprite->handIndex = index;
    sprite->handSize = static_cast<int>(GetHandTileLimit());
    sprite->tile = IsRealTile(tileId) ? tileId : kHiddenTile;
    sprite->faceUp = IsRealTile(tileId) ? 1 : 0;
    rows_[position][index] = sprite->poolIndex;
    return sprite;
}

int CMahjongTableView::GetRowCount(int position) const {
    if (!ValidPosition(position)) {
        return 0;
    }
    int count = 0;
    for (int index : rows_[position]) {
        const CCardSprite* sprite =
            index >= 0 ? const_cast<CMahjongTableView*>(this)->GetCardSprite(index) : nullptr;
        count += sprite != nullptr && sprite->active != 0 ? 1 : 0;
    }
    return count;
}

bool CMahjongTableView::IsHandKnown(int position) {
    if (!ValidPosition(position)) {
        return false;
    }
    // The first concealed tile after the melds tells; index 0 when the
    // drawn tile is all there is.
    for (int i = 1; i < kRowSize; ++i) {
        const CCardSprite* sprite = GetCardSprite(rows_[position][i]);
        if (sprite != nullptr && sprite->meldMark == 0) {
            return IsRealTile(sprite->tile);
        }
    }
    const CCardSprite* drawn = GetCardSprite(rows_[position][0]);
    if (drawn != nullptr) {
        return IsRealTile(drawn->tile);
    }
    // An empty own row of a player still takes its tiles face up.
    return position == 3 && !IsLookingOn();
}

int CMahjongTableView::IsHandDrawn(int position) {
    const CCardSprite* drawn = GetHandSprite(position, 0);
    return drawn != nullptr ? drawn->visible : 0;
}

int CMahjongTableView::FindConcealedIndex(int position, int tileId) const {
    const auto& row = rows_[position];
    auto* self = const_cast<CMahjongTableView*>(this);
    if (tileId == kHiddenTile) {
        const CCardSprite* drawn = self->GetCardSprite(row[0]);
        if (drawn != nullptr && drawn->meldMark == 0) {
            return 0;
        }
        for (int i = 1; i < kRowSize; ++i) {
            const CCardSprite* sprite = self->GetCardSprite(row[i]);
            if (sprite != nullptr && sprite->meldMark == 0) {
                return i;
            }
        }
        return -1;
    }
    for (int i = 0; i < kRowSize; ++i) {
        const CCardSprite* sprite = self->GetCardSprite(row[i]);
        if (sprite != nullptr && sprite->meldMark == 0 && sprite->tile == tileId) {
            return i;
        }
    }
    return -1;
}

CCardSprite* CMahjongTableView::RemoveHandTile(int position, int tileId) {
    if (!ValidPosition(position)) {
        return nullptr;
    }
    const int index = FindConcealedIndex(position, tileId);
    if (index < 0) {
        return nullptr;
    }
    auto& row = rows_[position];
    CCardSprite* sprite = GetCardSprite(row[index]);
    if (index == 0) {
        row[0] = -1;
    } else {
        for (int i = index; i < kRowSize - 1; ++i) {
            row[i] = row[i + 1];
        }
        row[kRowSize - 1] = -1;
    }
    RenumberRow(position);
    if (sprite != nullptr) {
        sprite->handIndex = -1;
    }
    return sprite;
}

CCardSprite* CMahjongTableView::MoveTileToThrown(int position, int tileId) {
    CCardSprite* sprite = RemoveHandTile(position, tileId);
    if (sprite == nullptr) {
        return nullptr;
    }
    sprite->lifeTime = 3000;
    SetLastThrown(position, sprite);
    RefreshHandSprites(position);
    return sprite;
}

void CMahjongTableView::TurnRowFaceDown(int position) {
    if (!ValidPosition(position)) {
        return;
    }
    for (int index : rows_[position]) {
        CCardSprite* sprite = GetCardSprite(index);
        if (sprite != nullptr && sprite->visible != 0 && sprite->active != 0) {
            sprite->tile = kHiddenTile;
            sprite->faceUp = 0;
            sprite->Refresh();
        }
    }
}

void CMahjongTableView::EmptyHandRows() {
    for (int p = 0; p < kPositions; ++p) {
        for (int i = 0; i < kRowSize; ++i) {
            CCardSprite* sprite = GetCardSprite(rows_[p][i]);
            rows_[p][i] = -1;
            if (sprite != nullptr) {
                sprite->Reset();
                sprite->Refresh();
            }
        }
    }
    meldCounts_.fill(0);
}

// ---- Order ----

void CMahjongTableView::SortHand() {
    SortHandCards(3, IsHandDrawn(3) != 0 ? 0 : 1, GetRowCount(3));
}

void CMahjongTableView::SortHandAfterDraw() {
    SortHandCards(kOwnPosition, 1, kRowSize - 1);
}

void CMahjongTableView::SortHandCards(int position, int from, int count) {
    if (!ValidPosition(position) || from < 0 || from >= kRowSize || count <= 0) {
        return;
    }
    const int end = std::min(from + count, kRowSize);
    // The concealed entries of the range, the drawn tile's place last, so
    // the largest tile lies apart.
    std::array<int, kRowSize> places{};
    int n = 0;
    for (int i = std::max(from, 1); i < end; ++i) {
        const CCardSprite* sprite = GetCardSprite(rows_[position][i]);
        if (sprite != nullptr && sprite->meldMark == 0) {
            places[n++] = i;
        }
    }
    if (from == 0 && GetCardSprite(rows_[position][0]) != nullptr) {
        places[n++] = 0;
    }
    CMahjongTableData* data = GetMahjongTableData();
    const int wild1 = data != nullptr ? data->GetWildTile(0) : -1;
    const int wild2 = data != nullptr ? data->GetWildTile(1) : -1;
    const uint32_t rule = GetRuleFlags();
    std::array<int, kRowSize> tiles{};
    for (int k = 0; k < n; ++k) {
        tiles[k] = rows_[position][places[k]];
    }
    // Wild tiles first, then by face and id; hidden tiles last.
    auto key = [&](int poolIndex) {
        const CCardSprite* sprite = GetCardSprite(poolIndex);
        const int tile = sprite != nullptr ? sprite->tile : kHiddenTile;
        if (!IsRealTile(tile)) {
            return std::array<int, 3>{2, 0, tile};
        }
        const int wild = IsWildCard(tile, wild1, wild2, rule) != 0 ? 0 : 1;
        return std::array<int, 3>{wild, GetCardIndex(tile), tile};
    };
    std::stable_sort(tiles.begin(), tiles.begin() + n,
                     [&](int a, int b) { return key(a) < key(b); });
    for (int k = 0; k < n; ++k) {
        rows_[position][places[k]] = tiles[k];
    }
    RenumberRow(position);
}

void CMahjongTableView::ArrangeHand(int position) {
    if (!ValidPosition(position)) {
        return;
    }
    // The drawn tile joins the concealed tiles, which are then sorted.
    if (rows_[position][0] >= 0 && InsertRowEntry(position, kRowSize, rows_[position][0])) {
        rows_[position][0] = -1;
    }
    SortHandCards(position, 1, kRowSize - 1);
}

void CMahjongTableView::RefreshHandSprites(int position) {
    if (!ValidPosition(position)) {
        return;
    }
    RenumberRow(position);
    for (int index : rows_[position]) {
        if (CCardSprite* sprite = GetCardSprite(index)) {
            sprite->kind = CCardSprite::kKindHand;
            sprite->Refresh();
        }
    }
    if (position == 3 && !IsLookingOn()) {
        for (int index : rows_[3]) {
            CCardSprite* sprite = GetCardSprite(index);
            if (sprite != nullptr && sprite->active != 0 && sprite->visible != 0) {
                PostStateEvent(sprite);
            }
        }
    }
    OnHandRefreshed(position);
}

void CMahjongTableView::OnHandRefreshed(int /*position*/) {}

void CMahjongTableView::FillOwnHand() {
    CMahjongTableData* data = GetMahjongTableData();
    const int own = GetOwnChair();
    if (data == nullptr || own < 0) {
        return;
    }
    const int flags = data->GetStartFlags();
    const bool placeholder = (flags & CMahjongTableData::kStartSwapPhase) != 0
                                 ? data->GetBanker() == own
                                 : (flags & CMahjongTableData::kStartFlag100) != 0;
    if (placeholder) {
        const int turn = ChairToPosition(data->GetTurnChair());
        if (ValidPosition(turn) && rows_[turn][0] < 0) {
            PutHandTile(turn, 0, kHiddenTile);
        }
    }
    const int count = std::clamp(data->GetSeatTileCount(own), 0, kRowSize - 1);
    // A count that leaves a tile over after the sets (14, 11, ...) holds a
    // drawn tile: the first tile goes to the drawn place when it is free.
    const int start = IsHandDrawn(3) != 0 || count % 3 != 2 ? 1 : 0;
    std::array<int32_t, 32> own32{};
    OwnTiles(own32);
    const bool player = !IsLookingOn();
    const int wild1 = data->GetWildTile(0);
    const int wild2 = data->GetWildTile(1);
    for (int i = 0; i < count && start + i < kRowSize; ++i) {
        const int tile = player && IsRealTile(own32[i]) ? own32[i] : kHiddenTile;
        CCardSprite* sprite = GetHandSprite(3, start + i);
        if (sprite == nullptr) {
            sprite = PutHandTile(3, start + i, tile);
        }
        if (sprite == nullptr) {
            ZepLog("FillOwnHand: no tile sprite for index %d", start + i);
            break;
        }
        sprite->active = 1;
        sprite->visible = 1;
        sprite->tile = tile;
        sprite->faceUp = IsRealTile(tile) ? 1 : 0;
        sprite->wildMark = IsRealTile(tile) && IsWildCard(tile, wild1, wild2, GetRuleFlags()) != 0;
    }
}

void CMahjongTableView::FillHiddenHands() {
    CMahjongTableData* data = GetMahjongTableData();
    if (data == nullptr) {
        return;
    }
    for (int chair = 0; chair < playerCount_; ++chair) {
        const int position = ChairToPosition(chair);
        if (!ValidPosition(position) || position == 3 || GetRowCount(position) > 0) {
            continue;
        }
        const int count = std::clamp(data->GetSeatTileCount(chair), 0, kRowSize - 1);
        const int start = count % 3 == 2 ? 0 : 1;
        for (int i = 0; i < count; ++i) {
            if (PutHandTile(position, start + i, kHiddenTile) == nullptr) {
                ZepLog("FillHiddenHands: no tile sprite for position %d", position);
                break;
            }
        }
    }
}

// ---- Searches ----

int CMahjongTableView::GetRaisedTiles(int32_t* tilesOut) {
    int count = 0;
    for (int index : rows_[3]) {
        const CCardSprite* sprite = GetCardSprite(index);
        if (sprite != nullptr && sprite->visible != 0 && sprite->active != 0 &&
            sprite->raised != 0 && count < kRowSize) {
            tilesOut[count++] = sprite->tile;
        }
    }
    return count;
}

int CMahjongTableView::FindSameFaceTiles(int tileId, int32_t* tilesOut) {
    if (!IsRealTile(tileId)) {
        return 0;
    }
    const int face = GetCardIndex(tileId);
    int count = 0;
    for (int i = 1; i <= kRowSize && count < 3; ++i) {
        // Hand order: the row, then the drawn tile.
        const CCardSprite* sprite = GetHandSprite(3, i % kRowSize);
        if (sprite != nullptr && sprite->active != 0 && sprite->tile != tileId &&
            IsRealTile(sprite->tile) && GetCardIndex(sprite->tile) == face) {
            tilesOut[count++] = sprite->tile;
        }
    }
    return count;
}

int CMahjongTableView::FindRowIndex(int position, int tileId) {
    if (!ValidPosition(position)) {
        return -1;
    }
    for (int i = 0; i < kRowSize; ++i) {
        const CCardSprite* sprite = GetCardSprite(rows_[position][i]);
        if (sprite != nullptr && sprite->tile == tileId) {
            return i;
        }
    }
    return -1;
}

int CMahjongTableView::CollectRowTiles(int position, int32_t* tilesOut) {
    if (!ValidPosition(position)) {
        return 0;
    }
    int count = 0;
    for (int index : rows_[position]) {
        if (const CCardSprite* sprite = GetCardSprite(index)) {
            tilesOut[count++] = sprite->tile;
        }
    }
    return count;
}

void CMahjongTableView::FillTileArrayInvalid(int32_t* tiles32) {
    std::fill(tiles32, tiles32 + kRowSize, -1);
}

// ---- Discards and last-thrown places ----

void CMahjongTableView::MoveThrownToDiscards(int position) {
    if (!ValidPosition(position)) {
        return;
    }
    CCardSprite* sprite = GetCardSprite(lastThrown_[position]);
    lastThrown_[position] = -1;
    if (sprite == nullptr) {
        return;
    }
    auto& places = discards_[position];
    const auto free = std::find(places.begin(), places.end(), -1);
    if (free == places.end()) {
        // Every place is taken: the tile leaves the table rather than stay
        // in use unseen.
        ZepLog("MoveThrownToDiscards: the 36 discard places of position %d are full", position);
        ReleaseSprite(sprite);
        return;
    }
    *free = sprite->poolIndex;
    sprite->TakePlace(CCardSprite::kKindDiscard, CCardSprite::kStateDiscarded, position, 0);
    sprite->discardSlot = static_cast<int>(free - places.begin());
    sprite->handIndex = -1;
    sprite->faceUp = 1;
    sprite->Refresh();
}

void CMahjongTableView::RedrawDiscards(int position) {
    if (!ValidPosition(position)) {
        return;
    }
    for (int index : discards_[position]) {
        RefreshSprite(GetCardSprite(index));
    }
}

CCardSprite* CMahjongTableView::GetLastThrown(int position) {
    return ValidPosition(position) ? GetCardSprite(lastThrown_[position]) : nullptr;
}

void CMahjongTableView::SetLastThrown(int position, CCardSprite* sprite) {
    if (!ValidPosition(position)) {
        return;
    }
    if (sprite == nullptr) {
        MoveThrownToDiscards(position);
        return;
    }
    if (lastThrown_[position] >= 0 && lastThrown_[position] != sprite->poolIndex) {
        MoveThrownToDiscards(position);
    }
    // The sprite leaves any other place it held.
    const int index = sprite->poolIndex;
    if (lastThrown_[position] != index) {
        DetachSprite(index);
    }
    lastThrown_[position] = index;
    sprite->TakePlace(CCardSprite::kKindThrown, CCardSprite::kStateJustThrown, position, 0);
    sprite->handIndex = -1;
    sprite->meldKind = CCardSprite::kMeldNone;
    sprite->meldMark = 0;
    sprite->faceUp = 1;
    sprite->Refresh();
}

CCardSprite* CMahjongTableView::GetDiscard(int position, int slot) {
    if (!ValidPosition(position) || slot < 0 || slot >= kDiscardPlaces) {
        return nullptr;
    }
    return GetCardSprite(discards_[position][slot]);
}

int CMahjongTableView::GetDiscardCount(int position) const {
    if (!ValidPosition(position)) {
        return 0;
    }
    return static_cast<int>(std::count_if(discards_[position].begin(), discards_[position].end(),
                                          [](int i) { return i >= 0; }));
}
