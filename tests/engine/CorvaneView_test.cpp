#include "engine/CorvaneView.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/engine/SceneTestSupport.h"

namespace {

// Records the rectangle that every Relayout finds stored.
class LayoutView : public CCorvaneView {
public:
    void Relayout() override { layouts.push_back(GetViewRect()); }
    void OnEnterRoom() override { ++enterRooms; }
    void OnCopyData(const CopyDataRecord* record) override {
        received.push_back(record != nullptr ? record->dwData : 0);
    }
    std::vector<IntRect> layouts;
    std::vector<uintptr_t> received;
    int enterRooms = 0;
};

using ViewTest = SceneTest;

TEST(CorvaneViewAlone, RectStartsEmptyAndEachSetRelaysOutOnceAfterStoring) {
    LayoutView view;
    EXPECT_EQ(view.GetType(), kKindObject);
    EXPECT_EQ(view.GetViewRect(), (IntRect{0, 0, 0, 0}));
    EXPECT_TRUE(view.layouts.empty());

    view.SetViewRect(IntRect{10, 20, 810, 620});
    view.SetViewRect(0, 0, 1024, 768);
    ASSERT_EQ(view.layouts.size(), 2u);
    EXPECT_EQ(view.layouts[0], (IntRect{10, 20, 810, 620}));
    EXPECT_EQ(view.layouts[1], (IntRect{0, 0, 1024, 768}));
    IntRect out;
    EXPECT_EQ(view.GetViewRect(&out), &out);
    EXPECT_EQ(out, (IntRect{0, 0, 1024, 768}));
    EXPECT_EQ(view.GetViewRect(nullptr), nullptr);

    view.OnDataReady();
    EXPECT_EQ(view.enterRooms, 1);
    const CopyDataRecord record{13, 0, nullptr};
    view.OnCopyData(&record);
    EXPECT_EQ(view.received, std::vector<uintptr_t>{13});

    // Without a core the lock does nothing.
    view.LockCore();
    view.UnlockCore();
    ViewCoreLock scoped(view);
}

TEST_F(ViewTest, CoreLockIsTheFrameLockAndShutsOutOtherThreads) {
    auto* view = new LayoutView;
    module->RegisterObject(view, nullptr);

    // Re-entrant on the owning thread: a frame still runs inside it.
    view->LockCore();
    {
        ViewCoreLock nested(*view);
        Frame();
    }

    // Another thread gets the lock only after the view lets go.
    std::vector<int> order;
    std::thread other([&] {
        core->Lock();
        order.push_back(2);
        core->Unlock();
    });
    order.push_back(1);
    view->UnlockCore();
    other.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

}  // namespace
