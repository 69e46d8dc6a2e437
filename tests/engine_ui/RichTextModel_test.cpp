// The rich-text box's model: creation, faces, spacing, the element list and
// the content operations, driven through real engine frames.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "engine/ui/CorvaneInlineObject.h"
#include "tests/engine_ui/RichTextTestSupport.h"

namespace {

using RichTextModelTest = RichTextTest;

TEST_F(RichTextModelTest, AFreshBoxHasTheDocumentedDefaults) {
    CCorvaneRichText* box = MakeBox(200, 100, kRichDefaultStyle);
    EXPECT_EQ(box->GetStyle(), 0x202u);
    EXPECT_EQ(box->GetFaceCount(), 3);
    EXPECT_STREQ(box->GetFace(0), "宋体");
    EXPECT_STREQ(box->GetFace(2), "幼圆");
    EXPECT_EQ(box->GetFontSize(), 14);
    EXPECT_EQ(box->GetTextColor(), 0x010101u);
    EXPECT_EQ(box->GetMaxLines(), 1000);
    EXPECT_EQ(box->GetSizeLimit(), 1000);
    EXPECT_EQ(box->GetViewWidth(), 200);
    EXPECT_EQ(box->GetViewHeight(), 100);
    EXPECT_EQ(box->GetElementCount(), 0);
    EXPECT_EQ(box->GetElement(0), nullptr);
    EXPECT_GT(box->GetTextCanvas()->GetZ(), box->GetBaseCanvas()->GetZ());

    MakeBox(50, 50, 0x2001);
    EXPECT_EQ(Register<CCorvaneRichText>()->GetStyle(), 0x202u) << "before Create";
}

TEST_F(RichTextModelTest, SpacingSettersKeepTheirSignRules) {
    CCorvaneRichText* box = MakeBox(200, 100, kRichDefaultStyle);
    EXPECT_DOUBLE_EQ(box->GetLineSpacing(), 0.2);
    box->SetLineSpacing(3);
    EXPECT_DOUBLE_EQ(box->GetLineSpacing(), -3.0);
    box->SetCharSpacing(INT_MIN);
    EXPECT_GE(box->GetCharSpacing(), 0) << "no overflow";
    box->SetCharSpacing(-2);
    EXPECT_EQ(box->GetCharSpacing(), 2);

    // A fixed gap: lines advance by height + 3.
    box->AppendText("a\nb");
    std::vector<RichTextElement*> e = Elements(*box);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[2]->lineTop, 17);
    EXPECT_EQ(e[0]->spacing, 2);
    EXPECT_EQ(e[1]->x, e[0]->x + 7 + 2);
}

TEST_F(RichTextModelTest, TheBackColourFillsTheBackgroundAndTheColourKeyLeavesItClear) {
    CCorvaneRichText* box = MakeBox(40, 20, kRichDefaultStyle);
    box->SetBackgroundImage("nothing");
    box->SetBackColor(0x123456);
    EXPECT_EQ(box->GetStyle() & (kRichBackgroundColor | kRichBackgroundImage),
              kRichBackgroundColor);
    CCorvaneCanvas* base = box->GetBaseCanvas();
    EXPECT_EQ(CountPixels(*base, 0x123456), 40 * 20);
    box->SetBackColor(kDefaultColorKey);
    EXPECT_EQ(base->GetAlpha(5, 5), 0) << "transparent";
    EXPECT_EQ(CountPixels(*base, 0x123456), 0);
}

TEST_F(RichTextModelTest, FacesAreFoundByNameAndResetKeepsTheFirstTwo) {
    CCorvaneRichText* box = MakeBox(200, 100, kRichDefaultStyle);
    box->AppendText("<face=幼圆>x");
    EXPECT_EQ(box->GetFirstElement()->face, box->GetFace(2));
    box->Reset();
    EXPECT_EQ(box->GetFaceCount(), 2);
    box->AppendText("<face=幼圆>y");
    EXPECT_EQ(box->GetFaceCount(), 3) << "registered again on demand";
    EXPECT_STREQ(box->GetFirstElement()->face, "幼圆");

    // A full table gives new names no face; existing ones are still found.
    for (int i = 0; box->GetFaceCount() < kRichMaxFaces; ++i) {
        box->AppendText(("<face=F" + std::to_string(i) + ">z").c_str());
    }
    box->AppendText("<face=Unknown>q<face=黑体>r");
    RichTextElement* last = box->GetLastElement();
    EXPECT_STREQ(last->face, "黑体");
    EXPECT_EQ(box->GetElement(box->GetElementCount() - 2)->face, nullptr);
    EXPECT_EQ(box->GetFaceCount(), kRichMaxFaces);
}

TEST_F(RichTextModelTest, ElementsDescribeTheirCharacters) {
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle);
    box->AppendText("a中\n");
    ASSERT_EQ(box->GetElementCount(), 3);
    RichTextElement* a = box->GetElement(0);
    RichTextElement* han = box->GetElement(1);
    RichTextElement* end = box->GetElement(2);
    EXPECT_EQ(a->flags, kElementSingleByte);
    EXPECT_EQ(a->width, 7);
    EXPECT_EQ(a->height, 14);
    EXPECT_EQ(han->flags, kElementDoubleByte);
    EXPECT_EQ(han->width, 14);
    const char* gbk = "中";
    EXPECT_EQ(han->code & 0xFF, static_cast<unsigned char>(gbk[0])) << "lead byte first";
    EXPECT_EQ(end->flags, kElementSingleByte | kElementLineEnd);
    EXPECT_EQ(box->GetElement(3), nullptr);
    EXPECT_EQ(box->GetElement(-1), nullptr);
    EXPECT_EQ(box->GetLineCount(), 1);
}

TEST_F(RichTextModelTest, AnEmptyAppendChangesNothingAndSchedulesNoRefresh) {
    CCorvaneRichText* box = MakeBox(200, 100, kRichDefaultStyle);
    Settle();
    box->AppendText("");
    box->AppendText(nullptr);
    EXPECT_FALSE(box->IsRefreshPending());
    EXPECT_EQ(box->GetElementCount(), 0);
    box->AppendText("x");
    EXPECT_TRUE(box->IsRefreshPending());
    Settle();
    EXPECT_FALSE(box->IsRefreshPending());
    EXPECT_GT(InkOf(*box), 0) << "the deferred refresh drew the character";
}

TEST_F(RichTextModelTest, DeliveredHeapTextsAreAppendedAndFreed) {
    CCorvaneRichText* box = MakeBox(200, 100, kRichDefaultStyle);
    for (int event : {kEventSettings, kEventRichText}) {
        char* text = static_cast<char*>(AllocEventBlock(4));
        std::memcpy(text, "ok\n", 4);
        EXPECT_EQ(visual->SendEvent(MakeEventRecord(box->GetId(), event, EventParam(text), 0)), 1);
    }
    EXPECT_EQ(Text(*box), "ok\nok\n");
    // A null text is harmless.
    visual->SendEvent(MakeEventRecord(box->GetId(), kEventRichText, 0, 0));
    visual->SendEvent(MakeEventRecord(box->GetId(), kEventRichClear, 0, 0));
    EXPECT_EQ(box->GetElementCount(), 0);
}

TEST_F(RichTextModelTest, DeletingKeepsListCountsAndInsertionPointConsistent) {
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle);
    box->AppendText("abcdef");
    RichTextElement* c = box->GetElement(2);
    RichTextElement* e = box->GetElement(4);
    box->DeleteRange(c, e);
    EXPECT_EQ(Text(*box), "abef");
    EXPECT_EQ(box->GetElementCount(), 4);
    EXPECT_EQ(box->GetInsertionPoint(), box->GetElement(2));
    EXPECT_EQ(box->GetElement(2)->x, 14) << "laid out again";

    box->DeleteRange(box->GetElement(1), box->GetElement(1));
    EXPECT_EQ(Text(*box), "aef") << "from = to removes one element";
    box->RemoveElementAt(0);
    EXPECT_EQ(Text(*box), "ef");
    EXPECT_EQ(box->GetInsertionPoint(), box->GetFirstElement()) << "cut at the head";
    box->RemoveElementAt(2);
    box->DeleteRange(nullptr, nullptr);
    EXPECT_EQ(Text(*box), "ef");

    // An end that does not follow the start limits the range to the start.
    RichTextElement* f = box->GetElement(1);
    box->DeleteRange(f, box->GetElement(0));
    EXPECT_EQ(Text(*box), "e");
    EXPECT_EQ(box->GetLastElement(), box->GetFirstElement());
    box->DeleteRange(box->GetFirstElement(), nullptr);
    EXPECT_EQ(box->GetElementCount(), 0);
    EXPECT_EQ(box->GetLastElement(), nullptr);

    // Operations on an empty box do nothing.
    box->DeleteBackward();
    box->DeleteForward();
    box->HideElementAt(0);
    EXPECT_EQ(box->ShowElementAt(0, nullptr), nullptr);
}

TEST_F(RichTextModelTest, HiddenElementsTakeNoRoomAndComeBack) {
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle);
    box->AppendText("abc");
    box->HideElementAt(1);
    EXPECT_TRUE(box->GetElement(1)->IsHidden());
    EXPECT_EQ(box->GetElement(2)->x, 7);
    EXPECT_EQ(box->ElementFromPoint(8, 5), box->GetElement(2)) << "hidden elements are not hit";
    int index = -1;
    EXPECT_EQ(box->ShowElementAt(1, &index), box->GetElement(1));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(box->GetElement(2)->x, 14);
    box->HideElementAt(0);
    box->HideElementAt(2);
    box->ShowAllElements();
    EXPECT_EQ(box->GetElement(2)->x, 14);
}

TEST_F(RichTextModelTest, ObjectsAreEmbeddedRemovedAndDestroyedWithTheirElements) {
    AddFace("obj", 1, 20, 10);
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle);
    auto* kept = new CCorvaneInlineObject;
    visual->Register(kept);
    kept->MakePicture(visual->GetResourceFrame("obj", 0), 0, 0);
    auto* dropped = new CCorvaneInlineObject;
    visual->Register(dropped);
    dropped->MakePicture(visual->GetResourceFrame("obj", 0), 0, 0);
    const int keptId = kept->GetId();
    const int droppedId = dropped->GetId();

    box->AppendText("a");
    box->InsertObject(kept);
    box->InsertObject(dropped);
    box->AppendText("b");
    EXPECT_EQ(Text(*box), "a[obj][obj]b");
    RichTextElement* element = box->GetElement(1);
    EXPECT_EQ(element->width, 20);
    EXPECT_EQ(element->height, 10);
    EXPECT_EQ(element->ObjectId(), keptId);
    EXPECT_GT(kept->GetZ(), box->GetTextCanvas()->GetZ());
    Settle();
    EXPECT_EQ(box->GetDrawnObjects().size(), 2u);

    box->RemoveObject(keptId, 0);
    EXPECT_EQ(visual->FindObjectById(keptId), kept) << "kept alive";
    box->RemoveObject(droppedId, 1);
    EXPECT_EQ(visual->FindObjectById(droppedId), nullptr);
    EXPECT_EQ(Text(*box), "ab");

    box->InsertObject(kept);
    box->Reset();
    EXPECT_EQ(visual->FindObjectById(keptId), nullptr) << "reset destroys embedded objects";
    Settle();
}

TEST_F(RichTextModelTest, DestroyingTheBoxTakesItsLinksAndObjectsAlong) {
    AddFace("pic", 1, 10, 10);
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle | kRichLiveLinks);
    box->AppendText("<url_text=http://a.example/,here>and<z=pic>");
    ASSERT_EQ(box->GetLinkCount(), 1u);
    const int before = objects->GetObjectCount();
    visual->DestroyObject(box, 0);
    // Box, base and text canvas, link record, picture object and its peer.
    EXPECT_LE(objects->GetObjectCount(), before - 6);
    Settle();
}

}  // namespace
