#include "platform/Net.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <string>
#include <string_view>

#include "platform/AsciiCase.h"

namespace platform {
namespace {

thread_local int lastSocketError = 0;

// Names under the reserved "invalid" domain never resolve; they are refused
// at once instead of asking a name server.
bool IsReservedInvalidName(std::string_view host) {
    if (!host.empty() && host.back() == '.') {
        host.remove_suffix(1);
    }
    const std::string dotted = "." + std::string(host);
    return detail::EndsWithIgnoringAsciiCase(dotted, ".invalid");
}

bool LookUpIPv4(const char* host, uint32_t* addressOut) {
    addrinfo hints;
    std::memset(&hints, 0, sizeof(hints));
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* results = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &results) != 0 || results == nullptr) {
        return false;
    }
    bool found = false;
    for (const addrinfo* entry = results; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr &&
            entry->ai_addrlen >= sizeof(sockaddr_in)) {
            sockaddr_in address;
            std::memcpy(&address, entry->ai_addr, sizeof(address));
            *addressOut = address.sin_addr.s_addr;
            found = true;
            break;
        }
    }
    ::freeaddrinfo(results);
    return found;
}

}  // namespace

int LastSocketError() {
    return lastSocketError;
}

void SetLastSocketError(int code) {
    lastSocketError = code;
}

bool ResolveIPv4(const char* host, uint32_t* addressOut) {
    if (host == nullptr || addressOut == nullptr) {
        SetLastSocketError(kSocketErrorInvalidArgument);
        return false;
    }
    in_addr dotted;
    if (::inet_pton(AF_INET, host, &dotted) == 1) {
        *addressOut = dotted.s_addr;
        return true;
    }
    if (host[0] != '\0' && !IsReservedInvalidName(host) && LookUpIPv4(host, addressOut)) {
        return true;
    }
    SetLastSocketError(kSocketErrorInvalidArgument);
    return false;
}

bool IsSocketConnected(SocketHandle socket) {
    if (socket == kNoSocket) {
        return false;
    }
    sockaddr_storage peer;
    socklen_t length = sizeof(peer);
    return ::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) == 0;
}

}  // namespace platform
