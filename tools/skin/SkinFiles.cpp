#include "tools/skin/SkinFiles.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "engine/ImageRecord.h"
#include "engine/PpsCodec.h"

namespace regional_skin {
namespace {

constexpr char kSoundMark[] = "PVBNSND:";

void Le16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Le32(std::vector<uint8_t>& out, uint32_t v) {
    Le16(out, v & 0xffff);
    Le16(out, v >> 16);
}
void Be32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}
void Text(std::vector<uint8_t>& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    Be32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Be32(out, static_cast<uint32_t>(
                  crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// LZW codes of a GIF image: variable width from minCodeSize + 1, a clear
// code first and whenever the table is full, the end code last; packed
// least significant bit first.
std::vector<uint8_t> GifLzw(const std::vector<uint8_t>& indices, int minCodeSize) {
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int count = 0;
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int width = minCodeSize + 1;
    int next = end + 1;
    std::map<std::pair<int, uint8_t>, int> table;
    auto emit = [&](int code) {
        bits |= static_cast<uint32_t>(code) << count;
        count += width;
        while (count >= 8) {
            out.push_back(static_cast<uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    };
    emit(clear);
    int prefix = -1;
    for (uint8_t index : indices) {
        if (prefix < 0) {
            prefix = index;
            continue;
        }
        const auto found = table.find({prefix, index});
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        emit(prefix);
        if (next < 4096) {
            table.emplace(std::make_pair(prefix, index), next);
            // The decoder widens its codes once the table passes the width.
            if (next == (1 << width) && width < 12) {
                ++width;
            }
            ++next;
        } else {
            emit(clear);
            table.clear();
            width = minCodeSize + 1;
            next = end + 1;
        }
        prefix = index;
    }
    if (prefix >= 0) {
        emit(prefix);
    }
    emit(end);
    if (count > 0) {
        out.push_back(static_cast<uint8_t>(bits));
    }
    return out;
}

}  // namespace

std::vector<uint8_t> PngFile(const Image& image) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    std::vector<uint8_t> header;
    Be32(header, static_cast<uint32_t>(image.width));
    Be32(header, static_cast<uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PngChunk(out, "IHDR", header);
    std::vector<uint8_t> raw;
    raw.reserve(image.pixels.size() * 3 + static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.width; ++x) {
            const uint32_t c = image.pixels[static_cast<size_t>(y) * image.width + x];
            raw.push_back(static_cast<uint8_t>(c));
            raw.push_back(static_cast<uint8_t>(c >> 8));
            raw.push_back(static_cast<uint8_t>(c >> 16));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(packedSize);
    PngChunk(out, "IDAT", packed);
    PngChunk(out, "IEND", {});
    return out;
}

bool GifFile(std::span<const Image> frames, std::vector<uint8_t>& out, std::string& error) {
    if (frames.empty()) {
        error = "a picture without frames";
        return false;
    }
    const int width = frames[0].width;
    const int height = frames[0].height;
    std::map<uint32_t, uint8_t> palette;
    std::vector<uint32_t> colours;
    for (const Image& frame : frames) {
        if (frame.width != width || frame.height != height) {
            error = "frames of different sizes";
            return false;
        }
        for (uint32_t c : frame.pixels) {
            if (!palette.contains(c)) {
                if (colours.size() == 256) {
                    error = "more than 256 colours";
                    return false;
                }
                palette.emplace(c, static_cast<uint8_t>(colours.size()));
                colours.push_back(c);
            }
        }
    }
    int tableBits = 0;  // entries = 2 << tableBits
    while ((size_t{2} << tableBits) < colours.size()) {
        ++tableBits;
    }
    out = {'G', 'I', 'F', '8', '9', 'a'};
    Le16(out, static_cast<uint32_t>(width));
    Le16(out, static_cast<uint32_t>(height));
    out.push_back(static_cast<uint8_t>(0xf0 | tableBits));
    out.push_back(0);
    out.push_back(0);
    for (size_t i = 0; i < (size_t{2} << tableBits); ++i) {
        const uint32_t c = i < colours.size() ? colours[i] : 0;
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
        out.push_back(static_cast<uint8_t>(c >> 16));
    }
    const int minCodeSize = std::max(2, tableBits + 1);
    // 0.1 s a frame; kept, or with a transparent index cleared to it.
    const auto clear = palette.find(kClear);
    const bool keyed = clear != palette.end();
    const uint8_t control = keyed ? (2 << 2) | 1 : 1 << 2;
    for (const Image& frame : frames) {
        out.insert(out.end(),
                   {0x21, 0xf9, 4, control, 10, 0, keyed ? clear->second : uint8_t{0}, 0});
        out.push_back(0x2c);
        Le16(out, 0);
        Le16(out, 0);
        Le16(out, static_cast<uint32_t>(width));
        Le16(out, static_cast<uint32_t>(height));
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(minCodeSize));
        std::vector<uint8_t> indices;
        indices.reserve(frame.pixels.size());
        for (uint32_t c : frame.pixels) {
            indices.push_back(palette.at(c));
        }
        const std::vector<uint8_t> data = GifLzw(indices, minCodeSize);
        for (size_t pos = 0; pos < data.size(); pos += 255) {
            const size_t n = std::min<size_t>(255, data.size() - pos);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(pos),
                       data.begin() + static_cast<ptrdiff_t>(pos + n));
        }
        out.push_back(0);
    }
    out.push_back(0x3b);
    return true;
}

bool PictureFile(std::span<const Image> frames, std::vector<uint8_t>& out, std::string& error) {
    if (frames.size() == 1 &&
        std::ranges::find(frames[0].pixels, kClear) == frames[0].pixels.end()) {
        out = PngFile(frames[0]);
        return true;
    }
    return GifFile(frames, out, error);
}

bool IsGifFile(std::span<const uint8_t> file) {
    return file.size() >= 3 && file[0] == 'G' && file[1] == 'I' && file[2] == 'F';
}

bool SlicedPictureFile(std::span<const Image> frames, int sliceX, int sliceY,
                       std::vector<uint8_t>& out, std::string& error) {
    constexpr int kLimit = 32767;
    if (frames.empty() || frames[0].width <= 0 || frames[0].height <= 0 ||
        frames[0].width > kLimit || frames[0].height > kLimit || frames.size() > 0xffff ||
        std::abs(sliceX) > kLimit || std::abs(sliceY) > kLimit) {
        error = "no frames, or a size or slice a pps picture cannot hold";
        return false;
    }
    const size_t pixels = static_cast<size_t>(frames[0].width) * frames[0].height;
    std::vector<uint8_t> bytes;
    bytes.reserve(pixels * 4 * frames.size());
    for (const Image& frame : frames) {
        if (frame.width != frames[0].width || frame.height != frames[0].height ||
            frame.pixels.size() != pixels) {
            error = "frames of different sizes";
            return false;
        }
        for (uint32_t colour : frame.pixels) {
            // 0x00BBGGRR as the record's blue, green, red and alpha.
            bytes.insert(bytes.end(),
                         {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                          static_cast<uint8_t>(colour), 0xff});
        }
    }
    ImageRecord record;
    record.width = static_cast<uint16_t>(frames[0].width);
    record.height = static_cast<uint16_t>(frames[0].height);
    record.pixels = bytes.data();
    record.byteSize = bytes.size();
    record.frameCount = static_cast<int32_t>(frames.size());
    record.framesPerRow = 1;
    record.flags = kPpsImageTrailer;
    record.colorKey = kDefaultColorKey;
    record.sliceX = static_cast<int16_t>(sliceX);
    record.sliceY = static_cast<int16_t>(sliceY);
    size_t size = 0;
    const std::unique_ptr<uint8_t[]> file = EncodePps(record, nullptr, 5, size);
    if (!file) {
        error = "the pps picture cannot be encoded";
        return false;
    }
    out.assign(file.get(), file.get() + size);
    return true;
}

std::vector<uint8_t> WavFile(std::span<const uint8_t> samples, uint32_t rate) {
    std::vector<uint8_t> out;
    Text(out, "RIFF");
    Le32(out, static_cast<uint32_t>(36 + samples.size()));
    Text(out, "WAVE");
    Text(out, "fmt ");
    Le32(out, 16);
    Le16(out, 1);     // PCM
    Le16(out, 1);     // mono
    Le32(out, rate);  // samples per second
    Le32(out, rate);  // bytes per second
    Le16(out, 1);     // block
    Le16(out, 8);     // bits
    Text(out, "data");
    Le32(out, static_cast<uint32_t>(samples.size()));
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

std::vector<uint8_t> SoundBytes(std::string_view fileName) {
    // At 8000 Hz: the mark and the name, then silence (128) up to a tenth
    // of a second.
    std::vector<uint8_t> samples(kSoundMark, kSoundMark + sizeof kSoundMark - 1);
    samples.insert(samples.end(), fileName.begin(), fileName.end());
    samples.push_back(0);
    samples.resize(std::max<size_t>(samples.size(), 800), 128);
    return WavFile(samples, 8000);
}

std::string SoundNameOf(std::span<const uint8_t> bytes) {
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const size_t mark = all.find(kSoundMark);
    if (mark == std::string_view::npos) {
        return {};
    }
    const size_t start = mark + sizeof kSoundMark - 1;
    const size_t end = all.find('\0', start);
    if (end == std::string_view::npos) {
        return {};
    }
    return std::string(all.substr(start, end - start));
}

std::vector<uint8_t> ToneBytes(std::string_view title) {
    constexpr uint32_t kRate = 11025;
    // The pitch from the title's bytes (a stable hash), on a pentatonic-ish
    // ladder from 330 Hz; chat phrases and the music last longer.
    uint32_t hash = 2166136261u;
    for (char c : title) {
        hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    }
    static constexpr double kSteps[] = {1.0, 9.0 / 8, 5.0 / 4, 3.0 / 2, 5.0 / 3, 2.0, 9.0 / 4};
    const double pitch = 330.0 * kSteps[hash % std::size(kSteps)];
    const bool longer = title.find("chat") != std::string_view::npos ||
                        title.find("Music") != std::string_view::npos;
    const size_t count = kRate * (longer ? 6 : 2) / 10;
    const size_t fade = kRate / 100;
    std::vector<uint8_t> samples(count);
    for (size_t i = 0; i < count; ++i) {
        const double envelope =
            std::min({1.0, static_cast<double>(i) / fade, static_cast<double>(count - i) / fade});
        const double t = static_cast<double>(i) / kRate;
        const double wave = std::sin(2 * std::numbers::pi * pitch * t);
        samples[i] = static_cast<uint8_t>(std::lround(128 + 60 * envelope * wave));
    }
    return WavFile(samples, kRate);
}

}  // namespace regional_skin
