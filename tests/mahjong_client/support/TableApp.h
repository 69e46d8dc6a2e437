#pragma once
// The table application of the tests: the mahjong layer's application with
// a real connection, table data and notification handler, and a frame view
// that holds the table's side panel ("SubSystem") and the table view
// ("MainGame"), as the regional game will put them together.
//
// The regional notification handler is not there yet; its stand-in here
// does the two steps of it the table needs: 211040 stores the hand-start
// record and starts the hand on the table view, 211080 stores the result
// and ends the round. A short record of either is refused the frame's way.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongFrameView.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/net/MahjongConnection.h"
#include "mahjong_client/net/MahjongNotifyHandler.h"
#include "mahjong_client/panels/TableSystemBar.h"
#include "mahjong_client/table/MahjongTableView.h"

namespace table_test {

inline constexpr int32_t kHandStartId = 211040;
inline constexpr int32_t kGameResultId = 211080;

// The table data of the tests' game: the mahjong layer's records, and the
// seats' "started" marks by chair (from the 201160 record's chair word).
class TestTableData : public CMahjongTableData {
public:
    int IsSeatStarted(int chair) const override;
    bool SetSeatStarted(std::span<const uint8_t> record) override;
    void ClearSeatsStarted() override;
    std::span<const uint8_t> GetHandStateTail() const override { return {}; }

private:
    std::array<int, kMaxChairs> started_{};
};

// The stand-in for the regional handler: hand start and hand end, every
// other id the mahjong layer's. Writes down each id it was given.
class TestRegionalHandler : public CMahjongNotifyHandler {
public:
    void OnNotify(int32_t id, const void* data, size_t length) override;
    // Counts the notifications the frame window finished.
    void RecordLastNotify(int32_t id, const void* data, size_t length) override;
    std::vector<int32_t> seen;
    std::atomic<int> finished{0};
};

// A table view that writes down every notification operation it is given
// (as "<operation> <length>", "OnPlayerStarted <chair>") and then runs the
// view's own.
class RecordingTableView : public CMahjongTableView {
public:
    bool OnStartGameNotify(NotifyRecord record) override;
    bool OnNotify211240(NotifyRecord record) override;
    bool OnNotify211300(NotifyRecord record) override;
    bool OnCardThrown(NotifyRecord record) override;
    bool OnCardCaught(NotifyRecord record) override;
    bool OnNotify229165(NotifyRecord record) override;
    bool OnNotify229170(NotifyRecord record) override;
    bool OnNotify229175(NotifyRecord record) override;
    bool OnGangHuNotice(NotifyRecord record) override;
    bool OnGameMsg229185(NotifyRecord record) override;
    bool OnNotify229190(NotifyRecord record) override;
    bool OnCardsGang(NotifyRecord record, int id) override;
    bool OnCardsHua(NotifyRecord record) override;
    bool OnAutoPlayStatus(NotifyRecord record) override;
    bool OnLookCardAsk(NotifyRecord record) override;
    bool OnLookCardReply(NotifyRecord record) override;
    bool OnNotify229580(NotifyRecord record) override;
    void OnPlayerStarted(int chair) override;
    void ShowRoundInfo() override;
    void OnRoundEnd(NotifyRecord record) override;

    std::vector<std::string> TakeCalls();
    std::vector<std::string> calls;

private:
    void Record(const char* operation, size_t length);
};

// The frame view of the table: the frame's chrome, the table's side panel
// and the table view.
class TableFrameView : public CMahjongFrameView {
public:
    void OnCreateEnd() override;
    CTableSystemBar* sidePanel = nullptr;  // the engine's once made
    RecordingTableView* table = nullptr;
};

// The application: a four-seat game with the mahjong layer's objects.
class TestTableApp : public CMahjongApp {
public:
    TestTableApp();
    ~TestTableApp() override;

    int GetPlayerCount() override { return 4; }
    CGameNotifyHandler* GetNotifyHandler() override { return &handler; }
    CGameConnection* GetConnection() override { return &connection; }
    CGameTableData* GetTableData() override { return &tableData; }
    std::span<uint8_t> GetResponseBuffer() override { return responseBuffer; }
    std::span<uint8_t> GetTableReplyBuffer() override { return tableReplyBuffer; }
    std::unique_ptr<CGameFrameView> CreateFrameView() override;

    using CGameFrameApp::InitGameData;
    using CGameFrameApp::SetLaunchFields;

    CMahjongConnection connection;
    TestRegionalHandler handler;
    TestTableData tableData;
    std::array<uint8_t, 1096> responseBuffer{};
    std::array<uint8_t, 15156> tableReplyBuffer{};
};

}  // namespace table_test
