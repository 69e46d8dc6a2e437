#include "zep/ZepSocketManager.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/DroppedMessages.h"
#include "platform/Socket.h"
#include "platform/SocketWait.h"
#include "zep/ZepLog.h"
#include "zep/ZepSocketUtils.h"
#include "zep/ZepTransform.h"
#include "zep/ZepWire.h"

namespace {

constexpr uint32_t kThreadReadyWaitMs = 5000;
constexpr uint32_t kWriteReadyWaitMs = 1000;
constexpr size_t kRecvChunkSize = 4096;
// One read takes at most this many chunks; the next takes the rest, so one
// flood cannot keep the socket thread from its frames and messages.
constexpr int kMaxChunksPerRead = 64;

// Counts a request in progress for as long as it lives.
class BusyScope {
public:
    explicit BusyScope(std::atomic<int32_t>& busy) : busy_(busy) { ++busy_; }
    ~BusyScope() {
        if (--busy_ == 0) {
            busy_.notify_all();
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<int32_t>& busy_;
};

uint32_t SecondsToMs(uint32_t seconds) {
    constexpr uint32_t kMaxSeconds = (platform::kInfinite - 1) / 1000;
    return std::min(seconds, kMaxSeconds) * 1000;
}

}  // namespace

std::string ZepSocketManager::ConnectionKey(const char* host, int port) {
    char key[320];
    std::snprintf(key, sizeof(key), "%.300s:%d", host == nullptr ? "" : host, port);
    return key;
}

ZepSocketManager::ZepSocketManager(const uint8_t* key, uint32_t keyLength, uint32_t cipherFlags,
                                   uint32_t compressionFlags, uint32_t alwaysCrc,
                                   uint32_t maxPieceSize)
    : alwaysCrc_(alwaysCrc),
      maxPieceSize_(maxPieceSize == 0 || maxPieceSize > kZepMaxPieceSize ? kZepMaxPieceSize
                                                                         : maxPieceSize) {
    ZepSocketManager::SetTransformKey(key, keyLength, cipherFlags, compressionFlags);
}

ZepSocketManager::~ZepSocketManager() {
    CloseConnection();
}

// ---- connecting and closing -------------------------------------------------

int ZepSocketManager::ConnectNew(const ZepConnectParams& params) {
    const platform::SocketHandle bound = std::exchange(boundSocket_, platform::kNoSocket);
    return Connect(bound != platform::kNoSocket ? bound : platform::CreateTcpSocket(), params,
                   false);
}

int ZepSocketManager::Attach(platform::SocketHandle socket, const ZepConnectParams& params) {
    return Connect(socket, params, true);
}

int ZepSocketManager::Close() {
    CloseConnection();
    return 1;
}

int ZepSocketManager::Bind(const char* host, int port) {
    ZepSocketAddress address;
    if (port < 0 || port > 0xFFFF ||
        !ZepResolveAddress(host == nullptr ? "" : host, static_cast<uint16_t>(port), &address)) {
        platform::SetLastSocketError(platform::kSocketErrorInvalidArgument);
        return 0;
    }
    const platform::SocketHandle socket = platform::CreateTcpSocket();
    if (socket == platform::kNoSocket) {
        return 0;
    }
    if (!platform::BindSocket(socket, address.address, static_cast<uint16_t>(port))) {
        const int error = platform::LastSocketError();
        platform::CloseSocket(socket);
        platform::SetLastSocketError(error);
        return 0;
    }
    if (boundSocket_ != platform::kNoSocket) {
        platform::CloseSocket(boundSocket_);
    }
    boundSocket_ = socket;
    return 1;
}

int ZepSocketManager::Connect(platform::SocketHandle socket, const ZepConnectParams& params,
                              bool attach) {
    CloseConnection();  // a manager connects again only from the closed state

    greetingWaitMode_ = params.greetingWaitMode;
    ownerWindow_ = params.ownerWindow;
    ownerThread_ = params.ownerThread;
    stopEvent_.Reset();
    writeReadyEvent_.Reset();
    threadReadyEvent_.Reset();
    threadEndedEvent_.Reset();
    writeWanted_ = false;
    socket_ = socket;
    SetConnectionId(static_cast<uint32_t>(ZepNextConnectionId()));

    auto fail = [this](const char* what) {
        const int error = platform::LastSocketError();
        ZepLog("connect failed: %s (error %d)", what, error);
        CloseConnection();  // never the derived Close: this is the manager's own path
        platform::SetLastSocketError(error);
        return 0;
    };

    if (socket == platform::kNoSocket) {
        if (attach) {
            platform::SetLastSocketError(platform::kSocketErrorBadHandle);
        }
        return fail("no socket");
    }
    if (!attach && !ConnectWithTimeout(params.host, params.port, params.connectSeconds)) {
        return fail("connect");
    }
    const RecordPtr record = CreateConnection(params.host, params.port);
    if (params.greetingWaitMode == 0) {
        // The greeting goes out on a blocking socket, before the notices start.
        if (!platform::SetSocketBlocking(socket, true) ||
            !SendRaw(params.greeting, params.greetingLength)) {
            return fail("greeting");
        }
    }
    if (!StartSocketThread() || !WaitThreadReady()) {
        return fail("socket thread");
    }
    if (params.greetingWaitMode == 0) {
        return 1;
    }
    if (!WaitConnectionEvent(params.waitMs, record)) {
        platform::SetLastSocketError(platform::kSocketErrorTimedOut);
        return fail("greeting wait");
    }
    return 1;
}

int ZepSocketManager::ConnectWithTimeout(const char* host, uint16_t port, uint32_t seconds) {
    ZepSocketAddress address;
    if (!ZepResolveAddress(host == nullptr ? "" : host, port, &address)) {
        return 0;
    }
    return platform::ConnectSocket(socket_.load(), address.address, port, SecondsToMs(seconds)) ? 1
                                                                                                : 0;
}

int ZepSocketManager::StartSocketThread() {
    if (!socketThread_.StartWithQueue([this] { SocketThreadLoop(); })) {
        threadEndedEvent_.Set();
        return 0;
    }
    return 1;
}

int ZepSocketManager::WaitThreadReady() {
    if (!platform::PostThreadMessage(socketThread_.Id(), kZepSocketReadyMessage, 0, 0)) {
        return 0;
    }
    platform::Event* const events[] = {&threadReadyEvent_, &stopEvent_, &threadEndedEvent_};
    return platform::WaitAny(events, kThreadReadyWaitMs) == 0 ? 1 : 0;
}

int ZepSocketManager::WaitConnectionEvent(uint32_t waitMs, const RecordPtr& record) {
    platform::Event* const events[] = {&record->ResponseEvent(), &stopEvent_};
    if (platform::WaitAny(events, waitMs) != 0) {
        return 0;
    }
    record->ResponseEvent().Reset();
    return 1;
}

void ZepSocketManager::CloseConnection() {
    stopEvent_.Set();
    AddRefAllConnections();  // new requests fail at once
    if (socketThread_.IsRunning()) {
        platform::PostThreadMessage(socketThread_.Id(), platform::kMsgQuit, 0, 0);
    }
    socketThread_.Join();
    // Waiting requests have woken on the stop event; the socket and the
    // records stay until the last of them has left.
    for (int32_t busy = busy_.load(); busy > 0; busy = busy_.load()) {
        busy_.wait(busy);
    }
    for (const platform::SocketHandle socket : {socket_.exchange(platform::kNoSocket),
                                                std::exchange(boundSocket_, platform::kNoSocket)}) {
        if (socket != platform::kNoSocket) {
            platform::CloseSocket(socket);
        }
    }
    connectionId_ = 0;
    totalReceived_ = 0;
    readNotices_ = 0;
    RemoveAllConnections();
}

// ---- connection records -----------------------------------------------------

ZepSocketManager::RecordPtr ZepSocketManager::CreateConnection(const char* host, int port) {
    auto record = std::make_shared<ZepConnectionRecord>(maxPieceSize_);
    std::lock_guard lock(connectionLock_);
    connections_[ConnectionKey(host, port)] = record;
    return record;
}

ZepSocketManager::RecordPtr ZepSocketManager::FindConnection(const char* host, int port) {
    std::lock_guard lock(connectionLock_);
    const auto it = connections_.find(ConnectionKey(host, port));
    return it == connections_.end() ? nullptr : it->second;
}

ZepSocketManager::RecordPtr ZepSocketManager::GetFirstConnection() {
    std::lock_guard lock(connectionLock_);
    return connections_.empty() ? nullptr : connections_.begin()->second;
}

ZepSocketManager::RecordPtr ZepSocketManager::FindOrFirstConnection(const char* host, int port) {
    RecordPtr record = FindConnection(host, port);
    return record != nullptr ? record : GetFirstConnection();
}

void ZepSocketManager::AddRefAllConnections() {
    std::lock_guard lock(connectionLock_);
    for (auto& [key, record] : connections_) {
        record->MarkClosed();
    }
}

void ZepSocketManager::RemoveAllConnections() {
    std::lock_guard lock(connectionLock_);
    connections_.clear();
}

// ---- the socket thread ------------------------------------------------------

void ZepSocketManager::SocketThreadLoop() {
    struct EndMark {
        platform::Event& ended;
        ~EndMark() { ended.Set(); }
    } endMark{threadEndedEvent_};

    platform::Window window;
    if (!window.Create(kZepSocketWindowClass)) {
        ZepLog("socket window could not be created");
        return;
    }
    const platform::SocketHandle socket = socket_.load();
    if (!platform::SetSocketBlocking(socket, false)) {
        ZepLog("socket could not be made non-blocking (error %d)", platform::LastSocketError());
        window.Destroy();
        return;
    }
    bool readable = true;  // until the stream ends or fails
    do {
        const uint32_t events = (readable ? platform::kSocketEventRead : 0) |
                                (writeWanted_.load() ? platform::kSocketEventWrite : 0);
        const uint32_t ready = platform::MsgWaitForSocket(socket, events, platform::kInfinite);
        if ((ready & platform::kSocketEventWrite) != 0) {
            writeWanted_ = false;
            OnSend();
        }
        if ((ready & platform::kSocketEventRead) != 0) {
            readable = OnReceive();
        }
    } while (TakeThreadMessages());
    window.Destroy();
}

bool ZepSocketManager::TakeThreadMessages() {
    platform::Message message;
    while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
        if (message.id == platform::kMsgQuit && message.window == 0) {
            return false;
        }
        if (message.id == kZepSocketReadyMessage) {
            threadReadyEvent_.Set();
        } else {
            platform::DispatchMessage(message);
        }
    }
    return true;
}

bool ZepSocketManager::OnReceive() {
    // A requester waiting for a reply in this read wakes once the read is
    // handled and the record's locks are free, not in the middle of it.
    const platform::DeferEventWakes wakeAfterRead;
    StreamState state = StreamState::Open;
    const RecordPtr record = ReadIntoBuffer(state);
    if (record != nullptr && ++readNotices_ == 1 && SignalConnected(*record)) {
        record->ClearReceived();  // the server's greeting
    } else if (record != nullptr) {
        ProcessFrames(*record);
    }
    switch (state) {
        case StreamState::Open:
            return true;
        case StreamState::Ended:
            OnSocketClose();
            return false;
        case StreamState::Failed:
            OnSocketError();
            return false;
    }
    return false;
}

ZepSocketManager::RecordPtr ZepSocketManager::ReadIntoBuffer(StreamState& state) {
    // A stream socket does not say where its bytes came from: they belong to
    // the first (only) record.
    const RecordPtr record = GetFirstConnection();
    RecordPtr touched;
    uint8_t chunk[kRecvChunkSize];
    for (int i = 0; i < kMaxChunksPerRead; ++i) {
        const int n = platform::RecvSocket(socket_.load(), chunk, sizeof(chunk));
        if (n == 0) {
            state = StreamState::Ended;
            break;
        }
        if (n < 0) {
            const int error = platform::LastSocketError();
            if (error != platform::kSocketErrorWouldBlock &&
                error != platform::kSocketErrorInterrupted) {
                ZepLog("receive failed (error %d)", error);
                state = StreamState::Failed;
            }
            break;
        }
        if (record == nullptr) {
            continue;  // nowhere to keep them: they are dropped
        }
        totalReceived_ += static_cast<uint32_t>(n);
        if (FilterReceivedData(*record, chunk, static_cast<size_t>(n)) == 0 &&
            !record->TakeReceived(std::span(chunk, static_cast<size_t>(n)))) {
            ZepLog("received bytes could not be kept (%d bytes)", n);
        }
        touched = record;
        if (static_cast<size_t>(n) < sizeof(chunk)) {
            break;  // all there was: the next wait says when more comes
        }
    }
    return touched;
}

void ZepSocketManager::ProcessFrames(ZepConnectionRecord& record) {
    std::span<const uint8_t> frame;
    for (ZepCutResult cut = record.NextFrame(frame); cut != ZepCutResult::NeedMore;
         cut = record.NextFrame(frame)) {
        if (cut == ZepCutResult::BadLength || !ZepValidateFrame(frame, maxPieceSize_) ||
            !DispatchFrame(frame, record)) {
            OnSocketError();  // in stream order, one for each faulty frame
        }
    }
}

int ZepSocketManager::DispatchFrame(std::span<const uint8_t> frame, ZepConnectionRecord& record) {
    if (frame.size() == kZepHeaderOnlyFrameLength) {
        return 1;  // carries nothing; its other header fields are not there
    }
    const std::optional<ZepFrameView> view = ZepParseFrame(frame);
    if (!view) {
        return 0;
    }
    ZepDeliveryInfo stamp;
    stamp.socket = static_cast<uint32_t>(socket_.load());
    stamp.connectionId = connectionId_.load();
    ZepByteBuffer completed;
    switch (record.TakePiece(*view, stamp, completed)) {
        case ZepFrameOutcome::Dropped:
        case ZepFrameOutcome::Taken:
            return 1;
        case ZepFrameOutcome::Fault:
            return 0;
        case ZepFrameOutcome::Completed:
            break;
    }
    return view->header.type == kZepFrameTypeReply ? DeliverResponse(completed, record)
                                                   : PostMessageToOwner(completed);
}

int ZepSocketManager::SignalConnected(ZepConnectionRecord& record) {
    if (greetingWaitMode_.load() == 0) {
        return 0;
    }
    record.ResponseEvent().Set();
    return 1;
}

int ZepSocketManager::OnSend() {
    writeReadyEvent_.Set();
    return 1;
}

int ZepSocketManager::OnSocketError() {
    return PostNotice(kZepNoticeError);
}

int ZepSocketManager::OnSocketClose() {
    return PostNotice(kZepNoticeClosed);
}

// ---- handing messages on ----------------------------------------------------

bool ZepSocketManager::BuildDelivery(const ZepByteBuffer& assembled, ZepDeliveryInfo& info,
                                     ZepMessage& message) const {
    const std::span<const uint8_t> bytes = ZepBufferBytes(assembled);
    ZepWireReader reader(bytes);
    for (uint32_t* word : {&info.socket, &info.messageSequence, &info.callerWord,
                           &info.connectionId, &info.reserved1, &info.reserved2}) {
        reader.ReadU32(*word);
    }
    if (!reader.Ok()) {
        return false;
    }
    ZepByteBuffer joined;
    if (ZepJoinPackets(reader.Rest(), joined, maxPieceSize_) == 0) {
        return false;
    }
    if (!TransformFor(0, 0)->Transform(joined, ZepTransform::kBackward)) {
        ZepLog("received message does not decode (%zu bytes)", joined.GetSize());
        return false;
    }
    if (!ZepParseMessage(ZepBufferBytes(joined), message)) {
        ZepLog("received message is malformed (%zu bytes)", joined.GetSize());
        return false;
    }
    return true;
}

int ZepSocketManager::PostMessageToOwner(const ZepByteBuffer& assembled) {
    ZepDeliveryInfo info;
    ZepMessage message;
    if (!BuildDelivery(assembled, info, message)) {
        return 0;
    }
    PostPairToOwner(new ZepDeliveryInfo(info), new ZepMessage(std::move(message)));
    return 1;
}

int ZepSocketManager::DeliverResponse(const ZepByteBuffer& assembled, ZepConnectionRecord& record) {
    ZepDeliveryInfo info;
    ZepMessage message;
    if (!BuildDelivery(assembled, info, message)) {
        record.AbandonRequest(info.messageSequence);
        return 0;
    }
    // False when the sender gave up meanwhile: a late reply.
    return record.DeliverResponse(info.messageSequence, std::move(message)) ? 1 : 0;
}

int ZepSocketManager::PostNotice(uint32_t code) {
    if (ownerWindow_.load() == 0 && ownerThread_.load() == 0) {
        return 1;
    }
    auto* info = new ZepDeliveryInfo;
    info->socket = static_cast<uint32_t>(socket_.load());
    info->connectionId = connectionId_.load();
    auto* message = new ZepMessage;
    message->SetCode(code);
    PostPairToOwner(info, message);
    return 1;
}

void ZepSocketManager::PostPairToOwner(ZepDeliveryInfo* info, ZepMessage* message) {
    // A pair left in a queue that goes away unread is freed with it.
    static const bool freerSet = [] {
        platform::SetDroppedMessageFreer(WM_ZEP_SOCKET, [](platform::WParam w, platform::LParam l) {
            ZepFreeDelivery(reinterpret_cast<ZepDeliveryInfo*>(w),
                            reinterpret_cast<ZepMessage*>(l));
        });
        return true;
    }();
    (void)freerSet;
    const auto wParam = reinterpret_cast<platform::WParam>(info);
    const auto lParam = reinterpret_cast<platform::LParam>(message);
    bool posted = false;
    if (const platform::WindowId window = ownerWindow_.load(); window != 0) {
        posted = platform::PostMessage(window, WM_ZEP_SOCKET, wParam, lParam);
    } else if (const platform::ThreadId thread = ownerThread_.load(); thread != 0) {
        posted = platform::PostThreadMessage(thread, WM_ZEP_SOCKET, wParam, lParam);
    }
    if (!posted) {
        ZepFreeDelivery(info, message);
    }
}

// ---- sending ----------------------------------------------------------------

int ZepSocketManager::IsConnected() const {
    return ZepIsSocketConnected(socket_.load());
}

int ZepSocketManager::SetTransformKey(const uint8_t* key, uint32_t keyLength, uint32_t cipherFlags,
                                      uint32_t compressionFlags) {
    TransformSettings settings;
    settings.hasKey = key != nullptr;
    settings.keyBits = keyLength;
    if (key != nullptr) {
        std::memcpy(settings.key, key, std::min<size_t>(keyLength / 8, sizeof(settings.key)));
    }
    settings.cipherFlags = cipherFlags;
    settings.compressionFlags = compressionFlags;
    FlaggedTransform defaults{
        cipherFlags, compressionFlags,
        std::make_shared<ZepTransform>(settings.hasKey ? settings.key : nullptr, keyLength,
                                       cipherFlags, compressionFlags)};
    std::lock_guard lock(transformLock_);
    transform_ = settings;
    transforms_.clear();
    transforms_.push_back(std::move(defaults));
    return 1;
}

std::shared_ptr<ZepTransform> ZepSocketManager::TransformFor(uint32_t cipherFlags,
                                                             uint32_t compressionFlags) const {
    std::lock_guard lock(transformLock_);
    cipherFlags = cipherFlags != 0 ? cipherFlags : transform_.cipherFlags;
    compressionFlags = compressionFlags != 0 ? compressionFlags : transform_.compressionFlags;
    for (const FlaggedTransform& kept : transforms_) {
        if (kept.cipherFlags == cipherFlags && kept.compressionFlags == compressionFlags) {
            return kept.transform;
        }
    }
    auto transform =
        std::make_shared<ZepTransform>(transform_.hasKey ? transform_.key : nullptr,
                                       transform_.keyBits, cipherFlags, compressionFlags);
    if (transforms_.size() < kMaxKeptTransforms) {
        transforms_.push_back(FlaggedTransform{cipherFlags, compressionFlags, transform});
    }
    return transform;
}

size_t ZepSocketManager::SplitPackets(const ZepByteBuffer& input, ZepByteBuffer& output) const {
    return ZepSplitPackets(ZepBufferBytes(input), output, maxPieceSize_);
}

size_t ZepSocketManager::JoinPackets(const ZepByteBuffer& input, ZepByteBuffer& output) const {
    return ZepJoinPackets(ZepBufferBytes(input), output, maxPieceSize_);
}

int ZepSocketManager::FilterReceivedData(ZepConnectionRecord&, const uint8_t*, size_t) {
    return 0;
}

int ZepSocketManager::SendRequest(const ZepDeliveryInfo& descriptor, const ZepMessage& request,
                                  ZepMessage* reply, int* timedOut, uint32_t timeoutMs,
                                  uint32_t cipherFlags, uint32_t compressionFlags, uint32_t crcFlag,
                                  const char* host, int port) {
    BusyScope busy(busy_);
    if (timedOut != nullptr) {
        *timedOut = 0;
    }
    const RecordPtr record = FindOrFirstConnection(host, port);
    if (record == nullptr || record->IsClosed()) {
        return 0;
    }
    ZepByteBuffer message;
    if (!ZepSerializeMessage(request, message)) {
        return 0;
    }
    ZepByteBuffer pieces;
    if (!TransformFor(cipherFlags, compressionFlags)->Transform(message, ZepTransform::kForward) ||
        SplitPackets(message, pieces) == 0) {
        return 0;
    }
    if (descriptor.callerWord != 0) {
        // Only a request that waits clears the event: a reply already
        // delivered to a request waiting on another thread stays signalled.
        record->ResponseEvent().Reset();
    }
    uint32_t sequence = 0;
    if (!SendMessageFragments(*record, pieces, descriptor.callerWord, crcFlag, sequence)) {
        if (descriptor.callerWord != 0 && sequence != 0) {
            record->AbandonRequest(sequence);
        }
        return 0;
    }
    if (descriptor.callerWord == 0) {
        return 1;
    }
    platform::Event* const events[] = {&stopEvent_, &record->ResponseEvent()};
    ZepMessage response;
    if (platform::WaitAny(events, timeoutMs) != 1 || !record->TakeResponse(response)) {
        record->AbandonRequest(sequence);
        if (timedOut != nullptr) {
            *timedOut = 1;
        }
        return 0;
    }
    if (reply != nullptr) {
        *reply = std::move(response);
    }
    return 1;
}

int ZepSocketManager::SendMessageFragments(ZepConnectionRecord& record, const ZepByteBuffer& pieces,
                                           uint32_t callerWord, uint32_t crcFlag,
                                           uint32_t& messageSequence) {
    const platform::SocketHandle socket = socket_.load();
    if (record.IsClosed() || socket == platform::kNoSocket || !ZepIsSocketConnected(socket)) {
        return 0;
    }
    ZepFrameHeader header;
    header.type = kZepFrameTypeMessage;
    header.callerWord = callerWord;
    header.messageSequence = record.NextMessageSequence();
    messageSequence = header.messageSequence;
    if (callerWord != 0) {
        record.SetAwaitedRequest(header.messageSequence);  // before anything goes out
    }
    std::lock_guard lock(sendLock_);
    ZepWireReader reader(ZepBufferBytes(pieces));
    while (reader.Remaining() > 4) {
        uint32_t length = 0;
        reader.ReadU32(length);
        if (length > reader.Remaining()) {
            return 0;
        }
        const std::span<const uint8_t> piece = reader.Rest().first(length);
        reader.Skip(length);
        header.frameSequence = record.NextFrameSequence();
        header.pieceIndex += 1;
        header.lastPiece = reader.Remaining() < 5 ? 1 : 0;
        if (!SendFrame(record, piece, header, crcFlag)) {
            return 0;
        }
    }
    return 1;
}

int ZepSocketManager::SendFrame(ZepConnectionRecord& record, std::span<const uint8_t> piece,
                                const ZepFrameHeader& header, uint32_t crcFlag) {
    ZepByteBuffer frame;
    if (!ZepBuildFrame(header, piece, crcFlag == 1 || alwaysCrc_ != 0, frame)) {
        return 0;
    }
    const size_t sent = SendAll(ZepBufferBytes(frame));
    if (sent == frame.GetSize()) {
        return 1;
    }
    if (sent > 0) {
        // The server cannot cut the stream into frames any more.
        ZepLog("frame sent in part (%zu of %zu bytes)", sent, frame.GetSize());
        record.MarkClosed();
        OnSocketError();
    }
    return 0;
}

int ZepSocketManager::SendRaw(const void* data, uint32_t n) {
    if (data == nullptr && n > 0) {
        return 0;
    }
    ZepByteBuffer block;
    if (!ZepBuildRawBlock(std::span(static_cast<const uint8_t*>(data), n), block)) {
        return 0;
    }
    std::lock_guard lock(sendLock_);
    return SendAll(ZepBufferBytes(block)) == block.GetSize() ? 1 : 0;
}

size_t ZepSocketManager::SendAll(std::span<const uint8_t> bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int n =
            platform::SendSocket(socket_.load(), bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && platform::LastSocketError() == platform::kSocketErrorWouldBlock) {
            writeWanted_ = true;
            platform::WakeSocketWait(socketThread_.Id());
            platform::Event* const events[] = {&stopEvent_, &writeReadyEvent_};
            if (platform::WaitAny(events, kWriteReadyWaitMs) == 1) {
                continue;
            }
        }
        break;
    }
    return sent;
}
