#include "tests/game/dialogs/DialogScene.h"

#include "engine/GdiPaintModule.h"
#include "engine/ResourceModule.h"
#include "frame/FrameFunctions.h"
#include "frame/LaunchLine.h"
#include "frame/LaunchRecordBuilder.h"
#include "game/dialogs/AutoFixSettings.h"
#include "platform/BlockingSleep.h"
#include "platform/Profile.h"
#include "tests/game/support/RegionalSkin.h"

namespace dialog_test {

int TopUpView::QueryProtectPassword(std::string& text, std::span<int32_t> out, uint32_t& result) {
    ++queries;
    if (boxProtected) {
        if (out.size() > 1) {
            out[1] = calcNumber;
        }
        result = 10;
        return 1;
    }
    result = queryResult;
    text = queryText;
    return 0;
}

int TopUpView::TransferIntoGame(std::string& text, int32_t silver, int32_t answer) {
    takes.push_back({silver, answer});
    if (!takeSucceeds) {
        text = takeText;
    }
    return takeSucceeds ? 1 : 0;
}

uint32_t SoundLog::PlaySound(std::string_view name, int /*plays*/,
                             const EventRecord* /*notification*/) {
    played.emplace_back(name);
    return 0;
}

DialogScene::DialogScene(SceneOptions sceneOptions) : options(std::move(sceneOptions)) {}

DialogScene::~DialogScene() {
    platform::SetSleeperForTesting({});
    App().ClearGamePlaying();
    App().DetachFrameView();
    core.reset();
    App().ResetForTesting();
}

bool DialogScene::Open() {
    if (!folder.Ok()) {
        error = folder.Error();
        return false;
    }
    // The hall's folder, where the per-user files live.
    platform::WritePrivateProfileString("SYSTEM", "ExePath",
                                        (folder.Path() + "hall/GameHall.exe").c_str(),
                                        GetHallSettingsFile().c_str());
    if (!folder.Write("hall/users/.keep", "")) {
        error = "no users folder";
        return false;
    }
    platform::SetSleeperForTesting([this](uint32_t ms) { sleeps.push_back(ms); });
    auto clock = time.MakeClock();
    clock->Reset(5000);
    core = std::make_unique<GameCore>(std::move(clock));
    auto* resources = new ResourceModule;
    if (core->LoadModule(resources, 1, 1) != kEngineOk) {
        error = "no resource module";
        return false;
    }
    for (const std::string& pack : regional_skin::PackPaths()) {
        std::vector<uint8_t> image;
        if (!regional_skin::BuildPack(pack, {}, image, error)) {
            return false;
        }
        packs_.push_back(std::move(image));
    }
    for (const std::vector<uint8_t>& image : packs_) {
        resources->AddPackFromMemory(image.data(), image.size());
    }
    if (core->LoadModule(new GdiPaintModule, 1, 1) != kEngineOk) {
        error = "no paint module";
        return false;
    }
    objects = new ObjectModule;
    if (core->LoadModule(objects, 1, 0) != kEngineOk) {
        error = "no object module";
        return false;
    }
    sounds = new SoundLog;
    if (core->LoadModule(sounds, 1, 0) != kEngineOk) {
        error = "no music module";
        return false;
    }
    if (!Launch()) {
        error = "the launch record was refused";
        return false;
    }
    view = new TopUpView;
    objects->RegisterObject(view, nullptr);
    view->SetViewRect(IntRect{0, 0, 1024, 768});
    host.SetMainGame(view);
    App().AttachFrameView(&host);
    view->Create();
    view->Relayout();
    return true;
}

bool DialogScene::Launch() {
    LaunchFields fields;
    fields.gameId = 30;
    fields.userId = options.lookOn ? kOwnId + 50 : kOwnId;
    fields.chairNo = 0;
    fields.lookOn = options.lookOn ? 1 : 0;
    fields.gameName = "麻将";
    App().SetLaunchFields(fields);
    LaunchRecordBuilder builder;
    SetFieldText(builder.room.advertHost, options.advertHost);
    for (int32_t chair = 0; chair < 4; ++chair) {
        UserRecord user = MakeLaunchUser(kOwnId + chair, chair, "玩家" + std::to_string(chair));
        user.silver = chair == 0 ? options.ownSilver : 500;
        builder.seats.push_back(user);
    }
    if (options.lookOn) {
        builder.lookers.push_back(MakeLaunchUser(kOwnId + 50, 0, "旁观", 1));
    }
    return App().InitGameData(builder.Build());
}

bool DialogScene::SetOwnSilver(int32_t silver) {
    options.ownSilver = silver;
    return Launch();
}

void DialogScene::Frames(int64_t ms, int64_t step) {
    for (int64_t done = 0; done < ms; done += step) {
        time.AdvanceMs(step);
        core->RunFrame();
    }
}

std::string DialogScene::StoredFixDeposit(const char* key) {
    char value[64] = {};
    platform::GetPrivateProfileString(auto_fix::kSection, key, "", value, sizeof value,
                                      App().GetUserDataFile().c_str());
    return value;
}

void DialogScene::StoreFixDeposit(const char* key, const char* value) {
    platform::WritePrivateProfileString(auto_fix::kSection, key, value,
                                        App().GetUserDataFile().c_str());
}

}  // namespace dialog_test
