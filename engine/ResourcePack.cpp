#include "engine/ResourcePack.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>
#include <string>

#include "zep/ZepWire.h"

namespace {

bool RangeFits(uint64_t offset, uint64_t size, uint64_t total) {
    return offset <= total && size <= total - offset;
}

}  // namespace

bool ParseResPackRecord(std::span<const uint8_t> bytes, ResPackRecord& record) {
    ZepWireReader reader(bytes);
    ResPackRecord parsed;
    reader.ReadU32(parsed.key.rs);
    reader.ReadU32(parsed.key.js);
    reader.ReadU32(parsed.key.x31);
    reader.ReadU32(parsed.offset);
    reader.ReadU32(parsed.size);
    reader.ReadU32(parsed.extensionHash);
    reader.ReadBytes(parsed.reserved);
    if (!reader.Ok()) {
        return false;
    }
    assert(reader.Position() == kResPackRecordSize);
    record = parsed;
    return true;
}

std::unique_ptr<uint8_t[]> AllocateResourceBuffer(uint64_t size) {
    if (size >= SIZE_MAX) {
        return nullptr;
    }
    const size_t length = static_cast<size_t>(size) + 1;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[length]);
    if (buffer) {
        std::memset(buffer.get(), 0, length);
    }
    return buffer;
}

std::unique_ptr<uint8_t[]> ReadResourceBytes(const platform::FileStream& stream, uint64_t offset,
                                             uint64_t size) {
    const std::optional<uint64_t> length = stream.Length();
    if (!length || !RangeFits(offset, size, *length)) {
        return nullptr;
    }
    std::unique_ptr<uint8_t[]> buffer = AllocateResourceBuffer(size);
    if (!buffer) {
        return nullptr;
    }
    const auto n = static_cast<size_t>(size);
    if (stream.ReadAt(offset, buffer.get(), n) != n) {
        return nullptr;
    }
    return buffer;
}

int ResPackReader::Next(uint32_t extensionHash) {
    for (size_t i = current_ + 1; i < records_.size(); ++i) {
        if (extensionHash == 0 || records_[i].extensionHash == extensionHash) {
            current_ = i;
            return 1;
        }
    }
    return 0;
}

bool ResPackReader::GetCurrent(ResPackRecord& record) const {
    if (current_ >= records_.size()) {
        return false;
    }
    record = records_[current_];
    return true;
}

void ResPackReader::Close() {
    records_.clear();
    records_.shrink_to_fit();
    current_ = 0;
    open_ = false;
}

const ResPackRecord* ResPackReader::GetRecord(size_t index) const {
    return open_ && index < records_.size() ? &records_[index] : nullptr;
}

bool ResPackReader::Refuse(std::string reason) {
    Close();
    error_ = std::move(reason);
    return false;
}

bool ResPackReader::LoadIndex(uint64_t packSize, const RangeReader& read) {
    Close();
    error_.clear();
    if (packSize < kResPackIndexOffset) {
        return Refuse("the pack is shorter than its header");
    }
    uint8_t header[kResPackIndexOffset];
    if (!read(0, header, sizeof header)) {
        return Refuse("the header cannot be read");
    }
    ZepWireReader counts(std::span<const uint8_t>(header).subspan(kResPackEntryCountOffset));
    uint32_t entryCount = 0;
    uint32_t recordCount = 0;
    counts.ReadU32(entryCount);
    counts.ReadU32(recordCount);
    const uint64_t indexEnd = kResPackIndexOffset + uint64_t{recordCount} * kResPackRecordSize;
    if (indexEnd > packSize) {
        return Refuse("the index of " + std::to_string(recordCount) +
                      " records runs past the end of the pack");
    }

    const size_t used = std::min(entryCount, recordCount);
    std::vector<uint8_t> index;
    try {
        index.resize(used * kResPackRecordSize);
        records_.resize(used);
    } catch (const std::bad_alloc&) {
        return Refuse("the index does not fit in memory");
    }
    if (!index.empty() && !read(kResPackIndexOffset, index.data(), index.size())) {
        return Refuse("the index cannot be read");
    }
    const std::span<const uint8_t> bytes(index);
    for (size_t i = 0; i < used; ++i) {
        ResPackRecord& record = records_[i];
        ParseResPackRecord(bytes.subspan(i * kResPackRecordSize, kResPackRecordSize), record);
        if (!RangeFits(record.offset, record.size, packSize)) {
            return Refuse("the data of record " + std::to_string(i) +
                          " runs past the end of the pack");
        }
    }
    open_ = true;
    return true;
}

CResPackFile::CResPackFile(std::string_view path) : path_(path) {
    platform::FileStream stream;
    if (!stream.Open(path_)) {
        return;
    }
    const std::optional<uint64_t> length = stream.Length();
    if (!length) {
        return;
    }
    LoadIndex(*length, [&stream](uint64_t offset, uint8_t* out, size_t n) {
        return stream.ReadAt(offset, out, n) == n;
    });
}

int CResPackFile::ReadEntryInto(size_t index, void* buffer, size_t bufferSize) {
    const ResPackRecord* record = GetRecord(index);
    if (record == nullptr || (buffer == nullptr && record->size > 0) || record->size > bufferSize) {
        return 0;
    }
    platform::FileStream stream;
    if (!stream.Open(path_)) {
        return 0;
    }
    const std::optional<uint64_t> length = stream.Length();
    if (!length || !RangeFits(record->offset, record->size, *length)) {
        return 0;
    }
    return stream.ReadAt(record->offset, buffer, record->size) == record->size ? 1 : 0;
}

std::unique_ptr<uint8_t[]> CResPackFile::ReadEntryAlloc(size_t index) {
    const ResPackRecord* record = GetRecord(index);
    platform::FileStream stream;
    if (record == nullptr || !stream.Open(path_)) {
        return nullptr;
    }
    return ReadResourceBytes(stream, record->offset, record->size);
}

CResPackMemory::CResPackMemory(const void* image, size_t size)
    : image_(static_cast<const uint8_t*>(image)), size_(image == nullptr ? 0 : size) {
    if (image_ == nullptr) {
        return;
    }
    LoadIndex(size_, [this](uint64_t offset, uint8_t* out, size_t n) {
        if (!RangeFits(offset, n, size_)) {
            return false;
        }
        std::memcpy(out, image_ + offset, n);
        return true;
    });
}

int CResPackMemory::ReadEntryInto(size_t index, void* buffer, size_t bufferSize) {
    const ResPackRecord* record = GetRecord(index);
    if (record == nullptr || record->size > bufferSize || (buffer == nullptr && record->size > 0)) {
        return 0;
    }
    if (record->size > 0) {
        std::memcpy(buffer, image_ + record->offset, record->size);
    }
    return 1;
}

std::unique_ptr<uint8_t[]> CResPackMemory::ReadEntryAlloc(size_t index) {
    const ResPackRecord* record = GetRecord(index);
    if (record == nullptr) {
        return nullptr;
    }
    std::unique_ptr<uint8_t[]> buffer = AllocateResourceBuffer(record->size);
    if (buffer && record->size > 0) {
        std::memcpy(buffer.get(), image_ + record->offset, record->size);
    }
    return buffer;
}
