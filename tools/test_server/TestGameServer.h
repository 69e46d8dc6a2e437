#pragma once
// A scripted game server on a loopback port, for tests and manual runs.
//
// It accepts one client at a time, reads the client's raw greeting (when told
// to expect one), then cuts the client's stream into frames, checks them,
// joins their pieces, runs the transform backwards and hands each request to
// the handler (on the server's thread) or, without a handler, queues it for
// WaitForRequest. Replies and notifications go out as frames built the same
// way the client builds its own: transform forwards, cut into pieces of the
// chosen size, one frame per piece.
//
// Rules:
//  - Reply, Notify, SendRawBytes and CloseClient act on the current client
//    and may be called from any thread, also from inside the handler. A late
//    reply is a Reply sent after the client gave up waiting.
//  - Frames that break the rules are counted as protocol errors, never
//    trusted: a bad length ends the client's connection.
//  - Every wait is bounded by the time-out it is given.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/Net.h"
#include "tools/test_server/RecentRecords.h"
#include "zep/ZepByteBuffer.h"
#include "zep/ZepFrame.h"
#include "zep/ZepMessage.h"

namespace testserver {

// One request as the server received it.
struct ServerRequest {
    uint32_t messageSequence = 0;
    uint32_t callerWord = 0;
    ZepMessage message;
};

// A frame as the server received it: its length field and header.
struct ReceivedFrame {
    uint32_t length = 0;
    ZepFrameHeader header;
};

// A message with a code and a copy of the bytes.
ZepMessage MakeMessage(uint32_t code, std::span<const uint8_t> data = {});

// Reads exactly out.size() bytes from a socket; false at the end of the
// stream or on an error.
bool ReadExact(platform::SocketHandle socket, std::span<uint8_t> out);

class TestGameServer {
public:
    struct Options {
        // The key and flags of the transform (the game channel's block 2 and
        // AES by default).
        const uint8_t* key = nullptr;
        uint32_t keyBits = 128;
        uint32_t cipherFlags = 0x100;
        uint32_t compressionFlags = 0;
        uint32_t maxPieceSize = 4000;
        bool expectGreeting = true;  // the client sends a raw greeting first
        // Sent to every client right after it connects (for clients that
        // wait for the server's greeting); nothing when empty.
        std::vector<uint8_t> serverGreeting;
        bool withCrc = true;  // frames the server sends carry a CRC
        uint16_t port = 0;    // 0: any free port
        // When not empty, the client's greeting must be exactly these bytes;
        // another greeting is counted and ends the connection.
        std::vector<uint8_t> expectedGreeting;
        // Every frame sent is read back through zep's reader; a frame that
        // does not read back is counted as the server's own fault.
        bool checkSentFrames = false;
        // The frames FramesReceived keeps (the newest).
        size_t framesKept = 4096;
    };
    // One line per message in and out (time, direction, id, length, first
    // bytes); called on the thread that received or sent it.
    using Log = std::function<void(const std::string& line)>;
    // Told when a client connects (true) and when its connection ended.
    using ConnectionHandler = std::function<void(bool connected)>;
    using Handler = std::function<void(TestGameServer& server, const ServerRequest& request)>;
    // Told of every reply (true, with the request's sequence) and
    // notification (false, with its own) built to be sent, with or without
    // a client to take it; called on the sending thread.
    using SentWatcher =
        std::function<void(bool reply, uint32_t messageSequence, const ZepMessage& message)>;

    TestGameServer();
    explicit TestGameServer(Options options);
    ~TestGameServer();
    TestGameServer(const TestGameServer&) = delete;
    TestGameServer& operator=(const TestGameServer&) = delete;

    // Listens on 127.0.0.1 (at the port of the options) and starts serving.
    bool Start();
    void Stop();
    uint16_t Port() const { return port_; }

    // Called on the server's thread for every request; without one the
    // requests queue up for WaitForRequest.
    void SetHandler(Handler handler);
    void SetLog(Log log);
    void SetConnectionHandler(ConnectionHandler handler);
    void SetSentWatcher(SentWatcher watcher);

    // Takes a request as if the current client had sent it, without a
    // connection (for drivers in the same process).
    void Deliver(ServerRequest request);

    // Waits until n clients have connected in all.
    bool WaitForClients(size_t n, uint32_t timeoutMs);
    // Takes the next queued request.
    bool WaitForRequest(ServerRequest& out, uint32_t timeoutMs);
    // Waits until the current client has closed its side (or n clients have
    // come and gone).
    bool WaitForDisconnects(size_t n, uint32_t timeoutMs);

    // The raw bytes the current client sent before its first frame.
    std::vector<uint8_t> Greeting() const;
    // The last frames received (all clients), as many as the options keep.
    std::vector<ReceivedFrame> FramesReceived() const;
    size_t ProtocolErrors() const;
    // Counts a request the server's handler refused as breaking the rules
    // (or any other error of the client's) and logs "protocol error: ...".
    void CountProtocolError(const char* what = "a request refused");
    // Frames the server built that its own reader did not take back.
    size_t SendFaults() const;

    // Sends a reply (frames of type 2) to the request of that sequence, cut
    // into pieces of pieceSize bytes (0: the maximum).
    bool Reply(uint32_t messageSequence, const ZepMessage& reply, uint32_t pieceSize = 0);
    // Sends a message unasked (frames of type 1) with the server's next
    // message sequence.
    bool Notify(const ZepMessage& message, uint32_t pieceSize = 0);
    // Sends bytes as they are.
    bool SendRawBytes(std::span<const uint8_t> bytes);
    // Builds the frames of a message without sending them (for tests that
    // forge or cut them).
    bool BuildFrames(uint32_t type, uint32_t messageSequence, const ZepMessage& message,
                     uint32_t pieceSize, std::vector<uint8_t>& out);
    // Ends the stream to the current client (the client sees the end).
    void CloseClient();
    // Ends the current client's connection both ways, as a server that
    // drops a client: the client sees the end and the connection's end is
    // told as when the client closes it.
    void DropClient();

private:
    void AcceptLoop();
    void Serve(platform::SocketHandle client);
    bool ReadGreeting(platform::SocketHandle client);
    // Reads and handles one frame; false when the connection is to end.
    bool ReadFrame(platform::SocketHandle client);
    void OnPiece(const ZepFrameView& frame);
    void OnRequest(ServerRequest&& request);
    bool SendToClient(std::span<const uint8_t> bytes);
    // Reads frames built for a message back; false when they do not give
    // the message again.
    bool ReadsBack(std::span<const uint8_t> frames, const ZepMessage& message) const;
    void LogMessage(const char* direction, const ZepMessage& message);
    bool SendChecked(std::span<const uint8_t> frames, const ZepMessage& message,
                     const char* direction);
    bool BuildFramesLocked(uint32_t type, uint32_t messageSequence, const ZepMessage& message,
                           uint32_t pieceSize, std::vector<uint8_t>& out);

    Options options_;
    platform::SocketHandle listener_ = platform::kNoSocket;
    uint16_t port_ = 0;
    std::thread thread_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Handler handler_;                                      // guarded by mutex_
    Log log_;                                              // guarded by mutex_
    ConnectionHandler connectionHandler_;                  // guarded by mutex_
    SentWatcher sentWatcher_;                              // guarded by sendMutex_
    size_t sendFaults_ = 0;                                // guarded by mutex_
    std::deque<ServerRequest> requests_;                   // guarded by mutex_
    std::vector<uint8_t> greeting_;                        // guarded by mutex_
    RecentRecords<ReceivedFrame> frames_;                  // guarded by mutex_
    size_t protocolErrors_ = 0;                            // guarded by mutex_
    size_t clients_ = 0;                                   // guarded by mutex_
    size_t disconnects_ = 0;                               // guarded by mutex_
    bool stopping_ = false;                                // guarded by mutex_
    platform::SocketHandle client_ = platform::kNoSocket;  // guarded by mutex_

    std::mutex sendMutex_;              // keeps each message's frames together
    uint32_t nextMessageSequence_ = 0;  // guarded by sendMutex_
    uint32_t nextFrameSequence_ = 0;    // guarded by sendMutex_

    // Assembly of the current client's request (server thread only).
    ZepByteBuffer assembly_;
    uint32_t assemblySequence_ = 0;
    uint32_t assemblyLastPiece_ = 0;
    uint32_t assemblyCallerWord_ = 0;
};

}  // namespace testserver
