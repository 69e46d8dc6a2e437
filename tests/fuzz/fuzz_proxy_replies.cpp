// Replies of a proxy on the way to the game server. A proxy on a loopback
// port answers each connection with the input's bytes and then ends its side,
// so every handshake ends at once: the tunnel stands or the proxy's error is
// set, and nothing waits for the deadline.
//
// Input: byte 0 picks the proxy (bits 0-1: SOCKS4, SOCKS4a, SOCKS5, HTTP
// CONNECT; bit 2: with credentials); the rest is the proxy's reply.

#include <pthread.h>

#include <mutex>
#include <string>

#include "platform/Messages.h"
#include "platform/Socket.h"
#include "tests/fuzz/FuzzTarget.h"
#include "zep/ProxyEventSocket.h"

namespace {

constexpr int kTypes[] = {kProxyTypeSocks4, kProxyTypeSocks4a, kProxyTypeSocks5, kProxyTypeHttp};
constexpr uint32_t kDeadlineSeconds = 10;  // only a hang reaches it

// Serves one connection after another with the reply of the moment.
class ReplyingProxy {
public:
    bool Start() {
        listener_ = platform::CreateTcpSocket();
        if (listener_ == platform::kNoSocket ||
            !platform::BindSocket(listener_, platform::LoopbackAddress(), 0) ||
            !platform::ListenSocket(listener_, 4)) {
            return false;
        }
        port_ = platform::SocketLocalPort(listener_);
        pthread_t thread;
        if (pthread_create(&thread, nullptr, &ReplyingProxy::Serve, this) != 0) {
            return false;
        }
        pthread_detach(thread);
        return true;
    }
    uint16_t Port() const { return port_; }
    void SetReply(std::string reply) {
        std::lock_guard lock(mutex_);
        reply_ = std::move(reply);
    }

private:
    static void* Serve(void* self) {
        static_cast<ReplyingProxy*>(self)->ServeAll();
        return nullptr;
    }
    void ServeAll() {
        for (;;) {
            const platform::SocketHandle client = platform::AcceptSocket(listener_);
            if (client == platform::kNoSocket) {
                continue;
            }
            std::string reply;
            {
                std::lock_guard lock(mutex_);
                reply = reply_;
            }
            if (!reply.empty()) {
                platform::SendSocket(client, reply.data(), reply.size());
            }
            platform::ShutdownSocket(client, platform::kShutdownSend);
            char sink[512];
            while (platform::RecvSocket(client, sink, sizeof(sink)) > 0) {
            }
            platform::CloseSocket(client);
        }
    }

    platform::SocketHandle listener_ = platform::kNoSocket;
    uint16_t port_ = 0;
    std::mutex mutex_;
    std::string reply_;
};

ReplyingProxy* g_proxy = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_proxy = new ReplyingProxy;
    if (!g_proxy->Start()) {
        FuzzFail("the loopback proxy cannot listen");
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const int type = kTypes[data[0] & 3];
    const bool credentials = (data[0] & 4) != 0;
    g_proxy->SetReply(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));

    CProxyEventSocket socket;
    const int connected = socket.ConnectBlocking(
        "127.0.0.1", 5000, type, "127.0.0.1", g_proxy->Port(), credentials ? "alice" : nullptr,
        credentials ? "pw12" : nullptr, kDeadlineSeconds, 1);
    FuzzNote("handshake",
             static_cast<uint64_t>(type * 64 + socket.GetProxyError() * 2 + connected));
    if (connected == 1) {
        if (socket.GetMode() != 0 || socket.GetProxyError() != kProxyErrorNone) {
            FuzzFail("a standing tunnel is still in its handshake or has an error");
        }
    } else if (socket.Handle() != platform::kNoSocket) {
        FuzzFail("a failed handshake left its socket open");
    } else if (platform::LastSocketError() == platform::kSocketErrorTimedOut) {
        FuzzFail("a handshake with a finished proxy waited for its deadline");
    }
    socket.Close();
    return 0;
}
