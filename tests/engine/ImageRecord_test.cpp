#include "engine/ImageRecord.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/engine/ImageRecordFactory.h"

namespace {

// Frame f's pixel (x, y): blue x, green y, red f, alpha 255 except on the
// diagonal x == y (alpha 0).
uint32_t FramePattern(int x, int fullY, int height) {
    const int frame = fullY / height;
    const int y = fullY % height;
    const uint32_t alpha = x == y ? 0 : 255;
    return static_cast<uint32_t>(x) | static_cast<uint32_t>(y) << 8 |
           static_cast<uint32_t>(frame) << 16 | alpha << 24;
}

class AnimatedViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        Make32(*picture, 4, 3, 3, 0, [](int x, int y) { return FramePattern(x, y, 3); });
        SetDelays(*picture, {100, 100, 100});
        picture->delays[2] = 70;
        picture->serial = 9;
        view.SetFrameInfo(WholeFrame(*picture));
    }

    OwnedRecord picture;
    CImageFrameView view;
};

TEST_F(AnimatedViewTest, SetFrameWrapsMarksAndAnswersTheDelay) {
    EXPECT_EQ(view.SetFrame(5), 70);
    EXPECT_EQ(view.GetFrame(), 2);
    EXPECT_TRUE(picture->flags & kImageChanged);

    view.ClearChanged();
    EXPECT_EQ(view.SetFrame(2), 70);  // same frame: not marked again
    EXPECT_FALSE(picture->flags & kImageChanged);

    EXPECT_EQ(view.SetFrame(-1), 70);  // non-negative modulo
    FrameRecord copied = WholeFrame(*picture);
    copied.frame = -1;  // a state copied for a negative frame shows frame 2
    view.SetFrameInfo(copied);
    EXPECT_EQ(view.SetFrame(2), 70);
    EXPECT_FALSE(picture->flags & kImageChanged);
    EXPECT_EQ(view.SetFrame(-5), 100);
    EXPECT_EQ(view.GetFrame(), 1);
    EXPECT_EQ(view.GetFrameDelay(-1), 70);
    EXPECT_EQ(view.GetFrameDelay(8), 70);
    EXPECT_EQ(view.GetTotalDuration(), 270);

    view.ClearChanged();
    EXPECT_EQ(view.NextFrame(), 70);
    EXPECT_EQ(view.NextFrame(), 100);
    EXPECT_EQ(view.GetFrame(), 0);
    EXPECT_FALSE(picture->flags & kImageChanged);  // NextFrame leaves the mark alone
}

TEST_F(AnimatedViewTest, SetFrameByTimeWalksTheDelaysFromTheStart) {
    picture->delays[2] = 100;
    EXPECT_EQ(view.SetFrameByTime(250, 0), 2);
    EXPECT_EQ(view.GetFrame(), 2);
    EXPECT_EQ(view.SetFrameByTime(550, 0), 0);  // frame 2 already shown: answers the start
    EXPECT_EQ(view.SetFrameByTime(350, 0), 0);  // 350 mod 300 falls on frame 0
    EXPECT_EQ(view.GetFrame(), 0);
    EXPECT_EQ(view.SetFrameByTime(150, 1), 2);  // frames 1 and 2 from start 1
    EXPECT_EQ(view.SetFrameByTime(50, 1), 1);   // wraps round to frame 1
    EXPECT_EQ(view.GetFrame(), 1);

    for (int i = 0; i < 3; ++i) {
        picture->delays[i] = 0;
    }
    EXPECT_EQ(view.SetFrameByTime(250, 2), 2);  // total 0: nothing found
    EXPECT_EQ(view.GetFrame(), 1);
}

TEST_F(AnimatedViewTest, FewerThanTwoFramesChangeNothing) {
    picture->frameCount = 1;
    EXPECT_EQ(view.SetFrame(1), 0);
    EXPECT_EQ(view.NextFrame(), 0);
    EXPECT_EQ(view.SetFrameByTime(500, 4), 4);
    EXPECT_EQ(view.GetFrame(), 0);
}

TEST_F(AnimatedViewTest, ReleasedOrReplacedRecordAnswersAsNoRecord) {
    view.SetFrame(1);
    CImageFrameView stale;
    FrameRecord state = WholeFrame(*picture);
    state.serial = 8;  // remembers an older picture
    stale.SetFrameInfo(state);
    EXPECT_EQ(stale.IsCurrent(), 0);
    EXPECT_EQ(stale.HitTest(1, 0), 0);
    EXPECT_EQ(stale.SetFrame(2), 0);
    EXPECT_EQ(stale.GetFrame(), 0);

    ReleaseImageRecord(*picture);  // the view still points at the zeroed record
    EXPECT_EQ(view.IsCurrent(), 0);
    for (CImageFrameView* v : {&view, &stale}) {
        EXPECT_EQ(v->HitTest(1, 0), 0);
        EXPECT_EQ(v->GetAlphaAt(1, 0), 0);
        EXPECT_EQ(v->GetPixelColor(1, 0), 0u);
        EXPECT_EQ(v->SetFrame(2), 0);
        EXPECT_EQ(v->NextFrame(), 0);
        EXPECT_EQ(v->GetFrameDelay(1), 0);
        EXPECT_EQ(v->GetFrameCount(), 0);
        EXPECT_EQ(v->GetColorKey(), kDefaultColorKey);
    }

    // A never-cached record (serial 0) that was released looks the same.
    CImageFrameView uncached;
    state.serial = 0;
    uncached.SetFrameInfo(state);
    EXPECT_EQ(uncached.SetFrame(3), 0);
    EXPECT_EQ(uncached.SetFrameByTime(100, 1), 1);
    EXPECT_EQ(uncached.GetTotalDuration(), 0);
}

TEST(ImageFrameViewTest, EmptyViewAnswersDefaults) {
    CImageFrameView view;
    EXPECT_EQ(view.GetRecord(), nullptr);
    EXPECT_EQ(view.IsHidden(), 0);
    EXPECT_EQ(view.IsCurrent(), 0);
    EXPECT_EQ(view.HitTest(0, 0), 0);
    EXPECT_EQ(view.GetFrameCount(), 0);
    EXPECT_EQ(view.GetSliceX(), 0);
    EXPECT_EQ(view.GetRefreshTime(), 0u);
    EXPECT_EQ(view.GetColorKey(), kDefaultColorKey);
    view.MarkChanged();  // no record: nothing to mark
}

TEST(ImageFrameViewTest, HitTestFollowsEachPixelFormat) {
    OwnedRecord rgba;
    Make32(*rgba, 4, 3, 3, kImageAlpha, [](int x, int y) { return FramePattern(x, y, 3); });
    CImageFrameView view;
    view.SetFrameInfo(WholeFrame(*rgba));
    EXPECT_EQ(view.HitTest(0, 0), 0);  // diagonal: alpha 0
    EXPECT_EQ(view.HitTest(1, 0), 1);
    EXPECT_EQ(view.GetAlphaAt(1, 1), 0);
    EXPECT_EQ(view.GetPixelColor(2, 1), 0x020100u);  // blue 2, green 1, red 0

    OwnedRecord oneByte;
    MakeIndexed(*oneByte, 3, 2, 1, false, 4, 8, [](int x, int y) { return x + y * 3; });
    view.SetFrameInfo(WholeFrame(*oneByte));
    EXPECT_EQ(view.HitTest(1, 1), 0);  // index 4 is the key
    EXPECT_EQ(view.HitTest(2, 1), 1);
    EXPECT_EQ(view.GetAlphaAt(1, 1), 0);
    EXPECT_EQ(view.GetAlphaAt(0, 1), 255);
    EXPECT_EQ(view.GetPixelColor(2, 1), FactoryPaletteColor(5));

    OwnedRecord twoBytes;
    MakeIndexed(*twoBytes, 3, 1, 1, true, 1, 8, [](int x, int) {
        const uint32_t alpha[] = {0, 200, 90};
        return static_cast<uint32_t>(x) | alpha[x] << 8;
    });
    view.SetFrameInfo(WholeFrame(*twoBytes));
    EXPECT_EQ(view.HitTest(0, 0), 0);  // alpha 0
    EXPECT_EQ(view.HitTest(1, 0), 0);  // the key, whatever its alpha
    EXPECT_EQ(view.HitTest(2, 0), 1);
    EXPECT_EQ(view.GetAlphaAt(2, 0), 90);
    EXPECT_EQ(view.GetAlphaAt(1, 0), 200);
}

TEST(ImageFrameViewTest, NoKeyIndexMeansOpaqueAndShortPaletteReadsBlack) {
    OwnedRecord picture;
    MakeIndexed(*picture, 4, 2, 1, false, kNoColorKeyIndex, 3,
                [](int x, int y) { return static_cast<uint32_t>(x * 60 + y); });
    CImageFrameView view;
    view.SetFrameInfo(WholeFrame(*picture));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(view.GetAlphaAt(x, y), 255);
            EXPECT_EQ(view.HitTest(x, y), 1);
        }
    }
    EXPECT_EQ(view.GetPixelColor(0, 1), FactoryPaletteColor(1));
    EXPECT_EQ(view.GetPixelColor(1, 0), 0u);  // index 60 is past the 3 entries
}

TEST(ImageFrameViewTest, QueriesStayInsideFrameStateAndRecord) {
    OwnedRecord picture;
    Make32(*picture, 4, 3, 2, 0, [](int x, int y) { return FramePattern(x, y, 3); });
    CImageFrameView view;
    FrameRecord state = WholeFrame(*picture);
    state.width = 2;
    state.height = 2;
    state.frame = 1;
    view.SetFrameInfo(state);
    EXPECT_EQ(view.HitTest(1, 0), 1);
    EXPECT_EQ(view.HitTest(3, 0), 0);  // inside the picture, outside the state
    EXPECT_EQ(view.HitTest(-1, 0), 0);
    EXPECT_EQ(view.GetPixelColor(3, 2), 0x030201u);  // frame 1, unshifted

    state.offsetX = 2;
    state.offsetY = 1;
    view.SetFrameInfo(state);
    EXPECT_EQ(view.HitTest(0, 0), 1);  // pixel (2, 1)
    EXPECT_EQ(view.HitTest(0, 1), 0);  // pixel (2, 2): the diagonal
    view.SetSize(10, 10);              // larger than the picture
    EXPECT_EQ(view.HitTest(1, 1), 1);  // pixel (3, 2)
    EXPECT_EQ(view.HitTest(2, 0), 0);  // pixel (4, 1): past the frame
    EXPECT_EQ(view.HitTest(0, 2), 0);  // pixel (2, 3): would be the next frame
    EXPECT_EQ(view.GetAlphaAt(4, 0), 0);
    EXPECT_EQ(view.GetAlphaAt(0, 3), 0);
    EXPECT_EQ(view.GetPixelColor(-1, 0), 0u);

    picture->byteSize -= 4;  // the last pixel is missing
    EXPECT_EQ(view.GetAlphaAt(3, 2), 0);
    EXPECT_EQ(view.GetAlphaAt(2, 2), 0);  // diagonal, present
    EXPECT_EQ(view.GetAlphaAt(1, 2), 255);
}

TEST(ImageFrameViewTest, GridFramesUseRowAndColumn) {
    OwnedRecord grid;
    // Frames of 2x2 in a grid of 3 columns; frame f = row * 3 + column.
    MakeGrid(*grid, 2, 2, 5, 3, [](int x, int y) {
        const int frame = (y / 2) * 3 + x / 2;
        return static_cast<uint32_t>(frame) << 16 | (frame == 4 ? 0u : 255u) << 24 |
               static_cast<uint32_t>(x % 2) | static_cast<uint32_t>(y % 2) << 8;
    });
    CImageFrameView view;
    FrameRecord state = WholeFrame(*grid);
    view.SetFrameInfo(state);
    view.SetFrame(4);
    EXPECT_EQ(view.GetPixelColor(1, 1), 0x010104u);
    EXPECT_EQ(view.HitTest(1, 1), 0);
    view.SetFrame(2);
    EXPECT_EQ(view.GetPixelColor(1, 0), 0x010002u);
    EXPECT_EQ(view.HitTest(1, 0), 1);
}

TEST(ImageRecordTest, CopySharesOrCopiesPixelsAndOwnsTheRest) {
    OwnedRecord source;
    MakeIndexed(*source, 3, 2, 2, false, 1, 5, [](int x, int y) { return x + y; });
    SetDelays(*source, {40, 60});
    source->serial = 3;
    source->sliceX = -2;

    OwnedRecord shallow;
    ASSERT_TRUE(CopyImageRecord(*shallow, *source, false));
    EXPECT_EQ(shallow->pixels, source->pixels);
    EXPECT_FALSE(shallow->ownsPixels);
    EXPECT_NE(shallow->palette, source->palette);
    EXPECT_NE(shallow->delays, source->delays);
    EXPECT_EQ(shallow->delays[1], 60);
    EXPECT_EQ(std::memcmp(shallow->palette, source->palette, kPaletteBytes), 0);
    EXPECT_EQ(shallow->serial, 3u);
    EXPECT_EQ(shallow->sliceX, -2);

    OwnedRecord deep;
    ASSERT_TRUE(CopyImageRecord(*deep, *shallow, true));  // replaces nothing yet
    ASSERT_TRUE(CopyImageRecord(*deep, *source, true));   // frees its own first
    EXPECT_NE(deep->pixels, source->pixels);
    EXPECT_TRUE(deep->ownsPixels);
    EXPECT_EQ(std::memcmp(deep->pixels, source->pixels, source->byteSize), 0);

    // Releasing the shallow copy leaves the source's pixels alone.
    ReleaseImageRecord(*shallow);
    EXPECT_EQ(shallow->pixels, nullptr);
    EXPECT_EQ(source->pixels[5], 3);
    FreeImageRecord(nullptr);
}

TEST(ImageRecordTest, DuplicateForcesOneFramePerRow) {
    OwnedRecord source;
    Make32(*source, 2, 2, 2, kImageHasKey, [](int x, int y) { return x * 16 + y; });
    SetDelays(*source, {10, 20});
    source->time = 77;
    source->reserved = 5;
    source->framesPerRow = 0;

    OwnedRecord withoutPixels;
    ASSERT_TRUE(DuplicateImageRecord(*source, *withoutPixels, false));
    EXPECT_EQ(withoutPixels->pixels, nullptr);
    EXPECT_EQ(withoutPixels->byteSize, 0u);
    EXPECT_EQ(withoutPixels->framesPerRow, 1);
    EXPECT_EQ(withoutPixels->time, 0u);
    EXPECT_EQ(withoutPixels->reserved, 0u);
    EXPECT_EQ(withoutPixels->delays[1], 20);

    OwnedRecord withPixels;
    ASSERT_TRUE(DuplicateImageRecord(*source, *withPixels, true));
    EXPECT_EQ(withPixels->byteSize, source->byteSize);
    EXPECT_EQ(std::memcmp(withPixels->pixels, source->pixels, source->byteSize), 0);
    EXPECT_EQ(withPixels->flags, source->flags);
}

TEST(ImageRecordTest, ExtractFrameCutsGridFramesAndRefusesIndexedPictures) {
    OwnedRecord grid;
    MakeGrid(*grid, 2, 2, 5, 3, [](int x, int y) { return static_cast<uint32_t>(y * 10 + x); });
    grid->flags = kImageDelays | kImageAlpha;
    grid->sliceY = 3;

    OwnedRecord frame;
    ASSERT_TRUE(ExtractImageFrame(*frame, *grid, 4));  // grid row 1, column 1
    EXPECT_EQ(frame->frameCount, 1);
    EXPECT_EQ(frame->framesPerRow, 1);
    EXPECT_EQ(frame->flags, kImageAlpha);
    EXPECT_EQ(frame->sliceY, 3);
    ASSERT_EQ(frame->byteSize, 16u);
    uint32_t pixels[4];
    std::memcpy(pixels, frame->pixels, sizeof(pixels));
    EXPECT_EQ(pixels[0], 22u);
    EXPECT_EQ(pixels[1], 23u);
    EXPECT_EQ(pixels[2], 32u);
    EXPECT_EQ(pixels[3], 33u);

    ASSERT_TRUE(ExtractImageFrame(*frame, *grid, -1));  // frame 4 again
    std::memcpy(pixels, frame->pixels, 4);
    EXPECT_EQ(pixels[0], 22u);

    OwnedRecord indexed;
    MakeIndexed(*indexed, 2, 2, 1, false, kNoColorKeyIndex, 4, [](int, int) { return 1u; });
    EXPECT_FALSE(ExtractImageFrame(*frame, *indexed, 0));
    EXPECT_EQ(frame->pixels, nullptr);

    grid->byteSize = 48;  // frame 4's rows are missing
    EXPECT_FALSE(ExtractImageFrame(*frame, *grid, 4));
    EXPECT_TRUE(ExtractImageFrame(*frame, *grid, 2));
}

}  // namespace
