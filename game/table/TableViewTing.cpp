// The regional table's ready-hand declaration.
//
// The server names, with a draw or a claim, the own tiles whose throw
// leaves a ready hand. The Ting button then lets the player pick one of
// them (every other tile greyed); the pick is thrown with the declaration
// (400009). Once declared, the hand is locked: only index 0, where the
// next drawn tile lands, stays free. Every chair's declaration arrives as
// 400010 and shows that chair's badge.
//
// Rules:
//  - Candidates are matched by exact tile id, never by face.
//  - A declaration the server refuses changes nothing: the choice stays
//    open with its marks.
//  - A 400010 too short or naming a chair outside 0-3 is dropped whole.
#include <algorithm>
#include <array>
#include <string>

#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/FrameFunctions.h"
#include "game/net/RegionalConnection.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/TableProtocol.h"
#include "zep/ZepLog.h"

namespace tp = table_protocol;

uint8_t g_TingTable[8192] = {};

namespace {

constexpr char kTingImage[] = "Btn_Ting";
constexpr char kChoosingImage[] = "btn_Xiao_big";

// Where the table starts in the ting data: behind the flags and the 32
// candidates.
constexpr size_t kTingTableAt = 4 + 4 * 32;
static_assert(kTingTableAt + sizeof g_TingTable == tp::kTingInfoBytes);

}  // namespace

void CRegionalTableView::ApplyTingInfo(std::span<const uint8_t> ting) {
    // Data cut short names no candidates: nothing is offered on it.
    const bool whole = ting.size() >= tp::kTingInfoBytes;
    if (!whole) {
        ZepLog("table: ting data of %zu bytes, below %zu; no ting offered", ting.size(),
               tp::kTingInfoBytes);
    }
    tp::TingInfo data;
    tp::ReadTableRecord(ting, data);
    OperationOffer& offer = GetOffer(kOpTing);
    if (const CCardSprite* first = GetHandSprite(kOwnPosition, 0)) {
        offer.tile = first->tile;
    }
    offer.offered = whole && (data.options & tp::kOptionTing) == tp::kOptionTing ? 1 : 0;
    SetOperationButton(kOpTing, offer.offered);
    if (offer.offered == 0) {
        return;
    }
    std::ranges::copy(data.candidates, offer.tiles.begin());
    std::ranges::copy(data.candidates, std::begin(g_TingCandidates));
    std::ranges::copy(ting.subspan(kTingTableAt, sizeof g_TingTable), std::begin(g_TingTable));
}

void CRegionalTableView::OnTingButton() {
    if (IsLookingOn() || GetTurnDirection() != 2 * kOwnPosition) {
        return;
    }
    if (IsAutoPlay() != 0) {
        ToggleAutoPlay();
    }
    CCorvaneButton* ting = GetTingButton();
    if (ting == nullptr || ting->IsInputEnabled() == 0 || ting->IsVisible() == 0) {
        return;
    }
    constexpr std::array<int, 3> kHeldBack = {kOpGang, kOpHu, kOpGuo};
    if (m_bTingIdle == 1) {
        m_bTingIdle = 0;
        for (size_t i = 0; i < kHeldBack.size(); ++i) {
            offersBeforeTing_[i] = IsOperationButtonOn(kHeldBack[i]) ? 1 : 0;
            SetOperationButton(kHeldBack[i], 0);
        }
        ting->SetFaceImage(GetSkinFrame(kChoosingImage), 0);
        MarkTingCandidates();
        RefreshHandSprites(kOwnPosition);
        SetTableState(kStateTingChoice);
        return;
    }
    // A second click cancels the choice: the offers come back as they were.
    m_bTingIdle = 1;
    for (size_t i = 0; i < kHeldBack.size(); ++i) {
        SetOperationButton(kHeldBack[i], offersBeforeTing_[i]);
    }
    ting->SetFaceImage(GetSkinFrame(kTingImage), 0);
    ClearHandMarks();
    RefreshHandSprites(kOwnPosition);
    SetTableState(kStateNormal);
}

void CRegionalTableView::MarkTingCandidates() {
    std::array<CCardSprite*, kRowSize> own{};
    for (int i = 0; i < kRowSize; ++i) {
        CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite->active != 0 && sprite->visible != 0) {
            sprite->greyed = 1;
            own[static_cast<size_t>(i)] = sprite;
        }
    }
    for (const int32_t candidate : g_TingCandidates) {
        if (candidate == tp::kNoTile) {
            continue;
        }
        for (CCardSprite* sprite : own) {
            if (sprite != nullptr && sprite->tile == candidate) {
                sprite->greyed = 0;
            }
        }
    }
}

void CRegionalTableView::OnTingTileClick(CCardSprite* sprite) {
    if (IsLookingOn() || sprite == nullptr || sprite->greyed != 0) {
        return;
    }
    sprite->raised = sprite->raised != 0 ? 0 : 1;
    sprite->Refresh();
    int raisedIndex = -1;
    int raised = 0;
    for (int i = 0; i < kRowSize; ++i) {
        const CCardSprite* own = GetHandSprite(kOwnPosition, i);
        if (own != nullptr && own->active != 0 && own->visible != 0 && own->raised != 0) {
            ++raised;
            raisedIndex = i;
        }
    }
    if (raised == 1) {
        ThrowForTing(raisedIndex);
    }
}

int CRegionalTableView::ThrowForTing(int handIndex) {
    const CCardSprite* sprite = GetHandSprite(kOwnPosition, handIndex);
    if (sprite == nullptr || !IsRealTile(sprite->tile)) {
        return 0;
    }
    const int tile = sprite->tile;
    if (SendTingThrow(tile) == 0) {
        return 0;
    }
    const int own = GetOwnChair();
    if (own >= 0 && own < kPositions) {
        g_bBaoJiao[own] = 1;
    }
    ShowPart(GetBaoJiaoBadge(kOwnPosition));

    ClearHandMarks();
    PlaySound("SndThrow");
    SetAllOperationButtons(0);
    timedOut_ = 0;
    ClearTurnFlag(0);
    drawnTile_ = tp::kNoTile;
    SetTableState(kStateNormal);
    if (CMahjongTableData* data = GetMahjongTableData()) {
        SetClockSeconds(data->GetDiscardTime());
    }
    MoveTurnIndicator(2 * kOwnPosition, 2 * GetNextTurnPosition(kOwnPosition));

    GetVoiceFile(kOwnPosition, tile);
    if (CCardSprite* thrown = PutThrownTile(kOwnPosition, tile, false)) {
        thrown->lifeTime = 3000;
        thrown->state = CCardSprite::kStateJustThrown;
        thrown->Refresh();
    }
    ArrangeHand(kOwnPosition);
    RefreshHandSprites(kOwnPosition);
    // The hand is locked: only index 0, where the next draw lands, stays
    // free.
    for (int i = 1; i < kRowSize; ++i) {
        CCardSprite* locked = GetHandSprite(kOwnPosition, i);
        if (locked != nullptr && locked->active != 0 && locked->visible != 0) {
            locked->greyed = 1;
        }
    }
    RefreshHandSprites(kOwnPosition);
    m_bBaoJiao = 1;
    return 1;
}

tp::TingThrowRecord CRegionalTableView::BuildTingThrowRecord(int tile) {
    tp::TingThrowRecord record;
    if (CRegionalConnection* connection = GetPlayConnection()) {
        record.head = connection->MakeRequestHead();
    }
    record.head.chair = GetOwnChair();
    record.tableNo = record.head.tableNo;
    record.chair = record.head.chair;
    record.userId = record.head.userId;
    const std::string machine = GetMachineUniqueID();
    std::copy_n(machine.begin(), std::min(machine.size(), record.machineId.size() - 1),
                record.machineId.begin());
    record.count = 1;
    record.tile = tile;
    return record;
}

int CRegionalTableView::SendTingThrow(int tile) {
    CRegionalConnection* connection = GetPlayConnection();
    if (connection == nullptr || IsLookingOn()) {
        return 0;
    }
    std::string text;
    return connection->SendRequest400009(text, tp::WriteTableRecord(BuildTingThrowRecord(tile)));
}

bool CRegionalTableView::OnTingThrowNotify(NotifyRecord record) {
    tp::CardThrownNotice notice;
    if (!tp::ReadTableRecord(record, notice) || notice.thrower < 0 ||
        notice.thrower >= kPositions) {
        ZepLog("table: ready-hand throw of %zu bytes for chair %d dropped", record.size(),
               static_cast<int>(notice.thrower));
        return false;
    }
    OnCardThrown(record);
    g_bBaoJiao[notice.thrower] = 1;
    ShowPart(GetBaoJiaoBadge(ChairToPosition(notice.thrower)));
    return true;
}
