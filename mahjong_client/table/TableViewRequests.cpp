// The table view's requests to the game server.
#include "mahjong_client/table/MahjongTableView.h"

int CMahjongTableView::SendGameRequest(int32_t /*id*/, const void* /*data*/, size_t /*length*/,
                                       int /*wait*/) {
    return 0;
}
int CMahjongTableView::SendDiscard(int /*tileId*/) {
    return 0;
}
int CMahjongTableView::SendHua(int /*tileId*/, uint8_t* /*reply32*/) {
    return 0;
}
int CMahjongTableView::SendHuClaim(int /*chair*/, int /*tileId*/, int /*kind*/,
                                   int /*robbedKind*/) {
    return 0;
}
int CMahjongTableView::SendChiClaim(int /*thrower*/, int /*tileId*/, int /*tileA*/, int /*tileB*/) {
    return 0;
}
int CMahjongTableView::SendPass(int /*chair*/, int /*tileId*/) {
    return 0;
}
int CMahjongTableView::SendGangQuery(int /*kind*/, int /*tileId*/, uint8_t* /*reply48*/) {
    return 0;
}
int CMahjongTableView::CatchCard() {
    return 0;
}
int CMahjongTableView::ThrowHandTile(int /*index*/) {
    return 0;
}
int CMahjongTableView::DeclareOwnHua(int /*index*/) {
    return 0;
}
