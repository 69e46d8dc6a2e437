// An own tile's click event follows the table state: the mouse finds the
// tile's picture, so the picture must post only the event the tile holds
// now, never one it held before (a stale throw on a click that chooses the
// ready-hand tile would send an ordinary discard).
#include <gtest/gtest.h>

#include <vector>

#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "tests/game/play/RegionalPlayScene.h"

namespace play_test {
namespace {

std::vector<int> LeftDownEvents(CCorvaneObject& object) {
    std::vector<int> events;
    int index = 0;
    while (const EventRecord* record = object.FindNextEventBinding(kEventLButtonDown, &index)) {
        events.push_back(record->event);
    }
    return events;
}

TEST(OwnTileClickEventTest, TheTilesPicturePostsOnlyTheEventOfTheTablesState) {
    RegionalPlayScene scene;
    ASSERT_TRUE(scene.Open());
    ASSERT_TRUE(scene.StoreHandStart(HandStart{}));
    scene.FillOwnRow({0, 9, 40, 50}, 41);
    scene.view->MoveTurnIndicator(scene.view->GetTurnDirection(), 6);
    CCardSprite* drawn = scene.view->GetHandSprite(3, 0);
    ASSERT_NE(drawn, nullptr);
    ASSERT_NE(drawn->GetFace(), nullptr);
    EXPECT_EQ(LeftDownEvents(*drawn->GetFace()), std::vector<int>{kEventCardClick});

    scene.view->SetTableState(CRegionalTableView::kStateTingChoice);
    EXPECT_EQ(LeftDownEvents(*drawn), std::vector<int>{kEventTingTileClick});
    EXPECT_EQ(LeftDownEvents(*drawn->GetFace()), std::vector<int>{kEventTingTileClick});

    scene.view->SetTableState(CRegionalTableView::kStateNormal);
    EXPECT_EQ(LeftDownEvents(*drawn->GetFace()), std::vector<int>{kEventCardClick});
}

}  // namespace
}  // namespace play_test
