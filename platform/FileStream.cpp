#include "platform/FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <string>
#include <utility>

#include "platform/Files.h"

namespace platform {

FileStream::~FileStream() {
    Close();
}

FileStream::FileStream(FileStream&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileStream& FileStream::operator=(FileStream&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool FileStream::Open(std::string_view path) {
    Close();
    if (path.empty()) {
        return false;
    }
    const std::string name = ResolvePath(path);
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void FileStream::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::optional<uint64_t> FileStream::Length() const {
    struct stat info;
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || info.st_size < 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(info.st_size);
}

size_t FileStream::ReadAt(uint64_t offset, void* buffer, size_t n) const {
    if (fd_ < 0 || (buffer == nullptr && n > 0) ||
        offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) {
        return 0;
    }
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < n) {
        const uint64_t position = offset + done;
        if (position > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) {
            break;
        }
        const ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(position));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return done;
}

}  // namespace platform
