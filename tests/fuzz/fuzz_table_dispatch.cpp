// The server's table notifications as the mahjong layer dispatches them: the
// first byte picks one of the ids its handler takes, the rest is the record.
// The handler runs against a real table view in a headless engine scene with
// a hand dealt; each input starts from the same dealt hand.

#include <algorithm>
#include <array>
#include <vector>

#include "platform/Dialogs.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tests/mahjong_client/play/PlayScene.h"

namespace {

using play_test::PlayScene;
using Table = CMahjongTableView;

constexpr int32_t kHandTiles[] = {0, 1, 2, 9, 10, 11, 18, 19, 20, 36, 37, 38, 72, 73};

// What a refused record must leave as it was.
struct TableSnapshot {
    std::array<std::vector<int32_t>, Table::kPositions> rows;
    std::array<int, Table::kPositions> discards{};
    int wall = 0;
    int state = 0;
    int autoPlay = 0;
    int playMode = 0;
    std::array<int, 4> started{};
    size_t requests = 0;
    size_t boxes = 0;
    bool operator==(const TableSnapshot&) const = default;
};

class TableHarness : public PlayScene {
public:
    TableHarness() {
        platform::SetMessageBoxSink([](const platform::MessageBoxRequest&) { return 1; });
        play_test::HandStart start;
        start.ownTiles.assign(std::begin(kHandTiles), std::end(kHandTiles));
        if (!Open() || !DealHand(start)) {
            FuzzFail("the table scene or its hand is refused");
        }
        Redeal();
        dealt_ = Snapshot();
        left_ = dealt_;
    }
    ~TableHarness() override { Close(); }

    // Back to the dealt hand when the last input left the table otherwise
    // (dealing again is most of an input's time; most inputs are refused or
    // dropped and change nothing).
    void Restore() {
        if (left_ != dealt_) {
            Redeal();
            left_ = dealt_;
        }
    }
    const TableSnapshot& Dealt() const { return dealt_; }
    // What the table looks like as an input leaves it.
    void NoteLeft() { left_ = Snapshot(); }

    // The table cleared and dealt again from the stored hand start, without
    // the dice's frames.
    void Redeal() {
        view->ClearTable();
        view->BuildWall();
        view->ClearOfferTable();
        view->SetPlayModeOn();
        view->DealCards();
        view->OnDealDone();
        app.tableData.started = {};
        app.connection.sent.clear();
        app.connection.failureReports.clear();
        host.boxes.clear();
        host.chat.lines.clear();
    }

    TableSnapshot Snapshot() {
        TableSnapshot snapshot;
        for (int p = 0; p < Table::kPositions; ++p) {
            snapshot.rows[static_cast<size_t>(p)] = RowTiles(p);
            snapshot.discards[static_cast<size_t>(p)] = DiscardCount(p);
        }
        snapshot.wall = view->GetWallCount();
        snapshot.state = view->GetTableState();
        snapshot.autoPlay = view->GetAutoPlayState();
        snapshot.playMode = view->GetPlayMode();
        std::copy_n(app.tableData.started.begin(), snapshot.started.size(),
                    snapshot.started.begin());
        snapshot.requests = app.connection.sent.size();
        snapshot.boxes = host.boxes.size();
        return snapshot;
    }

    void CheckTable() {
        int placed = 0;
        for (int p = 0; p < Table::kPositions; ++p) {
            const int row = view->GetRowCount(p);
            if (row < 0 || row > Table::kRowSize) {
                FuzzFail("a row holds more than 32 sprites");
            }
            placed += row + view->GetDiscardCount(p);
        }
        if (placed + view->GetWallCount() > Table::kCardPoolSize) {
            FuzzFail("the table places more sprites than the pool holds");
        }
        int inUse = 0;
        for (int i = 0; i < Table::kCardPoolSize; ++i) {
            const CCardSprite* sprite = view->GetCardSprite(i);
            if (sprite != nullptr && sprite->kind != CCardSprite::kKindFree) {
                ++inUse;
            }
        }
        if (inUse > Table::kCardPoolSize || view->GetCardSprite(Table::kCardPoolSize) != nullptr) {
            FuzzFail("sprites in use exceed the pool");
        }
        const int state = view->GetTableState();
        if (state < Table::kStateNormal || state > Table::kStateHuHeld) {
            FuzzFail("the table state is none of the known states");
        }
    }

private:
    TableSnapshot dealt_;
    TableSnapshot left_;
};

TableHarness& TheHarness() {
    static TableHarness harness;
    return harness;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    TableHarness& h = TheHarness();
    h.Restore();
    const auto ids = CMahjongNotifyHandler::MahjongIds();
    const int32_t id = ids[data[0] % ids.size()];
    // The record in storage of its own size, so a read beyond it is seen.
    std::vector<uint8_t> record(data + 1, data + size);
    record.shrink_to_fit();
    bool refused = false;
    try {
        h.app.handler.OnNotify(id, record.empty() ? nullptr : record.data(), record.size());
        FuzzNote("taken", static_cast<uint64_t>(id));
    } catch (const NotifyRecordShort& refusal) {
        if (refusal.Id() != id) {
            FuzzFail("a refusal names another id");
        }
        refused = true;
        FuzzNote("refused", static_cast<uint64_t>(id));
    }
    h.CheckTable();
    const TableSnapshot after = h.Snapshot();
    if (refused && after != h.Dealt()) {
        FuzzFail("a refused record changed the table");
    }
    // What the record did to the table, as an outcome: the row and discard
    // sizes, the state, the requests and boxes it caused.
    uint64_t shape = static_cast<uint64_t>(id);
    for (size_t p = 0; p < after.rows.size(); ++p) {
        shape = shape * 131 + after.rows[p].size();
        shape = shape * 131 + static_cast<uint64_t>(after.discards[p]);
    }
    for (const size_t part : {static_cast<size_t>(after.state), static_cast<size_t>(after.autoPlay),
                              after.requests, after.boxes}) {
        shape = shape * 131 + part;
    }
    FuzzNote("shape", shape);
    // The steps a taken record posted run now; the next redeal's new serial
    // makes any still waiting stale.
    if (!refused) {
        h.Frames(20);
        h.CheckTable();
        h.NoteLeft();
    }
    return 0;
}
