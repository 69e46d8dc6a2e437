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
    // 201220 (match client) and 200110 (normal client).
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

private:
    int SendWithoutWait(uint32_t requestId, std::span<const uint8_t> body);
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
