#pragma once
// A TCP socket whose notices (connect, write, read, close) are handed to
// virtual handlers on the thread that created it, while that thread takes
// its messages: the socket a message loop drives without blocking.
//
// Rules:
//  - Create makes the socket and a hidden notice window owned by the calling
//    thread; every handler runs on that thread, inside DispatchMessage.
//  - Notices come in this order: OnConnect (with the error of a failed
//    connect, after which nothing more comes), one OnSend when the connection
//    stands, OnReceive whenever data is there and Receive has been called
//    since the last one, OnClose once at the end of the stream. Later OnSend
//    notices come only after a Send that would have blocked.
//  - A socket taken with Attach gets the same notices without OnConnect.
//  - Close and Detach end the notices at once: notices already queued are
//    dropped with the window. Detach hands the descriptor over (blocking
//    again) and this object forgets it; only Close closes it.
//  - A handler may Close or Detach the socket; it must not destroy the
//    object that is dispatching.
//  - A listening socket gets no notices: Accept takes a waiting connection
//    or reports would-block.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/AsyncSelect.h"
#include "platform/Messages.h"
#include "platform/Net.h"

namespace platform {

// The class of the notice windows (registered by Create).
inline constexpr const char* kAsyncSocketWindowClass = "Async Socket Window";

class AsyncSocket {
public:
    AsyncSocket();
    virtual ~AsyncSocket();  // closes what is open (without calling derived code)
    AsyncSocket(const AsyncSocket&) = delete;
    AsyncSocket& operator=(const AsyncSocket&) = delete;

    // A new socket with its notice window on the calling thread. False (the
    // last socket error says why) when one is already open or it cannot be
    // made.
    bool Create();

    // Starts connecting to address:port (network-order address, host-order
    // port). True when the connect completed or is under way: its outcome
    // comes as OnConnect. False when it failed at once.
    bool Connect(uint32_t address, uint16_t port);

    // Takes a connected socket (and its ownership): notices start with
    // OnSend. False when this object already holds one or the watch fails
    // (the socket then stays with the caller).
    bool Attach(SocketHandle socket);

    // Gives the descriptor up without closing it: notices end, the socket is
    // blocking again. -1 when there is none.
    SocketHandle Detach();

    // Sends or receives up to n bytes: the count, 0 at the end of the stream
    // (Receive), or -1 with the last socket error (10035 would block; 10057
    // while the connect is under way).
    virtual int Send(const void* data, size_t n);
    virtual int Receive(void* out, size_t n);

    // Closes the socket and ends its notices; harmless when nothing is open.
    virtual void Close();

    // Listens with the given backlog; the socket becomes non-blocking.
    bool Listen(int backlog);
    // Moves the next waiting connection into the other object (which must
    // hold no socket). False with 10035 when none is waiting.
    bool Accept(AsyncSocket& connection);

    SocketHandle Handle() const { return socket_; }
    // The peer's address (network order) and port (host order).
    bool GetPeerName(uint32_t* address, uint16_t* port) const;

protected:
    // The notices; the base handlers do nothing.
    virtual void OnConnect(int error);
    virtual void OnSend(int error);
    virtual void OnReceive(int error);
    virtual void OnClose(int error);
    virtual void OnAccept(int error);

private:
    class NoticeWindow;
    friend class NoticeWindow;

    // Where the socket is in its notices.
    enum class Phase {
        Idle,            // no watch
        Connecting,      // the connect's outcome has not come
        AwaitFirstSend,  // connected; the first write notice has not come
        Open,
    };

    // A notice window on the calling thread; null (error set) when none.
    std::unique_ptr<NoticeWindow> MakeNoticeWindow();
    bool StartWatch();
    // Ends the watch and retires the window (its queued notices go with it).
    void EndNotices();
    void FreeRetiredWindows();
    void OnNotice(SocketHandle socket, LParam reply);
    void OnConnectNotice(uint32_t event, uint32_t error);
    // The first notice of a connected socket: one OnSend comes first.
    void OnFirstNotice(uint32_t event, uint32_t error);
    void DeliverNotice(uint32_t event, uint32_t error);

    SocketHandle socket_ = kNoSocket;
    Phase phase_ = Phase::Idle;
    // The first write notice was delivered early (a read came first), so the
    // watch's own first write notice is not delivered again.
    bool swallowWrite_ = false;
    // Changes whenever the socket is closed, detached or replaced: a handler
    // that ended the socket stops the dispatch that called it.
    uint64_t generation_ = 0;
    std::unique_ptr<NoticeWindow> window_;
    // Windows whose handler may still be on the stack; freed once no notice
    // is being dispatched.
    std::vector<std::unique_ptr<NoticeWindow>> retired_;
    int dispatchDepth_ = 0;
    AsyncSelect watch_;
};

}  // namespace platform
