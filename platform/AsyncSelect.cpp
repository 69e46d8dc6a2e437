#include "platform/AsyncSelect.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>
#include <thread>

#include "platform/Socket.h"
#include "platform/SocketWatch.h"

namespace platform {

// The state of one watched socket, shared by the AsyncSelect object, its
// watcher thread and the registry the socket calls re-enable notices through.
struct AsyncSelect::Watch {
    SocketHandle socket = kNoSocket;
    WindowId window = 0;
    uint32_t messageId = 0;
    uint32_t events = 0;
    int wakeFd = -1;
    std::thread thread;

    std::mutex mutex;
    bool readArmed = false;   // guarded by mutex
    bool writeArmed = false;  // guarded by mutex
    bool closed = false;      // guarded by mutex: the socket has left the watch
    bool stopping = false;    // guarded by mutex

    void Wake() const {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd, &one, sizeof(one));
    }
    void DrainWake() const {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(wakeFd, &count, sizeof(count));
    }
    void Post(uint32_t event, uint32_t error) const {
        PostMessage(window, messageId, static_cast<WParam>(socket), MakeSelectReply(event, error));
    }
    void Run();
    // Handles what poll reported for the socket.
    void OnReady(short revents, bool readWasArmed, bool writeWasArmed);
};

namespace {

std::mutex g_registryMutex;
// How many sockets are watched: while none is, a receive or send looks no
// further (and takes no lock).
std::atomic<int> g_watchCount{0};

std::map<SocketHandle, std::shared_ptr<AsyncSelect::Watch>>& Registry() {
    static auto* registry = new std::map<SocketHandle, std::shared_ptr<AsyncSelect::Watch>>;
    return *registry;
}

std::shared_ptr<AsyncSelect::Watch> FindWatch(SocketHandle socket) {
    if (g_watchCount.load() == 0) {
        return nullptr;
    }
    std::lock_guard lock(g_registryMutex);
    const auto it = Registry().find(socket);
    return it == Registry().end() ? nullptr : it->second;
}

}  // namespace

void AsyncSelect::Watch::Run() {
    for (;;) {
        short wanted = 0;
        bool readWasArmed = false;
        bool writeWasArmed = false;
        {
            std::lock_guard lock(mutex);
            if (stopping) {
                return;
            }
            if (!closed) {
                readWasArmed = readArmed;
                writeWasArmed = writeArmed;
                wanted = static_cast<short>((readArmed ? (POLLIN | POLLRDHUP) : 0) |
                                            (writeArmed ? POLLOUT : 0));
            }
        }
        // A descriptor of -1 is skipped by poll: with nothing armed only the
        // wake-up descriptor is watched.
        pollfd fds[2] = {{wakeFd, POLLIN, 0}, {wanted != 0 ? socket : -1, wanted, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            DrainWake();
        }
        if (fds[1].revents != 0) {
            OnReady(fds[1].revents, readWasArmed, writeWasArmed);
        }
    }
}

void AsyncSelect::Watch::OnReady(short revents, bool readWasArmed, bool writeWasArmed) {
    const short failed = POLLERR | POLLHUP;
    if (readWasArmed && (revents & (POLLIN | POLLRDHUP | failed)) != 0) {
        // A peek tells data from the end of the stream and from a failure
        // without taking anything the owner has not received yet.
        char probe = 0;
        const ssize_t peeked = ::recv(socket, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
        const int peekErrno = errno;
        std::unique_lock lock(mutex);
        if (stopping) {
            return;
        }
        if (peeked > 0) {
            readArmed = false;
            lock.unlock();
            Post(kSocketEventRead, 0);
        } else if (peeked == 0 ||
                   (peekErrno != EAGAIN && peekErrno != EWOULDBLOCK && peekErrno != EINTR)) {
            closed = true;
            lock.unlock();
            if ((events & kSocketEventClose) != 0) {
                Post(kSocketEventClose,
                     peeked == 0 ? 0 : static_cast<uint32_t>(SocketErrorFromSystem(peekErrno)));
            }
            return;
        }
    }
    if (writeWasArmed && (revents & (POLLOUT | failed)) != 0) {
        std::unique_lock lock(mutex);
        if (stopping || closed) {
            return;
        }
        writeArmed = false;
        lock.unlock();
        Post(kSocketEventWrite, 0);
    }
}

namespace detail {

void ReenableReadNotice(SocketHandle socket) {
    const std::shared_ptr<AsyncSelect::Watch> watch = FindWatch(socket);
    if (watch == nullptr || (watch->events & (kSocketEventRead | kSocketEventClose)) == 0) {
        return;
    }
    std::lock_guard lock(watch->mutex);
    if (!watch->readArmed && !watch->closed && !watch->stopping) {
        watch->readArmed = true;
        watch->Wake();
    }
}

void ReenableWriteNotice(SocketHandle socket) {
    const std::shared_ptr<AsyncSelect::Watch> watch = FindWatch(socket);
    if (watch == nullptr || (watch->events & kSocketEventWrite) == 0) {
        return;
    }
    std::lock_guard lock(watch->mutex);
    if (!watch->writeArmed && !watch->closed && !watch->stopping) {
        watch->writeArmed = true;
        watch->Wake();
    }
}

}  // namespace detail

AsyncSelect::AsyncSelect() = default;

AsyncSelect::~AsyncSelect() {
    Stop();
}

bool AsyncSelect::Start(SocketHandle socket, WindowId window, uint32_t messageId, uint32_t events) {
    if (socket == kNoSocket) {
        SetLastSocketError(kSocketErrorBadHandle);
        return false;
    }
    if (watch_ != nullptr || FindWatch(socket) != nullptr) {
        SetLastSocketError(kSocketErrorInvalidArgument);
        return false;
    }
    if (!SetSocketBlocking(socket, false)) {
        return false;
    }
    auto watch = std::make_shared<Watch>();
    watch->socket = socket;
    watch->window = window;
    watch->messageId = messageId;
    watch->events = events;
    // Read and close both need the socket polled for input.
    watch->readArmed = (events & (kSocketEventRead | kSocketEventClose)) != 0;
    watch->writeArmed = (events & kSocketEventWrite) != 0;
    watch->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (watch->wakeFd < 0) {
        SetLastSocketError(SocketErrorFromSystem(errno));
        return false;
    }
    {
        std::lock_guard lock(g_registryMutex);
        if (!Registry().emplace(socket, watch).second) {
            ::close(watch->wakeFd);
            SetLastSocketError(kSocketErrorInvalidArgument);
            return false;
        }
        ++g_watchCount;
    }
    try {
        watch->thread = std::thread([raw = watch.get()] { raw->Run(); });
    } catch (const std::system_error&) {
        std::lock_guard lock(g_registryMutex);
        Registry().erase(socket);
        --g_watchCount;
        ::close(watch->wakeFd);
        SetLastSocketError(kSocketErrorNoBuffers);
        return false;
    }
    watch_ = std::move(watch);
    return true;
}

void AsyncSelect::Stop() {
    if (watch_ == nullptr) {
        return;
    }
    {
        std::lock_guard lock(g_registryMutex);
        const auto it = Registry().find(watch_->socket);
        if (it != Registry().end() && it->second == watch_) {
            Registry().erase(it);
            --g_watchCount;
        }
    }
    {
        std::lock_guard lock(watch_->mutex);
        watch_->stopping = true;
        watch_->Wake();
    }
    if (watch_->thread.joinable()) {
        watch_->thread.join();
    }
    ::close(watch_->wakeFd);
    watch_.reset();
}

}  // namespace platform
