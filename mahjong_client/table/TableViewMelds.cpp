// Melds laid in the rows: claimed pengs, chis and gangs, added and concealed
// gangs, and the melds of a running hand restored from the table data.
#include <algorithm>

#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "mahjong_tiles/TileEncoding.h"
#include "zep/ZepLog.h"

namespace {

// Meld record words.
constexpr int kWordSourceChair = 4;
constexpr int kWordClaimedTile = 5;
constexpr int kWordFirstHandTile = 6;

// Kinds of PlaceMeld.
constexpr int kMeldKindPeng = 1;
constexpr int kMeldKindChi = 3;

// A tile a meld may show: a real tile or the hidden one.
bool ShowableTile(int tile) {
    return IsRealTile(tile) || tile == kHiddenTile;
}

// The meld store of a running hand: five lists (peng, chi, gang, concealed
// gang, added gang), each of six seven-word tile records per chair 0-3 and
// then the four chairs' counts.
constexpr size_t kCardRecordBytes = 7 * 4;
constexpr size_t kChairRecordsBytes = 6 * kCardRecordBytes;
constexpr size_t kMeldListBytes = 4 * kChairRecordsBytes + 4 * 4;
constexpr int kMaxMeldsPerChair = 6;

// No claimed tile: a meld of the seat's own tiles.
constexpr int kNoClaimedTile = -1000;

int32_t ReadWord(std::span<const uint8_t> bytes, size_t offset) {
    return static_cast<int32_t>(uint32_t{bytes[offset]} | uint32_t{bytes[offset + 1]} << 8 |
                                uint32_t{bytes[offset + 2]} << 16 |
                                uint32_t{bytes[offset + 3]} << 24);
}

}  // namespace

int CMahjongTableView::GetMeldCount(int position) const {
    return position >= 0 && position < kPositions ? meldCounts_[position] : 0;
}

int CMahjongTableView::TakeMeldPoolTile(int tileId) {
    CCardSprite* sprite = GetFreeCardObject();
    if (sprite == nullptr) {
        ZepLog("PlaceMeld: no tile sprite for tile %d", tileId);
        return -1;
    }
    sprite->Reset();
    sprite->active = 1;
    sprite->tile = tileId;
    return sprite->poolIndex;
}

int CMahjongTableView::CollectMeldTiles(int position, const int32_t* hand, int handCount,
                                        int claimed, int source, int flag,
                                        std::array<int, 4>& pool) {
    int count = 0;
    if (flag == 0) {
        count = TakeMeldTiles(position, hand, handCount, pool.data());
        if (claimed != kNoClaimedTile) {
            const int taken = TakeClaimedTile(source != position ? source : -1, claimed);
            if (CCardSprite* sprite = GetCardSprite(taken)) {
                sprite->tile = claimed;
                pool[count++] = taken;
            }
        }
        return count;
    }
    for (int k = 0; k < handCount; ++k) {
        const int taken = TakeMeldPoolTile(hand[k]);
        if (taken >= 0) {
            pool[count++] = taken;
        }
    }
    if (claimed != kNoClaimedTile) {
        const int taken = TakeMeldPoolTile(claimed);
        if (taken >= 0) {
            pool[count++] = taken;
        }
    }
    return count;
}

int CMahjongTableView::TakeClaimedTile(int sourcePosition, int tileId) {
    if (sourcePosition >= 0 && sourcePosition < kPositions) {
        CCardSprite* thrown = GetCardSprite(lastThrown_[sourcePosition]);
        if (thrown != nullptr && (thrown->tile == tileId || !IsRealTile(thrown->tile))) {
            lastThrown_[sourcePosition] = -1;
            return thrown->poolIndex;
        }
    }
    ZepLog("PlaceMeld: the claimed tile %d is not at position %d's thrown place", tileId,
           sourcePosition);
    return TakeMeldPoolTile(tileId);
}

int CMahjongTableView::TakeMeldTiles(int position, const int32_t* tiles, int count, int* poolOut) {
    const bool known = IsHandKnown(position);
    int taken = 0;
    for (int k = 0; k < count; ++k) {
        CCardSprite* sprite = nullptr;
        if (known) {
            sprite = RemoveHandTile(position, tiles[k]);
        } else {
            // A hidden row gives up its tiles from its end.
            for (int i = kRowSize - 1; i >= 0 && sprite == nullptr; --i) {
                CCardSprite* candidate = GetCardSprite(rows_[position][i]);
                if (candidate != nullptr && candidate->meldMark == 0) {
                    DetachSprite(candidate->poolIndex);
                    sprite = candidate;
                }
            }
        }
        if (sprite == nullptr) {
            ZepLog("PlaceMeld: tile %d is not in position %d's row", tiles[k], position);
            const int pool = TakeMeldPoolTile(tiles[k]);
            if (pool >= 0) {
                poolOut[taken++] = pool;
            }
            continue;
        }
        sprite->tile = tiles[k];
        poolOut[taken++] = sprite->poolIndex;
    }
    return taken;
}

void CMahjongTableView::LayMeld(int position, const int* pool, int count, int meldKind,
                                int sourcePosition) {
    if (count <= 0) {
        return;
    }
    // The meld goes after the melds already laid, its tiles in face order.
    std::array<int, 4> tiles{};
    std::copy(pool, pool + count, tiles.begin());
    std::stable_sort(tiles.begin(), tiles.begin() + count, [&](int a, int b) {
        const CCardSprite* x = GetCardSprite(a);
        const CCardSprite* y = GetCardSprite(b);
        return x != nullptr && y != nullptr && IsRealTile(x->tile) && IsRealTile(y->tile) &&
               GetCardIndex(x->tile) < GetCardIndex(y->tile);
    });
    int at = 1;
    while (at < kRowSize) {
        const CCardSprite* sprite = GetCardSprite(rows_[position][at]);
        if (sprite == nullptr || sprite->meldMark == 0) {
            break;
        }
        ++at;
    }
    const int mark = ++meldCounts_[position];
    for (int k = 0; k < count; ++k) {
        CCardSprite* sprite = GetCardSprite(tiles[k]);
        if (sprite == nullptr) {
            continue;
        }
        if (!InsertRowEntry(position, at + k, sprite->poolIndex)) {
            ZepLog("PlaceMeld: row %d is full; tile %d leaves the table", position, sprite->tile);
            DetachSprite(sprite->poolIndex);
            sprite->Reset();
            sprite->Refresh();
            continue;
        }
        sprite->TakePlace(CCardSprite::kKindHand, CCardSprite::kStateInHand, position, 0);
        sprite->faceUp = IsRealTile(sprite->tile) ? 1 : 0;
        sprite->meldKind = meldKind;
        sprite->meldMark = mark;
        sprite->meldSource =
            sourcePosition >= 0 && sourcePosition < kPositions ? sourcePosition : position;
    }
}

void CMahjongTableView::PlaceMeld(int position, int kind, const MeldRecord& record, int flag) {
    if (position < 0 || position >= kPositions || (kind != kMeldKindPeng && kind != kMeldKindChi)) {
        ZepLog("PlaceMeld: position %d kind %d refused", position, kind);
        return;
    }
    const int32_t claimed = record[kWordClaimedTile];
    const int32_t hand[2] = {record[kWordFirstHandTile], record[kWordFirstHandTile + 1]};
    if (!ShowableTile(claimed) || !ShowableTile(hand[0]) || !ShowableTile(hand[1])) {
        ZepLog("PlaceMeld: tiles %d %d %d refused", claimed, hand[0], hand[1]);
        return;
    }
    const int source = ChairToPosition(record[kWordSourceChair]);
    std::array<int, 4> pool{};
    const int count = CollectMeldTiles(position, hand, 2, claimed, source, flag, pool);
    LayMeld(position, pool.data(), count,
            kind == kMeldKindChi ? CCardSprite::kMeldChi : CCardSprite::kMeldPeng, source);
    if (flag == 0 && position == 3 && rows_[3][0] < 0) {
        // The claimant throws next: its last concealed tile stands apart as
        // the drawn tile.
        for (int i = kRowSize - 1; i >= 1; --i) {
            const CCardSprite* sprite = GetCardSprite(rows_[3][i]);
            if (sprite != nullptr && sprite->meldMark == 0) {
                rows_[3][0] = rows_[3][i];
                rows_[3][i] = -1;
                break;
            }
        }
    }
    RefreshHandSprites(position);
}

void CMahjongTableView::PlaceGangOfKind(int position, const MeldRecord& record, int flag,
                                        int meldKind) {
    if (position < 0 || position >= kPositions) {
        ZepLog("PlaceGang: position %d refused", position);
        return;
    }
    const int32_t tiles[4] = {record[kWordClaimedTile], record[kWordFirstHandTile],
                              record[kWordFirstHandTile + 1], record[kWordFirstHandTile + 2]};
    for (int32_t tile : tiles) {
        if (!ShowableTile(tile)) {
            ZepLog("PlaceGang: tile %d refused", tile);
            return;
        }
    }
    const bool concealed = meldKind == CCardSprite::kMeldConcealedGang;
    const int source = concealed ? position : ChairToPosition(record[kWordSourceChair]);
    std::array<int, 4> pool{};
    const int count = concealed
                          ? CollectMeldTiles(position, tiles, 4, kNoClaimedTile, source, flag, pool)
                          : CollectMeldTiles(position, tiles + 1, 3, tiles[0], source, flag, pool);
    LayMeld(position, pool.data(), count, meldKind, source);
    RefreshHandSprites(position);
}

void CMahjongTableView::PlaceGang(int position, const MeldRecord& record, int flag) {
    PlaceGangOfKind(position, record, flag, CCardSprite::kMeldGang);
}

void CMahjongTableView::PlaceConcealedGang(int position, const MeldRecord& record, int flag) {
    PlaceGangOfKind(position, record, flag, CCardSprite::kMeldConcealedGang);
}

int CMahjongTableView::FindPengEnd(int position, int tileId, int* markOut) {
    int end = -1;
    for (int i = 1; i < kRowSize; ++i) {
        const CCardSprite* tile = GetCardSprite(rows_[position][i]);
        if (tile != nullptr && tile->meldKind == CCardSprite::kMeldPeng && IsRealTile(tile->tile) &&
            GetCardIndex(tile->tile) == GetCardIndex(tileId)) {
            end = i;
            if (markOut != nullptr) {
                *markOut = tile->meldMark;
            }
        }
    }
    return end;
}

void CMahjongTableView::PlaceAddedGang(int position, const MeldRecord& record, int flag) {
    if (position < 0 || position >= kPositions) {
        ZepLog("PlaceAddedGang: position %d refused", position);
        return;
    }
    const int32_t added = record[kWordClaimedTile];
    if (!IsRealTile(added)) {
        ZepLog("PlaceAddedGang: tile %d refused", added);
        return;
    }
    if (FindPengEnd(position, added, nullptr) < 0) {
        // No peng of that face: the gang is laid whole.
        PlaceGangOfKind(position, record, flag, CCardSprite::kMeldGang);
        return;
    }
    std::array<int, 4> pool{-1};
    CollectMeldTiles(position, &added, 1, kNoClaimedTile, position, flag, pool);
    CCardSprite* sprite = GetCardSprite(pool[0]);
    if (sprite == nullptr) {
        ZepLog("PlaceAddedGang: no tile sprite for tile %d", added);
        return;
    }
    // The peng may have moved up when the tile left from in front of it.
    int pengMark = 0;
    const int end = FindPengEnd(position, added, &pengMark);
    if (end < 0 || !InsertRowEntry(position, end + 1, sprite->poolIndex)) {
        ZepLog("PlaceAddedGang: row %d is full; tile %d leaves the table", position, added);
        DetachSprite(sprite->poolIndex);
        sprite->Reset();
        sprite->Refresh();
        return;
    }
    const CCardSprite* peng = GetCardSprite(rows_[position][end]);
    sprite->tile = added;
    sprite->TakePlace(CCardSprite::kKindHand, CCardSprite::kStateInHand, position, 0);
    sprite->faceUp = 1;
    sprite->meldMark = pengMark;
    sprite->meldSource = peng != nullptr ? peng->meldSource : position;
    for (int i = 1; i < kRowSize; ++i) {
        CCardSprite* tile = GetCardSprite(rows_[position][i]);
        if (tile != nullptr && tile->meldMark == pengMark) {
            tile->meldKind = CCardSprite::kMeldGang;
        }
    }
    RefreshHandSprites(position);
}

void CMahjongTableView::RestoreMelds() {
    for (int p = 0; p < kPositions; ++p) {
        for (int i = 1; i < kRowSize; ++i) {
            if (CCardSprite* sprite = GetCardSprite(rows_[p][i])) {
                sprite->visible = 1;
            }
        }
    }
    CMahjongTableData* data = GetMahjongTableData();
    if (data == nullptr) {
        return;
    }
    const std::span<const uint8_t> store = data->GetHandStateTail();
    // The lists in the order they are laid: pengs, chis, gangs, added
    // gangs, concealed gangs.
    constexpr int kOrder[] = {1, 2, 3, 5, 4};
    for (int list : kOrder) {
        const size_t base = kMeldListBytes * static_cast<size_t>(list - 1);
        if (store.size() < base + kMeldListBytes) {
            ZepLog("RestoreMelds: the meld store of %zu bytes holds no list %d", store.size(),
                   list);
            continue;
        }
        for (int chair = 0; chair < 4; ++chair) {
            const int position = ChairToPosition(chair);
            const int count = std::clamp(
                ReadWord(store, base + 4 * kChairRecordsBytes + 4 * static_cast<size_t>(chair)), 0,
                kMaxMeldsPerChair);
            if (position < 0) {
                continue;
            }
            for (int k = 0; k < count; ++k) {
                const size_t at = base + kChairRecordsBytes * static_cast<size_t>(chair) +
                                  kCardRecordBytes * static_cast<size_t>(k);
                auto entry = [&](int word) { return ReadWord(store, at + 4 * word); };
                MeldRecord record{};
                record[3] = chair;
                record[kWordSourceChair] = entry(4);
                const bool gang = list >= 3;
                record[kWordClaimedTile] = gang ? entry(3) : entry(2);
                record[6] = entry(0);
                record[7] = entry(1);
                record[8] = gang ? entry(2) : -1;
                switch (list) {
                    case 1:
                        PlaceMeld(position, kMeldKindPeng, record, 1);
                        break;
                    case 2:
                        PlaceMeld(position, kMeldKindChi, record, 1);
                        break;
                    case 3:
                        PlaceGang(position, record, 1);
                        break;
                    case 5:
                        PlaceAddedGang(position, record, 1);
                        break;
                    default:
                        PlaceConcealedGang(position, record, 1);
                        break;
                }
            }
        }
    }
}
