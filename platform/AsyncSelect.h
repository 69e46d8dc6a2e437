#pragma once
// Readiness notices of a socket, posted as window messages: what a socket
// thread waits for in its message loop instead of blocking in receive.
//
// Rules:
//  - Start makes the socket non-blocking and watches it on a thread of its
//    own. Each notice is a post of the given message to the window with
//    wParam = the socket and lParam = MakeSelectReply(event, error).
//  - Read: posted once when data (or the end of the stream) is there, and not
//    again until RecvSocket has been called on the socket.
//  - Write: posted once when the socket can first send (right after Start for
//    a connected socket), and afterwards only after a SendSocket that would
//    have blocked; never a stream of them.
//  - Close: posted exactly once, when the peer has ended the stream and the
//    data before the end has been received (error 0), or when the connection
//    fails (the error's code); the socket then leaves the watch.
//  - Notices come out in the order the socket showed them. A post that fails
//    (the window is gone) is dropped.
//  - Stop (or the destructor) ends the watch before it returns; no notice is
//    posted afterwards. Stop before the socket is closed.
//  - One watch per socket: Start fails for a socket that is already watched.

#include <cstdint>
#include <memory>

#include "platform/Messages.h"
#include "platform/Net.h"

namespace platform {

inline constexpr uint32_t kSocketEventRead = 0x01;
inline constexpr uint32_t kSocketEventWrite = 0x02;
inline constexpr uint32_t kSocketEventClose = 0x20;

// The notice's lParam: the event in the low 16 bits, the error in the high 16.
inline LParam MakeSelectReply(uint32_t event, uint32_t error) {
    return static_cast<LParam>(((error & 0xFFFFu) << 16) | (event & 0xFFFFu));
}
inline uint32_t SelectEvent(LParam reply) {
    return static_cast<uint32_t>(reply) & 0xFFFFu;
}
inline uint32_t SelectError(LParam reply) {
    return (static_cast<uint32_t>(reply) >> 16) & 0xFFFFu;
}

class AsyncSelect {
public:
    AsyncSelect();
    ~AsyncSelect();
    AsyncSelect(const AsyncSelect&) = delete;
    AsyncSelect& operator=(const AsyncSelect&) = delete;

    // Starts watching for the events (kSocketEvent* bits). False when this
    // object already watches a socket, the socket is already watched, or the
    // watch cannot be set up (the last socket error says why).
    bool Start(SocketHandle socket, WindowId window, uint32_t messageId, uint32_t events);
    void Stop();

    struct Watch;  // platform-internal

private:
    std::shared_ptr<Watch> watch_;
};

}  // namespace platform
