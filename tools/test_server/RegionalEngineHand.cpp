#include "tools/test_server/RegionalEngineHand.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string_view>

#include "mahjong_client/TableProtocol.h"
#include "mahjong_logic/RegionalMahjongRules.h"
#include "tools/table_driver/TableDriver.h"

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
    driver.startSilver = 100000;
    driver.testDealReplay = options.testDealReplay;
    return driver;
}

}  // namespace

// --- The robots: a fixed list of moves ---

class RegionalEngineHand::ListSeat : public SeatPlayer {
public:
    explicit ListSeat(RegionalEngineHand& hand) : hand_(hand) {}

    size_t Choose(const CRegionalMahjongRules& table, const SeatDecision& decision) override {
        // The exchange is chosen at once; plays wait while the robots are held.
        if (!HasKind(decision, SeatActionKind::kSwapChoice)) {
            hand_.WaitWhileRobotsHeld();
        }
        const size_t listed = FromList(table, decision);
        if (listed < decision.options.size()) {
            return listed;
        }
        for (size_t k = 0; k < decision.options.size(); ++k) {
            const SeatAction& option = decision.options[k];
            if (option.kind == SeatActionKind::kSwapChoice) {
                return Chose(decision.seat, k, decision);
            }
            if (option.kind == SeatActionKind::kDiscard && hand_.lastDrawer_ == decision.seat &&
                table.IndexOf(option.tile) == table.IndexOf(hand_.lastDrawn_)) {
                return k;
            }
        }
        // Passing options come first; a turn throws its first tile.
        for (size_t k = 0; k < decision.options.size(); ++k) {
            const SeatActionKind kind = decision.options[k].kind;
            if (kind == SeatActionKind::kPass || kind == SeatActionKind::kDiscard) {
                return k;
            }
        }
        return 0;
    }

private:
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
                    return option.kind == SeatActionKind::kSwapChoice
                               ? Chose(decision.seat, k, decision)
                               : k;
                }
            }
            break;  // the seat's next move is not offered yet
        }
        return decision.options.size();
    }

    size_t Chose(int seat, size_t k, const SeatDecision& decision) {
        hand_.swapGiven_[static_cast<size_t>(seat)] = decision.options[k].handTiles;
        tp::SwapReadyNotice ready;
        ready.chair = seat;
        ready.kind = tp::kSwapReadyKind;
        ready.pointerChair = seat;
        hand_.wire_.notify(static_cast<uint32_t>(tp::kSwapReady), tp::WriteTableRecord(ready));
        return k;
    }

    RegionalEngineHand& hand_;
    size_t next_ = 0;
    std::vector<size_t> used_;
};

// --- The client's seat: its requests, checked against the offer ---

class RegionalEngineHand::ClientSeat : public SeatPlayer {
public:
    explicit ClientSeat(RegionalEngineHand& hand) : hand_(hand) {}

    size_t Choose(const CRegionalMahjongRules& table, const SeatDecision& decision) override {
        meant_ = {};
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

    SeatAction Meant(const CRegionalMahjongRules&, const SeatDecision& decision,
                     size_t chosen) override {
        return meant_.kind == decision.options[chosen].kind ? meant_ : decision.options[chosen];
    }

private:
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
        Pending request;
        while (hand_.NextRequest(request)) {
            tp::SwapThreeRequest choice;
            if (request.id != tp::kSwapThree || !tp::ReadTableRecord(request.body, choice)) {
                hand_.Refuse(request, tp::kResultNotCarriedOut);
                continue;
            }
            SeatAction meant{SeatActionKind::kSwapChoice};
            for (size_t i = 0; i < 3; ++i) {
                meant.handTiles[i] = choice.chairTiles[kOwnChair * 3 + i];
            }
            const size_t k = SuitOption(table, decision, meant.handTiles[0]);
            if (k >= decision.options.size() || !OneSuitHeld(table, meant.handTiles)) {
                hand_.Refuse(request, tp::kResultNotCarriedOut);
                continue;
            }
            hand_.swapGiven_[kOwnChair] = meant.handTiles;
            return Take(decision, k, meant, request, true);
        }
        return Stopped(decision);
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

    static bool OneSuitHeld(const CRegionalMahjongRules& table, const std::array<int32_t, 3>& t) {
        const int suit = table.IndexOf(t[0]) / 10;
        for (size_t i = 0; i < 3; ++i) {
            if (!table.SeatHoldsTile(kOwnChair, t[i]) || table.IndexOf(t[i]) / 10 != suit) {
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
        Pending request;
        while (hand_.NextRequest(request)) {
            tp::OperationRecord play;
            const bool isPlay = tp::ReadTableRecord(request.body, play);
            size_t k = decision.options.size();
            SeatAction meant;
            switch (request.id) {
                case tp::kOwnDraw:
                    if (hand_.OwnDrawDue()) {
                        hand_.Reply(request, tp::kResultDone, hand_.TileReply(options_));
                    } else {
                        hand_.Refuse(request, tp::kResultDrawRefused);
                    }
                    continue;
                case tp::kGangQuery:
                    hand_.Reply(request, tp::kResultDone, hand_.GangQueryAnswer());
                    continue;
                case tp::kDiscard:
                    meant = {SeatActionKind::kDiscard, play.tile};
                    break;
                case tp::kTingThrow:
                    meant = {SeatActionKind::kDeclareReady,
                             tp::WordAt(request.body, kTingThrowTileWord, tp::kNoTile)};
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
        Pending request;
        while (hand_.NextRequest(request)) {
            tp::OperationRecord play;
            const bool isPlay = tp::ReadTableRecord(request.body, play);
            SeatAction meant;
            size_t k = decision.options.size();
            switch (request.id) {
                case tp::kPass:
                    return 0;  // not answered
                case tp::kGangQuery:
                    hand_.Reply(request, tp::kResultDone, hand_.GangQueryAnswer());
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
      robotsHeld_(options_.robotsHeld) {
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
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Run(); });
    }
}

void RegionalEngineHand::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}

bool RegionalEngineHand::OnRequest(uint32_t sequence, uint32_t id, std::span<const uint8_t> body) {
    static constexpr uint32_t kHandRequests[] = {
        tp::kSwapThree, tp::kOwnDraw,     tp::kDiscard,       tp::kTingThrow,
        tp::kPengClaim, tp::kDiscardGang, tp::kConcealedGang, tp::kAddedGang,
        tp::kHuClaim,   tp::kPass,        tp::kGangQuery};
    if (std::find(std::begin(kHandRequests), std::end(kHandRequests), id) ==
        std::end(kHandRequests)) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({sequence, id, std::vector<uint8_t>(body.begin(), body.end())});
    }
    changed_.notify_all();
    return true;
}

bool RegionalEngineHand::NextRequest(Pending& out) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopped_ || !queue_.empty(); });
    if (stopped_) {
        return false;
    }
    out = std::move(queue_.front());
    queue_.erase(queue_.begin());
    return true;
}

void RegionalEngineHand::ClientReady() {
    {
        std::lock_guard lock(mutex_);
        clientReady_ = true;
    }
    changed_.notify_all();
}

bool RegionalEngineHand::AwaitNextHand() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopped_ || clientReady_; });
        if (stopped_) {
            return false;
        }
        clientReady_ = false;
    }
    for (int chair = 0; chair < 4; ++chair) {
        if (chair == kOwnChair) {
            continue;
        }
        tp::SeatStartedNotice ready;
        ready.head = {9000 + chair, options_.roomId, options_.tableNo, chair};
        Notify(tp::kSeatStarted, tp::WriteTableRecord(ready));
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
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return ended_; });
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
    return operations_;
}

void RegionalEngineHand::Reply(const Pending& request, uint32_t code, std::vector<uint8_t> data) {
    if (wire_.reply) {
        wire_.reply(request.sequence, code, std::move(data));
    }
}

void RegionalEngineHand::Refuse(const Pending& request, uint32_t code) {
    if (request.id != tp::kPass) {
        Reply(request, code);
    }
}

void RegionalEngineHand::Notify(int32_t id, std::vector<uint8_t> data) {
    if (wire_.notify) {
        wire_.notify(static_cast<uint32_t>(id), std::move(data));
    }
}

bool RegionalEngineHand::OwnDrawDue() const {
    return lastDrawer_ == kOwnChair && !drawFromBack_ && !clientDrawAsked_;
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
    if (table_->IsReadyGranted(kOwnChair)) {
        info.options = tp::kOptionTing;
        PutEngineTingData(*table_, info.candidates, info.table);
    } else {
        info.candidates.fill(tp::kNoTile);
    }
    return tp::WriteTableRecord(info);
}

std::vector<uint8_t> RegionalEngineHand::GangQueryAnswer() const {
    // What each chair may do about the tile on the table: a discard gang's
    // hu chances are the discard's option words; a chance to rob an own
    // gang is offered when the engine announces it (229180).
    tp::GangQueryReply reply;
    if ((table_->TableState() & kStateClaimPhase) != 0) {
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
        notice.chairOptions[static_cast<size_t>(chair)] = table_->ClaimOptions(chair);
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
    if (melds.empty() || claimant == kOwnChair) {
        return;
    }
    const MeldEntry& meld = melds.back();
    tp::OperationRecord record;
    record.head = {9000 + claimant, options_.roomId, options_.tableNo, claimant};
    record.offerChair = meld.source;
    // The claimed (or fourth) tile comes after the hand tiles.
    const bool four = list != kMeldPeng;
    record.tile = four ? meld.tiles[3] : meld.tiles[2];
    record.handTiles = {meld.tiles[0], meld.tiles[1], four ? meld.tiles[2] : tp::kNoTile};
    Notify(id, tp::WriteTableRecord(record));
}

void RegionalEngineHand::SendHandStart() {
    std::vector<uint8_t> head(CRegionalMahjongRules::kRegionalHeaderBytes, 0);
    table_->PackHeader(head, kOwnChair, false);
    PutWord(head, 13 * 4, table_->CurrentSeat());
    PutWord(head, 27 * 4, 1);
    PutWord(head, 36 * 4, tp::WordAt(head, 34));
    Notify(tp::kHandStart, std::move(head));
}

void RegionalEngineHand::SendSwapDice() {
    tp::SwapDiceNotice notice;
    notice.die = table_->SwapDie();
    for (int chair = 0; chair < 4; ++chair) {
        for (int i = 0; i < 3; ++i) {
            const size_t at = static_cast<size_t>(chair * 3 + i);
            notice.given[at] = swapGiven_[static_cast<size_t>(chair)][static_cast<size_t>(i)];
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
    changed_.wait_for(lock, std::chrono::milliseconds(options_.afterSwapDiceMs),
                      [this] { return stopped_; });
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
        operations_.emplace_back(operation);
        if (draw) {
            pendingOwnDraw_ = OwnDrawDue() ? lastDrawn_ : tp::kNoTile;
        }
    }
    if (operation == "StartGame") {
        SendHandStart();
    } else if (operation == "StartPlayAfterSwap") {
        SendSwapDice();
        PauseAfterSwapDice();
    } else if (operation == "DeclareReady") {
        declaring_ = true;
    } else if (operation == "Discard") {
        SendThrow(seat, table_->DiscardedTile(), declaring_);
        declaring_ = false;
        if (seat == kOwnChair) {
            ReplyPending(tp::kResultDone);
        }
    } else if (draw) {
        if (seat != kOwnChair) {
            SendDraw(seat, lastDrawn_);
        }
    } else if (operation == "Peng") {
        SendMeld(tp::kPengNotice, seat, kMeldPeng);
        lastDrawer_ = -1;
        AskSelfOptionsAfterPeng(seat);
    } else if (operation == "ExposedKong") {
        SendMeld(tp::kGangNotice, seat, kMeldExposedKong);
    } else if (operation == "ConcealedKong") {
        SendMeld(tp::kConcealedGangNotice, seat, kMeldConcealedKong);
    } else if (operation == "AddedKong") {
        SendMeld(tp::kAddedGangNotice, seat, kMeldAddedKong);
    } else if (operation.starts_with("ResolveHu")) {
        ReplyPending(tp::kResultDone);
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
    changed_.wait(lock, [this] { return stopped_ || !robotsHeld_; });
}

void RegionalEngineHand::Run() {
    std::optional<ScopedDriverSources> sources;
    if (options_.seed != 0) {
        sources.emplace(options_.seed);
    }
    TableDriver driver(*table_, {client_.get(), robots_.get(), robots_.get(), robots_.get()},
                       SilverTable(options_));
    driver.afterOperation = [this](std::string_view operation) { AfterOperation(operation); };
    {
        std::lock_guard lock(mutex_);
        driver_ = &driver;
    }
    bool played = false;
    if (driver.SeatPlayers()) {
        for (int hand = 0; hand < std::max(options_.hands, 1); ++hand) {
            if (hand > 0 && (!played || !AwaitNextHand())) {
                played = false;
                break;
            }
            if (options_.beforeHand) {
                options_.beforeHand(hand);
            }
            TakeSnapshot();
            const HandOutcome outcome = driver.PlayHand();
            ReplyPending(outcome.played ? tp::kResultDone : tp::kResultNotCarriedOut);
            {
                // Only a ready sent after this result starts the next hand.
                std::lock_guard lock(mutex_);
                clientReady_ = false;
            }
            if (outcome.played) {
                Notify(tp::kHandResult, outcome.record);
            }
            played = outcome.played;
        }
    }
    std::lock_guard lock(mutex_);
    driver_ = nullptr;
    played_ = played;
    ended_ = true;
    changed_.notify_all();
}

}  // namespace testserver
