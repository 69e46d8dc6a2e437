#include "engine/PaintModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/PpsCodec.h"
#include "tests/engine/ImageRecordFactory.h"
#include "tests/engine/PaintTestSupport.h"

using picture_bytes::Frame;
using platform::DecodedPicture;

namespace {

// A decoded picture one pixel high, its frames' pixels given in order.
DecodedPicture OneRow(platform::PictureLayout layout,
                      const std::vector<std::vector<uint8_t>>& frames) {
    DecodedPicture picture;
    picture.layout = layout;
    picture.width = static_cast<int>(frames[0].size()) / picture.BytesPerPixel();
    picture.height = 1;
    picture.frameCount = static_cast<int>(frames.size());
    picture.delaysCs.assign(frames.size(), 0);
    picture.pixels = std::make_unique<uint8_t[]>(picture.PixelBytes());
    uint8_t* out = picture.pixels.get();
    for (const std::vector<uint8_t>& pixels : frames) {
        out = std::copy(pixels.begin(), pixels.end(), out);
    }
    return picture;
}

DecodedPicture TrueColour(const std::vector<std::vector<uint8_t>>& frames, bool alpha,
                          std::optional<uint32_t> key) {
    DecodedPicture picture = OneRow(platform::PictureLayout::Bgra32, frames);
    picture.hasAlpha = alpha;
    picture.transparentColor = key;
    return picture;
}

DecodedPicture Indexed(const std::vector<uint8_t>& pixels, int key) {
    DecodedPicture picture = OneRow(platform::PictureLayout::Indexed8, {pixels});
    picture.palette = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    picture.transparentIndex = key;
    return picture;
}

class PaintModuleTest : public PaintTest {
protected:
    PaintModuleTest() { Boot(); }
};

}  // namespace

TEST(StoreDecodedPictureTest, TransparencyFlagsFollowThePixels) {
    OwnedRecord r;
    // With alpha, a transparent colour that no pixel has keeps flag 0x1 and
    // the library's alpha values stay.
    ASSERT_TRUE(StoreDecodedPicture(TrueColour({{1, 2, 3, 40}}, true, 0xFFFFFF), false, *r));
    EXPECT_EQ(r->flags, kImageHasKey | kImageAlpha);
    EXPECT_EQ(r->pixels[3], 40);
    // Without alpha the key colour's pixels get alpha 0, the others 255 ...
    ASSERT_TRUE(
        StoreDecodedPicture(TrueColour({{30, 20, 10, 0, 4, 5, 6, 0}}, false, 0x1E140A), false, *r));
    EXPECT_EQ(r->flags, kImageHasKey);
    EXPECT_EQ(r->colorKey, 0x1E140Au);
    EXPECT_EQ(r->pixels[3], 0);
    EXPECT_EQ(r->pixels[7], 255);
    // ... and flag 0x1 goes when no pixel has it.
    ASSERT_TRUE(StoreDecodedPicture(TrueColour({{30, 20, 11, 0}}, false, 0x1E140A), false, *r));
    EXPECT_EQ(r->flags, 0u);

    // Indexed: the key index stays even when unused; 256 for none.
    ASSERT_TRUE(StoreDecodedPicture(Indexed({0, 1}, 2), false, *r));
    EXPECT_EQ(r->flags, kImagePalette);
    EXPECT_EQ(r->colorKey, 2u);
    EXPECT_EQ(r->paletteCount, 3);
    ASSERT_TRUE(StoreDecodedPicture(Indexed({0, 2}, 2), false, *r));
    EXPECT_EQ(r->flags, kImagePalette | kImageHasKey);
    ASSERT_TRUE(StoreDecodedPicture(Indexed({0, 2}, -1), false, *r));
    EXPECT_EQ(r->colorKey, kNoColorKeyIndex);
}

TEST(StoreDecodedPictureTest, FramesDelaysIconsAndRefusals) {
    OwnedRecord r;
    auto threeFrames = [] {
        DecodedPicture picture = TrueColour({{1, 1, 1, 0}, {2, 2, 2, 0}, {3, 3, 3, 0}}, false, {});
        picture.delaysCs[1] = 5;
        return picture;
    };
    DecodedPicture picture = threeFrames();
    const uint8_t* decoded = picture.pixels.get();
    ASSERT_TRUE(StoreDecodedPicture(std::move(picture), false, *r));
    EXPECT_EQ(r->pixels, decoded);  // the decoder's buffer, not a copy
    EXPECT_TRUE(r->ownsPixels);
    EXPECT_EQ(r->flags, kImageDelays);
    EXPECT_EQ(std::vector<int>(r->delays, r->delays + 3), (std::vector<int>{40, 50, 40}));
    EXPECT_EQ(r->pixels[8], 3);                                 // frames one under the other
    ASSERT_TRUE(StoreDecodedPicture(threeFrames(), true, *r));  // an icon keeps one frame
    EXPECT_EQ(r->frameCount, 1);
    EXPECT_EQ(r->byteSize, 4u);
    EXPECT_EQ(r->delays, nullptr);

    picture = threeFrames();
    picture.pixels.reset();
    EXPECT_FALSE(StoreDecodedPicture(std::move(picture), false, *r));
    EXPECT_EQ(r->pixels, nullptr);
    picture = threeFrames();
    picture.delaysCs.pop_back();
    EXPECT_FALSE(StoreDecodedPicture(std::move(picture), false, *r));
    picture = TrueColour({{1, 1, 1, 0}}, false, {});
    picture.width = 70000;
    EXPECT_FALSE(StoreDecodedPicture(std::move(picture), false, *r));
}

TEST_F(PaintModuleTest, FrameRateAveragesThenSettles) {
    EXPECT_EQ(paint->GetFrameRate(), 0.0);
    paint->Update(20);
    paint->Update(40);
    paint->Tick();  // a second frame in the same millisecond
    EXPECT_NEAR(paint->GetFrameRate(), (50.0 + 50.0 + 999.99) / 3, 1e-9);
    for (uint32_t t = 60; t < 10000; t += 20) {
        paint->Update(t);
    }
    EXPECT_NEAR(paint->GetFrameRate(), 50.0, 1.0);
}

TEST_F(PaintModuleTest, PicturesAreDecodedOnceAndAnsweredByName) {
    const picture_bytes::Bytes palette = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    AddPicture("anim.gif", picture_bytes::Gif(
                               2, 1, palette,
                               {Frame({0, 1}, 0, -1), Frame({1, 0}, 5, -1), Frame({2, 1}, 7, -1)}));
    const FrameRecord state = paint->GetImageFrameInfo("anim", 7);
    ASSERT_NE(state.record, nullptr);
    EXPECT_EQ(state.frame, 1);
    EXPECT_EQ(state.serial, 2u);
    EXPECT_EQ(state.record->serial, 2u);
    EXPECT_EQ(state.width, 2);
    EXPECT_EQ(state.keyColor, 0xFF00FFu);
    EXPECT_EQ(state.key, GetResKey("anim.imge"));
    EXPECT_EQ(state.record->flags, kImagePalette | kImageDelays);
    EXPECT_EQ(state.record->delays[1], 50);
    EXPECT_EQ(state.record->pixels[4], 2);  // frame 2, first pixel
    EXPECT_EQ(paint->GetImageFrameInfo("anim", -1).frame, 2);
    EXPECT_EQ(paint->GetImageFrameInfo("anim", 0).record, state.record);
    EXPECT_EQ(paint->CachedImageCount(), 1u);

    const FrameRecord missing = paint->GetImageFrameInfo("nothing", 3);
    EXPECT_EQ(missing.record, nullptr);
    EXPECT_EQ(missing.keyColor, 0u);

    // Removed: a view of the old record is stale, and the next query decodes
    // the picture again under a new serial.
    CImageFrameView view;
    view.SetFrameInfo(state);
    paint->RemoveImage("anim");
    EXPECT_FALSE(paint->HasImage("anim"));
    EXPECT_EQ(view.IsCurrent(), 0);
    EXPECT_EQ(paint->GetImageFrameInfo("anim", 0).serial, 3u);
}

TEST_F(PaintModuleTest, TheFirstRecordUnderAKeyStays) {
    const ResKey key = GetImageCacheKey("pair");
    ImageRecord first;
    Make32(first, 1, 1, 1, 0, [](int, int) { return 0xFF0000FFu; });
    ImageRecord second;
    Make32(second, 1, 1, 1, 0, [](int, int) { return 0xFF00FF00u; });
    EXPECT_EQ(paint->CacheImage(key, first), 1);
    EXPECT_EQ(first.pixels, nullptr);  // the cache owns the buffers now
    EXPECT_EQ(paint->CacheImage(key, second), 0);
    EXPECT_EQ(second.pixels, nullptr);  // freed, not stranded
    EXPECT_EQ(paint->GetSerialCounter(), 3);
    const ImageRecord* cached = paint->FindImage("pair.imge");
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(cached->serial, 2u);
    EXPECT_EQ(cached->pixels[0], 0xFF);

    // AddImage caches a deep copy that outlives its source.
    ImageRecord source;
    Make32(source, 2, 1, 1, kImageAlpha, [](int x, int) { return 0x80000000u + x; });
    EXPECT_EQ(paint->AddImage(&source, "copy"), 1);
    ReleaseImageRecord(source);
    const ImageRecord* copy = paint->FindImage("copy.imge");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->pixels[4], 1);
    EXPECT_EQ(paint->AddImage(copy, "copy"), 0);
    EXPECT_EQ(paint->AddImage(nullptr, "none"), 0);
    EXPECT_EQ(paint->AddImage(&source, "empty"), 0);
}

TEST_F(PaintModuleTest, PpsAndRefusedPictures) {
    OwnedRecord picture;
    Make32(*picture, 2, 2, 1, 0, [](int x, int y) { return 0xFF000000u | (x + 2 * y); });
    size_t size = 0;
    std::unique_ptr<uint8_t[]> file = EncodePps(*picture, nullptr, 6, size);
    ASSERT_NE(file, nullptr);
    AddPicture("shot.pps", picture_bytes::Bytes(file.get(), file.get() + size));
    const FrameRecord state = paint->GetImageFrameInfo("shot", 0);
    ASSERT_NE(state.record, nullptr);
    EXPECT_EQ(state.record->pixels[12], 3);

    // A pps picture with a block is refused and its buffers freed.
    ReleaseImageRecord(*picture);
    picture->width = 1;
    picture->height = 1;
    picture->frameCount = 1;
    picture->flags = kImagePpsBlock;
    picture->colorKey = kNoColorKeyIndex;
    FillPixels(*picture, 1, 1, 1, [](int, int) { return 5u; });
    const uint8_t block[kPpsBlockSize] = {7};
    file = EncodePps(*picture, block, 6, size);
    ASSERT_NE(file, nullptr);
    OwnedRecord out;
    EXPECT_EQ(paint->DecodeImage(file.get(), size, GetNameHash(".pps"), *out), 0);
    EXPECT_EQ(out->pixels, nullptr);

    const picture_bytes::Bytes png = picture_bytes::Png(1, 1, 2, {1, 2, 3});
    EXPECT_EQ(paint->DecodeImage(png.data(), png.size(), GetNameHash(".dat"), *out), 0);
    EXPECT_EQ(paint->DecodeImage(png.data(), png.size(), GetNameHash(".mng"), *out), 0);
    EXPECT_NE(folder.Read("Game20240305.log").find("MNG pictures are not supported"),
              std::string::npos);
    AddPicture("broken.png", picture_bytes::Bytes(png.begin(), png.begin() + 20));
    EXPECT_EQ(paint->GetImageFrameInfo("broken", 0).record, nullptr);
    EXPECT_EQ(paint->CachedImageCount(), 1u);
}

TEST_F(PaintModuleTest, StaleViewsAreRefreshedAtMostOnceASecond) {
    AddPicture("face.png", GradientPng(2, 2, 5));
    CImageFrameView view;
    view.SetFrameInfo(paint->GetImageFrameInfo("face", 0));
    paint->RemoveImage("face");
    const uint32_t now = core->GetTime();
    for (uint32_t refused : {0u, 1u, now - 500}) {
        view.SetRefreshTime(refused);
        EXPECT_EQ(paint->RefreshImage(view), 0);
    }
    EXPECT_EQ(paint->CachedImageCount(), 0u);

    // Decoded again: the view shows the new record and is current again.
    view.SetRefreshTime(now - 1500);
    EXPECT_EQ(paint->RefreshImage(view), 1);
    EXPECT_EQ(view.GetRefreshTime(), now);
    EXPECT_EQ(view.IsCurrent(), 1);
    EXPECT_EQ(view.GetRecord(), paint->FindImage("face.imge"));

    // Replaced in the cache: the view takes the cached record, and its node
    // waits for the next frame (nothing was decoded for this one).
    ImageRecord other;
    Make32(other, 2, 2, 1, 0, [](int, int) { return 0xFF123456u; });
    paint->RemoveImage("face");
    paint->AddImage(&other, "face");
    ReleaseImageRecord(other);
    EXPECT_EQ(paint->RefreshImage(view), 0);
    EXPECT_EQ(view.IsCurrent(), 0) << "refreshed less than a second ago";
    time.AdvanceMs(1000);
    EXPECT_EQ(paint->RefreshImage(view), 0);
    EXPECT_EQ(view.IsCurrent(), 1);
    EXPECT_EQ(view.GetPixelColor(0, 0), 0x563412u);
}

TEST_F(PaintModuleTest, CanvasRecordsAreFreedByTheirMessage) {
    auto* record = new ImageRecord;
    Make32(*record, 4, 4, 1, 0, [](int, int) { return 0u; });
    EXPECT_EQ(core->SendMessage(kPaintModuleId, kMsgFreeCanvasRecord, record, 0), 0);
    EXPECT_EQ(core->SendMessage(kPaintModuleId, kMsgFreeCanvasRecord, nullptr, 0), 0);
    EXPECT_EQ(core->SendMessage(kPaintModuleId, kMsgDrawFrame, nullptr, 0), 0);
}

TEST(PaintModuleInitTest, NeedsTheResourceModule) {
    TempProgramFolder folder;
    GameCore core;
    EXPECT_EQ(core.LoadModule(new GdiPaintModule, 1, 1), kEngineInitFailed);
    EXPECT_EQ(core.GetIntSetting(kPainterSetting), 1);
}
