#include "engine/ui/CorvaneCaptionObject.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/CorvanePicture.h"
#include "tests/engine_ui/TextDisplayTestSupport.h"

namespace {

class CaptionObjectTest : public UiSceneTest {
protected:
    void SetUp() override {
        UiSceneTest::SetUp();
        AddStrip("pic_wide", 100, 50, 1);
        AddStrip("pic_small", 30, 30, 1);
        AddStrip("pic_tall", 20, 80, 1);
    }

    CCorvaneCaptionObject* Make(const char* image, const char* caption, int linesOrBytes,
                                bool below = true, int animate = 0) {
        auto* item = Register<CCorvaneCaptionObject>();
        const FrameRecord frame = visual->GetResourceFrame(image, 0);
        EXPECT_EQ(below ? item->CreateBelow(frame, caption, animate, linesOrBytes)
                        : item->CreateBeside(frame, caption, linesOrBytes, animate),
                  1);
        item->SetPos(200, 200);
        item->Show();
        return item;
    }
};

TEST_F(CaptionObjectTest, TheItemIsSizedFromTheBoxAndFontSettings) {
    CCorvaneCaptionObject* wide = Make("pic_wide", "wide", 1);
    EXPECT_EQ(wide->GetWidth(), 70.0);
    EXPECT_EQ(wide->GetHeight(), 62.0);
    CCorvanePicture* picture = wide->GetItemPicture();
    EXPECT_EQ(picture->GetWidth(), 40.0);
    EXPECT_EQ(picture->GetHeight(), 20.0);
    EXPECT_EQ(picture->GetY(), 169.0 + 20 + 5);
    EXPECT_EQ(picture->IsVisible(), 1);
    CCorvaneCanvas* text = wide->GetTextCanvas();
    EXPECT_EQ(text->GetCanvasWidth(), 60);
    EXPECT_EQ(text->GetBottom(), 231.0 - 5);

    EXPECT_EQ(Make("pic_small", "", 1)->GetItemPicture()->GetWidth(), 30.0);
    EXPECT_EQ(Make("pic_tall", "", 1)->GetItemPicture()->GetWidth(), 10.0);
    wide->SetPicture(visual->GetResourceFrame("pic_tall", 0));
    EXPECT_EQ(picture->GetHeight(), 40.0);
    EXPECT_EQ(picture->GetY(), 194.0);

    CCorvaneCaptionObject* beside = Make("pic_wide", "captions", 8, false);
    EXPECT_EQ(beside->GetWidth(), 98.0);
    EXPECT_EQ(beside->GetHeight(), 50.0);
    EXPECT_EQ(beside->GetTextCanvas()->GetRight(), beside->GetRight());

    visual->SetIntSetting(kSettingCaptionBoxSize, 60);
    visual->SetIntSetting(kSettingCaptionFontSize, 16);
    CCorvaneCaptionObject* big = Make("pic_wide", "big", 2);
    EXPECT_EQ(big->GetWidth(), 90.0);
    EXPECT_EQ(big->GetHeight(), 102.0);
    EXPECT_EQ(Make("pic_wide", "none", -3)->GetHeight(), 70.0);
}

TEST_F(CaptionObjectTest, HighlightComesAndGoesAndRedrawsTheNumber) {
    CCorvaneCaptionObject* item = Make("pic_wide", "item", 1);
    CCorvaneCanvas& surface = *item->GetFrameCanvas();
    item->SetNumber(7);
    EXPECT_FALSE(HasInk(surface));

    item->SetHighlight(1);
    EXPECT_DOUBLE_EQ(item->GetAlpha(), 0.4);
    EXPECT_EQ(item->GetItemPicture()->GetAlpha(), 1.0);
    EXPECT_EQ(surface.GetPixel(0, 0), 0u);
    EXPECT_EQ(surface.GetAlpha(0, 0), 255);
    EXPECT_EQ(surface.GetPixel(60, 55), 0xFFFFFFu);
    EXPECT_TRUE(InkIn(surface, 0xFFFFFF, 2, 2, 14, 16));

    item->SetHighlight(0);
    EXPECT_EQ(item->GetAlpha(), 1.0);
    EXPECT_EQ(surface.GetAlpha(0, 0), 0);
    EXPECT_EQ(surface.GetAlpha(60, 55), 0);
    EXPECT_TRUE(InkIn(surface, 0xFFFFFFFF, 2, 2, 14, 16));

    item->SetNumber(-1);
    item->SetHighlight(1);
    item->SetHighlight(0);
    EXPECT_FALSE(HasInk(surface));
}

TEST_F(CaptionObjectTest, TheDragImageIsAFaintCopyWithoutTheHighlight) {
    CCorvaneCaptionObject* item = Make("pic_wide", "drag me", 1);
    item->SetHighlight(1);
    CCorvaneCanvas* image = visual->CreateCanvas(5, 5, kDefaultColorKey);
    item->DrawInto(image);
    EXPECT_EQ(image->GetHeight(), 62.0);
    EXPECT_DOUBLE_EQ(image->GetAlpha(), 0.75);
    EXPECT_EQ(image->GetZ(), item->GetZ());
    // The 40 x 20 picture at columns 15..54, rows 15..34; the caption below.
    EXPECT_EQ(image->GetPixel(54, 34), FrameColour(0));
    EXPECT_EQ(image->GetAlpha(14, 15), 0);
    EXPECT_FALSE(InkIn(*image, FrameColour(0), 0, 0, 70, 45));
    EXPECT_TRUE(InkIn(*image, 0xFFFFFFFF, 5, 45, 65, 57));
    item->DrawInto(nullptr);
}

TEST_F(CaptionObjectTest, ACaptionChangeIsShownAtOnceInTheLastColours) {
    CCorvaneCaptionObject* item = Make("pic_wide", "", 1);
    CCorvaneCanvas& text = *item->GetTextCanvas();
    EXPECT_FALSE(HasInk(text));
    item->SetCaption("abc");
    EXPECT_TRUE(HasInk(text));
    item->SetCaptionText("xyz", 0x0000FF, 0x00FF00);
    EXPECT_EQ(text.GetPixel(0, 0), 0x00FF00u);
    EXPECT_TRUE(InkIn(text, 0x00FF00));
    item->SetCaption("");
    EXPECT_EQ(item->GetCaption(), "");
    EXPECT_FALSE(InkIn(text, 0x00FF00));
    EXPECT_EQ(item->OnEvent(MakeEventRecord(item->GetId(), 0, 0, 0)), 1);
}

TEST_F(CaptionObjectTest, AnAnimatedPictureLoopsAndTheItemOwnsItsParts) {
    std::vector<picture_bytes::GifFrame> gif;
    for (int i = 0; i < 3; ++i) {
        gif.push_back(picture_bytes::Frame({static_cast<uint8_t>(i), 0}, 10, -1));
    }
    AddPicture("anim.gif", picture_bytes::Gif(2, 1, {255, 0, 0, 0, 255, 0, 0, 0, 255}, gif));
    CCorvaneCaptionObject* still = Make("anim", "", 1, true, 0);
    CCorvaneCaptionObject* moving = Make("anim", "", 1, true, 1);
    Make("pic_wide", "", 1, true, 1);  // one frame: nothing to animate
    Frames(5, 50);
    EXPECT_EQ(still->GetItemPicture()->GetFrame(), 0);
    EXPECT_NE(moving->GetItemPicture()->GetFrame(), 0);
    EXPECT_EQ(objects->CountLiveActions(), 1);

    // A second create replaces the parts; destroying the item takes them.
    const int oldSurface = moving->GetFrameCanvas()->GetId();
    const int oldPicture = moving->GetItemPicture()->GetId();
    moving->CreateBeside(visual->GetResourceFrame("pic_small", 0), "ab", 2, 0);
    EXPECT_EQ(objects->FindObjectById(oldSurface), nullptr);
    EXPECT_EQ(objects->FindObjectById(oldPicture), nullptr);
    const int text = moving->GetTextCanvas()->GetId();
    objects->DestroyObjectById(moving->GetId());
    EXPECT_EQ(objects->FindObjectById(text), nullptr);
    Frames(2);
    EXPECT_EQ(objects->CountLiveActions(), 0);
}

}  // namespace
