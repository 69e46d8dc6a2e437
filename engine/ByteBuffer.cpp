#include "engine/ByteBuffer.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kInitialCapacity = 32;
constexpr int kMaxCapacity = 1 << 30;

}  // namespace

CByteBuffer::CByteBuffer()
    : m_capacity(kInitialCapacity), m_data(std::make_unique<uint8_t[]>(kInitialCapacity)) {}

int CByteBuffer::Append(const void* data, int n) {
    if (n < 0 || (data == nullptr && n > 0) || n >= kMaxCapacity - m_size) {
        return -1;
    }
    Grow(m_size + n);
    if (n > 0) {
        std::memcpy(m_data.get() + m_cursor, data, static_cast<size_t>(n));
    }
    m_cursor += n;
    m_size += n;
    return m_size;
}

void CByteBuffer::Grow(int needed) {
    int capacity = m_capacity;
    while (needed >= capacity) {
        capacity *= 2;
    }
    if (capacity == m_capacity) {
        return;
    }
    auto grown = std::make_unique<uint8_t[]>(static_cast<size_t>(capacity));  // zeroed
    std::memcpy(grown.get(), m_data.get(), static_cast<size_t>(m_capacity));
    m_data = std::move(grown);
    m_capacity = capacity;
    m_cursor = std::min(m_cursor, m_size);
}

uint8_t* CByteBuffer::GetAt(int offset) {
    if (offset < 0 || offset > m_size) {
        return nullptr;
    }
    return m_data.get() + offset;
}

void CByteBuffer::Clear() {
    m_size = 0;
    m_cursor = 0;
    std::fill_n(m_data.get(), m_capacity, uint8_t{0});
}

void CByteBuffer::Seek(int position) {
    m_cursor = std::clamp(position, 0, m_size);
}

void CByteBuffer::Skip(int n) {
    // Widened so that a large n cannot overflow the sum.
    const int64_t target = int64_t{m_cursor} + n;
    m_cursor = static_cast<int>(std::clamp<int64_t>(target, 0, m_size));
}
