#include "tests/mahjong_client/play/PlayScene.h"

#include <algorithm>
#include <utility>

#include "frame/LaunchLine.h"
#include "tests/platform/PictureBytes.h"
#include "zep/ZepWire.h"

namespace play_test {

std::vector<uint8_t> Words(std::span<const int32_t> words) {
    std::vector<uint8_t> bytes(words.size() * 4);
    ZepWireWriter writer(bytes);
    for (const int32_t word : words) {
        writer.WriteI32(word);
    }
    return bytes;
}

std::vector<uint8_t> Words(std::initializer_list<int32_t> words) {
    return Words(std::span<const int32_t>(words.begin(), words.size()));
}

int32_t WordOf(std::span<const uint8_t> bytes, size_t index) {
    return tp::WordAt(bytes, index);
}

// ---- RecordingConnection ----

int RecordingConnection::ProcessRequest(std::string& text, uint32_t requestId,
                                        std::span<const uint8_t> body, uint32_t& result,
                                        std::vector<uint8_t>& reply, int wait) {
    text.clear();
    reply.clear();
    sent.push_back({requestId, {body.begin(), body.end()}, wait});
    if (wait == 0) {
        result = 0;
        return 1;
    }
    Answer answer;
    auto found = answers.find(requestId);
    if (found != answers.end() && !found->second.empty()) {
        answer = std::move(found->second.front());
        found->second.pop_front();
    }
    result = answer.result;
    reply = answer.reply;
    return answer.sent;
}

int RecordingConnection::StartGame(std::string& text) {
    text.clear();
    sent.push_back({201160, {}, 0});
    return 1;
}

int RecordingConnection::SetLookOnPermission(int32_t userId, int32_t allow) {
    sent.push_back({tp::kLookOnPermission, Words({userId, allow}), 0});
    return 1;
}

int RecordingConnection::ReportNotifyFailure(int32_t id, const void* /*data*/, size_t /*length*/) {
    failureReports.push_back(id);
    return 1;
}

std::vector<SentRequest> RecordingConnection::SentOf(uint32_t requestId) const {
    std::vector<SentRequest> found;
    std::ranges::copy_if(sent, std::back_inserter(found),
                         [&](const SentRequest& s) { return s.id == requestId; });
    return found;
}

// ---- PlayTableData, ChatPanel, HostFrameView ----

int PlayTableData::IsSeatStarted(int chair) const {
    return chair >= 0 && chair < kMaxChairs ? started[static_cast<size_t>(chair)] : 0;
}

bool PlayTableData::SetSeatStarted(std::span<const uint8_t> record) {
    const int32_t chair = WordOf(record, 3);
    if (record.size() < 16 || chair < 0 || chair >= kMaxChairs) {
        return false;
    }
    started[static_cast<size_t>(chair)] = 1;
    return true;
}

int ChatPanel::OnEvent(const EventRecord& record) {
    if (record.event == kEventAppendChatText && record.param1 != 0) {
        lines.emplace_back(EventParamPointer<const char>(record.param1));
    }
    return 1;
}

void HostFrameView::ShowInfoBox(const char* text, const EventRecord* okEvent,
                                const EventRecord* cancelEvent, int seconds, int style,
                                const char* /*image*/) {
    boxes.push_back({text != nullptr ? text : "", okEvent != nullptr ? *okEvent : EventRecord{},
                     cancelEvent != nullptr ? *cancelEvent : EventRecord{}, seconds, style});
}

// ---- Records ----

std::vector<uint8_t> HandStart::Build() const {
    table_test::HandStart start;
    start.banker = banker;
    start.turnChair = turnChair;
    start.reactionTime = kReactionSeconds;
    start.dice = dice;
    start.wallStart = wallStart;
    start.discardTime = kDiscardSeconds;
    for (int32_t chair = 0; chair < 4; ++chair) {
        start.tilesHeld[static_cast<size_t>(chair)] = chair == banker ? 14 : 13;
    }
    start.ownTiles = ownTiles;
    std::vector<uint8_t> bytes = table_test::HandStartRecord(start);
    ZepWireWriter rules(std::span<uint8_t>(bytes).subspan(27 * 4, 8));
    rules.WriteI32(claimSkipRule);
    rules.WriteI32(chiRule);
    return bytes;
}

std::vector<uint8_t> DrawReplyBytes(int32_t tile, int32_t wallIndex, int32_t options) {
    tp::DrawReply reply;
    reply.tile = tile;
    reply.wallIndex = wallIndex;
    reply.options = options;
    return tp::WriteTableRecord(reply);
}

// ---- PlayScene ----

void PlayScene::AddImage(const std::string& name, int width, int height) {
    picture_bytes::Bytes samples(static_cast<size_t>(width * height * 3), 0x80);
    images.emplace_back(name + ".png", picture_bytes::Png(width, height, 2, samples));
}

bool PlayScene::Open() {
    for (const char* button : {"btn_Guo_big", "btn_Hu_big", "btn_Gang_big", "btn_Peng_big",
                               "btn_Chi_big", "btn_StartGame", "btn_AskCardView"}) {
        AddImage(button, 43, 43);
    }
    auto clock = time.MakeClock();
    clock->Reset(5000);
    core = std::make_unique<GameCore>(std::move(clock));
    resources = new ResourceModule;
    for (const auto& [name, bytes] : images) {
        resources->AddMemoryResource(name, bytes.data(), bytes.size());
    }
    if (core->LoadModule(resources, 1, 1) != kEngineOk) {
        return false;
    }
    objects = new ObjectModule;
    if (core->LoadModule(objects, 1, 0) != kEngineOk || !LaunchTable(false)) {
        return false;
    }
    view = MakeView();
    objects->RegisterObject(view, nullptr);
    view->SetViewRect(IntRect{0, 0, 800, 600});
    host.SetMainGame(view);
    app.AttachFrameView(&host);
    view->Create();
    view->Relayout();
    return true;
}

void PlayScene::Close() {
    app.DetachFrameView();
    core.reset();
}

bool PlayScene::LaunchTable(bool lookOn) {
    LaunchFields fields;
    fields.gameId = 30;
    fields.userId = kOwnId;
    fields.tableNo = kTableNo;
    fields.chairNo = kOwnChair;
    fields.hallRoomId = kRoomId;
    fields.lookOn = lookOn ? 1 : 0;
    fields.gameName = "麻将";
    app.SetLaunchFields(fields);
    LaunchRecordBuilder builder;
    builder.room.roomId = kRoomId;
    builder.table.tableNo = kTableNo;
    for (int32_t chair = 0; chair < 4; ++chair) {
        if (chair == kOwnChair && lookOn) {
            builder.seats.push_back(MakeLaunchUser(8000, chair, seatOwnerName));
            continue;
        }
        const int32_t id = chair == kOwnChair ? kOwnId : 9000 + chair;
        builder.seats.push_back(MakeLaunchUser(id, chair, "玩家" + std::to_string(chair)));
    }
    if (lookOn) {
        builder.lookers.push_back(MakeLaunchUser(kOwnId, kOwnChair, "旁观", 1));
    }
    return app.InitGameData(builder.Build());
}

void PlayScene::Frames(int64_t ms, int64_t step) {
    for (int64_t done = 0; done < ms; done += step) {
        time.AdvanceMs(step);
        core->RunFrame();
    }
}

bool PlayScene::Notify(int32_t id, const std::vector<uint8_t>& record) {
    try {
        app.handler.OnNotify(id, record.data(), record.size());
    } catch (const NotifyRecordShort&) {
        return false;
    }
    return true;
}

bool PlayScene::DealHand(const HandStart& start) {
    app.SetGamePlaying();
    if (!app.tableData.StoreHandStart(start.Build())) {
        return false;
    }
    view->ShowRoundInfo();
    Frames(400);
    return true;
}

std::vector<int32_t> PlayScene::RowTiles(int position) {
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

int PlayScene::RowSize(int position) {
    return view->GetRowCount(position);
}

int PlayScene::DiscardCount(int position) {
    return view->GetDiscardCount(position);
}

}  // namespace play_test
