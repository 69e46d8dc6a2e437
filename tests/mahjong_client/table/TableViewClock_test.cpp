// The table view's clock, pointer, auto-play, event entry and sounds in a
// headless scene on a hand-driven clock. The hand and the requests are
// stood in for by a view that records what the clock asks of them.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "engine/ui/CorvaneButton.h"
#include "frame/GameRecords.h"
#include "frame/LaunchLine.h"
#include "frame/RecordFields.h"
#include "frame/view/GameFrameView.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/panels/DigitDisplay.h"
#include "mahjong_client/panels/SliderBar.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "tests/engine_ui/TextDisplayTestSupport.h"

namespace {

// The view with the play of the hand recorded: the own row holds a drawn
// tile while `drawn` is set.
class ClockTableView : public CMahjongTableView {
public:
    // The own chair is 0.
    int ChairToPosition(int chair) const override {
        return chair >= 0 && chair < 4 ? (chair + 3) % 4 : -1;
    }
    void PostStateEvent(CCardSprite* /*sprite*/) override { ++stateEvents; }
    int IsHandDrawn(int position) override { return position == 3 ? drawn : 0; }
    int ThrowHandTile(int index) override {
        calls.push_back("throw " + std::to_string(index));
        drawn = 0;
        return 1;
    }
    int CatchCard() override {
        calls.push_back("catch");
        drawn = 1;
        return 1;
    }
    int OnGuoButton() override {
        calls.push_back("guo");
        return 1;
    }
    void SetAllOperationButtons(int on) override {
        calls.push_back("buttons " + std::to_string(on));
    }
    void ClearHandMarks() override {}
    void OnTurnTimeOut() override {
        ++timeOuts;
        CMahjongTableView::OnTurnTimeOut();
    }
    void OnTimerTick() override {
        ++autoSteps;
        CMahjongTableView::OnTimerTick();
    }
    int OnTableEvent(const EventRecord& record) override {
        const auto* block = EventParamPointer<const uint8_t>(record.param1);
        tableEvents.push_back({record.event, static_cast<int>(record.param2),
                               block != nullptr ? static_cast<int>(block[0]) : -1});
        return record.event == kEventTableHeapA ? 0 : 1;  // the gang step is not taken
    }
    void PlayBackgroundMusic() override { ++musicCalls; }
    int OnCardSpriteEvent(const EventRecord& record) override {
        calls.push_back("tile " + std::to_string(record.event));
        return 1;
    }
    int OnChiButton() override { return Named("chi"); }
    int OnPengButton() override { return Named("peng"); }
    int OnGangButton() override { return Named("gang"); }
    int OnHuButton() override { return Named("hu"); }
    void StartGame() override { Named("start"); }
    void OnAskCardView() override { Named("ask"); }
    void ShowSkillPanel() override { Named("show skill"); }
    void HideSkillPanel() override { Named("hide skill"); }
    void SortHand() override { Named("sort"); }
    void OnResultTimeout() override { Named("result timeout"); }
    uint32_t ResultSerial() const { return resultSerial_; }
    void OnGameStart() override { Named("game start"); }
    void ClearTable() override { Named("clear"); }
    void RefreshSeatBoards() override { Named("boards"); }
    void ResetSeatBoard(int chair) override { Named("reset board " + std::to_string(chair)); }
    int Named(const std::string& name) {
        calls.push_back(name);
        return 1;
    }
    void ToggleSetDlg() override { ++settingsCalls; }
    uint64_t DelayedEventAction(uint32_t period, int count, const EventRecord* record) override {
        if (record != nullptr) {
            repeating.push_back(*record);
        }
        return CMahjongTableView::DelayedEventAction(period, count, record);
    }

    struct TableEvent {
        int event;
        int size;
        int firstByte;
    };
    int drawn = 0;
    int stateEvents = 0;
    int timeOuts = 0;
    int autoSteps = 0;
    int musicCalls = 0;
    int settingsCalls = 0;
    std::vector<std::string> calls;
    std::vector<TableEvent> tableEvents;
    std::vector<EventRecord> repeating;
};

// The frame view that only records the auto-play picture's switch.
class AutoPlayFrameView : public CGameFrameView {
public:
    void ShowAutoPlayAnimation(int on) override { shown.push_back(on); }
    std::vector<int> shown;
};

// The game's part of the table data: no seat marks, no hand state.
class ClockTableData : public CMahjongTableData {
public:
    int IsSeatStarted(int /*chair*/) const override { return 0; }
    bool SetSeatStarted(std::span<const uint8_t> /*record*/) override { return false; }
    std::span<const uint8_t> GetHandStateTail() const override { return {}; }
};

class TableApp : public CMahjongApp {
public:
    TableApp() : CMahjongApp("pvbn", 21265, 13, 1) {}
    int GetPlayerCount() override { return 4; }
    CGameTableData* GetTableData() override { return &tableData; }
    using CGameFrameApp::SetLaunchFields;
    // A hand-start record with the turn chair and the two times.
    void StartHand(int32_t turnChair, int32_t reactionSeconds, int32_t discardSeconds) {
        std::array<uint8_t, CMahjongTableData::kHandStartBytes> record{};
        const auto put = [&](size_t word, int32_t value) {
            for (int b = 0; b < 4; ++b) {
                record[4 * word + b] =
                    static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * b));
            }
        };
        put(13, turnChair);
        put(18, reactionSeconds);
        put(39, discardSeconds);
        ASSERT_TRUE(tableData.StoreHandStart(record));
    }
    void LookOn(int on) {
        LaunchFields fields;
        fields.lookOn = on;
        SetLaunchFields(fields);
    }
    ClockTableData tableData;
    int GetSoundEffect() override { return soundEffect; }
    int GetKeepSilence() override { return keepSilence; }
    int IsQuickCatch() override { return quickCatch; }
    int soundEffect = 1;
    int keepSilence = 0;
    int quickCatch = 0;
};

class TableClockTest : public UiSceneTest {
protected:
    void SetUp() override {
        UiSceneTest::SetUp();
        AddStrip(CMahjongTableView::kClockDigitsImage, 20, 10, 10);
        AddStrip(CMahjongTableView::kClockHandImage, 30, 30, 8);
        AddStrip(CMahjongTableView::kArrowImage, 10, 10, 4);
        AddStrip(CMahjongTableView::kVolumeButtonImage, 20, 20, 4);
        AddStrip(CMahjongTableView::kVolumePanelImage, 60, 120, 1);
        AddStrip(CMahjongTableView::kSliderTrackImage, 10, 100, 1);
        AddStrip(CMahjongTableView::kSliderThumbImage, 16, 8, 1);
        AddStrip(CMahjongTableView::kDepositImage, 120, 60, 1);
        AddStrip(CMahjongTableView::kDepositDigitsImage, 10, 14, 10);
        app.AttachFrameView(&frame);
        view = new ClockTableView;
        objects->RegisterObject(view, nullptr);
        view->SetViewRect(IntRect{0, 0, 800, 600});
        view->CreateClock();
    }
    void TearDown() override { app.AttachFrameView(nullptr); }

    // Time in frames of 10 ms: a delayed event is handled in the frame
    // after the one that is due.
    void Advance(int ms) {
        for (int i = 0; i < ms / 10; ++i) {
            Frame(10);
        }
    }
    // Whole seconds of the clock. Its ticks come a second apart from the
    // start of the run; the tests look 20 ms after each.
    void Seconds(int count) { Advance(1000 * count); }
    void Countdown(int seconds) {
        view->SetClockSeconds(seconds);
        Advance(20);
    }
    void StartClock() {
        view->StartTurnClock();
        Advance(20);
    }
    int HandFrame() { return view->GetClockHand()->GetFrame(); }
    // The directions the pointer shows over the next `ms`, each change once.
    std::vector<int> Shown(int ms) {
        std::vector<int> seen;
        for (int i = 0; i < ms / 10; ++i) {
            Frame(10);
            if (seen.empty() || seen.back() != view->GetPointerShown()) {
                seen.push_back(view->GetPointerShown());
            }
        }
        return seen;
    }
    EventRecord LastTick() const { return view->repeating.back(); }

    TableApp app;
    AutoPlayFrameView frame;
    ClockTableView* view = nullptr;  // the object module owns it
};

TEST_F(TableClockTest, ACountdownRunsOneTimeOutAndStopsAtZero) {
    StartClock();
    EXPECT_NE(view->GetClockDigits()->IsVisible(), 0);
    EXPECT_NE(view->GetClockHand()->IsVisible(), 0);
    view->MoveTurnIndicator(6, 6);
    view->drawn = 1;
    Countdown(3);
    EXPECT_EQ(view->GetClockDigits()->GetText(), "03");
    Seconds(2);
    EXPECT_EQ(view->GetClockSeconds(), 1);
    EXPECT_EQ(view->timeOuts, 0);
    Seconds(1);
    EXPECT_EQ(view->GetClockSeconds(), 0);
    EXPECT_EQ(view->GetClockDigits()->GetText(), "00");
    EXPECT_EQ(view->timeOuts, 1);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"buttons 0", "throw 0"}));
    // The seconds stay at 0 and the countdown does not time out again.
    Seconds(5);
    EXPECT_EQ(view->GetClockSeconds(), 0);
    EXPECT_EQ(view->timeOuts, 1);

    // A new countdown times out once more.
    view->drawn = 1;
    Countdown(2);
    Seconds(4);
    EXPECT_EQ(view->timeOuts, 2);

    // A countdown started at 0 is already over; a negative one is refused.
    view->SetClockSeconds(0);
    view->SetClockSeconds(-4);
    EXPECT_EQ(view->GetClockSeconds(), 0);
    Seconds(3);
    EXPECT_EQ(view->timeOuts, 2);
}

TEST_F(TableClockTest, TicksOfAStoppedOrRestartedClockChangeNothing) {
    view->StartTurnClock();
    view->SetClockSeconds(9);
    const EventRecord firstRun = LastTick();
    view->SetClockSeconds(9);  // restarts the running clock's seconds
    const EventRecord secondRun = LastTick();
    EXPECT_NE(firstRun.param1, secondRun.param1);

    view->OnEvent(firstRun);
    EXPECT_EQ(view->GetClockSeconds(), 9);
    view->OnEvent(secondRun);
    EXPECT_EQ(view->GetClockSeconds(), 8);

    view->StopTurnClock();
    EXPECT_EQ(view->GetClockDigits()->IsVisible(), 0);
    EXPECT_EQ(view->GetClockHand()->IsVisible(), 0);
    EXPECT_FALSE(view->IsClockRunning());
    view->OnEvent(secondRun);
    Seconds(3);
    EXPECT_EQ(view->GetClockSeconds(), 8);

    // Started again, the old run's ticks still count for nothing.
    StartClock();
    view->OnEvent(secondRun);
    EXPECT_EQ(view->GetClockSeconds(), 8);
    Seconds(1);
    EXPECT_EQ(view->GetClockSeconds(), 7);
}

TEST_F(TableClockTest, TheAutoPlayStepRunsOnlyWhileAutoPlayIsOn) {
    StartClock();
    Countdown(30);
    view->MoveTurnIndicator(6, 6);
    view->drawn = 1;
    Seconds(3);
    EXPECT_EQ(view->autoSteps, 0);

    view->ToggleAutoPlay();
    EXPECT_EQ(view->IsAutoPlay(), 1);
    EXPECT_EQ(view->GetAutoPlayState(), 1);
    EXPECT_EQ(frame.shown.back(), 1);
    Seconds(1);
    EXPECT_EQ(view->autoSteps, 1);
    EXPECT_TRUE(view->calls.empty());  // the first tick of two
    Seconds(1);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"throw 0"}));

    // Not the own turn and no pass offered: the step does nothing.
    view->MoveTurnIndicator(6, 4);
    view->drawn = 1;
    Seconds(4);
    EXPECT_EQ(view->calls.size(), 1u);
    // With a pass offered it passes, at the second tick.
    ASSERT_NE(view->GetOperationButton(kOpGuo), nullptr);
    view->ShowOperationButtons(1);
    view->SetOperationButton(kOpGuo, 1);
    ASSERT_TRUE(view->IsOperationButtonOn(kOpGuo));
    Seconds(2);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"throw 0", "guo"}));
    view->SetOperationButton(kOpGuo, 0);

    // A click on the table ends auto-play; outside it nothing changes.
    InputState outside;
    outside.mouseX = 900;
    outside.mouseY = 100;
    view->OnEvent(MakeEventRecord(view->GetId(), kEventToggleAutoPlay, 0, EventParam(&outside)));
    EXPECT_EQ(view->IsAutoPlay(), 1);
    InputState inside;
    inside.mouseX = 400;
    inside.mouseY = 300;
    view->OnEvent(MakeEventRecord(view->GetId(), kEventToggleAutoPlay, 0, EventParam(&inside)));
    EXPECT_EQ(view->IsAutoPlay(), 0);
    EXPECT_EQ(frame.shown.back(), 0);
    const int steps = view->autoSteps;
    Seconds(3);
    EXPECT_EQ(view->autoSteps, steps);
    // With auto-play off the click does not switch it on.
    view->OnEvent(MakeEventRecord(view->GetId(), kEventToggleAutoPlay, 0, EventParam(&inside)));
    EXPECT_EQ(view->IsAutoPlay(), 0);

    // Starting the clock for a hand clears auto-play.
    view->ToggleAutoPlay();
    view->StartTurnClock();
    EXPECT_EQ(view->IsAutoPlay(), 0);
}

TEST_F(TableClockTest, QuickDrawTakesTheOwnTileAtTheFirstTickOnly) {
    StartClock();
    view->MoveTurnIndicator(6, 6);
    Countdown(20);
    Seconds(2);
    EXPECT_TRUE(view->calls.empty());  // the setting is off

    app.quickCatch = 1;
    Countdown(20);
    Seconds(3);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"catch"}));
    // Drawn already, or another seat's turn: nothing.
    Countdown(20);
    Seconds(1);
    view->drawn = 0;
    view->MoveTurnIndicator(6, 2);
    Countdown(20);
    Seconds(1);
    EXPECT_EQ(view->calls.size(), 1u);
}

TEST_F(TableClockTest, ATimeOutOnAnotherSeatsTurnOrAsALookerOnThrowsNothing) {
    StartClock();
    view->MoveTurnIndicator(6, 0);
    view->drawn = 1;
    Countdown(1);
    Seconds(2);
    EXPECT_EQ(view->timeOuts, 1);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"buttons 0"}));
}

TEST_F(TableClockTest, ATurnStartsWithTheDiscardTimeAndPointsAtTheTurnSeat) {
    app.StartHand(2, 8, 15);
    view->StartTurn();
    EXPECT_EQ(view->GetClockSeconds(), 15);
    EXPECT_EQ(view->GetTurnDirection(), 2);  // chair 2 sits opposite
    for (int flag = 0; flag < 3; ++flag) {
        EXPECT_EQ(view->GetTurnFlag(flag), 1);
    }
    view->ClearTurnFlag(0);
    EXPECT_EQ(view->GetTurnFlag(0), 0);
    view->ClearTurnFlag(7);  // no such flag
    EXPECT_EQ(view->GetTurnFlag(7), 0);

    // A hand without a discard time takes the reaction time.
    app.StartHand(0, 8, 0);
    view->StartTurn();
    EXPECT_EQ(view->GetClockSeconds(), 8);
    EXPECT_EQ(view->GetTurnDirection(), 6);
    // A turn chair off the table leaves the pointer where it was.
    app.StartHand(9, 8, 15);
    view->StartTurn();
    EXPECT_EQ(view->GetTurnDirection(), 6);
}

TEST_F(TableClockTest, ATimeOutOnTheOwnTurnWithNothingDrawnDrawsOnce) {
    app.StartHand(0, 8, 15);
    view->BuildWall();
    ASSERT_GT(view->GetWallCount(), 0);
    StartClock();
    view->MoveTurnIndicator(6, 6);
    Countdown(2);
    Seconds(4);
    EXPECT_EQ(view->timeOuts, 1);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"buttons 0", "catch"}));
    // The draw has its own countdown: the reaction time.
    EXPECT_GE(view->GetClockSeconds(), 8 - 4);
}

TEST_F(TableClockTest, ALookerOnNeitherTimesOutNorPlaysAutomatically) {
    app.LookOn(1);
    StartClock();
    view->MoveTurnIndicator(6, 6);
    EXPECT_EQ(view->stateEvents, 0);
    view->drawn = 1;
    app.quickCatch = 1;
    view->ToggleAutoPlay();
    Countdown(2);
    Seconds(4);
    EXPECT_EQ(view->timeOuts, 1);
    EXPECT_EQ(view->autoSteps, 0);
    EXPECT_TRUE(view->calls.empty());
}

TEST_F(TableClockTest, EachMoveOfThePointerStartsANewChainAndTheOldOneStops) {
    view->MoveTurnIndicator(6, 4);
    EXPECT_EQ(view->GetTurnDirection(), 4);
    EXPECT_EQ(HandFrame(), 6);
    EXPECT_EQ(Shown(500), (std::vector<int>{6, 5, 4}));
    EXPECT_EQ(HandFrame(), 4);

    // Opposite seats: in play order.
    view->MoveTurnIndicator(4, 0);
    EXPECT_EQ(Shown(600), (std::vector<int>{4, 3, 2, 1, 0}));
    // The shorter way round.
    view->MoveTurnIndicator(0, 6);
    EXPECT_EQ(Shown(500), (std::vector<int>{0, 7, 6}));

    // A second move while the first still runs: from then on only the
    // second chain moves the hand, and nothing moves once it is there.
    view->MoveTurnIndicator(6, 2);
    EXPECT_EQ(Shown(150), (std::vector<int>{6, 5}));
    view->MoveTurnIndicator(2, 0);
    EXPECT_EQ(view->GetPointerShown(), 2);
    EXPECT_EQ(Shown(1000), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(view->GetTurnDirection(), 0);
}

TEST_F(TableClockTest, DirectionsOutsideTheDialAreStoredNotShown) {
    view->MoveTurnIndicator(6, 2);
    Shown(1000);
    view->MoveTurnIndicator(2, 9);
    EXPECT_EQ(view->GetTurnDirection(), 9);
    EXPECT_EQ(Shown(300), (std::vector<int>{2}));
    view->MoveTurnIndicator(9, -1);
    EXPECT_EQ(view->GetTurnDirection(), -1);
    EXPECT_EQ(HandFrame(), 2);
    // A pointer step event of an old chain or out of range does nothing.
    view->OnEvent(MakeEventRecord(view->GetId(), kEventPointerStep, 0, 5));
    view->OnEvent(MakeEventRecord(view->GetId(), kEventPointerStep, 0, 40));
    EXPECT_EQ(HandFrame(), 2);
    // An odd direction is shown at once.
    view->MoveTurnIndicator(2, 5);
    EXPECT_EQ(HandFrame(), 5);
}

TEST_F(TableClockTest, EveryEventIsAnsweredAndTheTablesOwnGoByName) {
    for (int id : {80000002, 80000003, 80000007, 80000013, 80000015, 80000017, 80000020, 80000028,
                   80000053, 80000063, 80000071, 80000103, 80000109, 80001106, 80001128, 80001166,
                   80001167, 19840325}) {
        EXPECT_EQ(view->OnEvent(MakeEventRecord(view->GetId(), id, 0, 0)), 1) << id;
    }
    EXPECT_TRUE(view->calls.empty());
    view->OnEvent(MakeEventRecord(view->GetId(), kEventPlayMusic, 0, 0));
    view->OnEvent(MakeEventRecord(view->GetId(), 80000084, 0, 0));
    EXPECT_EQ(view->musicCalls, 1);
    EXPECT_EQ(view->settingsCalls, 1);
    view->OnEvent(MakeEventRecord(view->GetId(), kEventDiceDone, 0, 0));
    ASSERT_EQ(view->tableEvents.size(), 1u);
    EXPECT_EQ(view->tableEvents[0].event, kEventDiceDone);

    for (int id = 80001117; id <= 80001127; id += 5) {
        EXPECT_EQ(view->OnEvent(MakeEventRecord(view->GetId(), id, 0, 0)), 1);
    }
    for (int id = 80001131; id <= 80001146; ++id) {
        // The result's time-out acts only for the latest result.
        const intptr_t serial = id == kEventResultTimeout ? view->ResultSerial() : 0;
        EXPECT_EQ(view->OnEvent(MakeEventRecord(view->GetId(), id, serial, 0)), 1);
    }
    for (int id : {80000011, 80000012, 80000018}) {
        EXPECT_EQ(view->OnEvent(MakeEventRecord(view->GetId(), id, 0, 0)), 1);
    }
    EXPECT_EQ(view->calls,
              (std::vector<std::string>{"tile 80001117", "tile 80001122", "tile 80001127", "chi",
                                        "peng", "gang", "hu", "guo", "start", "ask", "show skill",
                                        "hide skill", "sort", "result timeout", "boards",
                                        "game start", "clear", "boards"}));
}

TEST_F(TableClockTest, APlayerLeavingFreesTheBoardOfTheChairItCarries) {
    std::array<uint8_t, UserRecord::kSize> user{};
    UserRecord record;
    record.userId = 77;
    record.chairNo = 2;
    ASSERT_TRUE(WriteRecord(record, std::span(user)));
    view->OnEvent(MakeEventRecord(view->GetId(), 80000016, EventParam(user.data()), user.size()));
    view->OnEvent(MakeEventRecord(view->GetId(), 80000014, EventParam(user.data()), user.size()));
    // Cut short, or a chair past the table: no board is touched.
    view->OnEvent(MakeEventRecord(view->GetId(), 80000016, EventParam(user.data()), 100));
    view->OnEvent(MakeEventRecord(view->GetId(), 80000016, 0, 0));
    record.chairNo = 8;
    ASSERT_TRUE(WriteRecord(record, std::span(user)));
    view->OnEvent(MakeEventRecord(view->GetId(), 80000016, EventParam(user.data()), user.size()));
    EXPECT_EQ(view->calls, (std::vector<std::string>{"reset board 2", "boards"}));
}

TEST_F(TableClockTest, TheDepositPanelFadesInWithTheStakeAndHides) {
    CCorvaneCanvas* panel = view->GetDepositPanel();
    ASSERT_NE(panel, nullptr);  // made with the view, hidden
    EXPECT_EQ(panel->IsVisible(), 0);
    view->ShowDepositPanel(1);
    ASSERT_NE(view->GetDepositDigits(), nullptr);
    EXPECT_NE(panel->IsVisible(), 0);
    EXPECT_NE(view->GetDepositDigits()->IsVisible(), 0);
    EXPECT_EQ(view->GetDepositDigits()->GetZeroPadding(), 0);
    EXPECT_EQ(panel->GetCanvasWidth(), 120);
    EXPECT_TRUE(HasInk(*panel));
    EXPECT_LT(panel->GetAlpha(), 1.0);
    Advance(500);
    EXPECT_DOUBLE_EQ(panel->GetAlpha(), 1.0);
    // In the table's top-left corner, clear of the tiles in the middle.
    EXPECT_DOUBLE_EQ(panel->GetX(), 10 + 60);
    EXPECT_DOUBLE_EQ(panel->GetY(), 10 + 30);

    view->ShowDepositPanel(0);
    EXPECT_EQ(panel->IsVisible(), 0);
    EXPECT_EQ(view->GetDepositDigits()->IsVisible(), 0);
    // Shown again, the same parts come back.
    view->ShowDepositPanel(1);
    EXPECT_EQ(view->GetDepositPanel(), panel);
}

// Under the leak checker: a block left unfreed, taken or not, fails the run.
TEST_F(TableClockTest, AHeapBlockReachesTheTableStepAndIsFreedTakenOrNot) {
    const std::array<uint8_t, 32> reply{42};
    ASSERT_NE(view->PostTableBlock(kEventTableHeapB, reply.data(), reply.size(), 200), 0u);
    const std::array<uint8_t, 8> gang{7};
    ASSERT_NE(view->PostTableBlock(kEventTableHeapA, gang.data(), gang.size(), 400), 0u);
    Advance(150);
    EXPECT_TRUE(view->tableEvents.empty());
    Advance(100);
    ASSERT_EQ(view->tableEvents.size(), 1u);
    EXPECT_EQ(view->tableEvents[0].event, kEventTableHeapB);
    EXPECT_EQ(view->tableEvents[0].size, 32);
    EXPECT_EQ(view->tableEvents[0].firstByte, 42);
    Advance(200);
    ASSERT_EQ(view->tableEvents.size(), 2u);
    EXPECT_EQ(view->tableEvents[1].event, kEventTableHeapA);
    EXPECT_EQ(view->tableEvents[1].firstByte, 7);

    // An event without a block reaches the step with none.
    view->OnEvent(MakeEventRecord(view->GetId(), kEventTableHeapB, 0, 0));
    ASSERT_EQ(view->tableEvents.size(), 3u);
    EXPECT_EQ(view->tableEvents[2].firstByte, -1);
}

TEST_F(TableClockTest, SoundsPlayOnlyWithSoundEffectsOnAndNoSilence) {
    view->PlaySound("SndThrow");
    app.keepSilence = 1;
    view->PlaySound("SndCatch");
    app.keepSilence = 0;
    app.soundEffect = 0;
    view->PlaySound("SndDice");
    app.soundEffect = 1;
    view->PlaySound(nullptr);
    view->PlaySound("");
    ASSERT_EQ(music->played.size(), 1u);
    EXPECT_EQ(music->played[0].name, "SndThrow");
    EXPECT_EQ(music->played[0].plays, 1);

    // The settings' answer (80000085) applies the silence to the music.
    app.keepSilence = 1;
    view->CMahjongTableView::PlayBackgroundMusic();
    EXPECT_EQ(music->IsSoundOff(), 1);
    app.keepSilence = 0;
    view->CMahjongTableView::PlayBackgroundMusic();
    EXPECT_EQ(music->IsSoundOff(), 0);
}

TEST_F(TableClockTest, VoiceIndexIsSuitAndValueOfARealTileOnly) {
    EXPECT_EQ(view->GetVoiceIndex(0), 1);
    EXPECT_EQ(view->GetVoiceIndex(8), 9);
    EXPECT_EQ(view->GetVoiceIndex(36), 11);
    EXPECT_EQ(view->GetVoiceIndex(108), 31);
    for (int tile : {-1, 144, 200, 100000}) {
        EXPECT_EQ(view->GetVoiceIndex(tile), -1) << tile;
    }
    EXPECT_STREQ(view->GetOperationSoundName(1), "");
    EXPECT_EQ(view->GetVoiceFile(3, 5), "");
}

TEST_F(TableClockTest, TheVolumePanelOpensWithItsSlidersAndTheyGiveTheScales) {
    view->CreateToolButtons();
    CCorvaneObject* panel = view->GetVolumePanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(view->GetMusicSlider(), nullptr);
    ASSERT_NE(view->GetSoundSlider(), nullptr);
    EXPECT_EQ(panel->IsVisible(), 0);
    EXPECT_EQ(view->GetMusicSlider()->GetValue(), 100);

    view->OnEvent(MakeEventRecord(view->GetId(), kEventVolumeButton, 0, 0));
    EXPECT_NE(panel->IsVisible(), 0);
    EXPECT_NE(view->GetMusicSlider()->GetTrack()->IsVisible(), 0);
    EXPECT_EQ(view->GetVolumeButton()->IsLatched(), 1);

    // A press below the music thumb: 80, reported to the view.
    CSliderBar* musicSlider = view->GetMusicSlider();
    InputState below;
    below.mouseX = static_cast<int>(musicSlider->GetTrack()->GetX());
    below.mouseY = static_cast<int>(musicSlider->GetTrack()->GetBottom()) - 1;
    musicSlider->OnEvent(
        MakeEventRecord(musicSlider->GetId(), kSliderTrackPress, 0, EventParam(&below)));
    EXPECT_EQ(musicSlider->GetValue(), 80);
    EXPECT_FLOAT_EQ(view->GetMusicScale(), 0.8f);
    EXPECT_FLOAT_EQ(view->GetSoundScale(), 1.0f);

    view->OnEvent(MakeEventRecord(view->GetId(), kEventVolumeButton, 0, 0));
    EXPECT_EQ(panel->IsVisible(), 0);
    EXPECT_EQ(view->GetMusicSlider()->GetTrack()->IsVisible(), 0);
    EXPECT_EQ(view->GetVolumeButton()->IsLatched(), 0);
}

TEST_F(TableClockTest, TheClockDigitsArePaddedAndTheWinAnchorsLieInsideTheTable) {
    EXPECT_EQ(view->GetClockDigits()->GetZeroPadding(), 1);
    view->SetClockSeconds(7);
    EXPECT_EQ(view->GetClockDigits()->GetText(), "07");
    // The clock in the top-right corner, its digits just left of the hand.
    CCorvanePicture* hand = view->GetClockHand();
    EXPECT_DOUBLE_EQ(hand->GetX(), 800 - 15 - 10);
    EXPECT_DOUBLE_EQ(hand->GetY(), 10 + 15);
    CCorvaneCanvas* digits = view->GetClockDigits()->GetCanvas();
    EXPECT_LE(digits->GetRight(), hand->GetLeft());
    EXPECT_GT(digits->GetLeft(), 800 - 100);
    EXPECT_DOUBLE_EQ(digits->GetY(), hand->GetY());
    for (int p = 0; p < 4; ++p) {
        const TablePoint at = view->GetHuAnchor(p);
        EXPECT_GT(at.x, 0) << p;
        EXPECT_LT(at.x, 800) << p;
        EXPECT_GT(at.y, 0) << p;
        EXPECT_LT(at.y, 600) << p;
    }
    EXPECT_LT(view->GetHuAnchor(0).x, 800 - 35 + 1);
    EXPECT_GT(view->GetHuAnchor(2).x, 35 - 1);
    EXPECT_LT(view->GetHuAnchor(3).y, 600 - 35 + 1);
    EXPECT_GT(view->GetHuAnchor(1).y, 35 - 1);
}

}  // namespace
