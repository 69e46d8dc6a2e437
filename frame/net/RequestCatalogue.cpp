// The game connection's senders that the frame's panels, dialogs and game
// view call while a table runs: silver checks, table changes, chat, match
// sign-up, exit requests, the safe box and the welfare claims.

#include <algorithm>
#include <cstdio>

#include "frame/FrameFunctions.h"
#include "frame/GameFrameApp.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "frame/net/RequestHelpers.h"
#include "zep/ZepLog.h"

using namespace frame_requests;
using namespace request_helpers;

namespace {

constexpr char kTextNoSilverInGame[] = "系统禁止在【%s】里存放银子。";
constexpr char kTextAboveRoomLimit[] = "高于房间最高银子限制【%d两】。";

struct CodeText {
    uint32_t result;
    const char* text;
};

constexpr CodeText kErrorTexts[] = {
    {60017, "该功能暂不支持。"},
    {60019, "非常抱歉，系统正在维护中，请稍候再操作。"},
    {60023, "请求失败，请您重新登录大厅进行身份验证。"},
    {60027, "请求失败，请您重新登录大厅进行身份验证。"},
    {60038, "密码位数不正确。"},
    {60039, "请先登录游戏大厅。"},
    {60040, "对不起，此房间已关闭，请到别的房间。"},
    {60050, "该房间暂时关闭，请换一个房间。"},
    {60078, "房间未开放。"},
    {60087, "服务器繁忙！"},
    {60101, "帐户已被禁用，请与管理员联系。"},
};

constexpr CodeText kResponseTexts[] = {
    {1000, "对象不存在。"},
    {1001, "对象已存在。"},
    {1010, "请求处理失败。"},
    {1011, "无效的参数。"},
    {1020, "密码错误。"},
    {kResultUnsupported, "不支持的请求。"},
    {60017, "该功能暂不支持。"},
    {60019, "非常抱歉，系统正在维护中，请稍候再操作。"},
    {60021, "密码太简单，容易被盗号，请换一个密码。"},
    {60023, "与服务器连接已经断开。"},
    {60027, "请求失败，请您重新登录大厅进行身份验证。"},
    {60035, "没有许可！"},
    {60038, "密码位数不正确。"},
    {60039, "请先登录游戏大厅。"},
    {60040, "对不起，此房间已关闭，请到别的房间。"},
    {60043, "用户名位数不正确。"},
    {60050, "该房间暂时关闭，请换一个房间。"},
    {60060, "身份证号码无效，请准确输入您本人的身份证号码。"},
    {60061, "真实姓名无效，请准确输入您本人的真实姓名。"},
    {60078, "房间未开放。"},
    {60087, "服务器繁忙！"},
    {60101, "帐户已被禁用，请与管理员联系。"},
};

const char* FindText(std::span<const CodeText> table, uint32_t result) {
    for (const CodeText& entry : table) {
        if (entry.result == result) {
            return entry.text;
        }
    }
    return nullptr;
}

// printf into a string; the formats are the program's own.
template <class... Args>
std::string Format(const char* format, Args... args) {
    char text[512] = {};
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Two little-endian 64-bit values at the front of the reply; false when the
// reply does not hold both.
bool ReadPair64(std::span<const uint8_t> reply, int64_t& first, int64_t& second) {
    if (reply.size() < 16) {
        return false;
    }
    auto at = [&](size_t offset) {
        const uint32_t low = static_cast<uint32_t>(WordAt(reply, offset));
        const uint32_t high = static_cast<uint32_t>(WordAt(reply, offset + 4));
        return static_cast<int64_t>((uint64_t{high} << 32) | low);
    };
    first = at(0);
    second = at(8);
    return true;
}

// a - b, held to the 64-bit range (both come from outside).
int64_t SaturatedDifference(int64_t a, int64_t b) {
    int64_t difference = 0;
    if (__builtin_sub_overflow(a, b, &difference)) {
        return b < 0 ? INT64_MAX : INT64_MIN;
    }
    return difference;
}

// Two words at the front of the reply; false when the reply does not hold
// both.
bool ReadPair32(std::span<const uint8_t> reply, int32_t& first, int32_t& second) {
    return ReadWordAt(reply, 0, first) && ReadWordAt(reply, 4, second);
}

TransferRecord TransferRecordOf(const CGameFrameApp& app, int32_t amount, int32_t answer,
                                int32_t direction) {
    TransferRecord record;
    record.userId = app.GetUserID();
    record.gameId = app.GetGameID();
    record.roomId = app.GetRoomID();
    record.tableNo = app.GetTableNo();
    record.chairNo = app.GetMyChairNo();
    record.amount = amount;
    record.answer = answer;
    SetFieldText(record.machineId, GetMachineUniqueID());
    if (const UserRecord* own = OwnUserOf(&app)) {
        record.seatSilver = own->silver;
    }
    record.direction = direction;
    return record;
}

SafeBoxQuery SafeBoxQueryOf(const CGameFrameApp& app) {
    SafeBoxQuery record;
    record.userId = app.GetUserID();
    record.gameId = app.GetGameID();
    SetFieldText(record.machineId, GetMachineUniqueID());
    return record;
}

}  // namespace

int CGameConnection::SendAndWait(std::string& text, uint32_t requestId,
                                 std::span<const uint8_t> body, uint32_t& result,
                                 std::vector<uint8_t>& reply) {
    return ProcessRequest(text, requestId, body, result, reply, 1);
}

int CGameConnection::SendHeadAndWait(std::string& text, uint32_t requestId, uint32_t& result,
                                     std::vector<uint8_t>& reply) {
    HeadOnlyRecord record;
    if (CGameFrameApp* app = GetApp()) {
        record.head = HeadOf(*app);
    }
    return SendAndWait(text, requestId, BodyOf(record), result, reply);
}

int CGameConnection::SendHeadOnly(uint32_t requestId) {
    CGameFrameApp* app = GetApp();
    HeadOnlyRecord record;
    if (app != nullptr) {
        record.head = HeadOf(*app);
    }
    return SendWithoutWait(requestId, BodyOf(record));
}

int CGameConnection::Request201140() {
    CGameFrameApp* app = GetApp();
    if (app == nullptr) {
        return 0;
    }
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!SendHeadAndWait(text, kRequest201140, result, reply) || result != kResultOk ||
        reply.empty()) {
        return 0;
    }
    CopyBounded(reply, app->GetTableReplyBuffer(), "201140 reply");
    return 1;
}

int CGameConnection::JudgeSilverCheck(uint32_t result, std::span<const uint8_t> reply) {
    CGameFrameApp* app = GetApp();
    switch (result) {
        case kResultSilverTooLow:
            app->OnSilverTooLow(reply);
            return 0;
        case kResultSilverTooHigh:
            app->OnSilverTooHigh(reply);
            return 0;
        case kResultOk:
            if (auto* watch = dynamic_cast<CIdleKickWatch*>(app->GetGameView())) {
                watch->CancelIdleKick();
            }
            return 1;
        default:
            return 0;
    }
}

int CGameConnection::RequestSilverCheck(std::string& text) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr) {
        return 0;
    }
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!SendHeadAndWait(text, kSilverCheck, result, reply)) {
        return 0;
    }
    return JudgeSilverCheck(result, reply);
}

int CGameConnection::SendSilverRewardClaim(std::string& text, int32_t value) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr || value < 0) {
        return 0;
    }
    text.clear();
    SilverRewardClaimRecord record;
    record.userId = app->GetUserID();
    record.gameId = app->GetGameID();
    record.roomId = app->GetRoomID();
    record.tableNo = app->GetTableNo();
    record.chairNo = app->GetMyChairNo();
    record.value = value;
    SetFieldText(record.machineId, GetMachineUniqueID());
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!SendAndWait(text, kSilverRewardClaim, BodyOf(record), result, reply)) {
        return 0;
    }
    switch (result) {
        case kResultOk:
            return 1;
        case kResultRequestFailed:
            text = "请求处理失败。";
            return 0;
        case kResultAboveRoomLimit:
            text = Format(kTextAboveRoomLimit, WordAt(reply, 0));
            return 0;
        case kResultNoSilverInGame:
            text = Format(kTextNoSilverInGame, app->GetGameName().c_str());
            return 0;
        default:
            GetResponseText(text, result);
            return 0;
    }
}

int CGameConnection::StartGame(std::string& text) {
    text.clear();
    return SendHeadOnly(kStartGame);
}

int CGameConnection::RoundRequest(std::string& text) {
    text.clear();
    return SendHeadOnly(kRoundRequest);
}

int CGameConnection::SendChatRecord(uint32_t requestId, std::string_view message) {
    ChatRecord record;
    if (CGameFrameApp* app = GetApp()) {
        record.head = HeadOf(*app);
    }
    SetFieldText(record.machineId, GetMachineUniqueID());
    SetFieldText(record.message, message);
    return SendWithoutWait(requestId, BodyOf(record));
}

int CGameConnection::Request201210(std::string_view message) {
    return SendChatRecord(kRequest201210, message);
}

int CGameConnection::SendChatText(std::string_view message) {
    return SendChatRecord(kChatText, message);
}

int CGameConnection::SendHeadPair(uint32_t requestId, int32_t first, int32_t second) {
    HeadPairRecord record;
    if (CGameFrameApp* app = GetApp()) {
        record.head = HeadOf(*app);
    }
    record.first = first;
    record.second = second;
    return SendWithoutWait(requestId, BodyOf(record));
}

int CGameConnection::CallPlayer(int32_t userId) {
    CGameFrameApp* app = GetApp();
    return SendHeadPair(kCallPlayer, userId, app != nullptr ? app->GetUserChairNo(userId) : -1);
}

int CGameConnection::Request201180(int32_t value) {
    HeadValueRecord record;
    if (CGameFrameApp* app = GetApp()) {
        record.head = HeadOf(*app);
    }
    record.value = value;
    return SendWithoutWait(kRequest201180, BodyOf(record));
}

int CGameConnection::Request201221() {
    MatchBeginRecord record;
    if (CGameFrameApp* app = GetApp()) {
        record.userId = app->GetUserID();
        record.matchValue = app->GetMatchValue();
        record.roomId = app->GetRoomID();
        record.requestValue = app->GetRoomRequestValue();
    }
    return SendWithoutWait(kRequest201221, BodyOf(record));
}

int CGameConnection::RequestUserInfo(int32_t userId) {
    UserInfoQuery record;
    if (CGameFrameApp* app = GetApp()) {
        record.roomId = app->GetRoomID();
        record.ownUserId = app->GetUserID();
    }
    record.userId = userId;
    return SendWithoutWait(kUserInfo, BodyOf(record));
}

int CGameConnection::SendMatchEntry(uint32_t requestId) {
    MatchEntryRecord record;
    if (CGameFrameApp* app = GetApp()) {
        record.userId = app->GetUserID();
        record.gameId = app->GetGameID();
        record.roomId = app->GetRoomID();
    }
    return SendWithoutWait(requestId, BodyOf(record));
}

int CGameConnection::MatchSignUp() {
    return SendMatchEntry(kMatchSignUp);
}

int CGameConnection::MatchGiveUp() {
    return SendMatchEntry(kMatchGiveUp);
}

int CGameConnection::RequestExit(std::string_view reason) {
    ExitRequestRecord record;
    if (CGameFrameApp* app = GetApp()) {
        record.head = HeadOf(*app);
    }
    SetFieldText(record.reason, reason);
    return SendWithoutWait(kExitRequest, BodyOf(record));
}

int CGameConnection::AnswerExitRequest(int32_t a, int32_t b) {
    return SendHeadPair(kExitAnswer, a, b);
}

int CGameConnection::SetLookOnPermission(int32_t userId, int32_t allow) {
    return SendHeadPair(kLookOnPermission, userId, allow);
}

int CGameConnection::SendNamedMachine(uint32_t requestId) {
    NamedMachineRecord record;
    if (CGameFrameApp* app = GetApp()) {
        record.head = HeadOf(*app);
        SetFieldText(record.userName, app->GetUserName(app->GetUserID()));
    }
    SetFieldText(record.machineId, GetMachineUniqueID());
    SendWithoutWait(requestId, BodyOf(record));
    return 1;
}

int CGameConnection::Request214102() {
    return SendNamedMachine(kRequest214102);
}

int CGameConnection::Request214104() {
    return SendNamedMachine(kRequest214104);
}

int CGameConnection::Request214110(int32_t value) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr) {
        return 0;
    }
    NamedValueRecord record;
    record.head = HeadOf(*app);
    SetFieldText(record.userName, app->GetUserName(app->GetUserID()));
    record.value = value;
    return SendWithoutWait(kRequest214110, BodyOf(record));
}

int CGameConnection::ChangeTable(std::string& text) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr || app->IsLookOn()) {
        return 0;
    }
    text.clear();
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!SendHeadAndWait(text, kChangeTable, result, reply)) {
        return 0;
    }
    if (result == kResultChangeTooOften) {
        app->AppendChatText(" <z=qe系统通知> <c=255>您的换桌操作过于频繁，请稍等片刻!\r\n");
        return 0;
    }
    return result == kResultOk ? 1 : 0;
}

int CGameConnection::Request201302(std::string& text) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr || app->IsLookOn() || !app->IsNoForcedExitRoom() || !app->IsRoomFlag128()) {
        return 0;
    }
    text.clear();
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!SendHeadAndWait(text, kRequest201302, result, reply)) {
        return 0;
    }
    return JudgeSilverCheck(result, reply);
}

int CGameConnection::QuerySafeBox(std::string& text, std::span<uint8_t> out) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr || app->IsLookOn()) {
        return 0;
    }
    text.clear();
    const SafeBoxQuery record = SafeBoxQueryOf(*app);
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!SendAndWait(text, kQuerySafeBox, BodyOf(record), result, reply)) {
        return 0;
    }
    if (result == kResultOk && !reply.empty()) {
        CopyBounded(
            std::span<const uint8_t>(reply).first(std::min(reply.size(), kSafeBoxReplySize)), out,
            "safe box reply");
        return 1;
    }
    GetErrorText(text, result);
    return 0;
}

int CGameConnection::TransferIntoGame(std::string& text, int32_t amount, int32_t answer) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr || !app->CanUseSafeBoxInGame()) {
        return 0;
    }
    text.clear();
    const TransferRecord record = TransferRecordOf(*app, amount, answer, TransferRecord::kIntoGame);
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!SendAndWait(text, kTransferIntoGame, BodyOf(record), result, reply)) {
        return 0;
    }
    const std::string game = app->GetGameName();
    switch (result) {
        case kResultOk:
            text = "银子已经成功划入您指定的游戏。";
            return 1;
        case kResultNoSilverInGame:
            text = Format(kTextNoSilverInGame, game.c_str());
            return 0;
        case kResultNotEnoughSilver:
            text = "您的保险箱里的银子不够。";
            return 0;
        case kResultBadAnswer:
            text = "保护密码计算结果错误。";
            return 0;
        case kResultPlaying:
            text = "正在玩的游戏不能划帐。";
            return 0;
        case kResultReady:
            text = "已经准备的游戏不能划帐。";
            return 0;
        case kResultAboveRoomLimit:
            text = Format(kTextAboveRoomLimit, WordAt(reply, 0));
            return 0;
        case kResultAnswerLocked:
            text = "由于您连续的保护密码计算结果错误,系统禁止您在这段时间内取银子。";
            return 0;
        case kResultDailyLimit: {
            int32_t used = 0;
            int32_t limit = 0;
            if (!ReadPair32(reply, used, limit)) {
                break;
            }
            const int64_t left = int64_t{limit} - used;
            text = left < 1 ? Format(
                                  "系统限定每日划入【%s】不能超过%d两，\r\n今天您已经超限，"
                                  "到明天才能划银。",
                                  game.c_str(), limit)
                            : Format(
                                  "系统限定每日划入【%s】不能超过%d两，\r\n今天您最多还可以划"
                                  "入%lld两。",
                                  game.c_str(), limit, static_cast<long long>(left));
            return 0;
        }
        case kResultMonthlyLimit: {
            int64_t used = 0;
            int64_t limit = 0;
            if (!ReadPair64(reply, used, limit)) {
                break;
            }
            const int64_t left = SaturatedDifference(limit, used);
            text = left <= 0
                       ? Format(
                             "系统限定每月划入游戏不能超过%lld两，\r\n本月您已经超限，到下个月"
                             "才能划银。",
                             static_cast<long long>(limit))
                       : Format(
                             "系统限定每月划入游戏总额不能超过%lld两，\r\n本月您最多还可以划入%"
                             "lld两。",
                             static_cast<long long>(limit), static_cast<long long>(left));
            return 0;
        }
        default:
            break;
    }
    GetErrorText(text, result);
    return 0;
}

int CGameConnection::TransferOutOfGame(std::string& text, int32_t& amount, uint32_t& result) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr || !app->CanUseSafeBoxInGame()) {
        return 0;
    }
    text.clear();
    const TransferRecord record = TransferRecordOf(*app, amount, 0, TransferRecord::kOutOfGame);
    std::vector<uint8_t> reply;
    result = 0;
    if (!SendAndWait(text, kTransferOutOfGame, BodyOf(record), result, reply)) {
        return 0;
    }
    switch (result) {
        case kResultOk:
            return 1;
        case kResultNoSilverInGame:
            text = Format(kTextNoSilverInGame, app->GetGameName().c_str());
            return 0;
        case kResultNotEnoughSilver:
            text = "您的划帐数额超过现在拥有的金额。";
            return 0;
        case kResultPlaying:
            text = "正在玩的游戏不能划帐。";
            return 0;
        case kResultReady:
            text = "已经准备的游戏不能划帐。";
            return 0;
        case kResultBelowRoomLimit:
            text = Format("低于房间最低银子限制【%d两】。", WordAt(reply, 0));
            return 0;
        case kResultGiftHands:
            text = Format(
                "很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 %d 局才能转出。",
                WordAt(reply, 0));
            return 0;
        case kResultGiftMinutes:
            text = Format(
                "很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 %d 分钟才能转出。",
                WordAt(reply, 0));
            return 0;
        case kResultGiftKeep: {
            int32_t total = 0;
            int32_t keep = 0;
            if (!ReadPair32(reply, total, keep)) {
                break;
            }
            const int32_t allowed = Int32Field(int64_t{total} - keep, FieldOverflow::kHold);
            text = Format(
                "很抱歉，由于您在初次进入游戏房间时获赠了银两,系统只允许你转出%d两。(至少保留%d两)",
                allowed, keep);
            amount = allowed;
            return 0;
        }
        default:
            break;
    }
    GetErrorText(text, result);
    return 0;
}

int CGameConnection::QueryTake(std::string& text, std::span<int32_t> out, uint32_t& result) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr) {
        return 0;
    }
    text.clear();
    const SafeBoxQuery record = SafeBoxQueryOf(*app);
    std::vector<uint8_t> reply;
    result = 0;
    if (!SendAndWait(text, kQueryTake, BodyOf(record), result, reply)) {
        return 0;
    }
    if (result == kResultOk && !reply.empty()) {
        std::fill(out.begin(), out.end(), 0);
        const size_t words = std::min(out.size(), kTakeReplySize / sizeof(int32_t));
        for (size_t i = 0; i < words; ++i) {
            out[i] = WordAt(reply, i * sizeof(int32_t));
        }
        return 1;
    }
    GetErrorText(text, result);
    return 0;
}

void CGameConnection::GetErrorText(std::string& text, uint32_t result) {
    const char* found = FindText(kErrorTexts, result);
    text = found != nullptr ? found : "操作失败！";
}

void CGameConnection::GetResponseText(std::string& text, uint32_t result) {
    if (const char* found = FindText(kResponseTexts, result)) {
        text = found;
    }
}

int CGameConnection::GetWelfareConfig(std::string& text, int32_t activityId,
                                      std::span<uint8_t> out) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr) {
        return 0;
    }
    text.clear();
    WelfareConfigQuery record;
    record.head = HeadOf(*app);
    record.activityId = activityId;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!SendAndWait(text, kWelfareConfig, BodyOf(record), result, reply) || result != kResultOk ||
        reply.empty()) {
        return 0;
    }
    CopyBounded(std::span<const uint8_t>(reply).first(std::min(reply.size(), kWelfareConfigSize)),
                out, "welfare configuration");
    return 1;
}

template <class Record>
int CGameConnection::SendWelfare(std::string& text, uint32_t requestId, int32_t activityId,
                                 int32_t kind, int32_t& out) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr || app->IsLookOn() || (kind != 0 && kind != 1)) {
        return 0;
    }
    text.clear();
    out = 0;
    Record record;
    record.head = HeadOf(*app);
    SetFieldText(record.userName, app->GetUserName(app->GetUserID()));
    record.activityId = activityId;
    record.kind = kind;
    if constexpr (requires { record.machineId; }) {
        SetFieldText(record.machineId, GetMachineUniqueID());
    }
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!SendAndWait(text, requestId, BodyOf(record), result, reply) || result != kResultOk) {
        return 0;
    }
    out = WordAt(reply, 0);
    return 1;
}

int CGameConnection::SendWelfareClaim(std::string& text, int32_t activityId, int32_t kind,
                                      int32_t& out) {
    return SendWelfare<WelfareClaimRecord>(text, kWelfareClaim, activityId, kind, out);
}

int CGameConnection::SendWelfareRewardClaim(std::string& text, int32_t activityId, int32_t kind,
                                            int32_t& out) {
    return SendWelfare<WelfareRewardClaimRecord>(text, kWelfareRewardClaim, activityId, kind, out);
}
