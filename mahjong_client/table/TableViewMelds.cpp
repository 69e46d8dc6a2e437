#include "mahjong_client/table/MahjongTableView.h"

void CMahjongTableView::PlaceMeld(int /*position*/, int /*kind*/, const MeldRecord& /*record*/,
                                  int /*flag*/) {}
void CMahjongTableView::PlaceGang(int /*position*/, const MeldRecord& /*record*/, int /*flag*/) {}
void CMahjongTableView::PlaceConcealedGang(int /*position*/, const MeldRecord& /*record*/,
                                           int /*flag*/) {}
void CMahjongTableView::PlaceAddedGang(int /*position*/, const MeldRecord& /*record*/,
                                       int /*flag*/) {}
void CMahjongTableView::RestoreMelds() {}
int CMahjongTableView::GetMeldCount(int /*position*/) const {
    return 0;
}
