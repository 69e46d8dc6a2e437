#include "tests/game/play/RegionalPlayScene.h"

#include <algorithm>
#include <utility>

#include "frame/LaunchLine.h"
#include "frame/LaunchRecordBuilder.h"
#include "tests/game/support/HeadlessCore.h"
#include "zep/ZepWire.h"

namespace play_test {

void PutWord(std::vector<uint8_t>& bytes, size_t index, int32_t value) {
    if (bytes.size() < 4 * (index + 1)) {
        bytes.resize(4 * (index + 1));
    }
    ZepWireWriter writer(std::span<uint8_t>(bytes).subspan(4 * index, 4));
    writer.WriteI32(value);
}

int ChatPanel::OnEvent(const EventRecord& record) {
    if (record.event == kEventAppendChatText && record.param1 != 0) {
        lines.emplace_back(EventParamPointer<const char>(record.param1));
    }
    return 1;
}

// ---- WatchedRegionalView ----

int WatchedRegionalView::SendDiscard(int tileId) {
    discards.push_back(tileId);
    if (discardResults.empty()) {
        return static_cast<int>(tp::kResultDone);
    }
    const int result = discardResults.front();
    discardResults.pop_front();
    return result;
}

int WatchedRegionalView::SendHua(int tileId, uint8_t* reply32) {
    huas.push_back(tileId);
    std::vector<uint8_t> reply;
    if (!huaReplies.empty()) {
        reply = std::move(huaReplies.front());
        huaReplies.pop_front();
    }
    if (reply.empty()) {
        return 0;
    }
    std::copy_n(reply.begin(), std::min<size_t>(reply.size(), 32), reply32);
    return 1;
}

int WatchedRegionalView::SendGameRequest(int32_t id, const void* /*data*/, size_t /*length*/,
                                         int /*wait*/) {
    gameRequests.push_back(id);
    return 1;
}

int WatchedRegionalView::RequestCatch(std::span<uint8_t> reply) {
    if (catchReplies.empty()) {
        return CRegionalTableView::RequestCatch(reply);
    }
    const std::vector<uint8_t> bytes = std::move(catchReplies.front());
    catchReplies.pop_front();
    std::copy_n(bytes.begin(), std::min(bytes.size(), reply.size()), reply.begin());
    return 1;
}

int WatchedRegionalView::SendGangQuery(int kind, int tileId, uint8_t* reply48) {
    gangQueries.emplace_back(kind, tileId);
    if (gangQueryReplies.empty()) {
        return 0;
    }
    std::vector<uint8_t> reply = std::move(gangQueryReplies.front());
    gangQueryReplies.pop_front();
    reply.resize(tp::GangQueryReply::kSize);
    if (reply48 != nullptr) {
        std::copy(reply.begin(), reply.end(), reply48);
    }
    return 1;
}

int WatchedRegionalView::Submitted(const char* what, int32_t tile) {
    submits.emplace_back(what, tile);
    return submitResult;
}

// ---- HandStart ----

std::vector<uint8_t> HandStart::Build() const {
    tp::HandStartRecord record;
    record.banker = banker;
    record.turnChair = turnChair;
    record.startFlags = flags;
    record.reactionTime = kReactionSeconds;
    record.discardTime = kDiscardSeconds;
    record.dice = dice;
    record.wallStart = wallStart;
    record.wildTiles = wild;
    record.wildIndicator = -1;
    for (size_t chair = 0; chair < 4; ++chair) {
        record.seatTileCounts[chair] = static_cast<int32_t>(chair) == banker ? 14 : 13;
    }
    record.ownTiles.fill(-1);
    std::copy_n(ownTiles.begin(), std::min(ownTiles.size(), record.ownTiles.size()),
                record.ownTiles.begin());
    return tp::WriteTableRecord(record);
}

// ---- RegionalPlayScene ----

RegionalPlayScene::RegionalPlayScene(int32_t chair, bool lookingOn)
    : ownChair(chair), lookOn(lookingOn) {}

RegionalPlayScene::~RegionalPlayScene() {
    if (CRegionalTableData* data = Data()) {
        data->ClearHandArea();
        data->SetMarking(0);
    }
    App().DetachFrameView();
    core.reset();
    App().ClearGamePlaying();
    App().SetLaunchFields(LaunchFields{});
    App().ResetForTesting();
    std::fill(std::begin(g_bBaoJiao), std::end(g_bBaoJiao), 0);
    std::fill(std::begin(g_TingCandidates), std::end(g_TingCandidates), 0);
}

CRegionalTableData* RegionalPlayScene::Data() {
    return dynamic_cast<CRegionalTableData*>(App().GetTableData());
}

bool RegionalPlayScene::Open() {
    std::string error;
    if (!game_test::OpenHeadlessCore(time, {}, {core, resources, objects, packs_}, error) ||
        !Launch()) {
        return false;
    }
    view = makeView ? makeView() : new WatchedRegionalView;
    objects->RegisterObject(view, nullptr);
    view->SetViewRect(IntRect{0, 0, 1024, 768});
    host.SetMainGame(view);
    App().AttachFrameView(&host);
    view->Create();
    view->Relayout();
    return true;
}

bool RegionalPlayScene::Launch() {
    LaunchFields fields;
    fields.gameId = 30;
    fields.userId = kOwnId;
    fields.tableNo = kTableNo;
    fields.chairNo = ownChair;
    fields.hallRoomId = kRoomId;
    fields.lookOn = lookOn ? 1 : 0;
    fields.gameName = "麻将";
    App().SetLaunchFields(fields);
    LaunchRecordBuilder builder;
    builder.room.roomId = kRoomId;
    builder.table.tableNo = kTableNo;
    for (int32_t chair = 0; chair < 4; ++chair) {
        if (chair == ownChair && lookOn) {
            builder.seats.push_back(MakeLaunchUser(8000, chair, "座主"));
            continue;
        }
        const int32_t id = chair == ownChair ? kOwnId : 9000 + chair;
        builder.seats.push_back(MakeLaunchUser(id, chair, "玩家" + std::to_string(chair)));
    }
    if (lookOn) {
        builder.lookers.push_back(MakeLaunchUser(kOwnId, ownChair, "旁观", 1));
    }
    return App().InitGameData(builder.Build());
}

void RegionalPlayScene::Frames(int64_t ms, int64_t step) {
    for (int64_t done = 0; done < ms; done += step) {
        time.AdvanceMs(step);
        core->RunFrame();
    }
}

bool RegionalPlayScene::StoreHandStart(const HandStart& start) {
    CRegionalTableData* data = Data();
    return data != nullptr && data->StoreHandStart(start.Build());
}

void RegionalPlayScene::FillOwnRow(const std::vector<int32_t>& tiles, int32_t drawn) {
    for (size_t i = 0; i < tiles.size(); ++i) {
        view->PutHandTile(3, static_cast<int>(i) + 1, tiles[i]);
    }
    if (drawn >= 0) {
        view->PutHandTile(3, 0, drawn);
    }
    view->RefreshHandSprites(3);
}

std::vector<int32_t> RegionalPlayScene::RowTiles(int position) {
    std::vector<int32_t> tiles;
    for (int i = 0; i < CMahjongTableView::kRowSize; ++i) {
        const CCardSprite* sprite = view->GetHandSprite(position, i);
        tiles.push_back(sprite != nullptr ? sprite->tile : -1);
    }
    while (!tiles.empty() && tiles.back() == -1) {
        tiles.pop_back();
    }
    return tiles;
}

}  // namespace play_test
