#pragma once
// A hash map from integer keys to 36-byte text records, and the look-up that
// copies a record's text out.
//
// Keys hash as (unsigned key >> 4) modulo the bucket count. A record's text
// is at most 31 bytes and always zero-terminated.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

struct MapStringRecord {
    uint32_t word = 0;
    std::array<char, 32> text{};
};
static_assert(sizeof(MapStringRecord) == 36);

// Builds a record; text beyond 31 bytes is cut.
MapStringRecord MakeMapStringRecord(uint32_t word, std::string_view text);

class IntStringMap {
public:
    explicit IntStringMap(int bucketCount = 17);

    // Stores or replaces the record of a key.
    void SetAt(int32_t key, const MapStringRecord& record);
    const MapStringRecord* Find(int32_t key) const;
    size_t Size() const { return size_; }

private:
    size_t BucketOf(int32_t key) const;

    std::vector<std::vector<std::pair<int32_t, MapStringRecord>>> buckets_;
    size_t size_ = 0;
};

// Copies the key's text into the destination (cut to fit, zero-terminated)
// and answers 1; answers 0 and leaves the destination untouched when the key
// is absent.
int LookupMapString(const IntStringMap& map, int32_t key, std::span<char> destination);
