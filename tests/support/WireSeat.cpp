#include "tests/support/WireSeat.h"

#include <algorithm>

#include "mahjong_logic/MahjongRecords.h"
#include "mahjong_tiles/TileEncoding.h"

namespace servertest {

namespace tp = table_protocol;

namespace {

constexpr int kSuits = 3;
constexpr int32_t kClaimOptions = tp::kOptionPeng | tp::kOptionGang | tp::kOptionHu;
constexpr uint32_t kPlayerLeftId = 211000;

// Play goes to the chair before in number.
int NextChair(int32_t chair) {
    return (chair + WireSeat::kSeats - 1) % WireSeat::kSeats;
}

template <class R>
SeatRequest Waited(uint32_t id, const R& record) {
    return SeatRequest{id, tp::WriteTableRecord(record), true};
}

}  // namespace

WireSeat::WireSeat(tp::RequestHead place, uint32_t seed, SeatMix mix)
    : place_(place), random_(seed), mix_(mix) {}

int WireSeat::SuitOf(int32_t tile) {
    return GetCardShape(tile);
}

int WireSeat::IndexOf(int32_t tile) {
    const int suit = GetCardShape(tile);
    return suit < 0 ? -1 : suit * 10 + GetCardValue(tile);
}

bool WireSeat::Chance(int percent) {
    return static_cast<int>(random_() % 100) < percent;
}

void WireSeat::Fault(const std::string& what) {
    faults_.push_back(what);
}

std::vector<int32_t> WireSeat::OwnTiles() const {
    std::vector<int32_t> sorted = tiles_;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

int32_t WireSeat::TileNotHeld() const {
    for (int32_t tile = 0; tile < tp::kWallSize; ++tile) {
        if (!Holds(tile)) {
            return tile;
        }
    }
    return -1;
}

bool WireSeat::Holds(int32_t tile) const {
    return std::find(tiles_.begin(), tiles_.end(), tile) != tiles_.end();
}

bool WireSeat::Remove(int32_t tile) {
    const auto it = std::find(tiles_.begin(), tiles_.end(), tile);
    if (it == tiles_.end()) {
        Fault("removes tile " + std::to_string(tile) + " it does not hold");
        return false;
    }
    tiles_.erase(it);
    return true;
}

int WireSeat::HeldCount(int index) const {
    return static_cast<int>(std::count_if(tiles_.begin(), tiles_.end(),
                                          [&](int32_t tile) { return IndexOf(tile) == index; }));
}

std::array<int32_t, 3> WireSeat::HeldOfIndex(int index, size_t n, int32_t except) const {
    std::array<int32_t, 3> found{-1, -1, -1};
    size_t k = 0;
    for (const int32_t tile : tiles_) {
        if (k < n && tile != except && IndexOf(tile) == index) {
            found[k++] = tile;
        }
    }
    return found;
}

// --- Records ---

void WireSeat::OnNotification(uint32_t id, std::span<const uint8_t> bytes) {
    switch (id) {
        case static_cast<uint32_t>(tp::kHandStart):
            OnHandStart(bytes);
            return;
        case static_cast<uint32_t>(tp::kSwapDice):
            OnSwapDice(bytes);
            return;
        case static_cast<uint32_t>(tp::kCardThrown):
            OnThrown(bytes, false);
            return;
        case static_cast<uint32_t>(tp::kTingThrowNotice):
            OnThrown(bytes, true);
            return;
        case static_cast<uint32_t>(tp::kSeatDraw): {
            tp::SeatDrawNotice draw;
            if (!tp::ReadTableRecord(bytes, draw)) {
                Fault("229160 of " + std::to_string(bytes.size()) + " bytes");
                return;
            }
            if (draw.chair == place_.chair) {
                Fault("told of its own draw");
            } else if (draw.tile != tp::kHiddenTile || draw.laidAside != -1) {
                Fault("sees another seat's drawn tile");
            }
            if (pending_ == Pending::kClaim) {
                Count("offer left to the window's close");
            }
            pending_ = Pending::kNone;
            return;
        }
        case static_cast<uint32_t>(tp::kPengNotice):
        case static_cast<uint32_t>(tp::kGangNotice):
        case static_cast<uint32_t>(tp::kConcealedGangNotice):
        case static_cast<uint32_t>(tp::kAddedGangNotice):
            OnMeld(id, bytes);
            return;
        case static_cast<uint32_t>(tp::kGangHuNotice):
            OnRobbingChance(bytes);
            return;
        case static_cast<uint32_t>(tp::kHandResult):
            OnResult(bytes);
            return;
        case kPlayerLeftId:
            inHand_ = false;
            pending_ = Pending::kNone;
            return;
        default:
            return;
    }
}

void WireSeat::OnHandStart(std::span<const uint8_t> bytes) {
    tp::HandStartRecord start;
    if (!tp::ReadTableRecord(bytes, start)) {
        Fault("211040 of " + std::to_string(bytes.size()) + " bytes");
        return;
    }
    tiles_.clear();
    for (const int32_t tile : start.ownTiles) {
        if (tile < 0) {
            break;
        }
        tiles_.push_back(tile);
    }
    pengs_.clear();
    declared_ = false;
    discardCount_ = 0;
    lastOtherDiscard_ = {-1, -1};
    lastThrower_ = -1;
    lastDrawn_ = -1;
    followUp_.reset();
    offer_ = {};
    inHand_ = true;
    banker_ = start.turnChair;
    // The words the client reads otherwise than the engine writes them.
    if (start.claimSkipRule != 1 || start.wildIndicator != tp::kNoTile || start.dice[1] != 0 ||
        start.dice[2] != 0 || start.dice[3] != 0 || start.dice[0] < 1 || start.dice[0] > 6) {
        Fault("211040 words 23-27 or 36 are not the client's");
    }
    lastStart_ = start;
    const size_t expected = start.turnChair == place_.chair ? 14 : 13;
    if (tiles_.size() != expected) {
        Fault("dealt " + std::to_string(tiles_.size()) + " tiles");
    }
    pending_ = (start.startFlags & tp::kStartSwapPhase) != 0 ? Pending::kSwap : Pending::kNone;
}

void WireSeat::OnSwapDice(std::span<const uint8_t> bytes) {
    tp::SwapDiceNotice swap;
    if (!tp::ReadTableRecord(bytes, swap)) {
        Fault("222168 of " + std::to_string(bytes.size()) + " bytes");
        return;
    }
    const size_t own = static_cast<size_t>(3 * place_.chair);
    for (size_t k = 0; k < 3; ++k) {
        if (SuitOf(swap.given[own + k]) != SuitOf(swap.given[own])) {
            Fault("gave tiles of two suits in the exchange");
        }
        Remove(swap.given[own + k]);
    }
    for (size_t k = 0; k < 3; ++k) {
        tiles_.push_back(swap.received[own + k]);
    }
    // The direction: which chair's three tiles this chair received.
    for (int step = 1; step < kSeats; ++step) {
        const size_t from = static_cast<size_t>(3 * ((place_.chair + step) % kSeats));
        if (std::is_permutation(swap.received.begin() + static_cast<long>(own),
                                swap.received.begin() + static_cast<long>(own + 3),
                                swap.given.begin() + static_cast<long>(from))) {
            Count("exchange from the chair " + std::to_string(step) + " after");
        }
    }
    if (banker_ == place_.chair) {
        TakeTurnOptions(swap.firstTurnOptions[static_cast<size_t>(place_.chair)], swap.tingList);
        pending_ = Pending::kTurn;
    }
}

void WireSeat::OnThrown(std::span<const uint8_t> bytes, bool declared) {
    tp::CardThrownNotice thrown;
    if (!tp::ReadTableRecord(bytes, thrown)) {
        Fault("222170 of " + std::to_string(bytes.size()) + " bytes");
        return;
    }
    ++discardCount_;
    lastThrower_ = thrown.thrower;
    for (int chair = 0; chair < kSeats; ++chair) {
        // Claims alone: no word carries the engine's ready bit.
        const int32_t options = thrown.chairOptions[static_cast<size_t>(chair)];
        if ((options & ~(kClaimOptions | tp::kOptionPass)) != 0) {
            Fault("222170 offers chair " + std::to_string(chair) + " " + std::to_string(options));
        }
    }
    if (thrown.thrower == place_.chair) {
        if (Holds(thrown.tile)) {
            Fault("still holds its discard");
        }
        pending_ = Pending::kNone;
        return;
    }
    if (declared) {
        Count("robot declared");
    }
    lastOtherDiscard_ = {thrown.thrower, thrown.tile};
    const int32_t options = thrown.chairOptions[static_cast<size_t>(place_.chair)];
    if ((options & kClaimOptions) != 0) {
        offer_ = Offer{thrown.thrower, thrown.tile, options};
        pending_ = Pending::kClaim;
    } else {
        pending_ = NextChair(thrown.thrower) == place_.chair ? Pending::kDraw : Pending::kNone;
    }
}

void WireSeat::OnMeld(uint32_t id, std::span<const uint8_t> bytes) {
    tp::OperationRecord meld;
    const std::string what = std::to_string(id);
    if (!tp::ReadTableRecord(bytes, meld)) {
        Fault(what + " of " + std::to_string(bytes.size()) + " bytes");
        return;
    }
    const int32_t claimant = meld.head.chair;
    if (claimant == place_.chair || claimant < 0 || claimant >= kSeats || Holds(meld.tile)) {
        Fault(what + " names chair " + std::to_string(claimant) + " and tile " +
              std::to_string(meld.tile));
        return;
    }
    const bool onDiscard = id == static_cast<uint32_t>(tp::kPengNotice) ||
                           id == static_cast<uint32_t>(tp::kGangNotice);
    const bool concealed = id == static_cast<uint32_t>(tp::kConcealedGangNotice);
    if ((onDiscard && (meld.offerChair != lastThrower_ || meld.offerChair == claimant)) ||
        (concealed && meld.offerChair != claimant)) {
        Fault(what + " claims from chair " + std::to_string(meld.offerChair));
    }
    if (onDiscard) {
        // The claimed tile leaves the discards; the claimant plays next.
        --discardCount_;
        pending_ = Pending::kNone;
    }
    static const std::map<uint32_t, std::string> kNames = {
        {static_cast<uint32_t>(tp::kPengNotice), "robot peng"},
        {static_cast<uint32_t>(tp::kGangNotice), "robot discard gang"},
        {static_cast<uint32_t>(tp::kConcealedGangNotice), "robot concealed gang"},
        {static_cast<uint32_t>(tp::kAddedGangNotice), "robot added gang"},
    };
    Count(kNames.at(id));
}

void WireSeat::OnRobbingChance(std::span<const uint8_t> bytes) {
    tp::GangHuNotice notice;
    if (!tp::ReadTableRecord(bytes, notice)) {
        Fault("229180 of " + std::to_string(bytes.size()) + " bytes");
        return;
    }
    if (notice.ganger == place_.chair ||
        (notice.chairOptions[static_cast<size_t>(place_.chair)] & tp::kOptionHu) == 0) {
        Fault("229180 offers no robbing of another seat's kong");
        return;
    }
    Count("human may rob a robot's kong");
    offer_ = Offer{notice.offerChair, notice.tile, tp::kOptionHu, notice.gangKind};
    pending_ = Pending::kClaim;
}

std::vector<tp::GameResultRecord> WireSeat::TakeResults() {
    std::vector<tp::GameResultRecord> taken;
    taken.swap(results_);
    return taken;
}

void WireSeat::OnResult(std::span<const uint8_t> bytes) {
    tp::GameResultRecord result;
    if (!tp::ReadTableRecord(bytes, result)) {
        Fault("211080 of " + std::to_string(bytes.size()) + " bytes");
        return;
    }
    results_.push_back(result);
    ++resultCount_;
    inHand_ = false;
    pending_ = Pending::kNone;
    followUp_.reset();
    const uint32_t flags = static_cast<uint32_t>(result.flags);
    const bool own = result.winner == place_.chair;
    const std::string who = own ? "human" : "robot";
    if ((flags & kEndDrawn) != 0) {
        Count("drawn hand");
    }
    if ((flags & kEndOnDiscard) != 0) {
        Count(who + " hu on a discard");
    }
    if ((flags & kEndSelfDrawn) != 0) {
        Count(who + " hu self-drawn");
    }
    if ((flags & kEndRobbing) != 0) {
        Count(who + " hu robbing a kong");
    }
    if (own && declared_) {
        Count("human hu in a declared hand");
    }
}

// --- Choices ---

std::optional<SeatRequest> WireSeat::Next() {
    if (followUp_) {
        std::optional<SeatRequest> next = std::move(followUp_);
        followUp_.reset();
        return next;
    }
    const Pending pending = pending_;
    pending_ = Pending::kNone;
    switch (pending) {
        case Pending::kSwap:
            return SwapChoice();
        case Pending::kDraw:
            return OwnDraw();
        case Pending::kTurn:
            return TurnChoice();
        case Pending::kClaim:
            return ClaimChoice();
        case Pending::kNone:
            break;
    }
    return std::nullopt;
}

SeatRequest WireSeat::SwapChoice() {
    std::array<std::vector<int32_t>, kSuits> bySuit;
    for (const int32_t tile : tiles_) {
        const int suit = SuitOf(tile);
        if (suit >= 0 && suit < kSuits) {
            bySuit[static_cast<size_t>(suit)].push_back(tile);
        }
    }
    std::vector<size_t> eligible;
    for (size_t suit = 0; suit < bySuit.size(); ++suit) {
        if (bySuit[suit].size() >= 3) {
            eligible.push_back(suit);
        }
    }
    size_t chosen = eligible.empty() ? 0 : eligible.front();
    for (const size_t suit : eligible) {
        if (bySuit[suit].size() < bySuit[chosen].size()) {
            chosen = suit;
        }
    }
    if (!eligible.empty() && Chance(30)) {
        chosen = eligible[random_() % eligible.size()];
    }
    std::vector<int32_t>& suit = bySuit[chosen];
    std::shuffle(suit.begin(), suit.end(), random_);
    tp::SwapThreeRequest request;
    for (size_t k = 0; k < 3 && k < suit.size(); ++k) {
        request.chairTiles[static_cast<size_t>(3 * place_.chair) + k] = suit[k];
    }
    request.userId = place_.userId;
    request.roomId = place_.roomId;
    request.tableNo = place_.tableNo;
    request.chair = place_.chair;
    return Waited(static_cast<uint32_t>(tp::kSwapThree), request);
}

SeatRequest WireSeat::OwnDraw() {
    tp::OwnDrawRecord draw;
    draw.head = place_;
    draw.tableNo = place_.tableNo;
    draw.chair = place_.chair;
    draw.userId = place_.userId;
    return Waited(tp::kOwnDraw, draw);
}

tp::OperationRecord WireSeat::Operation(int32_t offerChair, int32_t tile,
                                        std::array<int32_t, 3> handTiles) const {
    tp::OperationRecord record;
    record.head = place_;
    record.offerChair = offerChair;
    record.tile = tile;
    record.handTiles = handTiles;
    return record;
}

std::optional<SeatRequest> WireSeat::TurnChoice() {
    if ((turnOptions_ & tp::kOptionHu) != 0 && lastDrawn_ >= 0 && Chance(mix_.huPercent)) {
        tp::HuClaimRecord hu;
        hu.head = place_;
        hu.offerChair = place_.chair;
        hu.tile = lastDrawn_;
        hu.huKind = tp::kHuSelfDrawn;
        return Waited(tp::kHuClaim, hu);
    }
    if ((turnOptions_ & tp::kOptionGang) != 0 && Chance(mix_.gangPercent)) {
        // The drawn tile's kong first: a declared seat may only make that one.
        std::vector<int32_t> order = tiles_;
        std::stable_partition(order.begin(), order.end(),
                              [&](int32_t tile) { return tile == lastDrawn_; });
        for (const int32_t tile : order) {
            if (HeldCount(IndexOf(tile)) == 4) {
                return Waited(tp::kConcealedGang,
                              Operation(place_.chair, tile, HeldOfIndex(IndexOf(tile), 3, tile)));
            }
        }
        for (const std::array<int32_t, 3>& peng : pengs_) {
            const std::array<int32_t, 3> held = HeldOfIndex(IndexOf(peng[0]), 1);
            if (held[0] >= 0 && discardCount_ >= mix_.addedGangAfterDiscards) {
                tp::OperationRecord query = Operation(place_.chair, held[0], peng);
                query.kind = tp::kGangOwn;
                followUp_ = Waited(tp::kAddedGang, Operation(place_.chair, held[0], peng));
                return Waited(tp::kGangQuery, query);
            }
        }
    }
    if ((turnOptions_ & tp::kOptionTing) != 0 && !declared_ && !candidates_.empty() &&
        Chance(mix_.declarePercent)) {
        return SeatRequest{tp::kTingThrow,
                           DeclarationBody(place_, candidates_[random_() % candidates_.size()]),
                           true};
    }
    if (declared_ && Holds(lastDrawn_)) {
        return Discard(lastDrawn_);
    }
    return Discard(ChooseDiscard());
}

std::vector<uint8_t> WireSeat::DeclarationBody(const tp::RequestHead& place, int32_t tile) {
    tp::TingThrowRecord declare;
    declare.head = place;
    declare.tableNo = place.tableNo;
    declare.chair = place.chair;
    declare.userId = place.userId;
    declare.tile = tile;
    std::vector<uint8_t> body = tp::WriteTableRecord(declare);
    body.resize(tp::TingThrowRecord::SentBytes(declare.count));
    return body;
}

SeatRequest WireSeat::Discard(int32_t tile) {
    return Waited(tp::kDiscard, Operation(place_.chair, tile, {-1, -1, -1}));
}

int32_t WireSeat::ChooseDiscard() {
    if (tiles_.empty()) {
        return -1;
    }
    if (Chance(mix_.randomDiscardPercent)) {
        return tiles_[random_() % tiles_.size()];
    }
    // While three suits are held, the shortest goes first; then the tile
    // with the fewest neighbours of its suit.
    std::array<int, kSuits> perSuit{};
    for (const int32_t tile : tiles_) {
        const int suit = SuitOf(tile);
        if (suit >= 0 && suit < kSuits) {
            ++perSuit[static_cast<size_t>(suit)];
        }
    }
    int shortest = -1;
    if (std::count(perSuit.begin(), perSuit.end(), 0) == 0) {
        shortest =
            static_cast<int>(std::min_element(perSuit.begin(), perSuit.end()) - perSuit.begin());
    }
    int32_t best = -1;
    int bestScore = 0;
    for (const int32_t tile : tiles_) {
        int score = 0;
        for (const int32_t other : tiles_) {
            const int distance = std::abs(IndexOf(other) - IndexOf(tile));
            if (other != tile && SuitOf(other) == SuitOf(tile) && distance <= 2) {
                score += 3 - distance;
            }
        }
        if (SuitOf(tile) != shortest && shortest >= 0) {
            score += 100;
        }
        for (const std::array<int32_t, 3>& peng : pengs_) {
            if (IndexOf(peng[0]) == IndexOf(tile)) {
                score += 1000;  // the fourth of a peng is kept for its gang
            }
        }
        if (best < 0 || score < bestScore) {
            best = tile;
            bestScore = score;
        }
    }
    return best;
}

std::optional<SeatRequest> WireSeat::ClaimChoice() {
    const Offer offer = offer_;
    const int index = IndexOf(offer.tile);
    const bool robbing = offer.robbedKongKind != 0;
    if ((offer.options & tp::kOptionHu) != 0 && Chance(mix_.huPercent)) {
        tp::HuClaimRecord hu;
        hu.head = place_;
        hu.offerChair = offer.thrower;
        hu.tile = offer.tile;
        hu.huKind = robbing ? tp::kHuRobbingKong : tp::kHuOnDiscard;
        hu.robbedKongKind = offer.robbedKongKind;
        return Waited(tp::kHuClaim, hu);
    }
    if ((offer.options & tp::kOptionGang) != 0 && HeldCount(index) >= 3 &&
        Chance(mix_.gangPercent)) {
        const tp::OperationRecord gang =
            Operation(offer.thrower, offer.tile, HeldOfIndex(index, 3));
        tp::OperationRecord query = gang;
        query.kind = tp::kGangOnThrownTile;
        followUp_ = Waited(tp::kDiscardGang, gang);
        return Waited(tp::kGangQuery, query);
    }
    if ((offer.options & tp::kOptionPeng) != 0 && HeldCount(index) >= 2 &&
        Chance(mix_.pengPercent)) {
        const std::array<int32_t, 3> two = HeldOfIndex(index, 2);
        return Waited(tp::kPengClaim, Operation(offer.thrower, offer.tile, {two[0], two[1], -1}));
    }
    const bool next = !robbing && NextChair(offer.thrower) == place_.chair;
    if (next && Chance(50)) {
        Count("pass by the own draw");
        return OwnDraw();
    }
    if (!next && Chance(mix_.silentPassPercent)) {
        Count("pass by silence");
        return std::nullopt;
    }
    tp::PassRecord pass;
    pass.head = place_;
    pass.offerChair = offer.thrower;
    pass.tile = offer.tile;
    pending_ = next ? Pending::kDraw : Pending::kNone;
    Count("pass");
    return SeatRequest{tp::kPass, tp::WriteTableRecord(pass), false};
}

// --- Answers ---

void WireSeat::TakeTurnOptions(int32_t options, std::span<const int32_t> candidates) {
    if ((options & tp::kOptionTing) != 0 && discardCount_ >= 4) {
        Fault("offered the ready hand after the fourth discard");
    }
    turnOptions_ = options;
    candidates_.clear();
    if ((options & tp::kOptionTing) != 0) {
        for (const int32_t tile : candidates) {
            if (tile >= 0 && Holds(tile)) {
                candidates_.push_back(tile);
            }
        }
    }
}

void WireSeat::TakeDrawReply(std::span<const uint8_t> data) {
    tp::OperationReply reply;
    if (!tp::ReadTableRecord(data, reply) || reply.tile < 0 || reply.tile >= tp::kWallSize) {
        Fault("a draw reply of " + std::to_string(data.size()) + " bytes without a tile");
        return;
    }
    if (Holds(reply.tile)) {
        Fault("drew tile " + std::to_string(reply.tile) + " it holds");
    }
    if (reply.wallIndex < 0 || reply.wallIndex >= tp::kWallSize) {
        Fault("drew from wall entry " + std::to_string(reply.wallIndex));
    }
    tiles_.push_back(reply.tile);
    lastDrawn_ = reply.tile;
    const size_t expected = (reply.options & tp::kOptionTing) != 0 ? tp::kOperationReplyBytes
                                                                   : tp::kOperationReplyShortBytes;
    if (data.size() != expected) {
        Fault("a draw reply of " + std::to_string(data.size()) + " bytes");
    }
    TakeTurnOptions(reply.options, reply.tingCandidates);
    pending_ = Pending::kTurn;
}

void WireSeat::OnAnswer(const SeatRequest& request, uint32_t code, std::span<const uint8_t> data) {
    tp::OperationRecord operation;
    tp::ReadTableRecord(request.body, operation);
    const std::string what = std::to_string(request.id) + " answered " + std::to_string(code);
    if (code == tp::kResultDrawRefused && inHand_) {
        // The wall is empty: the drawn hand's result follows.
        ++emptyWall_;
        followUp_.reset();
        return;
    }
    if (code == tp::kResultHeld &&
        (request.id == tp::kPengClaim || request.id == tp::kDiscardGang ||
         request.id == tp::kAddedGang || request.id == tp::kGangQuery ||
         request.id == tp::kHuClaim)) {
        Count("human " + std::to_string(request.id) + " held");
        followUp_.reset();
        return;
    }
    if (code != tp::kResultDone) {
        Fault(what);
        followUp_.reset();
        return;
    }
    switch (request.id) {
        case tp::kOwnDraw:
            TakeDrawReply(data);
            return;
        case tp::kDiscard:
            Remove(operation.tile);
            return;
        case tp::kTingThrow: {
            // The body is cut behind the counted tile.
            Remove(tp::WordAt(request.body, tp::kTingThrowCountWord + 1, -1));
            declared_ = true;
            Count("human declaration");
            return;
        }
        case tp::kHuClaim:
            return;
        case tp::kPengClaim: {
            Remove(operation.handTiles[0]);
            Remove(operation.handTiles[1]);
            pengs_.push_back({operation.handTiles[0], operation.handTiles[1], operation.tile});
            --discardCount_;  // the claimed tile leaves the discards
            tp::TingInfo ting;
            tp::ReadTableRecord(data, ting);
            if (data.size() != tp::kTingInfoBytes) {
                Fault("a peng reply of " + std::to_string(data.size()) + " bytes");
            }
            lastDrawn_ = -1;
            TakeTurnOptions(ting.options & tp::kOptionTing, ting.candidates);
            pending_ = Pending::kTurn;
            Count("human peng");
            return;
        }
        case tp::kGangQuery: {
            tp::GangQueryReply reply;
            tp::ReadTableRecord(data, reply);
            for (int chair = 0; chair < kSeats; ++chair) {
                if (chair != place_.chair &&
                    reply.chairOptions[static_cast<size_t>(chair)] == tp::kOptionHu) {
                    Count("human kong robbable");
                }
            }
            return;
        }
        case tp::kDiscardGang:
            for (const int32_t tile : operation.handTiles) {
                Remove(tile);
            }
            Count("human discard gang");
            --discardCount_;
            TakeDrawReply(data);
            return;
        case tp::kConcealedGang:
            Remove(operation.tile);
            for (const int32_t tile : operation.handTiles) {
                Remove(tile);
            }
            Count("human concealed gang");
            TakeDrawReply(data);
            return;
        case tp::kAddedGang:
            Remove(operation.tile);
            std::erase_if(pengs_, [&](const std::array<int32_t, 3>& peng) {
                return IndexOf(peng[0]) == IndexOf(operation.tile);
            });
            Count("human added gang");
            TakeDrawReply(data);
            return;
        case static_cast<uint32_t>(tp::kSwapThree):
            return;
        default:
            return;
    }
}

}  // namespace servertest
