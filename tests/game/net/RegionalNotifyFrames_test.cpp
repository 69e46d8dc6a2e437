// Every regional notification sent by the loopback test server as real
// frames to the program's client with its main window: whole, it takes
// effect; cut at each field boundary short of its minimum, it is refused
// (one 201162 report at the server, the table data and the application
// byte for byte as they were) and the connection stays; with 64 KiB
// appended it acts as the whole one and nothing more is kept. 211000 closes
// the connection by design, so it comes last.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "frame/net/GameNotifyHandler.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/game/support/GameWindow.h"
#include "tests/game/support/RecordCuts.h"
#include "tools/test_server/FrameScript.h"
#include "tools/test_server/TestGameServer.h"
#include "zep/ZepWire.h"

namespace {

namespace tp = table_protocol;

using game_test::FieldStarts;

struct Notice {
    int32_t id;
    std::vector<uint8_t> record;
    std::vector<size_t> cuts;  // lengths that are refused
};

std::vector<size_t> Words(size_t upTo) {
    std::vector<size_t> cuts;
    for (size_t at = 0; at < upTo; at += 4) {
        cuts.push_back(at);
    }
    return cuts;
}

template <class R>
std::vector<size_t> Fields() {
    std::vector<size_t> cuts = FieldStarts<R>();
    cuts.push_back(R::kSize - 1);
    return cuts;
}

// The hand state of a hand in play (running, past its swap), else zero.
std::vector<uint8_t> RunningHandState() {
    std::vector<uint8_t> state(tp::kHandStateBytes, 0);
    ZepWireWriter(std::span(state).subspan(14 * 4)).WriteI32(tp::kStartHandRunning);
    return state;
}

std::vector<Notice> Notices() {
    tp::SeatStartedNotice started;
    started.head = {game_test::WindowUserOf(1), game_test::kWindowRoomId, game_test::kWindowTableNo,
                    1};
    tp::HandStartRecord start;
    start.banker = 3;
    start.turnChair = 3;
    start.startFlags = tp::kStartHandRunning | tp::kStartSwapPhase;
    start.reactionTime = 30;
    start.discardTime = 30;
    start.dice = {4, 0, 0, 0};
    start.wildTiles = {4, 4};
    start.wildIndicator = 4;
    start.seatTileCounts = {13, 13, 13, 14};
    start.ownTiles.fill(-1);
    for (int i = 0; i < 13; ++i) {
        start.ownTiles[static_cast<size_t>(i)] = i;
    }
    const std::vector<uint8_t> startBytes = tp::WriteTableRecord(start);
    tp::SwapReadyNotice ready;
    ready.chair = 1;
    ready.kind = tp::kSwapReadyKind;
    ready.pointerChair = 1;
    tp::SwapDiceNotice dice;
    dice.die = 4;
    dice.tingList.fill(-1);
    tp::CardThrownNotice ting;
    ting.thrower = 1;
    ting.tile = 50;
    tp::WelfareActivityNotice welfare;
    welfare.activityId = 12;
    tp::GameResultRecord result;
    result.playerCount = 4;
    result.winner = 1;
    result.discarder = 2;
    result.winFlags = {0, 1, 0, 0};
    result.seatTiles.fill(-1);
    std::vector<uint8_t> chat(36, 0);
    ZepWireWriter(chat).WriteI32(game_test::WindowUserOf(1));
    ZepWireWriter(std::span(chat).subspan(8)).WriteI32(8);
    const std::string line = "<c=255>hello\r\n";
    chat.insert(chat.end(), line.begin(), line.end());
    chat.push_back(0);
    const std::string url = "http://127.0.0.1/pay";
    std::vector<uint8_t> table(64, 0);
    table.insert(table.end(), startBytes.begin(), startBytes.end());
    std::vector<size_t> tableCuts = Words(12);
    for (size_t at : Fields<tp::HandStartRecord>()) {
        if (at > 0) {
            tableCuts.push_back(64 + at);
        }
    }
    std::vector<size_t> stateCuts = {0, 4, 951, 952, 4984, 5560, 6656, 6768, 15155};
    for (size_t list = 1; list < 4; ++list) {
        stateCuts.push_back(952 + 688 * list);
    }
    return {
        {tp::kSeatStarted, tp::WriteTableRecord(started), Words(16)},
        {tp::kHandStart, startBytes, Fields<tp::HandStartRecord>()},
        {tp::kSwapReady, tp::WriteTableRecord(ready), Fields<tp::SwapReadyNotice>()},
        {tp::kSwapDice, tp::WriteTableRecord(dice), Fields<tp::SwapDiceNotice>()},
        {tp::kTingThrowNotice, tp::WriteTableRecord(ting), Fields<tp::CardThrownNotice>()},
        {tp::kChargeUrl, {url.begin(), url.end()}, {0}},
        {tp::kWelfareActivity, tp::WriteTableRecord(welfare), Fields<tp::WelfareActivityNotice>()},
        {tp::kTableChat, chat, Words(37)},
        {tp::kHandState, RunningHandState(), stateCuts},
        {tp::kHandResult, tp::WriteTableRecord(result), Fields<tp::GameResultRecord>()},
        {tp::kTablePlayers, table, tableCuts},
    };
}

class RegionalNotifyFramesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start());
        ASSERT_TRUE(window.Open()) << window.Error();
        ASSERT_TRUE(window.ConnectTo(server)) << window.Error();
    }

    CRegionalTableData& Data() { return *window.TableData(); }
    CGameNotifyHandler& Handler() { return *window.App().GetNotifyHandler(); }
    size_t Reports() { return script.Count(frame_requests::kReportNotifyFailure); }
    bool Connected() { return window.App().GetConnection()->IsConnected(); }

    // The table data and the application as a refused record must leave
    // them (compared whole; a difference is reported by its part). The
    // view's own timed steps (dice, clocks) run on meanwhile and are not
    // compared.
    struct Snapshot {
        std::vector<uint8_t> status, area, result;
        bool playing = false;
        std::string url;
        int welfare = 0;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot State() {
        CRegionalTableData& data = Data();
        Snapshot state;
        state.status.assign(data.GetStatusBlock().begin(), data.GetStatusBlock().end());
        state.area.assign(data.GetHandArea().begin(), data.GetHandArea().end());
        state.result.assign(data.GetGameResult().begin(), data.GetGameResult().end());
        state.playing = window.App().IsGamePlaying();
        state.url = window.App().GetChargeUrl();
        if (CRegionalTableView* view = window.View()) {
            state.welfare = view->GetWelfare().GetAnnouncedWelfareActID();
        }
        return state;
    }
    static std::string Differences(const Snapshot& a, const Snapshot& b) {
        std::string parts;
        parts += a.status != b.status ? " status" : "";
        parts += a.area != b.area ? " hand-area" : "";
        parts += a.result != b.result ? " result" : "";
        parts += a.playing != b.playing ? " playing" : "";
        parts += a.url != b.url ? " url" : "";
        parts += a.welfare != b.welfare ? " welfare" : "";
        return parts;
    }

    // Sends a marker every client takes whole, then the record; waits until
    // the client handled the record and, when it is to be refused, until
    // the server has the client's report. False when it did not come so.
    bool Send(int32_t id, const std::vector<uint8_t>& record, bool refused) {
        EXPECT_TRUE(script.Notify(static_cast<uint32_t>(tp::kIgnored229165), {}));
        EXPECT_TRUE(window.RunUntil([&] { return Handler().GetLastNotify().id == 229165; }));
        const size_t reports = Reports();
        EXPECT_TRUE(script.Notify(static_cast<uint32_t>(id), record));
        if (!window.RunUntil([&] { return Handler().GetLastNotify().id == id; })) {
            return false;
        }
        if (refused) {
            return window.RunUntil([&] { return Reports() > reports; });
        }
        window.Run(20);
        return Reports() == reports;
    }

    testserver::TestGameServer server;
    testserver::FrameScript script{server};
    game_test::GameWindow window;
};

TEST_F(RegionalNotifyFramesTest, WholeCutAndOversizedRecordsFromRealFrames) {
    for (const Notice& notice : Notices()) {
        SCOPED_TRACE(notice.id);
        // Cut at each field boundary: refused, one report, nothing changed.
        for (size_t cut : notice.cuts) {
            SCOPED_TRACE(cut);
            const std::vector<uint8_t> shorter(notice.record.begin(),
                                               notice.record.begin() + static_cast<long>(cut));
            const Snapshot before = State();
            const size_t reports = Reports();
            ASSERT_TRUE(Send(notice.id, shorter, true));
            EXPECT_EQ(Reports(), reports + 1);
            EXPECT_EQ(Differences(State(), before), "");
            ASSERT_TRUE(Connected());
        }
        // Whole, then with 64 KiB more: the same table data.
        ASSERT_TRUE(Send(notice.id, notice.record, false));
        const Snapshot whole = State();
        std::vector<uint8_t> longer = notice.record;
        longer.resize(longer.size() + 65536, 0xA5);
        ASSERT_TRUE(Send(notice.id, longer, false));
        if (notice.id != tp::kChargeUrl) {
            EXPECT_EQ(Differences(State(), whole), "");
        } else {
            EXPECT_EQ(window.App().GetChargeUrl().substr(0, 20), "http://127.0.0.1/pay");
        }
        ASSERT_TRUE(Connected());
    }
    // What the whole records did.
    EXPECT_EQ(Data().GetBanker(), 3);
    EXPECT_EQ(Data().GetWinnerChair(), 1);
    EXPECT_EQ(window.View()->GetWelfare().GetAnnouncedWelfareActID(), 12);

    // A player leaving: cut short it is refused and the connection stays;
    // whole, the client closes it.
    tp::PlayerLeftNotice left;
    left.chair = 2;
    const std::vector<uint8_t> leftBytes = tp::WriteTableRecord(left);
    for (size_t cut : FieldStarts<tp::PlayerLeftNotice>()) {
        const size_t reports = Reports();
        ASSERT_TRUE(Send(tp::kPlayerLeft, {leftBytes.begin(), leftBytes.begin() + cut}, true));
        EXPECT_EQ(Reports(), reports + 1);
        ASSERT_TRUE(Connected());
    }
    EXPECT_TRUE(script.Notify(static_cast<uint32_t>(tp::kPlayerLeft), leftBytes));
    EXPECT_TRUE(window.RunUntil([&] { return !Connected(); }));
    EXPECT_EQ(server.ProtocolErrors(), 0u);
}

}  // namespace
