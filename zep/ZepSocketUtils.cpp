#include "zep/ZepSocketUtils.h"

#include <atomic>
#include <bit>

#include "platform/Messages.h"
#include "platform/Sync.h"
#include "platform/System.h"
#include "zep/ZepUtils.h"

namespace {

// Version codes from this value on can ask a socket whether it is connected.
constexpr uint32_t kFirstVersionWithConnectQuery = 16;

std::atomic<int32_t> g_lastConnectionId{0};

}  // namespace

uint16_t ZepPortToNetworkOrder(uint16_t port) {
    if constexpr (std::endian::native == std::endian::little) {
        return static_cast<uint16_t>((port >> 8) | (port << 8));
    } else {
        return port;
    }
}

uint16_t ZepPortFromNetworkOrder(uint16_t networkPort) {
    return ZepPortToNetworkOrder(networkPort);
}

int32_t ZepNextConnectionId() {
    return platform::InterlockedIncrement(g_lastConnectionId);
}

int ZepRegisterSocketWindowClass() {
    return platform::RegisterWindowClass(kZepSocketWindowClass) ? 1 : 0;
}

int ZepUnregisterSocketWindowClass() {
    return platform::UnregisterWindowClass(kZepSocketWindowClass) ? 1 : 0;
}

int ZepResolveAddress(const char* host, uint16_t port, ZepSocketAddress* out) {
    if (host == nullptr || out == nullptr) {
        platform::SetLastSocketError(platform::kSocketErrorInvalidArgument);
        return 0;
    }
    uint32_t address = 0;
    if (*host != '\0' && !platform::ResolveIPv4(host, &address)) {
        platform::SetLastSocketError(platform::kSocketErrorInvalidArgument);
        return 0;
    }
    out->family = kZepAddressFamilyInet;
    out->port = ZepPortToNetworkOrder(port);
    out->address = address;
    return 1;
}

int ZepGetConnectTime(platform::SocketHandle socket) {
    if (socket == platform::kNoSocket) {
        return -1;
    }
    uint32_t versionCode = 0;
    if (!ZepGetOsVersionCode(&versionCode) || versionCode < kFirstVersionWithConnectQuery) {
        return 1;
    }
    return platform::IsSocketConnected(socket) ? 0 : -1;
}

int ZepIsSocketConnected(platform::SocketHandle socket) {
    return ZepGetConnectTime(socket) != -1 ? 1 : 0;
}

int ZepGetEthernetAddresses(uint8_t* out, size_t capacity) {
    return platform::EthernetAddresses(out, out == nullptr ? 0 : capacity);
}
