#include "zep/ZepZlibCodec.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

// ---- Streams ---------------------------------------------------------------

bool ZepMemoryStream::Read(void* out, size_t size, size_t& done) {
    done = std::min(size, bytes_.size() - position_);
    if (done != 0) {
        std::memcpy(out, bytes_.data() + position_, done);
        position_ += done;
    }
    return true;
}

bool ZepByteArrayStream::Write(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
    return true;
}

// ---- Deflate and inflate ---------------------------------------------------

// A deflate or inflate stream, ended however the work finishes.
class ZepZlibSession {
public:
    enum class Kind { Deflate, Inflate };

    explicit ZepZlibSession(Kind kind) : kind_(kind) {
        ok_ = (kind == Kind::Deflate ? deflateInit(&stream_, Z_DEFAULT_COMPRESSION)
                                     : inflateInit(&stream_)) == Z_OK;
    }
    ~ZepZlibSession() {
        if (ok_) {
            kind_ == Kind::Deflate ? deflateEnd(&stream_) : inflateEnd(&stream_);
        }
    }
    ZepZlibSession(const ZepZlibSession&) = delete;
    ZepZlibSession& operator=(const ZepZlibSession&) = delete;
    bool Ok() const { return ok_; }
    z_stream& Stream() { return stream_; }

    // Back to the state of a new stream, keeping the memory.
    bool Reset() {
        return ok_ &&
               (kind_ == Kind::Deflate ? deflateReset(&stream_) : inflateReset(&stream_)) == Z_OK;
    }

private:
    Kind kind_;
    z_stream stream_{};
    bool ok_ = false;
};

bool ZepZlibCompress::Deflate(ZepSequentialStream& in, ZepSequentialStream& out) {
    ZepZlibSession session(ZepZlibSession::Kind::Deflate);
    if (!session.Ok()) {
        return false;
    }
    z_stream& zs = session.Stream();
    std::vector<uint8_t> input(kDeflateInputChunk);
    uint8_t output[kDeflateOutputChunk];
    bool wrote = false;
    for (;;) {
        size_t got = 0;
        if (!in.Read(input.data(), input.size(), got)) {
            return false;
        }
        if (got == 0) {
            break;
        }
        zs.next_in = input.data();
        zs.avail_in = static_cast<uInt>(got);
        do {
            zs.next_out = output;
            zs.avail_out = sizeof(output);
            const int result = deflate(&zs, Z_SYNC_FLUSH);
            if (result != Z_OK && result != Z_BUF_ERROR) {
                return false;
            }
            const size_t produced = sizeof(output) - zs.avail_out;
            if (produced != 0) {
                if (!out.Write(output, produced)) {
                    return false;
                }
                wrote = true;
            }
        } while (zs.avail_out == 0);
    }
    return wrote;
}

bool ZepZlibCompress::Inflate(ZepSequentialStream& in, ZepSequentialStream& out,
                              size_t outputLimit) {
    ZepZlibSession session(ZepZlibSession::Kind::Inflate);
    if (!session.Ok()) {
        return false;
    }
    z_stream& zs = session.Stream();
    uint8_t input[kInflateInputChunk];
    std::vector<uint8_t> output(kInflateOutputChunk);
    size_t total = 0;
    bool ended = false;
    for (;;) {
        size_t got = 0;
        if (!in.Read(input, sizeof(input), got)) {
            return false;
        }
        if (got == 0) {
            break;
        }
        if (ended) {
            return false;  // bytes after the end block
        }
        zs.next_in = input;
        zs.avail_in = static_cast<uInt>(got);
        for (;;) {
            zs.next_out = output.data();
            zs.avail_out = static_cast<uInt>(output.size());
            const uInt inputBefore = zs.avail_in;
            const int result = inflate(&zs, Z_SYNC_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
                return false;
            }
            const size_t produced = output.size() - zs.avail_out;
            if (produced > outputLimit - total) {
                return false;
            }
            total += produced;
            if (produced != 0 && !out.Write(output.data(), produced)) {
                return false;
            }
            if (result == Z_STREAM_END) {
                if (zs.avail_in != 0) {
                    return false;
                }
                ended = true;
                break;
            }
            const bool progressed = produced != 0 || zs.avail_in != inputBefore;
            if (!progressed && zs.avail_in != 0) {
                return false;  // stuck with input left: not a stream we can read
            }
            if (!progressed || (zs.avail_in == 0 && zs.avail_out != 0)) {
                break;  // this chunk is used up; read the next one
            }
        }
    }
    return total != 0;
}

// ---- Kept streams ----------------------------------------------------------

namespace {

// Output room kept between messages; more is given back after a large one.
constexpr size_t kKeptOutput = 64 * 1024;

// Stored-block marks a sync flush may add, beyond deflate's own bound.
constexpr size_t kFlushMarkBytes = 6;

uInt ChunkOf(size_t n) {
    return static_cast<uInt>(std::min<size_t>(n, UINT32_MAX));
}

}  // namespace

ZepZlibStreams::ZepZlibStreams() = default;
ZepZlibStreams::~ZepZlibStreams() = default;

bool ZepZlibStreams::MakeRoom(size_t needed, size_t kept) {
    const bool tooSmall = outputSize_ < needed;
    const bool tooLarge = outputSize_ > kKeptOutput && needed <= kKeptOutput && kept == 0;
    if (!tooSmall && !tooLarge) {
        return true;
    }
    std::unique_ptr<uint8_t[]> room(new (std::nothrow) uint8_t[needed]);
    if (!room) {
        return false;
    }
    if (kept != 0) {
        std::memcpy(room.get(), output_.get(), kept);
    }
    output_ = std::move(room);
    outputSize_ = needed;
    return true;
}

std::span<const uint8_t> ZepZlibStreams::Deflate(std::span<const uint8_t> data) {
    if (data.empty()) {
        return {};
    }
    if (!deflater_) {
        deflater_ = std::make_unique<ZepZlibSession>(ZepZlibSession::Kind::Deflate);
    }
    if (!deflater_->Reset()) {
        return {};
    }
    z_stream& zs = deflater_->Stream();
    const size_t pieces = data.size() / ZepZlibCompress::kDeflateInputChunk + 1;
    if (!MakeRoom(deflateBound(&zs, ChunkOf(data.size())) + pieces * kFlushMarkBytes, 0)) {
        return {};
    }
    size_t produced = 0;
    for (size_t offset = 0; offset < data.size();) {
        const size_t piece = std::min(ZepZlibCompress::kDeflateInputChunk, data.size() - offset);
        zs.next_in = const_cast<Bytef*>(data.data() + offset);
        zs.avail_in = static_cast<uInt>(piece);
        offset += piece;
        do {
            if (outputSize_ - produced < ZepZlibCompress::kDeflateOutputChunk &&
                !MakeRoom(outputSize_ * 2, produced)) {
                return {};
            }
            zs.next_out = output_.get() + produced;
            zs.avail_out = ChunkOf(outputSize_ - produced);
            const uInt before = zs.avail_out;
            const int result = deflate(&zs, Z_SYNC_FLUSH);
            if (result != Z_OK && result != Z_BUF_ERROR) {
                return {};
            }
            produced += before - zs.avail_out;
        } while (zs.avail_out == 0);
    }
    return {output_.get(), produced};
}

bool ZepZlibStreams::Inflate(std::span<const uint8_t> data, std::span<uint8_t> plain) {
    if (data.empty() || plain.empty()) {
        return false;
    }
    if (!inflater_) {
        inflater_ = std::make_unique<ZepZlibSession>(ZepZlibSession::Kind::Inflate);
    }
    if (!inflater_->Reset()) {
        return false;
    }
    z_stream& zs = inflater_->Stream();
    // Once the plain bytes are full the rest of the data goes here: it may
    // still hold flush marks, but any byte it gives is one too many.
    uint8_t beyond[64];
    size_t filled = 0;
    size_t offset = 0;
    zs.avail_in = 0;
    for (;;) {
        if (zs.avail_in == 0 && offset < data.size()) {
            zs.next_in = const_cast<Bytef*>(data.data() + offset);
            zs.avail_in = ChunkOf(data.size() - offset);
            offset += zs.avail_in;
        }
        const bool full = filled == plain.size();
        zs.next_out = full ? beyond : plain.data() + filled;
        zs.avail_out = full ? static_cast<uInt>(sizeof(beyond)) : ChunkOf(plain.size() - filled);
        const uInt inputBefore = zs.avail_in;
        const uInt roomBefore = zs.avail_out;
        const int result = inflate(&zs, Z_SYNC_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
            return false;
        }
        const size_t produced = roomBefore - zs.avail_out;
        if (full && produced != 0) {
            return false;  // more than the plain length
        }
        filled += full ? 0 : produced;
        const bool usedUp = zs.avail_in == 0 && offset == data.size();
        if (result == Z_STREAM_END) {
            return usedUp && filled == plain.size();  // nothing may follow the end block
        }
        const bool progressed = produced != 0 || zs.avail_in != inputBefore;
        if (!progressed || (usedUp && zs.avail_out != 0)) {
            return usedUp && filled == plain.size();  // stuck with data left, or done
        }
    }
}

// ---- Codec -----------------------------------------------------------------

int ZepZlibCodec::Process(std::span<const uint8_t> data, std::vector<uint8_t>& out,
                          uint32_t flags) {
    out.clear();
    const uint32_t direction = flags & (kForward | kBackward);
    if ((flags & kStepFlag) == 0 || (direction != kForward && direction != kBackward)) {
        return 0;
    }
    ZepMemoryStream source(data);
    ZepByteArrayStream target;
    const bool ok = direction == kForward ? ZepZlibCompress::Deflate(source, target)
                                          : ZepZlibCompress::Inflate(source, target, kMaxInflated);
    if (!ok) {
        return 0;
    }
    out = target.TakeBytes();
    return 1;
}
