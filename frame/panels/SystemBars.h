#pragma once
// The side panel of the main window ("SubSystem"): a view that makes the
// side-panel bars, stacks them from top to bottom inside its rectangle and
// is the one receiver of the events that concern them. Its event entry turns
// each event into one of its own operations or an operation of one bar.
// It also writes the chat pane's lines: the player's own chat (cut at a
// whole character, flood-limited, sent to the server), other players' chat,
// and the table, look-on, silver, prize, lottery and task notices.
//
// Rules:
//  - The container keeps no pointer to its bars: every operation finds a bar
//    by its engine name and skips that bar when it is not there.
//  - A record that arrives with an event carries its byte count in the
//    second parameter; fields are read within it (a word past the end reads
//    0, a text stops at the record's end and at its field's width).
//  - Events 80000060 and 80000076 hand over a heap text that the container
//    frees, whatever it did with it; other parameters stay the sender's.
//  - Derived containers (the table's and the regional game's side panels)
//    replace the layout, the bar factories and the chat-box height; the
//    order of the virtual operations below is kept for them.
//  - UI thread only.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "engine/CorvaneView.h"
#include "engine/EventRecord.h"
#include "frame/panels/ChatLines.h"

class CCorvaneCanvas;
class CGameFrameApp;
class CUserListBar;

class CSystemBars : public CCorvaneView {
public:
    using Record = std::span<const uint8_t>;
    using TickClock = std::function<uint32_t()>;
    // Writes the screen as a JPEG file (path, quality); 1 when written.
    using ScreenWriter = std::function<int(const char*, int)>;

    // Engine names of the bars.
    static constexpr char kAdvertBarName[] = "AdvertBar";
    static constexpr char kUserListBarName[] = "UserListBar";
    static constexpr char kMatchListBarName[] = "MatchListBar";
    static constexpr char kActivityBarName[] = "ActivityBar";
    static constexpr char kChatBoxName[] = "ChatBox";
    static constexpr char kInputBarName[] = "InputBar";
    static constexpr char kOperateBarName[] = "OpereateBar";

    CSystemBars();
    ~CSystemBars() override;

    // Makes the bars: advert bar and user list in a normal client, the match
    // list in a match client, then the activity bar, chat box and input bar.
    void Create() override;
    // Always 1; an id not in the table is ignored.
    int OnEvent(const EventRecord& record) override;
    // Stacks the bars inside the view rectangle (also named LayoutBars).
    void Relayout() override;
    // Refreshes the bars and writes the welcome line.
    void OnEnterRoom() override;

    // --- 1 ---
    virtual void OnExtraHook() {}
    virtual void RefreshMatchList();
    virtual void ClearChat();
    virtual void SaveScreenshot();
    virtual void OpenAdvicePage();
    virtual void ShowEmoticonPanel();
    // --- 2 ---
    virtual void AddChatText(const char* text, intptr_t ignored, int toInput);
    virtual void AddMyChatLine(const char* text);
    virtual void AddOtherChatLine(Record record);
    virtual void AddChatLine(Record record);
    virtual void ChatBoxCommand(intptr_t param);
    virtual void OnSignedUpHook() {}
    // --- 3: each makes its bar, registers it as a child and answers it ---
    virtual CCorvaneObject* CreateAdvertBar();
    virtual CCorvaneObject* CreateOperateBar();
    virtual CCorvaneObject* CreateUserListBar();
    virtual CCorvaneObject* CreateMatchListBar();
    virtual CCorvaneObject* CreateActivityBar();
    virtual CCorvaneObject* CreateChatBox();
    virtual CCorvaneObject* CreateInputBar();
    // --- 4 ---
    virtual int GetAdvertBarHeight();
    virtual int GetOperateBarHeight();
    virtual int GetMatchListBarHeight();
    virtual int GetActivityBarHeight();
    virtual int GetUserListBarHeight();
    virtual int GetUserListRowHeight();
    virtual int GetChatBoxHeight();
    virtual int GetInputBarHeight();
    // --- 5 ---
    virtual void LoadQuickPhrases();
    virtual void OnSafeBoxButton();
    virtual void ShowQuickDeposit();
    virtual void AddAmuletSkillLine(Record record);
    virtual void OnPlayersRenamed(intptr_t /*names*/) {}
    // --- 6: table and notice lines; user records are UserRecords ---
    virtual void OnUserEnterTable(uint8_t* user, size_t length);
    virtual void OnUserLeaveTable(uint8_t* user, size_t length);
    virtual void OnLookOnEnter(uint8_t* user, size_t length);
    virtual void OnLookOnLeave(uint8_t* user, size_t length);
    virtual void OnRandomTable();
    virtual void OnChangeTable();
    virtual void OnBaseSilverNotify(Record record);
    virtual void OnPrizeNotify(Record record);
    virtual void OnLotteryProgress(Record record);
    virtual void OnLotteryProgress2(Record record);
    virtual void OnLotteryResult(Record record);
    virtual void OnLotteryBroadcast(Record record);
    virtual void OnSystemNotice(Record record);
    virtual void OnTaskRewardFail(Record record);

    void LayoutBars() { Relayout(); }

    // The flood limit's clock (milliseconds); the system's tick count by
    // default.
    void SetTickClock(TickClock clock) { tickClock_ = std::move(clock); }
    // The screenshot's writer; SaveScreenJpeg by default.
    void SetScreenWriter(ScreenWriter writer) { screenWriter_ = std::move(writer); }
    // Whether the main window fills the work area; the frame view's answer
    // by default.
    void SetMaximizedProbe(std::function<bool()> probe) { maximizedProbe_ = std::move(probe); }
    uint32_t GetLastChatTick() const { return m_lastChatTick; }
    // The full path of the last screenshot written, empty before.
    const std::string& GetLastScreenshotPath() const { return lastScreenshot_; }

protected:
    // The child of that name, or null.
    CCorvaneObject* FindBar(const char* name);
    // Registers a made bar as an owned child under its name; the bar, or
    // null (a null bar, or a container without an engine, which deletes it).
    CCorvaneObject* AdoptBar(CCorvaneObject* bar, const char* name);
    // The user list's columns for the room's kind, then its build.
    static void AddRoomColumns(CUserListBar& bar);
    // The system-bar buttons, handed to the input bar in their order; true
    // when the safe-box button is among them.
    bool MakeSystemBarButtons();
    // The height of frame 0 of a skin image, 0 when missing.
    int SkinHeight(const char* image);
    // Writes a line through the application (event 80000057 back here).
    void AppendChatText(const std::string& text);
    // Appends a line to the chat box's rich-text view as it stands (no live
    // links), nothing without a chat box.
    virtual void AppendToChatView(const std::string& text);
    // The chat box's AddLine, nothing without one.
    virtual void AddChatBoxLine(const std::string& text);
    // The maximised state as the frame view keeps it.
    bool IsWindowMaximized();
    void WriteWelcomeLine();
    // The advice page's server.
    virtual std::string AdviceHost();
    // Shows the advert page and frees the heap text.
    void NavigateAdvert(char* heapText);
    void RefreshScoreAfterTableChange(bool resetHistory);

    uint32_t m_lastChatTick = 0;
    // No own line passed the flood limit yet: the first one always passes.
    bool noChatYet_ = true;
    // The picture behind the advert bar and the user list (normal client).
    int backgroundId_ = 0;

private:
    chat_lines::ChatColours Colours();
    void LayoutBackground(int left, int top, int width, int height);
    uint32_t NowTick();

    std::function<bool()> maximizedProbe_;
    TickClock tickClock_;
    ScreenWriter screenWriter_;
    std::string lastScreenshot_;
};
