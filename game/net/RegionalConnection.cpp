#include "game/net/RegionalConnection.h"

#include <algorithm>

#include "frame/GameFrameApp.h"
#include "mahjong_client/TableProtocol.h"
#include "zep/ZepLog.h"
#include "zep/ZepWire.h"

namespace tp = table_protocol;

namespace {

constexpr size_t kOptionWord = 3;
constexpr size_t kDrawnTileWord = 1;

bool IsGameRequest(uint32_t requestId) {
    return requestId > tp::kGameRequestFloor;
}

}  // namespace

int CRegionalConnection::ProcessRequest(std::string& text, uint32_t requestId,
                                        std::span<const uint8_t> body, uint32_t& result,
                                        std::vector<uint8_t>& reply, int wait) {
    const int sent = CGameConnection::ProcessRequest(text, requestId, body, result, reply, wait);
    if (!IsGameRequest(requestId)) {
        return sent;
    }
    return sent == 0 && wait != 0 ? 0 : 1;
}

size_t CRegionalConnection::OperationReplyForm(std::span<const uint8_t> reply) {
    if (reply.size() < (kOptionWord + 1) * 4) {
        return tp::kOperationReplyShortBytes;
    }
    const int32_t options = tp::WordAt(reply, kOptionWord);
    return (options & tp::kOptionTing) != 0 ? tp::kOperationReplyBytes
                                            : tp::kOperationReplyShortBytes;
}

void CRegionalConnection::CopyReply(std::span<const uint8_t> reply, size_t form,
                                    std::span<uint8_t> out) {
    const size_t span = std::min(form, out.size());
    const size_t copied = std::min(reply.size(), span);
    std::copy_n(reply.begin(), copied, out.begin());
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(copied),
              out.begin() + static_cast<std::ptrdiff_t>(span), uint8_t{0});
}

int CRegionalConnection::SendSwapThree(int32_t tile0, int32_t tile1, int32_t tile2) {
    CGameFrameApp* app = GetApp();
    if (app != nullptr && app->IsLookOn()) {
        return 0;
    }
    const tp::RequestHead head = MakeRequestHead();
    if (head.chair < 0 || head.chair >= tp::kMaxChairs) {
        ZepLog("request %u: own chair %d is no seat; not sent", tp::kSwapThree,
               static_cast<int>(head.chair));
        return 0;
    }
    tp::SwapThreeRequest request;
    const size_t at = static_cast<size_t>(head.chair) * 3;
    request.chairTiles[at] = tile0;
    request.chairTiles[at + 1] = tile1;
    request.chairTiles[at + 2] = tile2;
    request.userId = head.userId;
    request.roomId = head.roomId;
    request.tableNo = head.tableNo;
    request.chair = head.chair;
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    return ProcessRequest(text, tp::kSwapThree, tp::WriteTableRecord(request), result, reply, 1);
}

int CRegionalConnection::SendWithOperationReply(std::string& text, uint32_t requestId,
                                                std::span<const uint8_t> body,
                                                std::span<uint8_t> reply, uint32_t& result) {
    text.clear();
    std::vector<uint8_t> received;
    if (ProcessRequest(text, requestId, body, result, received, 1) == 0) {
        result = tp::kResultNotCarriedOut;
        return 0;
    }
    if (result != tp::kResultDone) {
        return 0;
    }
    CopyReply(received, OperationReplyForm(received), reply);
    return 1;
}

int CRegionalConnection::SendRequest229000(std::string& text, std::span<const uint8_t> body,
                                           std::span<uint8_t> reply) {
    uint32_t result = 0;
    if (SendWithOperationReply(text, tp::kOwnDraw, body, reply, result) != 0) {
        return 1;
    }
    if (result == tp::kResultDrawRefused && reply.size() >= (kDrawnTileWord + 1) * 4) {
        ZepWireWriter writer(reply.subspan(kDrawnTileWord * 4, 4));
        writer.WriteI32(tp::kNoTile);
    }
    return 0;
}

int CRegionalConnection::SendOperation(std::string& text, uint32_t requestId,
                                       std::span<const uint8_t> record, std::span<uint8_t> reply,
                                       uint32_t& result) {
    return SendWithOperationReply(text, requestId, record, reply, result);
}

int CRegionalConnection::SendRequest229025(std::string& text, uint32_t& result,
                                           std::span<const uint8_t> body,
                                           std::span<uint8_t> reply) {
    text.clear();
    std::vector<uint8_t> received;
    if (ProcessRequest(text, tp::kPengClaim, body, result, received, 1) == 0) {
        result = tp::kResultNotCarriedOut;
        return 0;
    }
    if (result != tp::kResultDone) {
        return 0;
    }
    CopyReply(received, tp::kTingInfoBytes, reply);
    return 1;
}

int CRegionalConnection::SendRequest400001() {
    const tp::RequestHead head = MakeRequestHead();
    tp::SeatBoardInfoRequest request;
    request.roomId = head.roomId;
    request.tableNo = head.tableNo;
    request.chair = head.chair;
    request.userId = head.userId;
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    ProcessRequest(text, tp::kSeatBoardInfo, tp::WriteTableRecord(request), result, reply, 0);
    return 1;
}

int CRegionalConnection::SendRequest400009(std::string& text, std::span<const uint8_t> record) {
    text.clear();
    if (record.size() < tp::kTingThrowHeadBytes) {
        ZepLog("request %u: record of %zu bytes, below %zu; not sent", tp::kTingThrow,
               record.size(), tp::kTingThrowHeadBytes);
        return 0;
    }
    const int32_t count = tp::WordAt(record, tp::kTingThrowCountWord);
    const uint64_t length = tp::kTingThrowHeadBytes + 4 * static_cast<uint64_t>(count);
    if (count < 0 || length > record.size()) {
        ZepLog("request %u: count %d does not fit a record of %zu bytes; not sent", tp::kTingThrow,
               static_cast<int>(count), record.size());
        return 0;
    }
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (ProcessRequest(text, tp::kTingThrow, record.first(static_cast<size_t>(length)), result,
                       reply, 1) == 0) {
        return 0;
    }
    return result == tp::kResultDone ? 1 : 0;
}
