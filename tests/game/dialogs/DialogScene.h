#pragma once
// The regional table view in a headless scene (the regional test skin, an
// object module, a hand-driven clock) inside the program's one application
// object, with a user file in a temporary hall folder, for the in-table
// dialogs and the automatic top-up. The safe box's two requests are answered
// as a test says and written down; the chat lines and the blocking pauses
// are written down too. The scene leaves the application as it found it.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/GameCore.h"
#include "engine/MusicModule.h"
#include "engine/ObjectModule.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/table/RegionalTableView.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/game/show/ShowScene.h"
#include "tests/game/support/ProgramFolder.h"

namespace dialog_test {

inline constexpr int32_t kOwnId = 7100;

class TopUpView : public CRegionalTableView {
public:
    int QueryProtectPassword(std::string& text, std::span<int32_t> out, uint32_t& result) override;
    int TransferIntoGame(std::string& text, int32_t silver, int32_t answer) override;
    void PlayBackgroundMusic() override {
        ++musicApplied;
        CRegionalTableView::PlayBackgroundMusic();
    }
    bool OnLookCardAsk(NotifyRecord record) override {
        ++lookAsks;
        return CRegionalTableView::OnLookCardAsk(record);
    }

    // The query's answer: protected (calculation number in word 1), or the
    // failure code and text.
    bool boxProtected = false;
    int32_t calcNumber = 123456789;
    uint32_t queryResult = 60000;
    std::string queryText;
    int queries = 0;
    // The take's answer and what it was given.
    bool takeSucceeds = true;
    std::string takeText;
    struct Take {
        int32_t silver;
        int32_t answer;
    };
    std::vector<Take> takes;
    int musicApplied = 0;
    int lookAsks = 0;
};

// Plays nothing: every sound asked for is written down.
class SoundLog : public MusicModule {
public:
    int Init() override { return 1; }
    uint32_t PlaySound(std::string_view name, int plays, const EventRecord* notification) override;
    std::vector<std::string> played;
};

struct SceneOptions {
    int32_t ownSilver = 1000;
    bool lookOn = false;
    std::string advertHost = "web.example";
};

class DialogScene {
public:
    explicit DialogScene(SceneOptions options = {});
    ~DialogScene();
    DialogScene(const DialogScene&) = delete;
    DialogScene& operator=(const DialogScene&) = delete;

    bool Open();
    void Frames(int64_t ms, int64_t step = 10);
    CRegionalMahjongApp& App() { return *CRegionalMahjongApp::Instance(); }
    // Launches the table again with the own silver changed.
    bool SetOwnSilver(int32_t silver);
    // The user file's [FIXDEPOSIT] value of the key ("" when missing).
    std::string StoredFixDeposit(const char* key);
    void StoreFixDeposit(const char* key, const char* value);

    SceneOptions options;
    std::string error;
    game_test::ProgramFolder folder{show_test::FolderWithoutSkin()};
    ManualTime time;
    std::unique_ptr<GameCore> core;
    ObjectModule* objects = nullptr;
    SoundLog* sounds = nullptr;  // the core owns it
    TopUpView* view = nullptr;   // the object module owns it
    show_test::HostFrameView host;
    std::vector<uint32_t> sleeps;

private:
    bool Launch();
    std::vector<std::vector<uint8_t>> packs_;
};

}  // namespace dialog_test
