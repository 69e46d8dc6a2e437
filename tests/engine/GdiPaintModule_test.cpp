#include "engine/GdiPaintModule.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/ObjectModule.h"
#include "tests/engine/ImageRecordFactory.h"
#include "tests/engine/PaintTestSupport.h"
#include "tests/engine/SceneTestSupport.h"

namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;
constexpr uint32_t kBackground = 0xFF102030;  // FillBackground(0x00302010)

// The engine on a real window with its surface, a scene of kWidth x kHeight
// and the painter drawing it.
class GdiPaintTest : public PaintTest {
protected:
    ~GdiPaintTest() override { core.reset(); }

    void Start(int displayDepth = 0) {
        platform::RegisterWindowClass("GdiPaintTestWindow");
        ASSERT_TRUE(window.Create("GdiPaintTestWindow"));
        surface = std::make_unique<platform::WindowSurface>(window.Id());
        surface->Resize(kWidth, kHeight);
        Boot(window.Id(), displayDepth);
        objects = new ObjectModule;
        ASSERT_EQ(core->LoadModule(objects, 1, 0), kEngineOk);
        ASSERT_TRUE(paint->SetBufferSize(kWidth, kHeight));
        objects->SetSceneCentre(kWidth / 2, kHeight / 2);
        objects->SetSceneSize(kWidth, kHeight);
    }

    void Frame() {
        time.AdvanceMs(11);
        core->RunFrame();
    }

    RecordingObject* Place(CImageFrameView& view, double x, double y, double w, double h) {
        auto* object = new RecordingObject;
        object->drawable = &view;
        objects->RegisterObject(object, nullptr);
        object->SetSize(w, h);
        object->SetPos(x, y);
        object->Show();
        object->Invalidate();
        return object;
    }

    uint32_t Output(int x, int y) const { return PixelOf(paint->GetOutputPixels(), kWidth, x, y); }
    uint32_t Background(int x, int y) const {
        return PixelOf(paint->GetBackgroundPixels(), kWidth, x, y);
    }

    int PaintMessages() {
        int count = 0;
        platform::Message m;
        while (platform::PeekMessage(m, platform::PeekMode::Remove)) {
            count += m.id == platform::kMsgPaint && m.window == window.Id();
        }
        return count;
    }

    platform::Window window;
    std::unique_ptr<platform::WindowSurface> surface;
    ObjectModule* objects = nullptr;
    CImageFrameView view;
};

// Colours of GradientPng(4, 2, 7) as 0xAARRGGBB.
constexpr uint32_t kBoxTopLeft = 0xFF010107;
constexpr uint32_t kBoxBottomRight = 0xFF1F0B07;

}  // namespace

TEST_F(GdiPaintTest, FramesAreComposedUploadedInvalidatedAndPresented) {
    Start();
    EXPECT_EQ(core->GetIntSetting(kPainterSetting), 1);
    EXPECT_NE(folder.Read("GameRun.log").find("GDI PaintModule Load!\r\n"), std::string::npos);
    AddPicture("box.png", GradientPng(4, 2, 7));
    paint->FillBackground(0x00302010);
    view.SetFrameInfo(paint->GetImageFrameInfo("box", 0));
    RecordingObject* box = Place(view, 10, 6, 4, 2);  // x 8..11, y 5..6
    PaintMessages();
    Frame();

    EXPECT_EQ(Output(8, 5), kBoxTopLeft);
    EXPECT_EQ(Output(11, 6), kBoxBottomRight);
    EXPECT_EQ(Output(0, 0), 0u);  // never dirty: never drawn
    const platform::PixelRect invalid = surface->InvalidArea();
    EXPECT_LE(invalid.left, 8);
    EXPECT_GE(invalid.right, 12);
    EXPECT_EQ(PaintMessages(), 1);

    // The window shows the frame once it paints.
    EXPECT_EQ(surface->ColorAt(8, 5), 0u);
    core->SendMessage(kPaintModuleId, kMsgPresent, nullptr, 0);
    EXPECT_EQ(surface->ColorAt(8, 5), 0x070101u);
    EXPECT_EQ(surface->ColorAt(11, 6), 0x070B1Fu);

    // Moved: the old place is recomposed from the background.
    box->SetPos(20, 15);
    box->Invalidate();
    Frame();
    EXPECT_EQ(Output(8, 5), kBackground);
    EXPECT_EQ(Output(18, 14), kBoxTopLeft);

    // A view whose picture went away (and is never refreshed) is skipped.
    paint->RemoveImage("box");
    box->Invalidate();
    Frame();
    EXPECT_EQ(Output(18, 14), kBackground);

    // 1034 with a surface paints into that one.
    platform::WindowSurface other(window.Id() + 1000);
    other.Resize(kWidth, kHeight);
    core->SendMessage(kPaintModuleId, kMsgPresent, &other, 0);
    EXPECT_EQ(other.ColorAt(18, 14), 0x302010u);
}

TEST_F(GdiPaintTest, DirtyRectanglesAreClampedBeforeUse) {
    Start();
    EXPECT_EQ(paint->FillBackground(0x000000FF), 0xFFFF0000u);
    const uint8_t* bg = paint->GetBackgroundPixels();
    EXPECT_EQ((std::vector<uint8_t>(bg, bg + 4)), (std::vector<uint8_t>{0, 0, 255, 255}));
    surface->TakeInvalidArea();

    FrameDrawRecord* frame = AllocFrameDrawRecord(3);
    frame->rects[0] = IntRect{-5, -5, 3, 2};
    frame->rects[1] = IntRect{30, 0, 10, 5};  // left > right: empty
    frame->rects[2] = IntRect{38, 28, 60, 90};
    paint->DrawFrame(frame);

    EXPECT_EQ(Output(2, 1), 0xFFFF0000u);
    EXPECT_EQ(Output(3, 1), 0u);
    EXPECT_EQ(Output(0, 2), 0u);
    EXPECT_EQ(Output(20, 2), 0u);
    EXPECT_EQ(Output(39, 29), 0xFFFF0000u);
    EXPECT_EQ(surface->InvalidArea(), (platform::PixelRect{0, 0, kWidth, kHeight}));
    surface->TakeInvalidArea();

    frame = AllocFrameDrawRecord(1);
    frame->rects[0] = IntRect{30, 0, 10, 5};
    paint->DrawFrame(frame);
    EXPECT_TRUE(surface->InvalidArea().IsEmpty());
}

TEST_F(GdiPaintTest, BuffersKeepTheirSizeAndContent) {
    Start();
    paint->FillBackground(0x00302010);
    EXPECT_TRUE(paint->SetBufferSize(kWidth, kHeight));
    EXPECT_EQ(Background(5, 5), kBackground);
    EXPECT_FALSE(paint->SetBufferSize(-1, 10));
    EXPECT_FALSE(paint->SetBufferSize(100000, 10));
    EXPECT_EQ(paint->GetBufferWidth(), kWidth);
    const TargetSurface layer = paint->GetBackgroundSurface();
    EXPECT_EQ(layer.pixels, paint->GetBackgroundPixels());
    EXPECT_EQ(layer.depth, 32);

    ASSERT_TRUE(paint->SetBufferSize(8, 4));
    EXPECT_EQ(PixelOf(paint->GetBackgroundPixels(), 8, 7, 3), 0u);

    // Without buffers a frame is still taken and released.
    ASSERT_TRUE(paint->SetBufferSize(0, 0));
    FrameDrawRecord* frame = AllocFrameDrawRecord(1);
    frame->rects[0] = IntRect{0, 0, 5, 5};
    core->SendMessage(kPaintModuleId, kMsgDrawFrame, frame, 0);
    core->SendMessage(kPaintModuleId, kMsgPresent, nullptr, 0);
    EXPECT_EQ(surface->PresentCount(), 0);
}

TEST_F(GdiPaintTest, PicturesDrawnIntoTheBackgroundAndFromFrameGrids) {
    Start();
    AddPicture("box.png", GradientPng(4, 2, 7));
    paint->FillBackground(0x00302010);
    const FrameRecord box = paint->GetImageFrameInfo("box", 0);
    EXPECT_EQ(paint->DrawImageToBackground(box, 2, 3, 4, 2, 0.0), 1);
    EXPECT_EQ(Background(2, 3), kBoxTopLeft);
    EXPECT_EQ(Background(5, 4), kBoxBottomRight);
    EXPECT_EQ(Background(1, 3), kBackground);
    EXPECT_EQ(Background(6, 4), kBackground);
    EXPECT_EQ(paint->DrawImageToBackground(FrameRecord{}, 2, 3, 4, 2, 0.0), 0);

    // An odd size starts at the same corner.
    AddPicture("odd.png", GradientPng(3, 5, 7));
    EXPECT_EQ(paint->DrawImageToBackground(paint->GetImageFrameInfo("odd", 0), 20, 10, 3, 5, 0.0),
              1);
    EXPECT_EQ(Background(20, 10), 0xFF010107u);
    EXPECT_EQ(Background(22, 14), 0xFF152907u);
    EXPECT_EQ(Background(19, 10), kBackground);
    EXPECT_EQ(Background(20, 9), kBackground);
    EXPECT_EQ(Background(23, 14), kBackground);
    EXPECT_EQ(Background(22, 15), kBackground);

    // Frame 1 of a two-column grid comes from the second column.
    OwnedRecord grid;
    MakeGrid(*grid, 2, 2, 2, 2, [](int x, int) { return 0xFF000000u | (x < 2 ? 0x11 : 0x22); });
    ASSERT_EQ(paint->AddImage(&*grid, "grid"), 1);
    view.SetFrameInfo(paint->GetImageFrameInfo("grid", 1));
    Place(view, 30, 20, 2, 2);
    Frame();
    EXPECT_EQ(Output(29, 19), 0xFF000022u);
    EXPECT_EQ(Output(30, 20), 0xFF000022u);
}

TEST_F(GdiPaintTest, SixteenBitDisplay) {
    Start(16);
    paint->FillBackground(0x000880FF);  // red 0xFF, green 0x80, blue 0x08
    objects->RedrawAll();
    const platform::DisplayBitmap& bitmap = paint->GetBackBitmap();
    ASSERT_EQ(bitmap.Depth(), 16);
    const uint16_t word = static_cast<uint16_t>(bitmap.Bits()[0] | bitmap.Bits()[1] << 8);
    EXPECT_EQ(word, 31 << 11 | 32 << 5 | 1);
    core->SendMessage(kPaintModuleId, kMsgPresent, nullptr, 0);
    EXPECT_EQ(surface->ColorAt(kWidth - 1, kHeight - 1), 0x0882FFu);
}

TEST_F(GdiPaintTest, TwentyFourBitDisplay) {
    Start(24);
    paint->FillBackground(0x000880FF);
    objects->RedrawAll();
    const platform::DisplayBitmap& bitmap = paint->GetBackBitmap();
    ASSERT_EQ(bitmap.Depth(), 24);
    const size_t last = bitmap.ByteSize() - 3;
    EXPECT_EQ((std::vector<uint8_t>(bitmap.Bits() + last, bitmap.Bits() + last + 3)),
              (std::vector<uint8_t>{0x08, 0x80, 0xFF}));
    EXPECT_TRUE(notices->handled.empty());
}

TEST_F(GdiPaintTest, OtherDepthsUploadNothingAndSayWhy) {
    Start(8);
    objects->RedrawAll();
    objects->RedrawAll();
    EXPECT_EQ(notices->HandledIds(),
              (std::vector<int>{kNoticeUnsupportedDepth, kNoticeUnsupportedDepth}));
    EXPECT_FALSE(paint->GetBackBitmap().IsValid());
    core->SendMessage(kPaintModuleId, kMsgPresent, nullptr, 0);
    EXPECT_EQ(surface->PresentCount(), 0);
}
