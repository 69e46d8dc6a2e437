#pragma once
// Helpers of the connection tests: an owner thread that collects the pairs a
// connection posts (and frees them as every receiver must), and small
// builders of messages and byte strings.

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/Messages.h"
#include "platform/Socket.h"
#include "platform/Thread.h"
#include "zep/ZepMessage.h"
#include "zep/ZepSocketUtils.h"

namespace zeptest {

// What one WM_ZEP_SOCKET pair carried.
struct Delivered {
    ZepDeliveryInfo info;
    uint32_t code = 0;
    std::string data;
};

// A thread with a queue that takes WM_ZEP_SOCKET pairs, records a copy and
// frees both records with ZepFreeDelivery.
class OwnerThread {
public:
    OwnerThread() {
        thread_.StartWithQueue([this] {
            platform::Message m;
            while (platform::GetMessage(m)) {
                if (m.id == kFlushMessage) {
                    {
                        std::lock_guard lock(mutex_);
                        ++flushesDone_;
                    }
                    changed_.notify_all();
                    continue;
                }
                if (m.id != WM_ZEP_SOCKET) {
                    continue;
                }
                auto* info = reinterpret_cast<ZepDeliveryInfo*>(m.wParam);
                auto* message = reinterpret_cast<ZepMessage*>(m.lParam);
                Delivered copy;
                copy.info = *info;
                copy.code = message->Code();
                copy.data.assign(reinterpret_cast<const char*>(message->data), message->length);
                ZepFreeDelivery(info, message);
                {
                    std::lock_guard lock(mutex_);
                    received_.push_back(std::move(copy));
                }
                changed_.notify_all();
            }
        });
    }
    ~OwnerThread() { Stop(); }
    OwnerThread(const OwnerThread&) = delete;
    OwnerThread& operator=(const OwnerThread&) = delete;

    platform::ThreadId Id() const { return thread_.Id(); }

    // Ends the thread: later posts to it fail.
    void Stop() {
        platform::PostThreadMessage(thread_.Id(), platform::kMsgQuit, 0, 0);
        thread_.Join();
    }

    // Waits (bounded, so that a fault fails instead of hanging) until n
    // pairs have come in all.
    bool WaitFor(size_t n, uint32_t timeoutMs = 10000) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return forgotten_ + received_.size() >= n; });
    }
    // Returns once every pair posted before the call has been taken.
    bool Flush(uint32_t timeoutMs = 10000) {
        uint64_t mark = 0;
        {
            std::lock_guard lock(mutex_);
            mark = ++flushesAsked_;
        }
        platform::PostThreadMessage(thread_.Id(), kFlushMessage, 0, 0);
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return flushesDone_ >= mark; });
    }
    // The pairs kept (all that came, unless some were forgotten).
    std::vector<Delivered> Received() {
        std::lock_guard lock(mutex_);
        return received_;
    }
    // The pairs from the first'th on, counting from the very first that came
    // (none when fewer came; the forgotten ones are left out).
    std::vector<Delivered> ReceivedFrom(size_t first) {
        std::lock_guard lock(mutex_);
        const size_t at = first > forgotten_ ? first - forgotten_ : 0;
        if (at >= received_.size()) {
            return {};
        }
        return {received_.begin() + static_cast<std::ptrdiff_t>(at), received_.end()};
    }
    // Lets go of the pairs before the n'th (counting from the very first), so
    // that a long run keeps only what it has not taken yet.
    void Forget(size_t n) {
        std::lock_guard lock(mutex_);
        const size_t drop = n > forgotten_ ? std::min(n - forgotten_, received_.size()) : 0;
        received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(drop));
        forgotten_ += drop;
    }

private:
    static constexpr uint32_t kFlushMessage = platform::kMsgApp + 1;

    platform::Thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Delivered> received_;
    size_t forgotten_ = 0;  // pairs let go from the front of received_
    uint64_t flushesAsked_ = 0;
    uint64_t flushesDone_ = 0;
};

inline std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

inline std::string Text(const ZepMessage& message) {
    return {reinterpret_cast<const char*>(message.data), message.length};
}

// The socket threads' hidden window class, as the program registers it once
// at start.
inline void RegisterSocketWindowClass() {
    ZepRegisterSocketWindowClass();
}

}  // namespace zeptest
