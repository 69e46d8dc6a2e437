// The turn clock, the turn pointer and auto-play.
//
// The clock counts whole seconds down on a repeating 1000 ms action whose
// ticks (80000107) carry the serial of the clock run that made them; a tick
// of a stopped or restarted run changes nothing. A countdown runs
// OnTurnTimeOut once, on the tick that brings it from 1 to 0; a countdown
// started at 0 is already over and runs nothing (its starter decides).
//
// The pointer holds twice the screen position of the seat to act. Each
// MoveTurnIndicator starts a new chain of 100 ms steps (80001156) carrying
// the chain's serial, so steps of an older chain are ignored and two moves
// never fight over the hand. The hand turns the shorter way round; between
// opposite seats it turns in play order (descending directions).
#include <algorithm>

#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameApp.h"
#include "frame/view/GameFrameView.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/panels/DigitDisplay.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "mahjong_client/table/SeatBoard.h"

namespace {

constexpr int kDirections = 8;
constexpr int kOwnDirection = 6;
// The seat board whose auto-play mark the clock clears when it starts and
// stops.
constexpr int kClockBoardPosition = 0;

bool IsDirection(int direction) {
    return direction >= 0 && direction < kDirections;
}

// One step from `at` toward `to`: the shorter way, descending on a tie.
int StepToward(int at, int to) {
    const int down = (at - to + kDirections) % kDirections;
    if (down == 0) {
        return at;
    }
    return down <= kDirections / 2 ? (at + kDirections - 1) % kDirections : (at + 1) % kDirections;
}

}  // namespace

int CMahjongTableView::GetTurnFlag(int index) const {
    return index >= 0 && index < static_cast<int>(turnFlags_.size()) ? turnFlags_[index] : 0;
}

void CMahjongTableView::ClearTurnFlag(int index) {
    if (index >= 0 && index < static_cast<int>(turnFlags_.size())) {
        turnFlags_[index] = 0;
    }
}

CDigitDisplay* CMahjongTableView::GetClockDigits() {
    return dynamic_cast<CDigitDisplay*>(FindObjectById(clockDigitsId_));
}

CCorvanePicture* CMahjongTableView::GetClockHand() {
    return FindPictureById(clockPictureId_);
}

CCorvanePicture* CMahjongTableView::GetArrow(int position) {
    if (position < 0 || position >= kPositions) {
        return nullptr;
    }
    return FindPictureById(arrowIds_[position]);
}

// ---- turn ----

void CMahjongTableView::StartTurn() {
    turnFlags_.fill(1);
    CMahjongTableData* data = GetMahjongTableData();
    if (data == nullptr) {
        return;
    }
    // The first play of a turn is a discard: the discard time, or the
    // reaction time when the hand has none.
    const int discard = data->GetDiscardTime();
    SetClockSeconds(discard > 0 ? discard : data->GetReactionTime());
    const int position = ChairToPosition(data->GetTurnChair());
    if (position >= 0) {
        MoveTurnIndicator(turnDirection_, 2 * position);
    }
}

// ---- clock ----

void CMahjongTableView::StartTurnClock() {
    if (CDigitDisplay* digits = GetClockDigits()) {
        digits->Show();
        digits->Invalidate();
    }
    if (CCorvanePicture* hand = GetClockHand()) {
        hand->Show();
        hand->Invalidate();
    }
    RestartClockTicks();
    SetAutoPlayState(0);
    if (CSeatBoard* board = GetSeatBoard(kClockBoardPosition)) {
        board->SetAutoPlay(0);
    }
}

void CMahjongTableView::RestartClockTicks() {
    if (clockTickAction_ != 0) {
        StopAction(clockTickAction_);
    }
    ++clockSerial_;
    const EventRecord tick = MakeEventRecord(GetId(), kEventClockTick, clockSerial_, 0);
    clockTickAction_ = DelayedEventAction(kClockTickMs, 0, &tick);
}

void CMahjongTableView::StopTurnClock() {
    if (CCorvanePicture* hand = GetClockHand()) {
        hand->Hide();
        hand->Invalidate();
    }
    if (clockTickAction_ != 0) {
        StopAction(clockTickAction_);
        clockTickAction_ = 0;
    }
    ++clockSerial_;  // a tick already on its way belongs to no run
    if (CDigitDisplay* digits = GetClockDigits()) {
        digits->Hide();
        digits->Invalidate();
    }
    SetAutoPlayState(0);
    if (CSeatBoard* board = GetSeatBoard(kClockBoardPosition)) {
        board->SetAutoPlay(0);
    }
}

void CMahjongTableView::SetClockSeconds(int seconds) {
    CDigitDisplay* digits = GetClockDigits();
    if (digits == nullptr || seconds < 0) {
        return;
    }
    clockSeconds_ = seconds;
    clockTicks_ = 0;
    clockTimedOut_ = 0;
    digits->SetValue(seconds);
    digits->Invalidate();
    // A running clock starts its seconds afresh: the old run's ticks are
    // refused from here on.
    if (clockTickAction_ != 0) {
        RestartClockTicks();
    }
}

void CMahjongTableView::OnClockTick(const EventRecord& record) {
    const uint32_t run = clockSerial_;
    if (clockTickAction_ == 0 || record.param1 != static_cast<intptr_t>(run)) {
        return;
    }
    ++clockTicks_;
    if (clockSeconds_ > 0) {
        --clockSeconds_;
        if (CDigitDisplay* digits = GetClockDigits()) {
            digits->SetValue(clockSeconds_);
            digits->Invalidate();
        }
        if (clockSeconds_ == 0 && clockTimedOut_ == 0) {
            clockTimedOut_ = 1;
            OnTurnTimeOut();
        }
    }
    // Each step below may restart or stop the clock; a later step then
    // belongs to the new run's ticks.
    if (clockSerial_ != run) {
        return;
    }
    if (clockTicks_ == 1) {
        QuickCatch();
    }
    if (clockSerial_ != run) {
        return;
    }
    if (autoPlay_ != 0 && !IsLookingOn()) {
        OnTimerTick();
    }
}

// ---- pointer ----

void CMahjongTableView::MoveTurnIndicator(int from, int to) {
    turnDirection_ = to;
    if ((from == kOwnDirection || to == kOwnDirection) && !IsLookingOn()) {
        for (int i = 0; i < kRowSize; ++i) {
            CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
            if (sprite != nullptr && sprite->active != 0 && sprite->visible != 0) {
                PostStateEvent(sprite);
            }
        }
    }
    ++pointerSerial_;  // whatever chain ran is over
    CCorvanePicture* hand = GetClockHand();
    if (!IsDirection(to) || hand == nullptr) {
        return;
    }
    if (from == to || (to % 2) != 0 || !IsDirection(from)) {
        hand->SetFrame(to);
        hand->Invalidate();
        pointerShown_ = to;
        return;
    }
    hand->SetFrame(from);
    hand->Invalidate();
    pointerShown_ = from;
    PostEventAfter(kPointerStepMs, MakeEventRecord(GetId(), kEventPointerStep, pointerSerial_,
                                                   StepToward(from, to)));
}

void CMahjongTableView::OnPointerStep(const EventRecord& record) {
    const int direction = static_cast<int>(record.param2);
    if (record.param1 != static_cast<intptr_t>(pointerSerial_) || !IsDirection(direction) ||
        !IsDirection(turnDirection_)) {
        return;
    }
    CCorvanePicture* hand = GetClockHand();
    if (hand == nullptr) {
        return;
    }
    hand->SetFrame(direction);
    hand->Invalidate();
    pointerShown_ = direction;
    if (direction != turnDirection_) {
        PostEventAfter(kPointerStepMs, MakeEventRecord(GetId(), kEventPointerStep, pointerSerial_,
                                                       StepToward(direction, turnDirection_)));
    }
}

void CMahjongTableView::ShowArrow(int position) {
    for (int p = 0; p < kPositions; ++p) {
        CCorvanePicture* arrow = GetArrow(p);
        if (arrow == nullptr) {
            continue;
        }
        CCardSprite* thrown = p == position ? GetLastThrown(p) : nullptr;
        if (thrown == nullptr) {
            arrow->Hide();
        } else {
            // Over the tile just thrown.
            arrow->SetPos(thrown->GetX(), thrown->GetTop() - arrow->GetHeight() / 2);
            arrow->Show();
        }
        arrow->Invalidate();
    }
}

TablePoint CMahjongTableView::GetHuAnchor(int position) {
    const IntRect area = GetViewRect();
    const int centreX = area.left + (area.right - area.left) / 2;
    const int centreY = area.top + (area.bottom - area.top) / 2;
    const TablePoint tile = GetTileSize(2, position);
    // Beyond the seat's row from its edge of the table: the next chair (0)
    // sits at the left, the previous one (2) at the right.
    switch (position) {
        case 0:
            return {area.left + tile.x + kHuAnchorMargin, centreY};
        case 1:
            return {centreX, area.top + tile.y + kHuAnchorMargin};
        case 2:
            return {area.right - tile.x - kHuAnchorMargin, centreY};
        case 3:
            return {centreX, area.bottom - tile.y - kHuAnchorMargin};
        default:
            return {centreX, centreY};
    }
}

// ---- time-out, quick draw and auto-play ----

void CMahjongTableView::OnTurnTimeOut() {
    if (IsLookingOn()) {
        return;
    }
    SetAllOperationButtons(0);
    if (turnDirection_ != kOwnDirection) {
        return;
    }
    if (IsHandDrawn(kOwnPosition) != 0) {
        operationHeld_ = 0;
        ClearHandMarks();
        ThrowHandTile(0);
        return;
    }
    if (GetWallCount() > 0) {
        tableState_ = 0;
        timedOut_ = 1;
        if (CMahjongTableData* data = GetMahjongTableData()) {
            SetClockSeconds(data->GetReactionTime());
        }
        CatchCard();
    }
}

bool CMahjongTableView::IsAnyOperationButtonOn() {
    for (int kind : {kOpGuo, kOpHu, kOpGang, kOpPeng, kOpChi}) {
        if (IsOperationButtonOn(kind)) {
            return true;
        }
    }
    return false;
}

void CMahjongTableView::QuickCatch() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || (app->IsQuickCatch() & 1) == 0 || IsLookingOn() ||
        turnDirection_ != kOwnDirection || tableState_ != 0 || IsHandDrawn(kOwnPosition) != 0 ||
        IsAnyOperationButtonOn()) {
        return;
    }
    CatchCard();
}

void CMahjongTableView::OnTimerTick() {
    if (IsLookingOn()) {
        return;
    }
    const bool passOpen = IsOperationButtonOn(kOpGuo);
    if (turnDirection_ != kOwnDirection && !passOpen) {
        return;
    }
    if (++timerTicks_ < timerTickLimit_) {
        return;
    }
    timerTicks_ = 0;
    if (passOpen) {
        OnGuoButton();
    } else if (IsHandDrawn(kOwnPosition) != 0) {
        ThrowHandTile(0);
    }
}

void CMahjongTableView::SetAutoPlayState(int state) {
    autoPlayState_ = state;
    autoPlay_ = state != 0 ? 1 : 0;
    timerTicks_ = 0;
    if (CGameFrameView* frame = GetFrameView()) {
        frame->ShowAutoPlayAnimation(autoPlay_);
    }
}

void CMahjongTableView::ToggleAutoPlay() {
    SetAutoPlayState(autoPlay_ != 0 ? 0 : 1);
}
