// The regional table view's own parts: construction with a full or a
// lacking skin, the start of a hand, the clearing of the table, the event
// switch, the heap records its events carry and the end of a hand.
#include <gtest/gtest.h>

#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneCursor.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineCursors.h"
#include "engine/MusicModule.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/GameRecords.h"
#include "game/result/GameResultDlg.h"
#include "game/table/PlayerBoardSmall.h"
#include "game/table/RegionalCardSprite.h"
#include "mahjong_client/panels/SliderBar.h"
#include "tests/game/view/RegionalViewFixture.h"

namespace regional_view_test {
namespace {

// Records the operations of the later work that the view's events reach.
class RecordingView : public TestRegionalView {
public:
    void ApplySwapResult(NotifyRecord record) override {
        swapResults.emplace_back(record.begin(), record.end());
    }
    void OnTingTileClick(CCardSprite* sprite) override { tingClicks.push_back(sprite); }
    void CheckAutoFix() override { ++autoFixChecks; }
    void TakeSilverForAutoFix(int silver, uint32_t password) override {
        silverTaken.push_back({silver, static_cast<int>(password)});
    }
    void StartGame() override { ++gamesStarted; }
    void AutoApplyWelfare() override { ++welfareClaims; }

    std::vector<std::vector<uint8_t>> swapResults;
    std::vector<CCardSprite*> tingClicks;
    std::vector<std::pair<int, int>> silverTaken;
    int autoFixChecks = 0;
    int gamesStarted = 0;
    int welfareClaims = 0;
};

class RegionalTableViewTest : public RegionalViewTest {
protected:
    void OpenRecording(const std::set<std::string>& leaveOut = {}) {
        recording = new RecordingView;
        Open(leaveOut, recording);
    }
    void Send(int event, intptr_t first = 0, intptr_t second = 0) {
        view->OnEvent(MakeEventRecord(view->GetId(), event, first, second));
    }

    RecordingView* recording = nullptr;
};

TEST_F(RegionalTableViewTest, CreationMakesTheRegionalPartsAndFourPlayerBoards) {
    OpenRecording();
    EXPECT_EQ(view->GetPlayerCount(), 4);
    EXPECT_EQ(view->GetSeatCount(), 4);
    for (int i = 0; i < CMahjongTableView::kCardPoolSize; ++i) {
        EXPECT_NE(view->GetRegionalSprite(i), nullptr) << i;
    }
    for (int p = 0; p < 4; ++p) {
        EXPECT_NE(view->GetPlayerBoard(p), nullptr) << p;
        ASSERT_NE(view->GetBaoJiaoBadge(p), nullptr) << p;
        EXPECT_EQ(view->GetBaoJiaoBadge(p)->IsVisible(), 0);
        EXPECT_DOUBLE_EQ(view->GetBaoJiaoBadge(p)->GetZ(), CRegionalTableView::kBadgeDepth);
    }
    ASSERT_NE(view->GetResultDlg(), nullptr);
    EXPECT_EQ(view->GetResultDlg()->IsVisible(), 0);
    // The in-table dialogs are made hidden; their buttons show them.
    ASSERT_NE(view->GetSetDlg(), nullptr);
    ASSERT_NE(view->GetAutoFixDlg(), nullptr);
    EXPECT_EQ(view->GetSetDlg()->IsVisible(), 0);
    EXPECT_EQ(view->GetAutoFixDlg()->IsVisible(), 0);
    view->ToggleSetDlg();
    EXPECT_NE(view->GetSetDlg()->IsVisible(), 0);
    Send(kEventAutoFixButton);
    EXPECT_NE(view->GetAutoFixDlg()->IsVisible(), 0);
    // The cursor: the program's arrow current, the hand beside it.
    ASSERT_NE(view->GetCursor(), nullptr);
    EXPECT_NE(view->GetCursor()->GetCursor(0), 0u);
    EXPECT_NE(view->GetCursor()->GetCursor(1), 0u);
    EXPECT_EQ(view->GetCursor()->GetCurrentCursor(), view->GetCursor()->GetCursor(0));
    // The tile rules of the game.
    EXPECT_EQ(view->GetRuleFlags(), 0xa0003100u);
    EXPECT_EQ(view->GetCardsInPlay(), 108u);
    EXPECT_EQ(view->GetWallStackCount(), 28);
    EXPECT_EQ(view->GetMaxHandSlots(), 18u);
    EXPECT_EQ(view->GetHandSize(), 14u);
}

TEST_F(RegionalTableViewTest, ASkinWithoutItsPicturesStillLaysOutStartsAndClears) {
    OpenRecording({"bit_baojiao", "语音框新", "语音", "换牌信息按钮", "Change_Info", "低保"});
    g_bBaoJiao[0] = 1;
    g_bBaoJiao[2] = 1;
    StoreHandStart(0, 0, OwnTiles());
    view->OnGameStart();
    view->Relayout();
    Send(kEventVoiceButton);
    Send(kEventVoiceBoxClose);
    Send(kEventSwapInfoToggle);
    Send(kEventWelfareButton);
    view->ClearTable();
    Frame();
    EXPECT_EQ(g_bBaoJiao[0], 0);
}

TEST_F(RegionalTableViewTest, PartsThatAreGoneAreSkipped) {
    OpenRecording();
    // Every part the view made, destroyed behind its back.
    std::vector<CCorvaneObject*> parts;
    for (int p = 0; p < 4; ++p) {
        parts.push_back(view->GetBaoJiaoBadge(p));
    }
    parts.push_back(view->GetVoiceButton());
    parts.push_back(view->GetVoiceBox());
    parts.push_back(view->GetSwapInfoPanel());
    parts.push_back(view->GetSwapInfoShowButton());
    parts.push_back(view->GetSwapInfoHideButton());
    parts.push_back(view->GetSwapChoiceButton());
    parts.push_back(view->GetWelfareButton());
    parts.push_back(view->GetResultDlg());
    for (CCorvaneObject* part : parts) {
        if (part != nullptr) {
            view->DestroyObject(part, 0);
        }
    }
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(view->GetBaoJiaoBadge(p), nullptr) << p;
    }
    EXPECT_EQ(view->GetResultDlg(), nullptr);
    std::fill(std::begin(g_bBaoJiao), std::end(g_bBaoJiao), 1);
    StoreHandStart(0, 0, OwnTiles(), kHandRunning | kSwapPhase);
    view->OnGameStart();
    StoreHandStart(0, 0, OwnTiles());
    view->OnGameStart();
    view->Relayout();
    for (int event : {kEventVoiceButton, kEventVoiceBoxClose, kEventSwapInfoToggle,
                      kEventWelfareButton, kEventWelfareCooled, kEventMeldAnimationDoneA}) {
        Send(event);
    }
    view->ShowResult(std::vector<uint8_t>(2432, 0));
    view->OnResultClosed();
    view->ClearTable();
    RunMs(100);
    EXPECT_EQ(g_bBaoJiao[3], 0);
}

TEST_F(RegionalTableViewTest, ClearTableHidesBadgesDropsWinPicturesAndForgetsReadyHands) {
    OpenRecording();
    for (int p = 0; p < 4; ++p) {
        ShowPart(view->GetBaoJiaoBadge(p));
    }
    std::fill(std::begin(g_bBaoJiao), std::end(g_bBaoJiao), 1);
    view->PlayHuAnimation(2);
    ASSERT_NE(view->GetHuPicture(2), nullptr);
    const std::vector<int> particles = view->GetWinParticleIds();
    EXPECT_FALSE(particles.empty());
    view->ClearTable();
    Frame();
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(view->GetBaoJiaoBadge(p)->IsVisible(), 0) << p;
        EXPECT_EQ(view->GetHuPicture(p), nullptr) << p;
        EXPECT_EQ(g_bBaoJiao[p], 0) << p;
    }
    EXPECT_TRUE(view->GetWinParticleIds().empty());
    for (int id : particles) {
        EXPECT_EQ(view->FindObjectById(id), nullptr);
    }
}

TEST_F(RegionalTableViewTest, HeapRecordsAreHandedOverOnceAndDroppedWithTheTable) {
    OpenRecording();
    const std::vector<uint8_t> message = {1, 2, 3, 4, 5};
    ASSERT_TRUE(view->PostHeapEvent(kEventSwapApply, 0, message.data(), message.size(), 0));
    EXPECT_EQ(view->GetPendingRecordCount(), 1u);
    Frame();
    ASSERT_EQ(recording->swapResults.size(), 1u);
    EXPECT_EQ(recording->swapResults[0], message);
    EXPECT_EQ(view->GetPendingRecordCount(), 0u);
    // The same event again (or one whose record is gone) does nothing.
    Send(kEventSwapApply, 0, 1);
    Send(kEventSwapApply, 0, 0);
    Send(kEventSwapApply, 0, -5);
    EXPECT_EQ(recording->swapResults.size(), 1u);
    // Cleared before it arrives: never applied.
    ASSERT_TRUE(view->PostHeapEvent(kEventSwapApply, 0, message.data(), message.size(), 500));
    view->ClearTable();
    RunMs(600);
    EXPECT_EQ(recording->swapResults.size(), 1u);
}

TEST_F(RegionalTableViewTest, HeapRecordsOfEventsThatNeverArriveGoWithTheView) {
    OpenRecording();
    const std::vector<uint8_t> message(8472, 7);
    ASSERT_TRUE(view->PostHeapEvent(kEventSwapApply, 0, message.data(), message.size(), 5000));
    ASSERT_TRUE(view->PostHeapEvent(kEventDealStep, 3, message.data(), 12, 5000));
    EXPECT_EQ(view->GetPendingRecordCount(), 2u);
    // The window closes with both actions waiting (the leak check of the
    // test run sees what was not freed).
    EXPECT_TRUE(recording->swapResults.empty());
    CloseWindow();
}

TEST_F(RegionalTableViewTest, TheSwapInfoButtonTogglesThePanelAndTwoPressesRestoreIt) {
    OpenRecording();
    view->CreateSwapInfoCanvas();
    CCorvaneCanvas* panel = view->GetSwapInfoPanel();
    CCorvaneButton* show = view->GetSwapInfoShowButton();
    CCorvaneButton* hide = view->GetSwapInfoHideButton();
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(show, nullptr);
    ASSERT_NE(hide, nullptr);
    panel->Hide();
    show->Show();
    hide->Hide();
    ShowPart(view->GetResultDlg());
    Send(kEventSwapInfoToggle);
    EXPECT_NE(panel->IsVisible(), 0);
    EXPECT_GT(panel->GetZ(), view->GetResultDlg()->GetZ()) << "opened under the result";
    EXPECT_NE(hide->IsVisible(), 0);
    EXPECT_EQ(show->IsVisible(), 0);
    Send(kEventSwapInfoToggle);
    EXPECT_EQ(panel->IsVisible(), 0);
    EXPECT_NE(show->IsVisible(), 0);
    EXPECT_EQ(hide->IsVisible(), 0);
}

TEST_F(RegionalTableViewTest, TheWelfareButtonRestsForTenSecondsAndIsThenOnlyEnabled) {
    OpenRecording();
    CCorvaneButton* button = view->GetWelfareButton();
    if (button == nullptr) {
        view->SetWelfareButton(view->MakeButton("低保", kEventWelfareButton));
        button = view->GetWelfareButton();
    }
    ASSERT_NE(button, nullptr);
    button->SetInputEnabled(1);
    const int shown = button->IsVisible();
    Send(kEventWelfareButton);
    EXPECT_EQ(button->IsInputEnabled(), 0);
    RunMs(9900);
    EXPECT_EQ(button->IsInputEnabled(), 0);
    RunMs(200);
    EXPECT_NE(button->IsInputEnabled(), 0);
    EXPECT_EQ(button->IsVisible(), shown);
}

TEST_F(RegionalTableViewTest, TingTileClicksReachOnlyTheOwnConcealedTiles) {
    OpenRecording();
    StoreHandStart(0, 0, OwnTiles());
    view->BuildWall();
    const uint32_t serial = view->GetHandSerial();
    view->DealStep(3, {0, 0, serial});
    view->DealStep(2, {0, 1, serial});
    CCardSprite* own = view->GetHandSprite(3, 12);
    CCardSprite* other = view->GetHandSprite(2, 12);
    ASSERT_NE(own, nullptr);
    ASSERT_NE(other, nullptr);
    // A record that names no sprite is not handled.
    EXPECT_EQ(view->OnEvent(MakeEventRecord(view->GetId(), kEventTingTileClick, -1, 0)), 0);
    EXPECT_EQ(view->OnEvent(MakeEventRecord(view->GetId(), kEventTingTileClick, 167, 0)), 0);
    Send(kEventTingTileClick, other->poolIndex);
    EXPECT_TRUE(recording->tingClicks.empty());
    own->meldMark = 1;
    Send(kEventTingTileClick, own->poolIndex);
    EXPECT_TRUE(recording->tingClicks.empty());
    own->meldMark = 0;
    Send(kEventTingTileClick, own->poolIndex);
    ASSERT_EQ(recording->tingClicks.size(), 1u);
    EXPECT_EQ(recording->tingClicks[0], own);
}

TEST_F(RegionalTableViewTest, TheProtectPasswordAndResultEventsReachTheirOperations) {
    OpenRecording();
    Send(kEventSecurePwdOk, 3000, 1234);
    ASSERT_EQ(recording->silverTaken.size(), 1u);
    EXPECT_EQ(recording->silverTaken[0], std::make_pair(3000, 1234));
    Send(kEventCheckAutoFix);
    EXPECT_EQ(recording->autoFixChecks, 1);
}

TEST_F(RegionalTableViewTest, FindMaxIndexTakesTheFirstOfEqualMaxima) {
    const int values[] = {3, 7, 7, 1};
    EXPECT_EQ(CRegionalTableView::FindMaxIndex(values, 0, 4), 1);
    EXPECT_EQ(CRegionalTableView::FindMaxIndex(values, 2, 4), 2);
    EXPECT_EQ(CRegionalTableView::FindMaxIndex(values, 3, 4), 3);
    EXPECT_EQ(CRegionalTableView::FindMaxIndex(values, 3, 3), 3);
    EXPECT_EQ(CRegionalTableView::FindMaxIndex(nullptr, 2, 4), 2);
    const int negatives[] = {-5, -2, -9};
    EXPECT_EQ(CRegionalTableView::FindMaxIndex(negatives, 0, 3), 1);
}

TEST_F(RegionalTableViewTest, AGameStartInTheSwapPhaseOpensTheChoice) {
    OpenRecording();
    StoreHandStart(1, 0, OwnTiles(13), kHandRunning | kSwapPhase);
    view->OnGameStart();
    EXPECT_EQ(view->GetTableState(), CRegionalTableView::kStateSwapChoice);
    EXPECT_EQ(view->m_bSwapChoosing, 1);
    EXPECT_EQ(view->GetClockSeconds(), 30);
    EXPECT_EQ(view->GetTurnDirection(), 6);
    CCorvaneButton* choice = view->GetSwapChoiceButton();
    ASSERT_NE(choice, nullptr);
    EXPECT_NE(choice->IsVisible(), 0);
    EXPECT_EQ(choice->IsInputEnabled(), 0);
}

TEST_F(RegionalTableViewTest, AGameStartOfARunningHandShowsTheReadyHandsAndOfflineSeats) {
    OpenRecording();
    StoreHandStart(0, 0, OwnTiles());
    // Chair 2 is offline; the own chair's mark is never shown.
    std::span<uint8_t> status = data->GetStatusBlock();
    status[20 + 4 * 2] = 0x08;
    status[20 + 4 * 0] = 0x20;
    g_bBaoJiao[0] = 1;
    g_bBaoJiao[1] = 1;
    view->OnGameStart();
    EXPECT_EQ(view->GetTableState(), CRegionalTableView::kStateNormal);
    EXPECT_NE(view->GetBaoJiaoBadge(3)->IsVisible(), 0);
    EXPECT_NE(view->GetBaoJiaoBadge(view->ChairToPosition(1))->IsVisible(), 0);
    EXPECT_EQ(view->GetBaoJiaoBadge(view->ChairToPosition(2))->IsVisible(), 0);
    // The own tiles from index 1 up are dimmed before the hand is sorted:
    // only the tile that lay at index 0 stays bright.
    std::vector<int> bright;
    for (int i = 0; i < CMahjongTableView::kRowSize; ++i) {
        if (CCardSprite* sprite = view->GetHandSprite(3, i); sprite != nullptr && !sprite->greyed) {
            bright.push_back(sprite->tile);
        }
    }
    EXPECT_EQ(view->GetRowCount(3), 14);
    EXPECT_EQ(bright, std::vector<int>{OwnTiles()[0]});
    EXPECT_NE(view->GetSeatBoard(view->ChairToPosition(2))->IsOffline(), 0);
    EXPECT_EQ(view->GetSeatBoard(3)->IsOffline(), 0);
    EXPECT_EQ(view->GetSeatBoard(view->ChairToPosition(1))->IsOffline(), 0);
    ASSERT_NE(view->GetSwapInfoShowButton(), nullptr);
    EXPECT_NE(view->GetSwapInfoShowButton()->IsVisible(), 0);
}

TEST_F(RegionalTableViewTest, ClosingTheResultBetweenHandsClearsTheTableAndChecksTheTopUp) {
    OpenRecording();
    StoreHandStart(0, 0, OwnTiles());
    view->BuildWall();
    view->DealStep(3, {0, 0, view->GetHandSerial()});
    ShowPart(view->GetResultDlg());
    view->OnResultClosed();
    EXPECT_EQ(view->GetResultDlg()->IsVisible(), 0);
    EXPECT_EQ(view->GetWallCount(), 0);
    EXPECT_EQ(view->GetRowCount(3), 0);
    EXPECT_NE(view->GetStartButton()->IsVisible(), 0);
    EXPECT_EQ(recording->welfareClaims, 1);
    EXPECT_EQ(recording->autoFixChecks, 0);
    RunMs(60);
    EXPECT_EQ(recording->autoFixChecks, 1);
}

TEST_F(RegionalTableViewTest, TheResultDialogsCloseButtonClosesIt) {
    OpenRecording();
    view->Relayout();
    CGameResultDlg* dialog = view->GetResultDlg();
    ASSERT_NE(dialog, nullptr);
    view->ShowResult(std::vector<uint8_t>(CRegionalTableView::kResultRecordBytes, 0));
    ASSERT_NE(dialog->IsVisible(), 0);
    view->OnEvent(MakeEventRecord(view->GetId(), kEventResultClose, 0, 0));
    EXPECT_EQ(dialog->IsVisible(), 0);
    EXPECT_EQ(recording->welfareClaims, 1);
}

TEST_F(RegionalTableViewTest, ClosingTheResultWhileAHandRunsOnlyHidesIt) {
    OpenRecording();
    app->SetGamePlaying();
    view->BuildWall();
    ShowPart(view->GetResultDlg());
    view->OnResultClosed();
    RunMs(60);
    EXPECT_EQ(view->GetResultDlg()->IsVisible(), 0);
    EXPECT_EQ(view->GetWallCount(), 108);
    EXPECT_EQ(recording->welfareClaims, 0);
    EXPECT_EQ(recording->autoFixChecks, 0);
}

TEST_F(RegionalTableViewTest, TheResultTimesOutIntoTheNextHandOnlyForAPlayerBetweenHands) {
    OpenRecording();
    ShowPart(view->GetResultDlg());
    app->SetGamePlaying();
    view->OnResultTimeout();
    EXPECT_EQ(recording->gamesStarted, 0);
    app->ClearGamePlaying();
    view->BuildWall();
    view->OnResultTimeout();
    EXPECT_EQ(recording->gamesStarted, 1);
    EXPECT_EQ(view->GetResultDlg()->IsVisible(), 0);
    EXPECT_EQ(view->GetWallCount(), 0);
}

TEST_F(RegionalTableViewTest, AResultsTimeOutLeavesTheResultOfAHandStartedSinceAlone) {
    OpenRecording();
    const std::vector<uint8_t> result(CRegionalTableView::kResultRecordBytes, 0);
    view->OnRoundEnd(result);
    RunMs(4000);
    view->OnResultClosed();
    app->SetGamePlaying();
    view->ShowRoundInfo();
    RunMs(6000);
    app->ClearGamePlaying();  // the hand ended; its result comes after the first time-out
    RunMs(5500);
    view->OnRoundEnd(result);
    RunMs(1000);
    EXPECT_NE(view->GetResultDlg()->IsVisible(), 0);
    EXPECT_EQ(recording->gamesStarted, 0);
    RunMs(15000);
    EXPECT_EQ(recording->gamesStarted, 1);
}

TEST_F(RegionalTableViewTest, APlayerWhoStartedAfterTheResultIsNotStartedAgainByItsTimeOut) {
    OpenRecording();
    view->OnRoundEnd(std::vector<uint8_t>(CRegionalTableView::kResultRecordBytes, 0));
    RunMs(3000);
    view->OnResultClosed();
    RunMs(1000);
    Send(kEventStartButton);
    RunMs(12000);  // no hand was dealt
    EXPECT_EQ(recording->gamesStarted, 1);
}

TEST_F(RegionalTableViewTest, ASeatThatStartedDuringTheResultKeepsItsMarkPastTheClose) {
    OpenRecording();
    ServerPlayerRecord player;
    player.userId = 9001;
    ASSERT_NE(app->SeatServerPlayer(1, player), nullptr);
    ShowPart(view->GetResultDlg());
    table_protocol::SeatStartedNotice started;
    started.head.chair = 1;
    ASSERT_TRUE(data->SetSeatStarted(table_protocol::WriteTableRecord(started)));
    view->OnPlayerStarted(1);
    view->OnResultClosed();
    EXPECT_NE(view->GetSeatBoard(view->ChairToPosition(1))->GetReadyMark()->IsVisible(), 0);
}

TEST_F(RegionalTableViewTest, ALookerOnsResultNeverStartsTheNextHand) {
    SetChair(0, true);
    OpenRecording();
    view->OnResultTimeout();
    EXPECT_EQ(recording->gamesStarted, 0);
    view->OnResultClosed();
    RunMs(60);
    EXPECT_EQ(recording->autoFixChecks, 0);
}

TEST_F(RegionalTableViewTest, TheVolumePanelTakesTheSettingsAndGivesThemBack) {
    OpenRecording();
    app->Settings().bkVolume = 40;
    app->Settings().soundVolume = 70;
    ASSERT_NE(view->GetVolumePanel(), nullptr);
    view->ToggleVolumePanel();
    EXPECT_NE(view->GetVolumePanel()->IsVisible(), 0);
    ASSERT_NE(view->GetMusicSlider(), nullptr);
    EXPECT_EQ(view->GetMusicSlider()->GetValue(), 40);
    EXPECT_EQ(view->GetSoundSlider()->GetValue(), 70);
    view->GetMusicSlider()->SetValue(25);
    view->OnMusicVolumeChanged();
    EXPECT_EQ(app->Settings().bkVolume, 25);
    EXPECT_FLOAT_EQ(view->GetMusicScale(), 0.25f);
    view->GetSoundSlider()->SetValue(90);
    view->OnSoundVolumeChanged();
    EXPECT_EQ(app->Settings().soundVolume, 90);
    view->ToggleVolumePanel();
    EXPECT_EQ(view->GetVolumePanel()->IsVisible(), 0);
}

TEST_F(RegionalTableViewTest, BackgroundMusicFollowsTheSettingsAndTheSilenceSwitch) {
    OpenRecording();
    MusicModule* music = view->GetMusicModule();
    ASSERT_NE(music, nullptr);
    app->Settings().bkMusic = 1;
    app->Settings().keepSilence = 1;
    view->PlayBackgroundMusic();
    EXPECT_NE(music->IsSoundPlaying("SndBKMusic"), 0);
    EXPECT_NE(music->IsSoundOff(), 0);
    // Asked again it does not start a second one.
    view->PlayBackgroundMusic();
    EXPECT_EQ(music->PlayingCount(), 1u);
    app->Settings().bkMusic = 0;
    app->Settings().keepSilence = 0;
    view->PlayBackgroundMusic();
    EXPECT_EQ(music->IsSoundPlaying("SndBKMusic"), 0);
    EXPECT_EQ(music->IsSoundOff(), 0);
}

TEST_F(RegionalTableViewTest, LayoutCentresTheResultDialogAndPlacesTheCornerButtons) {
    OpenRecording();
    view->Relayout();
    EXPECT_DOUBLE_EQ(view->GetResultDlg()->GetX(), kWidth / 2);
    EXPECT_DOUBLE_EQ(view->GetResultDlg()->GetY(), kHeight / 2);
    if (CCorvaneButton* voice = view->GetVoiceButton()) {
        EXPECT_DOUBLE_EQ(voice->GetRight(), kWidth - 12);
        EXPECT_DOUBLE_EQ(voice->GetBottom(), kHeight - 5);
    }
    if (CCorvaneButton* choice = view->GetSwapChoiceButton()) {
        EXPECT_DOUBLE_EQ(choice->GetX(), kWidth / 2);
    }
}

TEST_F(RegionalTableViewTest, TheVoiceButtonOpensTheBoxAboveItAndClosesIt) {
    OpenRecording();
    view->Relayout();
    CCorvaneButton* button = view->GetVoiceButton();
    CCorvaneObject* box = view->GetVoiceBox();
    ASSERT_NE(button, nullptr);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->IsVisible(), 0);
    Send(kEventVoiceButton);
    EXPECT_NE(box->IsVisible(), 0);
    EXPECT_DOUBLE_EQ(box->GetX(), button->GetRight() - box->GetWidth() / 2 + 10);
    EXPECT_DOUBLE_EQ(box->GetY(), button->GetTop() - box->GetHeight() / 2);
    if (CCorvaneObject* list = view->GetVoicePhraseList()) {
        EXPECT_DOUBLE_EQ(list->GetX(), box->GetRight() - box->GetWidth() / 2);
        EXPECT_DOUBLE_EQ(list->GetY(), box->GetTop() + box->GetHeight() / 2 + 16);
    }
    Send(kEventVoiceButton);
    EXPECT_EQ(box->IsVisible(), 0);
    Send(kEventVoiceButton);
    Send(kEventVoiceBoxClose);
    EXPECT_EQ(box->IsVisible(), 0);
}

TEST_F(RegionalTableViewTest, TheDiceEventHidesOnePairOnlyWhenBothDiceAreThere) {
    OpenRecording();
    std::vector<CCorvanePicture*> dice;
    for (int i = 0; i < 4; ++i) {
        CCorvanePicture* die = view->CreatePicture(view->GetResourceFrame("bit_hu", 0));
        ASSERT_NE(die, nullptr);
        die->Show();
        view->SetDie(i, die->GetId());
        dice.push_back(die);
    }
    Send(kEventHideDice, 2);
    EXPECT_NE(dice[0]->IsVisible(), 0);
    EXPECT_EQ(dice[2]->IsVisible(), 0);
    EXPECT_EQ(dice[3]->IsVisible(), 0);
    view->SetDie(1, 0);
    Send(kEventHideDice, 1);
    EXPECT_NE(dice[0]->IsVisible(), 0);
    Send(kEventHideDice, 3);
    EXPECT_NE(dice[0]->IsVisible(), 0);
}

TEST_F(RegionalTableViewTest, OfflineTheOwnBoardRefreshShowsEverySeatAndTheStartButton) {
    app->SetOfflineMode(true);
    OpenRecording();
    view->RefreshOwnBoard();
    for (int chair = 0; chair < 4; ++chair) {
        CSeatBoard* board = view->GetSeatBoard(view->ChairToPosition(chair));
        ASSERT_NE(board, nullptr);
        EXPECT_EQ(board->GetChair(), chair);
    }
    ASSERT_NE(view->GetStartButton(), nullptr);
    EXPECT_NE(view->GetStartButton()->IsVisible(), 0);
}

TEST_F(RegionalTableViewTest, OnlineTheOwnBoardRefreshShowsTheOwnSeatOnly) {
    OpenRecording();
    view->RefreshOwnBoard();
    EXPECT_EQ(view->GetSeatBoard(3)->GetChair(), 0);
    EXPECT_EQ(view->GetSeatBoard(0)->GetChair(), -1);
}

}  // namespace
}  // namespace regional_view_test
