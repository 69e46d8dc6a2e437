#pragma once
// One tile on the mahjong table: its data (tile id, placement kind, seat
// position, hand index and the marks the play code sets) and the picture
// that shows it. The table view owns a fixed pool of these; a sprite that is
// not in use is hidden and holds no tile.
//
// Rules:
//  - A tile id outside 0..143 (200 marks a tile the client may not see) is
//    always drawn face down, whatever the face-up flag says.
//  - The sprite never computes table geometry itself: it asks the table
//    view it belongs to (its parent, looked up with a kind check) for the
//    place of its kind, position and index.
//  - The face picture, its shadow and the thrown-tile background are held by
//    their ids and looked up on every use.
//  - An animation ends when its tile is laid out anew (Refresh): a running
//    move never outlives a new layout of the tile's row.

#include <cstdint>

#include "engine/CorvaneControl.h"

class CCorvaneCanvas;
class CCorvanePicture;
class CMahjongTableView;

inline constexpr int kHiddenTile = 200;
inline constexpr int kTileIdCount = 144;

// True for a tile id that names a real tile face.
inline bool IsRealTile(int tile) {
    return tile >= 0 && tile < kTileIdCount;
}

class CCardSprite : public CCorvaneControl {
public:
    // Where the sprite lies on the table.
    enum Kind {
        kKindFree = 0,     // not placed
        kKindWall = 1,     // a tile of the wall, by wall index
        kKindHand = 2,     // a tile of a hand row (melds included)
        kKindDiscard = 5,  // a tile of a seat's discards
        kKindThrown = 6,   // the tile just thrown, shown large
        kKindShown = 7,    // a tile laid open at its seat's shown-tile place
    };
    enum State { kStateNone = 0, kStateInHand = 2, kStateDiscarded = 5, kStateJustThrown = 6 };
    // Meld kinds of a row tile.
    // Meld kinds of a row tile (a chi's tiles are kept apart from a peng's).
    enum MeldKind {
        kMeldNone = 0,
        kMeldPeng = 1,
        kMeldGang = 2,
        kMeldConcealedGang = 3,
        kMeldChi = 4,
    };
    // Depths of the kinds: the thrown tile lies above everything.
    static constexpr double kWallDepth = 400.0;
    static constexpr double kDiscardDepth = 500.0;
    static constexpr double kRowDepth = 600.0;
    static constexpr double kThrownDepth = 3000.0;

    CCardSprite() = default;
    ~CCardSprite() override = default;

    // Builds the face picture and binds the tile's input events to the
    // table view's tile events (param1 the pool index).
    void Create() override;
    // The table view the sprite reports to, and its pool entry; set before
    // the sprite is registered.
    void SetOwner(int viewId, int index);
    // Binds the input events for a player or a looker-on.
    void BindInputEvents(bool lookingOn);

    // Places and draws the tile by its kind (hides it when it is free or
    // not in use). A tile laid out anew ends whatever still moves or
    // animates it, so no older animation takes it from its new place.
    virtual void Refresh();
    // Back to a free sprite: tile 200, kind 0, not in use, every mark
    // cleared.
    virtual void Reset();
    // The frame of the tile's face within a tile sheet; 0 for an id outside
    // 0..143.
    virtual int GetCardImageIndex(int tileId) const;
    // Chooses the picture (sheet and frame) for the kind, position and face.
    virtual void SelectPicture();
    // The sprite takes a place of the table: in use, shown, of the kind,
    // state and position, standing or laid, no longer raised or greyed.
    void TakePlace(int newKind, int newState, int newPosition, int isStanding);
    // The program event a click on this tile sends to the table view.
    virtual void SetClickEvent(int eventId);
    // Redraws the face (and its shadow).
    virtual void Redraw();

    // The base place of each kind.
    virtual void PlaceInWall();
    virtual void PlaceInRow();
    virtual void PlaceInDiscards();
    virtual void PlaceThrown();
    virtual void PlaceShown();

    int GetClickEvent() const { return clickEvent_; }
    // Face down: the face-up flag is 0 or the id names no tile.
    bool IsFaceDown() const { return faceUp == 0 || !IsRealTile(tile); }
    // The picture key and frame chosen last ("" before the first choice).
    const char* GetPictureKey() const { return pictureKey_; }
    int GetPictureFrame() const { return pictureFrame_; }

    CCorvanePicture* GetFace();
    CCorvaneCanvas* GetShadow();
    CCorvaneCanvas* GetThrownBackground();
    // The table view this sprite belongs to, or null.
    CMahjongTableView* GetTableView();

    // ---- The tile's data, named as the table layers use them ----
    int tile = kHiddenTile;  // tile id; 200 hidden
    int faceUp = 0;
    int kind = kKindFree;
    int state = kStateNone;
    int position = 0;   // screen position 0..3, 3 the own seat
    int handIndex = 0;  // index in its row; 0 the drawn tile
    int handSize = 0;
    int active = 0;    // in use
    int visible = 0;   // shown in its row
    int standing = 0;  // 1 concealed, 0 laid down
    int raised = 0;
    int hoverRaised = 0;
    int greyed = 0;
    int wildMark = 0;
    int shade = 0;
    int meldKind = kMeldNone;
    int meldMark = 0;
    int meldSource = 0;  // the screen position a meld's tile came from
    int metrics[5] = {};
    double scale = 1.0;
    double depth = 0.0;
    uint32_t lifeTime = 0;  // ms
    // Bookkeeping of the table view: the pool entry, the wall index (or -1)
    // and the discard place (or -1).
    int poolIndex = -1;
    int wallIndex = -1;
    int discardSlot = -1;

protected:
    // The parts a derived sprite made in its own Create (ids, 0 none).
    void SetPartIds(int faceId, int shadowId, int thrownBackId) {
        faceId_ = faceId;
        shadowId_ = shadowId;
        thrownBackId_ = thrownBackId;
    }
    // Shows frame `frame` of the sheet `key` on the face; false when the
    // skin has no such sheet (the face keeps its picture).
    bool SetFacePicture(const char* key, int frame);
    // Sets the face's size and place from the table view; false when the
    // view has no place for it.
    bool PlaceFromView();
    // Ends the actions still running on the sprite and its face.
    void EndAnimations();
    // The depth of the sprite's kind, on the sprite and its face.
    void ApplyKindDepth();
    // A concealed own tile shown face up is dimmed while shaded (0.9) or
    // greyed (0.6); every other tile is opaque.
    void ApplyOwnTileAlpha(bool ownFaceUp);

private:
    int viewId_ = 0;
    int faceId_ = 0;
    int shadowId_ = 0;
    int thrownBackId_ = 0;
    int clickEvent_ = 0;
    char pictureKey_[32] = {};
    int pictureFrame_ = 0;
};
