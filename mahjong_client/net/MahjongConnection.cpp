#include "mahjong_client/net/MahjongConnection.h"

#include "frame/GameFrameApp.h"
#include "frame/net/GameNotifyHandler.h"
#include "zep/ZepLog.h"

namespace tp = table_protocol;

namespace {

bool IsGameRequest(uint32_t requestId) {
    return requestId > tp::kGameRequestFloor;
}

// The status code of a 229500 record (its word 2), 0 when it is not there.
constexpr size_t kStatusCodeWord = 2;

}  // namespace

uint32_t CMahjongConnection::GetRequestTimeout(uint32_t requestId) {
    if (IsGameRequest(requestId)) {
        return kGameRequestSeconds;
    }
    return CGameConnection::GetRequestTimeout(requestId);
}

int CMahjongConnection::ProcessRequest(std::string& text, uint32_t requestId,
                                       std::span<const uint8_t> body, uint32_t& result,
                                       std::vector<uint8_t>& reply, int wait) {
    if (!IsGameRequest(requestId)) {
        return CGameConnection::ProcessRequest(text, requestId, body, result, reply, wait);
    }
    if (CGameConnection::ProcessRequest(text, requestId, body, result, reply, wait) != 0 ||
        wait == 0) {
        return 1;
    }
    ZepLog("ProcoessRequest Faild,ReQuestid:%ld,nResponse:%ld", static_cast<long>(requestId),
           static_cast<long>(result));
    return 0;
}

int CMahjongConnection::ReportNotifyFailure(int32_t id, const void* data, size_t length) {
    int32_t dataWord = 0;
    if (id == tp::kAutoPlayStatus && data != nullptr) {
        dataWord =
            tp::WordAt(std::span(static_cast<const uint8_t*>(data), length), kStatusCodeWord);
    }
    return SendNotifyFailure(id, dataWord, length);
}

tp::RequestHead CMahjongConnection::MakeRequestHead() {
    tp::RequestHead head;
    if (CGameFrameApp* app = GetApp()) {
        head.userId = app->GetUserID();
        head.roomId = app->GetRoomID();
        head.tableNo = app->GetTableNo();
        head.chair = app->GetMyChairNo();
    }
    return head;
}

int CMahjongConnection::SendGameRequest(uint32_t requestId, std::span<const uint8_t> body, int wait,
                                        uint32_t& result, std::vector<uint8_t>& reply) {
    std::string text;
    return ProcessRequest(text, requestId, body, result, reply, wait);
}

int CMahjongConnection::SendGameRequestAndReport(uint32_t requestId, std::span<const uint8_t> body,
                                                 int wait) {
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    const int sent = SendGameRequest(requestId, body, wait, result, reply);
    // A reply without bytes carries no status to hand on.
    if (sent != 0 && wait != 0 && !reply.empty()) {
        PassReplyToHandler(reply);
    }
    return sent;
}

void CMahjongConnection::PassReplyToHandler(std::span<const uint8_t> reply) {
    CGameFrameApp* app = GetApp();
    CGameNotifyHandler* handler = app != nullptr ? app->GetNotifyHandler() : nullptr;
    if (handler == nullptr) {
        return;
    }
    bool failed = false;
    try {
        handler->OnNotify(tp::kAutoPlayStatus, reply.data(), reply.size());
    } catch (const NotifyRecordShort&) {
        failed = true;  // the handler has logged it
    } catch (const std::exception& error) {
        ZepLog("notification %d failed: %s", tp::kAutoPlayStatus, error.what());
        failed = true;
    }
    if (failed) {
        ReportNotifyFailure(tp::kAutoPlayStatus, reply.data(), reply.size());
    }
    handler->RecordLastNotify(tp::kAutoPlayStatus, reply.data(), reply.size());
}

int CMahjongConnection::SendOperation(uint32_t requestId, tp::OperationRecord record,
                                      uint32_t& result, std::vector<uint8_t>& reply) {
    record.head = MakeRequestHead();
    return SendGameRequest(requestId, tp::WriteTableRecord(record), 1, result, reply);
}

int CMahjongConnection::SendDiscardRequest(int32_t tile, uint32_t& result) {
    tp::OperationRecord record;
    record.head = MakeRequestHead();
    record.offerChair = record.head.chair;
    record.tile = tile;
    return SendWaited(tp::kDiscard, tp::WriteTableRecord(record), result);
}

int CMahjongConnection::SendRequest229000(tp::DrawReply& draw, uint32_t& result,
                                          std::vector<uint8_t>& reply) {
    tp::OwnDrawRecord record;
    record.head = MakeRequestHead();
    record.tableNo = record.head.tableNo;
    record.chair = record.head.chair;
    record.userId = record.head.userId;
    return SendAndRead(tp::kOwnDraw, tp::WriteTableRecord(record), result, reply, draw);
}

int CMahjongConnection::SendHuaRequest(int32_t tile, tp::DrawReply& draw, uint32_t& result) {
    tp::OperationRecord record;
    record.head = MakeRequestHead();
    record.offerChair = record.head.chair;
    record.tile = tile;
    std::vector<uint8_t> reply;
    return SendAndRead(tp::kHua, tp::WriteTableRecord(record), result, reply, draw);
}

int CMahjongConnection::SendHuClaimRequest(int32_t offerChair, int32_t tile, int32_t huKind,
                                           int32_t robbedKongKind, uint32_t& result) {
    tp::HuClaimRecord record;
    record.head = MakeRequestHead();
    record.offerChair = offerChair;
    record.tile = tile;
    record.huKind = huKind;
    record.robbedKongKind = robbedKongKind;
    return SendWaited(tp::kHuClaim, tp::WriteTableRecord(record), result);
}

int CMahjongConnection::SendChiClaimRequest(int32_t thrower, int32_t tile, int32_t first,
                                            int32_t second, uint32_t& result) {
    tp::ChiClaimRecord record;
    record.head = MakeRequestHead();
    record.thrower = thrower;
    record.tile = tile;
    record.ownTiles = {first, second};
    return SendWaited(tp::kChiClaim, tp::WriteTableRecord(record), result);
}

int CMahjongConnection::SendPassRequest(int32_t offerChair, int32_t tile) {
    tp::PassRecord record;
    record.head = MakeRequestHead();
    record.offerChair = offerChair;
    record.tile = tile;
    return SendUnwaited(tp::kPass, tp::WriteTableRecord(record));
}

int CMahjongConnection::SendGangQuery(int32_t kind, int32_t offerChair, int32_t tile,
                                      const std::array<int32_t, 3>& handTiles,
                                      tp::GangQueryReply& answer, uint32_t& result) {
    tp::OperationRecord record;
    record.head = MakeRequestHead();
    record.offerChair = offerChair;
    record.tile = tile;
    record.handTiles = handTiles;
    record.kind = kind;
    std::vector<uint8_t> reply;
    return SendAndRead(tp::kGangQuery, tp::WriteTableRecord(record), result, reply, answer);
}

int CMahjongConnection::SendLookCardAsk(int32_t watchedChair) {
    tp::LookCardAskRecord record;
    record.head = MakeRequestHead();
    record.watchedChair = watchedChair;
    return SendUnwaited(tp::kLookCardAsk, tp::WriteTableRecord(record));
}

int CMahjongConnection::SendWaited(uint32_t requestId, std::span<const uint8_t> body,
                                   uint32_t& result) {
    std::vector<uint8_t> reply;
    return SendGameRequest(requestId, body, 1, result, reply);
}

int CMahjongConnection::SendUnwaited(uint32_t requestId, std::span<const uint8_t> body) {
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    return SendGameRequest(requestId, body, 0, result, reply);
}

template <class Reply>
int CMahjongConnection::SendAndRead(uint32_t requestId, std::span<const uint8_t> body,
                                    uint32_t& result, std::vector<uint8_t>& reply, Reply& out) {
    out = Reply{};
    if (SendGameRequest(requestId, body, 1, result, reply) == 0) {
        return 0;
    }
    // A reply shorter than its minimum leaves `out` as it was made; words
    // it lacks otherwise read 0.
    tp::ReadTableRecord(reply, out);
    return 1;
}
