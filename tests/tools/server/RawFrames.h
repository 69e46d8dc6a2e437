#pragma once
// A client of the table server that sees the frames themselves, where zep's
// reader would hide how a message was cut: it sends the greeting and
// requests as bytes and reads every frame the server sends, joining each
// message's pieces only to tell its id.

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "platform/Socket.h"
#include "platform/Sync.h"
#include "tools/test_server/TableServer.h"
#include "tools/test_server/TestGameServer.h"
#include "zep/ZepChannelKeys.h"
#include "zep/ZepFrame.h"
#include "zep/ZepTransform.h"
#include "zep/ZepWire.h"

namespace servertest {

// One frame the server sent.
struct RawFrame {
    ZepFrameHeader header;
    size_t pieceBytes = 0;
};

// One message the server sent, with the frames that carried it.
struct RawMessage {
    uint32_t type = 0;
    uint32_t messageSequence = 0;
    uint32_t id = 0;
    size_t length = 0;
    std::vector<RawFrame> frames;
};

class RawConnection {
public:
    // Connects; every read gives up once deadlineMs of real time have gone.
    RawConnection(uint16_t port, uint32_t deadlineMs)
        : socket_(platform::CreateTcpSocket()),
          connected_(platform::ConnectSocket(socket_, platform::LoopbackAddress(), port, 5000)) {
        watchdog_ = std::thread([this, deadlineMs] {
            for (uint32_t waited = 0; waited < deadlineMs && !done_; waited += 10) {
                platform::SleepMs(10);
            }
            platform::ShutdownSocket(socket_, 2);
        });
    }
    ~RawConnection() {
        done_ = true;
        watchdog_.join();
        platform::CloseSocket(socket_);
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool Send(std::span<const uint8_t> bytes) {
        return connected_ && platform::SendSocket(socket_, bytes.data(), bytes.size()) ==
                                 static_cast<int>(bytes.size());
    }
    bool SendGreeting() {
        return Send(testserver::TableServer::TransportOptions(false).expectedGreeting);
    }
    // A request's frames with the caller word (1: the client waits).
    bool SendRequest(uint32_t messageSequence, uint32_t callerWord, uint32_t id,
                     std::span<const uint8_t> body) {
        testserver::TestGameServer builder;  // never started: only builds frames
        std::vector<uint8_t> frames;
        if (!builder.BuildFrames(kZepFrameTypeMessage, messageSequence,
                                 testserver::MakeMessage(id, body), 0, frames)) {
            return false;
        }
        // Each frame again with the caller word (and its CRC over it).
        std::vector<uint8_t> out;
        ZepWireReader reader(frames);
        while (reader.Remaining() >= 4) {
            uint32_t length = 0;
            reader.ReadU32(length);
            const std::optional<ZepFrameView> frame = ZepParseFrame(reader.Rest().first(length));
            reader.Skip(length);
            if (!frame) {
                return false;
            }
            ZepFrameHeader header = frame->header;
            header.callerWord = callerWord;
            ZepByteBuffer rebuilt;
            if (!ZepBuildFrame(header, frame->piece, true, rebuilt)) {
                return false;
            }
            const std::span<const uint8_t> bytes = ZepBufferBytes(rebuilt);
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
        return Send(out);
    }

    // The next whole message; empty when the stream ended, broke the frame
    // rules or the deadline passed.
    std::optional<RawMessage> ReadMessage() {
        RawMessage message;
        ZepByteBuffer joined;
        for (;;) {
            std::vector<uint8_t> lengthBytes(4);
            uint32_t length = 0;
            if (!testserver::ReadExact(socket_, lengthBytes) ||
                !ZepWireReader(lengthBytes).ReadU32(length) ||
                !ZepIsFrameLengthValid(length, kZepMaxPieceSize)) {
                return std::nullopt;
            }
            std::vector<uint8_t> frame(4 + length);
            std::copy(lengthBytes.begin(), lengthBytes.end(), frame.begin());
            if (!testserver::ReadExact(socket_, std::span<uint8_t>(frame).subspan(4)) ||
                !ZepValidateFrame(std::span<const uint8_t>(frame).subspan(4), kZepMaxPieceSize)) {
                return std::nullopt;
            }
            const std::optional<ZepFrameView> view =
                ZepParseFrame(std::span<const uint8_t>(frame).subspan(4));
            if (!view) {
                return std::nullopt;
            }
            message.type = view->header.type;
            message.messageSequence = view->header.messageSequence;
            message.frames.push_back(RawFrame{view->header, view->piece.size()});
            joined.Append(view->piece.data(), view->piece.size());
            if (view->header.lastPiece != 0) {
                break;
            }
        }
        ZepTransform transform(ZepChannelKeyBlock(2), 128, 0x100, 0);
        ZepMessage parsed;
        if (!transform.Transform(joined, ZepTransform::kBackward) ||
            !ZepParseMessage(ZepBufferBytes(joined), parsed)) {
            return std::nullopt;
        }
        message.id = parsed.Code();
        message.length = parsed.length;
        return message;
    }

    // The next n bytes as they came; empty when the stream ended first or
    // the deadline passed.
    std::vector<uint8_t> ReadBytes(size_t n) {
        std::vector<uint8_t> bytes(n);
        return testserver::ReadExact(socket_, bytes) ? bytes : std::vector<uint8_t>{};
    }

private:
    platform::SocketHandle socket_;
    bool connected_ = false;
    std::atomic<bool> done_ = false;
    std::thread watchdog_;
};

}  // namespace servertest
