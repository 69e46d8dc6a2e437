// The operation offer table and the own tiles' events.
#include <algorithm>
#include <array>

#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "mahjong_tiles/TileSearch.h"

namespace tp = table_protocol;

void CMahjongTableView::ClearOfferTable() {
    drawnTile_ = -1;
    offers_.fill(OperationOffer{});
    for (OperationOffer& offer : offers_) {
        offer.tiles.fill(tp::kNoTile);
    }
}

OperationOffer& CMahjongTableView::GetOffer(int kind) {
    return offers_[static_cast<size_t>(kind >= 0 && kind < kOfferKinds ? kind : 0)];
}

void CMahjongTableView::OfferOptionsAfterDraw(int options) {
    const CCardSprite* first = GetHandSprite(kOwnPosition, 0);
    if (first == nullptr) {
        return;
    }
    // The sorted row may hold the drawn tile anywhere; the draw named it.
    if (!IsRealTile(drawnTile_)) {
        drawnTile_ = first->tile;
    }
    // A hu on the own draw is claimed on the own chair with the drawn tile.
    OperationOffer& hu = GetOffer(kOpHu);
    hu.chair = GetOwnChair();
    hu.tile = drawnTile_;
    hu.huGangKind = 0;
    hu.anotherMayWin = 0;
    hu.offered = (options & tp::kOptionHu) != 0 ? 1 : 0;
    SetOperationButton(kOpHu, hu.offered);
}

int CMahjongTableView::OnCardSpriteEvent(const EventRecord& record) {
    CCardSprite* sprite = GetEventSprite(record);
    if (sprite == nullptr || IsLookingOn() || sprite->position != kOwnPosition ||
        sprite->state != CCardSprite::kStateInHand || sprite->meldKind != CCardSprite::kMeldNone) {
        return 0;
    }
    switch (record.event) {
        case kEventCardGangSelect:
            SelectGangTile(*sprite);
            return 1;
        case kEventCardTwoSelect:
            ToggleChiTile(*sprite);
            return 1;
        case kEventCardClick:
            if (GetTurnDirection() == 2 * kOwnPosition && IsHandDrawn(kOwnPosition) != 0) {
                ThrowHandTile(sprite->handIndex);
            }
            return 1;
        case kEventCardHoverLift:
            LiftHoveredTile(*sprite);
            return 1;
        case kEventCardDragMove:
            if (const InputState* input = InputStateOf(record)) {
                sprite->SetPos(input->mouseX, input->mouseY);
                sprite->Invalidate();
            }
            return 1;
        case kEventCardDrop:
            DropOwnTile(*sprite);
            return 1;
        default:
            return 1;
    }
}

void CMahjongTableView::SelectGangTile(CCardSprite& chosen) {
    if (chosen.greyed != 0) {
        return;
    }
    for (int i = 0; i < kRowSize; ++i) {
        if (CCardSprite* sprite = GetHandSprite(kOwnPosition, i)) {
            sprite->raised = sprite == &chosen ? 1 : 0;
        }
    }
    RefreshHandSprites(kOwnPosition);
}

void CMahjongTableView::ToggleChiTile(CCardSprite& chosen) {
    const OperationOffer& chi = GetOffer(kOpChi);
    if (std::ranges::find(chi.tiles, chosen.tile) == chi.tiles.end()) {
        return;  // a tile that makes no chi with the thrown one
    }
    std::array<int32_t, kRowSize> raised{};
    if (chosen.raised == 0 && GetRaisedTiles(raised.data()) >= 2) {
        return;  // a chi takes two own tiles
    }
    chosen.raised = chosen.raised != 0 ? 0 : 1;
    RefreshHandSprites(kOwnPosition);
}

void CMahjongTableView::LiftHoveredTile(CCardSprite& hovered) {
    if (hovered.hoverRaised != 0) {
        return;
    }
    for (int i = 0; i < kRowSize; ++i) {
        CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite != &hovered && sprite->hoverRaised != 0) {
            sprite->hoverRaised = 0;
            sprite->Refresh();
        }
    }
    hovered.hoverRaised = 1;
    hovered.Refresh();
}

void CMahjongTableView::DropOwnTile(CCardSprite& dropped) {
    // A tile let go well above its row is thrown; anywhere else it goes
    // back to its place.
    TablePoint home;
    TablePoint size;
    const bool aboveRow = GetSpritePlace(dropped, home, size) && dropped.GetY() < home.y - size.y;
    if (aboveRow && GetTurnDirection() == 2 * kOwnPosition && IsHandDrawn(kOwnPosition) != 0 &&
        ThrowHandTile(dropped.handIndex) != 0) {
        return;
    }
    dropped.Refresh();
}

void CMahjongTableView::PostStateEvent(CCardSprite* sprite) {
    if (sprite == nullptr) {
        return;
    }
    if (GetTurnDirection() != 2 * kOwnPosition) {
        sprite->SetClickEvent(kEventCardIdle);
        return;
    }
    switch (tableState_) {
        case kStateNormal:
            sprite->SetClickEvent(IsHandDrawn(kOwnPosition) != 0 ? kEventCardClick
                                                                 : kEventCardIdle);
            break;
        case kStatePengHeld:
            sprite->SetClickEvent(kEventCardPengHeld);
            break;
        case kStateGangChoice:
            sprite->SetClickEvent(kEventCardGangSelect);
            break;
        case kStateChiChoice:
            sprite->SetClickEvent(kEventCardTwoSelect);
            break;
        default:
            break;  // the other states keep the tile's event
    }
}

void CMahjongTableView::ClearHandMarks() {
    for (int i = 0; i < kRowSize; ++i) {
        if (CCardSprite* sprite = GetHandSprite(kOwnPosition, i)) {
            sprite->greyed = 0;
            sprite->raised = 0;
        }
    }
}

int CMahjongTableView::RestrictDiscardChoice() {
    return 0;
}

void CMahjongTableView::CheckConcealedGang() {
    std::array<int32_t, kRowSize> hand{};
    hand.fill(tp::kNoTile);
    size_t n = 0;
    for (int i = 0; i < static_cast<int>(GetRowCapacity()) && n < hand.size(); ++i) {
        const CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite->visible != 0 &&
            sprite->meldKind != CCardSprite::kMeldGang &&
            sprite->meldKind != CCardSprite::kMeldConcealedGang && IsRealTile(sprite->tile)) {
            hand[n++] = sprite->tile;
        }
    }
    CMahjongTableData* data = GetMahjongTableData();
    const int wild1 = data != nullptr ? data->GetWildTile(0) : tp::kNoTile;
    const int wild2 = data != nullptr ? data->GetWildTile(1) : tp::kNoTile;
    gangCandidates_.fill(tp::kNoTile);
    gangCandidateCount_ = 0;
    const int found = FindAnGangCardsInHand(hand, wild1, wild2, GetRuleFlags(), gangCandidates_);
    if ((found & 2) != 0) {
        for (const int32_t candidate : gangCandidates_) {
            if (candidate == tp::kNoTile) {
                continue;
            }
            ++gangCandidateCount_;
            const int index = FindRowIndex(kOwnPosition, candidate);
            const CCardSprite* sprite = index >= 0 ? GetHandSprite(kOwnPosition, index) : nullptr;
            if (sprite != nullptr && sprite->active == 0) {
                --gangCandidateCount_;
            }
        }
    }
    gangPossible_ = gangCandidateCount_ > 0 && GetWallCount() > 0 ? 1 : 0;
    SetOperationButton(kOpGang, gangPossible_);
}
