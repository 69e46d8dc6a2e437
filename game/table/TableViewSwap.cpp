// The swap-three phase: the choice of three own tiles of one suit, its
// confirmation, the other seats' readiness, the swap dice, the exchange of
// the tiles and the hand-over to the banker's first turn; and the dice of
// the deal.
#include <algorithm>
#include <array>
#include <cstdio>
#include <span>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/panels/ChatLines.h"
#include "frame/view/MatchPanelTexts.h"
#include "game/net/RegionalConnection.h"
#include "game/net/RegionalTableData.h"
#include "game/result/ScoreText.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_tiles/Random.h"
#include "mahjong_tiles/TileEncoding.h"
#include "zep/ZepLog.h"

namespace tp = table_protocol;

namespace {

constexpr int kDiceCount = 4;
constexpr int kDiceSpacing = 40;
constexpr int kSwapTiles = 3;
constexpr int kChatTextColour = 4953725;
constexpr int kSwapNameColour = 16711680;
constexpr int kSwapInfoWidth = 373;
constexpr int kSwapInfoHeight = 224;
constexpr uint32_t kSwapInfoColourKey = 0xff00ff;
constexpr double kSwapInfoDepth = CRegionalTableView::kPanelDepth;
// The own tiles the exchange sorts: the thirteen after the drawn tile.
constexpr int kSortedAfterSwap = 13;

// A tile of the regional set (three suits of 36).
bool IsRegionalTile(int32_t tile) {
    return tile >= 0 && tile < tp::kWallSize;
}

bool IsTwoPairs(const std::array<int, kDiceCount>& dice) {
    return dice[2] > 0 && dice[3] > 0;
}

}  // namespace

int CRegionalTableView::SwapSourceChair(int chair, int die) {
    switch (((die % 3) + 3) % 3) {
        case 0:
            return (chair + 1) % 4;
        case 1:
            return (chair + 3) % 4;
        default:
            return (chair + 2) % 4;
    }
}

CRegionalConnection* CRegionalTableView::GetRegionalConnection() {
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    return app != nullptr ? dynamic_cast<CRegionalConnection*>(app->GetConnection()) : nullptr;
}

// ---- The choice ----

void CRegionalTableView::StartPlay() {
    const bool playing = !IsLookingOn();
    CCorvaneButton* welfare = GetWelfareButton();
    if (playing && (welfare == nullptr || welfare->IsVisible() == 0)) {
        if (CRegionalConnection* connection = GetRegionalConnection()) {
            connection->SendRequest400001();
        }
    }
    // The deal's dice have told the wall's start.
    HideDice();
    SortHand();
    ShowSkillPanel();
    ShowDepositPanel(1);
    StartTurn();
    StartTurnClock();
    CMahjongTableData* data = GetMahjongTableData();
    if (data != nullptr && !data->IsSwapPhase()) {
        // A hand without the swap plays on from the deal as from the swap.
        HidePart(GetSwapChoiceButton());
        RefreshHandSprites(kOwnPosition);
        HandOverToBanker(nullptr);
        return;
    }
    MoveTurnIndicator(GetTurnDirection(), 2 * kOwnPosition);
    SetTableState(kStateSwapChoice);
    SetClockSeconds(kSwapChoiceSeconds);
    m_bSwapChoosing = 1;
    swapDiceThrown_ = false;
    // The sorted row is shown (and takes the choice's clicks) at once, so
    // the first click does not move the tiles under the pointer.
    RefreshHandSprites(kOwnPosition);
    if (playing) {
        if (CCorvaneButton* confirm = GetSwapChoiceButton()) {
            confirm->SetInputEnabled(0);
            ShowPart(confirm);
        }
    }
}

int CRegionalTableView::OnSwapTileClick(CCardSprite* sprite) {
    if (sprite == nullptr || IsLookingOn()) {
        return 0;
    }
    sprite->raised = sprite->raised != 0 ? 0 : 1;
    sprite->Refresh();
    std::array<int32_t, kRowSize> raised{};
    const int n = GetRaisedTiles(raised.data());
    if (n > kSwapTiles) {
        sprite->raised = 0;
        sprite->Refresh();
        return 1;
    }
    const std::span<const int32_t> chosen(raised.data(), static_cast<size_t>(n));
    if (CountCardSuits(chosen) > 1) {
        sprite->raised = 0;
        RefreshHandSprites(kOwnPosition);
        return 1;
    }
    RefreshHandSprites(kOwnPosition);
    if (CCorvaneButton* confirm = GetSwapChoiceButton()) {
        confirm->SetInputEnabled(n == kSwapTiles ? 1 : 0);
        ShowPart(confirm);
    }
    return 1;
}

void CRegionalTableView::ConfirmSwapChoice() {
    if (IsLookingOn()) {
        return;
    }
    std::array<int32_t, kRowSize> raised{};
    if (GetRaisedTiles(raised.data()) != kSwapTiles) {
        return;
    }
    // The server answers every choice with the swap result; the reply
    // itself carries nothing the table needs.
    if (CRegionalConnection* connection = GetRegionalConnection()) {
        connection->SendSwapThree(raised[0], raised[1], raised[2]);
    }
    for (int i = 0; i < kRowSize; ++i) {
        CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite->visible != 0 && sprite->active != 0 &&
            sprite->raised != 0) {
            sprite->raised = 0;
            sprite->greyed = 1;
        }
    }
    RefreshHandSprites(kOwnPosition);
    if (CCorvaneButton* confirm = GetSwapChoiceButton()) {
        confirm->SetInputEnabled(0);
        HidePart(confirm);
    }
    SetTableState(kStateSwapSent);
}

bool CRegionalTableView::OnSwapReady(NotifyRecord record) {
    tp::SwapReadyNotice notice;
    if (!tp::ReadTableRecord(record, notice)) {
        return false;
    }
    if (notice.kind != tp::kSwapReadyKind) {
        return true;
    }
    if (!IsTableChair(notice.chair)) {
        ZepLog("swap ready: chair %d dropped", notice.chair);
        return true;
    }
    if (CMahjongApp* app = CMahjongApp::CurrentMahjongApp()) {
        app->AppendChatText(score_text::SwapReadyLine(
            chat_lines::LiteralName(app->GetChairUserName(notice.chair))));
    }
    if (GetTableState() == kStateSwapSent) {
        const int pointed = SeatPositionOf(notice.pointerChair);
        if (pointed >= 0) {
            MoveTurnIndicator(GetTurnDirection(), 2 * pointed);
        }
    }
    return true;
}

// ---- The dice ----

bool CRegionalTableView::OnSwapDice(NotifyRecord record) {
    if (record.size() < tp::SwapDiceNotice::kSize) {
        return false;
    }
    CRegionalTableData* data = GetRegionalTableData();
    if (data != nullptr) {
        if (data->IsSwapPhase()) {
            FinishDeal();  // the choice opens at the deal's end
        }
        // The server's swap is over whether or not this table takes part:
        // a table entered during the swap opened no choice, and its play
        // goes on.
        data->EndSwapPhase();
    }
    if (!AwaitsSwapDice()) {
        ZepLog("notify 222168: no swap waits for its dice (table state %d); dropped",
               GetTableState());
        return true;
    }
    swapDiceThrown_ = true;
    StopTurnClock();
    ThrowSwapDice(record.first(tp::SwapDiceNotice::kSize));
    return true;
}

bool CRegionalTableView::AwaitsSwapDice() const {
    const int state = GetTableState();
    return m_bSwapChoosing != 0 && !swapDiceThrown_ &&
           (state == kStateSwapChoice || state == kStateSwapSent);
}

std::array<int, 4> CRegionalTableView::ReadTableDice() {
    std::array<int, kDiceCount> dice{};
    CRegionalTableData* data = GetRegionalTableData();
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    // The offline test table has no server to throw them.
    const bool offline = app != nullptr && app->IsOfflineMode() && !app->IsReplayMode();
    for (int i = 0; i < kDiceCount; ++i) {
        dice[static_cast<size_t>(i)] =
            offline ? RandomInRange(1, 6) : (data != nullptr ? data->GetDice(i) : 0);
    }
    return dice;
}

void CRegionalTableView::SetDiceFaces(const std::array<int, 4>& dice) {
    const IntRect area = GetViewRect();
    const int centreX = (area.left + area.right) / 2;
    const int centreY = (area.top + area.bottom) / 2;
    // A roll still running from an earlier throw ends here.
    HideDice();
    for (int i = 0; i < kDiceCount; ++i) {
        const int value = dice[static_cast<size_t>(i)];
        CCorvanePicture* die = FindPictureById(diceIds_[static_cast<size_t>(i)]);
        if (value <= 0) {
            continue;
        }
        char name[32];
        std::snprintf(name, sizeof name, i % 2 == 0 ? "dice%d_00" : "dice%d_01", value);
        const FrameRecord frame = GetSkinFrame(name);
        if (die == nullptr) {
            die = CreatePicture(frame);
            if (die == nullptr) {
                continue;
            }
            diceIds_[static_cast<size_t>(i)] = die->GetId();
            die->SetZ(kDiceDepth);
            die->Hide();
        } else {
            die->SetImage(frame, 1);
        }
        die->SetPos(centreX + (i % 2 == 0 ? -kDiceSpacing / 2 : kDiceSpacing / 2),
                    centreY + (i / 2) * kDiceSpacing);
    }
    PlaySound("SndDice");
}

void CRegionalTableView::AnimateDie(int index, bool now) {
    CCorvanePicture* die = FindPictureById(diceIds_[static_cast<size_t>(index)]);
    if (die == nullptr) {
        return;
    }
    // A die of the second pair shows when the first pair's group is over.
    if (now) {
        die->Show();
        die->Invalidate();
    } else {
        ShowHideAction(die, 1, nullptr);
    }
    FrameAnimationAction(die, 0, 1, 0, GetMinActionInterval(), nullptr);
}

void CRegionalTableView::ThrowSwapDice(NotifyRecord record) {
    std::array<int, kDiceCount> dice = ReadTableDice();
    tp::SwapDiceNotice swap;
    if (!tp::ReadTableRecord(record, swap)) {
        return;
    }
    dice[1] = swap.die;
    for (int chair = 0; chair < GetSeatCount(); ++chair) {
        if (CSeatBoard* board = GetSeatBoard(ChairToPosition(chair))) {
            board->SetAutoPlay(0);
        }
    }
    SetDiceFaces(dice);
    const bool twoPairs = IsTwoPairs(dice);
    BeginGroup();
    AnimateDie(0, true);
    if (twoPairs) {
        AnimateDie(1, true);
    }
    const EventRecord hideFirst = MakeEventRecord(GetId(), kEventHideDice, 1, 0);
    DelayAction(kDiceShowMs, &hideFirst);
    if (twoPairs) {
        // The second pair follows the first; the exchange waits for both.
        NextGroup();
        AnimateDie(2, false);
        AnimateDie(3, false);
        const EventRecord hideSecond = MakeEventRecord(GetId(), kEventHideDice, 2, 0);
        DelayAction(kDiceShowMs, &hideSecond);
    }
    EndGroup();
    const uint32_t shown = twoPairs ? 2 * kDiceShowMs : kDiceShowMs;
    if (!PostHeapEvent(kEventSwapApply, 0, record.data(), record.size(),
                       shown + kSwapApplyDelayMs)) {
        ZepLog("swap dice: the exchange could not be posted");
    }
}

void CRegionalTableView::ThrowDice() {
    // The dice begin a hand: what an earlier one left on its way does
    // nothing to this one.
    ++handSerial_;
    diceRolling_ = true;
    diceHandSerial_ = handSerial_;
    const std::array<int, kDiceCount> dice = ReadTableDice();
    SetDiceFaces(dice);
    const intptr_t serial = static_cast<intptr_t>(handSerial_);
    diceGroup_ = BeginGroup();
    AnimateDie(0, true);
    if (IsTwoPairs(dice)) {
        AnimateDie(1, true);
        const EventRecord firstPair = MakeEventRecord(GetId(), kEventDicePairShown, 0, serial);
        DelayAction(kDiceShowMs, &firstPair);
        NextGroup();
        AnimateDie(2, false);
        AnimateDie(3, false);
        const EventRecord done = MakeEventRecord(GetId(), kEventDiceDone, 2, serial);
        DelayAction(kDiceShowMs, &done);
    } else {
        // The second die's face is set; only the first shows.
        const EventRecord done = MakeEventRecord(GetId(), kEventDiceDone, 1, serial);
        DelayAction(kDiceShowMs, &done);
    }
    EndGroup();
}

void CRegionalTableView::OnDiceThrown() {
    if (!diceRolling_) {
        // A play record came while they rolled and dealt at once.
        HideDice();
        return;
    }
    diceRolling_ = false;
    CMahjongTableView::OnDiceThrown();
}

// ---- The exchange ----

void CRegionalTableView::ApplySwapResult(NotifyRecord record) {
    tp::SwapDiceNotice swap;
    if (!tp::ReadTableRecord(record, swap)) {
        return;
    }
    const int own = GetOwnChair();
    if (own < 0 || own > 3) {
        ZepLog("swap result: own chair %d, nothing exchanged", own);
        return;
    }
    TakeReceivedTiles(swap);
    WriteSwapChatLines(swap.die);
    ClearHandMarks();
    SortHandCards(kOwnPosition, 1, kSortedAfterSwap);
    // The received tiles show dimmed until the row is drawn again.
    const auto received =
        std::span(swap.received)
            .subspan(static_cast<size_t>(kSwapTiles * own), static_cast<size_t>(kSwapTiles));
    int dimmed = 0;
    for (int i = 0; i < kRowSize && dimmed < kSwapTiles; ++i) {
        CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite->visible != 0 && sprite->active != 0 &&
            IsRegionalTile(sprite->tile) &&
            std::ranges::find(received, sprite->tile) != received.end()) {
            sprite->greyed = 1;
            ++dimmed;
        }
    }
    CCorvaneButton* confirm = GetSwapChoiceButton();
    if (confirm != nullptr && confirm->IsVisible() != 0) {
        HidePart(confirm);
    }
    RefreshHandSprites(kOwnPosition);
    ClearHandMarks();
    DrawSwapInfo(record);
    HidePart(GetSwapInfoPanel());
    ShowPart(GetSwapInfoShowButton());
    HandOverToBanker(&swap);
}

void CRegionalTableView::TakeReceivedTiles(const tp::SwapDiceNotice& swap) {
    const size_t first = static_cast<size_t>(kSwapTiles * GetOwnChair());
    // A player whose choice was still open gives what the server chose.
    if (m_bSwapChoosing != 0 && GetTableState() == kStateSwapChoice) {
        MarkServerChoice(std::span(swap.given).subspan(first, kSwapTiles));
    }
    // The three tiles given away (greyed) take the three received, in row
    // order; a received id that is no tile of the set is not placed.
    size_t next = 0;
    for (int i = 0; i < kRowSize && next < kSwapTiles; ++i) {
        CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite == nullptr || sprite->visible == 0 || sprite->active == 0 ||
            sprite->greyed == 0) {
            continue;
        }
        const int32_t tile = swap.received[first + next++];
        if (!IsRegionalTile(tile)) {
            ZepLog("swap result: received tile %d not placed", tile);
            continue;
        }
        sprite->tile = tile;
        sprite->faceUp = 1;
    }
}

void CRegionalTableView::MarkServerChoice(std::span<const int32_t> given) {
    ClearHandMarks();
    for (const int32_t tile : given) {
        const int index = IsRegionalTile(tile) ? FindRowIndex(kOwnPosition, tile) : -1;
        CCardSprite* sprite = index >= 0 ? GetHandSprite(kOwnPosition, index) : nullptr;
        if (sprite != nullptr && sprite->active != 0 && sprite->visible != 0 &&
            sprite->meldKind == CCardSprite::kMeldNone) {
            sprite->greyed = 1;
        }
    }
}

void CRegionalTableView::WriteSwapChatLines(int die) {
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    if (app == nullptr) {
        return;
    }
    for (int chair = 0; chair < 4; ++chair) {
        const int source = SwapSourceChair(chair, die);
        app->AppendChatText(FormatText(
            "<c=%d>%s<c=%d>得到了<c=%d>%s<c=%d>的三张!\r\n", kSwapNameColour,
            chat_lines::LiteralName(app->GetChairUserName(chair)).c_str(), kChatTextColour,
            kSwapNameColour, chat_lines::LiteralName(app->GetChairUserName(source)).c_str(),
            kChatTextColour));
    }
}

void CRegionalTableView::HandOverToBanker(const tp::SwapDiceNotice* swap) {
    CRegionalTableData* data = GetRegionalTableData();
    const int own = GetOwnChair();
    const int banker = data != nullptr ? data->GetBanker() : -1;
    SetTableState(kStateNormal);
    StartTurnClock();
    // A banker outside the table leaves the pointer where it is.
    if (banker >= 0 && banker <= 3) {
        const int position = ChairToPosition(banker);
        if (position >= 0) {
            MoveTurnIndicator(GetTurnDirection(), 2 * position);
        }
    }
    if (data != nullptr) {
        SetClockSeconds(data->GetReactionTime());
    }
    RefreshOperationButtons();
    m_bSwapChoosing = 0;
    SetOperationButton(kOpHu, 0);
    SetOperationButton(kOpGang, 0);
    if (own == banker && !IsLookingOn()) {
        if (swap != nullptr) {
            const int32_t options = swap->firstTurnOptions[static_cast<size_t>(own)];
            OfferOptionsAfterDraw(options);
            if ((options & tp::kOptionTing) != 0 && GetHandSprite(kOwnPosition, 0) != nullptr) {
                std::ranges::copy(swap->tingList, std::begin(g_TingCandidates));
                // The banker's first turn carries its ting information as a
                // ting reply does.
                tp::TingInfo ting;
                ting.options = options;
                ting.candidates = swap->tingList;
                ting.table = swap->tingTable;
                ApplyTingInfo(tp::WriteTableRecord(ting));
            }
        }
        CheckConcealedGang();
    }
    ShowOperationButtons(1);
    HideVoiceButton(1);
    if (swap != nullptr) {
        ShowBankerDice(swap->die);
    }
    m_bBaoJiao = 0;
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    if (IsLookingOn() && app != nullptr && !app->IsRandomTableRoom()) {
        ShowPart(GetAskCardViewButton());
    }
}

void CRegionalTableView::CreateSwapInfoCanvas() {
    if (GetSwapInfoPanel() != nullptr) {
        return;
    }
    CCorvaneCanvas* canvas = CreateCanvas(kSwapInfoWidth, kSwapInfoHeight, kSwapInfoColourKey);
    if (canvas == nullptr) {
        return;
    }
    canvas->SetTopmost();
    canvas->SetZ(kSwapInfoDepth);
    canvas->Hide();
    swapInfoPanelId_ = canvas->GetId();
}
