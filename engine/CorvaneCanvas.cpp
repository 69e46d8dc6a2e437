#include "engine/CorvaneCanvas.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "engine/Blitter.h"
#include "engine/EngineLog.h"
#include "engine/GameCore.h"
#include "engine/ModuleMessage.h"
#include "engine/PaintModule.h"

namespace {

constexpr int kMaxCanvasSide = 65535;          // the record's 16-bit size fields
constexpr int64_t kMaxCanvasPixels = 1 << 26;  // 256 MB of pixels
constexpr uint32_t kCanvasRecordFlags = kImageHasKey | kImageAlpha;
constexpr int kCanvasSerial = 1;

struct Bgr {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
};

Bgr ColorBytes(uint32_t color) {
    return Bgr{static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
               static_cast<uint8_t>(color)};
}

// truncate(alpha * 255), alpha held to [0, 1]; NaN counts as 0.
uint8_t AlphaByte(double alpha) {
    if (!(alpha > 0.0)) {
        return 0;
    }
    if (alpha >= 1.0) {
        return 255;
    }
    return static_cast<uint8_t>(alpha * 255.0);
}

bool IsLeadByte(char c) {
    return static_cast<uint8_t>(c) >= 0x81;
}

bool IsValidCanvasSize(int width, int height) {
    return width >= 0 && height >= 0 && width <= kMaxCanvasSide && height <= kMaxCanvasSide &&
           int64_t{width} * height <= kMaxCanvasPixels;
}

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

int PositiveModulo(int value, int count) {
    const int rest = value % count;
    return rest < 0 ? rest + count : rest;
}

// A rectangle of whole pixels, both ends included, inside a canvas.
struct PixelSpan {
    int left;
    int top;
    int right;
    int bottom;
};

// The corners ordered and held inside a width x height canvas; false when
// nothing of the rectangle is left.
bool OrderAndClamp(int x1, int y1, int x2, int y2, int width, int height, PixelSpan* out) {
    PixelSpan s{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    s.left = std::max(s.left, 0);
    s.top = std::max(s.top, 0);
    s.right = std::min(s.right, width - 1);
    s.bottom = std::min(s.bottom, height - 1);
    if (s.left >= s.right || s.top >= s.bottom) {
        return false;
    }
    *out = s;
    return true;
}

// The canvas frame state's source rectangle (rows `first` .. first + count
// - 1 of it, or columns when `alongX`).
FrameRecord SliceOf(const FrameRecord& state, bool alongX, int first, int count) {
    FrameRecord slice = state;
    if (alongX) {
        slice.offsetX = ClampToInt(int64_t{state.offsetX} + first);
        slice.width = count;
    } else {
        slice.offsetY = ClampToInt(int64_t{state.offsetY} + first);
        slice.height = count;
    }
    return slice;
}

// Replaces the end of a line by ".." or "...", never splitting a
// double-byte character.
void EndWithDots(std::string& line) {
    std::vector<bool> boundary(line.size() + 1, false);
    for (size_t i = 0; i < line.size();) {
        boundary[i] = true;
        i += IsLeadByte(line[i]) && i + 1 < line.size() ? 2 : 1;
    }
    boundary[line.size()] = true;
    if (line.size() >= 3 && boundary[line.size() - 3]) {
        line.replace(line.size() - 3, 3, "...");
    } else if (line.size() >= 2 && boundary[line.size() - 2]) {
        line.replace(line.size() - 2, 2, "..");
    } else {
        line = "..";
    }
}

}  // namespace

CCorvaneCanvas::CCorvaneCanvas() = default;

CCorvaneCanvas::~CCorvaneCanvas() {
    ReleaseRecord();
}

void CCorvaneCanvas::ReleaseRecord() {
    if (record_ == nullptr) {
        return;
    }
    ImageRecord* record = record_;
    record_ = nullptr;
    pixels_ = nullptr;
    view_.SetFrameInfo(FrameRecord{});
    // The paint module frees canvas records (it may still know the buffer);
    // without one the canvas frees its own.
    GameCore* core = GetCore();
    if (core != nullptr && core->FindModule(kPaintModuleId) != nullptr) {
        core->SendMessage(kPaintModuleId, kMsgFreeCanvasRecord, record, 0);
        return;
    }
    FreeImageRecord(record);
    delete record;
}

int CCorvaneCanvas::Create(int width, int height, uint32_t colorKey, CCorvaneFont* font) {
    font_ = font;
    canvasColorKey_ = colorKey;
    int made = 1;
    if (!IsValidCanvasSize(width, height)) {
        EngineLog("canvas size %dx%d refused", width, height);
        width = 0;
        height = 0;
        made = 0;
    }
    uint8_t* pixels = nullptr;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    if (bytes > 0) {
        pixels = new (std::nothrow) uint8_t[bytes]();
        if (pixels == nullptr) {
            EngineLog("canvas %dx%d: out of memory", width, height);
            width = 0;
            height = 0;
            made = 0;
        }
    }

    desc_ = FontDesc{};
    desc_.height = height / 2;
    desc_.weight = 400;
    desc_.color = 0;
    desc_.wrap = 1;
    desc_.alpha = 255;

    if (!InstallPixels(pixels, width, height)) {
        EngineLog("canvas %dx%d: out of memory", width, height);
        view_.SetFrameInfo(FrameRecord{});
        SetSize(0, 0);
        return 0;
    }
    record_->colorKey = kDefaultColorKey;
    FrameRecord state;
    state.serial = kCanvasSerial;
    state.record = record_;
    state.width = width;
    state.height = height;
    state.frame = 0;
    state.keyColor = kDefaultColorKey;
    view_.SetFrameInfo(state);
    SetSize(width, height);
    Changed();
    return made;
}

bool CCorvaneCanvas::InstallPixels(uint8_t* pixels, int width, int height) {
    if (record_ == nullptr) {
        record_ = new (std::nothrow) ImageRecord;
        if (record_ == nullptr) {
            delete[] pixels;
            return false;
        }
        record_->colorKey = kDefaultColorKey;
    }
    ImageRecord& r = *record_;
    if (r.ownsPixels) {
        delete[] r.pixels;
    }
    r.serial = kCanvasSerial;
    r.width = static_cast<uint16_t>(width);
    r.height = static_cast<uint16_t>(height);
    r.pixels = pixels;
    r.ownsPixels = pixels != nullptr;
    r.byteSize = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    r.frameCount = 1;
    r.flags = kCanvasRecordFlags;
    r.palette = nullptr;
    r.paletteCount = 0;
    r.delays = nullptr;
    r.sliceX = 0;
    r.sliceY = 0;
    r.framesPerRow = 1;
    r.time = 0;
    r.reserved = 0;
    pixels_ = pixels;
    return true;
}

uint32_t CCorvaneCanvas::ColorToPixel(uint32_t color, uint32_t key) {
    const Bgr c = ColorBytes(color);
    const uint32_t alpha = (color == key) ? 0u : 255u;
    return uint32_t{c.blue} | uint32_t{c.green} << 8 | uint32_t{c.red} << 16 | alpha << 24;
}

uint8_t* CCorvaneCanvas::PixelAt(int x, int y) const {
    const int width = GetCanvasWidth();
    const int height = GetCanvasHeight();
    if (pixels_ == nullptr || x < 0 || y < 0 || x >= width || y >= height) {
        return nullptr;
    }
    return pixels_ + (static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 4;
}

void CCorvaneCanvas::WritePixel(uint8_t* pixel, uint32_t value) const {
    pixel[0] = static_cast<uint8_t>(value);
    pixel[1] = static_cast<uint8_t>(value >> 8);
    pixel[2] = static_cast<uint8_t>(value >> 16);
    pixel[3] = static_cast<uint8_t>(value >> 24);
}

void CCorvaneCanvas::Changed() {
    if (record_ != nullptr) {
        record_->flags |= kImageChanged;
    }
    Invalidate();
}

// ---------------------------------------------------------------------------
// Pixels and shapes

void CCorvaneCanvas::ClearRect(int x1, int y1, int x2, int y2) {
    const int left = std::max(x1, 0);
    const int top = std::max(y1, 0);
    const int right = std::min(x2, GetCanvasWidth());
    const int bottom = std::min(y2, GetCanvasHeight());
    const uint32_t value = ColorToPixel(canvasColorKey_, GetColorKey());
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            WritePixel(PixelAt(x, y), value);
        }
    }
    Changed();
}

void CCorvaneCanvas::Clear() {
    const uint32_t key = GetColorKey();
    const uint32_t value = canvasColorKey_ == key ? 0u : ColorToPixel(canvasColorKey_, key);
    const size_t count =
        static_cast<size_t>(GetCanvasWidth()) * static_cast<size_t>(GetCanvasHeight());
    if (pixels_ != nullptr && count > 0) {
        // One pixel written, then the filled part copied onto what follows
        // it, doubling each time.
        WritePixel(pixels_, value);
        for (size_t filled = 1; filled < count;) {
            const size_t n = std::min(filled, count - filled);
            std::memcpy(pixels_ + filled * 4, pixels_, n * 4);
            filled += n;
        }
    }
    Changed();
}

void CCorvaneCanvas::SetPixel(int x, int y, uint32_t color) {
    if (uint8_t* pixel = PixelAt(x, y)) {
        WritePixel(pixel, ColorToPixel(color, GetColorKey()));
        Changed();
    }
}

void CCorvaneCanvas::SetAlpha(int x, int y, double alpha) {
    if (uint8_t* pixel = PixelAt(x, y)) {
        pixel[3] = AlphaByte(alpha);
        Changed();
    }
}

void CCorvaneCanvas::DrawBorder(int thickness, uint32_t color) {
    const int width = GetCanvasWidth();
    const int height = GetCanvasHeight();
    thickness = std::min({thickness, width, height});
    if (thickness <= 0) {
        return;
    }
    const uint32_t value = ColorToPixel(color, GetColorKey());
    for (int y = 0; y < height; ++y) {
        const bool edgeRow = y < thickness || y >= height - thickness;
        for (int x = 0; x < width; ++x) {
            if (edgeRow || x < thickness || x >= width - thickness) {
                WritePixel(PixelAt(x, y), value);
            }
        }
    }
    Changed();
}

void CCorvaneCanvas::DrawDottedBorder(uint32_t color) {
    const int width = GetCanvasWidth();
    const int height = GetCanvasHeight();
    if (width <= 0 || height <= 0) {
        return;
    }
    const uint32_t value = ColorToPixel(color, GetColorKey());
    for (int x = 0; x < width; x += 2) {
        WritePixel(PixelAt(x, 0), value);
        WritePixel(PixelAt(x, height - 1), value);
    }
    for (int y = 0; y < height; y += 2) {
        WritePixel(PixelAt(0, y), value);
        WritePixel(PixelAt(width - 1, y), value);
    }
    Changed();
}

void CCorvaneCanvas::DrawLine(int x1, int y1, int x2, int y2) {
    const uint32_t value = ColorToPixel(desc_.color, GetColorKey());
    const int width = GetCanvasWidth();
    const int height = GetCanvasHeight();
    const int64_t dx = int64_t{x2} - x1;
    const int64_t dy = int64_t{y2} - y1;
    // Steps run along the longer axis and only over the canvas's part of it,
    // so far-away end points cost nothing.
    const bool alongX = std::llabs(dx) >= std::llabs(dy);
    const int64_t from = alongX ? std::min(x1, x2) : std::min(y1, y2);
    const int64_t to = alongX ? std::max(x1, x2) : std::max(y1, y2);
    const int64_t first = std::max<int64_t>(from, 0);
    const int64_t last = std::min<int64_t>(to, (alongX ? width : height) - 1);
    for (int64_t major = first; major <= last; ++major) {
        int64_t minor = 0;
        if (alongX) {
            minor = dx == 0 ? y1
                            : y1 + static_cast<int64_t>(static_cast<double>(major - x1) *
                                                        static_cast<double>(dy) /
                                                        static_cast<double>(dx));
        } else {
            minor = x1 + static_cast<int64_t>(static_cast<double>(major - y1) *
                                              static_cast<double>(dx) / static_cast<double>(dy));
        }
        const int64_t x = alongX ? major : minor;
        const int64_t y = alongX ? minor : major;
        if (x >= 0 && y >= 0 && x < width && y < height) {
            WritePixel(PixelAt(static_cast<int>(x), static_cast<int>(y)), value);
        }
    }
    Changed();
}

void CCorvaneCanvas::DrawRect(int x1, int y1, int x2, int y2, int fill) {
    PixelSpan s;
    if (!OrderAndClamp(x1, y1, x2, y2, GetCanvasWidth(), GetCanvasHeight(), &s)) {
        return;
    }
    const uint32_t value = ColorToPixel(desc_.color, GetColorKey());
    for (int y = s.top; y <= s.bottom; ++y) {
        const bool edgeRow = y == s.top || y == s.bottom;
        for (int x = s.left; x <= s.right; ++x) {
            if (fill != 0 || edgeRow || x == s.left || x == s.right) {
                WritePixel(PixelAt(x, y), value);
            }
        }
    }
    Changed();
}

void CCorvaneCanvas::DrawDottedRect(int x1, int y1, int x2, int y2) {
    PixelSpan s;
    if (!OrderAndClamp(x1, y1, x2, y2, GetCanvasWidth(), GetCanvasHeight(), &s)) {
        return;
    }
    const uint32_t value = ColorToPixel(desc_.color, GetColorKey());
    for (int x = s.left; x <= s.right; x += 2) {
        WritePixel(PixelAt(x, s.top), value);
        WritePixel(PixelAt(x, s.bottom), value);
    }
    for (int y = s.top; y <= s.bottom; y += 2) {
        WritePixel(PixelAt(s.left, y), value);
        WritePixel(PixelAt(s.right, y), value);
    }
    Changed();
}

// ---------------------------------------------------------------------------
// Pictures

void CCorvaneCanvas::DrawImage(const FrameRecord& state, int x, int y, int width, int height,
                               double angle, double alpha) {
    const ImageRecord* record = state.record;
    // A frame state whose record was released or reused shows nothing.
    if (record == nullptr || record->serial != state.serial || !HasPicture(*record) ||
        pixels_ == nullptr) {
        return;
    }
    if (width == 0) {
        width = GetCanvasWidth();
    } else if (width < 0) {
        width = state.width;
    }
    if (height == 0) {
        height = GetCanvasHeight();
    } else if (height < 0) {
        height = state.height;
    }
    if (width <= 0 || height <= 0) {
        return;
    }
    TargetSurface target;
    target.pixels = pixels_;
    target.width = GetCanvasWidth();
    target.height = GetCanvasHeight();
    target.depth = 4;
    target.colorKey = canvasColorKey_;
    SpriteParams params;
    params.angle = angle;
    params.centreX = ClampToInt(int64_t{x} + (int64_t{width} + 1) / 2);
    params.centreY = ClampToInt(int64_t{y} + (int64_t{height} + 1) / 2);
    params.width = width;
    params.height = height;
    const double halfWidth = width * 0.5;
    const double halfHeight = height * 0.5;
    params.radius = static_cast<int>(std::sqrt(halfWidth * halfWidth + halfHeight * halfHeight));

    const int frame = PositiveModulo(state.frame, record->frameCount);
    if (record->framesPerRow > 1) {
        ImageRecord single;
        if (ExtractImageFrame(single, *record, frame)) {
            DrawSprite(target, params, single, state.offsetX, state.offsetY, state.width,
                       state.height, alpha, state.keyColor);
        }
        ReleaseImageRecord(single);
    } else {
        const int sourceY = ClampToInt(int64_t{record->height} * frame + state.offsetY);
        DrawSprite(target, params, *record, state.offsetX, sourceY, state.width, state.height,
                   alpha, state.keyColor);
    }
    Changed();
}

void CCorvaneCanvas::DrawImageThreePart(const FrameRecord& top, const FrameRecord& middle,
                                        const FrameRecord& bottom) {
    const int height = GetCanvasHeight();
    const int topHeight = std::max(top.height, 0);
    const int bottomHeight = std::max(bottom.height, 0);
    if (height <= 0) {
        return;
    }
    if (int64_t{height} <= int64_t{topHeight} + bottomHeight) {
        const int half = height / 2;
        if (half > 0) {
            DrawImage(top, 0, 0, 0, half, 0.0, 1.0);
            DrawImage(bottom, 0, height - half, 0, half, 0.0, 1.0);
        }
        return;
    }
    if (topHeight > 0) {
        DrawImage(top, 0, 0, 0, topHeight, 0.0, 1.0);
    }
    DrawImage(middle, 0, topHeight, 0, height - topHeight - bottomHeight, 0.0, 1.0);
    if (bottomHeight > 0) {
        DrawImage(bottom, 0, height - bottomHeight, 0, bottomHeight, 0.0, 1.0);
    }
}

void CCorvaneCanvas::DrawSliced(const FrameRecord& state, bool alongX) {
    const ImageRecord* record = state.record;
    if (record == nullptr || record->serial != state.serial || !HasPicture(*record)) {
        return;
    }
    const int64_t picture = alongX ? state.width : state.height;           // h
    const int64_t canvas = alongX ? GetCanvasWidth() : GetCanvasHeight();  // H
    const int64_t recordSide = alongX ? record->width : record->height;
    const int64_t slice = alongX ? record->sliceX : record->sliceY;
    // A negative slice value cannot make an end piece of negative size.
    const int64_t cap = std::max<int64_t>((picture + 1) / 2 + slice, 0);
    // Pieces of no size are skipped: a size of 0 would mean the whole canvas.
    auto piece = [&](int64_t first, int64_t count, int64_t at, int64_t size) {
        if (count <= 0 || size <= 0) {
            return;
        }
        const FrameRecord part = SliceOf(state, alongX, ClampToInt(first),
                                         ClampToInt(std::min<int64_t>(count, INT_MAX)));
        if (alongX) {
            DrawImage(part, ClampToInt(at), 0, ClampToInt(size), 0, 0.0, 1.0);
        } else {
            DrawImage(part, 0, ClampToInt(at), 0, ClampToInt(size), 0.0, 1.0);
        }
    };
    if (canvas > 2 * cap) {
        piece(0, cap, 0, cap);
        piece(cap, recordSide - 2 * cap, cap, canvas - 2 * cap);
        piece(picture - cap, cap, canvas - cap, cap);
    } else {
        const int64_t firstPart = (canvas + 1) / 2;
        const int64_t lastPart = canvas - firstPart;
        piece(0, firstPart, 0, firstPart);
        piece(picture - lastPart, lastPart, canvas - lastPart, lastPart);
    }
}

void CCorvaneCanvas::DrawImageSlicedVertical(const FrameRecord& state) {
    DrawSliced(state, false);
}

void CCorvaneCanvas::DrawImageSlicedHorizontal(const FrameRecord& state) {
    DrawSliced(state, true);
}

// ---------------------------------------------------------------------------
// Colour effects

void CCorvaneCanvas::InvertRect(int x1, int y1, int x2, int y2) {
    const int left = std::max(std::min(x1, x2), 0);
    const int top = std::max(std::min(y1, y2), 0);
    const int right = std::min(std::max(x1, x2), GetCanvasWidth());
    const int bottom = std::min(std::max(y1, y2), GetCanvasHeight());
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            uint8_t* pixel = PixelAt(x, y);
            if (pixel[3] != 0) {
                pixel[0] = static_cast<uint8_t>(255 - pixel[0]);
                pixel[1] = static_cast<uint8_t>(255 - pixel[1]);
                pixel[2] = static_cast<uint8_t>(255 - pixel[2]);
            }
        }
    }
    ApplyColorKey();
}

template <class PixelFn>
void CCorvaneCanvas::ForEachPixel(PixelFn&& fn) {
    const size_t count =
        static_cast<size_t>(GetCanvasWidth()) * static_cast<size_t>(GetCanvasHeight());
    if (pixels_ == nullptr) {
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        fn(pixels_ + i * 4);
    }
}

void CCorvaneCanvas::ApplyColorKey() {
    const Bgr key = ColorBytes(GetColorKey());
    ForEachPixel([&](uint8_t* p) {
        if (p[0] == key.blue && p[1] == key.green && p[2] == key.red) {
            p[3] = 0;
        }
    });
    Changed();
}

void CCorvaneCanvas::BlendColor(uint32_t color, double alpha) {
    const int a = AlphaByte(alpha);
    // At strength 0 the blend would still lose a step of brightness
    // (x * 255 >> 8); nothing is to change, so nothing does.
    if (a == 0) {
        return;
    }
    const Bgr c = ColorBytes(color);
    auto mix = [a](int pixel, int target) {
        return static_cast<uint8_t>((pixel * (255 - a) + target * a) >> 8);
    };
    ForEachPixel([&](uint8_t* p) {
        if (p[3] != 0) {
            p[0] = mix(p[0], c.blue);
            p[1] = mix(p[1], c.green);
            p[2] = mix(p[2], c.red);
        }
    });
    Changed();
}

void CCorvaneCanvas::MaskAlpha(const CImageFrameView& view) {
    const ImageRecord* record = view.GetRecord();
    if (record == nullptr || view.IsCurrent() == 0 || !HasPicture(*record) ||
        record->width != GetCanvasWidth() || record->height != GetCanvasHeight()) {
        return;
    }
    // One-byte indexed pictures carry no alpha to mask with.
    if (IsIndexedImage(*record) && (record->flags & kImageAlpha) == 0) {
        return;
    }
    const int width = GetCanvasWidth();
    const int height = GetCanvasHeight();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (view.GetAlphaAt(x, y) == 0) {
                PixelAt(x, y)[3] = 0;
            }
        }
    }
    Changed();
}

void CCorvaneCanvas::Darken() {
    ForEachPixel([](uint8_t* p) {
        if (p[3] != 0) {
            p[0] = static_cast<uint8_t>(p[0] / 2);
            p[1] = static_cast<uint8_t>(p[1] / 2);
            p[2] = static_cast<uint8_t>(p[2] / 2);
        }
    });
    Changed();
}

// ---------------------------------------------------------------------------
// Size

int CCorvaneCanvas::FitHeightToText(const char* text, int width) {
    const int height = MeasureTextHeight(text, width);
    SetSize(width, height);
    Resize(width, height);
    return height;
}

int CCorvaneCanvas::Resize(int width, int height) {
    if (width <= 0 || height <= 0 || !IsValidCanvasSize(width, height) || record_ == nullptr) {
        return 0;
    }
    const int oldWidth = GetCanvasWidth();
    const int oldHeight = GetCanvasHeight();
    std::unique_ptr<uint8_t[]> scaled;
    if (pixels_ != nullptr && oldWidth > 0 && oldHeight > 0) {
        scaled = ScaleImage32(pixels_, oldWidth, 0, 0, oldWidth, oldHeight, width, height);
    } else {
        // An empty canvas has nothing to scale: it grows transparent.
        scaled.reset(new (std::nothrow)
                         uint8_t[static_cast<size_t>(width) * static_cast<size_t>(height) * 4]());
    }
    if (!scaled) {
        EngineLog("canvas resize to %dx%d failed", width, height);
        return 0;
    }
    const uint32_t recordKey = record_->colorKey;
    InstallPixels(scaled.release(), width, height);
    record_->colorKey = recordKey;
    view_.SetSize(width, height);
    Changed();
    return 1;
}

// ---------------------------------------------------------------------------
// Keys and font description

void CCorvaneCanvas::SetColorKey(uint32_t key) {
    canvasColorKey_ = key;
}

void CCorvaneCanvas::SetKeyColor(uint32_t color) {
    view_.SetKeyColor(color);
}

void CCorvaneCanvas::SetRecordColorKey(uint32_t key) {
    if (record_ != nullptr) {
        record_->colorKey = key;
    }
    ApplyColorKey();
}

uint32_t CCorvaneCanvas::GetColorKey() const {
    return record_ != nullptr ? record_->colorKey : kDefaultColorKey;
}

void CCorvaneCanvas::SetPenColor(uint32_t color, double alpha) {
    desc_.color = color;
    desc_.alpha = AlphaByte(alpha);
}

void CCorvaneCanvas::SetFont(int height, int weight, const char* face) {
    desc_.height = height;
    desc_.weight = weight;
    if (face != nullptr) {
        SetFontDescFace(desc_, face);
    }
}

void CCorvaneCanvas::SetSpacing(int pitch, int rowSpace) {
    if (pitch >= 0) {
        desc_.pitch = pitch;
    }
    if (rowSpace >= 0) {
        desc_.rowSpace = rowSpace;
    }
}

void CCorvaneCanvas::SetItalic(int on) {
    desc_.italic = on;
}

void CCorvaneCanvas::SetUnderline(int on) {
    desc_.underline = on;
}

void CCorvaneCanvas::SetMargins(int left, int right) {
    desc_.leftMargin = left;
    desc_.rightMargin = right;
}

void CCorvaneCanvas::SetFontDesc(const FontDesc& desc) {
    desc_ = desc;
}

void CCorvaneCanvas::GetFontDesc(FontDesc* out) const {
    if (out != nullptr) {
        *out = desc_;
    }
}

// ---------------------------------------------------------------------------
// Text

template <class Fn>
void CCorvaneCanvas::WithCanvasFont(Fn&& fn) {
    if (font_ == nullptr) {
        return;
    }
    font_->Lock();
    FontDesc own;
    font_->GetFontDesc(&own);
    font_->SetFontDesc(desc_);
    fn(*font_);
    font_->SetFontDesc(own);
    font_->Unlock();
}

void CCorvaneCanvas::DrawText(int x, int y, const char* text) {
    if (text == nullptr || pixels_ == nullptr) {
        return;
    }
    WithCanvasFont([&](CCorvaneFont& font) {
        font.DrawText(pixels_, GetCanvasWidth(), GetCanvasHeight(), x, y, text);
    });
    Changed();
}

void CCorvaneCanvas::DrawTextCentered(int cx, int cy, const char* text) {
    if (text == nullptr) {
        return;
    }
    const int64_t height = desc_.height;
    const int64_t pitch = desc_.pitch;
    int64_t width = 0;
    for (const char* p = text; *p != '\0';) {
        if (IsLeadByte(*p) && p[1] != '\0') {
            width += height + 2 * pitch;
            p += 2;
        } else {
            width += pitch + (height + 1) / 2;
            ++p;
        }
    }
    DrawText(ClampToInt(cx - width / 2), ClampToInt(cy - height / 2), text);
}

int CCorvaneCanvas::DrawTextCenteredLines(const char* text, int top) {
    if (text == nullptr) {
        return 0;
    }
    const size_t length = std::strlen(text);
    const int64_t height = desc_.height;
    const int64_t rowSpace = desc_.rowSpace;
    const int64_t singleWidth = (height + 1) / 2 + desc_.pitch;
    const int64_t doubleWidth = height + 2 * int64_t{desc_.pitch};
    const int64_t canvasHeight = GetCanvasHeight();
    const int64_t lineEnd = int64_t{GetCanvasWidth()} - desc_.rightMargin;
    const int centreX = GetCanvasWidth() / 2;

    int64_t centreY = int64_t{top} + height / 2;
    size_t pos = 0;
    int lines = 0;
    while (pos < length) {
        if (centreY > canvasHeight - height / 2) {
            break;
        }
        std::string line;
        bool hasCharacter = false;
        int64_t x = desc_.leftMargin;
        while (pos < length) {
            if (text[pos] == '<' && font_ != nullptr) {
                const size_t searchEnd =
                    std::min(length, pos + 1 + static_cast<size_t>(kMaxMarkupTagLength) + 1);
                const char* close =
                    static_cast<const char*>(std::memchr(text + pos + 1, '>', searchEnd - pos - 1));
                if (close != nullptr) {
                    const size_t tagLength = static_cast<size_t>(close - (text + pos + 1));
                    if (font_->IsMarkup(text + pos + 1, static_cast<int>(tagLength))) {
                        line.append(text + pos, tagLength + 2);
                        pos += tagLength + 2;
                        continue;
                    }
                }
            }
            const bool isDouble = IsLeadByte(text[pos]);
            if (isDouble && pos + 1 >= length) {
                pos = length;  // a lead byte at the very end ends the text
                break;
            }
            const int64_t advance = isDouble ? doubleWidth : singleWidth;
            // A character too wide for an empty line still takes it, so every
            // line moves on.
            if (hasCharacter && x + advance > lineEnd) {
                break;
            }
            const size_t bytes = isDouble ? 2 : 1;
            line.append(text + pos, bytes);
            pos += bytes;
            x += advance;
            hasCharacter = true;
        }
        const bool textRemains = pos < length;
        const bool lastLine =
            textRemains && canvasHeight - 2 * height - rowSpace < centreY - height / 2;
        if (lastLine) {
            EndWithDots(line);
        }
        DrawTextCentered(centreX, ClampToInt(centreY), line.c_str());
        ++lines;
        if (lastLine) {
            break;
        }
        centreY += height + rowSpace;
    }
    return lines;
}

void CCorvaneCanvas::DrawTextFitted(const char* text, int xMargin, int yMargin, int fontSize) {
    if (text == nullptr) {
        return;
    }
    std::string caption(text);
    FontDesc layout = desc_;
    const TextStart start = DrawTextToPixels(GetCanvasWidth(), GetCanvasHeight(), caption, layout,
                                             xMargin, yMargin, fontSize);
    desc_.height = layout.height;
    desc_.pitch = layout.pitch;
    desc_.rowSpace = layout.rowSpace;
    desc_.leftMargin = layout.leftMargin;
    DrawText(start.x, start.y, caption.c_str());
}

int CCorvaneCanvas::MeasureTextHeight(const char* text, int width) {
    if (text == nullptr) {
        return 0;
    }
    int height = 0;
    WithCanvasFont([&](CCorvaneFont& font) { height = font.MeasureHeight(width, text); });
    return height;
}

void CCorvaneCanvas::MeasureText(const char* text, int* width, int* height) {
    int w = 0;
    int h = 0;
    if (text != nullptr) {
        WithCanvasFont([&](CCorvaneFont& font) { font.MeasureText(0, 0, text, &w, &h); });
    }
    if (width != nullptr) {
        *width = w;
    }
    if (height != nullptr) {
        *height = h;
    }
}

// ---------------------------------------------------------------------------
// Queries

uint32_t CCorvaneCanvas::GetPixel(int x, int y) const {
    const uint8_t* pixel = PixelAt(x, y);
    if (pixel == nullptr) {
        return 0;
    }
    return uint32_t{pixel[0]} << 16 | uint32_t{pixel[1]} << 8 | pixel[2];
}

int CCorvaneCanvas::GetAlpha(int x, int y) const {
    const uint8_t* pixel = PixelAt(x, y);
    return pixel != nullptr ? pixel[3] : 0;
}

void CCorvaneCanvas::GetFrameInfo(FrameRecord* out) const {
    if (out != nullptr) {
        *out = view_.GetFrameInfo();
    }
}
