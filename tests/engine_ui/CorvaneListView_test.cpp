#include "engine/ui/CorvaneListView.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "tests/engine_ui/RichTextTestSupport.h"

namespace {

// A row that grows a detail canvas of `detailHeight` (none for 0).
class DetailRow : public CCorvaneListItem {
public:
    void CreateDetail() override {
        ++detailsMade;
        if (detailHeight > 0) {
            SetDetail(CreateCanvas(50, detailHeight, 0xFF00FF));
        }
    }
    void OnDetailShown() override { ++detailShownCalls; }
    // A row that draws its own look for an index, as the result rows do.
    void SetIndex(int index, int style) override {
        indices.push_back(index);
        CCorvaneListItem::SetIndex(index, style);
    }

    std::vector<int> indices;
    int detailHeight = 30;
    int detailsMade = 0;
    int detailShownCalls = 0;
};

constexpr int kViewLeft = 100;
constexpr int kViewTop = 100;
constexpr int kViewWidth = 200;
constexpr int kViewHeight = 100;
constexpr int kRowHeight = 20;

class ListViewTest : public RichTextTest {
protected:
    void SetUp() override {
        RichTextTest::SetUp();
        rowFace = AddFace("row", 5, 40, kRowHeight);
        list = Register<CCorvaneListView>();
        list->Create(kViewWidth, kViewHeight, kRichScrollBars | kRichImmediateRedraw, 0);
        list->SetLineSpacing(0);
        list->SetPos(kViewLeft + kViewWidth / 2.0, kViewTop + kViewHeight / 2.0);
        list->Show();
        list->Invalidate();
        Frame();
    }

    DetailRow* AddRow(int width = kViewWidth, const char* data = "row data") {
        auto* row = new DetailRow;
        const int size = data != nullptr ? static_cast<int>(std::strlen(data)) : 0;
        EXPECT_EQ(list->AddItem(row, data, size, rowFace, width, kRowHeight), row);
        return row;
    }
    static int FrameOf(CCorvaneListItem* row) { return row->GetRowPicture()->GetFrame(); }
    // A press and release on the middle of the row's visible part.
    void ClickRow(CCorvaneListItem* row) {
        ClickAt(static_cast<int>(row->GetX()), static_cast<int>(row->GetTop()) + kRowHeight / 2);
        Frame();
    }

    FrameRecord rowFace;
    CCorvaneListView* list = nullptr;
};

TEST_F(ListViewTest, RowsAlternateTheirLooksAndKeepAlternatingAfterARemoval) {
    DetailRow* a = AddRow();
    DetailRow* b = AddRow();
    DetailRow* c = AddRow(kViewWidth * 3);
    Frame();
    // A row added again stays one row.
    EXPECT_EQ(list->AddItem(b, nullptr, 0, rowFace, kViewWidth, kRowHeight), b);
    EXPECT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(FrameOf(a), 0);
    EXPECT_EQ(FrameOf(b), 1);
    EXPECT_EQ(FrameOf(c), 0);
    // Rows are stacked one per line, each as wide as the view.
    EXPECT_EQ(c->GetWidth(), kViewWidth);
    EXPECT_EQ(b->GetY() - a->GetY(), kRowHeight);
    EXPECT_EQ(c->GetY() - b->GetY(), kRowHeight);
    EXPECT_EQ(std::string(a->GetData().begin(), a->GetData().end()), "row data");

    EXPECT_EQ(c->indices.back(), 2);
    list->RemoveItem(1);
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->GetItem(1), c);
    EXPECT_EQ(c->GetIndex(), 1);
    EXPECT_EQ(FrameOf(c), 1);
    // The row's own look for its index ran at each numbering.
    EXPECT_EQ(c->indices.back(), 1);

    // Positions out of range remove nothing.
    list->RemoveItem(2);
    list->RemoveItem(-1);
    EXPECT_EQ(list->GetItemCount(), 2);
}

TEST_F(ListViewTest, AClickSelectsARowWithItsDetailAndASecondClickDeselectsIt) {
    DetailRow* a = AddRow();
    DetailRow* b = AddRow();
    Frame();
    const double bTop = b->GetTop();

    ClickRow(a);
    EXPECT_EQ(list->GetSelected(), a);
    EXPECT_EQ(a->IsSelected(), 1);
    EXPECT_EQ(FrameOf(a), kListLookSelected);
    ASSERT_NE(a->GetDetail(), nullptr);
    CCorvaneObject* detail = a->GetDetail();
    EXPECT_EQ(detail->IsVisible(), 1);
    EXPECT_EQ(a->GetHeight(), kRowHeight + 30);
    // The detail hangs right below the row; the next row moved down by it.
    EXPECT_EQ(detail->GetTop(), a->GetRowPicture()->GetBottom());
    EXPECT_EQ(b->GetTop() - bTop, 30.0);
    EXPECT_GE(a->detailShownCalls, 1);

    ClickRow(a);
    EXPECT_EQ(list->GetSelected(), nullptr);
    EXPECT_EQ(FrameOf(a), 0);
    EXPECT_EQ(detail->IsVisible(), 0);
    EXPECT_EQ(b->GetTop(), bTop);

    // The detail is made once and kept.
    ClickRow(a);
    EXPECT_EQ(a->GetDetail(), detail);
    EXPECT_EQ(a->detailsMade, 1);
}

TEST_F(ListViewTest, SelectingAnotherRowMovesTheSelectionAndScrollsItIntoView) {
    DetailRow* a = AddRow();
    AddRow();
    AddRow();
    DetailRow* d = AddRow();
    d->detailHeight = 40;
    Frame();
    list->Select(a);
    EXPECT_EQ(list->GetScrollY(), 0);

    list->Select(d);
    EXPECT_EQ(a->IsSelected(), 0);
    EXPECT_EQ(FrameOf(a), 0);
    EXPECT_EQ(list->GetSelected(), d);
    // Row d spans content 60..120 and the view is 100 high.
    EXPECT_EQ(list->GetScrollY(), 3 * kRowHeight + kRowHeight + 40 - kViewHeight);
    EXPECT_EQ(d->GetRowPicture()->GetBottom() + 40, list->GetTextCanvas()->GetBottom());

    // Selecting the first row again scrolls back up to its top.
    list->Select(a);
    EXPECT_EQ(list->GetScrollY(), 0);
}

TEST_F(ListViewTest, HoverLooksRespectTheSelection) {
    DetailRow* a = AddRow();
    DetailRow* b = AddRow();
    Frame();
    MoveTo(static_cast<int>(b->GetX()), static_cast<int>(b->GetY()));
    Frame();
    EXPECT_EQ(FrameOf(b), kListLookHover);
    MoveTo(10, 10);
    Frame();
    EXPECT_EQ(FrameOf(b), 1);

    list->Select(a);
    Deliver(a, kEventMouseEnter, 0, 0);
    EXPECT_EQ(FrameOf(a), kListLookSelected);
    Deliver(a, kEventMouseLeave, 0, 0);
    EXPECT_EQ(FrameOf(a), kListLookSelected);
}

TEST_F(ListViewTest, RowsWithoutDataOrDetailOnlyChangeTheirLook) {
    DetailRow* bare = AddRow(kViewWidth, nullptr);
    DetailRow* empty = AddRow();
    empty->detailHeight = 0;
    DetailRow* last = AddRow();
    Frame();
    const double lastTop = last->GetTop();

    list->Select(bare);
    EXPECT_EQ(FrameOf(bare), kListLookSelected);
    EXPECT_EQ(bare->detailsMade, 0);
    EXPECT_EQ(bare->GetDetail(), nullptr);

    list->Select(empty);
    EXPECT_EQ(empty->detailsMade, 1);
    EXPECT_EQ(empty->GetHeight(), kRowHeight);
    EXPECT_EQ(last->GetTop(), lastTop);
}

TEST_F(ListViewTest, StaleOrForeignRowsAreIgnored) {
    DetailRow* a = AddRow();
    DetailRow* b = AddRow();
    list->Select(a);

    // A click notification for a row that is gone, or for something that is
    // not a row of this list, is swallowed.
    auto* stranger = Register<DetailRow>();
    EXPECT_EQ(list->OnEvent(
                  MakeEventRecord(list->GetId(), kEventListItemClicked, EventParam(stranger), 0)),
              1);
    list->Select(stranger);
    EXPECT_EQ(list->GetSelected(), a);

    list->RemoveItem(0);
    EXPECT_EQ(list->GetSelected(), nullptr);
    EXPECT_EQ(
        list->OnEvent(MakeEventRecord(list->GetId(), kEventListItemClicked, EventParam(a), 0)), 1);
    EXPECT_EQ(list->GetSelected(), nullptr);
    EXPECT_EQ(b->GetIndex(), 0);
    EXPECT_EQ(FrameOf(b), 0);

    list->Select(b);
    list->Reset();
    EXPECT_EQ(list->GetSelected(), nullptr);
    EXPECT_EQ(list->GetItemCount(), 0);
}

TEST_F(ListViewTest, RowTextIsDrawnInThePenColourOnTheTextCanvas) {
    DetailRow* a = AddRow();
    a->SetText("ab", 0x0000FF, 0);
    CCorvaneCanvas* text = a->GetTextCanvas();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetFontDesc().height, 12);
    EXPECT_GT(CountPixels(*text, 0x0000FF), 0);
    a->SetText("ab", 0xFF00FF, 16);
    EXPECT_GT(CountPixels(*text, 0x0000FF), 0);
}

}  // namespace
