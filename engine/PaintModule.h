#pragma once
// The paint module (id 1003): the cache of decoded pictures, the decoders
// that fill it from the resource module's bytes, the frame queries of
// pictures, the frame rate, and the drawing operations that a concrete
// painter (GdiPaintModule) implements.
//
// Rules:
//  - A picture called by its plain name ("x.png") is cached under the key
//    of the name plus ".imge"; operations that take a full name take the
//    name with the suffix already there.
//  - Each record put into the cache takes the next serial (never reused);
//    the first record under a key stays, a later one is freed at once.
//  - Cached records live in pool units until RemoveImage or Uninit; a view
//    that still points at a removed record sees another serial and asks
//    for a refresh instead of drawing it.
//  - Frame numbers are reduced with a non-negative modulo of the frame count.
//  - Init needs the resource module; everything runs on the UI thread.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "engine/Blitter.h"
#include "engine/FrameDrawRecord.h"
#include "engine/ImageRecord.h"
#include "engine/MemPool.h"
#include "engine/ModuleBase.h"
#include "engine/ResKey.h"
#include "platform/ImageDecoder.h"

class ResourceModule;

// Messages of the paint module.
inline constexpr int kMsgPresent = 1034;           // p: target surface or null (the window)
inline constexpr int kMsgFreeCanvasRecord = 1035;  // p: a heap ImageRecord, freed here

// The cache suffix of pictures called by their plain name.
inline constexpr const char* kImageCacheSuffix = ".imge";
// The key colour of a frame state that asks for no tint.
inline constexpr uint32_t kNoKeyColor = 0xFF00FF;

// Fills a record (released first) from a decoded picture, taking over its
// pixel buffer as it is: flags, size, palette, colour key, frames one under
// the other and their delays (a delay of 0 becomes 40 ms). An icon keeps
// only its first frame. False, with the record released, for a size over
// 65535, a picture without pixels or when memory runs out.
bool StoreDecodedPicture(platform::DecodedPicture&& picture, bool isIcon, ImageRecord& record);

class PaintModule : public ModuleBase {
public:
    PaintModule();
    ~PaintModule() override;

    int Init() override;
    int Uninit() override;
    int Tick() override;
    int GetModuleID() const override { return kPaintModuleId; }
    const char* GetModuleName() const override { return "PaintModule"; }
    // 1033 draws the frame, 1035 frees a canvas record; answers 0.
    int HandleMessage(int id, void* p, int n) override;
    uint32_t GetMaxQueue() const override { return 999999; }

    // Frames a second, smoothed over the last hundred or so; 0 before the
    // first frame.
    virtual double GetFrameRate() const;
    // (Re)makes the back buffers; false when the size is refused.
    virtual bool SetBufferSize(int width, int height) = 0;
    // Draws one frame and releases it (message 1033).
    virtual void DrawFrame(FrameDrawRecord* frame) = 0;
    virtual void DrawItem(const DrawRecord& node, Drawable* drawable) = 0;
    // The frame state of frame `frame` of the picture called `name` (plain
    // name), loaded when not cached yet; zeroed (record null) when missing.
    virtual FrameRecord GetImageFrameInfo(std::string_view name, int frame);
    // The cached record of a full name, loaded on a miss; null when missing.
    virtual ImageRecord* FindImage(std::string_view fullName);
    // Decodes the resource of the key and caches it; 1 or 0.
    virtual int LoadImageResource(const ResKey& key) = 0;
    virtual int LoadImage(std::string_view fullName);
    // Caches a deep copy of the record under the plain name; 1 when it was
    // cached, 0 for a null source, an existing entry or too little memory.
    virtual int AddImage(const ImageRecord* source, std::string_view name);
    // Draws a frame into the background layer with its top-left corner at
    // (x, y); 1 when there was a picture to draw.
    virtual int DrawImageToBackground(const FrameRecord& state, int x, int y, int width, int height,
                                      double angle) = 0;
    // Every background pixel becomes the colour (0x00BBGGRR) at alpha 255;
    // answers the pixel as 0xFFRRGGBB.
    virtual uint32_t FillBackground(uint32_t color) = 0;
    // The background layer as a blitter target; the depth word holds the
    // display depth in bits.
    virtual TargetSurface GetBackgroundSurface() const = 0;
    virtual int GetBufferWidth() const { return bufferWidth_; }
    virtual int GetBufferHeight() const { return bufferHeight_; }
    // Decodes `size` bytes of a picture whose extension has the given hash
    // (GetNameHash of ".png" and the like) into the record; 1 or 0.
    virtual int DecodeImage(const uint8_t* data, size_t size, uint32_t extensionHash,
                            ImageRecord& record);
    // The pps decoder; 0 also for a picture with a pps block (flag 0x2).
    virtual int DecodePps(const uint8_t* data, size_t size, ImageRecord& record);
    virtual void CopyImageRecord(ImageRecord& destination, const ImageRecord& source) = 0;
    virtual int GetSerialCounter() const { return serialCounter_; }
    // Gives the record the next serial and the current time and caches it
    // under the key; the cache owns its buffers from now on. 1 when cached;
    // 0 when the key was taken (the record's buffers are freed) or no pool
    // unit is left.
    virtual int CacheImage(const ResKey& key, ImageRecord& record);
    virtual void RemoveImage(std::string_view name);
    // Points a view whose record went stale at the current record of its
    // key, loading it when needed; at most once a second per view, never for
    // a view whose refresh time is 0 or 1. 1 when the view may be drawn in
    // this frame: its record was decoded now; a record found in the cache is
    // taken for the next frame and answers 0.
    virtual int RefreshImage(CImageFrameView& view);
    // Frees the record's buffers and zeroes it; null is ignored.
    virtual void FreeImageRecord(ImageRecord* record) = 0;

    // Whether a picture is cached under the plain name (nothing is loaded).
    bool HasImage(std::string_view name) const;
    size_t CachedImageCount() const { return cache_.size(); }
    int GetDisplayDepth() const { return displayDepth_; }

protected:
    // Engine time in ms: the core's clock, or the last tick without a core.
    uint32_t Now() const;
    ResourceModule* GetResourceModule() const;
    void SetBufferSizeFields(int width, int height) {
        bufferWidth_ = width;
        bufferHeight_ = height;
    }
    void SetViewCentre(int x, int y) {
        viewX_ = x;
        viewY_ = y;
    }
    int GetViewX() const { return viewX_; }
    int GetViewY() const { return viewY_; }
    ImageRecord* FindCached(const ResKey& key) const;

private:
    void CountFrame(uint32_t now);
    void FreeCache();

    int displayDepth_ = 0;
    int bufferWidth_ = 0;
    int bufferHeight_ = 0;
    uint32_t lastFrameTime_ = 0;
    double frameRateSum_ = 0.0;
    uint32_t framesCounted_ = 0;
    int viewX_ = 0;
    int viewY_ = 0;
    int serialCounter_ = 1;
    std::map<ResKey, ImageRecord*, ResKeyLess> cache_;
    CMemPool recordPool_;
};

// The cache key of a picture called by its plain name.
ResKey GetImageCacheKey(std::string_view name);
