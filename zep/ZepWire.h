#pragma once
// The one way records that cross the wire or sit in files are read and
// written: little-endian fields through a bounds-checked cursor over a span.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

// Reads fields one after another from a byte span.
//
// Rules:
//  - A read that needs more bytes than remain fails, leaves the output and the
//    position unchanged, and marks the reader failed; every later read fails
//    too, so a record can be read field by field and checked once at the end.
class ZepWireReader {
public:
    explicit ZepWireReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool ReadU8(uint8_t& out) { return ReadLE(out); }
    bool ReadU16(uint16_t& out) { return ReadLE(out); }
    bool ReadU32(uint32_t& out) { return ReadLE(out); }
    bool ReadI32(int32_t& out) {
        uint32_t raw = 0;
        if (!ReadLE(raw)) {
            return false;
        }
        out = static_cast<int32_t>(raw);
        return true;
    }
    bool ReadBytes(std::span<uint8_t> out) {
        if (!Take(out.size())) {
            return false;
        }
        if (!out.empty()) {
            std::memcpy(out.data(), bytes_.data() + position_ - out.size(), out.size());
        }
        return true;
    }
    bool Skip(size_t n) { return Take(n); }

    size_t Position() const { return position_; }
    size_t Remaining() const { return bytes_.size() - position_; }
    // The bytes not read yet.
    std::span<const uint8_t> Rest() const { return bytes_.subspan(position_); }
    bool Ok() const { return ok_; }

private:
    template <typename T>
    bool ReadLE(T& out) {
        if (!Take(sizeof(T))) {
            return false;
        }
        const uint8_t* p = bytes_.data() + position_ - sizeof(T);
        T value = 0;
        for (size_t i = 0; i < sizeof(T); ++i) {
            value = static_cast<T>(value | (static_cast<T>(p[i]) << (8 * i)));
        }
        out = value;
        return true;
    }
    bool Take(size_t n) {
        if (!ok_ || n > Remaining()) {
            ok_ = false;
            return false;
        }
        position_ += n;
        return true;
    }

    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
    bool ok_ = true;
};

// Writes fields one after another into a byte span; the same failure rule as
// the reader (a write that does not fit writes nothing and fails for good).
class ZepWireWriter {
public:
    explicit ZepWireWriter(std::span<uint8_t> bytes) : bytes_(bytes) {}

    bool WriteU8(uint8_t value) { return WriteLE(value); }
    bool WriteU16(uint16_t value) { return WriteLE(value); }
    bool WriteU32(uint32_t value) { return WriteLE(value); }
    bool WriteI32(int32_t value) { return WriteLE(static_cast<uint32_t>(value)); }
    bool WriteBytes(std::span<const uint8_t> data) {
        if (!Take(data.size())) {
            return false;
        }
        if (!data.empty()) {
            std::memcpy(bytes_.data() + position_ - data.size(), data.data(), data.size());
        }
        return true;
    }

    size_t Position() const { return position_; }
    bool Ok() const { return ok_; }

private:
    template <typename T>
    bool WriteLE(T value) {
        if (!Take(sizeof(T))) {
            return false;
        }
        uint8_t* p = bytes_.data() + position_ - sizeof(T);
        for (size_t i = 0; i < sizeof(T); ++i) {
            p[i] = static_cast<uint8_t>(value >> (8 * i));
        }
        return true;
    }
    bool Take(size_t n) {
        if (!ok_ || n > bytes_.size() - position_) {
            ok_ = false;
            return false;
        }
        position_ += n;
        return true;
    }

    std::span<uint8_t> bytes_;
    size_t position_ = 0;
    bool ok_ = true;
};
