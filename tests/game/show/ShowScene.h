#pragma once
// The regional table view in a headless scene (a core with the regional test
// skin and an object module, on a hand-driven clock) inside the program's
// one application object, for the voices, animations, voice box, auto-play
// and welfare claims. Sounds are written down instead of played; the
// moves of auto-play and the welfare claims are written down and answered
// as a test says. The scene leaves the application as it found it.

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/GameCore.h"
#include "engine/ObjectModule.h"
#include "engine/ResourceModule.h"
#include "frame/view/GameFrameView.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/net/RegionalTableData.h"
#include "game/table/RegionalTableView.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/game/support/ProgramFolder.h"

namespace show_test {

inline constexpr int32_t kOwnId = 6100;
// The user ids of the chairs: kFirstSeatId + chair (the own chair too).
inline constexpr int32_t kFirstSeatId = 6100;

class ShowView : public CRegionalTableView {
public:
    void PlaySound(const char* name) override;
    uint32_t PlaySound(const char* name, int plays, const EventRecord* notification) override;
    int ThrowHandTile(int index) override;
    int DeclareOwnHua(int index) override;
    int OnGuoButton() override;
    bool QuerySafeBoxBalance(int32_t& balance) override;
    void ClaimWelfare(int32_t activityId, int32_t kind) override;
    void RequestWelfareConfig(int32_t activityId) override { configRequests.push_back(activityId); }
    uint32_t GetRuleFlags() const override { return ruleFlags; }

    // Sounds asked of the view (names as given) and of the engine facade.
    std::vector<std::string> sounds;
    std::vector<std::string> facadeSounds;
    std::vector<std::string> moves;
    // The balance the safe-box query answers, or failure.
    bool safeBoxAnswers = true;
    int32_t safeBoxBalance = 0;
    int safeBoxQueries = 0;
    std::vector<int32_t> claims;
    std::vector<int32_t> configRequests;
    uint32_t ruleFlags = kRuleFlags;
};

// The side panel: keeps the chat lines the application appends.
class ChatPanel : public CCorvaneView {
public:
    int OnEvent(const EventRecord& record) override;
    std::vector<std::string> lines;
};

// The frame view around the table, with the side panel.
class HostFrameView : public CGameFrameView {
public:
    HostFrameView() { SetSubSystem(&chat); }
    ChatPanel chat;
};

struct SceneOptions {
    int32_t ownChair = 0;
    bool lookOn = false;
    // Sex of the user at each chair (0 male).
    std::vector<int32_t> sexes{0, 1, 0, 1};
    // Silver of the user at each chair.
    std::vector<int32_t> silvers{0, 0, 0, 0};
    // The room's option bits (0x4: a silver room).
    int32_t roomOptions = 0;
    // Skin pictures the packs lack.
    std::set<std::string> leaveOut;
    // Makes the scene's view (a ShowView when empty).
    std::function<ShowView*()> makeView;
};

class ShowScene {
public:
    explicit ShowScene(SceneOptions options = {});
    ~ShowScene();
    ShowScene(const ShowScene&) = delete;
    ShowScene& operator=(const ShowScene&) = delete;

    // Builds the scene; false (with a reason in error) when it cannot.
    bool Open();
    void Frames(int64_t ms, int64_t step = 10);
    CRegionalMahjongApp& App() { return *CRegionalMahjongApp::Instance(); }
    CRegionalTableData* Data();
    // Puts a standing own tile at each index 1.. and the drawn tile at 0
    // when `drawn` is not -1.
    void FillOwnRow(const std::vector<int32_t>& tiles, int32_t drawn = -1);
    // Whether an engine object of that id still exists.
    bool Exists(int id);

    SceneOptions options;
    std::string error;
    ManualTime time;
    std::unique_ptr<GameCore> core;
    ObjectModule* objects = nullptr;
    ShowView* view = nullptr;  // the object module owns it
    HostFrameView host;

    // Launches the application on the options' table (again).
    bool Launch();

private:
    std::vector<std::vector<uint8_t>> packs_;
};

// A program folder for the settings file alone (the scene loads its skin
// from memory).
inline game_test::ProgramFolderOptions FolderWithoutSkin() {
    game_test::ProgramFolderOptions options;
    options.skin = false;
    return options;
}

// A 211200 chat message: speaker, kind, then the text at byte 36 (with its
// zero unless `terminated` is false).
std::vector<uint8_t> ChatMessage(int32_t speaker, int32_t kind, const std::string& text,
                                 bool terminated = true);

}  // namespace show_test
