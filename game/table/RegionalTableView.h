#pragma once
// The table view of the regional game, the main window view's "MainGame"
// child: the mahjong table view with the regional tile sprites and seat
// boards, the deal animation, the swap-three phase, the ready-hand badges,
// the voice box, the regional buttons and panels, and the result dialog.
//
// Rules:
//  - Engine objects the view makes are held by id and found again with a
//    kind check (GetXxx below); a part that was never made or is gone
//    answers null and every use tests for it.
//  - Records from the server arrive as byte spans with their length and are
//    read through the checked reader; a record too short changes nothing.
//  - Deferred steps are delayed engine events. The record an event carries
//    is kept by the view under a token (the event's second parameter) and
//    handed to the event's handler once; ClearTable drops the records of
//    events still on their way, and the view's end takes the rest.
//  - The dice's end, a deal step and the deal's end carry the hand's
//    serial: one of an earlier hand (after ClearTable, new dice, a new
//    deal or a new game start) does nothing.
//  - Everything runs on the UI thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "engine/ui/CorvaneButton.h"
#include "frame/panels/services/WelfareAllowance.h"
#include "game/result/ScoreText.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/table/MahjongTableView.h"

class CCorvaneCanvas;
class CCorvaneCursor;
class CCorvaneObject;
class CCorvanePicture;
class CGameResultDlg;
class CPlayerBoardSmall;
class CRegionalCardSprite;
class CRegionalConnection;
class CRegionalTableData;

// Module state the view's operations share (one table, one view).
// 1 when that chair has declared its ready hand.
extern int g_bBaoJiao[4];
// The own tiles that may be thrown with a ready declaration (-1 empty).
extern int32_t g_TingCandidates[32];
// The table received with the candidates; kept, never read here.
extern uint8_t g_TingTable[8192];
// A swap-three result record: words 12-23 three tile ids per chair, word 24
// the direction code, then the three tiles the own player chose. A game
// start outside the swap phase takes it from the hand state the table was
// entered with.
struct RegionalSwapRecord {
    static constexpr size_t kSize = 112;
    static constexpr size_t kDirectionWord = 24;
    std::array<int32_t, 25> words{};
    std::array<int32_t, 3> chosen{};

    static constexpr void Fields(auto& self, auto& f) { f(self.words), f(self.chosen); }
};
extern RegionalSwapRecord g_SwapRecord;

// The regional view's program events.
inline constexpr int kEventDealStep = 80001169;
inline constexpr int kEventMeldAnimationDoneA = 80001171;
inline constexpr int kEventMeldAnimationDoneB = 80001172;
inline constexpr int kEventVoiceButton = 80001173;
inline constexpr int kEventVoiceBoxClose = 80001174;
inline constexpr int kEventBubbleDone = 80001175;
inline constexpr int kEventWelfareButton = 80001176;
inline constexpr int kEventWelfareCooled = 80001177;
inline constexpr int kEventSwapChoice = 80001178;
inline constexpr int kEventSwapApply = 80001179;
inline constexpr int kEventSwapInfoToggle = 80001180;
inline constexpr int kEventQrCharge = 80001181;
inline constexpr int kEventAutoFixButton = 80001182;
inline constexpr int kEventCheckAutoFix = 80001183;
inline constexpr int kEventSecurePwdOk = 80001184;
inline constexpr int kEventRegionalSpare = 80001185;
inline constexpr int kEventHideDice = 80001186;
inline constexpr int kEventTingButton = 80001187;
inline constexpr int kEventTingTileClick = 80001188;
inline constexpr int kEventPointerMoved = 80001189;  // param1 1: it left the window
inline constexpr int kEventRegionalFirst = kEventDealStep;
inline constexpr int kEventRegionalLast = kEventPointerMoved;

class CRegionalTableView : public CMahjongTableView, public CWelfareHost {
public:
    // The rule word handed to the tile tests: bit 0x1 clear, so no tile is
    // wild or a flower in this game.
    static constexpr uint32_t kRuleFlags = 0xa0003100;
    static constexpr int kTilesInWall = 108;
    static constexpr int kDealSteps = 16;
    static constexpr uint32_t kDealStepMs = 200;
    static constexpr uint32_t kDealDoneMs = 3200;
    static constexpr uint32_t kWelfareCoolDownMs = 10000;
    static constexpr uint32_t kAutoFixCheckMs = 50;
    static constexpr double kDialogDepth = 80000.0;
    // The swap information and voice panels.
    static constexpr double kPanelDepth = 50000.0;
    static constexpr double kBadgeDepth = 49999.0;
    // The place metric of how far a raised own tile stands up.
    static constexpr int kLiftMetric = 17;
    static constexpr double kHuPictureDepth = 5000.0;
    static constexpr int kResultRecordBytes = int(table_protocol::kHandResultBytes);
    static constexpr int kSwapMessageBytes = int(table_protocol::SwapDiceNotice::kSize);
    // Table states of the swap-three phase.
    static constexpr int kStateSwapChoice = 100;
    static constexpr int kStateSwapSent = 101;
    static constexpr int kStateTingChoice = 6;

    CRegionalTableView();
    ~CRegionalTableView() override;

    // ---- Construction, layout, game start, deal, table clearing, events (view) ----

    int OnEvent(const EventRecord& record) override;
    // Base layout, then the regional parts (RecalcLayout).
    void Relayout() override;
    // The own seat board (RefreshOwnBoard); offline also every seat's.
    void OnEnterRoom() override;
    void ClearTable() override;
    void OnGameStart() override;
    void CreateCardSprites() override;
    CCardSprite* NewCardSprite() override;
    void CreateSeatBoards(int count) override;
    CSeatBoard* NewSeatBoard() override;
    void CreateDecorations() override;
    void CreateCursor() override;
    void RefreshSeatBoards() override;
    void StartGame() override;
    void ToggleVolumePanel() override;
    void OnMusicVolumeChanged() override;
    void OnSoundVolumeChanged() override;
    void PlayBackgroundMusic() override;
    uint32_t GetRuleFlags() const override { return kRuleFlags; }
    uint32_t GetCardsInPlay() const override { return kTilesInWall; }
    int GetWallStackCount() const override { return 28; }
    uint32_t GetHandTableSize() const override { return 18; }
    uint32_t GetHandTileLimit() const override { return 14; }
    void InitCardMetrics(int width, int height) override;
    void DealCards() override;
    // The dice's and the deal's ends carry the hand's serial: one posted
    // for an earlier hand does nothing.
    bool IsCurrentTableEvent(const EventRecord& record) const override;
    void OnRoundEnd(NotifyRecord record) override;
    void ToggleSetDlg() override;
    void OnResultClosed() override;
    void OnResultTimeout() override;
    // The welfare service of the table (settings request and claim).
    void RequestWelfareConfig(int32_t activityId) override;
    void ClaimWelfare(int32_t activityId, int32_t kind) override;
    CWelfareAllowance& GetWelfare() { return welfare_; }
    // What the welfare allowance asks of the table.
    void RunAutomaticWelfareClaim() override;
    bool IsGameInProgress() override;

    // Fills the result dialog from a GameResultRecord, shows and redraws it.
    void ShowResult(NotifyRecord record);
    // One step of the deal: `step` 0..15 at the screen position.
    struct DealStepRecord {
        int32_t round = 0;
        int32_t step = 0;
        uint32_t handSerial = 0;
    };
    void DealStep(int position, const DealStepRecord& step);
    // The application's table data as the regional kind, or null.
    CRegionalTableData* GetRegionalTableData();
    // Index of the largest of values[from .. to-1]; the first of equal
    // maxima wins; `from` for a range of one (or none).
    static int FindMaxIndex(const int* values, int from, int to);
    // The table data's wild-marking flag: while it is set no tile shows the
    // wild highlight.
    bool IsWildMarking();
    // The serial of the current hand (renewed by ClearTable, each game
    // start, each throw of the deal's dice and each deal); the dice's end,
    // the deal steps and the deal's end carry it.
    uint32_t GetHandSerial() const { return handSerial_; }
    // Heap records posted with the view's events and not yet delivered.
    size_t GetPendingRecordCount() const { return pendingRecords_.size(); }

    // Parts by their kind; null when not made or gone.
    CCorvaneCanvas* GetSwapInfoPanel();
    CCorvaneObject* GetVoicePhraseList();
    CCorvaneButton* GetVoiceButton();
    CCorvaneButton* GetSwapChoiceButton();
    CCorvaneButton* GetSwapInfoShowButton();
    CCorvaneButton* GetSwapInfoHideButton();
    CCorvaneButton* GetQrChargeButton();
    CCorvaneButton* GetAutoFixButton();
    CCorvaneButton* GetTingButton();
    CCorvaneButton* GetWelfareButton() override;
    CCorvaneObject* GetVoiceBox();
    CCorvaneObject* GetSecurePwdDlg();
    CCorvaneObject* GetAutoFixDlg();
    CCorvaneObject* GetSetDlg();
    CGameResultDlg* GetResultDlg();
    CCorvaneCursor* GetCursor();
    CCorvanePicture* GetBaoJiaoBadge(int position);
    CCorvanePicture* GetHuPicture(int position);
    CCorvanePicture* GetMeldAnimation();
    CPlayerBoardSmall* GetPlayerBoard(int position);
    CRegionalCardSprite* GetRegionalSprite(int poolIndex);

    // Plain fields of the view, named as the game's other code uses them.
    int m_nAutoFixAmount = 0;  // copied in by the auto top-up dialog
    int m_bAutoFix = 0;
    int m_bSwapChoosing = 0;  // the own player still picks three tiles
    int m_bTingIdle = 0;      // the ting button idle ("Btn_Ting")
    int m_bBaoJiao = 0;       // the own player has declared ready
    int m_nWeightShape = 1;
    int m_nWeightJiang = 100;
    int m_nWeightPnPn = 200;
    int m_nWeightShun = 50;
    int m_nWeightUse = 5;

protected:
    // Posts an event carrying a copy of `bytes` (param1 `first`, param2 the
    // copy's token). The view owns the copy until the event runs (then
    // TakeEventRecord hands it over once), the table is cleared or the view
    // dies. False (nothing posted, nothing kept) when it cannot be posted.
    bool PostHeapEvent(int event, intptr_t first, const void* bytes, size_t size, uint32_t delayMs);
    // The copy an event carries, taken out of the pending list; false when
    // it is gone (already taken, or dropped by ClearTable).
    bool TakeEventRecord(const EventRecord& record, std::vector<uint8_t>& bytes);
    // Hides and redraws a part when it exists.
    static void HidePart(CCorvaneObject* part);
    static void ShowPart(CCorvaneObject* part);
    // Opens a dialog or panel the player asked for: at its depth, or over
    // the table's dialogs that show (the result among them), lent the
    // keyboard until it closes.
    void OpenPart(CCorvaneObject* part, double depth);
    // A button of the skin posting `event` to the view, hidden; its id or 0.
    int MakeRegionalButton(const char* image, int event);
    // Registers a part the view made; its id, or 0 (the part deleted) when
    // it could not be registered.
    int AdoptPart(CCorvaneObject* part);
    void RefreshBoardsOfPlayers();

    // Ids of the parts (0 none).
    int swapInfoPanelId_ = 0;               // m_pSwapInfoPanel
    int voicePhraseListId_ = 0;             // m_pVoicePhraseList
    int voiceButtonId_ = 0;                 // m_pVoiceButton
    int swapChoiceButtonId_ = 0;            // m_pSwapChoiceButton
    int swapInfoShowButtonId_ = 0;          // m_pSwapInfoShowButton
    int qrChargeButtonId_ = 0;              // m_pQrChargeButton
    int autoFixButtonId_ = 0;               // m_pAutoFixButton
    int securePwdDlgId_ = 0;                // m_pSecurePwdDlg
    int autoFixDlgId_ = 0;                  // m_pAutoFixDlg
    int swapInfoHideButtonId_ = 0;          // m_pSwapInfoHideButton
    int tingButtonId_ = 0;                  // m_pTingButton
    int voiceBoxId_ = 0;                    // m_pVoiceBox
    int welfareButtonId_ = 0;               // m_pWelfareButton
    std::array<int, 4> baoJiaoBadgeIds_{};  // m_pBaoJiaoBadge
    int resultDlgId_ = 0;                   // m_pResultDlg
    int setDlgId_ = 0;                      // m_pSetDlg
    int cursorId_ = 0;                      // m_pCursor
    std::array<int, 4> huPictureIds_{};     // m_pHuPicture
    int meldAnimationId_ = 0;               // m_pMeldAnimation

private:
    // A deal step's tiles, without its sound and redraw; false when it
    // dealt nothing (an earlier hand's, refused, or done already).
    bool GiveDealStep(int position, const DealStepRecord& step);
    // The deal step's parts.
    void ReleaseDealtWall(int wallIndex);
    void GiveDealtTile(int position, int handIndex, const std::array<int32_t, 32>& ownTiles,
                       bool ownIsBanker);
    void RunGameStartSteps();
    void ShowBaoJiaoBadges();
    void MarkOfflineSeats();
    void EnterSwapPhaseOrPlay();
    void LayoutCornerButtons();
    void OnVoiceButtonEvent();
    void OnSwapInfoToggle();
    int OnTingTileEvent(const EventRecord& record);
    // What the view reads of the application and the table data.
    int SoundVolumeSetting();
    int MusicVolumeSetting();
    void SetSoundVolumeSetting(int volume);
    void SetMusicVolumeSetting(int volume);
    bool IsBackgroundMusicOn();
    bool IsKeepSilence();
    void SendSeatInfoRequest();
    void OpenQrCharge();
    void SetWildMarking(int on);
    // The chair's status word of the table's status block (0 outside 0-7).
    int32_t GetChairStatusWord(int chair);

    // A play record that changes the rows while the hand's dice roll or its
    // deal is still being drawn ends both first: the dice at once (the deal
    // starts; a second pair yet to show never does), the deal's remaining
    // steps at once, in order, with one sound, and its end (OnDealDone); the
    // dice, steps and end posted for later then do nothing. Nothing happens
    // outside the dice and deal of the current hand.
    void FinishDeal();

    // The deal DealCards started: its hand's serial, the position of each
    // step, the steps done (bit k for step k) and whether its end has run.
    struct DealRun {
        uint32_t handSerial = 0;
        int steps = 0;
        std::array<int, kDealSteps> positions{};
        uint32_t stepsDone = 0;
        bool ended = false;
    };

    CWelfareAllowance welfare_{*this, *this};
    uint32_t handSerial_ = 1;
    DealRun deal_;
    // The dice ThrowDice set rolling for the hand of the serial, and their
    // group of actions; the deal follows them (OnDiceThrown).
    bool diceRolling_ = false;
    uint32_t diceHandSerial_ = 0;
    uint64_t diceGroup_ = 0;
    bool swapDiceThrown_ = false;  // this choice's dice came: a second record is dropped
    uint32_t nextRecordToken_ = 1;
    std::map<uint32_t, std::vector<uint8_t>> pendingRecords_;

public:
    // ---- Claims, requests, thrown tile and own draw (claims) ----

    // Play requests and their replies. A Submit answers 1 on success.
    virtual int RequestCatch(std::span<uint8_t> reply);  // 445, 229000
    virtual int RequestDiscardGang(table_protocol::OperationRecord& out,
                                   std::span<uint8_t> reply);  // 446, 229045
    virtual int RequestConcealedGang(int32_t tile, table_protocol::OperationRecord& out,
                                     std::span<uint8_t> reply);  // 447, 229047
    virtual int RequestAddedGang(const int32_t* threeTiles, table_protocol::OperationRecord& out,
                                 std::span<uint8_t> reply);  // 448, 229049
    virtual int RequestPeng(table_protocol::OperationRecord& out,
                            std::span<uint8_t> reply);  // 449, 229025
    virtual int SubmitPeng();
    virtual int SubmitDiscardGang();
    virtual int SubmitConcealedGang(int32_t tile);
    virtual int SubmitAddedGang(int32_t tile);
    // Thrown tile and own draw (the base answers the kong/hu notice).
    bool OnCardThrown(NotifyRecord record) override;  // 222170
    // Another seat's draw, dropped with one log line when that seat holds
    // a tile over (TableViewSeatDraw.cpp).
    bool OnCardCaught(NotifyRecord record) override;  // 229160
    int CatchCard() override;
    void OfferOptionsAfterDraw(int options) override;
    // The gang's replacement tile (80001113), else the base's table events.
    int OnTableEvent(const EventRecord& record) override;
    // 1 when the Gang button was offered after the last draw.
    int m_bGangOffered = 0;
    // The own chair has declared its ready hand (g_bBaoJiao).
    bool IsOwnTingDeclared() const;

    static constexpr uint32_t kGangReplacementDelayMs = 200;
    static constexpr int kEventCatchMoved = 80001160;
    // Seconds the clock keeps after a refused concealed gang re-offers it,
    // and before a ready hand throws its replacement.
    static constexpr int kConcealedGangExtraSeconds = 3;
    static constexpr int kTingReplacementSeconds = 2;

private:
    // The table data's first time value (dword 18: the own turn after a
    // draw or claim) and second (dword 39: the wait after a throw).
    int OwnTurnSeconds();
    int AfterThrowSeconds();
    // The head of a play request (user, room, table, own chair).
    table_protocol::RequestHead ClaimsRequestHead();

protected:
    // The connection the play requests go through (the application's).
    virtual CRegionalConnection* GetPlayConnection();

private:
    // Whether the seat at the position may draw now: not while it holds
    // 3n+2 tiles. False, with one log line, when it may not.
    bool TakeDrawTurn(int position);
    // The tiles the position holds, a meld counted as three (a gang too).
    int HeldTileCount(int position);
    // Posts the gang's replacement step with a copy of the reply.
    void PostGangReplacement(std::span<const uint8_t> reply);
    int TakeGangReplacement(const EventRecord& record);
    // After a refused concealed gang: the tile raised again and Gang
    // enabled; nothing is sent.
    void ReofferConcealedGang(int32_t tile);
    // The pass or the 1-second clock a ready hand gets after an offer.
    void FollowReadyHandOffer(bool gangOffered, bool huOffered);
    void GiveWildLook(CCardSprite& sprite);
    // A gang request (229045, 229047, 229049) with its record; the result
    // code (10100 when it could not be sent).
    int SendGangRecord(uint32_t requestId, const table_protocol::OperationRecord& record,
                       std::span<uint8_t> reply);
    // The server's tile of an own draw or replacement into the own row,
    // sorted in; null (logged) for a tile the table does not know or no
    // place for it.
    CCardSprite* TakeOwnDrawnTile(const table_protocol::OperationReply& reply);
    // What a drawn tile allows: the gang (only that in a declared ready
    // hand), the hu, and the ting data the reply carries.
    void OfferAfterOwnDraw(const table_protocol::OperationReply& reply);

public:
    // ---- Operation buttons and ready-hand declaration (buttons) ----

    // The row of six: Guo, Hu, Gang, Peng, Chi (shown only with the chi
    // rule) and Ting, and the four ready-hand badges.
    void LayoutOperationButtons() override;
    void ShowOperationButtons(int show) override;
    void SetAllOperationButtons(int enable) override;
    // Kinds 1-6 (kOpPeng .. kOpTing). Disabling returns a two-mode button
    // to its idle picture; enabling keeps the picture it shows.
    void SetOperationButton(int kind, int enable) override;
    void RefreshOperationButtons() override;
    int OnGangButton() override;
    int OnGuoButton() override;
    // In a declared ready hand only the gang is offered after a draw; the
    // gang entry's offered flag keeps whether it was.
    void OfferGangInTing(uint32_t flags);
    // The button of a kind 1-6, or null.
    CCorvaneButton* GetOperationButtonOfKind(int kind);
    // Where the six buttons stand, shown or not: the signs and bubbles
    // placed on the table keep off them.
    std::vector<IntRect> GetOperationButtonBoxes();
    // An own tile chosen among two or more fours (table state 2): only it
    // is raised, then its gang is sent (added or concealed).
    int OnGangTileSelect(CCardSprite& chosen);

    // The ready-hand declaration.
    virtual void ApplyTingInfo(std::span<const uint8_t> ting);
    virtual void OnTingButton();
    void MarkTingCandidates();
    virtual void OnTingTileClick(CCardSprite* sprite);
    // 1 when the declaration was accepted and the tile thrown.
    int ThrowForTing(int handIndex);
    // Sends 400009 for the tile; 1 when the server answered result 10.
    virtual int SendTingThrow(int tile);
    // The 400009 record for the tile (all 360 bytes; the first 104 + 4 x
    // count are sent).
    table_protocol::TingThrowRecord BuildTingThrowRecord(int tile);
    virtual bool OnTingThrowNotify(NotifyRecord record);  // 400010

private:
    // An own gang (own turn, drawn tile showing) and a gang on a thrown
    // tile.
    int OnOwnGangClick();
    int OnThrownTileGangClick();
    // The gang of the one raised own tile: added when the face's other
    // tiles lie in a peng, concealed when they are free.
    int SubmitRaisedGang();
    // Gang, Hu and Guo as they were offered when the ready-hand choice
    // began; the cancel gives them back.
    std::array<int, 3> offersBeforeTing_{};

public:
    // ---- Turn time-out, swap panel, look-on and hand display (timeout) ----

    virtual int GetFaceIndex(int tile);          // 444
    virtual void ShowBankerDice(int secondDie);  // 450
    virtual void DrawSwapInfo(std::span<const uint8_t> swapRecord);
    void FillOwnHand() override;
    void ShowSkillPanel() override;
    // The base answer, then "SndTanPai" when a refusal turns the watched
    // hand face down.
    bool OnLookCardReply(NotifyRecord record) override;  // 229570
    // The swap panel's two chairs for a die: the one the own player
    // receives from, then the one he gives to.
    static std::array<int, 2> SwapPanelChairs(int ownChair, int die);
    CCorvaneButton* GetSwapInfoCloseButton();
    // The time-out ladder: finishes whatever the player left open (the
    // swap choice, a held claim, a hu in a ready hand, the drawn tile, the
    // draw).
    void OnTurnTimeOut() override;
    // The suit (0-9) the own visible, active tiles hold most of; the lower
    // suit on a tie; hidden tiles are not counted.
    int FindFullestSuit();

private:
    void AttachSwapInfoCloseButton(CCorvaneCanvas& panel);
    void PutStartPlaceholder(CRegionalTableData& data, int own);
    void CompleteSwapChoice();
    // Raises up to `wanted` own tiles of the suit not raised yet, in row
    // order; answers how many.
    int RaiseOwnTilesOfSuit(int suit, int wanted);
    void TimeOutHeldGang();
    void TimeOutOwnTurn(bool declared);
    // The draw a time-out makes: state 0, the time-out flag, the first
    // time value on the clock.
    void DrawOnTimeOut();
    bool IsOwnFlower(int tile);

    int swapInfoCloseButtonId_ = 0;

public:
    // ---- Automatic top-up and the in-table dialogs (topup) ----

    // Reads the top-up settings of the user file again and tops up when the
    // switch is on and the own silver is below the amount (a looker-on:
    // nothing).
    virtual void CheckAutoFix();
    // Refills the own silver up to `amount` from the safe box: asks whether
    // the box has a protect password, then shows the password prompt with
    // the missing silver, or takes it at once.
    virtual void StartAutoFix(int amount);
    // Moves `silver` from the safe box into the game with the password's
    // answer (0 without a password); a failure is told in the chat.
    virtual void TakeSilverForAutoFix(int silver, uint32_t password);
    // The in-table dialogs.
    virtual CCorvaneObject* NewGameSetDlg();
    virtual CCorvaneObject* NewAutoFixDlg();
    virtual CCorvaneObject* NewSecurePwdDlg();
    // The safe box's requests (the frame connection's by default): the
    // protect-password query (200043, six words out) and the take (200041).
    // Nonzero on success; `text` gets the server's text.
    virtual int QueryProtectPassword(std::string& text, std::span<int32_t> out, uint32_t& result);
    virtual int TransferIntoGame(std::string& text, int32_t silver, int32_t answer);
    // The page that resets the protect password, on the room's web host
    // ("" when the room names none).
    std::string GetSecurePwdResetUrl();
    static constexpr uint32_t kSafeBoxPauseMs = 100;
    static constexpr uint32_t kResultNoProtectPassword = 60000;
    static constexpr double kSecurePwdDepth = 89980.0;

    // ---- Play events, own hand, swap-three and dice (play) ----

    uint32_t GetCardIdCount() const override;
    int ThrowHandTile(int index) override;
    int DeclareOwnHua(int index) override;
    bool OnCardsHua(NotifyRecord record) override;       // 229210
    bool OnGameMsg229185(NotifyRecord record) override;  // peng by a seat
    bool OnCardsGang(NotifyRecord record, int id) override;
    virtual int OnGangOnDiscardButton();
    virtual int OnConcealedGangButton(int selection);
    virtual int OnAddGangButton(int selection);
    int OnPengButton() override;
    int OnHuButton() override;
    void ToggleAutoPlay() override;
    void StopTurnClock() override;
    void RestoreMelds() override;
    int RestrictDiscardChoice() override;
    void OnPlayerAutoPlay(int code, const int32_t* data, int count) override;
    virtual void MarkWildTilesInHand();
    // Own-hand tile interaction.
    void PostStateEvent(CCardSprite* sprite) override;
    int OnCardSpriteEvent(const EventRecord& record) override;
    void CheckConcealedGang() override;
    virtual int MarkConcealedGangTile();
    virtual void GreyAllButQuadruples();
    void ClearHandMarks() override;
    // Swap-three and dice.
    // The deal's end: the swap choice opens, or, in a hand without the swap
    // phase (start flag 0x10 clear), play starts on the banker's turn.
    void StartPlay() override;
    void ThrowDice() override;
    // The dice are over: the deal starts, unless a play record started it
    // already (then what is left of the dice goes).
    void OnDiceThrown() override;
    virtual int OnSwapTileClick(CCardSprite* sprite);
    virtual void ConfirmSwapChoice();
    virtual bool OnSwapReady(NotifyRecord record);  // 229480
    virtual bool OnSwapDice(NotifyRecord record);   // 222168
    // The swap's choice is open or sent and its dice have not come yet.
    bool AwaitsSwapDice() const;
    virtual void ThrowSwapDice(NotifyRecord record);
    // The exchange, from event 80001179's heap copy of 222168.
    virtual void ApplySwapResult(NotifyRecord record);
    virtual void CreateSwapInfoCanvas();
    // The deal's end, once per deal: the steps not yet drawn are dealt,
    // the wild tiles of the dealt hand are marked, then the base sorts the
    // hand and starts play.
    void OnDealDone() override;
    // The chair whose three tiles `chair` receives, by the swap die: die
    // mod 3 (taken non-negative) 0 the next chair up, 1 the one below, 2
    // the opposite.
    static int SwapSourceChair(int chair, int die);
    // Seconds the player has for the swap-three choice.
    static constexpr int kSwapChoiceSeconds = 30;
    static constexpr uint32_t kDiceShowMs = 1000;
    static constexpr uint32_t kSwapApplyDelayMs = 30;
    static constexpr int kEventDicePairShown = 80001107;
    // Counters of the own tiles by tile index; only indices 1-63 count.
    using IndexCounts = std::array<int, 64>;

private:
    // Own hand: the tiles of each index among the own row (as the gang
    // preparation counts them: visible, no gang tile, the ready hand's
    // restriction, and with `skipWildPeng` no peng tile of the wild face).
    IndexCounts CountOwnTileIndices(bool skipWildPeng);
    int OnOwnTileHoverOn(CCardSprite& sprite);
    // A tile the pointer raised holds it on its face and in the strip it
    // rose from (it rises out from under a pointer at its foot); anywhere
    // else, or out of the window, the tile comes down.
    bool HoldsPointer(CCardSprite& sprite, const InputState& input, bool stripOnly);
    void OnPointerMoved(const EventRecord& record);
    void DropHoverLift(CCardSprite& sprite);
    void SetTableCursor(int cursor);
    // Play events.
    bool IsOtherSeatMeld(NotifyRecord record);
    void SwitchTingButtonOff();
    // Swap-three and dice.
    CRegionalConnection* GetRegionalConnection();
    std::array<int, 4> ReadTableDice();
    // The dice faces of the values (v > 0), hidden, then "SndDice".
    void SetDiceFaces(const std::array<int, 4>& dice);
    void AnimateDie(int index, bool now);
    void WriteSwapChatLines(int die);
    void TakeReceivedTiles(const table_protocol::SwapDiceNotice& swap);
    // Greys the own tiles the server gave away for a player who chose none.
    void MarkServerChoice(std::span<const int32_t> given);
    // Play starts on the banker's turn: after the swap's exchange (with its
    // record: the banker's first options and dice), or at the deal's end of
    // a hand without the swap (null).
    void HandOverToBanker(const table_protocol::SwapDiceNotice* swap);

public:
    // ---- Voices, round text, auto discard, animations, voice box, regional buttons (show) ----

    std::string GetVoiceFile(int position, int tileId) override;
    std::string GetVoiceFileByName(int position, const char* name) override;
    void ShowRoundInfo() override;
    void OnTimerTick() override;
    void LoadAiSettings() override;
    virtual int SuggestDiscard();
    void CreateOperationButtons() override;
    virtual void AutoApplyWelfare();
    virtual void CreateMeldAnimation();
    virtual void ClearMeldAnimation();
    virtual void LayoutMeldAnimation();
    virtual void PlayMeldAnimation(int eventId);
    void PlayHuAnimation(int position) override;
    // The win picture's centre: nearest the base's anchor where the picture
    // lies inside the table, covers no seat board, no tile of the winner's
    // row and nothing of the result dialog shown with it, and lies nearer
    // the winner's board than any other; the base's anchor when no such
    // place is left.
    TablePoint GetHuAnchor(int position) override;
    const char* GetOperationSoundName(int kind) const override;
    virtual void CreateVoiceBox();
    virtual void FillVoicePhraseList();
    virtual void HideVoiceButton(int onlyForLookers);
    virtual bool OnVoicePhraseChat(NotifyRecord record);  // 211200
    // Destroys the win animation's particles (with the win pictures).
    virtual void DestroyWinParticles();

    // The discard hint's tables: tile indices 0-48 (suit x 10 + value; 0
    // no tile) and suits 0-4.
    static constexpr int kTileIndexCount = 49;
    static constexpr int kSuitCount = 5;
    // Score of the own concealed tiles (hand ids, -1 empty) without the
    // tile at `skipped`, weighed with the view's five weights against the
    // tiles still out and the suits of the own melds.
    int ScoreHandWithout(const std::array<int32_t, kRowSize>& hand,
                         const std::array<int, kTileIndexCount>& remaining,
                         const std::array<int, kSuitCount>& meldSuits, int skipped) const;
    // The automatic welfare claim's test and claim.
    static constexpr int64_t kAutoWelfareLine = 200;
    virtual int IsAutoWelfareAllowed(const WelfareConfig& config);
    virtual void ApplyWelfare(const WelfareConfig& config);
    // The safe box's balance (request 200040); false when the query fails.
    virtual bool QuerySafeBoxBalance(int32_t& balance);
    // The own game silver plus the safe box's balance, summed in 64 bits;
    // false when the query fails.
    bool QueryOwnTotalSilver(int64_t& total);
    // The clock of the welfare claims (the allowance's and the view's).
    void SetWelfareClock(const WelfareClock& clock);
    // The live particles of the win animations, by id.
    const std::vector<int>& GetWinParticleIds() const { return particleIds_; }

private:
    static constexpr size_t kVoiceFileBytes = 260;
    // Plays "male_"/"female_" + the voice name + ".ogg" for the seat at the
    // position; the file played, or "" when nothing played.
    std::string PlaySeatVoice(int position, const char* voiceName);
    void PlayPhraseVoice(int32_t sex, int phrase);
    // Wild tile 0 or 1 of the hand, or -1.
    int WildTile(int index);
    // A hidden button of the skin posting `event` to the view, with a tip
    // shown under the mouse; its id or 0.
    int MakeTipButton(const char* image, int event, const char* tip);
    // One particle of a win burst, `rank` 0-9 in its slice.
    void LaunchParticle(const FrameRecord& slice, TablePoint anchor, int width, int height,
                        int rank);

    std::vector<int> particleIds_;
    WelfareClock welfareClock_;

public:
    // ---- Result dialog, deposit panel, score text (result) ----

    // The deposit panel: the stake and, when the hand has one, the wild
    // tile; small below a screen height of kBigDepositHeight.
    void ShowDepositInfo() override;
    // The base layout, then the deposit panel in the corner inside the wall
    // above and right of the centre square.
    void LayoutClockAndPanels() override;
    // The end-of-hand score lines from the stored result record.
    virtual void WriteHandScoreText();
    // What the score lines show: the room, the own chair and per chair the
    // name and the change (no seats when no result is stored).
    score_text::HandScoreFacts CollectHandScoreFacts();
    // n in Chinese numerals into out; answers out.
    static std::string& FormatChineseNumber(std::string& out, int n);

    static constexpr int kBigDepositHeight = 601;
    bool IsSmallDepositPanel();
    // The frame of "800_middle3" the deposit panel shows (-1 none).
    int GetDepositWildFrame() const { return depositShowsWild_ != 0 ? depositWildFrame_ : -1; }

private:
    // Places the panel, its figure and its wild tile (shown with the panel
    // when `showing`).
    void PlaceDepositPanel(bool showing);
    int DepositTileFrame(int32_t tileId);

    int depositShowsWild_ = 0;
    int depositWildFrame_ = -1;
    int depositSmall_ = 0;
};
