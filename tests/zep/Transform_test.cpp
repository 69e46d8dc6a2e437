#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ZepTestFolder.h"
#include "zep/ZepAes.h"
#include "zep/ZepByteBuffer.h"
#include "zep/ZepTransform.h"
#include "zep/ZepZlibCodec.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kCipher = 0x100;
constexpr uint32_t kCompress = 0x400;

// A 128-byte key block; the cipher uses its first 16 bytes.
Bytes KeyBlock() {
    Bytes key(128);
    for (size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<uint8_t>(0x3C ^ (i * 29));
    }
    return key;
}

Bytes Message(size_t n) {
    // Compressible but not trivial: text-like runs with a counter.
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>("table seat tile "[i % 16] + (i / 997) % 3);
    }
    return bytes;
}

ZepByteBuffer ToBuffer(const Bytes& bytes) {
    ZepByteBuffer buffer;
    if (!bytes.empty()) {
        buffer.Append(bytes.data(), bytes.size());
    }
    return buffer;
}

Bytes ToBytes(const ZepByteBuffer& buffer) {
    const uint8_t* data = buffer.GetData(0);
    return data == nullptr ? Bytes() : Bytes(data, data + buffer.GetSize());
}

Bytes Header(uint32_t flags, uint32_t plain, uint32_t length) {
    ZepStepHeader header;
    header.flags = flags;
    header.plainLength = plain;
    header.dataLength = length;
    uint8_t bytes[ZepStepHeader::kSize];
    header.Write(bytes);
    return Bytes(bytes, bytes + sizeof(bytes));
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Stock zlib: deflate everything, ending either with a sync flush or Z_FINISH.
Bytes StockDeflate(const Bytes& data, int flush) {
    z_stream zs{};
    EXPECT_EQ(deflateInit(&zs, Z_DEFAULT_COMPRESSION), Z_OK);
    Bytes out(deflateBound(&zs, uLong(data.size())) + 64);
    zs.next_in = const_cast<Bytes::value_type*>(data.data());
    zs.avail_in = uInt(data.size());
    zs.next_out = out.data();
    zs.avail_out = uInt(out.size());
    const int result = deflate(&zs, flush);
    EXPECT_EQ(result, flush == Z_FINISH ? Z_STREAM_END : Z_OK);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

// Stock zlib: inflate with sync flushes; reports whether the stream ended.
Bytes StockInflate(const Bytes& data, bool* ended) {
    z_stream zs{};
    EXPECT_EQ(inflateInit(&zs), Z_OK);
    Bytes out;
    uint8_t chunk[1000];
    zs.next_in = const_cast<Bytes::value_type*>(data.data());
    zs.avail_in = uInt(data.size());
    int result = Z_OK;
    do {
        zs.next_out = chunk;
        zs.avail_out = sizeof(chunk);
        result = inflate(&zs, Z_SYNC_FLUSH);
        EXPECT_TRUE(result == Z_OK || result == Z_STREAM_END || result == Z_BUF_ERROR) << result;
        out.insert(out.end(), chunk, chunk + (sizeof(chunk) - zs.avail_out));
    } while (result == Z_OK && (zs.avail_in != 0 || zs.avail_out == 0));
    EXPECT_EQ(zs.avail_in, 0u);
    *ended = result == Z_STREAM_END;
    inflateEnd(&zs);
    return out;
}

// Runs one backward step on raw bytes; the buffer must be left as it was
// when the step refuses.
int Backward(ZepTransform& transform, bool cipherStep, const Bytes& bytes) {
    ZepByteBuffer buffer = ToBuffer(bytes);
    const int result = cipherStep ? transform.CipherStep(buffer, ZepTransform::kBackward)
                                  : transform.CompressStep(buffer, ZepTransform::kBackward);
    if (result == 0) {
        EXPECT_EQ(ToBytes(buffer), bytes);
    }
    return result;
}

}  // namespace

TEST(Transform, BothStepsOffAddTwoHeaders) {
    ZepTransform transform;
    for (size_t n : {0u, 1u, 44u, 5000u}) {
        SCOPED_TRACE(n);
        const Bytes message = Message(n);
        ZepByteBuffer buffer = ToBuffer(message);
        ASSERT_EQ(transform.Transform(buffer, ZepTransform::kForward), 1);
        const uint32_t size = uint32_t(n);
        EXPECT_EQ(ToBytes(buffer),
                  Concat(Concat(Header(0, size + 20, size + 20), Header(0, size, size)), message));
        ASSERT_EQ(transform.Transform(buffer, ZepTransform::kBackward), 1);
        EXPECT_EQ(ToBytes(buffer), message);
    }
}

TEST(Transform, GameLayoutIsAesOfTheInnerStep) {
    // 44 bytes -> inner step of 64 -> 80 cipher bytes -> 100 bytes in all.
    const Bytes key = KeyBlock();
    ZepTransform transform(key.data(), 128, kCipher, 0);
    const Bytes message = Message(44);
    ZepByteBuffer buffer = ToBuffer(message);
    ASSERT_EQ(transform.Transform(buffer, ZepTransform::kForward), 1);
    const Bytes wire = ToBytes(buffer);
    ASSERT_EQ(wire.size(), 100u);
    EXPECT_EQ(Bytes(wire.begin(), wire.begin() + 20), Header(kCipher, 64, 80));

    ZepAes aes;
    ASSERT_TRUE(aes.SetKey(key.data(), 128));
    Bytes plain(80);
    for (size_t at = 0; at < 80; at += 16) {
        aes.DecryptBlock(wire.data() + 20 + at, plain.data() + at);
    }
    EXPECT_EQ(Bytes(plain.begin(), plain.begin() + 64), Concat(Header(0, 44, 44), message));
    EXPECT_EQ(Bytes(plain.begin() + 64, plain.end()), Bytes(16, 0));  // the block without data

    ASSERT_EQ(transform.Transform(buffer, ZepTransform::kBackward), 1);
    EXPECT_EQ(ToBytes(buffer), message);
}

TEST(Transform, CompressedStepInteroperatesWithStockZlib) {
    const Bytes message = Message(70000);  // more than two 32 KB input chunks
    ZepTransform transform(nullptr, 0, 0, kCompress);
    ZepByteBuffer buffer = ToBuffer(message);
    ASSERT_EQ(transform.CompressStep(buffer, ZepTransform::kForward), 1);
    const Bytes step = ToBytes(buffer);
    const Bytes compressed(step.begin() + 20, step.end());
    EXPECT_EQ(Bytes(step.begin(), step.begin() + 20),
              Header(kCompress, 70000, uint32_t(compressed.size())));
    EXPECT_LT(compressed.size(), message.size() / 4);

    // A sync-flushed stream: it ends with the empty stored block, has no end
    // block and no Adler-32, and stock zlib inflates it.
    ASSERT_GE(compressed.size(), 4u);
    EXPECT_EQ(Bytes(compressed.end() - 4, compressed.end()), Bytes({0x00, 0x00, 0xFF, 0xFF}));
    bool ended = true;
    EXPECT_EQ(StockInflate(compressed, &ended), message);
    EXPECT_FALSE(ended);

    // Our inflate takes stock streams, sync-flushed or finished.
    for (int flush : {Z_SYNC_FLUSH, Z_FINISH}) {
        SCOPED_TRACE(flush);
        const Bytes stock = StockDeflate(message, flush);
        ZepByteBuffer received =
            ToBuffer(Concat(Header(kCompress, 70000, uint32_t(stock.size())), stock));
        ASSERT_EQ(transform.CompressStep(received, ZepTransform::kBackward), 1);
        EXPECT_EQ(ToBytes(received), message);
    }
}

TEST(Transform, BothStepsRoundTripLargeMessages) {
    const Bytes key = KeyBlock();
    for (uint32_t bits : {128u, 256u}) {
        SCOPED_TRACE(bits);
        ZepTransform transform(key.data(), bits, kCipher, kCompress);
        for (size_t n : {1u, 32768u, 32769u, 100000u}) {
            const Bytes message = Message(n);
            ZepByteBuffer buffer = ToBuffer(message);
            ASSERT_EQ(transform.Transform(buffer, ZepTransform::kForward), 1);
            ASSERT_EQ(transform.Transform(buffer, ZepTransform::kBackward), 1);
            EXPECT_EQ(ToBytes(buffer), message) << n;
        }
    }
}

TEST(Transform, DeflateFailureSendsTheDataUnchanged) {
    // Nothing to deflate gives no output, so the step goes with flags 0.
    ZepTransform transform(nullptr, 0, 0, kCompress);
    ZepByteBuffer buffer;
    ASSERT_EQ(transform.CompressStep(buffer, ZepTransform::kForward), 1);
    EXPECT_EQ(ToBytes(buffer), Header(0, 0, 0));
}

TEST(Transform, BackwardStepsRefuseMalformedHeaders) {
    const Bytes key = KeyBlock();
    ZepTransform transform(key.data(), 128, kCipher, kCompress);
    const Bytes block32(32, 0x5A);

    // Fewer than 20 bytes, for both steps.
    EXPECT_EQ(Backward(transform, true, Bytes(19, 0)), 0);
    EXPECT_EQ(Backward(transform, false, Bytes()), 0);
    // The length field must match the rest exactly, also for unchanged data.
    EXPECT_EQ(Backward(transform, true, Concat(Header(kCipher, 16, 48), block32)), 0);
    EXPECT_EQ(Backward(transform, true, Concat(Header(kCipher, 16, 16), block32)), 0);
    EXPECT_EQ(Backward(transform, false, Concat(Header(0, 31, 31), block32)), 0);
    EXPECT_EQ(Backward(transform, false, Concat(Header(0, 32, 32), block32)), 1);
    // Cipher data: a plain length above it, a part block, nothing at all.
    EXPECT_EQ(Backward(transform, true, Concat(Header(kCipher, 33, 32), block32)), 0);
    EXPECT_EQ(Backward(transform, true, Concat(Header(kCipher, 20, 20), Bytes(20, 1))), 0);
    EXPECT_EQ(Backward(transform, true, Header(kCipher, 0, 0)), 0);
    // A header naming the other step's codec.
    EXPECT_EQ(Backward(transform, true, Concat(Header(kCompress, 32, 32), block32)), 0);
    EXPECT_EQ(Backward(transform, false, Concat(Header(kCipher, 32, 32), block32)), 0);

    // Corrupt deflate data, and a stream that gives another length than its
    // header says.
    const Bytes stock = StockDeflate(Message(300), Z_SYNC_FLUSH);
    Bytes corrupt = stock;
    corrupt[0] ^= 0xFF;  // the zlib header
    EXPECT_EQ(Backward(transform, false,
                       Concat(Header(kCompress, 300, uint32_t(corrupt.size())), corrupt)),
              0);
    EXPECT_EQ(Backward(transform, false, Concat(Header(kCompress, 300, 32), block32)), 0);
    EXPECT_EQ(
        Backward(transform, false, Concat(Header(kCompress, 299, uint32_t(stock.size())), stock)),
        0);
    EXPECT_EQ(
        Backward(transform, false, Concat(Header(kCompress, 300, uint32_t(stock.size())), stock)),
        1);

    // Other directions do nothing.
    ZepByteBuffer buffer = ToBuffer(block32);
    EXPECT_EQ(transform.Transform(buffer, 0), 0);
    EXPECT_EQ(transform.Transform(buffer, 3), 0);
    EXPECT_EQ(ToBytes(buffer), block32);
}

TEST(Transform, CipherNeedsAValidKey) {
    const Bytes key = KeyBlock();
    for (uint32_t bits : {0u, 64u, 1024u}) {
        ZepTransform transform(key.data(), bits, kCipher, 0);
        ZepByteBuffer buffer = ToBuffer(Message(10));
        EXPECT_EQ(transform.Transform(buffer, ZepTransform::kForward), 0) << bits;
    }
    // Another key does not give the message back with the right length.
    ZepTransform sender(key.data(), 128, kCipher, 0);
    Bytes otherKey = key;
    otherKey[0] ^= 1;
    ZepTransform receiver(otherKey.data(), 128, kCipher, 0);
    ZepByteBuffer message = ToBuffer(Message(40));
    ASSERT_EQ(sender.Transform(message, ZepTransform::kForward), 1);
    EXPECT_EQ(receiver.Transform(message, ZepTransform::kBackward), 0);
}

TEST(ZlibCodec, InflationIsBoundedAt16MiB) {
    const Bytes atLimit(ZepZlibCodec::kMaxInflated, 0);
    Bytes overLimit = atLimit;
    overLimit.push_back(0);
    Bytes out;
    EXPECT_EQ(ZepZlibCodec::Process(StockDeflate(atLimit, Z_SYNC_FLUSH), out, kCompress | 2), 1);
    EXPECT_EQ(out.size(), ZepZlibCodec::kMaxInflated);
    EXPECT_EQ(ZepZlibCodec::Process(StockDeflate(overLimit, Z_SYNC_FLUSH), out, kCompress | 2), 0);
    EXPECT_TRUE(out.empty());
}

TEST(ZlibCodec, RefusesBadFlagsAndTrailingBytes) {
    const Bytes message = Message(100);
    Bytes out;
    EXPECT_EQ(ZepZlibCodec::Process(message, out, kCompress), 0);
    EXPECT_EQ(ZepZlibCodec::Process(message, out, kCompress | 3), 0);
    EXPECT_EQ(ZepZlibCodec::Process(message, out, 0x1), 0);
    const Bytes finished = StockDeflate(message, Z_FINISH);
    EXPECT_EQ(ZepZlibCodec::Process(Concat(finished, Bytes{1, 2}), out, kCompress | 2), 0);
}

TEST(TransformFile, ChunksRoundTripAndDamageIsRefused) {
    zeptest::TempFolder folder;
    const auto source = folder.Path() / "source.bin";
    const auto sealed = folder.Path() / "sealed.bin";
    const auto opened = folder.Path() / "opened.bin";
    const Bytes content = Message(2500);
    zeptest::WriteFileBytes(source, std::string(content.begin(), content.end()));

    const Bytes key = KeyBlock();
    ZepTransform transform(key.data(), 128, kCipher, 0);
    ASSERT_EQ(transform.TransformFile(source.c_str(), sealed.c_str(), 1000, ZepTransform::kForward),
              1);
    // Three records {u32 length, step}: 1000, 1000 and 500 bytes of data.
    EXPECT_EQ(std::filesystem::file_size(sealed), 3 * 4 + 2 * (20 + 1008) + (20 + 512u));
    ASSERT_EQ(
        transform.TransformFile(sealed.c_str(), opened.c_str(), 1000, ZepTransform::kBackward), 1);
    EXPECT_EQ(zeptest::ReadFileBytes(opened), std::string(content.begin(), content.end()));

    // A cut record fails and leaves no target behind.
    const std::string whole = zeptest::ReadFileBytes(sealed);
    zeptest::WriteFileBytes(sealed, whole.substr(0, whole.size() - 1));
    std::filesystem::remove(opened);
    EXPECT_EQ(
        transform.TransformFile(sealed.c_str(), opened.c_str(), 1000, ZepTransform::kBackward), 0);
    EXPECT_FALSE(std::filesystem::exists(opened));

    // Missing source, no chunk size.
    EXPECT_EQ(transform.TransformFile((folder.Path() / "missing").c_str(), opened.c_str(), 1000,
                                      ZepTransform::kForward),
              0);
    EXPECT_EQ(transform.TransformFile(source.c_str(), opened.c_str(), 0, ZepTransform::kForward),
              0);
}

namespace {

// Messages of many sizes, some text-like, some noise that deflate cannot
// shrink, some past the 32 KB input pieces.
std::vector<Bytes> ManyMessages(std::mt19937& random, int count) {
    std::vector<Bytes> messages;
    for (int i = 0; i < count; ++i) {
        const size_t n = 1 + random() % (i % 7 == 0 ? 100000 : 3000);
        Bytes message = Message(n);
        if (i % 3 == 0) {
            for (uint8_t& b : message) {
                b = static_cast<uint8_t>(random());
            }
        }
        messages.push_back(std::move(message));
    }
    return messages;
}

// Both steps as a transform set up for just one message would give them.
Bytes SentAlone(const Bytes& key, const Bytes& message) {
    Bytes deflated;
    EXPECT_EQ(ZepZlibCodec::Process(message, deflated, kCompress | 1), 1);
    const Bytes inner =
        Concat(Header(kCompress, uint32_t(message.size()), uint32_t(deflated.size())), deflated);
    uint32_t size = 0;
    Bytes cipher(inner.size() + 16);
    EXPECT_EQ(ZepAesCodec::Process(key.data(), 128, inner.data(), uint32_t(inner.size()),
                                   cipher.data(), &size, kCipher | 1),
              1);
    cipher.resize(size);
    return Concat(Header(kCipher, uint32_t(inner.size()), size), cipher);
}

}  // namespace

TEST(Transform, KeptStreamsAndKeyGiveTheBytesOfFreshOnes) {
    const Bytes key = KeyBlock();
    ZepTransform transform(key.data(), 128, kCipher, kCompress);
    std::mt19937 random(2024);
    for (const Bytes& message : ManyMessages(random, 120)) {
        SCOPED_TRACE(message.size());
        ZepByteBuffer buffer = ToBuffer(message);
        ASSERT_EQ(transform.Transform(buffer, ZepTransform::kForward), 1);
        ASSERT_EQ(ToBytes(buffer), SentAlone(key, message));
        ASSERT_EQ(transform.Transform(buffer, ZepTransform::kBackward), 1);
        ASSERT_EQ(ToBytes(buffer), message);
    }
}

TEST(Transform, InflateFillsThePlainLengthExactly) {
    ZepTransform transform(nullptr, 0, 0, kCompress);
    const Bytes message = Message(5000);
    // Flush marks after the plain bytes give nothing more: taken.
    z_stream zs{};
    ASSERT_EQ(deflateInit(&zs, Z_DEFAULT_COMPRESSION), Z_OK);
    Bytes twice(deflateBound(&zs, uLong(message.size())) + 64);
    zs.next_in = const_cast<uint8_t*>(message.data());
    zs.avail_in = uInt(message.size());
    zs.next_out = twice.data();
    zs.avail_out = uInt(twice.size());
    ASSERT_EQ(deflate(&zs, Z_SYNC_FLUSH), Z_OK);
    ASSERT_EQ(deflate(&zs, Z_FULL_FLUSH), Z_OK);
    twice.resize(zs.total_out);
    deflateEnd(&zs);
    EXPECT_EQ(
        Backward(transform, false, Concat(Header(kCompress, 5000, uint32_t(twice.size())), twice)),
        1);
    // More plain bytes than the header says, fewer, bytes after the end
    // block, a plain length of 0 or past the bound: refused.
    const Bytes finished = StockDeflate(message, Z_FINISH);
    const Bytes trailing = Concat(finished, Bytes{1, 2});
    EXPECT_EQ(
        Backward(transform, false, Concat(Header(kCompress, 4999, uint32_t(twice.size())), twice)),
        0);
    EXPECT_EQ(
        Backward(transform, false, Concat(Header(kCompress, 5001, uint32_t(twice.size())), twice)),
        0);
    EXPECT_EQ(Backward(transform, false,
                       Concat(Header(kCompress, 5000, uint32_t(trailing.size())), trailing)),
              0);
    EXPECT_EQ(Backward(transform, false, Concat(Header(kCompress, 0, 4), Bytes{0, 0, 0xFF, 0xFF})),
              0);
    EXPECT_EQ(Backward(transform, false,
                       Concat(Header(kCompress, 0x7FFFFFFF, uint32_t(finished.size())), finished)),
              0);
    // And the kept stream still reads the next good message.
    EXPECT_EQ(Backward(transform, false,
                       Concat(Header(kCompress, 5000, uint32_t(finished.size())), finished)),
              1);
}

TEST(Transform, OneTransformServesSeveralThreadsAtOnce) {
    const Bytes key = KeyBlock();
    ZepTransform transform(key.data(), 128, kCipher, kCompress);
    std::mt19937 random(99);
    const std::vector<Bytes> messages = ManyMessages(random, 24);
    std::vector<Bytes> expected;
    for (const Bytes& message : messages) {
        expected.push_back(SentAlone(key, message));
    }
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                for (size_t i = t; i < messages.size(); i += 2) {
                    ZepByteBuffer buffer = ToBuffer(messages[i]);
                    const bool ok = transform.Transform(buffer, ZepTransform::kForward) == 1 &&
                                    ToBytes(buffer) == expected[i] &&
                                    transform.Transform(buffer, ZepTransform::kBackward) == 1 &&
                                    ToBytes(buffer) == messages[i];
                    wrong += ok ? 0 : 1;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, 0);
}
