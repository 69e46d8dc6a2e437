#pragma once
// TCP sockets over IPv4, the way the network library expects them of its
// platform.
//
// Rules:
//  - A socket is a descriptor; only -1 (kNoSocket) means "no socket". Every
//    call refuses -1 and leaves error 10038 (not a socket).
//  - Failures return -1 or false and leave a Windows-style error code for the
//    calling thread (LastSocketError, platform/Net.h): 10035 would block,
//    10060 timed out, 10061 refused, 10054 reset, and so on.
//  - Sending never raises SIGPIPE: a send to a closed peer fails with an
//    error code.
//  - Addresses are IPv4 addresses in network byte order (as ResolveIPv4 gives
//    them); ports are in host byte order.
//  - Receiving and a send that would block re-enable the readiness notices of
//    a socket watched by AsyncSelect (platform/AsyncSelect.h).

#include <cstddef>
#include <cstdint>

#include "platform/Net.h"

namespace platform {

inline constexpr int kSocketErrorInterrupted = 10004;
inline constexpr int kSocketErrorBadHandle = 10038;
inline constexpr int kSocketErrorInProgress = 10036;
inline constexpr int kSocketErrorAlreadyInProgress = 10037;
inline constexpr int kSocketErrorMessageSize = 10040;
inline constexpr int kSocketErrorAddressInUse = 10048;
inline constexpr int kSocketErrorAddressNotAvailable = 10049;
inline constexpr int kSocketErrorNetworkDown = 10050;
inline constexpr int kSocketErrorNetworkUnreachable = 10051;
inline constexpr int kSocketErrorConnectionAborted = 10053;
inline constexpr int kSocketErrorConnectionReset = 10054;
inline constexpr int kSocketErrorNoBuffers = 10055;
inline constexpr int kSocketErrorIsConnected = 10056;
inline constexpr int kSocketErrorNotConnected = 10057;
inline constexpr int kSocketErrorShutdown = 10058;
inline constexpr int kSocketErrorTimedOut = 10060;
inline constexpr int kSocketErrorConnectionRefused = 10061;
inline constexpr int kSocketErrorHostUnreachable = 10065;

// The Windows-style code of a system error number (errno).
int SocketErrorFromSystem(int systemError);

// The loopback address 127.0.0.1 in network byte order.
uint32_t LoopbackAddress();

// A new TCP socket (blocking), or -1.
SocketHandle CreateTcpSocket();

// Connects within the time-out: the connect runs non-blocking and is given up
// (error 10060) when it has not completed in time. The socket is blocking
// again afterwards. kInfinite waits as long as the system does.
bool ConnectSocket(SocketHandle socket, uint32_t address, uint16_t port, uint32_t timeoutMs);

bool BindSocket(SocketHandle socket, uint32_t address, uint16_t port);
bool ListenSocket(SocketHandle socket, int backlog);
// Takes the next waiting connection (blocking unless the listener is
// non-blocking); -1 on failure.
SocketHandle AcceptSocket(SocketHandle listener);

// The port the socket is bound to (host order), 0 on failure.
uint16_t SocketLocalPort(SocketHandle socket);

// Sends up to n bytes: the count sent, or -1 (10035 when it would block).
int SendSocket(SocketHandle socket, const void* data, size_t n);
// Receives up to n bytes: the count, 0 at the end of the stream, or -1
// (10035 when nothing is there on a non-blocking socket).
int RecvSocket(SocketHandle socket, void* out, size_t n);

bool SetSocketBlocking(SocketHandle socket, bool blocking);
// Sends small writes at once instead of holding them until the last one is
// acknowledged (a server's replies and notices go out without delay).
bool SetSocketNoDelay(SocketHandle socket, bool on);

// Ends sending, receiving or both (0, 1, 2 as the system numbers them); a
// blocked receive or accept on the socket returns.
bool ShutdownSocket(SocketHandle socket, int how);
inline constexpr int kShutdownReceive = 0;
inline constexpr int kShutdownSend = 1;
inline constexpr int kShutdownBoth = 2;

// Closes the descriptor. A socket still watched by AsyncSelect must have its
// watch stopped first.
bool CloseSocket(SocketHandle socket);

}  // namespace platform
