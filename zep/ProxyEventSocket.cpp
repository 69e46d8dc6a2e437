#include "zep/ProxyEventSocket.h"

#include "platform/Messages.h"
#include "platform/Socket.h"

CProxyEventSocket::CProxyEventSocket() = default;

CProxyEventSocket::~CProxyEventSocket() = default;

int CProxyEventSocket::ConnectBlocking(const char* host, uint16_t port, int proxyType,
                                       const char* proxyHost, int proxyPort, const char* user,
                                       const char* password, uint32_t timeoutSeconds, int) {
    if (proxyType < kProxyTypeNone || proxyType > kProxyTypeHttp) {
        platform::SetLastSocketError(platform::kSocketErrorInvalidArgument);
        return 0;
    }
    Close();
    const bool withCredentials = (proxyType == kProxyTypeSocks5 || proxyType == kProxyTypeHttp) &&
                                 user != nullptr && *user != '\0';
    if (proxyType == kProxyTypeNone) {
        SetProxyType(kProxyTypeNone);
    } else if (withCredentials) {
        SetProxy(proxyType, proxyHost, proxyPort, user, password);
    } else {
        SetProxy(proxyType, proxyHost, proxyPort);
    }
    if (!Create()) {
        return 0;
    }
    event_.Reset();
    writeNotices_ = 0;
    failed_ = false;
    if (!Connect(host, port)) {
        Close();
        return 0;
    }

    // One deadline for the whole wait (kept below kInfinite, which would
    // never end).
    const uint64_t wantedMs = static_cast<uint64_t>(timeoutSeconds) * 1000;
    const uint32_t timeoutMs =
        static_cast<uint32_t>(wantedMs < platform::kInfinite ? wantedMs : platform::kInfinite - 1);
    const uint32_t start = platform::GetTickCount32();
    for (;;) {
        if (!PumpMessages()) {
            Close();
            return 0;
        }
        if (failed_) {
            Close();
            return 0;
        }
        if (TunnelOpen()) {
            return 1;
        }
        const uint32_t elapsed = platform::GetTickCount32() - start;
        if (elapsed >= timeoutMs) {
            Close();
            platform::SetLastSocketError(platform::kSocketErrorTimedOut);
            return 0;
        }
        platform::Event* const events[] = {&event_};
        // Woken by the event or by new messages; the loop looks at both.
        platform::MsgWaitForEvents(events, timeoutMs - elapsed);
    }
}

void CProxyEventSocket::OnSend(int error) {
    CProxySocket::OnSend(error);
    ++writeNotices_;
    const int needed = GetProxyType() == kProxyTypeNone ? 1 : 2;
    if (writeNotices_ >= needed) {
        event_.Set();
    }
}

void CProxyEventSocket::OnConnect(int error) {
    CProxySocket::OnConnect(error);
    if (error != 0) {
        failed_ = true;
        event_.Set();
    }
}

void CProxyEventSocket::OnProxyError(int) {
    failed_ = true;
    event_.Set();
}

void CProxyEventSocket::OnProxyConnected(uint32_t, uint16_t) {}

bool CProxyEventSocket::TunnelOpen() const {
    const int needed = GetProxyType() == kProxyTypeNone ? 1 : 2;
    return !failed_ && writeNotices_ >= needed && GetMode() == 0 &&
           Handle() != platform::kNoSocket && GetProxyError() == kProxyErrorNone;
}

bool CProxyEventSocket::PumpMessages() {
    platform::Message message;
    while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
        if (message.id == platform::kMsgQuit && message.window == 0) {
            platform::PostQuitMessage(static_cast<int>(static_cast<intptr_t>(message.wParam)));
            return false;
        }
        platform::DispatchMessage(message);
    }
    return true;
}
