#pragma once
// Field-by-field reading and writing of the fixed-size little-endian records
// that the hall and the server send.
//
// A record type lists its fields once, in wire order, in a static
// `Fields(self, visit)` function; the same list reads, writes and counts the
// record's size, so the three can never disagree.
//
// Rules:
//  - Words are 32-bit little-endian; texts are fixed byte fields that may lack
//    their terminating zero (FieldText reads at most the field's width);
//    carried bytes are kept as they came and written back unchanged.
//  - ReadRecord takes exactly Record::kSize bytes from the front of a span and
//    fails (output unchanged) when fewer are there.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "zep/ZepWire.h"

template <size_t N>
using TextField = std::array<char, N>;
template <size_t N>
using CarriedBytes = std::array<uint8_t, N>;
template <size_t N>
using WordArray = std::array<int32_t, N>;

// The text of a fixed field: up to its first zero, at most the field's width.
template <size_t N>
std::string FieldText(const TextField<N>& field) {
    size_t length = 0;
    while (length < N && field[length] != '\0') {
        ++length;
    }
    return std::string(field.data(), length);
}

// The length of the longest front of the GBK text within max bytes that
// ends at a whole character (a byte above 128 starts a two-byte one).
constexpr size_t WholeGbkLength(std::string_view text, size_t max) {
    const size_t limit = text.size() < max ? text.size() : max;
    size_t length = 0;
    while (length < limit) {
        const size_t step = static_cast<unsigned char>(text[length]) > 0x80 ? 2 : 1;
        if (length + step > limit) {
            break;
        }
        length += step;
    }
    return length;
}

// Stores text cut at a whole GBK character within N - 1 bytes, zero-filled
// behind it.
template <size_t N>
void SetFieldText(TextField<N>& field, std::string_view text) {
    field.fill('\0');
    const size_t length = WholeGbkLength(text, N - 1);
    for (size_t i = 0; i < length; ++i) {
        field[i] = text[i];
    }
}

// The value a 32-bit record field takes for a sum or difference of record
// values worked out in 64 bits (the values come from outside, so the sum may
// leave the field's range): a field that is kept wraps, as the server's own
// 32-bit arithmetic does; a value that is shown is held to the field's range.
enum class FieldOverflow { kWrap, kHold };
constexpr int32_t Int32Field(int64_t value, FieldOverflow overflow) {
    if (overflow == FieldOverflow::kHold) {
        return value < INT32_MIN ? INT32_MIN : value > INT32_MAX ? INT32_MAX : int32_t(value);
    }
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

namespace record_detail {

class FieldReader {
public:
    explicit FieldReader(std::span<const uint8_t> bytes) : reader_(bytes) {}
    void operator()(int32_t& value) { reader_.ReadI32(value); }
    template <size_t N>
    void operator()(std::array<char, N>& text) {
        reader_.ReadBytes(std::span<uint8_t>(reinterpret_cast<uint8_t*>(text.data()), N));
    }
    template <size_t N>
    void operator()(std::array<uint8_t, N>& bytes) {
        reader_.ReadBytes(bytes);
    }
    template <size_t N>
    void operator()(std::array<int32_t, N>& words) {
        for (int32_t& word : words) {
            reader_.ReadI32(word);
        }
    }
    template <size_t N, size_t M>
    void operator()(std::array<std::array<char, M>, N>& texts) {
        for (auto& text : texts) {
            (*this)(text);
        }
    }
    bool Ok() const { return reader_.Ok(); }
    size_t Position() const { return reader_.Position(); }

private:
    ZepWireReader reader_;
};

class FieldWriter {
public:
    explicit FieldWriter(std::span<uint8_t> bytes) : writer_(bytes) {}
    void operator()(const int32_t& value) { writer_.WriteI32(value); }
    template <size_t N>
    void operator()(const std::array<char, N>& text) {
        writer_.WriteBytes(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), N));
    }
    template <size_t N>
    void operator()(const std::array<uint8_t, N>& bytes) {
        writer_.WriteBytes(bytes);
    }
    template <size_t N>
    void operator()(const std::array<int32_t, N>& words) {
        for (int32_t word : words) {
            writer_.WriteI32(word);
        }
    }
    template <size_t N, size_t M>
    void operator()(const std::array<std::array<char, M>, N>& texts) {
        for (const auto& text : texts) {
            (*this)(text);
        }
    }
    bool Ok() const { return writer_.Ok(); }
    size_t Position() const { return writer_.Position(); }

private:
    ZepWireWriter writer_;
};

struct FieldCounter {
    size_t bytes = 0;
    constexpr void operator()(const int32_t&) { bytes += 4; }
    template <class T, size_t N>
    constexpr void operator()(const std::array<T, N>&) {
        bytes += sizeof(T) * N;
    }
};

}  // namespace record_detail

// The number of bytes the record's field list covers.
template <class Record>
constexpr size_t RecordFieldBytes() {
    Record record{};
    record_detail::FieldCounter counter;
    Record::Fields(record, counter);
    return counter.bytes;
}

// Reads a record from the first Record::kSize bytes. False (out unchanged)
// when the span is shorter.
template <class Record>
bool ReadRecord(std::span<const uint8_t> bytes, Record& out) {
    static_assert(RecordFieldBytes<Record>() == Record::kSize);
    if (bytes.size() < Record::kSize) {
        return false;
    }
    Record record{};
    record_detail::FieldReader reader(bytes.first(Record::kSize));
    Record::Fields(record, reader);
    if (!reader.Ok()) {
        return false;
    }
    out = record;
    return true;
}

// Writes the record into the first Record::kSize bytes. False (nothing
// promised about the bytes) when the span is shorter.
template <class Record>
bool WriteRecord(const Record& record, std::span<uint8_t> out) {
    static_assert(RecordFieldBytes<Record>() == Record::kSize);
    if (out.size() < Record::kSize) {
        return false;
    }
    record_detail::FieldWriter writer(out.first(Record::kSize));
    Record::Fields(record, writer);
    return writer.Ok();
}

// The record's bytes.
template <class Record>
std::array<uint8_t, Record::kSize> RecordBytes(const Record& record) {
    std::array<uint8_t, Record::kSize> bytes{};
    WriteRecord(record, bytes);
    return bytes;
}

// Reads the 32-bit little-endian word at a byte offset; false when it lies
// past the span.
bool ReadWordAt(std::span<const uint8_t> bytes, size_t offset, int32_t& out);
// The word at a byte offset, or the fallback when it lies past the span.
int32_t WordAt(std::span<const uint8_t> bytes, size_t offset, int32_t fallback = 0);
// The text at a byte offset of a record: up to its first zero, the record's
// end or `width` bytes, whichever comes first. Empty when the offset lies at
// or past the end.
std::string RecordTextAt(std::span<const uint8_t> bytes, size_t offset, size_t width);
