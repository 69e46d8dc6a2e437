#include "platform/LinkSockets.h"

#include "platform/ExportedWindows.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>
#include <atomic>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

namespace platform::detail {

namespace {

constexpr size_t kMaxSocketPath = sizeof(sockaddr_un::sun_path) - 1;

// Logs the line only the first time this key is seen (a folder refused on
// every look-up would otherwise fill the log).
void LogOnce(const std::string& key, const char* what) {
    static std::mutex mutex;
    static std::set<std::string>* seen = new std::set<std::string>;
    {
        std::lock_guard lock(mutex);
        if (!seen->insert(key).second) {
            return;
        }
    }
    LinkLog("%s: %s", what, key.c_str());
}

std::string FolderFromEnvironment() {
    if (const char* own = ::getenv(kWindowFolderVariable); own != nullptr && *own != '\0') {
        return own;
    }
    if (const char* runtime = ::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') {
        return std::string(runtime) + "/pvbn-windows";
    }
    const char* temp = ::getenv("TMPDIR");
    std::string base = temp != nullptr && *temp != '\0' ? temp : "/tmp";
    return base + "/pvbn-windows-" + std::to_string(::geteuid());
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    if (path.empty() || path.size() > kMaxSocketPath) {
        return false;
    }
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

int NewSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

// Waits until the handle can be read (or written); false at the deadline.
bool WaitReady(int handle, short events, uint64_t deadlineMs) {
    for (;;) {
        const uint64_t now = LinkClockMs();
        if (now >= deadlineMs) {
            return false;
        }
        pollfd entry{handle, events, 0};
        const uint64_t left = deadlineMs - now;
        const int n = ::poll(&entry, 1, left > 60000 ? 60000 : static_cast<int>(left));
        if (n > 0) {
            return true;
        }
        if (n < 0 && errno != EINTR) {
            return false;
        }
    }
}

}  // namespace

void LinkLog(const char* format, ...) {
    char line[512];
    int n = std::snprintf(line, sizeof line, "window link: ");
    va_list args;
    va_start(args, format);
    const int m = std::vsnprintf(line + n, sizeof line - n - 1, format, args);
    va_end(args);
    n += m < 0 ? 0 : std::min<int>(m, static_cast<int>(sizeof line) - n - 2);
    line[n++] = '\n';
    const ssize_t ignored = ::write(STDERR_FILENO, line, static_cast<size_t>(n));
    (void)ignored;
}

uint64_t LinkClockMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

// --- the folder ---

std::optional<LinkFolder> LinkFolder::Open(bool create) {
    std::string path = FolderFromEnvironment();
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    if (create && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        LogOnce(path, "the window folder cannot be made");
        return std::nullopt;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (create) {
            LogOnce(path, "the window folder cannot be read");
        }
        return std::nullopt;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 0777) != 0700) {
        LogOnce(path, "the window folder is refused (not a folder of this user with mode 0700)");
        return std::nullopt;
    }
    return LinkFolder(std::move(path));
}

std::string LinkFolder::PathOf(std::string_view name) const {
    std::string path = path_ + "/" + std::string(name);
    if (path.size() > kMaxSocketPath) {
        LogOnce(path, "socket path too long");
        return {};
    }
    return path;
}

std::vector<std::string> LinkFolder::Names() const {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path_.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    return names;
}

// --- streams ---

LinkStream::~LinkStream() {
    Close();
}

LinkStream::LinkStream(LinkStream&& other) noexcept : handle_(other.handle_) {
    other.handle_ = -1;
}

LinkStream& LinkStream::operator=(LinkStream&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

void LinkStream::Close() {
    if (handle_ >= 0) {
        ::close(handle_);
        handle_ = -1;
    }
}

ConnectOutcome LinkStream::Connect(const std::string& path, LinkStream& out) {
    sockaddr_un address{};
    if (!MakeAddress(path, address)) {
        return ConnectOutcome::Failed;
    }
    LinkStream stream(NewSocket());
    if (!stream.IsOpen()) {
        return ConnectOutcome::Failed;
    }
    if (::connect(stream.handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
        0) {
        switch (errno) {
            case ENOENT:
            case ENOTDIR:
                return ConnectOutcome::Missing;
            case ECONNREFUSED:
                return ConnectOutcome::Stale;
            case EAGAIN:
                return ConnectOutcome::Busy;
            default:
                return ConnectOutcome::Failed;
        }
    }
    out = std::move(stream);
    return ConnectOutcome::Connected;
}

bool LinkStream::PeerIsSameUser() const {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(handle_, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
        return false;
    }
    return peer.uid == ::geteuid();
}

LinkStream::ReadOutcome LinkStream::Read(std::span<uint8_t> bytes, uint64_t deadlineMs) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::recv(handle_, bytes.data() + done, bytes.size() - done, 0);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n == 0) {
            return done == 0 ? ReadOutcome::ClosedAtStart : ReadOutcome::Failed;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN || !WaitReady(handle_, POLLIN, deadlineMs)) {
            return ReadOutcome::Failed;
        }
    }
    return ReadOutcome::Done;
}

bool LinkStream::Write(std::span<const uint8_t> bytes, uint64_t deadlineMs) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(handle_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0 || errno != EAGAIN || !WaitReady(handle_, POLLOUT, deadlineMs)) {
            return false;
        }
    }
    return true;
}

// --- listeners ---

// A name beside the final one, hidden from the folder's listing, for the
// moment between bind and listen.
std::string HiddenNameBeside(const std::string& path) {
    static std::atomic<uint32_t> counter{0};
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    return folder + "/.bind." + std::to_string(::getpid()) + "." + std::to_string(counter++);
}

std::unique_ptr<LinkListener> LinkListener::Listen(const std::string& path) {
    sockaddr_un address{};
    if (!MakeAddress(path, address)) {
        LinkLog("socket path too long or empty: %s", path.c_str());
        return nullptr;
    }
    // The socket listens under a hidden name first and only then takes its
    // own: a name that exists always answers, so a finder never takes a
    // listener still being set up for a stale one and removes it.
    const std::string hidden = HiddenNameBeside(path);
    sockaddr_un hiddenAddress{};
    const bool useHidden = MakeAddress(hidden, hiddenAddress);
    const sockaddr_un& bindAddress = useHidden ? hiddenAddress : address;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int handle = NewSocket();
        if (handle < 0) {
            LinkLog("no socket for %s: %s", path.c_str(), std::strerror(errno));
            return nullptr;
        }
        int error = 0;
        if (::bind(handle, reinterpret_cast<const sockaddr*>(&bindAddress), sizeof bindAddress) !=
                0 ||
            ::listen(handle, 16) != 0) {
            error = errno;
        } else if (!useHidden) {
            return std::unique_ptr<LinkListener>(new LinkListener(handle));
        } else if (::link(hidden.c_str(), path.c_str()) != 0) {
            error = errno;  // EEXIST: the name is taken, perhaps by a stale socket
        }
        if (useHidden) {
            ::unlink(hidden.c_str());
        }
        if (error == 0) {
            return std::unique_ptr<LinkListener>(new LinkListener(handle));
        }
        ::close(handle);
        const bool taken = error == EADDRINUSE || error == EEXIST;
        if (!taken || attempt > 0 || !RemoveIfStale(path)) {
            LinkLog("cannot listen at %s: %s", path.c_str(), std::strerror(error));
            return nullptr;
        }
    }
    return nullptr;
}

LinkListener::~LinkListener() {
    ::close(handle_);
}

LinkStream LinkListener::Accept() {
    for (;;) {
        const int handle = ::accept4(handle_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (handle >= 0 || errno != EINTR) {
            return LinkStream(handle);
        }
    }
}

bool RemoveIfStale(const std::string& path) {
    struct stat before {};
    if (::lstat(path.c_str(), &before) != 0 || !S_ISSOCK(before.st_mode)) {
        return false;
    }
    LinkStream probe;
    if (LinkStream::Connect(path, probe) != ConnectOutcome::Stale) {
        return false;
    }
    // Only the file that refused: a new listener may have taken the name.
    struct stat after {};
    if (::lstat(path.c_str(), &after) != 0 || after.st_ino != before.st_ino ||
        after.st_dev != before.st_dev) {
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

void RemoveName(const std::string& path) {
    ::unlink(path.c_str());
}

// --- waking ---

LinkWaker::LinkWaker() {
    int ends[2];
    if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0) {
        read_ = ends[0];
        write_ = ends[1];
    }
}

LinkWaker::~LinkWaker() {
    if (read_ >= 0) {
        ::close(read_);
        ::close(write_);
    }
}

void LinkWaker::Wake() {
    const uint8_t byte = 1;
    const ssize_t ignored = ::write(write_, &byte, 1);  // a full pipe is already awake
    (void)ignored;
}

void LinkWaker::Drain() {
    uint8_t bytes[64];
    while (::read(read_, bytes, sizeof bytes) > 0) {
    }
}

std::vector<size_t> WaitReadable(std::span<const int> handles) {
    std::vector<pollfd> entries;
    entries.reserve(handles.size());
    for (const int handle : handles) {
        entries.push_back(pollfd{handle, POLLIN, 0});
    }
    std::vector<size_t> ready;
    while (::poll(entries.data(), entries.size(), -1) < 0 && errno == EINTR) {
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].revents != 0) {
            ready.push_back(i);
        }
    }
    return ready;
}

}  // namespace platform::detail
