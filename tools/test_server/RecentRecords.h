#pragma once
// The last records of a log that runs as long as its server: it keeps the
// newest `kept` records and lets the older ones go, counting every record it
// was given. A server that plays hand after hand for hours stays at its size.
//
// Not thread safe: its owner guards it.

#include <cstddef>
#include <deque>
#include <vector>

namespace testserver {

template <typename T>
class RecentRecords {
public:
    explicit RecentRecords(size_t kept) : kept_(kept) {}

    void Add(T record) {
        ++added_;
        if (kept_ == 0) {
            return;
        }
        if (records_.size() == kept_) {
            records_.pop_front();
        }
        records_.push_back(std::move(record));
    }
    // The records kept, oldest first.
    std::vector<T> Kept() const { return {records_.begin(), records_.end()}; }
    // Every record given since the start.
    size_t Added() const { return added_; }

private:
    size_t kept_;
    std::deque<T> records_;
    size_t added_ = 0;
};

}  // namespace testserver
