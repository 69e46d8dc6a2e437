#include "engine/PaintModule.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <utility>

#include "engine/EngineLog.h"
#include "engine/GameCore.h"
#include "engine/PpsCodec.h"
#include "engine/ResourceModule.h"
#include "platform/Display.h"

namespace {

constexpr uint32_t kRateWindow = 100;       // frames over which the rate settles
constexpr double kInstantRateCap = 999.99;  // two frames in the same millisecond
constexpr uint32_t kRefreshSpacingMs = 1000;
constexpr int kEmptyFrameDelayMs = 40;
constexpr size_t kRecordsPerBlock = 64;

int PositiveModulo(int value, int count) {
    const int r = value % count;
    return r < 0 ? r + count : r;
}

// The decoder of each picture extension; none for ".pps", which has its own.
struct ExtensionFormat {
    uint32_t hash;
    std::optional<platform::PictureFormat> format;
};

const std::array<ExtensionFormat, 13>& ExtensionFormats() {
    using platform::PictureFormat;
    static const std::array<ExtensionFormat, 13> table = {{
        {GetNameHash(".gif"), PictureFormat::Gif},
        {GetNameHash(".bmp"), PictureFormat::Bmp},
        {GetNameHash(".png"), PictureFormat::Png},
        {GetNameHash(".jpg"), PictureFormat::Jpeg},
        {GetNameHash(".jpeg"), PictureFormat::Jpeg},
        {GetNameHash(".ico"), PictureFormat::Ico},
        {GetNameHash(".tif"), PictureFormat::Tiff},
        {GetNameHash(".tga"), PictureFormat::Tga},
        {GetNameHash(".mng"), PictureFormat::Mng},
        {GetNameHash(".pcx"), PictureFormat::Pcx},
        {GetNameHash(".wbmp"), PictureFormat::Wbmp},
        {GetNameHash(".wmf"), PictureFormat::Wmf},
        {GetNameHash(".pps"), std::nullopt},
    }};
    return table;
}

// Counts the pixels with the transparent index; flag 0x1 goes when there
// are none.
bool StoreIndexedFrames(const platform::DecodedPicture& picture, ImageRecord& record) {
    if (!SetImagePalette(record, picture.palette.data(), picture.PaletteCount())) {
        return false;
    }
    record.flags |= kImagePalette;
    const bool keyed = picture.transparentIndex >= 0;
    record.colorKey = keyed ? static_cast<uint32_t>(picture.transparentIndex) : kNoColorKeyIndex;
    size_t keyedPixels = 0;
    if (keyed) {
        keyedPixels = static_cast<size_t>(
            std::count(record.pixels, record.pixels + record.byteSize, picture.transparentIndex));
    }
    if (keyedPixels == 0) {
        record.flags &= ~kImageHasKey;
    }
    return true;
}

// Without the picture's own alpha, the transparent colour's pixels get alpha
// 0 and the others 255, and flag 0x1 goes when no pixel has that colour.
void StoreTrueColourFrames(const platform::DecodedPicture& picture, ImageRecord& record) {
    const bool keyed = picture.transparentColor.has_value();
    const uint32_t key = picture.transparentColor.value_or(0);
    record.colorKey = key;
    if (picture.hasAlpha) {
        return;
    }
    const uint8_t keyR = key & 0xFF, keyG = (key >> 8) & 0xFF, keyB = (key >> 16) & 0xFF;
    size_t keyedPixels = 0;
    uint8_t* out = record.pixels;
    for (size_t i = 0; i < record.byteSize; i += 4) {
        const bool isKey = keyed && out[i] == keyB && out[i + 1] == keyG && out[i + 2] == keyR;
        keyedPixels += isKey;
        out[i + 3] = isKey ? 0 : 255;
    }
    if (keyedPixels == 0) {
        record.flags &= ~kImageHasKey;
    }
}

}  // namespace

ResKey GetImageCacheKey(std::string_view name) {
    std::string full(name);
    full += kImageCacheSuffix;
    return GetResKey(full);
}

bool StoreDecodedPicture(platform::DecodedPicture&& picture, bool isIcon, ImageRecord& record) {
    ReleaseImageRecord(record);
    const bool indexed = picture.layout == platform::PictureLayout::Indexed8;
    const int frames = isIcon ? std::min(picture.frameCount, 1) : picture.frameCount;
    if (picture.width <= 0 || picture.height <= 0 || picture.width > 0xFFFF ||
        picture.height > 0xFFFF || frames < 1 || !picture.pixels ||
        picture.delaysCs.size() < static_cast<size_t>(frames)) {
        return false;
    }
    // The decoder's buffer becomes the record's: the pixels are not copied.
    record.pixels = picture.pixels.release();
    record.ownsPixels = true;
    record.byteSize = picture.FrameBytes() * static_cast<size_t>(frames);
    record.width = static_cast<uint16_t>(picture.width);
    record.height = static_cast<uint16_t>(picture.height);
    record.frameCount = frames;
    record.framesPerRow = 1;
    const bool transparent =
        indexed ? picture.transparentIndex >= 0 : picture.transparentColor.has_value();
    record.flags =
        (transparent ? kImageHasKey : 0) | (!indexed && picture.hasAlpha ? kImageAlpha : 0);
    if (frames > 1) {
        record.delays = new (std::nothrow) int32_t[static_cast<size_t>(frames)];
        if (record.delays == nullptr) {
            ReleaseImageRecord(record);
            return false;
        }
        record.flags |= kImageDelays;
        for (int f = 0; f < frames; ++f) {
            const int64_t ms = int64_t{picture.delaysCs[static_cast<size_t>(f)]} * 10;
            record.delays[f] = ms == 0
                                   ? kEmptyFrameDelayMs
                                   : static_cast<int32_t>(std::clamp<int64_t>(ms, 1, INT32_MAX));
        }
    }
    if (indexed) {
        if (!StoreIndexedFrames(picture, record)) {
            ReleaseImageRecord(record);
            return false;
        }
    } else {
        StoreTrueColourFrames(picture, record);
    }
    return true;
}

// --- PaintModule ---

PaintModule::PaintModule() = default;

PaintModule::~PaintModule() {
    // Uninit normally emptied the cache; without it the records are released
    // here (the painter's own FreeImageRecord is gone by now).
    for (auto& [key, record] : cache_) {
        ReleaseImageRecord(*record);
    }
    cache_.clear();
}

int PaintModule::Init() {
    displayDepth_ = platform::DisplayDepth();
    if (GetResourceModule() == nullptr) {
        return 0;
    }
    FreeCache();  // a module loaded again without Uninit
    recordPool_.Destroy();
    return recordPool_.Init(sizeof(ImageRecord), kRecordsPerBlock) ? 1 : 0;
}

int PaintModule::Uninit() {
    FreeCache();
    recordPool_.Reset();
    recordPool_.Destroy();
    return 1;
}

int PaintModule::Tick() {
    DrainMessages();
    CountFrame(GetLastTickTime());
    return 1;
}

int PaintModule::HandleMessage(int id, void* p, int) {
    if (id == kMsgDrawFrame) {
        DrawFrame(static_cast<FrameDrawRecord*>(p));
    } else if (id == kMsgFreeCanvasRecord && p != nullptr) {
        auto* record = static_cast<ImageRecord*>(p);
        FreeImageRecord(record);
        delete record;
    }
    return 0;
}

void PaintModule::CountFrame(uint32_t now) {
    // Only "fewer than kRateWindow" matters, so the count stops there and
    // never wraps.
    if (framesCounted_ < kRateWindow) {
        ++framesCounted_;
    }
    const uint32_t dt = now - lastFrameTime_;
    const double rate = dt == 0 ? kInstantRateCap : 1000.0 / dt;
    if (framesCounted_ < kRateWindow) {
        frameRateSum_ += rate;
    } else {
        frameRateSum_ = frameRateSum_ - frameRateSum_ * 0.01 + rate;
    }
    lastFrameTime_ = now;
}

double PaintModule::GetFrameRate() const {
    if (framesCounted_ == 0) {
        return 0.0;
    }
    return framesCounted_ < kRateWindow ? frameRateSum_ / framesCounted_ : frameRateSum_ * 0.01;
}

FrameRecord PaintModule::GetImageFrameInfo(std::string_view name, int frame) {
    std::string full(name);
    full += kImageCacheSuffix;
    FrameRecord state;
    ImageRecord* record = FindImage(full);
    if (record == nullptr || record->frameCount < 1) {
        return state;
    }
    state.serial = record->serial;
    state.record = record;
    state.width = record->width;
    state.height = record->height;
    state.frame = PositiveModulo(frame, record->frameCount);
    state.keyColor = kNoKeyColor;
    state.key = GetResKey(full);
    return state;
}

ImageRecord* PaintModule::FindImage(std::string_view fullName) {
    const ResKey key = GetResKey(fullName);
    if (ImageRecord* record = FindCached(key)) {
        return record;
    }
    return LoadImageResource(key) != 0 ? FindCached(key) : nullptr;
}

int PaintModule::LoadImage(std::string_view fullName) {
    return LoadImageResource(GetResKey(fullName));
}

int PaintModule::AddImage(const ImageRecord* source, std::string_view name) {
    if (source == nullptr) {
        return 0;
    }
    ImageRecord copy;
    CopyImageRecord(copy, *source);
    if (copy.frameCount < 1) {
        FreeImageRecord(&copy);
        return 0;
    }
    return CacheImage(GetImageCacheKey(name), copy);
}

int PaintModule::DecodeImage(const uint8_t* data, size_t size, uint32_t extensionHash,
                             ImageRecord& record) {
    ReleaseImageRecord(record);
    for (const ExtensionFormat& entry : ExtensionFormats()) {
        if (entry.hash != extensionHash) {
            continue;
        }
        if (!entry.format) {
            return DecodePps(data, size, record);
        }
        platform::DecodedPicture picture;
        std::string error;
        if (!platform::DecodePicture(data, size, *entry.format, picture, error)) {
            EngineLog("decode image failed: %s", error.c_str());
            return 0;
        }
        return StoreDecodedPicture(std::move(picture),
                                   *entry.format == platform::PictureFormat::Ico, record)
                   ? 1
                   : 0;
    }
    return 0;
}

int PaintModule::DecodePps(const uint8_t* data, size_t size, ImageRecord& record) {
    if (data == nullptr || DecodePpsImage(data, size, record) == 0) {
        return 0;
    }
    if ((record.flags & kImagePpsBlock) != 0) {
        ReleaseImageRecord(record);
        return 0;
    }
    return 1;
}

int PaintModule::CacheImage(const ResKey& key, ImageRecord& record) {
    record.serial = static_cast<uint32_t>(++serialCounter_);
    record.time = GetLastTickTime();
    // The first record under a key stays; a second one would only strand
    // its unit and its buffers.
    void* unit = cache_.count(key) == 0 ? recordPool_.Alloc(sizeof(ImageRecord)) : nullptr;
    if (unit == nullptr) {
        FreeImageRecord(&record);
        return 0;
    }
    cache_.emplace(key, new (unit) ImageRecord(std::exchange(record, ImageRecord{})));
    return 1;
}

void PaintModule::RemoveImage(std::string_view name) {
    auto it = cache_.find(GetImageCacheKey(name));
    if (it == cache_.end()) {
        return;
    }
    FreeImageRecord(it->second);
    recordPool_.Free(it->second);
    cache_.erase(it);
}

int PaintModule::RefreshImage(CImageFrameView& view) {
    const uint32_t refreshed = view.GetRefreshTime();
    if (refreshed == 0 || refreshed == 1) {
        return 0;
    }
    const uint32_t now = Now();
    if (now - refreshed < kRefreshSpacingMs) {
        return 0;
    }
    view.SetRefreshTime(now);
    FrameRecord state = view.GetFrameInfo();
    // A record already cached is taken for the next frame; one decoded now
    // may be drawn in this one.
    ImageRecord* record = FindCached(state.key);
    const bool cached = record != nullptr;
    if (!cached && LoadImageResource(state.key) != 0) {
        record = FindCached(state.key);
    }
    if (record == nullptr) {
        return 0;
    }
    // The view takes the record's serial too, so that it is current again.
    state.record = record;
    state.serial = record->serial;
    view.SetFrameInfo(state);
    return cached ? 0 : 1;
}

bool PaintModule::HasImage(std::string_view name) const {
    return FindCached(GetImageCacheKey(name)) != nullptr;
}

uint32_t PaintModule::Now() const {
    GameCore* core = GetCore();
    return core != nullptr ? core->GetTime() : GetLastTickTime();
}

ResourceModule* PaintModule::GetResourceModule() const {
    return dynamic_cast<ResourceModule*>(FindModule(kResourceModuleId));
}

ImageRecord* PaintModule::FindCached(const ResKey& key) const {
    auto it = cache_.find(key);
    return it == cache_.end() ? nullptr : it->second;
}

void PaintModule::FreeCache() {
    for (auto& [key, record] : cache_) {
        FreeImageRecord(record);
    }
    cache_.clear();
}
