#include "engine/ImageRecord.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace {

int PositiveModulo(int value, int count) {
    const int r = value % count;
    return r < 0 ? r + count : r;
}

bool IsGrid(const ImageRecord& record) {
    return record.framesPerRow > 1;
}

// Address of pixel (x, y) of frame `frame` (already reduced), or null when
// the point lies outside the frame or its bytes outside the pixel buffer.
const uint8_t* FramePixel(const ImageRecord& record, int frame, int x, int y) {
    if (x < 0 || y < 0 || x >= record.width || y >= record.height) {
        return nullptr;
    }
    const uint64_t bytesPerPixel = static_cast<uint64_t>(GetBytesPerPixel(record));
    uint64_t column = static_cast<uint64_t>(x);
    uint64_t row = static_cast<uint64_t>(frame) * record.height + static_cast<uint64_t>(y);
    uint64_t rowPixels = record.width;
    if (IsGrid(record)) {
        const uint64_t perRow = static_cast<uint64_t>(record.framesPerRow);
        row = (static_cast<uint64_t>(frame) / perRow) * record.height + static_cast<uint64_t>(y);
        column = (static_cast<uint64_t>(frame) % perRow) * record.width + static_cast<uint64_t>(x);
        rowPixels = perRow * record.width;
    }
    const uint64_t offset = (row * rowPixels + column) * bytesPerPixel;
    if (offset + bytesPerPixel > record.byteSize) {
        return nullptr;
    }
    return record.pixels + offset;
}

template <typename T>
T* CopyArray(const T* source, size_t count) {
    T* copy = new (std::nothrow) T[count > 0 ? count : 1];
    if (copy != nullptr && count > 0) {
        std::memcpy(copy, source, count * sizeof(T));
    }
    return copy;
}

// Gives the destination its own copies of the source's palette and delays
// (pointers already copied field by field). False when memory runs out; the
// pointers that were not copied are cleared.
bool CopyPaletteAndDelays(ImageRecord& destination, const ImageRecord& source) {
    destination.palette = nullptr;
    destination.delays = nullptr;
    if (source.palette != nullptr) {
        destination.palette = CopyArray(source.palette, kPaletteBytes);
        if (destination.palette == nullptr) {
            return false;
        }
    }
    if (source.delays != nullptr && source.frameCount > 0) {
        destination.delays = CopyArray(source.delays, static_cast<size_t>(source.frameCount));
        if (destination.delays == nullptr) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool HasPicture(const ImageRecord& record) {
    return record.frameCount > 0 && record.pixels != nullptr;
}

bool IsIndexedImage(const ImageRecord& record) {
    return (record.flags & (kImagePpsBlock | kImagePalette)) != 0 && !IsGrid(record);
}

int GetBytesPerPixelOfFlags(uint32_t flags) {
    if ((flags & (kImagePpsBlock | kImagePalette)) == 0) {
        return 4;
    }
    return (flags & kImageAlpha) != 0 ? 2 : 1;
}

int GetBytesPerPixel(const ImageRecord& record) {
    return IsGrid(record) ? 4 : GetBytesPerPixelOfFlags(record.flags);
}

void ReleaseImageRecord(ImageRecord& record) {
    delete[] record.delays;
    delete[] record.palette;
    if (record.ownsPixels) {
        delete[] record.pixels;
    }
    record = ImageRecord{};
}

void FreeImageRecord(ImageRecord* record) {
    if (record != nullptr) {
        ReleaseImageRecord(*record);
    }
}

bool SetImagePalette(ImageRecord& record, const uint8_t* rgb, int count) {
    uint8_t* palette = new (std::nothrow) uint8_t[kPaletteBytes]();
    if (palette == nullptr) {
        return false;
    }
    count = std::clamp(count, 0, kPaletteEntries);
    if (rgb != nullptr && count > 0) {
        std::memcpy(palette, rgb, static_cast<size_t>(count) * 3);
    }
    delete[] record.palette;
    record.palette = palette;
    record.paletteCount = count;
    return true;
}

bool CopyImageRecord(ImageRecord& destination, const ImageRecord& source, bool copyPixels) {
    if (&destination == &source) {
        return true;
    }
    ReleaseImageRecord(destination);
    destination = source;
    destination.ownsPixels = false;
    if (!CopyPaletteAndDelays(destination, source)) {
        ReleaseImageRecord(destination);
        return false;
    }
    if (copyPixels && source.pixels != nullptr) {
        destination.pixels = CopyArray(source.pixels, source.byteSize);
        if (destination.pixels == nullptr) {
            ReleaseImageRecord(destination);
            return false;
        }
        destination.ownsPixels = true;
    }
    return true;
}

bool DuplicateImageRecord(const ImageRecord& source, ImageRecord& destination, bool copyPixels) {
    if (&destination == &source) {
        return false;
    }
    if (!CopyImageRecord(destination, source, copyPixels)) {
        return false;
    }
    if (!copyPixels) {
        destination.pixels = nullptr;
        destination.byteSize = 0;
    }
    destination.framesPerRow = 1;
    destination.time = 0;
    destination.reserved = 0;
    return true;
}

bool ExtractImageFrame(ImageRecord& out, const ImageRecord& picture, int index) {
    if (&out == &picture) {
        return false;
    }
    ReleaseImageRecord(out);
    if (!HasPicture(picture) || IsIndexedImage(picture) || picture.width == 0 ||
        picture.height == 0) {
        return false;
    }
    const int frame = PositiveModulo(index, picture.frameCount);
    const size_t rowBytes = static_cast<size_t>(picture.width) * 4;
    const size_t byteSize = rowBytes * picture.height;
    // The last pixel of the frame bounds every row before it.
    if (FramePixel(picture, frame, picture.width - 1, picture.height - 1) == nullptr) {
        return false;
    }
    uint8_t* pixels = new (std::nothrow) uint8_t[byteSize];
    if (pixels == nullptr) {
        return false;
    }
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(pixels + rowBytes * y, FramePixel(picture, frame, 0, y), rowBytes);
    }
    out.width = picture.width;
    out.height = picture.height;
    out.pixels = pixels;
    out.ownsPixels = true;
    out.byteSize = byteSize;
    out.colorKey = picture.colorKey;
    out.frameCount = 1;
    out.flags = picture.flags & ~kImageDelays;
    out.sliceX = picture.sliceX;
    out.sliceY = picture.sliceY;
    out.framesPerRow = 1;
    return true;
}

// ---------------------------------------------------------------------------
// CImageFrameView

const ImageRecord* CImageFrameView::LiveRecord() const {
    const ImageRecord* record = m_state.record;
    if (record == nullptr || record->serial != m_state.serial || !HasPicture(*record)) {
        return nullptr;
    }
    return record;
}

int CImageFrameView::CurrentFrame(const ImageRecord& record) const {
    return PositiveModulo(m_state.frame, record.frameCount);
}

int CImageFrameView::IsCurrent() const {
    return m_state.record != nullptr && m_state.record->serial == m_state.serial ? 1 : 0;
}

int CImageFrameView::HitTest(int x, int y) const {
    const ImageRecord* record = LiveRecord();
    if (record == nullptr || x < 0 || y < 0 || x >= m_state.width || y >= m_state.height) {
        return 0;
    }
    const int64_t px = static_cast<int64_t>(x) + m_state.offsetX;
    const int64_t py = static_cast<int64_t>(y) + m_state.offsetY;
    if (px < 0 || py < 0 || px >= record->width || py >= record->height) {
        return 0;
    }
    const uint8_t* pixel =
        FramePixel(*record, CurrentFrame(*record), static_cast<int>(px), static_cast<int>(py));
    if (pixel == nullptr) {
        return 0;
    }
    switch (GetBytesPerPixel(*record)) {
        case 1:
            return pixel[0] != record->colorKey ? 1 : 0;
        case 2:
            return pixel[0] != record->colorKey && pixel[1] != 0 ? 1 : 0;
        default:
            return pixel[3] != 0 ? 1 : 0;
    }
}

void CImageFrameView::MarkChanged() {
    if (m_state.record != nullptr) {
        m_state.record->flags |= kImageChanged;
    }
}

void CImageFrameView::ClearChanged() {
    if (m_state.record != nullptr) {
        m_state.record->flags &= ~kImageChanged;
    }
}

uint32_t CImageFrameView::GetColorKey() const {
    const ImageRecord* record = LiveRecord();
    return record != nullptr ? record->colorKey : kDefaultColorKey;
}

void CImageFrameView::SetSize(int width, int height) {
    m_state.width = width;
    m_state.height = height;
}

int CImageFrameView::GetFrameCount() const {
    const ImageRecord* record = LiveRecord();
    return record != nullptr ? record->frameCount : 0;
}

int CImageFrameView::GetFrameDelay(int frame) const {
    const ImageRecord* record = LiveRecord();
    if (record == nullptr || record->delays == nullptr) {
        return 0;
    }
    return record->delays[PositiveModulo(frame, record->frameCount)];
}

int CImageFrameView::GetTotalDuration() const {
    const ImageRecord* record = LiveRecord();
    if (record == nullptr || record->delays == nullptr) {
        return 0;
    }
    int64_t total = 0;
    for (int i = 0; i < record->frameCount; ++i) {
        total += record->delays[i];
    }
    return static_cast<int>(std::clamp<int64_t>(total, INT_MIN, INT_MAX));
}

int CImageFrameView::GetSliceX() const {
    const ImageRecord* record = LiveRecord();
    return record != nullptr ? record->sliceX : 0;
}

int CImageFrameView::GetSliceY() const {
    const ImageRecord* record = LiveRecord();
    return record != nullptr ? record->sliceY : 0;
}

const uint8_t* CImageFrameView::CurrentPixel(int x, int y, const ImageRecord*& record) const {
    record = LiveRecord();
    return record != nullptr ? FramePixel(*record, CurrentFrame(*record), x, y) : nullptr;
}

uint32_t CImageFrameView::GetPixelColor(int x, int y) const {
    const ImageRecord* record = nullptr;
    const uint8_t* pixel = CurrentPixel(x, y, record);
    if (pixel == nullptr) {
        return 0;
    }
    if (GetBytesPerPixel(*record) == 4) {
        return static_cast<uint32_t>(pixel[0]) << 16 | static_cast<uint32_t>(pixel[1]) << 8 |
               pixel[2];
    }
    const int index = pixel[0];
    if (record->palette == nullptr || index >= record->paletteCount) {
        return 0;
    }
    const uint8_t* entry = record->palette + index * 3;
    return entry[0] | static_cast<uint32_t>(entry[1]) << 8 | static_cast<uint32_t>(entry[2]) << 16;
}

int CImageFrameView::GetAlphaAt(int x, int y) const {
    const ImageRecord* record = nullptr;
    const uint8_t* pixel = CurrentPixel(x, y, record);
    if (pixel == nullptr) {
        return 0;
    }
    switch (GetBytesPerPixel(*record)) {
        case 1:
            return pixel[0] == record->colorKey ? 0 : 255;
        case 2:
            return pixel[1];
        default:
            return pixel[3];
    }
}

int CImageFrameView::SetFrame(int frame) {
    const ImageRecord* record = LiveRecord();
    if (record == nullptr || record->frameCount < 2) {
        return 0;
    }
    const int index = PositiveModulo(frame, record->frameCount);
    if (index != CurrentFrame(*record)) {
        m_state.record->flags |= kImageChanged;
    }
    m_state.frame = index;
    return GetFrameDelay(index);
}

int CImageFrameView::NextFrame() {
    const ImageRecord* record = LiveRecord();
    if (record == nullptr || record->frameCount < 2) {
        return 0;
    }
    m_state.frame = PositiveModulo(CurrentFrame(*record) + 1, record->frameCount);
    return GetFrameDelay(m_state.frame);
}

int CImageFrameView::SetFrameByTime(int time, int start) {
    const ImageRecord* record = LiveRecord();
    if (record == nullptr || record->frameCount < 2 || record->delays == nullptr) {
        return start;
    }
    const int count = record->frameCount;
    int64_t total = 0;
    for (int i = 0; i < count; ++i) {
        total += record->delays[i];
    }
    int64_t t = time;
    if (total > 0) {
        t %= total;
        if (t < 0) {
            t += total;
        }
    }
    const int first = PositiveModulo(start, count);
    int64_t sum = 0;
    for (int step = 0; step < count; ++step) {
        const int frame = (first + step) % count;
        sum += record->delays[frame];
        if (sum > t) {
            if (frame == CurrentFrame(*record)) {
                return start;
            }
            SetFrame(frame);
            return frame;
        }
    }
    return start;
}
