#pragma once
// The socket services the network library stands on.
//
// Socket handles are descriptors; only -1 means "no socket". Failures leave a
// Windows-style error code for the calling thread (LastSocketError).

#include <cstdint>

namespace platform {

using SocketHandle = int;
inline constexpr SocketHandle kNoSocket = -1;

inline constexpr int kSocketErrorWouldBlock = 10035;
inline constexpr int kSocketErrorInvalidArgument = 10022;

int LastSocketError();
void SetLastSocketError(int code);

// An IPv4 address in network byte order for a dotted address or a host name.
// False (and error 10022) when the name does not resolve. Thread-safe.
bool ResolveIPv4(const char* host, uint32_t* addressOut);

// True when the socket has a connected peer.
bool IsSocketConnected(SocketHandle socket);

}  // namespace platform
