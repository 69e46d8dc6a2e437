#include "engine/MemPool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace {

TEST(MemPoolTest, BlocksGrowAndTheNextBlockDoubles) {
    CMemPool pool;
    ASSERT_TRUE(pool.Init(16, 64));
    EXPECT_EQ(pool.GetTotalBytes(), 1536u);

    std::set<void*> pieces;
    for (int i = 1; i <= 129; ++i) {
        void* p = pool.Alloc(16);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 8, 0u);
        std::memset(p, i, 16);  // ASan checks each piece lies inside its block
        pieces.insert(p);
        if (i == 64 || i == 65 || i == 129) {
            // The 65th piece adds a block of 1,536 and the 129th one of 3,072.
            EXPECT_EQ(pool.GetBlockCount(), i == 64 ? 1 : i == 65 ? 2 : 3) << i;
            EXPECT_EQ(pool.GetTotalBytes(), i == 64 ? 1536u : i == 65 ? 3072u : 6144u) << i;
        }
    }
    EXPECT_EQ(pieces.size(), 129u);
}

TEST(MemPoolTest, OddUnitsFitCountPerBlockAndOversizedRequestsGetTheirOwn) {
    CMemPool odd;
    ASSERT_TRUE(odd.Init(52, 64));
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(odd.Alloc(52)) % 8, 0u);
    }
    EXPECT_EQ(odd.GetBlockCount(), 1);

    CMemPool pool;
    ASSERT_TRUE(pool.Init(16, 4));  // blocks of 96
    void* big = pool.Alloc(1000);
    ASSERT_NE(big, nullptr);
    std::memset(big, 0xAB, 1000);
    EXPECT_EQ(pool.GetBlockCount(), 2);
    EXPECT_EQ(pool.GetTotalBytes(), 96u + 1008u);
    EXPECT_EQ(pool.GetNextBlockSize(), 192u);
    EXPECT_EQ(pool.Alloc(SIZE_MAX), nullptr);
    EXPECT_EQ(pool.GetBlockCount(), 2);
}

TEST(MemPoolTest, FreedPiecesAreReusedAndStrayPointersIgnored) {
    CMemPool pool;
    ASSERT_TRUE(pool.Init(16, 64));
    void* a = pool.Alloc(16);
    void* b = pool.Alloc(16);
    const size_t freeBefore = pool.GetFreeBytes();
    pool.Free(a);
    EXPECT_EQ(pool.GetFreeBytes(), freeBefore + 16);
    EXPECT_EQ(pool.Alloc(16), a);

    const size_t freeNow = pool.GetFreeBytes();
    const int64_t inUse = CMemPool::InUseBytes();
    std::memset(b, 0, 16);
    int outside = 0;
    pool.Free(&outside);
    pool.Free(static_cast<uint8_t*>(b) + 8);  // inside a live piece
    pool.Free(nullptr);
    pool.Free(b);
    pool.Free(b);  // a second Free of the same piece
    EXPECT_EQ(pool.GetFreeBytes(), freeNow + 16);
    EXPECT_EQ(CMemPool::InUseBytes(), inUse - 16);
    EXPECT_EQ(pool.Alloc(16), b);
}

TEST(MemPoolTest, SplitPiecesKeepTheirNeighboursIntact) {
    CMemPool pool;
    ASSERT_TRUE(pool.Init(16, 64));
    auto* small = static_cast<uint8_t*>(pool.Alloc(16));
    auto* large = static_cast<uint8_t*>(pool.Alloc(100));  // rounded to 104
    auto* after = static_cast<uint8_t*>(pool.Alloc(16));
    EXPECT_EQ(large, small + 16 + 8);
    EXPECT_EQ(after, large + 104 + 8);
    std::memset(large, 0x5A, 104);
    pool.Free(large);
    // The freed 104-byte piece serves two 48-byte requests (48 + 8 + 48).
    EXPECT_EQ(pool.Alloc(48), large);
    EXPECT_EQ(pool.Alloc(48), large + 56);
    EXPECT_EQ(pool.Alloc(8), after + 16 + 8);
}

TEST(MemPoolTest, ResetAndDestroyBringTheCountersBack) {
    const int64_t reserved = CMemPool::ReservedBytes();
    const int64_t inUse = CMemPool::InUseBytes();
    {
        CMemPool pool;
        ASSERT_TRUE(pool.Init(16, 64));
        EXPECT_EQ(CMemPool::ReservedBytes(), reserved + 1536);
        void* first = pool.Alloc(16);
        pool.Alloc(13);  // counted as 16
        EXPECT_EQ(CMemPool::InUseBytes(), inUse + 32);

        pool.Reset();
        EXPECT_EQ(CMemPool::InUseBytes(), inUse);
        EXPECT_EQ(pool.GetFreeBytes(), pool.GetTotalBytes());
        EXPECT_EQ(pool.Alloc(16), first);

        pool.Destroy();
        EXPECT_EQ(CMemPool::ReservedBytes(), reserved);
        EXPECT_EQ(CMemPool::InUseBytes(), inUse);
        EXPECT_EQ(pool.GetBlockCount(), 0);

        ASSERT_TRUE(pool.Init(32, 2));
        pool.Alloc(32);
    }  // the destructor releases a pool still in use
    EXPECT_EQ(CMemPool::ReservedBytes(), reserved);
    EXPECT_EQ(CMemPool::InUseBytes(), inUse);
}

}  // namespace
