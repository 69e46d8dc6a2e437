#include "engine/ui/CorvaneTextList.h"

#include <gtest/gtest.h>

#include "engine/ui/CorvaneTextItem.h"
#include "tests/engine_ui/TextDisplayTestSupport.h"

namespace {

class TextListTest : public UiSceneTest {
protected:
    void SetUp() override {
        UiSceneTest::SetUp();
        list = Register<CCorvaneTextList>();
        ASSERT_EQ(list->Create(100, 20, 12, 0xFFFFFF), 1);
        list->SetPos(200, 150);
    }

    CCorvaneTextItem* Add(const char* caption, int event) {
        const EventRecord notify = MakeEventRecord(owner->GetId(), event, 0, 0);
        return list->AddItem(caption, &notify, 0, 0);
    }
    void ShowList() {
        list->Show();
        list->Invalidate();
        Frame();
    }
    size_t Count(int event) const { return Of(event).size(); }

    CCorvaneTextList* list = nullptr;
};

TEST_F(TextListTest, RowsStackInsideAFramedCanvasInTheOrderAdded) {
    CCorvaneTextItem* one = Add("one", 80000001);
    CCorvaneTextItem* two = Add("two", 80000002);
    CCorvaneTextItem* again = Add("one", 80000003);
    CCorvaneCanvas& canvas = *list->GetCanvas();
    EXPECT_EQ(canvas.GetCanvasWidth(), 104);
    EXPECT_EQ(list->GetHeight(), 64.0);
    EXPECT_EQ(canvas.GetPixel(0, 0), 0u);
    EXPECT_EQ(canvas.GetAlpha(103, 63), 255);
    EXPECT_EQ(canvas.GetPixel(1, 1), 0xFFFFFFu);
    // Canvas left 148 and top 118: centres at x 200 and y 130, 150, 170.
    EXPECT_EQ(one->GetX(), 200.0);
    EXPECT_EQ(one->GetY(), 130.0);
    EXPECT_EQ(two->GetY(), 150.0);
    EXPECT_EQ(again->GetY(), 170.0);
    EXPECT_GT(one->GetZ(), canvas.GetZ());

    EXPECT_EQ(list->GetItem(2), again);
    EXPECT_EQ(list->GetItem(3), nullptr);
    EXPECT_EQ(list->GetItem(-1), nullptr);
    EXPECT_EQ(one->GetNext(), two);
    EXPECT_EQ(list->FindItem("one"), one);
    EXPECT_EQ(list->FindItem(nullptr), nullptr);

    list->SetPos(300, 250);
    EXPECT_EQ(again->GetX(), 300.0);
    EXPECT_EQ(again->GetY(), 270.0);
}

TEST_F(TextListTest, RowsComeAndGoWithoutShowingTheListAndEmptyItHides) {
    CCorvaneTextItem* first = Add("a", 80000001);
    CCorvaneTextItem* second = Add("b", 80000002);
    CCorvaneTextItem* third = Add("c", 80000003);
    EXPECT_EQ(list->IsVisible(), 0);
    list->Show();
    EXPECT_EQ(third->IsVisible(), 1);
    list->Hide();
    Add("d", 80000004);
    EXPECT_EQ(list->IsVisible(), 0);
    list->Show();

    // A row destroyed on its own drops out and the rest close up.
    objects->DestroyObjectById(second->GetId());
    list->Layout();
    EXPECT_EQ(list->GetFirstItem(), first);
    EXPECT_EQ(first->GetNext(), third);
    EXPECT_EQ(list->GetCanvas()->GetCanvasHeight(), 64);
    EXPECT_EQ(third->GetY(), 150.0);

    for (int i = 2; i >= 0; --i) {
        objects->DestroyObjectById(list->GetItem(i)->GetId());
    }
    list->Layout();
    EXPECT_EQ(list->IsVisible(), 0);
    EXPECT_EQ(list->GetFirstItem(), nullptr);

    // The list made its rows and takes them along.
    const int row = Add("e", 80000005)->GetId();
    objects->DestroyObjectById(list->GetId());
    EXPECT_EQ(objects->FindObjectById(row), nullptr);
    Frame();
}

TEST_F(TextListTest, AClickedRowSendsItsRecordAndLosingTheFocusHidesTheList) {
    CCorvaneTextItem* a = Add("a", 80000001);
    CCorvaneTextItem* b = Add("b", 80000002);
    CCorvaneTextItem* c = Add("c", 80000001);
    ShowList();
    list->EnableItemByNotify(owner->GetId(), 80000001, 0);
    EXPECT_EQ(a->IsInputEnabled(), 0);
    EXPECT_EQ(b->IsInputEnabled(), 1);
    EXPECT_EQ(c->IsInputEnabled(), 0);
    Click(c);
    Click(b);
    Frame();
    EXPECT_EQ(Count(80000001), 0u);
    EXPECT_EQ(Count(80000002), 1u);
    list->EnableItemByNotify(owner->GetId(), 80000001, 1);
    Click(c);
    Frame();
    EXPECT_EQ(Count(80000001), 1u);
    EXPECT_EQ(list->IsVisible(), 1);

    // A press on nothing takes the focus away.
    MoveTo(20, 20);
    Press(20, 20);
    Release(20, 20);
    Frames(2);
    EXPECT_EQ(list->IsVisible(), 0);
    EXPECT_EQ(b->IsVisible(), 0);
}

}  // namespace
