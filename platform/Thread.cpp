#include "platform/Thread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/MessageQueue.h"

namespace platform {

namespace {

std::atomic<ThreadId> g_nextThreadId{1};
thread_local ThreadId t_threadId = 0;

}  // namespace

namespace detail {

ThreadId AllocateThreadId() {
    ThreadId id = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
    while (id == 0) {  // only after 2^32 threads
        id = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
    }
    return id;
}

void AdoptThreadId(ThreadId id) {
    t_threadId = id;
}

}  // namespace detail

ThreadId CurrentThreadId() {
    if (t_threadId == 0) {
        t_threadId = detail::AllocateThreadId();
    }
    return t_threadId;
}

// Shared by the Thread object and the running thread, so that either may go
// first: a thread that outlives its Thread object keeps this alive.
struct Thread::State {
    std::mutex mutex;
    std::condition_variable ended;
    std::thread thread;    // guarded by mutex
    bool running = false;  // guarded by mutex
    std::atomic<ThreadId> id{0};
};

Thread::Thread() : state_(std::make_shared<State>()) {}

Thread::~Thread() {
    std::lock_guard lock(state_->mutex);
    if (!state_->thread.joinable()) {
        return;
    }
    if (state_->running) {
        state_->thread.detach();  // still running: let it finish on its own
    } else {
        state_->thread.join();  // ended: only the last few instructions remain
    }
}

bool Thread::Start(std::function<void()> body) {
    return StartImpl(std::move(body), false);
}

bool Thread::StartWithQueue(std::function<void()> body) {
    return StartImpl(std::move(body), true);
}

bool Thread::StartImpl(std::function<void()> body, bool makeQueue) {
    std::lock_guard lock(state_->mutex);
    if (state_->running || !body) {
        return false;
    }
    if (state_->thread.joinable()) {
        state_->thread.join();  // the previous run has ended
    }
    const ThreadId id = detail::AllocateThreadId();
    if (makeQueue) {
        detail::CreateQueueForThread(id);
    }
    try {
        state_->thread = std::thread([state = state_, body = std::move(body), id]() mutable {
            detail::AdoptThreadId(id);
            body();
            body = nullptr;  // what the body holds goes before the end is reported
            detail::EndThreadMessaging(id);
            std::lock_guard lock(state->mutex);
            state->running = false;
            state->ended.notify_all();
        });
    } catch (const std::system_error&) {
        if (makeQueue) {
            detail::EndThreadMessaging(id);
        }
        return false;
    }
    state_->running = true;
    state_->id.store(id);
    return true;
}

ThreadId Thread::Id() const {
    return state_->id.load();
}

bool Thread::IsRunning() const {
    std::lock_guard lock(state_->mutex);
    return state_->running;
}

bool Thread::Join(uint32_t timeoutMs) {
    std::unique_lock lock(state_->mutex);
    if (state_->running && state_->id.load() == CurrentThreadId()) {
        return false;  // a thread cannot wait for its own end
    }
    auto ended = [this] { return !state_->running; };
    if (timeoutMs == kInfinite) {
        state_->ended.wait(lock, ended);
    } else if (!state_->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), ended)) {
        return false;
    }
    if (state_->thread.joinable()) {
        state_->thread.join();
    }
    return true;
}

}  // namespace platform
