// The table view's requests to the game server: every play goes through
// the application's mahjong connection, blocking until the reply, and the
// result code decides what changes on the table.
#include <algorithm>
#include <array>
#include <span>
#include <vector>

#include "frame/FrameFunctions.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/net/MahjongConnection.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "mahjong_client/table/SeatBoard.h"
#include "zep/ZepLog.h"

namespace tp = table_protocol;

namespace {

// A waited request that could not be sent, or whose reply never came,
// counts as one the server did not carry out.
uint32_t ResultOf(int sent, uint32_t result) {
    return sent != 0 ? result : tp::kResultNotCarriedOut;
}

}  // namespace

CMahjongConnection* CMahjongTableView::GetMahjongConnection() {
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    return app != nullptr ? dynamic_cast<CMahjongConnection*>(app->GetConnection()) : nullptr;
}

int CMahjongTableView::SendGameRequest(int32_t id, const void* data, size_t length, int wait) {
    CMahjongConnection* connection = GetMahjongConnection();
    if (connection == nullptr || (data == nullptr && length != 0)) {
        return 0;
    }
    // With wait the reply goes on to the notification handler as a status
    // record (released there, once, whatever the handler does).
    const std::span<const uint8_t> body(static_cast<const uint8_t*>(data), length);
    return connection->SendGameRequestAndReport(static_cast<uint32_t>(id), body, wait);
}

int CMahjongTableView::SendDiscard(int tileId) {
    CMahjongConnection* connection = GetMahjongConnection();
    if (connection == nullptr) {
        return static_cast<int>(tp::kResultNotCarriedOut);
    }
    uint32_t result = 0;
    const int sent = connection->SendDiscardRequest(tileId, result);
    return static_cast<int>(ResultOf(sent, result));
}

int CMahjongTableView::SendHua(int tileId, uint8_t* reply32) {
    CMahjongConnection* connection = GetMahjongConnection();
    if (connection == nullptr || IsLookingOn()) {
        return 0;
    }
    tp::DrawReply draw;
    uint32_t result = 0;
    const int sent = connection->SendHuaRequest(tileId, draw, result);
    if (ResultOf(sent, result) != tp::kResultDone) {
        return 0;
    }
    if (reply32 != nullptr) {
        const std::vector<uint8_t> bytes = tp::WriteTableRecord(draw);
        std::copy(bytes.begin(), bytes.end(), reply32);
    }
    return 1;
}

int CMahjongTableView::SendHuClaim(int chair, int tileId, int kind, int robbedKind) {
    CMahjongConnection* connection = GetMahjongConnection();
    if (connection == nullptr || IsLookingOn()) {
        return 0;
    }
    uint32_t result = 0;
    const int sent = connection->SendHuClaimRequest(chair, tileId, kind, robbedKind, result);
    switch (ResultOf(sent, result)) {
        case tp::kResultDone:
            return 1;
        case tp::kResultHeld:
            // The server waits on a claim of higher rank; the hu stays open.
            operationHeld_ = 1;
            SetTableState(kStateHuHeld);
            return 1;
        default:
            return 0;
    }
}

int CMahjongTableView::SendChiClaim(int thrower, int tileId, int tileA, int tileB) {
    CMahjongConnection* connection = GetMahjongConnection();
    if (connection == nullptr || IsLookingOn()) {
        return static_cast<int>(tp::kResultNotCarriedOut);
    }
    uint32_t result = 0;
    const int sent = connection->SendChiClaimRequest(thrower, tileId, tileA, tileB, result);
    return static_cast<int>(ResultOf(sent, result));
}

int CMahjongTableView::SendPass(int chair, int tileId) {
    CMahjongConnection* connection = GetMahjongConnection();
    if (connection == nullptr || IsLookingOn()) {
        return 0;
    }
    return connection->SendPassRequest(chair, tileId);
}

int CMahjongTableView::SendGangQuery(int kind, int tileId, uint8_t* reply48) {
    CMahjongConnection* connection = GetMahjongConnection();
    if (connection == nullptr || IsLookingOn()) {
        return 0;
    }
    std::array<int32_t, 3> handTiles{-1, -1, -1};
    int32_t offerChair = GetOwnChair();
    if (kind == tp::kGangOnThrownTile) {
        const OperationOffer& gang = GetOffer(kOpGang);
        offerChair = gang.chair;
        std::copy_n(gang.tiles.begin(), handTiles.size(), handTiles.begin());
    } else {
        FindSameFaceTiles(tileId, handTiles.data());
    }
    tp::GangQueryReply answer;
    uint32_t result = 0;
    const int sent = connection->SendGangQuery(kind, offerChair, tileId, handTiles, answer, result);
    if (ResultOf(sent, result) != tp::kResultDone) {
        return 0;
    }
    if (reply48 != nullptr) {
        const std::vector<uint8_t> bytes = tp::WriteTableRecord(answer);
        std::copy(bytes.begin(), bytes.end(), reply48);
    }
    return 1;
}

void CMahjongTableView::AcceptOwnDraw() {
    FlashMainWindow();
    operationHeld_ = 0;
    PlaySound("SndCatch");
    const int before = GetPreviousTurnPosition(kOwnPosition);
    if (before >= 0) {
        MoveThrownToDiscards(before);
        RedrawDiscards(before);
    }
    ShowArrow(-1);
}

int CMahjongTableView::CatchCard() {
    CMahjongConnection* connection = GetMahjongConnection();
    if (connection == nullptr || IsLookingOn()) {
        return 0;
    }
    tp::DrawReply draw;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    const int sent = connection->SendRequest229000(draw, result, reply);
    if (ResultOf(sent, result) != tp::kResultDone || draw.tile == tp::kNoTile) {
        return 0;  // refused (229101) or failed: the table stays as it is
    }
    AcceptOwnDraw();
    if (!IsRealTile(draw.tile) ||
        DrawTileFromReply(kOwnPosition, draw.wallIndex, draw.tile) == nullptr) {
        return 0;
    }
    SortHandAfterDraw();
    drawnTile_ = draw.tile;
    OfferOptionsAfterDraw(draw.options);
    RefreshHandSprites(kOwnPosition);
    return 1;
}

int CMahjongTableView::ThrowHandTile(int index) {
    CCardSprite* sprite = GetHandSprite(kOwnPosition, index);
    if (sprite == nullptr || IsLookingOn() || IsHandDrawn(kOwnPosition) == 0 ||
        sprite->meldKind != CCardSprite::kMeldNone || !IsRealTile(sprite->tile)) {
        return 0;
    }
    const int tile = sprite->tile;
    // Only a throw the server carried out leaves the hand; any other answer
    // (refused, not carried out, no reply) changes nothing.
    if (SendDiscard(tile) != static_cast<int>(tp::kResultDone)) {
        return 0;
    }
    SetAllOperationButtons(0);
    PlaySound("SndThrow");
    turnFlags_[0] = 0;
    drawnTile_ = -1;
    SetTableState(kStateNormal);
    if (CMahjongTableData* data = GetMahjongTableData()) {
        SetClockSeconds(data->GetDiscardTime());
    }
    MoveTurnIndicator(2 * kOwnPosition, 2 * GetNextTurnPosition(kOwnPosition));
    PutThrownTile(kOwnPosition, tile, false);
    ArrangeHand(kOwnPosition);
    RefreshHandSprites(kOwnPosition);
    return 1;
}

int CMahjongTableView::DeclareOwnHua(int index) {
    CCardSprite* sprite = GetHandSprite(kOwnPosition, index);
    if (sprite == nullptr || IsLookingOn() || !IsRealTile(sprite->tile)) {
        return 0;
    }
    const int tile = sprite->tile;
    std::array<uint8_t, tp::DrawReply::kSize> reply{};
    if (SendHua(tile, reply.data()) == 0) {
        return 0;
    }
    tp::DrawReply draw;
    tp::ReadTableRecord(reply, draw);
    CMahjongTableData* data = GetMahjongTableData();
    SetAllOperationButtons(0);
    SetTableState(kStateNormal);
    turnFlags_[0] = 0;
    if (data != nullptr) {
        SetClockSeconds(data->GetReactionTime());
    }
    MoveTurnIndicator(GetTurnDirection(), 2 * kOwnPosition);
    PlaySound("SndCatch");
    if (PutThrownTile(kOwnPosition, tile, false) != nullptr) {
        if (CSeatBoard* board = GetSeatBoard(kOwnPosition)) {
            board->AddFlower();
        }
        MoveThrownToDiscards(kOwnPosition);
        RedrawDiscards(kOwnPosition);
    }
    ClearHandMarks();
    ArrangeHand(kOwnPosition);
    RefreshHandSprites(kOwnPosition);
    if (draw.tile == tp::kNoTile) {
        if (data != nullptr) {
            SetClockSeconds(data->GetDiscardTime());
        }
        MoveTurnIndicator(2 * kOwnPosition, 2 * GetNextTurnPosition(kOwnPosition));
        return 0;
    }
    // The replacement comes in a moment later, as after a gang.
    if (PostTableBlock(kEventTableHeapB, reply.data(), reply.size(), kReplacementDelayMs) == 0) {
        return 0;
    }
    replacementSerial_ = GetTableSerial();
    return 1;
}
