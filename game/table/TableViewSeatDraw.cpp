// Another seat's draw on the regional table, taken only when the hand lets
// that seat draw. Whatever the rules, a seat's tiles (a meld counted as
// three, a gang too) number 3n+1 between turns and 3n+2 from its draw or
// claim to its throw; a seat that has won is out of the hand and draws no
// more. So a seat draws only while it is in the hand and holds 3n+1 tiles,
// and while no other seat in the hand holds 3n+2 (a tile not yet thrown).
//
// The client is told of a win only by the hand's result. A seat that won
// on its own draw keeps its 3n+2 tiles and throws nothing: when the next
// seat in play then draws, the winner's turn has ended by its win, and the
// winner is out of the hand from then on. (A win on another seat's throw
// leaves the winner at 3n+1, in the way of nobody's draw.)
#include <array>

#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "zep/ZepLog.h"

namespace tp = table_protocol;

bool CRegionalTableView::OnCardCaught(NotifyRecord record) {
    tp::SeatDrawNotice notice;
    if (!tp::ReadTableRecord(record, notice)) {
        return false;
    }
    const int p = SeatPositionOf(notice.chair);
    // The own draws of a player come with the draw request's reply.
    if (p >= 0 && (p != kOwnPosition || IsLookingOn())) {
        // The rows are counted whole: a draw during the deal ends it first.
        FinishDeal();
        if (!TakeDrawTurn(p)) {
            return true;
        }
    }
    return CMahjongTableView::OnCardCaught(record);
}

int CRegionalTableView::HeldTileCount(int position) {
    int concealed = 0;
    // Meld marks run from 1 up, one per meld of the row.
    std::array<bool, kRowSize + 1> meldSeen{};
    int melds = 0;
    for (int i = 0; i < kRowSize; ++i) {
        const CCardSprite* sprite = GetHandSprite(position, i);
        if (sprite == nullptr || sprite->active == 0) {
            continue;
        }
        if (sprite->meldMark == 0) {
            ++concealed;
        } else if (sprite->meldMark < 0 || sprite->meldMark > kRowSize) {
            ++melds;  // a mark outside the row's range stands for a meld of its own
        } else if (!meldSeen[static_cast<size_t>(sprite->meldMark)]) {
            meldSeen[static_cast<size_t>(sprite->meldMark)] = true;
            ++melds;
        }
    }
    return concealed + 3 * melds;
}

bool CRegionalTableView::IsSeatOutOfHand(int position) {
    if (seatsOutSerial_ != handSerial_) {
        seatsOut_.fill(false);
        seatsOutSerial_ = handSerial_;
    }
    return position >= 0 && position < kPositions && seatsOut_[static_cast<size_t>(position)];
}

int CRegionalTableView::NextSeatInHand(int position) {
    int next = GetNextTurnPosition(position);
    for (int step = 1; step < kPositions && next >= 0 && IsSeatOutOfHand(next); ++step) {
        next = GetNextTurnPosition(next);
    }
    return next;
}

bool CRegionalTableView::TakeDrawTurn(int position) {
    const int chair = PositionToChair(position);
    if (IsSeatOutOfHand(position)) {
        ZepLog("seat draw: chair %d has won and draws no more; dropped", chair);
        return false;
    }
    const int held = HeldTileCount(position);
    if (held % 3 != 1) {
        ZepLog("seat draw: chair %d holds %d tiles, none to draw; dropped", chair, held);
        return false;
    }
    std::array<bool, kPositions> won{};
    for (int other = 0; other < kPositions; ++other) {
        if (other == position || !IsTableChair(PositionToChair(other)) || IsSeatOutOfHand(other)) {
            continue;
        }
        const int otherHeld = HeldTileCount(other);
        if (otherHeld % 3 != 2) {
            continue;
        }
        if (NextSeatInHand(other) != position) {
            ZepLog("seat draw: chair %d while chair %d holds %d tiles; dropped", chair,
                   PositionToChair(other), otherHeld);
            return false;
        }
        won[static_cast<size_t>(other)] = true;
    }
    for (int other = 0; other < kPositions; ++other) {
        if (won[static_cast<size_t>(other)]) {
            seatsOut_[static_cast<size_t>(other)] = true;
        }
    }
    return true;
}
