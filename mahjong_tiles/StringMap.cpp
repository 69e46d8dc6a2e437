#include "mahjong_tiles/StringMap.h"

#include <algorithm>
#include <cstring>

MapStringRecord MakeMapStringRecord(uint32_t word, std::string_view text) {
    MapStringRecord record;
    record.word = word;
    const size_t length = std::min(text.size(), record.text.size() - 1);
    std::copy_n(text.begin(), length, record.text.begin());
    return record;
}

IntStringMap::IntStringMap(int bucketCount)
    : buckets_(static_cast<size_t>(std::max(bucketCount, 1))) {}

size_t IntStringMap::BucketOf(int32_t key) const {
    return (static_cast<uint32_t>(key) >> 4) % buckets_.size();
}

void IntStringMap::SetAt(int32_t key, const MapStringRecord& record) {
    MapStringRecord stored = record;
    stored.text.back() = '\0';
    auto& bucket = buckets_[BucketOf(key)];
    for (auto& entry : bucket) {
        if (entry.first == key) {
            entry.second = stored;
            return;
        }
    }
    bucket.emplace_back(key, stored);
    ++size_;
}

const MapStringRecord* IntStringMap::Find(int32_t key) const {
    for (const auto& entry : buckets_[BucketOf(key)]) {
        if (entry.first == key) {
            return &entry.second;
        }
    }
    return nullptr;
}

int LookupMapString(const IntStringMap& map, int32_t key, std::span<char> destination) {
    const MapStringRecord* record = map.Find(key);
    if (record == nullptr) {
        return 0;
    }
    if (destination.empty()) {
        return 1;
    }
    const size_t length =
        std::min(strnlen(record->text.data(), record->text.size()), destination.size() - 1);
    std::copy_n(record->text.begin(), length, destination.begin());
    destination[length] = '\0';
    return 1;
}
