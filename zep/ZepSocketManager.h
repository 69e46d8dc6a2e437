#pragma once
// One TCP connection to a server and everything that runs on it.
//
// ZepSocketManager connects (with a real time-out) or takes over a socket
// that is already connected, sends an optional greeting, and runs a socket
// thread that waits on the socket and its own message queue together,
// receives, checks and assembles frames, and hands each reply to the request
// waiting for it. Requests are serialised, transformed,
// cut into frames and sent by the calling thread, which then blocks until the
// reply, the time-out or Close. Messages the server sends unasked, and socket
// notices (1 closed, 2 error), go to the owner as WM_ZEP_SOCKET (2025) pairs
// that the receiver frees with ZepFreeDelivery.
//
// Rules:
//  - ConnectNew, Attach and Close are called from one thread (the owner's UI
//    thread), never from the socket thread. SendRequest may be called from
//    any thread except the socket thread.
//  - Each pair goes to exactly one receiver: the owner window when one is
//    given, else the owner thread. A pair that cannot be posted is freed at
//    once.
//  - Only one request can await its reply per connection; requests that do
//    not wait may go out from other threads meanwhile. A request that
//    gives up (time-out, Close) stops awaiting before it returns; a reply
//    that comes later is reported as a socket error (code 2).
//  - Close stops and joins the socket thread, wakes every waiting request
//    (which reports a time-out), waits until no request is in progress, then
//    closes the socket and frees the connection records. It is harmless on a
//    manager that never connected and may be repeated; the manager can
//    connect again afterwards.
//  - A frame with a bad length, CRC, piece length or sequence, or a message
//    that does not decode, is dropped and reported as one socket error; the
//    connection stays open and the frames behind it are still taken. A frame
//    with a bad length is skipped by its L + 4 bytes as they arrive.
//  - A frame that went out only in part is a send failure; the connection
//    is then marked closed and a socket error is reported.
//  - The transform (key schedule and zlib streams) is set up when the key is
//    set and serves every message until the next key; a message never pays
//    for it.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/Net.h"
#include "platform/Sync.h"
#include "platform/Thread.h"
#include "zep/ZepByteBuffer.h"
#include "zep/ZepConnectionRecord.h"
#include "zep/ZepFrame.h"
#include "zep/ZepMessage.h"

// How ConnectNew and Attach connect and whom the connection reports to.
struct ZepConnectParams {
    const char* host = "";  // a dotted address or a name; also the record's key
    uint16_t port = 0;
    uint32_t connectSeconds = 10;  // ConnectNew only
    // 0: send the greeting and return at once; else send nothing and wait up
    // to waitMs for the server's first data (which is dropped).
    uint32_t greetingWaitMode = 0;
    platform::WindowId ownerWindow = 0;
    platform::ThreadId ownerThread = 0;
    const void* greeting = nullptr;
    uint32_t greetingLength = 0;
    uint32_t waitMs = 10000;
};

class ZepTransform;

class ZepSocketManager {
public:
    // Records from host and port: "%s:%d" (an absent host gives "").
    static std::string ConnectionKey(const char* host, int port);

    // A key of keyLength bits (128, 192 or 256 are usable by the cipher step;
    // the bytes are copied), the default transform flags, whether every frame
    // carries a CRC, and the largest piece per frame (1 to 4000; anything
    // else is taken as 4000).
    ZepSocketManager(const uint8_t* key, uint32_t keyLength, uint32_t cipherFlags,
                     uint32_t compressionFlags, uint32_t alwaysCrc, uint32_t maxPieceSize);
    // Closes what is still open. A derived class that overrides a hook the
    // socket thread calls closes in its own destructor.
    virtual ~ZepSocketManager();
    ZepSocketManager(const ZepSocketManager&) = delete;
    ZepSocketManager& operator=(const ZepSocketManager&) = delete;

    // Connects a new socket to host:port within connectSeconds, then as
    // Attach. 1 when connected; on any failure everything is closed and 0
    // returned (the socket error says why a connect failed).
    int ConnectNew(const ZepConnectParams& params);
    // Takes over a socket that is already connected (a proxy tunnel). The
    // manager owns the socket from this call on, also when it fails.
    int Attach(platform::SocketHandle socket, const ZepConnectParams& params);
    virtual int Close();
    // Binds the socket the next ConnectNew connects from to a local address
    // (a dotted address or a name; empty for any) and port. 1 on success;
    // Close drops the bound socket.
    int Bind(const char* host, int port);

    // Serialises and transforms the request (flags of 0 take the defaults),
    // sends it in frames (with CRCs when crcFlag is 1 or the manager always
    // sends them), and when descriptor.callerWord is non-zero waits up to
    // timeoutMs for the reply, which is moved into *reply. Host 0 and port 0
    // take the first connection. Returns 1 on success; 0 with *timedOut = 1
    // when the wait ended without a reply (time-out or Close); 0 with
    // *timedOut = 0 when nothing could be sent.
    int SendRequest(const ZepDeliveryInfo& descriptor, const ZepMessage& request, ZepMessage* reply,
                    int* timedOut, uint32_t timeoutMs, uint32_t cipherFlags,
                    uint32_t compressionFlags, uint32_t crcFlag, const char* host, int port);

    platform::SocketHandle GetSocket() const { return socket_.load(); }
    uint32_t GetConnectionId() const { return connectionId_.load(); }
    // Stores a new id and returns the previous one.
    uint32_t SetConnectionId(uint32_t id) { return connectionId_.exchange(id); }
    int IsConnected() const;

    // The key and default flags for every later message; 1.
    virtual int SetTransformKey(const uint8_t* key, uint32_t keyLength, uint32_t cipherFlags,
                                uint32_t compressionFlags);

    uint32_t GetMaxPieceSize() const { return maxPieceSize_; }
    // Bytes received since connecting (reset by Close).
    uint32_t GetTotalReceived() const { return totalReceived_.load(); }

    // Cuts a transformed message into its piece list, and joins one back,
    // with this manager's piece size.
    size_t SplitPackets(const ZepByteBuffer& input, ZepByteBuffer& output) const;
    size_t JoinPackets(const ZepByteBuffer& input, ZepByteBuffer& output) const;

protected:
    // Sees every received chunk first, on the socket thread; non-zero means
    // the hook took it and it is not buffered. The base takes nothing.
    virtual int FilterReceivedData(ZepConnectionRecord& record, const uint8_t* data, size_t n);

private:
    using RecordPtr = std::shared_ptr<ZepConnectionRecord>;

    struct TransformSettings {
        uint8_t key[32] = {};
        uint32_t keyBits = 0;
        bool hasKey = false;
        uint32_t cipherFlags = 0;
        uint32_t compressionFlags = 0;
    };
    // A transform set up for the key with one pair of flags.
    struct FlaggedTransform {
        uint32_t cipherFlags = 0;
        uint32_t compressionFlags = 0;
        std::shared_ptr<ZepTransform> transform;
    };
    // How many flag pairs keep their transform for a key; a request with yet
    // another pair sets one up for itself.
    static constexpr size_t kMaxKeptTransforms = 4;

    // Connecting and closing.
    int Connect(platform::SocketHandle socket, const ZepConnectParams& params, bool attach);
    int ConnectWithTimeout(const char* host, uint16_t port, uint32_t seconds);
    int StartSocketThread();
    int WaitThreadReady();
    int WaitConnectionEvent(uint32_t waitMs, const RecordPtr& record);
    void CloseConnection();

    // Connection records.
    RecordPtr CreateConnection(const char* host, int port);
    RecordPtr FindConnection(const char* host, int port);
    RecordPtr GetFirstConnection();
    RecordPtr FindOrFirstConnection(const char* host, int port);
    void AddRefAllConnections();
    void RemoveAllConnections();

    // How the stream stands after a read.
    enum class StreamState { Open, Ended, Failed };

    // The socket thread.
    void SocketThreadLoop();
    // Takes the thread's messages; false once the quit message came.
    bool TakeThreadMessages();
    // Reads what has come and handles the whole frames; reports the end of
    // the stream or its failure after them. False when the socket has
    // nothing more to give.
    bool OnReceive();
    RecordPtr ReadIntoBuffer(StreamState& state);
    // Cuts and handles the whole frames kept; reports each faulty one.
    void ProcessFrames(ZepConnectionRecord& record);
    int DispatchFrame(std::span<const uint8_t> frame, ZepConnectionRecord& record);
    int SignalConnected(ZepConnectionRecord& record);
    int OnSend();
    int OnSocketError();
    int OnSocketClose();

    // Handing messages on.
    bool BuildDelivery(const ZepByteBuffer& assembled, ZepDeliveryInfo& info,
                       ZepMessage& message) const;
    int PostMessageToOwner(const ZepByteBuffer& assembled);
    int DeliverResponse(const ZepByteBuffer& assembled, ZepConnectionRecord& record);
    int PostNotice(uint32_t code);
    void PostPairToOwner(ZepDeliveryInfo* info, ZepMessage* message);

    // Sending.
    // The key's transform with these flags (0 takes the default), set up
    // once and kept while the key stands.
    std::shared_ptr<ZepTransform> TransformFor(uint32_t cipherFlags,
                                               uint32_t compressionFlags) const;
    int SendMessageFragments(ZepConnectionRecord& record, const ZepByteBuffer& pieces,
                             uint32_t callerWord, uint32_t crcFlag, uint32_t& messageSequence);
    int SendFrame(ZepConnectionRecord& record, std::span<const uint8_t> piece,
                  const ZepFrameHeader& header, uint32_t crcFlag);
    int SendRaw(const void* data, uint32_t n);
    size_t SendAll(std::span<const uint8_t> bytes);

    const uint32_t alwaysCrc_;
    const uint32_t maxPieceSize_;

    std::atomic<platform::SocketHandle> socket_{platform::kNoSocket};
    platform::SocketHandle boundSocket_ = platform::kNoSocket;  // owner's thread only
    std::atomic<uint32_t> connectionId_{0};

    mutable std::mutex transformLock_;
    TransformSettings transform_;  // guarded by transformLock_
    // The key's transforms, the default flags' first; guarded by transformLock_.
    mutable std::vector<FlaggedTransform> transforms_;

    std::atomic<uint32_t> greetingWaitMode_{0};
    std::atomic<platform::WindowId> ownerWindow_{0};
    std::atomic<platform::ThreadId> ownerThread_{0};

    platform::Thread socketThread_;
    platform::Event stopEvent_{platform::Event::Mode::ManualReset};
    platform::Event writeReadyEvent_{platform::Event::Mode::AutoReset};
    platform::Event threadReadyEvent_{platform::Event::Mode::ManualReset};
    platform::Event threadEndedEvent_{platform::Event::Mode::ManualReset};
    // A send would have blocked: the socket thread watches for room to send.
    std::atomic<bool> writeWanted_{false};

    std::atomic<uint32_t> totalReceived_{0};
    uint32_t readNotices_ = 0;  // socket thread only

    std::mutex connectionLock_;
    std::map<std::string, RecordPtr> connections_;  // guarded by connectionLock_

    std::mutex sendLock_;  // keeps the frames of one message together on the wire
    std::atomic<int32_t> busy_{0};
};
