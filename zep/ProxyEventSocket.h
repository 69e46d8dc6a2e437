#pragma once
// The proxy socket with a blocking connect: the game connection's way
// through a proxy to the game server.

#include <cstdint>

#include "platform/Sync.h"
#include "zep/ProxySocket.h"

// Connects through a proxy and blocks until the tunnel stands, while the
// calling (UI) thread keeps handling its messages.
//
// Rules:
//  - ConnectBlocking runs on the thread that handles the socket's notices
//    (the caller's); it dispatches every message that comes meanwhile.
//  - One deadline bounds the whole wait. A failed handshake, or a proxy that
//    cannot be reached, ends the wait at once. A quit message that comes
//    meanwhile closes the socket, ends the wait with 0 and is posted again
//    for the caller's own loop.
//  - On success the socket is connected to the target through the proxy.
//    Detach hands its descriptor over (to ZepSocketManager::Attach), after
//    which this object's Close is harmless.
class CProxyEventSocket : public CProxySocket {
public:
    CProxyEventSocket();
    ~CProxyEventSocket() override;

    // Opens a tunnel to host:port through the proxy of the given type (0
    // none, 1 SOCKS4, 2 SOCKS4a, 3 SOCKS5, 4 HTTP CONNECT). A user name
    // (not null, not empty) sends credentials to SOCKS5 and HTTP proxies.
    // 1 when the tunnel stands within timeoutSeconds; else 0 with the socket
    // closed (GetProxyError says why the handshake failed).
    int ConnectBlocking(const char* host, uint16_t port, int proxyType, const char* proxyHost,
                        int proxyPort, const char* user, const char* password,
                        uint32_t timeoutSeconds, int unused);

protected:
    // The first write notice means the connection to the proxy stands; the
    // second comes from the finished handshake.
    void OnSend(int error) override;
    void OnConnect(int error) override;
    void OnProxyError(int mode) override;
    void OnProxyConnected(uint32_t address, uint16_t port) override;

private:
    bool TunnelOpen() const;
    // Dispatches what is queued; false when it took a quit message (posted
    // again).
    bool PumpMessages();

    platform::Event event_{platform::Event::Mode::AutoReset};
    int writeNotices_ = 0;
    bool failed_ = false;
};
