#include "engine/CorvanePicture.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "engine/ObjectModule.h"
#include "tests/engine/ImageRecordFactory.h"
#include "tests/engine/PaintTestSupport.h"

namespace {

constexpr int kSceneWidth = 40;
constexpr int kSceneHeight = 30;
// Frame f of the strip is one colour (as 0xAARRGGBB).
constexpr uint32_t kFrameColors[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};

// Three 4 x 2 frames, delays 10, 20 and 30 ms.
void MakeStrip(ImageRecord& r) {
    Make32(r, 4, 2, 3, 0, [](int, int y) { return kFrameColors[y / 2]; });
    SetDelays(r, {10, 20, 30});
}

class PictureSceneTest : public PaintTest {
protected:
    ~PictureSceneTest() override { core.reset(); }

    void SetUp() override {
        platform::RegisterWindowClass("PictureTestWindow");
        ASSERT_TRUE(window.Create("PictureTestWindow"));
        surface = std::make_unique<platform::WindowSurface>(window.Id());
        surface->Resize(kSceneWidth, kSceneHeight);
        Boot(window.Id());
        objects = new ObjectModule;
        ASSERT_EQ(core->LoadModule(objects, 1, 0), kEngineOk);
        ASSERT_TRUE(paint->SetBufferSize(kSceneWidth, kSceneHeight));
        objects->SetSceneCentre(kSceneWidth / 2, kSceneHeight / 2);
        objects->SetSceneSize(kSceneWidth, kSceneHeight);
        OwnedRecord strip;
        MakeStrip(*strip);
        ASSERT_EQ(paint->AddImage(&*strip, "strip"), 1);
    }

    // A registered, shown picture of the cached strip.
    CCorvanePicture* Place(double x, double y) {
        auto* picture = new CCorvanePicture;
        picture->SetImage(paint->GetImageFrameInfo("strip", 0), 1);
        objects->RegisterObject(picture, nullptr);
        picture->SetPos(x, y);
        picture->Show();
        picture->Invalidate();
        return picture;
    }

    void Frame() {
        time.AdvanceMs(11);
        core->RunFrame();
    }
    uint32_t Output(int x, int y) const {
        return PixelOf(paint->GetOutputPixels(), kSceneWidth, x, y);
    }

    platform::Window window;
    std::unique_ptr<platform::WindowSurface> surface;
    ObjectModule* objects = nullptr;
};

}  // namespace

TEST_F(PictureSceneTest, APictureShowsTheFrameItIsSwitchedTo) {
    CCorvanePicture* picture = Place(10, 6);  // x 8..11, y 5..6
    EXPECT_EQ(picture->GetType(), kKindPicture);
    EXPECT_EQ(picture->GetDrawable(), &picture->GetFrameView());
    EXPECT_EQ(picture->GetWidth(), 4.0);  // sized by the image
    EXPECT_EQ(picture->GetHeight(), 2.0);
    EXPECT_EQ(picture->GetFrameCount(), 3);
    Frame();
    EXPECT_EQ(Output(8, 5), kFrameColors[0]);
    EXPECT_EQ(Output(11, 6), kFrameColors[0]);

    EXPECT_EQ(picture->SetFrame(1), 20);
    picture->Invalidate();
    Frame();
    EXPECT_EQ(Output(8, 5), kFrameColors[1]);

    // Only the low 16 bits of a frame number count.
    EXPECT_EQ(picture->SetFrame(0x10002), 30);
    EXPECT_EQ(picture->GetFrame(), 2);
    EXPECT_EQ(picture->GetFrameDelay(0x30000), 10);
    picture->SetFrame(-1);  // 0xFFFF, which is 0 modulo 3
    EXPECT_EQ(picture->GetFrame(), 0);
    EXPECT_EQ(picture->NextFrame(), 20);
    picture->SetFrameByTime(35, 0);  // 10 + 20 + 30 passes 35 in frame 2
    EXPECT_EQ(picture->GetFrame(), 2);

    // A new image without resizing keeps the object's size; the tint goes
    // into the frame state.
    picture->SetSize(8, 4);
    picture->SetImage(paint->GetImageFrameInfo("strip", 2), 0);
    picture->SetKeyColor(0x80FFFFFF);
    EXPECT_EQ(picture->GetWidth(), 8.0);
    EXPECT_EQ(picture->GetFrameInfo().keyColor, 0x80FFFFFFu);
    picture->SetKeyColor(kNoTint);
    Frame();
    EXPECT_EQ(Output(6, 4), kFrameColors[2]);  // twice as large: x 6..13, y 4..7
    EXPECT_EQ(Output(13, 7), kFrameColors[2]);

    // The cached image goes away: the picture shows nothing and answers as
    // having no picture.
    paint->RemoveImage("strip");
    picture->Invalidate();
    Frame();
    EXPECT_EQ(Output(8, 5), 0u);
    EXPECT_EQ(picture->GetFrameCount(), 0);
    EXPECT_EQ(picture->SetFrame(1), 0);
    EXPECT_EQ(picture->GetDurationBetween(0, 2), 0);
}

TEST(CorvanePicture, DurationsBetweenFramesGoRoundTheCount) {
    OwnedRecord strip;
    MakeStrip(*strip);
    CCorvanePicture picture;
    picture.SetImage(WholeFrame(*strip), 1);
    EXPECT_EQ(picture.GetTotalDuration(), 60);
    EXPECT_EQ(picture.GetDurationBetween(0, 2), 30);
    EXPECT_EQ(picture.GetDurationBetween(1, 1), 0);
    EXPECT_EQ(picture.GetDurationBetween(2, 1), 30 + 10);  // 2, 0
    EXPECT_EQ(picture.GetDurationBetween(1, 5), 20 + 30 + 10 + 20);
    EXPECT_EQ(picture.GetDurationBetween(-1, 1), 30 + 10);
    // Far ends cost one round and never overflow.
    EXPECT_EQ(picture.GetDurationBetween(0, 3000), 60000);
    EXPECT_EQ(picture.GetDurationBetween(INT_MIN, INT_MAX), INT_MAX);

    CCorvanePicture empty;
    EXPECT_EQ(empty.GetDurationBetween(0, 5), 0);
    EXPECT_EQ(empty.SetFrame(3), 0);
    EXPECT_EQ(empty.GetFrameCount(), 0);
}
