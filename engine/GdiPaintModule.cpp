#include "engine/GdiPaintModule.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "engine/EngineLog.h"
#include "engine/GameCore.h"
#include "engine/ResourceModule.h"
#include "engine/SceneGeometry.h"

namespace {

// Larger client areas than this are refused: no screen has them, and the
// four buffers of such a size would not fit in memory.
constexpr int kMaxBufferSide = 16384;

int PositiveModulo(int value, int count) {
    const int r = value % count;
    return r < 0 ? r + count : r;
}

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

std::unique_ptr<uint8_t[]> ZeroedBuffer(size_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes]());
}

}  // namespace

int GdiPaintModule::Init() {
    const int result = PaintModule::Init();
    if (result != 0) {
        RunLog("GDI PaintModule Load!");
    }
    if (GameCore* core = GetCore()) {
        core->SetIntSetting(kPainterSetting, 1);
    }
    return result;
}

int GdiPaintModule::Uninit() {
    FreeBuffers();
    SetBufferSizeFields(0, 0);
    return PaintModule::Uninit();
}

int GdiPaintModule::HandleMessage(int id, void* p, int n) {
    if (id == kMsgPresent) {
        Present(static_cast<platform::WindowSurface*>(p));
        return 0;
    }
    return PaintModule::HandleMessage(id, p, n);
}

void GdiPaintModule::FreeBuffers() {
    background_.reset();
    compose_.reset();
    output_.reset();
    converted_.reset();
    backBitmap_.Reset();
}

bool GdiPaintModule::SetBufferSize(int width, int height) {
    if (width == GetBufferWidth() && height == GetBufferHeight()) {
        return true;
    }
    if (width < 0 || height < 0 || width > kMaxBufferSide || height > kMaxBufferSide) {
        EngineLog("back buffer size %dx%d refused", width, height);
        return false;
    }
    FreeBuffers();
    SetBufferSizeFields(width, height);
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (pixels == 0) {
        return true;
    }
    const int depth = GetDisplayDepth();
    background_ = ZeroedBuffer(pixels * 4);
    output_ = ZeroedBuffer(pixels * 4);
    compose_ = ZeroedBuffer(pixels * 4);
    bool ready = background_ && output_ && compose_;
    if (ready && (depth == 16 || depth == 24)) {
        converted_ = ZeroedBuffer(pixels * static_cast<size_t>(depth / 8));
        ready = converted_ != nullptr;
    }
    // An unsupported depth leaves no bitmap; every upload then reports it.
    if (ready && platform::IsSupportedDepth(depth)) {
        ready = backBitmap_.Create(width, height, depth);
    }
    if (!ready) {
        EngineLog("no memory for a %dx%d back buffer", width, height);
        FreeBuffers();
        SetBufferSizeFields(0, 0);
    }
    return ready;
}

void GdiPaintModule::CopyRect(IntRect& rect, const uint8_t* from, uint8_t* to) const {
    const int width = GetBufferWidth();
    const int height = GetBufferHeight();
    rect.left = std::clamp(rect.left, 0, width);
    rect.right = std::clamp(rect.right, 0, width);
    rect.top = std::clamp(rect.top, 0, height);
    rect.bottom = std::clamp(rect.bottom, 0, height);
    rect.left = std::min(rect.left, rect.right);
    rect.top = std::min(rect.top, rect.bottom);
    if (from == nullptr || to == nullptr) {
        return;
    }
    const size_t rowBytes = static_cast<size_t>(rect.right - rect.left) * 4;
    for (int y = rect.top; y < rect.bottom; ++y) {
        const size_t offset =
            (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(rect.left)) *
            4;
        std::memcpy(to + offset, from + offset, rowBytes);
    }
}

void GdiPaintModule::DrawFrame(FrameDrawRecord* frame) {
    if (frame == nullptr) {
        return;
    }
    SetViewCentre(frame->centreX, frame->centreY);
    const int rectCount = frame->rects != nullptr ? std::max(frame->rectCount, 0) : 0;
    IntRect* rects = frame->rects;
    for (int i = 0; i < rectCount; ++i) {
        CopyRect(rects[i], background_.get(), compose_.get());
    }
    if (compose_) {
        for (const DrawRecord* node = frame->first; node != nullptr; node = node->next) {
            DrawItem(*node, node->drawable);
        }
    }
    for (int i = 0; i < rectCount; ++i) {
        CopyRect(rects[i], compose_.get(), output_.get());
    }
    UploadRects(rects, rectCount);
    const platform::WindowId window = GetCore() != nullptr ? GetCore()->GetWindowHandle() : 0;
    if (window != 0) {
        for (int i = 0; i < rectCount; ++i) {
            const platform::PixelRect area{rects[i].left, rects[i].top, rects[i].right,
                                           rects[i].bottom};
            platform::InvalidateRect(window, &area);
        }
    }
    FreeFrameDrawRecord(frame);
}

void GdiPaintModule::DrawItem(const DrawRecord& node, Drawable* drawable) {
    if (drawable == nullptr) {
        return;
    }
    // Only image frame views carry pictures to draw.
    auto* view = dynamic_cast<CImageFrameView*>(drawable);
    if (drawable->IsCurrent() == 0 && (view == nullptr || RefreshImage(*view) == 0)) {
        return;
    }
    if (drawable->IsHidden() == 0 && view != nullptr) {
        DrawNode(node, *view);
    }
}

void GdiPaintModule::DrawNode(const DrawRecord& node, const CImageFrameView& view) {
    const FrameRecord state = view.GetFrameInfo();
    if (state.record == nullptr) {
        return;
    }
    const ObjectState& s = node.state;
    SpriteParams params;
    params.angle = s.angle;
    params.centreX = TruncToInt(s.x - GetViewX() + GetBufferWidth() / 2);
    params.centreY = TruncToInt(s.y - GetViewY() + GetBufferHeight() / 2);
    params.objectX = TruncToInt(s.x);
    params.objectY = TruncToInt(s.y);
    params.width = TruncToInt(s.width);
    params.height = TruncToInt(s.height);
    if (s.width > 0 && s.height > 0) {
        const double halfWidth = s.width * 0.5;
        const double halfHeight = s.height * 0.5;
        params.radius = TruncToInt(std::sqrt(halfWidth * halfWidth + halfHeight * halfHeight));
    }
    params.flags = s.flags;
    params.clipLeft = s.clipRect.left;
    params.clipTop = s.clipRect.top;
    params.clipRight = s.clipRect.right;
    params.clipBottom = s.clipRect.bottom;
    DrawFrameState(SurfaceOf(compose_.get(), GetDisplayDepth() / 8), params, state, s.alpha);
}

void GdiPaintModule::DrawFrameState(const TargetSurface& target, SpriteParams& params,
                                    const FrameRecord& state, double alpha) const {
    const ImageRecord& record = *state.record;
    if (target.pixels == nullptr || record.frameCount < 1) {
        return;
    }
    const int frame = PositiveModulo(state.frame, record.frameCount);
    if (record.framesPerRow > 1) {
        ImageRecord single;
        if (ExtractImageFrame(single, record, frame)) {
            DrawSprite(target, params, single, state.offsetX, state.offsetY, state.width,
                       state.height, alpha, state.keyColor);
        }
        ReleaseImageRecord(single);
        return;
    }
    const int sourceY = ClampToInt(int64_t{record.height} * frame + state.offsetY);
    DrawSprite(target, params, record, state.offsetX, sourceY, state.width, state.height, alpha,
               state.keyColor);
}

int GdiPaintModule::LoadImageResource(const ResKey& key) {
    ResourceModule* resources = GetResourceModule();
    if (resources == nullptr || resources->HasResource(key) == 0) {
        return 0;
    }
    ResourceData data = resources->TakeResourceData(key);
    if (!data.bytes) {
        return 0;
    }
    ImageRecord record;
    const int decoded = DecodeImage(data.bytes.get(), data.size, data.extensionHash, record);
    data.bytes.reset();  // the handed-over bytes go, decoded or not
    if (decoded == 0 || record.frameCount < 1) {
        FreeImageRecord(&record);
        return 0;
    }
    record.serial = 0;
    record.framesPerRow = 1;
    return CacheImage(key, record) != 0 || FindCached(key) != nullptr ? 1 : 0;
}

int GdiPaintModule::DrawImageToBackground(const FrameRecord& state, int x, int y, int width,
                                          int height, double angle) {
    if (state.record == nullptr || !background_) {
        return 0;
    }
    SpriteParams params;
    params.angle = angle;
    // The blitter puts the left edge (width + 1) / 2 left of the centre.
    params.centreX = ClampToInt(int64_t{x} + (int64_t{width} + 1) / 2);
    params.centreY = ClampToInt(int64_t{y} + (int64_t{height} + 1) / 2);
    params.width = width;
    params.height = height;
    DrawFrameState(SurfaceOf(background_.get(), GetDisplayDepth() / 8), params, state, 1.0);
    return 1;
}

uint32_t GdiPaintModule::FillBackground(uint32_t color) {
    const uint8_t red = color & 0xFF;
    const uint8_t green = (color >> 8) & 0xFF;
    const uint8_t blue = (color >> 16) & 0xFF;
    if (background_) {
        const size_t pixels =
            static_cast<size_t>(GetBufferWidth()) * static_cast<size_t>(GetBufferHeight());
        uint8_t* p = background_.get();
        for (size_t i = 0; i < pixels; ++i, p += 4) {
            p[0] = blue;
            p[1] = green;
            p[2] = red;
            p[3] = 255;
        }
    }
    return 0xFF000000u | uint32_t{red} << 16 | uint32_t{green} << 8 | blue;
}

TargetSurface GdiPaintModule::SurfaceOf(uint8_t* pixels, int depthWord) const {
    TargetSurface surface;
    surface.pixels = pixels;
    surface.width = pixels != nullptr ? GetBufferWidth() : 0;
    surface.height = pixels != nullptr ? GetBufferHeight() : 0;
    surface.depth = depthWord;
    surface.colorKey = kDefaultColorKey;
    return surface;
}

TargetSurface GdiPaintModule::GetBackgroundSurface() const {
    return SurfaceOf(background_.get(), GetDisplayDepth());
}

void GdiPaintModule::CopyImageRecord(ImageRecord& destination, const ImageRecord& source) {
    ::CopyImageRecord(destination, source, true);
}

void GdiPaintModule::FreeImageRecord(ImageRecord* record) {
    ::FreeImageRecord(record);
}

int GdiPaintModule::UploadBackBuffer() {
    IntRect whole{0, 0, GetBufferWidth(), GetBufferHeight()};
    return UploadRects(&whole, 1);
}

int GdiPaintModule::UploadRects(const IntRect* rects, int count) {
    const int depth = GetDisplayDepth();
    if (!platform::IsSupportedDepth(depth)) {
        return SendMessage(kFailureNoticeModuleId, kNoticeUnsupportedDepth, nullptr, 0);
    }
    if (!output_ || !backBitmap_.IsValid()) {
        return 1;
    }
    const auto width = static_cast<size_t>(GetBufferWidth());
    for (int i = 0; i < count; ++i) {
        // The rectangles were clamped to the buffer when they were copied.
        const IntRect& r = rects[i];
        const platform::PixelRect area{r.left, r.top, r.right, r.bottom};
        if (depth == 32) {
            backBitmap_.SetBitsInRect(output_.get(), width * 4, area);
            continue;
        }
        for (int y = r.top; y < r.bottom; ++y) {
            const size_t first = static_cast<size_t>(y) * width + static_cast<size_t>(r.left);
            const uint8_t* from = output_.get() + first * 4;
            uint8_t* to = converted_.get() + first * static_cast<size_t>(depth / 8);
            for (int x = r.left; x < r.right; ++x, from += 4) {
                if (depth == 24) {
                    *to++ = from[0];
                    *to++ = from[1];
                    *to++ = from[2];
                } else {
                    const unsigned word =
                        (from[2] >> 3u) << 11 | (from[1] >> 2u) << 5 | (from[0] >> 3u);
                    *to++ = static_cast<uint8_t>(word);
                    *to++ = static_cast<uint8_t>(word >> 8);
                }
            }
        }
        backBitmap_.SetBitsInRect(converted_.get(), width * static_cast<size_t>(depth / 8), area);
    }
    return 1;
}

void GdiPaintModule::Present(platform::WindowSurface* target) {
    if (!backBitmap_.IsValid()) {
        return;
    }
    const int width = GetBufferWidth();
    const int height = GetBufferHeight();
    if (target != nullptr) {
        target->Blit(backBitmap_, 0, 0, width, height, 0, 0);
        return;
    }
    // The window gets only what waits for paint: the frames' rectangles, or
    // all of it when the display uncovered or resized it.
    const platform::WindowId window = GetCore() != nullptr ? GetCore()->GetWindowHandle() : 0;
    const platform::PixelRect area = platform::InvalidAreaOf(window);
    if (window != 0 && !area.IsEmpty()) {
        platform::BlitToWindow(window, backBitmap_, area.left, area.top, area.right - area.left,
                               area.bottom - area.top, area.left, area.top);
    }
}
