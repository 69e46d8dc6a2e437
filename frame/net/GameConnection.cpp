#include "frame/net/GameConnection.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/FrameFunctions.h"
#include "frame/GameFrameApp.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/RequestHelpers.h"
#include "platform/Input.h"
#include "platform/Profile.h"
#include "platform/Sync.h"
#include "zep/ZepLog.h"

using namespace frame_requests;
using namespace request_helpers;

namespace {

constexpr char kProxySection[] = "PROXY";
constexpr int kDefaultProxyPort = 1080;
constexpr int kDefaultProxyType = 3;  // SOCKS5
constexpr size_t kTableReplyHead = 60;
constexpr int kMaxTableReplyPlayers = 8;

constexpr char kTextServerBusy[] = "服务器繁忙，请稍候再试。";
constexpr char kTextNoSuchObject[] = "对象不存在。";

// The wait cursor while a blocking operation runs.
class WaitCursor {
public:
    WaitCursor() { platform::SetCursor(platform::SystemCursor(platform::kCursorWait)); }
    ~WaitCursor() { platform::SetCursor(platform::SystemCursor(platform::kCursorArrow)); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

struct ResultText {
    uint32_t result;
    const char* text;
};

constexpr ResultText kResultTexts[] = {
    {1000, "对象不存在。"},
    {1001, "对象已存在。"},
    {1010, "请求处理失败。"},
    {kResultUnsupported, "不支持的请求。"},
    {210008, "用户认证失败。"},
    {210010, "游戏还没有准备好,请稍候再旁观。"},
    {210020, "没有空余的旁观位置。"},
    {210060, "进入游戏失败，请重新开始。"},
    {210070, "进入游戏失败，请重新开始。"},
    {210078, "进入游戏失败，请重新开始。"},
    {210535, "进入游戏失败，请重新开始。"},
};

// A decimal number at the front of the text (optional sign), held to int32.
int32_t LeadingNumber(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

std::vector<std::string> SplitAtBars(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        const size_t bar = text.find('|', start);
        items.push_back(text.substr(start, bar == std::string::npos ? bar : bar - start));
        if (bar == std::string::npos) {
            return items;
        }
        start = bar + 1;
    }
}

// "WxH!URL": the size part before '!' (the whole item without one) and
// the address after it.
WebLinkEntry ParseLinkItem(const std::string& item) {
    WebLinkEntry entry;
    const size_t bang = item.find('!');
    const std::string size = item.substr(0, bang);
    if (bang != std::string::npos) {
        entry.url = item.substr(bang + 1);
    }
    const size_t x = size.find('x', 1);
    if (!size.empty() && x != std::string::npos) {
        entry.width = LeadingNumber(size.substr(0, x));
        entry.height = LeadingNumber(size.substr(x + 1));
    }
    return entry;
}

std::string FormatSeconds(const char* format, int32_t seconds) {
    char text[256] = {};
    std::snprintf(text, sizeof text, format, seconds);
    return text;
}

}  // namespace

CGameConnection::CGameConnection() : CGameConnection(nullptr, 0, 0, 0) {}

CGameConnection::CGameConnection(const uint8_t* key, uint32_t keyLength, uint32_t cipherFlags,
                                 uint32_t compressionFlags)
    : CGameChannelSocket(key, keyLength, cipherFlags, compressionFlags) {}

CGameConnection::~CGameConnection() {
    CGameConnection::Close();
}

void CGameConnection::SetupTransform() {
    SelectTransformKey(kTransformKeyBlock, kTransformFlags, 0);
}

int CGameConnection::Close() {
    proxySocket_.Close();
    return ZepSocketManager::Close();
}

void CGameConnection::SetNotifyThread(platform::ThreadId threadId) {
    notifyThread_ = threadId;
}

void CGameConnection::ReadProxySettings(const char* iniPath) {
    const char* file = iniPath != nullptr ? iniPath : "";
    proxyNeed_ = platform::GetPrivateProfileInt(kProxySection, "Need", 0, file);
    proxyPort_ = platform::GetPrivateProfileInt(kProxySection, "Port", kDefaultProxyPort, file);
    proxyType_ = platform::GetPrivateProfileInt(kProxySection, "Sock", kDefaultProxyType, file);
    platform::GetPrivateProfileString(kProxySection, "Host", "", proxyHost_.data(),
                                      static_cast<uint32_t>(proxyHost_.size()), file);
    platform::GetPrivateProfileString(kProxySection, "User", "", proxyUser_.data(),
                                      static_cast<uint32_t>(proxyUser_.size()), file);
    platform::GetPrivateProfileString(kProxySection, "pwd", "", proxyPassword_.data(),
                                      static_cast<uint32_t>(proxyPassword_.size()), file);
}

std::string CGameConnection::GetProxyHost() {
    return FieldText(proxyHost_);
}

int CGameConnection::ConnectServer(const char* name, const char* host, int port, int& proxyFailed) {
    WaitCursor wait;
    proxyFailed = 0;
    ZepSocketManager::Close();
    if (host == nullptr || port < 1 || port > 65535) {
        ZepLog("ConnectServer: no server host or port %d outside 1-65535", port);
        return 0;
    }
    ZepConnectParams params;
    params.host = host;
    params.port = static_cast<uint16_t>(port);
    params.connectSeconds = kConnectSeconds;
    params.ownerThread = notifyThread_;
    params.greeting = GetGameChannelGreeting();
    params.greetingLength = GetGameChannelGreetingLength() + 1;  // with its zero
    params.waitMs = kGreetingWaitMs;

    int connected = 0;
    if (proxyNeed_ == 0) {
        connected = ConnectNew(params);
    } else {
        if (proxyPort_ < 1 || proxyPort_ > 65535) {
            ZepLog("ConnectServer: proxy port %d outside 1-65535", proxyPort_);
            proxyFailed = 1;
            return 0;
        }
        const std::string user = FieldText(proxyUser_);
        const std::string password = FieldText(proxyPassword_);
        if (!proxySocket_.ConnectBlocking(host, params.port, proxyType_,
                                          FieldText(proxyHost_).c_str(), proxyPort_, user.c_str(),
                                          password.c_str(), kConnectSeconds, 1)) {
            ZepLog("ConnectServer: no tunnel through proxy %s:%d (type %d, error %d)",
                   FieldText(proxyHost_).c_str(), proxyPort_, proxyType_,
                   proxySocket_.GetProxyError());
            proxyFailed = 1;
            return 0;
        }
        connected = Attach(proxySocket_.Detach(), params);
    }
    if (connected != 0) {
        serverPort_ = port;
        SetFieldText(serverName_, name != nullptr ? name : "");
        SetFieldText(serverHost_, host);
    }
    return connected;
}

int CGameConnection::ProcessRequest(std::string& text, uint32_t requestId,
                                    std::span<const uint8_t> body, uint32_t& result,
                                    std::vector<uint8_t>& reply, int wait) {
    WaitCursor cursor;
    reply.clear();
    if (!IsConnected()) {
        result = kResultNotConnected;
        text = "与服务器连接断开。";
        return 0;
    }
    ZepDeliveryInfo descriptor;
    descriptor.socket = static_cast<uint32_t>(GetSocket());
    descriptor.callerWord = wait != 0 ? 1 : 0;
    ZepMessage request;
    request.SetCode(requestId);
    if (!request.SetData(body.data(), static_cast<uint32_t>(body.size()))) {
        text = "请求发送失败。";
        return 0;
    }
    const uint64_t timeoutMs =
        std::min<uint64_t>(uint64_t{GetRequestTimeout(requestId)} * 1000, UINT32_MAX);
    const uint32_t start = platform::GetTickCount32();
    ZepMessage response;
    int timedOut = 0;
    if (!SendRequest(descriptor, request, &response, &timedOut, static_cast<uint32_t>(timeoutMs), 0,
                     0, 1, nullptr, 0)) {
        if (timedOut != 0) {
            result = kResultTimedOut;
            text = "请求处理超时。";
        } else {
            text = "请求发送失败。";
        }
        return 0;
    }
    if (wait != 0) {
        const uint32_t elapsed = platform::GetTickCount32() - start;
        reqTotalMs_ += elapsed;
        ++reqCount_;
        reqMaxMs_ = std::max(reqMaxMs_, elapsed);
    }
    result = response.Code();
    if (response.length > 0 && response.data != nullptr) {
        reply.assign(response.data, response.data + response.length);
    }
    if (result == kResultRefusedWithText) {
        text = TextWithin(reply);
        reply.clear();
        return 0;
    }
    GetResultText(text, result);
    return 1;
}

uint32_t CGameConnection::GetRequestTimeout(uint32_t requestId) {
    switch (requestId) {
        case kEnterGame:
        case kMatchLogin:
        case 214000:
        case 214001:
        case 214010:
            return 30;
        case kCheckVersion:
            return 15;
        case kQueryInGame:
            return 5;
        default:
            return 10;
    }
}

void CGameConnection::GetResultText(std::string& text, uint32_t result) {
    for (const ResultText& entry : kResultTexts) {
        if (entry.result == result) {
            text = entry.text;
            return;
        }
    }
}

CGameFrameApp* CGameConnection::GetApp() {
    return CGameFrameApp::Current();
}

int CGameConnection::SendWithoutWait(uint32_t requestId, std::span<const uint8_t> body) {
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    return ProcessRequest(text, requestId, body, result, reply, 0);
}

int CGameConnection::QueryInGame() {
    CGameFrameApp* app = GetApp();
    if (app == nullptr) {
        return 0;
    }
    QueryInGameRecord record;
    record.head = HeadOf(*app);
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!ProcessRequest(text, kQueryInGame, BodyOf(record), result, reply, 1)) {
        return 0;
    }
    int32_t options = 0;
    if (ReadWordAt(reply, 0, options)) {
        app->SetRoomOptions(options);
    } else if (!reply.empty()) {
        ZepLog("QueryInGame: reply of %zu bytes carries no room options", reply.size());
    }
    return result == kResultGameRunning ? 1 : 0;
}

int CGameConnection::CheckVersion(std::string& text, int32_t& newVersion, int32_t& newSubVersion) {
    CGameFrameApp* app = GetApp();
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (app == nullptr || !ProcessRequest(text, kCheckVersion, {}, result, reply, 1) ||
        reply.size() < VersionReply::kMinSize) {
        text = kTextServerBusy;
        return 0;
    }
    const VersionReply server = ReadPartialRecord<VersionReply>(reply);
    if (server.version > app->GetVersion()) {
        text = "您的游戏程序太旧了,必须下载新的程序才能玩游戏。";
        newVersion = server.version;
        return 0;
    }
    if (server.version < app->GetVersion()) {
        text = "服务正在更新中，请稍候再试。";
        return 0;
    }
    if (server.subVersion > app->GetSubVersion()) {
        text = "您的游戏程序需要更新。";
        newSubVersion = server.subVersion;
        return 0;
    }
    if (server.subVersion < app->GetSubVersion()) {
        text = "服务正在更新中，请稍候再试。";
        return 0;
    }
    return 1;
}

int CGameConnection::GetActiveConfig() {
    CGameFrameApp* app = GetApp();
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (app == nullptr || !ProcessRequest(text, kGetActiveConfig, {}, result, reply, 1) ||
        reply.empty()) {
        return 0;
    }
    const ActiveConfigBlock block = ReadPartialRecord<ActiveConfigBlock>(reply);
    app->SetActiveConfig(block.flag != 0);
    const std::vector<std::string> items = SplitAtBars(FieldText(block.text));
    ZepLog("ACTIVECONFIG count=[%d]", block.count);
    // Entries whose index word the reply holds, at most ten.
    constexpr size_t kIndexOffset = 8;
    const size_t indicesSent =
        reply.size() > kIndexOffset ? (reply.size() - kIndexOffset) / sizeof(int32_t) : 0;
    const int count = static_cast<int>(std::clamp<int64_t>(
        block.count, 0,
        std::min<int64_t>(ActiveConfigBlock::kMaxEntries, static_cast<int64_t>(indicesSent))));
    if (count != block.count) {
        ZepLog("ACTIVECONFIG: %d entries read", count);
    }
    const int buttons = static_cast<int>(app->GetSidePanelButtons().size());
    for (int i = 0; i < count; ++i) {
        const int32_t index = block.linkIndex[size_t(i)];
        if (index < 0 || index >= buttons) {
            continue;
        }
        if (size_t(i) >= items.size()) {
            ZepLog("ACTIVECONFIG: entry %d has no item", i);
            continue;
        }
        app->GetActiveButtons().push_back(index);
        app->GetWebLinks()[index] = ParseLinkItem(items[size_t(i)]);
    }
    return 1;
}

bool CGameConnection::BuildMatchLoginRecord(frame_requests::MatchLoginRecord& record) {
    CGameFrameApp* app = GetApp();
    const UserRecord* own = OwnUserOf(app);
    if (own == nullptr) {
        return false;
    }
    record.userId = own->userId;
    record.userFlags = own->flags;
    record.gameId = app->GetGameID();
    record.matchValue = app->GetMatchValue();
    record.roomId = app->GetRoomID();
    record.tableNo = app->GetTableNo();
    record.chairNo = app->GetMyChairNo();
    SetFieldText(record.machineId, GetMachineUniqueID());
    record.lookOn = app->IsLookOn() ? 1 : 0;
    record.loginValue = app->GetRoomLoginValue();
    record.requestValue = app->GetRoomRequestValue();
    return true;
}

int CGameConnection::MatchLogin(std::string& text) {
    CGameFrameApp* app = GetApp();
    MatchLoginRecord record;
    if (!BuildMatchLoginRecord(record)) {
        text = kTextNoSuchObject;
        return 0;
    }
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!ProcessRequest(text, kMatchLogin, BodyOf(record), result, reply, 1)) {
        text = "服务器未回应登入请求!";
        return 0;
    }
    switch (result) {
        case kResultMatchInfo:
            app->OnSingleMatchInfo(reply);
            return 1;
        case 210521:
            app->OnMatchNotSignedUp();
            return 1;
        case 210531:
            app->OnMatchWashedOut();
            return 1;
        case 210534:
            app->OnMatchOver();
            return 1;
        case 210540:
            app->OnMatchLate();
            return 1;
        case 210533:
            app->OnMatchAlreadyStarted();
            return 1;
        case 210536:
            app->OnMatchSystemCancel();
            return 1;
        case 210537:
            app->OnMatchSelfCancel();
            return 1;
        case 210538:
            app->OnMatchWaitSignUpCheck();
            return 1;
        case 210539:
            app->OnMatchSystemRejected();
            return 1;
        case kResultMatchQuit:
            // The server's parting text stays five seconds, then the program
            // closes.
            ZepLog("MatchLogin: the server ends the match session");
            app->ShowTextAndQuit(TextWithin(reply));
            return 1;
        default:
            return 0;
    }
}

bool CGameConnection::BuildEnterRecord(frame_requests::EnterRecord& record) {
    CGameFrameApp* app = GetApp();
    const UserRecord* own = OwnUserOf(app);
    if (own == nullptr) {
        return false;
    }
    record.userId = own->userId;
    record.userFlags = own->flags;
    record.gameId = app->GetGameID();
    record.roomId = app->GetRoomID();
    record.tableNo = app->GetTableNo();
    record.chairNo = app->GetMyChairNo();
    SetFieldText(record.machineId, GetMachineUniqueID());
    record.lookOn = app->IsLookOn() ? 1 : 0;
    record.quickCatch = app->IsQuickCatch() != 0 ? 1 : 0;
    record.requestValue = app->GetRoomRequestValue();
    return true;
}

bool CGameConnection::BuildEnterExtension(ServerPlayerRecord& extension) {
    CGameFrameApp* app = GetApp();
    const UserRecord* own = OwnUserOf(app);
    if (own == nullptr) {
        return false;
    }
    app->UserToServerPlayer(extension, *own);
    return true;
}

int CGameConnection::EnterGame(std::string& text) {
    CGameFrameApp* app = GetApp();
    EnterRecord record;
    ServerPlayerRecord extension;
    if (!BuildEnterRecord(record) || !BuildEnterExtension(extension)) {
        text = kTextNoSuchObject;
        return 0;
    }
    std::vector<uint8_t> body(EnterRecord::kSize + EnterRecord::kExtensionSize);
    WriteRecord(record, body);
    WriteRecord(extension, std::span<uint8_t>(body).subspan(EnterRecord::kSize));
    if (!app->IsRoomFlag64()) {
        body.resize(EnterRecord::kSize);
    }

    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!ProcessRequest(text, kEnterGame, body, result, reply, 1)) {
        return 0;
    }
    switch (result) {
        case kResultEntered:
            app->SetEnterState(0);
            CopyToAppBuffer(reply);
            app->OnUserInfoChanged();
            return 1;
        case kResultEnteredPlaying:
            app->SetEnterState(app->IsLookOn() ? 0 : 1);
            CopyTableReply(reply);
            app->BeginGameAndNotify();
            return 1;
        case kResultEnteredLookingOn:
            app->SetEnterState(0);
            CopyLookOnReply(reply);
            app->BeginGameAndNotify2();
            return 1;
        case kResultWaitForResult:
            text = "进入游戏失败，请等待本局结果提交。";
            return 0;
        default:
            return 0;
    }
}

void CGameConnection::CopyToAppBuffer(std::span<const uint8_t> reply) {
    CGameFrameApp* app = GetApp();
    if (app != nullptr && !reply.empty()) {
        CopyBounded(reply, app->GetResponseBuffer(), "enter reply");
    }
}

void CGameConnection::CopyTableReply(std::span<const uint8_t> reply) {
    CGameFrameApp* app = GetApp();
    if (app == nullptr || reply.empty()) {
        return;
    }
    if (!app->IsRandomTableRoom() || app->IsLookOn()) {
        CopyBounded(reply, app->GetTableReplyBuffer(), "table reply");
        return;
    }
    if (reply.size() < kTableReplyHead) {
        ZepLog("table reply: %zu bytes, needs %zu", reply.size(), kTableReplyHead);
        return;
    }
    const size_t fit = (reply.size() - kTableReplyHead) / ServerPlayerRecord::kSize;
    const int32_t sent = WordAt(reply, 8);
    const int players = static_cast<int>(
        std::clamp<int64_t>(sent, 0, std::min<int64_t>(kMaxTableReplyPlayers, int64_t(fit))));
    if (players != sent) {
        ZepLog("table reply: %d players taken of %d", players, sent);
    }
    const size_t rest = kTableReplyHead + size_t(players) * ServerPlayerRecord::kSize;
    app->UpdateOtherSeats(reply.first(rest));
    CopyBounded(reply.subspan(rest), app->GetTableReplyBuffer(), "table reply");
}

void CGameConnection::CopyLookOnReply(std::span<const uint8_t> reply) {
    CGameFrameApp* app = GetApp();
    if (app != nullptr && !reply.empty()) {
        CopyBounded(reply, app->GetTableReplyBuffer(), "look-on reply");
    }
}

std::vector<uint8_t> CGameConnection::BuildLeaveBody(int32_t userId, int32_t chairNo) {
    LeaveRecord record;
    record.userId = userId;
    record.chairNo = chairNo;
    if (CGameFrameApp* app = GetApp()) {
        record.roomId = app->GetRoomID();
        record.tableNo = app->GetTableNo();
        record.otherUser = userId != app->GetUserID() ? 1 : 0;
        record.ownTableNo = app->GetTableNo();
        record.ownChairNo = app->GetMyChairNo();
        record.ownUserId = app->GetUserID();
    }
    SetFieldText(record.machineId, GetMachineUniqueID());
    return BodyOf(record);
}

int CGameConnection::LeaveTable(int32_t userId, int32_t chairNo) {
    return SendWithoutWait(kLeaveTable, BuildLeaveBody(userId, chairNo));
}

int CGameConnection::LeaveGame(std::string& text, int32_t userId, int32_t chairNo) {
    text.clear();
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    if (!ProcessRequest(text, kLeaveGame, BuildLeaveBody(userId, chairNo), result, reply, 1)) {
        return 0;
    }
    switch (result) {
        case kResultKeepPlaying:
            text =
                "生命不息，战斗不止，请继续游戏。\r\n"
                "(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)";
            return 1;
        case kResultMustWaitSeconds:
            text = FormatSeconds("系统已经为您分配了随机桌位，\r\n\r\n必须再等 %d 秒钟才能离开。",
                                 WordAt(reply, 0));
            return 1;
        case kResultWaitForResult:
            text = "离开游戏失败，请等待本局结果提交。";
            return 1;
        default:
            return 0;
    }
}

int CGameConnection::ReportNetStats() {
    NetStatsRecord record;
    if (CGameFrameApp* app = GetApp()) {
        record.userId = app->GetUserID();
    }
    const uint32_t limit = NetStatsRecord::kMaxMs;
    if (reqCount_ != 0) {
        record.averageMs = static_cast<int32_t>(std::min(reqTotalMs_ / reqCount_, limit));
        record.longestMs = static_cast<int32_t>(std::min(reqMaxMs_, limit));
    }
    reqTotalMs_ = 0;
    reqCount_ = 0;
    reqMaxMs_ = 0;
    return SendWithoutWait(kReportNetStats, BodyOf(record));
}

int CGameConnection::ReportNotifyFailure(int32_t id, const void* /*data*/, size_t length) {
    return SendNotifyFailure(id, 0, length);
}

int CGameConnection::SendNotifyFailure(int32_t id, int32_t dataWord, size_t length) {
    NotifyFailureRecord record;
    CGameFrameApp* app = GetApp();
    if (app != nullptr) {
        record.userId = app->GetUserID();
        record.roomId = app->GetRoomID();
        record.tableNo = app->GetTableNo();
        record.tableNo2 = app->GetTableNo();
        record.lookOn = app->IsLookOn() ? 1 : 0;
    }
    record.notifyId = id;
    record.notifyData = dataWord;
    record.notifyLength = static_cast<int32_t>(std::min<size_t>(length, INT32_MAX));
    record.tick = static_cast<int32_t>(platform::GetTickCount32());
    if (CGameNotifyHandler* handler = app != nullptr ? app->GetNotifyHandler() : nullptr) {
        const CGameNotifyHandler::LastNotify last = handler->GetLastNotify();
        record.lastId = last.id;
        record.lastData = last.data;
        record.lastLength = static_cast<int32_t>(last.length);
        record.lastTick = static_cast<int32_t>(last.tick);
    }
    return SendWithoutWait(kReportNotifyFailure, BodyOf(record));
}
