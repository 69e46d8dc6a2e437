#pragma once
// Readers of ".kor" resource packs: a header, an index of 32-byte records and
// the resources' bytes at the offsets the records give. All numbers are
// unsigned 32-bit little-endian; there is no magic number.
//
// Rules:
//  - A pack is checked against its real size before anything is used: the
//    header and the whole index of N records must fit, and every record in
//    use (the first min(E, N)) must keep its data inside the pack. A pack
//    that fails any check is refused whole (IsOpen answers 0).
//  - Reads never go past a record's size or the pack's end.
//  - The readers hold only the index; the file reader reopens its file for
//    each entry it reads, the memory reader reads the caller's block, which
//    it does not own and which must outlive it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ResKey.h"
#include "platform/FileStream.h"

inline constexpr size_t kResPackEntryCountOffset = 100;
inline constexpr size_t kResPackRecordCountOffset = 104;
inline constexpr size_t kResPackIndexOffset = 176;
inline constexpr size_t kResPackRecordSize = 32;
inline constexpr size_t kResPackReservedSize = 8;

// One index record.
struct ResPackRecord {
    ResKey key;                                   // the hashes of the resource's name
    uint32_t offset = 0;                          // from the start of the pack
    uint32_t size = 0;                            // in bytes
    uint32_t extensionHash = 0;                   // RS hash of the lower-case extension
    uint8_t reserved[kResPackReservedSize] = {};  // carried, never interpreted
};

// Reads one record from its 32 bytes; false when fewer bytes are given.
bool ParseResPackRecord(std::span<const uint8_t> bytes, ResPackRecord& record);

// A new zeroed buffer of size + 1 bytes (resource data always ends in a 0
// byte); null when memory runs out.
std::unique_ptr<uint8_t[]> AllocateResourceBuffer(uint64_t size);
// The stream's bytes at the offset in a buffer from AllocateResourceBuffer;
// null when the range passes the stream's end or the read comes up short.
std::unique_ptr<uint8_t[]> ReadResourceBytes(const platform::FileStream& stream, uint64_t offset,
                                             uint64_t size);

// The index and the walk over it, shared by both readers.
class ResPackReader {
public:
    virtual ~ResPackReader() = default;
    ResPackReader(const ResPackReader&) = delete;
    ResPackReader& operator=(const ResPackReader&) = delete;

    // Copies the entry's bytes into the buffer: 1 when the entry exists, its
    // bytes fit the buffer and were all read, else 0.
    virtual int ReadEntryInto(size_t index, void* buffer, size_t bufferSize) = 0;
    // A new buffer of the entry's size + 1 bytes (the last one 0) holding
    // its bytes; null when the entry does not exist or cannot be read.
    virtual std::unique_ptr<uint8_t[]> ReadEntryAlloc(size_t index) = 0;
    // Nonzero while the pack is usable.
    int IsOpen() const { return open_ ? 1 : 0; }

    // The walk: the current record starts at the first one.
    void Rewind() { current_ = 0; }
    // Moves to the next record (with a nonzero filter, the next one whose
    // extension hash equals it); 1 when it moved, else 0 and unchanged.
    int Next(uint32_t extensionHash = 0);
    // A copy of the current record; false when there is none.
    bool GetCurrent(ResPackRecord& record) const;
    // Frees the index; the reader is unusable afterwards.
    void Close();

    // The records in use: min(E, N) of a usable pack.
    size_t RecordCount() const { return records_.size(); }
    const ResPackRecord* GetRecord(size_t index) const;
    // Why the pack was refused; empty while it is usable.
    const std::string& GetError() const { return error_; }

protected:
    ResPackReader() = default;

    // Fills n bytes from the pack at an offset; false when they cannot all
    // be read.
    using RangeReader = std::function<bool(uint64_t offset, uint8_t* out, size_t n)>;
    // Reads and checks the header and the index of a pack of packSize bytes.
    bool LoadIndex(uint64_t packSize, const RangeReader& read);

private:
    bool Refuse(std::string reason);

    std::vector<ResPackRecord> records_;
    size_t current_ = 0;
    bool open_ = false;
    std::string error_;
};

// A pack in a file, named by the client's path rules. The file is closed
// once the index is read.
class CResPackFile : public ResPackReader {
public:
    explicit CResPackFile(std::string_view path);

    int ReadEntryInto(size_t index, void* buffer, size_t bufferSize) override;
    std::unique_ptr<uint8_t[]> ReadEntryAlloc(size_t index) override;

private:
    std::string path_;
};

// A pack held in a block of memory with the file's layout.
class CResPackMemory : public ResPackReader {
public:
    CResPackMemory(const void* image, size_t size);
    ~CResPackMemory() override = default;

    int ReadEntryInto(size_t index, void* buffer, size_t bufferSize) override;
    std::unique_ptr<uint8_t[]> ReadEntryAlloc(size_t index) override;

private:
    const uint8_t* image_ = nullptr;
    size_t size_ = 0;
};
