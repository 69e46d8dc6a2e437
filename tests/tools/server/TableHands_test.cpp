// Whole hands on the table server with the human's seat on the wire and
// the table's clock in the test's hand: robots, pacing, safety time-outs,
// the hand limit and starting when full, and the requests the server
// refuses or replaces.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <numeric>
#include <string>
#include <vector>

#include "frame/GameRecords.h"
#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_logic/RegionalMahjongRules.h"
#include "platform/Sync.h"
#include "tests/support/WirePlayer.h"
#include "tools/table_driver/RuleRobot.h"
#include "tools/test_server/TableServer.h"
#include "zep/ZepWire.h"

namespace {

namespace fr = frame_requests;
namespace tp = table_protocol;
using servertest::Answer;
using servertest::WirePlayer;
using testserver::TableServer;
using testserver::TestGameServer;

constexpr int32_t kUser = 4242;
constexpr int32_t kRoom = 7;
constexpr int32_t kTable = 2;
constexpr int32_t kChair = 2;
constexpr uint32_t kIdleMs = 20000;  // real time a step of the table may take

std::vector<uint8_t> Bytes(const zeptest::Delivered& note) {
    return std::vector<uint8_t>(note.data.begin(), note.data.end());
}

std::vector<uint8_t> EnterBody() {
    fr::EnterRecord enter;
    enter.userId = kUser;
    enter.roomId = kRoom;
    enter.tableNo = kTable;
    enter.chairNo = kChair;
    std::vector<uint8_t> body(fr::EnterRecord::kSize);
    WriteRecord(enter, body);
    return body;
}

std::vector<uint8_t> HeadBody() {
    fr::HeadOnlyRecord record;
    record.head = {kUser, kRoom, kTable, kChair};
    std::vector<uint8_t> body(fr::HeadOnlyRecord::kSize);
    WriteRecord(record, body);
    return body;
}

std::vector<uint8_t> PlayBody(int32_t offer, int32_t tile, int32_t chair = kChair) {
    tp::OperationRecord play;
    play.head = {kUser, kRoom, kTable, chair};
    play.offerChair = offer;
    play.tile = tile;
    play.handTiles = {-1, -1, -1};
    return tp::WriteTableRecord(play);
}

std::vector<uint8_t> DrawBody() {
    tp::OwnDrawRecord draw;
    draw.head = {kUser, kRoom, kTable, kChair};
    draw.chair = kChair;
    draw.userId = kUser;
    return tp::WriteTableRecord(draw);
}

// What the engine showed after its last operation.
struct EngineView {
    std::string operation;
    int activeChair = -1;
    int banker = -1;
    std::vector<int32_t> humanTiles;
    std::array<int32_t, 4> claimOptions{};
    int nextChair = -1;  // after the active chair in play order
    bool humanAnswered = false;
    std::array<int, 3> humanPerSuit{};
    std::vector<std::pair<int32_t, int>> humanSuits;  // held id, its suit
    std::array<int, tp::kWallSize> kinds{};           // every id's kind (index)
};

class TableHandsTest : public ::testing::Test {
protected:
    void StartServer(TableServer::Options options) {
        server_ = std::make_unique<TestGameServer>(TableServer::TransportOptions(true));
        options.clock = [this] { return clockMs_.load(); };
        options.seed = options.seed == 0 ? 20261207 : options.seed;
        options.testMode = true;
        options.log = [this](const std::string& line) {
            std::lock_guard lock(mutex_);
            log_.push_back(line);
        };
        options.afterOperation = [this](std::string_view operation,
                                        const CRegionalMahjongRules& table) {
            EngineView view;
            view.operation = std::string(operation);
            view.activeChair = table.GetActiveChair();
            view.banker = table.Banker();
            std::array<int32_t, 32> ids{};
            const int n = table.HandTileIds(kChair, ids);
            view.humanTiles.assign(ids.begin(), ids.begin() + std::max(n, 0));
            for (int c = 0; c < 4; ++c) {
                view.claimOptions[static_cast<size_t>(c)] = table.ClaimOptions(c);
            }
            view.nextChair = table.GetPrevSeat(view.activeChair);
            for (int32_t id = 0; id < tp::kWallSize; ++id) {
                view.kinds[static_cast<size_t>(id)] = table.IndexOf(id);
            }
            view.humanAnswered = table.HasAnswered(kChair);
            for (const int32_t id : view.humanTiles) {
                const int suit = table.IndexOf(id) / 10;
                view.humanSuits.emplace_back(id, suit);
                if (suit >= 0 && suit < 3) {
                    ++view.humanPerSuit[static_cast<size_t>(suit)];
                }
            }
            std::lock_guard lock(mutex_);
            if (operation == "UpdateBankerStreak") {
                nextBankers_.push_back(view.banker);
            }
            view_ = view;
            operations_.push_back(view.operation);
        };
        table_ = std::make_unique<TableServer>(*server_, options);
        ASSERT_TRUE(server_->Start());
    }
    void TearDown() override {
        if (HasFailure()) {
            for (const std::string& line : Log()) {
                std::printf("log: %s\n", line.c_str());
            }
            std::lock_guard lock(mutex_);
            for (const std::string& op : operations_) {
                std::printf("op: %s\n", op.c_str());
            }
        }
        table_.reset();
        server_.reset();
    }

    void Enter(WirePlayer& player) {
        ASSERT_TRUE(player.Connect(server_->Port()));
        Answer answer;
        ASSERT_TRUE(player.Ask(fr::kEnterGame, EnterBody(), answer));
        ASSERT_EQ(answer.code, fr::kResultEntered);
        player.Notifications(6);
    }
    // Marks the human ready; the waited query after it is answered only
    // once the table took the mark.
    void Ready(WirePlayer& player) {
        player.Tell(fr::kStartGame, HeadBody());
        Sync(player);
    }
    void Sync(WirePlayer& player) {
        Answer answer;
        ASSERT_TRUE(player.Ask(fr::kQueryInGame, HeadBody(), answer));
        ASSERT_TRUE(Idle());
    }
    EngineView View() {
        std::lock_guard lock(mutex_);
        return view_;
    }
    bool Happened(const std::string& operation) {
        std::lock_guard lock(mutex_);
        return std::find(operations_.begin(), operations_.end(), operation) != operations_.end();
    }
    std::vector<std::string> Log() {
        std::lock_guard lock(mutex_);
        return log_;
    }
    bool Idle() { return table_->WaitIdle(kIdleMs); }
    // Moves the table's clock to the next timer; false when none is set.
    bool NextTimer() {
        const std::optional<uint64_t> due = table_->NextTimerDueMs();
        if (!due) {
            return false;
        }
        clockMs_ = std::max(clockMs_.load(), *due);
        table_->Wake();
        return Idle();
    }
    void Advance(uint64_t ms) {
        clockMs_ += ms;
        table_->Wake();
        ASSERT_TRUE(Idle());
    }
    // The human leaves everything to the server's time-outs, asking for its
    // draw only where the table waits for nothing else (it is next after a
    // discard it could claim). True once `hands` were settled.
    bool PlayPassively(WirePlayer& player, size_t hands,
                       const std::function<void()>& atEachStep = {}) {
        for (int step = 0; step < 20000; ++step) {
            if (!Idle()) {
                return false;
            }
            if (table_->Hands().size() >= hands) {
                return true;
            }
            if (atEachStep) {
                atEachStep();
                if (!Idle()) {
                    return false;
                }
            }
            if (NextTimer()) {
                continue;
            }
            if (!table_->HandRunning()) {
                return false;
            }
            Answer answer;
            if (!player.Ask(tp::kOwnDraw, DrawBody(), answer, 5000)) {
                return false;
            }
        }
        return false;
    }
    // Runs the table's timers until the engine's last operation is the
    // human's turn (its draw or the deal's end with the human as banker).
    bool RunToHumanTurn(WirePlayer& player) {
        for (int step = 0; step < 2000; ++step) {
            if (!Idle()) {
                return false;
            }
            const EngineView view = View();
            if (view.activeChair == kChair &&
                (view.operation == "SelfOptions" ||
                 (view.operation == "StartPlayAfterSwap" && view.banker == kChair))) {
                return true;
            }
            if (!table_->HandRunning() || (!NextTimer() && !AskDraw(player))) {
                return false;
            }
        }
        return false;
    }
    // Enters, starts the hand and plays it to the human's discard (his tile
    // drawn).
    void SeatUntilTheHumanDiscards(WirePlayer& player) {
        Enter(player);
        Ready(player);
        ASSERT_TRUE(RunToHumanTurn(player));
        if (View().operation == "SelfOptions") {
            ASSERT_TRUE(AskDraw(player));
        }
        ASSERT_TRUE(Idle());
    }
    bool AskDraw(WirePlayer& player) {
        Answer answer;
        return player.Ask(tp::kOwnDraw, DrawBody(), answer, 5000);
    }
    // The notifications so far, once `count` of id came (bounded).
    static std::vector<zeptest::Delivered> NotesWith(WirePlayer& player, int32_t id, size_t count) {
        std::vector<zeptest::Delivered> notes = player.Notifications();
        for (int i = 0; i < 500 && Count(notes, id) < count; ++i) {
            platform::SleepMs(10);
            notes = player.Notifications();
        }
        return notes;
    }
    static size_t Count(const std::vector<zeptest::Delivered>& notes, int32_t id) {
        return static_cast<size_t>(std::count_if(
            notes.begin(), notes.end(),
            [id](const zeptest::Delivered& n) { return n.code == static_cast<uint32_t>(id); }));
    }

    std::atomic<uint64_t> clockMs_ = 5000;
    std::unique_ptr<TestGameServer> server_;
    std::unique_ptr<TableServer> table_;
    std::mutex mutex_;
    std::vector<std::string> log_;
    std::vector<std::string> operations_;
    std::vector<int> nextBankers_;  // the banker each settlement leaves
    EngineView view_;
};

TableServer::Options TestPaced() {
    TableServer::Options options;
    options.pacing = TableServer::Pacing::kTest;
    return options;
}

TEST(RuleRobotTest, DiscardsFromTheSuitHeldFewestAnIsolatedTileFirst) {
    // Indices: 1-9 one suit, 11-19 the next, 21-29 the last.
    HandCounts counts{};
    auto hold = [&counts](std::initializer_list<int> indices) {
        counts = {};
        for (const int index : indices) {
            ++counts[static_cast<size_t>(index)];
        }
    };
    // Suit 2 is held fewest; 29 stands alone there, 21-22 are connected.
    hold({1, 2, 3, 4, 5, 11, 12, 13, 14, 21, 22, 29});
    EXPECT_EQ(RuleRobotDiscardIndex(counts), 29);
    // No isolated tile in the fewest suit: the lowest index goes.
    hold({1, 2, 3, 4, 5, 11, 12, 13, 14, 24, 25, 26});
    EXPECT_EQ(RuleRobotDiscardIndex(counts), 24);
    // A pair is not isolated; a tile two ranks away still connects.
    hold({1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 23, 23, 25});
    EXPECT_EQ(RuleRobotDiscardIndex(counts), 23);
    hold({1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 21, 27, 27});
    EXPECT_EQ(RuleRobotDiscardIndex(counts), 21);
    // Ties between suits: the lower suit.
    hold({1, 5, 9, 11, 15, 19, 21, 22, 23, 24, 25, 26});
    EXPECT_EQ(RuleRobotDiscardIndex(counts), 1);
    // A suit held not at all does not count as fewest.
    hold({11, 12, 13, 21, 22, 23, 24, 26});
    EXPECT_EQ(RuleRobotDiscardIndex(counts), 11);
    hold({});
    EXPECT_EQ(RuleRobotDiscardIndex(counts), -1);
}

TEST_F(TableHandsTest, PassiveHumanPlaysWholeHandsWhoseMoneyAddsUpAndCarriesOver) {
    StartServer(TestPaced());
    WirePlayer player;
    Enter(player);
    Ready(player);
    ASSERT_TRUE(PlayPassively(player, 1));
    Ready(player);
    ASSERT_TRUE(PlayPassively(player, 2));
    const std::vector<TableServer::HandReport> hands = table_->Hands();
    ASSERT_EQ(hands.size(), 2u);
    for (const TableServer::HandReport& hand : hands) {
        EXPECT_EQ(std::accumulate(hand.points.begin(), hand.points.end(), 0), 0);
        EXPECT_EQ(std::accumulate(hand.scoreChange.begin(), hand.scoreChange.end(), 0), 0);
        int32_t silver = 0;
        for (size_t c = 0; c < 4; ++c) {
            silver += hand.silverChange[c] + hand.fees[c];
        }
        EXPECT_LE(silver, 0);
    }
    // The results were applied to the players: the next hand starts from
    // them (robots topped up to their floor).
    EXPECT_EQ(hands[0].silverBefore[kChair], 100000);
    {
        // Each hand starts with the banker the last settlement left.
        std::lock_guard lock(mutex_);
        ASSERT_EQ(nextBankers_.size(), 2u);
        EXPECT_EQ(hands[1].banker, nextBankers_[0]);
    }
    EXPECT_EQ(hands[1].scoreBefore[kChair],
              hands[0].scoreBefore[kChair] + hands[0].scoreChange[kChair]);
    EXPECT_EQ(hands[1].silverBefore[kChair],
              hands[0].silverBefore[kChair] + hands[0].silverChange[kChair]);
    for (size_t c = 0; c < 4; ++c) {
        EXPECT_GE(hands[1].silverBefore[c], c == kChair ? 0 : 100000) << c;
    }
    const std::vector<zeptest::Delivered> notes = NotesWith(player, tp::kHandResult, 2);
    EXPECT_EQ(Count(notes, tp::kHandResult), 2u);
    EXPECT_EQ(Count(notes, tp::kHandStart), 2u);
    EXPECT_EQ(table_->DriverStats().hands, 2);
    EXPECT_EQ(table_->DriverStats().refusedOffers, 0);
    EXPECT_EQ(server_->SendFaults(), 0u);
    EXPECT_EQ(table_->GetCounters().refusalsByCode.count(tp::kResultNotCarriedOut), 0u);
}

TEST_F(TableHandsTest, ClaimWindowClosesAtTheClientsClockPlusTwoOnlyWhenTheHumanIsNotNext) {
    StartServer(TestPaced());
    WirePlayer player;
    Enter(player);
    int closedByServer = 0;
    int waitedForNext = 0;
    const auto atEachStep = [&] {
        const EngineView view = View();
        const bool humanAsked =
            (view.operation == "OpenClaims" || view.operation == "AnswerClaim") &&
            view.activeChair != kChair &&
            (view.claimOptions[kChair] & (kClaimPeng | kClaimGang)) != 0 &&
            (view.claimOptions[kChair] & kClaimHu) == 0 && !view.humanAnswered;
        if (!humanAsked) {
            return;
        }
        const std::optional<uint64_t> due = table_->NextTimerDueMs();
        if (view.nextChair == kChair) {
            // The client closes this window itself with its draw request.
            EXPECT_FALSE(due.has_value());
            ++waitedForNext;
            return;
        }
        ASSERT_TRUE(due.has_value());
        EXPECT_EQ(*due, clockMs_.load() + (2 + 2) * 1000);
        Advance(*due - clockMs_.load() - 1);
        EXPECT_FALSE(View().humanAnswered);
        EXPECT_EQ(View().operation, view.operation);
        Advance(1);
        EXPECT_NE(View().operation, view.operation);
        ++closedByServer;
    };
    for (size_t hands = 1; hands <= 8 && (closedByServer == 0 || waitedForNext == 0); ++hands) {
        Ready(player);
        ASSERT_TRUE(PlayPassively(player, hands, atEachStep));
    }
    EXPECT_GT(closedByServer, 0);
    EXPECT_GT(waitedForNext, 0);
}

TEST_F(TableHandsTest, NoSafetyTimeOutActsBeforeTheClientsOwnClock) {
    StartServer(TestPaced());
    WirePlayer player;
    Enter(player);
    Ready(player);
    // The exchange: the client's choice clock is 30 s, the server's 40 s.
    const uint64_t dealt = clockMs_.load();
    for (int i = 0; i < 10 && table_->NextTimerDueMs() && *table_->NextTimerDueMs() < dealt + 30000;
         ++i) {
        ASSERT_TRUE(NextTimer());
    }
    Advance(dealt + 30000 - clockMs_.load());
    std::vector<zeptest::Delivered> notes = player.Notifications();
    EXPECT_EQ(Count(notes, tp::kSwapDice), 0u);
    Advance(10000);
    notes = NotesWith(player, tp::kSwapDice, 1);
    EXPECT_EQ(Count(notes, tp::kSwapDice), 1u);
    // The own turn: the client's clock is dword 18 (4 s), the server's 14 s.
    ASSERT_TRUE(RunToHumanTurn(player));
    const uint64_t turn = clockMs_.load();
    const size_t held = View().humanTiles.size();
    Advance(4000);
    EXPECT_EQ(View().humanTiles.size(), held);
    EXPECT_EQ(View().activeChair, kChair);
    Advance(turn + 14000 - clockMs_.load());
    EXPECT_EQ(View().humanTiles.size(), held - 1);
}

TEST_F(TableHandsTest, AnAcceptedDiscardIsRepliedBeforeItsNewsAndABadOneChangesNothing) {
    StartServer(TestPaced());
    WirePlayer player;
    ASSERT_NO_FATAL_FAILURE(SeatUntilTheHumanDiscards(player));
    const std::vector<uint8_t> before = table_->PackedSnapshot();
    ASSERT_FALSE(before.empty());
    Answer answer;
    // A tile the human does not hold, another chair, a body cut short.
    const std::vector<int32_t> held = View().humanTiles;
    int32_t notHeld = 0;
    while (std::find(held.begin(), held.end(), notHeld) != held.end()) {
        ++notHeld;
    }
    ASSERT_TRUE(player.Ask(tp::kDiscard, PlayBody(kChair, notHeld), answer));
    EXPECT_EQ(answer.code, tp::kResultNotCarriedOut);
    // Nor another copy of a kind it holds.
    const std::array<int, tp::kWallSize> kinds = View().kinds;
    int32_t copy = -1;
    for (int32_t id = 0; id < tp::kWallSize && copy < 0; ++id) {
        const bool sameKindHeld = std::any_of(held.begin(), held.end(), [&](int32_t h) {
            return kinds[static_cast<size_t>(h)] == kinds[static_cast<size_t>(id)];
        });
        if (sameKindHeld && std::find(held.begin(), held.end(), id) == held.end()) {
            copy = id;
        }
    }
    ASSERT_GE(copy, 0);
    ASSERT_TRUE(player.Ask(tp::kDiscard, PlayBody(kChair, copy), answer));
    EXPECT_EQ(answer.code, tp::kResultNotCarriedOut);
    ASSERT_TRUE(player.Ask(tp::kDiscard, PlayBody(kChair, held[0], 1), answer));
    EXPECT_EQ(answer.code, tp::kResultNotCarriedOut);
    std::vector<uint8_t> cut = PlayBody(kChair, held[0]);
    cut.resize(40);
    ASSERT_TRUE(player.Ask(tp::kDiscard, cut, answer));
    EXPECT_EQ(answer.code, tp::kResultNotCarriedOut);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(table_->PackedSnapshot(), before);
    EXPECT_EQ(table_->GetCounters().refusalsByCode[tp::kResultNotCarriedOut], 4u);

    // A held tile: performed at once, the reply ahead of the throw's news.
    const size_t logged = Log().size();
    ASSERT_TRUE(player.Ask(tp::kDiscard, PlayBody(kChair, held[0]), answer));
    EXPECT_EQ(answer.code, tp::kResultDone);
    ASSERT_TRUE(Idle());
    const std::vector<int32_t> after = View().humanTiles;
    EXPECT_EQ(std::find(after.begin(), after.end(), held[0]), after.end());
    const std::vector<std::string> log = Log();
    size_t reply = log.size();
    size_t thrown = log.size();
    for (size_t i = logged; i < log.size(); ++i) {
        if (reply == log.size() && log[i].find(" reply 10 0") != std::string::npos) {
            reply = i;
        }
        if (thrown == log.size() && log[i].find(" notify 222170 ") != std::string::npos) {
            thrown = i;
        }
    }
    ASSERT_LT(thrown, log.size());
    EXPECT_LT(reply, thrown);
}

TEST_F(TableHandsTest, APlayRequestNobodyWaitsForIsNeverAnswered) {
    StartServer(TestPaced());
    WirePlayer player;
    ASSERT_NO_FATAL_FAILURE(SeatUntilTheHumanDiscards(player));
    const std::vector<int32_t> held = View().humanTiles;
    int32_t notHeld = 0;
    while (std::find(held.begin(), held.end(), notHeld) != held.end()) {
        ++notHeld;
    }
    const auto repliesSince = [this](size_t logged) {
        const std::vector<std::string> log = Log();
        size_t replies = 0;
        for (size_t i = logged; i < log.size(); ++i) {
            replies += log[i].find(" reply ") != std::string::npos ? 1 : 0;
        }
        return replies;
    };
    // Refused: silence, and nothing counted as sent.
    size_t logged = Log().size();
    ASSERT_TRUE(player.Tell(tp::kDiscard, PlayBody(kChair, notHeld)));
    Sync(player);
    EXPECT_EQ(repliesSince(logged), 1u);  // the query's alone
    EXPECT_EQ(table_->GetCounters().refusalsByCode[tp::kResultNotCarriedOut], 0u);
    // Taken: performed, and still silence.
    logged = Log().size();
    ASSERT_TRUE(player.Tell(tp::kDiscard, PlayBody(kChair, held[0])));
    Sync(player);
    EXPECT_EQ(repliesSince(logged), 1u);
    const std::vector<int32_t> after = View().humanTiles;
    EXPECT_EQ(std::find(after.begin(), after.end(), held[0]), after.end());
}

TEST_F(TableHandsTest, AnExchangeChoiceTheEngineCannotTakeIsReplacedByTheAutomaticOne) {
    StartServer(TestPaced());
    WirePlayer player;
    Enter(player);
    Ready(player);
    const EngineView dealt = View();
    ASSERT_EQ(dealt.humanSuits.size(), 13u);
    // Two suits, and the choice named for another chair.
    tp::SwapThreeRequest swap;
    int32_t first = -1;
    int32_t other = -1;
    for (const auto& [id, suit] : dealt.humanSuits) {
        if (first < 0) {
            first = id;
        } else if (other < 0 && suit != dealt.humanSuits[0].second) {
            other = id;
        }
    }
    ASSERT_GE(other, 0);
    swap.chairTiles[kChair * 3] = first;
    swap.chairTiles[kChair * 3 + 1] = other;
    swap.chairTiles[kChair * 3 + 2] = first;
    swap.chair = kChair;
    Answer answer;
    ASSERT_TRUE(player.Ask(tp::kSwapThree, tp::WriteTableRecord(swap), answer));
    EXPECT_EQ(answer.code, tp::kResultDone);
    ASSERT_TRUE(Idle());
    for (int i = 0; i < 10 && !Happened("StartPlayAfterSwap"); ++i) {
        ASSERT_TRUE(NextTimer());
    }
    const std::vector<zeptest::Delivered> notes = NotesWith(player, tp::kSwapDice, 1);
    ASSERT_EQ(Count(notes, tp::kSwapDice), 1u);
    EXPECT_EQ(Count(notes, tp::kSwapReady), 4u);
    // The suit held most (ties: the lower) went.
    const auto most =
        static_cast<int>(std::max_element(dealt.humanPerSuit.begin(), dealt.humanPerSuit.end()) -
                         dealt.humanPerSuit.begin());
    for (const zeptest::Delivered& note : notes) {
        if (note.code != static_cast<uint32_t>(tp::kSwapDice)) {
            continue;
        }
        tp::SwapDiceNotice dice;
        ASSERT_TRUE(tp::ReadTableRecord(Bytes(note), dice));
        for (size_t k = 0; k < 3; ++k) {
            const int32_t given = dice.given[kChair * 3 + k];
            const auto it = std::find_if(dealt.humanSuits.begin(), dealt.humanSuits.end(),
                                         [given](const auto& held) { return held.first == given; });
            ASSERT_NE(it, dealt.humanSuits.end()) << given;
            EXPECT_EQ(it->second, most);
        }
    }
    EXPECT_EQ(table_->GetCounters().refusalsByCode.count(tp::kResultNotCarriedOut), 0u);
}

TEST_F(TableHandsTest, AHumanWhoseSilverFailsTheStartGetsTheTableEndWithHisId) {
    TableServer::Options options = TestPaced();
    options.humanSilver = 50;
    options.minSilver = 100;
    StartServer(options);
    WirePlayer player;
    Enter(player);
    Ready(player);
    const std::vector<zeptest::Delivered> notes = NotesWith(player, 211110, 1);
    ASSERT_EQ(Count(notes, 211110), 1u);
    for (const zeptest::Delivered& note : notes) {
        if (note.code == 211110u) {
            EXPECT_EQ(tp::WordAt(Bytes(note), 0), kUser);
        }
    }
    EXPECT_EQ(Count(notes, tp::kHandStart), 0u);
    EXPECT_FALSE(table_->HandRunning());
}

TEST_F(TableHandsTest, AConnectionEndingMidHandAbandonsItAndTheNextClientPlays) {
    StartServer(TestPaced());
    {
        WirePlayer player;
        Enter(player);
        Ready(player);
        ASSERT_TRUE(RunToHumanTurn(player));
        player.Close();
    }
    for (int i = 0; i < 500 && table_->GetCounters().resets == 0; ++i) {
        platform::SleepMs(10);
    }
    ASSERT_EQ(table_->GetCounters().resets, 1u);
    ASSERT_TRUE(Idle());
    EXPECT_FALSE(table_->HandRunning());
    EXPECT_TRUE(table_->Hands().empty());  // abandoned without settlement
    const std::vector<std::string> log = Log();
    EXPECT_EQ(
        std::count(log.begin(), log.end(), "the connection ended mid-hand: the hand is abandoned"),
        1);
    WirePlayer next;
    Enter(next);
    Ready(next);
    ASSERT_TRUE(PlayPassively(next, 1));
    EXPECT_EQ(Count(NotesWith(next, tp::kHandResult, 1), tp::kHandResult), 1u);
}

TEST_F(TableHandsTest, LeavingOnTheOwnTurnEndsTheHandWithNothingMoreOfIt) {
    StartServer(TestPaced());
    WirePlayer player;
    Enter(player);
    Ready(player);
    ASSERT_TRUE(RunToHumanTurn(player));
    Answer answer;
    ASSERT_TRUE(player.Ask(fr::kLeaveGame, HeadBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultOk);
    const size_t logged = Log().size();
    ASSERT_TRUE(Idle());
    // The table was reset (the query finds the human seated no more), and
    // the abandoned hand sent nothing after the leave's reply.
    ASSERT_TRUE(player.Ask(fr::kQueryInGame, HeadBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultUnsupported);
    const std::vector<std::string> log = Log();
    for (size_t i = logged; i < log.size(); ++i) {
        EXPECT_EQ(log[i].find(" notify "), std::string::npos) << log[i];
    }
    EXPECT_TRUE(table_->Hands().empty());
}

TEST_F(TableHandsTest, AnExitRequestMidHandIsAgreedByTheRobotsAndLetsThePlayerLeave) {
    StartServer(TestPaced());
    WirePlayer player;
    Enter(player);
    Ready(player);
    ASSERT_TRUE(RunToHumanTurn(player));
    const size_t before = player.Notifications().size();
    fr::ExitRequestRecord exit;
    exit.head = {kUser, kRoom, kTable, kChair};
    SetFieldText(exit.reason, "有事先走");
    std::vector<uint8_t> body(fr::ExitRequestRecord::kSize);
    WriteRecord(exit, body);
    // One cut short is refused in silence and changes nothing.
    ASSERT_TRUE(player.Tell(fr::kExitRequest, std::span(body).first(40)));
    Sync(player);
    EXPECT_TRUE(table_->HandRunning());
    const size_t logged = Log().size();
    ASSERT_TRUE(player.Tell(fr::kExitRequest, body));
    // Three agreements, then the player's own leave with the agreed flag.
    const std::vector<zeptest::Delivered> notes =
        NotesWith(player, static_cast<int32_t>(fr::kPlayerLeaveNotify), 1);
    std::vector<int32_t> agreed;
    for (size_t i = before; i < notes.size(); ++i) {
        const std::vector<uint8_t> bytes = Bytes(notes[i]);
        if (notes[i].code == fr::kExitAnswer) {
            EXPECT_EQ(tp::WordAt(bytes, 4), kUser);
            EXPECT_NE(tp::WordAt(bytes, 5), 0);  // agreed
            agreed.push_back(tp::WordAt(bytes, 3));
        }
    }
    EXPECT_EQ(agreed.size(), 3u);
    EXPECT_EQ(std::find(agreed.begin(), agreed.end(), kChair), agreed.end());
    const std::vector<uint8_t> left = Bytes(notes.back());
    ASSERT_EQ(notes.back().code, fr::kPlayerLeaveNotify);
    ASSERT_GE(left.size(), 9 * 4u);
    EXPECT_EQ(tp::WordAt(left, 0), kUser);
    EXPECT_EQ(tp::WordAt(left, 1), kChair);
    EXPECT_EQ(tp::WordAt(left, 7), kTable);
    EXPECT_NE(tp::WordAt(left, 8), 0);
    // The hand was abandoned unsettled and says nothing more; the close
    // rules' query finds no game, and the leave is answered.
    ASSERT_TRUE(Idle());
    EXPECT_FALSE(table_->HandRunning());
    EXPECT_TRUE(table_->Hands().empty());
    EXPECT_FALSE(NextTimer());
    Answer answer;
    ASSERT_TRUE(player.Ask(fr::kQueryInGame, HeadBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultOk);
    ASSERT_TRUE(player.Ask(fr::kLeaveGame, HeadBody(), answer));
    EXPECT_EQ(answer.code, fr::kResultOk);
    const std::vector<std::string> log = Log();
    size_t afterLeft = 0;
    for (size_t i = logged; i < log.size(); ++i) {
        if (afterLeft > 0) {
            EXPECT_EQ(log[i].find(" notify "), std::string::npos) << log[i];
        } else if (log[i].find(" notify 211010 ") != std::string::npos) {
            afterLeft = i;
        }
    }
    EXPECT_GT(afterLeft, 0u);
}

TEST_F(TableHandsTest, StartingWhenFullWaitsForTheBoardsOrTwoSeconds) {
    TableServer::Options options = TestPaced();
    options.startWhenFull = true;
    StartServer(options);
    WirePlayer player;
    Enter(player);
    Advance(1999);
    EXPECT_FALSE(table_->HandRunning());
    Advance(1);
    EXPECT_TRUE(table_->HandRunning());
    const std::vector<zeptest::Delivered> notes = NotesWith(player, tp::kHandStart, 1);
    ASSERT_EQ(Count(notes, tp::kHandStart), 1u);
    // The hand start as the client reads it: the banker to act, running,
    // no wild tile, the test clocks, the bases where the client looks.
    const auto startNote = std::find_if(notes.begin(), notes.end(), [](const auto& note) {
        return note.code == static_cast<uint32_t>(tp::kHandStart);
    });
    const std::vector<uint8_t> start = Bytes(*startNote);
    ASSERT_EQ(start.size(), tp::kHandStartBytes);
    EXPECT_EQ(tp::WordAt(start, 13), View().banker);
    EXPECT_EQ(tp::WordAt(start, 27), 1);
    EXPECT_EQ(tp::WordAt(start, 36), tp::kNoTile);
    EXPECT_EQ(tp::WordAt(start, 18), 4);
    EXPECT_EQ(tp::WordAt(start, 39), 2);
    EXPECT_GT(tp::WordAt(start, 10), 0);
    EXPECT_GT(tp::WordAt(start, 9), 0);
    // The server marked the human ready itself.
    EXPECT_EQ(tp::WordAt(Bytes(notes[6]), 3), kChair);
    EXPECT_EQ(notes[6].code, static_cast<uint32_t>(tp::kSeatStarted));
    player.Close();

    WirePlayer next;
    for (int i = 0; i < 500 && table_->GetCounters().resets == 0; ++i) {
        platform::SleepMs(10);
    }
    Enter(next);
    next.Tell(tp::kSeatBoardInfo, HeadBody());
    Sync(next);
    EXPECT_TRUE(table_->HandRunning());
}

TEST_F(TableHandsTest, AfterTheLastHandTheClientsReadyMakesARobotLeave) {
    TableServer::Options options = TestPaced();
    options.hands = 1;
    StartServer(options);
    WirePlayer player;
    Enter(player);
    Ready(player);
    ASSERT_TRUE(PlayPassively(player, 1));
    Ready(player);
    const std::vector<zeptest::Delivered> notes = NotesWith(player, tp::kPlayerLeft, 1);
    ASSERT_EQ(Count(notes, tp::kPlayerLeft), 1u);
    EXPECT_EQ(Count(notes, tp::kHandStart), 1u);
    tp::PlayerLeftNotice left;
    ASSERT_TRUE(tp::ReadTableRecord(Bytes(notes.back()), left));
    EXPECT_NE(left.chair, kChair);
    EXPECT_EQ(left.forced, 0);
    const std::vector<std::string> log = Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "hands done 1, protocol errors 0"), log.end());
    EXPECT_FALSE(table_->HandRunning());
}

}  // namespace
