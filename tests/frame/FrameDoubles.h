#pragma once
// Test doubles for the objects the application reaches through its seams:
// a recording frame view with a side panel that holds named recording bars,
// a recording notification handler, a scripted connection and a test
// application with a settable number of chairs.

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame/GameFrameApp.h"

// An engine object that records the events it receives.
class RecordingBar : public CCorvaneObject {
public:
    int OnEvent(const EventRecord& record) override {
        events.push_back(record.event);
        params.push_back(record.param1);
        return 1;
    }
    std::vector<int> events;
    std::vector<intptr_t> params;
};

// The side panel or game view: records its own events; finds its bars by name.
class RecordingPanel : public CCorvaneView {
public:
    int OnEvent(const EventRecord& record) override {
        events.push_back(record.event);
        if (record.event == kEventAppendChatText && record.param1 != 0) {
            chatLines.emplace_back(EventParamPointer<const char>(record.param1));
        }
        return 1;
    }
    CCorvaneObject* FindObjectByName(const char* name) override {
        const auto found = bars.find(name);
        return found != bars.end() ? found->second.get() : nullptr;
    }
    RecordingBar& AddBar(const std::string& name) {
        auto& bar = bars[name];
        bar = std::make_unique<RecordingBar>();
        return *bar;
    }
    std::vector<int> events;
    std::vector<std::string> chatLines;
    std::map<std::string, std::unique_ptr<RecordingBar>> bars;
};

// The frame view: every call is recorded as a line of text.
class RecordingFrameView : public CGameFrameView {
public:
    RecordingFrameView() { subSystem.AddBar("AdvertBar"); }

    CCorvaneView* GetMainGame() override { return &mainGame; }
    CCorvaneView* GetSubSystem() override { return &subSystem; }
    void OnGameDataReady() override { Record("OnGameDataReady"); }
    int GetNormalWidth() override { return 800; }
    int GetNormalHeight() override { return 600; }
    int GetWindowFitMode() override { return 1; }
    void ShowInfoBox(const char* text, const EventRecord* okEvent, const EventRecord*, int seconds,
                     int style, const char* image) override {
        Record("ShowInfoBox " + std::string(text) + " " + std::to_string(seconds) + " " +
               std::to_string(style) + " " + image);
        lastOkEvent = okEvent != nullptr ? *okEvent : EventRecord{};
    }
    void ShowNoticeBox(const char* text, int seconds, int style, const char* image) override {
        Record("ShowNoticeBox " + std::string(text) + " " + std::to_string(seconds) + " " +
               std::to_string(style) + " " + image);
    }
    void ShowNoticeBoxEx(const char* text, const char*, int, int, int, int, const char*,
                         const char*) override {
        Record("ShowNoticeBoxEx " + std::string(text));
    }
    void ShowQuitConfirmBoard() override { Record("ShowQuitConfirmBoard"); }
    void ShowForceQuitBox() override { Record("ShowForceQuitBox"); }
    void ForwardLookOnEnter(const uint8_t*) override { Record("ForwardLookOnEnter"); }
    void FillPlayerDetail(const uint8_t*) override { Record("FillPlayerDetail"); }
    void PlacePlayerCardAt(int32_t, int, int) override { Record("PlacePlayerCardAt"); }
    void OpenCardUserDetail() override { Record("OpenCardUserDetail"); }
    void ForwardPlayersRenamed(const uint8_t*, size_t length) override {
        Record("ForwardPlayersRenamed " + std::to_string(length));
    }
    void ForwardBaseSilver(const uint8_t*, size_t) override { Record("ForwardBaseSilver"); }
    void ForwardPrizeNotify(const uint8_t*, size_t) override { Record("ForwardPrizeNotify"); }
    void OnEnterResult210200() override { Record("OnEnterResult210200"); }
    void OnEnterResult210210() override { Record("OnEnterResult210210"); }
    void OnEnterResult210220() override { Record("OnEnterResult210220"); }
    void OnMatchSignedUp() override { Record("OnMatchSignedUp"); }
    void ShowNotSignedUp() override { Record("ShowNotSignedUp"); }
    void ShowWashedOut() override { Record("ShowWashedOut"); }
    void ShowMatchOver() override { Record("ShowMatchOver"); }
    void ShowMatchLate() override { Record("ShowMatchLate"); }
    void ShowMatchAlreadyStarted() override { Record("ShowMatchAlreadyStarted"); }
    void ShowSystemCancel() override { Record("ShowSystemCancel"); }
    void ShowSelfCancel() override { Record("ShowSelfCancel"); }
    void ShowWaitSignUpCheck() override { Record("ShowWaitSignUpCheck"); }
    void ShowSystemRejected() override { Record("ShowSystemRejected"); }

    void Record(std::string call) { calls.push_back(std::move(call)); }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const std::string& call : calls) {
            n += call.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return n;
    }

    RecordingPanel mainGame;
    RecordingPanel subSystem;
    std::vector<std::string> calls;
    EventRecord lastOkEvent{};
};

// A notification handler that records every call; it throws when told to.
class RecordingNotifyHandler : public CGameNotifyHandler {
public:
    void OnNotify(int32_t id, const void*, size_t length) override {
        notified.emplace_back(id, length);
        if (throwOnNotify) {
            throw std::runtime_error("handler failed");
        }
    }
    void RecordLastNotify(int32_t id, const void*, size_t length) override {
        recorded.emplace_back(id, length);
    }
    bool throwOnNotify = false;
    std::vector<std::pair<int32_t, size_t>> notified;
    std::vector<std::pair<int32_t, size_t>> recorded;
};

// The application of the tests: a game of settable chairs with the doubles.
class TestFrameApp : public CGameFrameApp {
public:
    TestFrameApp() : CGameFrameApp("pvbn", 21265, 13, 1) {}
    int GetPlayerCount() override { return playerCount; }
    CGameNotifyHandler* GetNotifyHandler() override { return &handler; }
    CGameTableData* GetTableData() override { return &tableData; }
    void OnWealthChanged() override { ++wealthChanged; }
    using CGameFrameApp::SetLaunchFields;

    int playerCount = 4;
    int wealthChanged = 0;
    RecordingNotifyHandler handler;
    CGameTableData tableData;
};
