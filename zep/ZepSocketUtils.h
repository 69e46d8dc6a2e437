#pragma once
// Socket helpers of the network library: connection ids, the hidden socket
// window class, IPv4 address resolution, the connected-state query and the
// machine's Ethernet hardware addresses.
//
// Socket handles follow platform/Net.h: only -1 means "no socket".

#include <cstddef>
#include <cstdint>

#include "platform/Net.h"

// The class of the socket threads' hidden windows.
inline constexpr const char* kZepSocketWindowClass = "Zep Socket Window";

// The IPv4 address family value of a ZepSocketAddress.
inline constexpr uint16_t kZepAddressFamilyInet = 2;

// An IPv4 socket address: port and address are stored in network byte order,
// as they go into a connect call.
struct ZepSocketAddress {
    uint16_t family = 0;
    uint16_t port = 0;
    uint32_t address = 0;
};

// Host-order port to the network-order value ZepSocketAddress holds, and back.
uint16_t ZepPortToNetworkOrder(uint16_t port);
uint16_t ZepPortFromNetworkOrder(uint16_t networkPort);

// The next value of a process-wide counter; the first call returns 1.
int32_t ZepNextConnectionId();

// Registers / removes the "Zep Socket Window" class. 1 on success; a second
// register is harmless.
int ZepRegisterSocketWindowClass();
int ZepUnregisterSocketWindowClass();

// Fills out with the IPv4 address of host (a dotted address or a name) and the
// port. An empty host gives the address 0 (any). Returns 1; 0 when the host
// is null or does not resolve, or out is null, leaving the calling thread's
// last socket error at 10022.
int ZepResolveAddress(const char* host, uint16_t port, ZepSocketAddress* out);

// -1 for no socket (-1) or a socket without a connected peer; 0 for a
// connected socket. No caller reads the seconds, which this system does not
// keep: the answer only tells connected from not. A system whose version code
// is below 16 cannot be asked and answers 1 (taken as connected).
int ZepGetConnectTime(platform::SocketHandle socket);
// 1 when ZepGetConnectTime is not -1, else 0.
int ZepIsSocketConnected(platform::SocketHandle socket);

// Writes the hardware addresses of the machine's Ethernet adapters one after
// another into out, stopping at its capacity. Returns the number of Ethernet
// adapters (also those cut off by the capacity), 0 when there is none, -1
// when the adapter list cannot be read.
int ZepGetEthernetAddresses(uint8_t* out, size_t capacity);
