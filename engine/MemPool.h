#pragma once
// A chained-block memory pool for the engine's small fixed-size records.
//
// Rules:
//  - Memory comes in blocks; each block's data area is cut into pieces, each
//    with an 8-byte head {size, next free piece} before the caller's bytes.
//  - Requests are rounded up to a multiple of 8, so every piece is 8-aligned.
//  - Alloc takes the first free piece that fits (blocks in order); a piece
//    with room for another head is split. When nothing fits, a block of
//    max(n + 8, next block size) is appended and the next block size doubles.
//  - Free puts a piece at the front of its block's free list (no merging);
//    a pointer that is not a live piece of this pool is ignored.
//  - Reset makes every block one free piece again; Destroy releases them all.
//  - Two process-wide counters add up every pool: bytes reserved in blocks
//    and bytes handed out.
// Users are destroyed before the pool; the pool is not thread-safe.

#include <atomic>
#include <cstddef>
#include <cstdint>

class CMemPool {
public:
    CMemPool() = default;
    ~CMemPool();
    CMemPool(const CMemPool&) = delete;
    CMemPool& operator=(const CMemPool&) = delete;

    // Next block size = (unit size rounded up to 8, plus the 8-byte head) x
    // count; creates the first block. False when the sizes are unusable.
    bool Init(size_t unitSize, size_t count);
    // Null for a request that no block can ever hold.
    void* Alloc(size_t n);
    void Free(void* p);
    void Reset();
    void Destroy();

    size_t GetTotalBytes() const { return m_totalBytes; }
    size_t GetFreeBytes() const { return m_freeBytes; }
    size_t GetNextBlockSize() const { return m_nextBlockSize; }
    int GetBlockCount() const { return m_blockCount; }

    // All pools together.
    static int64_t ReservedBytes() { return s_reservedBytes.load(); }
    static int64_t InUseBytes() { return s_inUseBytes.load(); }

private:
    struct Block;

    Block* AddBlock(size_t dataSize);
    void* AllocFromBlock(Block* block, uint32_t n);
    Block* FindOwner(const uint8_t* p) const;

    size_t m_totalBytes = 0;
    size_t m_freeBytes = 0;
    size_t m_nextBlockSize = 0;
    int m_blockCount = 0;
    Block* m_firstBlock = nullptr;

    static std::atomic<int64_t> s_reservedBytes;
    static std::atomic<int64_t> s_inUseBytes;
};
