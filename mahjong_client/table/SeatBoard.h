#pragma once
// The name plate at one screen position of the table: the player's
// character picture and name on a board image, a status icon (offline,
// auto-play or the player's match badge), a flower counter, the banker's two
// dice and a ready mark placed towards the table's centre. The table view
// makes one board per screen position and drives it through the operations
// below; the regional small board derives from it and replaces some of them,
// so the order of the virtual operations is kept as it stands.
//
// Rules:
//  - The board's parts are engine objects made through the engine facade and
//    attached to the board canvas; they are held by id and found again with
//    a kind check, so a part that is gone is skipped, never touched.
//  - A chair outside 0-7 is never shown: SetPlayer ignores it and Redraw
//    paints nothing for it.
//  - Names are read within their seat-record field; TruncateName reads at
//    most its source field and writes at most 11 bytes.
//  - The status icon is shared: the last of SetOffline / SetAutoPlay decides
//    what it shows; with both off it shows the match badge or nothing.
//  - Everything runs on the UI thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/CorvaneControl.h"

class CCorvaneCanvas;
class CCorvaneNumberDisplay;
class CCorvanePicture;

// What a seat board asks the table view when it places its ready mark. The
// table view (the application's game view) answers it; the names are the
// table view's own, so deriving from this class is all it takes.
class CSeatBoardAnchors {
public:
    virtual ~CSeatBoardAnchors() = default;
    // 1 when ready marks are placed relative to the seat's first tile sprite.
    virtual int GetReadyMarkPlacement() const = 0;
    // The first tile sprite in use at the screen position, or null.
    virtual CCorvaneObject* GetFirstSpriteAt(int position) = 0;
};

// Program events of the seat board.
inline constexpr int kEventSeatBoardHoverOn = 80000001;
inline constexpr int kEventSeatBoardHoverOff = 80000002;
inline constexpr int kEventSeatBoardLeftDown = 80000047;
inline constexpr int kEventSeatBoardRightDown = 80000048;

class CSeatBoard : public CCorvaneControl {
public:
    static constexpr int kMaxChair = 7;
    static constexpr size_t kTruncatedNameBytes = 11;
    static constexpr char kBoardImage[] = "PlayerBoardSmall";

    CSeatBoard();
    ~CSeatBoard() override;

    // The board makes its parts in CreateObjects, not here.
    void Create() override {}
    // 80000001 / 80000002 set and clear the hover mark; every event then goes
    // to the engine object's own handler.
    int OnEvent(const EventRecord& record) override;

    // --- the board's own operations, in this order ---
    virtual void CreateObjects(int position);
    virtual void Redraw();
    virtual void SetPlayer(int chair);
    virtual void Clear();
    virtual void ShowReady();
    virtual void ShowMarkAnimation(const char* name);
    virtual void ShowBankerDice(const std::array<int, 2>& dice);
    virtual void HideBankerDice();
    virtual void HideReadyMark2();
    virtual void HideReadyMark();
    virtual void SetOffline(int flag);
    virtual int IsOffline();
    virtual void Layout();
    virtual void PlaceReadyMark();
    virtual void AddFlower();
    virtual int SetPosition(int index);
    virtual void SetHighlighted(int flag);
    virtual void Refresh(int first, int second);
    virtual void UpdateReadyMark();
    virtual void ResetFlowers();
    virtual void HideStatusIcon();
    // An empty hook for derived boards.
    virtual void SeatBoardHook() {}
    virtual void SetAutoPlay(int flag);
    virtual void DrawFlowerFlag();
    // The source up to its terminator (at most the whole span); a source of
    // 10 bytes or more becomes its first 8 bytes and "..". The target gets
    // at most 11 bytes and its size, terminator included.
    virtual void TruncateName(std::span<const char> source, std::span<char> target);

    // --- plain getters ---
    int GetChair() const { return chair_; }
    int GetPosition() const { return position_; }
    int GetFlowerCount() const { return flowerCount_; }
    int IsHighlighted() const { return highlighted_; }
    int IsHovered() const { return hover_; }
    int GetNameX() const { return nameX_; }
    // The parts, or null while missing.
    CCorvaneCanvas* GetBoardCanvas();
    CCorvaneCanvas* GetDiceCanvas();
    CCorvanePicture* GetStatusIcon();
    CCorvanePicture* GetReadyMark();
    CCorvaneNumberDisplay* GetFlowerNumber();

protected:
    // The status icon with the named animation (flag on) or the match badge
    // (flag off).
    void ShowStatusAnimation(const char* name, int flag);
    // How many times the status icon blinks (-1: for as long as it shows).
    virtual int StatusBlinkCount() const { return -1; }
    // Frame `value` of "bit_Duan" on the status icon, shown when the board
    // shows a chair whose match value is 0 or more, else hidden.
    void ShowMatchBadge(CCorvanePicture& icon);
    // The application's player count, 0 without an application.
    static int SeatCount();
    // Hides and invalidates the part when it exists.
    static void HidePart(CCorvaneObject* part);

    // Fields of the board, in the order the class keeps them.
    int chair_ = -1;
    int position_ = -1;
    int nameX_ = 0;
    int flowerCount_ = 0;
    int hover_ = 0;
    int offline_ = 0;
    int highlighted_ = 0;
    int flowerNumberId_ = 0;
    int statusIconId_ = 0;
    int readyMarkId_ = 0;
    int diceCanvasId_ = 0;
    int boardCanvasId_ = 0;
};
