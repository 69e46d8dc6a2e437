#pragma once
// The show scene (tests/game/show) for the in-table dialogs and the
// automatic top-up: its view answers the safe box's two requests as a test
// says and writes them down; a user file lives in a temporary hall folder;
// the blocking pauses and the sounds played are written down. For the
// whole-client scenarios, a log of the frame's notice boxes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/MusicModule.h"
#include "frame/panels/SystemInfoBox.h"
#include "tests/game/show/ShowScene.h"
#include "tests/game/support/ProgramFolder.h"

namespace dialog_test {

class TopUpView : public show_test::ShowView {
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

// A music module that plays nothing and writes down the sounds asked for.
class SoundLog : public MusicModule {
public:
    int Init() override { return 1; }
    uint32_t PlaySound(std::string_view name, int, const EventRecord*) override {
        played.emplace_back(name);
        return 0;
    }
    std::vector<std::string> played;
};

// The frame's notice boxes as the player sees them: once installed in the
// application, each box that opens writes down its text and id here. One at
// a time; it takes the boxes back to the plain kind when it goes.
class NoticeBoxLog {
public:
    struct Box {
        std::string text;
        int id = 0;
    };
    NoticeBoxLog();
    ~NoticeBoxLog();
    NoticeBoxLog(const NoticeBoxLog&) = delete;
    NoticeBoxLog& operator=(const NoticeBoxLog&) = delete;

    void Install(CGameFrameApp& app);
    const std::vector<Box>& Boxes() const { return boxes_; }
    void Add(Box box) { boxes_.push_back(std::move(box)); }
    // The last box opened while it is on screen, else null; any engine
    // visual finds it.
    CSystemInfoBox* LastShown(CCorvaneVisual& finder);

private:
    std::vector<Box> boxes_;
};

struct SceneOptions {
    int32_t ownSilver = 1000;
    bool lookOn = false;
};

class DialogScene {
public:
    explicit DialogScene(SceneOptions options = {});
    ~DialogScene();
    DialogScene(const DialogScene&) = delete;
    DialogScene& operator=(const DialogScene&) = delete;

    bool Open();
    CRegionalMahjongApp& App() { return *CRegionalMahjongApp::Instance(); }
    void Frames(int64_t ms) { show.Frames(ms); }
    // Launches the table again with the own silver changed.
    bool SetOwnSilver(int32_t silver);
    // The user file's [FIXDEPOSIT] value of the key ("" when missing).
    std::string StoredFixDeposit(const char* key);
    void StoreFixDeposit(const char* key, const char* value);
    std::vector<std::string>& Chat() { return show.host.chat.lines; }
    // The sounds the engine was asked to play.
    const std::vector<std::string>& Sounds() { return sounds->played; }

    std::string error;
    game_test::ProgramFolder folder{show_test::FolderWithoutSkin()};
    show_test::ShowScene show;
    TopUpView* view = nullptr;   // the scene's view
    SoundLog* sounds = nullptr;  // the core owns it
    std::vector<uint32_t> sleeps;
};

}  // namespace dialog_test
