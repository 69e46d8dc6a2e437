#pragma once
// The table's timers: actions due at a time on the table's clock, taken in
// the order they fall due (equal times in the order they were added). It
// keeps no thread and reads no clock: its owner says what time it is.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace testserver {

class TimerQueue {
public:
    using Action = std::function<void()>;

    // An id for Cancel (never 0).
    uint64_t Add(uint64_t dueMs, Action action) {
        const uint64_t id = ++lastId_;
        timers_.emplace(std::make_pair(dueMs, id), std::move(action));
        return id;
    }
    // False when the timer already ran or never was.
    bool Cancel(uint64_t id) {
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->first.second == id) {
                timers_.erase(it);
                return true;
            }
        }
        return false;
    }
    void Clear() { timers_.clear(); }
    std::optional<uint64_t> NextDue() const {
        if (timers_.empty()) {
            return std::nullopt;
        }
        return timers_.begin()->first.first;
    }
    // Removes and returns the actions due at nowMs, in order.
    std::vector<Action> TakeDue(uint64_t nowMs) {
        std::vector<Action> due;
        while (!timers_.empty() && timers_.begin()->first.first <= nowMs) {
            due.push_back(std::move(timers_.begin()->second));
            timers_.erase(timers_.begin());
        }
        return due;
    }
    size_t Size() const { return timers_.size(); }

private:
    std::map<std::pair<uint64_t, uint64_t>, Action> timers_;  // (due, id)
    uint64_t lastId_ = 0;
};

}  // namespace testserver
