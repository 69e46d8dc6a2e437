#include "platform/ExportedWindows.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <map>
#include <mutex>
#include <thread>

#include "platform/AsciiCase.h"
#include "platform/LinkSockets.h"
#include "platform/WindowLink.h"

namespace platform {

namespace {

using detail::ConnectOutcome;
using detail::LinkClockMs;
using detail::LinkFolder;
using detail::LinkListener;
using detail::LinkLog;
using detail::LinkStream;

// One message per connection: the header, its bytes, then a 32-bit answer
// back (post: 1 queued, 0 no window; copy-data: the handler's result).
constexpr uint32_t kLinkMagic = 0x4B4E4C57;  // "WLNK"
constexpr uint32_t kKindPost = 1;
constexpr uint32_t kKindCopyData = 2;
constexpr size_t kHeaderBytes = 32;
constexpr size_t kAnswerBytes = 4;

constexpr WindowId kMaxExportedId = 0x7FFFFFFF;
// A receiver gives a peer this long to send its whole message.
constexpr uint32_t kReceiveTimeoutMs = 5000;
// A post is answered as soon as it is queued; a receiver that does not answer
// within this is taken as gone.
constexpr uint32_t kPostTimeoutMs = 1000;
constexpr int kMaxConnections = 64;

struct LinkHeader {
    uint32_t magic = kLinkMagic;
    uint32_t kind = 0;
    uint32_t target = 0;
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
    uint32_t dwData = 0;
    uint32_t byteCount = 0;
};

// The header of a message to a window; the caller checked wParam fits.
LinkHeader HeaderFor(uint32_t kind, WindowId window, uint32_t id, WParam wParam) {
    LinkHeader h;
    h.kind = kind;
    h.target = window;
    h.message = id;
    h.wParam = static_cast<uint32_t>(wParam);
    return h;
}

void PutWord(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

// Little-endian 32-bit words from a block of bytes, never past its end.
class WordReader {
public:
    explicit WordReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint32_t Next() {
        if (bytes_.size() - pos_ < 4) {
            ok_ = false;
            return 0;
        }
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<uint32_t>(bytes_[pos_ + i]) << (8 * i);
        }
        pos_ += 4;
        return value;
    }
    bool Ok() const { return ok_; }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

std::vector<uint8_t> EncodeMessage(const LinkHeader& h, std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out;
    out.reserve(kHeaderBytes + bytes.size());
    for (uint32_t word :
         {h.magic, h.kind, h.target, h.message, h.wParam, h.lParam, h.dwData, h.byteCount}) {
        PutWord(out, word);
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

LinkHeader DecodeHeader(std::span<const uint8_t, kHeaderBytes> raw) {
    WordReader reader(raw);
    LinkHeader h;
    h.magic = reader.Next();
    h.kind = reader.Next();
    h.target = reader.Next();
    h.message = reader.Next();
    h.wParam = reader.Next();
    h.lParam = reader.Next();
    h.dwData = reader.Next();
    h.byteCount = reader.Next();
    return h;
}

LResult SignExtended(uint32_t word) {
    return static_cast<LResult>(static_cast<int32_t>(word));
}

bool FitsWord(uintptr_t value) {
    return value <= UINT32_MAX;
}

bool FitsSignedOrUnsignedWord(intptr_t value) {
    return value >= INT32_MIN && static_cast<int64_t>(value) <= static_cast<int64_t>(UINT32_MAX);
}

// A class name that can stand in a file name of the folder.
bool IsUsableClassName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos && name != "." && name != "..";
}

// A window id written as the name of its socket: decimal digits only.
std::optional<WindowId> ParseWindowId(std::string_view text) {
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value == 0 || value > kMaxExportedId) {
        return std::nullopt;
    }
    return static_cast<WindowId>(value);
}

std::string PathOfWindow(WindowId window) {
    const auto folder = LinkFolder::Open(false);
    return folder ? folder->PathOf(std::to_string(window)) : std::string();
}

// A window of this process that others may reach: its names and listeners.
struct Export {
    ~Export() = default;  // closes the listeners; the names are removed by Unlink

    bool Accepts(uint32_t id) const {
        return id != kMsgCopyData &&
               std::find(acceptedPosts.begin(), acceptedPosts.end(), id) != acceptedPosts.end();
    }
    void Unlink() const {
        for (const auto& path : paths) {
            detail::RemoveName(path);
        }
    }

    WindowId window = 0;
    std::vector<uint32_t> acceptedPosts;
    std::vector<std::string> paths;
    std::vector<std::unique_ptr<LinkListener>> listeners;
    std::atomic<bool> withdrawn{false};
};

// The exported windows of this process and the thread that accepts their
// connections. Each connection is served on a thread of its own, so a slow
// peer or a copy-data being handled never holds back another message. The
// lock is never held while a message function runs.
class LinkService {
public:
    static LinkService& Get() {
        static LinkService* service = new LinkService;  // never destroyed: threads use it
        return *service;
    }
    static bool AnyExports() { return anyExports_.load(); }

    bool IsExported(WindowId window) {
        std::lock_guard lock(mutex_);
        return exports_.count(window) != 0;
    }

    bool Add(std::shared_ptr<Export> entry) {
        std::lock_guard lock(mutex_);
        if (!exports_.emplace(entry->window, std::move(entry)).second) {
            return false;
        }
        anyExports_.store(true);
        if (!started_) {
            started_ = true;
            std::thread([this] { Run(); }).detach();
        }
        waker_.Wake();
        return true;
    }

    void Remove(WindowId window) {
        {
            std::lock_guard lock(mutex_);
            auto it = exports_.find(window);
            if (it == exports_.end()) {
                return;
            }
            it->second->withdrawn.store(true);
            it->second->Unlink();
            exports_.erase(it);
            anyExports_.store(!exports_.empty());
        }
        waker_.Wake();
    }

private:
    struct Watched {
        LinkListener* listener;
        std::shared_ptr<Export> entry;
    };

    void Run() {
        for (;;) {
            std::vector<int> handles{waker_.Handle()};
            std::vector<Watched> watched;
            {
                std::lock_guard lock(mutex_);
                for (const auto& [id, entry] : exports_) {
                    for (const auto& listener : entry->listeners) {
                        handles.push_back(listener->Handle());
                        watched.push_back(Watched{listener.get(), entry});
                    }
                }
            }
            for (const size_t index : detail::WaitReadable(handles)) {
                if (index == 0) {
                    waker_.Drain();
                    continue;
                }
                const Watched& w = watched[index - 1];
                for (LinkStream stream = w.listener->Accept(); stream.IsOpen();
                     stream = w.listener->Accept()) {
                    Serve(std::move(stream), w.entry);
                }
            }
        }
    }

    void Serve(LinkStream stream, std::shared_ptr<Export> entry) {
        if (connections_.fetch_add(1) >= kMaxConnections) {
            connections_.fetch_sub(1);
            LinkLog("too many connections at once for window %u; one closed", entry->window);
            return;
        }
        std::thread([this, stream = std::move(stream), entry = std::move(entry)]() mutable {
            Receive(stream, *entry);
            connections_.fetch_sub(1);
        }).detach();
    }

    static const char* FaultOf(const LinkHeader& h, const Export& entry) {
        if (h.magic != kLinkMagic) {
            return "bad magic";
        }
        if (h.target != entry.window) {
            return "wrong target window";
        }
        if (h.byteCount > kMaxCopyDataBytes) {
            return "record too large";
        }
        if (h.kind == kKindPost) {
            if (h.byteCount != 0) {
                return "a post with bytes";
            }
            return entry.Accepts(h.message) ? nullptr : "a post the window does not accept";
        }
        if (h.kind == kKindCopyData) {
            return h.message == kMsgCopyData ? nullptr : "copy-data with another message";
        }
        return "unknown kind";
    }

    static void Receive(LinkStream& stream, const Export& entry) {
        if (!stream.PeerIsSameUser()) {
            LinkLog("refused a connection from another user to window %u", entry.window);
            return;
        }
        const uint64_t deadline = LinkClockMs() + kReceiveTimeoutMs;
        std::array<uint8_t, kHeaderBytes> raw{};
        switch (stream.Read(raw, deadline)) {
            case LinkStream::ReadOutcome::ClosedAtStart:
                return;  // a look to see whether the window exists
            case LinkStream::ReadOutcome::Failed:
                LinkLog("incomplete header for window %u; connection closed", entry.window);
                return;
            case LinkStream::ReadOutcome::Done:
                break;
        }
        const LinkHeader h = DecodeHeader(raw);
        if (const char* fault = FaultOf(h, entry)) {
            LinkLog("%s (window %u, message %u, %u bytes); connection closed", fault, h.target,
                    h.message, h.byteCount);
            return;
        }
        std::vector<uint8_t> bytes(h.byteCount);
        if (stream.Read(bytes, deadline) != LinkStream::ReadOutcome::Done) {
            LinkLog("incomplete record for window %u; connection closed", entry.window);
            return;
        }
        std::vector<uint8_t> answer;
        PutWord(answer, Deliver(h, bytes, entry));
        stream.Write(answer, deadline);
    }

    static uint32_t Deliver(const LinkHeader& h, std::vector<uint8_t>& bytes, const Export& entry) {
        if (entry.withdrawn.load()) {
            return 0;
        }
        if (h.kind == kKindPost) {
            return detail::PostToLocalWindow(entry.window, h.message, h.wParam,
                                             SignExtended(h.lParam))
                       ? 1
                       : 0;
        }
        CopyDataRecord record;
        record.dwData = h.dwData;
        record.cbData = h.byteCount;
        record.lpData = bytes.empty() ? nullptr : bytes.data();
        return static_cast<uint32_t>(
            SendMessage(entry.window, kMsgCopyData, h.wParam, reinterpret_cast<LParam>(&record)));
    }

    static inline std::atomic<bool> anyExports_{false};
    std::mutex mutex_;
    std::map<WindowId, std::shared_ptr<Export>> exports_;
    detail::LinkWaker waker_;
    bool started_ = false;
    std::atomic<int> connections_{0};
};

// Sends one message to the socket at the path and reads its answer; nullopt
// when it did not get through.
std::optional<uint32_t> Exchange(const std::string& path, std::span<const uint8_t> message,
                                 uint64_t deadline) {
    LinkStream stream;
    switch (LinkStream::Connect(path, stream)) {
        case ConnectOutcome::Connected:
            break;
        case ConnectOutcome::Stale:
            detail::RemoveIfStale(path);
            return std::nullopt;
        default:
            return std::nullopt;
    }
    if (!stream.PeerIsSameUser()) {
        LinkLog("the window at %s belongs to another user", path.c_str());
        return std::nullopt;
    }
    std::array<uint8_t, kAnswerBytes> answer{};
    if (!stream.Write(message, deadline) ||
        stream.Read(answer, deadline) != LinkStream::ReadOutcome::Done) {
        return std::nullopt;
    }
    return WordReader(answer).Next();
}

// Whether a listener answers at the path; a stale name is removed.
bool IsAlive(const std::string& path) {
    LinkStream probe;
    switch (LinkStream::Connect(path, probe)) {
        case ConnectOutcome::Connected:
        case ConnectOutcome::Busy:
            return true;
        case ConnectOutcome::Stale:
            detail::RemoveIfStale(path);
            return false;
        default:
            return false;
    }
}

}  // namespace

bool ExportWindow(WindowId window, const WindowExportOptions& options) {
    const auto className = detail::LocalWindowClass(window);
    if (!className) {
        LinkLog("window %u is not a window of this process; not exported", window);
        return false;
    }
    if (window > kMaxExportedId) {
        LinkLog("window %u has an id too large to export", window);
        return false;
    }
    if (options.findableByClass && !IsUsableClassName(*className)) {
        LinkLog("class name of window %u cannot name a file; not exported", window);
        return false;
    }
    LinkService& service = LinkService::Get();
    if (service.IsExported(window)) {
        LinkLog("window %u is already exported", window);
        return false;
    }
    const auto folder = LinkFolder::Open(true);
    if (!folder) {
        return false;
    }
    auto entry = std::make_shared<Export>();
    entry->window = window;
    entry->acceptedPosts = options.acceptedPosts;
    std::vector<std::string> names{std::to_string(window)};
    if (options.findableByClass) {
        names.push_back(*className + "." + std::to_string(window));
    }
    for (const auto& name : names) {
        std::string path = folder->PathOf(name);
        auto listener = path.empty() ? nullptr : LinkListener::Listen(path);
        if (!listener) {
            entry->Unlink();
            return false;
        }
        entry->paths.push_back(std::move(path));
        entry->listeners.push_back(std::move(listener));
    }
    if (!service.Add(entry)) {
        entry->Unlink();
        return false;
    }
    if (!detail::LocalWindowClass(window)) {  // destroyed while its names were made
        service.Remove(window);
        return false;
    }
    return true;
}

void UnexportWindow(WindowId window) {
    if (LinkService::AnyExports()) {
        LinkService::Get().Remove(window);
    }
}

namespace detail {

void ForgetExport(WindowId window) {
    UnexportWindow(window);
}

bool IsExportedElsewhere(WindowId window) {
    if (window == 0 || window > kMaxExportedId) {
        return false;
    }
    const std::string path = PathOfWindow(window);
    return !path.empty() && IsAlive(path);
}

WindowId FindExportedByClass(std::string_view className) {
    if (!IsUsableClassName(className)) {
        return 0;
    }
    const auto folder = LinkFolder::Open(false);
    if (!folder) {
        return 0;
    }
    WindowId found = 0;
    for (const auto& name : folder->Names()) {
        const size_t dot = name.rfind('.');
        if (dot == std::string::npos ||
            !EqualsIgnoringAsciiCase(std::string_view(name).substr(0, dot), className)) {
            continue;
        }
        const auto id = ParseWindowId(std::string_view(name).substr(dot + 1));
        if (!id || (found != 0 && *id >= found)) {
            continue;
        }
        const std::string path = folder->PathOf(name);
        if (path.empty()) {
            continue;
        }
        if (IsAlive(path)) {
            found = *id;
        } else if (const std::string idPath = folder->PathOf(std::to_string(*id));
                   !idPath.empty()) {
            RemoveIfStale(idPath);  // its process is gone: its other name is stale too
        }
    }
    return found;
}

bool PostToExported(WindowId window, uint32_t id, WParam wParam, LParam lParam) {
    if (window == 0 || window > kMaxExportedId || id == kMsgCopyData || !FitsWord(wParam) ||
        !FitsSignedOrUnsignedWord(lParam)) {
        return false;
    }
    const std::string path = PathOfWindow(window);
    if (path.empty()) {
        return false;
    }
    LinkHeader h = HeaderFor(kKindPost, window, id, wParam);
    h.lParam = static_cast<uint32_t>(lParam);
    const auto answer = Exchange(path, EncodeMessage(h, {}), LinkClockMs() + kPostTimeoutMs);
    return answer == 1u;
}

bool SendCopyDataToExported(WindowId window, WParam wParam, const CopyDataRecord* record,
                            uint32_t timeoutMs, LResult* result) {
    if (window == 0 || window > kMaxExportedId || record == nullptr || !FitsWord(wParam) ||
        !FitsWord(record->dwData) || (record->cbData != 0 && record->lpData == nullptr)) {
        return false;
    }
    if (record->cbData > kMaxCopyDataBytes) {
        LinkLog("copy-data of %u bytes for window %u is too large; not sent", record->cbData,
                window);
        return false;
    }
    std::string path = PathOfWindow(window);
    if (path.empty()) {
        return false;
    }
    LinkHeader h = HeaderFor(kKindCopyData, window, kMsgCopyData, wParam);
    h.dwData = static_cast<uint32_t>(record->dwData);
    h.byteCount = record->cbData;
    const auto* data = static_cast<const uint8_t*>(record->lpData);
    std::vector<uint8_t> message = EncodeMessage(h, {data, data + record->cbData});

    // The exchange runs on a thread of its own, so that this one can handle
    // what is sent to it meanwhile (the receiver may send back).
    struct Outcome {
        std::atomic<bool> delivered{false};
    };
    auto outcome = std::make_shared<Outcome>();
    std::shared_ptr<ReplyWait> wait = NewReplyWait();
    const uint64_t deadline = timeoutMs == kInfinite ? UINT64_MAX / 2 : LinkClockMs() + timeoutMs;
    std::thread([path = std::move(path), message = std::move(message), deadline, outcome, wait] {
        const auto answer = Exchange(path, message, deadline);
        outcome->delivered.store(answer.has_value());
        CompleteReplyWait(*wait, answer ? SignExtended(*answer) : 0);
    }).detach();
    const auto answer = AwaitReplyWait(*wait, timeoutMs);
    if (!answer || !outcome->delivered.load()) {
        return false;
    }
    *result = *answer;
    return true;
}

}  // namespace detail

}  // namespace platform
