// The whole table client in one process: the session opens its frame window
// with the table's frame view, side panel and table view, connects to the
// loopback server and takes notifications as real frames; the tests' stand-in
// for the regional handler refuses a short hand start or result the frame's
// way and keeps the connection.

#include <gtest/gtest.h>

#include "tests/mahjong_client/support/TableSession.h"

namespace table_test {
namespace {

TEST(TableSessionTest, OpensTheTableWithItsSidePanelAndTakesFrames) {
    TableSession session;
    ASSERT_TRUE(session.Open({})) << session.Error();
    const IntRect game = session.MainGameRect();
    EXPECT_GT(game.right - game.left, 0);
    EXPECT_GT(game.bottom - game.top, 0);
    EXPECT_LE(game.right, session.SceneWidth());
    EXPECT_EQ(session.FrameView().GetMainGame(), &session.Table());
    EXPECT_EQ(session.FrameView().GetSubSystem(), &session.SidePanel());
    EXPECT_EQ(session.App().GetMahjongTableView(), &session.Table());
    EXPECT_EQ(session.App().GetMahjongTableData(), &session.App().tableData);
    EXPECT_TRUE(session.App().connection.IsConnected());
}

TEST(TableSessionTest, AShortHandStartOrResultIsRefusedAndReportedOnce) {
    TableSession session;
    ASSERT_TRUE(session.Open({})) << session.Error();
    struct Case {
        int32_t id;
        size_t whole;
    };
    size_t reports = 0;
    for (const Case c : {Case{kHandStartId, CMahjongTableData::kHandStartBytes},
                         Case{kGameResultId, CMahjongTableData::kGameResultBytes}}) {
        SCOPED_TRACE(c.id);
        session.Table().TakeCalls();
        ASSERT_TRUE(session.Deliver(c.id, std::vector<uint8_t>(c.whole - 1, 0)));
        ++reports;
        ASSERT_TRUE(session.RunUntil([&] { return session.FailureReports() == reports; }));
        EXPECT_TRUE(session.Table().TakeCalls().empty());
        EXPECT_TRUE(session.App().connection.IsConnected());
    }
    EXPECT_EQ(session.App().tableData.GetWinnerChair(), -1);
}

}  // namespace
}  // namespace table_test
