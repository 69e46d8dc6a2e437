// The wall: building it, restoring it in a running hand, the deal and the
// draws from it.
#include <algorithm>

#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "zep/ZepLog.h"

namespace {

constexpr int kWallSide = 27;

// The screen position whose side of the wall holds the index: the side in
// front of the own seat first, then on round in playing order.
int WallSidePosition(int wallIndex) {
    constexpr int kSides[4] = {3, 2, 1, 0};
    return kSides[(wallIndex / kWallSide) % 4];
}

int WrapWall(int index) {
    constexpr int kSize = CMahjongTableView::kWallSize;
    return ((index % kSize) + kSize) % kSize;
}

}  // namespace

void CMahjongTableView::BuildWall() {
    for (int i = 0; i < kWallSize; ++i) {
        ReleaseWallTile(i);
    }
    for (int i = 0; i < kWallSize; ++i) {
        CCardSprite* sprite = GetFreeCardObject();
        if (sprite == nullptr) {
            ZepLog("BuildWall: no free tile sprite for wall index %d", i);
            return;
        }
        sprite->Reset();
        sprite->TakePlace(CCardSprite::kKindWall, CCardSprite::kStateNone, WallSidePosition(i), 0);
        sprite->wallIndex = i;
        wall_[i] = sprite->poolIndex;
        sprite->Refresh();
    }
}

void CMahjongTableView::RestoreWall() {
    BuildWall();
    CMahjongTableData* data = GetMahjongTableData();
    if (data == nullptr) {
        return;
    }
    const int start = data->GetWallStart();
    const int front = data->GetFrontDrawPosition();
    if (start < 0 || start >= kWallSize) {
        ZepLog("RestoreWall: wall start %d out of range", start);
        return;
    }
    // Drawn from the front: the wall start up to the next front draw;
    // from the back: behind the wall start.
    const int frontDrawn = front >= 0 && front < kWallSize ? WrapWall(front - start) : 0;
    const int backDrawn = std::clamp(data->GetBackDrawCount(), 0, kWallSize - frontDrawn);
    for (int k = 0; k < frontDrawn; ++k) {
        ReleaseWallTile(WrapWall(start + k));
    }
    for (int k = 0; k < backDrawn; ++k) {
        ReleaseWallTile(WrapWall(start - 1 - k));
    }
}

void CMahjongTableView::ResetWallAndClock() {
    StopTurnClock();
    for (int i = 0; i < kWallSize; ++i) {
        ReleaseWallTile(i);
    }
}

int CMahjongTableView::OwnTiles(std::array<int32_t, 32>& tiles) {
    tiles.fill(-1);
    CMahjongTableData* data = GetMahjongTableData();
    return data != nullptr ? std::clamp(data->GetHandStartTiles(tiles), 0, 32) : 0;
}

void CMahjongTableView::DealCards() {
    EmptyHandRows();
    CMahjongTableData* data = GetMahjongTableData();
    const int start = data != nullptr ? data->GetWallStart() : 0;
    const int banker = data != nullptr ? ChairToPosition(data->GetBanker()) : -1;
    if (banker < 0 || start < 0 || start >= kWallSize) {
        ZepLog("DealCards: banker position %d, wall start %d: nothing dealt", banker, start);
        PostTableEvent(kEventDealDone, 0, 0);
        return;
    }
    std::array<int32_t, 32> own{};
    OwnTiles(own);
    const bool ownTilesShown = !IsLookingOn();
    const bool ownIsBanker = banker == 3;
    // The seats in dealing order from the banker.
    std::array<int, kPositions> seats{};
    int seatCount = 0;
    for (int p = banker, n = 0; n < kPositions && seatCount < playerCount_;
         ++n, p = GetNextDealPosition(p)) {
        if (PositionToChair(p) >= 0) {
            seats[seatCount++] = p;
        }
    }
    auto give = [&](int position, int wallIndex, int handIndex) {
        ReleaseWallTile(WrapWall(start + wallIndex));
        int tile = kHiddenTile;
        if (position == 3 && ownTilesShown) {
            const int ownIndex = ownIsBanker ? handIndex : handIndex - 1;
            tile = ownIndex >= 0 && ownIndex < 32 && IsRealTile(own[ownIndex]) ? own[ownIndex]
                                                                               : kHiddenTile;
        }
        if (PutHandTile(position, handIndex, tile) == nullptr) {
            ZepLog("DealCards: no tile sprite for position %d index %d", position, handIndex);
        }
    };
    // Three rounds of four tiles each, then one more each and a second one
    // for the banker: wall start .. start + 13 x seats leave the wall.
    for (int round = 0; round < 3; ++round) {
        for (int s = 0; s < seatCount; ++s) {
            const int step = round * seatCount + s;
            for (int j = 0; j < 4; ++j) {
                give(seats[s], 4 * step + j, 13 - 4 * round - j);
            }
        }
    }
    const int last = 12 * seatCount;
    give(seats[0], last, 1);
    for (int s = 1; s < seatCount; ++s) {
        give(seats[s], last + s, 1);
    }
    give(seats[0], last + seatCount, 0);
    for (int p = 0; p < kPositions; ++p) {
        RefreshHandSprites(p);
    }
    PostTableEvent(kEventDealDone, 0, 0);
}

CCardSprite* CMahjongTableView::DealDrawnTile(int position, int wallIndex, int tileId) {
    if (position < 0 || position >= kPositions) {
        ZepLog("DealDrawnTile: position %d out of range", position);
        return nullptr;
    }
    const bool known = IsHandKnown(position);
    if (known && !IsRealTile(tileId) && tileId != kHiddenTile) {
        ZepLog("DealDrawnTile: tile %d refused", tileId);
        return nullptr;
    }
    if (wallIndex < 0 || wallIndex >= kWallSize || wall_[wallIndex] < 0) {
        ZepLog("DealDrawnTile: wall index %d out of range or already drawn", wallIndex);
        return nullptr;
    }
    CCardSprite* sprite = GetCardSprite(wall_[wallIndex]);
    if (sprite == nullptr) {
        return nullptr;
    }
    // A drawn tile still lying apart joins the row first.
    if (rows_[position][0] >= 0 && !InsertRowEntry(position, kRowSize, rows_[position][0])) {
        ZepLog("DealDrawnTile: row %d is full", position);
        return nullptr;
    }
    rows_[position][0] = -1;
    wall_[wallIndex] = -1;
    sprite->Reset();
    sprite->TakePlace(CCardSprite::kKindHand, CCardSprite::kStateInHand, position, 1);
    sprite->handIndex = 0;
    sprite->handSize = static_cast<int>(GetHandTileLimit());
    sprite->tile = known ? tileId : kHiddenTile;
    sprite->faceUp = known && IsRealTile(tileId) ? 1 : 0;
    rows_[position][0] = sprite->poolIndex;
    RenumberRow(position);
    RefreshHandSprites(position);
    return sprite;
}

CCardSprite* CMahjongTableView::DrawTileFromReply(int position, int wallIndex, int tileId) {
    if (position < 0 || position >= kPositions) {
        return nullptr;
    }
    if (wallIndex >= 0 && wallIndex < kWallSize && wall_[wallIndex] >= 0) {
        return DealDrawnTile(position, wallIndex, tileId);
    }
    ZepLog(
        "DrawTileFromReply: wall index %d out of range or already drawn; tile %d drawn from the "
        "pool",
        wallIndex, tileId);
    if (rows_[position][0] >= 0 && !InsertRowEntry(position, kRowSize, rows_[position][0])) {
        return nullptr;
    }
    rows_[position][0] = -1;
    CCardSprite* sprite = PutHandTile(position, 0, IsHandKnown(position) ? tileId : kHiddenTile);
    if (sprite != nullptr) {
        RefreshHandSprites(position);
    }
    return sprite;
}

CCardSprite* CMahjongTableView::GetWallSprite(int wallIndex) {
    if (wallIndex < 0 || wallIndex >= kWallSize) {
        return nullptr;
    }
    return GetCardSprite(wall_[wallIndex]);
}

int CMahjongTableView::GetWallCount() const {
    return static_cast<int>(
        std::count_if(wall_.begin(), wall_.end(), [](int i) { return i >= 0; }));
}

bool CMahjongTableView::ReleaseWallTile(int wallIndex) {
    if (wallIndex < 0 || wallIndex >= kWallSize || wall_[wallIndex] < 0) {
        return false;
    }
    CCardSprite* sprite = GetCardSprite(wall_[wallIndex]);
    wall_[wallIndex] = -1;
    if (sprite != nullptr) {
        sprite->Reset();
        sprite->Refresh();
    }
    return true;
}
