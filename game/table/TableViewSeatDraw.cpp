// Another seat's draw on the regional table. Whatever the rules, a seat's
// tiles (a meld counted as three, a gang too) number 3n+1 between turns and
// 3n+2 from its draw or claim to its throw, so a seat that holds 3n+2 tiles
// has a tile over and cannot draw: such a draw is dropped with one log line.
// Nothing else is judged from the other seats' rows: the hand ends at a
// win, and a row the client has counted wrong must not cost a later draw of
// another seat.
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

bool CRegionalTableView::TakeDrawTurn(int position) {
    const int held = HeldTileCount(position);
    if (held % 3 != 2) {
        return true;
    }
    ZepLog("seat draw: chair %d holds %d tiles, none to draw; dropped", PositionToChair(position),
           held);
    return false;
}
