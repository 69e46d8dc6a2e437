// The frame view's match panel: the sign-up states, the countdown to the
// start, the start and the rounds, the tables still playing, and the two
// notifications that the match event queue defers (end and result).

#include <span>
#include <string>

#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneImageSequence.h"
#include "frame/GameFrameApp.h"
#include "frame/RecordFields.h"
#include "frame/view/GameFrameView.h"
#include "frame/view/MatchPanelTexts.h"
#include "frame/view/MatchRecords.h"
#include "platform/Screen.h"

namespace {

constexpr int kEventMatchBegun = 80000025;
constexpr int kEventMatchWaitShown = 80000028;
constexpr int kEventMatchSignedUp = 80000030;
constexpr int kEventMatchPanelOpen = 80000083;
constexpr int kEventRoundReset = 80000002;
constexpr int kEventEnter210200 = 80000011;
constexpr int kEventEnter210210 = 80000012;
constexpr int kEventEnter210220 = 80000013;

constexpr int kMatchBegunPhase = 500;
constexpr int kMatchEndedPhase = 600;
constexpr int kLastMinuteSeconds = 61;
constexpr uint32_t kCountdownPeriodMs = 1000;
constexpr uint32_t kRoundTextMs = 2000;
constexpr uint32_t kRoundRequestDelayMs = 15000;
constexpr uint32_t kBoardTextColor = 0xffffff;
constexpr int kBoardFontSize = 16;

CGameFrameApp* App() {
    return CGameFrameApp::Current();
}

int32_t MatchPhase() {
    const CGameFrameApp* app = App();
    return app != nullptr ? app->GetRoomClass() : 0;
}

}  // namespace

// --- replies to the enter request ---

void CGameFrameView::OnEnterResult210200() {
    if (auto* watch = dynamic_cast<CIdleKickWatch*>(GetMainGame())) {
        watch->LoadIdleKickTime();
    }
    SendToChild(GetMainGame(), kEventEnter210200, 0, 0);
    SendToChild(GetSubSystem(), kEventEnter210200, 0, 0);
}

void CGameFrameView::OnEnterResult210210() {
    SendToChild(GetMainGame(), kEventEnter210210, 0, 0);
    SendToChild(GetSubSystem(), kEventEnter210210, 0, 0);
}

void CGameFrameView::OnEnterResult210220() {
    SendToChild(GetMainGame(), kEventEnter210220, 0, 0);
    SendToChild(GetSubSystem(), kEventEnter210220, 0, 0);
}

void CGameFrameView::SignalMainGame() {
    SendToChild(GetMainGame(), kEventSignalMainGame, 0, 0);
}

// --- sign-up states ---

void CGameFrameView::HideMatchNotices() {
    CCorvaneObject* signUp = FindPart<CCorvaneButton>(signUpButtonId_);
    if (signUp == nullptr) {
        return;
    }
    signUp->Hide();
    if (CCorvaneObject* giveUp = FindPart<CCorvaneButton>(giveUpButtonId_)) {
        giveUp->Hide();
    }
    if (CCorvanePicture* waiting = FindPart<CCorvanePicture>(waitingPictureId_)) {
        StopObjectActions(waiting->GetId());
        waiting->Hide();
    }
    for (int id : {systemBoardId_, feeTextId_, restTablesTextId_}) {
        if (CCorvaneObject* part = FindPart<CCorvaneObject>(id)) {
            part->Hide();
        }
    }
    StopMatchCountdown();
}

void CGameFrameView::ShowMatchStatePicture(const char* image) {
    CCorvanePicture* waiting = FindPart<CCorvanePicture>(waitingPictureId_);
    if (waiting == nullptr) {
        return;
    }
    StopObjectActions(waiting->GetId());
    waiting->SetImage(ImageFrame(image), 1);
    waiting->Show();
    FrameAnimationAction(waiting, 0, -1, 0, 0, nullptr);
}

void CGameFrameView::ShowFinalMatchState(const char* image) {
    if (FindPart<CCorvanePicture>(waitingPictureId_) == nullptr) {
        return;
    }
    ShowMatchStatePicture(image);
    const EventRecord close = MakeEventRecord(GetId(), kEventCloseWindow, 0, 0);
    DelayAction(static_cast<uint32_t>(closeDelaySeconds_) * 1000u, &close);
}

void CGameFrameView::ShowWashedOut() {
    ShowFinalMatchState("bit_Washout");
}

void CGameFrameView::ShowMatchOver() {
    ShowFinalMatchState("bit_MatchEnd");
}

void CGameFrameView::ShowMatchLate() {
    ShowFinalMatchState("bit_MatchLate");
}

void CGameFrameView::ShowSystemCancel() {
    if (FindPart<CCorvanePicture>(waitingPictureId_) == nullptr) {
        return;
    }
    StopMatchCountdown();
    ShowFinalMatchState("bit_SystemCancel");
}

void CGameFrameView::ShowWaitSignUpCheck() {
    ShowFinalMatchState("bit_WaitSignUpCheck");
}

void CGameFrameView::ShowSystemRejected() {
    ShowFinalMatchState("bit_SystemRejected");
}

void CGameFrameView::ShowMatchAlreadyStarted() {
    ShowFinalMatchState("bit_MatchStarted");
}

void CGameFrameView::OfferSignUp(const char* image, int feeGap) {
    CCorvanePicture* waiting = FindPart<CCorvanePicture>(waitingPictureId_);
    if (waiting == nullptr) {
        return;
    }
    ShowMatchStatePicture(image);
    CCorvaneButton* signUp = FindPart<CCorvaneButton>(signUpButtonId_);
    if (signUp == nullptr) {
        return;
    }
    signUp->Enable(1);
    signUp->SetPos(waiting->GetX(), waiting->GetBottom() + signUp->GetHeight());
    signUp->Show();
    CCorvaneImageSequence* fee = FindPart<CCorvaneImageSequence>(feeTextId_);
    const CGameFrameApp* app = App();
    if (fee == nullptr || app == nullptr || app->GetSignUpFeeAmount() == 0) {
        return;
    }
    const std::string text = SignUpFeeText(app->GetSignUpFeeKind(), app->GetSignUpFeeAmount());
    fee->SetText(text.c_str());
    fee->SetPos(signUp->GetRight() + fee->MeasureWidth(text.c_str()) / 2 + feeGap, signUp->GetY());
    fee->Show();
}

void CGameFrameView::ShowNotSignedUp() {
    OfferSignUp("animation_NoSignUp", 10);
}

void CGameFrameView::ShowSelfCancel() {
    if (FindPart<CCorvanePicture>(waitingPictureId_) == nullptr) {
        return;
    }
    StopMatchCountdown();
    OfferSignUp("bit_SelfCancel", 5);
}

void CGameFrameView::OnSignUpSucceeded() {
    HideMatchNotices();
    ShowSystemBoard("恭喜您，报名成功！", kBoardTextColor, kBoardFontSize);
    if (CGameFrameApp* app = App()) {
        app->EnterMatch();
    }
}

void CGameFrameView::OnWithdrawn() {
    HideMatchNotices();
    ShowSystemBoard("您已退赛！", kBoardTextColor, kBoardFontSize);
    if (CGameFrameApp* app = App()) {
        app->EnterMatch();
    }
}

void CGameFrameView::OnMatchSignedUp() {
    StartMatchCountdown();
    const CGameFrameApp* app = App();
    const intptr_t waitValue = app != nullptr ? app->GetMatchWaitValue() : 0;
    for (CCorvaneView* child : {GetMainGame(), GetSubSystem()}) {
        SendToChild(child, kEventMatchSignedUp, 0, 0);
        SendToChild(child, kEventMatchWaitShown, waitValue, 0);
    }
    if (MatchPhase() < kMatchBegunPhase) {
        if (CCorvaneButton* giveUp = FindPart<CCorvaneButton>(giveUpButtonId_)) {
            const IntRect area = MainGameRect();
            giveUp->Enable(1);
            giveUp->SetPos(area.left + giveUp->GetWidth() / 2,
                           area.bottom - giveUp->GetHeight() / 2);
            giveUp->Show();
        }
    }
    SendToChild(GetSubSystem(), kEventMatchPanelOpen, 0, 0);
    ShowMatchWelcome();
}

void CGameFrameView::ShowMatchWelcome() {
    CGameFrameApp* app = App();
    const MatchPlayerRecord* own =
        app != nullptr ? app->FindMatchPlayer(app->GetUserID()) : nullptr;
    if (own == nullptr) {
        return;
    }
    // Both come from the server's records: shown, so held to their range.
    const int needed =
        Int32Field(int64_t{app->GetPointsForNextLevel()} - own->rankPoints, FieldOverflow::kHold);
    const int nextLevel = Int32Field(int64_t{own->rankLevel} + 1, FieldOverflow::kHold);
    app->AppendChatText(MatchWelcomeText(needed, nextLevel));
}

// --- countdown ---

void CGameFrameView::StartMatchCountdown() {
    CCorvaneImageSequence* countdown = FindPart<CCorvaneImageSequence>(countdownTextId_);
    const CGameFrameApp* app = App();
    if (countdown == nullptr || app == nullptr) {
        return;
    }
    const int32_t seconds = app->GetSecondsToStart();
    if (MatchPhase() >= kMatchBegunPhase) {
        return;
    }
    if (seconds <= 0) {
        countdown->SetText(kMatchCountdownZero);
        countdown->Show();
        return;
    }
    UpdateMatchCountdown();
    StopAction(countdownAction_);
    const EventRecord step = MakeEventRecord(GetId(), kEventMatchCountdown, 0, 0);
    countdownAction_ = DelayedEventAction(kCountdownPeriodMs, seconds, &step);
}

void CGameFrameView::UpdateMatchCountdown() {
    CGameFrameApp* app = App();
    if (app == nullptr || MatchPhase() >= kMatchBegunPhase || app->GetSecondsToStart() <= 0) {
        StopMatchCountdown();
        return;
    }
    CCorvaneImageSequence* countdown = FindPart<CCorvaneImageSequence>(countdownTextId_);
    if (countdown == nullptr) {
        return;
    }
    const int32_t seconds = app->GetSecondsToStart() - 1;
    app->SetSecondsToStart(seconds);
    countdown->SetText(MatchCountdownText(seconds).c_str());
    countdown->Show();
    if (seconds < kLastMinuteSeconds) {
        if (CCorvaneObject* giveUp = FindPart<CCorvaneButton>(giveUpButtonId_)) {
            giveUp->Hide();
        }
    }
}

void CGameFrameView::StopMatchCountdown() {
    if (countdownAction_ != 0) {
        StopAction(countdownAction_);
        countdownAction_ = 0;
    }
    if (CCorvaneObject* countdown = FindPart<CCorvaneImageSequence>(countdownTextId_)) {
        countdown->Hide();
    }
}

// --- the match under way ---

void CGameFrameView::OnMatchBegin(const uint8_t* /*record*/, size_t /*length*/) {
    CCorvanePicture* waiting = FindPart<CCorvanePicture>(waitingPictureId_);
    if (waiting == nullptr) {
        return;
    }
    if (const uint32_t window = MainWindow()) {
        platform::BringWindowToFront(window);
    }
    SendToChild(GetSubSystem(), kEventMatchBegun, 0, 0);
    HideMatchNotices();
    ShowMatchWait(1);
    waiting->Hide();
    if (CCorvaneObject* rest = FindPart<CCorvaneImageSequence>(restTablesTextId_)) {
        rest->Hide();
    }
    PlaySound("Snd_GameStart", 1, nullptr);
    // The notice's endless frame loop stays outside the group, which would
    // otherwise never finish its first step.
    ShowMatchNotice("animation_MatchBegin");
    actionGroup_ = BeginGroup();
    if (CCorvaneObject* big = FindPart<CCorvanePicture>(bigAnimationId_)) {
        const EventRecord begun = MakeEventRecord(GetId(), kEventMatchBeginRequest, 0, 0);
        AlphaAction(big, -0.02, 0.0, 30, &begun);
    }
    NextGroup();
    BlinkAction(waiting, 1, nullptr);
    EndGroup();
}

void CGameFrameView::ShowEliminationRound() {
    HideMatchWait();
    HideMatchNotice();
    const CGameFrameApp* app = App();
    const int32_t round = app != nullptr ? app->GetMatchRound() : 0;
    CCorvaneImageSequence* roundText = FindPart<CCorvaneImageSequence>(roundTextId_);
    if (roundText != nullptr && round > 0) {
        roundText->SetText(EliminationRoundText(round).c_str());
        roundText->Show();
        const EventRecord hide = MakeEventRecord(roundText->GetId(), kEventHide, 0, 0);
        DelayAction(kRoundTextMs, &hide);
    }
    SendToChild(GetMainGame(), kEventRoundReset, 0, 0);
    const EventRecord request = MakeEventRecord(GetId(), kEventEliminationRound, 0, 0);
    DelayAction(kRoundRequestDelayMs, &request);
}

void CGameFrameView::SendRoundRequest() {
    CGameFrameApp* app = App();
    if (app == nullptr || !app->IsGamePlaying()) {
        return;
    }
    if (CGameConnection* connection = app->GetConnection()) {
        std::string text;
        connection->RoundRequest(text);
    }
}

void CGameFrameView::OnRestTables(const uint8_t* record, size_t length) {
    CCorvanePicture* waiting = FindPart<CCorvanePicture>(waitingPictureId_);
    if (waiting == nullptr || MatchPhase() >= kMatchEndedPhase) {
        return;
    }
    const RestTablesNotice notice =
        ReadRestTablesNotice(std::span<const uint8_t>(record, record != nullptr ? length : 0));
    if (notice.mode == 0) {
        if (!notice.text.empty()) {
            if (CGameFrameApp* app = App()) {
                app->AppendChatText(RestTablesChatLine(notice.text));
            }
        }
    } else {
        ShowMatchStatePicture(notice.text.c_str());
        const IntRect area = MainGameRect();
        waiting->SetPos(area.left + (area.right - area.left) / 2,
                        area.top + (area.bottom - area.top) / 2);
    }
    if (notice.tables > 0) {
        if (CCorvaneImageSequence* rest = FindPart<CCorvaneImageSequence>(restTablesTextId_)) {
            rest->SetText(RestTablesText(notice.tables, notice.promoted).c_str());
            rest->Show();
        }
    }
}

// --- match end, deferred through the event queue ---

void CGameFrameView::ShowMatchEnd(const uint8_t* /*body*/, size_t /*length*/) {
    HideMatchWait();
    HideMatchNotice();
    PlaySound("Snd_GameWin", 1, nullptr);
    ShowMatchNotice("animation_MatchEnd");
}
