// The game server's notifications as the frame dispatches them: the first
// byte picks the notification id, the rest is its record. The handler runs
// against a launched table with recording views behind it; each input starts
// from the same launch.

#include <algorithm>
#include <array>
#include <cstring>

#include "frame/LaunchRecordBuilder.h"
#include "frame/net/GameNotifyHandler.h"
#include "platform/Dialogs.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

constexpr int32_t kOwnId = 5001;
constexpr int32_t kTableNo = 7;
constexpr int32_t kUnhandledId = 211040;

struct Harness {
    TestFrameApp app;
    ObservedFrameView view;
    CGameNotifyHandler handler;
    std::vector<uint8_t> launch;

    Harness() {
        platform::SetMessageBoxSink([](const platform::MessageBoxRequest&) { return 1; });
        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kOwnId;
        fields.tableNo = kTableNo;
        fields.chairNo = 2;
        fields.hallRoomId = 300;
        app.SetLaunchFields(fields);
        LaunchRecordBuilder builder;
        builder.room.roomId = 300;
        builder.room.flags = 0x8;  // random tables
        builder.table.tableNo = kTableNo;
        UserRecord other = MakeLaunchUser(4000, 0, "甲");
        other.tableNo = kTableNo;
        UserRecord own = MakeLaunchUser(kOwnId, 2, "自己");
        own.tableNo = kTableNo;
        builder.seats = {other, own};
        builder.lookers = {MakeLaunchUser(4100, 0, "观", 1)};
        launch = builder.Build();
        app.AttachFrameView(&view);
    }
};

Harness& TheHarness() {
    static Harness harness;
    return harness;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    Harness& h = TheHarness();
    if (!h.app.InitGameData(h.launch)) {
        FuzzFail("the launch record is refused");
    }
    h.view.calls.clear();
    h.view.subSystem.events.clear();
    h.view.subSystem.lengths.clear();
    h.view.subSystem.chatLines.clear();
    h.view.subSystem.advertTexts.clear();
    h.view.mainGame.events.clear();
    h.view.mainGame.lengths.clear();
    h.view.mainGame.chatLines.clear();

    const auto ids = CGameNotifyHandler::HandledIds();
    const size_t pick = data[0] % (ids.size() + 1);
    const int32_t id = pick < ids.size() ? ids[pick] : kUnhandledId;
    // The record in storage of its own size, so a read beyond it is seen.
    std::vector<uint8_t> record(data + 1, data + size);
    record.shrink_to_fit();
    const size_t callsBefore = h.view.calls.size();
    try {
        h.handler.OnNotify(id, record.empty() ? nullptr : record.data(), record.size());
        FuzzNote("taken", static_cast<uint64_t>(id));
    } catch (const NotifyRecordShort& refused) {
        if (refused.Id() != id) {
            FuzzFail("a refusal names another id");
        }
        if (h.view.calls.size() != callsBefore || !h.view.subSystem.events.empty()) {
            FuzzFail("a refused record changed the view");
        }
        FuzzNote("refused", static_cast<uint64_t>(id));
    }
    if (h.app.GetTablePlayerCount() < 0 || h.app.GetTablePlayerCount() > 8) {
        FuzzFail("the table's player count left 0-8");
    }
    if (h.app.GetStandings().header.count > MatchStandings::kMaxRecords) {
        FuzzFail("the standings hold more than 100 records");
    }
    h.handler.RecordLastNotify(id, record.data(), record.size());
    return 0;
}
