#pragma once
// The human's side of the table server's wire for tests: zep's game
// channel (greeting, CRCs, key block 2) with an owner thread that collects
// the server's notifications.

#include <cstdint>
#include <span>
#include <vector>

#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/zep/SocketTestSupport.h"
#include "zep/GameChannelSocket.h"

namespace servertest {

// The body of a record that names the seat by its user, room, table and
// chair, the rest left zero.
template <class SeatRecord>
std::vector<uint8_t> SeatRecordBody(const table_protocol::RequestHead& seat) {
    SeatRecord record;
    record.userId = seat.userId;
    record.roomId = seat.roomId;
    record.tableNo = seat.tableNo;
    record.chairNo = seat.chair;
    std::vector<uint8_t> body(SeatRecord::kSize);
    WriteRecord(record, body);
    return body;
}

// The body of the entry request (200110) for the seat.
inline std::vector<uint8_t> EnterBody(const table_protocol::RequestHead& seat) {
    return SeatRecordBody<frame_requests::EnterRecord>(seat);
}

// The body of the leave requests (201125, 201120) for the seat's own user.
inline std::vector<uint8_t> LeaveBody(const table_protocol::RequestHead& seat) {
    return SeatRecordBody<frame_requests::LeaveRecord>(seat);
}

// The body of the requests that carry the request head alone (201160,
// 201130).
inline std::vector<uint8_t> HeadBody(const table_protocol::RequestHead& seat) {
    frame_requests::HeadOnlyRecord record;
    record.head = {seat.userId, seat.roomId, seat.tableNo, seat.chair};
    std::vector<uint8_t> body(frame_requests::HeadOnlyRecord::kSize);
    WriteRecord(record, body);
    return body;
}

struct Answer {
    uint32_t code = 0;
    std::vector<uint8_t> data;
};

class WirePlayer {
public:
    WirePlayer() : channel_(nullptr, 0, 0, 0) {
        zeptest::RegisterSocketWindowClass();
        channel_.SelectTransformKey(2, 0x100, 0);
    }
    ~WirePlayer() { channel_.Close(); }
    WirePlayer(const WirePlayer&) = delete;
    WirePlayer& operator=(const WirePlayer&) = delete;

    bool Connect(uint16_t port) {
        ZepConnectParams params;
        params.host = "127.0.0.1";
        params.port = port;
        params.connectSeconds = 10;
        params.ownerThread = owner_.Id();
        params.greeting = GetGameChannelGreeting();
        params.greetingLength = GetGameChannelGreetingLength() + 1;
        params.waitMs = 10000;
        return channel_.ConnectNew(params) == 1;
    }
    void Close() { channel_.Close(); }

    // A waited request: false when no reply came within timeoutMs.
    bool Ask(uint32_t id, std::span<const uint8_t> body, Answer& answer,
             uint32_t timeoutMs = 10000) {
        ZepMessage reply;
        return Send(id, body, 1, &reply, timeoutMs) && Take(reply, answer);
    }
    // A request nobody waits for.
    bool Tell(uint32_t id, std::span<const uint8_t> body) { return Send(id, body, 0, nullptr, 0); }

    // The ids of the notifications that came so far, once n came (bounded).
    std::vector<zeptest::Delivered> Notifications(size_t atLeast = 0) {
        owner_.WaitFor(atLeast);
        owner_.Flush();
        return owner_.Received();
    }
    // The notifications from the first'th on, once count came in all.
    std::vector<zeptest::Delivered> NotificationsFrom(size_t first, size_t count) {
        owner_.WaitFor(count);
        owner_.Flush();
        return owner_.ReceivedFrom(first);
    }

    // Lets go of the notifications before the n'th (the taken ones).
    void Forget(size_t n) { owner_.Forget(n); }

private:
    bool Send(uint32_t id, std::span<const uint8_t> body, uint32_t callerWord, ZepMessage* reply,
              uint32_t timeoutMs) {
        ZepDeliveryInfo descriptor;
        descriptor.socket = static_cast<uint32_t>(channel_.GetSocket());
        descriptor.callerWord = callerWord;
        ZepMessage request;
        request.SetCode(id);
        request.SetData(body.data(), static_cast<uint32_t>(body.size()));
        int timedOut = 0;
        return channel_.SendRequest(descriptor, request, reply, &timedOut, timeoutMs, 0, 0, 1,
                                    nullptr, 0) == 1;
    }
    static bool Take(const ZepMessage& reply, Answer& answer) {
        answer.code = reply.Code();
        answer.data.assign(reply.data, reply.data + reply.length);
        return true;
    }

    CGameChannelSocket channel_;
    zeptest::OwnerThread owner_;
};

}  // namespace servertest
