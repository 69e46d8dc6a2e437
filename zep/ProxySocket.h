#pragma once
// A socket that opens its connection through a proxy: SOCKS4, SOCKS4a,
// SOCKS5 (with or without user name and password) or HTTP CONNECT (with
// Basic credentials). The handshake runs in the socket's notices, on the
// thread that created it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/AsyncSocket.h"
#include "zep/ZepSocketUtils.h"

// Proxy types.
inline constexpr int kProxyTypeNone = 0;
inline constexpr int kProxyTypeSocks4 = 1;
inline constexpr int kProxyTypeSocks4a = 2;
inline constexpr int kProxyTypeSocks5 = 3;
inline constexpr int kProxyTypeHttp = 4;

// The proxy's last error (GetProxyError).
inline constexpr int kProxyErrorNone = 0;
inline constexpr int kProxyErrorUnreachable = 1;       // the proxy could not be reached
inline constexpr int kProxyErrorRefused = 2;           // refused, or a bad or lost message
inline constexpr int kProxyErrorNoMethod = 3;          // SOCKS5: bad version or no method
inline constexpr int kProxyErrorMethodNotOffered = 4;  // SOCKS5 chose a method not offered
inline constexpr int kProxyErrorAuthFailed = 5;        // SOCKS5 refused the credentials
inline constexpr int kProxyErrorNoCredentials = 6;     // SOCKS5 wants credentials we lack
inline constexpr int kProxyErrorUnresolved = 7;        // SOCKS4 target name does not resolve

// The largest HTTP reply header the handshake reads.
inline constexpr size_t kProxyHttpReplyLimit = 8192;

// Runs the proxy handshake of the chosen type in the socket's notices.
//
// Rules:
//  - Mode 0: a plain socket (no handshake runs, Send and Receive pass
//    through). Mode 1: connecting through the proxy. Mode 2: listening (SOCKS
//    bind) through the proxy. While a handshake runs (mode not 0), Send and
//    Receive refuse with would-block (10035).
//  - A finished connect handshake calls OnSend(0); a finished bind calls
//    OnProxyConnected with the address the proxy bound, and OnAccept(0) when
//    the peer came. Bytes that follow the proxy's reply stay in the socket.
//  - Any failure (the proxy unreachable, a refused or malformed reply, a
//    lost connection, a field too long for its length byte, an HTTP reply
//    header over kProxyHttpReplyLimit) sets the last error, closes the socket
//    and then calls OnProxyError with the mode that was running.
//  - HTTP credentials go as RFC 4648 Base64 without line breaks.
class CProxySocket : public platform::AsyncSocket {
public:
    CProxySocket();
    ~CProxySocket() override;

    // The proxy to use from the next Connect on. Without credentials SOCKS5
    // offers no authentication and HTTP sends no Authorization headers.
    void SetProxyType(int type);
    void SetProxy(int type, const char* proxyHost, int proxyPort);
    void SetProxy(int type, const char* proxyHost, int proxyPort, const char* user,
                  const char* password);

    // Connects to host:port, through the proxy when one is set (the socket
    // must have been created). 1 when the connection to the proxy is under
    // way; 0 with the last error otherwise. A host that does not resolve is
    // sent to the proxy by name, except SOCKS4, which fails with error 7 and
    // socket error 10022.
    int Connect(const char* host, uint16_t port);
    int Connect(const ZepSocketAddress& address);

    // Asks a SOCKS proxy to listen for a connection from the address
    // (network order; 0 for any). 1 when the connection to the proxy is
    // under way.
    int ListenThroughProxy(uint32_t address);
    // Listens on the socket itself (backlog 5).
    int Listen();
    // Moves the connection into the other object: through a proxy, this
    // socket's own (after OnAccept), else the next waiting one. 1 or 0.
    int Accept(platform::AsyncSocket& connection);

    int Send(const void* data, size_t n) override;
    int Receive(void* out, size_t n) override;
    // Drops the handshake state and closes the socket.
    void Close() override;

    int GetProxyError() const { return lastError_; }
    int GetProxyType() const { return proxyType_; }
    // 0 when no handshake runs, 1 connecting, 2 listening through the proxy.
    int GetMode() const { return mode_; }

protected:
    // Called after a failed handshake (the socket is closed by then).
    virtual void OnProxyError(int mode) = 0;
    // The address (network order) and port (host order) a SOCKS proxy bound
    // for a listen.
    virtual void OnProxyConnected(uint32_t address, uint16_t port) = 0;

    void OnConnect(int error) override;
    void OnReceive(int error) override;
    void OnClose(int error) override;

private:
    enum class SendResult { Sent, WouldBlock, Failed };
    enum class ReadResult { Complete, Pending, Failed };

    int ConnectToProxy();
    void ClearHandshake();
    // Sets the last error, closes and reports the mode that was running.
    void Fail(int error);

    bool FieldsFitLengthBytes() const;
    std::string TargetHostText() const;
    std::vector<uint8_t> BuildFirstRequest() const;
    std::vector<uint8_t> BuildSocks4Request() const;
    std::vector<uint8_t> BuildSocks5Request() const;
    std::vector<uint8_t> BuildSocks5Credentials() const;
    std::string BuildHttpRequest() const;

    SendResult SendHandshake(const void* data, size_t n);
    // A handshake message that must go out whole; false after Fail.
    bool SendWhole(const std::vector<uint8_t>& message);
    // Reads until `expected` bytes of the reply are there.
    ReadResult ReadHandshake(size_t expected);

    void ReceiveSocks4();
    void ReceiveSocks5();
    void ReceiveSocks5Reply();
    void ReceiveHttp();
    // The first line of the HTTP reply is complete: is it a 2xx status?
    bool HttpStatusAccepted() const;
    // The bind reply came: report the bound address, then wait for the peer.
    void ReportBound(uint32_t address, uint16_t port);
    void FinishConnect();
    void FinishAccept();

    std::string targetHost_;  // empty when the target was given as an address
    std::vector<uint8_t> buffer_;
    size_t expected_ = 0;
    size_t received_ = 0;
    std::string httpReply_;
    int step_ = 0;
    int mode_ = 0;
    uint16_t targetPort_ = 0;     // host order
    uint32_t targetAddress_ = 0;  // network order; 0 when only the name is known
    int lastError_ = kProxyErrorNone;
    int proxyType_ = kProxyTypeNone;
    std::string proxyHost_;
    int proxyPort_ = 0;
    std::string user_;
    std::string password_;
    bool hasCredentials_ = false;
};
