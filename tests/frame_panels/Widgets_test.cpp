// The side panel's widgets in the engine window, driven by the mouse and
// keyboard as a user drives them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneTextItem.h"
#include "engine/ui/RichTextElement.h"
#include "frame/panels/InputBoxes.h"
#include "frame/panels/LabeledSlider.h"
#include "frame/panels/PopupMenu.h"
#include "frame/panels/SplitterBar.h"
#include "frame/panels/UserListScrollBar.h"
#include "tests/frame_panels/WidgetWindow.h"

namespace {

class WidgetsTest : public WidgetWindowTest {
protected:
    // The row's own mouse events, as the input module hands them over.
    void ClickItem(CCorvaneTextItem* item) {
        InputState at;
        at.mouseX = static_cast<int>(item->GetX());
        at.mouseY = static_cast<int>(item->GetY());
        for (int event : {kEventMouseEnter, kEventLButtonDown, kEventClick}) {
            item->OnEvent(MakeEventRecord(item->GetId(), event, 0, EventParam(&at)));
        }
        Frame();
    }
};

std::string TextOf(char* copy) {
    std::string text = copy != nullptr ? copy : "";
    FreeEventBlock(copy);
    return text;
}

// --- scroll bar ---

TEST_F(WidgetsTest, TheScrollBarFollowsTheWheelOwnerAndAThumbDrag) {
    auto* bar = Make<CUserListScrollBar>();
    bar->Create(owner->GetId(), 12, 200, kScrollVertical, 0);
    bar->SetPos(300, 200);  // track 100..300
    bar->Show();
    bar->SetMetrics(0, 100, 400, 20);
    Frame();
    ASSERT_EQ(bar->GetThumbLength(), 50);
    EXPECT_EQ(bar->GetMaxPos(), 300);

    // The thumb dragged down by half the room: half the range.
    Drag(300, 125, 300, 200);
    ASSERT_FALSE(OwnerEvents(kEventScrollChanged).empty());
    EXPECT_NEAR(bar->GetPos(), 150, 8);
    const auto* values =
        reinterpret_cast<const double*>(OwnerEvents(kEventScrollChanged).back().param1);
    (void)values;  // lived only during the call
    // A drag past the end stops at content - visible.
    Drag(300, bar->GetThumbPos() + 10, 300, 299, 8);
    EXPECT_EQ(bar->GetPos(), 300);
    // A press on the track beyond the last page: exactly c - v.
    Click(300, 290);
    EXPECT_EQ(bar->GetPos(), 300);

    // The owner binds the wheel on the bar, as the user list does on its
    // rows, and scrolls by its own step; the wheel goes to the focus, which
    // a press on the focusable track gives it.
    bar->GetTrack()->SetFocusable(1);
    Click(300, 290);
    bar->GetTrack()->BindEvent(kEventWheelForward, owner->GetId(), kEventScrollUp, 0, 0);
    bar->GetTrack()->BindEvent(kEventWheelBackward, owner->GetId(), kEventScrollDown, 0, 0);
    owner->onEvent = [bar](const EventRecord& r) {
        const double step = r.event == kEventScrollUp ? -bar->GetStep() : bar->GetStep();
        if (r.event == kEventScrollUp || r.event == kEventScrollDown) {
            const double next = std::clamp(bar->GetPosition() + step, 0.0, 300.0);
            bar->SetMetrics(next, bar->GetPage(), bar->GetTotal(), -1);
            bar->PostScroll();
        }
    };
    Wheel(1, 300, 150);
    Wheel(1, 300, 150);
    EXPECT_EQ(bar->GetPos(), 260);
    EXPECT_EQ(OwnerEvents(kEventScrollUp).size(), 2u);
    Wheel(-1, 300, 150);
    EXPECT_EQ(bar->GetPos(), 280);
    EXPECT_EQ(bar->GetThumbPos(), 100 + 150 * 280 / 300);
}

TEST_F(WidgetsTest, ContentWithinTheVisibleLengthHasNowhereToScroll) {
    auto* bar = Make<CUserListScrollBar>();
    bar->Create(owner->GetId(), 12, 200, kScrollVertical, 0);
    bar->SetPos(300, 200);
    bar->Show();
    for (double content : {100.0, 60.0}) {
        bar->SetMetrics(40, 100, content, -1);
        Frame();
        EXPECT_EQ(bar->GetPos(), 0) << content;
        EXPECT_EQ(bar->GetMaxPos(), 0) << content;
        EXPECT_EQ(bar->GetThumbLength(), 200) << content;
        log.clear();
        Drag(300, 150, 300, 250);
        Click(300, 280);
        EXPECT_TRUE(OwnerEvents(kEventScrollChanged).empty()) << content;
        EXPECT_EQ(bar->GetPos(), 0);
    }
    // A long content keeps the thumb at 15 pixels at least.
    bar->SetMetrics(0, 10, 100000, -1);
    EXPECT_EQ(bar->GetThumbLength(), 15);
}

// --- popup menu ---

TEST_F(WidgetsTest, TheMenuSizesItselfToItsItemsAndHidesWhenEmpty) {
    auto* menu = Make<CPopupMenu>();
    ASSERT_EQ(menu->Create(100, 20, 12, 0xffffff), 1);
    menu->Show();
    EXPECT_EQ(menu->AddSeparator(), 0);
    menu->Layout();
    EXPECT_EQ(menu->IsVisible(), 0);

    const EventRecord first = MakeEventRecord(owner->GetId(), 80000200, 0, 0);
    const EventRecord second = MakeEventRecord(owner->GetId(), 80000201, 0, 0);
    ASSERT_NE(menu->AddItem("复制名字", &first, 0, 0), nullptr);
    ASSERT_NE(menu->AddItem("呼叫玩家", &second, 0, 1), nullptr);
    ASSERT_NE(menu->AddItem("允许旁观", &second, 0, 0), nullptr);
    EXPECT_EQ(menu->AddSeparator(), 1);
    EXPECT_EQ(menu->GetWidth(), 104);
    EXPECT_EQ(menu->GetHeight(), 64);
    EXPECT_EQ(menu->GetMenuItem(2)->HasSeparator(), 1);
    EXPECT_EQ(menu->GetMenuItem(1)->IsBold(), 1);
    EXPECT_EQ(menu->FindItem("呼叫玩家"), menu->GetItem(1));
    EXPECT_EQ(menu->GetItem(3), nullptr);

    // Every item of that target and event, not only the first.
    menu->SetItemEnabled(owner->GetId(), 80000201, 0);
    EXPECT_NE(menu->GetItem(0)->IsInputEnabled(), 0);
    EXPECT_EQ(menu->GetItem(1)->IsInputEnabled(), 0);
    EXPECT_EQ(menu->GetItem(2)->IsInputEnabled(), 0);

    // A click on the first item sends its record.
    menu->SetPos(200, 200);
    menu->Show();
    menu->Invalidate();
    Frame();
    Click(200, static_cast<int>(menu->GetTop()) + 2 + 10);
    EXPECT_EQ(OwnerEvents(80000200).size(), 1u);
    EXPECT_TRUE(OwnerEvents(80000201).empty());
}

TEST_F(WidgetsTest, IconsAreDrawnAtMost24AndCaptionsCentredByTheirBytes) {
    auto* menu = Make<CPopupMenu>();
    menu->Create(102, 20, 12, 0xffffff);
    menu->AddItem("100", nullptr, 0, 0);
    CPopupMenuItem* item = menu->GetMenuItem(0);
    ASSERT_NE(item, nullptr);
    FrameRecord icon;
    icon.height = 30;
    item->SetIconFrame(icon);
    EXPECT_EQ(item->GetIconSize(), 24);
    icon.height = 16;
    item->SetIconFrame(icon);
    EXPECT_EQ(item->GetIconSize(), 16);

    menu->CenterCaptions();
    EXPECT_EQ(item->GetTextX(), 42);  // (102 - 12 * 3 * 0.5) * 0.5
    menu->SetItemBackColours(0x112233, 0x445566, 0);
    EXPECT_EQ(item->GetNormalBack(), 0x112233u);
    EXPECT_EQ(item->GetCanvas()->GetPixel(1, 1), 0x112233u);
}

// --- framed input boxes ---

TEST_F(WidgetsTest, TheDigitEditTakesDigitsOnlyWithinItsByteLimit) {
    auto* box = Make<CInputBox>();
    box->SetPos(200, 100);
    box->SetSize(120, 24);
    box->SetMaxLength(8);
    box->Show();
    Frame();
    box->SetFocus();
    Type("12ab`i3");
    EXPECT_EQ(TextOf(box->GetText()), "123");

    box->Clear();
    box->SetText("123456");
    box->SetText("1234");
    EXPECT_EQ(TextOf(box->GetText()), "12345612");
    box->SetText("9");
    Type("7");
    EXPECT_EQ(TextOf(box->GetText()), "12345612");

    // Without flag 0x1 typing is ignored; SetText still inserts.
    box->Clear();
    box->SetEditFlags(0x2);
    Type("5");
    box->SetText("<b>");
    EXPECT_EQ(TextOf(box->GetText()), "<b>");
    EXPECT_EQ(box->GetEditFlags(), 0x2u);
}

class DropBoxTest : public WidgetsTest {
protected:
    DropBoxTest() {
        AddImage("InputBoxBkg", 90, 24, 0x808080);
        AddImage("btnQuickChat", 16, 16, 0x2020c0);
    }
};

TEST_F(DropBoxTest, EachDropEntryDeliversItsOwnTextAfterOlderOnesWereDropped) {
    auto* box = Make<CDropInputBox>();
    box->SetPos(200, 100);
    box->SetWidth(120);
    box->Show();
    box->Invalidate();
    const char* texts[] = {"100", "2000", "50", "30000", "7", "88", "999"};
    for (const char* text : texts) {
        box->AddEntry(text);
    }
    CDropList* list = box->GetList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetItemCount(), 6);
    EXPECT_EQ(list->FindItem("100"), nullptr);
    EXPECT_EQ(box->GetEntries().front(), "2000");
    Frame();

    // The drop button opens and closes the list.
    CCorvaneButton* drop = box->GetDropButton();
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(drop->GetRight(), 261);  // 1 past the frame's right edge
    const int dropX = static_cast<int>(drop->GetX());
    const int dropY = static_cast<int>(drop->GetY());
    Click(dropX, dropY);
    ASSERT_NE(list->IsVisible(), 0);
    EXPECT_EQ(list->GetRight(), drop->GetRight());
    EXPECT_EQ(list->GetTop(), drop->GetBottom());
    Click(dropX, dropY);
    EXPECT_EQ(list->IsVisible(), 0);

    // Each remaining entry, chosen with the mouse, gives its own text.
    for (int i = 0; i < 6; ++i) {
        Click(dropX, dropY);
        ASSERT_NE(list->IsVisible(), 0);
        CCorvaneTextItem* item = list->GetItem(i);
        ASSERT_NE(item, nullptr);
        Click(static_cast<int>(item->GetX()), static_cast<int>(item->GetY()));
        EXPECT_EQ(TextOf(box->GetText()), texts[i + 1]);
        EXPECT_EQ(list->IsVisible(), 0);
    }
}

// --- splitter ---

TEST_F(WidgetsTest, TheSplitterArrowFoldsAndUnfoldsAndIs6By85WithoutItsPicture) {
    auto* splitter = Make<CSplitterBar>();
    EXPECT_EQ(splitter->GetArrow()->GetCanvasWidth(), 6);
    EXPECT_EQ(splitter->GetArrow()->GetCanvasHeight(), 85);
    EXPECT_EQ(view->FindObjectByName("SplitterBar"), splitter);
    splitter->SetSize(6, 400);
    splitter->SetPos(400, 240);
    splitter->Show();
    splitter->Relayout();
    Frame();
    EXPECT_EQ(splitter->GetSurface()->GetCanvasHeight(), 400);
    EXPECT_EQ(splitter->IsExpanded(), 1);
    Click(400, 240);
    EXPECT_EQ(splitter->IsCollapsed(), 1);
    Click(400, 240);
    EXPECT_EQ(splitter->IsExpanded(), 1);
    // Outside the arrow the bar is no button.
    Click(400, 400);
    EXPECT_EQ(splitter->IsExpanded(), 1);
    splitter->SetCollapsed(1);
    EXPECT_EQ(splitter->IsCollapsed(), 1);
}

// --- slider ---

class SliderTest : public WidgetsTest {
protected:
    CLabeledSlider* MakeSlider(int value) {
        FrameRecord track;
        track.width = 10;
        track.height = 100;
        FrameRecord thumb;
        thumb.width = 16;
        thumb.height = 8;
        auto* slider = Make<CLabeledSlider>();
        const EventRecord notify = MakeEventRecord(owner->GetId(), 80000300, 0, 0);
        slider->Create(track, thumb, 1, &notify, value, 1);
        slider->SetPos(300, 200);  // track 150..250
        slider->Show();
        slider->Redraw();
        Frame();
        return slider;
    }
};

TEST_F(SliderTest, PressesBelowTheThumbStepDownBy20) {
    CLabeledSlider* slider = MakeSlider(90);
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        Click(300, 248);
        seen.push_back(slider->GetValue());
    }
    EXPECT_EQ(seen, (std::vector<int>{70, 50, 30, 10, 0}));
    EXPECT_EQ(OwnerEvents(80000300).size(), 5u);
    Click(300, 152);
    EXPECT_EQ(slider->GetValue(), 20);
}

TEST_F(SliderTest, TheThumbDraggedFollowsTheMouseAndClamps) {
    CLabeledSlider* slider = MakeSlider(50);
    Drag(300, 200, 300, 175);
    EXPECT_EQ(slider->GetValue(), 75);
    EXPECT_DOUBLE_EQ(slider->GetPercent(), 0.75);
    Drag(300, 175, 300, 100);
    EXPECT_EQ(slider->GetValue(), 100);
    Drag(300, 150, 300, 300, 6);
    EXPECT_EQ(slider->GetValue(), 0);
    const auto last = OwnerEvents(80000300).back();
    EXPECT_EQ(*reinterpret_cast<const int*>(last.param2), 0);

    EXPECT_EQ(slider->SetValue(101), 101);
    EXPECT_EQ(slider->SetValue(-1), -1);
    EXPECT_EQ(slider->GetValue(), 0);
}

}  // namespace

namespace {

class FramedBoxTest : public WidgetsTest {
protected:
    FramedBoxTest() { AddImage("InputBoxBkg", 30, 24, 0x808080); }
};

TEST_F(FramedBoxTest, TheBoxStretchesItsFrameAroundTheEditAndIgnoresNegativeSizes) {
    auto* box = Make<CInputBox>();
    box->SetPos(200, 100);
    EXPECT_EQ(box->GetFrame()->GetCanvasWidth(), 30);  // the picture's size at first
    box->SetSize(120, 30);
    box->SetWidth(-5);
    box->SetHeight(-1);
    CCorvaneCanvas* frame = box->GetFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetCanvasWidth(), 120);
    EXPECT_EQ(frame->GetCanvasHeight(), 30);
    // The border of the picture, the inside in the edit's colour.
    EXPECT_EQ(frame->GetPixel(0, 0), 0x808080u);
    EXPECT_EQ(frame->GetPixel(119, 29), 0x808080u);
    EXPECT_EQ(frame->GetPixel(60, 15), kInputEditBack);
    EXPECT_EQ(frame->GetPixel(1, 15), 0x808080u);
    // A single-line edit: 4 narrower, 14 high, centred.
    CInputEdit* edit = box->GetEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetWidth(), 116);
    EXPECT_EQ(edit->GetHeight(), 14);
    EXPECT_EQ(edit->GetX(), 200);
    EXPECT_EQ(edit->GetY(), 100);
    // The colour key is never painted.
    box->FillRect(0, 0, 120, 30, 0xFF00FF);
    EXPECT_EQ(frame->GetPixel(0, 0), 0x808080u);
}

TEST_F(FramedBoxTest, EveryInsertedPieceIsBoldWithFlag2) {
    auto* box = Make<CInputBox>();
    box->SetEditFlags(kInputKeyboardDigits | kInputBoldText);
    box->SetText("12");
    box->SetText("#<");
    int bold = 0;
    int all = 0;
    for (RichTextElement* e = box->GetEdit()->GetFirstElement(); e != nullptr; e = e->next) {
        ++all;
        bold += (e->flags & kElementBold) != 0 ? 1 : 0;
    }
    EXPECT_EQ(all, 4);
    EXPECT_EQ(bold, 4);
    EXPECT_EQ(TextOf(box->GetText()), "12#<");  // markup characters stay text

    box->Clear();
    box->SetEditFlags(kInputKeyboardDigits);
    box->SetText("3");
    EXPECT_EQ(box->GetEdit()->GetFirstElement()->flags & kElementBold, 0u);
}

TEST_F(SliderTest, TheLabelShowsOverTheThumbAndADisabledSliderIgnoresTheUser) {
    CLabeledSlider* slider = MakeSlider(40);
    CCorvaneCanvas* label = slider->GetLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->IsVisible(), 0);
    const int thumbY = static_cast<int>(slider->GetThumb()->GetY());
    MoveTo(300, thumbY);
    EXPECT_EQ(slider->IsHovered(), 1);
    EXPECT_NE(label->IsVisible(), 0);
    EXPECT_EQ(label->GetX(), 300 + 18);
    MoveTo(400, 400);
    EXPECT_EQ(slider->IsHovered(), 0);
    EXPECT_EQ(label->IsVisible(), 0);

    slider->SetSliderEnabled(0);
    log.clear();
    Click(300, 248);
    Drag(300, thumbY, 300, 160);
    EXPECT_EQ(slider->GetValue(), 40);
    EXPECT_TRUE(OwnerEvents(80000300).empty());
}

}  // namespace
