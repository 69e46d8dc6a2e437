// Captioned statics and text items: their looks are drawn on the canvas by
// code, so the tests read the canvas's pixels after real mouse input.

#include "engine/ui/CorvaneStatic.h"

#include <gtest/gtest.h>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneTextItem.h"
#include "tests/engine_ui/ToolkitTestSupport.h"

namespace {

constexpr int kChosen = 80000002;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRedBorder = 0x0000FF;

// A 60 x 24 control centred on (200, 100) on an opaque white canvas.
class StaticTest : public ToolkitTest {
protected:
    template <class Control>
    Control* Place(const char* caption) {
        const EventRecord notify = MakeEventRecord(owner->GetId(), kChosen, 0, 0);
        Control* control = Register<Control>();
        EXPECT_NE(control->Create(caption, 60, 24, 12, kWhite, kRedBorder, &notify), nullptr);
        control->SetPos(200, 100);
        control->Show();
        control->Invalidate();
        Frame();
        return control;
    }
    uint32_t Corner(CCorvaneStatic* control) { return control->GetCanvas()->GetPixel(0, 0); }
    // A pixel inside the border, away from the caption.
    uint32_t Inside(CCorvaneStatic* control) { return control->GetCanvas()->GetPixel(2, 2); }
};

TEST_F(StaticTest, StaticLooksFollowTheMouseAndAClickNotifies) {
    CCorvaneStatic* item = Place<CCorvaneStatic>("确定");
    EXPECT_EQ(item->GetType(), kKindControl);
    EXPECT_EQ(Corner(item), kRedBorder);
    EXPECT_EQ(Inside(item), kWhite);

    MoveTo(200, 100);
    Frame();
    EXPECT_EQ(Corner(item), 0xFFFF00u) << "hover: the inverted border";
    Press(200, 100);
    Frame();
    EXPECT_EQ(Corner(item), 0xFFFF00u) << "the border is drawn after the shade";
    EXPECT_EQ(Inside(item), 0x7F7F7Fu) << "white shaded half-way to black";
    Release(200, 100);
    Frame();
    EXPECT_EQ(OwnerEvents(), Ids{kChosen});
    EXPECT_EQ(Corner(item), 0xFFFF00u);
    MoveTo(400, 400);
    Frame();
    EXPECT_EQ(Corner(item), kRedBorder);

    // Disabled: the shade covers the border too; the mouse is ignored.
    item->SetInputEnabled(0);
    EXPECT_EQ(Corner(item), 0x0000CBu);
    Deliver(item, kEventClick, 200, 100);
    Deliver(item, kEventMouseEnter, 200, 100);
    EXPECT_EQ(Corner(item), 0x0000CBu);
    EXPECT_EQ(OwnerEvents(), Ids{kChosen});
}

TEST_F(StaticTest, CaptionAndColourChangesRedrawTheNormalLook) {
    CCorvaneStatic* item = Place<CCorvaneStatic>("取消");
    MoveTo(200, 100);
    Frame();
    item->SetCaption("关闭");
    EXPECT_EQ(item->GetCaption(), "关闭");
    EXPECT_EQ(Corner(item), kRedBorder) << "even with the mouse over it";
    MoveTo(210, 100);
    Frame();
    item->SetTextColour(0x00FF00);
    EXPECT_EQ(Corner(item), kRedBorder);
    int green = 0;  // caption pixels: white blended toward the pen colour
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 60; ++x) {
            const uint32_t pixel = item->GetCanvas()->GetPixel(x, y);  // 0x00BBGGRR
            green += (pixel >> 8 & 0xFF) == 0xFE && (pixel & 0xFF) < 0x80;
        }
    }
    EXPECT_GT(green, 10);

    // A notification without an event id is never sent.
    item->SetNotify(MakeEventRecord(owner->GetId(), 0, 0, 0));
    ClickAt(200, 100);
    EXPECT_EQ(OwnerEvents(), Ids{});
}

TEST_F(StaticTest, TextItemHoverIsBoldAndTintedAndThePressInvertsIt) {
    CCorvaneTextItem* item = Place<CCorvaneTextItem>("菜单");
    FontDesc font;
    EXPECT_EQ(Inside(item), kWhite);

    MoveTo(200, 100);
    Frame();
    item->GetCanvas()->GetFontDesc(&font);
    EXPECT_EQ(font.weight, 700);
    EXPECT_EQ(Corner(item), 0xBB5B6Cu);
    EXPECT_EQ(Inside(item), 0xFECBCBu) << "white tinted 0.2 toward 0xFF0000";

    Press(200, 100);
    Frame();
    EXPECT_EQ(Corner(item), 0x44A493u) << "the hover look inverted";
    EXPECT_EQ(Inside(item), 0x013434u);
    Release(200, 100);
    Frame();
    EXPECT_EQ(OwnerEvents(), Ids{kChosen});
    EXPECT_EQ(Corner(item), 0xBB5B6Cu);

    item->SetInputEnabled(0);
    item->GetCanvas()->GetFontDesc(&font);
    EXPECT_EQ(font.weight, 400);
    EXPECT_DOUBLE_EQ(item->GetCanvas()->GetAlpha(), 0.3);
    EXPECT_EQ(Inside(item), kWhite);
    item->SetInputEnabled(1);
    EXPECT_DOUBLE_EQ(item->GetCanvas()->GetAlpha(), 1.0);
    EXPECT_EQ(Corner(item), 0xBB5B6Cu) << "enabled again under the mouse";
}

}  // namespace
