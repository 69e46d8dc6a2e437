// The engine dialog panel: the stretch cross found in the skin, the nine
// parts drawn at any size (read back from the frame canvas and the back
// buffer), the title, the hosted child and the drawing surface.

#include "engine/ui/CorvaneDialog.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "engine/CorvaneCanvas.h"
#include "tests/engine_ui/ToolkitTestSupport.h"

namespace {

constexpr uint32_t kRed = 0x0000FF;  // 0x00BBGGRR
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;

// An RGBA PNG whose pixel (x, y) is rgba(x, y).
picture_bytes::Bytes RgbaPng(int width, int height,
                             const std::function<std::array<uint8_t, 4>(int, int)>& rgba) {
    picture_bytes::Bytes samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto p = rgba(x, y);
            samples.insert(samples.end(), p.begin(), p.end());
        }
    }
    return picture_bytes::Png(width, height, 6, samples);
}

// The skin: 30 x 40, red corners, blue edges 5 wide (15 at the top, the
// title bar) and a transparent hole at x 5..24, y 15..34.
class DialogTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        AddPicture("dlg_frame.png", RgbaPng(30, 40, [](int x, int y) -> std::array<uint8_t, 4> {
                       const bool innerX = x >= 5 && x < 25;
                       const bool innerY = y >= 15 && y < 35;
                       if (innerX && innerY) {
                           return {0, 0, 0, 0};
                       }
                       if (!innerX && !innerY) {
                           return {255, 0, 0, 255};
                       }
                       return {0, 0, 255, 255};
                   }));
        frameImage = visual->GetResourceFrame("dlg_frame", 0);
    }

    // A 100 x 80 dialog centred on (400, 300): left 350, top 260.
    CCorvaneDialog* MakeDialog(uint32_t centreColour = kGreen) {
        auto* dialog = Register<CCorvaneDialog>();
        dialog->SetPos(400, 300);
        dialog->Create(frameImage, centreColour, 100, 80);
        dialog->Show();
        dialog->Invalidate();
        Frame();
        return dialog;
    }
    uint32_t FramePixel(CCorvaneDialog* dialog, int x, int y) {
        return dialog->GetFrameCanvas()->GetPixel(x, y);
    }

    FrameRecord frameImage;
};

TEST_F(DialogTest, TheFrameStretchesAboutTheCrossFoundInTheSkin) {
    CCorvaneDialog* dialog = MakeDialog();
    const DialogFrameLayout& layout = dialog->GetLayout();
    EXPECT_EQ(layout.image, (IntRect{0, 0, 30, 40}));
    EXPECT_EQ(layout.stretch, (IntRect{5, 15, 25, 35}));
    EXPECT_EQ(layout.source[kDialogTopLeft], (IntRect{0, 0, 5, 15}));
    EXPECT_EQ(layout.target[kDialogBottomRight], (IntRect{95, 75, 100, 80}));
    IntRect surface;
    EXPECT_EQ(*dialog->GetSurfaceRect(&surface), (IntRect{5, 15, 95, 75}));

    CCorvaneCanvas* frame = dialog->GetFrameCanvas();
    EXPECT_EQ(frame->GetCanvasWidth(), 100);
    EXPECT_EQ(frame->GetCanvasHeight(), 80);
    const std::pair<std::array<int, 2>, uint32_t> expected[] = {
        {{2, 2}, kRed},    {{97, 2}, kRed},   {{2, 77}, kRed},    {{97, 77}, kRed},
        {{50, 2}, kBlue},  {{50, 14}, kBlue}, {{2, 40}, kBlue},   {{97, 40}, kBlue},
        {{50, 77}, kBlue}, {{5, 15}, kGreen}, {{50, 40}, kGreen}, {{94, 74}, kGreen},
    };
    for (const auto& [at, colour] : expected) {
        EXPECT_EQ(FramePixel(dialog, at[0], at[1]), colour) << at[0] << "," << at[1];
        EXPECT_EQ(frame->GetAlpha(at[0], at[1]), 255);
    }

    // On the screen: the frame canvas covers the dialog.
    const uint32_t corner = PixelOf(paint->GetOutputPixels(), kWidth, 352, 262);
    const uint32_t centre = PixelOf(paint->GetOutputPixels(), kWidth, 400, 300);
    EXPECT_GT(corner >> 16 & 0xFF, 200u);
    EXPECT_GT(centre >> 8 & 0xFF, 200u);
    EXPECT_EQ(centre >> 16 & 0xFF, 0u);

    // Larger: corners keep their size, edges and centre stretch.
    dialog->Resize(200, 100);
    EXPECT_EQ(frame->GetCanvasWidth(), 200);
    EXPECT_EQ(FramePixel(dialog, 196, 2), kRed);
    EXPECT_EQ(FramePixel(dialog, 194, 2), kBlue);
    EXPECT_EQ(FramePixel(dialog, 150, 90), kGreen);
    EXPECT_EQ(dialog->GetWidth(), 200.0);

    // Smaller than the borders: nothing breaks, the end bands are clipped.
    dialog->Resize(6, 8);
    EXPECT_EQ(frame->GetCanvasWidth(), 6);
    EXPECT_EQ(FramePixel(dialog, 0, 0), kRed);
}

TEST_F(DialogTest, CentreColourKeyLeavesTheCentreTransparent) {
    CCorvaneDialog* dialog = MakeDialog(kDefaultColorKey);
    EXPECT_EQ(dialog->GetFrameCanvas()->GetAlpha(50, 40), 0);
    EXPECT_EQ(dialog->GetFrameCanvas()->GetAlpha(2, 40), 255);

    // A centre image is stretched over the centre instead.
    AddPicture("dlg_centre.png", RgbaPng(4, 4, [](int, int) -> std::array<uint8_t, 4> {
                   return {255, 255, 0, 255};
               }));
    dialog->CreateWithImage(frameImage, visual->GetResourceFrame("dlg_centre", 0), 100, 80);
    EXPECT_EQ(FramePixel(dialog, 50, 40), 0x00FFFFu);
    EXPECT_EQ(FramePixel(dialog, 2, 40), kBlue);
}

TEST_F(DialogTest, SkinsWithoutHoleOrPictureStillLayOut) {
    // Fully opaque: the cross is the middle column and row (the middle two
    // of an even size), the borders alike on either side.
    AddPicture("dlg_solid.png", RgbaPng(30, 40, [](int, int) -> std::array<uint8_t, 4> {
                   return {0, 0, 255, 255};
               }));
    auto* dialog = Register<CCorvaneDialog>();
    FrameRecord solid = visual->GetResourceFrame("dlg_solid", 0);
    solid.width = 1000;  // larger than the picture: held to it
    dialog->Create(solid, kGreen, 60, 60);
    EXPECT_EQ(dialog->GetLayout().image, (IntRect{0, 0, 30, 40}));
    EXPECT_EQ(dialog->GetLayout().stretch, (IntRect{14, 19, 16, 21}));

    // No picture: no border, the centre is the whole dialog.
    dialog->Create(FrameRecord{}, kGreen, 60, 60);
    IntRect surface;
    EXPECT_EQ(*dialog->GetSurfaceRect(&surface), (IntRect{0, 0, 60, 60}));
    EXPECT_EQ(FramePixel(dialog, 0, 0), kGreen);
    EXPECT_EQ(dialog->GetTitleRect().Height(), 0);
}

TEST_F(DialogTest, TitleChildAndSurfaceSitOnTheFrame) {
    CCorvaneDialog* dialog = MakeDialog();
    dialog->SetTitle("Title");
    CCorvaneCanvas* text = dialog->GetTextCanvas();
    EXPECT_EQ(text->GetCanvasWidth(), 100);
    EXPECT_EQ(text->GetCanvasHeight(), 15) << "the title area is the top border";
    EXPECT_EQ(text->GetX(), 400.0);
    EXPECT_EQ(text->GetY(), 267.5);
    int drawn = 0;
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 100; ++x) {
            drawn += text->GetAlpha(x, y) != 0 ? 1 : 0;
            if (text->GetAlpha(x, y) != 0) {
                EXPECT_GE(x, 7);
            }
        }
    }
    EXPECT_GT(drawn, 0);

    CCorvaneCanvas* first = visual->CreateCanvas(10, 10, kDefaultColorKey);
    EXPECT_EQ(dialog->SetChild(first), first);
    EXPECT_EQ(first->GetCanvasWidth(), 90) << "the child takes the centre";
    EXPECT_EQ(first->GetCanvasHeight(), 60);
    EXPECT_EQ(first->GetX(), 400.0);
    EXPECT_EQ(first->GetY(), 305.0);
    EXPECT_EQ(first->IsVisible(), 1);
    EXPECT_EQ(first->GetLayer(), kTopmostLayer) << "never under the frame's centre";
    EXPECT_GT(first->GetZ(), dialog->GetFrameCanvas()->GetZ());

    // Refused: the dialog itself and its own parts; the child stays.
    EXPECT_EQ(dialog->SetChild(dialog), nullptr);
    EXPECT_EQ(dialog->SetChild(dialog->GetTextCanvas()), nullptr);
    EXPECT_EQ(dialog->GetChild(), first);

    const int firstId = first->GetId();
    CCorvaneCanvas* second = visual->CreateCanvas(10, 10, kDefaultColorKey);
    dialog->SetChild(second);
    EXPECT_EQ(visual->FindObjectById(firstId), nullptr) << "the previous child is destroyed";
    EXPECT_EQ(dialog->SetChild(second), second) << "the same child again stays";

    CCorvaneCanvas* surface = dialog->GetSurface();
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(dialog->GetSurface(), surface);
    EXPECT_EQ(surface->GetCanvasWidth(), 90);
    EXPECT_EQ(surface->GetY(), 305.0);

    // Resized and moved: everything follows; what a derived dialog hangs on
    // the dialog itself keeps its own size.
    CCorvaneCanvas* extra = visual->CreateCanvas(10, 10, kDefaultColorKey);
    dialog->AttachChild(extra, kLinkDecoration);
    dialog->Resize(200, 100);
    EXPECT_EQ(extra->GetWidth(), 10.0);
    dialog->SetPos(500, 300);
    EXPECT_EQ(second->GetCanvasWidth(), 190);
    EXPECT_EQ(second->GetCanvasHeight(), 80);
    EXPECT_EQ(second->GetX(), 500.0);
    EXPECT_EQ(second->GetY(), 305.0);
    EXPECT_EQ(surface->GetCanvasHeight(), 80);
    EXPECT_EQ(text->GetCanvasWidth(), 200);

    const int ids[] = {second->GetId(), surface->GetId(), text->GetId(),
                       dialog->GetFrameCanvas()->GetId()};
    visual->DestroyObject(dialog, 0);
    for (int id : ids) {
        EXPECT_EQ(visual->FindObjectById(id), nullptr) << id;
    }
}

}  // namespace
