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
inline constexpr uint32_t kRequest201140 = 201140;
inline constexpr uint32_t kSilverCheck = 201165;
inline constexpr uint32_t kSilverRewardClaim = 201303;
inline constexpr uint32_t kStartGame = 201160;
inline constexpr uint32_t kRoundRequest = 201161;
inline constexpr uint32_t kRequest201210 = 201210;
inline constexpr uint32_t kChatText = 201211;
inline constexpr uint32_t kCallPlayer = 201200;
inline constexpr uint32_t kRequest201180 = 201180;
inline constexpr uint32_t kRequest201221 = 201221;
inline constexpr uint32_t kUserInfo = 201230;
inline constexpr uint32_t kMatchSignUp = 201231;
inline constexpr uint32_t kMatchGiveUp = 201232;
inline constexpr uint32_t kExitRequest = 201212;
inline constexpr uint32_t kExitAnswer = 201213;
inline constexpr uint32_t kLookOnPermission = 229560;
inline constexpr uint32_t kRequest214102 = 214102;
inline constexpr uint32_t kRequest214104 = 214104;
inline constexpr uint32_t kRequest214110 = 214110;
inline constexpr uint32_t kChangeTable = 201300;
inline constexpr uint32_t kRequest201302 = 201302;
inline constexpr uint32_t kQuerySafeBox = 200040;
inline constexpr uint32_t kTransferIntoGame = 200041;
inline constexpr uint32_t kTransferOutOfGame = 200042;
inline constexpr uint32_t kQueryTake = 200043;
inline constexpr uint32_t kWelfareConfig = 214010;
inline constexpr uint32_t kWelfareClaim = 214000;
inline constexpr uint32_t kWelfareRewardClaim = 214001;

// Notifications of the server about the table's players (the exit request
// and its answers come back under their request ids).
inline constexpr uint32_t kPlayerLeaveNotify = 211010;
inline constexpr uint32_t kPlayerEnterNotify = 211011;

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
inline constexpr uint32_t kResultSilverTooLow = 210541;
inline constexpr uint32_t kResultSilverTooHigh = 210542;
inline constexpr uint32_t kResultChangeTooOften = 210550;
inline constexpr uint32_t kResultRequestFailed = 10100;
inline constexpr uint32_t kResultUnsupported = 10000;  // a waited id the server does not take
inline constexpr uint32_t kResultAboveRoomLimit = 229604;
inline constexpr uint32_t kResultBelowRoomLimit = 229603;
inline constexpr uint32_t kResultPlaying = 229601;
inline constexpr uint32_t kResultReady = 229600;
inline constexpr uint32_t kResultNoSilverInGame = 60042;
inline constexpr uint32_t kResultNotEnoughSilver = 60005;
inline constexpr uint32_t kResultBadAnswer = 1011;
inline constexpr uint32_t kResultAnswerLocked = 60029;
inline constexpr uint32_t kResultDailyLimit = 60086;
inline constexpr uint32_t kResultMonthlyLimit = 60095;
inline constexpr uint32_t kResultGiftHands = 60070;
inline constexpr uint32_t kResultGiftMinutes = 60071;
inline constexpr uint32_t kResultGiftKeep = 60092;
inline constexpr uint32_t kResultNoProtection = 60000;

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

// 201130 and the other requests that carry only the head: the head, then
// zeros.
struct QueryInGameRecord {
    static constexpr size_t kSize = 32;
    RequestHead head;
    CarriedBytes<16> zero16{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.zero16);
    }
};

using HeadOnlyRecord = QueryInGameRecord;

// 201303: the claim of a silver reward (no head).
struct SilverRewardClaimRecord {
    static constexpr size_t kSize = 192;
    int32_t userId = 0;
    int32_t gameId = 0;
    int32_t roomId = 0;
    int32_t tableNo = 0;
    int32_t chairNo = 0;
    int32_t zero20 = 0;
    int32_t value = 0;
    TextField<32> machineId{};
    CarriedBytes<132> zero60{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.gameId), f(self.roomId), f(self.tableNo), f(self.chairNo);
        f(self.zero20), f(self.value), f(self.machineId), f(self.zero60);
    }
};

// 201210 and 201211: a chat line of at most 62 bytes.
struct ChatRecord {
    static constexpr size_t kSize = 128;
    RequestHead head;
    TextField<32> machineId{};
    TextField<63> message{};
    CarriedBytes<17> zero111{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.machineId), f(self.message), f(self.zero111);
    }
};

// The head and two words: 201200 (user, chair), 201213 (the two answers of
// the exit-request box), 229560 (looker-on, allowed).
struct HeadPairRecord {
    static constexpr size_t kSize = 40;
    RequestHead head;
    int32_t first = 0;
    int32_t second = 0;
    CarriedBytes<16> zero24{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.first), f(self.second), f(self.zero24);
    }
};

// 201180: the head and one value.
struct HeadValueRecord {
    static constexpr size_t kSize = 36;
    RequestHead head;
    int32_t value = 0;
    CarriedBytes<16> zero20{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.value), f(self.zero20);
    }
};

// 201221: the match request raised when a match begins (no head).
struct MatchBeginRecord {
    static constexpr size_t kSize = 32;
    int32_t userId = 0;
    int32_t matchValue = 0;
    int32_t roomId = 0;
    int32_t requestValue = 0;
    CarriedBytes<16> zero16{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.matchValue), f(self.roomId), f(self.requestValue), f(self.zero16);
    }
};

// 201230: the details of one user (no head).
struct UserInfoQuery {
    static constexpr size_t kSize = 32;
    int32_t roomId = 0;
    int32_t ownUserId = 0;
    int32_t userId = 0;
    CarriedBytes<20> zero12{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.roomId), f(self.ownUserId), f(self.userId), f(self.zero12);
    }
};

// 201231 and 201232: signing up for a match and giving it up (no head).
struct MatchEntryRecord {
    static constexpr size_t kSize = 56;
    int32_t userId = 0;
    int32_t gameId = 0;
    int32_t roomId = 0;
    CarriedBytes<44> zero12{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.gameId), f(self.roomId), f(self.zero12);
    }
};

// 201212: asking the others to let the player leave, with a reason of at
// most 63 bytes.
struct ExitRequestRecord {
    static constexpr size_t kSize = 84;
    static constexpr size_t kReasonBytes = 64;
    RequestHead head;
    int32_t zero16 = 0;
    TextField<kReasonBytes> reason{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.zero16), f(self.reason);
    }
};

// 211010: a player left the table; the exit-agreed flag tells the leaver
// the others let him go.
struct PlayerLeaveNotice {
    static constexpr size_t kSize = 36;
    int32_t userId = 0;
    int32_t chairNo = 0;
    CarriedBytes<20> carried8{};
    int32_t tableNo = 0;
    int32_t exitAgreed = 0;

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.chairNo), f(self.carried8), f(self.tableNo), f(self.exitAgreed);
    }
};

// 214102 and 214104.
struct NamedMachineRecord {
    static constexpr size_t kSize = 428;
    RequestHead head;
    CarriedBytes<12> zero16{};
    TextField<32> userName{};
    TextField<32> machineId{};
    CarriedBytes<336> zero92{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.zero16), f(self.userName), f(self.machineId);
        f(self.zero92);
    }
};

// 214110.
struct NamedValueRecord {
    static constexpr size_t kSize = 380;
    RequestHead head;
    TextField<36> userName{};
    int32_t value = 0;
    CarriedBytes<324> zero56{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.userName), f(self.value), f(self.zero56);
    }
};

// 200041 (into the game) and 200042 (out of the game).
struct TransferRecord {
    static constexpr size_t kSize = 112;
    static constexpr int32_t kIntoGame = 2;
    static constexpr int32_t kOutOfGame = 1;
    int32_t userId = 0;
    int32_t gameId = 0;
    int32_t roomId = 0;
    int32_t tableNo = 0;
    int32_t chairNo = 0;
    int32_t amount = 0;
    int32_t answer = 0;  // the protection password's answer (200041)
    CarriedBytes<20> zero28{};
    TextField<32> machineId{};
    int32_t seatSilver = 0;
    int32_t direction = 0;
    CarriedBytes<24> zero88{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.gameId), f(self.roomId), f(self.tableNo), f(self.chairNo);
        f(self.amount), f(self.answer), f(self.zero28), f(self.machineId), f(self.seatSilver);
        f(self.direction), f(self.zero88);
    }
};

// 200040 and 200043.
struct SafeBoxQuery {
    static constexpr size_t kSize = 76;
    int32_t userId = 0;
    int32_t gameId = 0;
    int32_t zero8 = 0;
    TextField<32> machineId{};
    CarriedBytes<32> zero44{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.gameId), f(self.zero8), f(self.machineId), f(self.zero44);
    }
};

// Replies copied out whole: 200040 (the safe box), 200043 (six words of the
// take), 214010 (the welfare configuration).
inline constexpr size_t kSafeBoxReplySize = 32;
inline constexpr size_t kTakeReplySize = 24;
inline constexpr size_t kWelfareConfigSize = 124;

// 214010.
struct WelfareConfigQuery {
    static constexpr size_t kSize = 320;
    RequestHead head;
    int32_t zero16 = 0;
    int32_t activityId = 0;
    CarriedBytes<296> zero24{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.zero16), f(self.activityId), f(self.zero24);
    }
};

// 214000; WelfareRewardClaimRecord (214001) adds the machine id.
struct WelfareClaimRecord {
    static constexpr size_t kSize = 104;
    RequestHead head;
    TextField<36> userName{};
    int32_t activityId = 0;
    int32_t kind = 0;  // 0 or 1
    CarriedBytes<44> zero60{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.userName), f(self.activityId), f(self.kind);
        f(self.zero60);
    }
};

struct WelfareRewardClaimRecord {
    static constexpr size_t kSize = 136;
    RequestHead head;
    TextField<36> userName{};
    int32_t activityId = 0;
    int32_t kind = 0;
    CarriedBytes<12> zero60{};
    TextField<32> machineId{};
    CarriedBytes<32> zero104{};

    static constexpr void Fields(auto& self, auto& f) {
        RequestHead::Fields(self.head, f), f(self.userName), f(self.activityId), f(self.kind);
        f(self.zero60), f(self.machineId), f(self.zero104);
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
    int32_t notifyData = 0;  // a data word the game reports; 0 in the frame
    int32_t notifyLength = 0;
    int32_t tick = 0;
    int32_t lastId = 0;  // the last notification handled whole
    int32_t lastData = 0;
    int32_t lastLength = 0;
    int32_t lastTick = 0;
    CarriedBytes<76> zero52{};

    static constexpr void Fields(auto& self, auto& f) {
        f(self.userId), f(self.roomId), f(self.tableNo), f(self.tableNo2), f(self.lookOn);
        f(self.notifyId), f(self.notifyData), f(self.notifyLength), f(self.tick), f(self.lastId);
        f(self.lastData), f(self.lastLength), f(self.lastTick), f(self.zero52);
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

static_assert(RequestHead::kSize == 16 && RecordFieldBytes<RequestHead>() == 16);
static_assert(RecordFieldBytes<EnterRecord>() == 108);
static_assert(RecordFieldBytes<MatchLoginRecord>() == 176);
static_assert(RecordFieldBytes<LeaveRecord>() == 96);
static_assert(RecordFieldBytes<TransferRecord>() == 112);
static_assert(RecordFieldBytes<SafeBoxQuery>() == 76);
static_assert(RecordFieldBytes<WelfareClaimRecord>() == 104);
static_assert(RecordFieldBytes<WelfareRewardClaimRecord>() == 136);
static_assert(RecordFieldBytes<SilverRewardClaimRecord>() == 192);
static_assert(RecordFieldBytes<NotifyFailureRecord>() == 128);
static_assert(RecordFieldBytes<ExitRequestRecord>() == 84);
static_assert(RecordFieldBytes<PlayerLeaveNotice>() == 36);
static_assert(RecordFieldBytes<NamedMachineRecord>() == 428);
static_assert(RecordFieldBytes<NamedValueRecord>() == 380);
static_assert(RecordFieldBytes<WelfareConfigQuery>() == 320);
static_assert(RecordFieldBytes<ChatRecord>() == 128);
static_assert(RecordFieldBytes<HeadPairRecord>() == 40);
static_assert(RecordFieldBytes<HeadValueRecord>() == 36);
static_assert(RecordFieldBytes<MatchBeginRecord>() == 32);
static_assert(RecordFieldBytes<UserInfoQuery>() == 32);
static_assert(RecordFieldBytes<MatchEntryRecord>() == 56);
static_assert(RecordFieldBytes<HeadOnlyRecord>() == 32);

}  // namespace frame_requests
