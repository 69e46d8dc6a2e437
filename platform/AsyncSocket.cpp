#include "platform/AsyncSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "platform/Socket.h"

namespace platform {
namespace {

// The watch's notices to the window: wParam the socket, lParam the reply.
constexpr uint32_t kNoticeMessage = kMsgUser + 0x100;
constexpr uint32_t kAllEvents = kSocketEventRead | kSocketEventWrite | kSocketEventClose;

// The error a finished non-blocking connect left on the socket (0 when it
// succeeded).
int PendingConnectError(SocketHandle socket) {
    int error = 0;
    socklen_t length = sizeof(error);
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        return SocketErrorFromSystem(errno);
    }
    return error == 0 ? 0 : SocketErrorFromSystem(error);
}

}  // namespace

// The hidden window the watch posts to; it hands each notice to its socket.
class AsyncSocket::NoticeWindow final : public Window {
public:
    explicit NoticeWindow(AsyncSocket& owner) : owner_(owner) {}

    LResult WindowProc(uint32_t id, WParam wParam, LParam lParam) override {
        if (id == kNoticeMessage) {
            owner_.OnNotice(static_cast<SocketHandle>(wParam), lParam);
            return 0;
        }
        return Window::WindowProc(id, wParam, lParam);
    }

private:
    AsyncSocket& owner_;
};

AsyncSocket::AsyncSocket() = default;

AsyncSocket::~AsyncSocket() {
    AsyncSocket::Close();
    dispatchDepth_ = 0;
    FreeRetiredWindows();
}

bool AsyncSocket::Create() {
    if (socket_ != kNoSocket) {
        SetLastSocketError(kSocketErrorInvalidArgument);
        return false;
    }
    std::unique_ptr<NoticeWindow> window = MakeNoticeWindow();
    if (window == nullptr) {
        return false;
    }
    const SocketHandle socket = CreateTcpSocket();
    if (socket == kNoSocket) {
        return false;
    }
    FreeRetiredWindows();
    window_ = std::move(window);
    socket_ = socket;
    phase_ = Phase::Idle;
    swallowWrite_ = false;
    ++generation_;
    return true;
}

bool AsyncSocket::Connect(uint32_t address, uint16_t port) {
    if (socket_ == kNoSocket) {
        SetLastSocketError(kSocketErrorBadHandle);
        return false;
    }
    if (phase_ != Phase::Idle) {
        SetLastSocketError(phase_ == Phase::Connecting ? kSocketErrorAlreadyInProgress
                                                       : kSocketErrorIsConnected);
        return false;
    }
    if (!SetSocketBlocking(socket_, false)) {
        return false;
    }
    sockaddr_in target;
    std::memset(&target, 0, sizeof(target));
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&target), sizeof(target)) != 0 &&
        errno != EINPROGRESS && errno != EINTR) {
        SetLastSocketError(SocketErrorFromSystem(errno));
        return false;
    }
    // Completed or under way: the watch's first notice tells which.
    if (!StartWatch()) {
        return false;
    }
    phase_ = Phase::Connecting;
    return true;
}

bool AsyncSocket::Attach(SocketHandle socket) {
    if (socket == kNoSocket) {
        SetLastSocketError(kSocketErrorBadHandle);
        return false;
    }
    if (socket_ != kNoSocket) {
        SetLastSocketError(kSocketErrorInvalidArgument);
        return false;
    }
    std::unique_ptr<NoticeWindow> window = MakeNoticeWindow();
    if (window == nullptr) {
        return false;
    }
    FreeRetiredWindows();
    window_ = std::move(window);
    socket_ = socket;
    swallowWrite_ = false;
    ++generation_;
    if (!StartWatch()) {
        const int error = LastSocketError();
        socket_ = kNoSocket;
        EndNotices();
        SetLastSocketError(error);
        return false;
    }
    phase_ = Phase::AwaitFirstSend;
    return true;
}

SocketHandle AsyncSocket::Detach() {
    const SocketHandle socket = socket_;
    if (socket == kNoSocket) {
        return kNoSocket;
    }
    EndNotices();
    SetSocketBlocking(socket, true);
    socket_ = kNoSocket;
    phase_ = Phase::Idle;
    ++generation_;
    return socket;
}

int AsyncSocket::Send(const void* data, size_t n) {
    if (phase_ == Phase::Connecting) {
        SetLastSocketError(kSocketErrorNotConnected);
        return -1;
    }
    return SendSocket(socket_, data, n);
}

int AsyncSocket::Receive(void* out, size_t n) {
    if (phase_ == Phase::Connecting) {
        SetLastSocketError(kSocketErrorNotConnected);
        return -1;
    }
    return RecvSocket(socket_, out, n);
}

void AsyncSocket::Close() {
    EndNotices();
    if (socket_ != kNoSocket) {
        CloseSocket(socket_);
        socket_ = kNoSocket;
        ++generation_;
    }
    phase_ = Phase::Idle;
}

bool AsyncSocket::Listen(int backlog) {
    return SetSocketBlocking(socket_, false) && ListenSocket(socket_, backlog);
}

bool AsyncSocket::Accept(AsyncSocket& connection) {
    const SocketHandle accepted = AcceptSocket(socket_);
    if (accepted == kNoSocket) {
        return false;
    }
    if (!connection.Attach(accepted)) {
        const int error = LastSocketError();
        CloseSocket(accepted);
        SetLastSocketError(error);
        return false;
    }
    return true;
}

bool AsyncSocket::GetPeerName(uint32_t* address, uint16_t* port) const {
    if (socket_ == kNoSocket) {
        SetLastSocketError(kSocketErrorBadHandle);
        return false;
    }
    sockaddr_in peer;
    socklen_t length = sizeof(peer);
    if (::getpeername(socket_, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
        SetLastSocketError(SocketErrorFromSystem(errno));
        return false;
    }
    if (address != nullptr) {
        *address = peer.sin_addr.s_addr;
    }
    if (port != nullptr) {
        *port = ntohs(peer.sin_port);
    }
    return true;
}

void AsyncSocket::OnConnect(int) {}
void AsyncSocket::OnSend(int) {}
void AsyncSocket::OnReceive(int) {}
void AsyncSocket::OnClose(int) {}
void AsyncSocket::OnAccept(int) {}

std::unique_ptr<AsyncSocket::NoticeWindow> AsyncSocket::MakeNoticeWindow() {
    RegisterWindowClass(kAsyncSocketWindowClass);
    auto window = std::make_unique<NoticeWindow>(*this);
    if (!window->Create(kAsyncSocketWindowClass)) {
        SetLastSocketError(kSocketErrorNoBuffers);
        return nullptr;
    }
    return window;
}

bool AsyncSocket::StartWatch() {
    return window_ != nullptr && watch_.Start(socket_, window_->Id(), kNoticeMessage, kAllEvents);
}

void AsyncSocket::EndNotices() {
    watch_.Stop();
    swallowWrite_ = false;
    if (window_ != nullptr) {
        window_->Destroy();  // drops the notices still queued for it
        retired_.push_back(std::move(window_));
    }
    FreeRetiredWindows();
}

void AsyncSocket::FreeRetiredWindows() {
    if (dispatchDepth_ == 0) {
        retired_.clear();
    }
}

void AsyncSocket::OnNotice(SocketHandle socket, LParam reply) {
    if (socket != socket_ || phase_ == Phase::Idle) {
        return;
    }
    ++dispatchDepth_;
    const uint32_t event = SelectEvent(reply);
    const uint32_t error = SelectError(reply);
    switch (phase_) {
        case Phase::Connecting:
            OnConnectNotice(event, error);
            break;
        case Phase::AwaitFirstSend:
            OnFirstNotice(event, error);
            break;
        default:
            DeliverNotice(event, error);
            break;
    }
    --dispatchDepth_;
    FreeRetiredWindows();
}

void AsyncSocket::OnConnectNotice(uint32_t event, uint32_t error) {
    // A failed connect shows as a close with its error (or a write notice
    // with the error pending); anything else means the connection stands.
    int connectError = 0;
    if (event == kSocketEventClose && error != 0) {
        connectError = static_cast<int>(error);
    } else if (event == kSocketEventWrite) {
        connectError = PendingConnectError(socket_);
    }
    const uint64_t generation = generation_;
    if (connectError != 0) {
        watch_.Stop();
        phase_ = Phase::Idle;
        OnConnect(connectError);
        return;
    }
    phase_ = Phase::AwaitFirstSend;
    OnConnect(0);
    if (generation == generation_) {
        OnFirstNotice(event, error);
    }
}

void AsyncSocket::OnFirstNotice(uint32_t event, uint32_t error) {
    phase_ = Phase::Open;
    if (event == kSocketEventWrite) {
        OnSend(static_cast<int>(error));
        return;
    }
    if (event == kSocketEventRead) {
        // Data came before the watch's first write notice: the send notice
        // goes first, and the watch's own one (already on its way) is dropped.
        const uint64_t generation = generation_;
        swallowWrite_ = true;
        OnSend(0);
        if (generation != generation_) {
            return;
        }
    }
    DeliverNotice(event, error);
}

void AsyncSocket::DeliverNotice(uint32_t event, uint32_t error) {
    const int code = static_cast<int>(error);
    switch (event) {
        case kSocketEventWrite:
            if (swallowWrite_) {
                swallowWrite_ = false;
                return;
            }
            OnSend(code);
            break;
        case kSocketEventRead:
            OnReceive(code);
            break;
        case kSocketEventClose:
            swallowWrite_ = false;
            OnClose(code);
            break;
        default:
            break;
    }
}

}  // namespace platform
