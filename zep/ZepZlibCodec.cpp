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

namespace {

// A deflate or inflate stream, ended however the work finishes.
class ZlibSession {
public:
    enum class Kind { Deflate, Inflate };

    explicit ZlibSession(Kind kind) : kind_(kind) {
        ok_ = (kind == Kind::Deflate ? deflateInit(&stream_, Z_DEFAULT_COMPRESSION)
                                     : inflateInit(&stream_)) == Z_OK;
    }
    ~ZlibSession() {
        if (ok_) {
            kind_ == Kind::Deflate ? deflateEnd(&stream_) : inflateEnd(&stream_);
        }
    }
    ZlibSession(const ZlibSession&) = delete;
    ZlibSession& operator=(const ZlibSession&) = delete;
    bool Ok() const { return ok_; }
    z_stream& Stream() { return stream_; }

private:
    Kind kind_;
    z_stream stream_{};
    bool ok_ = false;
};

}  // namespace

bool ZepZlibCompress::Deflate(ZepSequentialStream& in, ZepSequentialStream& out) {
    ZlibSession session(ZlibSession::Kind::Deflate);
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
    ZlibSession session(ZlibSession::Kind::Inflate);
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
