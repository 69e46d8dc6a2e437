#pragma once
// A tile of the regional table. The base sprite keeps the tile's data and
// where it stands; this class chooses which picture of the skin the tile
// shows for the screen size, the seat side, the face state and the tile,
// adds a shadow under it, a highlight over a wild tile and the background
// of a thrown tile, and binds the tile's mouse events to the table view.
//
// Rules:
//  - The picture choice is a pure function of its inputs (ChooseTilePicture
//    below), so every case can be checked without an engine.
//  - A tile whose face has no picture rule (a face-up meld tile whose source
//    is its own seat, a discard or shown tile with no real id) keeps the
//    picture and frame it had.
//  - Parts are held by id and looked up with a kind check on every use.

#include <cstdint>

#include "mahjong_client/table/CardSprite.h"

class CCorvaneCanvas;

// What the picture choice reads.
struct TilePictureInput {
    int screenWidth = 0;  // W: the scene width
    int viewWidth = 0;    // VW, VH: the "MainGame" view's rectangle
    int viewHeight = 0;
    int kind = 0;
    int position = 0;
    int meldMark = 0;
    int faceUp = 0;
    int tile = kHiddenTile;
    int meldSource = 0;
    // F: the frame view shrinks tiles on narrow screens.
    bool shrinkOnNarrow = false;
};

// What the picture choice decides.
struct TilePicture {
    bool keep = false;  // no rule: the previous picture and frame stay
    char key[32] = {};  // the skin picture
    int frame = 0;      // its frame
    // Below a 1024-pixel screen the scale and the face size are set: the
    // face becomes (w * sizeNum / sizeDen, h * sizeNum / sizeDen).
    bool scaleChanges = false;
    double scale = 1.0;
    int sizeNum = 1;
    int sizeDen = 1;
};

// The picture, frame and scale of a tile; `frameOfTile` is the frame index
// of a face-up tile (GetCardImageIndex).
TilePicture ChooseTilePicture(const TilePictureInput& in, int frameOfTile);

class CRegionalCardSprite : public CCardSprite {
public:
    static constexpr char kWildMarkImage[] = "黄_64_94";
    static constexpr char kShadowImage[] = "shadow";
    static constexpr char kThrownBackImage[] = "throw_cardbk";
    static constexpr char kFirstFaceImage[] = "1366_largecard";
    static constexpr uint32_t kColourKey = 0xff00ff;

    CRegionalCardSprite() = default;
    ~CRegionalCardSprite() override;

    void Create() override;
    void Refresh() override;
    void SelectPicture() override;

    // The wild-tile highlight is due (shown after the next picture choice).
    int m_bWildMark = 0;

    CCorvaneCanvas* GetWildMark();

private:
    // The layout metrics by the screen height.
    void SetMetricsForScreen(int screenHeight);
    // The inputs of the picture choice from the scene, the view and the
    // sprite's own data.
    TilePictureInput PictureInput();
    void UpdateWildMark();
    void PlaceShadow(int faceFrameHeight);
    void ShowThrownBackground(bool show);

    int wildMarkId_ = 0;  // m_pWildMark
};
