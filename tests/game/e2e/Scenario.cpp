#include "tests/game/e2e/Scenario.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "frame/GameFrameWnd.h"
#include "frame/RecordFields.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/table/RegionalTableView.h"
#include "platform/Dialogs.h"
#include "platform/Messages.h"
#include "platform/Screen.h"
#include "platform/SdlEvents.h"
#include "platform/Sync.h"
#include "tests/game/support/ClientReadings.h"
#include "tests/game/support/RegionalHall.h"
#include "tests/game/support/RegionalSkin.h"

namespace game_test {
namespace {

constexpr uint32_t kGateWaitMs = 30000;
bool g_ran = false;

}  // namespace

Scenario::Scenario(ScenarioOptions options)
    : options_(options), harness_(std::make_unique<UiHarness>()) {}

Scenario::~Scenario() {
    hall_.reset();
    script_.reset();
    server_.Stop();
    harness_.reset();
    // The program's run leaves its state in the application object the
    // process's other tests share, and the harness's quit stays queued when
    // the start failed before the loop: both go with the scenario.
    App().ResetForTesting();
    platform::Message leftover;
    while (platform::PeekMessage(leftover, platform::PeekMode::Remove)) {
    }
    platform::SetAudioLibraryFactory({});
    if (screenSet_) {
        platform::ResetScreenForTesting();
    }
    platform::SetMessageBoxSink({});
    folder_.reset();
}

bool Scenario::Prepare() {
    folder_ = std::make_unique<ProgramFolder>();
    if (!folder_->Ok()) {
        error_ = folder_->Error();
        return false;
    }
    platform::SetScreenForTesting({0, 0, options_.width, options_.height},
                                  {0, 0, options_.width, options_.height});
    screenSet_ = true;
    platform::SetMessageBoxSink([](const platform::MessageBoxRequest&) { return 1; });
    // Sounds on, recorded instead of heard.
    folder_->Write("pvbn.ini",
                   "[GAMESET]\r\nSoundEffect=1\r\nBKMusic=1\r\nSoundVolume=60\r\nBKVolume=40\r\n");
    audio_ = std::make_shared<platform::AudioRecord>();
    platform::SetAudioLibraryFactory(
        [record = audio_] { return std::make_unique<platform::RecordingAudioLibrary>(record); });

    const RegionalTable table{kScenarioRoomId, kScenarioTableNo, kScenarioUser, "区域麻将"};
    testserver::RegionalScript::Options script = RegionalScriptOptions(table);
    script.ownTurn = options_.ownTurn;
    script.claimSkipRule = options_.claimSkipRule;
    if (options_.engineHand) {
        script.engine = true;
        script.engineHand.moves = options_.moves;
        script.engineHand.seed = options_.engineSeed;
        script.engineHand.robotsHeld = options_.robotsHeld;
        script.engineHand.testDealReplay = true;
        script.engineHand.hands = options_.hands;
        script.engineHand.beforeHand = options_.beforeHand;
        script.engineHand.beforeListedMove = options_.beforeListedMove;
        script.engineHand.afterSwapDiceMs = options_.afterSwapDiceMs;
        WriteWall(options_.wall);
    }
    script.onStep = [this](const std::string& step) { OnScriptStep(step); };
    script_ = std::make_unique<testserver::RegionalScript>(server_, script);
    if (!server_.Start()) {
        error_ = "the test server did not start";
        return false;
    }
    fakehall::FakeHallOptions hallOptions =
        RegionalHallOptions(table, server_.Port(), folder_->Path() + "hall");
    hallOptions.launchRecord.room.flags |= options_.roomFlags;
    hallOptions.proxy = options_.proxy;
    if (!options_.advertHost.empty()) {
        SetFieldText(hallOptions.launchRecord.room.advertHost, options_.advertHost);
    }
    hall_ = std::make_unique<fakehall::FakeHall>(std::move(hallOptions));
    if (!hall_->Start()) {
        error_ = "the fake hall did not start";
        return false;
    }
    harness_->finish = [this] {
        if (CGameFrameWnd* window = App().GetMainFrame()) {
            platform::PostMessage(window->Id(), platform::kMsgClose, 0, 0);
        } else {
            platform::PostQuitMessage(0);
        }
    };
    return true;
}

void Scenario::WriteWall(const std::vector<int32_t>& wall) {
    std::string total;
    for (int32_t k = 0; k < 108; ++k) {
        const int32_t entry = wall.size() == 108 ? wall[static_cast<size_t>(k)] : k;
        total += std::to_string(entry) + "|";
    }
    folder_->Write("test.ini", "[Card]\r\nMade=1\r\nTotal=" + total + "\r\n");
}

void Scenario::Checkpoint(const std::string& scriptStep, int count, std::function<bool()> ready,
                          std::function<void()> act, uint32_t timeoutMs, bool hold) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        gates_.push_back({scriptStep, count, false});
    }
    harness_->Add(
        "after " + scriptStep + (count > 1 ? " (" + std::to_string(count) + ")" : ""),
        [this, scriptStep, count, ready = std::move(ready)] {
            return Sent(scriptStep, count) && (!ready || ready());
        },
        [this, scriptStep, count, hold, act = std::move(act)] {
            if (act) {
                act();
            }
            if (!hold) {
                Release(scriptStep, count);
            }
        },
        timeoutMs);
}

bool Scenario::RanBefore() {
    return g_ran;
}

int Scenario::Run() {
    g_ran = true;
    const std::string line = hall_->LaunchLine();
    std::string program = "pvbn";
    std::vector<char*> argv = {program.data(), const_cast<char*>(line.c_str()), nullptr};
    const int code = App().Run(2, argv.data());
    // The script may wait for a check that will not come any more.
    {
        std::lock_guard<std::mutex> guard(lock_);
        for (Gate& gate : gates_) {
            gate.checked = true;
        }
    }
    changed_.notify_all();
    return code;
}

void Scenario::ExpectRanThrough(int exitCode) {
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(harness_->Finished());
    EXPECT_FALSE(harness_->TimedOut()) << harness_->LastStep();
    EXPECT_EQ(harness_->Acted().size(), harness_->StepCount());
}

bool Scenario::HeldFor(bool holds, uint32_t ms) {
    const uint32_t now = platform::GetTickCount32();
    if (!holds) {
        heldSince_ = 0;
        return false;
    }
    if (heldSince_ == 0) {
        heldSince_ = now;
    }
    if (now - heldSince_ < ms) {
        return false;
    }
    heldSince_ = 0;
    return true;
}

void Scenario::OnScriptStep(const std::string& step) {
    std::unique_lock<std::mutex> lock(lock_);
    auto sentBefore = [this](const Gate& gate) {
        return std::count(sentSoFar_.begin(), sentSoFar_.end(), gate.step) >= gate.count;
    };
    changed_.wait_for(lock, std::chrono::milliseconds(kGateWaitMs), [&] {
        return std::all_of(gates_.begin(), gates_.end(),
                           [&](const Gate& gate) { return gate.checked || !sentBefore(gate); });
    });
    sentSoFar_.push_back(step);
}

void Scenario::Release(const std::string& step, int count) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        for (Gate& gate : gates_) {
            if (gate.step == step && gate.count == count) {
                gate.checked = true;
            }
        }
    }
    changed_.notify_all();
}

std::vector<std::string> Scenario::SoundsPlayed() const {
    std::vector<std::string> names;
    for (const platform::AudioRecord::Stream& stream : audio_->streams) {
        const std::string name = regional_skin::SoundNameOf(stream.bytes);
        for (int i = 0; i < stream.starts + stream.restarts; ++i) {
            names.push_back(name);
        }
    }
    return names;
}

Scenario::SoundState Scenario::Sound(const std::string& fileName) const {
    SoundState state;
    for (const platform::AudioRecord::Stream& stream : audio_->streams) {
        if (regional_skin::SoundNameOf(stream.bytes) != fileName) {
            continue;
        }
        state.plays += stream.starts + stream.restarts;
        state.stops += stream.stops;
        state.playing = state.playing || stream.activity == platform::kChannelPlaying;
    }
    return state;
}

CRegionalMahjongApp& Scenario::App() {
    return *CRegionalMahjongApp::Instance();
}

CRegionalTableView* Scenario::View() {
    return dynamic_cast<CRegionalTableView*>(App().GetGameView());
}

std::vector<int32_t> Scenario::OwnRow(bool raisedOnly) {
    std::vector<int32_t> row;
    CRegionalTableView* view = View();
    for (int index = 0; view != nullptr && index < CMahjongTableView::kRowSize; ++index) {
        CCardSprite* sprite = view->GetHandSprite(kScenarioOwnPosition, index);
        if (sprite != nullptr && sprite->active != 0 && sprite->standing != 0 &&
            (!raisedOnly || sprite->raised != 0)) {
            row.push_back(sprite->tile);
        }
    }
    std::sort(row.begin(), row.end());
    return row;
}

CCardSprite* Scenario::OwnSprite(int32_t tile, int* index) {
    CRegionalTableView* view = View();
    for (int i = 0; view != nullptr && i < CMahjongTableView::kRowSize; ++i) {
        CCardSprite* sprite = view->GetHandSprite(kScenarioOwnPosition, i);
        if (sprite != nullptr && sprite->active != 0 && sprite->tile == tile) {
            if (index != nullptr) {
                *index = i;
            }
            return sprite;
        }
    }
    return nullptr;
}

std::vector<int32_t> Scenario::EngineRow() {
    testserver::RegionalEngineHand* engine = script_ ? script_->EngineHand() : nullptr;
    if (engine == nullptr) {
        return {};
    }
    std::vector<int32_t> row = engine->SeatTiles(testserver::RegionalEngineHand::kOwnChair);
    const int32_t pending = engine->PendingOwnDraw();
    row.erase(std::remove(row.begin(), row.end(), pending), row.end());
    std::sort(row.begin(), row.end());
    return row;
}

size_t Scenario::EngineCount(const std::string& operation) {
    testserver::RegionalEngineHand* engine = script_ ? script_->EngineHand() : nullptr;
    if (engine == nullptr) {
        return 0;
    }
    const std::vector<std::string> ops = engine->Operations();
    return static_cast<size_t>(std::count(ops.begin(), ops.end(), operation));
}

bool Scenario::Sent(const std::string& step, int count) const {
    const std::vector<std::string> sent = script_->StepsSent();
    return std::count(sent.begin(), sent.end(), step) >= count;
}

void Scenario::ClickAt(int x, int y, platform::MouseButton button) {
    CGameFrameWnd* window = App().GetMainFrame();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(platform::SynthesizeMouseMove(window->Id(), x, y));
    EXPECT_TRUE(platform::SynthesizeMouseButton(window->Id(), button, true, x, y));
    EXPECT_TRUE(platform::SynthesizeMouseButton(window->Id(), button, false, x, y));
}

void Scenario::Click(CCorvaneObject* object) {
    ASSERT_NE(object, nullptr);
    ClickAt(static_cast<int>(object->GetX()), static_cast<int>(object->GetY()));
}

uint32_t Scenario::BackBufferColour(int x, int y) {
    return MainWindowColour(x, y);
}

std::string Scenario::ChatText() {
    return ChatBoxText();
}

std::vector<std::string> Scenario::LogLinesWith(const std::string& text) const {
    return folder_->LogLinesWith(text);
}

}  // namespace game_test
