#pragma once
// The client's one connection to the game server.
//
// CGameConnection opens the channel (directly, or through the proxy that the
// hall's settings name), selects the message transform and turns every
// request into one blocking call, ProcessRequest, which sends the request,
// waits for the reply or the request's time-out and hands the caller the
// result code, the reply bytes and a text for the user. The typed senders
// build their bodies from the application's game state and judge the reply.
//
// Rules:
//  - Everything runs on the UI thread; notifications and socket notices go
//    to the notify thread as WM_ZEP_SOCKET pairs.
//  - A request on an unconnected object fails at once with 1031; a wait that
//    ends without a reply (time-out, Close) gives 1030; a refusal (60031)
//    gives the server's text, read within the reply up to its first zero.
//  - Replies are read only as far as they reach; a missing word reads 0.
//  - Every operation is virtual so the game layers (and test doubles) can
//    replace it; the game's own request ids get their time-outs by
//    overriding GetRequestTimeout.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "frame/RecordFields.h"
#include "platform/Thread.h"
#include "zep/GameChannelSocket.h"
#include "zep/ProxyEventSocket.h"

class CGameFrameApp;
struct ServerPlayerRecord;
namespace frame_requests {
struct EnterRecord;
struct MatchLoginRecord;
}  // namespace frame_requests

class CGameConnection : public CGameChannelSocket {
public:
    static constexpr int kTransformKeyBlock = 2;
    static constexpr uint32_t kTransformFlags = 0x100;  // AES
    static constexpr uint32_t kConnectSeconds = 10;
    static constexpr uint32_t kGreetingWaitMs = 10000;

    CGameConnection();
    CGameConnection(const uint8_t* key, uint32_t keyLength, uint32_t cipherFlags,
                    uint32_t compressionFlags);
    ~CGameConnection() override;

    // --- Connecting ---
    // Key block 2 with AES; called before connecting.
    virtual void SetupTransform();
    // The proxy socket, then the channel.
    int Close() override;
    // 1 when connected. proxyFailed becomes 1 only when the proxy tunnel
    // could not be opened (also for a proxy port outside 1-65535).
    virtual int ConnectServer(const char* name, const char* host, int port, int& proxyFailed);
    virtual std::string GetProxyHost();
    virtual void SetNotifyThread(platform::ThreadId threadId);
    // Section "PROXY" of the hall's settings file.
    virtual void ReadProxySettings(const char* iniPath);
    virtual uint32_t GetConnectionId() const { return ZepSocketManager::GetConnectionId(); }

    // --- Requests ---
    // Sends the request; with wait 1 blocks until the reply or the time-out.
    // 1 when a reply other than a refusal came (or, without waiting, when it
    // was sent); the reply's bytes go to `reply` (emptied first).
    virtual int ProcessRequest(std::string& text, uint32_t requestId, std::span<const uint8_t> body,
                               uint32_t& result, std::vector<uint8_t>& reply, int wait);
    // Seconds to wait for the reply of a request.
    virtual uint32_t GetRequestTimeout(uint32_t requestId);
    // The text of a result code; a code not listed leaves the text as it was.
    virtual void GetResultText(std::string& text, uint32_t result);
    virtual CGameFrameApp* GetApp();

    // --- Senders ---
    // 201130: 1 while a game runs at the table; refreshes the room options.
    virtual int QueryInGame();
    // 201001: 1 when the server's version pair equals the program's.
    virtual int CheckVersion(std::string& text, int32_t& newVersion, int32_t& newSubVersion);
    // 201308: the active-configuration flag and the side-panel links.
    virtual int GetActiveConfig();
    // 201220 (match client) and 200110 (normal client). A match login the
    // server ends (210530) shows its text and closes the program, and is
    // answered 1 like the match's other states.
    virtual int MatchLogin(std::string& text);
    virtual int EnterGame(std::string& text);
    // 201120: sent without waiting.
    virtual int LeaveTable(int32_t userId, int32_t chairNo);
    // 201125: 1 only when the server refuses the leave (the text says why).
    virtual int LeaveGame(std::string& text, int32_t userId, int32_t chairNo);
    // 201020: the response times since the last report; sent without waiting.
    virtual int ReportNetStats();
    // 201162: a notification the handler failed on; sent without waiting.
    virtual int ReportNotifyFailure(int32_t id, const void* data, size_t length);

    // 201140: the reply goes to the game's table reply buffer.
    virtual int Request201140();
    // 201165: 1 when the silver is within the room's limits; the limits'
    // records go to the application otherwise.
    virtual int RequestSilverCheck(std::string& text);
    // 201303: a value below 0 sends nothing.
    virtual int SendSilverRewardClaim(std::string& text, int32_t value);
    // 201160, 201161: sent without waiting.
    virtual int StartGame(std::string& text);
    virtual int RoundRequest(std::string& text);
    // 201210, 201211: a chat line, cut to 62 bytes at a whole character.
    virtual int Request201210(std::string_view message);
    virtual int SendChatText(std::string_view message);
    // 201200: calls a player to the table.
    virtual int CallPlayer(int32_t userId);
    virtual int Request201180(int32_t value);
    // 201221: raised when a match begins.
    virtual int Request201221();
    // 201230: the details of the user on the player card.
    virtual int RequestUserInfo(int32_t userId);
    // 201231, 201232.
    virtual int MatchSignUp();
    virtual int MatchGiveUp();
    // 201212: the reason, at most 63 bytes of it.
    virtual int RequestExit(std::string_view reason);
    // 201213: the two values of the exit-request answer box.
    virtual int AnswerExitRequest(int32_t a, int32_t b);
    // 229560: 1 lets the looker-on see the own hand, 0 withdraws it.
    virtual int SetLookOnPermission(int32_t userId, int32_t allow);
    virtual int Request214102();
    virtual int Request214104();
    virtual int Request214110(int32_t value);

    // The response-time statistics since the last report.
    uint32_t GetRequestTotalMs() const { return reqTotalMs_; }
    uint32_t GetRequestCount() const { return reqCount_; }
    uint32_t GetRequestMaxMs() const { return reqMaxMs_; }

    int GetProxyNeed() const { return proxyNeed_; }
    int GetProxyPort() const { return proxyPort_; }
    int GetProxyType() const { return proxyType_; }
    int GetServerPort() const { return serverPort_; }
    std::string GetServerHost() const { return FieldText(serverHost_); }

protected:
    // The bodies of 200110 and 201220 from the own user's record; false when
    // the own user is not among the application's users.
    virtual bool BuildEnterRecord(frame_requests::EnterRecord& record);
    virtual bool BuildEnterExtension(ServerPlayerRecord& extension);
    virtual bool BuildMatchLoginRecord(frame_requests::MatchLoginRecord& record);
    // The side of the enter reply that the application keeps.
    virtual void CopyToAppBuffer(std::span<const uint8_t> reply);
    virtual void CopyTableReply(std::span<const uint8_t> reply);
    virtual void CopyLookOnReply(std::span<const uint8_t> reply);
    // The 201162 record of a failed notification, with a data word of the
    // game's choosing.
    int SendNotifyFailure(int32_t id, int32_t dataWord, size_t length);

public:
    // 201300: only while not looking on.
    virtual int ChangeTable(std::string& text);
    // 201302: only while not looking on, in rooms with flags 2 and 128.
    virtual int Request201302(std::string& text);
    // 200040: the safe box's 32-byte record into out (zeroed first).
    virtual int QuerySafeBox(std::string& text, std::span<uint8_t> out);
    // 200042: amount is lowered when the server allows only part of it;
    // result gets the reply's code.
    virtual int TransferOutOfGame(std::string& text, int32_t& amount, uint32_t& result);
    // 200041: answer is the protection password's answer.
    virtual int TransferIntoGame(std::string& text, int32_t amount, int32_t answer);
    // 200043: six words of the take into out (zeroed first).
    virtual int QueryTake(std::string& text, std::span<int32_t> out, uint32_t& result);
    // The texts of the safe-box senders ("操作失败！" for an unlisted code) and
    // of the reward claim (an unlisted code leaves the text).
    virtual void GetErrorText(std::string& text, uint32_t result);
    virtual void GetResponseText(std::string& text, uint32_t result);
    // 214010: the 124-byte welfare configuration into out (zeroed first).
    virtual int GetWelfareConfig(std::string& text, int32_t activityId, std::span<uint8_t> out);
    // 214000, 214001: kind 0 or 1; out gets the reply's amount.
    virtual int SendWelfareClaim(std::string& text, int32_t activityId, int32_t kind, int32_t& out);
    virtual int SendWelfareRewardClaim(std::string& text, int32_t activityId, int32_t kind,
                                       int32_t& out);

private:
    int SendWithoutWait(uint32_t requestId, std::span<const uint8_t> body);
    // Sends the body, waits and hands back the result and the reply.
    int SendAndWait(std::string& text, uint32_t requestId, std::span<const uint8_t> body,
                    uint32_t& result, std::vector<uint8_t>& reply);
    int SendHeadOnly(uint32_t requestId);
    int SendHeadAndWait(std::string& text, uint32_t requestId, uint32_t& result,
                        std::vector<uint8_t>& reply);
    int SendChatRecord(uint32_t requestId, std::string_view message);
    int SendHeadPair(uint32_t requestId, int32_t first, int32_t second);
    int SendMatchEntry(uint32_t requestId);
    int SendNamedMachine(uint32_t requestId);
    // The silver-limit replies of 201165 and 201302.
    int JudgeSilverCheck(uint32_t result, std::span<const uint8_t> reply);
    template <class Record>
    int SendWelfare(std::string& text, uint32_t requestId, int32_t activityId, int32_t kind,
                    int32_t& out);
    std::vector<uint8_t> BuildLeaveBody(int32_t userId, int32_t chairNo);

    int32_t serverPort_ = 0;
    TextField<32> serverName_{};
    TextField<104> serverHost_{};
    int32_t proxyNeed_ = 0;
    int32_t proxyPort_ = 0;
    int32_t proxyType_ = 0;
    TextField<32> proxyHost_{};
    TextField<32> proxyUser_{};
    TextField<32> proxyPassword_{};
    platform::ThreadId notifyThread_ = 0;
    CProxyEventSocket proxySocket_;
    uint32_t reqTotalMs_ = 0;
    uint32_t reqCount_ = 0;
    uint32_t reqMaxMs_ = 0;
};
