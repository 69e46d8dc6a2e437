#pragma once
// The mahjong layer's connection: the frame's connection with the game's
// time-outs, its failure log and the table-play requests, each built from
// the application's head (user, room, table, own chair) through the
// protocol header's writer.
//
// Rules:
//  - Ids up to 220000 are the frame's and take its path unchanged.
//  - A game request sent without waiting counts as sent (1) whatever the
//    send did; a waited one that failed logs one line and answers 0.
//  - A waited request hands back the result code and the reply bytes; the
//    caller judges the code (10 done, 210050 held, 10100 refused, ...).
//  - A reply is read only as far as it reaches (missing words read 0; a
//    draw reply too short for its tile reads no tile, -1).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "frame/net/GameConnection.h"
#include "mahjong_client/TableProtocol.h"

class CMahjongConnection : public CGameConnection {
public:
    static constexpr uint32_t kGameRequestSeconds = 5;

    using CGameConnection::CGameConnection;

    // 5 seconds for every game request; the frame's table for the others.
    uint32_t GetRequestTimeout(uint32_t requestId) override;
    int ProcessRequest(std::string& text, uint32_t requestId, std::span<const uint8_t> body,
                       uint32_t& result, std::vector<uint8_t>& reply, int wait) override;
    // The frame's 201162 report; for a failed 229500 it carries the
    // notification's status code (its word 2, when there) in place of 0.
    int ReportNotifyFailure(int32_t id, const void* data, size_t length) override;

    // --- Play requests ---
    // The head of every play request from the application (zeros without one).
    virtual table_protocol::RequestHead MakeRequestHead();
    // Any game request; with wait the reply and result come back.
    virtual int SendGameRequest(uint32_t requestId, std::span<const uint8_t> body, int wait,
                                uint32_t& result, std::vector<uint8_t>& reply);
    // Any game request; with wait a reply that came goes to the
    // application's notification handler as a 229500 status record. A
    // record the handler refuses is reported as a failed notification; the
    // reply is freed here, once, either way. The send's result.
    virtual int SendGameRequestAndReport(uint32_t requestId, std::span<const uint8_t> body,
                                         int wait);
    // A request with the 64-byte operation record as body (head filled here).
    virtual int SendOperation(uint32_t requestId, table_protocol::OperationRecord record,
                              uint32_t& result, std::vector<uint8_t>& reply);
    // 222080: throws the tile.
    virtual int SendDiscardRequest(int32_t tile, uint32_t& result);
    // 229000: the own draw; the reply's front in `draw`, its bytes in `reply`.
    virtual int SendRequest229000(table_protocol::DrawReply& draw, uint32_t& result,
                                  std::vector<uint8_t>& reply);
    // 229060: lays a flower aside; the replacement in `draw`.
    virtual int SendHuaRequest(int32_t tile, table_protocol::DrawReply& draw, uint32_t& result);
    // 229030.
    virtual int SendHuClaimRequest(int32_t offerChair, int32_t tile, int32_t huKind,
                                   int32_t robbedKongKind, uint32_t& result);
    // 229020 with the two own tiles.
    virtual int SendChiClaimRequest(int32_t thrower, int32_t tile, int32_t first, int32_t second,
                                    uint32_t& result);
    // 229040, sent without waiting.
    virtual int SendPassRequest(int32_t offerChair, int32_t tile);
    // 229015: kind kGangOnThrownTile or kGangOwn; each chair's options come
    // back in `answer`.
    virtual int SendGangQuery(int32_t kind, int32_t offerChair, int32_t tile,
                              const std::array<int32_t, 3>& handTiles,
                              table_protocol::GangQueryReply& answer, uint32_t& result);
    // 229550, sent without waiting: asks to see the chair's hand.
    virtual int SendLookCardAsk(int32_t watchedChair);

private:
    // Hands a waited request's reply to the notification handler as 229500.
    void PassReplyToHandler(std::span<const uint8_t> reply);
    // Sends a waited request whose reply only its result matters.
    int SendWaited(uint32_t requestId, std::span<const uint8_t> body, uint32_t& result);
    int SendUnwaited(uint32_t requestId, std::span<const uint8_t> body);
    // Sends a waited request and reads its reply into `out` (made afresh).
    template <class Reply>
    int SendAndRead(uint32_t requestId, std::span<const uint8_t> body, uint32_t& result,
                    std::vector<uint8_t>& reply, Reply& out);
};
