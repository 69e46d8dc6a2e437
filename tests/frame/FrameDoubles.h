#pragma once
// Test doubles for the objects the application reaches through its seams:
// the real frame view and side panel with their calls written down (the
// side panel may hold named recording bars), a recording notification
// handler, a scripted connection and a test
// application with a settable number of chairs.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "frame/GameFrameApp.h"
#include "frame/panels/EmoticonPanel.h"
#include "frame/panels/InputBar.h"
#include "frame/panels/SystemBars.h"
#include "platform/Sync.h"
#include "tests/frame/CallLog.h"
#include "tests/frame/PanelDoubles.h"
#include "tests/frame/ScriptedConnection.h"
#include "zep/ZepMessage.h"

// An engine object that records the events it receives.
class RecordingBar : public CCorvaneObject, public CAdvertBarPage {
public:
    void LoadAdvertPage() override { ++advertPagesLoaded; }
    // The advert page's window: "hide" and "show" as the view asks.
    bool IsPageShowing() override { return pageShowing; }
    void HidePageWindow() override { pageCalls.push_back("hide"); }
    void ShowPageWindow() override { pageCalls.push_back("show"); }
    bool pageShowing = false;
    std::vector<std::string> pageCalls;
    int advertPagesLoaded = 0;
    int OnEvent(const EventRecord& record) override {
        events.push_back(record.event);
        params.push_back(record.param1);
        return 1;
    }
    std::vector<int> events;
    std::vector<intptr_t> params;
};

// The game view ("MainGame"): records the events it receives and the chat
// texts among them.
class RecordingPanel : public CCorvaneView, public CIdleKickWatch {
public:
    void CancelIdleKick() override { ++idleKicksCancelled; }
    int idleKicksCancelled = 0;
    int OnEvent(const EventRecord& record) override {
        events.push_back(record.event);
        lengths.push_back(record.param2);
        if (onEvent) {
            onEvent(record.event);
        }
        if ((record.event == kEventAppendChatText || record.event == 80000072) &&
            record.param1 != 0) {
            chatLines.emplace_back(EventParamPointer<const char>(record.param1));
        }
        return 1;
    }
    std::function<void(int)> onEvent;  // told of every event id
    std::vector<int> events;
    std::vector<intptr_t> lengths;  // each event's second parameter
    std::vector<std::string> chatLines;
};

// One event the side panel got, with its text when its first parameter is
// one.
struct SideEvent {
    int event = 0;
    std::string text;
    intptr_t param1 = 0;
    intptr_t param2 = 0;
};

// Whether the side panel's event hands it a text in its first parameter.
inline bool IsSideTextEvent(int event) {
    switch (event) {
        case kEventAppendChatText:
        case 80000060:  // the advert page's address
        case 80000072:  // a notice line
        case kEventEmoticonChosen:
        case kEventEmoticonToInput:
        case kEventSendChat:
        case kEventQuickPhrase:
            return true;
        default:
            return false;
    }
}

// The application's real side panel with the events it is sent written
// down before it handles them; texts are kept as sent. Bars a test adds by
// name stand in for the real ones.
class ObservedSystemBars : public CSystemBars {
public:
    int OnEvent(const EventRecord& record) override {
        if (onEvent) {
            onEvent(record);
        }
        events.push_back(record.event);
        lengths.push_back(record.param2);
        SideEvent seen{record.event, {}, record.param1, record.param2};
        if (IsSideTextEvent(record.event) && record.param1 != 0) {
            seen.text = EventParamPointer<const char>(record.param1);
        }
        if (record.event == 80000060 && record.param1 != 0) {
            advertTexts.push_back(seen.text);
        }
        if ((record.event == kEventAppendChatText || record.event == 80000072) &&
            record.param1 != 0) {
            chatLines.push_back(seen.text);
        }
        received.push_back(std::move(seen));
        return CSystemBars::OnEvent(record);
    }
    CCorvaneObject* FindObjectByName(const char* name) override {
        const auto found = bars.find(name);
        return found != bars.end() ? found->second.get() : CSystemBars::FindObjectByName(name);
    }
    RecordingBar& AddBar(const std::string& name) {
        auto& bar = bars[name];
        bar = std::make_unique<RecordingBar>();
        return *bar;
    }
    // The events of that id received so far.
    std::vector<SideEvent> Of(int event) const {
        std::vector<SideEvent> found;
        for (const SideEvent& e : received) {
            if (e.event == event) {
                found.push_back(e);
            }
        }
        return found;
    }
    std::function<void(const EventRecord&)> onEvent;  // told of every event first
    std::vector<int> events;
    std::vector<intptr_t> lengths;  // each event's second parameter
    std::vector<SideEvent> received;
    std::vector<std::string> chatLines;
    std::vector<std::string> advertTexts;
    std::map<std::string, std::unique_ptr<RecordingBar>> bars;
};

// The real side panel observed, holding only the bars a test adds under it
// itself: registering it makes none of its own.
class BareSystemBars : public ObservedSystemBars {
public:
    void Create() override {}
};

// The real frame view with its calls written down as lines of text: each
// observed operation records its call and then runs the view's own version.
// Its game view is a recording panel, its side panel the real one observed;
// both belong to it.
class ObservedFrameView : public CGameFrameView {
public:
    ObservedFrameView() {
        subSystem.AddBar("AdvertBar");
        SetMainGame(&mainGame);
        SetSubSystem(&subSystem);
    }

    void OnGameDataReady() override {
        Record("OnGameDataReady");
        CGameFrameView::OnGameDataReady();
    }
    void ShowInfoBox(const char* text, const EventRecord* okEvent, const EventRecord* cancelEvent,
                     int seconds, int style, const char* image) override {
        Record("ShowInfoBox " + std::string(text) + " " + std::to_string(seconds) + " " +
               std::to_string(style) + " " + image);
        lastOkEvent = okEvent != nullptr ? *okEvent : EventRecord{};
        CGameFrameView::ShowInfoBox(text, okEvent, cancelEvent, seconds, style, image);
    }
    void ShowNoticeBox(const char* text, int seconds, int style, const char* image) override {
        Record("ShowNoticeBox " + std::string(text) + " " + std::to_string(seconds) + " " +
               std::to_string(style) + " " + image);
        CGameFrameView::ShowNoticeBox(text, seconds, style, image);
    }
    void ShowNoticeBoxEx(const char* text, const char* detail, int kind, int seconds, int buttons,
                         int style, const char* okCaption, const char* cancelCaption) override {
        Record("ShowNoticeBoxEx " + std::string(text));
        CGameFrameView::ShowNoticeBoxEx(text, detail, kind, seconds, buttons, style, okCaption,
                                        cancelCaption);
    }
    void ForwardLookOnEnter(const uint8_t* user) override {
        Record("ForwardLookOnEnter");
        CGameFrameView::ForwardLookOnEnter(user);
    }
    void FillPlayerDetail(const uint8_t* user) override {
        Record("FillPlayerDetail");
        CGameFrameView::FillPlayerDetail(user);
    }
    void PlacePlayerCardAt(int32_t userId, int x, int y) override {
        Record("PlacePlayerCardAt");
        CGameFrameView::PlacePlayerCardAt(userId, x, y);
    }
    void OpenCardUserDetail() override {
        Record("OpenCardUserDetail");
        CGameFrameView::OpenCardUserDetail();
    }
    void ForwardPlayersRenamed(const uint8_t* names, size_t length) override {
        Record("ForwardPlayersRenamed " + std::to_string(length));
        CGameFrameView::ForwardPlayersRenamed(names, length);
    }
    void ForwardBaseSilver(const uint8_t* record, size_t length) override {
        Record("ForwardBaseSilver");
        CGameFrameView::ForwardBaseSilver(record, length);
    }
    void ForwardPrizeNotify(const uint8_t* record, size_t length) override {
        Record("ForwardPrizeNotify");
        CGameFrameView::ForwardPrizeNotify(record, length);
    }
    void OnEnterResult210200() override {
        Record("OnEnterResult210200");
        CGameFrameView::OnEnterResult210200();
    }
    void OnEnterResult210210() override {
        Record("OnEnterResult210210");
        CGameFrameView::OnEnterResult210210();
    }
    void OnEnterResult210220() override {
        Record("OnEnterResult210220");
        CGameFrameView::OnEnterResult210220();
    }
    void OnMatchSignedUp() override {
        Record("OnMatchSignedUp");
        CGameFrameView::OnMatchSignedUp();
    }
    void ShowNotSignedUp() override {
        Record("ShowNotSignedUp");
        CGameFrameView::ShowNotSignedUp();
    }
    void ShowWashedOut() override {
        Record("ShowWashedOut");
        CGameFrameView::ShowWashedOut();
    }
    void ShowMatchOver() override {
        Record("ShowMatchOver");
        CGameFrameView::ShowMatchOver();
    }
    void ShowMatchLate() override {
        Record("ShowMatchLate");
        CGameFrameView::ShowMatchLate();
    }
    void ShowMatchAlreadyStarted() override {
        Record("ShowMatchAlreadyStarted");
        CGameFrameView::ShowMatchAlreadyStarted();
    }
    void ShowSystemCancel() override {
        Record("ShowSystemCancel");
        CGameFrameView::ShowSystemCancel();
    }
    void ShowSelfCancel() override {
        Record("ShowSelfCancel");
        CGameFrameView::ShowSelfCancel();
    }
    void ShowWaitSignUpCheck() override {
        Record("ShowWaitSignUpCheck");
        CGameFrameView::ShowWaitSignUpCheck();
    }
    void ShowSystemRejected() override {
        Record("ShowSystemRejected");
        CGameFrameView::ShowSystemRejected();
    }
    void ShowExitRequestBox(const uint8_t* record, size_t length) override {
        Record("ShowExitRequestBox " + std::to_string(length));
        CGameFrameView::ShowExitRequestBox(record, length);
    }
    void ForwardUserEnterTable(const uint8_t* seat, size_t length) override {
        RecordSeat("ForwardUserEnterTable", seat, length);
        CGameFrameView::ForwardUserEnterTable(seat, length);
    }
    void ForwardUserLeaveTable(const uint8_t* seat, size_t length) override {
        RecordSeat("ForwardUserLeaveTable", seat, length);
        CGameFrameView::ForwardUserLeaveTable(seat, length);
    }
    void ForwardLookOnLeave(const uint8_t* user, size_t length) override {
        RecordSeat("ForwardLookOnLeave", user, length);
        CGameFrameView::ForwardLookOnLeave(user, length);
    }
    void ForwardRandomTable(const uint8_t* record, size_t length) override {
        Record("ForwardRandomTable " + std::to_string(length));
        CGameFrameView::ForwardRandomTable(record, length);
    }
    void ForwardChangeTable(const uint8_t* record, size_t length) override {
        Record("ForwardChangeTable " + std::to_string(length));
        CGameFrameView::ForwardChangeTable(record, length);
    }
    void ShowEliminationRound() override {
        Record("ShowEliminationRound");
        CGameFrameView::ShowEliminationRound();
    }
    void OnServerNotice211190(const uint8_t* record, size_t length) override {
        Record("OnServerNotice211190 " + std::to_string(length));
        CGameFrameView::OnServerNotice211190(record, length);
    }
    void OnServerNotice211191(const uint8_t* record, size_t length) override {
        Record("OnServerNotice211191 " + std::to_string(length));
        CGameFrameView::OnServerNotice211191(record, length);
    }
    void OnMatchBegin(const uint8_t* record, size_t length) override {
        Record("OnMatchBegin " + std::to_string(length));
        CGameFrameView::OnMatchBegin(record, length);
    }
    void OnRestTables(const uint8_t* record, size_t length) override {
        Record("OnRestTables " + std::to_string(length));
        CGameFrameView::OnRestTables(record, length);
    }
    void OnMatchPlayerInfo(const uint8_t* record, size_t length) override {
        Record("OnMatchPlayerInfo " + std::to_string(length));
        CGameFrameView::OnMatchPlayerInfo(record, length);
    }
    void OnSignUpSucceeded() override {
        Record("OnSignUpSucceeded");
        CGameFrameView::OnSignUpSucceeded();
    }
    void OnWithdrawn() override {
        Record("OnWithdrawn");
        CGameFrameView::OnWithdrawn();
    }
    void ShowSystemBoard(const char* text, uint32_t color, int size) override {
        Record("ShowSystemBoard " + std::string(text) + " " + std::to_string(color) + " " +
               std::to_string(size));
        CGameFrameView::ShowSystemBoard(text, color, size);
    }
    uint32_t PlaySound(const char* name, int plays, const EventRecord* notify) override {
        Record("PlaySound " + std::string(name) + " " + std::to_string(plays));
        return CGameFrameView::PlaySound(name, plays, notify);
    }
    void LeaveAndClose() override {
        Record("LeaveAndClose");
        CGameFrameView::LeaveAndClose();
    }
    // "<call> <user id> <length>": the user id read from the record's word 0.
    void RecordSeat(const std::string& call, const uint8_t* record, size_t length) {
        const int32_t userId =
            record != nullptr && length >= 4 ? WordAt(std::span<const uint8_t>(record, 4), 0) : 0;
        Record(call + " " + std::to_string(userId) + " " + std::to_string(length));
    }

    void Record(std::string call) {
        if (onCall) {
            onCall(call);
        }
        calls.push_back(std::move(call));
    }
    int Count(const std::string& prefix) const { return CountCalls(calls, prefix); }

    // Told of every call as it is recorded.
    std::function<void(const std::string&)> onCall;
    RecordingPanel mainGame;
    ObservedSystemBars subSystem;
    std::vector<std::string> calls;
    EventRecord lastOkEvent{};
};

// A notification handler that records every call; it throws when told to.
class RecordingNotifyHandler : public CGameNotifyHandler {
public:
    void OnNotify(int32_t id, const void* data, size_t length) override {
        notified.emplace_back(id, length);
        if (throwOnNotify) {
            throw std::runtime_error("handler failed");
        }
        if (dispatch) {
            CGameNotifyHandler::OnNotify(id, data, length);
        }
    }
    // Passes each notification on to the frame's own dispatch.
    bool dispatch = false;
    void RecordLastNotify(int32_t id, const void*, size_t length) override {
        recorded.emplace_back(id, length);
        last = {id, static_cast<uint32_t>(length), platform::GetTickCount32()};
    }
    LastNotify GetLastNotify() const override { return last; }
    LastNotify last;
    bool throwOnNotify = false;
    std::vector<std::pair<int32_t, size_t>> notified;
    std::vector<std::pair<int32_t, size_t>> recorded;
};

// What a wait display saw, kept apart from it: the display itself belongs
// to the communication thread and may outlive the test's view of it.
struct WaitDisplayLog {
    std::mutex lock;
    std::vector<std::string> calls;  // "show <text> <seconds>", "hide", "destroyed"
    platform::ThreadId madeOn = 0;
    platform::ThreadId destroyedOn = 0;
    // While set, Show waits for `release` (a thread that does not end).
    bool blockInShow = false;
    platform::Event inShow{platform::Event::Mode::ManualReset};
    platform::Event release{platform::Event::Mode::ManualReset};
    platform::Event destroyed{platform::Event::Mode::ManualReset};

    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> guard(lock);
        return calls;
    }
    void Add(std::string call) {
        std::lock_guard<std::mutex> guard(lock);
        calls.push_back(std::move(call));
    }
};

class RecordingWaitDisplay : public CWaitDisplay {
public:
    explicit RecordingWaitDisplay(std::shared_ptr<WaitDisplayLog> log) : log_(std::move(log)) {
        log_->madeOn = platform::CurrentThreadId();
    }
    ~RecordingWaitDisplay() override {
        Destroy();
        log_->destroyedOn = platform::CurrentThreadId();
        log_->Add("destroyed");
        log_->destroyed.Set();
    }
    void Show(const std::string& text, int seconds) override {
        log_->Add("show " + text + " " + std::to_string(seconds));
        if (log_->blockInShow) {
            log_->inShow.Set();
            log_->release.Wait();
        }
    }
    void Hide() override { log_->Add("hide"); }

    static WaitDisplayFactory Factory(std::shared_ptr<WaitDisplayLog> log) {
        return [log] { return std::make_unique<RecordingWaitDisplay>(log); };
    }

private:
    std::shared_ptr<WaitDisplayLog> log_;
};

// Handles the test thread's messages until the condition holds or the time
// passes; true when it held. A quit message is remembered, not obeyed.
inline bool PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs,
                      bool* sawQuit = nullptr) {
    const uint32_t start = platform::GetTickCount32();
    while (!done()) {
        if (platform::GetTickCount32() - start >= timeoutMs) {
            return false;
        }
        platform::Message message;
        if (platform::PeekMessage(message, platform::PeekMode::Remove)) {
            if (message.id == platform::kMsgQuit && message.window == 0) {
                if (sawQuit != nullptr) {
                    *sawQuit = true;
                }
                continue;
            }
            platform::DispatchMessage(message);
        } else {
            platform::WaitMessage(10);
        }
    }
    return true;
}

// A notification pair as the socket thread makes it.
inline std::pair<platform::WParam, platform::LParam> MakeNotification(uint32_t code,
                                                                      uint32_t connectionId,
                                                                      std::string data = {}) {
    auto* info = new ZepDeliveryInfo;
    info->connectionId = connectionId;
    auto* message = new ZepMessage;
    message->SetCode(code);
    message->SetData(data.data(), static_cast<uint32_t>(data.size()));
    return {reinterpret_cast<platform::WParam>(info), reinterpret_cast<platform::LParam>(message)};
}

// The table data of the frame's tests: the exit-request bookkeeping the
// frame reads and writes; it keeps no hand.
class FrameTableData : public CGameTableData {
public:
    int IsHandRunning() const override { return 0; }
    int IsSeatStarted(int) const override { return 0; }
    void ClearHandArea() override {}
    bool SetSeatStarted(std::span<const uint8_t>) override { return false; }
    void ClearSeatsStarted() override { ResetCounters(); }
    bool StoreHandStart(std::span<const uint8_t>) override { return false; }
    bool StoreGameResult(std::span<const uint8_t>) override { return false; }
    std::span<const uint8_t> GetHandStartRecord() const override { return {}; }
    std::span<const uint8_t> GetHandStateTail() const override { return {}; }
    std::span<const uint8_t> GetGameResult() const override { return {}; }
    int GetHandStartTiles(std::span<int32_t>) const override { return 0; }
    int GetSeatResultTiles(int, std::span<int32_t>) const override { return 0; }
    int32_t GetHandStartSeatValue(int) const override { return 0; }
    uint32_t GetExitRequestTick() const override { return exitRequestTick_; }
    void SetExitRequestTick(uint32_t tick) override { exitRequestTick_ = tick; }

private:
    uint32_t exitRequestTick_ = 0;
};

// The application of the tests: a game of settable chairs with the doubles.
class TestFrameApp : public CGameFrameApp {
public:
    TestFrameApp() : CGameFrameApp("pvbn", 21265, 13, 1) {
        SetFramePanelFactories(RecordingPanelFactories(panels));
    }
    int GetPlayerCount() override { return playerCount; }
    bool IsMatch() const override { return match || CGameFrameApp::IsMatch(); }
    CGameNotifyHandler* GetNotifyHandler() override { return &handler; }
    CGameConnection* GetConnection() override { return &connection; }
    CGameTableData* GetTableData() override { return &tableData; }
    void OnWealthChanged() override { ++wealthChanged; }
    // The recording view (the engine owns it once the window took it).
    std::unique_ptr<CGameFrameView> CreateFrameView() override {
        auto view = std::make_unique<ObservedFrameView>();
        madeView = view.get();
        return view;
    }
    using CGameFrameApp::ExitInstance;
    using CGameFrameApp::InitInstance;
    using CGameFrameApp::SetLaunchFields;

    int playerCount = 4;
    bool match = false;  // a match client whatever the settings say
    int wealthChanged = 0;
    std::shared_ptr<PanelLog> panels = std::make_shared<PanelLog>();
    ObservedFrameView* madeView = nullptr;  // the last one made
    RecordingNotifyHandler handler;
    ScriptedConnection connection;
    FrameTableData tableData;
};
