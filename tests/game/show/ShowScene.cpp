#include "tests/game/show/ShowScene.h"

#include <cstring>

#include "frame/LaunchLine.h"
#include "frame/LaunchRecordBuilder.h"
#include "tests/game/support/HeadlessCore.h"

namespace show_test {

// ---- ChatPanel ----

int ChatPanel::OnEvent(const EventRecord& record) {
    if (record.event == kEventAppendChatText && record.param1 != 0) {
        lines.emplace_back(EventParamPointer<const char>(record.param1));
    }
    return 1;
}

// ---- ShowView ----

void ShowView::PlaySound(const char* name) {
    sounds.emplace_back(name != nullptr ? name : "");
}

uint32_t ShowView::PlaySound(const char* name, int /*plays*/, const EventRecord* /*notification*/) {
    facadeSounds.emplace_back(name != nullptr ? name : "");
    return 0;
}

int ShowView::ThrowHandTile(int index) {
    moves.push_back("throw " + std::to_string(index));
    return 1;
}

int ShowView::DeclareOwnHua(int index) {
    moves.push_back("hua " + std::to_string(index));
    return 1;
}

int ShowView::OnGuoButton() {
    moves.emplace_back("guo");
    return 1;
}

bool ShowView::QuerySafeBoxBalance(int32_t& balance) {
    ++safeBoxQueries;
    if (!safeBoxAnswers) {
        return false;
    }
    balance = safeBoxBalance;
    return true;
}

void ShowView::ClaimWelfare(int32_t activityId, int32_t kind) {
    claims.push_back(activityId);
    claims.push_back(kind);
}

// ---- ShowScene ----

ShowScene::ShowScene(SceneOptions sceneOptions) : options(std::move(sceneOptions)) {}

ShowScene::~ShowScene() {
    if (CRegionalTableData* data = Data()) {
        data->ClearHandArea();
    }
    App().DetachFrameView();
    core.reset();
    App().ResetForTesting();
}

CRegionalTableData* ShowScene::Data() {
    return dynamic_cast<CRegionalTableData*>(App().GetTableData());
}

bool ShowScene::Open() {
    ResourceModule* resources = nullptr;
    if (!game_test::OpenHeadlessCore(time, options.leaveOut, {core, resources, objects, packs_},
                                     error)) {
        return false;
    }
    if (!Launch()) {
        error = "the launch record was refused";
        return false;
    }
    view = options.makeView ? options.makeView() : new ShowView;
    objects->RegisterObject(view, nullptr);
    view->SetViewRect(IntRect{0, 0, 1024, 768});
    host.SetMainGame(view);
    App().AttachFrameView(&host);
    view->Create();
    view->Relayout();
    return true;
}

bool ShowScene::Launch() {
    LaunchFields fields;
    fields.gameId = 30;
    fields.userId = kOwnId + options.ownChair;
    fields.chairNo = options.ownChair;
    fields.lookOn = options.lookOn ? 1 : 0;
    fields.gameName = "麻将";
    fields.roomOptions = options.roomOptions;
    if (options.lookOn) {
        fields.userId = kOwnId + 50;
    }
    App().SetLaunchFields(fields);
    LaunchRecordBuilder builder;
    builder.room.options = options.roomOptions;
    for (int32_t chair = 0; chair < 4; ++chair) {
        UserRecord user =
            MakeLaunchUser(kFirstSeatId + chair, chair, "玩家" + std::to_string(chair));
        user.sex = chair < static_cast<int32_t>(options.sexes.size())
                       ? options.sexes[static_cast<size_t>(chair)]
                       : 0;
        user.silver = chair < static_cast<int32_t>(options.silvers.size())
                          ? options.silvers[static_cast<size_t>(chair)]
                          : 0;
        builder.seats.push_back(user);
    }
    if (options.lookOn) {
        builder.lookers.push_back(MakeLaunchUser(kOwnId + 50, options.ownChair, "旁观", 1));
    }
    return App().InitGameData(builder.Build());
}

void ShowScene::Frames(int64_t ms, int64_t step) {
    for (int64_t done = 0; done < ms; done += step) {
        time.AdvanceMs(step);
        core->RunFrame();
    }
}

void ShowScene::FillOwnRow(const std::vector<int32_t>& tiles, int32_t drawn) {
    for (size_t i = 0; i < tiles.size(); ++i) {
        view->PutHandTile(3, static_cast<int>(i) + 1, tiles[i]);
    }
    if (drawn >= 0) {
        view->PutHandTile(3, 0, drawn);
    }
}

bool ShowScene::Exists(int id) {
    return id != 0 && objects->FindObjectById(id) != nullptr;
}

std::vector<uint8_t> ChatMessage(int32_t speaker, int32_t kind, const std::string& text,
                                 bool terminated) {
    std::vector<uint8_t> bytes(36, 0);
    std::memcpy(bytes.data(), &speaker, 4);
    std::memcpy(bytes.data() + 8, &kind, 4);
    bytes.insert(bytes.end(), text.begin(), text.end());
    if (terminated) {
        bytes.push_back(0);
    }
    return bytes;
}

}  // namespace show_test
