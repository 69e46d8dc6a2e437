#include "tests/game/badinput/BadInputTable.h"

#include <algorithm>

#include "engine/CorvanePicture.h"
#include "engine/CorvaneVisual.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "frame/net/GameNotifyHandler.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/table/RegionalTableView.h"

namespace badinput_test {

namespace {

constexpr size_t kRobotSteps = 6;  // 211011 and 201160 for chairs 1-3

}  // namespace

std::vector<uint8_t> Throw(int32_t thrower, int32_t tile, int32_t ownOptions) {
    tp::CardThrownNotice notice;
    notice.thrower = thrower;
    notice.tile = tile;
    notice.chairOptions[kOwnChair] = ownOptions;
    return tp::WriteTableRecord(notice);
}

void BadInputTable::SetUp() {
    // The ready-hand flags are the process's; a table of an earlier test
    // may have left some.
    std::fill(std::begin(g_bBaoJiao), std::end(g_bBaoJiao), 0);
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(window.Open()) << window.Error();
    ASSERT_TRUE(window.ConnectTo(server)) << window.Error();
    ASSERT_TRUE(window.RunUntil([&] { return script.StepsSent().size() >= kRobotSteps; }))
        << "the robots never entered";
    ASSERT_NE(window.View(), nullptr);
}

tp::HandStartRecord BadInputTable::HandStart(int32_t flags) {
    testserver::RegionalScript::Options options;
    options.roomId = game_test::kWindowRoomId;
    options.tableNo = game_test::kWindowTableNo;
    tp::HandStartRecord start = testserver::RegionalScript::HandStart(options);
    start.startFlags = flags;
    start.reactionTime = kLongClockSeconds;
    start.discardTime = kLongClockSeconds;
    start.ownTiles.fill(tp::kNoTile);
    std::copy(kOwnTiles.begin(), kOwnTiles.end(), start.ownTiles.begin());
    return start;
}

void BadInputTable::OnRequest(
    std::function<void(const testserver::FrameScript::Recorded&)> observer) {
    std::lock_guard lock(observerLock_);
    observer_ = std::move(observer);
}

void BadInputTable::Deal(const tp::HandStartRecord& start) {
    ASSERT_TRUE(
        script.Frame().Notify(static_cast<uint32_t>(tp::kHandStart), tp::WriteTableRecord(start)));
    std::vector<int32_t> dealt = kOwnTiles;
    std::sort(dealt.begin(), dealt.end());
    ASSERT_TRUE(window.RunUntil([&] { return OwnTilesShown() == dealt; }))
        << "the own row never showed the dealt tiles";
    // The deal's last steps (the banker's row, the pointer) settle.
    const int banker = PositionOf(start.banker);
    ASSERT_TRUE(window.RunUntil([&] {
        return View().GetRowCount(banker) == 14 &&
               View().GetTableState() == CRegionalTableView::kStateSwapChoice;
    })) << "the swap choice never opened";
    window.Run(100);
}

void BadInputTable::DealAndPlay() {
    const tp::HandStartRecord start = HandStart(tp::kStartHandRunning | tp::kStartSwapPhase);
    ASSERT_NO_FATAL_FAILURE(Deal(start));
    tp::SwapDiceNotice swap;
    swap.die = 4;
    swap.tingList.fill(tp::kNoTile);
    const std::array<int32_t, 3> own = {5, 14, 6};
    std::copy(own.begin(), own.end(), swap.given.begin());
    std::copy(own.begin(), own.end(), swap.received.begin());
    ASSERT_NO_FATAL_FAILURE(Send(tp::kSwapDice, tp::WriteTableRecord(swap), Outcome::kApplied));
    const int banker = PositionOf(start.banker);
    ASSERT_TRUE(window.RunUntil([&] {
        return View().GetTableState() == 0 && View().GetTurnDirection() == 2 * banker;
    })) << "the swap never ended";
    window.Run(100);
}

void BadInputTable::Send(int32_t id, const std::vector<uint8_t>& record, Outcome outcome) {
    ASSERT_TRUE(script.Frame().Notify(static_cast<uint32_t>(tp::kIgnored229165), {}));
    ASSERT_TRUE(window.RunUntil([&] { return Handler().GetLastNotify().id == 229165; }));
    const size_t reports = Reports();
    ASSERT_TRUE(script.Frame().Notify(static_cast<uint32_t>(id), record));
    ASSERT_TRUE(window.RunUntil([&] { return Handler().GetLastNotify().id == id; }))
        << "notification " << id << " never reached the client";
    if (outcome == Outcome::kRefused) {
        ASSERT_TRUE(window.RunUntil([&] { return Reports() > reports; }))
            << "no failure report for " << id << " of " << record.size() << " bytes";
        window.Run(20);
        EXPECT_EQ(Reports(), reports + 1);
    } else {
        window.Run(50);
        EXPECT_EQ(Reports(), reports) << id << " of " << record.size() << " bytes was reported";
    }
    EXPECT_TRUE(Connected());
}

void BadInputTable::SendCuts(int32_t id, const std::vector<uint8_t>& record,
                             const std::vector<size_t>& lengths) {
    for (size_t length : lengths) {
        SCOPED_TRACE("cut at " + std::to_string(length));
        const std::string before = Describe();
        const std::vector<uint8_t> cut(record.begin(), record.begin() + static_cast<long>(length));
        Send(id, cut, Outcome::kRefused);
        EXPECT_EQ(Describe(), before);
    }
}

std::string BadInputTable::Describe() {
    CRegionalTableView& view = View();
    std::string text;
    auto put = [&](const char* name, int64_t value) {
        text += std::string(" ") + name + "=" + std::to_string(value);
    };
    for (int position = 0; position < 4; ++position) {
        text += "\n[" + std::to_string(position) + "] row";
        for (int32_t tile : Row(position)) {
            text += " " + std::to_string(tile);
        }
        CCardSprite* thrown = view.GetLastThrown(position);
        put("thrown", thrown != nullptr && thrown->active != 0 ? thrown->tile : -2);
        put("discards", view.GetDiscardCount(position));
        put("melds", view.GetMeldCount(position));
        CCorvanePicture* badge = view.GetBaoJiaoBadge(position);
        put("badge", badge != nullptr ? badge->IsVisible() : -1);
        put("declared", g_bBaoJiao[position]);
    }
    text += "\noffers";
    for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
        const OperationOffer& offer = view.GetOffer(kind);
        text += " {" + std::to_string(kind) + ": " + std::to_string(offer.offered) + " " +
                std::to_string(offer.chair) + " " + std::to_string(offer.tile) + " " +
                std::to_string(offer.huGangKind) + "}";
        CCorvaneButton* button = view.GetOperationButtonOfKind(kind);
        put("enabled", button != nullptr ? button->IsInputEnabled() : -1);
    }
    text += "\ntable";
    put("state", view.GetTableState());
    put("turn", view.GetTurnDirection());
    put("held", view.GetOperationHeld());
    put("throwWait", view.GetThrowWait());
    put("drawn", view.GetDrawnTile());
    put("wall", view.GetWallCount());
    text += "\nchat " + std::to_string(window.ChatText().size());
    return text;
}

std::vector<int32_t> BadInputTable::Row(int position) {
    std::vector<int32_t> row;
    for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
        CCardSprite* sprite = View().GetHandSprite(position, index);
        row.push_back(sprite != nullptr && sprite->active != 0 ? sprite->tile : -1);
    }
    while (!row.empty() && row.back() == -1) {
        row.pop_back();
    }
    return row;
}

std::vector<int32_t> BadInputTable::OwnTilesShown() {
    std::vector<int32_t> tiles = Row(3);
    tiles.erase(std::remove(tiles.begin(), tiles.end(), -1), tiles.end());
    std::sort(tiles.begin(), tiles.end());
    return tiles;
}

int BadInputTable::PositionOf(int32_t chair) {
    return View().ChairToPosition(chair);
}

CRegionalTableView& BadInputTable::View() {
    return *window.View();
}

CGameNotifyHandler& BadInputTable::Handler() {
    return *window.App().GetNotifyHandler();
}

size_t BadInputTable::Reports() {
    return script.Frame().Count(frame_requests::kReportNotifyFailure);
}

bool BadInputTable::Connected() {
    return window.App().GetConnection()->IsConnected();
}

}  // namespace badinput_test
