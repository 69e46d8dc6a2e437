#include "mahjong_client/net/MahjongConnection.h"

uint32_t CMahjongConnection::GetRequestTimeout(uint32_t requestId) {
    return CGameConnection::GetRequestTimeout(requestId);
}

int CMahjongConnection::ProcessRequest(std::string& text, uint32_t requestId,
                                       std::span<const uint8_t> body, uint32_t& result,
                                       std::vector<uint8_t>& reply, int wait) {
    return CGameConnection::ProcessRequest(text, requestId, body, result, reply, wait);
}

int CMahjongConnection::ReportNotifyFailure(int32_t id, const void* data, size_t length) {
    return CGameConnection::ReportNotifyFailure(id, data, length);
}

table_protocol::RequestHead CMahjongConnection::MakeRequestHead() {
    return {};
}

int CMahjongConnection::SendGameRequest(uint32_t requestId, std::span<const uint8_t> body, int wait,
                                        uint32_t& result, std::vector<uint8_t>& reply) {
    std::string text;
    return ProcessRequest(text, requestId, body, result, reply, wait);
}

int CMahjongConnection::SendOperation(uint32_t requestId, table_protocol::OperationRecord record,
                                      uint32_t& result, std::vector<uint8_t>& reply) {
    record.head = MakeRequestHead();
    return SendGameRequest(requestId, table_protocol::WriteTableRecord(record), 1, result, reply);
}

int CMahjongConnection::SendDiscardRequest(int32_t, uint32_t&) {
    return 0;
}
int CMahjongConnection::SendRequest229000(table_protocol::DrawReply&, uint32_t&,
                                          std::vector<uint8_t>&) {
    return 0;
}
int CMahjongConnection::SendHuaRequest(int32_t, table_protocol::DrawReply&, uint32_t&) {
    return 0;
}
int CMahjongConnection::SendHuClaimRequest(int32_t, int32_t, int32_t, int32_t, uint32_t&) {
    return 0;
}
int CMahjongConnection::SendChiClaimRequest(int32_t, int32_t, int32_t, int32_t, uint32_t&) {
    return 0;
}
int CMahjongConnection::SendPassRequest(int32_t, int32_t) {
    return 0;
}
int CMahjongConnection::SendGangQuery(int32_t, int32_t, int32_t, const std::array<int32_t, 3>&,
                                      table_protocol::GangQueryReply&, uint32_t&) {
    return 0;
}
int CMahjongConnection::SendLookCardAsk(int32_t) {
    return 0;
}
int CMahjongConnection::SendWaited(uint32_t, std::span<const uint8_t>, uint32_t&) {
    return 0;
}
