#include "engine/ui/CorvaneScrollView.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/ui/CorvaneCaptionObject.h"
#include "engine/ui/CorvaneScrollBar.h"
#include "tests/engine_ui/RichTextTestSupport.h"

namespace {

class ScrollViewTest : public RichTextTest {
protected:
    void SetUp() override {
        RichTextTest::SetUp();
        face = AddFace("item", 1, 40, 20);
    }

    CCorvaneScrollView* MakeView(int singleLine, int width = 400, int height = 100) {
        auto* view = Register<CCorvaneScrollView>();
        view->Create(width, height, singleLine);
        view->SetPos(100 + width / 2.0, 100 + height / 2.0);
        view->Show();
        view->Invalidate();
        Frame();
        return view;
    }
    CCorvaneCaptionObject* AddItem(CCorvaneScrollView& view, const char* caption) {
        auto* item = Register<CCorvaneCaptionObject>();
        EXPECT_EQ(item->CreateBelow(face, caption, 0, 1), 1);
        view.AddItem(item, 1);
        return item;
    }
    // One of the view's bound events for the item, the pointer at the
    // content point (x, y).
    int Send(CCorvaneScrollView& view, int event, CCorvaneObject* item, int x, int y) {
        const auto [sx, sy] = SceneOf(view, x, y);
        snapshot = InputState{};
        snapshot.mouseX = sx;
        snapshot.mouseY = sy;
        return view.OnEvent(
            MakeEventRecord(view.GetId(), event, item->GetId(), EventParam(&snapshot)));
    }
    static std::vector<CCorvaneObject*> Order(CCorvaneScrollView& view) {
        std::vector<CCorvaneObject*> order;
        for (CCorvaneObject* item = view.GetFirstItem(); item != nullptr;
             item = view.GetNextItem(item)) {
            order.push_back(item);
        }
        return order;
    }

    FrameRecord face;
};

class ThreeItemsTest : public ScrollViewTest {
protected:
    void SetUp() override {
        ScrollViewTest::SetUp();
        view = MakeView(0);
        a = AddItem(*view, "a");
        b = AddItem(*view, "b");
        c = AddItem(*view, "c");
        Frame();
        ASSERT_EQ(Order(*view), (std::vector<CCorvaneObject*>{a, b, c}));
        Send(*view, kEventScrollItemEnter, a, 1, 1);
    }
    RichTextElement* Of(CCorvaneObject* item) { return view->FindItemElement(item); }
    int Middle(CCorvaneObject* item) { return Of(item)->y + Of(item)->height / 2; }

    CCorvaneScrollView* view = nullptr;
    CCorvaneCaptionObject* a = nullptr;
    CCorvaneCaptionObject* b = nullptr;
    CCorvaneCaptionObject* c = nullptr;
};

TEST_F(ThreeItemsTest, DraggingPastTheMiddleOfTheLastItemMovesTheItemToTheEnd) {
    EXPECT_EQ(a->GetHighlight(), 1);
    RichTextElement* last = Of(c);
    const int x = last->x + last->width + 5;
    Send(*view, kEventScrollItemDrag, a, x, Middle(c));
    ASSERT_TRUE(view->IsDragging());
    EXPECT_TRUE(view->IsDropAtEnd());
    CCorvaneCanvas* image = view->GetDragImage();
    EXPECT_EQ(image->IsVisible(), 1);
    EXPECT_EQ(image->GetCanvasWidth(), static_cast<int>(a->GetWidth()));
    CCorvaneCanvas* marker = view->GetInsertionMarker();
    EXPECT_EQ(marker->IsVisible(), 1);
    EXPECT_EQ(marker->GetCanvasHeight(), last->height);
    EXPECT_EQ(marker->GetPixel(1, 1), kScrollViewMarkerColour);

    Send(*view, kEventScrollItemDrop, a, x, Middle(c));
    EXPECT_EQ(Order(*view), (std::vector<CCorvaneObject*>{b, c, a}));
    EXPECT_FALSE(view->IsDragging());
    EXPECT_EQ(view->GetHoveredItem(), nullptr);
    EXPECT_EQ(a->GetHighlight(), 0);
    EXPECT_EQ(image->IsVisible(), 0);
    EXPECT_EQ(marker->IsVisible(), 0);
    // The moved item stands where it now belongs.
    EXPECT_GT(Of(a)->x, Of(c)->x);
    EXPECT_EQ(Of(b)->x, 0);
}

TEST_F(ThreeItemsTest, ReleasingBeforeTheMiddleOfTheNextItemKeepsTheOrder) {
    const int x = Of(b)->x + 2;
    Send(*view, kEventScrollItemDrag, a, x, Middle(b));
    EXPECT_EQ(view->GetDropTarget(), Of(b));
    const auto [markerX, markerY] = SceneOf(*view, Of(b)->x, Middle(b));
    EXPECT_EQ(view->GetInsertionMarker()->GetX(), markerX);
    EXPECT_EQ(view->GetInsertionMarker()->GetY(), markerY);

    Send(*view, kEventScrollItemDrop, a, x, Middle(b));
    EXPECT_EQ(Order(*view), (std::vector<CCorvaneObject*>{a, b, c}));
    EXPECT_FALSE(view->IsDragging());
}

TEST_F(ThreeItemsTest, ReleasingOverTheDraggedItemCancelsAndKeepsItHighlighted) {
    const int x = Of(a)->x + 3;
    Send(*view, kEventScrollItemDrag, a, x, Middle(a));
    Send(*view, kEventScrollItemDrop, a, x, Middle(a));
    EXPECT_EQ(Order(*view), (std::vector<CCorvaneObject*>{a, b, c}));
    EXPECT_EQ(view->GetHoveredItem(), a);
    EXPECT_EQ(a->GetHighlight(), 1);
    EXPECT_EQ(view->GetDragImage()->IsVisible(), 0);

    // Below-the-line misses give no target and change nothing either.
    Send(*view, kEventScrollItemDrag, a, Of(c)->x + 3, Middle(c));
    Send(*view, kEventScrollItemDrop, a, Of(c)->x + 3, -50);
    EXPECT_EQ(Order(*view), (std::vector<CCorvaneObject*>{a, b, c}));
}

TEST_F(ThreeItemsTest, LeavingTheItemDuringADragAbandonsIt) {
    Send(*view, kEventScrollItemDrag, a, Of(c)->x + 2, Middle(c));
    ASSERT_TRUE(view->IsDragging());
    Send(*view, kEventScrollItemLeave, a, 0, 0);
    EXPECT_FALSE(view->IsDragging());
    EXPECT_EQ(view->GetDragImage()->IsVisible(), 0);
    EXPECT_EQ(view->GetInsertionMarker()->IsVisible(), 0);
    EXPECT_EQ(view->GetDropTarget(), nullptr);
    EXPECT_EQ(a->GetHighlight(), 0);

    // A drop after that finds no drag and does nothing.
    Send(*view, kEventScrollItemDrop, a, Of(c)->x + 2, Middle(c));
    EXPECT_EQ(Order(*view), (std::vector<CCorvaneObject*>{a, b, c}));
}

TEST_F(ThreeItemsTest, RemovedAndUnknownItemsEndTheirDragAndAreSwallowed) {
    Send(*view, kEventScrollItemDrag, a, Of(c)->x + 2, Middle(c));
    view->RemoveItem(a);
    EXPECT_FALSE(view->IsDragging());
    EXPECT_EQ(view->GetHoveredItem(), nullptr);
    EXPECT_EQ(Order(*view), (std::vector<CCorvaneObject*>{b, c}));

    // Events naming an item that is gone, or is not an item of the view.
    auto* stranger = Register<CCorvaneCaptionObject>();
    EXPECT_EQ(Send(*view, kEventScrollItemEnter, stranger, 0, 0), 1);
    EXPECT_EQ(view->GetHoveredItem(), nullptr);
    EXPECT_EQ(view->OnEvent(MakeEventRecord(view->GetId(), kEventScrollItemDrag, 999999, 0)), 1);
    EXPECT_EQ(view->OnEvent(MakeEventRecord(view->GetId(), kEventScrollItemDrop, 0, 0)), 1);

    // The item's pointer events reach the view.
    const EventRecord* enter = b->FindEventBinding(kEventMouseEnter);
    ASSERT_NE(enter, nullptr);
    EXPECT_EQ(enter->target, view->GetId());
    EXPECT_EQ(enter->event, kEventScrollItemEnter);
    EXPECT_EQ(enter->param1, b->GetId());

    // An item added twice stands once.
    view->AddItem(b, 1);
    EXPECT_EQ(Order(*view), (std::vector<CCorvaneObject*>{b, c}));

    view->Reset();
    EXPECT_EQ(view->GetFirstItem(), nullptr);
}

// The drag picture, the marker and the drag itself, all gone.
void ExpectNoDrag(CCorvaneScrollView& view) {
    EXPECT_FALSE(view.IsDragging());
    EXPECT_EQ(view.GetDragImage()->IsVisible(), 0);
    EXPECT_EQ(view.GetInsertionMarker()->IsVisible(), 0);
    EXPECT_EQ(view.GetDropTarget(), nullptr);
    EXPECT_FALSE(view.IsDropAtEnd());
}

// The pointer rests on an item whose hover the view has forgotten; the
// button is then held and moved: no drag starts.
TEST_F(ThreeItemsTest, NoDragStartsWithoutAHoveredItem) {
    const int endX = Of(c)->x + Of(c)->width + 5;
    {
        SCOPED_TRACE("after RefreshItems");
        view->RefreshItems();
        ASSERT_EQ(view->GetHoveredItem(), nullptr);
        Send(*view, kEventScrollItemDrag, a, endX, Middle(c));
        ExpectNoDrag(*view);
        Send(*view, kEventScrollItemDrop, a, endX, Middle(c));
        ExpectNoDrag(*view);
        EXPECT_EQ(Order(*view), (std::vector<CCorvaneObject*>{a, b, c}));
    }
    {
        SCOPED_TRACE("after RemoveItem of the hovered item");
        Send(*view, kEventScrollItemEnter, a, 1, 1);
        view->RemoveItem(a);
        // b now stands under the resting pointer without a mouse-enter.
        Send(*view, kEventScrollItemDrag, b, Of(c)->x + Of(c)->width + 5, Middle(c));
        ExpectNoDrag(*view);
        Send(*view, kEventScrollItemDrop, b, Of(c)->x + Of(c)->width + 5, Middle(c));
        ExpectNoDrag(*view);
        EXPECT_EQ(Order(*view), (std::vector<CCorvaneObject*>{b, c}));
    }
    {
        SCOPED_TRACE("after Reset");
        Send(*view, kEventScrollItemEnter, b, 1, 1);
        view->Reset();
        CCorvaneCaptionObject* d = AddItem(*view, "d");
        AddItem(*view, "e");
        Send(*view, kEventScrollItemDrag, d, 300, 1);
        ExpectNoDrag(*view);
        Send(*view, kEventScrollItemDrop, d, 300, 1);
        ExpectNoDrag(*view);
    }
}

TEST_F(ThreeItemsTest, ADragEndsWhenItsItemGoesAway) {
    const int endX = Of(c)->x + Of(c)->width + 5;
    {
        SCOPED_TRACE("its element removed by the box itself");
        Send(*view, kEventScrollItemDrag, a, endX, Middle(c));
        ASSERT_TRUE(view->IsDragging());
        ASSERT_EQ(view->GetDragImage()->IsVisible(), 1);
        view->RemoveElementAt(0);
        ExpectNoDrag(*view);
        EXPECT_EQ(view->GetHoveredItem(), nullptr) << "the hover went with it";
        EXPECT_EQ(Order(*view), (std::vector<CCorvaneObject*>{b, c}));
    }
    {
        SCOPED_TRACE("its object destroyed");
        Send(*view, kEventScrollItemEnter, b, 1, 1);
        Send(*view, kEventScrollItemDrag, b, Of(c)->x + Of(c)->width + 5, Middle(c));
        ASSERT_TRUE(view->IsDragging());
        visual->DestroyObject(b, 0);
        ExpectNoDrag(*view);
        EXPECT_EQ(view->GetHoveredItem(), nullptr);
    }
    {
        SCOPED_TRACE("another item's drop target removed");
        CCorvaneCaptionObject* d = AddItem(*view, "d");
        Send(*view, kEventScrollItemEnter, d, 1, 1);
        Send(*view, kEventScrollItemDrag, d, Of(c)->x + 2, Middle(c));
        ASSERT_TRUE(view->IsDragging());
        ASSERT_NE(view->GetDropTarget(), nullptr);
        view->RemoveItem(c);
        EXPECT_TRUE(view->IsDragging()) << "the dragged item is still there";
        EXPECT_EQ(view->GetDropTarget(), nullptr);
        EXPECT_EQ(view->GetInsertionMarker()->IsVisible(), 0) << "it marked the removed item";
    }
}

TEST_F(ScrollViewTest, SingleLineViewsScrollSidewaysOthersWrapAndScrollDown) {
    CCorvaneScrollView* strip = MakeView(1, 150, 80);
    CCorvaneScrollView* grid = MakeView(0, 150, 80);
    for (const char* caption : {"1", "2", "3", "4"}) {
        AddItem(*strip, caption);
        AddItem(*grid, caption);
    }
    Frame();
    EXPECT_NE(strip->GetHorzScrollBar(), nullptr);
    EXPECT_EQ(strip->GetVertScrollBar(), nullptr);
    EXPECT_EQ(grid->GetHorzScrollBar(), nullptr);
    EXPECT_NE(grid->GetVertScrollBar(), nullptr);
    EXPECT_EQ(strip->GetCreationTag(), kScrollViewCreationTag);
    EXPECT_EQ(strip->GetCharSpacing(), 10);

    EXPECT_EQ(strip->GetLineCount(), 1);
    EXPECT_EQ(strip->GetLastElement()->lineTop, strip->GetFirstElement()->lineTop);
    EXPECT_GT(strip->GetContentWidth(), 150);
    EXPECT_GT(grid->GetLineCount(), 1);
}

TEST_F(ThreeItemsTest, TheMouseHoversDragsAndDropsAnItem) {
    Send(*view, kEventScrollItemLeave, a, 0, 0);
    // Hover, a held move and the release, as the input module sends them.
    const auto [bx, by] = SceneOf(*view, Of(b)->x + 5, Middle(b));
    MoveTo(bx, by);
    Frame();
    EXPECT_EQ(view->GetHoveredItem(), b);
    const auto [cx, cy] = SceneOf(*view, Of(c)->x + Of(c)->width + 5, Middle(c));
    Press(bx, by);
    Frame();
    input->OnMouseMove(bx + 5, by, platform::kMouseFlagLeft);
    Frame();
    input->OnMouseMove(cx, cy, platform::kMouseFlagLeft);
    Frame();
    EXPECT_TRUE(view->IsDragging());
    Release(cx, cy);
    Frame();
    EXPECT_EQ(Order(*view), (std::vector<CCorvaneObject*>{a, c, b}));
}

}  // namespace
