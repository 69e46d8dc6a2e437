#include "platform/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/SocketWatch.h"
#include "platform/Sync.h"

namespace platform {
namespace {

bool RefuseNoSocket(SocketHandle socket) {
    if (socket == kNoSocket) {
        SetLastSocketError(kSocketErrorBadHandle);
        return true;
    }
    return false;
}

void SetErrorFromSystem() {
    SetLastSocketError(SocketErrorFromSystem(errno));
}

sockaddr_in MakeAddress(uint32_t address, uint16_t port) {
    sockaddr_in result;
    std::memset(&result, 0, sizeof(result));
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = address;
    return result;
}

bool IsBlocking(SocketHandle socket, bool& blocking) {
    const int flags = ::fcntl(socket, F_GETFL);
    if (flags < 0) {
        SetErrorFromSystem();
        return false;
    }
    blocking = (flags & O_NONBLOCK) == 0;
    return true;
}

// Waits for a non-blocking connect to finish; true when it succeeded. The
// socket is looked at at least once, also with a time-out of 0.
bool FinishConnect(SocketHandle socket, uint32_t timeoutMs) {
    const uint32_t start = GetTickCount32();
    for (;;) {
        int waitMs = -1;
        if (timeoutMs != kInfinite) {
            const uint32_t elapsed = GetTickCount32() - start;
            waitMs = elapsed >= timeoutMs ? 0 : static_cast<int>(timeoutMs - elapsed);
        }
        pollfd entry{socket, POLLOUT, 0};
        const int ready = ::poll(&entry, 1, waitMs);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetErrorFromSystem();
            return false;
        }
        if (ready == 0) {
            if (waitMs == 0) {
                SetLastSocketError(kSocketErrorTimedOut);
                return false;
            }
            continue;  // the next round sees the deadline
        }
        int error = 0;
        socklen_t length = sizeof(error);
        if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
            SetErrorFromSystem();
            return false;
        }
        if (error != 0) {
            SetLastSocketError(SocketErrorFromSystem(error));
            return false;
        }
        return true;
    }
}

}  // namespace

int SocketErrorFromSystem(int systemError) {
    switch (systemError) {
        case EAGAIN:
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
            return kSocketErrorWouldBlock;
        case EINTR:
            return kSocketErrorInterrupted;
        case EBADF:
        case ENOTSOCK:
            return kSocketErrorBadHandle;
        case EINVAL:
            return kSocketErrorInvalidArgument;
        case EINPROGRESS:
            return kSocketErrorInProgress;
        case EALREADY:
            return kSocketErrorAlreadyInProgress;
        case EMSGSIZE:
            return kSocketErrorMessageSize;
        case EADDRINUSE:
            return kSocketErrorAddressInUse;
        case EADDRNOTAVAIL:
            return kSocketErrorAddressNotAvailable;
        case ENETDOWN:
            return kSocketErrorNetworkDown;
        case ENETUNREACH:
            return kSocketErrorNetworkUnreachable;
        case ECONNABORTED:
            return kSocketErrorConnectionAborted;
        case ECONNRESET:
            return kSocketErrorConnectionReset;
        case ENOBUFS:
        case ENOMEM:
            return kSocketErrorNoBuffers;
        case EISCONN:
            return kSocketErrorIsConnected;
        case ENOTCONN:
            return kSocketErrorNotConnected;
        case EPIPE:
            return kSocketErrorShutdown;
        case ETIMEDOUT:
            return kSocketErrorTimedOut;
        case ECONNREFUSED:
            return kSocketErrorConnectionRefused;
        case EHOSTUNREACH:
            return kSocketErrorHostUnreachable;
        default:
            return kSocketErrorNetworkDown;
    }
}

uint32_t LoopbackAddress() {
    return htonl(INADDR_LOOPBACK);
}

SocketHandle CreateTcpSocket() {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (socket < 0) {
        SetErrorFromSystem();
        return kNoSocket;
    }
    return socket;
}

bool ConnectSocket(SocketHandle socket, uint32_t address, uint16_t port, uint32_t timeoutMs) {
    if (RefuseNoSocket(socket)) {
        return false;
    }
    bool wasBlocking = true;
    if (!IsBlocking(socket, wasBlocking) || !SetSocketBlocking(socket, false)) {
        return false;
    }
    const sockaddr_in target = MakeAddress(address, port);
    bool connected = false;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&target), sizeof(target)) == 0) {
        connected = true;
    } else if (errno == EINPROGRESS || errno == EINTR) {
        connected = FinishConnect(socket, timeoutMs);
    } else {
        SetErrorFromSystem();
    }
    if (wasBlocking) {
        const int error = LastSocketError();
        SetSocketBlocking(socket, true);
        SetLastSocketError(error);
    }
    return connected;
}

bool BindSocket(SocketHandle socket, uint32_t address, uint16_t port) {
    if (RefuseNoSocket(socket)) {
        return false;
    }
    const int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    const sockaddr_in local = MakeAddress(address, port);
    if (::bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0) {
        SetErrorFromSystem();
        return false;
    }
    return true;
}

bool ListenSocket(SocketHandle socket, int backlog) {
    if (RefuseNoSocket(socket)) {
        return false;
    }
    if (::listen(socket, backlog) != 0) {
        SetErrorFromSystem();
        return false;
    }
    return true;
}

SocketHandle AcceptSocket(SocketHandle listener) {
    if (RefuseNoSocket(listener)) {
        return kNoSocket;
    }
    for (;;) {
        const int accepted = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (accepted >= 0) {
            return accepted;
        }
        if (errno != EINTR) {
            SetErrorFromSystem();
            return kNoSocket;
        }
    }
}

uint16_t SocketLocalPort(SocketHandle socket) {
    if (RefuseNoSocket(socket)) {
        return 0;
    }
    sockaddr_in local;
    socklen_t length = sizeof(local);
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        SetErrorFromSystem();
        return 0;
    }
    return ntohs(local.sin_port);
}

int SendSocket(SocketHandle socket, const void* data, size_t n) {
    if (RefuseNoSocket(socket)) {
        return -1;
    }
    if (n > static_cast<size_t>(INT32_MAX)) {
        n = INT32_MAX;
    }
    for (;;) {
        const ssize_t sent = ::send(socket, data, n, MSG_NOSIGNAL);
        if (sent >= 0) {
            return static_cast<int>(sent);
        }
        if (errno == EINTR) {
            continue;
        }
        SetErrorFromSystem();
        if (LastSocketError() == kSocketErrorWouldBlock) {
            detail::ReenableWriteNotice(socket);
        }
        return -1;
    }
}

int RecvSocket(SocketHandle socket, void* out, size_t n) {
    if (RefuseNoSocket(socket)) {
        return -1;
    }
    if (n > static_cast<size_t>(INT32_MAX)) {
        n = INT32_MAX;
    }
    for (;;) {
        const ssize_t received = ::recv(socket, out, n, 0);
        if (received < 0 && errno == EINTR) {
            continue;
        }
        const int savedErrno = errno;
        detail::ReenableReadNotice(socket);
        if (received < 0) {
            SetLastSocketError(SocketErrorFromSystem(savedErrno));
            return -1;
        }
        return static_cast<int>(received);
    }
}

bool SetSocketBlocking(SocketHandle socket, bool blocking) {
    if (RefuseNoSocket(socket)) {
        return false;
    }
    const int flags = ::fcntl(socket, F_GETFL);
    if (flags < 0) {
        SetErrorFromSystem();
        return false;
    }
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    if (wanted != flags && ::fcntl(socket, F_SETFL, wanted) != 0) {
        SetErrorFromSystem();
        return false;
    }
    return true;
}

bool SetSocketNoDelay(SocketHandle socket, bool on) {
    if (RefuseNoSocket(socket)) {
        return false;
    }
    const int value = on ? 1 : 0;
    if (::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &value, sizeof(value)) != 0) {
        SetErrorFromSystem();
        return false;
    }
    return true;
}

bool ShutdownSocket(SocketHandle socket, int how) {
    if (RefuseNoSocket(socket)) {
        return false;
    }
    const int systemHow = how == kShutdownReceive ? SHUT_RD
                          : how == kShutdownSend  ? SHUT_WR
                                                  : SHUT_RDWR;
    if (::shutdown(socket, systemHow) != 0) {
        SetErrorFromSystem();
        return false;
    }
    return true;
}

bool CloseSocket(SocketHandle socket) {
    if (RefuseNoSocket(socket)) {
        return false;
    }
    if (::close(socket) != 0 && errno != EINTR) {
        SetErrorFromSystem();
        return false;
    }
    return true;
}

}  // namespace platform
