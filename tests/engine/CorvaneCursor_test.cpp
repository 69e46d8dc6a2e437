#include "engine/CorvaneCursor.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Cursors.h"
#include "tests/engine/SceneTestSupport.h"
#include "tests/platform/CursorBytes.h"
#include "tests/platform/TempFolder.h"

namespace {

using platform::CursorHandle;
using platform::SystemCursor;

class CursorTest : public SceneTest {
protected:
    CursorTest() { platform::SetInputBackend(&backend); }
    ~CursorTest() override { platform::SetInputBackend(nullptr); }

    CCorvaneCursor* MakeCursor() {
        auto* cursor = new CCorvaneCursor;
        module->RegisterObject(cursor, nullptr);
        return cursor;
    }
    int Send(CCorvaneCursor& cursor, int event) {
        return cursor.OnEvent(MakeEventRecord(cursor.GetId(), event, 0, 0));
    }

    platform::RecordingInputBackend backend;
};

TEST_F(CursorTest, IsTheSceneCursorObjectAndAppliesOnlyWhatIsCurrent) {
    CCorvaneCursor* cursor = MakeCursor();
    EXPECT_STREQ(cursor->GetName(), kCursorObjectName);
    EXPECT_EQ(FindCursorObject(*module), cursor);

    // Nothing current: applying sets nothing.
    EXPECT_TRUE(ApplyCursorThroughObject(*module));
    EXPECT_TRUE(backend.CursorRequests().empty());

    cursor->SetCursorHandle(0);
    cursor->SetCursorById(kHandCursorId);
    cursor->SetSystemCursor(12345);
    cursor->SetResourceCursor(9201);
    EXPECT_EQ(cursor->GetCurrentCursor(), 0u);
    EXPECT_TRUE(backend.CursorRequests().empty());

    cursor->SetSystemCursor(platform::kCursorWait);
    EXPECT_TRUE(ApplyCursorThroughObject(*module));
    const CursorHandle wait = SystemCursor(platform::kCursorWait);
    EXPECT_EQ(backend.CursorRequests(), (std::vector<CursorHandle>{wait, wait}));
}

TEST_F(CursorTest, AnIdKeepsItsFirstCursor) {
    CCorvaneCursor* cursor = MakeCursor();
    const CursorHandle arrow = SystemCursor(platform::kCursorArrow);
    EXPECT_EQ(cursor->LoadSystemCursor(platform::kCursorArrow, 5), arrow);
    EXPECT_EQ(cursor->LoadSystemCursor(platform::kCursorHand, 5), 0u);
    EXPECT_EQ(cursor->LoadCursorResource(9202, 5), 0u);
    EXPECT_EQ(cursor->GetCursor(5), arrow);
    EXPECT_EQ(cursor->GetCursor(6), 0u);

    // A cursor that does not load leaves its id free.
    EXPECT_EQ(cursor->LoadSystemCursor(12345, 6), 0u);
    EXPECT_EQ(cursor->LoadCursorFile(nullptr, 6), 0u);
    EXPECT_EQ(cursor->LoadCursorFile("/no/such/cursor.cur", 6), 0u);
    EXPECT_EQ(cursor->LoadSystemCursor(platform::kCursorCross, 6),
              SystemCursor(platform::kCursorCross));
}

TEST_F(CursorTest, HandAndNormalEventsUseTheTableOrTheSystemCursors) {
    CCorvaneCursor* cursor = MakeCursor();
    const CursorHandle hand = SystemCursor(platform::kCursorHand);
    const CursorHandle arrow = SystemCursor(platform::kCursorArrow);
    EXPECT_EQ(Send(*cursor, kEventHandCursor), 1);
    EXPECT_EQ(backend.CurrentCursor(), hand);
    EXPECT_EQ(Send(*cursor, kEventArrowCursor), 1);
    EXPECT_EQ(backend.CurrentCursor(), arrow);

    // The game's own cursors, from its resources and from a file.
    const cursor_bytes::Bytes bytes = cursor_bytes::SmallCursor();
    ASSERT_TRUE(platform::AddCursorResource(9203, bytes.data(), bytes.size()));
    TempFolder folder;
    folder.Write("cursors/hand.cur", cursor_bytes::AsString(bytes));
    const CursorHandle normal = cursor->LoadCursorResource(9203, kNormalCursorId);
    const CursorHandle own =
        cursor->LoadCursorFile((folder / "cursors\\hand.cur").c_str(), kHandCursorId);
    ASSERT_NE(normal, 0u);
    ASSERT_NE(own, 0u);
    EXPECT_EQ(Send(*cursor, kEventHandCursor), 1);
    EXPECT_EQ(backend.CurrentCursor(), own);
    EXPECT_EQ(Send(*cursor, kEventArrowCursor), 1);
    EXPECT_EQ(backend.CurrentCursor(), normal);

    cursor->SetResourceCursor(9203);
    EXPECT_EQ(cursor->GetCurrentCursor(), normal);
}

TEST_F(CursorTest, OtherEventsAnswerZeroAndChangeNothing) {
    CCorvaneCursor* cursor = MakeCursor();
    cursor->SetSystemCursor(platform::kCursorArrow);
    const size_t requests = backend.CursorRequests().size();
    for (int event : {kEventClick, kEventShow, kEventHide, kEventInputEnabled, 80000001}) {
        SCOPED_TRACE(event);
        EXPECT_EQ(Send(*cursor, event), 0);
    }
    // Not even the root's handling: a hide event leaves it as it was.
    EXPECT_EQ(cursor->IsVisible(), 0);
    cursor->Show();
    EXPECT_EQ(Send(*cursor, kEventHide), 0);
    EXPECT_EQ(cursor->IsVisible(), 1);
    EXPECT_EQ(backend.CursorRequests().size(), requests);

    EXPECT_EQ(Send(*cursor, kEventApplyCursor), 1);
    EXPECT_EQ(backend.CursorRequests().size(), requests + 1);
}

}  // namespace
