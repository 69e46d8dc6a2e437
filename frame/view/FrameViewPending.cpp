// Plain versions of the match panel's, the cards' and the boxes' operations,
// kept only until their own files land: they pass the events on to the
// children and open boxes through the panel factories, nothing more.

#include "frame/GameFrameApp.h"
#include "frame/view/GameFrameView.h"

namespace {

constexpr int kEventEnter210200 = 80000011;
constexpr int kEventEnter210210 = 80000012;
constexpr int kEventEnter210220 = 80000013;
constexpr int kEventUserEnterTable = 80000014;
constexpr int kEventLookOnEnter = 80000015;
constexpr int kEventUserLeaveTable = 80000016;
constexpr int kEventLookOnLeave = 80000017;
constexpr int kEventRandomTable = 80000018;
constexpr int kEventTableChanged = 80000019;
constexpr int kEventChangeTable = 80000020;
constexpr int kEventBaseSilver = 80000021;
constexpr int kEventPlayersRenamed = 80000062;
constexpr int kEventPrizeNotify = 80000104;

}  // namespace

void CGameFrameView::OnEnterResult210200() {
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
void CGameFrameView::OnMatchSignedUp() {}
void CGameFrameView::ShowNotSignedUp() {}
void CGameFrameView::ShowWashedOut() {}
void CGameFrameView::ShowMatchOver() {}
void CGameFrameView::ShowMatchLate() {}
void CGameFrameView::ShowSystemCancel() {}
void CGameFrameView::ShowSelfCancel() {}
void CGameFrameView::ShowWaitSignUpCheck() {}
void CGameFrameView::ShowSystemRejected() {}
void CGameFrameView::ShowMatchAlreadyStarted() {}
void CGameFrameView::OnSignUpSucceeded() {}
void CGameFrameView::OnWithdrawn() {}
void CGameFrameView::ShowPlayerCard(int32_t, int, int) {}
void CGameFrameView::FadeOutPlayerCard(int32_t) {}
void CGameFrameView::PlacePlayerCardAt(int32_t, int, int) {}
void CGameFrameView::PlacePlayerCard(int32_t, int) {}
void CGameFrameView::ShowAutoPlayAnimation(int) {}
void CGameFrameView::ShowInfoBox(const char* text, const EventRecord* okEvent,
                                 const EventRecord* cancelEvent, int seconds, int style,
                                 const char* image) {
    if (!factories_.infoBox) {
        return;
    }
    auto* box = FindPart<CSystemInfoBox>(AdoptPart(factories_.infoBox()));
    if (box != nullptr) {
        box->ShowBox(text, okEvent, cancelEvent, seconds, style, image, 0, 0);
    }
}
void CGameFrameView::ShowNoticeBox(const char* text, int seconds, int style, const char* image) {
    const EventRecord first = MakeEventRecord(GetId(), kEventConfirmLeave, 0, 0);
    const EventRecord second = MakeEventRecord(GetId(), kEventCloseWindow, 0, 0);
    ShowInfoBox(text, &first, &second, seconds, style, image);
}
void CGameFrameView::ShowNoticeBoxEx(const char* text, const char*, int, int seconds, int,
                                     int style, const char*, const char*) {
    ShowNoticeBox(text, seconds, style, "");
}
void CGameFrameView::ShowMatchResult(const uint8_t*, size_t) {}
void CGameFrameView::ShowMatchEnd(const uint8_t*, size_t) {}
void CGameFrameView::CloseMatchResult() {}
void CGameFrameView::RequestCardUserInfo() {}
void CGameFrameView::FillMatchPlayerCard(const MatchPlayerCard&) {}
void CGameFrameView::FillPlayerDetail(const uint8_t*) {}
void CGameFrameView::OpenCardUserDetail() {}
void CGameFrameView::ShowMatchWelcome() {}
void CGameFrameView::ShowSystemBoard(const char*, uint32_t, int) {}
void CGameFrameView::ShowEliminationRound() {}
void CGameFrameView::OnMatchBegin(const uint8_t*, size_t) {}
void CGameFrameView::OnRestTables(const uint8_t*, size_t) {}
void CGameFrameView::OnMatchPlayerInfo(const uint8_t*, size_t) {}
void CGameFrameView::ForwardRandomTable(const uint8_t*, size_t) {
    SendToChild(GetMainGame(), kEventRandomTable, 0, 0);
    SendToChild(GetSubSystem(), kEventRandomTable, 0, 0);
    SendToChild(GetSubSystem(), kEventTableChanged, 0, 0);
}
void CGameFrameView::ForwardUserEnterTable(const uint8_t* seat, size_t length) {
    SendToChild(GetMainGame(), kEventUserEnterTable, EventParam(seat),
                static_cast<intptr_t>(length));
    SendToChild(GetSubSystem(), kEventUserEnterTable, EventParam(seat),
                static_cast<intptr_t>(length));
    SendToChild(GetSubSystem(), kEventTableChanged, 0, 0);
}
void CGameFrameView::ForwardUserLeaveTable(const uint8_t* seat, size_t length) {
    SendToChild(GetMainGame(), kEventUserLeaveTable, EventParam(seat),
                static_cast<intptr_t>(length));
    SendToChild(GetSubSystem(), kEventUserLeaveTable, EventParam(seat),
                static_cast<intptr_t>(length));
    SendToChild(GetSubSystem(), kEventTableChanged, 0, 0);
}
void CGameFrameView::ForwardLookOnEnter(const uint8_t* user) {
    SendToChild(GetMainGame(), kEventLookOnEnter, EventParam(user), 0);
    SendToChild(GetSubSystem(), kEventLookOnEnter, EventParam(user), 0);
    SendToChild(GetSubSystem(), kEventTableChanged, 0, 0);
}
void CGameFrameView::ForwardLookOnLeave(const uint8_t* user, size_t length) {
    SendToChild(GetMainGame(), kEventLookOnLeave, EventParam(user), static_cast<intptr_t>(length));
    SendToChild(GetSubSystem(), kEventLookOnLeave, EventParam(user), static_cast<intptr_t>(length));
    SendToChild(GetSubSystem(), kEventTableChanged, 0, 0);
}
void CGameFrameView::ShowExitRequestBox(const uint8_t*, size_t) {}
void CGameFrameView::ForwardChangeTable(const uint8_t*, size_t) {
    SendToChild(GetMainGame(), kEventChangeTable, 0, 0);
    SendToChild(GetSubSystem(), kEventChangeTable, 0, 0);
    SendToChild(GetSubSystem(), kEventTableChanged, 0, 0);
}
void CGameFrameView::ForwardBaseSilver(const uint8_t* record, size_t length) {
    SendToChild(GetMainGame(), kEventBaseSilver, EventParam(record), static_cast<intptr_t>(length));
    SendToChild(GetSubSystem(), kEventBaseSilver, EventParam(record),
                static_cast<intptr_t>(length));
}
void CGameFrameView::ForwardPrizeNotify(const uint8_t* record, size_t length) {
    SendToChild(GetSubSystem(), kEventPrizeNotify, EventParam(record),
                static_cast<intptr_t>(length));
}
void CGameFrameView::ForwardPlayersRenamed(const uint8_t* names, size_t length) {
    SendToChild(GetSubSystem(), kEventPlayersRenamed, EventParam(names),
                static_cast<intptr_t>(length));
    SendToChild(GetMainGame(), kEventPlayersRenamed, EventParam(names),
                static_cast<intptr_t>(length));
}
void CGameFrameView::SignalMainGame() {
    SendToChild(GetMainGame(), kEventSignalMainGame, 0, 0);
}
void CGameFrameView::SendRoundRequest() {}
void CGameFrameView::UpdateMatchCountdown() {}
void CGameFrameView::StartMatchCountdown() {}
void CGameFrameView::StopMatchCountdown() {}
void CGameFrameView::HideMatchNotices() {}
void CGameFrameView::StackInfoBox(CCorvaneObject*) {}
void CGameFrameView::ShowPlayerDetail(int32_t, int) {}
