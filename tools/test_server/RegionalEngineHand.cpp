#include "tools/test_server/RegionalEngineHand.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string_view>

#include "mahjong_client/TableProtocol.h"
#include "mahjong_logic/RegionalMahjongRules.h"
#include "platform/Sync.h"
#include "tools/table_driver/RobotPlayer.h"
#include "tools/table_driver/RuleRobot.h"
#include "tools/table_driver/SplitMix64.h"
#include "tools/table_driver/TableDriver.h"
#include "tools/test_server/TableRobots.h"

namespace testserver {

namespace tp = table_protocol;

namespace {

// Where the hu claim's and the ready throw's tile lie.
constexpr size_t kTingThrowTileWord = 26;

void PutWord(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
    if (offset + 4 <= bytes.size()) {
        std::memcpy(bytes.data() + offset, &value, 4);
    }
}

int32_t HuKindOf(std::span<const uint8_t> body) {
    tp::HuClaimRecord claim;
    return tp::ReadTableRecord(body, claim) ? claim.huKind : -1;
}

bool HasKind(const SeatDecision& decision, SeatActionKind kind) {
    return std::any_of(decision.options.begin(), decision.options.end(),
                       [kind](const SeatAction& a) { return a.kind == kind; });
}

// The engine's ready candidates and their wait maps as the records carry
// them: the ids (-1 empty), and a map of equal size per candidate.
template <size_t kIds, size_t kWords>
void PutEngineTingData(const CRegionalMahjongRules& table, std::array<int32_t, kIds>& ids,
                       std::array<int32_t, kWords>& words) {
    constexpr size_t kMapWords = kWords / kIds;
    const std::span<const int32_t> candidates = table.ReadyCandidates();
    ids.fill(tp::kNoTile);
    words.fill(0);
    for (size_t k = 0; k < kIds && k < candidates.size() && candidates[k] >= 0; ++k) {
        ids[k] = candidates[k];
        const WaitMap& map = table.ReadyWaitMap(static_cast<int>(k));
        for (size_t i = 0; i < map.size() && i < kMapWords; ++i) {
            words[k * kMapWords + i] = map[i];
        }
    }
}

TableDriverOptions SilverTable(const RegionalEngineHand::Options& options) {
    TableDriverOptions driver;
    driver.settings[1] = 1;
    driver.round.scoreBase = 1;
    driver.round.silverMultiple = options.baseSilver;
    driver.round.minScore = INT_MIN;
    driver.round.maxScore = INT_MAX;
    driver.round.maxGames = INT_MAX;
    driver.round.maxPlayerGames = INT_MAX;
    driver.round.minSilver = options.minSilver;
    driver.startSilver = options.robotSilver;
    driver.testDealReplay = options.testDealReplay;
    // A table's claims: wins first, in play order after the discarder.
    driver.claimsInPlayOrder = options.pacing.on;
    // The table server's players play for silver.
    driver.playerFlags = options.pacing.on ? 4u : 0u;
    return driver;
}

}  // namespace

// --- The robots: a fixed list of moves, then the robots' own play ---

class RegionalEngineHand::ListSeat : public SeatPlayer {
public:
    explicit ListSeat(RegionalEngineHand& hand) : hand_(hand) {
        for (uint64_t seat = 0; seat < 4; ++seat) {
            robots_.emplace_back(hand.options_.robotSeed * 4 + seat + 1);
        }
    }

    size_t Choose(const CRegionalMahjongRules& table, const SeatDecision& decision) override {
        // The exchange is chosen at once; plays wait while the robots are held.
        const bool swap = HasKind(decision, SeatActionKind::kSwapChoice);
        if (!swap) {
            hand_.WaitWhileRobotsHeld();
        }
        size_t k = FromList(table, decision);
        if (k >= decision.options.size()) {
            k = hand_.options_.ruledRobots ? Ruled(table, decision) : Unlisted(table, decision);
        }
        if (k < decision.options.size() &&
            decision.options[k].kind == SeatActionKind::kSwapChoice) {
            Chose(decision.seat, k, decision);
        }
        // A robot takes its time over its own turn, and makes a claim its
        // time after the claim window opened; a pass goes at once.
        if (HasKind(decision, SeatActionKind::kDiscard)) {
            hand_.PaceRobot(true);
        } else if (!swap && k < decision.options.size() &&
                   decision.options[k].kind != SeatActionKind::kPass) {
            hand_.PaceRobot(false);
        }
        return k;
    }

private:
    // The table driver's seeded robot decides the seat's wins, kongs, pengs
    // and declarations; where it throws a plain tile, or at the exchange,
    // RuleRobot's rule decides (the suit held fewest goes first, which
    // brings a hand to its wins sooner than the robot's own throw).
    size_t Ruled(const CRegionalMahjongRules& table, const SeatDecision& decision) {
        if (HasKind(decision, SeatActionKind::kSwapByTimeOut)) {
            return rule_.Choose(table, decision);
        }
        const size_t k = robots_[static_cast<size_t>(decision.seat)].Choose(table, decision);
        if (k < decision.options.size() && decision.options[k].kind == SeatActionKind::kDiscard) {
            const size_t ruled = RuleRobotDiscardOption(table, decision);
            return ruled < decision.options.size() ? ruled : k;
        }
        return k;
    }

    size_t FromList(const CRegionalMahjongRules& table, const SeatDecision& decision) {
        std::vector<RobotMove>& moves = hand_.options_.moves;
        for (size_t m = next_; m < moves.size(); ++m) {
            if (moves[m].seat != decision.seat ||
                std::find(used_.begin(), used_.end(), m) != used_.end()) {
                continue;
            }
            for (size_t k = 0; k < decision.options.size(); ++k) {
                const SeatAction& option = decision.options[k];
                if (option.kind == moves[m].kind &&
                    (moves[m].tile < 0 ||
                     table.IndexOf(option.tile) == table.IndexOf(moves[m].tile))) {
                    if (hand_.options_.beforeListedMove) {
                        hand_.options_.beforeListedMove(m);
                    }
                    used_.push_back(m);
                    while (std::find(used_.begin(), used_.end(), next_) != used_.end()) {
                        ++next_;
                    }
                    return k;
                }
            }
            break;  // the seat's next move is not offered yet
        }
        return decision.options.size();
    }

    // Decisions the list does not cover: pass, exchange the first suit
    // offered, or throw the tile just drawn (else the first tile held).
    size_t Unlisted(const CRegionalMahjongRules& table, const SeatDecision& decision) const {
        for (size_t k = 0; k < decision.options.size(); ++k) {
            const SeatAction& option = decision.options[k];
            if (option.kind == SeatActionKind::kSwapChoice) {
                return k;
            }
            if (option.kind == SeatActionKind::kDiscard && hand_.lastDrawer_ == decision.seat &&
                table.IndexOf(option.tile) == table.IndexOf(hand_.lastDrawn_)) {
                return k;
            }
        }
        for (size_t k = 0; k < decision.options.size(); ++k) {
            const SeatActionKind kind = decision.options[k].kind;
            if (kind == SeatActionKind::kPass || kind == SeatActionKind::kDiscard) {
                return k;
            }
        }
        return 0;
    }

    void Chose(int seat, size_t k, const SeatDecision& decision) {
        hand_.swapGiven_[static_cast<size_t>(seat)] = decision.options[k].handTiles;
        if (!hand_.options_.pacing.on) {
            hand_.SendSwapReady(seat);
            return;
        }
        // The robot's choice shows after its time to choose.
        std::lock_guard lock(hand_.mutex_);
        hand_.swapNoticeTimers_.push_back(hand_.options_.pacing.after(
            hand_.RobotDelay(), [this, seat] { hand_.SendSwapReady(seat); }));
    }

    RegionalEngineHand& hand_;
    RuleRobot rule_;
    std::vector<RobotPlayer> robots_;  // by seat
    size_t next_ = 0;
    std::vector<size_t> used_;
};

// --- The client's seat: its requests, checked against the offer ---

class RegionalEngineHand::ClientSeat : public SeatPlayer {
public:
    explicit ClientSeat(RegionalEngineHand& hand) : hand_(hand) {}

    size_t Choose(const CRegionalMahjongRules& table, const SeatDecision& decision) override {
        meant_ = {};
        const size_t k = Decide(table, decision);
        hand_.DisarmSafetyTimeOut();
        return k;
    }

    SeatAction Meant(const CRegionalMahjongRules&, const SeatDecision& decision,
                     size_t chosen) override {
        return meant_.kind == decision.options[chosen].kind ? meant_ : decision.options[chosen];
    }

private:
    size_t Decide(const CRegionalMahjongRules& table, const SeatDecision& decision) {
        if (HasKind(decision, SeatActionKind::kSwapByTimeOut)) {
            return Swap(table, decision);
        }
        if (HasKind(decision, SeatActionKind::kDiscard)) {
            return Turn(table, decision);
        }
        if (HasKind(decision, SeatActionKind::kRobKong)) {
            return Claim(table, decision, true);
        }
        return Claim(table, decision, false);
    }

    // The option of that kind whose tile is of the same kind as `tile`.
    static size_t Find(const CRegionalMahjongRules& table, const SeatDecision& decision,
                       SeatActionKind kind, int32_t tile) {
        for (size_t k = 0; k < decision.options.size(); ++k) {
            const SeatAction& option = decision.options[k];
            if (option.kind == kind &&
                (tile < 0 ||
                 (table.IndexOf(tile) >= 0 && table.IndexOf(option.tile) == table.IndexOf(tile)))) {
                return k;
            }
        }
        return decision.options.size();
    }

    size_t Take(const SeatDecision& decision, size_t k, SeatAction meant, const Pending& request,
                bool answerNow) {
        meant_ = meant;
        if (answerNow) {
            hand_.Reply(request, tp::kResultDone);
        } else {
            std::lock_guard lock(hand_.mutex_);
            hand_.waiting_ = request;
        }
        (void)decision;
        return k;
    }

    size_t Stopped(const SeatDecision& decision) {
        // Stopping: the first option (a pass or the time-out) ends quickest.
        (void)decision;
        hand_.ReplyPending(tp::kResultNotCarriedOut);
        return 0;
    }

    size_t Swap(const CRegionalMahjongRules& table, const SeatDecision& decision) {
        hand_.ArmSafetyTimeOut(hand_.options_.pacing.swapTimeOutMs);
        Pending request;
        while (hand_.NextRequest(request)) {
            if (request.id == kSafetyTimeOut) {
                // The choice the engine makes for a seat that does not choose.
                return TakeAutomaticSwap(table, decision, {});
            }
            tp::SwapThreeRequest choice;
            if (request.id != tp::kSwapThree) {
                hand_.Refuse(request, request.id == tp::kOwnDraw ? tp::kResultDrawRefused
                                                                 : tp::kResultNotCarriedOut);
                continue;
            }
            SeatAction meant{SeatActionKind::kSwapChoice};
            const bool read = tp::ReadTableRecord(request.body, choice);
            for (size_t i = 0; read && i < 3; ++i) {
                meant.handTiles[i] = choice.chairTiles[static_cast<size_t>(hand_.Own()) * 3 + i];
            }
            const size_t k = SuitOption(table, decision, meant.handTiles[0]);
            if (!read || choice.chair != hand_.Own() || k >= decision.options.size() ||
                !OneSuitHeld(table, meant.handTiles)) {
                // A choice the engine cannot take is replaced by its own, so
                // the exchange goes on.
                if (hand_.options_.log) {
                    hand_.options_.log(
                        "222070: not three held tiles of one suit of the own "
                        "chair; the automatic choice is taken");
                }
                return TakeAutomaticSwap(table, decision, request);
            }
            hand_.swapGiven_[static_cast<size_t>(hand_.Own())] = meant.handTiles;
            const size_t taken = Take(decision, k, meant, request, true);
            hand_.SendSwapReady(hand_.Own());
            return taken;
        }
        return Stopped(decision);
    }

    size_t TakeAutomaticSwap(const CRegionalMahjongRules& table, const SeatDecision& decision,
                             const Pending& request) {
        const size_t k = AutomaticSwapOption(table, decision);
        if (k >= decision.options.size()) {
            return 0;  // none fits: the exchange by time-out
        }
        hand_.swapGiven_[static_cast<size_t>(hand_.Own())] = decision.options[k].handTiles;
        const size_t taken = Take(decision, k, decision.options[k], request, request.id != 0);
        hand_.SendSwapReady(hand_.Own());
        return taken;
    }

    static size_t SuitOption(const CRegionalMahjongRules& table, const SeatDecision& decision,
                             int32_t tile) {
        for (size_t k = 0; k < decision.options.size(); ++k) {
            const SeatAction& option = decision.options[k];
            if (option.kind == SeatActionKind::kSwapChoice &&
                table.IndexOf(option.handTiles[0]) / 10 == table.IndexOf(tile) / 10) {
                return k;
            }
        }
        return decision.options.size();
    }

    bool OneSuitHeld(const CRegionalMahjongRules& table, const std::array<int32_t, 3>& t) const {
        const int seat = hand_.Own();
        const int suit = table.IndexOf(t[0]) / 10;
        for (size_t i = 0; i < 3; ++i) {
            if (!table.SeatHoldsTile(seat, t[i]) || table.IndexOf(t[i]) / 10 != suit) {
                return false;
            }
        }
        return t[0] != t[1] && t[1] != t[2] && t[0] != t[2];
    }

    size_t Turn(const CRegionalMahjongRules& table, const SeatDecision& decision) {
        // The replies of the play that began this turn (peng, gang) go now.
        options_ = 0;
        options_ |= HasKind(decision, SeatActionKind::kSelfDrawnHu) ? tp::kOptionHu : 0;
        options_ |= HasKind(decision, SeatActionKind::kConcealedKong) ||
                            HasKind(decision, SeatActionKind::kAddedKong)
                        ? tp::kOptionGang
                        : 0;
        options_ |= HasKind(decision, SeatActionKind::kDeclareReady) ? tp::kOptionTing : 0;
        hand_.ReplyPending(tp::kResultDone, options_);
        const Pacing& pacing = hand_.options_.pacing;
        hand_.ArmSafetyTimeOut(static_cast<uint32_t>(pacing.turnSeconds + 10) * 1000);
        Pending request;
        while (hand_.NextRequest(request)) {
            tp::OperationRecord play;
            const bool isPlay = tp::ReadTableRecord(request.body, play);
            size_t k = decision.options.size();
            SeatAction meant;
            switch (request.id) {
                case kSafetyTimeOut:
                    // As the client's auto-play would: the drawn tile goes.
                    return Find(table, decision, SeatActionKind::kDiscard,
                                table.SeatHoldsTile(hand_.Own(), hand_.lastDrawn_)
                                    ? hand_.lastDrawn_
                                    : table.FirstHeldTile(hand_.Own()));
                case tp::kOwnDraw:
                    if (hand_.OwnDrawDue()) {
                        hand_.Reply(request, tp::kResultDone, hand_.TileReply(options_));
                    } else {
                        hand_.Refuse(request, tp::kResultDrawRefused);
                    }
                    continue;
                case tp::kGangQuery:
                    hand_.Reply(request, tp::kResultDone, hand_.GangQueryAnswer(request.body));
                    continue;
                case tp::kDiscard:
                    // Only a tile the seat holds is thrown, never another copy.
                    if (table.SeatHoldsTile(hand_.Own(), play.tile)) {
                        meant = {SeatActionKind::kDiscard, play.tile};
                    }
                    break;
                case tp::kTingThrow:
                    if (const int32_t tile =
                            tp::WordAt(request.body, kTingThrowTileWord, tp::kNoTile);
                        table.SeatHoldsTile(hand_.Own(), tile)) {
                        meant = {SeatActionKind::kDeclareReady, tile};
                    }
                    break;
                case tp::kConcealedGang:
                    meant = {SeatActionKind::kConcealedKong, play.tile, play.handTiles};
                    break;
                case tp::kAddedGang:
                    meant = {SeatActionKind::kAddedKong, play.tile, play.handTiles};
                    break;
                case tp::kHuClaim:
                    if (HuKindOf(request.body) == tp::kHuSelfDrawn) {
                        meant = {SeatActionKind::kSelfDrawnHu, tp::WordAt(request.body, 5)};
                    }
                    break;
                default:
                    break;
            }
            const bool needsRecord = request.id != tp::kTingThrow && request.id != tp::kHuClaim;
            if (meant.kind != SeatActionKind::kPass && (isPlay || !needsRecord) &&
                !hand_.OwnDrawDue()) {
                k = Find(table, decision, meant.kind, meant.tile);
            }
            if (k < decision.options.size()) {
                if (meant.kind == SeatActionKind::kAddedKong) {
                    meant.handTiles = decision.options[k].handTiles;
                }
                return Take(decision, k, meant, request, false);
            }
            hand_.Refuse(request, tp::kResultNotCarriedOut);
        }
        return Stopped(decision);
    }

    size_t Claim(const CRegionalMahjongRules& table, const SeatDecision& decision, bool robbing) {
        if (robbing) {
            hand_.SendRobbingChance(decision.options.back().tile);
        }
        // The client never closes a window it does not answer unless it is
        // next (its draw request then counts as its pass): the server does.
        const bool next = !robbing && table.GetPrevSeat(table.GetActiveChair()) == hand_.Own();
        if (!next) {
            const Pacing& pacing = hand_.options_.pacing;
            hand_.ArmSafetyTimeOut(static_cast<uint32_t>(pacing.claimSeconds + 2) * 1000);
        }
        Pending request;
        while (hand_.NextRequest(request)) {
            tp::OperationRecord play;
            const bool isPlay = tp::ReadTableRecord(request.body, play);
            SeatAction meant;
            size_t k = decision.options.size();
            switch (request.id) {
                case kSafetyTimeOut:
                case tp::kPass:
                    return 0;  // not answered
                case tp::kOwnDraw:
                    if (next) {
                        hand_.PutBack(std::move(request));
                        return 0;
                    }
                    break;
                case tp::kGangQuery:
                    hand_.Reply(request, tp::kResultDone, hand_.GangQueryAnswer(request.body));
                    continue;
                case tp::kPengClaim:
                    if (isPlay && !robbing) {
                        meant = {SeatActionKind::kPeng, play.tile, play.handTiles};
                        meant.handTiles[2] = tp::kNoTile;
                    }
                    break;
                case tp::kDiscardGang:
                    if (isPlay && !robbing) {
                        meant = {SeatActionKind::kExposedKong, play.tile, play.handTiles};
                    }
                    break;
                case tp::kHuClaim: {
                    const int32_t kind = HuKindOf(request.body);
                    if (kind == (robbing ? tp::kHuRobbingKong : tp::kHuOnDiscard)) {
                        meant = {robbing ? SeatActionKind::kRobKong : SeatActionKind::kDiscardHu,
                                 tp::WordAt(request.body, 5)};
                    }
                    break;
                }
                default:
                    break;
            }
            if (meant.kind != SeatActionKind::kPass) {
                k = Find(table, decision, meant.kind, meant.tile);
            }
            if (k < decision.options.size() && decision.options[k].tile == meant.tile) {
                return Take(decision, k, meant, request, false);
            }
            hand_.Refuse(request, request.id == tp::kOwnDraw ? tp::kResultDrawRefused
                                                             : tp::kResultNotCarriedOut);
        }
        return Stopped(decision);
    }

    RegionalEngineHand& hand_;
    SeatAction meant_;
    int32_t options_ = 0;
};

// --- The hand ---

RegionalEngineHand::RegionalEngineHand(Wire wire, Options options)
    : wire_(std::move(wire)),
      options_(std::move(options)),
      table_(std::make_unique<CRegionalMahjongRules>()),
      client_(std::make_unique<ClientSeat>(*this)),
      robots_(std::make_unique<ListSeat>(*this)),
      robotsHeld_(options_.robotsHeld),
      operations_(options_.operationsKept) {
    for (auto& given : swapGiven_) {
        given.fill(tp::kNoTile);
    }
}

RegionalEngineHand::~RegionalEngineHand() {
    Stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void RegionalEngineHand::Start() {
    if (thread_.joinable()) {
        return;
    }
    std::unique_lock lock(mutex_);
    baton_ = 1;
    thread_ = std::thread([this] { Run(); });
    if (options_.pacing.on) {
        changed_.wait(lock, [this] { return acked_ == baton_ || threadDone_; });
    }
}

template <typename Ready>
void RegionalEngineHand::ParkUntil(std::unique_lock<std::mutex>& lock, Ready ready) {
    if (!options_.pacing.on) {
        changed_.wait(lock, [&] { return stopped_ || ready(); });
        return;
    }
    while (!stopped_ && !ready()) {
        acked_ = baton_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return stopped_ || baton_ != acked_; });
    }
}

void RegionalEngineHand::HandOver(std::unique_lock<std::mutex>& lock) {
    ++baton_;
    changed_.notify_all();
    if (options_.pacing.on) {
        changed_.wait(lock, [this] { return acked_ == baton_ || threadDone_; });
    }
}

void RegionalEngineHand::PutBack(Pending request) {
    std::lock_guard lock(mutex_);
    queue_.push_front(std::move(request));
}

uint32_t RegionalEngineHand::RobotDelay() {
    const uint64_t z = NextSplitMix64(robotState_);
    const Pacing& pacing = options_.pacing;
    const uint32_t span =
        pacing.robotMaxMs > pacing.robotMinMs ? pacing.robotMaxMs - pacing.robotMinMs : 0;
    return pacing.robotMinMs + static_cast<uint32_t>(z % (uint64_t{span} + 1));
}

void RegionalEngineHand::PaceRobot(bool turn) {
    const Pacing& pacing = options_.pacing;
    if (!pacing.on) {
        return;
    }
    uint32_t delay = RobotDelay();
    const uint64_t now = pacing.now();
    if (turn && swapDiceAtMs_ != 0) {
        const uint64_t quietUntil = swapDiceAtMs_ + pacing.quietAfterSwapDiceMs;
        if (now + delay < quietUntil) {
            delay = static_cast<uint32_t>(quietUntil - now);
        }
    }
    if (!turn) {
        // A claim is due its delay after the window opened: a robot asked
        // after the human answered claims at once.
        const uint64_t due = claimOpenedAtMs_ + delay;
        if (due <= now) {
            return;
        }
        delay = static_cast<uint32_t>(due - now);
    }
    std::unique_lock lock(mutex_);
    robotTimerFired_ = false;
    pacing.after(delay, [this] {
        std::unique_lock timerLock(mutex_);
        robotTimerFired_ = true;
        HandOver(timerLock);
    });
    // On its turn every request of the human is out of turn; while it
    // claims, the human's own answers to the window wait for his decision.
    const auto outOfTurn = [this, turn] {
        return std::any_of(queue_.begin(), queue_.end(), [this, turn](const Pending& request) {
            return turn || !AnswersOpenWindow(request);
        });
    };
    for (;;) {
        ParkUntil(lock, [&] { return robotTimerFired_ || outOfTurn(); });
        if (stopped_ || robotTimerFired_) {
            return;
        }
        lock.unlock();
        AnswerOutOfTurn(!turn);
        lock.lock();
    }
}

bool RegionalEngineHand::AnswersOpenWindow(const Pending& request) const {
    switch (request.id) {
        case tp::kOwnDraw:
            // The draw of the seat next after the thrower passes.
            return table_->GetPrevSeat(table_->GetActiveChair()) == Own();
        case tp::kPass:
        case tp::kPengClaim:
        case tp::kDiscardGang:
        case tp::kHuClaim:
            return table_->ClaimOptions(Own()) != 0 && !table_->HasAnswered(Own());
        default:
            return false;
    }
}

std::vector<RegionalEngineHand::Pending> RegionalEngineHand::TakeQueued(
    const std::function<bool(const Pending&)>& taken) {
    std::lock_guard lock(mutex_);
    const auto kept = std::stable_partition(
        queue_.begin(), queue_.end(), [&](const Pending& request) { return !taken(request); });
    std::vector<Pending> requests(std::make_move_iterator(kept),
                                  std::make_move_iterator(queue_.end()));
    queue_.erase(kept, queue_.end());
    return requests;
}

void RegionalEngineHand::AnswerBeatenClaims() {
    const std::vector<Pending> beaten = TakeQueued([](const Pending& request) {
        return request.id == tp::kPengClaim || request.id == tp::kDiscardGang ||
               request.id == tp::kHuClaim;
    });
    for (const Pending& claim : beaten) {
        Reply(claim, tp::kResultHeld);
    }
}

void RegionalEngineHand::AnswerOutOfTurn(bool keepWindowAnswers) {
    const std::vector<Pending> requests = TakeQueued(
        [&](const Pending& request) { return !keepWindowAnswers || !AnswersOpenWindow(request); });
    for (const Pending& request : requests) {
        switch (request.id) {
            case tp::kGangQuery:
                Reply(request, tp::kResultDone, GangQueryAnswer(request.body));
                break;
            case tp::kOwnDraw:
                Refuse(request, tp::kResultDrawRefused);
                break;
            default:
                Refuse(request, tp::kResultNotCarriedOut);
                break;
        }
    }
}

void RegionalEngineHand::ArmSafetyTimeOut(uint32_t delayMs) {
    const Pacing& pacing = options_.pacing;
    if (!pacing.on) {
        return;
    }
    std::lock_guard lock(mutex_);
    const uint64_t decision = ++decision_;
    safetyTimer_ = pacing.after(delayMs, [this, decision] {
        std::unique_lock timerLock(mutex_);
        if (decision != decision_) {
            return;
        }
        if (options_.log) {
            options_.log("the human's safety time-out");
        }
        queue_.push_back({0, kSafetyTimeOut, {}});
        HandOver(timerLock);
    });
}

void RegionalEngineHand::DisarmSafetyTimeOut() {
    uint64_t timer = 0;
    {
        std::lock_guard lock(mutex_);
        ++decision_;
        timer = safetyTimer_;
        safetyTimer_ = 0;
    }
    if (timer != 0 && options_.pacing.cancel) {
        options_.pacing.cancel(timer);
    }
}

void RegionalEngineHand::SendSwapReady(int chair) {
    if (chair < 0 || chair >= 4 || swapNoticed_[static_cast<size_t>(chair)]) {
        return;
    }
    swapNoticed_[static_cast<size_t>(chair)] = true;
    // The indicator: the next chair in play order that has not chosen.
    int pointer = table_->Banker();
    for (int k = 0, s = table_->GetPrevSeat(chair); k < 3; ++k, s = table_->GetPrevSeat(s)) {
        if (s >= 0 && s < 4 && !swapNoticed_[static_cast<size_t>(s)]) {
            pointer = s;
            break;
        }
    }
    tp::SwapReadyNotice ready;
    ready.chair = chair;
    ready.kind = tp::kSwapReadyKind;
    ready.pointerChair = pointer;
    Notify(tp::kSwapReady, tp::WriteTableRecord(ready));
}

void RegionalEngineHand::FlushSwapReady() {
    std::vector<uint64_t> timers;
    {
        std::lock_guard lock(mutex_);
        timers.swap(swapNoticeTimers_);
    }
    for (const uint64_t timer : timers) {
        if (options_.pacing.cancel) {
            options_.pacing.cancel(timer);
        }
    }
    for (int k = 0, chair = table_->Banker(); k < 4; ++k, chair = table_->GetPrevSeat(chair)) {
        SendSwapReady(chair);
    }
}

void RegionalEngineHand::TopUpRobots() {
    for (int chair = 0; chair < 4; ++chair) {
        TablePlayer* player = table_->SeatedPlayer(chair);
        if (chair != Own() && player != nullptr && player->silver < options_.robotSilver) {
            player->silver = options_.robotSilver;
        }
    }
}

int32_t RegionalEngineHand::WireOptions(int chair) const {
    constexpr int32_t kShown = tp::kOptionPeng | tp::kOptionGang | tp::kOptionHu;
    int32_t options = table_->ClaimOptions(chair) & kShown;
    // A paced robot claims its time after the throw, so its word shows what
    // it may claim (the client then waits for the window before it draws);
    // unpaced robots make their listed melds as the throw goes out.
    if (chair != Own() && !options_.pacing.on) {
        options &= tp::kOptionHu;
    }
    if (options != 0) {
        options |= static_cast<int32_t>(table_->SeatStatus(chair) & kSeatMayAct);
    }
    return options;
}

std::vector<uint8_t> RegionalEngineHand::PackedSnapshot() const {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> seat(CRegionalMahjongRules::kRegionalGameStateBytes);
    for (int chair = 0; chair < 4; ++chair) {
        std::fill(seat.begin(), seat.end(), 0);
        table_->PackGameState(seat, chair, false);
        bytes.insert(bytes.end(), seat.begin(), seat.end());
    }
    return bytes;
}

TableDriverStats RegionalEngineHand::DriverStats() const {
    std::lock_guard lock(mutex_);
    return stats_;
}

void RegionalEngineHand::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}

bool RegionalEngineHand::OnRequest(uint32_t sequence, uint32_t id, std::span<const uint8_t> body,
                                   bool waited) {
    static constexpr uint32_t kHandRequests[] = {
        tp::kSwapThree, tp::kOwnDraw,     tp::kDiscard,       tp::kTingThrow,
        tp::kPengClaim, tp::kDiscardGang, tp::kConcealedGang, tp::kAddedGang,
        tp::kHuClaim,   tp::kPass,        tp::kGangQuery};
    if (std::find(std::begin(kHandRequests), std::end(kHandRequests), id) ==
        std::end(kHandRequests)) {
        return false;
    }
    std::unique_lock lock(mutex_);
    queue_.push_back({sequence, id, std::vector<uint8_t>(body.begin(), body.end()), waited});
    HandOver(lock);
    return true;
}

bool RegionalEngineHand::NextRequest(Pending& out) {
    std::unique_lock lock(mutex_);
    ParkUntil(lock, [this] { return !queue_.empty(); });
    if (stopped_) {
        return false;
    }
    out = std::move(queue_.front());
    queue_.erase(queue_.begin());
    return true;
}

void RegionalEngineHand::ClientReady() {
    std::unique_lock lock(mutex_);
    clientReady_ = true;
    HandOver(lock);
}

bool RegionalEngineHand::AwaitNextHand() {
    {
        std::unique_lock lock(mutex_);
        ParkUntil(lock, [this] { return clientReady_; });
        if (stopped_) {
            return false;
        }
        clientReady_ = false;
    }
    lastDrawn_ = -1;
    lastDrawer_ = -1;
    drawFromBack_ = false;
    clientDrawAsked_ = false;
    declaring_ = false;
    return true;
}

bool RegionalEngineHand::WaitForEnd(uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    return platform::WaitFor(changed_, lock, timeoutMs, [this] { return ended_; });
}

bool RegionalEngineHand::Played() const {
    std::lock_guard lock(mutex_);
    return played_;
}

std::vector<int32_t> RegionalEngineHand::SeatTiles(int seat) const {
    std::lock_guard lock(mutex_);
    return seat >= 0 && seat < 4 ? seatTiles_[static_cast<size_t>(seat)] : std::vector<int32_t>{};
}

int32_t RegionalEngineHand::PendingOwnDraw() const {
    std::lock_guard lock(mutex_);
    return pendingOwnDraw_;
}

int RegionalEngineHand::WallLeft() const {
    std::lock_guard lock(mutex_);
    return wallLeft_;
}

int32_t RegionalEngineHand::CurrentSeat() const {
    std::lock_guard lock(mutex_);
    return currentSeat_;
}

std::vector<std::string> RegionalEngineHand::Operations() const {
    std::lock_guard lock(mutex_);
    return operations_.Kept();
}

bool RegionalEngineHand::Silenced() const {
    // A paced hand that was stopped (its table reset) tells nobody anything.
    std::lock_guard lock(mutex_);
    return options_.pacing.on && stopped_;
}

void RegionalEngineHand::Reply(const Pending& request, uint32_t code, std::vector<uint8_t> data) {
    if (!request.waited || Silenced()) {
        return;
    }
    if (wire_.reply) {
        wire_.reply(request.sequence, code, std::move(data));
    }
}

void RegionalEngineHand::Refuse(const Pending& request, uint32_t code) {
    if (request.id == tp::kOwnDraw && code == tp::kResultDrawRefused && options_.log) {
        // A draw that passed on a discard a robot then claimed comes too late.
        if (table_->IsWallEmpty()) {
            options_.log("229000 refused: empty wall");
        } else if (robotClaimed_) {
            options_.log("229000 refused: a robot claimed the discard");
        }
    }
    if (request.id == tp::kPass && options_.log) {
        options_.log("229040 outside a claim window: ignored");
    }
    if (request.id == tp::kPass || request.id == kSafetyTimeOut || !request.waited) {
        return;
    }
    if (options_.refused) {
        options_.refused(code);
    }
    Reply(request, code);
}

void RegionalEngineHand::Notify(int32_t id, std::vector<uint8_t> data) {
    if (Silenced()) {
        return;
    }
    if (wire_.notify) {
        wire_.notify(static_cast<uint32_t>(id), std::move(data));
    }
}

bool RegionalEngineHand::OwnDrawDue() const {
    return lastDrawer_ == Own() && !drawFromBack_ && !clientDrawAsked_;
}

std::vector<uint8_t> RegionalEngineHand::TileReply(int32_t options) {
    clientDrawAsked_ = true;
    {
        std::lock_guard lock(mutex_);
        pendingOwnDraw_ = tp::kNoTile;
    }
    tp::OperationReply reply;
    reply.tile = lastDrawn_;
    reply.wallIndex = table_->FindRecord(lastDrawn_);
    reply.options = options;
    PutEngineTingData(*table_, reply.tingCandidates, reply.tingTable);
    std::vector<uint8_t> bytes = tp::WriteTableRecord(reply);
    // Without ready data the reply is the short form.
    if ((options & tp::kOptionTing) == 0) {
        bytes.resize(tp::kOperationReplyShortBytes);
    }
    return bytes;
}

std::vector<uint8_t> RegionalEngineHand::TingReply() {
    // The engine granted the ready declaration (or not) when the peng was
    // carried out; the candidates are the ones it will accept.
    tp::TingInfo info;
    if (table_->IsReadyGranted(Own())) {
        info.options = tp::kOptionTing;
        PutEngineTingData(*table_, info.candidates, info.table);
    } else {
        info.candidates.fill(tp::kNoTile);
    }
    return tp::WriteTableRecord(info);
}

std::vector<uint8_t> RegionalEngineHand::GangQueryAnswer(std::span<const uint8_t> body) const {
    // What each chair may do about the tile of the gang: a discard gang's
    // hu chances are the discard's option words; an own gang's are the
    // chairs that may rob it, which then rob at once after the announcement.
    tp::GangQueryReply reply;
    if (tp::WordAt(body, 9, 0) == tp::kGangOwn) {
        const int32_t tile = tp::WordAt(body, 5, tp::kNoTile);
        for (int chair = 0; chair < 4 && table_->IndexOf(tile) >= 0; ++chair) {
            HuResult scratch;
            if (chair != Own() && table_->CanHu(chair, tile, scratch, kHuRobbing) != 0) {
                reply.chairOptions[static_cast<size_t>(chair)] = tp::kOptionHu;
            }
        }
    } else if ((table_->TableState() & kStateClaimPhase) != 0) {
        for (int chair = 0; chair < 4; ++chair) {
            reply.chairOptions[static_cast<size_t>(chair)] =
                table_->ClaimOptions(chair) & tp::kOptionHu;
        }
    }
    return tp::WriteTableRecord(reply);
}

void RegionalEngineHand::ReplyPending(uint32_t code, int32_t options) {
    Pending waiting;
    {
        std::lock_guard lock(mutex_);
        waiting = std::move(waiting_);
        waiting_ = {};
    }
    if (waiting.id == 0) {
        return;
    }
    if (code != tp::kResultDone) {
        Reply(waiting, code);
        return;
    }
    switch (waiting.id) {
        case tp::kPengClaim:
            Reply(waiting, code, TingReply());
            return;
        case tp::kDiscardGang:
        case tp::kConcealedGang:
        case tp::kAddedGang:
            clientDrawAsked_ = true;
            Reply(waiting, code, TileReply(options));
            return;
        default:
            Reply(waiting, code);
            return;
    }
}

void RegionalEngineHand::SendRobbingChance(int32_t tile) {
    tp::GangHuNotice notice;
    notice.ganger = table_->GetActiveChair();
    notice.offerChair = notice.ganger;
    notice.tile = tile;
    notice.gangKind = (table_->TableState() & kStateAddedKongAnnounced) != 0
                          ? tp::kGangOwn
                          : tp::kGangOnThrownTile;
    for (int chair = 0; chair < 4; ++chair) {
        notice.chairOptions[static_cast<size_t>(chair)] = table_->ClaimOptions(chair);
    }
    Notify(tp::kGangHuNotice, tp::WriteTableRecord(notice));
}

void RegionalEngineHand::SendThrow(int seat, int32_t tile, bool declared) {
    tp::CardThrownNotice notice;
    notice.thrower = seat;
    notice.tile = tile;
    for (int chair = 0; chair < 4; ++chair) {
        notice.chairOptions[static_cast<size_t>(chair)] = WireOptions(chair);
    }
    Notify(declared ? tp::kTingThrowNotice : tp::kCardThrown, tp::WriteTableRecord(notice));
}

void RegionalEngineHand::SendDraw(int seat, int32_t tile) {
    tp::SeatDrawNotice notice;
    notice.chair = seat;
    notice.laidAside = tp::kNoTile;
    notice.tile = tp::kHiddenTile;
    notice.wallIndex = table_->FindRecord(tile);
    Notify(tp::kSeatDraw, tp::WriteTableRecord(notice));
}

void RegionalEngineHand::SendMeld(int32_t id, int claimant, int list) {
    const std::span<const MeldEntry> melds = table_->Melds(claimant, static_cast<MeldList>(list));
    if (melds.empty() || claimant == Own()) {
        return;
    }
    const MeldEntry& meld = melds.back();
    tp::OperationRecord record;
    record.head = {kRobotUserBase + claimant, options_.roomId, options_.tableNo, claimant};
    record.offerChair = meld.source;
    // The claimed (or fourth) tile comes after the hand tiles.
    const bool four = list != kMeldPeng;
    record.tile = four ? meld.tiles[3] : meld.tiles[2];
    record.handTiles = {meld.tiles[0], meld.tiles[1], four ? meld.tiles[2] : tp::kNoTile};
    Notify(id, tp::WriteTableRecord(record));
}

void RegionalEngineHand::SendHandStart() {
    std::vector<uint8_t> head(CRegionalMahjongRules::kRegionalHeaderBytes, 0);
    table_->PackHeader(head, Own(), false);
    // The words the client reads otherwise than the engine writes them:
    // the seat to act (the banker), the running flag, no wild tile here.
    PutWord(head, 13 * 4, table_->CurrentSeat());
    PutWord(head, 27 * 4, 1);
    PutWord(head, 36 * 4, tp::kNoTile);
    if (options_.pacing.on) {
        PutWord(head, 18 * 4, options_.pacing.turnSeconds);
        PutWord(head, 39 * 4, options_.pacing.claimSeconds);
        for (size_t word = 24; word <= 26; ++word) {
            PutWord(head, word * 4, 0);
        }
        // The client shows the hand's bases from words 10 and 9; the engine
        // keeps them at words 6 and 7.
        PutWord(head, 10 * 4, tp::WordAt(head, 6));
        PutWord(head, 9 * 4, tp::WordAt(head, 7));
    }
    Notify(tp::kHandStart, std::move(head));
}

void RegionalEngineHand::SendSwapDice() {
    tp::SwapDiceNotice notice;
    notice.die = table_->SwapDie();
    // Chair c receives what chair (c + direction) % 4 gave.
    const int direction = notice.die % 3 == 0 ? 1 : (notice.die % 3 == 1 ? 3 : 2);
    for (int chair = 0; chair < 4; ++chair) {
        const int giver = (chair + direction) % 4;
        for (int i = 0; i < 3; ++i) {
            const size_t at = static_cast<size_t>(chair * 3 + i);
            notice.given[static_cast<size_t>(giver * 3 + i)] = table_->SwapReceived(chair, i);
            notice.received[at] = table_->SwapReceived(chair, i);
        }
        notice.firstTurnOptions[static_cast<size_t>(chair)] = table_->ClaimOptions(chair);
    }
    // The banker's ready candidates and maps.
    PutEngineTingData(*table_, notice.tingList, notice.tingTable);
    Notify(tp::kSwapDice, tp::WriteTableRecord(notice));
}

void RegionalEngineHand::PauseAfterSwapDice() {
    if (options_.afterSwapDiceMs == 0) {
        return;
    }
    std::unique_lock lock(mutex_);
    platform::WaitFor(changed_, lock, options_.afterSwapDiceMs, [this] { return stopped_; });
}

void RegionalEngineHand::TakeSnapshot() {
    std::array<std::vector<int32_t>, 4> tiles;
    for (int seat = 0; seat < 4; ++seat) {
        std::array<int32_t, 32> ids{};
        const int n = table_->HandTileIds(seat, ids);
        tiles[static_cast<size_t>(seat)].assign(ids.begin(), ids.begin() + std::max(n, 0));
    }
    int left = 0;
    for (const CardRecord& record : table_->Wall()) {
        left += record.state == kCardInWall ? 1 : 0;
    }
    std::lock_guard lock(mutex_);
    seatTiles_ = std::move(tiles);
    wallLeft_ = left;
    currentSeat_ = table_->GetActiveChair();
}

// The tile the seat holds now that it did not hold at the last snapshot.
int32_t RegionalEngineHand::NewTileOf(int seat) const {
    std::array<int32_t, 32> ids{};
    const int n = table_->HandTileIds(seat, ids);
    std::lock_guard lock(mutex_);
    const std::vector<int32_t>& before = seatTiles_[static_cast<size_t>(seat)];
    for (int k = 0; k < n; ++k) {
        if (std::find(before.begin(), before.end(), ids[static_cast<size_t>(k)]) == before.end()) {
            return ids[static_cast<size_t>(k)];
        }
    }
    return tp::kNoTile;
}

void RegionalEngineHand::AfterOperation(std::string_view operation) {
    {
        std::lock_guard lock(mutex_);
        if (stopped_ && driver_ != nullptr) {
            driver_->RequestStop();
        }
    }
    const int seat = table_->GetActiveChair();
    const bool draw = operation == "DrawFront" || operation == "DrawBack";
    if (draw) {
        lastDrawn_ = NewTileOf(seat);
        lastDrawer_ = seat;
        drawFromBack_ = operation == "DrawBack";
        clientDrawAsked_ = false;
    }
    // What a test reads is up to date before the client hears of it.
    TakeSnapshot();
    {
        std::lock_guard lock(mutex_);
        operations_.Add(std::string(operation));
        if (draw) {
            pendingOwnDraw_ = OwnDrawDue() ? lastDrawn_ : tp::kNoTile;
        }
    }
    if (operation == "StartGame") {
        SendHandStart();
    } else if (operation == "StartPlayAfterSwap") {
        FlushSwapReady();
        SendSwapDice();
        swapDiceAtMs_ = options_.pacing.on ? options_.pacing.now() : 0;
        PauseAfterSwapDice();
    } else if (operation == "DeclareReady") {
        declaring_ = true;
    } else if (operation == "Discard") {
        // The throw is done: its reply goes before the news of it.
        if (seat == Own()) {
            ReplyPending(tp::kResultDone);
        }
        SendThrow(seat, table_->DiscardedTile(), declaring_);
        declaring_ = false;
        robotClaimed_ = false;
        claimOpenedAtMs_ = options_.pacing.on ? options_.pacing.now() : 0;
    } else if (draw) {
        if (seat != Own()) {
            SendDraw(seat, lastDrawn_);
        }
    } else if (operation == "Peng") {
        SendMeld(tp::kPengNotice, seat, kMeldPeng);
        lastDrawer_ = -1;
        robotClaimed_ = seat != Own();
        AskSelfOptionsAfterPeng(seat);
    } else if (operation == "ExposedKong") {
        SendMeld(tp::kGangNotice, seat, kMeldExposedKong);
        robotClaimed_ = seat != Own();
    } else if (operation == "ConcealedKong") {
        SendMeld(tp::kConcealedGangNotice, seat, kMeldConcealedKong);
    } else if (operation == "AddedKong") {
        SendMeld(tp::kAddedGangNotice, seat, kMeldAddedKong);
    } else if (operation.starts_with("ResolveHu")) {
        // A claim of the human's that the win beat is told it was held,
        // also one still waiting for the human's turn to answer.
        const bool robotWon = table_->WinnerSeat() != Own();
        const bool beaten =
            robotWon && (waiting_.id == tp::kPengClaim || waiting_.id == tp::kDiscardGang ||
                         waiting_.id == tp::kAddedGang || waiting_.id == tp::kConcealedGang);
        ReplyPending(beaten ? tp::kResultHeld : tp::kResultDone);
        if (robotWon) {
            AnswerBeatenClaims();
        }
    } else if (operation == "AnnounceKong") {
        claimOpenedAtMs_ = options_.pacing.on ? options_.pacing.now() : 0;
    }
    if (options_.afterOperation) {
        options_.afterOperation(operation, *table_);
    }
}

void RegionalEngineHand::AskSelfOptionsAfterPeng(int seat) {
    // The seat throws next without a draw: the engine decides on the tiles
    // it holds whether it may declare the ready hand with that throw. Only
    // the ready grant counts: there is no drawn tile to win on or to gang.
    std::array<int32_t, 32> held{};
    if (table_->HandTileIds(seat, held) > 0) {
        table_->SelfOptions(seat, held[0]);
    }
}

void RegionalEngineHand::HoldRobots(bool held) {
    {
        std::lock_guard lock(mutex_);
        robotsHeld_ = held;
    }
    changed_.notify_all();
}

void RegionalEngineHand::WaitWhileRobotsHeld() {
    std::unique_lock lock(mutex_);
    ParkUntil(lock, [this] { return !robotsHeld_; });
}

void RegionalEngineHand::AnnounceRobotsStarted() {
    // The robots start the next hand as soon as a result is out; the hand
    // itself waits for the human's start.
    for (int chair = 0; chair < 4; ++chair) {
        if (chair == Own()) {
            continue;
        }
        tp::SeatStartedNotice started;
        started.head = {kRobotUserBase + chair, options_.roomId, options_.tableNo, chair};
        Notify(tp::kSeatStarted, tp::WriteTableRecord(started));
    }
}

void RegionalEngineHand::Run() {
    std::optional<ScopedDriverSources> sources;
    if (options_.seed != 0) {
        sources.emplace(options_.seed);
    }
    std::array<SeatPlayer*, 4> seats{robots_.get(), robots_.get(), robots_.get(), robots_.get()};
    seats[static_cast<size_t>(Own())] = client_.get();
    TableDriver driver(*table_, seats, SilverTable(options_));
    driver.afterOperation = [this](std::string_view operation) { AfterOperation(operation); };
    robotState_ = options_.robotSeed;
    {
        std::lock_guard lock(mutex_);
        driver_ = &driver;
    }
    bool played = false;
    if (driver.SeatPlayers()) {
        if (TablePlayer* own = table_->SeatedPlayer(Own())) {
            own->silver = options_.ownSilver;
        }
        for (int hand = 0; hand < std::max(options_.hands, 1); ++hand) {
            if (hand > 0 && (!played || !AwaitNextHand())) {
                played = false;
                break;
            }
            if (options_.beforeHand) {
                options_.beforeHand(hand);
            }
            TopUpRobots();
            if (TablePlayer* own = table_->SeatedPlayer(Own()); own && options_.ownSilverNow) {
                own->silver = options_.ownSilverNow();
            }
            swapNoticed_ = {};
            swapDiceAtMs_ = 0;
            TakeSnapshot();
            const HandOutcome outcome = driver.PlayHand();
            ReplyPending(outcome.played ? tp::kResultDone : tp::kResultNotCarriedOut);
            AnswerOutOfTurn(false);  // what is left of the hand
            {
                // Only a ready sent after this result starts the next hand.
                std::lock_guard lock(mutex_);
                clientReady_ = false;
                stats_ = driver.Stats();
            }
            if (outcome.startRefusal != 1 && outcome.startRefusal != 0) {
                if (options_.startRefused) {
                    options_.startRefused(outcome.refusedChair);
                }
                played = false;
                break;
            }
            if (outcome.played) {
                if (options_.afterHand) {
                    options_.afterHand(outcome);
                }
                Notify(tp::kHandResult, outcome.record);
                if (hand + 1 < options_.hands) {
                    AnnounceRobotsStarted();
                }
            }
            played = outcome.played;
        }
    }
    std::lock_guard lock(mutex_);
    driver_ = nullptr;
    played_ = played;
    ended_ = true;
    threadDone_ = true;
    changed_.notify_all();
}

}  // namespace testserver
