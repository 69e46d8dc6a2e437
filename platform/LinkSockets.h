#pragma once
// Platform-internal: the operating-system side of cross-process windows: the
// private folder their names live in, and stream sockets under those names.
// Not for use outside platform/.
//
// Rules:
//  - The folder is the one kWindowFolderVariable names, else "pvbn-windows" in
//    the user's runtime folder (XDG_RUNTIME_DIR), else "pvbn-windows-<uid>"
//    in the system's temporary folder. It is used only when it is a real
//    folder (not a link) owned by the user with mode 0700; otherwise it is
//    refused with a log line.
//  - A socket path must fit a socket address (107 bytes and the
//    terminator); a longer one is refused with a log line.
//  - Sockets are non-blocking and close-on-exec; writing to one never raises
//    SIGPIPE. Reads and writes end at a deadline (LinkClockMs).
//  - A name whose socket refuses connections is stale: RemoveIfStale removes
//    it, and only it (not a live socket that took the name meanwhile).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

// One line on the standard error, in one write.
void LinkLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A monotonic clock in milliseconds, for deadlines.
uint64_t LinkClockMs();

class LinkFolder {
public:
    // The folder, made (mode 0700) when `create` and missing. Null when it is
    // missing or refused.
    static std::optional<LinkFolder> Open(bool create);

    const std::string& Path() const { return path_; }
    // The socket path of a name in the folder; empty when it is too long.
    std::string PathOf(std::string_view name) const;
    std::vector<std::string> Names() const;

private:
    explicit LinkFolder(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

enum class ConnectOutcome {
    Connected,
    Busy,     // a listener is there but takes no more connections now
    Missing,  // no such name
    Stale,    // the name is there, nobody listens
    Failed,
};

// A connected stream socket, closed by the destructor.
class LinkStream {
public:
    enum class ReadOutcome { Done, ClosedAtStart, Failed };

    LinkStream() = default;
    explicit LinkStream(int handle) : handle_(handle) {}
    ~LinkStream();
    LinkStream(LinkStream&& other) noexcept;
    LinkStream& operator=(LinkStream&& other) noexcept;

    static ConnectOutcome Connect(const std::string& path, LinkStream& out);

    bool IsOpen() const { return handle_ >= 0; }
    // The process at the other end runs as the same user.
    bool PeerIsSameUser() const;
    // Reads exactly `bytes.size()` bytes. ClosedAtStart: the peer closed
    // before sending anything.
    ReadOutcome Read(std::span<uint8_t> bytes, uint64_t deadlineMs);
    bool Write(std::span<const uint8_t> bytes, uint64_t deadlineMs);

private:
    void Close();
    int handle_ = -1;
};

// A listening socket bound to a name; closing it leaves the name.
class LinkListener {
public:
    // Listens at the path. A stale socket there is removed first; a live one
    // or any other file there makes it fail (with a log line).
    static std::unique_ptr<LinkListener> Listen(const std::string& path);
    ~LinkListener();
    LinkListener(const LinkListener&) = delete;
    LinkListener& operator=(const LinkListener&) = delete;

    int Handle() const { return handle_; }
    // The next waiting connection; a closed stream when none waits.
    LinkStream Accept();

private:
    explicit LinkListener(int handle) : handle_(handle) {}
    int handle_ = -1;
};

// Removes the name when it is a socket that refuses connections.
bool RemoveIfStale(const std::string& path);
void RemoveName(const std::string& path);

// Wakes a thread blocked in WaitReadable from any other thread.
class LinkWaker {
public:
    LinkWaker();
    ~LinkWaker();
    LinkWaker(const LinkWaker&) = delete;
    LinkWaker& operator=(const LinkWaker&) = delete;

    int Handle() const { return read_; }
    void Wake();
    void Drain();

private:
    int read_ = -1;
    int write_ = -1;
};

// Blocks until at least one handle is readable; returns which.
std::vector<size_t> WaitReadable(std::span<const int> handles);

}  // namespace platform::detail
