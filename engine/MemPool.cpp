#include "engine/MemPool.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Every piece starts with this head; "next" is the offset of the next free
// piece inside the same block's data area.
struct PieceHead {
    uint32_t size;
    uint32_t next;
};
static_assert(sizeof(PieceHead) == 8);

constexpr uint32_t kHeadSize = sizeof(PieceHead);
constexpr uint32_t kEndOfList = 0xFFFFFFFFu;  // "next" of the last free piece
constexpr uint32_t kInUse = 0xFFFFFFFEu;      // "next" of a piece handed out
// Offsets and sizes are 32-bit; a block's data area stays well below that.
constexpr size_t kMaxBlockData = 0x7FFFFFF8u;

size_t RoundUp8(size_t n) {
    return (n + 7) & ~size_t{7};
}

}  // namespace

struct CMemPool::Block {
    uint32_t dataSize;
    uint32_t freeHead;  // offset of the first free piece, or kEndOfList
    Block* next;

    uint8_t* Data() { return reinterpret_cast<uint8_t*>(this + 1); }
    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(this + 1); }

    PieceHead ReadHead(uint32_t offset) const {
        PieceHead head;
        std::memcpy(&head, Data() + offset, sizeof head);
        return head;
    }
    void WriteHead(uint32_t offset, PieceHead head) {
        std::memcpy(Data() + offset, &head, sizeof head);
    }
};

std::atomic<int64_t> CMemPool::s_reservedBytes{0};
std::atomic<int64_t> CMemPool::s_inUseBytes{0};

CMemPool::~CMemPool() {
    Destroy();
}

bool CMemPool::Init(size_t unitSize, size_t count) {
    Destroy();
    if (unitSize == 0 || count == 0 || unitSize > kMaxBlockData) {
        return false;
    }
    const size_t pieceSize = RoundUp8(unitSize) + kHeadSize;
    if (count > kMaxBlockData / pieceSize) {
        return false;
    }
    m_nextBlockSize = pieceSize * count;
    AddBlock(m_nextBlockSize);
    return true;
}

CMemPool::Block* CMemPool::AddBlock(size_t dataSize) {
    static_assert(sizeof(Block) % 8 == 0, "data areas must stay 8-aligned");
    void* memory = ::operator new(sizeof(Block) + dataSize);
    Block* block = new (memory) Block{static_cast<uint32_t>(dataSize), 0, nullptr};
    block->WriteHead(0, PieceHead{static_cast<uint32_t>(dataSize - kHeadSize), kEndOfList});

    Block** link = &m_firstBlock;
    while (*link != nullptr) {
        link = &(*link)->next;
    }
    *link = block;

    ++m_blockCount;
    m_totalBytes += dataSize;
    m_freeBytes += dataSize;
    s_reservedBytes += static_cast<int64_t>(dataSize);
    return block;
}

void* CMemPool::Alloc(size_t n) {
    if (n > kMaxBlockData - kHeadSize) {
        return nullptr;
    }
    const uint32_t size = static_cast<uint32_t>(std::max<size_t>(RoundUp8(n), 8));

    for (Block* block = m_firstBlock; block != nullptr; block = block->next) {
        if (void* p = AllocFromBlock(block, size)) {
            return p;
        }
    }
    Block* block = AddBlock(std::max<size_t>(size + kHeadSize, m_nextBlockSize));
    m_nextBlockSize = std::min(m_nextBlockSize * 2, kMaxBlockData);
    return AllocFromBlock(block, size);
}

void* CMemPool::AllocFromBlock(Block* block, uint32_t n) {
    uint32_t previous = kEndOfList;
    for (uint32_t offset = block->freeHead; offset != kEndOfList;) {
        PieceHead head = block->ReadHead(offset);
        if (head.size < n) {
            previous = offset;
            offset = head.next;
            continue;
        }
        uint32_t replacement = head.next;
        if (head.size >= n + kHeadSize) {
            const uint32_t restOffset = offset + kHeadSize + n;
            block->WriteHead(restOffset, PieceHead{head.size - n - kHeadSize, head.next});
            replacement = restOffset;
        }
        if (previous == kEndOfList) {
            block->freeHead = replacement;
        } else {
            PieceHead before = block->ReadHead(previous);
            before.next = replacement;
            block->WriteHead(previous, before);
        }
        // A piece too small to split is handed out whole but recorded as n.
        block->WriteHead(offset, PieceHead{n, kInUse});
        m_freeBytes -= n;
        s_inUseBytes += n;
        return block->Data() + offset + kHeadSize;
    }
    return nullptr;
}

CMemPool::Block* CMemPool::FindOwner(const uint8_t* p) const {
    for (Block* block = m_firstBlock; block != nullptr; block = block->next) {
        const uint8_t* data = block->Data();
        if (p >= data + kHeadSize && p < data + block->dataSize) {
            return block;
        }
    }
    return nullptr;
}

void CMemPool::Free(void* p) {
    const uint8_t* bytes = static_cast<const uint8_t*>(p);
    Block* block = p != nullptr ? FindOwner(bytes) : nullptr;
    if (block == nullptr) {
        return;
    }
    const size_t offset = static_cast<size_t>(bytes - block->Data()) - kHeadSize;
    if (offset % 8 != 0) {
        return;
    }
    PieceHead head = block->ReadHead(static_cast<uint32_t>(offset));
    if (head.next != kInUse || offset + kHeadSize + head.size > block->dataSize) {
        return;  // not a live piece: a stray pointer or a second Free
    }
    head.next = block->freeHead;
    block->WriteHead(static_cast<uint32_t>(offset), head);
    block->freeHead = static_cast<uint32_t>(offset);
    m_freeBytes += head.size;
    s_inUseBytes -= head.size;
}

void CMemPool::Reset() {
    for (Block* block = m_firstBlock; block != nullptr; block = block->next) {
        block->freeHead = 0;
        block->WriteHead(0, PieceHead{block->dataSize - kHeadSize, kEndOfList});
    }
    s_inUseBytes -= static_cast<int64_t>(m_totalBytes - m_freeBytes);
    m_freeBytes = m_totalBytes;
}

void CMemPool::Destroy() {
    s_inUseBytes -= static_cast<int64_t>(m_totalBytes - m_freeBytes);
    s_reservedBytes -= static_cast<int64_t>(m_totalBytes);
    Block* block = m_firstBlock;
    while (block != nullptr) {
        Block* next = block->next;
        block->~Block();
        ::operator delete(block);
        block = next;
    }
    m_firstBlock = nullptr;
    m_blockCount = 0;
    m_totalBytes = 0;
    m_freeBytes = 0;
    m_nextBlockSize = 0;
}
