#include "mahjong_client/table/CardSprite.h"

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "mahjong_client/table/MahjongTableView.h"

void CCardSprite::Create() {}
void CCardSprite::Refresh() {}
void CCardSprite::Reset() {
    tile = kHiddenTile;
    kind = kKindFree;
    active = 0;
}
int CCardSprite::GetCardImageIndex(int /*tileId*/) const {
    return 0;
}
void CCardSprite::SelectPicture() {}
void CCardSprite::SetClickEvent(int eventId) {
    clickEvent_ = eventId;
}
void CCardSprite::Redraw() {}
void CCardSprite::PlaceInWall() {}
void CCardSprite::PlaceInRow() {}
void CCardSprite::PlaceInDiscards() {}
void CCardSprite::PlaceThrown() {}
void CCardSprite::PlaceShown() {}
CCorvanePicture* CCardSprite::GetFace() {
    return nullptr;
}
CCorvaneCanvas* CCardSprite::GetShadow() {
    return nullptr;
}
CCorvaneCanvas* CCardSprite::GetThrownBackground() {
    return nullptr;
}
CMahjongTableView* CCardSprite::GetTableView() {
    return dynamic_cast<CMahjongTableView*>(GetParent());
}
bool CCardSprite::SetFacePicture(const char* /*key*/, int /*frame*/) {
    return false;
}
