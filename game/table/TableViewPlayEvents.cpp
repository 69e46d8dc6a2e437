// The regional answers to the server's play notifications and to the own
// play actions: the throw and the own flower, another seat's flower, the
// meld notices with their animation, the peng, gang and hu buttons, the
// melds of a running hand and the wild-tile marks of the own hand.
#include <algorithm>
#include <array>

#include "engine/CorvanePicture.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_tiles/TileEncoding.h"

namespace tp = table_protocol;

namespace {

// Operation sound kinds spoken for a flower: the own one and a seat's.
constexpr int kSoundOwnHua = 12;

}  // namespace

uint32_t CRegionalTableView::GetCardIdCount() const {
    return kTilesInWall;
}

// ---- The own throw and flower ----

int CRegionalTableView::ThrowHandTile(int index) {
    const CCardSprite* sprite = GetHandSprite(kOwnPosition, index);
    if (sprite == nullptr) {
        return 0;
    }
    const int tile = sprite->tile;
    if (CMahjongTableView::ThrowHandTile(index) == 0) {
        return 0;
    }
    GetVoiceFile(kOwnPosition, tile);
    return 1;
}

int CRegionalTableView::DeclareOwnHua(int index) {
    if (GetHandSprite(kOwnPosition, index) == nullptr || IsLookingOn()) {
        return 0;
    }
    GetVoiceFileByName(kOwnPosition, GetOperationSoundName(kSoundOwnHua));
    return CMahjongTableView::DeclareOwnHua(index);
}

bool CRegionalTableView::OnCardsHua(NotifyRecord record) {
    tp::SeatDrawNotice notice;
    if (tp::ReadTableRecord(record, notice) && SeatPositionOf(notice.chair) >= 0) {
        FinishDeal();
    }
    return CMahjongTableView::OnCardsHua(record);
}

// ---- Meld notices ----

bool CRegionalTableView::OnGameMsg229185(NotifyRecord record) {
    if (IsOtherSeatMeld(record)) {
        FinishDeal();
        PlayMeldAnimation(kEventMeldAnimationDoneA);
    }
    return CMahjongTableView::OnGameMsg229185(record);
}

bool CRegionalTableView::OnCardsGang(NotifyRecord record, int id) {
    if (IsOtherSeatMeld(record)) {
        FinishDeal();
        PlayMeldAnimation(kEventMeldAnimationDoneB);
    }
    return CMahjongTableView::OnCardsGang(record, id);
}

bool CRegionalTableView::IsOtherSeatMeld(NotifyRecord record) {
    // The own claim played its animation when the server took it.
    tp::OperationRecord notice;
    if (!tp::ReadTableRecord(record, notice)) {
        return false;
    }
    const int position = SeatPositionOf(notice.head.chair);
    return position >= 0 && (position != kOwnPosition || IsLookingOn());
}

// ---- Buttons ----

int CRegionalTableView::OnGangOnDiscardButton() {
    SwitchTingButtonOff();
    const int done = SubmitDiscardGang();
    if (done != 0) {
        PlayMeldAnimation(kEventMeldAnimationDoneB);
    }
    return done;
}

int CRegionalTableView::OnConcealedGangButton(int selection) {
    SwitchTingButtonOff();
    const int done = SubmitConcealedGang(selection);
    if (done == 0) {
        return 0;
    }
    PlayMeldAnimation(kEventMeldAnimationDoneB);
    // After a ready declaration the hand stays as it is: only the draws
    // are played.
    CCorvanePicture* badge = GetBaoJiaoBadge(kOwnPosition);
    if (badge != nullptr && badge->IsVisible() != 0) {
        for (int i = 1; i < kRowSize; ++i) {
            CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
            if (sprite != nullptr && sprite->active != 0 && sprite->visible != 0) {
                sprite->greyed = 1;
            }
        }
    }
    return done;
}

int CRegionalTableView::OnAddGangButton(int selection) {
    SwitchTingButtonOff();
    const int done = SubmitAddedGang(selection);
    if (done != 0) {
        PlayMeldAnimation(kEventMeldAnimationDoneB);
    }
    return done;
}

int CRegionalTableView::OnPengButton() {
    const int done = SubmitPeng();
    if (done != 0) {
        PlayMeldAnimation(kEventMeldAnimationDoneA);
    }
    return done;
}

int CRegionalTableView::OnHuButton() {
    if (IsAutoPlay() != 0) {
        ToggleAutoPlay();
    }
    return CMahjongTableView::OnHuButton();
}

void CRegionalTableView::ToggleAutoPlay() {
    CMahjongTableView::ToggleAutoPlay();
}

void CRegionalTableView::StopTurnClock() {
    CMahjongTableView::StopTurnClock();
}

// ---- A running hand ----

void CRegionalTableView::RestoreMelds() {
    CMahjongTableView::RestoreMelds();
}

int CRegionalTableView::RestrictDiscardChoice() {
    return 0;
}

void CRegionalTableView::OnPlayerAutoPlay(int code, const int32_t* data, int count) {
    CMahjongTableView::OnPlayerAutoPlay(code, data, count);
}

void CRegionalTableView::MarkWildTilesInHand() {
    CRegionalTableData* data = GetRegionalTableData();
    if (data == nullptr) {
        return;
    }
    data->SetMarking(0);
    if (IsLookingOn() || ChairToPosition(GetOwnChair()) != kOwnPosition) {
        return;
    }
    std::array<int32_t, kRowSize> hand{};
    FillTileArrayInvalid(hand.data());
    const int count = std::clamp(data->GetHandStartTiles(hand), 0, kRowSize);
    const int start = IsHandDrawn(kOwnPosition) != 0 ? 0 : 1;
    const int wild1 = data->GetWildTile(0);
    const int wild2 = data->GetWildTile(1);
    // The marks stop at the row's end, whatever the count says.
    for (int i = 0; i < count && start + i < kRowSize; ++i) {
        if (hand[static_cast<size_t>(i)] == tp::kNoTile) {
            break;
        }
        if (IsWildCard(hand[static_cast<size_t>(i)], wild1, wild2, GetRuleFlags()) == 0) {
            continue;
        }
        if (CCardSprite* sprite = GetHandSprite(kOwnPosition, start + i)) {
            sprite->wildMark = 1;
        }
    }
}

void CRegionalTableView::SwitchTingButtonOff() {
    SetOperationButton(kOpTing, 0);
}
