// The regional table's claims: the peng and gang requests with their
// operation records, what each result does to the table, and the
// replacement tile a granted gang brings 200 ms later.
#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

#include "game/net/RegionalConnection.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/TableProtocol.h"
#include "platform/Input.h"
#include "zep/ZepLog.h"

namespace tp = table_protocol;

namespace {

// Shows the system's wait cursor while a request blocks the table, and puts
// back exactly the shape that was shown before.
class WaitCursorScope {
public:
    WaitCursorScope() : previous_(platform::GetCursor()) {
        platform::SetCursor(platform::SystemCursor(platform::kCursorWait));
    }
    ~WaitCursorScope() { platform::SetCursor(previous_); }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;

private:
    platform::CursorHandle previous_;
};

// The 16 words of a request body, as the meld placements take them.
MeldRecord ToMeld(const tp::OperationRecord& record) {
    const std::vector<uint8_t> bytes = tp::WriteTableRecord(record);
    MeldRecord meld{};
    for (size_t i = 0; i < meld.size(); ++i) {
        meld[i] = tp::WordAt(bytes, i);
    }
    return meld;
}

}  // namespace

// ---- Shared parts ----

int CRegionalTableView::OwnTurnSeconds() {
    CMahjongTableData* data = GetMahjongTableData();
    return data != nullptr ? data->GetReactionTime() : 0;
}

int CRegionalTableView::AfterThrowSeconds() {
    CMahjongTableData* data = GetMahjongTableData();
    return data != nullptr ? data->GetDiscardTime() : 0;
}

bool CRegionalTableView::IsOwnTingDeclared() const {
    const int chair = GetOwnChair();
    return chair >= 0 && chair < 4 && g_bBaoJiao[chair] != 0;
}

CRegionalConnection* CRegionalTableView::GetPlayConnection() {
    return GetRegionalConnection();
}

tp::RequestHead CRegionalTableView::ClaimsRequestHead() {
    CRegionalConnection* connection = GetPlayConnection();
    return connection != nullptr ? connection->MakeRequestHead() : tp::RequestHead{};
}

void CRegionalTableView::PostGangReplacement(std::span<const uint8_t> reply) {
    // The view keeps the copy until the step runs, so a table cleared (or a
    // view gone) before then takes it along; the event carries no block of
    // its own for the base's entry to free.
    std::vector<uint8_t> copy(tp::kOperationReplyBytes, 0);
    std::copy_n(reply.begin(), std::min(reply.size(), copy.size()), copy.begin());
    if (!PostHeapEvent(kEventTableHeapA, 0, copy.data(), copy.size(), kGangReplacementDelayMs)) {
        ZepLog("gang: the replacement step could not be posted");
    }
}

// ---- Builders ----

int CRegionalTableView::SendGangRecord(uint32_t requestId, const tp::OperationRecord& record,
                                       std::span<uint8_t> reply) {
    CRegionalConnection* connection = GetPlayConnection();
    if (connection == nullptr) {
        return static_cast<int>(tp::kResultNotCarriedOut);
    }
    std::string text;
    uint32_t result = tp::kResultNotCarriedOut;
    connection->SendOperation(text, requestId, tp::WriteTableRecord(record), reply, result);
    return static_cast<int>(result);
}

int CRegionalTableView::RequestDiscardGang(tp::OperationRecord& out, std::span<uint8_t> reply) {
    const OperationOffer& gang = GetOffer(kOpGang);
    tp::OperationRecord record;
    record.head = ClaimsRequestHead();
    record.offerChair = gang.chair;
    record.tile = gang.tile;
    std::copy_n(gang.tiles.begin(), record.handTiles.size(), record.handTiles.begin());
    out = record;
    return SendGangRecord(tp::kDiscardGang, record, reply);
}

int CRegionalTableView::RequestAddedGang(const int32_t* threeTiles, tp::OperationRecord& out,
                                         std::span<uint8_t> reply) {
    tp::OperationRecord record;
    record.head = ClaimsRequestHead();
    record.offerChair = record.head.chair;
    record.tile = GetOffer(kOpGang).tile;
    for (size_t i = 0; i < record.handTiles.size(); ++i) {
        record.handTiles[i] = threeTiles != nullptr ? threeTiles[i] : tp::kNoTile;
    }
    out = record;
    return SendGangRecord(tp::kAddedGang, record, reply);
}

int CRegionalTableView::RequestConcealedGang(int32_t tile, tp::OperationRecord& out,
                                             std::span<uint8_t> reply) {
    tp::OperationRecord record;
    record.head = ClaimsRequestHead();
    record.offerChair = record.head.chair;
    record.tile = tile;
    record.handTiles.fill(tp::kNoTile);
    FindSameFaceTiles(tile, record.handTiles.data());
    out = record;
    // Unlike the other two it answers whether the server carried it out.
    return SendGangRecord(tp::kConcealedGang, record, reply) == static_cast<int>(tp::kResultDone)
               ? 1
               : 0;
}

int CRegionalTableView::RequestPeng(tp::OperationRecord& out, std::span<uint8_t> reply) {
    const OperationOffer& peng = GetOffer(kOpPeng);
    tp::OperationRecord record;
    record.head = ClaimsRequestHead();
    record.offerChair = peng.chair;
    record.tile = peng.tile;
    record.handTiles = {peng.tiles[0], peng.tiles[1], tp::kNoTile};
    out = record;
    CRegionalConnection* connection = GetPlayConnection();
    if (connection == nullptr) {
        return static_cast<int>(tp::kResultNotCarriedOut);
    }
    std::string text;
    uint32_t result = tp::kResultNotCarriedOut;
    connection->SendRequest229025(text, result, tp::WriteTableRecord(record), reply);
    return static_cast<int>(result);
}

// ---- Submits ----

int CRegionalTableView::SubmitDiscardGang() {
    if (IsLookingOn()) {
        return 0;
    }
    WaitCursorScope wait;
    tp::OperationRecord record;
    std::vector<uint8_t> reply(tp::kOperationReplyBytes, 0);
    const uint32_t result = static_cast<uint32_t>(RequestDiscardGang(record, reply));
    if (result == tp::kResultHeld) {
        operationHeld_ = 1;
        tableState_ = kStateGangChoice;
        RefreshHandSprites(kOwnPosition);
        return 0;
    }
    if (result != tp::kResultDone) {
        return 0;
    }
    operationHeld_ = 0;
    timedOut_ = 0;
    SetTableState(kStateNormal);
    SetClockSeconds(OwnTurnSeconds());
    MoveTurnIndicator(GetTurnDirection(), 2 * kOwnPosition);
    PlaceGang(kOwnPosition, ToMeld(record), 0);
    RefreshHandSprites(kOwnPosition);
    ShowArrow(kOwnPosition);
    PostGangReplacement(reply);
    return 1;
}

int CRegionalTableView::SubmitAddedGang(int32_t tile) {
    std::array<int32_t, 3> three{tp::kNoTile, tp::kNoTile, tp::kNoTile};
    FindSameFaceTiles(tile, three.data());
    OperationOffer& gang = GetOffer(kOpGang);
    gang.tile = tile;
    gang.chair = GetOwnChair();
    WaitCursorScope wait;
    if (operationHeld_ == 0) {
        std::array<uint8_t, tp::GangQueryReply::kSize> query{};
        if (SendGangQuery(tp::kGangOwn, tile, query.data()) == 0) {
            return 0;
        }
    }
    tp::OperationRecord record;
    std::vector<uint8_t> reply(tp::kOperationReplyBytes, 0);
    const uint32_t result = static_cast<uint32_t>(RequestAddedGang(three.data(), record, reply));
    if (result == tp::kResultHeld) {
        SetOperationButton(kOpHu, 0);
        SetClockSeconds(AfterThrowSeconds());
        operationHeld_ = 1;
        tableState_ = kStateGangChoice;
        RefreshHandSprites(kOwnPosition);
        return 0;
    }
    if (result != tp::kResultDone) {
        return 0;
    }
    operationHeld_ = 0;
    tableState_ = kStateNormal;
    timedOut_ = 0;
    SetClockSeconds(OwnTurnSeconds());
    PlaceAddedGang(kOwnPosition, ToMeld(record), 0);
    ClearHandMarks();
    RefreshHandSprites(kOwnPosition);
    SetOperationButton(kOpGang, 0);
    ShowArrow(kOwnPosition);
    PostGangReplacement(reply);
    return 1;
}

int CRegionalTableView::SubmitConcealedGang(int32_t tile) {
    tp::OperationRecord record;
    std::vector<uint8_t> reply(tp::kOperationReplyBytes, 0);
    int done = 0;
    {
        WaitCursorScope wait;
        done = RequestConcealedGang(tile, record, reply);
    }
    if (done == 0) {
        ReofferConcealedGang(tile);
        return 0;
    }
    timedOut_ = 0;
    SetTableState(kStateNormal);
    SetClockSeconds(GetClockSeconds() + kConcealedGangExtraSeconds);
    PlaceConcealedGang(kOwnPosition, ToMeld(record), 0);
    ClearHandMarks();
    RefreshHandSprites(kOwnPosition);
    SetOperationButton(kOpGang, 0);
    ShowArrow(kOwnPosition);
    PostGangReplacement(reply);
    return 1;
}

void CRegionalTableView::ReofferConcealedGang(int32_t tile) {
    // The choice stays with the player: his click or the time-out sends
    // the next request, never this step.
    for (int i = 0; i < kRowSize; ++i) {
        if (CCardSprite* sprite = GetHandSprite(kOwnPosition, i)) {
            sprite->raised = sprite->tile == tile && sprite->meldKind == CCardSprite::kMeldNone;
        }
    }
    RefreshHandSprites(kOwnPosition);
    SetOperationButton(kOpGang, 1);
}

int CRegionalTableView::SubmitPeng() {
    tp::OperationRecord record;
    std::vector<uint8_t> reply(tp::kTingInfoBytes, 0);
    const uint32_t result = static_cast<uint32_t>(RequestPeng(record, reply));
    if (result == tp::kResultHeld) {
        operationHeld_ = 1;
        tableState_ = kStatePengHeld;
        return 0;
    }
    if (result != tp::kResultDone) {
        return 0;
    }
    // The throw is claimed: its offers go; the peng's own (the ready hand,
    // a concealed gang) are offered below.
    SetAllOperationButtons(0);
    tp::TingInfo ting;
    if (tp::ReadTableRecord(reply, ting) && (ting.options & tp::kOptionTing) != 0) {
        ApplyTingInfo(reply);
    }
    operationHeld_ = 0;
    tableState_ = kStateNormal;
    timedOut_ = 0;
    SetClockSeconds(OwnTurnSeconds());
    MoveTurnIndicator(GetTurnDirection(), 2 * kOwnPosition);
    PlaceMeld(kOwnPosition, kOpPeng, ToMeld(record), 0);
    RefreshHandSprites(kOwnPosition);
    ShowArrow(kOwnPosition);
    CheckConcealedGang();
    return 1;
}

// ---- The replacement step ----

int CRegionalTableView::OnTableEvent(const EventRecord& record) {
    if (record.event != kEventTableHeapA) {
        return CMahjongTableView::OnTableEvent(record);
    }
    return TakeGangReplacement(record);
}

int CRegionalTableView::TakeGangReplacement(const EventRecord& record) {
    // A step for a table cleared meanwhile finds its copy gone.
    std::vector<uint8_t> bytes;
    tp::OperationReply reply;
    if (!TakeEventRecord(record, bytes) || !tp::ReadTableRecord(bytes, reply) || IsLookingOn()) {
        return 1;
    }
    if (TakeOwnDrawnTile(reply) == nullptr) {
        return 1;
    }
    OfferAfterOwnDraw(reply);
    RefreshHandSprites(kOwnPosition);
    if (IsOwnTingDeclared() && GetOffer(kOpGang).offered == 0) {
        SetClockSeconds(kTingReplacementSeconds);
    }
    return 1;
}
