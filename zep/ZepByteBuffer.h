#pragma once
// A growable byte buffer: the receive, assembly and transform buffers of the
// network library.
//
// Rules:
//  - The data always starts at the front of the block; the capacity is a
//    whole number of KB (1024 bytes) and never shrinks. A new buffer has no
//    block (capacity 0).
//  - Growth makes a block of the needed size rounded up to whole KB and
//    copies the data over. When the block cannot be had (or the size would
//    overflow) the buffer is left unchanged and the operation reports 0.
//  - Read and Consume take at most the size; a request above the capacity is
//    refused with 0.

#include <cstddef>
#include <cstdint>
#include <memory>

class ZepByteBuffer {
public:
    static constexpr size_t kBlockUnit = 1024;

    ZepByteBuffer() = default;
    virtual ~ZepByteBuffer();
    ZepByteBuffer(const ZepByteBuffer&) = delete;
    ZepByteBuffer& operator=(const ZepByteBuffer&) = delete;
    ZepByteBuffer(ZepByteBuffer&& other) noexcept;
    ZepByteBuffer& operator=(ZepByteBuffer&& other) noexcept;

    // Size 0; the block stays, and there is a block of at least 1 KB after.
    void Clear();

    size_t GetSize() const { return size_; }
    size_t GetCapacity() const { return capacity_; }

    // The data from the offset on; null when there is no block or the offset
    // lies past the size (offset == size gives the end of the data).
    uint8_t* GetData(size_t offset = 0);
    const uint8_t* GetData(size_t offset = 0) const;

    // Copies n bytes behind the data. Returns n, or 0 when nothing was added.
    size_t Append(const void* bytes, size_t n);
    // Copies n bytes in front of the data. Returns n, or 0 when nothing was
    // added.
    size_t Prepend(const void* bytes, size_t n);

    // Copies up to n bytes from the front into out and removes them. Returns
    // the number moved; 0 when n is above the capacity.
    size_t Read(void* out, size_t n);
    // Removes up to n bytes from the front. Returns the number removed; 0
    // when n is above the capacity.
    size_t Consume(size_t n);

    // Makes the capacity at least n (rounded up to whole KB), keeping the
    // data. False when the block cannot be had.
    bool Reserve(size_t n);
    // Grows the data by n bytes for the caller to write, and returns where
    // they start (their contents are whatever the block held); null, and
    // nothing added, when n is 0 or the block cannot be had.
    uint8_t* Extend(size_t n);

private:
    // Room for `needed` bytes in all; false when it cannot be had.
    bool EnsureCapacity(size_t needed);
    // Drops the first n bytes (n <= size).
    void DropFront(size_t n);

    std::unique_ptr<uint8_t[]> block_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
