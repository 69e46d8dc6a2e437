// The edit box: typed, pasted and recalled text within the byte limit, the
// text read-back, submitting and history, the hint, password display, the
// key map and the input bindings, driven through the input module.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneEdit.h"
#include "tests/engine_ui/EditBoxText.h"
#include "tests/engine_ui/RichTextTestSupport.h"

namespace {

constexpr int kSubmitEvent = 80000076;

// Counts refused insertions.
class CountingEdit : public CCorvaneEdit {
public:
    void OnTextFull() override { ++refused; }
    int refused = 0;
};

// A field that takes digits only, the way number fields refine the box.
class DigitsEdit : public CCorvaneEdit {
public:
    void InsertText(const char* text) override {
        std::string digits;
        for (const char* p = text; *p != '\0'; ++p) {
            if (*p >= '0' && *p <= '9') {
                digits += *p;
            }
        }
        CCorvaneEdit::InsertText(digits.c_str());
    }
};

class EditTest : public RichTextTest {
protected:
    void SetUp() override {
        RichTextTest::SetUp();
        // The owner takes what it is sent, as a receiver must.
        owner->onEvent = [this](const EventRecord& r) {
            if (r.event == kSubmitEvent) {
                auto* text = EventParamPointer<char>(r.param1);
                submitted.emplace_back(text);
                FreeEventBlock(text);
            }
        };
    }
    ~EditTest() override { backend.SetKeyDown(platform::kKeyControl, false); }

    template <class Edit = CCorvaneEdit>
    Edit* MakeEdit(uint32_t style = kRichSingleLine, int top = 100) {
        auto* edit = Register<Edit>();
        edit->Create(200, 20, style);
        edit->SetPos(100 + 100, top + 10);
        edit->Show();
        edit->Invalidate();
        edit->TakeFocus();
        Frame();
        return edit;
    }
    // Typed bytes, one message each, as the window delivers them; the input
    // module posts them to the next frame.
    void Type(const std::string& bytes) {
        for (char c : bytes) {
            input->OnChar(static_cast<uint8_t>(c), 1, 0);
        }
        Frame();
    }
    void Key(int key) {
        input->OnKeyDown(key, 1, 0);
        input->OnKeyUp(key, 1, 0);
        Frame();
    }
    void CtrlKey(int key) {
        backend.SetKeyDown(platform::kKeyControl, true);
        Key(key);
        backend.SetKeyDown(platform::kKeyControl, false);
    }
    int Focus() {
        InputState state;
        return input->GetInputState(&state)->focus;
    }

    std::vector<std::string> submitted;
};

TEST_F(EditTest, TheLengthLimitCountsBytesAndNeverSplitsACharacter) {
    auto* edit = MakeEdit<CountingEdit>();
    edit->SetMaxLength(10);
    Type("123456789");
    Type("中");
    EXPECT_EQ(EditBoxText(*edit), "123456789") << "11 bytes exceed the limit";
    EXPECT_EQ(edit->refused, 0);
    Type("a");
    EXPECT_EQ(edit->GetTextLength(), 10);
    Type("b中");
    EXPECT_EQ(EditBoxText(*edit), "123456789a");
    EXPECT_EQ(edit->refused, 2);

    // A pasted run keeps its first characters up to the limit.
    auto* pasted = MakeEdit(kRichSingleLine, 200);
    pasted->SetMaxLength(10);
    ASSERT_TRUE(platform::SetClipboardText("abcdefghi中文字符串都太长了"));
    CtrlKey(kEditKeyPaste);
    EXPECT_EQ(EditBoxText(*pasted), "abcdefghi");

    // Inserting in the middle drops the end of the insertion, not the text
    // that follows the caret.
    auto* middle = MakeEdit(kRichSingleLine, 300);
    middle->SetMaxLength(10);
    Type("abcdefgh");
    for (int i = 0; i < 5; ++i) {
        Key(kEditKeyLeft);
    }
    middle->InsertText("XYZ");
    EXPECT_EQ(EditBoxText(*middle), "abcXYdefgh");
    Type("Q");
    EXPECT_EQ(EditBoxText(*middle), "abcXYdefgh");

    // A huge paste is cut to the room left; carriage returns take none.
    middle->Reset();
    ASSERT_TRUE(platform::SetClipboardText("a\r\nb" + std::string(200000, 'x')));
    middle->Paste();
    EXPECT_EQ(EditBoxText(*middle), "a\nbxxxxxxx");
    // With markup on, the run is trimmed after it is built.
    middle->Reset();
    middle->EnableMarkup(true);
    middle->InsertText("<c=255>0123456789abc");
    EXPECT_EQ(EditBoxText(*middle), "0123456789");
    middle->EnableMarkup(false);

    // No limit: 0 and negative values.
    middle->SetMaxLength(0);
    middle->InsertText("++");
    EXPECT_EQ(middle->GetTextLength(), 12);
}

TEST_F(EditTest, TheTextReadsObjectsAsControlsAndTakesMarkupLiterally) {
    AddFace("pic", 1, 10, 10);
    auto* edit = MakeEdit(kRichSingleLine);
    CCorvanePicture* picture = visual->CreatePicture(visual->GetResourceFrame("pic", 0));
    edit->InsertObject(picture);
    Type("ab");
    EXPECT_EQ(edit->GetTextLength(), 8);
    char* text = edit->GetText();
    EXPECT_EQ(std::strlen(text), 8u);
    EXPECT_EQ(std::string(text), "[控件]ab");
    FreeEventBlock(text);

    // Pasted tags, colour escapes and placeholders stay text.
    auto* literal = MakeEdit(kRichSingleLine, 200);
    ASSERT_TRUE(platform::SetClipboardText("<c=255>red#r##[图片]<z=pic>"));
    CtrlKey(kEditKeyPaste);
    EXPECT_EQ(EditBoxText(*literal), "<c=255>red#r##[图片]<z=pic>");
    EXPECT_EQ(literal->GetTextLength(), 27);
}

TEST_F(EditTest, ALiteralTextNeverReachesPastItsOwnEnd) {
    // A lone lead byte at the end is dropped, within a room too.
    EXPECT_EQ(EditLiteralText("Mallory\xB0", -1), "Mallory");
    EXPECT_EQ(EditLiteralText("ab\xB0", 3), "ab");
    // Kept raw, it would pair across the even-length word with the escape of
    // the next name and let that name's link live.
    const std::string link = "<url_text=http://evil.example/,领奖>";
    CCorvaneRichText* box = MakeBox(300, 100, kRichDefaultStyle | kRichLiveLinks);
    box->AppendText((" <c=2906200>" + EditLiteralText("Mallory\xB0", -1) + "答应" +
                     EditLiteralText(link.c_str(), -1) + "的退出请求 \r\n")
                        .c_str());
    EXPECT_EQ(Text(*box), " Mallory答应" + link + "的退出请求 \n");
    int linked = 0;
    for (RichTextElement* e : Elements(*box)) {
        linked += box->GetLinkOfElement(e) != nullptr;
    }
    EXPECT_EQ(linked, 0);
}

TEST_F(EditTest, EnterSubmitsAndUpAndDownRecallTheHistory) {
    auto* edit = MakeEdit(kRichSingleLine | kEditHistory);
    edit->SetNotify(owner->GetId(), kSubmitEvent, 0);
    for (const char* entry : {"A", "B", "C"}) {
        Type(entry);
        Key(kEditKeyEnter);
        EXPECT_EQ(EditBoxText(*edit), entry) << "a submit leaves the text to the owner";
        edit->Reset();
    }
    EXPECT_EQ(submitted, (std::vector<std::string>{"A", "B", "C"}));
    const std::vector<std::string> shown = {"B", "A", "C"};
    for (const std::string& expected : shown) {
        Key(kEditKeyUp);
        EXPECT_EQ(EditBoxText(*edit), expected);
        EXPECT_EQ(Text(*edit), expected);
    }
    Key(kEditKeyUp);  // B
    Key(kEditKeyUp);  // A
    Key(kEditKeyDown);
    EXPECT_EQ(EditBoxText(*edit), "B");
    EXPECT_TRUE(edit->HasSelection()) << "the recalled text is selected";
    Type("x");
    EXPECT_EQ(EditBoxText(*edit), "x") << "typing replaces the selected entry";

    // Recalled entries obey the limit.
    edit->SetMaxLength(1);
    edit->AddHistory("long entry");
    edit->Reset();
    Key(kEditKeyDown);  // from the newest to the oldest
    Key(kEditKeyUp);
    EXPECT_EQ(EditBoxText(*edit), "l");

    // The history is bounded.
    for (int i = 0; i < 300; ++i) {
        edit->AddHistory(std::to_string(i).c_str());
    }
    ASSERT_EQ(edit->GetHistory().size(), kEditHistoryLimit);
    EXPECT_EQ(edit->GetHistory().back(), "299");
    EXPECT_EQ(edit->GetHistoryIndex(), static_cast<int>(kEditHistoryLimit) - 1);
}

TEST_F(EditTest, UpAndDownMoveTheCaretWithoutAHistory) {
    auto* multi = MakeEdit(kEditHistory);  // not single-line
    multi->AddHistory("old");
    Type("ab");
    Key(kEditKeyEnter);  // no notify target: a line end
    Type("cd");
    EXPECT_EQ(EditBoxText(*multi), "ab\ncd");
    Key(kEditKeyUp);
    Type("X");
    EXPECT_EQ(EditBoxText(*multi), "abX\ncd");
    EXPECT_TRUE(submitted.empty());
}

TEST_F(EditTest, LiveSubmitSendsTheWholeTextOnEveryChange) {
    auto* edit = MakeEdit(kRichSingleLine | kEditSubmitOnChange | kEditHistory);
    edit->SetNotify(owner->GetId(), kSubmitEvent, 0);
    Type("ab");
    Key(kEditKeyBack);
    Key(kEditKeyLeft);
    Key(kEditKeyDelete);
    ASSERT_TRUE(platform::SetClipboardText("XY"));
    CtrlKey(kEditKeyPaste);
    const std::vector<std::string> expected = {"a", "ab", "a", "", "XY"};
    EXPECT_EQ(submitted, expected);
    EXPECT_EQ(edit->GetHistory(), expected);

    // Without a receiver the texts are not delivered and not leaked.
    auto* alone = MakeEdit(kRichSingleLine | kEditSubmitOnChange, 200);
    Type("zz");
    EXPECT_EQ(EditBoxText(*alone), "zz");
    CCorvaneEdit unregistered;
    unregistered.SetNotify(owner->GetId(), kSubmitEvent, 0);
    unregistered.Submit();
    EXPECT_EQ(submitted.size(), expected.size());
}

TEST_F(EditTest, EnterHidesAfterSubmitWhenAsked) {
    auto* edit = MakeEdit(kRichSingleLine);
    edit->SetNotify(owner->GetId(), kSubmitEvent, 1);
    Type("hi");
    Key(kEditKeyEnter);
    EXPECT_EQ(submitted, std::vector<std::string>{"hi"});
    EXPECT_EQ(edit->IsVisible(), 0);
}

TEST_F(EditTest, PasswordBoxesDrawStarsAndCopyNothing) {
    auto* secret = MakeEdit(kRichSingleLine);
    secret->SetPassword(1);
    Type("il中");
    auto* stars = MakeEdit(kRichSingleLine, 200);
    Type("****");
    Settle();
    EXPECT_EQ(EditBoxText(*secret), "il中");
    EXPECT_GT(InkOf(*secret), 0);
    EXPECT_EQ(PixelsOf(*secret), PixelsOf(*stars)) << "one '*' per byte";

    visual->SetFocus(secret->GetId());
    secret->SelectAll();
    platform::DefaultClipboard().Clear();
    CtrlKey('C');
    EXPECT_FALSE(platform::GetClipboardText().has_value());
    secret->SetPassword(0);
    secret->SelectAll();
    CtrlKey('C');
    EXPECT_EQ(platform::GetClipboardText().value_or(""), "il中");
}

TEST_F(EditTest, CtrlVPastesAndVAloneIsTyped) {
    auto* edit = MakeEdit();
    ASSERT_TRUE(platform::SetClipboardText("clip"));
    EXPECT_EQ(edit->OnKey(kEditKeyPaste, 0), 0);
    input->OnKeyDown(kEditKeyPaste, 1, 0);
    Type("v");
    EXPECT_EQ(EditBoxText(*edit), "v");
    CtrlKey(kEditKeyPaste);
    EXPECT_EQ(EditBoxText(*edit), "vclip");
    EXPECT_EQ(edit->OnKey('Q', 0), 0);
}

TEST_F(EditTest, TheHintGoesAtTheFirstKeyStroke) {
    auto* edit = MakeEdit();
    edit->SetTextColor(0x000080);
    edit->ShowHint("请输入", 0xC0C0C0);
    EXPECT_TRUE(edit->IsHintShown());
    EXPECT_EQ(EditBoxText(*edit), "请输入");
    EXPECT_EQ(edit->GetTextColor(), 0x000080u) << "the text colour comes back";
    EXPECT_EQ(edit->GetFirstElement()->color, 0xC0C0C0u);

    // Key-down comes before the character of the same stroke.
    input->OnKeyDown('X', 1, 0);
    Type("x");
    EXPECT_FALSE(edit->IsHintShown());
    EXPECT_EQ(EditBoxText(*edit), "x");

    // A mouse-down clears the text; the state lasts until the next key.
    edit->ShowHint("hint", 0xC0C0C0);
    CCorvaneCanvas* text = edit->GetTextCanvas();
    Deliver(edit, kEventLButtonDown, static_cast<int>(text->GetLeft()) + 2,
            static_cast<int>(text->GetTop()) + 2);
    EXPECT_EQ(EditBoxText(*edit), "");
    EXPECT_TRUE(edit->IsHintShown());
    Type("a");
    Key('A');
    EXPECT_FALSE(edit->IsHintShown());
    EXPECT_EQ(EditBoxText(*edit), "") << "the hint state clears the box at the key";

    // Taking the focus clears it too.
    edit->ShowHint("hint", 0xC0C0C0);
    visual->SetFocus(0);
    edit->TakeFocus();
    EXPECT_EQ(Focus(), edit->GetId());
    EXPECT_FALSE(edit->IsHintShown());
    EXPECT_EQ(EditBoxText(*edit), "");
}

TEST_F(EditTest, TabMovesToTheNextFieldAndEscapeDropsTheFocus) {
    auto* first = MakeEdit();
    auto* second = MakeEdit(kRichSingleLine, 200);
    first->SetNextField(second);
    first->TakeFocus();
    Key(kEditKeyTab);
    EXPECT_EQ(Focus(), second->GetId());
    Key(kEditKeyTab);
    EXPECT_EQ(Focus(), second->GetId()) << "no next field: nothing";
    Type("s");
    EXPECT_EQ(EditBoxText(*second), "s");
    EXPECT_EQ(EditBoxText(*first), "");
    Key(kEditKeyEscape);
    EXPECT_EQ(Focus(), 0);

    // A next field destroyed elsewhere is forgotten.
    visual->DestroyObject(second, 1);
    Frame();
    first->TakeFocus();
    Key(kEditKeyTab);
    EXPECT_EQ(Focus(), first->GetId());
}

TEST_F(EditTest, DisabledInputTakesNoKeysOrCharacters) {
    auto* edit = MakeEdit();
    Type("a");
    edit->DisableInput();
    Type("b");
    Key(kEditKeyBack);
    EXPECT_EQ(EditBoxText(*edit), "a");
    EXPECT_EQ(edit->GetStyle() & kRichSelectable, 0u);
    edit->EnableInput();
    edit->EnableInput();
    Type("c");
    EXPECT_EQ(EditBoxText(*edit), "ac") << "bound once";
    Key(kEditKeyBack);
    EXPECT_EQ(EditBoxText(*edit), "a");

    // The password switch keeps disabled input disabled.
    edit->DisableInput();
    edit->SetPassword(1);
    Key(kEditKeyBack);
    EXPECT_EQ(EditBoxText(*edit), "a");
}

TEST_F(EditTest, ADerivedInsertionSeesTypedAndPastedText) {
    auto* edit = MakeEdit<DigitsEdit>();
    Type("1a2");
    ASSERT_TRUE(platform::SetClipboardText("x34y"));
    CtrlKey(kEditKeyPaste);
    EXPECT_EQ(EditBoxText(*edit), "1234");
}

TEST_F(EditTest, CreationSetsTheStyleAndTheFontSize) {
    auto* edit = MakeEdit(0x2000);
    EXPECT_EQ(edit->GetStyle(), 0x2000u | kEditCreateStyle);
    EXPECT_EQ(edit->GetFontSize(), 18);
    EXPECT_EQ(edit->GetCreationTag(), kEditCreationTag);
    EXPECT_EQ(edit->GetMaxLength(), -1);
}

}  // namespace
