#include "tools/test_server/TestGameServer.h"

#include <cstdio>
#include <utility>

#include "platform/Sync.h"

#include "platform/Socket.h"
#include "zep/ZepChannelKeys.h"
#include "zep/ZepTransform.h"
#include "zep/ZepWire.h"

namespace testserver {
namespace {

constexpr uint32_t kMaxGreeting = 64 * 1024;

bool ReadU32(platform::SocketHandle socket, uint32_t& value) {
    uint8_t bytes[4];
    if (!ReadExact(socket, bytes)) {
        return false;
    }
    ZepWireReader reader(bytes);
    return reader.ReadU32(value);
}

}  // namespace

bool ReadExact(platform::SocketHandle socket, std::span<uint8_t> out) {
    size_t done = 0;
    while (done < out.size()) {
        const int n = platform::RecvSocket(socket, out.data() + done, out.size() - done);
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

ZepMessage MakeMessage(uint32_t code, std::span<const uint8_t> data) {
    ZepMessage message;
    message.SetCode(code);
    message.SetData(data.data(), static_cast<uint32_t>(data.size()));
    return message;
}

TestGameServer::TestGameServer() : TestGameServer(Options{}) {}

TestGameServer::TestGameServer(Options options)
    : options_(std::move(options)), frames_(options_.framesKept) {
    if (options_.key == nullptr) {
        options_.key = ZepChannelKeyBlock(2);
    }
}

TestGameServer::~TestGameServer() {
    Stop();
}

bool TestGameServer::Start() {
    listener_ = platform::CreateTcpSocket();
    if (listener_ == platform::kNoSocket ||
        !platform::BindSocket(listener_, platform::LoopbackAddress(), options_.port) ||
        !platform::ListenSocket(listener_, 8)) {
        return false;
    }
    port_ = platform::SocketLocalPort(listener_);
    thread_ = std::thread([this] { AcceptLoop(); });
    return port_ != 0;
}

void TestGameServer::Stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        stopping_ = true;
        if (client_ != platform::kNoSocket) {
            platform::ShutdownSocket(client_, platform::kShutdownBoth);
        }
    }
    if (listener_ != platform::kNoSocket) {
        platform::ShutdownSocket(listener_, platform::kShutdownBoth);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    if (listener_ != platform::kNoSocket) {
        platform::CloseSocket(listener_);
        listener_ = platform::kNoSocket;
    }
    changed_.notify_all();
}

void TestGameServer::SetHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

void TestGameServer::SetLog(Log log) {
    std::lock_guard lock(mutex_);
    log_ = std::move(log);
}

void TestGameServer::SetConnectionHandler(ConnectionHandler handler) {
    std::lock_guard lock(mutex_);
    connectionHandler_ = std::move(handler);
}

void TestGameServer::AcceptLoop() {
    for (;;) {
        const platform::SocketHandle client = platform::AcceptSocket(listener_);
        ConnectionHandler connection;
        {
            std::lock_guard lock(mutex_);
            if (stopping_ || client == platform::kNoSocket) {
                if (client != platform::kNoSocket) {
                    platform::CloseSocket(client);
                }
                return;
            }
            client_ = client;
            // Replies and notices are small writes in a row: none waits
            // for the one before to be acknowledged.
            platform::SetSocketNoDelay(client, true);
            greeting_.clear();
            ++clients_;
            connection = connectionHandler_;
        }
        changed_.notify_all();
        if (connection) {
            connection(true);
        }
        Serve(client);
        {
            std::lock_guard lock(mutex_);
            client_ = platform::kNoSocket;
            ++disconnects_;
        }
        {
            std::lock_guard sendLock(sendMutex_);  // no send is still using it
            platform::CloseSocket(client);
        }
        if (connection) {
            connection(false);
        }
        changed_.notify_all();
    }
}

void TestGameServer::Serve(platform::SocketHandle client) {
    assembly_.Clear();
    assemblySequence_ = 0;
    assemblyLastPiece_ = 0;
    if (!options_.serverGreeting.empty() && !SendRawBytes(options_.serverGreeting)) {
        return;
    }
    if (options_.expectGreeting && !ReadGreeting(client)) {
        return;
    }
    while (ReadFrame(client)) {
    }
}

bool TestGameServer::ReadGreeting(platform::SocketHandle client) {
    if (!options_.expectedGreeting.empty()) {
        std::vector<uint8_t> bytes(options_.expectedGreeting.size());
        if (!ReadExact(client, bytes)) {
            return false;
        }
        if (bytes != options_.expectedGreeting) {
            CountProtocolError("a wrong greeting");
            return false;
        }
        std::lock_guard lock(mutex_);
        greeting_ = std::move(bytes);
        return true;
    }
    uint32_t length = 0;
    if (!ReadU32(client, length)) {
        return false;
    }
    if (length > kMaxGreeting) {
        CountProtocolError("a greeting too long");
        return false;
    }
    std::vector<uint8_t> bytes(4 + length);
    ZepWireWriter writer(bytes);
    writer.WriteU32(length);
    if (!ReadExact(client, std::span(bytes).subspan(4))) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        greeting_ = std::move(bytes);
    }
    changed_.notify_all();
    return true;
}

bool TestGameServer::ReadFrame(platform::SocketHandle client) {
    uint32_t frameLength = 0;
    if (!ReadU32(client, frameLength)) {
        return false;
    }
    if (!ZepIsFrameLengthValid(frameLength, options_.maxPieceSize)) {
        CountProtocolError("a frame of a bad length");
        return false;
    }
    std::vector<uint8_t> frame(frameLength);
    if (!ReadExact(client, frame)) {
        return false;
    }
    const std::optional<ZepFrameView> view =
        ZepValidateFrame(frame, options_.maxPieceSize) ? ZepParseFrame(frame) : std::nullopt;
    if (!view) {
        CountProtocolError("a frame that does not check (CRC or header)");
        return true;
    }
    {
        std::lock_guard lock(mutex_);
        frames_.Add(ReceivedFrame{frameLength, view->header});
    }
    OnPiece(*view);
    return true;
}

void TestGameServer::OnPiece(const ZepFrameView& frame) {
    const ZepFrameHeader& h = frame.header;
    const bool next = h.pieceIndex == 1 || (h.messageSequence == assemblySequence_ &&
                                            h.pieceIndex == assemblyLastPiece_ + 1);
    if (h.type != kZepFrameTypeMessage || !next) {
        CountProtocolError("a piece out of order or of another type");
        assemblySequence_ = 0;
        return;
    }
    if (h.pieceIndex == 1) {
        assembly_.Clear();
        assemblySequence_ = h.messageSequence;
        assemblyCallerWord_ = h.callerWord;
    }
    assemblyLastPiece_ = h.pieceIndex;
    assembly_.Append(frame.piece.data(), frame.piece.size());
    if (h.lastPiece == 0) {
        return;
    }
    ZepTransform transform(options_.key, options_.keyBits, options_.cipherFlags,
                           options_.compressionFlags);
    ServerRequest request;
    request.messageSequence = assemblySequence_;
    request.callerWord = assemblyCallerWord_;
    assemblySequence_ = 0;
    if (!transform.Transform(assembly_, ZepTransform::kBackward) ||
        !ZepParseMessage(ZepBufferBytes(assembly_), request.message)) {
        CountProtocolError("a message that does not read");
        return;
    }
    OnRequest(std::move(request));
}

void TestGameServer::OnRequest(ServerRequest&& request) {
    LogMessage("in", request.message);
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        handler = handler_;
        if (!handler) {
            requests_.push_back(std::move(request));
        }
    }
    if (handler) {
        handler(*this, request);
    } else {
        changed_.notify_all();
    }
}

bool TestGameServer::WaitForClients(size_t n, uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    return platform::WaitFor(changed_, lock, timeoutMs, [&] { return clients_ >= n; });
}

bool TestGameServer::WaitForRequest(ServerRequest& out, uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    if (!platform::WaitFor(changed_, lock, timeoutMs, [&] { return !requests_.empty(); })) {
        return false;
    }
    out = std::move(requests_.front());
    requests_.pop_front();
    return true;
}

bool TestGameServer::WaitForDisconnects(size_t n, uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    return platform::WaitFor(changed_, lock, timeoutMs, [&] { return disconnects_ >= n; });
}

std::vector<uint8_t> TestGameServer::Greeting() const {
    std::lock_guard lock(mutex_);
    return greeting_;
}

std::vector<ReceivedFrame> TestGameServer::FramesReceived() const {
    std::lock_guard lock(mutex_);
    return frames_.Kept();
}

size_t TestGameServer::ProtocolErrors() const {
    std::lock_guard lock(mutex_);
    return protocolErrors_;
}

void TestGameServer::CountProtocolError(const char* what) {
    Log log;
    {
        std::lock_guard lock(mutex_);
        ++protocolErrors_;
        log = log_;
    }
    if (log) {
        log(std::string("protocol error: ") + what);
    }
}

size_t TestGameServer::SendFaults() const {
    std::lock_guard lock(mutex_);
    return sendFaults_;
}

bool TestGameServer::ReadsBack(std::span<const uint8_t> frames, const ZepMessage& message) const {
    ZepWireReader reader(frames);
    ZepByteBuffer assembly;
    bool last = false;
    while (!last && reader.Remaining() >= 4) {
        uint32_t length = 0;
        reader.ReadU32(length);
        if (!ZepIsFrameLengthValid(length, options_.maxPieceSize) || reader.Remaining() < length) {
            return false;
        }
        const std::span<const uint8_t> frame =
            frames.subspan(frames.size() - reader.Remaining() - 4, length + 4);
        reader.Skip(length);
        if (!ZepValidateFrame(frame.subspan(4), options_.maxPieceSize)) {
            return false;
        }
        const std::optional<ZepFrameView> view = ZepParseFrame(frame.subspan(4));
        if (!view) {
            return false;
        }
        assembly.Append(view->piece.data(), view->piece.size());
        last = view->header.lastPiece != 0;
    }
    ZepTransform transform(options_.key, options_.keyBits, options_.cipherFlags,
                           options_.compressionFlags);
    ZepMessage back;
    return last && reader.Remaining() == 0 &&
           transform.Transform(assembly, ZepTransform::kBackward) &&
           ZepParseMessage(ZepBufferBytes(assembly), back) && back.Code() == message.Code() &&
           back.length == message.length &&
           std::equal(back.data, back.data + back.length, message.data);
}

void TestGameServer::LogMessage(const char* direction, const ZepMessage& message) {
    Log log;
    {
        std::lock_guard lock(mutex_);
        log = log_;
    }
    if (!log) {
        return;
    }
    char line[160];
    int used = std::snprintf(line, sizeof line, "%llu %s %u %u",
                             static_cast<unsigned long long>(platform::GetTickCount32()), direction,
                             message.Code(), message.length);
    for (uint32_t i = 0; i < message.length && i < 16 && used > 0 && used < 150; ++i) {
        used += std::snprintf(line + used, sizeof line - static_cast<size_t>(used),
                              i == 0 ? " %02x" : "%02x", message.data[i]);
    }
    log(line);
}

bool TestGameServer::BuildFrames(uint32_t type, uint32_t messageSequence, const ZepMessage& message,
                                 uint32_t pieceSize, std::vector<uint8_t>& out) {
    std::lock_guard lock(sendMutex_);
    return BuildFramesLocked(type, messageSequence, message, pieceSize, out);
}

bool TestGameServer::BuildFramesLocked(uint32_t type, uint32_t messageSequence,
                                       const ZepMessage& message, uint32_t pieceSize,
                                       std::vector<uint8_t>& out) {
    out.clear();
    if (pieceSize == 0 || pieceSize > options_.maxPieceSize) {
        pieceSize = options_.maxPieceSize;
    }
    ZepByteBuffer body;
    ZepByteBuffer pieces;
    ZepTransform transform(options_.key, options_.keyBits, options_.cipherFlags,
                           options_.compressionFlags);
    if (!ZepSerializeMessage(message, body) || !transform.Transform(body, ZepTransform::kForward) ||
        ZepSplitPackets(ZepBufferBytes(body), pieces, pieceSize) == 0) {
        return false;
    }
    ZepFrameHeader header;
    header.type = type;
    header.messageSequence = messageSequence;
    ZepWireReader reader(ZepBufferBytes(pieces));
    while (reader.Remaining() > 4) {
        uint32_t length = 0;
        reader.ReadU32(length);
        const std::span<const uint8_t> piece = reader.Rest().first(length);
        reader.Skip(length);
        header.frameSequence = ++nextFrameSequence_;
        header.pieceIndex += 1;
        header.lastPiece = reader.Remaining() < 5 ? 1 : 0;
        ZepByteBuffer frame;
        if (!ZepBuildFrame(header, piece, options_.withCrc, frame)) {
            return false;
        }
        const std::span<const uint8_t> bytes = ZepBufferBytes(frame);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return true;
}

bool TestGameServer::Reply(uint32_t messageSequence, const ZepMessage& reply, uint32_t pieceSize) {
    std::lock_guard lock(sendMutex_);
    std::vector<uint8_t> bytes;
    if (!BuildFramesLocked(kZepFrameTypeReply, messageSequence, reply, pieceSize, bytes)) {
        return false;
    }
    if (sentWatcher_) {
        sentWatcher_(true, messageSequence, reply);
    }
    return SendChecked(bytes, reply, "reply");
}

bool TestGameServer::Notify(const ZepMessage& message, uint32_t pieceSize) {
    std::lock_guard lock(sendMutex_);
    std::vector<uint8_t> bytes;
    const uint32_t sequence = ++nextMessageSequence_;
    if (!BuildFramesLocked(kZepFrameTypeMessage, sequence, message, pieceSize, bytes)) {
        return false;
    }
    if (sentWatcher_) {
        sentWatcher_(false, sequence, message);
    }
    return SendChecked(bytes, message, "notify");
}

void TestGameServer::SetSentWatcher(SentWatcher watcher) {
    std::lock_guard lock(sendMutex_);
    sentWatcher_ = std::move(watcher);
}

void TestGameServer::Deliver(ServerRequest request) {
    OnRequest(std::move(request));
}

// Called with sendMutex_ held.
bool TestGameServer::SendChecked(std::span<const uint8_t> frames, const ZepMessage& message,
                                 const char* direction) {
    if (options_.checkSentFrames && !ReadsBack(frames, message)) {
        std::lock_guard lock(mutex_);
        ++sendFaults_;
        return false;
    }
    LogMessage(direction, message);
    return SendToClient(frames);
}

bool TestGameServer::SendRawBytes(std::span<const uint8_t> bytes) {
    std::lock_guard lock(sendMutex_);
    return SendToClient(bytes);
}

bool TestGameServer::SendToClient(std::span<const uint8_t> bytes) {
    platform::SocketHandle client = platform::kNoSocket;
    {
        std::lock_guard lock(mutex_);
        client = client_;
    }
    if (client == platform::kNoSocket) {
        return false;
    }
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int n = platform::SendSocket(client, bytes.data() + sent, bytes.size() - sent);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

void TestGameServer::CloseClient() {
    std::lock_guard lock(mutex_);
    if (client_ != platform::kNoSocket) {
        platform::ShutdownSocket(client_, platform::kShutdownSend);
    }
}

void TestGameServer::DropClient() {
    std::lock_guard lock(mutex_);
    if (client_ != platform::kNoSocket) {
        platform::ShutdownSocket(client_, platform::kShutdownBoth);
    }
}

}  // namespace testserver
