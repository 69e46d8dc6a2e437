// The start of a hand on the regional table, the deal animation and its
// end, and the clearing of the table.
#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/view/GameFrameView.h"
#include "game/net/RegionalTableData.h"
#include "game/table/PlayerBoardSmall.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"
#include "zep/ZepLog.h"

namespace {

// Offline marks of a chair's status word.
constexpr int32_t kStatusOfflineMarks = 0x08 | 0x20;

int WrapWall(int index) {
    constexpr int kSize = CMahjongTableView::kWallSize;
    return ((index % kSize) + kSize) % kSize;
}

}  // namespace

// ---- Game start ----

void CRegionalTableView::OnGameStart() {
    ++handSerial_;
    if (!EnterHandStart()) {
        return;
    }
    RunGameStartSteps();
    ShowBaoJiaoBadges();
    ArrangeOwnHandAtStart();
    for (int p = 0; p < kPositions; ++p) {
        RefreshHandSprites(p);
    }
    MarkOfflineSeats();
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        app->NotifyAdvertBar();
    }
    if (!IsLookingOn()) {
        SendSeatInfoRequest();
    }
    EnterSwapPhaseOrPlay();
}

void CRegionalTableView::RunGameStartSteps() {
    RestoreWall();
    RestoreFlowers();
    RestoreDiscards();
    RestoreLastThrown();
    RestoreSeatMarks();
    FillOwnHand();
    RestoreMelds();
    ShowSkillPanel();
    ShowDepositPanel(1);
    HideVoiceButton(1);
    SetPlayModeOn();
    RestoreDepositInfo();
    RestoreTurnPointer();
}

void CRegionalTableView::ShowBaoJiaoBadges() {
    const int own = GetOwnChair();
    for (int chair = 0; chair < kPositions; ++chair) {
        if (g_bBaoJiao[chair] == 0) {
            continue;
        }
        ShowPart(GetBaoJiaoBadge(ChairToPosition(chair)));
        if (chair != own) {
            continue;
        }
        const int handSize = static_cast<int>(GetHandSize());
        for (int i = 1; i <= handSize && i < kRowSize; ++i) {
            CCardSprite* sprite = GetHandSprite(3, i);
            if (sprite != nullptr && sprite->active != 0 && sprite->standing != 0) {
                sprite->greyed = 1;
            }
        }
        RefreshHandSprites(3);
    }
}

void CRegionalTableView::MarkOfflineSeats() {
    const int own = GetOwnChair();
    const bool playing = !IsLookingOn();
    for (int chair = 0; chair < playerCount_; ++chair) {
        if (playing && chair == own) {
            continue;
        }
        if ((GetChairStatusWord(chair) & kStatusOfflineMarks) == 0) {
            continue;
        }
        if (CSeatBoard* board = GetSeatBoard(ChairToPosition(chair))) {
            board->SetOffline(1);
        }
    }
}

void CRegionalTableView::EnterSwapPhaseOrPlay() {
    const CRegionalTableData* data = GetRegionalTableData();
    const bool lookingOn = IsLookingOn();
    if (data != nullptr && data->IsSwapToCome()) {
        MoveTurnIndicator(GetTurnDirection(), 6);
        SetClockSeconds(kSwapChoiceSeconds);
        SetTableState(kStateSwapChoice);
        m_bSwapChoosing = 1;
        swapDiceThrown_ = false;
        if (!lookingOn) {
            if (CCorvaneButton* button = GetSwapChoiceButton()) {
                button->SetInputEnabled(0);
            }
            SetOperationButton(kOpHu, 0);
            ShowPart(GetSwapChoiceButton());
        }
        return;
    }
    RefreshOperationButtons();
    SetTableState(kStateNormal);
    // The last swap's summary as the entered hand state holds it.
    if (CRegionalTableData* regional = GetRegionalTableData()) {
        const std::span<const uint8_t> area = std::as_const(*regional).GetHandArea();
        if (area.size() >= CRegionalTableData::kSwapRecordAt + RegionalSwapRecord::kSize) {
            table_protocol::ReadTableRecord(area.subspan(CRegionalTableData::kSwapRecordAt),
                                            g_SwapRecord);
        }
    }
    std::vector<uint8_t> message(kSwapMessageBytes, 0);
    const std::vector<uint8_t> swap = table_protocol::WriteTableRecord(g_SwapRecord);
    std::copy(swap.begin(), swap.end(), message.begin());
    DrawSwapInfo(message);
    ShowBankerDice(g_SwapRecord.words[RegionalSwapRecord::kDirectionWord]);
    if (CCorvaneButton* show = GetSwapInfoShowButton()) {
        show->SetInputEnabled(1);
        ShowPart(show);
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    if (lookingOn && app != nullptr && !app->IsRandomTableRoom()) {
        ShowPart(GetAskCardViewButton());
    }
}

// ---- Deal ----

void CRegionalTableView::DealCards() {
    SetWildMarking(1);
    EmptyHandRows();
    ++handSerial_;
    deal_ = DealRun{.handSerial = handSerial_};
    CMahjongTableData* data = GetMahjongTableData();
    const int banker = data != nullptr ? ChairToPosition(data->GetBanker()) : -1;
    const int start = data != nullptr ? data->GetWallStart() : 0;
    if (banker < 0 || banker >= kPositions || start < 0 || start >= kWallSize) {
        ZepLog("deal: banker position %d, wall start %d: nothing dealt", banker, start);
    } else {
        int position = banker;
        // A step past the last one would be refused.
        const int steps = std::min(playerCount_ * 4, kDealSteps);
        deal_.steps = steps;
        for (int k = 0; k < steps; ++k) {
            deal_.positions[static_cast<size_t>(k)] = position;
            const DealStepRecord step{k / 4, k, handSerial_};
            PostHeapEvent(kEventDealStep, position, &step, sizeof step,
                          static_cast<uint32_t>(k) * kDealStepMs);
            position = GetNextDealPosition(position);
        }
    }
    const EventRecord done =
        MakeEventRecord(GetId(), kEventDealDone, 0, static_cast<intptr_t>(handSerial_));
    DelayAction(kDealDoneMs, &done);
}

void CRegionalTableView::DealStep(int position, const DealStepRecord& step) {
    if (GiveDealStep(position, step)) {
        PlaySound("SndThrow");
        RefreshHandSprites(position);
    }
}

bool CRegionalTableView::GiveDealStep(int position, const DealStepRecord& step) {
    if (step.handSerial != handSerial_) {
        return false;  // a step of an earlier hand
    }
    CMahjongTableData* data = GetMahjongTableData();
    if (data == nullptr || position < 0 || position >= kPositions || step.round < 0 ||
        step.round > 3 || step.step < 0 || step.step >= kDealSteps) {
        ZepLog("deal step: position %d round %d step %d refused", position, step.round, step.step);
        return false;
    }
    if (deal_.handSerial == handSerial_) {
        const uint32_t bit = 1u << step.step;
        if ((deal_.stepsDone & bit) != 0) {
            return false;  // done already, when a play record ended the deal early
        }
        deal_.stepsDone |= bit;
    }
    std::array<int32_t, 32> own{};
    own.fill(-1);
    data->GetHandStartTiles(own);
    const int start = data->GetWallStart();
    const int banker = ChairToPosition(data->GetBanker());
    if (banker < 0 || banker >= kPositions || start < 0 || start >= kWallSize) {
        return false;  // a banker off the table or a start off the wall: nothing dealt
    }
    const bool ownIsBanker = banker == 3;
    const int r = step.round;
    const int k = step.step;
    if (r < 3) {
        for (int j = 0; j < 4; ++j) {
            ReleaseDealtWall(4 * k + j + start);
        }
        for (int j = 0; j < 4; ++j) {
            GiveDealtTile(position, 13 - 4 * r - j, own, ownIsBanker);
        }
    } else if (position == banker) {
        ReleaseDealtWall(4 * k + start);
        ReleaseDealtWall(4 * k + 4 + start);
        GiveDealtTile(position, 1, own, ownIsBanker);
        GiveDealtTile(position, 0, own, ownIsBanker);
    } else {
        ReleaseDealtWall(k + 36 + start);
        GiveDealtTile(position, 1, own, ownIsBanker);
    }
    return true;
}

void CRegionalTableView::FinishDeal() {
    if (diceRolling_ && diceHandSerial_ == handSerial_) {
        // The dice still to come (a second pair) and their end never show.
        StopGroupActions(diceGroup_);
        OnDiceThrown();
    }
    if (deal_.handSerial == handSerial_) {
        OnDealDone();
    }
}

void CRegionalTableView::OnDealDone() {
    if (deal_.handSerial == handSerial_) {
        if (deal_.ended) {
            return;  // ended early, for a play record that came during the deal
        }
        deal_.ended = true;
        // The steps not yet drawn are dealt now, in order, with one sound.
        bool dealt = false;
        for (int k = 0; k < deal_.steps; ++k) {
            dealt =
                GiveDealStep(deal_.positions[static_cast<size_t>(k)], {k / 4, k, handSerial_}) ||
                dealt;
        }
        if (dealt) {
            PlaySound("SndThrow");
            for (int p = 0; p < kPositions; ++p) {
                RefreshHandSprites(p);
            }
        }
    }
    MarkWildTilesInHand();
    CMahjongTableView::OnDealDone();
}

bool CRegionalTableView::IsCurrentTableEvent(const EventRecord& record) const {
    return record.param2 == static_cast<intptr_t>(handSerial_);
}

void CRegionalTableView::ReleaseDealtWall(int wallIndex) {
    // A wall entry already taken stays as it is.
    ReleaseWallTile(WrapWall(wallIndex));
}

void CRegionalTableView::GiveDealtTile(int position, int handIndex,
                                       const std::array<int32_t, 32>& ownTiles, bool ownIsBanker) {
    int tile = kHiddenTile;
    if (position == 3 && !IsLookingOn()) {
        const int ownIndex = ownIsBanker ? handIndex : handIndex - 1;
        if (ownIndex >= 0 && ownIndex < 32 && IsRealTile(ownTiles[static_cast<size_t>(ownIndex)])) {
            tile = ownTiles[static_cast<size_t>(ownIndex)];
        }
    }
    CCardSprite* sprite = PutHandTile(position, handIndex, tile);
    if (sprite == nullptr) {
        ZepLog("deal step: no tile for position %d index %d", position, handIndex);
        return;
    }
    sprite->handSize = static_cast<int>(GetHandSize());
}

// ---- Clearing ----

void CRegionalTableView::ClearTable() {
    ++handSerial_;
    pendingRecords_.clear();
    for (int& id : huPictureIds_) {
        if (CCorvanePicture* picture = FindPictureById(id)) {
            DestroyObject(picture, 0);
        }
        id = 0;
    }
    DestroyWinParticles();
    CMahjongTableView::ClearTable();
    for (int p = 0; p < kPositions; ++p) {
        HidePart(GetBaoJiaoBadge(p));
    }
    CCorvaneButton* show = GetSwapInfoShowButton();
    CCorvaneButton* hide = GetSwapInfoHideButton();
    if ((show != nullptr && show->IsVisible() != 0) ||
        (hide != nullptr && hide->IsVisible() != 0)) {
        HidePart(show);
        HidePart(hide);
    }
    HidePart(GetSwapInfoPanel());
    HidePart(GetDepositPanel());
    std::fill(std::begin(g_bBaoJiao), std::end(g_bBaoJiao), 0);
}
