#pragma once
// The engine view that fills the main game window. It paints the window's own
// chrome (top bar with the title and title buttons, borders, the tiled table
// background), hosts the table view "MainGame" and the side panel
// "SubSystem", keeps the side panel's width and the maximised state, moves
// and sizes the main window itself, applies the close rules, answers the
// program events of its children, and carries the match panel, the player
// cards and the information boxes. The mahjong layer and the regional game
// derive their views from it and replace some of its virtual operations, so
// the order of the virtual operations below is kept as it stands.
//
// Rules:
//  - Engine parts are held by id and found again with a kind check; a part
//    that is gone is skipped. The children are returned only while the
//    engine still holds them under their ids.
//  - Everything runs on the UI thread.
//  - Records from the server travel with their byte count and are read only
//    within it.
//
// Files: GameFrameView.cpp (construction, layout, children), FrameViewChrome
// .cpp (painting), FrameViewEvents.cpp (the event table, the match event
// queue), FrameViewActions.cpp (window actions, close rules, shop and match
// pages, waiting pictures); FrameViewMatch*.cpp (match panel) and
// FrameViewCards.cpp (cards, boxes, forwarders).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/CorvaneView.h"
#include "engine/EventRecord.h"
#include "frame/view/FramePanelSeams.h"

class CCorvaneEventQueue;

class CCorvaneButton;
class CCorvaneCanvas;
class CCorvanePicture;
struct FrameRecord;
struct MatchPlayerCard;  // the match card's record, defined with the match panel

// The skin picture of the auto-play sign the frame shows over the table.
inline constexpr char kAutoPlaySignPicture[] = "animation_autoplaying";

// Program events of the frame view.
inline constexpr int kEventMatchBeginRequest = 80000006;
inline constexpr int kEventForceQuitConfirm = 80000008;
inline constexpr int kEventForceQuitCancel = 80000009;
inline constexpr int kEventExitAnswer = 80000010;
inline constexpr int kEventEliminationRound = 80000024;
inline constexpr int kEventMatchEndQueued = 80000027;
inline constexpr int kEventMatchResultQueued = 80000029;
inline constexpr int kEventSignUp = 80000039;
inline constexpr int kEventGiveUp = 80000040;
inline constexpr int kEventCardShop = 80000041;
inline constexpr int kEventPlayerCard = 80000042;
inline constexpr int kEventMatchCountdown = 80000045;
inline constexpr int kEventSeatBoardEnter = 80000047;
inline constexpr int kEventSeatBoardLeave = 80000048;
inline constexpr int kEventCardEnter = 80000049;
inline constexpr int kEventCardLeave = 80000050;
inline constexpr int kEventCardClose = 80000051;
inline constexpr int kEventOpenSettings = 80000084;
inline constexpr int kEventSettingsButton = 80000086;
inline constexpr int kEventHelpButton = 80000087;
inline constexpr int kEventShopButton = 80000088;
inline constexpr int kEventCloseButton = 80000089;
inline constexpr int kEventConfirmLeave = 80000090;
inline constexpr int kEventCloseWindow = 80000091;
inline constexpr int kEventHoverOn = 80000092;
inline constexpr int kEventHoverOff = 80000093;
inline constexpr int kEventToggleMaximize = 80000094;
inline constexpr int kEventMinimize = 80000095;
inline constexpr int kEventTopBarDrag = 80000096;
inline constexpr int kEventDragBegin = 80000097;
inline constexpr int kEventDragEnd = 80000098;
inline constexpr int kEventAwardPage = 80000099;
inline constexpr int kEventExchangePage = 80000100;
inline constexpr int kEventSignalMainGame = 80000003;

// Colours are 0x00BBGGRR.
inline constexpr uint32_t kChromeFillColor = 0x4cb122;
inline constexpr uint32_t kChromeColorKey = 0xff00ff;

class CGameFrameView : public CCorvaneView {
public:
    static constexpr char kMainGameName[] = "MainGame";
    static constexpr char kSubSystemName[] = "SubSystem";
    static constexpr char kViewName[] = "GameFrame";
    static constexpr int kNormalSidePanelWidth = 250;
    static constexpr uint32_t kExitRequestWaitMs = 30000;

    CGameFrameView();
    ~CGameFrameView() override;

    // --- replaced operations of the engine view ---
    // Names the view, builds the chrome and title buttons, and in a match
    // client the match objects.
    void Create() override;
    int OnEvent(const EventRecord& record) override;
    void Relayout() override;
    // The launch record is applied: the children enter the room, then the
    // application enters the game.
    virtual void OnGameDataReady();

    // --- the view's own virtual operations, in this order ---
    virtual void ApplyLayoutSettings();
    virtual void OnCreateBegin();
    virtual void PaintBackground();
    virtual void PaintTopBar();
    virtual void PaintLeftBorder();
    virtual void PaintRightBorder();
    virtual void PaintBottomBorder();
    virtual void LayoutSplitter();
    virtual void CreateFrameButtons();
    virtual void OnCreateEnd();
    virtual void SetMainGame(CCorvaneView* view);
    virtual void SetSubSystem(CCorvaneView* view);
    virtual int GetDefaultSidePanelWidth();
    virtual void OnEnterResult210200();
    virtual void OnEnterResult210210();
    virtual void OnEnterResult210220();
    virtual void OnMatchSignedUp();
    virtual void ShowNotSignedUp();
    virtual void ShowWashedOut();
    virtual void ShowMatchOver();
    virtual void ShowMatchLate();
    virtual void ShowSystemCancel();
    virtual void ShowSelfCancel();
    virtual void ShowWaitSignUpCheck();
    virtual void ShowSystemRejected();
    virtual void ShowMatchAlreadyStarted();
    virtual void OnSignUpSucceeded();
    virtual void OnWithdrawn();
    virtual void RequestClose();
    virtual void LeaveAndClose();
    virtual void OpenShopItem(int32_t itemId);
    virtual void OnPlayerCardEvent(int32_t userId);
    virtual void SignUpForMatch();
    virtual void GiveUpMatch();
    virtual void ShowPlayerCard(int32_t userId, int x, int y);
    virtual void FadeOutPlayerCard(int32_t userId);
    virtual void ToggleMaximize();
    virtual void Minimize();
    virtual void DragMove();
    virtual void BeginDrag(int x, int y);
    virtual void EndDrag();
    virtual void OpenSettings();
    virtual void OpenHelp();
    virtual void OpenShop();
    virtual int GetNormalWidth();
    virtual int GetNormalHeight();
    virtual void PlacePlayerCardAt(int32_t userId, int x, int y);
    virtual void PlacePlayerCard(int32_t userId, int pinned);
    virtual void ShowAutoPlayAnimation(int on);
    // Either answer may be null.
    virtual void ShowInfoBox(const char* text, const EventRecord* okEvent,
                             const EventRecord* cancelEvent, int seconds, int style,
                             const char* image);
    virtual void ShowNoticeBox(const char* text, int seconds, int style, const char* image);
    virtual void ShowNoticeBoxEx(const char* text, const char* detail, int kind, int seconds,
                                 int buttons, int style, const char* okCaption,
                                 const char* cancelCaption);
    // The match result body (211191) and the match end body (211190).
    virtual void ShowMatchResult(const uint8_t* body, size_t length);
    virtual void ShowMatchEnd(const uint8_t* body, size_t length);
    virtual void CloseMatchResult();
    virtual void RequestCardUserInfo();
    virtual void FillMatchPlayerCard(const MatchPlayerCard& card);
    // The user record bytes as the hall sent them (UserRecord::kSize).
    virtual void FillPlayerDetail(const uint8_t* userRecord);
    virtual void OpenCardUserDetail();
    virtual void ShowMatchWelcome();
    virtual void ShowSystemBoard(const char* text, uint32_t color, int size);
    virtual void ShowEliminationRound();
    virtual void OnMatchBegin(const uint8_t* record, size_t length);
    virtual void OnRestTables(const uint8_t* record, size_t length);
    virtual void OnMatchPlayerInfo(const uint8_t* record, size_t length);
    // Queue the match end (80000027) and result (80000029) for this view;
    // dropped with a log line without the match event queue.
    virtual void OnServerNotice211190(const uint8_t* record, size_t length);
    virtual void OnServerNotice211191(const uint8_t* record, size_t length);
    virtual void ForwardRandomTable(const uint8_t* record, size_t length);
    virtual void ForwardUserEnterTable(const uint8_t* seatRecord, size_t length);
    virtual void ForwardUserLeaveTable(const uint8_t* seatRecord, size_t length);
    virtual void ForwardLookOnEnter(const uint8_t* userRecord);
    virtual void ForwardLookOnLeave(const uint8_t* userRecord, size_t length);
    virtual void ShowExitRequestBox(const uint8_t* record, size_t length);
    virtual void ForwardChangeTable(const uint8_t* record, size_t length);
    virtual void ForwardBaseSilver(const uint8_t* record, size_t length);
    virtual void ForwardPrizeNotify(const uint8_t* record, size_t length);
    virtual void ForwardPlayersRenamed(const uint8_t* names, size_t length);
    virtual void SignalMainGame();

    // --- plain operations ---
    // The children, or null while missing.
    CCorvaneView* GetMainGame();
    CCorvaneView* GetSubSystem();
    // The title bar's settings button, or null (a skin without it).
    CCorvaneObject* GetSettingsButton() { return FindPart<CCorvaneObject>(settingsButtonId_); }
    // The player card (the detail and the match card), or null until first filled.
    CCorvaneCanvas* GetPlayerCard();
    // The match client's queue of server records; null outside match mode.
    CCorvaneEventQueue* GetEventQueue();
    void SetSidePanelWidth(int width);
    int GetSidePanelWidth() const { return sidePanelWidth_; }
    int GetVisibleSidePanelWidth() const { return visibleSidePanelWidth_; }
    // 1 while the window fits the work area, 0 at its normal size.
    int GetWindowFitMode() const { return windowFitMode_; }
    int IsMaximized() const { return maximized_; }
    int UpdateMaximizedState();
    void ShowQuitConfirmBoard();
    void ShowForceQuitBox();
    void ShowMatchWait(int kind);
    void HideMatchWait();
    void ShowMatchNotice(const char* imageKey);
    void HideMatchNotice();
    void OpenAwardPage();
    void OpenExchangePage();
    // Match panel.
    void SendRoundRequest();
    void UpdateMatchCountdown();
    void StartMatchCountdown();
    void StopMatchCountdown();
    void HideMatchNotices();
    void StackInfoBox(CCorvaneObject* box);
    // Cards.
    void ShowPlayerDetail(int32_t userId, int hide);
    // Whether the player card is showing this user.
    bool IsPlayerCardShownFor(int32_t userId);

    // Where the boxes, splitter and bars come from.
    void SetPanelFactories(FramePanelFactories factories);
    // The close rules for a player in a running game: the waiting line, the
    // force-quit box, the locked-room box or the question to leave.
    void AskBeforeLeaving();

protected:
    // The engine part of that id when it is of the kind asked for.
    template <class T>
    T* FindPart(int id) {
        return id != 0 ? dynamic_cast<T*>(FindObjectById(id)) : nullptr;
    }
    // Registers an object a factory made and returns its id; a view without
    // an engine deletes it and answers 0.
    int AdoptPart(CCorvaneObject* object);
    // The frame of an image resource (its width and height 0 when missing).
    FrameRecord ImageFrame(const char* name, int frame = 0);
    // A registered image button with the title buttons' sounds; its id.
    int MakeImageButton(const char* image, int event);
    // Heights and widths of the chrome with their fallbacks.
    int TopBarHeight();
    int BorderWidth(const char* image);
    int BottomBarHeight();
    // The MainGame rectangle, or the view's own when MainGame is missing.
    IntRect MainGameRect();
    bool IsSplitterExpanded();
    void FoldSplitterOnSmallScreen();
    void BuildMatchObjects();
    void PlaceMatchObjects(const IntRect& area);
    // Sends the event at once to the child (skipped when missing).
    void SendToChild(CCorvaneView* child, int event, intptr_t param1, intptr_t param2);
    // The main window the view fills, 0 when none.
    uint32_t MainWindow();
    // Marks the close as confirmed at the frame window, then posts WM_CLOSE.
    void ConfirmCloseAndPost();
    // The view's factories, or the application's while the view has none.
    const FramePanelFactories& PanelFactories();

    FramePanelFactories factories_;

    // Fields of the view, in the order the class keeps them.
    int eventQueueId_ = 0;
    int windowFitMode_ = 1;
    int restoredX_ = 100;
    int restoredY_ = 100;
    int dragAnchorX_ = -1;
    int dragAnchorY_ = -1;
    int sidePanelWidth_ = kNormalSidePanelWidth;
    int visibleSidePanelWidth_ = kNormalSidePanelWidth;
    int mainGameId_ = 0;
    CCorvaneView* mainGame_ = nullptr;  // valid only while mainGameId_ finds it
    int subSystemId_ = 0;
    CCorvaneView* subSystem_ = nullptr;  // valid only while subSystemId_ finds it
    int topBarId_ = 0;
    int leftBorderId_ = 0;
    int rightBorderId_ = 0;
    int bottomBorderId_ = 0;
    int titleCanvasId_ = 0;
    int defaultTopHeight_ = 25;
    int defaultBorderWidth_ = 3;
    int defaultBottomHeight_ = 3;
    int closeButtonId_ = 0;
    int fitButtonId_ = 0;
    int minimizeButtonId_ = 0;
    int settingsButtonId_ = 0;
    int helpButtonId_ = 0;
    int shopButtonId_ = 0;
    int splitterId_ = 0;
    int rankDisplayId_ = 0;
    int rewardTextId_ = 0;
    int resultPanelId_ = 0;
    int bigAnimationId_ = 0;
    int waitingPictureId_ = 0;
    int autoPlayPictureId_ = 0;
    int quitBoardId_ = 0;
    int systemBoardId_ = 0;
    int signUpButtonId_ = 0;
    int giveUpButtonId_ = 0;
    uint64_t actionGroup_ = 0;
    int closeDelaySeconds_ = 15;
    int hover_ = 0;
    int feeTextId_ = 0;
    int countdownTextId_ = 0;
    int roundTextId_ = 0;
    int restTablesTextId_ = 0;
    uint64_t countdownAction_ = 0;
    std::array<int32_t, 43> matchResult_{};
    int resultCoverId_ = 0;
    int detailCanvasId_ = 0;
    int secondCardItemId_ = 0;
    int32_t detailUserId_ = -1;
    int32_t detailCharacterId_ = -1;
    int detailCardPinned_ = 0;
    int forceQuitBoxId_ = 0;
    int maximized_ = 1;

    // --- match panel and cards: helpers and parts (FrameViewMatch.cpp,
    // FrameViewMatchResult.cpp, FrameViewCards.cpp) ---
public:
    // The resource key of a character's picture ("Character%dType%d"),
    // registered from the character's folder on first use: size kind 1
    // 32x32, 2 48x48, else 135x270. Falls back to character 0; empty when
    // that has no picture either.
    std::string GetCharacterImageFile(int character, int sizeKind);

protected:
    // The waiting picture shows the image, animated.
    void ShowMatchStatePicture(const char* image);
    // A state picture after which the program closes (close delay).
    void ShowFinalMatchState(const char* image);
    // The state picture with the sign-up button and the fee feeGap pixels
    // right of it.
    void OfferSignUp(const char* image, int feeGap);
    void EnsureResultPanel();
    // Destroys the button of that id and makes the new one on the result
    // panel; y < 0 puts it on the panel's bottom edge.
    void ReplaceResultButton(int& id, const char* image, int event, double x, double y);
    void DrawResultAvatar(CCorvanePicture& panel);
    void ShowResultCover(const IntRect& area);
    // Shows the card at (x, y), its second item only for other users.
    void ShowCardOf(CCorvaneCanvas& card, int32_t userId, double x, double y);
    // The card canvas with its two buttons, made on first use and set up for
    // the card kind each time; null when "bit_playerdetail" is missing.
    CCorvaneCanvas* EnsureDetailCanvas(bool matchCard);
    CCorvaneCanvas* CreateDetailCanvas();
    void SetUpCardKind(CCorvaneCanvas& canvas, bool matchCard);
    void DrawCardBackground(CCorvaneCanvas& canvas, int32_t characterId);
    // Counts, makes, fills and centres an information box.
    CInfoBoxSeam* OpenInfoBox(const char* text, const EventRecord* first, const EventRecord* second,
                              int seconds, int style, const char* image, const char* confirmImage,
                              const char* cancelImage);
    // The event to MainGame, then to SubSystem, then 80000019 to SubSystem
    // when the table changed.
    void ForwardToChildren(int event, intptr_t param1, intptr_t param2, bool tableChanged);

    int resultCloseButtonId_ = 0;
    int resultPageButtonId_ = 0;
    int resultAvatarId_ = 0;
};

// The view rectangle of the main window's MainGame (or SubSystem) child, or
// of the frame view itself when the child is missing; all 0 without a view.
IntRect GetMainGameRect();
IntRect GetSubSystemRect();

class CGameFrameApp;
// Sends the leave request; a refusal by the server shows its text in an info
// box of that style and answers false.
bool SendLeaveOrShowRefusal(CGameFrameApp& app, int refusalStyle);
// The side-panel width GetDefaultSidePanelWidth gives for the flag.
int DefaultSidePanelWidthFor(int maximized);

// The frame view's GetCharacterImageFile for the current application's
// view; empty without one.
std::string GetCharacterImageFile(int character, int sizeKind);
