#pragma once
// The frame's application object: the one place of the client's game state.
// It holds the launch fields from the hall's command line, the room, table
// and player records of the hall's launch record, the match blocks, the
// skin's colours, the history of the last hands, the standings, the room
// list and the web links; it talks to the hall (registration, leaving,
// pages, sign query, room switch) and applies the server's updates.
//
// Rules:
//  - One instance per process (Current()); the game's application class
//    derives from it and answers the object getters (connection, handler,
//    table data) and GetPlayerCount.
//  - Everything runs on the UI thread except OnHallSignAnswer, which any
//    thread may call; the sign queries (HallSignQueries.h) keep their own
//    lock and are shared with the communication thread's wait dialog.
//  - Records from the hall and the server are checked before anything is
//    changed: a short record, a count past its bytes or a chair outside 0-7
//    changes nothing (one log line).
//  - The frame view is not owned: the main window attaches it when it makes
//    it and detaches it before destroying it.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "frame/GameCommThread.h"
#include "frame/GameFrameSeams.h"
#include "frame/GameRecords.h"
#include "frame/HallSignQueries.h"
#include "frame/LaunchLine.h"
#include "frame/view/ReplayBars.h"
#include "platform/Application.h"
#include "platform/Messages.h"
#include "platform/Sync.h"

// Messages to the hall and to the communication thread.
inline constexpr uint32_t kMsgHallRegisterGame = platform::kMsgApp + 4357;
inline constexpr uint32_t kMsgHallRegisterMatch = platform::kMsgApp + 4376;
inline constexpr uint32_t kMsgHallSignQuery = platform::kMsgApp + 4364;
inline constexpr char kHallWindowClass[] = "GameHallFrame";

// Program events the application sends to the side panel and the views.
inline constexpr int kEventMatchStandingsSorted = 80000022;
inline constexpr int kEventRefreshScoreTable = 80000054;
inline constexpr int kEventUserListChanged = 80000055;
inline constexpr int kEventForgetLookOnPermissions = 80000056;
inline constexpr int kEventAppendChatText = 80000057;
inline constexpr int kEventTakeFromSafeBox = 80000082;

class CGameFrameWnd;

class CGameFrameApp : public platform::Application {
public:
    static constexpr int kHistoryHands = 30;
    static constexpr size_t kMatchInfoSize = 1480;
    static constexpr size_t kSingleMatchInfoWords = 17;
    static constexpr uint32_t kHallSendTimeoutMs = 5000;
    static constexpr uint32_t kSignWaitMs = 6000;
    static constexpr uint32_t kCommThreadStopMs = 1000;

    CGameFrameApp(const char* gameCode, int defaultPort, int version, int subVersion);
    ~CGameFrameApp() override;
    CGameFrameApp(const CGameFrameApp&) = delete;
    CGameFrameApp& operator=(const CGameFrameApp&) = delete;

    // The process's application object; null when none exists (or it is
    // not a frame application).
    static CGameFrameApp* Current();

    // --- Launch line (the hall's command line) ---
    void SetCommandLine(std::string line) { commandLine_ = std::move(line); }
    // True offline or when at least 9 fields were read; else asks whether to
    // start the hall and answers false.
    bool ParseLaunchCommandLine();
    const LaunchFields& GetLaunchFields() const { return launch_; }

    // --- Launch record ---
    // Reads the hall's deciphered launch record. False (state unchanged, one
    // log line) when it is short, its counts run past its bytes, or the own
    // user is missing or differs in chair or look-on flag.
    bool InitGameData(std::span<const uint8_t> record);
    // The match client's form: 572-byte room, table, own seat, match block.
    bool InitMatchData(std::span<const uint8_t> record);
    // The match table block: header and up to 8 players within the bytes.
    int SetMatchTable(std::span<const uint8_t> block);

    // Puts a new looker-on into the first free slot and counts him. False
    // (nothing changed) when all 64 slots are taken.
    bool AddLookerOn(const UserRecord& user);
    // Empties the looker-on slot of the user, if any; false when there is
    // none.
    bool RemoveLookerOn(int32_t userId);

    // --- Accessors ---
    int32_t GetUserID() const { return launch_.userId; }
    int32_t GetMyChairNo() const { return chairNo_; }
    int32_t GetTableNo() const { return table_.tableNo; }
    int32_t GetRoomID() const { return room_.roomId; }
    int32_t GetGameID() const { return launch_.gameId; }
    int32_t GetServerPort() const { return launch_.serverPort; }
    platform::WindowId GetHallWnd() const {
        return static_cast<platform::WindowId>(launch_.hallWindow);
    }
    int32_t GetHallRoomID() const { return launch_.hallRoomId; }
    bool IsLookOn() const { return launch_.lookOn != 0; }
    bool IsRelaunched() const { return launch_.relaunched != 0; }
    bool IsOfflineMode() const { return offline_; }
    void SetOfflineMode(bool offline) { offline_ = offline; }
    bool IsReplayMode() const { return replayMode_; }
    bool IsSmallScreen() const { return smallScreen_; }
    int32_t GetRoomOptions() const { return room_.options; }
    void SetRoomOptions(int32_t options) { room_.options = options; }
    int32_t GetRoomFlags() const { return room_.flags; }
    int32_t GetRoomFlags2() const { return room_.flags2; }
    int32_t GetRoomLoginValue() const { return room_.loginValue; }
    int32_t GetRoomRequestValue() const { return room_.requestValue; }
    int32_t GetNoticeRoomNo() const { return room_.noticeRoomNo; }
    int32_t GetNoticeIntervalSeconds() const { return room_.noticeIntervalSeconds; }
    int32_t GetHallId() const { return room_.hallId; }
    int32_t GetTablePlayerCount() const { return table_.seatCount; }
    int32_t GetMatchValue() const { return matchHeader_.matchValue; }
    std::string GetServerHost() const { return launch_.serverHost; }
    std::string GetGameName() const { return launch_.gameName; }
    std::string GetGameCode() const { return gameCode_; }
    std::string GetAreaName() const { return FieldText(room_.areaName); }
    std::string GetRoomName() const { return FieldText(room_.roomName); }
    std::string GetNoticeHost() const { return FieldText(room_.noticeHost); }
    std::string GetAdvertHost() const { return FieldText(room_.advertHost); }
    // The room's notice and advert hosts (the offline start sets its own).
    void SetWebHosts(std::string_view noticeHost, std::string_view advertHost);
    std::string GetMatchName() const;   // the match block's text at byte 72
    std::string GetMatchText2() const;  // the match block's text at byte 200
    int32_t GetVersion() const { return version_; }
    int32_t GetSubVersion() const { return subVersion_; }
    int32_t GetRequiredVersion() const { return requiredVersion_; }
    int32_t GetRequiredSubVersion() const { return requiredSubVersion_; }
    void SetRequiredVersion(int32_t version, int32_t subVersion) {
        requiredVersion_ = version;
        requiredSubVersion_ = subVersion;
    }
    int32_t GetEnterState() const { return enterState_; }
    void SetEnterState(int32_t state) { enterState_ = state; }
    bool IsDisconnectedInGame() const { return disconnectedInGame_; }
    void SetDisconnectedInGame(bool on) { disconnectedInGame_ = on; }

    bool IsSilverRoom() const { return (room_.options & RoomInfo::kOptionSilverRoom) != 0; }
    bool IsExitLockedRoom() const { return (room_.options & RoomInfo::kOptionExitLocked) != 0; }
    bool IsRandomTableRoom() const { return (room_.flags & RoomInfo::kFlagRandomTable) != 0; }
    bool IsNoForcedExitRoom() const { return (room_.flags & RoomInfo::kFlagNoForcedExit) != 0; }
    bool IsRoomFlag64() const { return (room_.flags & RoomInfo::kFlagSkipLeftOut) != 0; }
    bool IsRoomFlag128() const { return (room_.flags & RoomInfo::kFlag128) != 0; }
    int32_t GetRoomClass() const;  // word 2 of the single-match block
    bool IsNormalRoom() const { return GetRoomClass() < 500; }
    bool IsMatchRoom() const { return GetRoomClass() >= 500; }
    bool IsFinalMatchRoom() const { return GetRoomClass() >= 600; }

    const UserRecord& GetSeat(int chair) const;  // chair outside 0-7: an empty record
    const UserRecord& GetLooker(int slot) const;
    const RoomInfo& GetRoomInfo() const { return room_; }
    const TableInfo& GetTableInfo() const { return table_; }
    const MatchTableHeader& GetMatchHeader() const { return matchHeader_; }
    const MatchPlayerRecord& GetMatchPlayer(int index) const;
    const HandResultSummary& GetLastHandResult() const { return lastHandResult_; }
    const MatchStandings& GetStandings() const { return standings_; }
    MatchStandings& GetStandings() { return standings_; }
    const std::vector<RoomListEntry>& GetRoomList() const { return roomList_; }
    int32_t GetRoomListMode() const { return roomListMode_; }

    const UserRecord* FindUser(int32_t userId) const;
    const MatchPlayerRecord* FindMatchPlayer(int32_t userId) const;

    // --- Match figures the frame view shows and counts down ---
    int32_t GetSecondsToStart() const { return singleMatchInfo_[8]; }
    void SetSecondsToStart(int32_t seconds) { singleMatchInfo_[8] = seconds; }
    int32_t GetPointsForNextLevel() const { return singleMatchInfo_[9]; }
    int32_t GetMatchWaitValue() const { return singleMatchInfo_[11]; }
    int32_t GetMatchRound() const { return matchHeader_.round; }
    // The sign-up fee: kind 1 silver, 2 the premium currency; amount 0 is
    // none.
    int32_t GetSignUpFeeKind() const;
    int32_t GetSignUpFeeAmount() const;
    // The own last match result, kept in the first standings record.
    void SetLastMatchResult(int32_t rank, int32_t value);
    // The new rank of a match player; false when the user is not at the
    // match table.
    bool SetMatchPlayerRank(int32_t userId, int32_t level, int32_t points, int32_t nextPoints);
    bool IsUserSeated(int32_t userId) const;
    bool IsUserLookingOn(int32_t userId) const;
    bool IsChairOccupied(int chair) const;
    int32_t GetChairUserID(int chair) const;
    int32_t GetUserChairNo(int32_t userId) const;
    std::string GetChairUserName(int chair) const;
    std::string GetUserName(int32_t userId) const;
    std::string GetChairDisplayName(int chair) const;
    std::string GetUserDisplayName(int32_t userId) const;
    bool IsHighlightedUser(int32_t userId) const;
    bool IsMemberUser(int32_t userId) const;
    int32_t GetUserExtraValue(int32_t userId) const;
    int32_t GetMatchSeatValue(int chair) const;
    std::string GetHallText(int key) const;

    uint32_t GetAdvHeaderColor() const { return colors_[0]; }
    uint32_t GetAdvTextColor() const { return colors_[1]; }
    uint32_t GetAdvBkColor() const { return colors_[2]; }
    uint32_t GetAdvGridColor() const { return colors_[3]; }
    uint32_t GetPlayerViewHeaderColor() const { return colors_[4]; }
    uint32_t GetPlayerViewTextColor() const { return colors_[5]; }
    uint32_t GetTitleTextColor() const { return colors_[6]; }

    std::string GetGameIniFile() const;
    std::string GetHallIniFile() const;
    std::string GetSkinIniFile() const;
    std::string GetExeDir() const;
    std::string GetTempDir() const;
    std::string GetUserDataFile() const;
    std::string GetAdvertWindowUrl() const;
    std::string GetAdvertPayUrl() const;

    // History of the last 30 hands, per chair.
    int32_t GetHistory(int chair, int slot) const;
    int32_t GetHistoryTotal(int chair) const;
    int32_t GetHandCounter() const { return handCounter_; }

    const std::vector<std::string>& GetSidePanelButtons() const { return sidePanelButtons_; }
    std::map<int, WebLinkEntry>& GetWebLinks() { return webLinks_; }
    std::vector<int>& GetActiveButtons() { return activeButtons_; }
    // The server's active-configuration flag (request 201308).
    bool IsActiveConfig() const { return activeConfig_; }
    void SetActiveConfig(bool on) { activeConfig_ = on; }

    // --- The frame view ---
    void AttachFrameView(CGameFrameView* view) { frameView_ = view; }
    void DetachFrameView() { frameView_ = nullptr; }
    CGameFrameView* GetFrameView() const { return frameView_; }
    CCorvaneView* GetGameView() const;
    CCorvaneView* GetSubSystemView() const;

    // Sends an event to the side panel ("SubSystem"); nothing without one.
    void SendEventToSidePanel(int event, intptr_t param1);

    // Forwarders to the frame view; nothing without one.
    void AppendChatText(const std::string& text);
    void ShowInfoBox(const char* text, const EventRecord* okEvent, const EventRecord* cancelEvent,
                     int seconds, int style, const char* image);
    void ShowNoticeBox(const char* text, int seconds, int style, const char* image);
    void ShowNoticeBoxEx(const char* text, const char* detail, int kind, int seconds, int buttons,
                         int style, const char* okCaption, const char* cancelCaption);

    // --- Virtual operations ---
    virtual bool IsGamePlaying() const { return inGame_; }
    virtual bool IsMatch() const { return matchFlag_ != 0; }
    virtual void SetGamePlaying() { inGame_ = true; }
    virtual void ClearGamePlaying() { inGame_ = false; }
    // Enters the room (EnterRoom) or, in a match client, the match
    // (EnterMatch); their result.
    virtual int EnterGame();
    // Sends the match login; a refusal shows its text for 2000 ms and closes
    // the main window (0). Nothing offline (1).
    virtual int EnterMatch();
    // Sends the enter request and starts the network report; a refusal
    // shows its text for 2000 ms and closes the main window (0). Nothing
    // offline (1).
    virtual int EnterRoom();
    // Makes the frame window over the work area with the frame view in it,
    // shows it in front and registers it with the hall. 0 when the window
    // could not be made.
    virtual int CreateMainFrame();
    virtual std::unique_ptr<CGameFrameView> CreateFrameView() { return nullptr; }
    virtual int GetPlayerCount() = 0;
    virtual CGameNotifyHandler* GetNotifyHandler() { return nullptr; }
    virtual CGameConnection* GetConnection() { return nullptr; }
    virtual int IsQuickCatch() { return 0; }
    // The game's response and table reply buffers, and their capacities.
    virtual std::span<uint8_t> GetResponseBuffer() { return {}; }
    virtual std::span<uint8_t> GetTableReplyBuffer() { return {}; }
    // The names the table layers use for the same two buffers.
    std::span<uint8_t> GetTableStatusBlock() { return GetResponseBuffer(); }
    std::span<uint8_t> GetTableSnapshot() { return GetTableReplyBuffer(); }
    virtual CGameTableData* GetTableData() { return nullptr; }
    virtual int GetKeepSilence() { return 0; }
    // Chat commands of the game; 0: the text is no command.
    virtual int HandleChatCommand(const char* /*text*/) { return 0; }
    int HandleDebugCommand(const char* text) { return HandleChatCommand(text); }
    virtual void SortStandings();
    virtual void OnUserInfoChanged();
    virtual void BeginGameAndNotify();
    virtual void BeginGameAndNotify2();
    virtual void OnSingleMatchInfo(std::span<const uint8_t> reply);
    virtual void OnMatchNotSignedUp();
    virtual void OnMatchWashedOut();
    virtual void OnMatchOver();
    virtual void OnMatchLate();
    virtual void OnMatchAlreadyStarted();
    virtual void OnMatchSystemCancel();
    virtual void OnMatchSelfCancel();
    virtual void OnMatchWaitSignUpCheck();
    virtual void OnMatchSystemRejected();
    virtual void OnSilverTooLow(std::span<const uint8_t> record);
    virtual void OnSilverTooHigh(std::span<const uint8_t> record);
    virtual void OnWelfareConfigFailed(int result, const char* text, int reserved1, int reserved2);
    virtual void OnWelfareResult(int ok, const char* text, int a, int b, int amount);
    virtual void SetReplayMode(bool on);
    virtual bool IsRoomFlag2Bit17() const { return (room_.flags2 & RoomInfo::kFlag2Bit17) != 0; }
    virtual int32_t GetMatchUploadFlag() const;
    virtual bool IsRoomFlag2Bit18() const { return (room_.flags2 & RoomInfo::kFlag2Bit18) != 0; }
    virtual bool RelaunchSelf();
    virtual bool StartHall();
    virtual bool RelaunchWithArgs(const std::string& text);
    virtual void UserToServerPlayer(ServerPlayerRecord& server, const UserRecord& user);
    virtual void ServerPlayerToUser(UserRecord& user, const ServerPlayerRecord& server);
    virtual void ApplyTablePlayers(std::span<const uint8_t> record);
    virtual void UpdateOtherSeats(std::span<const uint8_t> record);
    virtual void ApplySeatPlayers(std::span<const uint8_t> record);
    virtual std::string GetPortraitDir() const;
    virtual std::string GetCharacterDir(int n) const;
    // The address with "uid" and the hall's sign appended when the flag is
    // nonzero (an unanswered sign query leaves "sign=" empty).
    virtual std::string AddSignToUrl(const std::string& url, int flag);
    virtual void ResetHistory();
    virtual void AddHistory(const std::array<int32_t, kSeatCount>& values);
    virtual void NotifyAdvertBar();
    virtual void NotifyUserListChanged();
    virtual void NotifyUserListChanged2();
    virtual void BuildSidePanelButtons();
    virtual int CanUseSafeBoxInGame() const;
    virtual void ApplyHandResult(std::span<const uint8_t> record);
    virtual void ApplyRoomRecord(std::span<const uint8_t> record);
    virtual void ExtendedPlayerToUser(UserRecord& user, const ExtendedPlayerRecord& record);
    virtual void ApplyLeaverResult(std::span<const uint8_t> record);
    virtual void SetChairSilver(std::span<const uint8_t> record);
    virtual void SetChairScore(std::span<const uint8_t> record);
    virtual void ApplyWealthChange(std::span<const uint8_t> record);
    virtual void ApplyWealthChange2(std::span<const uint8_t> record);
    virtual void RenameSeatedPlayers(std::span<const uint8_t> names);
    virtual int UpdateUserState(int32_t userId, int chair, int32_t characterId);
    virtual int SetMemberFlag(int32_t userId, int chair, int on);
    // Whether a player may ask the others to let him leave a running game.
    virtual bool CanRequestForcedExit();
    virtual int SwitchToPrevRoom();
    virtual int SwitchToNextRoom();
    virtual void OnWealthChanged() {}
    // The address of side-panel link 0-6 with its query, its page size in
    // the outs; empty (outs untouched) for another index.
    virtual std::string BuildWebLinkUrl(int index, int& width, int& height);

    // --- Web pages ---
    // Opens the address (signed when asked) in the desktop's browser on a
    // worker thread; the main window gets the job back (kMsgBrowserOpened).
    void OpenUrlInBrowser(const std::string& url, int sign);
    // Seconds since 1970 as the web links read them; tests fix the clock.
    int64_t UnixTime() const;
    void SetUnixClockForTesting(std::function<int64_t()> clock) { unixClock_ = std::move(clock); }

    // Closes the game connection; nothing without one.
    void CloseConnection();
    // Connects and checks the version (nothing offline). A failure shows its
    // text for 2000 ms (connect) or 3000 ms (version), tells the hall and
    // answers 0.
    int ConnectServer();
    // Tells the server the own chair leaves the table, then closes the
    // connection.
    virtual void LeaveTableAndClose();
    // Shows the text for 5000 ms, then closes the main window.
    virtual void ShowTextAndQuit(const std::string& text);
    // The frame window CreateMainFrame made; null before and once destroyed.
    CGameFrameWnd* GetMainFrame() const;
    // Destroys the frame window CreateMainFrame made; nothing without one.
    void CloseMainFrame();

    // --- The hall ---
    void SetRelaunchOnExit(bool on) { relaunchOnExit_ = on; }
    bool IsRelaunchOnExit() const { return relaunchOnExit_; }
    // The window that takes the hall's sign answer (the communication
    // thread's, set by StartCommThread).
    void SetSignAnswerWindow(platform::WindowId window) { signAnswerWindow_ = window; }
    // The main window (Application::SetMainWindow); 0 once destroyed.
    platform::WindowId GetMainWindow() const { return MainWindow(); }
    bool IsHallWindowAlive() const;
    void RegisterGameWindow(platform::WindowId window);
    void NotifyHallLeaving(platform::WindowId window);
    int OpenUrlInHall(const std::string& url, int flag);
    // The sign text from the hall, or empty when it does not answer in time.
    std::string GetHallSign();
    void SetSignWaitForTesting(uint32_t ms) { signWaitMs_ = ms; }
    // The hall's enciphered answer to a sign query (copy-data dwData 14); may
    // run on any thread. Unknown, short or foreign answers change nothing.
    void OnHallSignAnswer(std::span<const uint8_t> enciphered);
    bool PostToHallFrame(uint32_t message, platform::WParam wParam, platform::LParam lParam);

    // --- Replay bars ---
    // How the game view's replay bar is made; without a factory (the
    // default) no bar is made.
    void SetReplayBarFactory(ReplayBarFactory factory) { replayBarFactory_ = std::move(factory); }
    // A new bar of the format, not yet registered; null when none is made.
    CReplayBarSeam* MakeReplayBar(ReplayFormat format) const {
        return replayBarFactory_ ? replayBarFactory_(format) : nullptr;
    }

    // What the frame view makes its splitter and boxes with.
    void SetFramePanelFactories(FramePanelFactories factories) {
        framePanelFactories_ = std::move(factories);
    }
    const FramePanelFactories& GetFramePanelFactories() const { return framePanelFactories_; }

    // --- The communication thread and the wait text ---
    // How the thread shows the wait text (set before StartCommThread); the
    // default is the wait dialog with the game's skin.
    void SetWaitDisplayFactory(WaitDisplayFactory factory) {
        waitDisplayFactory_ = std::move(factory);
    }
    // Starts the thread, which relays the connection's notifications to the
    // window RegisterGameWindow names and takes the hall's sign answer.
    // True when it runs.
    bool StartCommThread();
    // Asks the thread to end and waits up to 1000 ms; a thread that has not
    // ended by then is left to end on its own. Nothing when none runs.
    void StopCommThread();
    // 0 while no thread runs.
    platform::ThreadId GetCommThreadId() const;
    // Shows the text (hidden again after the seconds when above 0).
    void ShowWaitText(const std::string& text, int seconds);
    // show: as ShowWaitText(text, 0); else hides the wait text.
    void PostToCommThread(const std::string& text, bool show);
    void HideWaitText();

protected:
    // Starts the program: the log, the launch line, the socket window class,
    // the side-panel buttons, the communication thread, the connection.
    // False ends the program (the user was told why).
    bool InitInstance() override;
    // Ends the program: the game connection is closed first (a quit that
    // came without the window's close never closed it), then the
    // communication thread is stopped and the log closed.
    int ExitInstance() override;
    // CreateMainFrame with the game's own frame window: creates it, makes it
    // the main window (owned here) and fills it with CreateFrameView's view.
    int OpenMainFrame(std::unique_ptr<CGameFrameWnd> window);

    // The launch fields after a successful parse (tests and the game's
    // start-up set them directly).
    void SetLaunchFields(const LaunchFields& fields);

public:
    // --- Changes the server's notifications make (frame/net/NotifyUpdates.cpp) ---
    // Seats the server's player at the chair (0-7): the table's player count
    // grows when the chair was empty, not beyond GetPlayerCount. The seat
    // record afterwards; null for a chair outside 0-7.
    const UserRecord* SeatServerPlayer(int chair, const ServerPlayerRecord& player);
    // Empties the chair and the user's own record; the count falls, not
    // below 0.
    void UnseatUser(int chair, int32_t userId);
    // Silver, level, score and level title of a known user; false when the
    // user is unknown.
    bool SetUserWealth(int32_t userId, int32_t silver, int32_t level, int32_t score,
                       std::string_view title);
    // The standings as far as the record reaches (at most 100 records),
    // written into the match players they name, then sorted; false when the
    // header is short.
    bool ApplyStandings(std::span<const uint8_t> record);
    // The match phase: word 2 of the single-match block.
    void SetMatchPhase(int32_t phase) { singleMatchInfo_[2] = phase; }
    // The advert page's text (cut to 255 bytes at a whole character).
    void SetAdvertText(std::string_view text);
    std::string GetAdvertText() const { return FieldText(advertText_); }

private:
    TextField<256> advertText_{};

private:
    struct LaunchState;

    // Opens the display the main window goes on, waiting a while for one
    // still starting; when it cannot, says which and why on standard error,
    // tells the hall, sets a failing exit code and answers false.
    bool OpenDisplay();
    // Why the start failed (GBK), in the log and on standard error: the box
    // goes with the program and the log with its folder.
    void TellStartFailure(const std::string& text);
    // A start-up failure: the text told, as wait text for sleepMs, the hall
    // told; answers 0.
    int FailStartUp(const std::string& text, uint32_t sleepMs);
    // The enter request (or match login) and what follows its answer.
    int EnterWith(bool match);
    bool ParseLaunchRecord(std::span<const uint8_t> record, LaunchState& out) const;
    void CommitLaunchState(LaunchState& state);
    UserRecord* MutableSeat(int chair);
    UserRecord* FindUserMutable(int32_t userId);
    void ReadSkinColors();
    void MatchPlayerToUser(UserRecord& seat, const MatchPlayerRecord& player, int chair,
                           int32_t tableNo);
    void ApplyMatchTableHeader();
    void SendEventToNamedBar(const char* name, int event, intptr_t param1);
    void ApplyServerPlayers(std::span<const uint8_t> record, size_t offset, int count,
                            bool byOwnChair, int skipChair, const char* what);
    void SetChairWealth(int chair, int32_t what, int32_t value);
    void ApplyWealthRecord(std::span<const uint8_t> record, size_t chairOffset, bool second);
    void AskAboutSilver(std::span<const uint8_t> record, bool tooHigh);
    int SwitchRoom(int direction);

    // Settings and construction arguments.
    std::string gameCode_;
    int32_t defaultPort_ = 0;
    int32_t version_ = 0;
    int32_t subVersion_ = 0;
    std::string commandLine_;
    bool replayMode_ = false;
    bool smallScreen_ = false;
    bool offline_ = false;
    int32_t matchFlag_ = 0;
    bool relaunchOnExit_ = false;
    int32_t requiredVersion_ = 0;
    int32_t requiredSubVersion_ = 0;
    int32_t enterState_ = 0;
    bool disconnectedInGame_ = false;
    bool inGame_ = false;

    // Launch fields and records.
    LaunchFields launch_;
    int32_t chairNo_ = -1;
    std::map<int, std::string> hallTexts_;
    RoomInfo room_{};
    CarriedBytes<RoomInfo::kMatchExtension> roomMatchTail_{};
    TableInfo table_{};
    std::array<uint8_t, kMatchInfoSize> matchInfo_{};
    HandResultSummary lastHandResult_{};
    std::array<UserRecord, kSeatCount> seats_{};
    std::array<UserRecord, kLookerSlots> lookers_{};
    MatchTableHeader matchHeader_{};
    std::array<MatchPlayerRecord, kSeatCount> matchPlayers_{};
    WordArray<kSingleMatchInfoWords> singleMatchInfo_{};
    MatchStandings standings_{};
    std::vector<RoomListEntry> roomList_;
    int32_t roomListMode_ = 0;
    std::string skinIni_;
    std::array<uint32_t, 7> colors_{};
    std::array<std::array<int32_t, kHistoryHands>, kSeatCount> history_{};
    std::array<int32_t, kSeatCount> historyTotals_{};
    int32_t handCounter_ = 0;
    std::vector<std::string> sidePanelButtons_;
    std::map<int, WebLinkEntry> webLinks_;
    std::vector<int> activeButtons_;
    bool activeConfig_ = false;

    // Windows and threads.
    CGameFrameView* frameView_ = nullptr;
    std::unique_ptr<CGameFrameWnd> mainFrame_;
    std::unique_ptr<CGameCommThread> commThread_;
    WaitDisplayFactory waitDisplayFactory_;
    ReplayBarFactory replayBarFactory_;
    FramePanelFactories framePanelFactories_;
    platform::WindowId signAnswerWindow_ = 0;
    uint32_t signWaitMs_ = kSignWaitMs;
    std::function<int64_t()> unixClock_;

    // Sign queries, shared with the wait dialog that takes the answers.
    std::shared_ptr<CHallSignQueries> signQueries_ = std::make_shared<CHallSignQueries>();
};
