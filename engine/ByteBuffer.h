#pragma once
// A growable byte buffer with a write cursor.
//
// Rules:
//  - Starts with 32 zeroed bytes of capacity; grows by doubling while
//    size + n >= capacity, keeping the content and zeroing the new bytes.
//  - Append writes at the cursor and moves it on; the size counts every byte
//    appended, so a write after a Seek backwards still grows the size.
//  - The cursor never passes the size (Seek and Skip stop there).

#include <cstdint>
#include <memory>

class CByteBuffer {
public:
    CByteBuffer();

    // Writes n bytes at the cursor; returns the new size, or -1 (nothing
    // written) for a negative n, null data with n > 0, or a size beyond
    // what the buffer can hold.
    int Append(const void* data, int n);

    uint8_t* GetData() { return m_data.get(); }
    const uint8_t* GetData() const { return m_data.get(); }
    // data + offset, or null when the offset is negative or past the size.
    uint8_t* GetAt(int offset);
    int GetSize() const { return m_size; }
    int GetCapacity() const { return m_capacity; }

    void Clear();
    void Seek(int position);
    void Skip(int n);

private:
    void Grow(int needed);

    int m_size = 0;
    int m_capacity = 0;
    std::unique_ptr<uint8_t[]> m_data;
    int m_cursor = 0;  // offset of the write position in m_data
};
