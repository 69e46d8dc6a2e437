#pragma once
// A file opened for reading by the client's name rules ('\' or '/', and the
// case fallback of Files.h), read by position.
//
// Rules:
//  - Only regular files open; a folder or a missing name fails.
//  - Reads never move a shared position, so entries that share one stream
//    can be read in any order.
//  - The stream closes when it goes away; after Close every read fails.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

class FileStream {
public:
    FileStream() = default;
    ~FileStream();
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;
    FileStream(FileStream&& other) noexcept;
    FileStream& operator=(FileStream&& other) noexcept;

    // Closes what was open, then opens the named file. False when it cannot.
    bool Open(std::string_view path);
    bool IsOpen() const { return fd_ >= 0; }
    void Close();

    // The file's current length; empty when the stream is closed.
    std::optional<uint64_t> Length() const;
    // Reads up to n bytes at the offset; the count actually read (short at
    // the end of the file, 0 on failure or when closed).
    size_t ReadAt(uint64_t offset, void* buffer, size_t n) const;

private:
    int fd_ = -1;
};

}  // namespace platform
