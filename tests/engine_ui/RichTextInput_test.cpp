// The rich-text box's input: links under the pointer and the mouse, the
// caret, selections by drag and double click, and the clipboard.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/CorvanePicture.h"
#include "platform/TextInputArea.h"
#include "tests/engine_ui/RichTextTestSupport.h"

namespace {

class RichTextInputTest : public RichTextTest {
protected:
    ~RichTextInputTest() override { backend.SetKeyDown(platform::kKeyControl, false); }

    // Delivers a bound input event at a content point of the box.
    void At(CCorvaneRichText* box, int event, int x, int y) {
        const auto [sx, sy] = SceneOf(*box, x, y);
        Deliver(box, event, sx, sy);
    }
    void CtrlC(CCorvaneRichText* box) {
        backend.SetKeyDown(platform::kKeyControl, true);
        snapshot = InputState{};
        snapshot.lastKeyDown = 'C';
        box->OnEvent(MakeEventRecord(box->GetId(), kEventKeyDown, 0, EventParam(&snapshot)));
        backend.SetKeyDown(platform::kKeyControl, false);
    }
    static std::string Clipboard() { return platform::GetClipboardText().value_or("<none>"); }
    std::string Selected(CCorvaneRichText* box) {
        return box->TextOfRange(box->GetSelectionFirst(), box->GetSelectionLast());
    }
};

constexpr uint32_t kSelectable = kRichSelectable | kRichDefaultStyle;

TEST_F(RichTextInputTest, CopyPutsTheSelectionOnTheClipboardExceptInPasswordBoxes) {
    AddFace("pic", 1, 10, 10);
    CCorvaneRichText* box = MakeBox(300, 100, kSelectable);
    box->AppendText("你好<z=pic>ok\nnext");
    box->SelectAll();
    CtrlC(box);
    EXPECT_EQ(Clipboard(), "你好[图片]ok\nnext");

    platform::DefaultClipboard().Clear();
    box->OnKeyDown('C', 0);
    EXPECT_EQ(Clipboard(), "<none>") << "C without Ctrl copies nothing";
    visual->SendEvent(MakeEventRecord(box->GetId(), kEventRichCopy, 0, 0));
    EXPECT_EQ(Clipboard(), "你好[图片]ok\nnext") << "the copy request";

    CCorvaneRichText* secret = MakeBox(300, 30, kSelectable | kRichPassword, 100, 300);
    secret->AppendText("hidden");
    secret->SelectAll();
    CtrlC(secret);
    EXPECT_FALSE(secret->CopySelection());
    EXPECT_EQ(Clipboard(), "你好[图片]ok\nnext");

    // A clipboard that cannot be opened keeps what it holds.
    platform::DefaultClipboard().SetUnavailable(true);
    EXPECT_FALSE(box->CopySelection());
    platform::DefaultClipboard().SetUnavailable(false);
    EXPECT_EQ(Clipboard(), "你好[图片]ok\nnext");
}

TEST_F(RichTextInputTest, PasteAppendsTheClipboardsText) {
    CCorvaneRichText* box = MakeBox(300, 100, kSelectable);
    ASSERT_TRUE(platform::SetClipboardText("粘贴 <c=255>red"));
    box->PasteText();
    EXPECT_EQ(Text(*box), "粘贴 red");
    platform::DefaultClipboard().SetUnavailable(true);
    box->PasteText();
    EXPECT_EQ(Text(*box), "粘贴 red");
}

TEST_F(RichTextInputTest, DoubleClicksSelectOneChineseCharacterOrOneWord) {
    CCorvaneRichText* box = MakeBox(300, 100, kSelectable);
    box->AppendText("中文 hello world\nnext");
    At(box, kEventDoubleClick, 16, 5);  // on the second character
    EXPECT_EQ(Selected(box), "文");
    EXPECT_FALSE(box->IsSelecting());
    At(box, kEventDoubleClick, 28 + 7 * 7 + 3, 5);  // inside "world"
    EXPECT_EQ(Selected(box), "world");
    At(box, kEventDoubleClick, 35 + 3, 5);
    EXPECT_EQ(Selected(box), "hello");
    At(box, kEventDoubleClick, 28 + 3, 5);
    EXPECT_FALSE(box->HasSelection()) << "a space is no word";
    At(box, kEventDoubleClick, 2, 20);
    EXPECT_EQ(Selected(box), "next") << "to the end of the text";
    At(box, kEventDoubleClick, 250, 5);
    EXPECT_FALSE(box->HasSelection()) << "nothing under the point";

    CCorvaneRichText* plain = MakeBox(300, 100, kRichDefaultStyle, 100, 300);
    plain->AppendText("word");
    At(plain, kEventDoubleClick, 3, 5);
    EXPECT_FALSE(plain->HasSelection()) << "only selectable boxes";
}

TEST_F(RichTextInputTest, DraggingSelectsAndAboveTheBoxScrollsUp) {
    CCorvaneRichText* box = MakeBox(200, 100, kSelectable);
    AppendLines(*box, 30);
    Settle();
    const int bottom = box->GetScrollY();
    ASSERT_GT(bottom, 100);
    At(box, kEventLButtonDown, 1, bottom + 40);
    EXPECT_TRUE(box->IsSelecting());
    At(box, kEventDrag, 40, bottom + 60);
    EXPECT_TRUE(box->HasSelection());
    EXPECT_EQ(Selected(box).substr(0, 5), "line ") << "from the anchor's caret element";

    const auto [sx, sy] = SceneOf(*box, 0, bottom);
    Deliver(box, kEventDrag, sx + 5, sy - 30);
    EXPECT_EQ(box->GetScrollY(), bottom - 3 * 14);
    RichTextElement* first = box->GetSelectionFirst();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->lineTop, box->ElementFromY(box->GetScrollY())->lineTop)
        << "the selection reaches the new top row";

    At(box, kEventLButtonUp, 0, 0);
    EXPECT_FALSE(box->IsSelecting());
    const int scroll = box->GetScrollY();
    Deliver(box, kEventDrag, sx, sy - 30);
    EXPECT_EQ(box->GetScrollY(), scroll) << "no drag selection after the release";
}

TEST_F(RichTextInputTest, AClickOnALinkOpensItAndPlacesTheCaret) {
    CCorvaneRichText* box = MakeBox(300, 100, kSelectable | kRichEditable);
    box->EnableMarkup(true);
    box->AppendText("go <url_text=http://shop.example/buy,here> <url=javascript:alert(1)>");
    Settle();
    const auto [x, y] = SceneOf(*box, 3 * 7 + 10, 5);  // on "here"
    ClickAt(x, y);
    Frame();
    EXPECT_EQ(platform::DefaultBrowser().Opened(),
              std::vector<std::string>{"http://shop.example/buy"});
    EXPECT_TRUE(box->IsCaretVisible());
    EXPECT_EQ(box->GetInsertionPoint(), box->GetElement(5)) << "right half of the e: behind it";

    const auto [bx, by] = SceneOf(*box, 8 * 7 + 10, 5);  // on the script link
    ClickAt(bx, by);
    Frame();
    EXPECT_EQ(platform::DefaultBrowser().Opened().size(), 1u) << "only web addresses open";
}

TEST_F(RichTextInputTest, OnlyTheBoxsOwnLiveLinksAndLinkButtonsOpenAddresses) {
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle | kRichLiveLinks);
    CCorvaneRichText* other = MakeBox(300, 100, kRichDefaultStyle | kRichLiveLinks, 100, 300);
    box->AppendText("<url_text=http://shop.example/,shop>");
    other->AppendText("<url_text=http://other.example/,other>");
    auto* link = box->GetLinkOfElement(box->GetFirstElement());
    auto* foreign = other->GetLinkOfElement(other->GetFirstElement());
    ASSERT_TRUE(link && foreign);
    static const char kEvil[] = "http://evil.example/";
    auto activate = [&](intptr_t sender) {
        visual->SendEvent(
            MakeEventRecord(box->GetId(), kEventLinkActivated, EventParam(kEvil), sender));
    };
    activate(0);
    activate(owner->GetId());
    activate(foreign->GetId());
    activate(-1);
    EXPECT_TRUE(platform::DefaultBrowser().Opened().empty()) << "not from a link of this box";
    activate(link->GetId());
    EXPECT_EQ(platform::DefaultBrowser().Opened(), std::vector<std::string>{"http://shop.example/"})
        << "the link's own target, whatever the event carries";

    const int linkId = link->GetId();
    box->Reset();
    platform::DefaultBrowser().Clear();
    activate(linkId);
    EXPECT_TRUE(platform::DefaultBrowser().Opened().empty()) << "the link died with the reset";
}

TEST_F(RichTextInputTest, AButtonClickStillQueuedAtAResetOpensNothing) {
    AddFace("btn", 1, 20, 10);
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle | kRichLiveLinks);
    auto clickButton = [&] {
        box->AppendText("<url_btn=http://shop.example/,btn>");
        Settle();
        RichTextElement* button = box->GetFirstElement();
        const auto [x, y] = SceneOf(*box, button->x + 2, button->y + 2);
        MoveTo(x, y);
        Press(x, y);
        Release(x, y);
        Frame();
    };
    clickButton();
    Frames(3);
    EXPECT_EQ(platform::DefaultBrowser().Opened(), std::vector<std::string>{"http://shop.example/"})
        << "a live button of the box opens its target";

    box->Reset();
    platform::DefaultBrowser().Clear();
    clickButton();
    box->Reset();
    Frames(3);
    EXPECT_TRUE(platform::DefaultBrowser().Opened().empty());
}

TEST_F(RichTextInputTest, TheScreenshotNoticeLinkOpensTheFolder) {
    std::filesystem::create_directories(folder.Path() + "/temp");
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle | kRichLiveLinks);
    box->AppendText((" <c=255> 游戏截图已保存到<url_text=" + folder.Path() +
                     "\\temp\\,临时目录><c=255>\r\n<url=file:///etc/passwd>")
                        .c_str());
    Settle();
    RichTextElement* link = box->GetElement(10);
    ASSERT_NE(box->GetLinkOfElement(link), nullptr);
    const auto [x, y] = SceneOf(*box, link->x + 2, link->y + 2);
    ClickAt(x, y);
    ASSERT_EQ(platform::DefaultBrowser().Opened().size(), 1u);
    EXPECT_EQ(platform::DefaultBrowser().Opened()[0].substr(0, folder.Path().size()),
              folder.Path());

    RichTextElement* file = box->GetLastElement();
    const auto [fx, fy] = SceneOf(*box, file->x + 2, file->y + 2);
    ClickAt(fx, fy);
    EXPECT_EQ(platform::DefaultBrowser().Opened().size(), 1u) << "files never open";
}

TEST_F(RichTextInputTest, HoverPicturesFollowThePointerFromLinkToLink) {
    AddFace("tip", 1, 30, 20);
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle | kRichLiveLinks);
    box->AppendText("<url_text=http://a/,one,tip> <url_text=http://b/,two,tip>");
    Settle();
    auto* first = box->GetLinkOfElement(box->GetElement(0));
    auto* second = box->GetLinkOfElement(box->GetElement(4));
    ASSERT_TRUE(first && second);
    CCorvaneObject* tipOne = visual->FindObjectById(first->GetHoverPictureId());
    CCorvaneObject* tipTwo = visual->FindObjectById(second->GetHoverPictureId());
    ASSERT_TRUE(tipOne && tipTwo);

    const auto [x1, y1] = SceneOf(*box, 3, 5);
    MoveTo(x1, y1);
    Frames(2);
    EXPECT_EQ(box->GetHoveredLinkId(), first->GetId());
    EXPECT_NE(tipOne->IsVisible(), 0);
    EXPECT_EQ(backend.CurrentCursor(), platform::SystemCursor(platform::kCursorHand));

    const auto [x2, y2] = SceneOf(*box, 4 * 7 + 3, 5);
    MoveTo(x2, y2);
    Frames(2);
    EXPECT_EQ(box->GetHoveredLinkId(), second->GetId());
    EXPECT_EQ(tipOne->IsVisible(), 0);
    EXPECT_NE(tipTwo->IsVisible(), 0);

    const auto [x3, y3] = SceneOf(*box, 3 * 7 + 2, 5);  // the space between
    MoveTo(x3, y3);
    Frames(2);
    EXPECT_EQ(box->GetHoveredLinkId(), 0);
    EXPECT_EQ(tipTwo->IsVisible(), 0);
    EXPECT_EQ(backend.CurrentCursor(), platform::SystemCursor(platform::kCursorArrow));
}

TEST_F(RichTextInputTest, TheCaretMovesByCharacterAndByLine) {
    CCorvaneRichText* box = MakeBox(300, 100, kSelectable | kRichEditable);
    box->AppendText("abc\nde\nfghi");
    box->PlaceCaret(box->GetElement(1));  // before b
    box->CaretUp();
    EXPECT_EQ(box->GetInsertionPoint(), box->GetElement(1)) << "nothing above the first line";
    box->CaretDown();
    EXPECT_EQ(box->GetInsertionPoint(), box->GetElement(5)) << "before e";
    box->CaretDown();
    EXPECT_EQ(box->GetInsertionPoint(), box->GetElement(8)) << "before g";
    box->CaretDown();
    EXPECT_EQ(box->GetInsertionPoint(), nullptr) << "behind the last element";
    box->CaretUp();
    EXPECT_EQ(box->GetInsertionPoint(), box->GetElement(6)) << "x beyond the line: its end";
    box->CaretLeft();
    EXPECT_EQ(box->GetInsertionPoint(), box->GetElement(5));
    box->CaretRight();
    EXPECT_EQ(box->GetInsertionPoint(), box->GetElement(6));

    // Typing goes in at the caret; a selection is replaced.
    box->AppendText("X");
    EXPECT_EQ(Text(*box), "abc\ndeX\nfghi");
    box->MarkSelection(box->GetElement(0), box->GetElement(2));
    box->AppendText("Y");
    EXPECT_EQ(Text(*box), "Yc\ndeX\nfghi");
    box->MarkSelection(box->GetElement(3), nullptr);
    box->DeleteBackward();
    EXPECT_EQ(Text(*box), "Yc\n");
    box->DeleteBackward();
    EXPECT_EQ(Text(*box), "Yc");
}

TEST_F(RichTextInputTest, TheInputMethodIsToldWhereTheCaretStands) {
    CCorvaneRichText* box = MakeBox(300, 100, kSelectable | kRichEditable);
    box->AppendText("ab\n<size=20>cd");
    IntRect scene;
    visual->GetSceneViewRect(&scene);
    auto expectAreaAt = [&](int left, int top, int height) {
        const auto [x, y] = SceneOf(*box, left, top);
        const std::optional<platform::TextInputPlacement> placed = platform::LastTextInputArea();
        ASSERT_TRUE(placed.has_value());
        EXPECT_EQ(placed->window, window.Id());
        EXPECT_EQ(placed->area, (platform::PixelRect{x - scene.left, y - scene.top,
                                                     x - scene.left + 1, y - scene.top + height}));
    };
    box->PlaceCaret(box->GetElement(1));  // before b
    expectAreaAt(7, 0, 14);
    box->CaretDown();  // before d
    RichTextElement* d = box->GetElement(4);
    ASSERT_EQ(box->GetInsertionPoint(), d);
    expectAreaAt(d->x, d->lineTop, 20);
    box->CaretRight();  // behind d
    expectAreaAt(d->Right(), d->lineTop, 20);
}

TEST_F(RichTextInputTest, DeactivationHidesTheCaretAndOptionallyTheBox) {
    CCorvaneRichText* box = MakeBox(300, 100, kSelectable | kRichEditable | kRichHideOnDeactivate);
    box->AppendText("ab");
    box->PlaceCaret(box->GetElement(1));
    ASSERT_TRUE(box->IsCaretVisible());
    Deliver(box, kEventFocusLost, 0, 0);
    EXPECT_FALSE(box->IsCaretVisible());
    EXPECT_EQ(box->GetInsertionPoint(), nullptr);
    EXPECT_EQ(box->IsVisible(), 0);
}

}  // namespace
