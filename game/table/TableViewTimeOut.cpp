// The regional table's turn time-out: when the own clock runs out, the
// ladder below finishes whatever the player left open, in a fixed order:
// the swap-three choice, a held claim, a hu in a declared ready hand, the
// tile at hand index 0 on the own turn, or the next draw.
#include <array>

#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_tiles/TileEncoding.h"

namespace {

constexpr int kSwapTiles = 3;
constexpr int kSuitCounters = 10;
constexpr int kOwnTurnDirection = 6;

bool IsFreeOwnTile(const CCardSprite* sprite) {
    return sprite != nullptr && sprite->visible != 0 && sprite->active != 0;
}

// The suit of a tile as the swap choice counts it: 0..9, or -1 for a
// hidden or unknown tile.
int CountedSuit(int tile) {
    const int suit = IsRealTile(tile) ? GetCardShape(tile) : -1;
    return suit >= 0 && suit < kSuitCounters ? suit : -1;
}

}  // namespace

int CRegionalTableView::FindFullestSuit() {
    std::array<int, kSuitCounters> counts{};
    for (int i = 0; i < kRowSize; ++i) {
        const CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        const int suit = IsFreeOwnTile(sprite) ? CountedSuit(sprite->tile) : -1;
        if (suit >= 0) {
            ++counts[static_cast<size_t>(suit)];
        }
    }
    int best = 0;
    for (int suit = 1; suit < kSuitCounters; ++suit) {
        if (counts[static_cast<size_t>(suit)] > counts[static_cast<size_t>(best)]) {
            best = suit;
        }
    }
    return best;
}

void CRegionalTableView::OnTurnTimeOut() {
    if (IsLookingOn()) {
        return;
    }
    SetAllOperationButtons(0);
    if (GetTableState() == kStateSwapChoice) {
        CompleteSwapChoice();
        return;
    }
    if (m_bSwapChoosing != 0) {
        return;
    }
    if (operationHeld_ == 0 && tableState_ == kStateChiChoice) {
        ClearHandMarks();
    }
    if (operationHeld_ != 0 && tableState_ == kStatePengHeld) {
        SetTableState(kStateNormal);
        OnPengButton();
        return;
    }
    if (operationHeld_ != 0 && tableState_ == kStateGangChoice) {
        TimeOutHeldGang();
        return;
    }
    const int own = GetOwnChair();
    const bool declared = own >= 0 && own < 4 && g_bBaoJiao[own] != 0;
    if ((GetOffer(kOpHu).offered != 0 && declared) ||
        (operationHeld_ != 0 && tableState_ == kStateHuHeld)) {
        SetTableState(kStateNormal);
        CMahjongTableView::OnHuButton();
        operationHeld_ = 0;
        return;
    }
    TimeOutOwnTurn(declared);
}

void CRegionalTableView::CompleteSwapChoice() {
    int raised = 0;
    int suit = -1;
    for (int i = 0; i < kRowSize; ++i) {
        const CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (IsFreeOwnTile(sprite) && sprite->raised != 0 && raised < kSwapTiles) {
            if (raised++ == 0) {
                suit = CountedSuit(sprite->tile);
            }
        }
    }
    if (raised < kSwapTiles && suit >= 0) {
        raised += RaiseOwnTilesOfSuit(suit, kSwapTiles - raised);
    }
    if (raised < kSwapTiles) {
        for (int i = 0; i < kRowSize; ++i) {
            if (CCardSprite* sprite = GetHandSprite(kOwnPosition, i)) {
                sprite->raised = 0;
            }
        }
        RaiseOwnTilesOfSuit(FindFullestSuit(), kSwapTiles);
    }
    RefreshHandSprites(kOwnPosition);
    ConfirmSwapChoice();
}

int CRegionalTableView::RaiseOwnTilesOfSuit(int suit, int wanted) {
    int raised = 0;
    for (int i = 0; i < kRowSize && raised < wanted; ++i) {
        CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (IsFreeOwnTile(sprite) && sprite->raised == 0 && CountedSuit(sprite->tile) == suit) {
            sprite->raised = 1;
            ++raised;
        }
    }
    return raised;
}

void CRegionalTableView::TimeOutHeldGang() {
    SetTableState(kStateNormal);
    const CCardSprite* first = GetHandSprite(kOwnPosition, 0);
    if (first == nullptr || first->visible == 0) {
        // The gang is on a thrown tile.
        OnGangOnDiscardButton();
    } else {
        std::array<int32_t, kRowSize> raised{};
        std::array<int32_t, kRowSize> others{};
        if (GetRaisedTiles(raised.data()) == 1 &&
            FindSameFaceTiles(raised[0], others.data()) == 3) {
            const int index = FindRowIndex(kOwnPosition, others[0]);
            const CCardSprite* peng = index >= 0 ? GetHandSprite(kOwnPosition, index) : nullptr;
            if (peng != nullptr && peng->meldKind == CCardSprite::kMeldPeng &&
                OnAddGangButton(raised[0]) != 0) {
                return;
            }
        }
    }
    // A claim the server holds once more stays held (its state is back at
    // the gang choice); anything else is dropped.
    if (tableState_ != kStateGangChoice) {
        operationHeld_ = 0;
    }
}

void CRegionalTableView::TimeOutOwnTurn(bool declared) {
    const bool ownTurn = GetTurnDirection() == kOwnTurnDirection;
    if (ownTurn && tableState_ == kStateGangChoice) {
        SetTableState(kStateNormal);
        ClearHandMarks();
        RefreshHandSprites(kOwnPosition);
    }
    if (operationHeld_ != 0 && tableState_ == kStateChiChoice) {
        if (OnChiButton() != 0) {
            return;
        }
        operationHeld_ = 0;
        ClearHandMarks();
        RefreshHandSprites(kOwnPosition);
        DrawOnTimeOut();
        return;
    }
    const CCardSprite* drawn = GetHandSprite(kOwnPosition, 0);
    if (ownTurn && drawn != nullptr && drawn->visible != 0) {
        operationHeld_ = 0;
        if (!declared) {
            ClearHandMarks();
        }
        if (IsOwnFlower(drawn->tile)) {
            DeclareOwnHua(0);
        } else {
            ThrowHandTile(0);
        }
        // Out of a ready hand the player is left in auto-play, also when
        // it was already on.
        if (!declared && IsAutoPlay() == 0) {
            ToggleAutoPlay();
        }
        return;
    }
    if (ownTurn && GetWallCount() > 0) {
        DrawOnTimeOut();
    }
}

void CRegionalTableView::DrawOnTimeOut() {
    tableState_ = kStateNormal;
    timedOut_ = 1;
    if (CRegionalTableData* data = GetRegionalTableData()) {
        SetClockSeconds(data->GetReactionTime());
    }
    CatchCard();
}

bool CRegionalTableView::IsOwnFlower(int tile) {
    if (!IsRealTile(tile)) {
        return false;
    }
    CRegionalTableData* data = GetRegionalTableData();
    const int wild1 = data != nullptr ? data->GetWildTile(0) : -1;
    const int wild2 = data != nullptr ? data->GetWildTile(1) : -1;
    return IsFlowerCard(tile, wild1, wild2, GetRuleFlags()) != 0;
}
