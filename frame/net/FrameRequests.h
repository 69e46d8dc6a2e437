#pragma once
// The frame's requests to the game server: their ids, the result codes the
// client tells apart, and the bodies and replies as records. The client
// writes and reads them here, and the loopback test server answers from the
// same definitions, so the two cannot drift apart. docs/protocol.md
// describes the same messages in prose.
//
// Rules:
//  - Bodies are zeroed, then filled field by field (little-endian words,
//    texts cut and zero-terminated inside their field).
//  - Replies are read only as far as they reach: a record copied out of a
//    reply takes min(length, size) bytes into zeroed storage.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "frame/RecordFields.h"

namespace frame_requests {

// Request ids.
inline constexpr uint32_t kEnterGame = 200110;
inline constexpr uint32_t kCheckVersion = 201001;
inline constexpr uint32_t kReportNetStats = 201020;
inline constexpr uint32_t kLeaveTable = 201120;
inline constexpr uint32_t kLeaveGame = 201125;
inline constexpr uint32_t kQueryInGame = 201130;
inline constexpr uint32_t kReportNotifyFailure = 201162;
inline constexpr uint32_t kMatchLogin = 201220;
inline constexpr uint32_t kGetActiveConfig = 201308;

// Result codes.
inline constexpr uint32_t kResultOk = 10;
inline constexpr uint32_t kResultRefusedWithText = 60031;
inline constexpr uint32_t kResultTimedOut = 1030;      // set by the client
inline constexpr uint32_t kResultNotConnected = 1031;  // set by the client
inline constexpr uint32_t kResultGameRunning = 210030;
inline constexpr uint32_t kResultEntered = 210200;
inline constexpr uint32_t kResultEnteredPlaying = 210210;
inline constexpr uint32_t kResultEnteredLookingOn = 210220;
inline constexpr uint32_t kResultWaitForResult = 210087;
inline constexpr uint32_t kResultMustWaitSeconds = 210085;
inline constexpr uint32_t kResultKeepPlaying = 210086;
inline constexpr uint32_t kResultMatchInfo = 210500;
inline constexpr uint32_t kResultMatchQuit = 210530;

// Reply sizes the server sends and the client keeps.
inline constexpr size_t kEnterReplySize = 1096;        // 210200: the table's status block
inline constexpr size_t kMatchInfoReplySize = 82 * 4;  // 210500: player words, match words

// The start of most bodies.
struct RequestHead {
    static constexpr size_t kSize = 16;
    int32_t userId = 0;
    int32_t roomId = 0;
    int32_t tableNo = 0;
    int32_t chairNo = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.roomId), f(self.tableNo), f(self.chairNo);
    }
};

// 201130: the head, then zeros.
struct QueryInGameRecord {
    static constexpr size_t kSize = 32;
    RequestHead head;
    CarriedBytes<16> zero16{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.zero16);
    }
};

// 200110: the enter record; the server player form follows it (136 bytes)
// only in rooms that ask for it.
struct EnterRecord {
    static constexpr size_t kSize = 108;
    static constexpr size_t kExtensionSize = 136;
    int32_t userId = 0;
    int32_t userFlags = 0;
    int32_t gameId = 0;
    int32_t roomId = 0;
    int32_t tableNo = 0;
    int32_t chairNo = 0;
    TextField<32> machineId{};
    int32_t lookOn = 0;
    CarriedBytes<12> zero60{};
    int32_t quickCatch = 0;
    CarriedBytes<12> zero76{};
    int32_t requestValue = 0;
    CarriedBytes<16> zero92{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.userFlags), f(self.gameId), f(self.roomId), f(self.tableNo);
        f(self.chairNo), f(self.machineId), f(self.lookOn), f(self.zero60), f(self.quickCatch);
        f(self.zero76), f(self.requestValue), f(self.zero92);
    }
};

// 201220.
struct MatchLoginRecord {
    static constexpr size_t kSize = 176;
    int32_t userId = 0;
    int32_t userFlags = 0;
    int32_t gameId = 0;
    int32_t matchValue = 0;
    int32_t roomId = 0;
    int32_t tableNo = 0;
    int32_t chairNo = 0;
    TextField<32> machineId{};
    int32_t lookOn = 0;
    int32_t loginValue = 0;
    int32_t requestValue = 0;
    CarriedBytes<104> zero72{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.userFlags), f(self.gameId), f(self.matchValue), f(self.roomId);
        f(self.tableNo), f(self.chairNo), f(self.machineId), f(self.lookOn), f(self.loginValue);
        f(self.requestValue), f(self.zero72);
    }
};

// 201120 and 201125, for user u at chair c.
struct LeaveRecord {
    static constexpr size_t kSize = 96;
    int32_t userId = 0;
    int32_t roomId = 0;
    int32_t tableNo = 0;
    int32_t chairNo = 0;
    int32_t otherUser = 0;  // 1 when u is not the own user
    int32_t ownTableNo = 0;
    int32_t ownChairNo = 0;
    int32_t ownUserId = 0;
    TextField<32> machineId{};
    CarriedBytes<32> zero64{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.roomId), f(self.tableNo), f(self.chairNo), f(self.otherUser);
        f(self.ownTableNo), f(self.ownChairNo), f(self.ownUserId), f(self.machineId);
        f(self.zero64);
    }
};

// 201020: the response times since the last report, each at most 60000 ms.
struct NetStatsRecord {
    static constexpr size_t kSize = 16;
    static constexpr int32_t kMaxMs = 60000;
    int32_t userId = 0;
    int32_t averageMs = 0;
    int32_t longestMs = 0;
    int32_t zero12 = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.averageMs), f(self.longestMs), f(self.zero12);
    }
};

// 201162: a notification the client could not handle.
struct NotifyFailureRecord {
    static constexpr size_t kSize = 128;
    int32_t userId = 0;
    int32_t roomId = 0;
    int32_t tableNo = 0;
    int32_t tableNo2 = 0;
    int32_t lookOn = 0;
    int32_t notifyId = 0;
    int32_t zero24 = 0;  // no pointer travels
    int32_t notifyLength = 0;
    int32_t tick = 0;
    int32_t lastId = 0;  // the last notification handled whole
    int32_t zero40 = 0;
    int32_t lastLength = 0;
    int32_t lastTick = 0;
    CarriedBytes<76> zero52{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.roomId), f(self.tableNo), f(self.tableNo2), f(self.lookOn);
        f(self.notifyId), f(self.zero24), f(self.notifyLength), f(self.tick), f(self.lastId);
        f(self.zero40), f(self.lastLength), f(self.lastTick), f(self.zero52);
    }
};

// The 201001 reply: the server's version pair and five words of its own.
struct VersionReply {
    static constexpr size_t kSize = 28;
    static constexpr size_t kMinSize = 8;  // shorter replies carry no version
    int32_t version = 0;
    int32_t subVersion = 0;
    WordArray<5> rest{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.version), f(self.subVersion), f(self.rest);
    }
};

// The 201308 reply: the active-configuration flag and up to ten side-panel
// links, their indices and a text "WxH!URL|WxH!URL|...".
struct ActiveConfigBlock {
    static constexpr size_t kSize = 1104;
    static constexpr int kMaxEntries = 10;
    int32_t flag = 0;
    int32_t count = 0;
    WordArray<kMaxEntries> linkIndex{};
    TextField<1056> text{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.flag), f(self.count), f(self.linkIndex), f(self.text);
    }
};

// The record read from the front of a reply as far as the reply reaches;
// missing bytes read as zero.
template <class Record>
Record ReadPartialRecord(std::span<const uint8_t> reply) {
    std::array<uint8_t, Record::kSize> bytes{};
    const size_t n = reply.size() < bytes.size() ? reply.size() : bytes.size();
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = reply[i];
    }
    Record record{};
    ReadRecord(std::span<const uint8_t>(bytes), record);
    return record;
}

}  // namespace frame_requests
