// Check boxes toggled by real button-down input; their notifications are
// posted, so they reach the owner on a later frame.

#include "engine/ui/CorvaneCheckBox.h"

#include <gtest/gtest.h>

#include "engine/CorvanePicture.h"
#include "tests/engine_ui/ToolkitTestSupport.h"

namespace {

constexpr int kOn = 80000010;
constexpr int kOff = 80000011;

// A 40 x 20 two-frame box centred on (100, 100).
class CheckBoxTest : public ToolkitTest {
protected:
    CCorvaneCheckBox* MakeBox(int initialState) {
        CCorvaneCheckBox* box = Register<CCorvaneCheckBox>();
        EXPECT_EQ(box->Create(AddFace("复选框", 2), initialState), initialState);
        box->SetOnNotify(MakeEventRecord(owner->GetId(), kOn, 0, 0));
        box->SetOffNotify(MakeEventRecord(owner->GetId(), kOff, 0, 0));
        box->SetPos(100, 100);
        box->Show();
        box->Invalidate();
        Frame();
        return box;
    }
    int Shown(CCorvaneCheckBox* box) { return box->GetPicture()->GetFrame(); }
};

TEST_F(CheckBoxTest, EachPressTogglesAndPostsItsNotification) {
    CCorvaneCheckBox* box = MakeBox(0);
    EXPECT_EQ(box->GetType(), kKindCheckBox);
    EXPECT_EQ(Shown(box), 0);

    MoveTo(90, 100);
    Press(90, 100);
    Frame();
    EXPECT_EQ(box->GetCheck(), 1);
    EXPECT_EQ(Shown(box), 1);
    EXPECT_EQ(OwnerEvents(), Ids{}) << "posted, not yet delivered";
    Frame();
    EXPECT_EQ(OwnerEvents(), Ids{kOn});

    Release(90, 100);
    Press(90, 100);
    Frames(2);
    EXPECT_EQ(box->GetState(), 0);
    EXPECT_EQ(Shown(box), 0);
    EXPECT_EQ(OwnerEvents(), (Ids{kOn, kOff}));
}

TEST_F(CheckBoxTest, SetCheckPostsEachTimeAndOtherStatesDoNotToggle) {
    CCorvaneCheckBox* box = MakeBox(1);
    EXPECT_EQ(Shown(box), 1);
    box->SetCheck(1);
    box->SetCheck(1);
    box->SetCheck(0);
    Frames(2);
    EXPECT_EQ(OwnerEvents(), (Ids{kOn, kOn, kOff}));

    // A state other than 0 and 1 is kept; the press changes nothing.
    box->SetCheck(2);
    EXPECT_EQ(Shown(box), 1);
    log.clear();
    ClickAt(90, 100);
    Frame();
    EXPECT_EQ(box->GetState(), 2);
    EXPECT_EQ(OwnerEvents(), Ids{kOn}) << "only SetCheck's own notification";

    // Notifications without a target or an event id are not posted.
    box->SetOnNotify(MakeEventRecord(0, kOn, 0, 0));
    box->SetOffNotify(MakeEventRecord(owner->GetId(), 0, 0, 0));
    log.clear();
    box->SetCheck(0);
    box->Toggle();
    box->Toggle();
    Frames(2);
    EXPECT_EQ(OwnerEvents(), Ids{});
    EXPECT_EQ(box->GetState(), 0);
}

TEST_F(CheckBoxTest, WithoutAPictureTheStateStillChanges) {
    CCorvaneCheckBox* bare = Register<CCorvaneCheckBox>();
    bare->SetCheck(1);
    bare->Toggle();
    EXPECT_EQ(bare->GetState(), 0);
    EXPECT_EQ(Shown(MakeBox(3)), 1) << "an initial state beyond the frames, modulo their count";
}

}  // namespace
