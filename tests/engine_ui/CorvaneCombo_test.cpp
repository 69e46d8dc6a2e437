// The form panel: parts placed by offset and reached by key, the Tab ring
// of its edit fields and their editing cycle, radio items and bulk clears.

#include <gtest/gtest.h>

#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneComboBox.h"
#include "tests/engine_ui/EditBoxText.h"
#include "tests/engine_ui/RichTextTestSupport.h"

namespace {

constexpr int kRadioOn = 80000500;

class ComboTest : public RichTextTest {
protected:
    void SetUp() override {
        RichTextTest::SetUp();
        panel = Register<CCorvaneComboBox>();
        panel->SetSize(400, 300);
        panel->SetPos(300, 250);  // top-left (100, 100)
        panel->Show();
        Frame();
    }
    void Type(const std::string& bytes) {
        for (char c : bytes) {
            input->OnChar(static_cast<uint8_t>(c), 1, 0);
        }
        Frame();
    }
    void Key(int key) {
        input->OnKeyDown(key, 1, 0);
        Frame();
    }
    int Focus() {
        InputState state;
        return input->GetInputState(&state)->focus;
    }

    CCorvaneComboBox* panel = nullptr;
};

TEST_F(ComboTest, PartsArePlacedByOffsetAndReachedByKind) {
    CCorvaneCanvas* label = panel->AddLabel(1, 10, 20, "abcdef", 12, 0x0000FF);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetCanvasWidth(), 36);
    EXPECT_EQ(label->GetCanvasHeight(), 12);
    EXPECT_DOUBLE_EQ(label->GetLeft(), 110);
    EXPECT_DOUBLE_EQ(label->GetTop(), 120);
    EXPECT_NE(label->IsVisible(), 0) << "the panel is visible";
    EXPECT_DOUBLE_EQ(label->GetZ(), panel->GetZ() + 0.1);

    panel->SetLabelText(1, "abcd");
    EXPECT_EQ(label->GetCanvasWidth(), 26);
    EXPECT_EQ(label->GetCanvasHeight(), 12);
    EXPECT_DOUBLE_EQ(label->GetLeft(), 110);
    EXPECT_DOUBLE_EQ(label->GetTop(), 120);

    CCorvaneComboEdit* edit = panel->AddEdit(2, 50, 60, 100, 26);
    EXPECT_DOUBLE_EQ(edit->GetX(), 100 + 50 + 50);
    EXPECT_DOUBLE_EQ(edit->GetY(), 100 + 60 + 13);
    EXPECT_GT(edit->GetZ(), panel->GetZ());

    // Operations of another kind, absent keys and vanished parts do nothing.
    panel->SetLabelText(2, "xyz");
    panel->SetEditText(1, "nope");
    panel->SetEditText(99, "nope");
    panel->SetCheck(2, 1);
    EXPECT_EQ(label->GetCanvasWidth(), 26);
    EXPECT_EQ(EditBoxText(*edit), "");

    // A key in use keeps naming the first part.
    CCorvaneCanvas* second = panel->AddLabel(1, 0, 0, "zz", 12, 0);
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(panel->GetPart(1), label);

    panel->HidePart(1);
    EXPECT_EQ(label->IsVisible(), 0);
    panel->ShowPart(1);
    EXPECT_NE(label->IsVisible(), 0);

    const int labelId = label->GetId();
    panel->RemovePart(1);
    EXPECT_EQ(panel->GetPart(1), nullptr);
    EXPECT_EQ(label->IsVisible(), 0);
    Frames(5);
    EXPECT_EQ(visual->FindObjectById(labelId), nullptr);
    panel->SetLabelText(1, "gone");
    panel->SetEditNumber(2, -42);
    EXPECT_EQ(EditBoxText(*edit), "-42");
    EXPECT_EQ(edit->GetCommittedText(), "-42");
}

TEST_F(ComboTest, EditPartsFormATabRingInKeyOrder) {
    CCorvaneComboEdit* c = panel->AddEdit(30, 0, 0, 80, 26);
    EXPECT_EQ(c->GetNextField(), c) << "one field rings to itself";
    CCorvaneComboEdit* a = panel->AddEdit(10, 0, 40, 80, 26);
    panel->AddLabel(15, 0, 80, "x", 12, 0);
    CCorvaneComboEdit* b = panel->AddEdit(20, 0, 120, 80, 26);
    EXPECT_EQ(a->GetNextField(), b);
    EXPECT_EQ(b->GetNextField(), c);
    EXPECT_EQ(c->GetNextField(), a);
}

TEST_F(ComboTest, RemovingAnEditPartTakesItOutOfTheTabRingAtOnce) {
    CCorvaneComboEdit* a = panel->AddEdit(10, 0, 0, 80, 26);
    CCorvaneComboEdit* b = panel->AddEdit(20, 0, 40, 80, 26);
    CCorvaneComboEdit* c = panel->AddEdit(30, 0, 80, 80, 26);
    panel->Show();
    Frame();

    // Tab from the part before the removed one, while the removed part
    // still waits, hidden, for its deferred destroy.
    const int removedId = b->GetId();
    panel->RemovePart(20);
    EXPECT_EQ(a->GetNextField(), c);
    EXPECT_EQ(c->GetNextField(), a);
    a->TakeFocus();
    Frame();
    Key(kEditKeyTab);
    EXPECT_EQ(Focus(), c->GetId());

    // And once it is gone.
    Frames(5);
    ASSERT_EQ(visual->FindObjectById(removedId), nullptr);
    a->TakeFocus();
    Frame();
    Key(kEditKeyTab);
    EXPECT_EQ(Focus(), c->GetId());

    // The last edit part left rings to itself; none left, nothing remains.
    panel->RemovePart(30);
    EXPECT_EQ(a->GetNextField(), a);
    a->TakeFocus();
    Frame();
    Key(kEditKeyTab);
    EXPECT_EQ(Focus(), a->GetId());

    // A focused part that is removed gives the focus up with it.
    panel->RemovePart(10);
    Frame();
    EXPECT_EQ(Focus(), 0);
}

TEST_F(ComboTest, TabCommitsTheTextAndActivatesTheNextField) {
    CCorvaneComboEdit* first = panel->AddEdit(1, 0, 0, 120, 26);
    CCorvaneComboEdit* second = panel->AddEdit(2, 0, 40, 120, 26);
    panel->SetEditText(2, "old");
    panel->Show();
    EXPECT_EQ(second->GetFirstElement()->color, kComboInactiveText);
    EXPECT_EQ(second->GetStyle() & kRichFollow, 0u) << "inactive";

    first->TakeFocus();
    Frame();
    EXPECT_EQ(Focus(), first->GetId());
    Type("12");
    EXPECT_EQ(first->GetFirstElement()->color, 0u) << "black while editing";
    Key(kEditKeyTab);
    Frame();
    EXPECT_EQ(EditBoxText(*first), "12");
    EXPECT_EQ(first->GetCommittedText(), "12");
    EXPECT_EQ(first->GetFirstElement()->color, kComboInactiveText);
    EXPECT_EQ(Focus(), second->GetId());
    EXPECT_EQ(EditBoxText(*second), "old");
    EXPECT_EQ(second->GetFirstElement()->color, 0u);
    EXPECT_NE(second->GetStyle() & kRichFollow, 0u);
    EXPECT_TRUE(second->HasSelection());

    // Typing replaces the selection; losing the focus commits.
    Type("new");
    visual->SetFocus(0);
    Frame();
    EXPECT_EQ(second->GetCommittedText(), "new");
    EXPECT_EQ(second->GetFirstElement()->color, kComboInactiveText);

    panel->ClearEdits(-1);
    EXPECT_EQ(EditBoxText(*first), "");
    EXPECT_EQ(first->GetCommittedText(), "");
    EXPECT_EQ(second->GetCommittedText(), "");
}

TEST_F(ComboTest, TheFrameFollowsTheMouseUnlessAnImageReplacesIt) {
    CCorvaneComboEdit* edit = panel->AddEdit(1, 0, 0, 120, 26);
    CCorvaneCanvas* base = edit->GetBaseCanvas();
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->GetPixel(0, 0), 0u) << "the frame colour";
    Deliver(edit, kEventMouseEnter, 0, 0);
    EXPECT_EQ(base->GetPixel(0, 0), 0xFF0000u);
    EXPECT_EQ(base->GetPixel(119, 25), 0xFF0000u);
    Deliver(edit, kEventMouseLeave, 0, 0);
    EXPECT_EQ(base->GetPixel(0, 0), 0u);

    AddFace("back", 1, 120, 26);
    edit->SetBackgroundImage("back");
    EXPECT_EQ(edit->GetFrameColor(), kComboNoFrame);
    const uint32_t before = base->GetPixel(0, 0);
    EXPECT_EQ(Deliver(edit, kEventMouseEnter, 0, 0), 1);
    EXPECT_EQ(base->GetPixel(0, 0), before);
}

TEST_F(ComboTest, RadioItemsTurnOnOnlyAndClearChecksTurnsEverythingOff) {
    const FrameRecord face = AddFace("radio", 2, 20, 20);
    CCorvaneComboItem* one = panel->AddRadioItem(1, 0, 0, face, 0);
    CCorvaneComboItem* two = panel->AddRadioItem(2, 40, 0, face, 1);
    CCorvaneCheckBox* check = panel->AddCheckBox(3, 80, 0, face, 1);
    one->SetOnNotify(MakeEventRecord(owner->GetId(), kRadioOn, 1, 0));
    two->SetOnNotify(MakeEventRecord(owner->GetId(), kRadioOn, 2, 0));
    log.clear();
    for (int key : {1, 2, 3}) {
        panel->ShowPart(key);
    }
    Frame();

    ClickAt(105, 110);  // `one`, off
    Frames(2);
    EXPECT_EQ(one->GetState(), 1);
    EXPECT_EQ(two->GetState(), 1);
    ClickAt(105, 110);  // on: nothing
    ClickAt(145, 110);
    Frames(2);
    EXPECT_EQ(one->GetState(), 1);
    EXPECT_EQ(Of(kRadioOn).size(), 1u);

    panel->ClearChecks(2);
    EXPECT_EQ(two->GetState(), 0);
    EXPECT_EQ(one->GetState(), 1);
    panel->ClearChecks(-1);
    EXPECT_EQ(one->GetState(), 0);
    EXPECT_EQ(check->GetState(), 0);
    EXPECT_EQ(one->GetPicture()->GetFrame(), 0);
}

}  // namespace
