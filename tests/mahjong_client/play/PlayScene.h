#pragma once
// A table view in a headless scene on a hand-driven clock, inside a mahjong
// application whose connection writes down every request and answers from
// a script instead of the network. Notifications go through the mahjong
// layer's real handler. Free of any test framework, so the fuzz targets
// build on it as the hand-flow tests do.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/CorvaneView.h"
#include "engine/GameCore.h"
#include "engine/ObjectModule.h"
#include "engine/ResourceModule.h"
#include "frame/LaunchRecordBuilder.h"
#include "frame/view/GameFrameView.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/net/MahjongConnection.h"
#include "mahjong_client/net/MahjongNotifyHandler.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/mahjong_client/support/HandRecords.h"

namespace play_test {

namespace tp = table_protocol;

inline constexpr int32_t kOwnId = 7001;
inline constexpr int32_t kOwnChair = 0;
inline constexpr int32_t kRoomId = 41;
inline constexpr int32_t kTableNo = 3;
inline constexpr int32_t kReactionSeconds = 12;
inline constexpr int32_t kDiscardSeconds = 20;

// 32-bit little-endian words as bytes.
std::vector<uint8_t> Words(std::span<const int32_t> words);
std::vector<uint8_t> Words(std::initializer_list<int32_t> words);
// Word `index` of the bytes (0 past their end).
int32_t WordOf(std::span<const uint8_t> bytes, size_t index);

// One request as it left the client.
struct SentRequest {
    uint32_t id = 0;
    std::vector<uint8_t> body;
    int wait = 0;
};

// The connection of the tests: every request is written down; a waited one
// takes the next answer scripted for its id (result 10 and no bytes when
// none is), an unwaited one counts as sent.
class RecordingConnection : public CMahjongConnection {
public:
    struct Answer {
        int sent = 1;  // 0: no reply came
        uint32_t result = tp::kResultDone;
        std::vector<uint8_t> reply;
    };

    int ProcessRequest(std::string& text, uint32_t requestId, std::span<const uint8_t> body,
                       uint32_t& result, std::vector<uint8_t>& reply, int wait) override;
    int StartGame(std::string& text) override;
    int SetLookOnPermission(int32_t userId, int32_t allow) override;
    int ReportNotifyFailure(int32_t id, const void* data, size_t length) override;

    void Script(uint32_t requestId, Answer answer) {
        answers[requestId].push_back(std::move(answer));
    }
    // The requests of that id, in order.
    std::vector<SentRequest> SentOf(uint32_t requestId) const;

    std::map<uint32_t, std::deque<Answer>> answers;
    std::vector<SentRequest> sent;
    std::vector<int32_t> failureReports;
};

class PlayTableData : public CMahjongTableData {
public:
    int IsSeatStarted(int chair) const override;
    bool SetSeatStarted(std::span<const uint8_t> record) override;
    std::span<const uint8_t> GetHandStateTail() const override { return {}; }

    std::array<int, kMaxChairs> started{};
};

// The side panel: keeps the chat lines it is sent.
class ChatPanel : public CCorvaneView {
public:
    int OnEvent(const EventRecord& record) override;
    std::vector<std::string> lines;
};

// The frame view around the table: keeps the info boxes it is asked for.
class HostFrameView : public CGameFrameView {
public:
    HostFrameView() { SetSubSystem(&chat); }
    void ShowInfoBox(const char* text, const EventRecord* okEvent, const EventRecord* cancelEvent,
                     int seconds, int style, const char* image) override;

    struct Box {
        std::string text;
        EventRecord ok{};
        EventRecord cancel{};
        int seconds = 0;
        int style = 0;
    };
    std::vector<Box> boxes;
    ChatPanel chat;
};

// The table view with the operations the tests watch written down.
class WatchedTableView : public CMahjongTableView {
public:
    void PlayHuAnimation(int position) override {
        huAnimations.push_back(position);
        CMahjongTableView::PlayHuAnimation(position);
    }
    void OnResultTimeout() override {
        ++resultTimeouts;
        CMahjongTableView::OnResultTimeout();
    }
    std::vector<int> huAnimations;
    int resultTimeouts = 0;
};

class PlayApp : public CMahjongApp {
public:
    PlayApp() : CMahjongApp("pvbn", 21265, 13, 1) {}
    int GetPlayerCount() override { return 4; }
    CGameNotifyHandler* GetNotifyHandler() override { return &handler; }
    CGameConnection* GetConnection() override { return &connection; }
    CGameTableData* GetTableData() override { return &tableData; }
    using CGameFrameApp::SetLaunchFields;

    RecordingConnection connection;
    CMahjongNotifyHandler handler;
    PlayTableData tableData;
};

// The hand-start record of the tests' hands: the own chair holds `ownTiles`.
struct HandStart {
    int32_t banker = kOwnChair;
    int32_t turnChair = kOwnChair;
    int32_t wallStart = 0;
    int32_t chiRule = 1;
    int32_t claimSkipRule = 0;
    std::array<int32_t, 4> dice{3, 4, 0, 0};
    std::vector<int32_t> ownTiles;
    std::vector<uint8_t> Build() const;
};

// The table in its headless scene: a core with a resource module holding a
// one-colour picture for each button, an object module holding the view,
// the frame view around it and the launched application. Open builds it,
// Close takes it down; nothing here opens a window.
class PlayScene {
public:
    virtual ~PlayScene() = default;

    // Builds the scene and launches the table as a player; false when a
    // step is refused.
    bool Open();
    void Close();
    // The table view the scene plays on.
    virtual WatchedTableView* MakeView() { return new WatchedTableView; }

    // Launches the table as a player or a looker-on on the own chair.
    bool LaunchTable(bool lookOn);
    // Runs engine frames for `ms` of the hand-driven clock.
    void Frames(int64_t ms, int64_t step = 20);
    // A server notification through the mahjong layer's handler; false when
    // it was refused.
    bool Notify(int32_t id, const std::vector<uint8_t>& record);
    // Stores the hand start and starts the hand as the game's handler does,
    // then lets the dice and the deal run.
    bool DealHand(const HandStart& start);
    // The tile ids of a row, by hand index (-1 for an empty place).
    std::vector<int32_t> RowTiles(int position);
    int RowSize(int position);
    int DiscardCount(int position);
    // A one-colour skin picture for the scene's resources.
    void AddImage(const std::string& name, int width, int height);

    // The name of the player on the own chair when the table is looked on.
    std::string seatOwnerName = "座主";
    ManualTime time;
    std::unique_ptr<GameCore> core;
    ObjectModule* objects = nullptr;
    ResourceModule* resources = nullptr;
    WatchedTableView* view = nullptr;  // the object module owns it
    HostFrameView host;
    PlayApp app;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> images;
};

// Builders of the server's records (the others: tests/mahjong_client/support).
using table_test::CardThrown;
using table_test::GameResultRecord;
using table_test::MeldNotice;
using table_test::SeatDraw;
std::vector<uint8_t> DrawReplyBytes(int32_t tile, int32_t wallIndex, int32_t options);

}  // namespace play_test
