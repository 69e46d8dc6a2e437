// The rich-text markup: style tags, escapes, links and embedded objects, and
// hostile runs that must never crash, overrun or hang.

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "engine/ui/CorvaneInlineObject.h"
#include "tests/engine_ui/RichTextTestSupport.h"

namespace {

class RichTextMarkupTest : public RichTextTest {
protected:
    void SetUp() override {
        RichTextTest::SetUp();
        box = MakeBox(400, 200, kRichDefaultStyle);
    }

    // The colours of the elements, in order.
    std::vector<uint32_t> Colors() const {
        std::vector<uint32_t> out;
        for (RichTextElement* e : Elements(*box)) {
            out.push_back(e->color);
        }
        return out;
    }
    uint32_t FlagsAt(int index) const { return box->GetElement(index)->flags; }

    CCorvaneRichText* box = nullptr;
};

constexpr uint32_t kStart = kRichDefaultTextColor;
constexpr uint32_t kRed = 0x0000FF;

TEST_F(RichTextMarkupTest, StyleTagsLastUntilResetOrTheEndOfTheRun) {
    box->AppendText("<c=255>12<>分");
    EXPECT_EQ(Text(*box), "12分");
    EXPECT_EQ(Colors(), (std::vector<uint32_t>{kRed, kRed, kStart}));

    box->Reset();
    box->AppendText("<e=b>x<>y<e=u,e=i>z");
    box->AppendText("w");
    EXPECT_EQ(FlagsAt(0) & kElementBold, kElementBold);
    EXPECT_EQ(FlagsAt(1) & kElementBold, 0u);
    EXPECT_EQ(FlagsAt(2) & (kElementUnderline | kElementItalic),
              kElementUnderline | kElementItalic);
    EXPECT_EQ(FlagsAt(3) & kElementStyleFlags, 0u) << "no style outlives its run";

    box->Reset();
    box->SetTextColor(0x123456);
    box->AppendText("<>a<s=180,c=255,e=b>b");
    EXPECT_EQ(Colors(), (std::vector<uint32_t>{0x123456u, kRed}));
    EXPECT_EQ(FlagsAt(1) & kElementBold, kElementBold) << "unknown attributes are ignored";
}

TEST_F(RichTextMarkupTest, ColourKeysApplyInOrderAndLaterOnesWin) {
    box->AppendText("<color=00FF00>a<color=zz00q1>b<c=255,color=FF0000>c<c=255,#g>d");
    EXPECT_EQ(Colors(), (std::vector<uint32_t>{0x00FF00, 0x010000, 0x0000FF, 0x00FF00}));
    box->Reset();
    box->AppendText("<color=F>a<#>b<c=99999999999>c");
    EXPECT_EQ(Text(*box), "a<>bc") << "the refused tag's # escapes its >";
    EXPECT_EQ(box->GetElement(0)->color, 0xF0u) << "missing digits count as 0";
    EXPECT_EQ(box->GetLastElement()->color, static_cast<uint32_t>(INT32_MAX));
}

TEST_F(RichTextMarkupTest, HashEscapesAndColourLetters) {
    box->AppendText("#rred#q #12##x#<#>#/#");
    EXPECT_EQ(Text(*box), "red#q #12#x<>/#");
    EXPECT_EQ(box->GetElement(0)->color, kRed);
    EXPECT_EQ(box->GetElement(3)->color, kRed) << "the # stays visible, in the current colour";
    box->Reset();
    box->AppendText("#中文");
    EXPECT_EQ(Text(*box), "#中文") << "the base box makes no object of it";
}

TEST_F(RichTextMarkupTest, SizesAreBoundedAndFacesCut) {
    box->AppendText("<size=5000>a<size=-7>b<size=20>c<size=0>d<size=-2147483648>e<size=1>f");
    EXPECT_EQ(box->GetElement(0)->height, 1000);
    EXPECT_EQ(box->GetElement(1)->height, kRichMinFontSize) << "raised to the smallest size";
    EXPECT_EQ(box->GetElement(2)->height, 20);
    EXPECT_EQ(box->GetElement(2)->width, 10);
    for (int i = 3; i < 6; ++i) {
        EXPECT_EQ(box->GetElement(i)->height, kRichMinFontSize);
        EXPECT_GE(box->GetElement(i)->width, 1) << "every character takes room";
    }
    box->SetCapacity(30);
    box->AppendText("<size=40>d");
    EXPECT_EQ(box->GetLastElement()->height, 30);
    box->SetCapacity(-5);
    box->AppendText("<size=40>d");
    EXPECT_EQ(box->GetLastElement()->height, kRichMinFontSize) << "no limit below the smallest";
    box->SetCapacity(1000);
    box->SetFontSize(0);
    EXPECT_EQ(box->GetFontSize(), kRichMinFontSize);
    box->SetFontSize(-40);
    EXPECT_EQ(box->GetFontSize(), kRichMinFontSize);
    box->SetFontSize(14);

    // 16 double-byte characters: the face keeps 15 of them, never half of one.
    std::string longFace;
    for (int i = 0; i < 16; ++i) {
        longFace += "宋";
    }
    box->AppendText(("<face=" + longFace + ";size=12>x").c_str());
    const char* face = box->GetLastElement()->face;
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(std::string(face).size(), 30u);
    EXPECT_EQ(box->GetLastElement()->height, 12) << "the value ends at ';'";
}

TEST_F(RichTextMarkupTest, HugeAndNegativeNumbersInTagsKeepTheBoxWhole) {
    AddFace("smile", 2, 16, 16);
    box->AppendText(
        "<z=smile,99999>a<z=smile,-5>b<m=smile,0,-5,-5>c<z=smile,0,99999999999,-99999999999>"
        "<c=99999999999>d<c=-5>e<color=>f<size=99999999999>g<face=>h");
    Settle();
    EXPECT_EQ(box->GetElementCount(), static_cast<int>(Elements(*box).size()));
    for (RichTextElement* e : Elements(*box)) {
        EXPECT_LE(e->width, 2048);
        EXPECT_LE(e->height, 2048);
    }
    EXPECT_EQ(box->GetElement(box->GetElementCount() - 2)->height, 1000);

    // A single line never wraps: its positions are held where they still fit.
    CCorvaneRichText* line = MakeBox(100, 20, kRichSingleLine | kRichFollow, 100, 300);
    line->SetCharSpacing(INT_MAX);
    line->AppendText(("<size=1000>" + std::string(40000, 'a')).c_str());
    EXPECT_GE(line->GetContentWidth(), line->GetLastElement()->Right());
    EXPECT_GE(line->GetLastElement()->x, line->GetElement(0)->x);
    EXPECT_LE(line->GetScrollX(), line->GetContentWidth());
    EXPECT_GE(line->GetScrollX(), 0);
    Settle();
}

TEST_F(RichTextMarkupTest, UnderstoodTagsVanishAndTheRestShowsAsText) {
    box->AppendText("<notify,c=255>a<hello>b<c=9 c<");
    EXPECT_EQ(Text(*box), "a<hello>b<c=9 c<");
    EXPECT_EQ(box->GetElement(0)->color, kStart) << "notify swallows the whole tag";

    box->Reset();
    const std::string far = "<c=255" + std::string(1100, 'x') + ">";
    box->AppendText(far.c_str());
    EXPECT_EQ(box->GetElementCount(), static_cast<int>(far.size())) << "too long to be a tag";

    box->Reset();
    box->AppendText("a\r\nb\xD6");
    EXPECT_EQ(Text(*box), "a\nb") << "CR dropped; a lone lead byte at the end too";
}

TEST_F(RichTextMarkupTest, LinksWithoutLiveLinksAreText) {
    box->AppendText("<url=http://a.example/x;c=255>.<url_text=http://b.example/,page>.");
    EXPECT_EQ(Text(*box), "http://a.example/x.page.");
    EXPECT_EQ(box->GetLinkCount(), 0u);
    for (uint32_t c : Colors()) {
        EXPECT_EQ(c, kRed) << "current style; the value ended at ';' and c=255 applied";
    }
    box->Reset();
    box->AppendText("<url_text=single>");
    EXPECT_EQ(Text(*box), "<url_text=single>");
}

TEST_F(RichTextMarkupTest, LiveLinksMarkTheirTextAndRestoreTheStyleAfter) {
    box->EnableMarkup(true);
    box->AppendText("<c=255>a<url_text=http://b.example/,go,nopic>b<url_text=http://c/,,x>");
    EXPECT_EQ(Text(*box), "agob");
    ASSERT_EQ(box->GetLinkCount(), 1u) << "an empty visible text makes no link";
    EXPECT_EQ(Colors(), (std::vector<uint32_t>{kRed, 0xFF0000, 0xFF0000, kRed}));
    EXPECT_EQ(FlagsAt(1) & 0x2C20u, kElementLinkStart | kElementLinkText | kElementUnderline);
    EXPECT_EQ(FlagsAt(2) & 0x2C20u, kElementLinkEnd | kElementLinkText | kElementUnderline);
    EXPECT_EQ(FlagsAt(3) & kElementLinkText, 0u);

    CCorvaneRichTextElement* link = box->GetLinkOfElement(box->GetElement(2));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->GetTarget(), "http://b.example/");
    EXPECT_EQ(link->GetOwnerId(), box->GetId());
    EXPECT_EQ(link->GetHoverPictureId(), 0) << "a missing hover picture makes none";
    EXPECT_EQ(box->GetLinkOfElement(box->GetElement(0)), nullptr);

    // Deleting a link's first character ends the link: its other characters
    // no longer lead to it, nor to any other link.
    box->AppendText("<url=http://d.example/>");
    ASSERT_EQ(box->GetLinkCount(), 2u);
    box->DeleteElement(box->GetElement(1));
    EXPECT_EQ(box->GetLinkCount(), 1u);
    EXPECT_EQ(box->GetLinkOfElement(box->GetElement(1)), nullptr);
}

TEST_F(RichTextMarkupTest, PicturesAnimationsAndButtonsAreEmbedded) {
    AddFace("smile", 2, 16, 16);
    box->AppendText("a<z=smile>b<z=nothing>c<m=smile,0,8,8><z=>");
    EXPECT_EQ(Text(*box), "a[obj]bc[obj]<z=>");
    auto* picture =
        dynamic_cast<CCorvaneInlineObject*>(visual->FindObjectById(box->GetElement(1)->ObjectId()));
    ASSERT_NE(picture, nullptr);
    EXPECT_STREQ(picture->GetTypeName(), "[图片]");
    EXPECT_EQ(box->GetElement(1)->width, 16);
    RichTextElement* animation = box->GetElement(4);
    EXPECT_EQ(animation->width, 8);
    auto* moving =
        dynamic_cast<CCorvaneInlineObject*>(visual->FindObjectById(animation->ObjectId()));
    ASSERT_NE(moving, nullptr);
    EXPECT_STREQ(moving->GetTypeName(), "[图片]");

    // Buttons only with live links; sizes asked for are bounded.
    box->Reset();
    box->AppendText("<url_btn=cmd:go,smile>");
    EXPECT_EQ(Text(*box), "<url_btn=cmd:go,smile>");
    box->Reset();
    box->EnableMarkup(true);
    box->AppendText("<url_btn=cmd:go,smile,99999,5><url_btn=x><url_btn=cmd:x,nothing>");
    EXPECT_EQ(Text(*box), "[obj]<url_btn=x>");
    RichTextElement* button = box->GetFirstElement();
    EXPECT_EQ(button->flags, kElementObject | kElementButton);
    EXPECT_LE(button->width, 2048);
    auto* object = dynamic_cast<CCorvaneInlineObject*>(visual->FindObjectById(button->ObjectId()));
    ASSERT_NE(object, nullptr);
    EXPECT_STREQ(object->GetText(), "cmd:go");
    EXPECT_STREQ(object->GetTypeName(), "cmd:go");
    EXPECT_EQ(object->GetClickTarget(), box->GetId());
}

// Every element in the list is counted, lines are ordered and counted, and
// every embedded object and link record is alive.
void ExpectConsistent(CCorvaneRichText& box, CCorvaneVisual& visual) {
    int count = 0;
    int lines = 0;
    int top = INT_MIN;
    int visibleTop = INT_MIN;
    for (RichTextElement* e = box.GetFirstElement(); e != nullptr; e = e->next) {
        ++count;
        ASSERT_GE(e->lineTop, top);
        top = e->lineTop;
        if (!e->IsHidden() && e->lineTop != visibleTop) {
            ++lines;
            visibleTop = e->lineTop;
        }
        if (e->IsObject() && e->code != 0) {
            ASSERT_NE(visual.FindObjectById(e->ObjectId()), nullptr);
        }
        if (e->next == nullptr) {
            ASSERT_EQ(e, box.GetLastElement());
        }
    }
    ASSERT_EQ(count, box.GetElementCount());
    ASSERT_EQ(lines, box.GetLineCount());
    ASSERT_GE(box.GetScrollY(), box.GetContentTop());
}

TEST_F(RichTextMarkupTest, RandomlyMutatedMarkupNeverBreaksTheBox) {
    AddFace("p", 1, 12, 12);
    box->EnableMarkup(true);
    box->SetMaxLines(12);
    const std::vector<std::string> seeds = {
        " <z=p> <c=255>%s\r\n",
        "<c=16711680>名字<c=255>得到了<c=0>三张!\r\n",
        " 欢迎来到 <s=180,c=255,e=b>房间\r\n<> 您的位置：桌\r\n",
        "<url_text=http://x.example/a?b=1,临时目录,p>#r红#12##<size=30>大<>",
        "<url=www.example.com;face=黑体><url_btn=go,p,10,10><m=p,1,4,4>#中文<e=u,e=i>",
        "<color=A0b0C0>x<notify><face=" + std::string(40, 'f') + ">\xD6",
    };
    std::mt19937 random(20240305);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::string alphabet = "<>#,;=/\r\n czmurl_btexsio0123456789\x81\xFE\xD6\xD0";
    for (int round = 0; round < 1500; ++round) {
        std::string text = seeds[pick(static_cast<int>(seeds.size()))];
        const int edits = 1 + pick(6);
        for (int i = 0; i < edits && !text.empty(); ++i) {
            const size_t at = static_cast<size_t>(pick(static_cast<int>(text.size())));
            switch (pick(4)) {
                case 0:
                    text[at] = alphabet[pick(static_cast<int>(alphabet.size()))];
                    break;
                case 1:
                    text.insert(at, 1, alphabet[pick(static_cast<int>(alphabet.size()))]);
                    break;
                case 2:
                    text.erase(at, 1 + pick(4));
                    break;
                default:
                    text = text.substr(0, at);
                    break;
            }
        }
        box->AppendText(text.c_str());
        if (round % 50 == 0) {
            box->Refresh(1);
            ExpectConsistent(*box, *visual);
            if (HasFatalFailure()) {
                FAIL() << "after " << round << " rounds, last text: " << text;
            }
        }
        if (round % 400 == 399) {
            box->Reset();
            EXPECT_EQ(box->GetLinkCount(), 0u);
        }
    }
    ExpectConsistent(*box, *visual);
    EXPECT_LE(box->GetLineCount(), 12);
    Settle();
}

}  // namespace
