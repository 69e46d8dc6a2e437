// The regional table's thrown tile, kong/hu notice and own draw: a throw
// by another seat brings the claims the own player may make, and the own
// draw takes the server's tile into the hand with what it allows.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/CorvaneVisual.h"
#include "frame/FrameFunctions.h"
#include "game/net/RegionalConnection.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_tiles/TileEncoding.h"
#include "zep/ZepLog.h"

namespace tp = table_protocol;

namespace {

// The drawn tile comes in from up and left by this much.
constexpr int kCatchOffset = 10;
constexpr double kCatchMoveSpeed = 4.0;
constexpr double kCatchMoveAcceleration = 1.0;

}  // namespace

bool CRegionalTableView::OnCardThrown(NotifyRecord record) {
    tp::CardThrownNotice notice;
    if (!tp::ReadTableRecord(record, notice)) {
        return false;
    }
    const int p = SeatPositionOf(notice.thrower);
    if (p >= 0) {
        FinishDeal();
    }
    if (!CMahjongTableView::OnCardThrown(record)) {
        return false;
    }
    // The base showed the throw and rebuilt the offers; a declared ready
    // hand answers them at once.
    if (p < 0 || p == kOwnPosition || IsLookingOn() || !IsRealTile(notice.tile) ||
        !IsOwnTingDeclared()) {
        return true;
    }
    const int own = GetOwnChair();
    const int32_t options = own >= 0 && static_cast<size_t>(own) < notice.chairOptions.size()
                                ? notice.chairOptions[static_cast<size_t>(own)]
                                : 0;
    FollowReadyHandOffer((options & tp::kOptionGang) != 0, (options & tp::kOptionHu) != 0);
    return true;
}

void CRegionalTableView::FollowReadyHandOffer(bool gangOffered, bool huOffered) {
    if (gangOffered) {
        // Passing on the gang throws the drawn tile (the Guo button).
        GetOffer(kOpGuo).offered = 1;
        SetOperationButton(kOpGuo, 1);
    } else if (huOffered) {
        SetClockSeconds(1);
    }
}

int CRegionalTableView::RequestCatch(std::span<uint8_t> reply) {
    CRegionalConnection* connection = GetPlayConnection();
    if (connection == nullptr) {
        return 0;
    }
    const tp::RequestHead head = connection->MakeRequestHead();
    tp::OwnDrawRecord body;
    body.head = head;
    body.tableNo = head.tableNo;
    body.chair = head.chair;
    body.userId = head.userId;
    std::string text;
    return connection->SendRequest229000(text, tp::WriteTableRecord(body), reply);
}

int CRegionalTableView::CatchCard() {
    if (IsLookingOn()) {
        return 0;
    }
    std::vector<uint8_t> bytes(tp::kOperationReplyBytes, 0);
    tp::OperationReply reply;
    if (RequestCatch(bytes) == 0 || !tp::ReadTableRecord(bytes, reply) ||
        reply.tile == tp::kNoTile) {
        return 0;  // refused (229101) or failed: the table stays as it is
    }
    FinishDeal();
    AcceptOwnDraw();
    CCardSprite* sprite = TakeOwnDrawnTile(reply);
    if (sprite == nullptr) {
        return 0;
    }
    // The tile comes in to its place in the sorted row.
    RefreshHandSprites(kOwnPosition);
    const int x = static_cast<int>(std::trunc(sprite->GetX()));
    const int y = static_cast<int>(std::trunc(sprite->GetY()));
    sprite->SetPos(x - kCatchOffset, y - kCatchOffset);
    sprite->Invalidate();
    const EventRecord moved = MakeEventRecord(GetId(), kEventCatchMoved, 0, 0);
    MoveAction(sprite, x, y, kCatchMoveSpeed, kCatchMoveAcceleration, 0, &moved);
    OfferAfterOwnDraw(reply);
    if (IsOwnTingDeclared()) {
        if (GetOffer(kOpGang).offered != 0) {
            FollowReadyHandOffer(true, false);
        } else {
            SetClockSeconds(1);
        }
    }
    return 1;
}

void CRegionalTableView::OfferOptionsAfterDraw(int options) {
    if (GetHandSprite(kOwnPosition, 0) == nullptr) {
        return;
    }
    CMahjongTableView::OfferOptionsAfterDraw(options);
    OperationOffer& gang = GetOffer(kOpGang);
    // The gang-offered flag is the gang entry's offered flag.
    const auto listed = std::ranges::find(gang.tiles, tp::kNoTile) - gang.tiles.begin();
    if (m_bBaoJiao == 1 && listed > 1) {
        gang.offered = (options & tp::kOptionGang) != 0 ? 1 : 0;
        SetOperationButton(kOpGang, gang.offered);
    }
}

CCardSprite* CRegionalTableView::TakeOwnDrawnTile(const tp::OperationReply& reply) {
    // The server's tile always reaches the hand (from the pool when its
    // wall entry is gone); only a tile id the table does not know is left.
    if (!IsRealTile(reply.tile)) {
        ZepLog("own draw: tile %d refused", reply.tile);
        return nullptr;
    }
    CCardSprite* sprite = DrawTileFromReply(kOwnPosition, reply.wallIndex, reply.tile);
    if (sprite == nullptr) {
        ZepLog("own draw: no place in the own row for tile %d", reply.tile);
        return nullptr;
    }
    if (IsWildCard(reply.tile, WildTile(0), WildTile(1), GetRuleFlags()) != 0) {
        GiveWildLook(*sprite);
    }
    // The drawn tile stays apart at index 0, where the time-out (and in a
    // declared hand the Guo button) throws it.
    SortHandAfterDraw();
    drawnTile_ = reply.tile;
    return sprite;
}

void CRegionalTableView::OfferAfterOwnDraw(const tp::OperationReply& reply) {
    if (IsOwnTingDeclared()) {
        OfferGangInTing(static_cast<uint32_t>(reply.options));
    } else {
        CheckConcealedGang();
    }
    OfferOptionsAfterDraw(reply.options);
    if ((reply.options & tp::kOptionTing) != 0) {
        ApplyTingInfo(tp::WriteTableRecord(tp::MakeTingInfo(reply)));
    }
}

void CRegionalTableView::GiveWildLook(CCardSprite& sprite) {
    sprite.wildMark = 1;
    sprite.Refresh();
}
