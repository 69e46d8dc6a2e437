#pragma once
// The table view of the mahjong layer, the frame view's "MainGame" child:
// the four seats with their hand rows, melds, discards and last-thrown
// tiles, the wall, the seat boards, the operation buttons, the turn clock
// and pointer, and the play of a hand from the server's notifications and
// the player's clicks. The regional game derives from it and replaces
// operations by name.
//
// Rules:
//  - Tiles are sprites of a fixed pool (GetCardIdCount entries); rows, wall,
//    discards and last-thrown places hold pool indices, never pointers, and
//    every lookup checks the entry's kind. A sprite is in exactly one place.
//  - Screen positions: the own seat 3, the next chair 0, the opposite 1, the
//    previous 2. Chairs, positions, wall indices and tiles that come from the
//    server are checked before they index anything.
//  - A notification record is checked against its length before anything is
//    read; a handler answers false for a record too short (nothing changed)
//    and true otherwise (a record with values out of range is dropped with
//    a log line).
//  - Deferred steps are delayed engine events; a heap block carried by an
//    event is freed by the event entry, once.
//  - Everything runs on the UI thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine/EventRecord.h"
#include "frame/view/GameViewBase.h"
#include "mahjong_client/table/CardSprite.h"
#include "mahjong_client/table/SeatBoard.h"

class CCorvaneObject;
class CCorvaneButton;
class CCorvaneCanvas;
class CCorvanePicture;
class CDigitDisplay;
class CMahjongTableData;
class CSliderBar;

// A meld as the placement operations take it: 16 words; word 3 the
// claimant's chair, 4 the source chair, 5 the claimed tile, 6..8 the hand
// tiles (8 = -1 for a peng or chi).
using MeldRecord = std::array<int32_t, 16>;
// A server notification's bytes, valid during the call.
using NotifyRecord = std::span<const uint8_t>;

// A point of the table in view coordinates.
struct TablePoint {
    int x = 0;
    int y = 0;
};

// One entry of the operation offer table, by operation kind.
struct OperationOffer {
    int32_t chair = -1;
    int32_t tile = -1;
    int32_t count = 0;
    std::array<int32_t, 32> tiles{};  // -1 free
    int32_t offered = 0;
    int32_t anotherMayWin = 0;
    int32_t huGangKind = 0;
};

// Operation kinds (buttons and the offer table).
enum OperationKind {
    kOpPeng = 1,
    kOpGang = 2,
    kOpChi = 3,
    kOpHu = 4,
    kOpGuo = 5,
    kOpTing = 6,
};

// The view's own program events.
inline constexpr int kEventTableFirst = 80001106;
inline constexpr int kEventDiceDone = 80001108;
inline constexpr int kEventDealDone = 80001110;
inline constexpr int kEventTableHeapA = 80001113;
inline constexpr int kEventTableHeapB = 80001114;
inline constexpr int kEventCardFirst = 80001117;
inline constexpr int kEventCardGangSelect = 80001122;
inline constexpr int kEventCardTwoSelect = 80001123;
inline constexpr int kEventCardClick = 80001124;
inline constexpr int kEventCardHoverLift = 80001125;
inline constexpr int kEventCardDragMove = 80001126;
inline constexpr int kEventCardDrop = 80001127;
inline constexpr int kEventCardIdle = 80001128;
inline constexpr int kEventCardLast = 80001127;
inline constexpr int kEventChiButton = 80001131;
inline constexpr int kEventPengButton = 80001132;
inline constexpr int kEventGangButton = 80001133;
inline constexpr int kEventHuButton = 80001134;
inline constexpr int kEventGuoButton = 80001135;
inline constexpr int kEventStartButton = 80001136;
inline constexpr int kEventAskCardView = 80001137;
inline constexpr int kEventShowSkill = 80001138;
inline constexpr int kEventHideSkill = 80001139;
inline constexpr int kEventVolumeButton = 80001140;
inline constexpr int kEventMusicSlider = 80001141;
inline constexpr int kEventSoundSlider = 80001142;
inline constexpr int kEventSortHand = 80001143;
inline constexpr int kEventResultClosed = 80001145;  // the result dialog's close button
inline constexpr int kEventResultTimeout = 80001146;
inline constexpr int kEventPointerStep = 80001156;
inline constexpr int kEventTableLast = 80001167;  // not included
inline constexpr int kEventClockTick = 80000107;
inline constexpr int kEventToggleAutoPlay = 80000110;
inline constexpr int kEventPlayMusic = 80000085;

class CMahjongTableView : public CGameViewBase, public CSeatBoardAnchors {
public:
    static constexpr int kPositions = 4;
    static constexpr int kCardPoolSize = 168;
    static constexpr int kWallSize = 108;
    static constexpr int kRowSize = 32;
    static constexpr int kDiscardPlaces = 36;
    static constexpr int kOfferKinds = 9;
    static constexpr int kCardMetricCount = 28;

    CMahjongTableView();
    ~CMahjongTableView() override;

    // The engine's creation hook: sprites, seat boards, buttons, clock,
    // tool buttons, decorations, cursor.
    void Create() override;

    // ---- Sprites, wall, rows, discards, melds, layout (view) ----

    // Constants that size the tile tables.
    virtual uint32_t GetCardIdCount() const { return 168; }
    virtual uint32_t GetCardsInPlay() const { return 152; }
    virtual uint32_t GetHandTableSize() const { return 18; }
    virtual uint32_t GetHandTileLimit() const { return 14; }
    uint32_t GetMaxHandSlots() const { return GetHandTableSize(); }
    uint32_t GetRowCapacity() const { return GetHandTableSize(); }
    uint32_t GetHandSize() const { return GetHandTileLimit(); }
    // The rule word handed to the wild-tile and flower tests.
    virtual uint32_t GetRuleFlags() const { return 0; }
    virtual int GetWallStackCount() const { return 28; }

    // Seats.
    int GetPlayerCount() const { return playerCount_; }
    int GetSeatCount() const { return seatCount_; }
    // The own chair (from the application), or -1.
    int GetOwnChair() const;
    bool IsLookingOn() const;
    // Own chair 3, next chair 0, opposite 1, previous 2; -1 for a chair
    // outside the table or when the own chair is outside 0..3.
    virtual int ChairToPosition(int chair) const;
    virtual int PositionToChair(int position) const;
    // The seat that plays after `position`: (position + 3) mod 4; with
    // three seats position 2 is followed by 0.
    virtual int GetNextTurnPosition(int position) const;
    // The next seat in dealing order: (position + 3) mod 4.
    virtual int GetNextDealPosition(int position) const;

    // The tile-sprite pool.
    virtual void CreateCardSprites();
    // Fills the pool's first `count` entries that are still empty.
    void CreateCardSpritesUpTo(int count);
    // A new sprite for the pool; the regional game makes its own kind.
    virtual CCardSprite* NewCardSprite();
    CCardSprite* GetCardSprite(int poolIndex);
    // The first pool sprite not in use, or null.
    CCardSprite* GetFreeCardObject();
    // The first in-use sprite of `position` among the first GetCardsInPlay
    // pool entries, or null; with the placement flag the seat board places
    // its ready mark beside it.
    CCardSprite* GetFirstSpriteAt(int position) override;
    int GetReadyMarkPlacement() const override { return readyMarkPlacement_; }
    // Takes the sprite out of whatever place holds it and returns it to the
    // pool (reset and hidden).
    void ReleaseSprite(CCardSprite* sprite);
    // The in-use pool sprite a tile event names (param1 = pool index), or
    // null when it is gone, free or no longer placed (a late event).
    CCardSprite* GetEventSprite(const EventRecord& record);

    // Table events posted by the view carry the table's serial in param2;
    // ClearTable starts a new serial, so a step posted before it is
    // recognised and ignored. A view that posts the dice's and the deal's
    // ends with a serial of its own tells which of them are current.
    void PostTableEvent(int event, intptr_t param1, uint32_t delayMs);
    virtual bool IsCurrentTableEvent(const EventRecord& record) const;
    uint32_t GetTableSerial() const { return tableSerial_; }

    // The wall.
    virtual void BuildWall();
    virtual void RestoreWall();
    virtual void ResetWallAndClock();
    virtual void DealCards();
    // The wall sprite at `wallIndex` becomes the drawn tile (index 0) of the
    // position's row: face up with the tile when the row is known, else
    // hidden; null when refused (position, wall index or tile out of range,
    // wall entry already taken, row full).
    virtual CCardSprite* DealDrawnTile(int position, int wallIndex, int tileId);
    CCardSprite* TakeWallTile(int position, int wallIndex, int tileId) {
        return DealDrawnTile(position, wallIndex, tileId);
    }
    // As DealDrawnTile for a tile the server's reply gave: when the wall
    // entry is out of range or taken, a free pool sprite carries the tile
    // (logged), so the tile is never dropped.
    virtual CCardSprite* DrawTileFromReply(int position, int wallIndex, int tileId);
    CCardSprite* GetWallSprite(int wallIndex);
    // Wall entries still holding a tile.
    int GetWallCount() const;
    // Frees the wall sprite at `wallIndex`; false when the index is out of
    // range or the entry empty.
    bool ReleaseWallTile(int wallIndex);

    // Rows. Index 0 holds the drawn tile; melds come first among 1..31.
    CCardSprite* GetHandSprite(int position, int index);
    // Puts a free sprite at `index` of the position's row as a standing
    // hand tile (face up with a real tile id, else hidden); null when the
    // place is taken or out of range, or no sprite is free.
    CCardSprite* PutHandTile(int position, int index, int tileId);
    virtual int GetRowCount(int position) const;
    virtual bool IsHandKnown(int position);
    virtual int IsHandDrawn(int position);
    // Takes the tile out of the row (the row closes up and renumbers);
    // null when the tile is not in the row. Tile 200 takes the drawn tile,
    // else the first concealed tile. Meld tiles are never taken.
    virtual CCardSprite* RemoveHandTile(int position, int tileId);
    // Takes the tile out of the row into its last-thrown place.
    virtual CCardSprite* MoveTileToThrown(int position, int tileId);
    // Every visible, active tile of the row turns face down (tile 200).
    virtual void TurnRowFaceDown(int position);
    virtual void EmptyHandRows();
    // Sorts the own row; a drawn tile there joins the sort and the largest
    // tile is set apart at index 0 (the deal, the sort button).
    virtual void SortHand();
    // After a draw: sorts the own concealed tiles and leaves the drawn tile
    // apart at index 0, where the turn's time-out throws it.
    void SortHandAfterDraw();
    virtual void SortHandCards(int position, int from, int count);
    virtual void ArrangeHand(int position);
    virtual void RefreshHandSprites(int position);
    // The last step of RefreshHandSprites; empty here.
    virtual void OnHandRefreshed(int position);
    virtual void FillOwnHand();
    // The other seats' rows of a running hand, hidden, by their counts.
    virtual void FillHiddenHands();
    // The own tiles that are visible, active and raised, in row order; at
    // most 32 ids written.
    virtual int GetRaisedTiles(int32_t* tilesOut);
    // The other own tiles of the face of `tileId`, in hand order, a peng's
    // tiles among them (at most 3); answers how many.
    virtual int FindSameFaceTiles(int tileId, int32_t* tilesOut);
    // The row index of the tile, or -1.
    virtual int FindRowIndex(int position, int tileId);
    // The tile ids of the row (at most 32), in row order; answers how many.
    virtual int CollectRowTiles(int position, int32_t* tilesOut);
    static void FillTileArrayInvalid(int32_t* tiles32);

    // Discards and last-thrown places.
    virtual void MoveThrownToDiscards(int position);
    virtual void RedrawDiscards(int position);
    CCardSprite* GetLastThrown(int position);
    // The sprite becomes the position's thrown tile; a tile still lying
    // there goes to the discards first.
    void SetLastThrown(int position, CCardSprite* sprite);
    CCardSprite* GetDiscard(int position, int slot);
    int GetDiscardCount(int position) const;

    // Melds. Flag 0 takes the tiles from the table; flag 1 restores.
    virtual void PlaceMeld(int position, int kind, const MeldRecord& record, int flag);
    virtual void PlaceGang(int position, const MeldRecord& record, int flag);
    virtual void PlaceConcealedGang(int position, const MeldRecord& record, int flag);
    virtual void PlaceAddedGang(int position, const MeldRecord& record, int flag);
    virtual void RestoreMelds();
    // Melds laid at the position.
    int GetMeldCount(int position) const;

    // Layout.
    void Relayout() override;
    void RecalcLayout() { Relayout(); }
    void OnEnterRoom() override;
    void RefreshOwnBoard() { OnEnterRoom(); }
    virtual void InitCardMetrics(int width, int height);
    int GetCardMetric(int index) const;
    // Where a sprite lies: its centre and size in view coordinates, by its
    // kind and place; false for a free sprite.
    virtual bool GetSpritePlace(const CCardSprite& sprite, TablePoint& centre, TablePoint& size);
    // The centre of the thrown tile of a position.
    TablePoint GetThrownPlace(int position) const;
    // The square the discard blocks leave free at the table's centre, a
    // quarter of it for each seat's thrown tile; the inside of the wall's
    // square; the rectangle all 36 discard places of a position fill; the
    // one the tiles of its row and melds lie in now (empty when it has
    // none); the one every place a tile of its row can take fills, an own
    // tile raised included; the wall's four sides. Empty before the layout,
    // and for a position out of range. And the rectangle an object covers
    // on the screen, whole pixels round it (one turned a quarter lies
    // across; empty for none).
    IntRect GetCentreSquare() const;
    IntRect GetWallInside() const;
    IntRect GetDiscardBlock(int position) const;
    IntRect GetRowExtent(int position);
    IntRect GetRowRoom(int position);
    std::array<IntRect, kPositions> GetWallSides() const;
    static IntRect ObjectBox(CCorvaneObject* object);
    // The centre nearest `wanted` of a box of `size` that lies inside the
    // view, meets none of `keepOff` and lies nearer the seat board of
    // `position` than any other board (from its centre); of places as
    // near, the one nearer that board. False when there is none.
    bool FindFreePlace(TablePoint size, std::span<const IntRect> keepOff, TablePoint wanted,
                       int position, TablePoint& place);
    // The centre of the auto-play sign of the given width: in the band kept
    // above the own row for the operation buttons, where no tile lies,
    // midway between the table's left edge and its centre (the buttons
    // stand right of the centre), so that it reads as the own seat's sign
    // and not the left seat's.
    TablePoint GetAutoPlaySignPlace(int width) const;
    // The rectangle the auto-play sign covers when it shows, whether it
    // shows now or not (empty before the layout or without its picture).
    IntRect GetAutoPlaySignBox();
    // The drawn size of a tile of the kind at the position (a row's
    // concealed tile for kind 2).
    TablePoint GetTileSize(int kind, int position) const;
    // The scale the tiles are drawn at against the metrics (1 or less: as
    // far as the table needs to fit the view).
    double GetTileScale() const { return tileScale_; }
    // A metric as the tiles are laid out with it (times the tile scale).
    int GetPlaceMetric(int index) const;

    // Table and hand start.
    void ClearTable() override;
    void OnGameStart() override;
    virtual void RestoreSeatMarks() {}
    virtual void RestoreFlowers() {}
    virtual void RestoreDiscards() {}
    virtual void RestoreLastThrown() {}
    virtual void RestoreDepositInfo() {}
    virtual void RestoreTurnPointer() {}
    virtual int GetSwapStartCount() { return 0; }
    virtual int GetSwapStartIndex() { return 0; }
    // The first step of a game start: a player asks for the hand; whether a
    // hand runs (else the table is left as it is).
    bool EnterHandStart();
    // Sorts the own row after a game start; with the start flag 0x100 the
    // drawn tile goes back to its place among the first tiles.
    void ArrangeOwnHandAtStart();

    // Seat boards.
    virtual void CreateSeatBoards(int count);
    virtual CSeatBoard* NewSeatBoard();
    CSeatBoard* GetSeatBoard(int position);
    virtual void RefreshSeatBoards();
    virtual void ResetSeatBoard(int chair);
    virtual void OnPlayerStarted(int chair);
    // A ready mark tells who waits for the next hand: the hand's start takes
    // them all down, and each seat's start record puts its own up again.
    void HideReadyMarks();
    // Puts up the chair's ready mark when the table data has it started.
    void ShowReadyMarkIfStarted(int chair, CSeatBoard& board);
    virtual void CreateDecorations();
    virtual void CreateCursor() {}
    virtual void LoadAiSettings() {}

    // The application's table data, or null.
    CMahjongTableData* GetMahjongTableData();

    // ---- Hand flow, protocol, offers, buttons, requests (play) ----

    virtual void ShowRoundInfo();
    virtual void ThrowDice();
    virtual void StartPlay();
    virtual void StartGame();
    virtual void SetPlayModeOn() { playMode_ = 1; }
    virtual void SetPlayModeOff() { playMode_ = 0; }
    virtual void SetPlayModeTwo() { playMode_ = 2; }
    int GetPlayMode() const { return playMode_; }
    // Events 80001107..80001114 but 80001113.
    virtual int OnTableEvent(const EventRecord& record);
    virtual void OnDiceThrown();
    virtual void OnDealDone();

    // Notifications.
    virtual bool OnStartGameNotify(NotifyRecord record);  // 201160
    virtual bool OnNotify211240(NotifyRecord record);
    virtual bool OnNotify211300(NotifyRecord record);
    virtual bool OnCardThrown(NotifyRecord record);  // 222170
    virtual bool OnCardCaught(NotifyRecord record);  // 229160
    virtual bool OnNotify229165(NotifyRecord record);
    virtual bool OnNotify229170(NotifyRecord record);
    virtual bool OnNotify229175(NotifyRecord record);
    virtual bool OnGangHuNotice(NotifyRecord record);   // 229180
    virtual bool OnGameMsg229185(NotifyRecord record);  // peng by a seat
    virtual bool OnNotify229190(NotifyRecord record);
    virtual bool OnCardsGang(NotifyRecord record, int id);  // 229195/7/9
    virtual bool OnCardsHua(NotifyRecord record);           // 229210
    virtual bool OnAutoPlayStatus(NotifyRecord record);     // 229500
    virtual bool OnLookCardAsk(NotifyRecord record);        // 229550
    virtual bool OnLookCardReply(NotifyRecord record);      // 229570
    virtual bool OnNotify229580(NotifyRecord record);
    virtual void OnPlayerBack(int code, const int32_t* data, int count);
    virtual void OnPlayerAutoPlay(int code, const int32_t* data, int count);

    // The offer table.
    virtual void ClearOfferTable();
    OperationOffer& GetOffer(int kind);
    virtual void OfferOptionsAfterDraw(int options);

    // Operation buttons.
    virtual void CreateOperationButtons();
    virtual void LayoutOperationButtons();
    virtual void ShowOperationButtons(int show);
    virtual void SetAllOperationButtons(int on);
    virtual void SetOperationButton(int kind, int on);
    virtual void RefreshOperationButtons();
    virtual int OnHuButton();
    virtual int OnChiButton();
    virtual int OnGuoButton();
    virtual int OnPengButton();
    virtual int OnGangButton();
    virtual void OnAskCardView();
    virtual void ShowSkillPanel();
    virtual void HideSkillPanel();
    virtual void SlidePanel(int flag);

    // Requests.
    virtual int SendGameRequest(int32_t id, const void* data, size_t length, int wait);
    virtual int SendDiscard(int tileId);
    virtual int SendHua(int tileId, uint8_t* reply32);
    virtual int SendHuClaim(int chair, int tileId, int kind, int robbedKind);
    virtual int SendChiClaim(int thrower, int tileId, int tileA, int tileB);
    virtual int SendPass(int chair, int tileId);
    // The gang query (kind 1 on a thrown tile, 2 an own gang); the 48-byte
    // reply goes to reply48.
    virtual int SendGangQuery(int kind, int tileId, uint8_t* reply48);
    virtual int CatchCard();
    // What every granted own draw does before the tile comes in: the window
    // flashes, a held operation ends, the draw sounds, the previous
    // thrower's tile goes to its discards and the arrow goes.
    void AcceptOwnDraw();
    virtual int ThrowHandTile(int index);
    virtual int DeclareOwnHua(int index);

    // Own tiles.
    virtual int OnCardSpriteEvent(const EventRecord& record);
    virtual void PostStateEvent(CCardSprite* sprite);
    virtual void ClearHandMarks();
    virtual int RestrictDiscardChoice();
    virtual void CheckConcealedGang();

    // Table state.
    int GetTableState() const { return tableState_; }
    virtual void SetTableState(int state);
    virtual void ResetOperationState();
    virtual void OnRoundEnd(NotifyRecord record);
    virtual void PlayHuAnimation(int position);
    virtual void OnResultClosed();
    virtual void OnResultTimeout();
    // Cancels the result time-out still on its way: a hand that starts, a
    // later result or the player's own start keeps an earlier result's
    // time-out from acting.
    void ForgetResultTimeout() { ++resultSerial_; }

    // Table states.
    static constexpr int kStateNormal = 0;
    static constexpr int kStatePengHeld = 1;
    static constexpr int kStateGangChoice = 2;
    static constexpr int kStateChiChoice = 3;
    static constexpr int kStateHuHeld = 4;
    static constexpr int kOwnPosition = 3;
    // The own tile's event while a held peng waits (nothing in the base).
    static constexpr int kEventCardPengHeld = 80001121;
    // The look-card box's answers: param1 the asker's user id, param2 1
    // allowed, 0 refused.
    static constexpr int kEventLookCardAnswer = 80001147;
    static constexpr uint32_t kReplacementDelayMs = 200;
    static constexpr uint32_t kResultTimeoutMs = 15000;
    static constexpr int kLookCardBoxSeconds = 10;
    // Cancel button; an expired countdown answers with cancel.
    static constexpr int kLookCardBoxStyle = 0x1 | 0x4;
    static constexpr int kLookCardLineColor = 0x2C5858;
    static constexpr double kButtonDepth = 20000.0;
    static constexpr double kDiceDepth = 20000.0;

    // Sends the look-on permission the player chose for the asker.
    virtual void OnLookCardAnswer(int32_t askerUserId, int allow);
    // The operation button of a kind 1..5, or null; on = shown and taking
    // input.
    CCorvaneButton* GetOperationButton(int kind);
    bool IsOperationButtonOn(int kind);
    CCorvaneButton* GetStartButton() { return FindButton(startButtonId_); }
    CCorvaneButton* GetAskCardViewButton() { return FindButton(askCardViewButtonId_); }
    int GetOperationHeld() const { return operationHeld_; }
    int GetThrowWait() const { return throwWait_; }
    int GetDrawnTile() const { return drawnTile_; }

protected:
    class CMahjongConnection* GetMahjongConnection();
    // A chair of the table: 0 .. player count - 1.
    bool IsTableChair(int chair) const;
    // The screen position of a table chair; -1 for another chair.
    int SeatPositionOf(int chair) const;
    // A row, discard or thrown place still holds a tile.
    bool HasTilesOnTable();
    CSeatBoard* StatusSeatBoard(const int32_t* data, int count);
    // The seat whose turn comes before the position's, or -1.
    int GetPreviousTurnPosition(int position) const;
    // The concealed tiles of a row (standing, no meld), -1 after them.
    int CollectConcealedTiles(int position, std::span<int32_t> out);
    // The tile leaves the row for the last-thrown place, face up, just
    // thrown; a hidden row gives up a hidden tile for it. Null when the row
    // holds no such tile.
    CCardSprite* PutThrownTile(int position, int tileId, bool hiddenRow);
    void OfferClaimsOnThrow(int thrower, int tile, std::span<const int32_t> chairOptions, int next);
    // Reads a meld notice into the placement record; position -1 when its
    // values are out of range. False when too short.
    bool ReadMeldNotice(NotifyRecord record, MeldRecord& meld, int& position);
    void FollowOtherMeld(int position);
    int OnReplacementArrived(const EventRecord& record);
    void RenewOwnTileEvents();
    void HideDice();
    void SelectGangTile(CCardSprite& chosen);
    void ToggleChiTile(CCardSprite& chosen);
    void LiftHoveredTile(CCardSprite& hovered);
    void DropOwnTile(CCardSprite& dropped);
    int MakeTableButton(const char* image, int event);
    CCorvaneButton* FindButton(int id);
    void ShowViewPart(int id);
    void HideViewPart(int id);

public:
    // ---- Clock, pointer, auto-play, panels, sounds, events (clock) ----

    // Skin items of the clock, pointer, deposit panel and tool buttons.
    static constexpr char kClockDigitsImage[] = "digit_Clock_big";
    static constexpr char kClockHandImage[] = "clock_hand_big";  // a frame per direction
    static constexpr char kArrowImage[] = "bit_arrow";           // a frame per position
    static constexpr char kDepositImage[] = "gameinfo_bk_big";
    static constexpr char kDepositDigitsImage[] = "digit_basesdeposit_big";
    static constexpr char kVolumeButtonImage[] = "btn_Volume";
    static constexpr char kVolumePanelImage[] = "bit_volumebk";
    static constexpr char kSliderTrackImage[] = "slider_bk";
    static constexpr char kSliderThumbImage[] = "slider_bar";
    static constexpr uint32_t kClockTickMs = 1000;
    static constexpr uint32_t kPointerStepMs = 100;
    static constexpr int kHuAnchorMargin = 35;

    // Every event is answered 1; see TableViewEvents.cpp for the table.
    int OnEvent(const EventRecord& record) override;

    // Turn, clock and pointer.
    virtual void StartTurn();
    virtual void StartTurnClock();
    virtual void StopTurnClock();
    virtual void SetClockSeconds(int seconds);
    int GetClockSeconds() const { return clockSeconds_; }
    bool IsClockRunning() const { return clockTickAction_ != 0; }
    virtual void OnClockTick(const EventRecord& record);
    // A new run of 1000 ms ticks (80000107) carrying a new serial; the old
    // run's ticks no longer count.
    void RestartClockTicks();
    virtual void MoveTurnIndicator(int from, int to);
    virtual void OnPointerStep(const EventRecord& record);
    virtual int GetTurnDirection() const { return turnDirection_; }
    // The direction the pointer shows now (-1 before the first).
    int GetPointerShown() const { return pointerShown_; }
    virtual void ShowArrow(int position);
    virtual void OnTimerTick();
    virtual void OnTurnTimeOut();
    virtual void QuickCatch();
    // Whether an operation button is shown and takes input (an offer is
    // open to the player).
    bool IsAnyOperationButtonOn();
    // The win-picture point of a position.
    virtual TablePoint GetHuAnchor(int position);
    int GetTurnFlag(int index) const;
    void ClearTurnFlag(int index);

    // Auto-play.
    virtual void SetAutoPlayState(int state);
    int GetAutoPlayState() const { return autoPlayState_; }
    int IsAutoPlay() const { return autoPlay_; }
    virtual void ToggleAutoPlay();

    // Clock, deposit panel and tool buttons.
    virtual void CreateClock();
    virtual void CreateDepositDigits();
    virtual void ShowDepositPanel(int show);
    virtual void ShowDepositInfo();
    virtual void CreateToolButtons();
    virtual void ToggleVolumePanel();
    virtual void OnMusicVolumeChanged();
    virtual void OnSoundVolumeChanged();
    virtual void ToggleSetDlg() {}
    // Places clock, pointer, arrows, deposit panel and the volume button and
    // panel in the view's rectangle.
    virtual void LayoutClockAndPanels();
    CDigitDisplay* GetClockDigits();
    CCorvanePicture* GetClockHand();
    CCorvanePicture* GetArrow(int position);
    CCorvaneCanvas* GetDepositPanel();
    CDigitDisplay* GetDepositDigits();
    CCorvaneButton* GetVolumeButton();
    CCorvaneObject* GetVolumePanel();
    CSliderBar* GetMusicSlider();
    CSliderBar* GetSoundSlider();
    float GetMusicScale() const { return musicScale_; }
    float GetSoundScale() const { return soundScale_; }

    // Sounds and voices.
    virtual void PlaySound(const char* name);
    virtual std::string GetVoiceFile(int position, int tileId);
    virtual std::string GetVoiceFileByName(int position, const char* name);
    virtual int GetVoiceIndex(int tileId) const;
    virtual const char* GetOperationSoundName(int kind) const;
    virtual void PlayBackgroundMusic();

    // Frame events that reach empty operations here.
    virtual void OnRoundNotice() {}                                            // 80000002
    virtual void OnLookerEnter(const uint8_t* /*user*/, size_t /*length*/) {}  // 80000015
    virtual void OnLookerLeave(const uint8_t* /*user*/, size_t /*length*/) {}  // 80000017

    // Posts a table event (80001113, 80001114) carrying a copy of the
    // bytes in a heap block (param1 the block from AllocEventBlock, param2
    // its byte count). OnEvent frees the block after OnTableEvent, handled
    // or not; handlers never free it. The delayed action's handle, or 0
    // (nothing posted, nothing kept) when it could not be made.
    uint64_t PostTableBlock(int event, const void* data, size_t size, uint32_t delayMs);

protected:
    // ---- Fields (view) ----
    int playerCount_ = 4;
    int seatCount_ = 4;
    std::array<int, kCardPoolSize> cardIds_{};                            // engine ids; 0 none
    std::array<int, kWallSize> wall_{};                                   // pool index or -1
    std::array<std::array<int, kRowSize>, kPositions> rows_{};            // pool index or -1
    std::array<int, kPositions> lastThrown_{};                            // pool index or -1
    std::array<std::array<int, kDiscardPlaces>, kPositions> discards_{};  // pool index or -1
    std::array<int, kPositions> meldCounts_{};
    std::array<int, kPositions> seatBoardIds_{};
    std::array<int, kCardMetricCount> cardMetrics_{};
    // The metrics times the tile scale: what the tiles are laid out with.
    std::array<int, kCardMetricCount> placeMetrics_{};
    double tileScale_ = 1.0;
    int readyMarkPlacement_ = 0;
    int sortHandPictureId_ = 0;
    int sloganPictureId_ = 0;
    // From the view's bottom up to the operation buttons' row, less what
    // their layout adds.
    int handBottomMargin_ = 0;
    std::array<int32_t, 2> tableStateWords_{};  // cleared by ClearTable
    uint32_t tableSerial_ = 1;
    // The table's geometry, made by InitCardMetrics from the view
    // rectangle (view coordinates, whole pixels).
    struct TableGeometry {
        int left = 0, top = 0, width = 0, height = 0;
        int board = 0;                 // thickness of the seat boards at the edges
        int buttonBand = 0;            // height kept for the operation buttons above the own row
        int centreX = 0, centreY = 0;  // centre of the wall square
        int wallStep = 0;              // distance of two wall tiles along a side
        int wallOuter = 0;             // side of the wall square
        int ownBottom = 0;             // lower edge of the own row
        int topRowTop = 0;             // upper edge of the opposite row
        int leftRowLeft = 0;           // left edge of position 0's row
        int rightRowRight = 0;         // right edge of position 2's row
    };
    TableGeometry geometry_;

    // ---- Fields (play) ----
    int tableState_ = 0;
    int playMode_ = 0;
    std::array<OperationOffer, kOfferKinds> offers_{};
    int startButtonId_ = 0;
    int askCardViewButtonId_ = 0;
    int hideSkillButtonId_ = 0;
    int showSkillButtonId_ = 0;
    std::array<int, 5> operationButtonIds_{};  // Guo, Hu, Gang, Peng, Chi
    int skillPanelId_ = 0;
    std::array<int, 4> diceIds_{};  // two pairs
    int gangIdle_ = 1;
    int chiIdle_ = 1;
    int operationHeld_ = 0;
    int timedOut_ = 0;
    int throwWait_ = 0;
    // Counts the results and hand starts; a result time-out carries the
    // count of its result and acts only while it is still the latest.
    uint32_t resultSerial_ = 0;
    std::array<int32_t, 32> gangCandidates_{};
    int gangCandidateCount_ = 0;
    int gangPossible_ = 0;
    int32_t drawnTile_ = -1;
    // The table serial of the flower replacement on its way (0 none).
    uint32_t replacementSerial_ = 0;

    // ---- Fields (clock) ----
    int clockDigitsId_ = 0;
    int clockPictureId_ = 0;  // the clock hand, the pointer of the turn
    uint64_t clockTickAction_ = 0;
    uint32_t clockSerial_ = 0;  // carried by each tick of the running clock
    int clockSeconds_ = 0;
    int clockTicks_ = 0;     // ticks of the current countdown
    int clockTimedOut_ = 0;  // the current countdown has run OnTurnTimeOut
    int turnDirection_ = 6;
    int pointerShown_ = -1;
    uint32_t pointerSerial_ = 0;  // carried by each step of the current chain
    std::array<int, 3> turnFlags_{};
    std::array<int, kPositions> arrowIds_{};
    int autoPlay_ = 0;
    int autoPlayState_ = 0;
    int timerTicks_ = 0;
    int timerTickLimit_ = 2;
    int volumeButtonId_ = 0;
    int volumePanelId_ = 0;
    int musicSliderId_ = 0;
    int soundSliderId_ = 0;
    float musicScale_ = 1.0f;
    float soundScale_ = 1.0f;
    std::array<int, 2> volumeFlags_{1, 1};
    uint32_t backgroundMusic_ = 0;
    int depositPanelId_ = 0;
    int depositWildCanvasId_ = 0;
    int depositDigitsId_ = 0;

private:
    // ---- Helpers (view) ----
    // The row's entries in the order they are laid out: melds, the
    // concealed tiles, then the drawn tile.
    int RowLayoutOrder(int position, std::array<int, kRowSize>& order) const;
    // Size of a row tile (meld or concealed) at a position.
    TablePoint RowTileSize(int position, bool meld) const;
    bool RowPlace(const CCardSprite& sprite, TablePoint& centre, TablePoint& size);
    bool WallPlace(const CCardSprite& sprite, TablePoint& centre, TablePoint& size) const;
    bool DiscardPlace(const CCardSprite& sprite, TablePoint& centre, TablePoint& size) const;
    // Lays the metrics out for the scale and answers whether the table fits
    // the view.
    bool MakeGeometry();
    void RefreshSprite(CCardSprite* sprite);
    // Fills the first free place of 1..31 (after `after`), shifting the tiles
    // behind it; false when the row is full.
    bool InsertRowEntry(int position, int index, int poolIndex);
    void RenumberRow(int position);
    // Takes the pool entry out of every place that holds it (a row closes
    // up behind it).
    void DetachSprite(int poolIndex);
    // Takes `count` tiles for a meld out of the row: known rows by tile id,
    // hidden rows from the end; a missing tile is made from the pool.
    int TakeMeldTiles(int position, const int32_t* tiles, int count, int* poolOut);
    // Lays a finished meld into the row after the melds already there.
    void LayMeld(int position, const int* pool, int count, int meldKind, int sourcePosition);
    // The claimed tile of another seat's throw (its last-thrown place), or a
    // pool sprite carrying the tile.
    int TakeClaimedTile(int sourcePosition, int tileId);
    // A free pool sprite in use with the tile, or -1 (logged).
    int TakeMeldPoolTile(int tileId);
    // A meld's tiles: with flag 0 the hand tiles from the row and the
    // claimed tile from the source's thrown place, with flag 1 all from the
    // pool; the number gathered.
    int CollectMeldTiles(int position, const int32_t* hand, int handCount, int claimed, int source,
                         int flag, std::array<int, 4>& pool);
    int FindConcealedIndex(int position, int tileId) const;
    bool IsPlacedSprite(const CCardSprite& sprite) const;
    int OwnTiles(std::array<int32_t, 32>& tiles);
    void PlaceGangOfKind(int position, const MeldRecord& record, int flag, int meldKind);
    // The row index of the last tile of the position's peng of the tile's
    // face (its meld mark out), or -1.
    int FindPengEnd(int position, int tileId, int* markOut);
};
