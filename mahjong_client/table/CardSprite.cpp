#include "mahjong_client/table/CardSprite.h"

#include <cstdio>
#include <cstring>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "mahjong_tiles/TileEncoding.h"

namespace {

// The face-down pictures: the sides at positions 0 and 2 and those at 1
// and 3.
constexpr const char* kBackSide02 = "1366_deal02";
constexpr const char* kBackSide13 = "1366_deal13";

const char* BackPicture(int position) {
    return position == 0 || position == 2 ? kBackSide02 : kBackSide13;
}

// The tile events of a player's tiles and of a looker-on's.
constexpr int kPlayerBindings[][2] = {
    {kEventMouseEnter, 80001119}, {kEventMouseLeave, 80001120}, {kEventRButtonDown, 80001125},
    {kEventRButtonUp, 80001127},  {kEventRightDrag, 80001126},
};
constexpr int kLookerBindings[][2] = {
    {kEventMouseEnter, 80001117},
    {kEventMouseLeave, 80001118},
};

}  // namespace

void CCardSprite::SetOwner(int viewId, int index) {
    viewId_ = viewId;
    poolIndex = index;
}

void CCardSprite::Create() {
    FrameRecord frame;
    GetResourceFrame(&frame, kBackSide13, 0);
    CCorvanePicture* face = CreatePicture(frame);
    if (face == nullptr) {
        return;
    }
    faceId_ = face->GetId();
    PeerSetUp(face, kPeerLinkFlags);
    BindInputEvents(false);
}

void CCardSprite::BindInputEvents(bool lookingOn) {
    for (const auto& binding : kPlayerBindings) {
        UnbindEvent(binding[0]);
    }
    if (viewId_ == 0) {
        return;
    }
    if (lookingOn) {
        for (const auto& binding : kLookerBindings) {
            BindEvent(binding[0], viewId_, binding[1], poolIndex, 0);
        }
    } else {
        for (const auto& binding : kPlayerBindings) {
            BindEvent(binding[0], viewId_, binding[1], poolIndex, 0);
        }
    }
    SetClickEvent(clickEvent_);
}

void CCardSprite::Reset() {
    tile = kHiddenTile;
    faceUp = 0;
    kind = kKindFree;
    state = kStateNone;
    position = 0;
    handIndex = 0;
    handSize = 0;
    active = 0;
    visible = 0;
    standing = 0;
    raised = 0;
    hoverRaised = 0;
    greyed = 0;
    wildMark = 0;
    shade = 0;
    meldKind = kMeldNone;
    meldMark = 0;
    meldSource = 0;
    lifeTime = 0;
    wallIndex = -1;
    discardSlot = -1;
}

void CCardSprite::TakePlace(int newKind, int newState, int newPosition, int isStanding) {
    kind = newKind;
    state = newState;
    position = newPosition;
    standing = isStanding;
    active = 1;
    visible = 1;
    raised = 0;
    hoverRaised = 0;
    greyed = 0;
}

int CCardSprite::GetCardImageIndex(int tileId) const {
    if (!IsRealTile(tileId)) {
        return 0;
    }
    const int value = GetCardValue(tileId);
    switch (GetCardShape(tileId)) {
        case 0:
            return value - 1;
        case 1:
            return value + 8;
        case 2:
            return value + 17;
        case 3:
            return value + 26;
        case 4:
            return value + 33;
        default:
            return 0;
    }
}

void CCardSprite::EndAnimations() {
    EndObjectActions(GetId());
    if (CCorvanePicture* face = GetFace()) {
        EndObjectActions(face->GetId());
    }
}

void CCardSprite::Refresh() {
    EndAnimations();
    const bool placed =
        active != 0 && (kind == kKindWall || kind == kKindDiscard || kind == kKindThrown ||
                        kind == kKindShown || (kind == kKindHand && visible != 0));
    if (!placed || !PlaceFromView()) {
        Hide();
        Invalidate();
        return;
    }
    SelectPicture();
    PlaceFromView();
    ApplyKindDepth();
    Show();
    Redraw();
}

void CCardSprite::ApplyKindDepth() {
    switch (kind) {
        case kKindWall:
            depth = kWallDepth;
            break;
        case kKindDiscard:
            depth = kDiscardDepth;
            break;
        case kKindThrown:
            depth = kThrownDepth;
            break;
        default:
            depth = kRowDepth;
            break;
    }
    SetZ(depth);
    if (CCorvanePicture* face = GetFace()) {
        face->SetZ(depth);
    }
}

void CCardSprite::SelectPicture() {
    char key[sizeof pictureKey_] = {};
    int frame = 0;
    // Discards, shown and thrown tiles show their face whenever the id names
    // one; wall and row tiles also need the face-up flag.
    const bool down = kind == kKindDiscard || kind == kKindShown || kind == kKindThrown
                          ? !IsRealTile(tile)
                          : IsFaceDown();
    const int side = position >= 0 && position < 4 ? position : 3;
    if (down) {
        std::snprintf(key, sizeof key, "%s", BackPicture(side));
    } else {
        frame = GetCardImageIndex(tile);
        switch (kind) {
            case kKindHand:
                if (meldMark == 0) {
                    if (side == 3) {
                        std::snprintf(key, sizeof key, "800_largecard");
                    } else {
                        std::snprintf(key, sizeof key, "800_side%d", side);
                    }
                } else {
                    // A claimed meld shows the faces as seen from where the
                    // tile came from; a meld of the seat's own tiles as its own.
                    const int from = meldSource >= 0 && meldSource < 4 && meldSource != side
                                         ? (meldSource + 2) % 4
                                         : side;
                    std::snprintf(key, sizeof key, "800_middle%d", from);
                }
                break;
            case kKindThrown:
                std::snprintf(key, sizeof key, "800_largecard");
                break;
            default:
                std::snprintf(key, sizeof key, "800_middle%d", side);
                break;
        }
    }
    SetFacePicture(key, frame);
    ApplyOwnTileAlpha(side == 3 && !down);
}

void CCardSprite::ApplyOwnTileAlpha(bool ownFaceUp) {
    double alpha = 1.0;
    if (kind == kKindHand && meldMark == 0 && ownFaceUp) {
        if (shade != 0) {
            alpha = 0.9;
        }
        if (greyed != 0) {
            alpha = 0.6;
        }
    }
    SetAlpha(alpha);
    if (CCorvanePicture* face = GetFace()) {
        face->SetAlpha(alpha);
    }
}

void CCardSprite::SetClickEvent(int eventId) {
    clickEvent_ = eventId;
    UnbindEvent(kEventLButtonDown);
    if (eventId != 0 && viewId_ != 0) {
        BindEvent(kEventLButtonDown, viewId_, eventId, poolIndex, 0);
    }
}

void CCardSprite::Redraw() {
    Invalidate();
    if (CCorvanePicture* face = GetFace()) {
        face->Invalidate();
    }
}

void CCardSprite::PlaceInWall() {
    PlaceFromView();
}

void CCardSprite::PlaceInRow() {
    PlaceFromView();
}

void CCardSprite::PlaceInDiscards() {
    PlaceFromView();
}

void CCardSprite::PlaceThrown() {
    PlaceFromView();
}

void CCardSprite::PlaceShown() {
    PlaceFromView();
}

bool CCardSprite::PlaceFromView() {
    CMahjongTableView* view = GetTableView();
    TablePoint centre;
    TablePoint size;
    if (view == nullptr || !view->GetSpritePlace(*this, centre, size)) {
        return false;
    }
    scale = view->GetTileScale();
    SetPos(centre.x, centre.y);
    SetSize(size.x, size.y);
    if (CCorvanePicture* face = GetFace()) {
        face->SetSize(size.x, size.y);
        face->SetPos(centre.x, centre.y);
    }
    return true;
}

CCorvanePicture* CCardSprite::GetFace() {
    return FindPictureById(faceId_);
}

CCorvaneCanvas* CCardSprite::GetShadow() {
    return FindCanvasById(shadowId_);
}

CCorvaneCanvas* CCardSprite::GetThrownBackground() {
    return FindCanvasById(thrownBackId_);
}

CMahjongTableView* CCardSprite::GetTableView() {
    return viewId_ != 0 ? dynamic_cast<CMahjongTableView*>(FindObjectById(viewId_)) : nullptr;
}

bool CCardSprite::SetFacePicture(const char* key, int frame) {
    std::snprintf(pictureKey_, sizeof pictureKey_, "%s", key);
    pictureFrame_ = frame;
    CCorvanePicture* face = GetFace();
    if (face == nullptr) {
        return false;
    }
    FrameRecord record;
    GetResourceFrame(&record, key, frame);
    if (record.record == nullptr) {
        return false;
    }
    face->SetImage(record, 1);
    face->SetKeyColor(0xff00ff);
    return true;
}
