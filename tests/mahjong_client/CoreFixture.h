#pragma once
// The mahjong layer's application, handler and connection with a recording
// table view: the ground of the dispatch and connection tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "frame/LaunchRecordBuilder.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/net/MahjongConnection.h"
#include "mahjong_client/net/MahjongNotifyHandler.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "platform/Files.h"
#include "tests/zep/ZepTestFolder.h"
#include "zep/ZepLog.h"
#include "zep/ZepWire.h"

namespace core_test {

constexpr int32_t kOwnId = 5001;
constexpr int32_t kOwnChair = 2;
constexpr int32_t kRoomId = 300;
constexpr int32_t kTableNo = 7;

// Little-endian words, then zeros up to `size` bytes (at least the words).
inline std::vector<uint8_t> Record(size_t size, std::initializer_list<int32_t> words = {}) {
    std::vector<uint8_t> bytes(std::max(size, words.size() * 4), 0);
    ZepWireWriter writer(bytes);
    for (int32_t word : words) {
        writer.WriteI32(word);
    }
    return bytes;
}

// A table view that records which notification operation got what.
class RecordingTableView : public CMahjongTableView {
public:
    int ChairToPosition(int chair) const override {
        if (chair < 0 || chair > 3 || chair == unseatedChair) {
            return -1;
        }
        return (chair - kOwnChair + 7) % 4;
    }
    void OnPlayerStarted(int chair) override { Note("started " + std::to_string(chair)); }
    bool OnStartGameNotify(NotifyRecord r) override { return Note("201160", r); }
    bool OnNotify211240(NotifyRecord r) override { return Note("211240", r); }
    bool OnNotify211300(NotifyRecord r) override { return Note("211300", r); }
    bool OnCardThrown(NotifyRecord r) override { return Note("222170", r); }
    bool OnCardCaught(NotifyRecord r) override { return Note("229160", r); }
    bool OnNotify229165(NotifyRecord r) override { return Note("229165", r); }
    bool OnNotify229170(NotifyRecord r) override { return Note("229170", r); }
    bool OnNotify229175(NotifyRecord r) override { return Note("229175", r); }
    bool OnGangHuNotice(NotifyRecord r) override { return Note("229180", r); }
    bool OnGameMsg229185(NotifyRecord r) override { return Note("229185", r); }
    bool OnNotify229190(NotifyRecord r) override { return Note("229190", r); }
    bool OnCardsGang(NotifyRecord r, int id) override { return Note(std::to_string(id), r); }
    bool OnCardsHua(NotifyRecord r) override { return Note("229210", r); }
    bool OnAutoPlayStatus(NotifyRecord r) override { return Note("229500", r); }
    bool OnLookCardAsk(NotifyRecord r) override { return Note("229550", r); }
    bool OnLookCardReply(NotifyRecord r) override { return Note("229570", r); }
    bool OnNotify229580(NotifyRecord r) override { return Note("229580", r); }

    std::vector<std::string> calls;
    int unseatedChair = -1;  // a chair without a screen position
    bool refuse = false;     // answer every record as too short

private:
    void Note(const std::string& call) { calls.push_back(call); }
    bool Note(const std::string& id, NotifyRecord record) {
        calls.push_back(id + " " + std::to_string(record.size()));
        return !refuse;
    }
};

// The game's part of the table data: seat marks, no hand state.
class CoreTableData : public CMahjongTableData {
public:
    int IsSeatStarted(int chair) const override {
        return std::find(started.begin(), started.end(), chair) != started.end() ? 1 : 0;
    }
    bool SetSeatStarted(std::span<const uint8_t> record) override {
        if (record.size() < 16) {
            return false;
        }
        ZepWireReader reader(record.subspan(12));
        int32_t chair = -1;
        reader.ReadI32(chair);
        started.push_back(chair);
        return true;
    }
    std::span<const uint8_t> GetHandStateTail() const override { return {}; }
    std::vector<int32_t> started;
};

// The handler of the tests: the recording view stands for the table view.
class CoreHandler : public CMahjongNotifyHandler {
public:
    explicit CoreHandler(RecordingTableView* view) : view_(view) {}

protected:
    CMahjongTableView* TableView() const override { return view_; }

private:
    RecordingTableView* view_;
};

class CoreApp : public CMahjongApp {
public:
    CoreApp() : CMahjongApp("pvbn", 21265, 13, 1) {}
    // A test never starts the program again when the application goes.
    ~CoreApp() override { SetRelaunchOnExit(false); }
    int GetPlayerCount() override { return playerCount; }
    CGameNotifyHandler* GetNotifyHandler() override { return &handler; }
    CGameConnection* GetConnection() override { return connection; }
    CGameTableData* GetTableData() override { return &tableData; }
    int GetRejectKanPaiAsk() override { return rejectAsk; }
    using CGameFrameApp::SetLaunchFields;

    // Seats the own user at kOwnChair of table kTableNo in room kRoomId, as
    // a player or a looker-on.
    void Launch(int32_t lookOn = 0) {
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kOwnId;
        fields.tableNo = kTableNo;
        fields.chairNo = kOwnChair;
        fields.hallRoomId = kRoomId;
        fields.lookOn = lookOn;
        SetLaunchFields(fields);
        LaunchRecordBuilder builder;
        builder.room.roomId = kRoomId;
        builder.table.tableNo = kTableNo;
        builder.seats = {MakeLaunchUser(4000, 0, "甲"), MakeLaunchUser(4001, 1, "乙"),
                         MakeLaunchUser(4003, 3, "丁")};
        UserRecord own = MakeLaunchUser(kOwnId, kOwnChair, "自己", lookOn);
        if (lookOn != 0) {
            builder.lookers.push_back(own);
        } else {
            builder.seats.push_back(own);
        }
        ASSERT_TRUE(InitGameData(builder.Build()));
    }

    int playerCount = 4;
    int rejectAsk = 0;
    RecordingTableView view;
    CoreHandler handler{&view};
    CoreTableData tableData;
    CGameConnection* connection = nullptr;
};

// Lines the network library's log got during a test.
class LogCapture {
public:
    LogCapture() {
        platform::SetProgramFolderForTesting(folder_.WithSlash());
        ZepLogInit("corelog", kZepLogDefaultOptions);
    }
    ~LogCapture() {
        ZepLogInit("ZEPLog", kZepLogDefaultOptions);
        platform::SetProgramFolderForTesting("");
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Every line, without its time stamp.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
            const std::string text = zeptest::ReadFileBytes(entry.path());
            size_t start = 0;
            while (start < text.size()) {
                size_t end = text.find("\r\n", start);
                if (end == std::string::npos) {
                    end = text.size();
                }
                const std::string line = text.substr(start, end - start);
                // "yyyy/mm/dd  hh:mm:ss  " comes first.
                lines.push_back(line.size() > 22 ? line.substr(22) : line);
                start = end + 2;
            }
        }
        return lines;
    }

private:
    zeptest::TempFolder folder_;
};

}  // namespace core_test
