// Hand flow of the table view: hand start, dice, deal end, start of play,
// the table's own events and the play notifications.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/CorvanePicture.h"
#include "frame/panels/ChatLines.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/net/MahjongConnection.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "mahjong_client/table/SeatBoard.h"
#include "mahjong_tiles/TileSearch.h"
#include "zep/ZepLog.h"

namespace tp = table_protocol;

namespace {

constexpr int kDiceCount = 4;
constexpr int kDiceSpacing = 40;

// A tile the server may show: a real face, or the hidden mark.
bool IsShownTile(int tile) {
    return IsRealTile(tile) || tile == kHiddenTile;
}

// The meld record of a claimant's request body: the whole 16 words.
MeldRecord ToMeldRecord(const tp::OperationRecord& record) {
    MeldRecord meld{};
    meld[0] = record.head.userId;
    meld[1] = record.head.roomId;
    meld[2] = record.head.tableNo;
    meld[3] = record.head.chair;
    meld[4] = record.offerChair;
    meld[5] = record.tile;
    std::copy(record.handTiles.begin(), record.handTiles.end(), meld.begin() + 6);
    meld[9] = record.kind;
    std::copy(record.reserved.begin(), record.reserved.end(), meld.begin() + 10);
    return meld;
}

}  // namespace

// ---- Hand start, dice, deal ----

void CMahjongTableView::ShowRoundInfo() {
    // The last hand may still lie on the table (a looker-on's result time
    // is not over when the players start the next one).
    if (HasTilesOnTable()) {
        ClearTable();
    }
    HideViewPart(startButtonId_);
    HideViewPart(sloganPictureId_);
    HideReadyMarks();
    ForgetResultTimeout();
    BuildWall();
    ClearOfferTable();
    SetPlayModeOn();
    ThrowDice();
}

void CMahjongTableView::ThrowDice() {
    CMahjongTableData* data = GetMahjongTableData();
    const IntRect area = GetViewRect();
    const int centreX = (area.left + area.right) / 2;
    const int centreY = (area.top + area.bottom) / 2;
    int pairs = 0;
    for (int i = 0; i < kDiceCount; ++i) {
        const int value = data != nullptr ? data->GetDice(i) : 0;
        CCorvanePicture* die = FindPictureById(diceIds_[static_cast<size_t>(i)]);
        if (value < 1 || value > 6) {
            if (die != nullptr) {
                die->Hide();
            }
            continue;
        }
        char name[16];
        std::snprintf(name, sizeof name, "dice%d_0%d", value, i % 2);
        const FrameRecord frame = GetSkinFrame(name);
        if (die == nullptr) {
            die = CreatePicture(frame);
            if (die == nullptr) {
                continue;
            }
            diceIds_[static_cast<size_t>(i)] = die->GetId();
        } else {
            die->SetImage(frame, 1);
        }
        const int pair = i / 2;
        die->SetPos(centreX + (i % 2 == 0 ? -kDiceSpacing / 2 : kDiceSpacing / 2),
                    centreY + pair * kDiceSpacing);
        die->SetZ(kDiceDepth);
        die->Show();
        die->Invalidate();
        pairs = std::max(pairs, pair + 1);
    }
    PlaySound("SndDice");
    PostTableEvent(kEventDiceDone, pairs, 0);
}

void CMahjongTableView::HideDice() {
    // Whatever group still runs a die's show or roll, it ends with the dice.
    for (const int id : diceIds_) {
        EndObjectActions(id);
        HideViewPart(id);
    }
}

int CMahjongTableView::OnTableEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventDiceDone:
            // Steps of a hand the table has been cleared of do nothing.
            if (IsCurrentTableEvent(record)) {
                OnDiceThrown();
            }
            return 1;
        case kEventDealDone:
            if (IsCurrentTableEvent(record)) {
                OnDealDone();
            }
            return 1;
        case kEventTableHeapB:
            return OnReplacementArrived(record);
        case kEventTableHeapA:
            return 0;  // the regional gang step
        default:
            return 1;  // the steps between have nothing to do here
    }
}

void CMahjongTableView::OnDiceThrown() {
    if (GetWallCount() == 0) {
        BuildWall();
    }
    DealCards();
}

void CMahjongTableView::OnDealDone() {
    SortHand();
    StartPlay();
}

void CMahjongTableView::StartPlay() {
    // The dice have told the wall's start once the tiles lie in the hands.
    HideDice();
    SetTableState(kStateNormal);
    LayoutOperationButtons();
    ShowOperationButtons(IsLookingOn() ? 0 : 1);
    SetAllOperationButtons(0);
    StartTurn();
    StartTurnClock();
    RefreshHandSprites(kOwnPosition);
    // A looker-on may ask to see the hand, unless the room seats at random.
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    if (IsLookingOn() && app != nullptr && !app->IsRandomTableRoom()) {
        ShowViewPart(askCardViewButtonId_);
    }
}

void CMahjongTableView::StartGame() {
    if (IsLookingOn()) {
        return;
    }
    CMahjongConnection* connection = GetMahjongConnection();
    if (connection == nullptr) {
        return;
    }
    std::string text;
    connection->StartGame(text);
    HideViewPart(startButtonId_);
    HideViewPart(sloganPictureId_);
}

int CMahjongTableView::OnReplacementArrived(const EventRecord& record) {
    // A replacement for a table cleared meanwhile is not placed.
    if (replacementSerial_ == 0 || replacementSerial_ != GetTableSerial()) {
        return 1;
    }
    replacementSerial_ = 0;
    // The block belongs to the event entry, which frees it after this.
    const auto* block = EventParamPointer<const uint8_t>(record.param1);
    const size_t length = record.param2 > 0 ? static_cast<size_t>(record.param2) : 0;
    tp::DrawReply draw;
    if (block == nullptr || !tp::ReadTableRecord(std::span(block, length), draw)) {
        return 1;
    }
    if (!IsRealTile(draw.tile) || IsLookingOn()) {
        return 1;
    }
    if (DrawTileFromReply(kOwnPosition, draw.wallIndex, draw.tile) == nullptr) {
        return 1;
    }
    SortHandAfterDraw();
    if (CMahjongTableData* data = GetMahjongTableData()) {
        SetClockSeconds(data->GetDiscardTime());
    }
    drawnTile_ = draw.tile;
    OfferOptionsAfterDraw(draw.options);
    RefreshHandSprites(kOwnPosition);
    return 1;
}

// ---- Play notifications ----

bool CMahjongTableView::OnStartGameNotify(NotifyRecord record) {
    tp::SeatStartedNotice notice;
    if (!tp::ReadTableRecord(record, notice)) {
        return false;
    }
    if (!IsTableChair(notice.head.chair)) {
        ZepLog("seat started: chair %d dropped", notice.head.chair);
        return true;
    }
    OnPlayerStarted(notice.head.chair);
    return true;
}

bool CMahjongTableView::OnNotify211240(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify211300(NotifyRecord /*record*/) {
    return true;
}

bool CMahjongTableView::OnCardThrown(NotifyRecord record) {
    tp::CardThrownNotice notice;
    if (!tp::ReadTableRecord(record, notice)) {
        return false;
    }
    const int p = SeatPositionOf(notice.thrower);
    if (p < 0 || !IsRealTile(notice.tile)) {
        ZepLog("card thrown: chair %d tile %d dropped", notice.thrower, notice.tile);
        return true;
    }
    const bool playing = !IsLookingOn();
    if (playing && p == kOwnPosition && IsHandDrawn(kOwnPosition) == 0) {
        return true;  // the own throw is on the table already
    }
    if (p == kOwnPosition) {
        drawnTile_ = -1;  // thrown for the own seat by the server
    }
    PlaySound("SndThrow");
    GetVoiceFile(p, notice.tile);
    if (PutThrownTile(p, notice.tile, !IsHandKnown(p)) == nullptr) {
        ZepLog("card thrown: tile %d not in the row of position %d", notice.tile, p);
    }
    CMahjongTableData* data = GetMahjongTableData();
    SetTableState(kStateNormal);
    if (data != nullptr) {
        SetClockSeconds(data->GetDiscardTime());
    }
    timedOut_ = 0;
    throwWait_ = 1;
    const int next = GetNextTurnPosition(p);
    MoveTurnIndicator(2 * p, 2 * next);
    if (playing && p != kOwnPosition) {
        OfferClaimsOnThrow(notice.thrower, notice.tile, notice.chairOptions, next);
    }
    return true;
}

void CMahjongTableView::OfferClaimsOnThrow(int thrower, int tile,
                                           std::span<const int32_t> chairOptions, int next) {
    CMahjongTableData* data = GetMahjongTableData();
    const int throwerPosition = ChairToPosition(thrower);
    auto optionsAt = [&](int position) -> int32_t {
        const int chair = PositionToChair(position);
        return chair >= 0 && static_cast<size_t>(chair) < chairOptions.size() && IsTableChair(chair)
                   ? chairOptions[static_cast<size_t>(chair)]
                   : 0;
    };
    // The seats that neither threw nor are the own seat (one of them at a
    // table of three).
    std::array<int, 2> others{-1, -1};
    size_t found = 0;
    for (int position = 0; position < kPositions && found < others.size(); ++position) {
        if (position != throwerPosition && position != kOwnPosition &&
            IsTableChair(PositionToChair(position))) {
            others[found++] = position;
        }
    }
    const int32_t optionsA = optionsAt(others[0]);
    const int32_t optionsB = optionsAt(others[1]);
    const int32_t own = optionsAt(kOwnPosition);
    if (data != nullptr && data->GetClaimSkipRule() != 0 && optionsA == 0 && optionsB == 0 &&
        own == 0) {
        throwWait_ = 0;
        if (GetTurnDirection() == 2 * kOwnPosition) {
            SetClockSeconds(1);
        }
        return;
    }
    const int other = ((optionsA | optionsB) & tp::kOptionHu) != 0 ? 1 : 0;
    ClearOfferTable();
    for (int kind = kOpPeng; kind <= kOpGuo; ++kind) {
        OperationOffer& offer = GetOffer(kind);
        offer.chair = thrower;
        offer.tile = tile;
        offer.anotherMayWin = other;
    }
    std::array<int32_t, kRowSize> hand{};
    CollectConcealedTiles(kOwnPosition, hand);
    const int wild1 = data != nullptr ? data->GetWildTile(0) : tp::kNoTile;
    const int wild2 = data != nullptr ? data->GetWildTile(1) : tp::kNoTile;
    const RuleFlags rule = GetRuleFlags();
    auto countTiles = [](const OperationOffer& offer) {
        return static_cast<int32_t>(
            std::ranges::count_if(offer.tiles, [](int32_t t) { return t >= 0; }));
    };
    OperationOffer& peng = GetOffer(kOpPeng);
    FindPengCards(hand, tile, wild1, wild2, rule, peng.tiles);
    peng.count = countTiles(peng);
    OperationOffer& gang = GetOffer(kOpGang);
    FindMingGangCards(hand, tile, wild1, wild2, rule, gang.tiles);
    gang.count = countTiles(gang);
    if (next == kOwnPosition) {
        OperationOffer& chi = GetOffer(kOpChi);
        FindChiCards(hand, tile, wild1, wild2, rule, chi.tiles);
        chi.count = countTiles(chi);
        chi.anotherMayWin = optionsAt(2);
    }
    GetOffer(kOpPeng).offered = (own & tp::kOptionPeng) != 0 ? 1 : 0;
    GetOffer(kOpGang).offered = (own & tp::kOptionGang) != 0 ? 1 : 0;
    GetOffer(kOpChi).offered = (own & tp::kOptionChi) != 0 ? 1 : 0;
    GetOffer(kOpHu).offered = (own & tp::kOptionHu) != 0 ? 1 : 0;
    GetOffer(kOpGuo).offered = (own & tp::kOptionPass) != 0 ? 1 : 0;
    for (int kind = kOpPeng; kind <= kOpGuo; ++kind) {
        SetOperationButton(kind, GetOffer(kind).offered);
    }
}

bool CMahjongTableView::OnCardCaught(NotifyRecord record) {
    tp::SeatDrawNotice notice;
    if (!tp::ReadTableRecord(record, notice)) {
        return false;
    }
    const int p = SeatPositionOf(notice.chair);
    if (p < 0 || !IsShownTile(notice.tile)) {
        ZepLog("seat draw: chair %d tile %d dropped", notice.chair, notice.tile);
        return true;
    }
    if (p == kOwnPosition && !IsLookingOn()) {
        return true;  // the own draws come with the draw request's reply
    }
    if (GetWallSprite(notice.wallIndex) == nullptr) {
        ZepLog("seat draw: wall index %d refused", notice.wallIndex);
        return true;
    }
    const int before = GetPreviousTurnPosition(p);
    if (before >= 0) {
        MoveThrownToDiscards(before);
        RedrawDiscards(before);
    }
    DealDrawnTile(p, notice.wallIndex, notice.tile);
    MoveTurnIndicator(GetTurnDirection(), 2 * p);
    if (CMahjongTableData* data = GetMahjongTableData()) {
        SetClockSeconds(data->GetDiscardTime());
    }
    ResetOperationState();
    return true;
}

bool CMahjongTableView::OnNotify229165(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify229170(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify229175(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify229190(NotifyRecord /*record*/) {
    return true;
}
bool CMahjongTableView::OnNotify229580(NotifyRecord /*record*/) {
    return true;
}

bool CMahjongTableView::OnGangHuNotice(NotifyRecord record) {
    tp::GangHuNotice notice;
    if (!tp::ReadTableRecord(record, notice)) {
        return false;
    }
    const int p = SeatPositionOf(notice.ganger);
    if (p < 0 || !IsRealTile(notice.tile)) {
        ZepLog("gang hu notice: chair %d tile %d dropped", notice.ganger, notice.tile);
        return true;
    }
    GetVoiceFileByName(p, GetOperationSoundName(notice.gangKind == 1 ? 5 : 7));
    if (notice.gangKind == 2) {
        if (CMahjongTableData* data = GetMahjongTableData()) {
            SetClockSeconds(data->GetDiscardTime());
        }
    }
    const int own = GetOwnChair();
    if (IsLookingOn() || own < 0 || static_cast<size_t>(own) >= notice.chairOptions.size()) {
        return true;
    }
    if ((notice.chairOptions[static_cast<size_t>(own)] & tp::kOptionHu) != 0) {
        OperationOffer& hu = GetOffer(kOpHu);
        hu.huGangKind = notice.gangKind;
        hu.tile = notice.tile;
        // A chair value outside the table leaves the offer with the ganger.
        hu.chair = IsTableChair(notice.offerChair) ? notice.offerChair : notice.ganger;
        hu.offered = 1;
        SetOperationButton(kOpHu, 1);
    }
    return true;
}

bool CMahjongTableView::ReadMeldNotice(NotifyRecord record, MeldRecord& meld, int& position) {
    tp::OperationRecord notice;
    if (!tp::ReadTableRecord(record, notice)) {
        return false;
    }
    position = SeatPositionOf(notice.head.chair);
    const bool sourceValid = IsTableChair(notice.offerChair);
    const bool tilesValid =
        IsRealTile(notice.tile) && std::ranges::all_of(notice.handTiles, [](int32_t tile) {
            return tile == tp::kNoTile || IsShownTile(tile);
        });
    if (position < 0 || !sourceValid || !tilesValid) {
        ZepLog("meld notice: chair %d from %d tile %d dropped", notice.head.chair,
               notice.offerChair, notice.tile);
        position = -1;
        return true;
    }
    meld = ToMeldRecord(notice);
    return true;
}

bool CMahjongTableView::OnGameMsg229185(NotifyRecord record) {
    MeldRecord meld{};
    int p = -1;
    if (!ReadMeldNotice(record, meld, p)) {
        return false;
    }
    // The own claim placed its meld when the server took it.
    if (p < 0 || (p == kOwnPosition && !IsLookingOn())) {
        return true;
    }
    PlaceMeld(p, kOpPeng, meld, 0);
    FollowOtherMeld(p);
    return true;
}

bool CMahjongTableView::OnCardsGang(NotifyRecord record, int id) {
    MeldRecord meld{};
    int p = -1;
    if (!ReadMeldNotice(record, meld, p)) {
        return false;
    }
    if (p < 0 || (p == kOwnPosition && !IsLookingOn())) {
        return true;
    }
    switch (id) {
        case tp::kGangNotice:
            PlaceGang(p, meld, 0);
            break;
        case tp::kConcealedGangNotice:
            PlaceConcealedGang(p, meld, 0);
            break;
        case tp::kAddedGangNotice:
            PlaceAddedGang(p, meld, 0);
            break;
        default:
            return true;
    }
    FollowOtherMeld(p);
    return true;
}

void CMahjongTableView::FollowOtherMeld(int position) {
    // Whatever the own seat was offered on that tile is gone.
    ResetOperationState();
    throwWait_ = 0;
    RefreshHandSprites(position);
    MoveTurnIndicator(GetTurnDirection(), 2 * position);
    if (CMahjongTableData* data = GetMahjongTableData()) {
        SetClockSeconds(data->GetDiscardTime());
    }
}

bool CMahjongTableView::OnCardsHua(NotifyRecord record) {
    tp::SeatDrawNotice notice;
    if (!tp::ReadTableRecord(record, notice)) {
        return false;
    }
    const int p = SeatPositionOf(notice.chair);
    const bool replacementValid =
        notice.tile == tp::kNoTile ||
        (IsShownTile(notice.tile) && GetWallSprite(notice.wallIndex) != nullptr);
    if (p < 0 || !IsRealTile(notice.laidAside) || !replacementValid) {
        ZepLog("hua notice: chair %d tile %d wall %d dropped", notice.chair, notice.laidAside,
               notice.wallIndex);
        return true;
    }
    if (p == kOwnPosition && !IsLookingOn()) {
        return true;  // the own flower came with the hua request's reply
    }
    GetVoiceFileByName(p, GetOperationSoundName(13));
    const bool hidden = !IsHandKnown(p);
    if (PutThrownTile(p, notice.laidAside, hidden) != nullptr) {
        MoveThrownToDiscards(p);
        RedrawDiscards(p);
    }
    if (!hidden) {
        ArrangeHand(p);
    }
    RefreshHandSprites(p);
    if (CSeatBoard* board = GetSeatBoard(p)) {
        board->AddFlower();
    }
    turnFlags_[0] = 0;
    CMahjongTableData* data = GetMahjongTableData();
    if (data != nullptr) {
        SetClockSeconds(data->GetReactionTime());
    }
    MoveTurnIndicator(GetTurnDirection(), 2 * p);
    if (notice.tile == tp::kNoTile) {
        MoveTurnIndicator(2 * p, 2 * GetNextTurnPosition(p));
        if (data != nullptr) {
            SetClockSeconds(data->GetDiscardTime());
        }
        return true;
    }
    DealDrawnTile(p, notice.wallIndex, notice.tile);
    ResetOperationState();
    return true;
}

bool CMahjongTableView::OnAutoPlayStatus(NotifyRecord record) {
    tp::AutoPlayStatusHead head;
    if (!tp::ReadTableRecord(record, head)) {
        return false;
    }
    const size_t room = (record.size() - tp::AutoPlayStatusHead::kSize) / 4;
    if (head.count < 0 || static_cast<size_t>(head.count) > room) {
        return false;
    }
    std::vector<int32_t> words(static_cast<size_t>(head.count));
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = tp::WordAt(record, tp::AutoPlayStatusHead::kSize / 4 + i);
    }
    if (head.code >= tp::kPlayerBackFirst && head.code <= tp::kPlayerBackLast) {
        OnPlayerBack(head.code, words.data(), head.count);
    } else if (head.code >= tp::kAutoPlayFirst && head.code <= tp::kAutoPlayLast) {
        OnPlayerAutoPlay(head.code, words.data(), head.count);
    }
    return true;
}

// The seat board of the chair a status record's data starts with, or null.
CSeatBoard* CMahjongTableView::StatusSeatBoard(const int32_t* data, int count) {
    return data != nullptr && count >= 1 ? GetSeatBoard(SeatPositionOf(data[0])) : nullptr;
}

void CMahjongTableView::OnPlayerBack(int /*code*/, const int32_t* data, int count) {
    if (CSeatBoard* board = StatusSeatBoard(data, count)) {
        board->SetOffline(0);
        board->SetAutoPlay(0);
    }
}

void CMahjongTableView::OnPlayerAutoPlay(int /*code*/, const int32_t* data, int count) {
    if (CSeatBoard* board = StatusSeatBoard(data, count)) {
        board->SetAutoPlay(1);
    }
}

// ---- Look-card asks ----

bool CMahjongTableView::OnLookCardAsk(NotifyRecord record) {
    tp::LookCardAskRecord ask;
    if (!tp::ReadTableRecord(record, ask)) {
        return false;
    }
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    if (app == nullptr || IsLookingOn() || app->GetRejectKanPaiAsk() != 0) {
        return true;
    }
    // The box shows rich text: the name goes in literally.
    const std::string name = chat_lines::LiteralName(app->GetUserName(ask.head.userId));
    char text[160];
    std::snprintf(text, sizeof text, "%s 请求看牌", name.c_str());
    const EventRecord allow = MakeEventRecord(GetId(), kEventLookCardAnswer, ask.head.userId, 1);
    const EventRecord refuse = MakeEventRecord(GetId(), kEventLookCardAnswer, ask.head.userId, 0);
    app->ShowInfoBox(text, &allow, &refuse, kLookCardBoxSeconds, kLookCardBoxStyle, "");
    return true;
}

void CMahjongTableView::OnLookCardAnswer(int32_t askerUserId, int allow) {
    CMahjongConnection* connection = GetMahjongConnection();
    if (connection == nullptr || IsLookingOn()) {
        return;
    }
    connection->SetLookOnPermission(askerUserId, allow != 0 ? 1 : 0);
}

bool CMahjongTableView::OnLookCardReply(NotifyRecord record) {
    tp::LookCardAnswerRecord answer;
    if (!tp::ReadTableRecord(record, answer)) {
        return false;
    }
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    if (app == nullptr) {
        return true;
    }
    char line[256];
    std::snprintf(line, sizeof line, " <c=%d>%s%s%s看牌 \r\n", kLookCardLineColor,
                  chat_lines::LiteralName(app->GetUserName(answer.answeringUser)).c_str(),
                  answer.allowed != 0 ? "允许" : "禁止",
                  chat_lines::LiteralName(app->GetUserName(answer.lookerOn)).c_str());
    app->AppendChatText(line);
    if (!IsLookingOn() || answer.answeringChair != GetOwnChair() ||
        answer.lookerOn != app->GetUserID()) {
        return true;
    }
    if (answer.allowed == 0) {
        if (IsHandKnown(kOwnPosition)) {
            TurnRowFaceDown(kOwnPosition);
            RefreshHandSprites(kOwnPosition);
        }
    } else {
        HideViewPart(askCardViewButtonId_);
    }
    return true;
}

// ---- Table state and the end of a hand ----

void CMahjongTableView::SetTableState(int state) {
    if (state == tableState_) {
        return;
    }
    tableState_ = state;
    RenewOwnTileEvents();
}

void CMahjongTableView::ResetOperationState() {
    if (IsLookingOn()) {
        return;
    }
    SetAllOperationButtons(0);
    if (tableState_ != kStateNormal) {
        SetTableState(kStateNormal);
        ClearHandMarks();
        RefreshHandSprites(kOwnPosition);
    }
}

void CMahjongTableView::OnRoundEnd(NotifyRecord /*record*/) {
    StopTurnClock();
    SetAllOperationButtons(0);
    operationHeld_ = 0;
    throwWait_ = 0;
    if (CMahjongTableData* data = GetMahjongTableData()) {
        for (int chair = 0; chair < GetPlayerCount(); ++chair) {
            const int position = ChairToPosition(chair);
            if (position >= 0 && data->IsChairWinner(chair)) {
                PlayHuAnimation(position);
            }
        }
    }
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    if (app != nullptr && app->IsReplayMode()) {
        return;
    }
    ForgetResultTimeout();
    PostEventAfter(kResultTimeoutMs,
                   MakeEventRecord(GetId(), kEventResultTimeout, resultSerial_, 0));
}

void CMahjongTableView::PlayHuAnimation(int /*position*/) {}

void CMahjongTableView::OnResultClosed() {}

void CMahjongTableView::OnResultTimeout() {
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    // A hand that started meanwhile keeps its table.
    if (app == nullptr || app->IsReplayMode() || app->IsGamePlaying()) {
        return;
    }
    ClearTable();
    RefreshSeatBoards();
    if (!IsLookingOn()) {
        ShowViewPart(startButtonId_);
        ShowViewPart(sloganPictureId_);
    }
}

// ---- Helpers ----

bool CMahjongTableView::HasTilesOnTable() {
    for (int position = 0; position < kPositions; ++position) {
        if (GetRowCount(position) > 0 || GetDiscardCount(position) > 0 ||
            GetLastThrown(position) != nullptr) {
            return true;
        }
    }
    return false;
}

bool CMahjongTableView::IsTableChair(int chair) const {
    return chair >= 0 && chair < std::min(GetPlayerCount(), tp::kMaxChairs);
}

int CMahjongTableView::SeatPositionOf(int chair) const {
    return IsTableChair(chair) ? ChairToPosition(chair) : -1;
}

int CMahjongTableView::GetPreviousTurnPosition(int position) const {
    for (int before = 0; before < kPositions; ++before) {
        const int chair = PositionToChair(before);
        if (before != position && chair >= 0 && chair < GetPlayerCount() &&
            GetNextTurnPosition(before) == position) {
            return before;
        }
    }
    return -1;
}

int CMahjongTableView::CollectConcealedTiles(int position, std::span<int32_t> out) {
    std::ranges::fill(out, tp::kNoTile);
    size_t n = 0;
    for (int i = 0; i < kRowSize && n < out.size(); ++i) {
        const CCardSprite* sprite = GetHandSprite(position, i);
        if (sprite != nullptr && sprite->active != 0 && sprite->standing != 0 &&
            sprite->meldKind == CCardSprite::kMeldNone && IsRealTile(sprite->tile)) {
            out[n++] = sprite->tile;
        }
    }
    return static_cast<int>(n);
}

CCardSprite* CMahjongTableView::PutThrownTile(int position, int tileId, bool hiddenRow) {
    // The place takes the tile just thrown (an earlier one there goes to
    // the discards); a hidden row gives up a hidden tile and shows it now.
    CCardSprite* sprite = MoveTileToThrown(position, hiddenRow ? kHiddenTile : tileId);
    if (sprite == nullptr && hiddenRow) {
        // A hidden row out of step with the server (empty) still shows the
        // throw, from the pool.
        sprite = GetFreeCardObject();
        if (sprite == nullptr) {
            ZepLog("thrown tile: row %d is empty and no tile sprite is free; tile %d not shown",
                   position, tileId);
            return nullptr;
        }
        ZepLog("thrown tile: row %d holds no hidden tile; tile %d shown from the pool", position,
               tileId);
        sprite->lifeTime = 3000;
        SetLastThrown(position, sprite);
    }
    if (sprite == nullptr) {
        return nullptr;
    }
    sprite->tile = tileId;
    sprite->faceUp = 1;
    sprite->Refresh();
    return sprite;
}

void CMahjongTableView::RenewOwnTileEvents() {
    if (IsLookingOn()) {
        return;
    }
    for (int i = 0; i < kRowSize; ++i) {
        CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite->active != 0 && sprite->visible != 0) {
            PostStateEvent(sprite);
        }
    }
}

void CMahjongTableView::ShowViewPart(int id) {
    if (CCorvaneObject* part = id != 0 ? FindObjectById(id) : nullptr) {
        part->Show();
        part->Invalidate();
    }
}

void CMahjongTableView::HideViewPart(int id) {
    if (CCorvaneObject* part = id != 0 ? FindObjectById(id) : nullptr) {
        part->Hide();
        part->Invalidate();
    }
}
