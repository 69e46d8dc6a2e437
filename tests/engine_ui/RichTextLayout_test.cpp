// The rich-text layout: lines, wrapping, the line limit, scrolling, scroll
// bars and the drawing, checked on the text canvas's pixels.

#include <gtest/gtest.h>

#include <climits>
#include <limits>

#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneInlineObject.h"
#include "engine/ui/CorvaneScrollBar.h"
#include "tests/engine_ui/RichTextTestSupport.h"

namespace {

using RichTextLayoutTest = RichTextTest;

TEST_F(RichTextLayoutTest, ElementsSitOnTheirLineBottomAndLinesAdvanceBySpacing) {
    CCorvaneRichText* box = MakeBox(300, 200, kRichDefaultStyle);
    box->AppendText("a\nb\n");
    std::vector<RichTextElement*> e = Elements(*box);
    EXPECT_EQ(e[0]->lineTop, 0);
    EXPECT_EQ(e[2]->lineTop, 16) << "14 x 1.2 = 16.8, truncated";
    EXPECT_EQ(box->GetLineCount(), 2);

    // A taller append re-places the line an earlier append began.
    box->Reset();
    box->AppendText("<size=12>ab");
    box->AppendText("<size=20>c");
    e = Elements(*box);
    EXPECT_EQ(e[0]->y, 8);
    EXPECT_EQ(e[1]->y, 8);
    EXPECT_EQ(e[2]->y, 0);
    EXPECT_EQ(e[2]->x, 12);
    EXPECT_EQ(box->GetLineCount(), 1);
    box->AppendText("<size=10>d");
    EXPECT_EQ(box->GetLastElement()->y, 10) << "a shorter append leaves the line alone";
    EXPECT_EQ(e[0]->y, 8);
}

TEST_F(RichTextLayoutTest, LinesWrapAtTheViewWidthAndWideObjectsGetTheirOwnLine) {
    AddFace("wide", 1, 80, 30);
    CCorvaneRichText* box = MakeBox(50, 200, kRichDefaultStyle);
    box->AppendText("aaaaaaaaaa");
    std::vector<RichTextElement*> e = Elements(*box);
    EXPECT_EQ(e[6]->lineTop, 0);
    EXPECT_EQ(e[7]->lineTop, 16);
    EXPECT_EQ(e[7]->x, 0);
    EXPECT_EQ(box->GetLineCount(), 2);

    auto* wide = new CCorvaneInlineObject;
    visual->Register(wide);
    wide->MakePicture(visual->GetResourceFrame("wide", 0), 0, 0);
    box->InsertObject(wide);
    box->AppendText("b");
    e = Elements(*box);
    RichTextElement* object = e[10];
    EXPECT_EQ(object->x, 0);
    EXPECT_EQ(object->lineTop, 32);
    EXPECT_EQ(e[11]->lineTop, 32 + 36) << "30 x 1.2";
    EXPECT_EQ(box->GetLineCount(), 4);
}

TEST_F(RichTextLayoutTest, TheLineLimitDropsTheOldestLines) {
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle);
    AppendLines(*box, 1001);
    EXPECT_EQ(box->GetLineCount(), 1000);
    EXPECT_EQ(Text(*box).substr(0, 7), "line 1\n");
    EXPECT_EQ(box->GetContentTop(), 14) << "the first line's bottom";
    box->ScrollToTop();
    EXPECT_EQ(box->GetScrollY(), box->GetContentTop());
    box->ScrollTo(0);
    EXPECT_EQ(box->GetScrollY(), box->GetContentTop());
    box->ScrollToBottom();
    EXPECT_GE(box->GetScrollY() + box->GetViewHeight(), box->GetLastElement()->Bottom());

    box->SetMaxLines(0);
    EXPECT_EQ(box->GetLineCount(), 1) << "one line always stays";
    EXPECT_EQ(Text(*box), "line 1000\n");
    EXPECT_EQ(box->GetScrollY(), box->GetContentTop());
    Settle();
}

// The lines the box counts must be the lines its visible elements are on.
int DistinctLineTops(CCorvaneRichText& box) {
    int lines = 0;
    bool any = false;
    int top = 0;
    for (RichTextElement* e = box.GetFirstElement(); e != nullptr; e = e->next) {
        if (!e->IsHidden() && (!any || e->lineTop != top)) {
            ++lines;
            top = e->lineTop;
            any = true;
        }
    }
    return lines;
}

TEST_F(RichTextLayoutTest, ZeroSizedTextStillAdvancesLinesAndTrimmingCountsWhatItRemoves) {
    // A chat line that once left a 10-line box blank until it was reset.
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle);
    box->SetMaxLines(10);
    box->AppendText(("line\nline\nline\n<size=0>" + std::string(25, '\n')).c_str());
    EXPECT_EQ(box->GetLineCount(), DistinctLineTops(*box));
    EXPECT_EQ(box->GetLineCount(), 10);
    box->AppendText("hello\n");
    EXPECT_EQ(Text(*box).substr(Text(*box).size() - 6), "hello\n");
    EXPECT_EQ(box->GetLineCount(), DistinctLineTops(*box));
    Settle();
    EXPECT_GT(InkOf(*box), 0) << "hello is shown";

    // Every line stands below the one before it.
    int top = INT_MIN;
    for (RichTextElement* e = box->GetFirstElement(); e != nullptr; e = e->next) {
        if (e->lineTop != top) {
            EXPECT_GT(e->lineTop, top);
            top = e->lineTop;
        }
    }
}

TEST_F(RichTextLayoutTest, FlatObjectsAndHugeGapsStillGiveEveryLineItsOwnTop) {
    CCorvaneRichText* box = MakeBox(50, 100, kRichDefaultStyle);
    box->SetMaxLines(3);
    for (int i = 0; i < 6; ++i) {
        CCorvaneObject* flat = visual->CreateObject();
        flat->Resize(40, 0);
        box->InsertObject(flat);  // each wraps onto a line of height 0
    }
    EXPECT_EQ(box->GetLineCount(), DistinctLineTops(*box));
    EXPECT_EQ(box->GetLineCount(), 3);
    box->AppendText("\nhello");
    EXPECT_EQ(Text(*box).substr(Text(*box).size() - 5), "hello");
    EXPECT_EQ(box->GetLineCount(), DistinctLineTops(*box));

    // A gap too large for the coordinates is held to one they can carry.
    CCorvaneRichText* gaps = MakeBox(300, 100, kRichDefaultStyle, 100, 300);
    gaps->SetMaxLines(3);
    gaps->SetLineSpacing(INT_MAX);
    AppendLines(*gaps, 10);
    gaps->AppendText("hello");
    EXPECT_EQ(gaps->GetLineCount(), 3);
    EXPECT_EQ(gaps->GetLineCount(), DistinctLineTops(*gaps));
    EXPECT_EQ(Text(*gaps).substr(Text(*gaps).size() - 5), "hello");
    EXPECT_GE(gaps->GetContentHeight(), 0);
}

TEST_F(RichTextLayoutTest, ABoxThatTrimsForeverKeepsItsCoordinatesInRange) {
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle);
    box->SetMaxLines(3);
    box->SetLineSpacing(kRichMaxElementSide);  // 65549 pixels a line
    for (int i = 0; i < 17000; ++i) {
        box->AppendText("x\n");
    }
    box->AppendText("hello");
    EXPECT_EQ(box->GetLineCount(), 3);
    EXPECT_EQ(box->GetLineCount(), DistinctLineTops(*box));
    EXPECT_EQ(Text(*box), "x\nx\nhello");
    EXPECT_LT(box->GetContentTop(), kRichRebaseTop + 2 * 65549);
    RichTextElement* last = box->GetLastElement();
    ASSERT_NE(last, nullptr);
    EXPECT_LE(box->GetScrollY(), last->lineTop) << "the view follows the newest line";
    EXPECT_GE(box->GetScrollY() + box->GetViewHeight(), last->Bottom());
    Settle();
    EXPECT_GT(InkOf(*box), 0);
}

TEST_F(RichTextLayoutTest, AnEditableFullBoxKeepsRoomForOneMoreLine) {
    CCorvaneRichText* editable = MakeBox(200, 50, kRichSelectable | kRichEditable);
    CCorvaneRichText* plain = MakeBox(200, 50, 0);
    for (CCorvaneRichText* box : {editable, plain}) {
        AppendLines(*box, 10);
    }
    const int bottom = editable->GetLastElement()->Bottom() - editable->GetContentTop();
    EXPECT_EQ(editable->GetContentHeight(), bottom + 16);
    EXPECT_EQ(plain->GetContentHeight(), bottom);
    plain->SetBottomMargin(5);
    plain->SetMaxLines(1000);
    EXPECT_EQ(plain->GetContentHeight(), bottom + 5);
}

TEST_F(RichTextLayoutTest, DeletingASelectionKeepsTheSpareLineAndTheScrollInRange) {
    CCorvaneRichText* box = MakeBox(200, 50, kRichSelectable | kRichEditable | kRichFollow);
    AppendLines(*box, 10);
    box->ScrollToBottom();
    const int maxBefore = box->GetScrollY();
    // The last character of the last line goes.
    RichTextElement* last = box->GetLastElement();
    RichTextElement* before = box->GetElement(box->GetElementCount() - 2);
    box->MarkSelection(before, last);
    box->DeleteBackward();
    const int bottom = box->GetLastElement()->Bottom() - box->GetContentTop();
    EXPECT_EQ(box->GetContentHeight(), bottom + 16) << "the editable box's spare line";
    EXPECT_EQ(box->GetScrollY(), maxBefore);
    EXPECT_LE(box->GetScrollY(),
              box->GetContentTop() + box->GetContentHeight() - box->GetViewHeight());

    // Deleting whole lines brings the scroll position back within range.
    box->MarkSelection(box->GetElement(10), nullptr);
    box->DeleteForward();
    EXPECT_LE(box->GetScrollY(),
              box->GetContentTop() + std::max(0, box->GetContentHeight() - box->GetViewHeight()));
    EXPECT_EQ(box->GetLineCount(), DistinctLineTops(*box));
    Settle();
}

TEST_F(RichTextLayoutTest, SingleLineBoxesScrollSideways) {
    CCorvaneRichText* box = MakeBox(50, 20, kRichSingleLine | kRichFollow);
    box->AppendText("aaaaaaaaaaaaaaaaaaaa\nb");
    EXPECT_EQ(box->GetLineCount(), 1) << "nothing wraps";
    EXPECT_EQ(box->GetLastElement()->y, 20 - 1 - 14);
    EXPECT_EQ(box->GetContentWidth(), 21 * 7 + 7);
    EXPECT_GT(box->GetScrollX(), 0) << "follows the end";
    box->ScrollTo(-5);
    EXPECT_EQ(box->GetScrollX(), 0);
    box->ScrollTo(100000);
    EXPECT_EQ(box->GetScrollX(), 22 * 7 - 50);
    box->ScrollLineUp();
    EXPECT_EQ(box->GetScrollX(), 22 * 7 - 100);
    box->ScrollLineDown();
    EXPECT_EQ(box->GetScrollX(), 22 * 7 - 50);
}

TEST_F(RichTextLayoutTest, ViewSizesBelowOneAreIgnored) {
    CCorvaneRichText* box = MakeBox(120, 60, kRichDefaultStyle);
    box->SetViewSize(0, 30);
    box->SetViewSize(30, -1);
    EXPECT_EQ(box->GetViewWidth(), 120);
    EXPECT_EQ(box->GetViewHeight(), 60);
    box->AppendText("aaaaaaaaaaaaaaaaaaaa");
    EXPECT_EQ(box->GetLineCount(), 2);
    box->SetViewSize(40, 60);
    EXPECT_EQ(box->GetLineCount(), 4) << "laid out again for the new width";
    EXPECT_EQ(box->GetTextCanvas()->GetCanvasWidth(), 40);
}

TEST_F(RichTextLayoutTest, PasswordBoxesDrawAStarPerByte) {
    CCorvaneRichText* secret = MakeBox(100, 30, kRichPassword, 100, 100);
    CCorvaneRichText* stars = MakeBox(100, 30, 0, 100, 200);
    secret->AppendText("a中");
    stars->AppendText("***");
    Settle();
    EXPECT_GT(InkOf(*stars), 0);
    EXPECT_EQ(PixelsOf(*secret), PixelsOf(*stars));
}

TEST_F(RichTextLayoutTest, ScrollingReusesPixelsThatMatchAFullRedraw) {
    CCorvaneRichText* box = MakeBox(200, 100, kRichFollow);
    AppendLines(*box, 30);
    Settle();
    box->ScrollTo(box->GetScrollY() - 40);
    Settle();
    const std::vector<uint8_t> reused = PixelsOf(*box);
    box->Refresh(0);
    EXPECT_EQ(reused, PixelsOf(*box));

    // An append that re-places the last line is redrawn, not copied.
    box->AppendText("<size=10>short");
    Settle();
    box->AppendText("<size=24>TALL");
    Settle();
    const std::vector<uint8_t> grown = PixelsOf(*box);
    box->Refresh(0);
    EXPECT_EQ(grown, PixelsOf(*box));

    // So is one that scrolled sideways in a single-line box.
    CCorvaneRichText* line = MakeBox(60, 20, kRichSingleLine, 100, 300);
    line->AppendText("abcdefghijklmnopqrstuvwxyz");
    Settle();
    line->ScrollTo(30);
    Settle();
    const std::vector<uint8_t> shifted = PixelsOf(*line);
    line->Refresh(0);
    EXPECT_EQ(shifted, PixelsOf(*line));
}

TEST_F(RichTextLayoutTest, WheelAndScrollBarMoveTheView) {
    for (const char* name : {"ScrollBar_VertBack", "ScrollBar_VertBtn", "ScrollBar_VertPattern",
                             "ScrollBar_VertUpBtn", "ScrollBar_VertDownBtn"}) {
        AddFace(name, 3, 12, 12);
    }
    CCorvaneRichText* box = MakeBox(200, 100, kRichScrollBars | kRichFollow);
    CCorvaneScrollBar* bar = box->GetVertScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->IsVisible(), 0);
    AppendLines(*box, 30);
    Settle();
    EXPECT_NE(bar->IsVisible(), 0) << "shown once the content overflows";
    EXPECT_EQ(box->GetViewWidth(), 200 - 12);
    EXPECT_DOUBLE_EQ(bar->GetTotal(), box->GetContentHeight());
    EXPECT_DOUBLE_EQ(bar->GetPosition(), box->GetScrollY());

    const int bottom = box->GetScrollY();
    Deliver(box, kEventWheelForward, 0, 0);
    EXPECT_EQ(box->GetScrollY(), bottom - 3 * 14);
    Deliver(box, kEventWheelBackward, 0, 0);
    EXPECT_EQ(box->GetScrollY(), bottom);

    double values[3] = {32.9, 80.0, 400.0};
    visual->SendEvent(MakeEventRecord(box->GetId(), kEventScrollChanged, EventParam(values), 0));
    EXPECT_EQ(box->GetScrollY(), 32);
    values[0] = std::numeric_limits<double>::quiet_NaN();
    visual->SendEvent(MakeEventRecord(box->GetId(), kEventScrollChanged, EventParam(values), 0));
    EXPECT_EQ(box->GetScrollY(), 32) << "a position that is no number is ignored";

    box->Reset();
    Settle();
    EXPECT_EQ(bar->IsVisible(), 0);
    EXPECT_EQ(box->GetViewWidth(), 200);
}

// A box whose owner gave it a view of its own (a chat pane inside its margins)
// keeps that view when the scroll bar comes and goes, narrowed by the bar's
// width only; the bar runs down that view from the box's top, arrows and
// all, whatever size the box was made with.
TEST_F(RichTextLayoutTest, TheScrollBarNarrowsTheViewTheOwnerGaveIt) {
    for (const char* name : {"ScrollBar_VertBack", "ScrollBar_VertBtn", "ScrollBar_VertPattern",
                             "ScrollBar_VertUpBtn", "ScrollBar_VertDownBtn"}) {
        AddFace(name, 3, 12, 12);
    }
    CCorvaneRichText* box = MakeBox(30, 20, kRichScrollBars | kRichFollow);
    box->SetViewSize(200, 100);
    AppendLines(*box, 30);
    Settle();
    ASSERT_NE(box->GetVertScrollBar()->IsVisible(), 0);
    EXPECT_EQ(box->GetViewWidth(), 200 - 12);
    EXPECT_EQ(box->GetViewHeight(), 100);
    EXPECT_EQ(box->GetScrollY(), box->GetContentHeight() - 100) << "the last line shows";
    CCorvaneScrollBar* bar = box->GetVertScrollBar();
    ASSERT_TRUE(bar->GetFirstButton() != nullptr && bar->GetSecondButton() != nullptr);
    EXPECT_DOUBLE_EQ(bar->GetFirstButton()->GetTop(), box->GetTop());
    EXPECT_DOUBLE_EQ(bar->GetSecondButton()->GetBottom(), box->GetTop() + 100);

    box->Reset();
    Settle();
    EXPECT_EQ(box->GetVertScrollBar()->IsVisible(), 0);
    EXPECT_EQ(box->GetViewWidth(), 200);
    EXPECT_EQ(box->GetViewHeight(), 100);
}

TEST_F(RichTextLayoutTest, EmbeddedObjectsArePlacedOnTheTextAndClippedToIt) {
    AddFace("icon", 1, 20, 10);
    CCorvaneRichText* box = MakeBox(200, 100, kRichDefaultStyle, 100, 100);
    box->AppendText("ab<z=icon>");
    Settle();
    RichTextElement* element = box->GetLastElement();
    CCorvaneObject* icon = visual->FindObjectById(element->ObjectId());
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(element->y, 4);
    EXPECT_DOUBLE_EQ(icon->GetX(), 100 + 14 + 10);
    EXPECT_DOUBLE_EQ(icon->GetY(), 100 + 4 + 5);
    EXPECT_NE(icon->IsVisible(), 0);
    IntRect clip;
    icon->GetClipRect(&clip);
    EXPECT_EQ(clip, (IntRect{100, 100, 300, 200}));
    EXPECT_EQ(box->GetDrawnObjects(), std::vector<int>{icon->GetId()});

    // Moving the box takes the text and its objects along.
    box->MoveBy(10, 20);
    EXPECT_DOUBLE_EQ(icon->GetX(), 100 + 14 + 10 + 10);
    icon->GetClipRect(&clip);
    EXPECT_EQ(clip, (IntRect{110, 120, 310, 220}));
}

}  // namespace
