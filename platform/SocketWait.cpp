#include "platform/SocketWait.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/MessageQueue.h"

namespace platform {

namespace {

// A queue waiter that sleeps in poll on its wake-up descriptor and on the
// socket its thread watches, and notes what the socket showed.
class SocketQueueWaiter final : public QueueWaiter {
public:
    SocketQueueWaiter() : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~SocketQueueWaiter() override {
        if (wakeFd_ >= 0) {
            ::close(wakeFd_);
        }
    }
    SocketQueueWaiter(const SocketQueueWaiter&) = delete;
    SocketQueueWaiter& operator=(const SocketQueueWaiter&) = delete;

    bool Usable() const { return wakeFd_ >= 0; }

    // What the next sleeps watch (owner thread only).
    void Watch(SocketHandle socket, uint32_t events) {
        socket_ = socket;
        pollEvents_ =
            static_cast<short>(((events & kSocketEventRead) != 0 ? (POLLIN | POLLRDHUP) : 0) |
                               ((events & kSocketEventWrite) != 0 ? POLLOUT : 0));
        ready_ = 0;
        woken_ = false;
    }

    // True once the socket was ready or a wake came; `ready` gets the events.
    bool TakeWhatEnded(uint32_t& ready) {
        ready = ready_;
        const bool ended = ready_ != 0 || woken_;
        ready_ = 0;
        woken_ = false;
        return ended;
    }

    void Wait(uint32_t timeoutMs) override {
        const bool watched = socket_ != kNoSocket && pollEvents_ != 0;
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {watched ? socket_ : -1, pollEvents_, 0}};
        const int timeout = timeoutMs == kInfinite ? -1 : static_cast<int>(timeoutMs);
        if (::poll(fds, 2, timeout) <= 0) {
            return;  // the time-out, or an interruption: a spurious return
        }
        if (fds[0].revents != 0) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t got = ::read(wakeFd_, &count, sizeof(count));
            woken_ = true;
        }
        const short revents = fds[1].revents;
        const short failed = POLLERR | POLLHUP | POLLNVAL;
        if ((pollEvents_ & POLLIN) != 0 && (revents & (POLLIN | POLLRDHUP | failed)) != 0) {
            ready_ |= kSocketEventRead;
        }
        if ((pollEvents_ & POLLOUT) != 0 && (revents & (POLLOUT | failed)) != 0) {
            ready_ |= kSocketEventWrite;
        }
    }

    void Wake() override {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof(one));
    }

private:
    const int wakeFd_;
    // The owner thread's alone.
    SocketHandle socket_ = kNoSocket;
    short pollEvents_ = 0;
    uint32_t ready_ = 0;
    bool woken_ = false;
};

// The calling thread's socket waiter, installed on first use; null when none
// can be had.
SocketQueueWaiter* ThreadSocketWaiter() {
    std::shared_ptr<QueueWaiter> current = detail::CurrentQueueWaiter();
    if (current == nullptr) {
        return nullptr;
    }
    if (auto* waiter = dynamic_cast<SocketQueueWaiter*>(current.get())) {
        return waiter;  // the queue keeps it while the thread has messaging
    }
    auto made = std::make_unique<SocketQueueWaiter>();
    if (!made->Usable()) {
        return nullptr;
    }
    SocketQueueWaiter* waiter = made.get();
    // A wake the replaced waiter kept would be lost with it: the first wait
    // returns at once instead.
    waiter->Wake();
    SetQueueWaiter(std::move(made));
    return waiter;
}

}  // namespace

uint32_t MsgWaitForSocket(SocketHandle socket, uint32_t events, uint32_t timeoutMs) {
    SocketQueueWaiter* waiter = ThreadSocketWaiter();
    if (waiter == nullptr) {
        WaitMessage(timeoutMs);
        return 0;
    }
    waiter->Watch(socket, events);
    uint32_t ready = 0;
    detail::WaitMessageOr(timeoutMs, [&] { return waiter->TakeWhatEnded(ready); });
    return ready;
}

bool WakeSocketWait(ThreadId thread) {
    return detail::WakeQueueWaiter(thread);
}

}  // namespace platform
