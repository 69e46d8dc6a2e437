#include "tests/game/dialogs/DialogScene.h"

#include "frame/FrameFunctions.h"
#include "frame/GameFrameApp.h"
#include "frame/view/FramePanelSeams.h"
#include "game/dialogs/AutoFixSettings.h"
#include "platform/BlockingSleep.h"
#include "platform/Profile.h"

namespace dialog_test {

namespace {

show_test::SceneOptions ShowOptions(const SceneOptions& options) {
    show_test::SceneOptions show;
    show.lookOn = options.lookOn;
    show.silvers = {options.ownSilver, 500, 500, 500};
    show.makeView = [] { return new TopUpView; };
    return show;
}

NoticeBoxLog* g_noticeBoxLog = nullptr;

class LoggedInfoBox : public CSystemInfoBox {
public:
    void ShowBox(const char* text, const EventRecord* confirm, const EventRecord* cancel,
                 int seconds, int style, const char* pictureKey, const char* confirmImage,
                 const char* cancelImage) override {
        if (g_noticeBoxLog != nullptr) {
            g_noticeBoxLog->Add({text != nullptr ? text : "", GetId()});
        }
        CSystemInfoBox::ShowBox(text, confirm, cancel, seconds, style, pictureKey, confirmImage,
                                cancelImage);
    }
};

}  // namespace

NoticeBoxLog::NoticeBoxLog() {
    g_noticeBoxLog = this;
}

NoticeBoxLog::~NoticeBoxLog() {
    g_noticeBoxLog = nullptr;
}

void NoticeBoxLog::Install(CGameFrameApp& app) {
    FramePanelFactories factories = app.GetFramePanelFactories();
    factories.infoBox = []() -> CInfoBoxSeam* { return new LoggedInfoBox; };
    app.SetFramePanelFactories(std::move(factories));
}

CSystemInfoBox* NoticeBoxLog::LastShown(CCorvaneVisual& finder) {
    if (boxes_.empty()) {
        return nullptr;
    }
    auto* box = dynamic_cast<CSystemInfoBox*>(finder.FindObjectById(boxes_.back().id));
    return box != nullptr && box->IsVisible() != 0 ? box : nullptr;
}

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

DialogScene::DialogScene(SceneOptions options) : show(ShowOptions(options)) {}

DialogScene::~DialogScene() {
    platform::SetSleeperForTesting({});
    App().ClearGamePlaying();
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
    if (!show.Open()) {
        error = show.error;
        return false;
    }
    sounds = new SoundLog;
    if (show.core->LoadModule(sounds, 1, 0) != kEngineOk) {
        error = "no music module";
        return false;
    }
    App().SetWebHosts("web.example", "web.example");
    view = dynamic_cast<TopUpView*>(show.view);
    if (view == nullptr) {
        error = "the scene made another view";
        return false;
    }
    return true;
}

bool DialogScene::SetOwnSilver(int32_t silver) {
    show.options.silvers[0] = silver;
    return show.Launch();
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
