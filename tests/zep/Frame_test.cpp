// The wire format and the receiver's frame rules, without sockets.

#include "zep/ZepFrame.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "zep/ZepConnectionRecord.h"
#include "zep/ZepTransform.h"
#include "zep/ZepWire.h"

namespace {

std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    return bytes;
}

std::vector<uint8_t> ToVector(const ZepByteBuffer& buffer) {
    const std::span<const uint8_t> bytes = ZepBufferBytes(buffer);
    return {bytes.begin(), bytes.end()};
}

uint32_t WordAt(std::span<const uint8_t> bytes, size_t offset) {
    ZepWireReader reader(bytes.subspan(offset));
    uint32_t value = 0;
    EXPECT_TRUE(reader.ReadU32(value));
    return value;
}

// The bytes behind the length field of a frame built around the piece.
std::vector<uint8_t> FrameBody(const ZepFrameHeader& header, std::span<const uint8_t> piece,
                               bool withCrc) {
    ZepByteBuffer frame;
    EXPECT_TRUE(ZepBuildFrame(header, piece, withCrc, frame));
    std::vector<uint8_t> all = ToVector(frame);
    return {all.begin() + 4, all.end()};
}

TEST(FramePackets, SplitAndJoinAroundThePieceSize) {
    struct Case {
        size_t size;
        size_t records;
    };
    for (const Case c : {Case{1, 1}, Case{4000, 1}, Case{4001, 2}, Case{8000, 2}}) {
        const std::vector<uint8_t> input = Pattern(c.size);
        ZepByteBuffer pieces;
        EXPECT_EQ(ZepSplitPackets(input, pieces, 4000), c.records) << c.size;
        EXPECT_EQ(pieces.GetSize(), c.size + 4 * c.records);
        // Every record but the last holds exactly the maximum.
        EXPECT_EQ(WordAt(ZepBufferBytes(pieces), 0), c.records == 1 ? c.size : 4000u);
        ZepByteBuffer joined;
        EXPECT_EQ(ZepJoinPackets(ZepBufferBytes(pieces), joined, 4000), c.records);
        EXPECT_EQ(ToVector(joined), input) << c.size;
    }
    ZepByteBuffer out;
    EXPECT_EQ(ZepSplitPackets({}, out, 4000), 0u);
    EXPECT_EQ(ZepJoinPackets({}, out, 4000), 0u);
}

TEST(FramePackets, JoinRefusesBadRecords) {
    ZepByteBuffer joined;
    const uint8_t tooLong[] = {0xA1, 0x0F, 0, 0, 1, 2, 3};  // 4001 > maximum
    EXPECT_EQ(ZepJoinPackets(tooLong, joined, 4000), 0u);
    const uint8_t pastEnd[] = {9, 0, 0, 0, 1, 2, 3};
    EXPECT_EQ(ZepJoinPackets(pastEnd, joined, 4000), 0u);
    const uint8_t negative[] = {0xFF, 0xFF, 0xFF, 0xFF, 1, 2};
    EXPECT_EQ(ZepJoinPackets(negative, joined, 4000), 0u);
    EXPECT_EQ(joined.GetSize(), 0u);
}

TEST(FrameValidation, LengthRule) {
    struct Case {
        uint32_t length;
        bool accepted;
    };
    for (const Case c :
         {Case{23, false}, Case{24, true}, Case{25, false}, Case{56, false}, Case{57, true},
          Case{4056, true}, Case{4057, false}, Case{0, false}, Case{0xFFFFFFF0u, false}}) {
        EXPECT_EQ(ZepIsFrameLengthValid(c.length, 4000), c.accepted) << c.length;
        if (c.length < 5000) {
            const std::vector<uint8_t> zeros(c.length);
            EXPECT_EQ(ZepValidateFrame(zeros, 4000), c.accepted) << c.length;
        }
    }
    // A smaller maximum piece size lowers the bound.
    EXPECT_TRUE(ZepIsFrameLengthValid(56 + 100, 100));
    EXPECT_FALSE(ZepIsFrameLengthValid(56 + 101, 100));
}

TEST(FrameValidation, CrcIsCheckedOnlyWhenFlagged) {
    ZepFrameHeader header;
    header.type = kZepFrameTypeMessage;
    header.messageSequence = 3;
    header.pieceIndex = 1;
    header.lastPiece = 1;
    const std::vector<uint8_t> piece = Pattern(300);
    std::vector<uint8_t> frame = FrameBody(header, piece, true);
    EXPECT_EQ(WordAt(frame, ZepFrameHeader::kCrcFlagOffset), 1u);
    EXPECT_TRUE(ZepValidateFrame(frame, 4000));

    std::vector<uint8_t> corrupt = frame;
    corrupt.back() ^= 0x01;
    EXPECT_FALSE(ZepValidateFrame(corrupt, 4000));

    // With the flag 0 the CRC field is not looked at: any value passes.
    corrupt[ZepFrameHeader::kCrcFlagOffset] = 0;
    EXPECT_TRUE(ZepValidateFrame(corrupt, 4000));
}

TEST(FrameValidation, CrcMatchesStockZlibOverTheWholeFrame) {
    ZepFrameHeader header;
    header.type = kZepFrameTypeReply;
    header.frameSequence = 9;
    header.messageSequence = 4;
    header.pieceIndex = 1;
    header.lastPiece = 1;
    const std::vector<uint8_t> piece = Pattern(57);
    ZepByteBuffer frame;
    ASSERT_TRUE(ZepBuildFrame(header, piece, true, frame));
    std::vector<uint8_t> bytes = ToVector(frame);
    const uint32_t sent = WordAt(bytes, 16);
    std::fill(bytes.begin() + 12, bytes.begin() + 20, 0);
    EXPECT_EQ(sent, static_cast<uint32_t>(::crc32(0, bytes.data(), bytes.size())));
}

TEST(FrameParse, PieceLengthMustMatchTheFrame) {
    ZepFrameHeader header;
    header.type = kZepFrameTypeMessage;
    header.messageSequence = 1;
    header.pieceIndex = 1;
    const std::vector<uint8_t> piece = Pattern(10);
    std::vector<uint8_t> frame = FrameBody(header, piece, false);
    const std::optional<ZepFrameView> view = ZepParseFrame(frame);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->piece.size(), 10u);
    EXPECT_EQ(view->header.messageSequence, 1u);

    frame[ZepFrameHeader::kSize] = 11;  // P = 11 inside a frame of L = 66
    EXPECT_FALSE(ZepParseFrame(frame));
    frame[ZepFrameHeader::kSize] = 9;
    EXPECT_FALSE(ZepParseFrame(frame));
    const std::vector<uint8_t> headerOnly(24);
    EXPECT_FALSE(ZepParseFrame(headerOnly));
}

// A request with both transform steps off, worked out by hand: header words
// {0, 201001, 0, 0, 0, 0}, data "ab"; two step headers of 20 bytes; one
// piece of 70 bytes; L = 126.
TEST(FrameGolden, SmallRequestWithBothStepsOff) {
    ZepMessage request;
    request.SetCode(201001);
    request.SetData("ab", 2);
    ZepByteBuffer body;
    ASSERT_TRUE(ZepSerializeMessage(request, body));
    ZepTransform transform(nullptr, 0, 0, 0);
    ASSERT_TRUE(transform.Transform(body, ZepTransform::kForward));
    ZepByteBuffer pieces;
    ASSERT_EQ(ZepSplitPackets(ZepBufferBytes(body), pieces, 4000), 1u);
    ZepFrameHeader header;
    header.type = 1;
    header.frameSequence = 1;
    header.messageSequence = 1;
    header.pieceIndex = 1;
    header.lastPiece = 1;
    header.callerWord = 1;
    ZepByteBuffer frame;
    ASSERT_TRUE(ZepBuildFrame(header, ZepBufferBytes(pieces).subspan(4), false, frame));

    // clang-format off
    const std::vector<uint8_t> expected = {
        0x7E, 0, 0, 0,                                  // L = 126
        1, 0, 0, 0,   1, 0, 0, 0,                       // type, frame seq
        0, 0, 0, 0,   0, 0, 0, 0,                       // CRC flag, CRC
        0, 0, 0, 0,   0, 0, 0, 0,                       // two zero words
        1, 0, 0, 0,   1, 0, 0, 0,   1, 0, 0, 0,         // message seq, piece, last
        0, 0, 0, 0,   1, 0, 0, 0,                       // 0, caller word
        0, 0, 0, 0,   0, 0, 0, 0,                       // 0, 0
        0x46, 0, 0, 0,                                  // P = 70
        0, 0, 0, 0,   0x32, 0, 0, 0,   0, 0, 0, 0,      // cipher step off: 0, 50, 0,
        0, 0, 0, 0,   0x32, 0, 0, 0,                    //   0, 50
        0, 0, 0, 0,   0x1E, 0, 0, 0,   0, 0, 0, 0,      // zlib step off: 0, 30, 0,
        0, 0, 0, 0,   0x1E, 0, 0, 0,                    //   0, 30
        0, 0, 0, 0,   0x29, 0x11, 0x03, 0,   0, 0, 0, 0,  // header words 0, 201001, 0
        0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,         // header words 3..5
        2, 0, 0, 0,   'a', 'b',                         // N, data
    };
    // clang-format on
    EXPECT_EQ(ToVector(frame), expected);
}

TEST(FrameGolden, RawGreetingBlock) {
    const char greeting[] = "Hello! Game Channel.";
    ZepByteBuffer block;
    ASSERT_TRUE(ZepBuildRawBlock(std::span(reinterpret_cast<const uint8_t*>(greeting), 21), block));
    std::vector<uint8_t> expected = {0x15, 0, 0, 0};
    expected.insert(expected.end(), greeting, greeting + 21);
    EXPECT_EQ(ToVector(block), expected);
}

TEST(FrameMessage, SerialiseAndParse) {
    ZepMessage message;
    message.header[0] = 7;
    message.SetCode(60031);
    message.header[5] = 0xDEADBEEF;
    message.SetData("refused", 8);
    ZepByteBuffer bytes;
    ASSERT_TRUE(ZepSerializeMessage(message, bytes));
    ASSERT_EQ(bytes.GetSize(), 36u);

    ZepMessage parsed;
    ASSERT_TRUE(ZepParseMessage(ZepBufferBytes(bytes), parsed));
    EXPECT_EQ(parsed.header[0], 7u);
    EXPECT_EQ(parsed.Code(), 60031u);
    EXPECT_EQ(parsed.header[5], 0xDEADBEEFu);
    ASSERT_EQ(parsed.length, 8u);
    EXPECT_STREQ(reinterpret_cast<const char*>(parsed.data), "refused");

    std::vector<uint8_t> raw = ToVector(bytes);
    EXPECT_FALSE(ZepParseMessage(std::span(raw).first(27), parsed));  // no length field
    raw[24] = 9;                                                      // N past the data
    EXPECT_FALSE(ZepParseMessage(raw, parsed));
    raw[24] = 0xFF, raw[25] = 0xFF, raw[26] = 0xFF, raw[27] = 0xFF;  // negative N
    EXPECT_FALSE(ZepParseMessage(raw, parsed));
    EXPECT_EQ(parsed.Code(), 60031u);  // a failed parse leaves the output alone
}

// ---- the receiver's assembly ------------------------------------------------

class FrameAssembly : public ::testing::Test {
protected:
    // A frame view over a piece the fixture keeps alive.
    ZepFrameView Piece(uint32_t type, uint32_t sequence, uint32_t index, bool last,
                       size_t size = 8) {
        pieces_.push_back(Pattern(size));
        ZepFrameView view;
        view.header.type = type;
        view.header.messageSequence = sequence;
        view.header.pieceIndex = index;
        view.header.lastPiece = last ? 1 : 0;
        view.header.callerWord = 1;
        view.piece = pieces_.back();
        return view;
    }
    ZepFrameOutcome Take(const ZepFrameView& view) {
        return record_.TakePiece(view, stamp_, completed_);
    }

    ZepConnectionRecord record_{4000};
    ZepDeliveryInfo stamp_{.socket = 12, .connectionId = 77};
    ZepByteBuffer completed_;
    std::vector<std::vector<uint8_t>> pieces_;
};

TEST_F(FrameAssembly, MessagePiecesAssembleBehindTheDeliveryInfo) {
    EXPECT_EQ(Take(Piece(1, 5, 1, false, 4000)), ZepFrameOutcome::Taken);
    EXPECT_EQ(Take(Piece(1, 5, 2, true, 3)), ZepFrameOutcome::Completed);
    const std::span<const uint8_t> bytes = ZepBufferBytes(completed_);
    ASSERT_EQ(bytes.size(), 24u + 4 + 4000 + 4 + 3);
    EXPECT_EQ(WordAt(bytes, 0), 12u);   // socket
    EXPECT_EQ(WordAt(bytes, 4), 5u);    // message sequence
    EXPECT_EQ(WordAt(bytes, 8), 1u);    // caller word
    EXPECT_EQ(WordAt(bytes, 12), 77u);  // connection id
    ZepByteBuffer joined;
    EXPECT_EQ(ZepJoinPackets(bytes.subspan(24), joined, 4000), 2u);
    EXPECT_EQ(joined.GetSize(), 4003u);
}

TEST_F(FrameAssembly, OutOfOrderMessagePiecesAreDroppedAndResetTheAssembly) {
    EXPECT_EQ(Take(Piece(1, 5, 2, false)), ZepFrameOutcome::Dropped);  // no start
    EXPECT_EQ(Take(Piece(1, 5, 1, false)), ZepFrameOutcome::Taken);
    EXPECT_EQ(Take(Piece(1, 5, 3, true)), ZepFrameOutcome::Dropped);  // gap: reset
    EXPECT_EQ(Take(Piece(1, 5, 2, true)), ZepFrameOutcome::Dropped);  // nothing to continue
    EXPECT_EQ(Take(Piece(1, 6, 1, false)), ZepFrameOutcome::Taken);
    EXPECT_EQ(Take(Piece(1, 7, 2, true)), ZepFrameOutcome::Dropped);  // other sequence: reset
    EXPECT_EQ(Take(Piece(1, 8, 1, true)), ZepFrameOutcome::Completed);
}

TEST_F(FrameAssembly, BadHeadersAreFaults) {
    EXPECT_EQ(Take(Piece(3, 1, 1, true)), ZepFrameOutcome::Fault);
    EXPECT_EQ(Take(Piece(1, 0, 1, true)), ZepFrameOutcome::Fault);
    EXPECT_EQ(Take(Piece(1, 1, 0, true)), ZepFrameOutcome::Fault);
}

TEST_F(FrameAssembly, RepliesFollowTheAwaitedSequence) {
    EXPECT_EQ(Take(Piece(2, 1, 1, true)), ZepFrameOutcome::Fault);  // nothing awaited

    record_.SetAwaitedRequest(5);
    EXPECT_EQ(Take(Piece(2, 4, 1, true)), ZepFrameOutcome::Dropped);  // older: late
    EXPECT_EQ(Take(Piece(2, 6, 1, true)), ZepFrameOutcome::Fault);    // newer
    uint32_t awaited = 99;
    uint32_t lastPiece = 99;
    record_.GetAwaitedRequest(awaited, lastPiece);
    EXPECT_EQ(awaited, 0u);

    record_.SetAwaitedRequest(7);
    EXPECT_EQ(Take(Piece(2, 7, 1, false)), ZepFrameOutcome::Taken);
    EXPECT_EQ(Take(Piece(2, 7, 1, false)), ZepFrameOutcome::Dropped);  // repeated
    record_.GetAwaitedRequest(awaited, lastPiece);
    EXPECT_EQ(lastPiece, 1u);
    EXPECT_EQ(Take(Piece(2, 7, 3, true)), ZepFrameOutcome::Fault);  // gap
    record_.GetAwaitedRequest(awaited, lastPiece);
    EXPECT_EQ(awaited, 0u);
}

TEST_F(FrameAssembly, MultiPieceReplyIsDeliveredOnceToItsRequest) {
    record_.SetAwaitedRequest(3);
    EXPECT_EQ(Take(Piece(2, 3, 1, false)), ZepFrameOutcome::Taken);
    EXPECT_EQ(Take(Piece(2, 3, 2, false)), ZepFrameOutcome::Taken);
    EXPECT_EQ(Take(Piece(2, 3, 3, true)), ZepFrameOutcome::Completed);
    EXPECT_EQ(completed_.GetSize(), 24u + 3 * (4 + 8));

    ZepMessage reply;
    reply.SetCode(10);
    EXPECT_TRUE(record_.DeliverResponse(3, std::move(reply)));
    EXPECT_TRUE(record_.ResponseEvent().IsSet());
    ZepMessage taken;
    ASSERT_TRUE(record_.TakeResponse(taken));
    EXPECT_EQ(taken.Code(), 10u);
    EXPECT_FALSE(record_.TakeResponse(taken));
    // Delivered: nothing is awaited any more.
    EXPECT_EQ(Take(Piece(2, 3, 1, true)), ZepFrameOutcome::Fault);
}

TEST_F(FrameAssembly, AbandonedRequestNeverGetsItsLateReply) {
    record_.SetAwaitedRequest(4);
    record_.ResponseEvent().Set();
    record_.AbandonRequest(4);
    EXPECT_FALSE(record_.ResponseEvent().IsSet());
    EXPECT_FALSE(record_.DeliverResponse(4, ZepMessage()));
    EXPECT_EQ(Take(Piece(2, 4, 1, true)), ZepFrameOutcome::Fault);

    // The next request gets only its own reply.
    record_.SetAwaitedRequest(5);
    EXPECT_EQ(Take(Piece(2, 4, 1, true)), ZepFrameOutcome::Dropped);
    EXPECT_EQ(Take(Piece(2, 5, 1, true)), ZepFrameOutcome::Completed);
}

TEST_F(FrameAssembly, AssemblyPastTheBoundIsAFault) {
    const size_t pieces = kZepMaxAssembledSize / 4000 + 1;
    ZepFrameOutcome outcome = Take(Piece(1, 9, 1, false, 4000));
    const std::vector<uint8_t> piece = Pattern(4000);
    for (uint32_t index = 2; index <= pieces && outcome == ZepFrameOutcome::Taken; ++index) {
        ZepFrameView view;
        view.header.type = 1;
        view.header.messageSequence = 9;
        view.header.pieceIndex = index;
        view.piece = piece;
        outcome = Take(view);
    }
    EXPECT_EQ(outcome, ZepFrameOutcome::Fault);
    // The assembly starts again cleanly.
    EXPECT_EQ(Take(Piece(1, 10, 1, true)), ZepFrameOutcome::Completed);
}

// A valid notification frame of one piece.
std::vector<uint8_t> WholeFrame(size_t pieceSize) {
    ZepFrameHeader header;
    header.type = 1;
    header.messageSequence = 1;
    header.pieceIndex = 1;
    header.lastPiece = 1;
    ZepByteBuffer frame;
    EXPECT_TRUE(ZepBuildFrame(header, Pattern(pieceSize), true, frame));
    return ToVector(frame);
}

std::vector<uint8_t> LengthField(uint32_t length) {
    std::vector<uint8_t> bytes(4);
    ZepWireWriter writer(bytes);
    writer.WriteU32(length);
    return bytes;
}

constexpr size_t kBadLength = 0;  // no frame is empty

// Feeds the stream in pieces of pieceSize, cutting after each, and lists
// what came out: the size of each frame, kBadLength for each bad length.
std::vector<size_t> CutAll(ZepConnectionRecord& record, std::span<const uint8_t> stream,
                           size_t pieceSize) {
    std::vector<size_t> out;
    for (size_t at = 0; at < stream.size(); at += pieceSize) {
        EXPECT_TRUE(
            record.TakeReceived(stream.subspan(at, std::min(pieceSize, stream.size() - at))));
        std::span<const uint8_t> frame;
        for (ZepCutResult cut = record.NextFrame(frame); cut != ZepCutResult::NeedMore;
             cut = record.NextFrame(frame)) {
            out.push_back(cut == ZepCutResult::BadLength ? kBadLength : frame.size());
        }
    }
    return out;
}

TEST(FrameCutting, BadFramesAreSkippedWholeHoweverTheyArrive) {
    const std::vector<uint8_t> good = WholeFrame(5);  // L = 61
    for (const uint32_t length : {0u, 1u, 23u, 25u, 40u, 56u, 4057u, 5000u}) {
        // The bad frame's bytes hold a valid frame, which must not come out.
        std::vector<uint8_t> stream = LengthField(length);
        stream.resize(4 + size_t{length}, 0);
        std::copy_n(good.begin(), std::min(good.size(), size_t{length}), stream.begin() + 4);
        stream.insert(stream.end(), good.begin(), good.end());
        // Whole, byte by byte, in odd pieces, and with a piece that ends
        // exactly where the bad frame does.
        for (const size_t pieceSize : {stream.size(), size_t{1}, size_t{333}, size_t{length} + 4}) {
            ZepConnectionRecord record(4000);
            EXPECT_EQ(CutAll(record, stream, pieceSize), (std::vector<size_t>{kBadLength, 61}))
                << length << " in pieces of " << pieceSize;
            EXPECT_EQ(record.KeptBytes(), 0u);
            EXPECT_EQ(record.BytesToSkip(), 0u);
        }
    }
}

TEST(FrameCutting, BadFramesInARowAreSkippedOneByOne) {
    std::vector<uint8_t> stream;
    for (const uint32_t length : {25u, 0u, 4057u, 0u}) {
        const std::vector<uint8_t> field = LengthField(length);
        stream.insert(stream.end(), field.begin(), field.end());
        stream.resize(stream.size() + length, 0x11);
    }
    const std::vector<uint8_t> good = WholeFrame(3);
    stream.insert(stream.end(), good.begin(), good.end());
    stream.insert(stream.end(), good.begin(), good.end());
    for (const size_t pieceSize : {stream.size(), size_t{7}, size_t{29}}) {
        ZepConnectionRecord record(4000);
        EXPECT_EQ(CutAll(record, stream, pieceSize),
                  (std::vector<size_t>{kBadLength, kBadLength, kBadLength, kBadLength, 59, 59}))
            << pieceSize;
    }
}

TEST(FrameCutting, HostileLengthIsSkippedWithoutHoldingItsBytes) {
    const std::vector<uint8_t> good = WholeFrame(5);
    // L + 4 passes 32 bits for the last three.
    for (const uint32_t length : {0xFFFFFFF0u, 0xFFFFFFFCu, 0xFFFFFFFDu, 0xFFFFFFFFu}) {
        ZepConnectionRecord record(4000);
        std::vector<uint8_t> start = LengthField(length);
        start.insert(start.end(), good.begin(), good.end());
        EXPECT_EQ(CutAll(record, start, start.size()), std::vector<size_t>{kBadLength}) << length;
        const std::vector<uint8_t> chunk(4096, 0);
        for (int i = 0; i < 256; ++i) {  // 1 MB more
            EXPECT_EQ(CutAll(record, chunk, chunk.size()), std::vector<size_t>{});
        }
        EXPECT_EQ(record.KeptBytes(), 0u);
        EXPECT_EQ(record.BytesToSkip(), uint64_t{length} + 4 - start.size() - 256 * 4096) << length;

        record.ClearReceived();  // and the stream can be cut again
        EXPECT_EQ(CutAll(record, good, good.size()), std::vector<size_t>{61});
    }
}

TEST(FrameCutting, WholeFramesComeOutOneByOne) {
    ZepConnectionRecord record(4000);
    const std::vector<uint8_t> one = WholeFrame(5);
    std::vector<uint8_t> stream = one;
    stream.insert(stream.end(), one.begin(), one.begin() + 10);  // the start of a second frame
    ASSERT_TRUE(record.TakeReceived(stream));

    std::span<const uint8_t> cut;
    ASSERT_EQ(record.NextFrame(cut), ZepCutResult::Frame);
    EXPECT_EQ(cut.size(), 61u);
    EXPECT_EQ(record.KeptBytes(), 10u);
    EXPECT_EQ(record.NextFrame(cut), ZepCutResult::NeedMore);
    EXPECT_EQ(record.KeptBytes(), 10u);
    ASSERT_TRUE(record.TakeReceived(std::span(one).subspan(10)));
    ASSERT_EQ(record.NextFrame(cut), ZepCutResult::Frame);
    EXPECT_EQ(std::vector<uint8_t>(cut.begin(), cut.end()),
              std::vector<uint8_t>(one.begin() + 4, one.end()));
    EXPECT_EQ(record.NextFrame(cut), ZepCutResult::NeedMore);
    EXPECT_EQ(record.KeptBytes(), 0u);
}

}  // namespace
