#include "tests/support/HandRun.h"

#include <algorithm>
#include <numeric>

#include "frame/GameRecords.h"
#include "frame/net/FrameRequests.h"
#include "platform/Sync.h"
#include "tests/mahjong_logic/TableDriverChecks.h"

namespace servertest {

namespace fr = frame_requests;
namespace tp = table_protocol;
using testserver::TableServer;

namespace {

constexpr uint32_t kIdleMs = 10000;
constexpr int kStepsPerHand = 5000;

template <class Words>
int64_t Sum(const Words& words) {
    return std::accumulate(words.begin(), words.end(), int64_t{0});
}

}  // namespace

TableServer::Options HandRun::Options(uint32_t seed, int32_t humanSilver, size_t handsKept) {
    TableServer::Options options;
    options.handsKept = handsKept;
    options.seed = seed;
    options.humanSilver = humanSilver;
    options.testMode = true;
    options.pacing = TableServer::Pacing::kTest;
    options.clock = [this] { return clockMs_.load(); };
    options.log = [this](const std::string& line) {
        if (line.find(" notify ") != std::string::npos) {
            ++notified_;
        } else if (line.find(" reply ") != std::string::npos) {
            ++replied_;
        }
    };
    options.afterOperation = [this](std::string_view operation,
                                    const CRegionalMahjongRules& table) {
        AfterOperation(operation, table);
    };
    return options;
}

HandRun::HandRun(uint32_t seed, int32_t chair, SeatMix mix, int32_t humanSilver, size_t handsKept)
    : seed_(seed),
      chair_(chair),
      server_(TableServer::TransportOptions(true)),
      table_(server_, Options(seed, humanSilver, handsKept)),
      seat_(tp::RequestHead{kUser, kRoom, kTable, chair}, seed * 2654435761u + 1, mix),
      clockKeeper_([this] { KeepClock(); }) {}

HandRun::~HandRun() {
    {
        std::lock_guard lock(askMutex_);
        stopping_ = true;
    }
    askChanged_.notify_all();
    clockKeeper_.join();
    player_.Close();
}

void HandRun::KeepClock() {
    // A request is answered within milliseconds unless its answer waits for
    // the table's clock; only then is the table looked at.
    constexpr uint32_t kAnswerMs = 5;
    constexpr uint32_t kLookMs = 1;
    std::unique_lock lock(askMutex_);
    while (!stopping_) {
        askChanged_.wait(lock, [this] { return stopping_ || asking_.has_value(); });
        uint32_t waitMs = kAnswerMs;
        while (!stopping_ && asking_ && !platform::WaitFor(askChanged_, lock, waitMs, [this] {
            return stopping_ || !asking_.has_value();
        })) {
            const Asking asked = *asking_;
            lock.unlock();
            // Nothing else moves the table while the seat waits: a table that
            // took the request and waits unanswering waits for its clock.
            if (table_.GetCounters().requests > asked.requestsBefore && table_.WaitIdle(kIdleMs) &&
                replied_.load() == asked.repliesBefore) {
                AdvanceClock();
            }
            lock.lock();
            waitMs = kLookMs;
        }
    }
}

void HandRun::Fault(const std::string& what) {
    std::lock_guard lock(mutex_);
    faults_.push_back("seed " + std::to_string(seed_) + ": " + what);
}

std::vector<std::string> HandRun::TakeFaults() {
    std::lock_guard lock(mutex_);
    return std::exchange(faults_, {});
}

void HandRun::AfterOperation(std::string_view operation, const CRegionalMahjongRules& table) {
    const std::string fault = ConservationFault(table);
    std::array<int32_t, 64> ids{};
    const int n = table.HandTileIds(chair_, ids);
    std::vector<int32_t> hand(ids.begin(), ids.begin() + std::max(n, 0));
    std::sort(hand.begin(), hand.end());
    std::lock_guard lock(mutex_);
    ++operations_;
    engineHand_ = std::move(hand);
    if (!fault.empty()) {
        faults_.push_back("seed " + std::to_string(seed_) + ": " + fault + " after " +
                          std::string(operation));
    }
}

void HandRun::CheckOwnHand() {
    std::vector<int32_t> engine;
    {
        std::lock_guard lock(mutex_);
        engine = engineHand_;
    }
    if (seat_.OwnTiles() != engine) {
        Fault("the seat holds " + std::to_string(seat_.OwnTiles().size()) +
              " tiles unlike the engine's " + std::to_string(engine.size()) + " in hand " +
              std::to_string(seat_.ResultCount() + 1));
    }
}

bool HandRun::Enter() {
    if (!server_.Start() || !player_.Connect(server_.Port())) {
        Fault("no connection");
        return false;
    }
    Answer answer;
    if (!player_.Ask(fr::kEnterGame, EnterBody(seat_.Place()), answer) ||
        answer.code != fr::kResultEntered) {
        Fault("not entered");
        return false;
    }
    return Settle();
}

bool HandRun::Sync() {
    const std::vector<uint8_t> body = HeadBody(seat_.Place());
    Answer answer;
    return player_.Ask(fr::kQueryInGame, body, answer);
}

bool HandRun::AskStart() {
    const std::vector<uint8_t> body = HeadBody(seat_.Place());
    ++startsAsked_;
    return player_.Tell(fr::kStartGame, body) && Sync();
}

bool HandRun::Settle() {
    if (!table_.WaitIdle(kIdleMs)) {
        Fault("the table stays busy");
        return false;
    }
    const size_t sent = notified_.load();
    const std::vector<zeptest::Delivered> delivered = player_.NotificationsFrom(taken_, sent);
    if (taken_ + delivered.size() < sent) {
        Fault("notifications lost on the way");
        return false;
    }
    for (const zeptest::Delivered& note : delivered) {
        seat_.OnNotification(note.code, zeptest::Bytes(note.data));
    }
    taken_ += delivered.size();
    player_.Forget(taken_);
    return true;
}

bool HandRun::AdvanceClock() {
    const std::optional<uint64_t> due = table_.NextTimerDueMs();
    if (!due) {
        return false;
    }
    clockMs_ = std::max(clockMs_.load(), *due);
    table_.Wake();
    return true;
}

bool HandRun::Send(const SeatRequest& request) {
    if (!request.waited) {
        return player_.Tell(request.id, request.body) && Sync();
    }
    Answer answer;
    if (!Ask(request.id, request.body, answer)) {
        Fault("no answer to " + std::to_string(request.id));
        return false;
    }
    seat_.OnAnswer(request, answer.code, answer.data);
    return true;
}

bool HandRun::Ask(uint32_t id, std::span<const uint8_t> body, Answer& answer) {
    {
        std::lock_guard lock(askMutex_);
        asking_ = Asking{table_.GetCounters().requests, replied_.load()};
    }
    askChanged_.notify_all();
    const bool answered = player_.Ask(id, body, answer);
    {
        std::lock_guard lock(askMutex_);
        asking_.reset();
    }
    askChanged_.notify_all();
    return answered;
}

uint32_t HandRun::SendOnly(uint32_t id, std::span<const uint8_t> body) {
    Answer answer;
    return Ask(id, body, answer) ? answer.code : 0;
}

HandRun::Step HandRun::Advance(int hands) {
    if (!Settle()) {
        return Step::kStopped;
    }
    const int done = static_cast<int>(seat_.ResultCount());
    if (done >= hands && !seat_.InHand()) {
        return Step::kDone;
    }
    if (std::optional<SeatRequest> request = seat_.Next()) {
        // The engine deals the own draw before it is asked for.
        if (request->id != tp::kOwnDraw) {
            CheckOwnHand();
        }
        return Send(*request) ? Step::kGoOn : Step::kStopped;
    }
    if (!seat_.InHand() && startsAsked_ == done) {
        return AskStart() ? Step::kGoOn : Step::kStopped;
    }
    if (!AdvanceClock()) {
        Fault("the table waits with no timer set in hand " + std::to_string(done + 1));
        return Step::kStopped;
    }
    return Step::kGoOn;
}

bool HandRun::Play(int hands, HandRunTotals& totals,
                   const std::function<void(int handsDone)>& afterHand) {
    Step step = Enter() ? Step::kGoOn : Step::kStopped;
    size_t told = 0;
    for (int steps = 0; step == Step::kGoOn && steps < kStepsPerHand * hands; ++steps) {
        step = Advance(hands);
        if (told < seat_.ResultCount()) {
            CheckNewHands();
        }
        for (; told < seat_.ResultCount(); ++told) {
            if (afterHand) {
                afterHand(static_cast<int>(told + 1));
            }
        }
    }
    const bool ok = step != Step::kStopped;
    const int played = static_cast<int>(seat_.ResultCount());
    if (ok && played < hands) {
        Fault("only " + std::to_string(played) + " hands in the steps allowed");
    }
    CheckNewHands();
    if (table_.HandsReported() != seat_.ResultCount()) {
        Fault(std::to_string(table_.HandsReported()) + " hands settled, " +
              std::to_string(seat_.ResultCount()) + " results sent");
    }
    CheckCounters();
    // The client's clocks in test pacing: 4 s for a turn, 2 s for a claim.
    if (played > 0 && (seat_.LastStart().reactionTime != 4 || seat_.LastStart().discardTime != 2)) {
        Fault("the hand start gives the clocks " + std::to_string(seat_.LastStart().reactionTime) +
              " and " + std::to_string(seat_.LastStart().discardTime));
    }
    totals.hands += played;
    totals.robbingWindows += table_.DriverStats().robbingWindows;
    for (const auto& [name, count] : seat_.Events()) {
        totals.events[name] += count;
        totals.firstSeeds.emplace(name, seed_);
    }
    {
        std::lock_guard lock(mutex_);
        totals.operations += operations_;
    }
    for (std::string& fault : TakeFaults()) {
        totals.faults.push_back(std::move(fault));
    }
    return ok;
}

void HandRun::CheckNewHands() {
    const std::vector<TableServer::HandReport> kept = table_.Hands();
    const size_t reported = table_.HandsReported();
    const size_t firstKept = reported - kept.size();
    if (handsChecked_ < firstKept) {
        Fault(std::to_string(firstKept - handsChecked_) + " hand reports gone before checked");
        handsChecked_ = firstKept;
        lastReport_.reset();
    }
    for (; handsChecked_ < reported; ++handsChecked_) {
        const TableServer::HandReport& hand = kept[handsChecked_ - firstKept];
        CheckReport(hand, " in hand " + std::to_string(handsChecked_ + 1));
        lastReport_ = hand;
    }
    for (const tp::GameResultRecord& result : seat_.TakeResults()) {
        ++resultsChecked_;
        const std::string where = " in hand " + std::to_string(resultsChecked_);
        CheckResult(result, where);
        if (resultsChecked_ <= firstKept || resultsChecked_ > reported) {
            Fault("a result with no settlement" + where);
        } else if (const TableServer::HandReport& hand = kept[resultsChecked_ - 1 - firstKept];
                   result.scoreChange != hand.scoreChange ||
                   result.silverChange != hand.silverChange) {
            Fault("the result sent differs from the settlement" + where);
        }
        lastResult_ = result;
    }
}

void HandRun::CheckReport(const TableServer::HandReport& hand, const std::string& where) {
    if (Sum(hand.points) != 0) {
        Fault("points sum to " + std::to_string(Sum(hand.points)) + where);
    }
    if (Sum(hand.scoreChange) != 0) {
        Fault("score changes sum to " + std::to_string(Sum(hand.scoreChange)) + where);
    }
    if (Sum(hand.silverChange) + Sum(hand.fees) > 0) {
        Fault("silver changes and fees add silver" + where);
    }
    if (!lastReport_) {
        return;
    }
    const TableServer::HandReport& last = *lastReport_;
    for (size_t c = 0; c < last.scoreBefore.size(); ++c) {
        if (hand.scoreBefore[c] != last.scoreBefore[c] + last.scoreChange[c]) {
            Fault("chair " + std::to_string(c) + "'s score does not carry over" + where);
        }
    }
    const size_t own = static_cast<size_t>(chair_);
    if (hand.silverBefore[own] != last.silverBefore[own] + last.silverChange[own]) {
        Fault("the human's silver " + std::to_string(last.silverBefore[own]) + " + " +
              std::to_string(last.silverChange[own]) + " is " +
              std::to_string(hand.silverBefore[own]) + where);
    }
}

void HandRun::CheckResult(const tp::GameResultRecord& result, const std::string& where) {
    if (!lastResult_) {
        return;
    }
    // What the client is told: its values before each hand.
    const tp::GameResultRecord& last = *lastResult_;
    const size_t own = static_cast<size_t>(chair_);
    if (result.silverBase[own] != last.silverBase[own] + last.silverChange[own] ||
        result.scoreBase[own] != last.scoreBase[own] + last.scoreChange[own]) {
        Fault("the result's silver " + std::to_string(last.silverBase[own]) + " + " +
              std::to_string(last.silverChange[own]) + " is " +
              std::to_string(result.silverBase[own]) + ", score " +
              std::to_string(last.scoreBase[own]) + " + " + std::to_string(last.scoreChange[own]) +
              " is " + std::to_string(result.scoreBase[own]) + where);
    }
}

void HandRun::CheckCounters() {
    const TableServer::Counters counters = table_.GetCounters();
    if (server_.ProtocolErrors() != 0) {
        Fault(std::to_string(server_.ProtocolErrors()) + " protocol errors");
    }
    if (server_.SendFaults() != 0) {
        Fault(std::to_string(server_.SendFaults()) + " frames that did not read back");
    }
    if (counters.failureReports != 0) {
        Fault("the client refused a notification");
    }
    for (const auto& [code, count] : counters.refusalsByCode) {
        if (code != tp::kResultDrawRefused) {
            Fault(std::to_string(count) + " refusals " + std::to_string(code));
        } else if (count != static_cast<size_t>(seat_.EmptyWallRefusals())) {
            Fault("229101 refused " + std::to_string(count) + " times, " +
                  std::to_string(seat_.EmptyWallRefusals()) + " at an empty wall");
        }
    }
    for (const std::string& fault : seat_.Faults()) {
        Fault("the seat: " + fault);
    }
}

}  // namespace servertest
