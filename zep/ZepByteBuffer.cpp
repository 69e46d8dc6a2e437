#include "zep/ZepByteBuffer.h"

#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {

// n rounded up to whole KB; 0 when that does not fit in size_t.
size_t RoundUpToBlockUnit(size_t n) {
    const size_t unit = ZepByteBuffer::kBlockUnit;
    if (n > std::numeric_limits<size_t>::max() - (unit - 1)) {
        return 0;
    }
    return (n + unit - 1) / unit * unit;
}

}  // namespace

ZepByteBuffer::~ZepByteBuffer() = default;

ZepByteBuffer::ZepByteBuffer(ZepByteBuffer&& other) noexcept
    : block_(std::move(other.block_)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ZepByteBuffer& ZepByteBuffer::operator=(ZepByteBuffer&& other) noexcept {
    if (this != &other) {
        block_ = std::move(other.block_);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void ZepByteBuffer::Clear() {
    size_ = 0;
    EnsureCapacity(kBlockUnit);
}

uint8_t* ZepByteBuffer::GetData(size_t offset) {
    if (!block_ || offset > size_) {
        return nullptr;
    }
    return block_.get() + offset;
}

const uint8_t* ZepByteBuffer::GetData(size_t offset) const {
    if (!block_ || offset > size_) {
        return nullptr;
    }
    return block_.get() + offset;
}

size_t ZepByteBuffer::Append(const void* bytes, size_t n) {
    if (bytes == nullptr || n == 0 || n > std::numeric_limits<size_t>::max() - size_) {
        return 0;
    }
    if (!EnsureCapacity(size_ + n)) {
        return 0;
    }
    std::memcpy(block_.get() + size_, bytes, n);
    size_ += n;
    return n;
}

size_t ZepByteBuffer::Prepend(const void* bytes, size_t n) {
    if (bytes == nullptr || n == 0 || n > std::numeric_limits<size_t>::max() - size_) {
        return 0;
    }
    if (!EnsureCapacity(size_ + n)) {
        return 0;
    }
    std::memmove(block_.get() + n, block_.get(), size_);
    std::memcpy(block_.get(), bytes, n);
    size_ += n;
    return n;
}

size_t ZepByteBuffer::Read(void* out, size_t n) {
    if (out == nullptr || n > capacity_) {
        return 0;
    }
    const size_t taken = n < size_ ? n : size_;
    if (taken > 0) {
        std::memcpy(out, block_.get(), taken);
        DropFront(taken);
    }
    return taken;
}

size_t ZepByteBuffer::Consume(size_t n) {
    if (n > capacity_) {
        return 0;
    }
    const size_t taken = n < size_ ? n : size_;
    DropFront(taken);
    return taken;
}

bool ZepByteBuffer::Reserve(size_t n) {
    return EnsureCapacity(n);
}

uint8_t* ZepByteBuffer::Extend(size_t n) {
    if (n == 0 || n > std::numeric_limits<size_t>::max() - size_ || !EnsureCapacity(size_ + n)) {
        return nullptr;
    }
    uint8_t* added = block_.get() + size_;
    size_ += n;
    return added;
}

bool ZepByteBuffer::EnsureCapacity(size_t needed) {
    if (needed <= capacity_) {
        return true;
    }
    const size_t newCapacity = RoundUpToBlockUnit(needed);
    if (newCapacity == 0) {
        return false;
    }
    std::unique_ptr<uint8_t[]> newBlock(new (std::nothrow) uint8_t[newCapacity]);
    if (!newBlock) {
        return false;
    }
    if (size_ > 0) {
        std::memcpy(newBlock.get(), block_.get(), size_);
    }
    block_ = std::move(newBlock);
    capacity_ = newCapacity;
    return true;
}

void ZepByteBuffer::DropFront(size_t n) {
    if (n == 0) {
        return;
    }
    size_ -= n;
    if (size_ > 0) {
        std::memmove(block_.get(), block_.get() + n, size_);
    }
}
