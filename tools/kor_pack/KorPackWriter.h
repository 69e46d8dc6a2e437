#pragma once
// Builds ".kor" resource packs: the 176-byte header, one 32-byte index
// record per resource, then the resources' bytes in the order given.
//
// Rules:
//  - Every resource is named by its file name: the record carries the key of
//    the resource name (title plus category suffix) and the RS hash of the
//    lower-cased extension, as the resource module looks them up.
//  - Entry count and index record count are both the number of resources;
//    the bytes the engine does not interpret are zero.
//  - Two resources with the same key are refused (the reader would keep only
//    the first), and so is a pack whose offsets would not fit 32 bits.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <set>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/ResKey.h"
#include "engine/ResourcePack.h"
#include "zep/ZepWire.h"

struct KorPackItem {
    std::string fileName;  // e.g. "Logo.png", keyed as "Logo.imge"
    std::vector<uint8_t> bytes;
};

// The pack's bytes in image; false with a reason in error when the items
// cannot be packed.
inline bool BuildKorPack(const std::vector<KorPackItem>& items, std::vector<uint8_t>& image,
                         std::string& error) {
    constexpr uint64_t kLimit = std::numeric_limits<uint32_t>::max();
    constexpr uint8_t kReserved[kResPackReservedSize] = {};
    const uint64_t count = items.size();
    const uint64_t indexEnd = kResPackIndexOffset + count * kResPackRecordSize;
    uint64_t total = indexEnd;
    std::set<std::tuple<uint32_t, uint32_t, uint32_t>> keys;
    for (const KorPackItem& item : items) {
        const ResKey key = GetResourceKey(item.fileName);
        if (!keys.emplace(key.rs, key.js, key.x31).second) {
            error = "two resources are named " + GetResourceName(item.fileName);
            return false;
        }
        total += item.bytes.size();
    }
    if (total > kLimit) {
        error = "the pack would pass 4 GiB";
        return false;
    }

    std::vector<uint8_t> out(static_cast<size_t>(total), 0);
    ZepWireWriter header(std::span<uint8_t>(out).subspan(kResPackEntryCountOffset, 8));
    header.WriteU32(static_cast<uint32_t>(count));
    header.WriteU32(static_cast<uint32_t>(count));

    ZepWireWriter index(
        std::span<uint8_t>(out).subspan(kResPackIndexOffset, count * kResPackRecordSize));
    uint64_t offset = indexEnd;
    for (const KorPackItem& item : items) {
        const ResKey key = GetResourceKey(item.fileName);
        index.WriteU32(key.rs);
        index.WriteU32(key.js);
        index.WriteU32(key.x31);
        index.WriteU32(static_cast<uint32_t>(offset));
        index.WriteU32(static_cast<uint32_t>(item.bytes.size()));
        index.WriteU32(GetExtensionHash(item.fileName));
        index.WriteBytes(std::span<const uint8_t>(kReserved));
        std::copy(item.bytes.begin(), item.bytes.end(),
                  out.begin() + static_cast<ptrdiff_t>(offset));
        offset += item.bytes.size();
    }
    if (!header.Ok() || !index.Ok()) {
        error = "the index does not fit the pack";
        return false;
    }
    image = std::move(out);
    return true;
}
