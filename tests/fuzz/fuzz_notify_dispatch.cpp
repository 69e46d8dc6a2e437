// The game server's notifications as the frame dispatches them, a run of
// them per input, each run on a normal client and again on a match client,
// both with players seated. The handler runs against recording views; every
// run starts from a fresh application and the same launch.
//
// Input: records separated by kRecordBreak (at most kMaxRecords are taken).
// A record's first byte picks the notification id, the rest is its record.
// Beyond the handled ids and one unhandled id, three picks hand the record to
// the application's updates that the game layers and the requests reach
// with server values: the hand result, and the too-little and too-much
// silver answers.
//
// Rules checked after every record: a refused record changes no view; the
// table's player count stays 0-8; the standings hold at most 100 records.

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string_view>

#include "frame/LaunchRecordBuilder.h"
#include "frame/net/GameNotifyHandler.h"
#include "platform/Dialogs.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

constexpr int32_t kOwnId = 5001;
constexpr int32_t kOtherId = 4000;
constexpr int32_t kTableNo = 7;
constexpr int32_t kUnhandledId = 211040;
constexpr std::string_view kRecordBreak = "\xF1\xE2\xD3\xC4";
constexpr size_t kMaxRecords = 16;

enum class AppUpdate { kHandResult, kSilverTooLow, kSilverTooHigh };
constexpr std::array kUpdates = {AppUpdate::kHandResult, AppUpdate::kSilverTooLow,
                                 AppUpdate::kSilverTooHigh};

std::vector<uint8_t> TableLaunch() {
    LaunchRecordBuilder builder;
    builder.room.roomId = 300;
    builder.room.flags = RoomInfo::kFlagRandomTable | RoomInfo::kFlagSafeBoxInGame;
    builder.table.tableNo = kTableNo;
    UserRecord other = MakeLaunchUser(kOtherId, 0, "甲");
    other.tableNo = kTableNo;
    UserRecord own = MakeLaunchUser(kOwnId, 2, "自己");
    own.tableNo = kTableNo;
    builder.seats = {other, own};
    builder.lookers = {MakeLaunchUser(4100, 0, "观", 1)};
    return builder.Build();
}

std::vector<uint8_t> MatchLaunch() {
    constexpr size_t kRoom = RoomInfo::kSize + RoomInfo::kMatchExtension;
    std::vector<uint8_t> record(kRoom + TableInfo::kSize + UserRecord::kSize +
                                CGameFrameApp::kMatchInfoSize);
    RoomInfo room;
    room.roomId = 300;
    WriteRecord(room, record);
    UserRecord own = MakeLaunchUser(kOwnId, 0, "自己");
    WriteRecord(own, std::span(record).subspan(kRoom + TableInfo::kSize));
    return record;
}

std::vector<uint8_t> MatchTable() {
    MatchTableHeader header;
    header.playerCount = 2;
    std::vector<uint8_t> block(MatchTableHeader::kSize + 2 * MatchPlayerRecord::kSize);
    WriteRecord(header, block);
    for (int i = 0; i < 2; ++i) {
        MatchPlayerRecord player;
        player.userId = i == 0 ? kOwnId : kOtherId;
        SetFieldText(player.name, i == 0 ? "自己" : "甲");
        WriteRecord(player, std::span(block).subspan(MatchTableHeader::kSize +
                                                     size_t(i) * MatchPlayerRecord::kSize));
    }
    return block;
}

// One client of a run: a fresh application with its views and handler.
struct Client {
    TestFrameApp app;
    ObservedFrameView view;
    CGameNotifyHandler handler;

    explicit Client(bool match) {
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kOwnId;
        fields.tableNo = kTableNo;
        fields.chairNo = match ? 0 : 2;
        fields.hallRoomId = 300;
        app.SetLaunchFields(fields);
        app.match = match;
        static const std::vector<uint8_t> table = TableLaunch();
        static const std::vector<uint8_t> matchLaunch = MatchLaunch();
        static const std::vector<uint8_t> matchTable = MatchTable();
        if (match ? !app.InitMatchData(matchLaunch) : !app.InitGameData(table)) {
            FuzzFail("the launch record is refused");
        }
        if (match) {
            app.SetMatchTable(matchTable);
        }
        view.subSystem.AddBar("InputBar");
        app.AttachFrameView(&view);
    }
    ~Client() { app.DetachFrameView(); }

    void Apply(AppUpdate update, std::span<const uint8_t> record) {
        switch (update) {
            case AppUpdate::kHandResult:
                return app.ApplyHandResult(record);
            case AppUpdate::kSilverTooLow:
                return app.OnSilverTooLow(record);
            case AppUpdate::kSilverTooHigh:
                return app.OnSilverTooHigh(record);
        }
    }

    void Feed(uint8_t pick, std::span<const uint8_t> bytes) {
        const auto ids = CGameNotifyHandler::HandledIds();
        const size_t choice = pick % (ids.size() + 1 + kUpdates.size());
        // The record in storage of its own size, so a read beyond it is seen.
        std::vector<uint8_t> record(bytes.begin(), bytes.end());
        record.shrink_to_fit();
        if (choice > ids.size()) {
            Apply(kUpdates[choice - ids.size() - 1], record);
            FuzzNote("update", choice);
            return;
        }
        const int32_t id = choice < ids.size() ? ids[choice] : kUnhandledId;
        const size_t callsBefore = view.calls.size();
        const size_t eventsBefore = view.subSystem.events.size();
        try {
            handler.OnNotify(id, record.empty() ? nullptr : record.data(), record.size());
            FuzzNote("taken", static_cast<uint64_t>(id));
        } catch (const NotifyRecordShort& refused) {
            if (refused.Id() != id) {
                FuzzFail("a refusal names another id");
            }
            if (view.calls.size() != callsBefore || view.subSystem.events.size() != eventsBefore) {
                FuzzFail("a refused record changed the view");
            }
            FuzzNote("refused", static_cast<uint64_t>(id));
        }
        if (app.GetTablePlayerCount() < 0 || app.GetTablePlayerCount() > 8) {
            FuzzFail("the table's player count left 0-8");
        }
        if (app.GetStandings().header.count > MatchStandings::kMaxRecords) {
            FuzzFail("the standings hold more than 100 records");
        }
        handler.RecordLastNotify(id, record.data(), record.size());
    }
};

// The input's records, each with its pick byte first; empty ones are skipped.
std::vector<std::span<const uint8_t>> SplitRecords(std::span<const uint8_t> input) {
    std::vector<std::span<const uint8_t>> records;
    const auto* brk = reinterpret_cast<const uint8_t*>(kRecordBreak.data());
    while (records.size() < kMaxRecords) {
        const auto at = std::search(input.begin(), input.end(), brk, brk + kRecordBreak.size());
        const auto record = input.first(size_t(at - input.begin()));
        if (!record.empty()) {
            records.push_back(record);
        }
        if (at == input.end()) {
            break;
        }
        input = input.subspan(record.size() + kRecordBreak.size());
    }
    return records;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    platform::SetMessageBoxSink([](const platform::MessageBoxRequest&) { return 1; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto records = SplitRecords({data, size});
    if (records.empty()) {
        return 0;
    }
    FuzzNote("records", records.size());
    for (const bool match : {false, true}) {
        auto client = std::make_unique<Client>(match);
        for (const auto record : records) {
            client->Feed(record[0], record.subspan(1));
        }
    }
    return 0;
}
